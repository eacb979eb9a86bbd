#pragma once
// TGraphPipeline: what the graph thread does with one batch of commands: it
// turns frames into packets, keeps the packet lists of the run, builds the
// data-list rows, keeps the three graphs up to date and redraws those that
// changed. The thread (GraphThread.h) adds the buffers, the 100 ms rhythm and
// the copy to the screen; kept apart so that a cycle can be run and examined
// on one thread.
//
// A graph operation that raises does not stop the cycle: the failure becomes
// an error message for the operator (once, not every cycle while it
// persists), that graph keeps what it had, and the other graphs carry on.
#include "foundation/CustomUtilities.h"
#include "graphs/SkewTGraph.h"
#include "graphs/StandardGraph.h"
#include "graphs/TimeGraph.h"
#include "pipeline/DataBuffer.h"
#include "pipeline/DataPacket.h"
#include "pipeline/DataParameters.h"
#include "pipeline/GraphCommands.h"
#include "pipeline/PacketSounding.h"
#include "sounding/FlightPhases.h"
#include "sounding/FlightSounding.h"
#include "sounding/SoundingFrame.h"

#include <QHash>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <vector>

using TCommandList = TDataBuffer<TRawDataPacket>::TItems;

// What one cycle hands out.
struct TCycleOutput
{
    // Headings, replacement, append: those sent, in that order.
    std::vector<std::unique_ptr<TDataViewPacket>> ViewPackets;
    std::vector<std::unique_ptr<TPrintImage>> Images;
    // Messages for the operator.
    QStringList Errors;
    // The graphs whose Bitmap was drawn anew, to be copied to the screen.
    std::vector<TGraphType> Redrawn;
    // The sounding products, when the batch asked for them.
    std::unique_ptr<TSoundingProductsPacket> Products;
};

// A frame as the sounding sees it: its own values, decoded again from its
// raw text with the run's configuration, each quantity on its own validity
// (the value it carries where the text does not decode, or decodes to a
// value that disagrees with it beyond its decimals); the time as a log keeps
// it. Without an altitude (AddAltitude).
TSoundingFrame SoundingFrameOf(const TKestrinResult &frame, const TKestrinResult &configuration);

// The frame's altitude from `base` (the last frame with one, or the launch
// elevation), as the packets' altitudes are made but of the frame's own
// values; the base moves to the frame when it has an altitude.
void AddAltitude(TSoundingFrame &frame, TAltitudeBase &base);

// "Standard graph", "Skew-T graph", "Time graph": how messages name a graph.
QString GraphCaption(TGraphType type);

// The width every data-list cell is padded to with blanks.
constexpr qsizetype DataListCellWidth = 10;
// Appends a cell padded on the right to DataListCellWidth. A longer cell is
// kept whole and followed by one blank, so that it cannot run into the next
// and the report can still tell the two apart.
void AppendDataListCell(QString &row, const QString &cell);

class TGraphPipeline
{
  public:
    TGraphPipeline();
    // With graph objects of the caller's (subclasses that watch the calls).
    TGraphPipeline(std::unique_ptr<TStandardGraph> standard, std::unique_ptr<TSkewTGraph> skewT,
                   std::unique_ptr<TTimeGraph> time);
    TGraphPipeline(const TGraphPipeline &) = delete;
    TGraphPipeline &operator=(const TGraphPipeline &) = delete;

    // The commands in order, the rebuilds their settings call for, the new
    // packets to every graph, and the view packets. Empties `batch`, freeing
    // the commands and their data.
    void Process(TCommandList &batch, TCycleOutput &output);
    // One whole cycle, as the graph thread runs it and the renderer too:
    // Process, then `handOut` takes what the commands made (view packets,
    // products, images), then, with `redraw`, the graphs that changed are
    // redrawn and `afterRedraw` runs (the copy to the screen). A step that
    // raises ends the cycle with one message for the operator in
    // output.Errors, reported once while it persists. `batch` ends empty.
    using TCycleStep = std::function<void(TCycleOutput &output)>;
    void RunCycle(TCommandList &batch, TCycleOutput &output, const TCycleStep &handOut,
                  bool redraw = true, bool sideBySide = false, const TCycleStep &afterRedraw = {});
    // Redraws the graphs that changed since their last redraw; with
    // `sideBySide` each on a thread of its own (the graphs share nothing).
    void RedrawChanged(TCycleOutput &output, bool sideBySide = false);
    // The graph needs drawing again (it has a new screen target).
    void Invalidate(TGraphType type);
    // Room for a run of `frames` packets, for a caller that knows the count:
    // the packet lists then need no spare capacity.
    void ReservePackets(size_t frames);
    // A graph whose drawing is off still takes its settings and packets but
    // is not redrawn, for a caller that wants no picture of it. On at first.
    void SetDrawing(TGraphType type, bool on) { FDrawing[type] = on; }

    // Adds `message` to `errors` unless the same step (`key`) reported the
    // same message last time and has not succeeded since.
    void ReportError(const QString &key, const QString &message, QStringList &errors);
    void ReportSuccess(const QString &key);

    // The two heading lines (names, units) for the current parameters and unit.
    QStringList HeadingLines() const;
    // The row text of a packet for the current parameters and unit.
    QString RowText(const TDataPacket &packet, const TFormatSettings &settings) const;

    const TDataPacketList &AllPackets() const { return FAllPackets; }
    // Every frame as the sounding sees it, and the flight's phases.
    const TSoundingFrames &SoundingFrames() const { return FFrames; }
    const TFlightPhases &Phases() const { return FPhases; }
    const TDataPacketList &GoodPackets() const { return FGoodPackets; }
    int32_t GraphedCount() const { return FGraphedCount; }
    const TAltitudeBase &Base() const { return FBase; }
    const TDataParameters &Parameters() const { return FParameters; }
    TLengthUnit LengthUnit() const { return FLengthUnit; }
    const TStandardGraphParameters &StandardParameters() const { return FStandardParameters; }
    const TSkewTGraphParameters &SkewTParameters() const { return FSkewTParameters; }
    const TTimeGraphParameters &TimeParameters() const { return FTimeParameters; }

    TStandardGraph &StandardGraph() { return *FStandardGraph; }
    TSkewTGraph &SkewTGraph() { return *FSkewTGraph; }
    TTimeGraph &TimeGraph() { return *FTimeGraph; }
    TGraph &Graph(TGraphType type);

  private:
    struct TCycleState;

    void ProcessCommand(TRawDataPacket &command, TCycleState &state,
                        const TFormatSettings &settings, TCycleOutput &output);
    void AddFrame(const TKestrinResult &frame, TCycleState &state, const TFormatSettings &settings);
    void StartRun(const TObject *data, TCycleState &state, TCycleOutput &output);
    void ChangeUnit(const TObject *data, TCycleState &state, const TFormatSettings &settings);
    void Print(const TObject *data, TCycleOutput &output);
    std::unique_ptr<TSoundingProductsPacket> MakeProducts(uint8_t request) const;
    // Rebuilds one graph from GoodPackets. A refused rebuild keeps what the
    // graph had, except at a new run, where the old run's points must go.
    void ApplyParameters(TGraphType type, bool newRun, TCycleOutput &output);
    void SetConfigurationColumns();
    void ApplyFlightSettings(const TFlightSettings &settings);

    std::unique_ptr<TStandardGraph> FStandardGraph;
    std::unique_ptr<TSkewTGraph> FSkewTGraph;
    std::unique_ptr<TTimeGraph> FTimeGraph;

    TDataPacketList FAllPackets;
    TDataPacketList FGoodPackets;
    int32_t FGraphedCount = 0;
    TAltitudeBase FBase;
    TDataParameters FParameters;
    TStandardGraphParameters FStandardParameters;
    TSkewTGraphParameters FSkewTParameters;
    TTimeGraphParameters FTimeParameters;
    TLengthUnit FLengthUnit = luMeters;
    TSoundingFrames FFrames;
    TAltitudeBase FSoundingBase;
    TFlightPhases FPhases;
    TFlightSetup FSetup;
    TStationIdentity FStation;

    // How many of GoodPackets each graph holds: a graph rebuilt in a cycle
    // already has that cycle's packets and must not get them twice.
    std::array<int32_t, 3> FGraphCounts{0, 0, 0};
    std::array<bool, 3> FChanged{true, true, true};
    std::array<bool, 3> FDrawing{true, true, true};
    // The channels that have a list column, with their decimal places.
    std::vector<std::pair<int, int>> FColumns;
    QHash<QString, QString> FLastErrors;
};
