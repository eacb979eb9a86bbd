#include "devices/KestrinReceiver.h"

#include "foundation/CustomUtilities.h"
#include "foundation/WrapperClasses.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>

QString ExchangeLibraryFileName()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("DXSOFTEX.DLL");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("libdxsoftex.dylib");
#else
    return QStringLiteral("libdxsoftex.so");
#endif
}

namespace {

// Even a library that is being flooded gives up its backlog in a bounded
// time; what a drain leaves behind is then framed like any other garbage.
constexpr int MaxDrainCharacters = 64 * 1024 * 1024;

} // namespace

// ---------------------------------------------------------------------------
// TKestrinSlave

TKestrinSlave::TKestrinSlave(TThreadedDeviceMessageQueue &commands,
                             TThreadedDeviceMessageQueue &results, const QString &libraryPath)
    : TThreadedDeviceSlave(commands, results), FConfiguration(std::make_unique<TKestrinResult>())
{
    setObjectName(QStringLiteral("KestrinSlave"));
    LoadLibrary(libraryPath);
}

TKestrinSlave::~TKestrinSlave()
{
    FExchangeInit = nullptr;
    FGetSymbol = nullptr;
    if (FLibrary.isLoaded())
        FLibrary.unload();
}

void TKestrinSlave::LoadLibrary(const QString &libraryPath)
{
    QStringList candidates;
    if (!libraryPath.isEmpty()) {
        candidates << libraryPath;
    } else {
        if (QCoreApplication::instance()) {
            const QDir programDir(QCoreApplication::applicationDirPath());
            candidates << programDir.filePath(ExchangeLibraryFileName());
#ifdef VENTREL_EXCHANGE_RELATIVE_DIR
            // An installed program finds it in its private folder beside bin/.
            const QDir installed(
                programDir.filePath(QStringLiteral(VENTREL_EXCHANGE_RELATIVE_DIR)));
            candidates << QDir::cleanPath(installed.filePath(ExchangeLibraryFileName()));
#endif
        }
        candidates << ExchangeLibraryFileName();
    }
    for (const QString &candidate : candidates) {
        FLibrary.setFileName(candidate);
        if (FLibrary.load())
            break;
    }
    if (!FLibrary.isLoaded())
        return;

    FExchangeInit = reinterpret_cast<TExchangeInit>(FLibrary.resolve("_DxsoftExchangeInit"));
    FGetSymbol = reinterpret_cast<TGetSymbol>(FLibrary.resolve("_DxsoftGetSymFromRxBuffer"));
    if (!FExchangeInit || !FGetSymbol)
        return;
    if (FExchangeInit(1) != 0) {
        FConnected = true;
        Drain();
    }
}

void TKestrinSlave::Drain()
{
    for (int n = 0; n < MaxDrainCharacters && FGetSymbol() != -1; ++n) {
    }
}

void TKestrinSlave::ProcessCommands()
{
    while (const TThreadedDeviceMessage *command = PeekCommand()) {
        switch (command->Code()) {
        case kcSetConfiguration:
            if (const auto *result = dynamic_cast<const TKestrinResult *>(command->Data())) {
                FConfiguration->Assign(*result);
                PostResult(krConfigurationSet, std::make_unique<TKestrinResult>(*FConfiguration));
            }
            break;
        case kcStart:
            FAcquiring = true;
            if (FConnected)
                Drain();
            PostResult(krStarted);
            break;
        case kcStop:
            FAcquiring = false;
            break;
        default:
            break;
        }
        RemoveCommand();
    }
    if (FAcquiring)
        Poll();
}

void TKestrinSlave::Poll()
{
    const double now = NowDays();
    if (!FConnected) {
        PostResult(krReceiverError);
        return;
    }
    QString received;
    for (int n = 0; n < MaxPollCharacters; ++n) {
        const int32_t symbol = FGetSymbol();
        if (symbol == -1)
            break;
        TFrameAssembler::AppendSymbol(received, symbol);
    }
    if (!received.isEmpty())
        PostResult(krRawCharacters, std::make_unique<TStringWrapper>(received));
    FFrames.AddPoll(received, now, [this](const QString &frame, double frameTime) {
        ProcessFrame(frame, frameTime);
    });
}

void TKestrinSlave::ProcessFrame(const QString &frame, double frameTime)
{
    auto result = std::make_unique<TKestrinResult>(*FConfiguration);
    result->SetTime(frameTime);
    try {
        result->SetFrame(frame);
    } catch (const EKestrinInvalidDataError &) {
        // The frame is still delivered, with every value at the no-value marker.
    }
    if (result->IsInvalidFrame())
        PostResult(krInvalidFrame, std::make_unique<TStringWrapper>(frame));
    else if (result->IsConfigurationFrame())
        PostResult(krConfigurationReceived, std::make_unique<TStringWrapper>(frame));
    else
        PostResult(krData, std::move(result));
}

// ---------------------------------------------------------------------------
// TKestrinReceiver

TKestrinReceiver::TKestrinReceiver(QObject *owner, const QString &libraryPath)
    : TThreadedDeviceMaster(owner), FLibraryPath(libraryPath)
{
    Initialise();
}

TKestrinReceiver::~TKestrinReceiver() = default;

std::unique_ptr<TThreadedDeviceSlave>
TKestrinReceiver::CreateSlave(TThreadedDeviceMessageQueue &commands,
                              TThreadedDeviceMessageQueue &results)
{
    return std::make_unique<TKestrinSlave>(commands, results, FLibraryPath);
}

void TKestrinReceiver::SetConfiguration(const TKestrinResult &result)
{
    PostCommand(TKestrinSlave::kcSetConfiguration, std::make_unique<TKestrinResult>(result));
}

void TKestrinReceiver::Start()
{
    ++FStartsPending;
    FOn = true;
    PostCommand(TKestrinSlave::kcStart);
}

void TKestrinReceiver::Stop()
{
    FOn = false;
    PostCommand(TKestrinSlave::kcStop);
}

void TKestrinReceiver::ProcessResults()
{
    const auto text = [](const TThreadedDeviceMessage &message) {
        const auto *wrapper = dynamic_cast<const TStringWrapper *>(message.Data());
        return wrapper ? wrapper->Value : QString();
    };
    const auto deliver = [&](const TThreadedDeviceMessage &message) {
        switch (message.Code()) {
        case TKestrinSlave::krStarted:
            FStartsPending = std::max(0, FStartsPending - 1);
            break;
        case TKestrinSlave::krRawCharacters:
            if (OnRawCharacters)
                OnRawCharacters(text(message));
            break;
        case TKestrinSlave::krData:
            if (const auto *result = dynamic_cast<const TKestrinResult *>(message.Data()))
                if (OnData)
                    OnData(*result);
            break;
        case TKestrinSlave::krInvalidFrame:
            if (OnInvalidFrame)
                OnInvalidFrame(text(message));
            break;
        case TKestrinSlave::krConfigurationReceived:
            if (OnConfigurationReceived)
                OnConfigurationReceived(text(message));
            break;
        case TKestrinSlave::krReceiverError:
            if (OnReceiverError)
                OnReceiverError();
            break;
        case TKestrinSlave::krConfigurationSet:
            if (const auto *result = dynamic_cast<const TKestrinResult *>(message.Data()))
                if (OnConfigurationSet)
                    OnConfigurationSet(*result);
            break;
        default:
            break;
        }
    };
    while (DeliverOneResult(deliver)) {
    }
}
