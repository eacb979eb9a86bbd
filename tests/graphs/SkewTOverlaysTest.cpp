// The analysis overlays of the Skew-T diagram: their switches in the settings
// document, the figures of the box, the layout and drawing order, and the
// parcel trace on the image.
#include "GraphKindsSupport.h"
#include "RecordedTexts.h"
#include "graphs/SkewTGraph.h"
#include "pipeline/Thermodynamics.h"
#include "support/TestSupport.h"

#include <QDomDocument>

namespace {

QStringList ChildNames(const QDomElement &element)
{
    QStringList names;
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement())
        names << child.tagName();
    return names;
}

TSkewTGraphParameters AllOverlays(int32_t width = 600, int32_t height = 450)
{
    TSkewTGraphParameters parameters;
    parameters.SetWidth(width);
    parameters.SetHeight(height);
    StartupMarkers(parameters);
    parameters.SetShowParcel(true);
    parameters.SetShowStandardAtmosphere(true);
    parameters.SetShowAnalysis(true);
    return parameters;
}

TSkewTOverlays OverlaysOf(const TSkewTGraph &graph)
{
    return {&graph.ParcelTracePoints(), &graph.StandardAtmospherePoints(), &graph.AnalysisRows()};
}

TSeriesCurves CurvesOf(const TSkewTGraph &graph)
{
    return {graph.DryAdiabats(),
            graph.MoistAdiabats(),
            graph.MixingRatioLines(),
            {&graph.TemperaturePoints(), 1},
            {&graph.DewpointPoints(), 1}};
}

const QColor ParcelColour(230, 110, 0);

} // namespace

TEST(SkewTOverlays, SettingsDocumentGainsElementsOnlyForOverlaysThatAreOn)
{
    const QStringList oldElements{"Height", "Width", "ShowAltitude", "TemperatureMarker",
                                  "DewpointMarker"};
    const TSkewTGraphParameters defaults;
    EXPECT_FALSE(defaults.ShowParcel() || defaults.ShowStandardAtmosphere() ||
                 defaults.ShowAnalysis());
    QDomDocument document;
    const QString oldDocument = SaveDocument(defaults, QStringLiteral("SkewTGraph"));
    EXPECT_EQ(ChildNames(GraphElement(document, oldDocument, QStringLiteral("SkewTGraph"))),
              oldElements);

    // Each switch counts in the comparison and the copy.
    TSkewTGraphParameters on;
    on.SetShowParcel(true);
    EXPECT_FALSE(on == defaults);
    on.SetShowParcel(false);
    on.SetShowStandardAtmosphere(true);
    EXPECT_FALSE(on == defaults);
    on.SetShowStandardAtmosphere(false);
    on.SetShowAnalysis(true);
    EXPECT_FALSE(on == defaults);
    on.SetShowParcel(true);
    EXPECT_EQ(TSkewTGraphParameters(on), on);

    // Only the overlays that are on, after the old elements; read back whole.
    const QString text = SaveDocument(on, QStringLiteral("SkewTGraph"));
    const QDomElement element = GraphElement(document, text, QStringLiteral("SkewTGraph"));
    EXPECT_EQ(ChildNames(element), oldElements + QStringList({"ParcelTrace", "AnalysisBox"}));
    EXPECT_EQ(element.firstChildElement("AnalysisBox").text(), "true");
    TSkewTGraphParameters loaded;
    loaded.LoadFromXML(element);
    EXPECT_EQ(loaded, on);

    // A document from before the overlays turns them off.
    loaded.LoadFromXML(GraphElement(document, oldDocument, QStringLiteral("SkewTGraph")));
    EXPECT_EQ(loaded, defaults);

    // A switch that says nothing readable is an error that changes nothing.
    TSkewTGraphParameters target = on;
    QString broken = text;
    broken.replace(QStringLiteral("<AnalysisBox>true<"), QStringLiteral("<AnalysisBox>maybe<"));
    EXPECT_EQ(MessageOf<EConvertError>(
                  [&] { target.LoadFromXML(GraphElement(document, broken, "SkewTGraph")); }),
              "KestrinGraphs/SkewTGraph/AnalysisBox: 'maybe' is not a valid boolean value");
    EXPECT_EQ(target, on);
}

// The box's figures come from the analysis core; the lifted condensation
// level of air at 30 degC with a dew point of 20 degC at 1000 mbar is worked
// by hand (Bolton): 290.82 K at 864.6 mbar.
TEST(SkewTOverlays, AnalysisBoxTexts)
{
    LocaleGuard locale("C");
    const TSoundingAnalysis analysis = AnalyseSounding(ConvectiveAscent());
    ASSERT_TRUE(analysis.Cape && analysis.FreezingLevel && analysis.Tropopause);
    EXPECT_GT(*analysis.Cape, 100.0);
    const TAnalysisBoxRows rows = AnalysisBoxRows(analysis, luMeters);
    const TAnalysisBoxRows expected{
        {"LCL", QString::fromUtf8("865 mbar, 17.7 \u00B0C")},
        {"CAPE", FormatFixed(*analysis.Cape, 0) + " J/kg"},
        {"CIN", FormatFixed(*analysis.Cin, 0) + " J/kg"},
        {"PW", FormatFixed(*analysis.PrecipitableWater, 1) + " mm"},
        {"Freezing", FormatFixed(analysis.FreezingLevel->Altitude, 0) + " m, " +
                         FormatFixed(analysis.FreezingLevel->Pressure, 0) + " mbar"},
        {"Tropopause", FormatFixed(analysis.Tropopause->Altitude, 0) + " m, " +
                           FormatFixed(analysis.Tropopause->Pressure, 0) + " mbar"}};
    EXPECT_EQ(rows, expected);

    // Feet and a decimal comma.
    LocaleGuard german("de_DE.UTF-8");
    const TAnalysisBoxRows feet = AnalysisBoxRows(analysis, luFeet);
    EXPECT_EQ(feet[0].Value, QString::fromUtf8("865 mbar, 17,7 \u00B0C"));
    EXPECT_EQ(feet[4].Value, FormatFixed(MetersToFeet(analysis.FreezingLevel->Altitude), 0) +
                                 " ft, " + FormatFixed(analysis.FreezingLevel->Pressure, 0) +
                                 " mbar");

    // Nothing to tell yet.
    for (const TAnalysisBoxRow &row : AnalysisBoxRows(TSoundingAnalysis(), luMeters))
        EXPECT_EQ(row.Value, "n/a") << row.Caption.toStdString();
}

// The overlays follow the frames as they arrive and cost nothing while off.
TEST(SkewTOverlays, AnalysisFollowsTheFramesAndTheSwitches)
{
    LocaleGuard locale("C");
    const TDataPacketList flight = ConvectiveAscent();
    TSkewTGraph graph;
    TSkewTGraphParameters parameters = AllOverlays();
    parameters.SetShowParcel(false);
    parameters.SetShowStandardAtmosphere(false);
    parameters.SetShowAnalysis(false);
    graph.ApplyParameters(parameters, luMeters, flight);
    EXPECT_TRUE(graph.Analysis().Profile.empty());
    EXPECT_TRUE(graph.ParcelTracePoints().empty());
    EXPECT_TRUE(graph.StandardAtmospherePoints().empty());
    EXPECT_TRUE(graph.AnalysisRows().empty());

    // The sonde still below the condensation level: a parcel, no CAPE yet.
    TDataPacketList arriving(flight.begin(), flight.begin() + 5);
    graph.ApplyParameters(AllOverlays(), luFeet, arriving);
    ASSERT_FALSE(graph.ParcelTracePoints().empty());
    EXPECT_NEAR(graph.ParcelTracePoints().front().X, 30.0, 1e-9);
    EXPECT_EQ(graph.ParcelTracePoints().front().Y, 1000.0);
    EXPECT_EQ(graph.ParcelTracePoints().back().Y, 100.0); // the top of the diagram
    EXPECT_EQ(graph.AnalysisRows()[1].Value, "n/a");
    // The standard atmosphere over the whole height of the diagram.
    ASSERT_FALSE(graph.StandardAtmospherePoints().empty());
    EXPECT_EQ(graph.StandardAtmospherePoints().front().Y, 1050.0);
    EXPECT_EQ(graph.StandardAtmospherePoints().back().Y, 100.0);

    arriving.insert(arriving.end(), flight.begin() + 5, flight.end());
    graph.AddData(arriving, 5);
    EXPECT_EQ(graph.AnalysisRows(), AnalysisBoxRows(AnalyseSounding(flight), luFeet));
    EXPECT_NE(graph.AnalysisRows()[1].Value, "n/a");

    // A new run starts the figures afresh.
    graph.Clear();
    EXPECT_EQ(graph.AnalysisRows(), AnalysisBoxRows(TSoundingAnalysis(), luFeet));
}

// With text 6 pixels a character and 13 high, in the plot area of a 600 x 450
// diagram (65, 40, 519, 399).
TEST(SkewTOverlays, LayoutOfTheAnalysisBox)
{
    const TAnalysisBoxRows rows{{"LCL", "n/a"}, {"Tropopause", "11000 m, 225 mbar"}};
    TRecordingCanvas canvas;
    const TRect plot{65, 40, 519, 399};
    // 10 + 17 characters, a gap of 8 and padding of 4 on each side: 178 wide;
    // 2 rows and padding: 34 high; inset 6 from the frame.
    TAnalysisBoxLayout layout = LayoutAnalysisBox(canvas, plot, rows, 1);
    EXPECT_EQ(layout.Box, (TRect{335, 46, 513, 80}));
    EXPECT_EQ(layout.CaptionOrigins, (std::vector<QPoint>{{339, 50}, {339, 63}}));
    EXPECT_EQ(layout.ValueOrigins, (std::vector<QPoint>{{407, 50}, {407, 63}}));

    // Print: every measure five times (the text measures are the canvas's).
    layout = LayoutAnalysisBox(canvas, TRect{325, 200, 2595, 1995}, rows, 5);
    EXPECT_EQ(layout.Box, (TRect{2323, 230, 2565, 296}));
    EXPECT_EQ(layout.ValueOrigins[1], QPoint(2323 + 20 + 60 + 40, 250 + 13));

    // No box on a plot it would fill more than half of either way.
    EXPECT_TRUE(LayoutAnalysisBox(canvas, TRect{65, 40, 420, 399}, rows, 1).ValueOrigins.empty());
    EXPECT_FALSE(LayoutAnalysisBox(canvas, TRect{65, 40, 421, 399}, rows, 1).ValueOrigins.empty());
    EXPECT_TRUE(LayoutAnalysisBox(canvas, TRect{65, 40, 519, 107}, rows, 1).ValueOrigins.empty());
    EXPECT_FALSE(LayoutAnalysisBox(canvas, TRect{65, 40, 519, 108}, rows, 1).ValueOrigins.empty());
}

TEST(SkewTOverlays, DrawingOrderAndPrintLegend)
{
    TSkewTGraph graph;
    graph.ApplyParameters(AllOverlays(), luMeters, ConvectiveAscent());
    TRecordingCanvas canvas;
    graph.Context().DrawCurves(canvas, graph.ScreenDefinition(), CurvesOf(graph),
                               OverlaysOf(graph));

    // Reference curves, the box, standard atmosphere, parcel, then the traces.
    std::vector<QString> order;
    for (const TRecordedOp &op : canvas.Ops)
        if (op.Kind == "Polyline" || op.Kind == "Rectangle")
            order.push_back(op.Kind + " " + op.Pen.color().name());
    ASSERT_EQ(order.size(), 43u + 1u + 4u);
    EXPECT_EQ(order[43], "Rectangle #808080");
    EXPECT_EQ(order[44], "Polyline #808080");
    EXPECT_EQ(order[45], "Polyline #e66e00");
    EXPECT_EQ(order[46], "Polyline #ff0000");
    EXPECT_EQ(order[47], "Polyline #0000ff");
    const auto box = canvas.OfKind("Rectangle")[0];
    EXPECT_EQ(box.Brush.color(), QColor(Qt::white));
    // Top-right, inset from the frame.
    EXPECT_EQ(box.Points[0].y(), 46);
    EXPECT_EQ(box.Points[1].x(), 513);
    const auto texts = TextOrigins(canvas);
    EXPECT_EQ(texts.at("Tropopause").x(), texts.at("LCL").x());
    EXPECT_EQ(texts.at("Tropopause").y(), texts.at("LCL").y() + 5 * 13);

    // The print legend adds a row for each overlay curve below the traces'.
    TSkewTGraphDefinition print;
    print.Assign(graph.Screen());
    print.SetWidth(print.Width() + print.Legend().Width());
    print.Scale(5);
    print.SetLegendVisible(true);
    TRecordingCanvas printed;
    graph.Context().DrawCurves(printed, print, CurvesOf(graph), OverlaysOf(graph));
    const auto printTexts = TextOrigins(printed);
    // The strip starts at 3000; rows of 150 from 350, text 200 in.
    EXPECT_EQ(printTexts.at("Dewpoint"), QPoint(3200, 500));
    EXPECT_EQ(printTexts.at("Parcel"), QPoint(3200, 650));
    EXPECT_EQ(printTexts.at("Std. atmos."), QPoint(3200, 800));
    EXPECT_EQ(printed.OfKind("Rectangle")[0].Pen.width(), 5);
}

// On the image: the parcel's path in dark orange where the diagram puts it,
// and nowhere while the overlay is off.
TEST(SkewTOverlays, ParcelTraceIsDrawnWhereItMustBe)
{
    auto orangeNear = [](const QImage &image, QPoint centre) {
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                if (image.pixelColor(centre + QPoint(dx, dy)) == ParcelColour)
                    return true;
        return false;
    };
    auto orangePixels = [](const QImage &image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == ParcelColour;
        return count;
    };

    TSkewTGraph graph;
    graph.ApplyParameters(AllOverlays(), luMeters, ConvectiveAscent());
    graph.Redraw();
    const QImage image = graph.Bitmap();
    TLiftedParcel parcel(1000.0, CelsiusToKelvin(30.0), CelsiusToKelvin(20.0));
    for (double p : {950.0, 865.0, 700.0, 500.0, 300.0, 200.0}) {
        const QPoint at = graph.Context().SkewTransformer().TransformPoint(
            KelvinToCelsius(parcel.Temperature(p)), p);
        EXPECT_TRUE(orangeNear(image, at)) << p << " mbar at " << at.x() << ", " << at.y();
    }
    EXPECT_GT(orangePixels(image), 300);

    TSkewTGraphParameters off = AllOverlays();
    off.SetShowParcel(false);
    graph.ApplyParameters(off, luMeters, ConvectiveAscent());
    graph.Redraw();
    EXPECT_EQ(orangePixels(graph.Bitmap()), 0);
}
