#include "pipeline/GraphSettingsDocument.h"

#include "devices/LogFormat.h"
#include "foundation/FileTransaction.h"
#include "foundation/LocalUtilities.h"
#include "graphs/SettingsXml.h"
#include "pipeline/StationSettingsXml.h"

#include <QDomDocument>
#include <QFile>

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
    QDomDocument document;
    QString message;
    int line = 0, column = 0;
    if (!document.setContent(QString::fromLocal8Bit(contents), &message, &line, &column))
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
    settings.DataParameters.SetLaunchElevation(data.Double(QStringLiteral("Elevation")));

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
