// Reading a data line of a run log into a result that holds the run's
// configuration (chosen by the first bytes), under a point or a comma as
// decimal separator. The line read is then written and read once more: what
// the program reads it must be able to write back and read the same.
#include "devices/LogFormat.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFuzzInput input(data, size);
    const TKestrinResult configuration = ConfigurationFromInput(input);
    const TFuzzLocale locale(input.Byte());
    const QString line = QString::fromLocal8Bit(input.Rest());

    TKestrinResult r(configuration);
    const double before = r.Time();
    ParseLogLine(line, r);
    CheckValues(r);
    FUZZ_CHECK(std::isfinite(r.Time()));
    if (r.Time() != before)
        FUZZ_CHECK(r.Time() >= -693593.0 && r.Time() < 2958466.0);

    TKestrinResult again(configuration);
    ParseLogLine(FormatLogLine(r), again);
    CheckValues(again);
    TKestrinResult third(configuration);
    ParseLogLine(FormatLogLine(again), third);
    // Written with fifteen digits once, the time stays as it is.
    FUZZ_CHECK(third.Time() == again.Time());
    for (int c = 1; c <= KestrinChannels; ++c) {
        // Likewise a value written to its channel's decimals.
        const double v = again.Value(c);
        const double w = third.Value(c);
        FUZZ_CHECK(IsNoValue(v) == IsNoValue(w));
        FUZZ_CHECK(IsNoValue(v) || v == w);
    }
    return 0;
}
