// Reading a whole run log from bytes, then replaying its data lines against
// the configuration of its second line. A log read without complaint is
// written back (header and lines) and must read the same again.
#include "devices/LogFormat.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFuzzInput input(data, size);
    const TFuzzLocale locale(input.Byte());
    const QByteArray contents = input.Rest();

    TRunLog log;
    try {
        log = ParseRunLog(contents, QStringLiteral("fuzz.log"));
    } catch (const ELogFileError &e) {
        FUZZ_CHECK(e.Message().contains(QStringLiteral("fuzz.log")));
        return 0;
    } catch (const EKestrinConfigStringError &) {
        return 0;
    }
    FUZZ_CHECK(std::isfinite(log.LaunchElevation));

    for (const QString &line : log.DataLines) {
        TKestrinResult r(log.Configuration);
        ParseLogLine(line, r);
        CheckValues(r);
    }

    QStringList lines;
    try {
        lines = LogHeaderLines(log.Configuration, log.LaunchElevation);
    } catch (const ERangeError &) {
        return 0; // an elevation beyond any 32-bit number of metres
    } catch (const EMathError &) {
        return 0;
    }
    lines += log.DataLines;
    const TRunLog again = ParseRunLog(EncodeLogLines(lines), QStringLiteral("again.log"));
    FUZZ_CHECK(again.Configuration.ConfigurationString() ==
               log.Configuration.ConfigurationString());
    FUZZ_CHECK(again.LaunchElevation == std::nearbyint(log.LaunchElevation));
    FUZZ_CHECK(again.DataLines == log.DataLines);
    return 0;
}
