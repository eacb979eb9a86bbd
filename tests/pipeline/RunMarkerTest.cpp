// A run that survives its program: killed while recording, continued into
// the same log; declined, gone or broken; and a second program kept off.
#include "pipeline/FlightSession.h"

#include "devices/LogFormat.h"
#include "foundation/FileTransaction.h"
#include "sounding/SoundingProductFiles.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

using namespace std::chrono_literals;

const QString Configuration = QStringLiteral("1MR:TPUVVVVF");
const TStationIdentity Station{QStringLiteral("03808"), 50.2, -5.3};

QStringList Lines(const QString &path)
{
    QStringList lines = QString::fromLatin1(ReadFileBytes(path)).split(QStringLiteral("\r\n"));
    lines.removeLast(); // after the last line end
    return lines;
}

QProcess *StartSimulator(QProcess &sim, uint16_t port, int frames)
{
    sim.start(QStringLiteral(VENTREL_BIN_DIR "/kestrin-sim"),
              {"--port", QString::number(port), "--config", Configuration, "--config-repeat", "0",
               "--frames", QString::number(frames), "--rate", "100", "--step", "10"});
    EXPECT_TRUE(sim.waitForStarted(10000));
    return &sim;
}

} // namespace

// The program that is killed: records what its simulator sends until then.
TEST(RunMarker, DISABLED_RecordsUntilKilled)
{
    const QString log = qEnvironmentVariable("VENTREL_TEST_RECORD_INTO");
    if (log.isEmpty())
        GTEST_SKIP() << "run by AKilledRunGoesOnInTheSameLog";
    TFlightSession session({{}, {}, {}, qEnvironmentVariable("VENTREL_TEST_MARKERS")});
    session.SetStation(Station);
    ASSERT_TRUE(session.ApplyTypedConfiguration(Configuration));
    ASSERT_TRUE(WaitFor([&] { return !session.ApplyingConfig(); }));
    session.StartRun(log);
    session.MarkEndOfAscent(99999.0);
    ASSERT_TRUE(WaitFor([&] { return session.Receiver().Listening(); }));
    std::fputs("listening\n", stdout);
    std::fflush(stdout);
    WaitFor([] { return false; }, 10min);
}

TEST(RunMarker, AKilledRunGoesOnInTheSameLog)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("flight.txt"));
    const QString markers = dir.filePath(QStringLiteral("runs"));
    const uint16_t killedPort = FreeLoopbackPort(), port = FreeLoopbackPort();
    setenv("DXSOFTEX_PORT", std::to_string(port).c_str(), 1);
    QProcess killed;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VENTREL_TEST_RECORD_INTO"), log);
    environment.insert(QStringLiteral("VENTREL_TEST_MARKERS"), markers);
    environment.insert(QStringLiteral("DXSOFTEX_PORT"), QString::number(killedPort));
    killed.setProcessEnvironment(environment);
    killed.start(QCoreApplication::applicationFilePath(),
                 {"--gtest_also_run_disabled_tests",
                  "--gtest_filter=RunMarker.DISABLED_RecordsUntilKilled"});
    ASSERT_TRUE(WaitFor([&] { return killed.readAllStandardOutput().contains("listening"); }, 60s));
    QProcess sim;
    StartSimulator(sim, killedPort, 2000);
    ASSERT_TRUE(WaitFor([&] { return Lines(log).size() >= 4 + 300; }, 60s));

    // A second program finds no run to take over and cannot record into it.
    TFlightSession session({{}, {}, {}, markers});
    EXPECT_FALSE(session.FindInterruptedRun());
    EXPECT_THROW(session.StartRun(log), EFileError);

    ::kill(pid_t(killed.processId()), SIGKILL);
    ASSERT_TRUE(killed.waitForFinished(10000));
    sim.kill();
    sim.waitForFinished(10000);
    // A line torn by the kill goes beside the log.
    const QStringList before = Lines(log);
    QFile torn(log);
    ASSERT_TRUE(torn.open(QIODevice::Append));
    torn.write("46000.6\t12.");
    torn.close();

    const std::optional<TInterruptedRun> run = session.FindInterruptedRun();
    ASSERT_TRUE(run);
    EXPECT_EQ(run->Problem, QString());
    EXPECT_EQ(run->Frames, before.size() - 4);
    EXPECT_EQ(run->Marker.Station, Station);
    EXPECT_EQ(run->Marker.End, 99999.0);
    session.ContinueRun(run->Marker);
    EXPECT_EQ(ReadFileBytes(log + QStringLiteral(".partial")), QByteArray("46000.6\t12."));
    ASSERT_TRUE(WaitFor([&] { return session.Receiver().Listening(); }));
    StartSimulator(sim, port, 100);
    ASSERT_TRUE(
        WaitFor([&] { return session.RecordedLines().size() == before.size() - 4 + 100; }, 60s));
    EXPECT_EQ(session.FlightSettings().End, 99999.0);
    const QByteArray continued =
        FormatSoundingSummary(session.CurrentProducts()->Products, Station);
    session.StopRun();
    sim.waitForFinished(10000);

    // The header once, every line before the kill, then the new ones in order
    // (the frames of one poll share its time), none twice.
    ASSERT_TRUE(WaitFor([&] { return Lines(log).size() == before.size() + 100; }));
    const QStringList after = Lines(log);
    EXPECT_EQ(after.mid(0, before.size()), before);
    EXPECT_EQ(after.filter(QStringLiteral("Configuration")).size(), 1);
    TKestrinResult frame;
    frame.ParseConfiguration(Configuration);
    double previous = 0.0;
    for (const QString &line : after.mid(4)) {
        ParseLogLine(line, frame);
        EXPECT_GE(frame.Time(), previous) << line.toStdString();
        previous = frame.Time();
    }
    EXPECT_TRUE(QDir(markers).isEmpty());
    // The continued run's products are those of its log.
    TFlightSession replayed({{}, {}, {}, markers});
    replayed.SetStation(Station);
    replayed.MarkEndOfAscent(99999.0);
    replayed.AdoptLog(ReadFlightLog(log));
    EXPECT_EQ(FormatSoundingSummary(replayed.CurrentProducts()->Products, Station), continued);
}

// Declined, its log gone, or the marker itself broken: the marker goes, and
// the log stays as it was.
TEST(RunMarker, WhatBecomesOfARunThatIsNotContinued)
{
    QTemporaryDir dir;
    const QString markers = dir.filePath(QStringLiteral("runs"));
    const QString log = dir.filePath(QStringLiteral("flight.txt"));
    QProcess sim;
    sim.start(QStringLiteral(VENTREL_BIN_DIR "/kestrin-sim"),
              {"--write-log", log, "--frames", "20"});
    ASSERT_TRUE(sim.waitForFinished(30000));
    const QByteArray bytes = ReadFileBytes(log);
    TFlightSession session({{}, {}, {}, markers});
    const struct
    {
        QString Log;
        QByteArray Marker; // empty: a proper one
        QString Problem;
    } cases[] = {
        {log, {}, {}},
        {dir.filePath(QStringLiteral("gone.txt")), {}, "but that log is gone"},
        {log, "<VentrelRun><LogFile>", "cannot be read"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Problem.toStdString());
        const QString file = RunMarkerFile(markers, c.Log);
        WriteRunMarker(file, {c.Log, Configuration, 0.0, Station});
        if (!c.Marker.isEmpty())
            WriteFileSafely(file, c.Marker);
        const std::optional<TInterruptedRun> run = session.FindInterruptedRun();
        ASSERT_TRUE(run);
        EXPECT_TRUE(c.Problem.isEmpty() ? run->Problem.isEmpty() : run->Problem.contains(c.Problem))
            << run->Problem.toStdString();
        EXPECT_EQ(run->Frames, c.Problem.isEmpty() ? 20 : 0);
        session.ForgetInterruptedRun(*run);
        EXPECT_FALSE(session.FindInterruptedRun());
        EXPECT_EQ(ReadFileBytes(log), bytes);
    }
}
