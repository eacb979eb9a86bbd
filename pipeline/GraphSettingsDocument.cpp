#include "pipeline/GraphSettingsDocument.h"

#include "devices/LogFormat.h"
#include "foundation/FileTransaction.h"
#include "foundation/LocalUtilities.h"
#include "graphs/SettingsXml.h"
#include "pipeline/StationSettingsXml.h"

#include <QDomDocument>
#include <QFile>
#include <algorithm>

namespace {

const QString RootName = QStringLiteral("KestrinGraphs");

// The named child, which must be there.
TXmlReader RequiredChild(const TXmlReader &parent, const QString &name)
{
    TXmlReader child = parent.Child(name);
    if (child.Element().isNull())
        throw EConvertError(child.Path() + QStringLiteral(" is missing"));
    return child;
}

// The text with every character that an XML document cannot hold (control
// characters other than tab, line feed and carriage return; U+FFFE, U+FFFF;
// unpaired surrogates) replaced by U+FFFD. A recorded line can carry such a
// character in its raw frame text when it was replayed from a damaged log;
// written as it is, it would make the whole document unreadable.
QString XmlText(const QString &text)
{
    QString safe = text;
    for (qsizetype i = 0; i < safe.size(); ++i) {
        const char16_t ch = safe.at(i).unicode();
        bool allowed = ch >= 0x20 || ch == u'\t' || ch == u'\n' || ch == u'\r';
        if (ch == 0xFFFE || ch == 0xFFFF)
            allowed = false;
        else if (QChar::isHighSurrogate(ch) && i + 1 < safe.size() &&
                 QChar::isLowSurrogate(safe.at(i + 1).unicode()))
            ++i; // a whole pair
        else if (QChar::isSurrogate(ch))
            allowed = false;
        if (!allowed)
            safe[i] = QChar::ReplacementCharacter;
    }
    return safe;
}

} // namespace

// Markup is skipped as the parser would skip it (declarations, comments,
// character data sections, quoted attribute values). A broken text is left
// for the parser to report.
int ElementDepth(QStringView text, int limit)
{
    const auto skipPast = [&](qsizetype from, QStringView end) {
        const qsizetype at = text.indexOf(end, from);
        return at < 0 ? text.size() : at + end.size();
    };
    int depth = 0, deepest = 0;
    qsizetype i = 0;
    while (deepest <= limit) {
        i = text.indexOf(u'<', i);
        if (i < 0 || i + 1 >= text.size())
            break;
        const QStringView rest = text.sliced(i);
        if (rest.startsWith(u"<?")) {
            i = skipPast(i, u"?>");
        } else if (rest.startsWith(u"<!--")) {
            i = skipPast(i + 4, u"-->");
        } else if (rest.startsWith(u"<![CDATA[")) {
            i = skipPast(i, u"]]>");
        } else if (rest.startsWith(u"<!")) {
            // A document type, with its internal subset in brackets.
            int brackets = 0;
            for (++i; i < text.size(); ++i) {
                const QChar c = text[i];
                if (c == u'[')
                    ++brackets;
                else if (c == u']')
                    --brackets;
                else if (c == u'>' && brackets <= 0)
                    break;
            }
            ++i;
        } else if (rest.startsWith(u"</")) {
            depth = std::max(depth - 1, 0);
            i = skipPast(i, u">");
        } else {
            QChar quote;
            for (++i; i < text.size(); ++i) {
                const QChar c = text[i];
                if (!quote.isNull()) {
                    if (c == quote)
                        quote = QChar();
                } else if (c == u'"' || c == u'\'') {
                    quote = c;
                } else if (c == u'>') {
                    break;
                }
            }
            if (i >= text.size())
                break;
            if (text[i - 1] != u'/')
                deepest = std::max(deepest, ++depth);
            ++i;
        }
    }
    return deepest;
}

QByteArray GraphSettingsToBytes(const TGraphSettings &settings)
{
    QDomDocument document;
    QDomElement root = document.createElement(RootName);
    document.appendChild(root);

    QDomElement standard = AddChildElement(root, QStringLiteral("StandardGraph"));
    settings.StandardParameters.SaveToXML(standard);
    QDomElement skewT = AddChildElement(root, QStringLiteral("SkewTGraph"));
    settings.SkewTParameters.SaveToXML(skewT);
    QDomElement time = AddChildElement(root, QStringLiteral("TimeGraph"));
    settings.TimeParameters.SaveToXML(time);
    QDomElement data = AddChildElement(root, QStringLiteral("DataParameters"));
    settings.DataParameters.SaveToXml(data);
    AddChildElement(root, QStringLiteral("DisplayedAltitudeUnits"),
                    LengthUnitToName(settings.DisplayedUnit));
    AddChildElement(root, QStringLiteral("CurrentGraph"),
                    GraphTypeToNodeName(settings.CurrentGraph));
    SaveStationToXml(settings.Station, root);
    SaveSurfaceObservationToXml(settings.Surface, root);
    SaveDeliveryToXml(settings.Delivery, root);
    SaveBulletinsToXml(settings.Bulletins, settings.AutomaticDelivery, root);
    QDomElement group = AddChildElement(root, QStringLiteral("DataGroup"));
    for (const QString &line : settings.RecordedLines)
        AddChildElement(group, QStringLiteral("Data"), XmlText(line));

    QStringList lines = document.toString(1).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    lines.prepend(QStringLiteral("<?xml version=\"1.0\"?>"));
    return EncodeLogLines(lines);
}

void WriteGraphSettings(const QString &fileName, const TGraphSettings &settings)
{
    WriteFileSafely(fileName, GraphSettingsToBytes(settings));
}

TGraphSettings ParseGraphSettings(const QByteArray &contents, const QString &fileName)
{
    const QString text = DecodeFileText(contents);
    // The parser's time grows with the square of the nesting: a document
    // nested far deeper than its own elements ever are is refused unread.
    if (ElementDepth(text, MaxSettingsDepth) > MaxSettingsDepth)
        throw EGraphSettingsFileError(
            QStringLiteral("%1 is not a graph settings document: its elements nest more than %2 "
                           "deep")
                .arg(fileName)
                .arg(MaxSettingsDepth));
    QDomDocument document;
    QString message;
    int line = 0, column = 0;
    if (!document.setContent(text, &message, &line, &column))
        throw EGraphSettingsFileError(
            QStringLiteral("%1 is not an XML document: %2 in line %3, column %4")
                .arg(fileName, message)
                .arg(line)
                .arg(column));
    // The root's name is not checked: only its children matter.
    const TXmlReader root(document.documentElement());
    if (root.Element().isNull())
        throw EGraphSettingsFileError(fileName + QStringLiteral(" holds no XML element"));

    TGraphSettings settings;
    const TXmlReader data = RequiredChild(root, QStringLiteral("DataParameters"));
    const TXmlReader kestrin = RequiredChild(data, QStringLiteral("Kestrin"));
    RequiredChild(kestrin, QStringLiteral("Configuration"));
    // Every "Configuration" is parsed; the last one counts.
    settings.DataParameters.Configuration().LoadConfigurationFromXml(kestrin.Element());
    const double elevation = data.Double(QStringLiteral("Elevation"));
    if (const QString problem = LaunchElevationProblem(elevation); !problem.isEmpty())
        throw EConvertError(data.Child(QStringLiteral("Elevation")).Path() + QStringLiteral(": ") +
                            problem);
    settings.DataParameters.SetLaunchElevation(elevation);

    settings.StandardParameters.LoadFromXML(
        RequiredChild(root, QStringLiteral("StandardGraph")).Element());
    settings.SkewTParameters.LoadFromXML(
        RequiredChild(root, QStringLiteral("SkewTGraph")).Element());
    settings.TimeParameters.LoadFromXML(RequiredChild(root, QStringLiteral("TimeGraph")).Element());

    // A missing unit reads as an empty text: metres, like any other text
    // but "Feet".
    settings.DisplayedUnit =
        NameToLengthUnit(root.Child(QStringLiteral("DisplayedAltitudeUnits")).Element().text());

    const TXmlReader current = RequiredChild(root, QStringLiteral("CurrentGraph"));
    try {
        settings.CurrentGraph = NodeNameToGraphType(current.Element().text());
    } catch (const EGraphNodeNameError &e) {
        throw EGraphNodeNameError(current.Path() + QStringLiteral(": ") + e.Message());
    }

    settings.Station = LoadStationFromXml(root.Element());
    settings.Surface = LoadSurfaceObservationFromXml(root.Element());
    settings.Delivery = LoadDeliveryFromXml(root.Element());
    LoadBulletinsFromXml(root.Element(), settings.Bulletins, settings.AutomaticDelivery);

    // A missing group is an empty one; every child is a line, whatever its name.
    const QDomElement group = root.Child(QStringLiteral("DataGroup")).Element();
    for (QDomElement line = group.firstChildElement(); !line.isNull();
         line = line.nextSiblingElement())
        settings.RecordedLines << line.text();
    return settings;
}

TGraphSettings ReadGraphSettings(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EGraphSettingsFileError(QStringLiteral("Could not open file ") + fileName);
    const QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EGraphSettingsFileError(QStringLiteral("Could not read file ") + fileName);
    return ParseGraphSettings(contents, fileName);
}
