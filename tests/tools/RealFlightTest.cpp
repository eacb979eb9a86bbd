// The sounding products of real flights, end to end through the simulator
// and ventrel-render: time on the ground, the station's observation, the
// burst, runs that begin aloft, and the station's time zone.
#include "devices/LogFormat.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <eccodes.h>
#include <gtest/gtest.h>

namespace {

struct TProgram
{
    int ExitCode = -1;
    QByteArray Output;
    QString Errors;
};

TProgram
RunProgram(const QString &program, const QStringList &arguments,
           const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VENTREL_BIN_DIR "/") + program, arguments);
    TProgram run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Output = process.readAllStandardOutput();
    run.Errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

class RealFlight : public ::testing::Test
{
  protected:
    // A simulated flight as its run log; the simulator's own account of it.
    QJsonObject Simulate(const QString &name, const QStringList &options)
    {
        const TProgram sim =
            RunProgram(QStringLiteral("kestrin-sim"),
                       QStringList{"--write-log", Path(name), "--describe"} + options);
        EXPECT_EQ(sim.ExitCode, 0) << sim.Errors.toStdString();
        return QJsonDocument::fromJson(sim.Output).object();
    }
    // The products of a log: its summary as JSON and its TEMP.
    std::pair<QJsonObject, QByteArray> Products(const QString &log, const QStringList &options)
    {
        const QString summary = Path(log + ".json"), temp = Path(log + ".temp");
        const TProgram render = RunProgram(
            QStringLiteral("ventrel-render"),
            QStringList{Path(log), "--summary", summary, "--temp", temp, "--station", "03808"} +
                options);
        EXPECT_EQ(render.ExitCode, 0) << render.Errors.toStdString();
        return {QJsonDocument::fromJson(ReadFileBytes(summary)).object(), ReadFileBytes(temp)};
    }
    QString Path(const QString &name) const { return Dir.filePath(name); }

    LocaleGuard Locale{"C"};
    QTemporaryDir Dir;
};

} // namespace

// Fifteen minutes on the ground (the sonde warm and its barometer noisy), a
// burst at 30 km and, once, a sonde that reads 0.8 hPa high: with the
// station's observation the products are those of the same flight without a
// ground phase, whose observation is its own first frame.
TEST_F(RealFlight, GroundPhaseAndBurstLeaveTheProductsAsTheAscentAlone)
{
    for (const char *offset : {"0", "0.8"}) {
        SCOPED_TRACE(offset);
        const QStringList common{"--burst", "30000", "--ground-offset", offset};
        const QJsonObject truth =
            Simulate("ground.txt", common + QStringList{"--frames", "9000", "--ground", "900",
                                                        "--start", "2026-12-07T10:45:00"});
        Simulate("ascent.txt",
                 common + QStringList{"--frames", "8100", "--start", "2026-12-07T11:00:00"});
        // The surface observation: the ascent's first frame.
        TRunLog first = ReadRunLog(Path("ascent.txt"));
        const QStringList cells = first.DataLines[0].split(QLatin1Char('\t'));
        const QStringList surface{"--surface", cells[3] + "," + cells[2] + "," + cells[4]};
        const auto [ground, groundTemp] = Products("ground.txt", surface);
        const auto [ascent, ascentTemp] = Products("ascent.txt", surface);

        EXPECT_EQ(ground["release"].toString(), QStringLiteral("automatic"));
        EXPECT_EQ(ascent["release"].toString(), QStringLiteral("first frame"));
        EXPECT_NEAR(ground["ground_minutes"].toDouble(), 15.0, 0.1);
        EXPECT_EQ(ground["surface_source"].toString(), QStringLiteral("observation"));
        EXPECT_EQ(ground["launch_time_utc"], ascent["launch_time_utc"]);
        for (const char *key : {"lifted_index", "showalter_index", "k_index", "total_totals"})
            EXPECT_NEAR(ground[key].toDouble(), ascent[key].toDouble(), 0.2) << key;
        EXPECT_NEAR(ground["cape_J_kg"].toDouble(), ascent["cape_J_kg"].toDouble(),
                    std::max(10.0, 0.05 * ascent["cape_J_kg"].toDouble()));
        // The standard surfaces and significant levels, group for group.
        EXPECT_EQ(groundTemp, ascentTemp);
        EXPECT_EQ(ground["termination"].toInt(), 1);
        EXPECT_EQ(ground["termination_text"].toString(), QStringLiteral("balloon burst"));
        // The simulator's air is the dry standard atmosphere, though its
        // sonde reports humidity: the products' heights, integrated with the
        // virtual temperature, lie some tens of metres above it at 30 km; a
        // sensor reading 0.8 hPa high takes its own toll up there.
        if (QLatin1String(offset) == QLatin1String("0")) {
            EXPECT_LE(std::fabs(ground["burst_height_m"].toDouble() -
                                truth["burst"].toObject()["altitude_m"].toDouble()),
                      100.0);
        }
    }
}

// A garbled first frame never becomes the surface; data that begin aloft or
// only descend give no TEMP and say why; the station's zone decides the
// report's time, whatever the machine's.
TEST_F(RealFlight, OddStartsAndTheStationsTimeZone)
{
    Simulate("flight.txt", {"--frames", "3000", "--start", "2026-12-07T11:00:00"});
    const QStringList lines =
        QString::fromLocal8Bit(ReadFileBytes(Path("flight.txt"))).split(QStringLiteral("\r\n"));
    auto write = [&](const QString &name, QStringList data) {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((lines.mid(0, 4) + data).join(QStringLiteral("\r\n")).toLocal8Bit());
    };
    QStringList garbled = lines.mid(4);
    QStringList fields = garbled[0].split(QLatin1Char('\t'));
    fields[3] = QStringLiteral("12.3");
    garbled[0] = fields.join(QLatin1Char('\t'));
    write("garbled.txt", garbled);
    // 700 hPa is reached after about 3,000 m, 600 frames.
    write("late.txt", lines.mid(4 + 600));
    // The receiver caught only the fall after a burst at 8 km.
    const int burst = Simulate("burst.txt", {"--frames", "3000", "--burst", "8000"})["burst"]
                          .toObject()["frame"]
                          .toInt();
    const QStringList fall =
        QString::fromLocal8Bit(ReadFileBytes(Path("burst.txt"))).split(QStringLiteral("\r\n"));
    write("descent.txt", fall.mid(4 + burst + 60));

    const auto [summary, temp] = Products("garbled.txt", {});
    EXPECT_GT(summary["surface"].toObject()["pressure_hPa"].toDouble(), 1000.0);
    for (const auto &[name, words] :
         {std::pair{"late.txt", "begin aloft"}, std::pair{"descent.txt", "only descend"}}) {
        const TProgram render =
            RunProgram(QStringLiteral("ventrel-render"),
                       {Path(name), "--temp", Path("x.temp"), "--station", "03808"});
        EXPECT_EQ(render.ExitCode, 1) << name;
        EXPECT_TRUE(render.Errors.contains(QLatin1String(words))) << render.Errors.toStdString();
        EXPECT_FALSE(QFile::exists(Path("x.temp")));
    }

    // 11:00 local: 11 UTC in London's winter, 02 UTC from Tokyo, 16 UTC
    // from New York, whatever zone the converting machine is in.
    for (const char *machine : {"UTC", "Asia/Tokyo", "America/New_York"}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TZ"), QLatin1String(machine));
        for (const auto &[zone, yygg] :
             {std::pair{"Europe/London", "0711/"}, std::pair{"Asia/Tokyo", "0702/"},
              std::pair{"America/New_York", "0716/"}}) {
            const TProgram render = RunProgram(QStringLiteral("ventrel-render"),
                                               {Path("flight.txt"), "--temp", Path("z.temp"),
                                                "--station", "03808", "--time-zone", zone},
                                               environment);
            EXPECT_EQ(render.ExitCode, 0) << render.Errors.toStdString();
            EXPECT_TRUE(ReadFileBytes(Path("z.temp")).startsWith(QByteArray("TTAA ") + yygg))
                << machine << " " << zone;
        }
    }
}

// A two-hour flight with the simulator's faults (temperature spikes, pressure
// jumps, humidities of 0 and 110 %, a signal fade) gives the products of the
// same flight without them, but for the fade, whose edges the BUFR flags as
// the beginning and end of missing data.
TEST_F(RealFlight, ScreeningTakesTheFaultsOut)
{
    const QStringList flight{"--frames", "7200", "--start", "2026-12-07T11:00:00"};
    Simulate("clean.txt", flight);
    const QJsonObject faults = Simulate("faults.txt", flight + QStringList{"--faults", "1"});
    const QStringList station{"--latitude", "50.2", "--longitude", "-5.3", "--bufr"};
    const auto [clean, cleanTemp] = Products("clean.txt", station + QStringList{Path("c.bufr")});
    const auto [faulty, faultyTemp] = Products("faults.txt", station + QStringList{Path("f.bufr")});

    for (const char *key : {"lifted_index", "showalter_index", "k_index", "total_totals"})
        EXPECT_NEAR(faulty[key].toDouble(), clean[key].toDouble(), 0.3) << key;
    const QJsonObject screened = faulty["screened"].toObject();
    EXPECT_GE(screened["temperature"].toInt(), 10);
    EXPECT_GE(screened["pressure"].toInt(), 2);
    EXPECT_EQ(clean["gaps"].toArray().size(), 0);
    const QJsonArray gaps = faulty["gaps"].toArray();
    ASSERT_EQ(gaps.size(), 2); // the fade: temperature and humidity
    // Parts A, B and C as they were; part D gains the fade's edges only.
    const QList<QByteArray> cleanParts = cleanTemp.split('\n'),
                            faultyParts = faultyTemp.split('\n');
    ASSERT_EQ(cleanParts.size(), faultyParts.size());
    for (int part = 0; part < 6; ++part)
        EXPECT_EQ(faultyParts[part], cleanParts[part]) << part;

    codes_handle *h = codes_handle_new_from_message_copy(
        nullptr, ReadFileBytes(Path("f.bufr")).constData(), ReadFileBytes(Path("f.bufr")).size());
    ASSERT_TRUE(h);
    ASSERT_EQ(codes_set_long(h, "unpack", 1), 0);
    size_t size = 0;
    codes_get_size(h, "extendedVerticalSoundingSignificance", &size);
    std::vector<long> flags(size), pressures(size);
    codes_get_long_array(h, "extendedVerticalSoundingSignificance", flags.data(), &size);
    codes_get_long_array(h, "pressure", pressures.data(), &size);
    codes_handle_delete(h);
    // Bits 8 to 11 of 0 08 042 (bit 1 the leftmost of 18).
    auto pressureWith = [&](long bit) {
        for (size_t i = 0; i < flags.size(); ++i)
            if (flags[i] & (1L << (18 - bit)))
                return pressures[i] / 100.0;
        return -1.0;
    };
    for (const QJsonValue &gap : gaps) {
        const bool temperature = gap["what"].toString() == QLatin1String("temperature");
        EXPECT_NEAR(pressureWith(temperature ? 8 : 10), gap["from_hPa"].toDouble(), 0.05);
        EXPECT_NEAR(pressureWith(temperature ? 9 : 11), gap["to_hPa"].toDouble(), 0.05);
    }
    EXPECT_GT(faults["fade"].toObject()["frames_lost"].toInt(), 100);
}

// --bulletins: each report in its bulletin under its WMO name, the BUFR's
// message the --bufr file's, the sequence numbers in order.
TEST_F(RealFlight, BulletinsOfARenderedFlight)
{
    Simulate(QStringLiteral("f.txt"), {"--frames", "700", "--step", "10", "--burst", "30000"});
    const TProgram render =
        RunProgram(QStringLiteral("ventrel-render"),
                   {Path("f.txt"), "--temp", Path("t"), "--bufr", Path("b"), "--station", "03808",
                    "--latitude", "50.2", "--longitude", "-5.3", "--bulletins", Path("out"),
                    "--heading", "UK01", "--centre", "EGRR"});
    ASSERT_EQ(render.ExitCode, 0) << render.Errors.toStdString();
    const QStringList files = QDir(Path("out")).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 5) << files.join(' ').toStdString();
    const char *const t1t2[] = {"IUSA01", "UEUK01", "UKUK01", "ULUK01", "USUK01"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(files[i].startsWith(QStringLiteral("A_%1EGRR").arg(QLatin1String(t1t2[i]))))
            << files[i].toStdString();
        EXPECT_TRUE(files[i].endsWith(i == 0 ? QStringLiteral(".bin") : QStringLiteral(".txt")));
        const QByteArray bytes = ReadFileBytes(QDir(Path("out")).filePath(files[i]));
        EXPECT_TRUE(bytes.startsWith("\x01\r\r\n00")) << files[i].toStdString();
        EXPECT_TRUE(bytes.endsWith("\r\r\n\x03"));
    }
    EXPECT_TRUE(
        ReadFileBytes(QDir(Path("out")).filePath(files[0])).contains(ReadFileBytes(Path("b"))));
}
