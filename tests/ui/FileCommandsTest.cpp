// The main window's file commands driven headless: run logs and graph
// settings documents in, settings, images, reports, exports and printed
// pages out; loads that fail change nothing; and the series pages' edits
// reaching the window's graph parameters.
#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"
#include "pipeline/GraphSettingsDocument.h"
#include "pipeline/GraphThread.h"
#include "pipeline/RecordingSession.h"
#include "support/ScriptedInteraction.h"
#include "support/TestSupport.h"
#include "ui/ColorSelector.h"
#include "ui/DataListView.h"
#include "ui/FileButtonsFrame.h"
#include "ui/FrameSupport.h"
#include "ui/GraphImage.h"
#include "ui/GraphSeriesFrame.h"
#include "ui/HardwareFrame.h"
#include "ui/MainForm.h"
#include "ui/MarkerOptionsForm.h"
#include "ui/SeriesOptionForm.h"
#include "ui/SkewTGraphFrame.h"
#include "ui/SkewTSeriesFrame.h"
#include "ui/SoundingProductsForm.h"
#include "ui/SpinLetterFrame.h"
#include "ui/StandardGraphFrame.h"
#include "ui/TimeGraphFrame.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const QString Configuration = QStringLiteral("1MP:TPUVNNNF");
const QString TextFilter = QStringLiteral("Text files (*.txt)|*.TXT");
const QColor Green(0, 128, 0);
// 7 December 2026, 13:42.
const double Start = DateTimeToDays(QDateTime(QDate(2026, 12, 7), QTime(13, 42)));

// A log of an ascent from 100 m: a frame every 30 seconds, 20 mbar higher
// each time, the eleventh with a failed humidity.
QStringList AscentLog(int frames = 30)
{
    TKestrinResult configuration;
    configuration.ParseConfiguration(Configuration);
    QStringList lines = LogHeaderLines(configuration, 100.0);
    for (int i = 0; i < frames; ++i) {
        TKestrinResult frame = configuration;
        frame.SetTime(Start + i / 2880.0);
        for (auto [channel, value] : {std::pair{1, 25.0 - 0.5 * i},
                                      {2, 1000.0 - 20.0 * i},
                                      {3, i == 10 ? NoValue : 80.0 - i},
                                      {4, 9.2},
                                      {8, 48.0}})
            frame.SetValue(channel, value);
        frame.SetRawText(QStringLiteral("7A%1").arg(i, 2, 10, QLatin1Char('0')));
        lines << FormatLogLine(frame);
    }
    return lines;
}

// The text of the data group of a settings document.
QString DataGroup(const QString &path)
{
    const QString text = QString::fromLocal8Bit(ReadFileBytes(path));
    const qsizetype begin = text.indexOf(QStringLiteral("<DataGroup"));
    const qsizetype end = text.indexOf(QStringLiteral("</DataGroup>"));
    return begin < 0 || end < begin ? QString() : text.mid(begin, end - begin);
}

QStringList FileLines(const QString &path)
{
    QStringList lines = QString::fromLocal8Bit(ReadFileBytes(path)).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A named pipe whose contents a timer of the test's event loop writes, so
// that a load can finish reading it only if the window's event loop turns
// while the load reads. Past a deadline a watchdog writes it instead, so that
// a load that holds the loop up fails the test rather than hanging it.
class TLoopFedPipe
{
  public:
    TLoopFedPipe(const QString &path, QByteArray bytes)
        : FPath(path.toLocal8Bit()), FBytes(std::move(bytes))
    {
        FMade = mkfifo(FPath.constData(), 0600) == 0;
        FWatchdog = std::thread([this] {
            std::unique_lock<std::mutex> lock(FLock);
            if (FClaimed ||
                FDone.wait_for(lock, std::chrono::seconds(20), [this] { return FClaimed; }))
                return;
            FClaimed = true;
            lock.unlock();
            Write(::open(FPath.constData(), O_WRONLY));
        });
    }
    ~TLoopFedPipe()
    {
        {
            std::lock_guard<std::mutex> lock(FLock);
            FClaimed = true;
        }
        FDone.notify_all();
        // A watchdog waiting for a reader that never came is let go.
        const int reader = ::open(FPath.constData(), O_RDONLY | O_NONBLOCK);
        FWatchdog.join();
        if (reader >= 0)
            ::close(reader);
    }
    TLoopFedPipe(const TLoopFedPipe &) = delete;
    TLoopFedPipe &operator=(const TLoopFedPipe &) = delete;

    bool Made() const { return FMade; }
    // Writes the pipe from the event loop as soon as a reader has opened it.
    void FeedFromLoop()
    {
        QTimer::singleShot(1, &FContext, [this] {
            const int fd = ::open(FPath.constData(), O_WRONLY | O_NONBLOCK);
            if (fd < 0)
                return FeedFromLoop(); // no reader yet
            {
                std::lock_guard<std::mutex> lock(FLock);
                if (FClaimed) {
                    ::close(fd);
                    return;
                }
                FClaimed = FFedByLoop = true;
            }
            FDone.notify_all();
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            Write(fd);
        });
    }
    bool FedByLoop()
    {
        std::lock_guard<std::mutex> lock(FLock);
        return FFedByLoop;
    }

  private:
    void Write(int fd)
    {
        for (qsizetype done = 0; fd >= 0 && done < FBytes.size();) {
            const ssize_t n = ::write(fd, FBytes.constData() + done, size_t(FBytes.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        if (fd >= 0)
            ::close(fd);
    }

    QByteArray FPath;
    QByteArray FBytes;
    bool FMade = false;
    std::mutex FLock;
    std::condition_variable FDone;
    bool FClaimed = false;
    bool FFedByLoop = false;
    std::thread FWatchdog;
    // Ends the feeding timer with the pipe.
    QObject FContext;
};

class FileCommands : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        // The window loads the real exchange library; it listens on a port
        // of the tests' own.
        static const uint16_t port = FreeLoopbackPort();
        setenv("DXSOFTEX_PORT", std::to_string(port).c_str(), 1);
    }

    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Window = std::make_unique<TfrmMain>();
        Window->SetClock([] { return QDateTime(QDate(2026, 12, 7), QTime(13, 42, 5)); });
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        ASSERT_TRUE(WaitFor([&] {
            return Window->Session().PostCount(rcStandardParameters) >= 1 &&
                   !Window->tmrGraphResize().isActive();
        }));
    }

    void TearDown() override { Window.reset(); }

    QString Path(const char *name) const { return Dir.filePath(QString::fromLatin1(name)); }

    QString WriteFile(const char *name, const QByteArray &bytes) const
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    int32_t ListLines() const { return Window->dlvData().RightPane().LineCount(); }

    // Waits until the receiver took the configuration and the data list shows
    // `lines` lines.
    void WaitForLoaded(int32_t lines)
    {
        ASSERT_TRUE(WaitFor([&] {
            return !Window->Session().ApplyingConfig() &&
                   Window->dlvData().HeaderPane().LineCount() == 2 && ListLines() == lines;
        }));
        ASSERT_TRUE(Window->Session().GraphThread().WaitForPosted(10000));
    }

    // Runs a command as its button does, choosing `file` in its dialog
    // (with the filter of that index).
    void Run(void (TfrmMain::*command)(), std::optional<QString> file, int32_t filter = 1)
    {
        const bool open =
            command == &TfrmMain::LoadLogClick || command == &TfrmMain::LoadGraphsClick;
        open ? Script.ExpectOpenFile(file) : Script.ExpectSaveFile(file, filter);
        Window->Guarded([&] { (Window.get()->*command)(); });
    }
    void LoadLog(const QString &path) { Run(&TfrmMain::LoadLogClick, path); }

    uint64_t AllPosts() const
    {
        uint64_t total = 0;
        for (uint8_t kind = 0; kind <= 6; ++kind)
            total += Window->Session().PostCount(kind);
        return total;
    }

    QTemporaryDir Dir;
    TScriptedInteraction Script;
    std::unique_ptr<TfrmMain> Window;
};

} // namespace

TEST_F(FileCommands, HeaderOnlyLogGivesAnEmptyListWithItsHeader)
{
    const QString log = WriteFile("header.txt", EncodeLogLines(AscentLog(0)));
    LoadLog(log);
    WaitForLoaded(0);
    EXPECT_EQ(Window->Session().DataParameters().Configuration().ConfigurationString(),
              QStringLiteral("1MP:_T_P_UVNNNF"));
    EXPECT_DOUBLE_EQ(Window->Session().DataParameters().LaunchElevation(), 100.0);
    EXPECT_TRUE(Window->Session().RecordedLines().isEmpty());
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("header.txt"));
    // Nothing is written: a replayed log is no run.
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList{"header.txt"});
}

TEST_F(FileCommands, LoadsThatFailChangeNothing)
{
    LocaleGuard locale("C");
    const QStringList ascent = AscentLog();
    LoadLog(WriteFile("ascent.txt", EncodeLogLines(ascent)));
    WaitForLoaded(30);
    ASSERT_EQ(Window->Session().RecordedLines(), ascent.mid(4));

    QStringList noTab = ascent;
    noTab[1] = QStringLiteral("Configuration 1MR:TPUVVVVF");
    QStringList badElevation = ascent;
    badElevation[2] = QStringLiteral("Launch Elevation (m):\tabc");
    QStringList badConfiguration = ascent;
    badConfiguration[1] = QStringLiteral("Configuration\t9ZZ:QQ");

    // Settings documents of another flight, each broken in one place.
    TGraphSettings other;
    other.DataParameters.Configuration().ParseConfiguration(QStringLiteral("1MR:TPUVVVVF"));
    other.DisplayedUnit = luFeet;
    const QString document = QString::fromLocal8Bit(GraphSettingsToBytes(other));
    const QString unknownGraph = QString(document).replace(
        QStringLiteral(">StandardGraph</CurrentGraph>"), QStringLiteral(">Bogus</CurrentGraph>"));
    ASSERT_NE(unknownGraph, document);
    const QString wrongConfiguration =
        QString(document).replace(QStringLiteral("1MR:_T_P_UVVVVF"), QStringLiteral("9ZZ:QQ"));
    ASSERT_NE(wrongConfiguration, document);
    const QString deep = QString(document).replace(
        QStringLiteral("<DataGroup/>"),
        QStringLiteral("<DataGroup>") + QStringLiteral("<a>").repeated(50000) +
            QStringLiteral("</a>").repeated(50000) + QStringLiteral("</DataGroup>"));
    ASSERT_NE(deep, document);

    struct TCase
    {
        const char *Name;
        bool Log;
        QByteArray Bytes;
        const char *Message;
        // A configuration this program cannot read is no mistake the
        // operator could correct: an information box names the file.
        bool Information = false;
    };
    const TCase cases[] = {
        {"noTab.txt", true, EncodeLogLines(noTab), "has no tab"},
        {"elevation.txt", true, EncodeLogLines(badElevation), "is not a number"},
        {"configuration.txt", true, EncodeLogLines(badConfiguration),
         "configuration.txt: its sonde configuration cannot be read (9Z is not a valid model)",
         true},
        {"graph.xml", false, unknownGraph.toLocal8Bit(), "is not a valid graph type"},
        {"configuration.xml", false, wrongConfiguration.toLocal8Bit(),
         "configuration.xml: its sonde configuration cannot be read (9Z is not a valid model)",
         true},
        {"deep.xml", false, deep.toLocal8Bit(), "its elements nest more than 32 deep"},
    };
    const TStandardGraphParameters standard = Window->Session().StandardParameters();
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        const uint64_t posts = AllPosts();
        const size_t requests = Script.Requests().size();
        Script.ExpectOpenFile(WriteFile(c.Name, c.Bytes));
        if (c.Information)
            Script.ExpectInformation();
        else
            Script.ExpectError();
        Window->Guarded([&] { c.Log ? Window->LoadLogClick() : Window->LoadGraphsClick(); });
        ASSERT_EQ(Script.Requests().size(), requests + 2);
        EXPECT_TRUE(Script.Requests().back().Text.contains(QLatin1String(c.Message)))
            << Script.Requests().back().Text.toStdString();
        EXPECT_EQ(AllPosts(), posts);
        EXPECT_EQ(Window->Session().DataParameters().Configuration().ConfigurationString(),
                  QStringLiteral("1MP:_T_P_UVNNNF"));
        EXPECT_DOUBLE_EQ(Window->Session().DataParameters().LaunchElevation(), 100.0);
        EXPECT_EQ(Window->Session().RecordedLines(), ascent.mid(4));
        EXPECT_EQ(Window->windowTitle(), QStringLiteral("ascent.txt"));
        EXPECT_TRUE(Window->Session().StandardParameters() == standard);
        EXPECT_EQ(Window->fraHardware().Unit(), luMeters);
        EXPECT_FALSE(Window->Session().ApplyingConfig());
        Window->tmrDataListViewTimer();
        EXPECT_EQ(ListLines(), 30);
    }
}

// A load reads and parses its file while the window's event loop goes on
// (the file is written by a timer of that loop), records every line as the
// program writes it, and its rows reach the data list without the
// once-a-second tick.
TEST_F(FileCommands, LoadsReadWhileTheWindowTurnsAndListTheirRowsAtOnce)
{
    LocaleGuard locale("C");
    QStringList ascent = AscentLog();
    TKestrinResult configuration;
    configuration.ParseConfiguration(Configuration);
    // A value written otherwise than this program writes it is recorded as
    // this program writes it.
    QStringList fields = ascent[4].split(QLatin1Char('\t'));
    fields[2] += fields[2].contains(QLatin1Char('.')) ? QStringLiteral("0") : QStringLiteral(".00");
    ascent[4] = fields.join(QLatin1Char('\t'));
    QStringList recorded;
    for (const QString &line : ascent.mid(4))
        recorded << FormatLogLine(ResultFromLogLine(line, configuration));
    ASSERT_NE(recorded[0], ascent[4]);
    ASSERT_EQ(recorded.mid(1), ascent.mid(5));

    TGraphSettings document;
    document.DataParameters.Configuration() = configuration;
    document.RecordedLines = ascent.mid(4, 20);
    struct TCase
    {
        const char *Name;
        void (TfrmMain::*Command)();
        QByteArray Bytes;
        QStringList Recorded;
    };
    const TCase cases[] = {
        {"log.txt", &TfrmMain::LoadLogClick, EncodeLogLines(ascent), recorded},
        {"graphs.xml", &TfrmMain::LoadGraphsClick, GraphSettingsToBytes(document),
         recorded.mid(0, 20)},
    };
    Window->tmrDataListView().stop();
    // The open dialog takes only regular files; the pipe is none.
    Window->OpenDialog().SetFileMustExist(false);
    uint64_t posted = Window->Session().PostCount(rcFrame);
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TLoopFedPipe pipe(Path(c.Name), c.Bytes);
        ASSERT_TRUE(pipe.Made());
        pipe.FeedFromLoop();
        Run(c.Command, Path(c.Name));
        EXPECT_TRUE(pipe.FedByLoop());
        EXPECT_EQ(Window->Session().RecordedLines(), c.Recorded);
        posted += uint64_t(c.Recorded.size());
        EXPECT_EQ(Window->Session().PostCount(rcFrame), posted);
        WaitForLoaded(int32_t(c.Recorded.size()));
    }
}

TEST_F(FileCommands, SavedGraphsLoadBackWithTheirDataSettingsAndSeriesRows)
{
    LocaleGuard locale("en_US.UTF-8");
    const QStringList ascent = AscentLog();
    LoadLog(WriteFile("ascent.txt", EncodeLogLines(ascent)));
    WaitForLoaded(30);

    // Settings the rows do not show yet, as a document of another session
    // would bring them.
    TStandardGraphParameters standard = Window->Session().StandardParameters();
    standard.SetSeriesAxis(4, 3);
    standard.SetWidth(123);
    TSkewTGraphParameters skewT = Window->Session().SkewTParameters();
    TMarkerDefinition &dewpoint = skewT.DewpointMarker();
    dewpoint.MarkerBrush().setColor(Green);
    dewpoint.LinePen().setColor(Green);
    const TMarkerDefinition saved = dewpoint;
    Window->Session().KeepGraphParameters(standard, skewT, Window->Session().TimeParameters());
    Window->SetUnits(luFeet);
    Window->SetGraphType(gtTime);

    const QString first = Path("first.xml");
    Run(&TfrmMain::SaveGraphsClick, first);
    EXPECT_EQ(ReadGraphSettings(first).RecordedLines, ascent.mid(4));

    Window->SetUnits(luMeters);
    Window->SetGraphType(gtStandard);
    Run(&TfrmMain::LoadGraphsClick, first);
    WaitForLoaded(30);
    EXPECT_EQ(Window->Session().RecordedLines(), ascent.mid(4));
    EXPECT_EQ(Window->fraHardware().Unit(), luFeet);
    EXPECT_EQ(Window->CurrentGraph(), gtTime);
    EXPECT_EQ(Window->pctlGraph().currentIndex(), int(gtTime));
    EXPECT_EQ(Window->Session().StandardParameters().Width(), Window->imgStandardGraph().width());
    EXPECT_EQ(Window->fraStandardGraph().Series(4).AxisNumber(), 3);
    EXPECT_TRUE(Window->fraSkewTGraph().DewpointMarker() == saved);

    // Editing the temperature trace keeps the loaded dew point trace.
    Script.ExpectDialog(QDialog::Accepted);
    Window->fraSkewTGraph().fraTemperatureSeries->OpenSeriesOptions(QPoint(10, 10));
    EXPECT_TRUE(Window->Session().SkewTParameters().DewpointMarker() == saved);

    const QString second = Path("second.xml");
    Run(&TfrmMain::SaveGraphsClick, second);
    EXPECT_FALSE(DataGroup(first).isEmpty());
    EXPECT_EQ(DataGroup(second), DataGroup(first));
}

// A document written where system colours were chosen (a negative value:
// the high bit and the colour's index) keeps them through Load Graphs and
// Save Graphs, byte for byte, and draws them in their usual colours.
TEST_F(FileCommands, SystemColoursGoBackIntoTheDocumentAsTheyCame)
{
    const QString plain = Path("plain.xml");
    Run(&TfrmMain::SaveGraphsClick, plain);
    // The first four colours: pen and brush of marker and line of series 1.
    const std::pair<int32_t, QColor> system[] = {{INT32_MIN | 5, QColor(255, 255, 255)},
                                                 {INT32_MIN | 13, QColor(51, 153, 255)},
                                                 {INT32_MIN | 15, QColor(240, 240, 240)},
                                                 {INT32_MIN | 24, QColor(255, 255, 225)}};
    QString text = QString::fromLocal8Bit(ReadFileBytes(plain));
    static const QRegularExpression Color(QStringLiteral("<Color>-?[0-9]+</Color>"));
    qsizetype from = 0;
    for (const auto &[value, rgb] : system) {
        const QRegularExpressionMatch match = Color.match(text, from);
        ASSERT_TRUE(match.hasMatch());
        text.replace(match.capturedStart(), match.capturedLength(),
                     QStringLiteral("<Color>%1</Color>").arg(value));
        from = match.capturedStart() + 1;
    }
    const QString chosen = WriteFile("system.xml", text.toLocal8Bit());

    Run(&TfrmMain::LoadGraphsClick, chosen);
    const TMarkerDefinition &marker = Window->Session().StandardParameters().GetDataMarker(1);
    EXPECT_EQ(marker.MarkerPen().color(), system[0].second);
    EXPECT_EQ(marker.MarkerBrush().color(), system[1].second);
    EXPECT_EQ(marker.LinePen().color(), system[2].second);
    EXPECT_EQ(marker.LineBrush().color(), system[3].second);
    const QString saved = Path("saved.xml");
    Run(&TfrmMain::SaveGraphsClick, saved);
    EXPECT_EQ(ReadFileBytes(saved), ReadFileBytes(chosen));
}

TEST_F(FileCommands, ImageReportAndExportsOfALoadedFlight)
{
    LoadLog(WriteFile("ascent.txt", EncodeLogLines(AscentLog())));
    WaitForLoaded(30);
    // The image of the graph shown now.
    Window->SetGraphType(gtTime);
    const QImage time = Window->imgTimeGraph().Picture().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(time.isNull());
    ASSERT_NE(time, Window->imgStandardGraph().Picture().convertToFormat(QImage::Format_RGB32));

    // Without an extension the name gets the default one: a Windows bitmap.
    Run(&TfrmMain::fraFileButtons1btnSaveImageClick, Path("graph"));
    EXPECT_EQ(Script.Requests().back().FilterIndex, 1);
    EXPECT_TRUE(ReadFileBytes(Path("graph.bmp")).startsWith("BM"));
    EXPECT_EQ(QImage(Path("graph.bmp"), "BMP").convertToFormat(QImage::Format_RGB32), time);
    // With the PNG filter picked it gets the filter's: a PNG file.
    Run(&TfrmMain::fraFileButtons1btnSaveImageClick, Path("picked"), 2);
    EXPECT_TRUE(ReadFileBytes(Path("picked.png")).startsWith("\x89PNG"));
    EXPECT_EQ(QImage(Path("picked.png"), "PNG").convertToFormat(QImage::Format_RGB32), time);
    EXPECT_EQ(Window->SaveDialog().FilterIndex(), 1);

    Run(&TfrmMain::fraFileButtons1btnSaveImageClick, Path("graph.PNG"));
    EXPECT_TRUE(ReadFileBytes(Path("graph.PNG")).startsWith("\x89PNG"));
    EXPECT_EQ(QImage(Path("graph.PNG"), "PNG").convertToFormat(QImage::Format_RGB32), time);

    // The report: the data list without the row of the failed humidity.
    Run(&TfrmMain::fraFileButtons1btnReportClick, Path("report.txt"));
    const QStringList lines = FileLines(Path("report.txt"));
    ASSERT_EQ(lines.size(), 3 + 2 + 29);
    EXPECT_EQ(lines[0], QStringLiteral("Kestrin Report"));
    EXPECT_EQ(lines[1], QStringLiteral("LogFile: ascent.txt"));
    EXPECT_EQ(lines[2], QString());
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("Time\tCh1 T\tCh2 P\tCh3 U\t")))
        << lines[3].toStdString();
    EXPECT_TRUE(lines[4].startsWith(QLatin1Char('\t')));
    for (const QString &row : lines.mid(5)) {
        EXPECT_FALSE(row.contains(QStringLiteral("error"), Qt::CaseInsensitive));
        EXPECT_EQ(row.split(QLatin1Char('\t')).size(), lines[3].split(QLatin1Char('\t')).size())
            << row.toStdString();
    }

    // The exports: altitudes from the elevation the flight was recorded
    // with, not the one the hardware page took since for the next run.
    Window->Session().SetLaunchElevation(5000.0);

    Run(&TfrmMain::fraFileButtons1btnExportCsvClick, Path("data"));
    const QStringList csv = FileLines(Path("data.csv"));
    ASSERT_EQ(csv.size(), 31);
    const qsizetype altitude = csv[0].split(QLatin1Char(',')).indexOf(QStringLiteral("Alt (m)"));
    ASSERT_GE(altitude, 0) << csv[0].toStdString();
    EXPECT_EQ(csv[1].split(QLatin1Char(','))[altitude], QStringLiteral("100.0"));

    Run(&TfrmMain::fraFileButtons1btnExportSoundingClick, Path("sounding"));
    const QStringList sounding =
        QString::fromLatin1(ReadFileBytes(Path("sounding.txt"))).split(QLatin1Char('\n'));
    const qsizetype raw = sounding.indexOf(QStringLiteral("%RAW%"));
    ASSERT_GE(raw, 0);
    EXPECT_TRUE(sounding[raw + 1].startsWith(QStringLiteral(" 1000.00,    100.00,")))
        << sounding[raw + 1].toStdString();
    // The frame with the failed humidity is no level of the ascent.
    EXPECT_EQ(sounding.indexOf(QStringLiteral("%END%")) - raw - 1, 29);
}

TEST_F(FileCommands, CancellingADialogChangesNothing)
{
    struct TCommand
    {
        void (TfrmMain::*Handler)();
        const char *Proposed;
        const char *Filter;
        const char *Extension;
    };
    const TCommand commands[] = {
        {&TfrmMain::SaveGraphsClick, "Graphs_Dec_07_2026_1342.xml", "XML files (*.xml)|*.XML",
         "xml"},
        {&TfrmMain::fraFileButtons1btnSaveImageClick, "Graph_Dec_07_2026_1342.bmp",
         "BMP files (*.bmp)|*.BMP|PNG files (*.png)|*.PNG", "bmp"},
        {&TfrmMain::fraFileButtons1btnReportClick, "Report_Dec_07_2026_1342.txt",
         "Text files (*.txt)|*.TXT", "txt"},
        {&TfrmMain::fraFileButtons1btnExportCsvClick, "Data_Dec_07_2026_1342.csv",
         "CSV files (*.csv)|*.CSV", "csv"},
        {&TfrmMain::fraFileButtons1btnExportSoundingClick, "Sounding_Dec_07_2026_1342.txt",
         "Text files (*.txt)|*.TXT", "txt"},
        {&TfrmMain::LoadLogClick, "", "Text files (*.txt)|*.TXT", "txt"},
        {&TfrmMain::LoadGraphsClick, "", "XML files (*.xml)|*.XML", "xml"},
    };
    LocaleGuard locale("en_US.UTF-8");
    // Dialogs that carry another command's settings keep them.
    Window->SaveDialog().SetFilter(QStringLiteral("Any (*.*)|*.*"));
    Window->SaveDialog().SetDefaultExt(QStringLiteral("dat"));
    const uint64_t posts = AllPosts();
    for (const TCommand &command : commands) {
        SCOPED_TRACE(command.Proposed);
        Run(command.Handler, std::nullopt);
        const TInteractionRequest &request = Script.Requests().back();
        EXPECT_EQ(request.FileName, QString::fromLatin1(command.Proposed));
        EXPECT_EQ(request.Filter, QString::fromLatin1(command.Filter));
        EXPECT_EQ(request.DefaultExt, QString::fromLatin1(command.Extension));
        EXPECT_EQ(Window->SaveDialog().Filter(), QStringLiteral("Any (*.*)|*.*"));
        EXPECT_EQ(Window->SaveDialog().DefaultExt(), QStringLiteral("dat"));
        EXPECT_EQ(Window->OpenDialog().Filter(), TextFilter);
        EXPECT_EQ(Window->OpenDialog().DefaultExt(), QStringLiteral("txt"));
    }
    EXPECT_EQ(AllPosts(), posts);
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Ventrel 1.1"));
    EXPECT_TRUE(QDir(Dir.path()).isEmpty());
}

// Save Graphs onto a full file system: the error box gives the system's
// reason and the document that was there stays as it was. It needs a full
// file system, which scripts/full-disk-check makes (as root) and names in
// VENTREL_FULL_FOLDER, with a settings document graphs.xml in it.
TEST_F(FileCommands, SaveGraphsOnAFullDiskKeepsTheDocument)
{
    const QString folder = qEnvironmentVariable("VENTREL_FULL_FOLDER");
    if (folder.isEmpty())
        GTEST_SKIP() << "needs a full file system: run by scripts/full-disk-check";
    const QString document = QDir(folder).filePath(QStringLiteral("graphs.xml"));
    const QByteArray before = ReadFileBytes(document);
    ASSERT_FALSE(before.isEmpty());
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    LoadLog(WriteFile("ascent.txt", EncodeLogLines(AscentLog())));
    WaitForLoaded(30);

    Script.ExpectSaveFile(document);
    Script.ExpectConfirmation(true); // replace it
    Script.ExpectError();
    Window->Guarded([&] { Window->SaveGraphsClick(); });
    ASSERT_EQ(Script.Requests().back().Kind, ikError);
    EXPECT_EQ(Script.Requests().back().Text.toStdString(),
              ("Cannot write " + document + ": No space left on device").toStdString());
    EXPECT_EQ(ReadFileBytes(document), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), files);
}

TEST(PrintPlacement, LargestFitWithTheMarginRoundedHalfToEven)
{
    // 600 x 400 inside the margins: the width limits a wide bitmap...
    EXPECT_EQ(PrintPlacement({1000, 800}, {400, 100}), QRect(200, 200, 600, 150));
    // ... and 151.5 and 148.5 pixels high end on even edges.
    EXPECT_EQ(PrintPlacement({1000, 800}, {400, 101}), QRect(200, 200, 600, 152));
    EXPECT_EQ(PrintPlacement({1000, 800}, {400, 99}), QRect(200, 200, 600, 148));
    // The height limits a square one.
    EXPECT_EQ(PrintPlacement({1000, 800}, {100, 100}), QRect(200, 200, 400, 400));
    // No room inside the margins, or nothing to print.
    EXPECT_THROW(PrintPlacement({400, 800}, {100, 100}), EPrintError);
    EXPECT_THROW(PrintPlacement({1000, 800}, {0, 100}), EPrintError);
}

TEST_F(FileCommands, PrintsTheRequestedGraphOnOnePage)
{
    // The timer is worked by hand here.
    Window->tmrPrint().stop();
    Window->SetGraphType(gtSkewT);
    Window->PrintClick();
    ASSERT_TRUE(Window->Session().GraphThread().WaitForPosted(10000));
    std::unique_ptr<TPrintImage> image;
    {
        TBufferLock<TPrintImage> lock(Window->Session().GraphThread().Images());
        image = Window->Session().GraphThread().Images().Pop();
    }
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GraphType, gtSkewT);
    EXPECT_FALSE(image->Image.isNull());

    // A cancelled print dialog drops the bitmap.
    PostToBuffer(Window->Session().GraphThread().Images(), std::move(image));
    Script.ExpectPrintCancel();
    Window->tmrPrintTimer();
    EXPECT_EQ(Window->Session().GraphThread().Images().Count(), 0u);
    EXPECT_TRUE(Window->tmrPrint().isActive());
    EXPECT_TRUE(Window->LastPrintPlacement().isNull());

    // A page of 1000 x 800 printer pixels: 600 x 400 inside the margins.
    const QString pdf = Path("graph.pdf");
    QImage bitmap(400, 100, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    PostToBuffer(Window->Session().GraphThread().Images(),
                 std::make_unique<TPrintImage>(gtSkewT, bitmap));
    Script.ExpectPrint([&](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setResolution(72);
        printer.setPageLayout(
            QPageLayout(QPageSize(QSize(1000, 800), QStringLiteral("Test"), QPageSize::ExactMatch),
                        QPageLayout::Portrait, QMarginsF()));
    });
    Window->tmrPrintTimer();
    EXPECT_EQ(Window->LastPrintPlacement(), QRect(200, 200, 600, 150));
    EXPECT_TRUE(Window->tmrPrint().isActive());
    const QString contents = QString::fromLatin1(ReadFileBytes(pdf));
    ASSERT_TRUE(contents.startsWith(QStringLiteral("%PDF")));
    EXPECT_EQ(contents.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"))), 1);
}

TEST_F(FileCommands, SeriesRowEditsReachTheGraphParameters)
{
    // Rows of channels in use take edits.
    LoadLog(WriteFile("header.txt", EncodeLogLines(AscentLog(0))));
    WaitForLoaded(0);

    // Axis "C" for channel 4 of the Standard graph.
    const uint64_t standardPosts = Window->Session().PostCount(rcStandardParameters);
    Script.ExpectDialog(QDialog::Rejected, [](QDialog &dialog) {
        auto &options = static_cast<TfrmSeriesOptions &>(dialog);
        options.fraLetter->Up();
        options.fraLetter->Up();
        options.btnOK->click();
    });
    Window->fraStandardGraph().Series(4).OpenSeriesOptions(QPoint(10, 10));
    EXPECT_EQ(Window->Session().StandardParameters().GetSeriesAxis(4), 3);
    EXPECT_EQ(Window->Session().StandardParameters().GetSeriesAxis(3), 1);
    EXPECT_EQ(Window->Session().PostCount(rcStandardParameters), standardPosts + 1);

    // Cancel changes nothing, whatever was tried in the dialog.
    const TMarkerDefinition before = Window->Session().TimeParameters().GetDataMarker(4);
    const uint64_t timePosts = Window->Session().PostCount(rcTimeParameters);
    Script.ExpectDialog(QDialog::Accepted, [](QDialog &dialog) {
        auto &options = static_cast<TfrmSeriesOptions &>(dialog);
        options.ShapeChosen(QStringLiteral("Triangle"));
        options.fraLetter->Up();
        options.btnCancel->click();
    });
    Window->fraTimeGraph().Series(4).OpenSeriesOptions(QPoint(10, 10));
    EXPECT_TRUE(Window->Session().TimeParameters().GetDataMarker(4) == before);
    EXPECT_EQ(Window->Session().TimeParameters().GetSeriesAxis(4), 1);
    EXPECT_EQ(Window->Session().PostCount(rcTimeParameters), timePosts);

    // A colour picked reaches fill, outline and line.
    Script.ExpectDialog(QDialog::Accepted, [](QDialog &dialog) {
        auto &options = static_cast<TfrmSeriesOptions &>(dialog);
        QTest::mouseClick(options.cselMarker, Qt::LeftButton, {}, QPoint(7, 7));
    });
    Script.ExpectColor(Green);
    Window->fraTimeGraph().Series(4).OpenSeriesOptions(QPoint(10, 10));
    const TMarkerDefinition &marker = Window->Session().TimeParameters().GetDataMarker(4);
    EXPECT_EQ(marker.MarkerBrush().color(), Green);
    EXPECT_EQ(marker.MarkerPen().color(), Green);
    EXPECT_EQ(marker.LinePen().color(), Green);
    EXPECT_EQ(Window->Session().PostCount(rcTimeParameters), timePosts + 1);
}

// The products window beside the main one: it fills from the graph thread,
// keeps a station only once every field is valid, saves the levels and the
// summary, and the station travels in the settings document.
TEST_F(FileCommands, SoundingProductsWindow)
{
    LocaleGuard locale("C");
    LoadLog(WriteFile("ascent.txt", EncodeLogLines(AscentLog())));
    WaitForLoaded(30);
    TfrmSoundingProducts &products = Window->frmSoundingProducts();
    Window->fraFileButtons1().btnSoundingProducts().click();
    ASSERT_TRUE(products.isVisible());
    EXPECT_FALSE(products.isModal());
    // 1000 hPa up to 420 hPa: five standard surfaces.
    ASSERT_TRUE(WaitFor([&] { return products.grdStandard().rowCount() == 5; }));
    EXPECT_EQ(products.grdStandard().item(0, 0)->text(), QStringLiteral("1000"));
    EXPECT_TRUE(products.lblReportDue().text().startsWith(QStringLiteral("The first report")));
    EXPECT_NE(products.Figure(QStringLiteral("K index")).text(), QStringLiteral("-"));

    // The reports wait for the station.
    Script.ExpectInformation();
    products.btnSaveTemp().click();
    EXPECT_TRUE(products.memTemp().toPlainText().startsWith(QStringLiteral("Set the station")));

    products.edtStation().setText(QStringLiteral("3808"));
    products.edtLatitude().setText(QStringLiteral("50.2"));
    products.edtLongitude().setText(QStringLiteral("-185"));
    Script.ExpectError();
    products.btnSetStation().click();
    ASSERT_EQ(Script.Requests().back().Kind, ikError);
    EXPECT_EQ(Script.Requests().back().Text.count(QLatin1Char('\n')), 1);
    EXPECT_EQ(EditColor(products.edtStation()), QColor(Qt::red));
    EXPECT_EQ(EditColor(products.edtLatitude()), QColor(Qt::white));
    EXPECT_TRUE(Window->Session().Station().IsEmpty());

    products.edtStation().setText(QStringLiteral("03808"));
    products.edtLongitude().setText(QStringLiteral("-5.3"));
    products.btnSetStation().click();
    EXPECT_EQ(Window->Session().Station(), (TStationIdentity{QStringLiteral("03808"), 50.2, -5.3}));

    Script.ExpectSaveFile(Path("levels.csv"));
    products.btnSaveLevels().click();
    EXPECT_EQ(Script.Requests().back().FileName, QStringLiteral("Levels_Dec_07_2026_1342.csv"));
    EXPECT_TRUE(ReadFileBytes(Path("levels.csv")).startsWith("kind,pressure_hPa,"));
    Script.ExpectSaveFile(Path("summary.json"));
    products.btnSaveSummary().click();
    EXPECT_TRUE(ReadFileBytes(Path("summary.json")).contains("\"station\": \"03808\""));

    ASSERT_TRUE(WaitFor(
        [&] { return products.memTemp().toPlainText().startsWith(QStringLiteral("TTAA ")); }));
    ASSERT_TRUE(
        WaitFor([&] { return products.lblBufr().text().contains(QStringLiteral("levels")); }));
    Script.ExpectSaveFile(Path("temp.txt"));
    products.btnSaveTemp().click();
    EXPECT_TRUE(ReadFileBytes(Path("temp.txt")).contains("\r\n\r\nTTBB "));
    Script.ExpectSaveFile(Path("report.bufr"));
    products.btnSaveBufr().click();
    EXPECT_TRUE(ReadFileBytes(Path("report.bufr")).startsWith("BUFR"));

    // The observation is checked as the station is; the sonde's reading
    // against it shows in the ground check.
    EXPECT_TRUE(products.lblSurfaceSource().text().startsWith(QStringLiteral("No surface")));
    products.edtSurfacePressure().setText(QStringLiteral("1001.5"));
    products.edtSurfaceTemperature().setText(QStringLiteral("25"));
    products.edtSurfaceHumidity().setText(QStringLiteral("120"));
    products.edtWindDirection().setText(QStringLiteral("0"));
    products.edtWindSpeed().setText(QStringLiteral("3"));
    Script.ExpectError();
    products.btnSetObservation().click();
    EXPECT_EQ(Script.Requests().back().Text.count(QLatin1Char('\n')), 1);
    EXPECT_EQ(EditColor(products.edtSurfaceHumidity()), QColor(Qt::red));
    EXPECT_EQ(EditColor(products.edtWindDirection()), QColor(Qt::red));
    EXPECT_FALSE(Window->Session().FlightSettings().Surface);
    products.edtSurfaceHumidity().setText(QStringLiteral("80"));
    products.edtWindDirection().setText(QStringLiteral("270"));
    products.btnSetObservation().click();
    ASSERT_TRUE(Window->Session().FlightSettings().Surface);
    ASSERT_TRUE(WaitFor([&] {
        return products.lblGroundCheck().text().contains(QStringLiteral("reads 1.5 hPa low"));
    }));
    EXPECT_TRUE(products.lblSurfaceSource().text().isEmpty());

    Run(&TfrmMain::SaveGraphsClick, Path("graphs.xml"));
    Window->SetStation({});
    Window->Session().SetSurfaceObservation(std::nullopt);
    Run(&TfrmMain::LoadGraphsClick, Path("graphs.xml"));
    EXPECT_EQ(Window->Session().Station().Number, QStringLiteral("03808"));
    EXPECT_EQ(products.edtLongitude().text(), QStringLiteral("-5.3"));
    EXPECT_EQ(products.edtSurfacePressure().text(), QStringLiteral("1001.5"));
}
