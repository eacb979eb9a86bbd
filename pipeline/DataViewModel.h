#pragma once
// TDataViewModel: the contents of the data list kept without a widget. It
// applies the graph thread's view packets as the window's data list timer
// does, so that the headless renderer and the tests read the same header,
// left and right texts the window would show.
#include "pipeline/DataBuffer.h"

#include <QStringList>

class TDataViewModel
{
  public:
    // Kind 0 appends rows; kind 1 empties headers and rows and adds the
    // heading lines; kind 2 replaces headers and rows.
    void Apply(const TDataViewPacket &packet);
    // Takes every waiting packet out of the buffer in one swap and applies
    // them in order.
    void Collect(TDataBuffer<TDataViewPacket> &buffer);

    const QStringList &Headers() const { return FHeaders; }
    const QStringList &Lefts() const { return FLefts; }
    const QStringList &Rights() const { return FRights; }

  private:
    QStringList FHeaders;
    QStringList FLefts;
    QStringList FRights;
};
