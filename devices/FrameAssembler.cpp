#include "devices/FrameAssembler.h"

void TFrameAssembler::AddPoll(QStringView received, double now, const TFrameHandler &onFrame)
{
    if (FBuffer.isEmpty())
        FFrameTime = now;
    if (received.isEmpty() && FBuffer.isEmpty())
        return;

    FBuffer += received;
    const qsizetype first = FBuffer.indexOf(QLatin1Char('/'));
    if (first < 0) {
        // Whatever precedes the first delimiter is not part of any frame.
        FBuffer.clear();
        return;
    }
    qsizetype start = first + 1;
    for (qsizetype end = FBuffer.indexOf(QLatin1Char('/'), start); end >= 0;
         end = FBuffer.indexOf(QLatin1Char('/'), start)) {
        const qsizetype length = end - start;
        if (length > 0 && length <= MaxFrameLength && onFrame)
            onFrame(FBuffer.mid(start, length), FFrameTime);
        start = end + 1;
        FFrameTime = now;
    }
    if (FBuffer.size() - start > MaxFrameLength) {
        // An unfinished frame already too long to be real: drop it. Its tail,
        // up to the next delimiter, then goes as garbage before a delimiter.
        FBuffer.clear();
        return;
    }
    FBuffer = QLatin1Char('/') + FBuffer.mid(start);
}
