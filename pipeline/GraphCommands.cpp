#include "pipeline/GraphCommands.h"

#include "foundation/WrapperClasses.h"
#include "graphs/SkewTGraphParameters.h"
#include "graphs/StandardGraphParameters.h"
#include "graphs/TimeGraphParameters.h"

void TGraphCommands::Post(TRawCommand kind, std::unique_ptr<TObject> data)
{
    PostToBuffer(FBuffer, std::make_unique<TRawDataPacket>(kind, std::move(data)));
    ++FCounts[kind];
}

void TGraphCommands::PostFrame(std::unique_ptr<TKestrinResult> frame)
{
    Post(rcFrame, std::move(frame));
}

void TGraphCommands::PostFrames(std::vector<std::unique_ptr<TKestrinResult>> frames)
{
    TDataBuffer<TRawDataPacket>::TItems packets;
    for (std::unique_ptr<TKestrinResult> &frame : frames)
        packets.push_back(std::make_unique<TRawDataPacket>(rcFrame, std::move(frame)));
    {
        TBufferLock<TRawDataPacket> lock(FBuffer);
        for (std::unique_ptr<TRawDataPacket> &packet : packets)
            FBuffer.Add(std::move(packet));
    }
    FCounts[rcFrame] += frames.size();
}

void TGraphCommands::PostNewRun(const TDataParameters &parameters)
{
    Post(rcNewRun, std::make_unique<TDataParameters>(parameters));
}

void TGraphCommands::PostStandardParameters(const TStandardGraphParameters &parameters)
{
    Post(rcStandardParameters, parameters.Clone());
}

void TGraphCommands::PostSkewTParameters(const TSkewTGraphParameters &parameters)
{
    Post(rcSkewTParameters, parameters.Clone());
}

void TGraphCommands::PostTimeParameters(const TTimeGraphParameters &parameters)
{
    Post(rcTimeParameters, parameters.Clone());
}

void TGraphCommands::PostLengthUnit(TLengthUnit unit)
{
    Post(rcLengthUnit, std::make_unique<TIntegerWrapper>(int32_t(unit)));
}

void TGraphCommands::PostPrintImage(TGraphType type)
{
    Post(rcPrintImage, std::make_unique<TIntegerWrapper>(int32_t(type)));
}

void TGraphCommands::PostSoundingProducts(uint8_t request)
{
    Post(rcSoundingProducts, std::make_unique<TIntegerWrapper>(int32_t(request)));
}

void TGraphCommands::PostFlightSettings(const TFlightSettings &settings)
{
    Post(rcFlightSettings, std::make_unique<TFlightSettingsPacket>(settings));
}

uint64_t TGraphCommands::Count(uint8_t kind) const
{
    return kind < FCounts.size() ? FCounts[kind].load() : 0;
}
