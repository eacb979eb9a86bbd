#pragma once
// TGraphWithCalculatedAltitudesDefinition: a graph definition with a pressure
// axis whose altitude-axis labels (placed at pressures, created with empty
// texts) are filled in with altitudes computed from the incoming packets.
#include "foundation/LocalDefs.h"
#include "graphs/GraphDefinition.h"
#include "pipeline/DataPacket.h"

#include <optional>

class TGraphWithCalculatedAltitudesDefinition : public TGraphDefinition
{
  public:
    TGraphWithCalculatedAltitudesDefinition() = default;

    // The axis whose labels carry the altitudes; each label's Value is a
    // pressure. A kind overrides the const one and brings this one along
    // with a using-declaration.
    virtual const TAxisDefinition &AltitudeAxis() const = 0;
    TAxisDefinition &AltitudeAxis() { return Mutable(std::as_const(*this).AltitudeAxis()); }

    // Brings the altitude labels up to date with packets[first .. end): every
    // pair of consecutive qualifying packets (temperature, pressure and
    // altitude known) labels the pressures between them. Before the first
    // qualifying packet is known the scan starts at 0 whatever first is.
    void CalculateAltitudeLabels(const TDataPacketList &packets, int32_t first);
    // Sets the label's text to the altitude at its pressure when that lies
    // between the two packets' pressures (inclusive), computed from the packet
    // nearer in pressure (current on a tie). True when the label changed.
    bool UpdateAltitudeLabel(TGraphLabelDefinition &label, const TDataPacket &previous,
                             const TDataPacket &current) const;
    // Forgets the last packet: the next calculation starts over.
    void ResetAltitudes() { FLastPacket.reset(); }

    const std::optional<TDataPacket> &LastPacket() const { return FLastPacket; }
    TLengthUnit LengthUnit() const { return FLengthUnit; }
    void SetLengthUnit(TLengthUnit unit) { FLengthUnit = unit; }

  private:
    std::optional<TDataPacket> FLastPacket;
    TLengthUnit FLengthUnit = luMeters;
};
