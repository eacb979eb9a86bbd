#include "pipeline/DataPacket.h"

#include "devices/KestrinLibrary.h"
#include "foundation/CustomUtilities.h"

#include <cmath>
#include <limits>

TDataPacket MakeDataPacket(const TKestrinResult &result, const TAltitudeBase &base)
{
    return MakeDataPacket(result, base, GetSystemFormatSettings());
}

TDataPacket MakeDataPacket(const TKestrinResult &result, const TAltitudeBase &base,
                           const TFormatSettings &settings)
{
    TDataPacket packet;
    packet.SetTime(result.Time());
    packet.SetTimeText(FormatLongTime(result.Time(), settings));
    packet.SetHasError(result.HasAnyError());
    for (int c = 1; c <= KestrinChannels; ++c)
        packet.SetValue(c, result.Value(c));

    const bool hasT = result.HasValidPrimaryTemperature();
    const bool hasU = result.HasValidPrimaryHumidity();
    const bool hasP = result.HasValidPrimaryPressure();
    if (hasU)
        packet.SetHumidity(result.PrimaryHumidity());
    if (hasT)
        packet.SetTemperature(result.PrimaryTemperature());
    if (hasP)
        packet.SetPressure(result.PrimaryPressure());

    if (hasT && hasP) {
        const double T = packet.Temperature();
        const double P = packet.Pressure();
        double altitude = base.BaseAltitude; // the first pressure of the run: launch elevation
        if (base.BasePressure > 0) {
            const double TK = CelsiusToKelvin(T);
            const double Tv = hasU ? VirtualTemperature(TK, packet.Humidity(), P) : TK;
            altitude = HypsometricAltitude(base.BasePressure, base.BaseAltitude, P, Tv);
        }
        // A temperature far outside nature (a broken sensor is not range
        // checked) can make the layer meaningless; such a frame gets no
        // altitude rather than one that would spoil every later altitude.
        if (std::isfinite(altitude))
            packet.SetAltitude(altitude);
    }

    if (base.BaseTime > 0 && packet.HasAltitude()) {
        const double minutes = DaysToMinutes(packet.Time() - base.BaseTime);
        const double climb = packet.Altitude() - base.BaseAltitude;
        if (minutes == 0.0)
            packet.SetRiseRate(base.BaseAltitude > packet.Altitude()
                                   ? -std::numeric_limits<double>::infinity()
                                   : std::numeric_limits<double>::infinity());
        else
            packet.SetRiseRate(climb / minutes);
    }

    // No dew point for dry air (the formula takes the logarithm of the
    // humidity) or where the formula breaks down.
    if (hasT && hasU && packet.Humidity() > 0) {
        const double dewpoint = DewPoint(packet.Temperature(), packet.Humidity());
        if (std::isfinite(dewpoint))
            packet.SetDewpoint(dewpoint);
    }
    return packet;
}

void AdvanceBase(TAltitudeBase &base, const TDataPacket &packet)
{
    if (!packet.HasAltitude())
        return;
    base.BaseAltitude = packet.Altitude();
    base.BasePressure = packet.Pressure();
    base.BaseTime = packet.Time();
}
