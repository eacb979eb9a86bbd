#include "pipeline/StationSettingsXml.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "graphs/SettingsXml.h"
#include "pipeline/GraphSettingsDocument.h"

#include <QFile>

namespace {

const QString StationElement = QStringLiteral("Station");
const QString SurfaceElement = QStringLiteral("SurfaceObservation");
const QString DeliveryElement = QStringLiteral("Delivery");

// The text fields of the delivery settings with their element names.
const std::pair<const char *, QString TDeliverySettings::*> DeliveryTexts[] = {
    {"Host", &TDeliverySettings::Host},
    {"User", &TDeliverySettings::User},
    {"PrivateKeyFile", &TDeliverySettings::PrivateKeyFile},
    {"RemoteFolder", &TDeliverySettings::RemoteFolder},
    {"KnownHostsFile", &TDeliverySettings::KnownHostsFile},
};

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
    if (!station.TimeZone.isEmpty())
        AddChildElement(element, QStringLiteral("TimeZone"), station.TimeZone);
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
    const QDomElement zone = reader.Element().firstChildElement(QStringLiteral("TimeZone"));
    if (!zone.isNull()) {
        station.TimeZone = zone.text().trimmed();
        if (const QString problem = TimeZoneProblem(station.TimeZone); !problem.isEmpty())
            refuse(QStringLiteral("TimeZone"), problem);
    }
    return station;
}

void SaveSurfaceObservationToXml(const std::optional<TSurfaceObservation> &observation,
                                 QDomElement &parent)
{
    if (!observation)
        return;
    QDomElement element = AddChildElement(parent, SurfaceElement);
    AddXmlDouble(element, QStringLiteral("Pressure"), observation->Pressure);
    AddXmlDouble(element, QStringLiteral("Temperature"), observation->Temperature);
    AddXmlDouble(element, QStringLiteral("Humidity"), observation->Humidity);
    if (observation->WindDirection)
        AddXmlDouble(element, QStringLiteral("WindDirection"), *observation->WindDirection);
    if (observation->WindSpeed)
        AddXmlDouble(element, QStringLiteral("WindSpeed"), *observation->WindSpeed);
}

std::optional<TSurfaceObservation> LoadSurfaceObservationFromXml(const QDomElement &parent)
{
    const TXmlReader reader = TXmlReader(parent).Child(SurfaceElement);
    if (reader.Element().isNull())
        return std::nullopt;
    TSurfaceObservation observation;
    observation.Pressure = reader.Double(QStringLiteral("Pressure"));
    observation.Temperature = reader.Double(QStringLiteral("Temperature"));
    observation.Humidity = reader.Double(QStringLiteral("Humidity"));
    for (auto [name, field] : {std::pair{"WindDirection", &TSurfaceObservation::WindDirection},
                               std::pair{"WindSpeed", &TSurfaceObservation::WindSpeed}})
        if (!reader.Element().firstChildElement(QLatin1String(name)).isNull())
            observation.*field = reader.Double(QLatin1String(name));
    if (const QStringList problems = SurfaceObservationProblems(observation); !problems.isEmpty())
        throw EConvertError(reader.Path() + QStringLiteral(": ") +
                            problems.join(QStringLiteral("; ")));
    return observation;
}

void SaveDeliveryToXml(const TDeliverySettings &delivery, QDomElement &parent)
{
    if (delivery.IsEmpty())
        return;
    QDomElement element = AddChildElement(parent, DeliveryElement);
    const auto text = [&](const QString &name, const QString &value) {
        if (!value.isEmpty())
            AddChildElement(element, name, value);
    };
    text(QStringLiteral("Host"), delivery.Host);
    if (delivery.Port != 22)
        AddChildElement(element, QStringLiteral("Port"), QString::number(delivery.Port));
    text(QStringLiteral("User"), delivery.User);
    text(QStringLiteral("PrivateKeyFile"), delivery.PrivateKeyFile);
    text(QStringLiteral("RemoteFolder"), delivery.RemoteFolder);
    text(QStringLiteral("KnownHostsFile"), delivery.KnownHostsFile);
    if (delivery.UploadDirectly)
        AddChildElement(element, QStringLiteral("UploadDirectly"), BoolToStr(true));
}

TDeliverySettings LoadDeliveryFromXml(const QDomElement &parent)
{
    TDeliverySettings delivery;
    const TXmlReader reader = TXmlReader(parent).Child(DeliveryElement);
    if (reader.Element().isNull())
        return delivery;
    const auto present = [&](const QString &name) {
        return !reader.Element().firstChildElement(name).isNull();
    };
    for (const auto &[name, field] : DeliveryTexts)
        if (present(QLatin1String(name)))
            delivery.*field = reader.Child(QLatin1String(name)).Element().text();
    if (present(QStringLiteral("Port"))) {
        delivery.Port = reader.Integer(QStringLiteral("Port"));
        if (delivery.Port < 1 || delivery.Port > 65535)
            throw EConvertError(reader.Child(QStringLiteral("Port")).Path() +
                                QStringLiteral(": the port must be between 1 and 65535"));
    }
    if (present(QStringLiteral("UploadDirectly")))
        delivery.UploadDirectly = reader.Boolean(QStringLiteral("UploadDirectly"));
    return delivery;
}

void SaveBulletinsToXml(const TBulletinOrigin &origin, bool automatic, QDomElement &parent)
{
    if (origin.IsEmpty() && !automatic)
        return;
    QDomElement element = AddChildElement(parent, QStringLiteral("Bulletins"));
    if (!origin.A1A2.isEmpty() || !origin.Ii.isEmpty())
        AddChildElement(element, QStringLiteral("Heading"), origin.A1A2 + origin.Ii);
    if (!origin.Centre.isEmpty())
        AddChildElement(element, QStringLiteral("Centre"), origin.Centre);
    if (automatic)
        AddChildElement(element, QStringLiteral("Automatic"), BoolToStr(true));
}

void LoadBulletinsFromXml(const QDomElement &parent, TBulletinOrigin &origin, bool &automatic)
{
    origin = {};
    automatic = false;
    const TXmlReader reader = TXmlReader(parent).Child(QStringLiteral("Bulletins"));
    if (reader.Element().isNull())
        return;
    const QString heading = reader.Child(QStringLiteral("Heading")).Element().text().trimmed();
    origin.A1A2 = heading.left(2);
    origin.Ii = heading.mid(2);
    origin.Centre = reader.Child(QStringLiteral("Centre")).Element().text().trimmed();
    if (!reader.Element().firstChildElement(QStringLiteral("Automatic")).isNull())
        automatic = reader.Boolean(QStringLiteral("Automatic"));
}

QDomDocument NewOwnDocument(const QString &root)
{
    QDomDocument document;
    document.appendChild(document.createProcessingInstruction(
        QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    document.appendChild(document.createElement(root));
    return document;
}

QDomDocument ReadOwnDocument(const QString &fileName, const QString &root, const QString &what)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("Could not open file ") + fileName);
    QDomDocument document;
    const QString text = file.size() > 1 << 20 ? QString() : QString::fromUtf8(file.readAll());
    if (text.isEmpty() || ElementDepth(text, MaxSettingsDepth) > MaxSettingsDepth ||
        !document.setContent(text) || document.documentElement().tagName() != root)
        throw EConvertError(QStringLiteral("%1 is not %2").arg(fileName, what));
    return document;
}
