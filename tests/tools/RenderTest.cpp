// ventrel-render end to end: the built program on small logs and documents.
#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "pipeline/GraphSettingsDocument.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

constexpr double Start = 46000.5;

struct TRun
{
    int ExitCode = -1;
    QString Output;
    QString Errors;
};

TRun Render(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(VENTREL_BIN_DIR "/ventrel-render"), arguments);
    TRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Output = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.Errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// A run log of three frames at the launch level (so every altitude is the
// launch elevation and every rise rate 0), the second with a failed humidity.
QStringList FlightLog(TKestrinResult &configuration)
{
    configuration.ParseConfiguration(QStringLiteral("1MP:TPUVNNNF"));
    QStringList lines = LogHeaderLines(configuration, 100.0);
    for (int i = 0; i < 3; ++i) {
        TKestrinResult frame = configuration;
        frame.SetTime(Start + i / 1440.0);
        frame.SetValue(1, 15.0);
        frame.SetValue(2, 1000.0);
        frame.SetValue(3, i == 1 ? NoValue : 50.0);
        frame.SetValue(4, 9.2);
        frame.SetValue(8, 48.0);
        frame.SetRawText(QStringLiteral("7A0%1").arg(i));
        lines << FormatLogLine(frame);
    }
    return lines;
}

// A log of an ascent: a frame every 30 seconds, 20 mbar higher each time,
// the eleventh with a failed humidity; or with every pressure failed.
QStringList AscentLog(TKestrinResult &configuration, bool pressure = true)
{
    configuration.ParseConfiguration(QStringLiteral("1MP:TPUVNNNF"));
    QStringList lines = LogHeaderLines(configuration, 100.0);
    for (int i = 0; i < 30; ++i) {
        TKestrinResult frame = configuration;
        frame.SetTime(Start + i / 2880.0);
        for (auto [channel, value] : {std::pair{1, 25.0 - 0.5 * i},
                                      {2, pressure ? 1000.0 - 20.0 * i : NoValue},
                                      {3, i == 10 ? NoValue : 80.0 - i},
                                      {4, 9.2},
                                      {8, 48.0}})
            frame.SetValue(channel, value);
        lines << FormatLogLine(frame);
    }
    return lines;
}

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

} // namespace

TEST(VentrelRender, WritesTheReportTheSettingsDocumentAndTheImages)
{
    LocaleGuard locale("C");
    QTemporaryDir dir;
    TKestrinResult configuration;
    const QStringList log = FlightLog(configuration);
    const QString input = WriteFile(dir, QStringLiteral("flight.txt"), EncodeLogLines(log));
    auto path = [&](const char *name) { return dir.filePath(QString::fromLatin1(name)); };

    const TRun run = Render({input, "--report", path("report.txt"), "--save-graphs",
                             path("graphs.xml"), "--standard", path("standard.png"), "--skewt",
                             path("skewt.bmp"), "--time", path("time.png"), "--size", "400x300"});
    ASSERT_EQ(run.ExitCode, 0) << run.Errors.toStdString();
    EXPECT_TRUE(run.Errors.isEmpty()) << run.Errors.toStdString();

    const QString values = QStringLiteral("\t15\t1000\t50\t9.200\t48\t%1\t100\t0")
                               .arg(FormatFixed(DewPoint(15.0, 50.0), 1));
    EXPECT_EQ(ReadFileBytes(path("report.txt")),
              EncodeLogLines({"Kestrin Report", "LogFile: flight.txt", "",
                              "Time\tCh1 T\tCh2 P\tCh3 U\tCh4 V\tCh8 F\tDewpt\tAlt\tRise",
                              "\t(degC)\t(mbar)\t(%RH)\t(volt)\t(Hz)\t(degC)\t(m)\t(m/min)",
                              FormatLongTime(Start) + values,
                              FormatLongTime(Start + 2 / 1440.0) + values}));

    EXPECT_EQ(QImage(path("standard.png")).size(), QSize(400, 300));
    EXPECT_EQ(QImage(path("time.png")).size(), QSize(400, 300));
    EXPECT_TRUE(ReadFileBytes(path("skewt.bmp")).startsWith("BM"));
    EXPECT_EQ(QImage(path("skewt.bmp")).size(), QSize(400, 300));

    const TGraphSettings saved = ReadGraphSettings(path("graphs.xml"));
    EXPECT_EQ(saved.RecordedLines, log.mid(4));
    EXPECT_EQ(saved.StandardParameters.Width(), 400);
    EXPECT_EQ(saved.TimeParameters.Height(), 300);
    EXPECT_EQ(saved.CurrentGraph, gtStandard);
    EXPECT_EQ(saved.DisplayedUnit, luMeters);

    // The document replays to the same document, and prints in feet.
    const TRun again =
        Render({path("graphs.xml"), "--save-graphs", path("again.xml"), "--size", "400x300",
                "--print", "--feet", "--time", path("print.png"), "--report", path("feet.txt")});
    ASSERT_EQ(again.ExitCode, 0) << again.Errors.toStdString();
    QByteArray resaved = ReadFileBytes(path("again.xml"));
    resaved.replace(">Feet<", ">Meters<");
    EXPECT_EQ(resaved, ReadFileBytes(path("graphs.xml")));
    EXPECT_EQ(QImage(path("print.png")).size(), QSize((400 + 120) * 5, 300 * 5));
    EXPECT_TRUE(QString::fromLocal8Bit(ReadFileBytes(path("feet.txt")))
                    .contains(QStringLiteral("\t(degC)\t(ft)\t(ft/min)\r\n")));
}

TEST(VentrelRender, ExportsAndAnalysisOverlays)
{
    LocaleGuard locale("de_DE.UTF-8");
    QTemporaryDir dir;
    TKestrinResult configuration;
    const QString input =
        WriteFile(dir, QStringLiteral("ascent.txt"), EncodeLogLines(AscentLog(configuration)));
    auto path = [&](const char *name) { return dir.filePath(QString::fromLatin1(name)); };

    const QStringList station{"--station", "03808", "--latitude", "50.2", "--longitude", "-5.3"};
    const TRun run = Render(QStringList{input,
                                        "--csv",
                                        path("data.csv"),
                                        "--sharppy",
                                        path("sounding.txt"),
                                        "--analysis",
                                        "--skewt",
                                        path("analysis.png"),
                                        "--save-graphs",
                                        path("graphs.xml"),
                                        "--size",
                                        "400x300",
                                        "--levels",
                                        path("levels.csv"),
                                        "--summary",
                                        path("summary.json"),
                                        "--temp",
                                        path("temp.txt"),
                                        "--bufr",
                                        path("report.bufr")} +
                            station);
    ASSERT_EQ(run.ExitCode, 0) << run.Errors.toStdString();
    // Every frame in the CSV, with a decimal point; the sounding from the 29
    // frames without an error.
    const QList<QByteArray> csv = ReadFileBytes(path("data.csv")).split('\n');
    ASSERT_EQ(csv.size(), 32);
    EXPECT_TRUE(csv[0].startsWith("Date Time,Time,Ch1 T (degC),Ch2 P (mbar),Ch3 U (%RH),"));
    EXPECT_TRUE(csv[11].contains(",20,800,,9.2,48,,")) << csv[11].toStdString();
    const QByteArray sounding = ReadFileBytes(path("sounding.txt"));
    EXPECT_EQ(sounding.mid(sounding.indexOf("%RAW%")).count('\n'), 1 + 29 + 1);
    EXPECT_TRUE(sounding.contains("\n  420.00,"));
    // Levels up to 420 hPa, the station from the options, kept in the document.
    const QByteArray levels = ReadFileBytes(path("levels.csv"));
    EXPECT_TRUE(levels.contains("\r\nsurface,1000.0,100,25.0,")) << levels.toStdString();
    EXPECT_TRUE(levels.contains("\r\nstandard,500.0,")) << levels.toStdString();
    EXPECT_FALSE(levels.contains("\r\nstandard,400.0,"));
    EXPECT_TRUE(ReadFileBytes(path("summary.json")).contains("\"longitude\": -5.3,"));
    EXPECT_TRUE(ReadFileBytes(path("temp.txt")).startsWith("TTAA "));
    EXPECT_TRUE(ReadFileBytes(path("report.bufr")).startsWith("BUFR"));
    EXPECT_EQ(ReadGraphSettings(path("graphs.xml")).Station.Number, QStringLiteral("03808"));
    // The overlays are drawn, but the settings document keeps them as loaded.
    const TRun plain = Render({input, "--skewt", path("plain.png"), "--size", "400x300"});
    ASSERT_EQ(plain.ExitCode, 0) << plain.Errors.toStdString();
    EXPECT_NE(QImage(path("analysis.png")), QImage(path("plain.png")));
    EXPECT_FALSE(ReadGraphSettings(path("graphs.xml")).SkewTParameters.ShowAnalysis());

    // No sounding to export: nothing at all is written.
    QTemporaryDir empty;
    const QString flat = WriteFile(empty, QStringLiteral("flat.txt"),
                                   EncodeLogLines(AscentLog(configuration, false)));
    const TRun failed = Render({flat, "--csv", empty.filePath("d.csv"), "--report",
                                empty.filePath("r.txt"), "--sharppy", empty.filePath("s.txt")});
    EXPECT_EQ(failed.ExitCode, 1);
    EXPECT_TRUE(failed.Errors.startsWith("ventrel-render: There is no sounding to export"))
        << failed.Errors.toStdString();
    EXPECT_EQ(QDir(empty.path()).entryList(QDir::Files), QStringList({"flat.txt"}));
}

TEST(VentrelRender, BadInputWritesNothing)
{
    LocaleGuard locale("C");
    QTemporaryDir dir;
    TKestrinResult configuration;
    QStringList log = FlightLog(configuration);
    log[1] = QStringLiteral("Configuration\t1XP:TPU");
    const QString badLog = WriteFile(dir, QStringLiteral("bad.txt"), EncodeLogLines(log));
    const QString goodLog =
        WriteFile(dir, QStringLiteral("good.txt"), EncodeLogLines(FlightLog(configuration)));
    TGraphSettings settings;
    settings.DataParameters.Configuration() = configuration;
    QString document = QString::fromUtf8(GraphSettingsToBytes(settings));
    document.replace(QStringLiteral("<AxisNumber>1</AxisNumber>"),
                     QStringLiteral("<AxisNumber>4</AxisNumber>"));
    const QString badDocument = WriteFile(dir, QStringLiteral("bad.xml"), document.toUtf8());
    const QStringList outputs{"--report", dir.filePath("r.txt"), "--standard",
                              dir.filePath("s.png")};

    const struct
    {
        QStringList Arguments;
        QString Message;
    } cases[] = {
        {QStringList{badLog} + outputs, "ventrel-render: "},
        {QStringList{badDocument} + outputs, "ventrel-render: Standard graph: Std:"},
        {QStringList{dir.filePath("missing.txt")} + outputs,
         "ventrel-render: Could not open file " + dir.filePath("missing.txt")},
        {QStringList{badDocument, "--size", "0x600"} + outputs, "ventrel-render: --size must"},
        {QStringList{badDocument, "--time", dir.filePath("t.jpg")} + outputs,
         "ventrel-render: cannot tell the image format"},
        {QStringList{badLog, "--csv", dir.filePath("r.txt")} + outputs,
         "ventrel-render: --report and --csv name the same file"},
        {QStringList{badLog, "--station", "3808"} + outputs,
         "ventrel-render: --station: The station number must be five digits"},
        {QStringList{badLog, "--latitude", "91"} + outputs,
         "ventrel-render: --latitude: The latitude must be between -90 and 90"},
        {QStringList{badLog, "--longitude", "east"} + outputs,
         "ventrel-render: --longitude: \"east\" is not a number"},
        {QStringList{goodLog, "--temp", dir.filePath("t.txt")} + outputs,
         "ventrel-render: --temp needs a station number (--station)"},
        {QStringList{goodLog, "--bufr", dir.filePath("b.bufr"), "--station", "03808"} + outputs,
         "ventrel-render: --bufr needs a latitude and a longitude (--latitude, --longitude)"},
        {QStringList{goodLog, "--bulletins", dir.filePath("out"), "--heading", "UK01", "--centre",
                     "EGRR"} +
             outputs,
         "ventrel-render: --bulletins makes the bulletins of the reports asked for"},
        {QStringList{goodLog, "--heading", "UK01"} + outputs,
         "ventrel-render: --heading and --centre go with --bulletins"},
    };
    for (const auto &c : cases) {
        const TRun run = Render(c.Arguments);
        EXPECT_EQ(run.ExitCode, 1) << c.Arguments.join(' ').toStdString();
        EXPECT_TRUE(run.Errors.startsWith(c.Message)) << run.Errors.toStdString();
        EXPECT_EQ(run.Errors.count(QLatin1Char('\n')), 1) << run.Errors.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              QStringList({"bad.txt", "bad.xml", "good.txt"}));

    const TRun help = Render({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    for (const char *option :
         {"--save-graphs FILE", "--csv FILE", "--sharppy FILE", "--analysis", "--levels FILE",
          "--summary FILE", "--station IIiii", "--temp FILE", "--bufr FILE"})
        EXPECT_TRUE(help.Output.contains(QLatin1String(option))) << option;
}

// --out-dir: every input as DIR/NAME.EXT, byte for byte what the single form
// writes; a failing input named on its line, the others still written, exit
// status 1 at the end; no progress bar when standard error is not a terminal.
TEST(VentrelRender, ConvertsAnArchiveIntoAFolder)
{
    LocaleGuard locale("C");
    QTemporaryDir dir;
    TKestrinResult configuration;
    // Two ascents (the sounding products take the ascent only).
    const QString flight = WriteFile(dir, QStringLiteral("flight.txt"),
                                     EncodeLogLines(AscentLog(configuration).mid(0, 20)));
    const QString ascent =
        WriteFile(dir, QStringLiteral("ascent.2026.log"), EncodeLogLines(AscentLog(configuration)));
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));
    QStringList badLog = FlightLog(configuration);
    badLog[1] = QStringLiteral("Configuration\t1XP:TPU");
    const QString bad = WriteFile(dir, QStringLiteral("bad.txt"), EncodeLogLines(badLog));
    const QString out = dir.filePath(QStringLiteral("out/archive"));
    const QStringList kinds{"report", "save-graphs", "csv",      "sharppy", "levels", "summary",
                            "temp",   "bufr",        "standard", "skewt",   "time"};
    const QStringList suffixes{".report.txt",   ".xml",          ".csv",      ".sharppy.txt",
                               ".levels.csv",   ".summary.json", ".temp.txt", ".bufr",
                               ".standard.png", ".skewt.png",    ".time.png"};
    const QStringList station{"--station", "03808", "--latitude", "50.2", "--longitude", "-5.3"};

    QStringList arguments = QStringList{"--out-dir", out, "--size", "300x200"} + station;
    for (const QString &kind : kinds)
        arguments << "--" + kind;
    const TRun run = Render(arguments + QStringList{flight, missing, bad, ascent});
    EXPECT_EQ(run.ExitCode, 1);
    const QStringList errors = run.Errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(errors.size(), 2) << run.Errors.toStdString();
    EXPECT_TRUE(run.Errors.contains("ventrel-render: " + missing + ": Could not open file " +
                                    missing + "\n"))
        << run.Errors.toStdString();
    EXPECT_TRUE(run.Errors.contains("ventrel-render: " + bad + ": ")) << run.Errors.toStdString();
    QStringList written;
    for (const QString &suffix : suffixes)
        written << "ascent.2026" + suffix << "flight" + suffix;
    written.sort();
    EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), written);

    // The same outputs by the single form.
    QStringList single = QStringList{ascent, "--size", "300x200"} + station;
    for (qsizetype i = 0; i < kinds.size(); ++i)
        single << "--" + kinds[i] << dir.filePath("single" + suffixes[i]);
    ASSERT_EQ(Render(single).ExitCode, 0);
    for (const QString &suffix : suffixes)
        EXPECT_EQ(ReadFileBytes(out + "/ascent.2026" + suffix),
                  ReadFileBytes(dir.filePath("single" + suffix)))
            << suffix.toStdString();

    // Two inputs of one name would overwrite each other: refused before anything runs.
    QDir().mkpath(dir.filePath("other"));
    const QString twin = dir.filePath("other/flight.txt");
    QFile::copy(flight, twin);
    const TRun twins = Render({"--out-dir", dir.filePath("twins"), "--report", flight, twin});
    EXPECT_EQ(twins.ExitCode, 1);
    EXPECT_TRUE(twins.Errors.startsWith("ventrel-render: " + flight + " and " + twin))
        << twins.Errors.toStdString();
    EXPECT_FALSE(QDir(dir.filePath("twins")).exists());

    // A report that needs the station fails each input that lacks it.
    const TRun unnamed = Render({"--out-dir", dir.filePath("unnamed"), "--temp", flight});
    EXPECT_EQ(unnamed.ExitCode, 1);
    EXPECT_EQ(unnamed.Errors,
              "ventrel-render: " + flight + ": --temp needs a station number (--station)\n");
}

// No output replaces an input, whatever path, link or --out-dir name leads to
// it, nor another output: refused in one line naming both, nothing written.
TEST(VentrelRender, NoOutputReplacesAnInputOrAnotherOutput)
{
    LocaleGuard locale("C");
    QTemporaryDir dir;
    TKestrinResult configuration;
    const QByteArray log = EncodeLogLines(FlightLog(configuration));
    const QString input = WriteFile(dir, QStringLiteral("f.txt"), log);
    const QString csvLog = WriteFile(dir, QStringLiteral("f010.csv"), log);
    const QString levelsLog = WriteFile(dir, QStringLiteral("f.levels.log"), log);
    TGraphSettings settings;
    settings.DataParameters.Configuration() = configuration;
    const QString document =
        WriteFile(dir, QStringLiteral("graphs.xml"), GraphSettingsToBytes(settings));
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(input, link));
    const QString hard = dir.filePath(QStringLiteral("hard.txt"));
    ASSERT_EQ(::link(QFile::encodeName(input).constData(), QFile::encodeName(hard).constData()), 0);
    const QStringList station{"--station", "03808"};
    const QString folder = dir.path();

    const struct
    {
        QStringList Arguments;
        QString Message;
    } cases[] = {
        {QStringList{input, "--temp", input} + station,
         "--temp " + input + " is the input " + input},
        {QStringList{input, "--report", link}, "--report " + link + " is the input " + input},
        {QStringList{input, "--csv", hard}, "--csv " + hard + " is the input " + input},
        {QStringList{input, "--report", folder + "/./x.csv", "--csv", dir.filePath("x.csv")},
         "--report and --csv name the same file " + dir.filePath("x.csv")},
        {{"--out-dir", folder, "--csv", csvLog},
         "--csv " + folder + "/f010.csv is the input " + csvLog},
        {{"--out-dir", folder, "--save-graphs", document},
         "--save-graphs " + folder + "/graphs.xml is the input " + document},
        {{"--out-dir", dir.filePath("out"), "--csv", "--levels", input, levelsLog},
         "--levels of " + input + " and --csv of " + levelsLog + " would both write " +
             dir.filePath("out/f.levels.csv")},
    };
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const auto &c : cases) {
        const TRun run = Render(c.Arguments);
        EXPECT_EQ(run.ExitCode, 1) << c.Arguments.join(' ').toStdString();
        EXPECT_EQ(run.Errors.toStdString(), ("ventrel-render: " + c.Message + "\n").toStdString());
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), files);
    EXPECT_FALSE(QDir(dir.filePath("out")).exists());
    for (const QString &file : {input, csvLog, levelsLog})
        EXPECT_EQ(ReadFileBytes(file), log);
}

// Inputs that are no files or no flights are refused in one line and at once;
// an output that is a device or a pipe is written to, never replaced; what
// ecCodes says is part of the input's line.
TEST(VentrelRender, InputsAndOutputsThatAreNoPlainFiles)
{
    LocaleGuard locale("C");
    QTemporaryDir dir;
    TKestrinResult configuration;
    const QString flight =
        WriteFile(dir, QStringLiteral("flight.txt"), EncodeLogLines(AscentLog(configuration)));
    const QString pipe = dir.filePath(QStringLiteral("pipe.txt"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // A program's file given by mistake: it begins as any ELF binary does.
    QByteArray garbage("\x7F"
                       "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0",
                       20);
    for (int i = 0; i < 10000; ++i)
        garbage += char((i * 7919) % 251);
    const QString binary = WriteFile(dir, QStringLiteral("garbage.bin"), garbage);
    QStringList low = AscentLog(configuration);
    low[2] = QStringLiteral("Launch Elevation (m):\t-450"); // possible, but not in BUFR
    const QString dead = WriteFile(dir, QStringLiteral("deadsea.txt"), EncodeLogLines(low));
    low[2] = QStringLiteral("Launch Elevation (m):\t1e30");
    const QString space = WriteFile(dir, QStringLiteral("space.txt"), EncodeLogLines(low));
    const QStringList station{"--station", "03808", "--latitude", "31.5", "--longitude", "35.5"};
    const QString out = dir.filePath(QStringLiteral("out"));

    const struct
    {
        QStringList Arguments;
        QString Message; // the whole of standard error
    } cases[] = {
        {{pipe, "--csv", dir.filePath("p.csv")},
         "Cannot read " + pipe + ": it is a named pipe, not a regular file"},
        {{"/dev/zero", "--csv", dir.filePath("z.csv")},
         "Cannot read /dev/zero: it is a character device, not a regular file"},
        {{binary, "--csv", dir.filePath("b.csv")},
         binary + " is neither a run log nor a graph settings document: its first lines hold "
                  "characters that are not text"},
        {{space, "--csv", dir.filePath("s.csv"), "--skewt", dir.filePath("s.png")},
         "The launch elevation 1e+30 m is outside the possible -500 to 9000 m (line 3 of log "
         "file " +
             space + ")"},
        {{flight, "--print", "--size", "10000x10000", "--skewt", dir.filePath("big.png")},
         "--size 10000x10000 with --print makes images of 50600x50000 pixels; the most is 100 "
         "megapixels"},
        {QStringList{flight, "--temp", "/dev/full"} + station,
         "Cannot write /dev/full: No space left on device"},
        // A flight beside a pipe in an archive: the pipe refused, the flight
        // written.
        {{"--out-dir", out, "--csv", pipe, flight},
         pipe + ": Cannot read " + pipe + ": it is a named pipe, not a regular file"},
    };
    for (const auto &c : cases) {
        const TRun run = Render(c.Arguments);
        EXPECT_EQ(run.ExitCode, 1) << c.Arguments.join(' ').toStdString();
        EXPECT_EQ(run.Errors.toStdString(), ("ventrel-render: " + c.Message + "\n").toStdString());
    }
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList{"flight.csv"});
    QFileInfo full(QStringLiteral("/dev/full"));
    EXPECT_FALSE(full.isFile());

    // Standard output as the shell opened it: a file to append to is
    // appended to, not replaced.
    const QString appended = WriteFile(dir, QStringLiteral("temps.txt"), "earlier\n");
    QProcess process;
    process.setStandardOutputFile(appended, QIODevice::Append);
    process.start(QStringLiteral(VENTREL_BIN_DIR "/ventrel-render"),
                  QStringList{flight, "--temp", "/dev/stdout"} + station);
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(ReadFileBytes(appended).startsWith("earlier\nTTAA "));

    const TRun bufr = Render(QStringList{"--out-dir", out, "--bufr", dead} + station);
    EXPECT_EQ(bufr.ExitCode, 1);
    EXPECT_EQ(bufr.Errors.count(QLatin1Char('\n')), 1) << bufr.Errors.toStdString();
    EXPECT_TRUE(bufr.Errors.startsWith("ventrel-render: " + dead +
                                       ": ecCodes could not encode the BUFR report ("))
        << bufr.Errors.toStdString();
    EXPECT_TRUE(bufr.Errors.contains(
        QStringLiteral("(ecCodes: encode_double_value: heightOfStationGroundAboveMeanSeaLevel")))
        << bufr.Errors.toStdString();
}

// SIGINT or SIGTERM during an archive conversion: the flights under way are
// finished, no new one is begun, and every flight is there whole or not at
// all, with no temporary left; one last line and 128 + the signal.
TEST(VentrelRender, AnInterruptedArchiveLeavesNoFlightHalfConverted)
{
    LocaleGuard locale("C");
    QTemporaryDir dir;
    TKestrinResult configuration;
    const QByteArray log = EncodeLogLines(AscentLog(configuration));
    QStringList inputs;
    for (int i = 0; i < 400; ++i)
        inputs << WriteFile(dir, QStringLiteral("f%1.txt").arg(i, 3, 10, QLatin1Char('0')), log);
    const QStringList suffixes{".csv", ".report.txt", ".skewt.png"};
    for (const auto &[signal, name, status] :
         {std::tuple{SIGINT, "SIGINT", 130}, std::tuple{SIGTERM, "SIGTERM", 143}}) {
        SCOPED_TRACE(name);
        const QString out = dir.filePath(QLatin1String(name));
        QProcess process;
        process.start(
            QStringLiteral(VENTREL_BIN_DIR "/ventrel-render"),
            QStringList{"--out-dir", out, "--csv", "--report", "--skewt", "--size", "300x200"} +
                inputs);
        ASSERT_TRUE(process.waitForStarted());
        ASSERT_TRUE(WaitFor([&] { return !QDir(out).entryList(QDir::Files).isEmpty(); },
                            std::chrono::seconds(60)));
        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), status);
        const QStringList errors = QString::fromLocal8Bit(process.readAllStandardError())
                                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].startsWith(
            QStringLiteral("ventrel-render: interrupted by %1: ").arg(QLatin1String(name))))
            << errors[0].toStdString();

        std::map<QString, QStringList> flights;
        for (const QString &file : QDir(out).entryList(QDir::Files | QDir::Hidden)) {
            const qsizetype dot = file.indexOf(QLatin1Char('.'));
            flights[file.left(dot)] << file.mid(dot);
        }
        EXPECT_GT(flights.size(), 0u);
        EXPECT_LT(flights.size(), 400u);
        for (auto &[flight, written] : flights) {
            written.sort();
            EXPECT_EQ(written, suffixes) << flight.toStdString();
        }
        EXPECT_TRUE(
            errors[0].endsWith(QStringLiteral("%1 of 400 flights done, the other %2 not started")
                                   .arg(flights.size())
                                   .arg(400 - flights.size())))
            << errors[0].toStdString();
    }
}

// On a terminal the progress bar ends with its last line drawn once (the
// line used to come twice when the last flight ended before its worker did:
// a few runs give that moment its chances).
TEST(VentrelRender, TheLastProgressLineIsDrawnOnce)
{
    LocaleGuard locale("C");
    QTemporaryDir dir;
    TKestrinResult configuration;
    const QByteArray log = EncodeLogLines(FlightLog(configuration));
    const QStringList inputs{WriteFile(dir, QStringLiteral("a.txt"), log),
                             WriteFile(dir, QStringLiteral("b.txt"), log),
                             WriteFile(dir, QStringLiteral("c.txt"), log)};
    for (int run = 0; run < 5; ++run) {
        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        ASSERT_EQ(::grantpt(terminal), 0);
        ASSERT_EQ(::unlockpt(terminal), 0);
        QProcess process;
        process.setStandardErrorFile(QString::fromLocal8Bit(::ptsname(terminal)));
        process.start(
            QStringLiteral(VENTREL_BIN_DIR "/ventrel-render"),
            QStringList{"--out-dir", dir.filePath(QStringLiteral("out%1").arg(run)), "--csv"} +
                inputs);
        ASSERT_TRUE(process.waitForFinished(120000));
        EXPECT_EQ(process.exitCode(), 0);
        ::fcntl(terminal, F_SETFL, O_NONBLOCK);
        QByteArray shown;
        char buffer[4096];
        for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;)
            shown.append(buffer, n);
        ::close(terminal);
        EXPECT_EQ(shown.count("3/3 flights"), 1) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith("\n")) << shown.toStdString();
    }
}
