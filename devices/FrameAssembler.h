#pragma once
// Cuts the receiver's character stream into frames at "/". Pure: it knows
// nothing of the exchange library or of threads, so the framing can be fed
// any stream split into polls in any way.
#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>

class TFrameAssembler
{
  public:
    // No real frame comes near this length; a longer one is garbage and is
    // dropped rather than held (or decoded) without bound.
    static constexpr int MaxFrameLength = 4096;

    // Called for each completed, non-empty frame with the time of the poll
    // in which its opening "/" arrived.
    using TFrameHandler = std::function<void(const QString &frame, double frameTime)>;

    // Appends a symbol as the exchange library returns it (only its low
    // eight bits are the character) unless it is a blank or a control
    // character, which are dropped.
    static void AppendSymbol(QString &text, int32_t symbol)
    {
        const uchar code = uchar(symbol & 0xFF);
        if (code > 32)
            text += QChar::fromLatin1(char(code));
    }

    // Takes the visible characters of one poll made at `now` and hands every
    // frame they complete to `onFrame`, in order. Characters before the
    // first "/" ever seen (or after a dropped overlong frame) are discarded.
    void AddPoll(QStringView received, double now, const TFrameHandler &onFrame);

    // The characters not yet consumed; when not empty it begins with "/".
    const QString &Buffer() const { return FBuffer; }
    // The time the next completed frame will carry.
    double FrameTime() const { return FFrameTime; }

  private:
    QString FBuffer;
    double FFrameTime = 0.0;
};
