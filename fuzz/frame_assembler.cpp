// The receiver's framing fed arbitrary symbol streams split into polls at
// arbitrary points. Whatever the split, it must find the frames a reading of
// the whole stream at once finds, each stamped with the time of the poll in
// which its opening "/" arrived.
//
// Input: a sequence of polls. A byte below 200 is the length of a poll whose
// symbols follow literally; a byte b of 200 or more starts a poll of one
// repeated symbol (the next byte) whose length is (b - 199) * 16 * the byte
// after, so that overlong frames are cheap to reach.
#include "devices/FrameAssembler.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <vector>

namespace {

struct TFrame
{
    QString Text;
    double Time;
    bool operator==(const TFrame &) const = default;
};

// Where each poll's characters begin in the whole stream, and its time.
struct TPoll
{
    qsizetype Start;
    double Time;
};

// The framing of the whole stream at once: each character carries the time
// of its poll.
std::vector<TFrame> WholeStreamFrames(const QString &stream, const std::vector<TPoll> &polls)
{
    const auto timeOf = [&](qsizetype position) {
        const auto next =
            std::upper_bound(polls.begin(), polls.end(), position,
                             [](qsizetype p, const TPoll &poll) { return p < poll.Start; });
        return std::prev(next)->Time;
    };
    std::vector<TFrame> frames;
    qsizetype open = stream.indexOf(QLatin1Char('/'));
    while (open >= 0) {
        const qsizetype close = stream.indexOf(QLatin1Char('/'), open + 1);
        if (close < 0)
            break;
        const qsizetype length = close - open - 1;
        if (length > 0 && length <= TFrameAssembler::MaxFrameLength)
            frames.push_back({stream.mid(open + 1, length), timeOf(open)});
        open = close;
    }
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr qsizetype MaxStream = 1 << 14;
    TFuzzInput input(data, size);
    TFrameAssembler assembler;
    std::vector<TFrame> frames;
    QString stream; // every visible character, as the polls delivered them
    std::vector<TPoll> polls;
    const auto onFrame = [&](const QString &frame, double time) {
        FUZZ_CHECK(!frame.isEmpty() && frame.size() <= TFrameAssembler::MaxFrameLength);
        FUZZ_CHECK(!frame.contains(QLatin1Char('/')));
        frames.push_back({frame, time});
    };

    double now = 45000.0;
    while (!input.AtEnd() && stream.size() < MaxStream) {
        now += 0.1 / 86400.0;
        const uint8_t head = input.Byte();
        QString received;
        if (head < 200) {
            for (const char byte : input.Take(head))
                TFrameAssembler::AppendSymbol(received, int32_t(uint8_t(byte)));
        } else {
            TFrameAssembler::AppendSymbol(received, input.Byte());
            const qsizetype count = (head - 199) * 16 * input.Byte();
            if (!received.isEmpty())
                received = QString(std::min(count, MaxStream - stream.size()), received.at(0));
        }
        for (const QChar ch : received)
            FUZZ_CHECK(ch.unicode() > 32 && ch.unicode() < 256);
        const size_t before = frames.size();
        assembler.AddPoll(received, now, onFrame);
        for (size_t i = before; i < frames.size(); ++i)
            FUZZ_CHECK(frames[i].Time <= now);
        if (!received.isEmpty())
            polls.push_back({stream.size(), now});
        stream += received;

        const QString &buffer = assembler.Buffer();
        FUZZ_CHECK(buffer.isEmpty() || buffer.startsWith(QLatin1Char('/')));
        FUZZ_CHECK(buffer.lastIndexOf(QLatin1Char('/')) <= 0);
        FUZZ_CHECK(buffer.size() <= TFrameAssembler::MaxFrameLength + 1);
    }
    FUZZ_CHECK(frames == WholeStreamFrames(stream, polls));
    return 0;
}
