#include "foundation/LocalUtilities.h"
#include "pipeline/GraphWithCalculatedAltitudesDefinition.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// Altitude labels on the first independent axis, at the given pressures.
class TAltitudeDefinition : public TGraphWithCalculatedAltitudesDefinition
{
  public:
    explicit TAltitudeDefinition(std::initializer_list<double> pressures)
    {
        auto axis = std::make_unique<TAxisDefinition>();
        for (double p : pressures)
            axis->AddLabel(QString(), p);
        AddIndependentAxis(std::move(axis));
    }
    const TAxisDefinition &AltitudeAxis() const override { return GetAnyAxis(1); }
    using TGraphWithCalculatedAltitudesDefinition::AltitudeAxis;
    QString Text(int i) const { return AltitudeAxis().GetLabel(i).Text(); }
};

TDataPacket Packet(double t, double p, double altitude, double humidity = -1)
{
    TDataPacket packet;
    packet.SetTemperature(t);
    packet.SetPressure(p);
    packet.SetAltitude(altitude);
    if (humidity >= 0)
        packet.SetHumidity(humidity);
    return packet;
}

} // namespace

TEST(CalculatedAltitudes, ReferencePacketAndFormula)
{
    // 520 and 480 mbar are both 20 from the label: the current packet decides,
    // 5500 + 29.3 * 283.15 * ln(480 / 500) = 5161.33.
    TAltitudeDefinition tie({500, 505, 530});
    tie.CalculateAltitudeLabels({Packet(12, 520, 5200), Packet(10, 480, 5500)}, 0);
    EXPECT_EQ(tie.Text(1), "5161");
    // Nearer to the previous: 5200 + 29.3 * 285.15 * ln(520 / 505) = 5444.6.
    EXPECT_EQ(tie.Text(2), "5445");
    EXPECT_EQ(tie.Text(3), QString()); // outside the interval

    // Humidity: the virtual temperature; feet: converted.
    TAltitudeDefinition moist({900, 1000});
    moist.SetLengthUnit(luFeet);
    moist.CalculateAltitudeLabels({Packet(20, 1000, 100, 50), Packet(15, 860, 1400, 50)}, 0);
    const double tv = VirtualTemperature(CelsiusToKelvin(15), 50, 860);
    EXPECT_GT(tv, CelsiusToKelvin(15));
    const double z = 1400 + 29.3 * tv * std::log(860.0 / 900.0);
    EXPECT_EQ(moist.Text(1), QString::number(std::lround(MetersToFeet(z))));
    EXPECT_EQ(moist.Text(2), "328"); // the packet's own pressure: 100 m
}

TEST(CalculatedAltitudes, TheWalkOverPackets)
{
    TAltitudeDefinition d({850, 800});
    TDataPacket noAltitude;
    noAltitude.SetTemperature(10);
    noAltitude.SetPressure(850);
    TDataPacketList packets = {noAltitude, Packet(20, 1000, 100)};
    for (int i = 0; i < 8; ++i) // 2..9: no label in reach
        packets.push_back(Packet(19, 990 - i, 200 + i));
    packets.push_back(Packet(10, 850, 1500)); // 10
    // Nothing known yet: the scan starts at 0 although first is 10, and the
    // packet without altitude never takes part.
    d.CalculateAltitudeLabels(packets, 10);
    ASSERT_TRUE(d.LastPacket().has_value());
    EXPECT_EQ(d.LastPacket()->Pressure(), 850);
    EXPECT_EQ(d.Text(1), "1500"); // at 850 itself (inclusive)

    d.AltitudeAxis().GetLabel(1).SetText("stale");
    packets.push_back(noAltitude); // skipped: 850 stays the last packet
    packets.push_back(Packet(0, 790, 2100));
    d.CalculateAltitudeLabels(packets, 11);
    // 850 is shared by both pairs and written again; 800 is nearer to 790:
    // 2100 + 29.3 * 273.15 * ln(790 / 800) = 1999.33.
    EXPECT_EQ(d.Text(1), "1500");
    EXPECT_EQ(d.Text(2), "1999");
    EXPECT_EQ(d.LastPacket()->Pressure(), 790);

    d.ResetAltitudes();
    EXPECT_FALSE(d.LastPacket().has_value());
    d.CalculateAltitudeLabels({noAltitude}, 0);
    EXPECT_FALSE(d.LastPacket().has_value());
    TGraphLabelDefinition label(QStringLiteral("x"), 600);
    EXPECT_FALSE(d.UpdateAltitudeLabel(label, packets[1], packets[2]));
    EXPECT_EQ(label.Text(), "x");
}
