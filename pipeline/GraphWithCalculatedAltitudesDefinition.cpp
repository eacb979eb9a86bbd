#include "pipeline/GraphWithCalculatedAltitudesDefinition.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

bool Qualifies(const TDataPacket &packet)
{
    return packet.HasTemperature() && packet.HasPressure() && packet.HasAltitude();
}

// The label pressures, when they ascend (as gridlines do); empty otherwise.
std::vector<double> AscendingValues(const TAxisDefinition &axis)
{
    std::vector<double> values;
    values.reserve(size_t(axis.LabelCount()));
    for (int32_t i = 1; i <= axis.LabelCount(); ++i) {
        const double value = axis.GetLabel(i).Value();
        if (!std::isfinite(value) || (!values.empty() && value < values.back()))
            return {};
        values.push_back(value);
    }
    return values;
}

} // namespace

void TGraphWithCalculatedAltitudesDefinition::CalculateAltitudeLabels(
    const TDataPacketList &packets, int32_t first)
{
    TAxisDefinition &axis = AltitudeAxis();
    const int32_t labelCount = axis.LabelCount();
    const int32_t count = int32_t(packets.size());
    int32_t index = std::max(first, 0);
    if (!FLastPacket) {
        index = 0;
        while (index < count && !Qualifies(packets[size_t(index)]))
            ++index;
        if (index >= count)
            return;
        FLastPacket = packets[size_t(index)];
        ++index;
    }
    // With labels in ascending order, those between two packets are found by
    // bisection instead of by asking each: an axis may carry tens of
    // thousands. UpdateAltitudeLabel still decides on every candidate.
    const std::vector<double> ascending = AscendingValues(axis);
    for (; index < count; ++index) {
        const TDataPacket &packet = packets[size_t(index)];
        if (!Qualifies(packet))
            continue;
        if (ascending.empty() && labelCount > 0) {
            for (int32_t i = 1; i <= labelCount; ++i)
                UpdateAltitudeLabel(axis.GetLabel(i), *FLastPacket, packet);
        } else {
            const double low = std::min(FLastPacket->Pressure(), packet.Pressure());
            const double high = std::max(FLastPacket->Pressure(), packet.Pressure());
            for (auto it = std::lower_bound(ascending.begin(), ascending.end(), low);
                 it != ascending.end() && *it <= high; ++it)
                UpdateAltitudeLabel(axis.GetLabel(int32_t(it - ascending.begin()) + 1),
                                    *FLastPacket, packet);
        }
        FLastPacket = packet;
    }
}

bool TGraphWithCalculatedAltitudesDefinition::UpdateAltitudeLabel(TGraphLabelDefinition &label,
                                                                  const TDataPacket &previous,
                                                                  const TDataPacket &current) const
{
    const double p = label.Value();
    if (!IsBetween(p, previous.Pressure(), current.Pressure()))
        return false;
    const TDataPacket &reference =
        std::fabs(p - previous.Pressure()) < std::fabs(p - current.Pressure()) ? previous : current;
    const double tk = CelsiusToKelvin(reference.Temperature());
    const double tv = reference.HasHumidity()
                          ? VirtualTemperature(tk, reference.Humidity(), reference.Pressure())
                          : tk;
    double z = HypsometricAltitude(reference.Pressure(), reference.Altitude(), p, tv);
    if (FLengthUnit == luFeet)
        z = MetersToFeet(z);
    label.SetText(QString::number(RoundToInt32(z)));
    return true;
}
