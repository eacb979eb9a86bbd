#pragma once
// The sounding of a run's packets: the adapter between the packets the graph
// thread keeps and the meteorology, which knows only profiles.
#include "foundation/RootObject.h"
#include "pipeline/DataPacket.h"
#include "sounding/SoundingAnalysis.h"
#include "sounding/SoundingProducts.h"

// The ascent in the packets, in arrival order: packets with pressure,
// temperature and altitude, each kept only when it continues the ascent
// (AppendAscendingLevel). Descent after the burst, repeated frames on the
// ground and backward steps drop out, and so do packets whose rise rate is
// faster than 3000 m/min either way (a garbled frame and the one after it; an
// infinite rate from two frames with one time stamp is no evidence and is
// kept).
TSoundingProfile BuildSoundingProfile(const TDataPacketList &packets);
TSoundingAnalysis AnalyseSounding(const TDataPacketList &packets,
                                  const TSoundingAnalysisOptions &options = {});
// The products of the ascent in the packets.
TSoundingProducts ComputeSoundingProducts(const TDataPacketList &packets);

// The products as the graph thread hands them to the window that shows them.
class TSoundingProductsPacket : public TObject
{
  public:
    explicit TSoundingProductsPacket(TSoundingProducts products) : Products(std::move(products)) {}
    TSoundingProducts Products;
};
