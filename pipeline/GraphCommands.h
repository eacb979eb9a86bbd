#pragma once
// TGraphCommands: the graph thread's inbound buffer, posted to through one
// function per command kind, so that a kind and its payload cannot
// disagree, and counted by kind on every road that posts (live frames,
// replays, settings, requests).
#include "devices/KestrinLibrary.h"
#include "foundation/LocalDefs.h"
#include "pipeline/DataBuffer.h"
#include "pipeline/DataParameters.h"
#include "sounding/StationIdentity.h"
#include "sounding/SurfaceObservation.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TStandardGraphParameters;
class TSkewTGraphParameters;
class TTimeGraphParameters;

// What a request for the sounding products asks the graph thread to make,
// besides the products themselves.
enum TProductsRequest : uint8_t
{
    prProducts = 0,
    prProcessedCsv = 1, // the processed data of every frame (Export CSV)
    prSharppy = 2,      // the ascent as a SHARPpy sounding (Export Sounding)
};

// What the operator says of the flight besides its frames: the station, its
// surface observation, the marks of the release and of the end of the ascent,
// and whether the data have ended (a saved run read whole, a live run
// stopped). A new run forgets it: it comes again after each.
struct TFlightSettings
{
    TStationIdentity Station;
    std::optional<TSurfaceObservation> Surface;
    std::optional<double> Release; // date-time of the operator's mark; none: automatic
    std::optional<double> End;     // date-time of End of Ascent; none: not pressed
    bool DataEnded = false;
    bool operator==(const TFlightSettings &) const = default;
};

class TFlightSettingsPacket : public TObject
{
  public:
    explicit TFlightSettingsPacket(const TFlightSettings &settings) : Settings(settings) {}
    TFlightSettings Settings;
};

class TGraphCommands
{
  public:
    TGraphCommands() = default;
    TGraphCommands(const TGraphCommands &) = delete;
    TGraphCommands &operator=(const TGraphCommands &) = delete;

    void PostFrame(std::unique_ptr<TKestrinResult> frame);
    // Many frames under one lock, in order (a replay).
    void PostFrames(std::vector<std::unique_ptr<TKestrinResult>> frames);
    void PostNewRun(const TDataParameters &parameters);
    void PostStandardParameters(const TStandardGraphParameters &parameters);
    void PostSkewTParameters(const TSkewTGraphParameters &parameters);
    void PostTimeParameters(const TTimeGraphParameters &parameters);
    void PostLengthUnit(TLengthUnit unit);
    void PostPrintImage(TGraphType type);
    // `request`: TProductsRequest flags.
    void PostSoundingProducts(uint8_t request = prProducts);
    void PostFlightSettings(const TFlightSettings &settings);

    // How many commands of the kind were posted.
    uint64_t Count(uint8_t kind) const;

    // What the consumer takes from; it brackets every access with the lock.
    TDataBuffer<TRawDataPacket> &Buffer() { return FBuffer; }
    // Everything posted so far, the buffer left empty (a consumer without a
    // thread of its own).
    TDataBuffer<TRawDataPacket>::TItems TakeAll() { return TakeFromBuffer(FBuffer); }

  private:
    void Post(TRawCommand kind, std::unique_ptr<TObject> data);

    TDataBuffer<TRawDataPacket> FBuffer;
    std::array<std::atomic<uint64_t>, RawCommandKinds> FCounts{};
};
