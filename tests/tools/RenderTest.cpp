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
#include <gtest/gtest.h>

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

TEST(VentrelRender, BadInputWritesNothing)
{
    LocaleGuard locale("C");
    QTemporaryDir dir;
    TKestrinResult configuration;
    QStringList log = FlightLog(configuration);
    log[1] = QStringLiteral("Configuration\t1XP:TPU");
    const QString badLog = WriteFile(dir, QStringLiteral("bad.txt"), EncodeLogLines(log));
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
    };
    for (const auto &c : cases) {
        const TRun run = Render(c.Arguments);
        EXPECT_EQ(run.ExitCode, 1) << c.Arguments.join(' ').toStdString();
        EXPECT_TRUE(run.Errors.startsWith(c.Message)) << run.Errors.toStdString();
        EXPECT_EQ(run.Errors.count(QLatin1Char('\n')), 1) << run.Errors.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"bad.txt", "bad.xml"}));

    const TRun help = Render({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_TRUE(help.Output.contains(QStringLiteral("--save-graphs FILE")));
}
