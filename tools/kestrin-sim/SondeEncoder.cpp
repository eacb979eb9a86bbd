#include "SondeEncoder.h"

#include "foundation/LocalUtilities.h"

#include <algorithm>
#include <cmath>

namespace {

// Layers of the standard atmosphere: base altitude (m), base temperature
// (K), lapse rate (K/m), base pressure (mbar).
struct TLayer
{
    double Base, BaseTemperature, Lapse, BasePressure;
};
constexpr TLayer Layers[] = {
    {0.0, 288.15, -0.0065, 1013.25},
    {11000.0, 216.65, 0.0, 226.3206},
    {20000.0, 216.65, 0.001, 54.74889},
    {32000.0, 228.65, 0.0028, 8.680187},
};
constexpr double GravityOverGasConstant = 9.80665 / 287.053; // K/m

// The layers are defined in geopotential metres; a balloon climbs geometric ones.
double GeopotentialAltitude(double altitude)
{
    constexpr double EarthRadius = 6356766.0;
    return EarthRadius * altitude / (EarthRadius + altitude);
}

const TLayer &LayerAt(double altitude)
{
    const TLayer *layer = &Layers[0];
    for (const TLayer &l : Layers)
        if (altitude >= l.Base)
            layer = &l;
    return *layer;
}

double Clamp(double value, double low, double high)
{
    return std::min(std::max(value, low), high);
}

// Fixed decimals with a point, whatever the locale; never "-0.0".
QString Decimal(double value, int decimals)
{
    if (std::abs(value) < 0.5 * std::pow(10.0, -decimals))
        value = 0.0;
    return QString::number(value, 'f', decimals);
}

// The decoder drops a humidity outside 0 to 110 %RH. A value inside that
// range whose nearest count decodes a hair outside it (110 % on most models)
// goes as the neighbouring count, so that it arrives as a reading.
int64_t AcceptedHumidityCount(const TKestrinResult &configuration, int channel, double percent,
                              int64_t count, int64_t top)
{
    constexpr double Low = 0.0, High = 110.0;
    if (!(percent >= Low && percent <= High))
        return count;
    auto decoded = [&](int64_t n) {
        return VoltsToHumidity(configuration.CountsToVolts(double(n), channel));
    };
    if (decoded(count) < Low && count < top && decoded(count + 1) <= High)
        return count + 1;
    if (decoded(count) > High && count > 0 && decoded(count - 1) >= Low)
        return count - 1;
    return count;
}

} // namespace

double StandardTemperature(double altitude)
{
    const double h = GeopotentialAltitude(Clamp(altitude, -500.0, 47000.0));
    const TLayer &layer = LayerAt(h);
    return KelvinToCelsius(layer.BaseTemperature + layer.Lapse * (h - layer.Base));
}

double StandardPressure(double altitude)
{
    const double h = GeopotentialAltitude(Clamp(altitude, -500.0, 47000.0));
    const TLayer &layer = LayerAt(h);
    const double dh = h - layer.Base;
    if (layer.Lapse == 0.0)
        return layer.BasePressure * std::exp(-GravityOverGasConstant * dh / layer.BaseTemperature);
    const double t = layer.BaseTemperature + layer.Lapse * dh;
    return layer.BasePressure *
           std::pow(t / layer.BaseTemperature, -GravityOverGasConstant / layer.Lapse);
}

TStandardAscent::TStandardAscent(double launchElevation, double riseRate, double burstAltitude)
    : FLaunchElevation(launchElevation), FRiseRate(riseRate),
      FBurstAltitude(std::max(burstAltitude, launchElevation))
{
}

double TStandardAscent::AscentSeconds() const
{
    return FRiseRate > 0 ? (FBurstAltitude - FLaunchElevation) / FRiseRate : 0.0;
}

double TStandardAscent::Altitude(double seconds) const
{
    const double t = std::max(seconds, 0.0);
    const double ascent = AscentSeconds();
    if (t <= ascent)
        return FLaunchElevation + FRiseRate * t;
    return std::max(FBurstAltitude - 3.0 * FRiseRate * (t - ascent), FLaunchElevation);
}

TSondeReading TStandardAscent::At(double seconds, int64_t frame) const
{
    return ReadingAt(Altitude(seconds), std::max(seconds, 0.0), frame);
}

TSondeReading ReadingAt(double altitude, double seconds, int64_t frame)
{
    const double t = seconds;
    TSondeReading r;
    r.Altitude = altitude;
    r.Temperature = StandardTemperature(altitude);
    r.Pressure = StandardPressure(altitude);
    // Moist near the ground, dry above the tropopause, with a few layers.
    const double dryness = Clamp(altitude / 12000.0, 0.0, 1.0);
    r.Humidity = Clamp(78.0 - 70.0 * dryness + 8.0 * std::sin(altitude / 700.0), 1.0, 100.0);
    r.Battery = std::max(3.0 - 0.00005 * t, 2.4);
    r.Frequency = std::round(4000.0 + 10.0 * r.Temperature);
    r.ParallelByte = int(((frame % 256) + 256) % 256);
    r.Custom =
        std::round(10.0 * (2.0 + 6.0 * std::exp(-std::pow((altitude - 25000.0) / 6000.0, 2)))) /
        10.0;
    return r;
}

double TemperatureToVolts(double celsius)
{
    const double root = celsius + 1481.96;
    return 1.8639 - (root * root - 2196200.0) * 3.88e-6;
}

double PressureToVolts(double mbar)
{
    return (mbar / 1013.25 + 0.125) / 0.25;
}

double HumidityToVolts(double percent)
{
    return percent * 0.02925 + 0.795;
}

double VoltsToCount(double volts, TSondeModel model, int channel)
{
    if (model == sm1R)
        return channel <= 3 ? volts * 4096.0 / 4.096 : volts * 4096.0 / 5.0;
    return volts * 1024.0 / 5.0;
}

TChannelValues ChannelValues(const TKestrinResult &configuration, const TSondeReading &reading)
{
    TChannelValues values;
    values.fill(NoValue);
    std::array<int, ChannelTypeCount> seen{};
    for (int c = 1; c <= KestrinChannels; ++c) {
        const TChannelType type = configuration.ChannelType(c);
        if (!IsPresentChannelType(type))
            continue;
        // Primaries read the air; the others of a kind read nearby things.
        const bool airKind = type == ctTemperature || type == ctPressure || type == ctHumidity;
        const int k = configuration.IsPrimary(c) ? 0 : airKind ? ++seen[type] : seen[type]++;
        double v = NoValue;
        switch (type) {
        case ctTemperature:
            v = reading.Temperature + 30.0 * k;
            break;
        case ctPressure:
            v = reading.Pressure * (1.0 - 0.01 * k);
            break;
        case ctHumidity:
            v = reading.Humidity * (1.0 - 0.1 * k);
            break;
        case ctVoltage:
            v = reading.Battery - 0.4 * (k % 5);
            break;
        case ctFrequency:
            v = reading.Frequency + 250.0 * k;
            break;
        case ctParallelByte:
            v = reading.ParallelByte;
            break;
        case ctCustom:
            v = reading.Custom + k;
            break;
        default:
            break;
        }
        values[c - 1] = v;
    }
    return values;
}

QString EncodeFrame(const TKestrinResult &configuration, const TChannelValues &values)
{
    QString frame;
    const TSondeModel model = configuration.Model();
    if (configuration.TransmissionType() == ttProcessed) {
        QStringList fields;
        for (int c = 1; c <= KestrinChannels; ++c) {
            const TChannelType type = configuration.ChannelType(c);
            if (!IsPresentChannelType(type))
                continue;
            const double v = values[c - 1];
            switch (type) {
            case ctVoltage:
                fields << Decimal(v * 1000.0, 1);
                break;
            case ctTemperature:
                fields << Decimal(model == sm3M ? CelsiusToKelvin(v) : v, 2);
                break;
            case ctPressure:
                fields << Decimal(v, 2);
                break;
            case ctHumidity:
                fields << Decimal(v, 1);
                break;
            case ctFrequency:
            case ctParallelByte:
                fields << Decimal(std::round(v), 0);
                break;
            default:
                fields << Decimal(v, 1);
                break;
            }
        }
        return fields.join(QLatin1Char(','));
    }

    for (int c = 1; c <= KestrinChannels; ++c) {
        const TChannelType type = configuration.ChannelType(c);
        const int width = RawFieldWidth(type);
        if (width == 0)
            continue;
        const double v = values[c - 1];
        double count = 0.0;
        switch (type) {
        case ctVoltage:
            count = VoltsToCount(v, model, c);
            break;
        case ctTemperature:
            count = VoltsToCount(TemperatureToVolts(v), model, c);
            break;
        case ctPressure:
            count = VoltsToCount(PressureToVolts(v), model, c);
            break;
        case ctHumidity:
            count = VoltsToCount(HumidityToVolts(v), model, c);
            break;
        default:
            count = v;
            break;
        }
        const double top = std::pow(16.0, width) - 1.0;
        auto n = int64_t(std::isfinite(count) ? Clamp(std::round(count), 0.0, top) : 0.0);
        if (type == ctHumidity)
            n = AcceptedHumidityCount(configuration, c, v, n, int64_t(top));
        frame += QStringLiteral("%1").arg(n, width, 16, QLatin1Char('0')).toUpper();
    }
    return frame;
}

QString SpoilFrame(const TKestrinResult &configuration, const QString &frame)
{
    // A raw frame with a minus sign, a processed frame with a letter.
    const QChar bad =
        configuration.TransmissionType() == ttProcessed ? QLatin1Char('x') : QLatin1Char('-');
    QString spoiled = frame;
    spoiled.insert(int(spoiled.size() / 2), bad);
    return spoiled;
}
