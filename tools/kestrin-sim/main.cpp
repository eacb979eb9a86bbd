// kestrin-sim: plays a Kestrin sonde behind the exchange library's port.
// It connects to 127.0.0.1 (retrying until the port is up), sends the
// configuration string a few times, then data frames of a standard-atmosphere
// flight (with time on the ground, a burst, sensor faults and a fade if asked),
// or the raw frames of a recorded run log, at a steady rate.
#include "FlightModel.h"
#include "SondeEncoder.h"

#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"
#include "foundation/FileTransaction.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStringList>

#include <cerrno>
#include <chrono>
#include <cmath>
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
                   const TFlightModel &flight, int64_t frames, double step, double start)
{
    QStringList lines = LogHeaderLines(configuration, launch);
    for (int64_t i = 0; i < frames; ++i) {
        TKestrinResult frame = configuration;
        frame.SetFrame(EncodeFrame(configuration, ChannelValues(configuration, flight.Frame(i))));
        frame.SetTime(start + double(flight.Slot(i)) * step / 86400.0);
        lines << FormatLogLine(frame);
    }
    try {
        WriteFileSafely(fileName, EncodeLogLines(lines));
    } catch (const EFileError &e) {
        Fail(e.Message());
    }
    return 0;
}

// What really happened in a simulated flight, for comparing with what a
// ground station finds: one line of JSON. Seconds count from the first
// frame, frames from 0 (the first data frame sent); the local times are
// there when the first frame's time is known (--write-log).
QByteArray Description(const TFlightModel &flight, const TFlightOptions &options, int64_t frames,
                       double step, const std::optional<QDateTime> &first)
{
    auto frame = [](std::optional<int64_t> f) {
        return f ? QJsonValue(double(*f)) : QJsonValue(QJsonValue::Null);
    };
    auto stamp = [&](QJsonObject &object, const char *key, double seconds) {
        if (first)
            object.insert(QLatin1String(key),
                          first->addMSecs(qint64(std::llround(seconds * 1000.0)))
                              .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")));
    };
    QJsonObject d;
    d.insert(QStringLiteral("frames"), double(frames));
    d.insert(QStringLiteral("step_s"), step);
    d.insert(QStringLiteral("launch_elevation_m"), options.LaunchElevation);
    d.insert(QStringLiteral("pressure_offset_hPa"), options.PressureOffset);

    QJsonObject release;
    release.insert(QStringLiteral("s"), flight.ReleaseSeconds());
    release.insert(QStringLiteral("frame"), frame(flight.ReleaseFrame()));
    stamp(release, "time", flight.ReleaseSeconds());
    d.insert(QStringLiteral("release"), release);

    QJsonObject burst;
    burst.insert(QStringLiteral("s"), flight.BurstSeconds());
    burst.insert(QStringLiteral("altitude_m"), flight.BurstAltitude());
    burst.insert(QStringLiteral("descent"),
                 flight.HasParachute() ? QStringLiteral("parachute") : QStringLiteral("fall"));
    stamp(burst, "time", flight.BurstSeconds());
    const std::optional<int64_t> top = flight.BurstFrame();
    burst.insert(QStringLiteral("frame"), frame(top));
    if (top) {
        const double seconds = flight.Seconds(*top);
        burst.insert(QStringLiteral("frame_s"), seconds);
        burst.insert(QStringLiteral("frame_altitude_m"),
                     flight.At(seconds, flight.Slot(*top)).Altitude);
    }
    d.insert(QStringLiteral("burst"), burst);

    QJsonObject landing;
    landing.insert(QStringLiteral("s"), flight.LandingSeconds());
    stamp(landing, "time", flight.LandingSeconds());
    d.insert(QStringLiteral("landing"), landing);

    if (const std::optional<TFade> fade = flight.Fade()) {
        QJsonObject f;
        f.insert(QStringLiteral("start_s"), fade->Start);
        f.insert(QStringLiteral("seconds"), fade->Seconds);
        stamp(f, "time_from", fade->Start);
        stamp(f, "time_to", fade->Start + fade->Seconds);
        const bool within = frames == 0 || flight.FadeFirstSlot() < frames;
        f.insert(QStringLiteral("frames_lost"), within ? double(flight.FadeSlots()) : 0.0);
        f.insert(QStringLiteral("last_frame_before"),
                 frame(flight.FrameOfSlot(flight.FadeFirstSlot() - 1)));
        f.insert(QStringLiteral("first_frame_after"),
                 frame(flight.FrameOfSlot(flight.FadeFirstSlot() + flight.FadeSlots())));
        d.insert(QStringLiteral("fade"), f);
    } else {
        d.insert(QStringLiteral("fade"), QJsonValue::Null);
    }

    if (options.FaultSeed) {
        QJsonObject faults;
        faults.insert(QStringLiteral("seed"), double(*options.FaultSeed));
        if (frames > 0) {
            static const char *const Kinds[] = {"temperature", "pressure", "humidity"};
            int counts[3] = {};
            QJsonArray list;
            for (const TFault &fault : flight.Faults(0, frames)) {
                ++counts[fault.Kind];
                list.append(QJsonObject{{QStringLiteral("frame"), double(fault.Frame)},
                                        {QStringLiteral("kind"), QLatin1String(Kinds[fault.Kind])},
                                        {QStringLiteral("value"), fault.Value}});
            }
            for (int k = 0; k < 3; ++k)
                faults.insert(QLatin1String(Kinds[k]), counts[k]);
            faults.insert(QStringLiteral("list"), list);
        }
        d.insert(QStringLiteral("faults"), faults);
    } else {
        d.insert(QStringLiteral("faults"), QJsonValue::Null);
    }
    return QJsonDocument(d).toJson(QJsonDocument::Compact) + '\n';
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
        "hexadecimal converter counts or processed decimal values. --ground, --burst,\n"
        "--ground-offset, --faults and --fade make it a real flight's: time on the ground,\n"
        "a parachute descent, a sensor offset, faulty frames and a fade."));
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
        {QStringLiteral("ground"),
         QStringLiteral("Seconds on the ground before the release (default 0). The sonde starts "
                        "at 24 degC and settles to the air (time constant 3 minutes), its "
                        "humidity reading low while it is warm; the barometer is noisy (within "
                        "0.4 hPa, from --seed) and drifts by at most 0.8 hPa an hour. The "
                        "release is this many seconds after the first frame; the ascent then "
                        "starts as it does without --ground."),
         QStringLiteral("seconds")},
        {QStringLiteral("burst"),
         QStringLiteral("The balloon bursts at this altitude in metres (above the launch "
                        "elevation, at most 47000), (altitude - launch elevation)/5 seconds "
                        "after the release, and the sonde comes down under a parachute: fast in "
                        "the thin air, about 5.5 m/s near sea level, to the launch elevation. "
                        "The burst frame, the highest of the flight, is the last frame before "
                        "the burst or the first after it, whichever is higher. Without it the "
                        "balloon bursts at 33000 m and the sonde falls at 15 m/s."),
         QStringLiteral("metres")},
        {QStringLiteral("ground-offset"),
         QStringLiteral("The sonde's pressure sensor reads this many hPa high, all flight "
                        "(default 0, from -50 to 50)."),
         QStringLiteral("hPa")},
        {QStringLiteral("faults"),
         QStringLiteral("Faulty frames, placed and sized from this seed alone: in every 2000 "
                        "data frames four temperature spikes of 5 to 10 K, one pressure jump of "
                        "2 to 5 hPa and two humidities of 0 or 110 %RH, each in one frame; and "
                        "one fade of 2 to 4 minutes in the middle three fifths of the flight."),
         QStringLiteral("seed")},
        {QStringLiteral("fade"),
         QStringLiteral("No frames for SECONDS from START seconds after the first frame "
                        "(replaces the fade of --faults). Frame times jump over the fade; "
                        "--frames counts the frames sent."),
         QStringLiteral("START,SECONDS")},
        {QStringLiteral("describe"),
         QStringLiteral("Print what really happens in the flight as one line of JSON on standard "
                        "output, before the frames (with --write-log, once the log is written): "
                        "the release, the burst, the landing, the fade and the faults, in "
                        "seconds after the first frame and data frames counted from 0.")},
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
    const bool describe = parser.isSet(QStringLiteral("describe"));

    TFlightOptions flightOptions;
    flightOptions.LaunchElevation = launch;
    flightOptions.Seed = seed;
    if (parser.isSet(QStringLiteral("ground")))
        flightOptions.GroundSeconds = NumberOption(parser, QStringLiteral("ground"), 0, 86400);
    if (parser.isSet(QStringLiteral("burst")))
        flightOptions.BurstAltitude =
            NumberOption(parser, QStringLiteral("burst"), std::floor(launch) + 1, 47000);
    if (parser.isSet(QStringLiteral("ground-offset")))
        flightOptions.PressureOffset =
            NumberOption(parser, QStringLiteral("ground-offset"), -50, 50);
    if (parser.isSet(QStringLiteral("faults")))
        flightOptions.FaultSeed =
            quint32(NumberOption(parser, QStringLiteral("faults"), 0, 4294967295.0));
    if (parser.isSet(QStringLiteral("fade"))) {
        const QString text = parser.value(QStringLiteral("fade"));
        const QStringList parts = text.split(QLatin1Char(','));
        bool ok = parts.size() == 2;
        double start = 0, seconds = 0;
        if (ok) {
            bool a = false, b = false;
            start = parts[0].trimmed().toDouble(&a);
            seconds = parts[1].trimmed().toDouble(&b);
            ok = a && b && start > 0 && start <= 1e9 && seconds > 0 && seconds <= 86400;
        }
        if (!ok)
            Fail(QStringLiteral("--fade must be START,SECONDS: the seconds after the first frame "
                                "(above 0) and the fade's length (above 0, at most 86400), not "
                                "\"%1\"")
                     .arg(text));
        flightOptions.Fade = TFade{start, seconds};
    }
    const bool realFlight =
        parser.isSet(QStringLiteral("ground")) || parser.isSet(QStringLiteral("burst")) ||
        parser.isSet(QStringLiteral("ground-offset")) || parser.isSet(QStringLiteral("faults")) ||
        parser.isSet(QStringLiteral("fade"));
    if ((flightOptions.FaultSeed || flightOptions.Fade) && !(step > 0))
        Fail(QStringLiteral("--faults and --fade need frames apart in time (--step above 0)"));

    std::optional<TReplay> replay;
    QString configurationText = parser.value(QStringLiteral("config"));
    if (parser.isSet(QStringLiteral("replay"))) {
        if (realFlight || describe)
            Fail(QStringLiteral("--ground, --burst, --ground-offset, --faults, --fade and "
                                "--describe are for a simulated flight, not --replay"));
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
        const TFlightModel flight(flightOptions, step, frameLimit);
        const int written = WriteFlightLog(parser.value(QStringLiteral("write-log")), configuration,
                                           launch, flight, frameLimit, step, DateTimeToDays(first));
        if (describe) {
            std::fputs(Description(flight, flightOptions, frameLimit, step, first).constData(),
                       stdout);
            std::fflush(stdout);
        }
        return written;
    }

    const int64_t dataFrames =
        replay ? (frameLimit > 0 ? std::min<int64_t>(frameLimit, replay->Frames.size())
                                 : replay->Frames.size())
               : frameLimit; // 0: without end
    const TFlightModel flight(flightOptions, step, replay ? 0 : frameLimit);
    if (describe && !replay) {
        std::fputs(Description(flight, flightOptions, frameLimit, step, std::nullopt).constData(),
                   stdout);
        std::fflush(stdout);
    }
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
    int64_t faded = 0; // frame periods that the fade has swallowed
    // The repeated configuration goes out in one piece, so that a listener
    // that starts in the middle of the stream never sees just one copy of it
    // followed by data.
    QByteArray burst;
    for (int i = 0; i < repeats; ++i)
        burst += configurationText.toLatin1() + '/';
    auto frame = [&](const QString &text, bool configurationFirst = false) {
        std::this_thread::sleep_until(
            start + std::chrono::duration_cast<TClock::duration>(period * double(sent + faded)));
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
        if (replay) {
            text = replay->Frames.at(qsizetype(i));
        } else {
            text = EncodeFrame(configuration, ChannelValues(configuration, flight.Frame(i)));
            faded = flight.Slot(i) - i;
        }
        if (invalidEvery > 0 && (i + 1) % invalidEvery == 0)
            text = SpoilFrame(configuration, text);
        frame(text, configEvery > 0 && i > 0 && i % configEvery == 0);
    }
    std::fflush(stdout);
    Say(QStringLiteral("sent %1 frames").arg(sent));
    return 0;
}
