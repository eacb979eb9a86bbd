// Frame decoding under every model and transmission type: the first bytes
// choose the configuration, the rest is the frame as the receiver delivers
// it (Latin-1 characters). A decoded frame is then logged and read back, as
// a run and its replay do.
#include "devices/LogFormat.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFuzzInput input(data, size);
    const TKestrinResult configuration = ConfigurationFromInput(input);
    const TFuzzLocale locale(input.Byte());
    const QString frame = QString::fromLatin1(input.Rest());

    TKestrinResult r(configuration);
    bool raised = false;
    try {
        r.SetFrame(frame);
    } catch (const EKestrinInvalidDataError &) {
        raised = true;
    }
    FUZZ_CHECK(r.RawText() == frame);
    CheckValues(r);
    if (frame.contains(QLatin1Char(':'))) {
        FUZZ_CHECK(r.FrameStatus() == fsConfiguration && r.IsConfigurationFrame());
        FUZZ_CHECK(!r.IsInvalidFrame() && !raised);
    } else if (r.IsInvalidFrame()) {
        FUZZ_CHECK(r.FrameStatus() == fsInvalid && !raised);
    } else {
        FUZZ_CHECK(r.FrameStatus() == fsData);
        FUZZ_CHECK(!raised || r.TransmissionType() == ttRaw);
    }
    if (r.FrameStatus() != fsData || raised) {
        for (int c = 1; c <= KestrinChannels; ++c)
            FUZZ_CHECK(IsNoValue(r.Value(c)));
        return 0;
    }

    // The log line holds every value to its channel's decimals, taken from
    // its first fifteen significant digits; reading it back gives each value
    // to within half the last decimal plus that first rounding. Only a
    // pressure that rounds down to zero may fall below its limit and read
    // back as none.
    const QString line = FormatLogLine(r);
    TKestrinResult back(configuration);
    back.SetTime(0.0);
    ParseLogLine(line, back);
    FUZZ_CHECK(back.Time() == r.Time());
    CheckValues(back);
    for (int c = 1; c <= KestrinChannels; ++c) {
        const double v = r.Value(c);
        const double w = back.Value(c);
        if (IsNoValue(v)) {
            FUZZ_CHECK(IsNoValue(w));
            continue;
        }
        if (IsNoValue(w)) {
            FUZZ_CHECK(r.ChannelType(c) == ctPressure);
            continue;
        }
        const double tolerance =
            (0.5 * std::pow(10.0, -r.DecimalPlaces(c)) + std::fabs(v) * 1e-14) * (1 + 1e-9);
        FUZZ_CHECK(std::fabs(v - w) <= tolerance);
    }
    return 0;
}
