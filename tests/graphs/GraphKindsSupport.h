#pragma once
// Shared fixtures of the graph kind tests: a fixed synthetic ascent, the
// series looks the program starts with, settings documents, and image
// comparison against stored references.
#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "graphs/SkewTGraphParameters.h"
#include "graphs/ValueAxesParameters.h"
#include "pipeline/DataPacket.h"
#include "pipeline/DataParameters.h"

#include <QDomDocument>
#include <QImage>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

// Thirty seconds in days.
constexpr double HalfMinute = 30.0 / 86400.0;

// A sonde with temperature (1), pressure (2), humidity (3), a battery
// voltage (4), three unused channels, a frequency (8) and two unavailable.
inline TDataParameters AscentDataParameters()
{
    TDataParameters parameters;
    parameters.Configuration().ParseConfiguration(QStringLiteral("1MP:TPUVNNNF"));
    parameters.SetLaunchElevation(120.0);
    return parameters;
}

// One packet every 30 seconds from 1000 mbar up to about 150 mbar: a
// temperature falling 6.5 K/km to a tropopause near 11 km, humidity drying
// with height, altitudes from the hypsometric equation.
inline TDataPacketList SyntheticAscent(int count = 120)
{
    TDataPacketList packets;
    double altitude = 120.0, previousPressure = 0.0;
    const double start = 46000.5;
    for (int i = 0; i < count; ++i) {
        const double f = double(i) / (count - 1);
        const double pressure = 1000.0 * std::pow(0.15, f);
        TDataPacket packet;
        packet.SetTime(start + i * HalfMinute);
        const double height = 16000.0 * f;
        const double temperature =
            std::max(18.0 - 6.5 * height / 1000.0, -54.0) + 1.5 * std::sin(i * 0.35);
        const double humidity = std::clamp(85.0 - 70.0 * f + 8.0 * std::sin(i * 0.21), 3.0, 100.0);
        packet.SetTemperature(temperature);
        packet.SetPressure(pressure);
        packet.SetHumidity(humidity);
        if (i > 0)
            altitude = HypsometricAltitude(
                previousPressure, altitude, pressure,
                VirtualTemperature(CelsiusToKelvin(temperature), humidity, pressure));
        packet.SetAltitude(altitude);
        packet.SetDewpoint(DewPoint(temperature, humidity));
        previousPressure = pressure;
        packet.SetValue(1, temperature);
        packet.SetValue(2, pressure);
        packet.SetValue(3, humidity);
        packet.SetValue(4, 9.2 - 1.4 * f);
        for (int c = 5; c <= 7; ++c)
            packet.SetValue(c, -9999.0);
        packet.SetValue(8, 48.0 + 20.0 * f);
        packet.SetValue(9, -9999.0);
        packet.SetValue(10, -9999.0);
        packets.push_back(packet);
    }
    return packets;
}

// A summer afternoon ascent, one packet every 30 seconds from 1000 mbar up
// to 100 mbar: 30 degC with a dew point of 20 degC at the ground (launched at
// 100 m), a well-mixed layer to 1 km, a 2 K inversion capping it, then 6.5
// K/km to a tropopause at 12 km and a slowly warming stratosphere. A moist
// layer between 1.5 and 4 km, dry air above. The surface parcel condenses
// near 865 mbar and is buoyant from a little above the inversion to high up.
inline TDataPacketList ConvectiveAscent(int count = 150)
{
    auto temperatureAt = [](double z) {
        const double h = (z - 100.0) / 1000.0;
        double t = 30.0 - 9.5 * std::clamp(h, 0.0, 1.0);
        t += 2.0 * std::clamp((h - 1.0) / 0.3, 0.0, 1.0);
        t -= 6.5 * std::clamp(h - 1.3, 0.0, 10.7);
        return t + 1.0 * std::max(h - 15.0, 0.0);
    };
    // Dew point depression: 10 K at the ground, 2 K from 1.5 to 4 km, 30 K aloft.
    auto spreadAt = [](double z) {
        const double h = (z - 100.0) / 1000.0;
        return h < 1.5 ? 10.0 - 8.0 * h / 1.5 : std::clamp(2.0 + 7.0 * (h - 4.0), 2.0, 30.0);
    };
    TDataPacketList packets;
    double altitude = 100.0, previousPressure = 0.0, previousTemperature = 0.0;
    for (int i = 0; i < count; ++i) {
        const double pressure = 1000.0 * std::pow(0.1, double(i) / (count - 1));
        if (i > 0)
            altitude = HypsometricAltitude(previousPressure, altitude, pressure,
                                           CelsiusToKelvin(previousTemperature));
        const double temperature = temperatureAt(altitude);
        TDataPacket packet;
        packet.SetTime(46000.5 + i * HalfMinute);
        packet.SetPressure(pressure);
        packet.SetTemperature(temperature);
        packet.SetAltitude(altitude);
        packet.SetDewpoint(temperature - spreadAt(altitude));
        packets.push_back(packet);
        previousPressure = pressure;
        previousTemperature = temperature;
    }
    return packets;
}

// The series looks the main window copies into the graph settings at start.
inline void StartupMarkers(TValueAxesParameters &parameters)
{
    struct TRow
    {
        TDataMarker Shape;
        int Size;
        QColor Colour;
        int LineWidth;
    };
    const TRow rows[10] = {{dmNone, 7, Qt::red, 3},      {dmNone, 7, Qt::blue, 3},
                           {dmCircle, 7, Qt::black, 1},  {dmCircle, 7, QColor(0, 255, 0), 1},
                           {dmSquare, 7, Qt::blue, 1},   {dmSquare, 7, Qt::red, 1},
                           {dmSquare, 7, Qt::black, 1},  {dmNone, 7, QColor(0, 255, 0), 3},
                           {dmTriangle, 7, Qt::blue, 1}, {dmTriangle, 10, Qt::red, 1}};
    for (int i = 1; i <= 10; ++i) {
        const TRow &row = rows[i - 1];
        TMarkerDefinition &marker = parameters.GetDataMarker(i);
        marker.SetShape(row.Shape);
        marker.SetSize(row.Size);
        marker.SetLinePen(QPen(row.Colour, row.LineWidth));
        marker.SetMarkerPen(QPen(row.Colour, 1));
        marker.SetMarkerBrush(QBrush(row.Colour));
    }
}

inline void StartupMarkers(TSkewTGraphParameters &parameters)
{
    for (auto [marker, colour] : {std::pair{&parameters.TemperatureMarker(), QColor(Qt::red)},
                                  std::pair{&parameters.DewpointMarker(), QColor(Qt::blue)}}) {
        marker->SetShape(dmNone);
        marker->SetSize(15);
        marker->SetLinePen(QPen(colour, 1));
        marker->SetMarkerPen(QPen(colour, 1));
        marker->SetMarkerBrush(QBrush(colour));
    }
}

// A settings document holding one graph element, and back.
template <class TParameters>
QString SaveDocument(const TParameters &parameters, const QString &name)
{
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("KestrinGraphs"));
    document.appendChild(root);
    QDomElement element = document.createElement(name);
    root.appendChild(element);
    parameters.SaveToXML(element);
    return document.toString();
}

inline QDomElement GraphElement(QDomDocument &document, const QString &text, const QString &name)
{
    EXPECT_TRUE(bool(document.setContent(text)));
    return document.documentElement().firstChildElement(name);
}

// The parameters with one value of their settings element replaced, loaded
// as from a file. The path names elements from the graph element down;
// "Axis[2]" is the second child of that name.
template <class TParameters>
TParameters Edited(const TParameters &parameters, const QString &graphName, const QString &path,
                   const QString &text)
{
    QDomDocument document;
    QDomElement element = GraphElement(document, SaveDocument(parameters, graphName), graphName);
    for (const QString &part : path.split(QLatin1Char('/'))) {
        const QString name = part.section(QLatin1Char('['), 0, 0);
        const int index = part.contains(QLatin1Char('['))
                              ? part.section(QLatin1Char('['), 1).chopped(1).toInt()
                              : 1;
        element = element.firstChildElement(name);
        for (int i = 1; i < index; ++i)
            element = element.nextSiblingElement(name);
    }
    EXPECT_FALSE(element.isNull()) << path.toStdString();
    while (element.hasChildNodes())
        element.removeChild(element.firstChild());
    element.appendChild(document.createTextNode(text));
    TParameters edited;
    edited.LoadFromXML(document.documentElement().firstChildElement(graphName));
    return edited;
}

// The message of the exception an action raises.
template <class TError> QString MessageOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const TError &e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

inline QStringList LabelTexts(const TAxisDefinition &axis)
{
    QStringList texts;
    for (int32_t i = 1; i <= axis.LabelCount(); ++i)
        texts << axis.GetLabel(i).Text();
    return texts;
}

inline std::vector<double> LabelValues(const TAxisDefinition &axis)
{
    std::vector<double> values;
    for (int32_t i = 1; i <= axis.LabelCount(); ++i)
        values.push_back(axis.GetLabel(i).Value());
    return values;
}

// Pixels that differ noticeably, as a fraction of the image.
inline double DifferingFraction(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 1.0;
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            differing += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                             std::abs(qBlue(p) - qBlue(q)) >
                         60;
        }
    return double(differing) / (a.width() * a.height());
}

// Compares an image with tests/graphs/reference/<name>.png. With
// VENTREL_UPDATE_REFERENCES=1 the reference is written instead.
inline void ExpectMatchesReference(const QImage &image, const QString &name)
{
    const QString path =
        QStringLiteral(VENTREL_SOURCE_DIR "/tests/graphs/reference/") + name + ".png";
    if (const char *update = std::getenv("VENTREL_UPDATE_REFERENCES");
        update && std::string(update) == "1") {
        ASSERT_TRUE(image.save(path)) << path.toStdString();
        GTEST_SKIP() << "reference written to " << path.toStdString();
    }
    const QImage reference = QImage(path).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(reference.isNull()) << path.toStdString();
    ASSERT_EQ(reference.size(), image.size()) << path.toStdString();
    // The tolerance allows for font rendering differing between machines.
    EXPECT_LT(DifferingFraction(image, reference), 0.01) << path.toStdString();
}
