#pragma once
// The telemetry receiver: a threaded device whose slave polls the exchange
// library of the external decoder program for characters, cuts the stream
// into frames at "/", decodes each frame against the current configuration
// and hands the outcome to the master, which raises it as an event on the
// user-interface thread.
#include "devices/FrameAssembler.h"
#include "devices/KestrinLibrary.h"
#include "devices/ThreadedDevice.h"

#include <QLibrary>
#include <QString>
#include <functional>

// The platform's file name of the exchange library (libdxsoftex.so here).
QString ExchangeLibraryFileName();

class TKestrinSlave : public TThreadedDeviceSlave
{
  public:
    // Commands from the master.
    enum : int32_t
    {
        kcSetConfiguration = 0,
        kcStart = 1,
        kcStop = 2
    };
    // Results to the master.
    enum : int32_t
    {
        krRawCharacters = 0,
        krData = 1,
        krInvalidFrame = 2,
        krConfigurationReceived = 3,
        krReceiverError = 4,
        krConfigurationSet = 5,
        krStarted = 6, // a Start is carried out: what the library held before is gone
    };
    static constexpr int MaxFrameLength = TFrameAssembler::MaxFrameLength;
    // At most this many characters are taken from the library in one poll;
    // a flood is worked off over the following cycles instead of growing
    // the buffer or holding the cycle (and shutdown) up.
    static constexpr int MaxPollCharacters = 256 * 1024;

    // Loads the exchange library: `libraryPath` when given, otherwise the
    // platform's library name from the program's own folder first, then from
    // the installed layout's private folder (lib/ventrel beside bin/), then
    // through the normal library search.
    TKestrinSlave(TThreadedDeviceMessageQueue &commands, TThreadedDeviceMessageQueue &results,
                  const QString &libraryPath = QString());
    ~TKestrinSlave() override;

    // Fixed at construction: the library was loaded, has both entry points,
    // and its initialisation succeeded.
    bool Connected() const { return FConnected; }

  protected:
    void ProcessCommands() override;

  private:
    using TExchangeInit = int32_t (*)(int32_t);
    using TGetSymbol = int32_t (*)();

    void LoadLibrary(const QString &libraryPath);
    void Drain();
    void Poll();
    void ProcessFrame(const QString &frame, double frameTime);

    QLibrary FLibrary;
    bool FConnected = false;
    TExchangeInit FExchangeInit = nullptr;
    TGetSymbol FGetSymbol = nullptr;
    std::unique_ptr<TKestrinResult> FConfiguration;
    TFrameAssembler FFrames;
    bool FAcquiring = false;
};

class TKestrinReceiver : public TThreadedDeviceMaster
{
  public:
    // `libraryPath` chooses a particular exchange library (tests, tools);
    // empty means the normal one.
    explicit TKestrinReceiver(QObject *owner = nullptr, const QString &libraryPath = QString());
    ~TKestrinReceiver() override;

    // The slave decodes against a copy of `result`'s configuration from the
    // next cycle on; OnConfigurationSet acknowledges it.
    void SetConfiguration(const TKestrinResult &result);
    void Start();
    void Stop();
    // The worker has carried out the last Start (and dropped what the
    // library held before it), and no Stop has been asked for since: what
    // the sonde sends from now on is taken.
    bool Listening() const { return FOn && FStartsPending == 0; }

    // Events, raised on the user-interface thread in the order the slave
    // posted them. A handler that keeps a result copies it during the call.
    std::function<void(const QString &text)> OnRawCharacters;
    std::function<void(const TKestrinResult &result)> OnData;
    std::function<void(const QString &frame)> OnInvalidFrame;
    std::function<void(const QString &frame)> OnConfigurationReceived;
    std::function<void()> OnReceiverError;
    std::function<void(const TKestrinResult &configuration)> OnConfigurationSet;

  protected:
    std::unique_ptr<TThreadedDeviceSlave>
    CreateSlave(TThreadedDeviceMessageQueue &commands,
                TThreadedDeviceMessageQueue &results) override;
    void ProcessResults() override;

  private:
    QString FLibraryPath;
    int FStartsPending = 0; // Starts the worker has not carried out yet
    bool FOn = false;
};
