#include "pipeline/StationSettingsXml.h"

#include "foundation/LocalUtilities.h"
#include "graphs/SettingsXml.h"

namespace {

const QString StationElement = QStringLiteral("Station");

} // namespace

void SaveStationToXml(const TStationIdentity &station, QDomElement &parent)
{
    if (station.IsEmpty())
        return;
    QDomElement element = AddChildElement(parent, StationElement);
    if (!station.Number.isEmpty())
        AddChildElement(element, QStringLiteral("Number"), station.Number);
    if (station.Latitude)
        AddXmlDouble(element, QStringLiteral("Latitude"), *station.Latitude);
    if (station.Longitude)
        AddXmlDouble(element, QStringLiteral("Longitude"), *station.Longitude);
}

TStationIdentity LoadStationFromXml(const QDomElement &parent)
{
    TStationIdentity station;
    const TXmlReader reader = TXmlReader(parent).Child(StationElement);
    if (reader.Element().isNull())
        return station;
    // A second element would go unread, and with it whatever it says wrong.
    auto once = [](const TXmlReader &first) {
        const QString name = first.Element().tagName();
        if (!first.Element().nextSiblingElement(name).isNull())
            throw EConvertError(first.Path() + QStringLiteral(" is given more than once"));
    };
    once(reader);
    for (const QString &name :
         {QStringLiteral("Number"), QStringLiteral("Latitude"), QStringLiteral("Longitude")})
        if (const TXmlReader child = reader.Child(name); !child.Element().isNull())
            once(child);
    auto refuse = [&](const QString &child, const QString &problem) {
        throw EConvertError(reader.Child(child).Path() + QStringLiteral(": ") + problem);
    };
    const QDomElement number = reader.Element().firstChildElement(QStringLiteral("Number"));
    if (!number.isNull()) {
        station.Number = number.text().trimmed();
        if (const QString problem = StationNumberProblem(station.Number); !problem.isEmpty())
            refuse(QStringLiteral("Number"), problem);
    }
    auto angle = [&](const QString &name, QString (*problemOf)(double)) -> std::optional<double> {
        if (reader.Element().firstChildElement(name).isNull())
            return std::nullopt;
        const double value = reader.Double(name);
        if (const QString problem = problemOf(value); !problem.isEmpty())
            refuse(name, problem);
        return value;
    };
    station.Latitude = angle(QStringLiteral("Latitude"), LatitudeProblem);
    station.Longitude = angle(QStringLiteral("Longitude"), LongitudeProblem);
    return station;
}
