#pragma once
// The sounding of a run's packets: the adapter between the packets the graph
// thread keeps and the meteorology, which knows only profiles.
#include "foundation/RootObject.h"
#include "pipeline/DataPacket.h"
#include "sounding/SoundingAnalysis.h"
#include "sounding/SoundingProducts.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

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

// The products as the graph thread hands them to whoever asked: the window
// that shows them, or a command that saves them.
class TSoundingProductsPacket : public TObject
{
  public:
    explicit TSoundingProductsPacket(TSoundingProducts products) : Products(std::move(products)) {}
    TSoundingProducts Products;
    // The graph thread's cycle that made them: they hold every frame posted
    // before that cycle began.
    uint64_t Cycle = 0;
    // What the request asked for besides, made of the same packets: the
    // bytes of each file, or why it could not be made.
    QByteArray ProcessedCsv;
    QByteArray Sharppy;
    QString SharppyError;
};
