#include "pipeline/FlightSession.h"

#include "devices/LogFormat.h"
#include "pipeline/GraphThread.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <exception>

namespace {

// How long a save waits for the products it asked for before it asks again:
// the graph thread keeps only the newest products, so a request that a later
// one overtook is made anew rather than waited for in vain.
constexpr int ProductsRetryMilliseconds = 2000;
constexpr int ProductsPollMilliseconds = 5;
// How often a live flight's products are made for the automatic delivery:
// TEMP A and B leave within seconds of the ascent passing 100 hPa.
constexpr int DeliveryProductsMilliseconds = 2000;

bool HasFiles(const TSoundingProductsPacket &packet, uint8_t request)
{
    return (!(request & prProcessedCsv) || !packet.ProcessedCsv.isEmpty()) &&
           (!(request & prSharppy) || !packet.Sharppy.isEmpty() || !packet.SharppyError.isEmpty());
}

} // namespace

TLoadedLog ReadFlightLog(const QString &path)
{
    TRunLog log = ReadRunLog(path);
    TLoadedLog loaded;
    loaded.Path = path;
    loaded.Configuration = log.Configuration;
    loaded.LaunchElevation = log.LaunchElevation;
    loaded.Replay = PrepareReplay(log.DataLines, log.Configuration);
    return loaded;
}

TLoadedSettings ReadFlightSettings(const QString &path)
{
    TLoadedSettings loaded;
    loaded.Path = path;
    loaded.Settings = ReadGraphSettings(path);
    loaded.Replay = PrepareReplay(loaded.Settings.RecordedLines,
                                  loaded.Settings.DataParameters.Configuration());
    loaded.Settings.RecordedLines.clear();
    return loaded;
}

TFlightSession::TFlightSession(const TFlightSessionOptions &options) : FOptions(options)
{
    // The order of the program's start-up: the graph thread, the run-log
    // writer, then the receiver, whose frames go to both.
    FGraphThread = std::make_unique<TGraphThread>();
    FRecording = std::make_unique<TRecordingSession>(FGraphThread->Commands());
    FFileManager = std::make_unique<TFileManager>();
    FFileManager->OnError = [this](const QString &message) {
        if (!FShutDown && OnFileError)
            OnFileError(message);
    };
    FReceiver = std::make_unique<TKestrinReceiver>(nullptr, FOptions.ReceiverLibraryPath);
    ConnectReceiver();
    // A program whose outbox cannot be made still runs flights; it says why
    // it cannot deliver.
    try {
        FDelivery = std::make_unique<TFlightDelivery>(
            FOptions.OutboxFolder.isEmpty() ? TOutbox::DefaultFolder() : FOptions.OutboxFolder,
            FOptions.DeliveryTiming);
        FDelivery->OnStateChanged = [this] {
            if (!FShutDown && OnDeliveryChanged)
                OnDeliveryChanged();
        };
    } catch (const EVentrelError &e) {
        FDeliveryProblem = QStringLiteral("Reports cannot be delivered: ") + e.Message();
    }
    FDeliveryTimer = std::make_unique<QTimer>();
    QObject::connect(FDeliveryTimer.get(), &QTimer::timeout, [this] { DeliveryTick(); });
    FDeliveryTimer->start(DeliveryProductsMilliseconds);
}

TFlightSession::~TFlightSession()
{
    Shutdown();
}

void TFlightSession::Shutdown()
{
    if (FShutDown)
        return;
    FShutDown = true;
    // A close is as normal an end of a run as a Stop.
    if (FRunning) {
        FRunning = false;
        EndRecording();
    }
    FDeliveryTimer.reset();
    FDelivery.reset();
    // The receiver first, so that no frame arrives for a thread that is ending.
    FReceiver.reset();
    FGraphThread->OnTargetPainted = nullptr;
    FGraphThread->TerminateAndWait();
    FRecording.reset();
    FGraphThread.reset();
    FFileManager->OnError = nullptr;
    // Writes the lines still pending into the log file.
    FFileManager.reset();
}

void TFlightSession::ConnectReceiver()
{
    FReceiver->OnRawCharacters = [this](const QString &text) { ReceiverRawCharacters(text); };
    FReceiver->OnData = [this](const TKestrinResult &result) { ReceiverData(result); };
    FReceiver->OnInvalidFrame = [this](const QString &frame) { ReceiverInvalidFrame(frame); };
    FReceiver->OnConfigurationReceived = [this](const QString &text) {
        ReceiverConfigurationReceived(text);
    };
    FReceiver->OnReceiverError = [this] { ReceiverError(); };
    FReceiver->OnConfigurationSet = [this](const TKestrinResult &configuration) {
        ReceiverConfigurationSet(configuration);
    };
}

uint64_t TFlightSession::PostCount(uint8_t kind) const
{
    return FGraphThread ? FGraphThread->Commands().Count(kind) : 0;
}

const QStringList &TFlightSession::RecordedLines() const
{
    static const QStringList none;
    return FRecording ? FRecording->RecordedLines() : none;
}

// --- settings ---------------------------------------------------------------------

void TFlightSession::SetStation(const TStationIdentity &station)
{
    FStation = station;
    FFlightSettings.Station = station;
    PostFlightSettings();
}

void TFlightSession::SetLaunchElevation(double metres)
{
    FDataParameters.SetLaunchElevation(metres);
}

void TFlightSession::SetStandardParameters(const TStandardGraphParameters &parameters)
{
    FStandardParameters = parameters;
    FGraphThread->Commands().PostStandardParameters(FStandardParameters);
}

void TFlightSession::SetSkewTParameters(const TSkewTGraphParameters &parameters)
{
    FSkewTParameters = parameters;
    FGraphThread->Commands().PostSkewTParameters(FSkewTParameters);
}

void TFlightSession::SetTimeParameters(const TTimeGraphParameters &parameters)
{
    FTimeParameters = parameters;
    FGraphThread->Commands().PostTimeParameters(FTimeParameters);
}

void TFlightSession::KeepGraphParameters(const TStandardGraphParameters &standard,
                                         const TSkewTGraphParameters &skewT,
                                         const TTimeGraphParameters &time)
{
    FStandardParameters = standard;
    FSkewTParameters = skewT;
    FTimeParameters = time;
}

void TFlightSession::SetGraphSize(TGraphType type, QSize size)
{
    if (type > gtTime)
        return;
    FGraphSizes[type] = size;
    GraphParameters(type).SetWidth(size.width());
    GraphParameters(type).SetHeight(size.height());
}

TGraphParameters &TFlightSession::GraphParameters(TGraphType type)
{
    switch (type) {
    case gtSkewT:
        return FSkewTParameters;
    case gtTime:
        return FTimeParameters;
    default:
        return FStandardParameters;
    }
}

void TFlightSession::PostGraphParameters()
{
    FGraphThread->Commands().PostStandardParameters(FStandardParameters);
    FGraphThread->Commands().PostSkewTParameters(FSkewTParameters);
    FGraphThread->Commands().PostTimeParameters(FTimeParameters);
}

void TFlightSession::SetLengthUnit(TLengthUnit unit)
{
    FLengthUnit = unit;
    FGraphThread->Commands().PostLengthUnit(unit);
}

void TFlightSession::RequestPrintImage(TGraphType type)
{
    FGraphThread->Commands().PostPrintImage(type);
}

// --- configuration ------------------------------------------------------------------

bool TFlightSession::BeginCapture()
{
    if (FApplyingConfig || FCapturingConfig)
        return false;
    FCapturingConfig = true;
    FCandidateConfig.clear();
    StartReceiver();
    return true;
}

bool TFlightSession::ApplyTypedConfiguration(const QString &text)
{
    if (FApplyingConfig || FCapturingConfig)
        return false;
    const TKestrinResult kept = FDataParameters.Configuration();
    try {
        FDataParameters.Configuration().ParseConfiguration(text);
    } catch (const EKestrinConfigStringError &) {
        FDataParameters.Configuration() = kept;
        throw;
    }
    ApplyConfiguration();
    return true;
}

void TFlightSession::CancelConfiguration()
{
    FApplyingConfig = false;
    FCapturingConfig = false;
}

void TFlightSession::ApplyConfiguration()
{
    FApplyingConfig = true;
    FReceiver->SetConfiguration(FDataParameters.Configuration());
    if (OnConfigurationApplying)
        OnConfigurationApplying();
    BeginNewRun();
}

void TFlightSession::BeginNewRun()
{
    FRecording->BeginNewRun(FDataParameters);
    FLiveFlight = false;
    FFinalProductsWanted = false;
    // A new flight: its marks go, the data are open again.
    FFlightSettings.Release.reset();
    FFlightSettings.End.reset();
    FFlightSettings.DataEnded = false;
    PostFlightSettings();
    if (OnNewDataSet)
        OnNewDataSet();
}

void TFlightSession::CaptureLost()
{
    FCapturingConfig = false;
    if (OnCaptureLost)
        OnCaptureLost();
}

void TFlightSession::StartReceiver()
{
    FReceiverOn = true;
    FReceiver->Start();
}

void TFlightSession::StopReceiver()
{
    FReceiverOn = false;
    FReceiver->Stop();
}

// --- runs ---------------------------------------------------------------------------

void TFlightSession::StartRun(const QString &logPath)
{
    if (FRunning)
        return;
    // Built before anything changes: an elevation the log cannot hold
    // starts nothing.
    const QStringList header =
        LogHeaderLines(FDataParameters.Configuration(), FDataParameters.LaunchElevation());
    // A log that cannot be opened at all is reported by the writer, as ever.
    if (!FLogLock.Lock(logPath) && TFileLock::IsLockedElsewhere(logPath))
        throw EFileError(QStringLiteral("%1 is being recorded into by another program")
                             .arg(QDir::toNativeSeparators(logPath)));
    BeginNewRun();
    FRunning = true;
    FLiveFlight = true;
    StartReceiver();
    FFilePath = logPath;
    FFileManager->NewFile(logPath);
    for (const QString &line : header)
        FFileManager->WriteLine(line);
    WriteMarker();
}

QString TFlightSession::MarkerFolder() const
{
    return FOptions.RunMarkerFolder.isEmpty() ? DefaultRunMarkerFolder() : FOptions.RunMarkerFolder;
}

void TFlightSession::WriteMarker()
{
    TRunMarker marker;
    marker.LogFile = QFileInfo(FFilePath).absoluteFilePath();
    marker.Configuration = RunParameters().Configuration().ConfigurationString();
    marker.LaunchElevation = RunParameters().LaunchElevation();
    marker.Station = FStation;
    marker.Surface = FFlightSettings.Surface;
    marker.Release = FFlightSettings.Release;
    marker.End = FFlightSettings.End;
    try {
        WriteRunMarker(RunMarkerFile(MarkerFolder(), marker.LogFile), marker);
    } catch (const EVentrelError &e) {
        // The run goes on; only its continuation after a crash is at stake.
        if (OnFileError)
            OnFileError(QStringLiteral("The run cannot be marked for a restart: ") + e.Message());
    }
}

// A run ended by the operator or a normal close: nothing is left to continue.
void TFlightSession::EndRecording()
{
    QFile::remove(RunMarkerFile(MarkerFolder(), QFileInfo(FFilePath).absoluteFilePath()));
    FLogLock.Unlock();
}

void TFlightSession::ForgetInterruptedRun(const TInterruptedRun &run)
{
    QFile::remove(run.MarkerFile);
}

std::optional<TInterruptedRun> TFlightSession::FindInterruptedRun() const
{
    if (FRunning)
        return std::nullopt;
    TInterruptedRun run;
    for (const QFileInfo &file :
         QDir(MarkerFolder()).entryInfoList({QStringLiteral("*.xml")}, QDir::Files, QDir::Time)) {
        run.MarkerFile = file.filePath();
        try {
            run.Marker = ReadRunMarker(run.MarkerFile);
        } catch (const EVentrelError &e) {
            run.Problem =
                QStringLiteral("The mark of an interrupted run cannot be read (%1); it is removed.")
                    .arg(e.Message());
            return run;
        }
        if (!TFileLock::IsLockedElsewhere(run.Marker.LogFile))
            break;
        run.MarkerFile.clear();
    }
    if (run.MarkerFile.isEmpty())
        return std::nullopt;
    const QString log = QDir::toNativeSeparators(run.Marker.LogFile);
    if (!QFileInfo(run.Marker.LogFile).isFile()) {
        run.Problem = QStringLiteral("A run was recording into %1, but that log is gone.").arg(log);
        return run;
    }
    try {
        const TRunLog contents = ReadRunLog(run.Marker.LogFile);
        // A last line without its line end is not a frame yet.
        QFile file(run.Marker.LogFile);
        const bool partial = file.open(QIODevice::ReadOnly) && file.size() > 0 &&
                             file.seek(file.size() - 1) && file.read(1) != "\n";
        run.Frames = contents.DataLines.size() - (partial && !contents.DataLines.isEmpty());
        if (run.Frames > 0) {
            TKestrinResult last = contents.Configuration;
            ParseLogLine(contents.DataLines[run.Frames - 1], last);
            run.Last = last.Time();
        }
    } catch (const EVentrelError &e) {
        run.Problem = QStringLiteral("A run was recording into %1, but that log cannot be read "
                                     "(%2).")
                          .arg(log, e.Message());
    }
    return run;
}

void TFlightSession::ContinueRun(const TRunMarker &marker)
{
    if (FRunning)
        return;
    if (!FLogLock.Lock(marker.LogFile))
        throw EFileError(QStringLiteral("%1 is being recorded into by another program, or "
                                        "cannot be opened")
                             .arg(QDir::toNativeSeparators(marker.LogFile)));
    TLoadedLog log;
    try {
        CutPartialLastLine(marker.LogFile);
        log = ReadFlightLog(marker.LogFile);
    } catch (...) {
        FLogLock.Unlock();
        throw;
    }
    SetStation(marker.Station);
    FFlightSettings.Surface = marker.Surface;
    AdoptLog(std::move(log));
    // The flight goes on: its marks are the operator's, its data not ended.
    FFlightSettings.Release = marker.Release;
    FFlightSettings.End = marker.End;
    FFlightSettings.DataEnded = false;
    FRunning = true;
    FLiveFlight = true;
    PostFlightSettings();
    StartReceiver();
    FFileManager->ContinueFile(FFilePath);
}

void TFlightSession::StopRun()
{
    StopReceiver();
    if (FRunning) {
        FRunning = false;
        EndRecording();
        FFlightSettings.DataEnded = true;
        PostFlightSettings();
        // The loss of signal ends the ascent: its products go out once more.
        FFinalProductsWanted = true;
    }
}

void TFlightSession::PostFlightSettings()
{
    FGraphThread->Commands().PostFlightSettings(FFlightSettings);
    // What the operator says of a flight being recorded must survive a crash.
    if (FRunning)
        WriteMarker();
}

void TFlightSession::SetSurfaceObservation(const std::optional<TSurfaceObservation> &observation)
{
    FFlightSettings.Surface = observation;
    PostFlightSettings();
}

void TFlightSession::MarkRelease(std::optional<double> time)
{
    FFlightSettings.Release = time;
    PostFlightSettings();
}

void TFlightSession::MarkEndOfAscent(std::optional<double> time)
{
    FFlightSettings.End = time;
    PostFlightSettings();
}

// --- device events --------------------------------------------------------------------

void TFlightSession::ReceiverRawCharacters(const QString &text)
{
    if (OnRawCharacters)
        OnRawCharacters(text);
}

void TFlightSession::ReceiverConfigurationReceived(const QString &text)
{
    if (!FCapturingConfig)
        return;
    if (text != FCandidateConfig) {
        FCandidateConfig = text;
        return;
    }
    FCapturingConfig = false;
    const TKestrinResult kept = FDataParameters.Configuration();
    try {
        FDataParameters.Configuration().ParseConfiguration(text);
    } catch (const EKestrinConfigStringError &) {
        // The sonde sends nothing usable: the capture waits for Cancel.
        FDataParameters.Configuration() = kept;
        return;
    }
    ApplyConfiguration();
}

void TFlightSession::ReceiverInvalidFrame(const QString &)
{
    if (FCapturingConfig)
        CaptureLost();
}

void TFlightSession::ReceiverData(const TKestrinResult &result)
{
    if (FCapturingConfig) {
        if (FCandidateConfig.isEmpty())
            FCandidateConfig = result.RawText();
        else
            CaptureLost();
    } else if (FRunning) {
        FFileManager->WriteLine(FRecording->RecordResult(result));
    }
}

void TFlightSession::ReceiverConfigurationSet(const TKestrinResult &configuration)
{
    if (!FApplyingConfig)
        return;
    FApplyingConfig = false;
    if (OnConfigurationSet)
        OnConfigurationSet(configuration);
}

void TFlightSession::ReceiverError()
{
    // The worker reports every cycle until it hears the stop; only the
    // first report is the operator's business.
    if (!FReceiverOn)
        return;
    StopRun();
    // Nothing can be captured from a stopped receiver.
    const bool wasCapturing = FCapturingConfig;
    FCapturingConfig = false;
    if (OnReceiverError)
        OnReceiverError(wasCapturing);
}

// --- saved flights ----------------------------------------------------------------------

void TFlightSession::AdoptLog(TLoadedLog log)
{
    FFilePath = log.Path;
    FDataParameters.Configuration() = log.Configuration;
    FDataParameters.SetLaunchElevation(log.LaunchElevation);
    ApplyConfiguration();
    // The lines take the way of live frames, without the run log.
    RecordReplay(std::move(log.Replay));
}

void TFlightSession::AdoptSettings(TLoadedSettings loaded)
{
    const TGraphSettings &settings = loaded.Settings;
    FDataParameters = settings.DataParameters;
    ApplyConfiguration();
    // The stored sizes are those of another screen: the graphs keep the
    // sizes they are shown at here.
    auto shown = [this](TGraphParameters &adopted, TGraphType type) {
        adopted.SetWidth(FGraphSizes[type].width());
        adopted.SetHeight(FGraphSizes[type].height());
    };
    TStandardGraphParameters standard = settings.StandardParameters;
    shown(standard, gtStandard);
    SetStandardParameters(standard);
    TSkewTGraphParameters skewT = settings.SkewTParameters;
    shown(skewT, gtSkewT);
    SetSkewTParameters(skewT);
    TTimeGraphParameters time = settings.TimeParameters;
    shown(time, gtTime);
    SetTimeParameters(time);
    SetLengthUnit(settings.DisplayedUnit);
    FStation = settings.Station;
    FFlightSettings.Station = settings.Station;
    FFlightSettings.Surface = settings.Surface;
    // A document without delivery settings leaves the program's as they are.
    TFlightDeliverySettings delivery{settings.Delivery, settings.Bulletins,
                                     settings.AutomaticDelivery};
    if (FDelivery && !delivery.IsEmpty()) {
        try {
            SetDeliverySettings(delivery);
        } catch (const EVentrelError &e) {
            if (OnFileError)
                OnFileError(e.Message());
        }
    }
    RecordReplay(std::move(loaded.Replay));
}

void TFlightSession::RecordReplay(TReplay replay)
{
    FRecording->RecordReplay(std::move(replay));
    // A saved run is whole: an ascent still rising at its end lost the signal.
    FFlightSettings.DataEnded = true;
    PostFlightSettings();
    FReplayCycle = FGraphThread->RequestCycle();
}

TGraphSettings TFlightSession::Settings(TGraphType currentGraph) const
{
    TGraphSettings settings;
    settings.StandardParameters = FStandardParameters;
    settings.SkewTParameters = FSkewTParameters;
    settings.TimeParameters = FTimeParameters;
    settings.DataParameters = FDataParameters;
    settings.DisplayedUnit = FLengthUnit;
    settings.CurrentGraph = currentGraph;
    settings.RecordedLines = RecordedLines();
    settings.Station = FStation;
    settings.Surface = FFlightSettings.Surface;
    if (FDelivery) {
        settings.Delivery = FDelivery->Settings().Server;
        settings.Bulletins = FDelivery->Settings().Origin;
        settings.AutomaticDelivery = FDelivery->Settings().Automatic;
    }
    return settings;
}

const TDataParameters &TFlightSession::RunParameters() const
{
    return FRecording ? FRecording->RunParameters() : FDataParameters;
}

// --- sounding products -----------------------------------------------------------------

void TFlightSession::RequestProducts()
{
    FGraphThread->Commands().PostSoundingProducts(prProducts);
}

void TFlightSession::CollectProducts()
{
    TDataBuffer<TSoundingProductsPacket>::TItems arrived = TakeFromBuffer(FGraphThread->Products());
    if (arrived.empty())
        return;
    FNewestProducts = std::shared_ptr<const TSoundingProductsPacket>(std::move(arrived.back()));
    if (FLiveFlight && FDelivery && FNewestProducts->Cycle > FDeliveredCycle) {
        FDeliveredCycle = FNewestProducts->Cycle;
        FDelivery->ProductsArrived(FNewestProducts->Products, FStation,
                                   RunParameters().LaunchElevation());
    }
}

void TFlightSession::DeliveryTick()
{
    if (!FDelivery || !FDelivery->Settings().Automatic || !FLiveFlight)
        return;
    CollectProducts();
    if (FRunning || FFinalProductsWanted) {
        FFinalProductsWanted = false;
        RequestProducts();
    }
}

void TFlightSession::SetDeliverySettings(const TFlightDeliverySettings &settings)
{
    if (!FDelivery)
        throw EOutboxError(FDeliveryProblem);
    FDelivery->SetSettings(settings);
    if (OnDeliveryChanged)
        OnDeliveryChanged();
}

QStringList TFlightSession::SendReports(const std::vector<TFlightReport> &reports)
{
    if (!FDelivery)
        throw EOutboxError(FDeliveryProblem);
    const std::shared_ptr<const TSoundingProductsPacket> products = CurrentProducts();
    const QStringList put =
        FDelivery->Send(products->Products, FStation, RunParameters().LaunchElevation(), reports);
    if (OnDeliveryChanged)
        OnDeliveryChanged();
    return put;
}

QString TFlightSession::DeliverySummary() const
{
    return FDelivery ? FDelivery->Summary() : FDeliveryProblem;
}

std::shared_ptr<const TSoundingProductsPacket> TFlightSession::TakeProducts()
{
    CollectProducts();
    if (!FNewestProducts || FNewestProducts->Cycle <= FProductsTaken)
        return nullptr;
    FProductsTaken = FNewestProducts->Cycle;
    return FNewestProducts;
}

std::shared_ptr<const TSoundingProductsPacket> TFlightSession::CurrentProducts(uint8_t request)
{
    auto satisfies = [&](uint64_t cycle) {
        return FNewestProducts && FNewestProducts->Cycle >= cycle &&
               HasFiles(*FNewestProducts, request);
    };
    for (;;) {
        // Every cycle from this one on takes everything posted before.
        const uint64_t cycle = FGraphThread->RequestCycle();
        FGraphThread->Commands().PostSoundingProducts(request);
        FGraphThread->Wake();
        QEventLoop loop;
        QTimer poll;
        QDeadlineTimer retry(ProductsRetryMilliseconds);
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            CollectProducts();
            if (satisfies(cycle) || retry.hasExpired() || FGraphThread->isFinished())
                loop.quit();
        });
        poll.start(ProductsPollMilliseconds);
        // The graph thread's copies to the screen need the event loop; user
        // input waits, as behind any handler that works.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (satisfies(cycle))
            return FNewestProducts;
        if (FGraphThread->isFinished())
            throw EVentrelError(QStringLiteral("The graph thread has ended: there are no "
                                               "sounding products to save"));
    }
}
