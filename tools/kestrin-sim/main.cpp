// kestrin-sim: plays a Kestrin sonde behind the exchange library's port.
// It connects to 127.0.0.1 (retrying until the port is up), sends the
// configuration string a few times, then data frames of a standard-atmosphere
// ascent, or the raw frames of a recorded run log, at a steady rate.
#include "SondeEncoder.h"

#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"
#include "foundation/FileTransaction.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QRandomGenerator>
#include <QStringList>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using TClock = std::chrono::steady_clock;

void Say(const QString &text)
{
    std::fprintf(stderr, "kestrin-sim: %s\n", qPrintable(text));
}

[[noreturn]] void Fail(const QString &text, int code = 1)
{
    Say(text);
    std::exit(code);
}

class TConnection
{
  public:
    ~TConnection() { Close(); }

    // Tries every 100 ms until the port takes the connection; a timeout of 0
    // waits for ever.
    bool Connect(uint16_t port, double timeoutSeconds)
    {
        const auto deadline = TClock::now() + std::chrono::duration_cast<TClock::duration>(
                                                  std::chrono::duration<double>(timeoutSeconds));
        for (;;) {
            Close();
            FFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (FFd < 0)
                return false;
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(port);
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::connect(FFd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
                const int yes = 1;
                ::setsockopt(FFd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
                return true;
            }
            if (timeoutSeconds > 0 && TClock::now() >= deadline) {
                Close();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    bool Send(const QByteArray &bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n =
                ::send(FFd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }

    void Close()
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }

  private:
    int FFd = -1;
};

struct TReplay
{
    QString Configuration;
    QStringList Frames;
};

// The configuration and the raw frame texts (the last field of every data
// line) of a run log.
TReplay ReadReplay(const QString &path)
{
    TReplay replay;
    try {
        const TRunLog log = ReadRunLog(path);
        replay.Configuration = log.Configuration.ConfigurationString();
        for (const QString &line : log.DataLines) {
            const QString raw = line.mid(line.lastIndexOf(QLatin1Char('\t')) + 1);
            if (!raw.isEmpty())
                replay.Frames << raw;
        }
    } catch (const EVentrelError &e) {
        Fail(QStringLiteral("cannot replay %1: %2").arg(path, e.Message()));
    }
    return replay;
}

// The run log of a simulated flight, as the ground station writes it.
int WriteFlightLog(const QString &fileName, const TKestrinResult &configuration, double launch,
                   int64_t frames, double step, double start)
{
    const TStandardAscent flight(launch);
    QStringList lines = LogHeaderLines(configuration, launch);
    for (int64_t i = 0; i < frames; ++i) {
        TKestrinResult frame = configuration;
        frame.SetFrame(EncodeFrame(configuration,
                                   ChannelValues(configuration, flight.At(double(i) * step, i))));
        frame.SetTime(start + double(i) * step / 86400.0);
        lines << FormatLogLine(frame);
    }
    try {
        WriteFileSafely(fileName, EncodeLogLines(lines));
    } catch (const EFileError &e) {
        Fail(e.Message());
    }
    return 0;
}

double NumberOption(const QCommandLineParser &parser, const QString &name, double low, double high)
{
    bool ok = false;
    const double value = parser.value(name).toDouble(&ok);
    if (!ok || !(value >= low && value <= high))
        Fail(QStringLiteral("--%1 must be a number from %2 to %3, not \"%4\"")
                 .arg(name)
                 .arg(low)
                 .arg(high)
                 .arg(parser.value(name)));
    return value;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrin-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VENTREL_VERSION));

    const char *envPort = std::getenv("DXSOFTEX_PORT");
    const QString defaultPort =
        envPort && *envPort ? QString::fromLocal8Bit(envPort) : QStringLiteral("52170");

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Plays a Kestrin radiosonde behind the telemetry exchange port (127.0.0.1).\n"
        "Sends \"/\", then the configuration string repeated, then one data frame after\n"
        "another, each followed by \"/\". Data frames follow a standard-atmosphere ascent\n"
        "(5 m/s to 33 km, then the descent) encoded as the configuration says: raw\n"
        "hexadecimal converter counts or processed decimal values."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QList<QCommandLineOption> options = {
        {{QStringLiteral("c"), QStringLiteral("config")},
         QStringLiteral(
             "Configuration string, any model, raw or processed (default 1MR:TPUVVVVF)."),
         QStringLiteral("string"),
         QStringLiteral("1MR:TPUVVVVF")},
        {QStringLiteral("config-repeat"),
         QStringLiteral("Times the configuration is sent before the data (default 3)."),
         QStringLiteral("n"), QStringLiteral("3")},
        {QStringLiteral("config-every"),
         QStringLiteral("Send the configuration again (config-repeat times, in one piece) before "
                        "every k-th data frame, as a sonde that is restarted now and then; 0 "
                        "never (default). With k of 2 or less a ground station can capture the "
                        "configuration whenever it starts listening."),
         QStringLiteral("k"), QStringLiteral("0")},
        {{QStringLiteral("r"), QStringLiteral("rate")},
         QStringLiteral("Frames per second (default 1)."),
         QStringLiteral("fps"),
         QStringLiteral("1")},
        {{QStringLiteral("n"), QStringLiteral("frames")},
         QStringLiteral("Data frames to send; 0 sends until stopped (or the whole log)."),
         QStringLiteral("n"),
         QStringLiteral("0")},
        {QStringLiteral("step"),
         QStringLiteral("Seconds of flight per frame; default one frame period (real time)."),
         QStringLiteral("seconds")},
        {QStringLiteral("launch-elevation"),
         QStringLiteral("Launch elevation in metres (default 0)."), QStringLiteral("m"),
         QStringLiteral("0")},
        {QStringLiteral("garbage"),
         QStringLiteral("Noise characters (blanks and control characters) scattered into and "
                        "between the frames, per frame; also some text before the first \"/\" "
                        "(default 0)."),
         QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("invalid-every"),
         QStringLiteral("Spoil every k-th data frame so that it is invalid; 0 never."),
         QStringLiteral("k"), QStringLiteral("0")},
        {QStringLiteral("replay"),
         QStringLiteral("Send the configuration and raw frame texts of a recorded run log "
                        "instead of a simulated flight."),
         QStringLiteral("log")},
        {{QStringLiteral("p"), QStringLiteral("port")},
         QStringLiteral("Exchange port (default: DXSOFTEX_PORT, else 52170)."),
         QStringLiteral("port"),
         defaultPort},
        {QStringLiteral("connect-timeout"),
         QStringLiteral("Seconds to keep trying to connect; 0 tries for ever (default 30)."),
         QStringLiteral("seconds"), QStringLiteral("30")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the noise positions (default 1)."),
         QStringLiteral("n"), QStringLiteral("1")},
        {QStringLiteral("echo"),
         QStringLiteral("Print every frame sent (without delimiters or noise) on standard "
                        "output, one per line.")},
        {QStringLiteral("write-log"),
         QStringLiteral("Write the simulated flight (--frames of them, --step apart) as the run "
                        "log a ground station would have recorded, instead of sending it."),
         QStringLiteral("file")},
        {QStringLiteral("start"),
         QStringLiteral("With --write-log: the local date and time of the first frame, as "
                        "yyyy-MM-ddTHH:mm:ss (default now)."),
         QStringLiteral("time")},
    };
    parser.addOptions(options);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        Fail(QStringLiteral("unexpected argument \"%1\" (see --help)")
                 .arg(parser.positionalArguments().first()));

    const double rate = NumberOption(parser, QStringLiteral("rate"), 0.001, 100000);
    const auto frameLimit = int64_t(NumberOption(parser, QStringLiteral("frames"), 0, 1e12));
    const int repeats = int(NumberOption(parser, QStringLiteral("config-repeat"), 0, 1000000));
    const double step = parser.isSet(QStringLiteral("step"))
                            ? NumberOption(parser, QStringLiteral("step"), 0, 1e6)
                            : 1.0 / rate;
    const double launch = NumberOption(parser, QStringLiteral("launch-elevation"), -500, 9000);
    const int garbage = int(NumberOption(parser, QStringLiteral("garbage"), 0, 10000));
    const auto configEvery = int64_t(NumberOption(parser, QStringLiteral("config-every"), 0, 1e12));
    const auto invalidEvery =
        int64_t(NumberOption(parser, QStringLiteral("invalid-every"), 0, 1e12));
    const auto port = uint16_t(NumberOption(parser, QStringLiteral("port"), 1, 65535));
    const double timeout = NumberOption(parser, QStringLiteral("connect-timeout"), 0, 1e9);
    const auto seed = quint32(NumberOption(parser, QStringLiteral("seed"), 0, 4294967295.0));
    const bool echo = parser.isSet(QStringLiteral("echo"));

    std::optional<TReplay> replay;
    QString configurationText = parser.value(QStringLiteral("config"));
    if (parser.isSet(QStringLiteral("replay"))) {
        replay = ReadReplay(parser.value(QStringLiteral("replay")));
        if (!parser.isSet(QStringLiteral("config")))
            configurationText = replay->Configuration;
    }
    TKestrinResult configuration;
    try {
        configuration.ParseConfiguration(configurationText);
    } catch (const EVentrelError &e) {
        Fail(QStringLiteral("configuration \"%1\": %2").arg(configurationText, e.Message()));
    }

    if (parser.isSet(QStringLiteral("write-log"))) {
        if (frameLimit <= 0 || replay)
            Fail(QStringLiteral("--write-log needs --frames and no --replay"));
        QDateTime first = QDateTime::currentDateTime();
        if (parser.isSet(QStringLiteral("start"))) {
            first = QDateTime::fromString(parser.value(QStringLiteral("start")), Qt::ISODate);
            if (!first.isValid())
                Fail(QStringLiteral("--start must be yyyy-MM-ddTHH:mm:ss, not \"%1\"")
                         .arg(parser.value(QStringLiteral("start"))));
        }
        return WriteFlightLog(parser.value(QStringLiteral("write-log")), configuration, launch,
                              frameLimit, step, DateTimeToDays(first));
    }

    const int64_t dataFrames =
        replay ? (frameLimit > 0 ? std::min<int64_t>(frameLimit, replay->Frames.size())
                                 : replay->Frames.size())
               : frameLimit; // 0: without end
    const TStandardAscent flight(launch);
    QRandomGenerator random(seed);
    auto noise = [&](QByteArray &bytes, int count) {
        static const char Noise[] = {' ', ' ', '\t', '\r', '\n', '\x01', '\x07', '\x1b', '\0'};
        for (int i = 0; i < count; ++i)
            bytes.insert(qsizetype(random.bounded(int(bytes.size()) + 1)),
                         Noise[random.bounded(int(sizeof Noise))]);
    };

    TConnection connection;
    if (!connection.Connect(port, timeout))
        Fail(QStringLiteral("nothing listens on 127.0.0.1:%1").arg(port), 2);
    Say(QStringLiteral("connected to 127.0.0.1:%1").arg(port));

    // Sends one frame; after a lost connection it reconnects and starts the
    // stream afresh with a delimiter.
    auto send = [&](const QByteArray &bytes) {
        while (!connection.Send(bytes)) {
            Say(QStringLiteral("connection lost, reconnecting"));
            if (!connection.Connect(port, timeout))
                Fail(QStringLiteral("nothing listens on 127.0.0.1:%1").arg(port), 2);
            if (!connection.Send(QByteArrayLiteral("/")))
                continue;
        }
    };

    QByteArray opening = garbage > 0 ? QByteArrayLiteral("RXNOISE/") : QByteArrayLiteral("/");
    send(opening);

    const auto period = std::chrono::duration<double>(1.0 / rate);
    const TClock::time_point start = TClock::now();
    int64_t sent = 0;
    // The repeated configuration goes out in one piece, so that a listener
    // that starts in the middle of the stream never sees just one copy of it
    // followed by data.
    QByteArray burst;
    for (int i = 0; i < repeats; ++i)
        burst += configurationText.toLatin1() + '/';
    auto frame = [&](const QString &text, bool configurationFirst = false) {
        std::this_thread::sleep_until(
            start + std::chrono::duration_cast<TClock::duration>(period * double(sent)));
        if (configurationFirst && !burst.isEmpty()) {
            send(burst);
            if (echo)
                for (int i = 0; i < repeats; ++i)
                    std::fprintf(stdout, "%s\n", qPrintable(configurationText));
        }
        if (text.isEmpty())
            return;
        QByteArray bytes = text.toLatin1();
        if (garbage > 0)
            noise(bytes, garbage);
        bytes += '/';
        send(bytes);
        if (echo)
            std::fprintf(stdout, "%s\n", qPrintable(text));
        ++sent;
    };

    if (configEvery > 0) {
        // A sonde restarted now and then: every configuration phase, the
        // first too, goes out in one piece.
        if (repeats > 0)
            frame(QString(), true);
    } else {
        for (int i = 0; i < repeats; ++i)
            frame(configurationText);
    }
    for (int64_t i = 0; dataFrames == 0 || i < dataFrames; ++i) {
        QString text;
        if (replay)
            text = replay->Frames.at(qsizetype(i));
        else
            text = EncodeFrame(configuration,
                               ChannelValues(configuration, flight.At(double(i) * step, i)));
        if (invalidEvery > 0 && (i + 1) % invalidEvery == 0)
            text = SpoilFrame(configuration, text);
        frame(text, configEvery > 0 && i > 0 && i % configEvery == 0);
    }
    std::fflush(stdout);
    Say(QStringLiteral("sent %1 frames").arg(sent));
    return 0;
}
