// The settings elements of the three graph kinds: what is written, in which
// order, and how a file is read back (by name and by position), including
// files that are broken.
#include "GraphKindsSupport.h"
#include "graphs/SkewTGraphParameters.h"
#include "graphs/StandardGraphParameters.h"
#include "graphs/TimeGraphParameters.h"
#include "support/TestSupport.h"

namespace {

QStringList ChildNames(const QDomElement &element)
{
    QStringList names;
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement())
        names << child.tagName();
    return names;
}

void CustomMarker(TMarkerDefinition &marker, int seed)
{
    marker.SetShape(TDataMarker(seed % 4));
    marker.SetSize(5 + seed);
    marker.SetLinePen(QPen(QColor(seed * 20, 10, 200), 1 + seed % 3));
    marker.SetMarkerPen(QPen(QColor(0, seed * 20, 30), 2));
    marker.SetMarkerBrush(QBrush(QColor(seed * 10, 100, 0)));
    marker.SetLineBrush(QBrush(QColor(1, 2, seed)));
}

TStandardGraphParameters CustomStandard()
{
    TStandardGraphParameters p;
    p.SetWidth(640);
    p.SetHeight(480);
    p.SetShowAltitude(false);
    p.SetPressureAxis(150.5, 1013.25);
    p.SetPressureAxis(0.5);
    p.SetDependentAxis(2.5);
    p.SetDependentAxis(1, -60, 40);
    p.SetDependentAxis(2, 0.125, 1e6);
    p.SetDependentAxis(3, -1e-7, 3);
    p.SetDependentAxisShown(3, false);
    for (int i = 1; i <= 10; ++i) {
        p.SetSeriesAxis(i, 1 + i % 3);
        CustomMarker(p.GetDataMarker(i), i);
    }
    return p;
}

// Loads CustomStandard() with one change made to its document into target.
void LoadChangedInto(TStandardGraphParameters &target,
                     const std::function<void(QDomElement &)> &change)
{
    QDomDocument document;
    QDomElement element =
        GraphElement(document, SaveDocument(CustomStandard(), "StandardGraph"), "StandardGraph");
    change(element);
    target.LoadFromXML(element);
}

TStandardGraphParameters LoadChanged(const std::function<void(QDomElement &)> &change)
{
    TStandardGraphParameters loaded;
    LoadChangedInto(loaded, change);
    return loaded;
}

} // namespace

TEST(GraphSettingsXml, SaveThenLoadRestoresEveryField)
{
    LocaleGuard locale("C");
    const TStandardGraphParameters standard = CustomStandard();
    TStandardGraphParameters loadedStandard;
    QDomDocument document;
    loadedStandard.LoadFromXML(
        GraphElement(document, SaveDocument(standard, "StandardGraph"), "StandardGraph"));
    EXPECT_EQ(loadedStandard, standard);
    EXPECT_FALSE(loadedStandard == TStandardGraphParameters());

    TTimeGraphParameters time;
    time.SetWidth(333);
    time.SetTimeAxis(5, 125.75);
    time.SetTimeAxis(0.25);
    time.SetDependentAxis(3, -5, 5);
    time.SetDependentAxisShown(2, false);
    time.SetSeriesAxis(10, 3);
    CustomMarker(time.GetDataMarker(7), 3);
    TTimeGraphParameters loadedTime;
    loadedTime.LoadFromXML(GraphElement(document, SaveDocument(time, "TimeGraph"), "TimeGraph"));
    EXPECT_EQ(loadedTime, time);

    TSkewTGraphParameters skewT;
    skewT.SetHeight(321);
    skewT.SetShowAltitude(false);
    CustomMarker(skewT.TemperatureMarker(), 2);
    CustomMarker(skewT.DewpointMarker(), 5);
    // The integer ranges are not stored: loading keeps what the object holds.
    TSkewTGraphParameters loadedSkewT;
    loadedSkewT.SetIsobarInterval(50);
    loadedSkewT.LoadFromXML(
        GraphElement(document, SaveDocument(skewT, "SkewTGraph"), "SkewTGraph"));
    EXPECT_EQ(loadedSkewT.IsobarInterval(), 50);
    loadedSkewT.SetIsobarInterval(100);
    EXPECT_EQ(loadedSkewT, skewT);
}

TEST(GraphSettingsXml, ElementsAndValueTexts)
{
    LocaleGuard locale("C");
    QDomDocument document;
    const QDomElement standard =
        GraphElement(document, SaveDocument(CustomStandard(), "StandardGraph"), "StandardGraph");
    EXPECT_EQ(ChildNames(standard).join(' '),
              "Height Width ShowAltitude PressureAxis DependentInterval DependentAxes "
              "SeriesGroup");
    const QDomElement pressure = standard.firstChildElement("PressureAxis");
    EXPECT_EQ(ChildNames(pressure).join(' '), "Interval Minimum Maximum");
    EXPECT_EQ(pressure.firstChildElement("Interval").text(), "0.5");
    EXPECT_EQ(pressure.firstChildElement("Maximum").text(), "1013.25");
    const QDomElement axes = standard.firstChildElement("DependentAxes");
    EXPECT_EQ(ChildNames(axes).join(' '), "Axis Axis Axis");
    const QDomElement b = axes.firstChildElement().nextSiblingElement();
    EXPECT_EQ(ChildNames(b).join(' '), "Minimum Maximum Visible");
    EXPECT_EQ(b.nextSiblingElement().firstChildElement("Minimum").text(), "-1E-7");
    EXPECT_EQ(ChildNames(standard.firstChildElement("SeriesGroup").firstChildElement()).join(' '),
              "AxisNumber Marker");

    const QDomElement time =
        GraphElement(document, SaveDocument(TTimeGraphParameters(), "TimeGraph"), "TimeGraph");
    EXPECT_EQ(ChildNames(time).join(' '),
              "Height Width TimeAxis DependentInterval DependentAxes SeriesGroup");
    EXPECT_EQ(time.firstChildElement("TimeAxis").firstChildElement("Maximum").text(), "60");
    const QDomElement skewT =
        GraphElement(document, SaveDocument(TSkewTGraphParameters(), "SkewTGraph"), "SkewTGraph");
    EXPECT_EQ(ChildNames(skewT).join(' '),
              "Height Width ShowAltitude TemperatureMarker DewpointMarker");

    // Doubles follow the system number format both ways.
    LocaleGuard comma("de_DE.UTF-8");
    const QString text = SaveDocument(CustomStandard(), "StandardGraph");
    EXPECT_TRUE(text.contains("<Interval>0,5</Interval>"));
    TStandardGraphParameters loaded;
    loaded.LoadFromXML(GraphElement(document, text, "StandardGraph"));
    EXPECT_EQ(loaded, CustomStandard());
}

TEST(GraphSettingsXml, AxesAndSeriesAreReadByPosition)
{
    // Whatever their names; children past the third axis and the tenth series
    // are ignored.
    const TStandardGraphParameters loaded = LoadChanged([](QDomElement &e) {
        QDomElement axes = e.firstChildElement("DependentAxes");
        axes.firstChildElement().nextSiblingElement().setTagName("Second");
        axes.appendChild(axes.firstChildElement().cloneNode());
        QDomElement group = e.firstChildElement("SeriesGroup");
        group.firstChildElement().setTagName("First");
        group.appendChild(group.firstChildElement().cloneNode());
    });
    EXPECT_EQ(loaded, CustomStandard());

    // A hidden axis A and an axis number outside 1 .. 3 load as written.
    const TStandardGraphParameters odd = LoadChanged([](QDomElement &e) {
        QDomElement a = e.firstChildElement("DependentAxes").firstChildElement();
        a.firstChildElement("Visible").firstChild().setNodeValue("false");
        QDomElement number =
            e.firstChildElement("SeriesGroup").firstChildElement().firstChildElement("AxisNumber");
        number.firstChild().setNodeValue("4");
    });
    EXPECT_FALSE(odd.GetDependentAxisShown(1));
    EXPECT_EQ(odd.GetSeriesAxis(1), 4);
}

// A broken element raises a message naming where it is broken, and leaves
// the parameters as they were.
TEST(GraphSettingsXml, BrokenElementsFailAndChangeNothing)
{
    LocaleGuard locale("C");
    const auto remove = [](const QString &parent, const QString &child) {
        return [=](QDomElement &e) {
            QDomElement p = parent.isEmpty() ? e : e.firstChildElement(parent);
            p.removeChild(p.firstChildElement(child));
        };
    };
    const auto failure = [](const std::function<void(QDomElement &)> &change) -> QString {
        try {
            LoadChanged(change);
        } catch (const EConvertError &e) {
            return "convert: " + e.Message();
        } catch (const EListIndexError &e) {
            return "index: " + e.Message();
        }
        return "<loaded>";
    };
    EXPECT_EQ(failure(remove("", "ShowAltitude")),
              "convert: KestrinGraphs/StandardGraph/ShowAltitude: '' is not a valid boolean value");
    EXPECT_EQ(failure(remove("", "PressureAxis")),
              "convert: KestrinGraphs/StandardGraph/PressureAxis/Interval: '' is not a valid "
              "floating point value");
    EXPECT_EQ(failure(remove("", "Width")),
              "convert: KestrinGraphs/StandardGraph/Width: '' is not a valid integer value");
    EXPECT_EQ(failure([](QDomElement &e) {
                  e.firstChildElement("DependentInterval").firstChild().setNodeValue("nan");
              }),
              "convert: KestrinGraphs/StandardGraph/DependentInterval: 'nan' is not a valid "
              "floating point value");
    EXPECT_EQ(failure(remove("DependentAxes", "Axis")),
              "index: KestrinGraphs/StandardGraph/DependentAxes holds 2 elements; it must hold 3 "
              "\"Axis\" elements");
    EXPECT_EQ(failure(remove("", "SeriesGroup")),
              "index: KestrinGraphs/StandardGraph/SeriesGroup is missing; it must hold 10 "
              "\"Series\" elements");
    EXPECT_EQ(failure([](QDomElement &e) {
                  QDomElement marker = e.firstChildElement("SeriesGroup")
                                           .lastChildElement()
                                           .firstChildElement("Marker")
                                           .firstChildElement("Marker");
                  marker.firstChildElement("Size").firstChild().setNodeValue("big");
              }),
              "convert: KestrinGraphs/StandardGraph/SeriesGroup/Series[10]/Marker: 'big' is not a "
              "valid integer value");

    // Nothing of a failed element is taken over.
    TStandardGraphParameters kept;
    kept.SetWidth(777);
    try {
        LoadChangedInto(kept, remove("SeriesGroup", "Series"));
        FAIL() << "nine series loaded";
    } catch (const EListIndexError &) {
    }
    TStandardGraphParameters expected;
    expected.SetWidth(777);
    EXPECT_EQ(kept, expected);

    TTimeGraphParameters time;
    QDomDocument document;
    QDomElement element = GraphElement(document, SaveDocument(time, "TimeGraph"), "TimeGraph");
    element.firstChildElement("TimeAxis")
        .firstChildElement("Minimum")
        .firstChild()
        .setNodeValue("x");
    time.SetWidth(5);
    EXPECT_THROW(time.LoadFromXML(element), EConvertError);
    EXPECT_EQ(time.Width(), 5);
}
