// The analysis overlays of the Skew-T diagram: their switches in the settings
// document, the figures of the box, its layout, the drawing order, and the
// parcel trace on the image.
#include "GraphKindsSupport.h"
#include "RecordedTexts.h"
#include "graphs/SkewTGraph.h"
#include "pipeline/PacketSounding.h"
#include "sounding/Thermodynamics.h"
#include "support/TestSupport.h"

namespace {

TSkewTGraphParameters AllOverlays(bool on = true)
{
    TSkewTGraphParameters parameters;
    parameters.SetWidth(600);
    parameters.SetHeight(450);
    StartupMarkers(parameters);
    parameters.SetShowParcel(on);
    parameters.SetShowStandardAtmosphere(on);
    parameters.SetShowAnalysis(on);
    return parameters;
}

} // namespace

TEST(SkewTOverlays, SettingsDocumentGainsElementsOnlyForOverlaysThatAreOn)
{
    auto childNames = [](const QString &text) {
        QDomDocument document;
        QStringList names;
        for (QDomElement child = GraphElement(document, text, "SkewTGraph").firstChildElement();
             !child.isNull(); child = child.nextSiblingElement())
            names << child.tagName() + "=" +
                         (child.firstChildElement().isNull() ? child.text() : "");
        return names;
    };
    const QString old = SaveDocument(TSkewTGraphParameters(), "SkewTGraph");
    const QStringList oldElements{"Height=200", "Width=200", "ShowAltitude=true",
                                  "TemperatureMarker=", "DewpointMarker="};
    EXPECT_EQ(childNames(old), oldElements);

    TSkewTGraphParameters on;
    on.SetShowParcel(true);
    on.SetShowAnalysis(true);
    const QString text = SaveDocument(on, "SkewTGraph");
    EXPECT_EQ(childNames(text),
              oldElements + QStringList({"ParcelTrace=true", "AnalysisBox=true"}));
    QDomDocument document;
    TSkewTGraphParameters loaded;
    loaded.LoadFromXML(GraphElement(document, text, "SkewTGraph"));
    EXPECT_EQ(loaded, on);

    // A document from before the overlays turns them off.
    loaded = AllOverlays();
    loaded.LoadFromXML(GraphElement(document, old, "SkewTGraph"));
    EXPECT_EQ(loaded, TSkewTGraphParameters());

    // A switch that says nothing readable is an error that changes nothing.
    QString broken = text;
    broken.replace("<AnalysisBox>true<", "<AnalysisBox>maybe<");
    EXPECT_EQ(MessageOf<EConvertError>(
                  [&] { loaded.LoadFromXML(GraphElement(document, broken, "SkewTGraph")); }),
              "KestrinGraphs/SkewTGraph/AnalysisBox: 'maybe' is not a valid boolean value");
    EXPECT_EQ(loaded, TSkewTGraphParameters());
}

// The figures come from the analysis core. The condensation level of air at
// 30 degC with a dew point of 20 degC at 1000 mbar, by hand (Bolton): 290.82 K
// at 864.6 mbar.
TEST(SkewTOverlays, AnalysisBoxFollowsTheFrames)
{
    LocaleGuard locale("C");
    const TDataPacketList flight = ConvectiveAscent();
    const TSoundingAnalysis analysis = AnalyseSounding(flight);
    ASSERT_TRUE(analysis.Cape && analysis.FreezingLevel && analysis.Tropopause);
    const TAnalysisBoxRows expected{
        {"LCL", QString::fromUtf8("865 mbar, 17.7 \u00B0C")},
        {"CAPE", FormatFixed(*analysis.Cape, 0) + " J/kg"},
        {"CIN", FormatFixed(*analysis.Cin, 0) + " J/kg"},
        {"PW", FormatFixed(*analysis.PrecipitableWater, 1) + " mm"},
        {"Freezing", FormatFixed(MetersToFeet(analysis.FreezingLevel->Altitude), 0) + " ft, " +
                         FormatFixed(analysis.FreezingLevel->Pressure, 0) + " mbar"},
        {"Tropopause", FormatFixed(MetersToFeet(analysis.Tropopause->Altitude), 0) + " ft, " +
                           FormatFixed(analysis.Tropopause->Pressure, 0) + " mbar"}};

    // Below the condensation level: the parcel over the whole diagram, no CAPE yet.
    TSkewTGraph graph;
    TDataPacketList arriving(flight.begin(), flight.begin() + 5);
    graph.ApplyParameters(AllOverlays(), luFeet, arriving);
    EXPECT_EQ(graph.AnalysisRows()[0].Value, expected[0].Value);
    EXPECT_EQ(graph.AnalysisRows()[1].Value, "n/a");
    EXPECT_EQ(graph.ParcelTracePoints().back().Y, 100.0);
    EXPECT_EQ(graph.StandardAtmospherePoints().front().Y, 1050.0);

    arriving.insert(arriving.end(), flight.begin() + 5, flight.end());
    graph.AddData(arriving, 5);
    EXPECT_EQ(graph.AnalysisRows(), expected);
    graph.Clear();
    for (const TAnalysisBoxRow &row : graph.AnalysisRows())
        EXPECT_EQ(row.Value, "n/a") << row.Caption.toStdString();

    // Switched off, nothing is computed.
    graph.ApplyParameters(AllOverlays(false), luFeet, flight);
    EXPECT_TRUE(graph.Analysis().Profile.empty());
    EXPECT_TRUE(graph.ParcelTracePoints().empty() && graph.StandardAtmospherePoints().empty() &&
                graph.AnalysisRows().empty());
}

// With text 6 pixels a character and 13 high, in the plot area of a 600 x 450
// diagram (65, 40, 519, 399): 10 + 17 characters, a gap of 8 and a padding of
// 4 on each side make 178 x 34 pixels, inset 6 from the frame.
TEST(SkewTOverlays, LayoutOfTheAnalysisBox)
{
    const TAnalysisBoxRows rows{{"LCL", "n/a"}, {"Tropopause", "11000 m, 225 mbar"}};
    TRecordingCanvas canvas;
    TAnalysisBoxLayout layout = LayoutAnalysisBox(canvas, TRect{65, 40, 519, 399}, rows, 1);
    EXPECT_EQ(layout.Box, (TRect{335, 46, 513, 80}));
    EXPECT_EQ(layout.CaptionOrigins, (std::vector<QPoint>{{339, 50}, {339, 63}}));
    EXPECT_EQ(layout.ValueOrigins, (std::vector<QPoint>{{407, 50}, {407, 63}}));
    // Print: every measure five times (the text measures are the canvas's).
    layout = LayoutAnalysisBox(canvas, TRect{325, 200, 2595, 1995}, rows, 5);
    EXPECT_EQ(layout.Box, (TRect{2323, 230, 2565, 296}));
    EXPECT_EQ(layout.ValueOrigins[1], QPoint(2443, 263));
    // No box on a plot it would fill more than half of either way.
    EXPECT_TRUE(LayoutAnalysisBox(canvas, TRect{65, 40, 420, 399}, rows, 1).ValueOrigins.empty());
    EXPECT_FALSE(LayoutAnalysisBox(canvas, TRect{65, 40, 421, 399}, rows, 1).ValueOrigins.empty());
    EXPECT_TRUE(LayoutAnalysisBox(canvas, TRect{65, 40, 519, 107}, rows, 1).ValueOrigins.empty());
}

TEST(SkewTOverlays, DrawingOrderAndPrintLegend)
{
    TSkewTGraph graph;
    graph.ApplyParameters(AllOverlays(), luMeters, ConvectiveAscent());
    const TSeriesCurves curves = {graph.DryAdiabats(),
                                  graph.MoistAdiabats(),
                                  graph.MixingRatioLines(),
                                  {&graph.TemperaturePoints(), 1},
                                  {&graph.DewpointPoints(), 1}};
    const TSkewTOverlays overlays{&graph.ParcelTracePoints(), &graph.StandardAtmospherePoints(),
                                  &graph.AnalysisRows()};
    TRecordingCanvas canvas;
    graph.Context().DrawCurves(canvas, graph.ScreenDefinition(), curves, overlays);
    // 43 reference curves, the box, standard atmosphere, parcel, then the traces.
    QStringList order;
    for (const TRecordedOp &op : canvas.Ops)
        if (op.Kind == "Polyline" || op.Kind == "Rectangle")
            order << op.Kind + " " + op.Pen.color().name();
    ASSERT_EQ(order.size(), 48);
    EXPECT_EQ(order.mid(43),
              QStringList({"Rectangle #808080", "Polyline #808080", "Polyline #e66e00",
                           "Polyline #ff0000", "Polyline #0000ff"}));

    // The print legend adds a row for each overlay curve: the strip starts at
    // 3000, rows 150 apart from 350, texts 200 in.
    TSkewTGraphDefinition print;
    print.Assign(graph.Screen());
    print.SetWidth(print.Width() + print.Legend().Width());
    print.Scale(5);
    print.SetLegendVisible(true);
    TRecordingCanvas printed;
    graph.Context().DrawCurves(printed, print, curves, overlays);
    const auto texts = TextOrigins(printed);
    EXPECT_EQ(texts.at("Dewpoint"), QPoint(3200, 500));
    EXPECT_EQ(texts.at("Parcel"), QPoint(3200, 650));
    EXPECT_EQ(texts.at("Std. atmos."), QPoint(3200, 800));
}

// On the image: dark orange where the diagram puts the parcel, and nowhere
// while the overlay is off.
TEST(SkewTOverlays, ParcelTraceIsDrawnWhereItMustBe)
{
    const QColor orange(230, 110, 0);
    auto orangeWithin = [&](const QImage &image, QRect area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += image.rect().contains(x, y) && image.pixelColor(x, y) == orange;
        return count;
    };
    TSkewTGraph graph;
    graph.ApplyParameters(AllOverlays(), luMeters, ConvectiveAscent());
    graph.Redraw();
    TLiftedParcel parcel(1000.0, CelsiusToKelvin(30.0), CelsiusToKelvin(20.0));
    // A dash gap is 4 pixels: some of the dash lies within 3 of any point.
    for (double p : {950.0, 865.0, 700.0, 500.0, 300.0, 200.0}) {
        const QPoint at = graph.Context().SkewTransformer().TransformPoint(
            KelvinToCelsius(parcel.Temperature(p)), p);
        EXPECT_GT(orangeWithin(graph.Bitmap(), QRect(at - QPoint(3, 3), QSize(7, 7))), 0) << p;
    }
    TSkewTGraphParameters off = AllOverlays();
    off.SetShowParcel(false);
    graph.ApplyParameters(off, luMeters, ConvectiveAscent());
    graph.Redraw();
    EXPECT_EQ(orangeWithin(graph.Bitmap(), graph.Bitmap().rect()), 0);
}
