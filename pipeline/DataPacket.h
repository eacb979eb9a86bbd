#pragma once
// TDataPacket: the processed record of one frame, with the derived altitude,
// dew point and rise rate and flags saying which of them are valid.
#include "foundation/LocalUtilities.h"

#include <QString>
#include <array>
#include <vector>

struct TFormatSettings;

class TKestrinResult;

class TDataPacket
{
  public:
    TDataPacket() { FValues.fill(0.0); }

    void Assign(const TDataPacket &source) { *this = source; }

    // Channel 1..10; other channel numbers are a programming error.
    double Value(int channel) const { return FValues[size_t(channel - 1)]; }
    void SetValue(int channel, double value) { FValues[size_t(channel - 1)] = value; }

    double Temperature() const { return FTemperature; }
    double Pressure() const { return FPressure; }
    double Humidity() const { return FHumidity; }
    double Altitude() const { return FAltitude; }
    double Dewpoint() const { return FDewpoint; }
    double RiseRate() const { return FRiseRate; }
    double Time() const { return FTime; }
    const QString &TimeText() const { return FTimeText; }
    bool HasTemperature() const { return FHasTemperature; }
    bool HasPressure() const { return FHasPressure; }
    bool HasHumidity() const { return FHasHumidity; }
    bool HasAltitude() const { return FHasAltitude; }
    bool HasDewpoint() const { return FHasDewpoint; }
    bool HasError() const { return FHasError; }

    void SetTemperature(double v) { FTemperature = v, FHasTemperature = true; }
    void SetHumidity(double v) { FHumidity = v, FHasHumidity = true; }
    void SetAltitude(double v) { FAltitude = v, FHasAltitude = true; }
    void SetDewpoint(double v) { FDewpoint = v, FHasDewpoint = true; }
    // A pressure counts only when above zero.
    void SetPressure(double v)
    {
        FPressure = v;
        if (v > 0)
            FHasPressure = true;
    }
    void SetRiseRate(double v) { FRiseRate = v; }
    void SetTime(double v) { FTime = v; }
    void SetTimeText(const QString &text) { FTimeText = text; }
    void SetHasError(bool v) { FHasError = v; }

    double AltitudeFeet() const { return MetersToFeet(FAltitude); }
    double RiseRateFeet() const { return MetersToFeet(FRiseRate); } // feet per minute

  private:
    std::array<double, 10> FValues;
    double FTemperature = 0.0;
    double FPressure = 0.0;
    double FHumidity = 0.0;
    double FAltitude = 0.0;
    double FDewpoint = 0.0;
    double FRiseRate = 0.0;
    double FTime = 0.0;
    QString FTimeText;
    bool FHasTemperature = false;
    bool FHasPressure = false;
    bool FHasHumidity = false;
    bool FHasAltitude = false;
    bool FHasDewpoint = false;
    bool FHasError = false;
};

// A run's packets, in arrival order. Packets are values: the lists own them.
using TDataPacketList = std::vector<TDataPacket>;

// The running altitude base held between packets: the last packet that had an
// altitude, or the launch elevation before the first one.
struct TAltitudeBase
{
    double BaseAltitude = 0.0;  // metres
    double BasePressure = -1.0; // mbar; -1: no base yet
    double BaseTime = 0.0;      // date-time; 0: none

    // The base at the start of a run.
    static TAltitudeBase Start(double launchElevation) { return {launchElevation, -1.0, 0.0}; }
};

// Derives a packet from a decoded frame against the running base.
TDataPacket MakeDataPacket(const TKestrinResult &result, const TAltitudeBase &base);
// The same with the format settings of the caller, for many frames in a row.
TDataPacket MakeDataPacket(const TKestrinResult &result, const TAltitudeBase &base,
                           const TFormatSettings &settings);
// Moves the base to the packet when it has an altitude.
void AdvanceBase(TAltitudeBase &base, const TDataPacket &packet);
