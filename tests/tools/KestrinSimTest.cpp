// kestrin-sim's run logs: a default flight is what it always was, and a real
// flight's log is what --describe says happened.
#include "devices/LogFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Writes a log with the options (the first frame at 2026-12-07 11:00) and
// returns it; `output` gets what the simulator printed.
TRunLog WriteLog(const QTemporaryDir &dir, const QStringList &options, QByteArray *output = nullptr)
{
    const QString path = dir.filePath(QStringLiteral("flight.txt"));
    QProcess simulator;
    simulator.start(QStringLiteral(VENTREL_BIN_DIR "/kestrin-sim"),
                    options + QStringList{QStringLiteral("--start"),
                                          QStringLiteral("2026-12-07T11:00:00"),
                                          QStringLiteral("--write-log"), path});
    EXPECT_TRUE(simulator.waitForFinished(60000));
    EXPECT_EQ(simulator.exitCode(), 0) << simulator.readAllStandardError().toStdString();
    if (output)
        *output = simulator.readAllStandardOutput();
    return ReadRunLog(path);
}

QString Field(const QString &line, bool last)
{
    return last ? line.mid(line.lastIndexOf(QLatin1Char('\t')) + 1)
                : line.left(line.indexOf(QLatin1Char('\t')));
}

} // namespace

TEST(KestrinSim, ADefaultFlightIsWhatItWas)
{
    // Five frames 2,500 s apart from 120 m: the ascent, the fall from 33 km
    // and the landed sonde, raw and processed; the main branch wrote them.
    const QStringList times = {
        QStringLiteral("46363.4583333333"), QStringLiteral("46363.4872685185"),
        QStringLiteral("46363.5162037037"), QStringLiteral("46363.5451388889"),
        QStringLiteral("46363.5740740741")};
    const struct
    {
        const char *Configuration;
        QStringList Frames;
    } table[] = {
        {"1MR:TPUVVVVF",
         {QStringLiteral("15C38E27A2662141C3171102E"), QStringLiteral("2000F50B024D1FB1A91570D6B"),
          QStringLiteral("1F507B0A92331E118F13D0D9D"), QStringLiteral("20009A0F921A1C81761240D6B"),
          QStringLiteral("15C38E27A2001AE15C10A102E")}},
        {"3MP:TPUCVVVF",
         {QStringLiteral("287.37,998.92,78.7,2.0,3000.0,2600.0,2200.0,4142"),
          QStringLiteral("216.65,175.99,2.1,2.1,2875.0,2475.0,2075.0,3435"),
          QStringLiteral("221.67,25.03,1.0,8.0,2750.0,2350.0,1950.0,3485"),
          QStringLiteral("216.65,63.27,14.4,4.3,2625.0,2225.0,1825.0,3435"),
          QStringLiteral("287.37,998.92,78.7,2.0,2500.0,2100.0,1700.0,4142")}},
    };
    QTemporaryDir dir;
    for (const auto &row : table) {
        SCOPED_TRACE(row.Configuration);
        QByteArray output;
        const TRunLog log = WriteLog(dir,
                                     {QStringLiteral("--config"), QLatin1String(row.Configuration),
                                      QStringLiteral("--frames"), QStringLiteral("5"),
                                      QStringLiteral("--step"), QStringLiteral("2500"),
                                      QStringLiteral("--launch-elevation"), QStringLiteral("120")},
                                     &output);
        EXPECT_TRUE(output.isEmpty());
        ASSERT_EQ(log.DataLines.size(), 5);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(Field(log.DataLines[i], false), times[i]);
            EXPECT_EQ(Field(log.DataLines[i], true), row.Frames[i]);
        }
    }
}

TEST(KestrinSim, ARealFlightsLogIsWhatItsDescriptionSays)
{
    QTemporaryDir dir;
    QByteArray output;
    const TRunLog log =
        WriteLog(dir,
                 {QStringLiteral("--config"), QStringLiteral("1MP:TPUVVVVF"),
                  QStringLiteral("--frames"), QStringLiteral("4000"), QStringLiteral("--ground"),
                  QStringLiteral("300"), QStringLiteral("--burst"), QStringLiteral("15000"),
                  QStringLiteral("--faults"), QStringLiteral("5"), QStringLiteral("--describe")},
                 &output);
    const QJsonObject truth = QJsonDocument::fromJson(output).object();
    ASSERT_EQ(log.DataLines.size(), 4000); // --frames counts the frames sent
    std::vector<TKestrinResult> frames(4000, log.Configuration);
    for (size_t i = 0; i < 4000; ++i) {
        ParseLogLine(log.DataLines[qsizetype(i)], frames[i]); // the time
        // The frame's own values: the log keeps whole hPa and degC of a processed sonde.
        frames[i].SetFrame(Field(log.DataLines[qsizetype(i)], true));
    }
    auto seconds = [&](size_t i) { return (frames[i].Time() - frames[0].Time()) * 86400.0; };

    const QJsonObject release = truth[QStringLiteral("release")].toObject();
    EXPECT_EQ(release[QStringLiteral("frame")].toInt(), 300);
    EXPECT_EQ(release[QStringLiteral("time")].toString(),
              QStringLiteral("2026-12-07T11:05:00.000"));
    EXPECT_NEAR(seconds(300), 300.0, 0.01);

    // One gap in the frame times, the fade as described.
    const QJsonObject fade = truth[QStringLiteral("fade")].toObject();
    const auto after = size_t(fade[QStringLiteral("first_frame_after")].toInt());
    for (size_t i = 1; i < 4000; ++i)
        EXPECT_NEAR(seconds(i) - seconds(i - 1),
                    i == after ? fade[QStringLiteral("frames_lost")].toDouble() + 1.0 : 1.0, 0.01)
            << i;

    // The burst frame has the lowest pressure, at 15 km 121.11 hPa in the
    // standard atmosphere; every fault is in its frame.
    const auto top = size_t(truth[QStringLiteral("burst")][QStringLiteral("frame")].toInt());
    EXPECT_NEAR(frames[top].Value(2), 121.11, 0.02);
    EXPECT_GT(frames[top - 1].Value(2), frames[top].Value(2));
    EXPECT_GT(frames[top + 1].Value(2), frames[top].Value(2));
    // Each described temperature spike is in its frame (the fade aside).
    const QJsonArray faults = truth[QStringLiteral("faults")][QStringLiteral("list")].toArray();
    EXPECT_GE(faults.size(), 14);
    for (const QJsonValue &fault : faults) {
        const auto i = size_t(fault[QStringLiteral("frame")].toInt());
        if (fault[QStringLiteral("kind")] == QStringLiteral("temperature") && i != after &&
            i + 1 != after) {
            EXPECT_NEAR(frames[i].Value(1) -
                            0.5 * (frames[i - 1].Value(1) + frames[i + 1].Value(1)),
                        fault[QStringLiteral("value")].toDouble(), 0.05)
                << i;
        }
    }
}
