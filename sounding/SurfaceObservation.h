#pragma once
// The station's own surface observation at the release, from its barometer,
// thermometer, hygrometer and anemometer: the surface level of the sounding
// products when the operator gives one, instead of the sonde's reading.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

struct TSurfaceObservation
{
    double Pressure = 0.0;    // hPa, at the station height (the launch elevation)
    double Temperature = 0.0; // degC
    double Humidity = 0.0;    // %RH
    // The wind, both or neither: direction in degrees true (360 from the
    // north, 0 only for calm), speed in m/s.
    std::optional<double> WindDirection;
    std::optional<double> WindSpeed;

    bool HasWind() const { return WindDirection && WindSpeed; }
    // No wind to speak of: a speed of 0, whatever the direction.
    bool IsCalm() const { return HasWind() && *WindSpeed == 0.0; }
    // The dew point (degC) from the temperature and humidity with the
    // program's own formula; NaN for dry air (0 %), where it has none.
    double DewPoint() const;
    bool operator==(const TSurfaceObservation &) const = default;
};

// The fields of an observation, in the order the problems are listed.
enum TSurfaceField : uint8_t
{
    ofPressure,
    ofTemperature,
    ofHumidity,
    ofDirection,
    ofSpeed,
    ofCount
};
// The problem of one field, one sentence; empty when it is valid.
QString SurfaceObservationProblem(TSurfaceField field, const TSurfaceObservation &observation);
// Every problem of the observation, one sentence each, in the order
// pressure, temperature, humidity, direction, speed; empty when it is valid.
QStringList SurfaceObservationProblems(const TSurfaceObservation &observation);

struct TSurfaceObservationText
{
    std::optional<TSurfaceObservation> Observation; // set only without problems
    QStringList Problems;
};
// The command-line form "P,T,RH" or "P,T,RH,DIR,SPEED" ("1001.6,14.0,78",
// "1001.6,14.0,78,250,4.5"), numbers with a decimal point whatever the
// locale; blanks around the numbers are allowed.
TSurfaceObservationText ParseSurfaceObservation(const QString &text);
