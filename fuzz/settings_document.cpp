// The graph settings document as Load Graphs reads it, its recorded lines
// replayed as the recording session does, and the document saved and loaded
// again as Save Graphs and Load Graphs do. A document that loads must save
// to one that loads to the same settings and the same lines.
#include "devices/LogFormat.h"
#include "fuzz/FuzzSupport.h"
#include "pipeline/GraphSettingsDocument.h"
#include "pipeline/RecordingSession.h"

namespace {

bool SameSettings(const TGraphSettings &a, const TGraphSettings &b)
{
    return a.StandardParameters == b.StandardParameters && a.SkewTParameters == b.SkewTParameters &&
           a.TimeParameters == b.TimeParameters &&
           a.DataParameters.Configuration().ConfigurationString() ==
               b.DataParameters.Configuration().ConfigurationString() &&
           a.DataParameters.LaunchElevation() == b.DataParameters.LaunchElevation() &&
           a.DisplayedUnit == b.DisplayedUnit && a.CurrentGraph == b.CurrentGraph &&
           a.RecordedLines == b.RecordedLines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFuzzInput input(data, size);
    const TFuzzLocale locale(input.Byte());
    TGraphSettings loaded;
    try {
        loaded = ParseGraphSettings(input.Rest(), QStringLiteral("fuzz.xml"));
    } catch (const EVentrelError &) {
        return 0;
    }

    // What the main window holds after the load, and saves.
    TGraphSettings held = loaded;
    held.RecordedLines = ReplayedLines(loaded.RecordedLines, loaded.DataParameters.Configuration());
    const QByteArray saved = GraphSettingsToBytes(held);

    TGraphSettings again;
    try {
        again = ParseGraphSettings(saved, QStringLiteral("saved.xml"));
    } catch (const EVentrelError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        FUZZ_CHECK(false && "a saved settings document does not load");
    }
    FUZZ_CHECK(again.RecordedLines == held.RecordedLines);
    FUZZ_CHECK(again.DisplayedUnit == held.DisplayedUnit);
    FUZZ_CHECK(again.CurrentGraph == held.CurrentGraph);
    FUZZ_CHECK(again.DataParameters.Configuration().ConfigurationString() ==
               held.DataParameters.Configuration().ConfigurationString());
    // Lines once recorded are recorded the same when replayed again.
    FUZZ_CHECK(ReplayedLines(again.RecordedLines, again.DataParameters.Configuration()) ==
               again.RecordedLines);
    // Numbers read from the file may carry more digits than are written;
    // once saved, the document stays as it is.
    const QByteArray savedAgain = GraphSettingsToBytes(again);
    FUZZ_CHECK(savedAgain == saved);
    FUZZ_CHECK(SameSettings(ParseGraphSettings(savedAgain, QStringLiteral("again.xml")), again));
    return 0;
}
