// The whole acquisition path with nothing simulated inside it: kestrin-sim
// writes to the exchange library's port, the receiver polls the library, and
// every data frame goes to the run log through the file device.
#include "SondeEncoder.h"
#include "devices/FileManager.h"
#include "devices/KestrinReceiver.h"
#include "devices/LogFormat.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

const QString Simulator = QStringLiteral(VENTREL_BIN_DIR "/kestrin-sim");

class EndToEnd : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Port = FreeLoopbackPort();
        ASSERT_NE(Port, 0);
        // The library reads the port when the receiver initialises it.
        setenv("DXSOFTEX_PORT", std::to_string(Port).c_str(), 1);
    }
    void TearDown() override { unsetenv("DXSOFTEX_PORT"); }

    // Receives, logs and counts until the simulator has finished and
    // `expected` data frames have arrived; returns the frames the simulator
    // says it sent.
    QStringList Run(const TKestrinResult &configuration, const QString &logName,
                    const QStringList &simulatorArguments, int expected, int expectedInvalid = 0)
    {
        // The library is found beside the program, as the ground station finds it.
        auto receiver = std::make_unique<TKestrinReceiver>();
        auto files = std::make_unique<TFileManager>();
        QStringList errors;
        files->OnError = [&](const QString &m) { errors << m; };
        files->NewFile(Dir.filePath(logName));
        for (const QString &line : LogHeaderLines(configuration, 0.0))
            files->WriteLine(line);
        int frames = 0;
        int configurations = 0;
        receiver->OnData = [&](const TKestrinResult &r) {
            files->WriteLine(FormatLogLine(r));
            ++frames;
        };
        receiver->OnConfigurationReceived = [&](const QString &) { ++configurations; };
        receiver->OnInvalidFrame = [&](const QString &frame) { InvalidFrames << frame; };
        bool acknowledged = false;
        receiver->OnConfigurationSet = [&](const TKestrinResult &) { acknowledged = true; };
        bool receiverError = false;
        receiver->OnReceiverError = [&] { receiverError = true; };

        // Acknowledged in the same cycle as the start: acquisition is on.
        receiver->Start();
        receiver->SetConfiguration(configuration);
        EXPECT_TRUE(WaitFor([&] { return acknowledged; }));

        QProcess simulator;
        simulator.setProcessChannelMode(QProcess::SeparateChannels);
        simulator.start(Simulator, QStringList{QStringLiteral("--port"), QString::number(Port),
                                               QStringLiteral("--echo")} +
                                       simulatorArguments);
        EXPECT_TRUE(simulator.waitForStarted(10000));
        QByteArray echoed;
        const bool done = WaitFor(
            [&] {
                echoed += simulator.readAllStandardOutput();
                return simulator.state() == QProcess::NotRunning && frames >= expected &&
                       InvalidFrames.size() >= expectedInvalid;
            },
            std::chrono::seconds(90));
        echoed += simulator.readAllStandardOutput();
        EXPECT_TRUE(done) << "frames received: " << frames;
        EXPECT_EQ(simulator.exitCode(), 0) << simulator.readAllStandardError().toStdString();
        EXPECT_FALSE(receiverError);
        EXPECT_EQ(frames, expected);
        Configurations = configurations;

        receiver.reset();
        files.reset(); // writes what is still pending
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
        QStringList sent = QString::fromLatin1(echoed).split(QLatin1Char('\n'));
        if (!sent.isEmpty() && sent.last().isEmpty())
            sent.removeLast();
        return sent;
    }

    static QStringList RawTexts(const TRunLog &log)
    {
        QStringList raw;
        for (const QString &line : log.DataLines)
            raw << line.mid(line.lastIndexOf(QLatin1Char('\t')) + 1);
        return raw;
    }

    QTemporaryDir Dir;
    uint16_t Port = 0;
    int Configurations = 0;
    QStringList InvalidFrames;
};

} // namespace

TEST_F(EndToEnd, EveryFrameReachesTheLogInOrder)
{
    LocaleGuard locale("C");
    TKestrinResult configuration;
    configuration.ParseConfiguration(QStringLiteral("1MR:TPUVVVVF"));
    const QStringList sent =
        Run(configuration, QStringLiteral("run.txt"),
            {QStringLiteral("--config"), QStringLiteral("1MR:TPUVVVVF"),
             QStringLiteral("--config-repeat"), QStringLiteral("3"), QStringLiteral("--rate"),
             QStringLiteral("200"), QStringLiteral("--frames"), QStringLiteral("2000"),
             QStringLiteral("--step"), QStringLiteral("0.5"), QStringLiteral("--garbage"),
             QStringLiteral("2")},
            2000);
    ASSERT_EQ(sent.size(), 2003);
    EXPECT_EQ(Configurations, 3);

    const TRunLog log = ReadRunLog(Dir.filePath(QStringLiteral("run.txt")));
    EXPECT_EQ(log.Configuration.ConfigurationString(), QStringLiteral("1MR:_T_P_UVVVVF"));
    ASSERT_EQ(log.DataLines.size(), 2000);
    EXPECT_EQ(RawTexts(log), sent.mid(3)); // byte for byte, in order

    // The decoded values went into the log as well: 999.5 s of ascent at
    // 5 m/s reach 4,997.5 m, where the standard pressure is 540.66 mbar (a
    // 1M pressure count is 1.24 mbar).
    TKestrinResult first = log.Configuration, last = log.Configuration;
    ParseLogLine(log.DataLines.first(), first);
    ParseLogLine(log.DataLines.last(), last);
    EXPECT_NEAR(first.Value(2), 1013.25, 0.7);
    EXPECT_NEAR(last.Value(2), 540.66, 0.7);
    EXPECT_FALSE(last.HasAnyError());
}

TEST_F(EndToEnd, ReplaysTheRawFramesOfARecordedLog)
{
    LocaleGuard locale("C");
    TKestrinResult configuration;
    configuration.ParseConfiguration(QStringLiteral("1RP:_TT_PUVVFFB"));
    // A recorded run of 300 processed frames.
    const TStandardAscent flight(35.0);
    QStringList lines = LogHeaderLines(configuration, 35.0);
    QStringList recorded;
    for (int i = 0; i < 300; ++i) {
        TKestrinResult r = configuration;
        r.SetFrame(
            EncodeFrame(configuration, ChannelValues(configuration, flight.At(i * 10.0, i))));
        lines << FormatLogLine(r);
        recorded << r.RawText();
    }
    const QString recording = Dir.filePath(QStringLiteral("recorded.txt"));
    QFile file(recording);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(EncodeLogLines(lines));
    file.close();

    const QStringList sent =
        Run(configuration, QStringLiteral("replayed.txt"),
            {QStringLiteral("--replay"), recording, QStringLiteral("--rate"),
             QStringLiteral("1000"), QStringLiteral("--config-repeat"), QStringLiteral("2"),
             QStringLiteral("--invalid-every"), QStringLiteral("50")},
            294, 6);
    ASSERT_EQ(sent.size(), 302);
    EXPECT_EQ(sent.first(), configuration.ConfigurationString());
    EXPECT_EQ(Configurations, 2);
    ASSERT_EQ(InvalidFrames.size(), 6);

    QStringList expected;
    for (int i = 0; i < 300; ++i)
        if ((i + 1) % 50 != 0)
            expected << recorded.at(i);
        else
            EXPECT_EQ(InvalidFrames.at(i / 50), sent.at(i + 2));
    EXPECT_EQ(RawTexts(ReadRunLog(Dir.filePath(QStringLiteral("replayed.txt")))), expected);
}

TEST_F(EndToEnd, ARealFlightGoesLiveFrameForFrameAsInItsLog)
{
    LocaleGuard locale("C");
    TKestrinResult configuration;
    configuration.ParseConfiguration(QStringLiteral("1MR:TPUVVVVF"));
    const QStringList flight = {QStringLiteral("--config"),        QStringLiteral("1MR:TPUVVVVF"),
                                QStringLiteral("--step"),          QStringLiteral("1"),
                                QStringLiteral("--frames"),        QStringLiteral("600"),
                                QStringLiteral("--ground"),        QStringLiteral("60"),
                                QStringLiteral("--burst"),         QStringLiteral("1500"),
                                QStringLiteral("--ground-offset"), QStringLiteral("0.8"),
                                QStringLiteral("--faults"),        QStringLiteral("3"),
                                QStringLiteral("--fade"),          QStringLiteral("200,45")};
    const QStringList sent =
        Run(configuration, QStringLiteral("live.txt"),
            flight + QStringList{QStringLiteral("--rate"), QStringLiteral("500"),
                                 QStringLiteral("--config-repeat"), QStringLiteral("1")},
            600);
    ASSERT_EQ(sent.size(), 601);

    QProcess writer;
    writer.start(Simulator, flight + QStringList{QStringLiteral("--write-log"),
                                                 Dir.filePath(QStringLiteral("written.txt"))});
    ASSERT_TRUE(writer.waitForFinished(60000));
    ASSERT_EQ(writer.exitCode(), 0);
    EXPECT_EQ(RawTexts(ReadRunLog(Dir.filePath(QStringLiteral("written.txt")))), sent.mid(1));
    EXPECT_EQ(RawTexts(ReadRunLog(Dir.filePath(QStringLiteral("live.txt")))), sent.mid(1));
}

TEST(KestrinSim, RefusesBadOptionsAndGivesUpOnAClosedPort)
{
    auto run = [](const QStringList &arguments, QString &error) {
        QProcess simulator;
        simulator.start(Simulator, arguments);
        simulator.waitForFinished(30000);
        error = QString::fromLocal8Bit(simulator.readAllStandardError());
        return simulator.exitCode();
    };
    QString error;
    EXPECT_EQ(run({QStringLiteral("--config"), QStringLiteral("3MR:TPUVVVVF")}, error), 1);
    EXPECT_TRUE(error.contains(QStringLiteral("Model 3M does not support raw data")))
        << error.toStdString();
    EXPECT_EQ(run({QStringLiteral("--rate"), QStringLiteral("fast")}, error), 1);
    EXPECT_TRUE(error.contains(QStringLiteral("--rate"))) << error.toStdString();
    EXPECT_EQ(run({QStringLiteral("--replay"), QStringLiteral("/nonexistent/run.txt")}, error), 1);
    EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent/run.txt"))) << error.toStdString();
    // A real flight's options, each wrong, write nothing.
    const QString log = QDir::temp().filePath(
        QStringLiteral("kestrin-sim-never-%1.txt").arg(QCoreApplication::applicationPid()));
    const QStringList bad[] = {
        {QStringLiteral("--ground"), QStringLiteral("-5")},
        {QStringLiteral("--burst"), QStringLiteral("100"), QStringLiteral("--launch-elevation"),
         QStringLiteral("120")},
        {QStringLiteral("--ground-offset"), QStringLiteral("1,5")},
        {QStringLiteral("--fade"), QStringLiteral("0,60")},
        {QStringLiteral("--fade"), QStringLiteral("60")},
        {QStringLiteral("--faults"), QStringLiteral("1"), QStringLiteral("--step"),
         QStringLiteral("0")},
        {QStringLiteral("--ground"), QStringLiteral("60"), QStringLiteral("--replay"), log},
    };
    for (const QStringList &arguments : bad) {
        EXPECT_EQ(run(arguments + QStringList{QStringLiteral("--frames"), QStringLiteral("9"),
                                              QStringLiteral("--write-log"), log},
                      error),
                  1);
        EXPECT_TRUE(error.contains(arguments.first())) << error.toStdString();
        EXPECT_FALSE(QFile::exists(log));
    }

    const uint16_t closed = FreeLoopbackPort();
    EXPECT_EQ(run({QStringLiteral("--port"), QString::number(closed),
                   QStringLiteral("--connect-timeout"), QStringLiteral("0.3")},
                  error),
              2);
    EXPECT_TRUE(error.contains(QStringLiteral("nothing listens"))) << error.toStdString();
}
