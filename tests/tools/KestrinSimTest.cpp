// kestrin-sim's run logs: a default flight is what it always was, and the
// options of a real flight write what --describe says happened.
#include "devices/LogFormat.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

namespace {

const QString Simulator = QStringLiteral(VENTREL_BIN_DIR "/kestrin-sim");

struct TRun
{
    int Exit = -1;
    QByteArray Output, Error;
};

TRun RunSimulator(const QStringList &arguments)
{
    QProcess simulator;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    simulator.setProcessEnvironment(environment);
    simulator.start(Simulator, arguments);
    TRun run;
    if (!simulator.waitForFinished(60000))
        simulator.kill();
    run.Exit = simulator.exitStatus() == QProcess::NormalExit ? simulator.exitCode() : -1;
    run.Output = simulator.readAllStandardOutput();
    run.Error = simulator.readAllStandardError();
    return run;
}

} // namespace

TEST(KestrinSim, ADefaultFlightIsWhatItWas)
{
    // Six frames 2,000 s apart from 120 m: the ascent, the fall from 33 km
    // and the landed sonde, raw and processed.
    const struct
    {
        const char *Configuration, *Log;
    } table[] = {
        {"1MR:TPUVVVVF",
         "Kestrin Data\tM\r\nConfiguration\t1MR:_T_P_UVVVVF\r\nLaunch Elevation (m):\t120\r\n"
         "Raw Time\tTime\tCh1 T (degC)\tCh2 P (mbar)\tCh3 U (%RH)\tCh4 V (volt)\tCh5 V "
         "(volt)\tCh6 V (volt)\tCh7 V (volt)\tCh8 F (Hz)\r\n"
         "46363.4583333333\t11:00:00 AM\t14.2\t998.9\t78.7\t2.998\t2.598\t2.202\t1.802\t4142\t"
         "15C38E27A2662141C3171102E\r\n"
         "46363.4814814815\t11:33:20 AM\t-50.7\t260.5\t26.6\t2.900\t2.500\t2.100\t1.699\t3493\t"
         "1F31391422522001AE15C0DA5\r\n"
         "46363.5046296296\t12:06:40 PM\t-56.4\t53.9\t4.4\t2.798\t2.402\t2.002\t1.602\t3436\t"
         "2000920BD23D1EC19A1480D6C\r\n"
         "46363.5277777778\t12:40:00 PM\t-46.7\t11.9\t1.5\t2.700\t2.300\t1.899\t1.499\t3535\t"
         "1EA0700AC2291D71851330DCF\r\n"
         "46363.5509259259\t1:13:20 PM\t-56.4\t204.8\t3.7\t2.598\t2.202\t1.802\t1.401\t3435\t"
         "20010C0B92141C317111F0D6B\r\n"
         "46363.5740740741\t1:46:40 PM\t14.2\t998.9\t78.7\t2.500\t2.100\t1.699\t1.299\t4142\t"
         "15C38E27A2001AE15C10A102E\r\n"},
        {"3MP:TPUCVVVF",
         "Kestrin Data\t3M\r\nConfiguration\t3MP:_T_P_UCVVVF\r\nLaunch Elevation (m):\t120\r\n"
         "Raw Time\tTime\tCh1 T (degC)\tCh2 P (mbar)\tCh3 U (%RH)\tCh4 C\tCh5 V (volt)\tCh6 V "
         "(volt)\tCh7 V (volt)\tCh8 F (Hz)\r\n"
         "46363.4583333333\t11:00:00 AM\t14\t999\t79\t2\t3.000\t2.600\t2.200\t4142\t"
         "287.37,998.92,78.7,2.0,3000.0,2600.0,2200.0,4142\r\n"
         "46363.4814814815\t11:33:20 AM\t-51\t260\t27\t2\t2.900\t2.500\t2.100\t3493\t"
         "222.47,260.18,26.6,2.0,2900.0,2500.0,2100.0,3493\r\n"
         "46363.5046296296\t12:06:40 PM\t-56\t54\t4\t5\t2.800\t2.400\t2.000\t3436\t"
         "216.71,54.26,4.4,5.1,2800.0,2400.0,2000.0,3436\r\n"
         "46363.5277777778\t12:40:00 PM\t-47\t12\t2\t5\t2.700\t2.300\t1.900\t3535\t"
         "226.63,11.76,1.5,4.9,2700.0,2300.0,1900.0,3535\r\n"
         "46363.5509259259\t1:13:20 PM\t-57\t205\t4\t2\t2.600\t2.200\t1.800\t3435\t"
         "216.65,205.28,3.7,2.0,2600.0,2200.0,1800.0,3435\r\n"
         "46363.5740740741\t1:46:40 PM\t14\t999\t79\t2\t2.500\t2.100\t1.700\t4142\t"
         "287.37,998.92,78.7,2.0,2500.0,2100.0,1700.0,4142\r\n"},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const auto &row : table) {
        SCOPED_TRACE(row.Configuration);
        const QString log = dir.filePath(QStringLiteral("flight.txt"));
        const TRun run = RunSimulator(
            {QStringLiteral("--config"), QLatin1String(row.Configuration),
             QStringLiteral("--frames"), QStringLiteral("6"), QStringLiteral("--step"),
             QStringLiteral("2000"), QStringLiteral("--launch-elevation"), QStringLiteral("120"),
             QStringLiteral("--start"), QStringLiteral("2026-12-07T11:00:00"),
             QStringLiteral("--write-log"), log});
        ASSERT_EQ(run.Exit, 0) << run.Error.toStdString();
        EXPECT_EQ(run.Output, QByteArray());
        EXPECT_EQ(ReadFileBytes(log), QByteArray(row.Log));
    }
}

TEST(KestrinSim, ARealFlightsLogIsWhatItsDescriptionSays)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("flight.txt"));
    const TRun run = RunSimulator(
        {QStringLiteral("--config"), QStringLiteral("1MP:TPUVVVVF"), QStringLiteral("--frames"),
         QStringLiteral("4000"), QStringLiteral("--ground"), QStringLiteral("300"),
         QStringLiteral("--burst"), QStringLiteral("15000"), QStringLiteral("--faults"),
         QStringLiteral("5"), QStringLiteral("--start"), QStringLiteral("2026-12-07T11:00:00"),
         QStringLiteral("--write-log"), path, QStringLiteral("--describe")});
    ASSERT_EQ(run.Exit, 0) << run.Error.toStdString();
    const QJsonObject truth = QJsonDocument::fromJson(run.Output).object();
    ASSERT_FALSE(truth.isEmpty()) << run.Output.toStdString();

    const TRunLog log = ReadRunLog(path);
    ASSERT_EQ(log.DataLines.size(), 4000); // --frames counts the frames sent
    std::vector<TKestrinResult> frames;
    for (const QString &line : log.DataLines) {
        TKestrinResult r = log.Configuration;
        ParseLogLine(line, r); // the time
        // The frame's own values: the log keeps whole hPa and degC of a processed sonde.
        r.SetFrame(line.mid(line.lastIndexOf(QLatin1Char('\t')) + 1));
        frames.push_back(r);
    }
    auto seconds = [&](qsizetype i) {
        return (frames[size_t(i)].Time() - frames[0].Time()) * 86400.0;
    };

    // The release on time, 300 s after the first frame.
    const QJsonObject release = truth[QStringLiteral("release")].toObject();
    EXPECT_EQ(release[QStringLiteral("frame")].toInt(), 300);
    EXPECT_EQ(release[QStringLiteral("time")].toString(),
              QStringLiteral("2026-12-07T11:05:00.000"));
    EXPECT_NEAR(seconds(300), 300.0, 0.01);

    // One gap: the fade, as long as described, the frames on either side as named.
    const QJsonObject fade = truth[QStringLiteral("fade")].toObject();
    const int before = fade[QStringLiteral("last_frame_before")].toInt();
    EXPECT_EQ(fade[QStringLiteral("first_frame_after")].toInt(), before + 1);
    int gaps = 0;
    for (qsizetype i = 1; i < log.DataLines.size(); ++i)
        if (seconds(i) - seconds(i - 1) > 1.5) {
            ++gaps;
            EXPECT_EQ(i, before + 1);
            EXPECT_NEAR(seconds(i) - seconds(i - 1),
                        fade[QStringLiteral("frames_lost")].toDouble() + 1.0, 0.01);
            EXPECT_NEAR(seconds(i - 1) + 1.0, fade[QStringLiteral("start_s")].toDouble(), 1.0);
        }
    EXPECT_EQ(gaps, 1);

    // The burst frame is the one of lowest pressure (pressure jumps aside),
    // at 15 km (121.11 hPa in the standard atmosphere).
    const QJsonObject faults = truth[QStringLiteral("faults")].toObject();
    std::set<int> jumps;
    for (const QJsonValue &v : faults[QStringLiteral("list")].toArray())
        if (v[QStringLiteral("kind")].toString() == QLatin1String("pressure"))
            jumps.insert(v[QStringLiteral("frame")].toInt());
    int top = 0;
    for (int i = 0; i < int(frames.size()); ++i)
        if (!jumps.count(i) && frames[size_t(i)].Value(2) < frames[size_t(top)].Value(2))
            top = i;
    const QJsonObject burst = truth[QStringLiteral("burst")].toObject();
    EXPECT_EQ(burst[QStringLiteral("descent")].toString(), QStringLiteral("parachute"));
    EXPECT_EQ(top, burst[QStringLiteral("frame")].toInt());
    EXPECT_NEAR(frames[size_t(top)].Value(2), 121.11, 0.02);

    // Each described fault is in its frame, as the decoder reads it.
    EXPECT_GE(faults[QStringLiteral("temperature")].toInt(), 7);
    for (const QJsonValue &v : faults[QStringLiteral("list")].toArray()) {
        const QJsonObject f = v.toObject();
        const auto i = size_t(f[QStringLiteral("frame")].toInt());
        const QString kind = f[QStringLiteral("kind")].toString();
        const double value = f[QStringLiteral("value")].toDouble();
        SCOPED_TRACE(kind.toStdString() + " " + std::to_string(i));
        if (kind == QLatin1String("humidity")) {
            EXPECT_EQ(frames[i].Value(3), value);
        } else if (int(i) != before && int(i) != before + 1) {
            const int channel = kind == QLatin1String("temperature") ? 1 : 2;
            const double neighbours =
                0.5 * (frames[i - 1].Value(channel) + frames[i + 1].Value(channel));
            EXPECT_NEAR(frames[i].Value(channel) - neighbours, value, 1.3);
        }
    }
}

TEST(KestrinSim, RefusesBadFlightOptionsWithoutWritingAnything)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString log = dir.filePath(QStringLiteral("never.txt"));
    const struct
    {
        QStringList Arguments;
        const char *Message;
    } table[] = {
        {{QStringLiteral("--ground"), QStringLiteral("-5")}, "--ground"},
        {{QStringLiteral("--burst"), QStringLiteral("100"), QStringLiteral("--launch-elevation"),
          QStringLiteral("120")},
         "--burst"},
        {{QStringLiteral("--ground-offset"), QStringLiteral("1,5")}, "--ground-offset"},
        {{QStringLiteral("--fade"), QStringLiteral("0,60")}, "--fade must be START,SECONDS"},
        {{QStringLiteral("--fade"), QStringLiteral("60")}, "--fade must be START,SECONDS"},
        {{QStringLiteral("--faults"), QStringLiteral("1"), QStringLiteral("--step"),
          QStringLiteral("0")},
         "--step above 0"},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.Message);
        const TRun run = RunSimulator(row.Arguments +
                                      QStringList{QStringLiteral("--frames"), QStringLiteral("10"),
                                                  QStringLiteral("--write-log"), log});
        EXPECT_EQ(run.Exit, 1);
        EXPECT_TRUE(run.Error.contains(row.Message)) << run.Error.toStdString();
        EXPECT_FALSE(QFile::exists(log));
    }
    const TRun replay = RunSimulator(
        {QStringLiteral("--replay"), log, QStringLiteral("--ground"), QStringLiteral("60")});
    EXPECT_EQ(replay.Exit, 1);
    EXPECT_TRUE(replay.Error.contains("not --replay")) << replay.Error.toStdString();
}
