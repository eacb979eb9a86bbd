// The readers of the graph settings elements: the parameters of the three
// graph kinds and the data parameters, each given the document element of
// the input (after a first byte that chooses the number format). A reader
// either takes the element or raises one of the program's errors; what it
// took is written back, and that text reads back to the same settings.
// Markers read from a file are drawn once, as the graphs will draw them.
#include "fuzz/FuzzSupport.h"
#include "graphs/Canvas.h"
#include "graphs/SkewTGraphParameters.h"
#include "graphs/StandardGraphParameters.h"
#include "graphs/TimeGraphParameters.h"
#include "pipeline/DataParameters.h"

#include <QDomDocument>
#include <QImage>

namespace {

QString WrittenText(const QString &root, const std::function<void(QDomElement &)> &save)
{
    QDomDocument document;
    QDomElement element = document.createElement(root);
    document.appendChild(element);
    save(element);
    return document.toString();
}

QDomElement ParsedRoot(QDomDocument &document, const QString &text)
{
    FUZZ_CHECK(document.setContent(text));
    return document.documentElement();
}

void DrawMarker(const TMarkerDefinition &marker)
{
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas(image);
    try {
        marker.DrawLegendSample(canvas, QPoint(12, 12));
        marker.DrawMarkers(canvas, {QPoint(3, 3), QPoint(20, 12)});
    } catch (const EVentrelError &) {
        // an overflowing size is refused, not drawn
    }
}

// Loads, writes, reads back and writes again: the two texts and the two
// read-back objects must be the same.
template <class TParameters>
void RoundTrip(const QDomElement &element, const std::function<void(const TParameters &)> &use)
{
    TParameters loaded;
    try {
        loaded.LoadFromXML(element);
    } catch (const EVentrelError &) {
        FUZZ_CHECK(loaded == TParameters()); // all or nothing
        return;
    }
    use(loaded);
    const auto save = [](const TParameters &p) {
        return WrittenText(QStringLiteral("Graph"), [&](QDomElement &e) { p.SaveToXML(e); });
    };
    const QString first = save(loaded);
    QDomDocument document;
    TParameters again;
    again.LoadFromXML(ParsedRoot(document, first));
    const QString second = save(again);
    FUZZ_CHECK(first == second);
    TParameters third;
    QDomDocument document2;
    third.LoadFromXML(ParsedRoot(document2, second));
    FUZZ_CHECK(third == again);
}

void CheckBuild(const std::function<void()> &check)
{
    try {
        check();
    } catch (const EVentrelError &) {
        // values the dialogs would refuse are refused when the graph is built
    }
}

void DataParameters(const QDomElement &element)
{
    TDataParameters loaded;
    try {
        loaded.LoadFromXml(element);
    } catch (const EVentrelError &) {
        return;
    }
    const auto save = [](const TDataParameters &p) {
        return WrittenText(QStringLiteral("DataParameters"),
                           [&](QDomElement &e) { p.SaveToXml(e); });
    };
    const QString first = save(loaded);
    QDomDocument document;
    TDataParameters again;
    again.LoadFromXml(ParsedRoot(document, first));
    FUZZ_CHECK(save(again) == first);
    FUZZ_CHECK(again.Configuration().ConfigurationString() ==
               loaded.Configuration().ConfigurationString());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFuzzInput input(data, size);
    const TFuzzLocale locale(input.Byte());
    QDomDocument document;
    if (!document.setContent(input.Rest()))
        return 0;
    const QDomElement root = document.documentElement();

    RoundTrip<TStandardGraphParameters>(root, [](const TStandardGraphParameters &p) {
        CheckBuild([&] {
            std::vector<double> positions;
            p.CheckForBuild(positions);
        });
        for (int32_t i = 1; i <= 10; ++i)
            DrawMarker(p.GetDataMarker(i));
    });
    RoundTrip<TTimeGraphParameters>(root, [](const TTimeGraphParameters &p) {
        CheckBuild([&] {
            std::vector<double> positions;
            p.CheckForBuild(positions);
        });
    });
    RoundTrip<TSkewTGraphParameters>(root, [](const TSkewTGraphParameters &p) {
        CheckBuild([&] { p.CheckForBuild(); });
        DrawMarker(p.TemperatureMarker());
        DrawMarker(p.DewpointMarker());
    });
    DataParameters(root);
    return 0;
}
