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
    TAxisDefinition &AltitudeAxis() const override { return GetAnyAxis(1); }
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

TEST(CalculatedAltitudes, TheNearerPacketAndOnATieTheCurrentOne)
{
    TAltitudeDefinition d({500});
    // 520 and 480 mbar are both 20 from the label: the current packet (480,
    // 10 degC, 5500 m) is the reference:
    // 5500 + 29.3 * 283.15 * ln(480 / 500) = 5500 - 338.67 = 5161.33.
    d.CalculateAltitudeLabels({Packet(12, 520, 5200), Packet(10, 480, 5500)}, 0);
    EXPECT_EQ(d.Text(1), "5161");

    // Nearer to the previous packet: 5200 + 29.3 * 285.15 * ln(520 / 505) = 5444.6.
    TAltitudeDefinition near({505});
    near.CalculateAltitudeLabels({Packet(12, 520, 5200), Packet(10, 480, 5500)}, 0);
    EXPECT_EQ(near.Text(1), "5445");

    // Ascending order of pressures works the same (a descending sonde).
    TAltitudeDefinition down({500});
    down.CalculateAltitudeLabels({Packet(10, 480, 5500), Packet(12, 520, 5200)}, 0);
    // The current packet is now the 520 one: 5200 + 29.3 * 285.15 * ln(520/500) = 5527.7.
    EXPECT_EQ(down.Text(1), "5528");
}

TEST(CalculatedAltitudes, HumidityFeetAndLabelsOutsideTheInterval)
{
    TAltitudeDefinition d({850, 900, 1000});
    d.SetLengthUnit(luFeet);
    d.CalculateAltitudeLabels({Packet(20, 1000, 100, 50), Packet(15, 860, 1400, 50)}, 0);
    EXPECT_EQ(d.Text(1), QString()); // 850 is outside 860 .. 1000
    // 900 is nearer to 860: that packet's virtual temperature and altitude.
    const double tv = VirtualTemperature(CelsiusToKelvin(15), 50, 860);
    EXPECT_GT(tv, CelsiusToKelvin(15));
    const double z = 1400 + 29.3 * tv * std::log(860.0 / 900.0);
    EXPECT_EQ(d.Text(2), QString::number(std::lround(MetersToFeet(z))));
    // 1000 is the previous packet's own pressure: its altitude, 100 m = 328 ft.
    EXPECT_EQ(d.Text(3), "328");
}

TEST(CalculatedAltitudes, SharedBoundaryPressuresAreUpdatedByBothPairs)
{
    TAltitudeDefinition d({700});
    TDataPacketList packets = {Packet(5, 750, 2500), Packet(2, 700, 3000)};
    d.CalculateAltitudeLabels(packets, 0);
    EXPECT_EQ(d.Text(1), "3000");
    d.AltitudeAxis().GetLabel(1).SetText("stale");
    packets.push_back(Packet(0, 650, 3500));
    d.CalculateAltitudeLabels(packets, 2);
    EXPECT_EQ(d.Text(1), "3000"); // written again by the pair (700, 650)

    // UpdateAltitudeLabel reports what it did.
    TGraphLabelDefinition label(QStringLiteral("x"), 600);
    EXPECT_FALSE(d.UpdateAltitudeLabel(label, packets[0], packets[1]));
    EXPECT_EQ(label.Text(), "x");
    EXPECT_TRUE(d.UpdateAltitudeLabel(label, packets[2], Packet(-5, 550, 4500)));
}

TEST(CalculatedAltitudes, TheWalkFromTheFirstQualifyingPacket)
{
    TAltitudeDefinition d({850, 800});
    TDataPacketList packets;
    TDataPacket noAltitude;
    noAltitude.SetTemperature(10);
    noAltitude.SetPressure(850);
    packets.push_back(noAltitude);            // 0: never qualifies
    packets.push_back(Packet(20, 1000, 100)); // 1: the first LastPacket
    for (int i = 0; i < 8; ++i)               // 2..9: no label in reach
        packets.push_back(Packet(19, 990 - i, 200 + i));
    packets.push_back(Packet(10, 850, 1500)); // 10
    // Nothing known yet: the scan starts at 0 even though first is 10.
    d.CalculateAltitudeLabels(packets, 10);
    ASSERT_TRUE(d.LastPacket().has_value());
    EXPECT_EQ(d.LastPacket()->Pressure(), 850);
    EXPECT_EQ(d.Text(1), "1500"); // bracketed by 983 and 850, at 850 itself

    // A packet without an altitude neither labels nor becomes LastPacket.
    d.AltitudeAxis().GetLabel(2).SetText(QString());
    TDataPacket gap = noAltitude;
    gap.SetPressure(700);
    packets.push_back(gap);
    d.CalculateAltitudeLabels(packets, 11);
    EXPECT_EQ(d.Text(2), QString());
    EXPECT_EQ(d.LastPacket()->Pressure(), 850);
    packets.push_back(Packet(0, 790, 2100));
    d.CalculateAltitudeLabels(packets, 12);
    // 850 .. 790, 790 is nearer: 2100 + 29.3 * 273.15 * ln(790 / 800) = 1999.33.
    EXPECT_EQ(d.Text(2), "1999");
    EXPECT_EQ(d.Text(1), "1500");

    d.ResetAltitudes();
    EXPECT_FALSE(d.LastPacket().has_value());
    // Without any qualifying packet nothing happens.
    d.CalculateAltitudeLabels({noAltitude, gap}, 0);
    EXPECT_FALSE(d.LastPacket().has_value());
}

TEST(CalculatedAltitudes, WithoutLabelsOnlyTheLastPacketIsKept)
{
    TAltitudeDefinition d({});
    d.CalculateAltitudeLabels({Packet(20, 1000, 100), Packet(18, 980, 280)}, 0);
    ASSERT_TRUE(d.LastPacket().has_value());
    EXPECT_EQ(d.LastPacket()->Altitude(), 280);
    // A first index beyond the list adds nothing.
    d.CalculateAltitudeLabels({Packet(20, 1000, 100)}, 5);
    EXPECT_EQ(d.LastPacket()->Altitude(), 280);
}
