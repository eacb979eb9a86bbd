#pragma once
// The sounding as the high-resolution BUFR report weather services take
// (template 3 09 057): one edition 4 message, one uncompressed subset,
// holding every level of the ascent and the standard surfaces, each flagged
// for what it is. Encoded with ECMWF's ecCodes.
//
// The sonde measures no wind and tells nothing of itself: its type, serial
// number, the balloon, the clouds, the drift and the wind are missing.
#include "sounding/SoundingProducts.h"
#include "sounding/StationIdentity.h"

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

// The master table version of the message: the first that holds the template.
constexpr long BufrMasterTableVersion = 31;

// Bits of the extended vertical sounding significance (0 08 042, 18 bits,
// bit 1 the leftmost).
enum TBufrLevelFlag : uint32_t
{
    bfSurface = 1u << 17,
    bfStandard = 1u << 16,
    bfTropopause = 1u << 15,
    bfSignificantTemperature = 1u << 13,
    bfSignificantHumidity = 1u << 12,
    bfBeginMissingTemperature = 1u << 10,
    bfEndMissingTemperature = 1u << 9,
    bfBeginMissingHumidity = 1u << 8,
    bfEndMissingHumidity = 1u << 7,
};

// One replicated level, in the units and precision the message holds them.
struct TBufrLevel
{
    std::optional<double> TimeSinceLaunch; // s, whole
    double Pressure = 0.0;                 // Pa, whole
    std::optional<double> Height;          // gpm, whole
    std::optional<double> Temperature;     // K, hundredths
    std::optional<double> Dewpoint;        // K, hundredths
    std::optional<double> WindDirection;   // degrees true, whole
    std::optional<double> WindSpeed;       // m/s, tenths
    uint32_t Flags = 0;
};

// The time displacement (0 04 086) a level can carry: a level further from
// the launch keeps its values with the displacement missing.
constexpr double BufrMinTimeSinceLaunch = -8192.0; // s
constexpr double BufrMaxTimeSinceLaunch = 24575.0; // s

// The levels of the message in decreasing pressure: every profile level and
// every standard surface (those below the ground with their height only); a
// profile level at a standard pressure is one level with both flags.
std::vector<TBufrLevel> BufrLevels(const TSoundingProducts &products);

// The message. `stationHeight` (m) is the height of the ground and of the
// barometer. `updateSequenceNumber` goes into section 1: 0 for the original
// message, 1 for its first correction, and so on (at most 255).
// ESoundingExportError without a sounding, without the station number or
// position, or when ecCodes refuses the message.
QByteArray EncodeSoundingBufr(const TSoundingProducts &products, const TStationIdentity &station,
                              double stationHeight, int updateSequenceNumber = 0);
