#include "pipeline/PacketSounding.h"

#include <cmath>

namespace {

// No balloon climbs or sinks at 50 m/s; a frame garbled into a plausible but
// wrong pressure does, and so does the frame after it, measured from it.
constexpr double MaxRiseRate = 3000.0; // m/min

} // namespace

TSoundingProfile BuildSoundingProfile(const TDataPacketList &packets)
{
    TSoundingProfile profile;
    for (const TDataPacket &packet : packets) {
        if (!packet.HasPressure() || !packet.HasTemperature() || !packet.HasAltitude())
            continue;
        // Without this a single low pressure would end the profile: every
        // later level would have to lie above it.
        if (std::isfinite(packet.RiseRate()) && std::fabs(packet.RiseRate()) > MaxRiseRate)
            continue;
        TSoundingLevel level;
        level.Pressure = packet.Pressure();
        level.Altitude = packet.Altitude();
        level.Temperature = packet.Temperature();
        level.HasDewpoint = packet.HasDewpoint();
        level.Dewpoint = packet.Dewpoint();
        level.HasHumidity = packet.HasHumidity();
        level.Humidity = packet.Humidity();
        level.Time = packet.Time();
        AppendAscendingLevel(profile, level);
    }
    return profile;
}

TSoundingAnalysis AnalyseSounding(const TDataPacketList &packets,
                                  const TSoundingAnalysisOptions &options)
{
    return AnalyseProfile(BuildSoundingProfile(packets), options);
}

TSoundingProducts ComputeSoundingProducts(const TDataPacketList &packets)
{
    return ComputeSoundingProducts(AnalyseSounding(packets));
}
