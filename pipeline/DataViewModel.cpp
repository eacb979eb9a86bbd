#include "pipeline/DataViewModel.h"

void TDataViewModel::Apply(const TDataViewPacket &packet)
{
    switch (packet.Kind) {
    case dvAppend:
        break;
    case dvHeadings:
        FLefts.clear();
        FRights.clear();
        FHeaders = packet.HeadingLines;
        return;
    case dvReplace:
        FLefts.clear();
        FRights.clear();
        FHeaders = packet.HeadingLines;
        break;
    default:
        return;
    }
    FLefts += packet.TimeTexts;
    FRights += packet.RowTexts;
}

void TDataViewModel::Collect(TDataBuffer<TDataViewPacket> &buffer)
{
    const auto packets = TakeFromBuffer(buffer);
    for (const auto &packet : packets)
        if (packet)
            Apply(*packet);
}
