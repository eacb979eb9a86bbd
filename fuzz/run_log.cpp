// Reading a whole run log from bytes, then replaying its data lines against
// the configuration of its second line and saving them in a settings
// document, as Load Log and Save Graphs do. A log read without complaint is
// written back (header and lines) and must read the same again.
#include "devices/LogFormat.h"
#include "fuzz/FuzzSupport.h"
#include "pipeline/GraphSettingsDocument.h"

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

    // Load Log replays the lines; Save Graphs then writes them into a
    // settings document, which Load Graphs must read back line for line.
    TGraphSettings settings;
    settings.DataParameters.Configuration() = log.Configuration;
    settings.DataParameters.SetLaunchElevation(log.LaunchElevation);
    settings.RecordedLines = ReplayedLines(log.DataLines, log.Configuration);
    try {
        const TGraphSettings loaded =
            ParseGraphSettings(GraphSettingsToBytes(settings), QStringLiteral("fuzz.xml"));
        // Only characters no XML document can hold may come back replaced.
        FUZZ_CHECK(loaded.RecordedLines.size() == settings.RecordedLines.size());
        for (qsizetype i = 0; i < loaded.RecordedLines.size(); ++i) {
            const QString &line = settings.RecordedLines[i];
            const QString &back = loaded.RecordedLines[i];
            FUZZ_CHECK(back.size() == line.size());
            for (qsizetype k = 0; k < line.size(); ++k) {
                const char16_t a = line[k].unicode();
                const bool xml = (a >= 0x20 || a == u'\t' || a == u'\n' || a == u'\r') &&
                                 a != 0xFFFE && a != 0xFFFF && !QChar::isSurrogate(a);
                FUZZ_CHECK(back[k] == line[k] || (!xml && back[k] == QChar::ReplacementCharacter));
            }
        }
    } catch (const EVentrelError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        FUZZ_CHECK(false && "a settings document saved after Load Log does not load");
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
