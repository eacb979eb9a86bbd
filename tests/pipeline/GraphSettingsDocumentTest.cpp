#include "pipeline/GraphSettingsDocument.h"

#include "support/TestSupport.h"

#include <QDomDocument>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

TGraphSettings EditedSettings()
{
    TGraphSettings settings;
    settings.StandardParameters.SetPressureAxis(200.0, 900.0);
    settings.StandardParameters.SetShowAltitude(false);
    settings.StandardParameters.SetSeriesAxis(3, 2);
    settings.StandardParameters.SetDependentAxisShown(2, false);
    settings.StandardParameters.GetDataMarker(4).SetShape(dmTriangle);
    settings.SkewTParameters.SetShowAltitude(false);
    settings.SkewTParameters.DewpointMarker().SetSize(12);
    settings.TimeParameters.SetTimeAxis(0.0, 120.0);
    settings.TimeParameters.SetTimeAxis(15.0);
    settings.TimeParameters.SetDependentAxis(2, -5.5, 40.25);
    settings.DataParameters.Configuration().ParseConfiguration(QStringLiteral("1MP:TPUVNNNF"));
    settings.DataParameters.SetLaunchElevation(123.25);
    settings.DisplayedUnit = luFeet;
    settings.CurrentGraph = gtSkewT;
    return settings;
}

// The document text after `change` was made to its element tree.
QString Mutated(const QString &text, const std::function<void(QDomElement)> &change)
{
    QDomDocument document;
    EXPECT_TRUE(document.setContent(text));
    change(document.documentElement());
    return document.toString();
}

QString Text(const TGraphSettings &settings)
{
    return QString::fromUtf8(GraphSettingsToBytes(settings));
}

TGraphSettings Parse(const QString &text)
{
    return ParseGraphSettings(text.toUtf8(), QStringLiteral("graphs.xml"));
}

// "<Class>: message" of what reading the text raises.
QString Failure(const QString &text)
{
    try {
        Parse(text);
    } catch (const EKestrinConfigStringError &e) {
        return QStringLiteral("EKestrinConfigStringError: ") + e.Message();
    } catch (const EGraphSettingsFileError &e) {
        return QStringLiteral("EGraphSettingsFileError: ") + e.Message();
    } catch (const EConvertError &e) {
        return QStringLiteral("EConvertError: ") + e.Message();
    } catch (const EListIndexError &e) {
        return QStringLiteral("EListIndexError: ") + e.Message();
    } catch (const EGraphNodeNameError &e) {
        return QStringLiteral("EGraphNodeNameError: ") + e.Message();
    } catch (const std::exception &e) {
        return QStringLiteral("other: ") + QString::fromUtf8(e.what());
    }
    return QStringLiteral("<no error>");
}

} // namespace

TEST(GraphSettingsDocument, SaveThenLoadRestoresEveryValue)
{
    LocaleGuard locale("C");
    TGraphSettings saved = EditedSettings();
    // Tabs, a trailing tab and markup characters survive.
    saved.RecordedLines = {"46000.5\t12:00:00 PM\t15\tError\t7A00", "46000.6\t\t<&>\t"};

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Graphs.xml"));
    WriteGraphSettings(file, saved);
    const QByteArray bytes = ReadFileBytes(file);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\"?>\r\n<KestrinGraphs>\r\n"));
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));
    EXPECT_TRUE(bytes.endsWith("</KestrinGraphs>\r\n"));

    QDomDocument document;
    ASSERT_TRUE(document.setContent(bytes));
    QStringList names;
    for (QDomElement e = document.documentElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement())
        names << e.tagName();
    EXPECT_EQ(names, QStringList({"StandardGraph", "SkewTGraph", "TimeGraph", "DataParameters",
                                  "DisplayedAltitudeUnits", "CurrentGraph", "DataGroup"}));

    const TGraphSettings loaded = ReadGraphSettings(file);
    EXPECT_TRUE(loaded.StandardParameters == saved.StandardParameters);
    EXPECT_TRUE(loaded.SkewTParameters == saved.SkewTParameters);
    EXPECT_TRUE(loaded.TimeParameters == saved.TimeParameters);
    EXPECT_EQ(loaded.DataParameters.Configuration().ConfigurationString(),
              saved.DataParameters.Configuration().ConfigurationString());
    EXPECT_EQ(loaded.DataParameters.LaunchElevation(), 123.25);
    EXPECT_EQ(loaded.DisplayedUnit, luFeet);
    EXPECT_EQ(loaded.CurrentGraph, gtSkewT);
    EXPECT_EQ(loaded.RecordedLines, saved.RecordedLines);
}

// A line replayed from a damaged log may hold characters no XML document
// can; the document must still load, with only those characters replaced.
TEST(GraphSettingsDocument, LinesWithCharactersXmlCannotHoldStillLoad)
{
    LocaleGuard locale("C");
    TGraphSettings saved = EditedSettings();
    const QString good = QStringLiteral("46000.5\t12:00:00\t1\t2\t3\t4\tA\rB\tC\U0001F600");
    const QChar lone[] = {QChar(0xD800), QChar(u'x'), QChar(0xDC00)};
    saved.RecordedLines << good
                        << QStringLiteral("46000.5\t12:00:00\tError\t2\t3\t4\tAB") + QChar(0x01) +
                               QChar(0x1F) + QChar(0xFFFE) + QString(lone, 3);
    const TGraphSettings loaded = Parse(Text(saved));
    ASSERT_EQ(loaded.RecordedLines.size(), 2);
    EXPECT_EQ(loaded.RecordedLines[0], good);
    EXPECT_EQ(
        loaded.RecordedLines[1],
        QStringLiteral("46000.5\t12:00:00\tError\t2\t3\t4\tAB\uFFFD\uFFFD\uFFFD\uFFFDx\uFFFD"));
}

TEST(GraphSettingsDocument, ToleratesWhatTheProgramNeverReliedOn)
{
    LocaleGuard locale("C");
    TGraphSettings saved = EditedSettings();
    QString text = Text(saved);
    text.remove(QStringLiteral("<?xml version=\"1.0\"?>\r\n"));
    text.replace(QStringLiteral("KestrinGraphs>"), QStringLiteral("SomethingElse>"));
    text.replace(QStringLiteral(">Feet<"), QStringLiteral(">feet<"));
    text.replace(QStringLiteral("<Configuration>"),
                 QStringLiteral("<Configuration>1RP:TT_PUVVFFB</Configuration><Extra/>"
                                "<Configuration>"));
    text.replace(QStringLiteral("<DataGroup/>"), QString());
    ASSERT_FALSE(text.contains(QStringLiteral("DataGroup")));

    const TGraphSettings loaded = Parse(text);
    EXPECT_EQ(loaded.DisplayedUnit, luMeters);
    EXPECT_EQ(loaded.DataParameters.Configuration().ConfigurationString(),
              saved.DataParameters.Configuration().ConfigurationString());
    EXPECT_TRUE(loaded.RecordedLines.isEmpty());
    EXPECT_TRUE(loaded.StandardParameters == saved.StandardParameters);
}

TEST(GraphSettingsDocument, BrokenDocumentsRaiseErrorsThatSayWhere)
{
    LocaleGuard locale("C");
    TGraphSettings settings = EditedSettings();
    const QString text = Text(settings);
    auto edited = [&](const QString &from, const QString &to) {
        QString copy = text;
        EXPECT_TRUE(copy.contains(from)) << from.toStdString();
        return copy.replace(from, to);
    };

    EXPECT_TRUE(Failure(text.left(text.size() / 2))
                    .startsWith(QStringLiteral("EGraphSettingsFileError: graphs.xml is not an XML "
                                               "document: ")));
    EXPECT_TRUE(Failure(text.left(text.size() / 2)).contains(QStringLiteral("in line ")));
    EXPECT_EQ(
        Failure(edited(QStringLiteral("1MP:_T_P_UVNNNF"), QStringLiteral("1XP:TPU"))).left(27),
        QStringLiteral("EKestrinConfigStringError: "));
    EXPECT_TRUE(
        Failure(Mutated(text, [](QDomElement root) {
            QDomElement data = root.firstChildElement(QStringLiteral("DataParameters"));
            data.removeChild(data.firstChildElement(QStringLiteral("Elevation")));
        })).startsWith(QStringLiteral("EConvertError: KestrinGraphs/DataParameters/Elevation: ")));
    EXPECT_EQ(Failure(Mutated(text,
                              [](QDomElement root) {
                                  root.removeChild(
                                      root.firstChildElement(QStringLiteral("TimeGraph")));
                              })),
              QStringLiteral("EConvertError: KestrinGraphs/TimeGraph is missing"));
    EXPECT_TRUE(Failure(edited(QStringLiteral("<Minimum>200</Minimum>"),
                               QStringLiteral("<Minimum>two hundred</Minimum>")))
                    .startsWith(QStringLiteral(
                        "EConvertError: KestrinGraphs/StandardGraph/PressureAxis/Minimum: ")));
    EXPECT_TRUE(Failure(Mutated(text,
                                [](QDomElement root) {
                                    QDomElement axes =
                                        root.firstChildElement(QStringLiteral("StandardGraph"))
                                            .firstChildElement(QStringLiteral("DependentAxes"));
                                    axes.removeChild(axes.lastChildElement());
                                }))
                    .startsWith(QStringLiteral(
                        "EListIndexError: KestrinGraphs/StandardGraph/DependentAxes holds 2")));
    EXPECT_EQ(
        Failure(edited(QStringLiteral(">SkewTGraph</CurrentGraph>"),
                       QStringLiteral(">Pie</CurrentGraph>"))),
        QStringLiteral(
            "EGraphNodeNameError: KestrinGraphs/CurrentGraph: Pie is not a valid graph type"));
}

// The station is written only when set: documents without one keep their
// bytes; a number or position out of range is refused with its path.
TEST(GraphSettingsDocument, StationIdentity)
{
    LocaleGuard locale("de_DE.UTF-8");
    TGraphSettings settings;
    const QByteArray plain = GraphSettingsToBytes(settings);
    EXPECT_FALSE(plain.contains("Station"));

    settings.Station = {QStringLiteral("03808"), 50.2, -5.3};
    const QByteArray identified = GraphSettingsToBytes(settings);
    EXPECT_TRUE(identified.contains("<Station>\r\n  <Number>03808</Number>\r\n  "
                                    "<Latitude>50,2</Latitude>"));
    EXPECT_EQ(ParseGraphSettings(identified, QStringLiteral("s.xml")).Station, settings.Station);
    settings.Station = {QStringLiteral("03808"), std::nullopt, std::nullopt};
    EXPECT_EQ(ParseGraphSettings(GraphSettingsToBytes(settings), QStringLiteral("s.xml")).Station,
              settings.Station);

    for (const auto &[good, bad] :
         {std::pair{"<Number>03808<", "<Number>3808<"}, {"<Latitude>50,2<", "<Latitude>95<"}}) {
        QByteArray broken = identified;
        broken.replace(good, bad);
        try {
            ParseGraphSettings(broken, QStringLiteral("s.xml"));
            ADD_FAILURE() << bad;
        } catch (const EConvertError &e) {
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("KestrinGraphs/Station/")))
                << e.Message().toStdString();
        }
    }
}

// The delivery settings go beside the station, only when set; a port that is
// not one is refused with its path.
TEST(GraphSettingsDocument, DeliverySettings)
{
    TGraphSettings settings;
    settings.Station = {QStringLiteral("03808"), 50.2, -5.3};
    const QByteArray plain = GraphSettingsToBytes(settings);
    EXPECT_FALSE(plain.contains("Delivery"));

    settings.Delivery = {QStringLiteral("met-switch"),
                         2222,
                         QStringLiteral("ventrel"),
                         QStringLiteral("/home/op/.ssh/id_ed25519"),
                         QStringLiteral("/incoming"),
                         QStringLiteral("/home/op/.ssh/known_hosts"),
                         true};
    const QByteArray delivering = GraphSettingsToBytes(settings);
    EXPECT_TRUE(delivering.contains("</Station>\r\n <Delivery>\r\n  <Host>met-switch</Host>\r\n"
                                    "  <Port>2222</Port>\r\n"))
        << delivering.toStdString();
    EXPECT_EQ(ParseGraphSettings(delivering, QStringLiteral("s.xml")).Delivery, settings.Delivery);
    settings.Delivery = {QStringLiteral("met-switch"), 22, {},   {},
                         QStringLiteral("/in"),        {}, false};
    const QByteArray partial = GraphSettingsToBytes(settings);
    EXPECT_FALSE(partial.contains("<Port>") || partial.contains("<User>"));
    EXPECT_EQ(ParseGraphSettings(partial, QStringLiteral("s.xml")).Delivery, settings.Delivery);
    EXPECT_FALSE(partial.contains("Bulletins"));
    settings.Bulletins = {QStringLiteral("UK"), QStringLiteral("01"), QStringLiteral("EGRR")};
    settings.AutomaticDelivery = true;
    const TGraphSettings headed =
        ParseGraphSettings(GraphSettingsToBytes(settings), QStringLiteral("s.xml"));
    EXPECT_EQ(headed.Bulletins, settings.Bulletins);
    EXPECT_TRUE(headed.AutomaticDelivery);

    for (const char *port : {"<Port>0</Port>", "<Port>x</Port>"}) {
        QByteArray broken = delivering;
        broken.replace("<Port>2222</Port>", port);
        try {
            ParseGraphSettings(broken, QStringLiteral("s.xml"));
            ADD_FAILURE() << port;
        } catch (const EConvertError &e) {
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("KestrinGraphs/Delivery/Port")))
                << e.Message().toStdString();
        }
    }
}

// What a document could hide or make the reader pay for is refused with its
// place: a repeated station or station value (the second would go unread),
// block 00, a launch elevation no site has, and a nesting far deeper than
// the document's own.
TEST(GraphSettingsDocument, RepeatedImpossibleOrDeepDocumentsAreRefused)
{
    LocaleGuard locale("C");
    TGraphSettings settings;
    settings.Station = {QStringLiteral("03808"), 50.2, -5.3};
    const QString text = Text(settings);
    const QString station = QStringLiteral("<Station>");
    auto nested = [&](int depth) {
        return QString(text).replace(
            QStringLiteral("<DataGroup/>"),
            QStringLiteral("<DataGroup>") + QStringLiteral("<a>").repeated(depth) +
                QStringLiteral("</a>").repeated(depth) + QStringLiteral("</DataGroup>"));
    };
    const struct
    {
        QString Text;
        QString Message;
    } cases[] = {
        {QString(text).replace(
             station, QStringLiteral("<Station><Latitude>95</Latitude></Station>") + station),
         "EConvertError: KestrinGraphs/Station is given more than once"},
        {QString(text).replace(QStringLiteral("<Number>"),
                               QStringLiteral("<Number>00808</Number><Number>")),
         "EConvertError: KestrinGraphs/Station/Number is given more than once"},
        {QString(text).replace(QStringLiteral("<Latitude>"),
                               QStringLiteral("<Latitude>95</Latitude><Latitude>")),
         "EConvertError: KestrinGraphs/Station/Latitude is given more than once"},
        {QString(text).replace(QStringLiteral(">03808<"), QStringLiteral(">00808<")),
         "EConvertError: KestrinGraphs/Station/Number: The station number 00808 has the block "
         "number 00, which no station has: WMO block numbers begin at 01"},
        {QString(text).replace(QStringLiteral("<Elevation>0<"), QStringLiteral("<Elevation>1e30<")),
         "EConvertError: KestrinGraphs/DataParameters/Elevation: The launch elevation 1e+30 m is "
         "outside the possible -500 to 9000 m"},
        // The group is at depth 2: 30 more make 32, the most a document may have.
        {nested(30), "<no error>"},
        {nested(31), "EGraphSettingsFileError: graphs.xml is not a graph settings document: its "
                     "elements nest more than 32 deep"},
        {nested(100000), "EGraphSettingsFileError: graphs.xml is not a graph settings document: "
                         "its elements nest more than 32 deep"},
    };
    ASSERT_TRUE(text.contains(QStringLiteral("<DataGroup/>")));
    for (const auto &c : cases) {
        EXPECT_NE(c.Text, text);
        EXPECT_EQ(Failure(c.Text), c.Message);
    }
}

// A document saved as UTF-16 (with its byte-order mark) reads as the same.
TEST(GraphSettingsDocument, Utf16DocumentsRead)
{
    LocaleGuard locale("C");
    TGraphSettings settings = EditedSettings();
    settings.RecordedLines << QStringLiteral("46000\t12:00:00\t\u00b0C");
    const QString text = Text(settings);
    QByteArray bytes("\xFF\xFE");
    for (QChar c : text)
        bytes += char(c.unicode() & 0xFF), bytes += char(c.unicode() >> 8);
    const TGraphSettings read = ParseGraphSettings(bytes, QStringLiteral("graphs.xml"));
    EXPECT_EQ(Text(read), text);
}

// The station's zone and its surface observation go beside the station only
// when set, and come back as they went; an observation out of range is
// refused with its place.
TEST(GraphSettingsDocument, SurfaceObservationAndTimeZone)
{
    LocaleGuard locale("C");
    TGraphSettings settings;
    settings.Station = {QStringLiteral("03808"), 50.2, -5.3};
    EXPECT_FALSE(GraphSettingsToBytes(settings).contains("SurfaceObservation"));
    EXPECT_FALSE(GraphSettingsToBytes(settings).contains("TimeZone"));
    settings.Station.TimeZone = QStringLiteral("Europe/London");
    settings.Surface = TSurfaceObservation{1001.6, 14.0, 78.0, 250.0, 4.5};
    const QByteArray bytes = GraphSettingsToBytes(settings);
    EXPECT_TRUE(bytes.contains("<TimeZone>Europe/London</TimeZone>\r\n </Station>\r\n "
                               "<SurfaceObservation>\r\n  <Pressure>"))
        << bytes.toStdString();
    const TGraphSettings read = ParseGraphSettings(bytes, QStringLiteral("s.xml"));
    EXPECT_EQ(read.Station, settings.Station);
    EXPECT_EQ(read.Surface, settings.Surface);
    try {
        ParseGraphSettings(QByteArray(bytes).replace("<Humidity>78", "<Humidity>178"),
                           QStringLiteral("s.xml"));
        ADD_FAILURE() << "a humidity of 178 % was taken";
    } catch (const EConvertError &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("KestrinGraphs/SurfaceObservation")))
            << e.Message().toStdString();
    }
}
