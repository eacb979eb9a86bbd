#pragma once
// TFlightSession: a flight as the program runs it, without a window. It owns
// the receiver, the run-log writer, the graph thread and the recorded lines,
// and the flight's settings (configuration and launch elevation, station,
// the three graphs' parameters, the length unit); it runs the workflow of
// capturing or taking a configuration, recording a run, and replaying a
// saved one; and it is the one road to the sounding products, live or for
// saving.
//
// A window is a view of it: its handlers call the operations here and show
// what the notifications report. Call everything on the thread that created
// the session (the user-interface thread); the devices and the graph thread
// report on it.
#include "devices/FileManager.h"
#include "devices/KestrinReceiver.h"
#include "foundation/FileLock.h"
#include "foundation/LocalDefs.h"
#include "graphs/SkewTGraphParameters.h"
#include "graphs/StandardGraphParameters.h"
#include "graphs/TimeGraphParameters.h"
#include "pipeline/DataParameters.h"
#include "pipeline/FlightDelivery.h"
#include "pipeline/GraphCommands.h"
#include "pipeline/GraphSettingsDocument.h"
#include "pipeline/PacketSounding.h"
#include "pipeline/RecordingSession.h"
#include "pipeline/RunMarker.h"
#include "sounding/StationIdentity.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class TGraphThread;
class QTimer;

struct TFlightSessionOptions
{
    // The exchange library the receiver loads; empty for the normal one.
    QString ReceiverLibraryPath;
    // The reports' outbox; empty for the user's (TOutbox::DefaultFolder).
    QString OutboxFolder = {};
    // When the upload tries again after a failure.
    TDeliveryTiming DeliveryTiming = {};
    // The folder of the markers of runs in progress, one per log; empty for
    // the user's (DefaultRunMarkerFolder).
    QString RunMarkerFolder = {};
};

// A run that was recording when the program ended without a Stop.
struct TInterruptedRun
{
    QString MarkerFile;
    TRunMarker Marker;
    qsizetype Frames = 0;         // the log's whole data lines
    std::optional<double> Last{}; // the time of the last of them (local, days)
    // Why it cannot be continued (the marker or the log is broken or gone),
    // one sentence for the operator; empty when it can.
    QString Problem{};
};

// A run log read and made ready to replay (ReadFlightLog), before anything
// of the session changes.
struct TLoadedLog
{
    QString Path;
    TKestrinResult Configuration;
    double LaunchElevation = 0.0;
    TReplay Replay;
};

// A graph settings document read and made ready to replay.
struct TLoadedSettings
{
    QString Path;
    TGraphSettings Settings; // without its recorded lines: they are in Replay
    TReplay Replay;
};

// Pure work on a file, for a worker thread: the whole file read, checked and
// its lines made ready to replay. Raises what the readers raise
// (EKestrinConfigStringError for a configuration this program cannot read).
TLoadedLog ReadFlightLog(const QString &path);
TLoadedSettings ReadFlightSettings(const QString &path);

class TFlightSession
{
  public:
    explicit TFlightSession(const TFlightSessionOptions &options = {});
    ~TFlightSession();
    TFlightSession(const TFlightSession &) = delete;
    TFlightSession &operator=(const TFlightSession &) = delete;

    // Ends the devices and the graph thread as the destructor does, the run
    // log's pending lines written; no notification is raised from here on.
    // The graph thread's last copies to the screen still run meanwhile.
    void Shutdown();

    TGraphThread &GraphThread() { return *FGraphThread; }
    TKestrinReceiver &Receiver() { return *FReceiver; }
    TFileManager &FileManager() { return *FFileManager; }
    // How many commands of each kind went to the graph thread.
    uint64_t PostCount(uint8_t kind) const;

    // --- the flight's settings ----------------------------------------------
    const TDataParameters &DataParameters() const { return FDataParameters; }
    // The parameters the current data set started with, whatever the
    // session's own have become since.
    const TDataParameters &RunParameters() const;
    void SetLaunchElevation(double metres);
    const TStationIdentity &Station() const { return FStation; }
    void SetStation(const TStationIdentity &station);
    const TStandardGraphParameters &StandardParameters() const { return FStandardParameters; }
    const TSkewTGraphParameters &SkewTParameters() const { return FSkewTParameters; }
    const TTimeGraphParameters &TimeParameters() const { return FTimeParameters; }
    // Each keeps the parameters and posts a copy to the graph thread.
    void SetStandardParameters(const TStandardGraphParameters &parameters);
    void SetSkewTParameters(const TSkewTGraphParameters &parameters);
    void SetTimeParameters(const TTimeGraphParameters &parameters);
    // Keeps the three without posting them (the window's first settings,
    // which its first layout posts).
    void KeepGraphParameters(const TStandardGraphParameters &standard,
                             const TSkewTGraphParameters &skewT, const TTimeGraphParameters &time);
    // The size a graph is drawn at, kept for the next post and for the
    // settings documents loaded later.
    void SetGraphSize(TGraphType type, QSize size);
    // The three graphs' parameters as kept, posted.
    void PostGraphParameters();
    TLengthUnit LengthUnit() const { return FLengthUnit; }
    void SetLengthUnit(TLengthUnit unit);
    // Asks the graph thread for the print image of a graph.
    void RequestPrintImage(TGraphType type);

    // --- what the operator says of the flight ---------------------------------
    const TFlightSettings &FlightSettings() const { return FFlightSettings; }
    // The station's surface observation at the release; none: the products
    // take the sonde's reading. Kept across runs, as the station is.
    void SetSurfaceObservation(const std::optional<TSurfaceObservation> &observation);
    // The operator's release (the first frame at or after `time`, days) and
    // End of Ascent (the last frame at or before it); none: automatic, and
    // not pressed. A new data set forgets both.
    void MarkRelease(std::optional<double> time);
    void MarkEndOfAscent(std::optional<double> time);

    // --- the run --------------------------------------------------------------
    const QStringList &RecordedLines() const;
    // The run log being written or the file last loaded; empty before.
    const QString &FilePath() const { return FFilePath; }
    bool CapturingConfig() const { return FCapturingConfig; }
    bool ApplyingConfig() const { return FApplyingConfig; }
    bool Running() const { return FRunning; }
    const QString &CandidateConfig() const { return FCandidateConfig; }

    // Automatic capture: the receiver listens, and the configuration the
    // sonde sends twice in a row is adopted. False (nothing done) while a
    // configuration is being captured or applied.
    bool BeginCapture();
    // A configuration typed by the operator. EKestrinConfigStringError
    // leaves everything as it was. False while busy.
    bool ApplyTypedConfiguration(const QString &text);
    // Leaves capturing or waiting for the receiver's acknowledgement.
    void CancelConfiguration();
    // A new data set and recording into `logPath`, which the session locks
    // and a run marker names until the Stop. Raises before anything changes
    // for an elevation the log cannot hold, or a log that another program
    // records into. Nothing while running.
    void StartRun(const QString &logPath);
    void StopRun();

    // A run that a marker names and no program ended, the newest first;
    // none when there is no marker but those of runs that other programs
    // are recording.
    std::optional<TInterruptedRun> FindInterruptedRun() const;
    // Removes the run's marker; its log stays as it is.
    void ForgetInterruptedRun(const TInterruptedRun &run);
    // Takes the marker's run up again: its log loaded as Load Log does (a
    // partial last line cut off first, into LOG.partial), its station,
    // observation and marks, and recording on into the same log. Raises
    // EFileError when the log is locked or cannot be read or cut; nothing
    // is recorded then.
    void ContinueRun(const TRunMarker &marker);

    // --- saved flights --------------------------------------------------------
    // The log's configuration and elevation are adopted (and acknowledged by
    // the receiver as any adopted configuration), and its lines take the
    // way of live frames without the run log.
    void AdoptLog(TLoadedLog log);
    // The document's settings are adopted, the graphs at the sizes in force.
    void AdoptSettings(TLoadedSettings loaded);
    // What Save Graphs writes: everything kept, with the graph shown.
    TGraphSettings Settings(TGraphType currentGraph) const;
    // The graph thread's cycle that takes the last replay: once it has
    // completed, every replayed line is listed and drawn.
    uint64_t ReplayCycle() const { return FReplayCycle; }

    // --- the sounding products ----------------------------------------------
    // Asks the graph thread for the products of the frames so far.
    void RequestProducts();
    // The newest products that arrived since the last call, or null.
    std::shared_ptr<const TSoundingProductsPacket> TakeProducts();
    // The products of every frame posted so far, and the files `request`
    // (TProductsRequest flags) asks for, made by the graph thread from its
    // packets. Waits for them while the event loop turns without user input.
    std::shared_ptr<const TSoundingProductsPacket> CurrentProducts(uint8_t request = prProducts);

    // --- the delivery of the reports ------------------------------------------
    // Null when the outbox cannot be made (DeliveryProblem says why).
    const TFlightDelivery *Delivery() const { return FDelivery.get(); }
    const QString &DeliveryProblem() const { return FDeliveryProblem; }
    // Keeps the settings, in the outbox and in the settings documents saved
    // from now on. EOutboxError leaves them as they were.
    void SetDeliverySettings(const TFlightDeliverySettings &settings);
    // Puts the bulletins of `reports` made from the products of every frame
    // so far into the outbox; the labels of those put (none: nothing new).
    // Raises what TFlightDelivery::Send raises.
    QStringList SendReports(const std::vector<TFlightReport> &reports);
    // The delivery's state in one line for the operator.
    QString DeliverySummary() const;
    // The delivery's state or settings changed.
    std::function<void()> OnDeliveryChanged;

    // --- events of the devices (raised by them; public for tests) -----------
    void ReceiverRawCharacters(const QString &text);
    void ReceiverConfigurationReceived(const QString &text);
    void ReceiverInvalidFrame(const QString &frame);
    void ReceiverData(const TKestrinResult &result);
    void ReceiverConfigurationSet(const TKestrinResult &configuration);
    void ReceiverError();

    // --- notifications, raised only when set ----------------------------------
    std::function<void(const QString &text)> OnRawCharacters;
    // An adopted configuration went to the receiver and a new data set
    // began; until OnConfigurationSet the configuration is being applied.
    std::function<void()> OnConfigurationApplying;
    // A new data set began (a run, a load or an adopted configuration).
    std::function<void()> OnNewDataSet;
    std::function<void(const TKestrinResult &configuration)> OnConfigurationSet;
    // The sonde stopped sending its configuration while it was captured.
    std::function<void()> OnCaptureLost;
    // The receiver failed; any run or capture has ended.
    std::function<void(bool wasCapturing)> OnReceiverError;
    std::function<void(const QString &message)> OnFileError;

  private:
    void ConnectReceiver();
    void StartReceiver();
    void StopReceiver();
    void ApplyConfiguration();
    void BeginNewRun();
    void CaptureLost();
    TGraphParameters &GraphParameters(TGraphType type);
    // Moves the newest products from the graph thread into FNewestProducts.
    void CollectProducts();
    void RecordReplay(TReplay replay);
    void PostFlightSettings();
    void DeliveryTick();
    QString MarkerFolder() const;
    void WriteMarker();
    void EndRecording();

    TFlightSessionOptions FOptions;
    std::unique_ptr<TGraphThread> FGraphThread;
    std::unique_ptr<TRecordingSession> FRecording;
    std::unique_ptr<TFileManager> FFileManager;
    std::unique_ptr<TKestrinReceiver> FReceiver;

    TDataParameters FDataParameters;
    TStationIdentity FStation;
    TFlightSettings FFlightSettings;
    TStandardGraphParameters FStandardParameters;
    TSkewTGraphParameters FSkewTParameters;
    TTimeGraphParameters FTimeParameters;
    std::array<QSize, 3> FGraphSizes{};
    TLengthUnit FLengthUnit = luMeters;
    QString FFilePath;

    bool FCapturingConfig = false;
    bool FApplyingConfig = false;
    bool FRunning = false;
    QString FCandidateConfig;
    // The receiver was told to start and not to stop since: a receiver error
    // that arrives after the stop is a late copy of one already reported.
    bool FReceiverOn = false;
    bool FShutDown = false;
    uint64_t FReplayCycle = 0;

    TFileLock FLogLock;
    std::unique_ptr<TFlightDelivery> FDelivery;
    QString FDeliveryProblem;
    std::unique_ptr<QTimer> FDeliveryTimer;
    // The flight is being received (from Run until the next data set of a
    // file): its products go to the automatic delivery, the last once more
    // after the Stop.
    bool FLiveFlight = false;
    bool FFinalProductsWanted = false;
    uint64_t FDeliveredCycle = 0;

    std::shared_ptr<const TSoundingProductsPacket> FNewestProducts;
    uint64_t FProductsTaken = 0; // the cycle of the newest handed out by TakeProducts
};
