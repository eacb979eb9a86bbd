// The main window driven headless: a simulated sonde through capture, launch
// elevation, a run and its log; the capture and run edge cases; the resize
// debounce, the data list, dialogs and shut-down.
#include "ui/MainForm.h"
#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"
#include "foundation/WrapperClasses.h"
#include "pipeline/GraphThread.h"
#include "pipeline/RunMarker.h"
#include "support/ScriptedInteraction.h"
#include "support/TestSupport.h"
#include "ui/DataListView.h"
#include "ui/ElevationFrame.h"
#include "ui/FrameSupport.h"
#include "ui/GraphImage.h"
#include "ui/GraphSeriesFrame.h"
#include "ui/HardwareFrame.h"
#include "ui/MainControlFrame.h"
#include "ui/StandardGraphFrame.h"
#include "ui/StartFrame.h"
#include "ui/StdGraphParametersForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

const QString Simulator = QStringLiteral(VENTREL_BIN_DIR "/kestrin-sim");
const QString Configuration = QStringLiteral("1MR:TPUVVVVF");
const QString CaptureLost = QStringLiteral(
    "Kestrin is no longer transmitting Configuration.  Please restart Kestrin and try again.");
const QString ReceiverErrorText =
    QStringLiteral("Kestrin error.  Please be sure CwGet is properly installed");

bool HasPixel(const QImage &image, QRgb color)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF))
                return true;
    return false;
}

class MainForm : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        // Every window of this program loads the real exchange library; it
        // listens on a port of the tests' own.
        static const uint16_t port = FreeLoopbackPort();
        Port = port;
        setenv("DXSOFTEX_PORT", std::to_string(Port).c_str(), 1);
    }

    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Create();
    }

    void TearDown() override
    {
        Window.reset();
        if (Sim.state() != QProcess::NotRunning) {
            Sim.kill();
            Sim.waitForFinished(10000);
        }
    }

    void Create(const TMainFormOptions &options = {})
    {
        Window = std::make_unique<TfrmMain>(options);
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        // The first layout's graph sizes reach the thread after the debounce.
        ASSERT_TRUE(WaitFor([&] {
            return Window->Session().PostCount(rcStandardParameters) >= 1 &&
                   !Window->tmrGraphResize().isActive();
        }));
    }

    TfraHardware &Hardware() const { return Window->fraHardware(); }
    TLed &ConfigureLed() const { return Hardware().fraHardwareConfig1().ledConfigure(); }
    TLed &RunLed() const { return Window->fraMainControl().fraRun().ledRun(); }

    // Types a configuration and waits for the receiver to acknowledge it.
    void ConfigureManually(const QString &text)
    {
        Hardware().fraHardwareConfig1().radManualConfig().click();
        Hardware().fraHardwareConfig1().edtConfigure().setText(text);
        Window->fraHardwareConfig1btnConfigureClick();
        ASSERT_TRUE(WaitFor([&] { return ConfigureLed().State() == lsGreen; }));
    }

    // Submits the elevation; the run page and its guidance follow.
    void EnterElevation(const QString &text)
    {
        Hardware().fraElevation1().EdtElevation().setText(text);
        Script.ExpectInformation();
        Hardware().RightArrowClick();
        ASSERT_EQ(Window->pctlLeft().currentIndex(), 2);
    }

    static inline uint16_t Port = 0;
    QTemporaryDir Dir;
    TScriptedInteraction Script;
    std::unique_ptr<TfrmMain> Window;
    QProcess Sim;
};

} // namespace

TEST_F(MainForm, FlightFromCaptureToLogListAndGraphs)
{
    LocaleGuard locale("C");
    // Start page, Operate: the hardware page with its guidance.
    Script.ExpectInformation();
    Window->fraArrows1arbRightClick();
    EXPECT_EQ(Script.Requests().back().Text,
              QStringLiteral("Click \"Configure\" to capture Kestrin configuration"));
    EXPECT_EQ(Window->pctlLeft().currentIndex(), 1);

    // The sonde repeats its configuration now and then and climbs 100 m a frame.
    Sim.start(Simulator,
              {QStringLiteral("--port"), QString::number(Port), QStringLiteral("--config"),
               Configuration, QStringLiteral("--config-every"), QStringLiteral("2"),
               QStringLiteral("--rate"), QStringLiteral("20"), QStringLiteral("--step"),
               QStringLiteral("20"), QStringLiteral("--launch-elevation"), QStringLiteral("305")});
    ASSERT_TRUE(Sim.waitForStarted(10000));

    Window->fraHardwareConfig1btnConfigureClick();
    EXPECT_EQ(ConfigureLed().State(), lsYellow);
    ASSERT_TRUE(
        WaitFor([&] { return ConfigureLed().State() == lsGreen; }, std::chrono::seconds(30)));
    EXPECT_EQ(Hardware().fraHardwareConfig1().edtConfigure().text(),
              QStringLiteral("1MR:_T_P_UVVVVF"));
    EXPECT_EQ(Window->Session().DataParameters().Configuration().ConfigurationString(),
              QStringLiteral("1MR:_T_P_UVVVVF"));
    // Frames that arrive before Run are not recorded.
    EXPECT_TRUE(Window->Session().RecordedLines().isEmpty());

    // 1000 ft is 304.8 m: the log holds whole metres.
    Hardware().fraElevation1().radFeet().setChecked(true);
    EnterElevation(QStringLiteral("1000"));
    EXPECT_NEAR(Window->Session().DataParameters().LaunchElevation(), 304.8, 1e-9);
    EXPECT_TRUE(Window->fraMainControl().fraArrows().arbRight().Enabled());

    const QString log = Dir.filePath(QStringLiteral("flight.txt"));
    Script.ExpectSaveFile(log);
    Window->RunClick();
    ASSERT_TRUE(Window->Session().Running());
    EXPECT_EQ(RunLed().State(), lsGreen);
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("flight.txt"));
    EXPECT_FALSE(Window->fraMainControl().fraArrows().arbLeft().Enabled());
    ASSERT_TRUE(WaitFor([&] { return Window->Session().RecordedLines().size() >= 30; },
                        std::chrono::seconds(30)));

    Script.ExpectConfirmation(true);
    Window->StopClick();
    EXPECT_EQ(Script.Requests().back().Text, QStringLiteral("Stop capturing data?"));
    EXPECT_FALSE(Window->Session().Running());
    EXPECT_EQ(RunLed().State(), lsRed);
    EXPECT_TRUE(Window->fraMainControl().fraArrows().arbLeft().Enabled());
    const QStringList recorded = Window->Session().RecordedLines();

    // The log: four header lines and every recorded frame, in order.
    QStringList lines;
    ASSERT_TRUE(WaitFor([&] {
        lines = QString::fromLocal8Bit(ReadFileBytes(log)).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines.size() >= 4 + recorded.size();
    }));
    ASSERT_EQ(lines.size(), 4 + recorded.size());
    EXPECT_EQ(lines[0], QStringLiteral("Kestrin Data\tM"));
    EXPECT_EQ(lines[1], QStringLiteral("Configuration\t1MR:_T_P_UVVVVF"));
    EXPECT_EQ(lines[2], QStringLiteral("Launch Elevation (m):\t305"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("Raw Time\tTime\t")));
    EXPECT_EQ(lines.mid(4), recorded);
    // Configuration frames during the run are not data.
    for (const QString &line : recorded)
        EXPECT_FALSE(line.section(QLatin1Char('\t'), -1).contains(QLatin1Char(':')));

    // The data list takes every recorded frame; the graphs show the traces.
    ASSERT_TRUE(
        WaitFor([&] { return Window->dlvData().RightPane().LineCount() == recorded.size(); }));
    EXPECT_EQ(Window->dlvData().HeaderPane().LineCount(), 2);
    ASSERT_TRUE(Window->Session().GraphThread().WaitForPosted(10000));
    for (TGraphType type : {gtStandard, gtSkewT, gtTime}) {
        SCOPED_TRACE(GraphTypeToName(type).toStdString());
        const QImage &picture = Window->GraphImage(type).Picture();
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.size(), Window->GraphImage(type).size());
        EXPECT_TRUE(HasPixel(picture, qRgb(255, 0, 0))) << "no temperature trace";
    }
}

// What the session reports of a capture shows on the hardware page; the
// capture's own logic is the session's (FlightSessionTest).
TEST_F(MainForm, CaptureShowsItsStateAndTheRowsFollowTheConfiguration)
{
    Window->HardwareAutoConfigure();
    EXPECT_EQ(ConfigureLed().State(), lsYellow);
    EXPECT_FALSE(Window->fraMainControl().fraArrows().arbLeft().Enabled());
    Window->Session().ReceiverConfigurationReceived(Configuration);
    Window->Session().ReceiverConfigurationReceived(Configuration);
    ASSERT_TRUE(WaitFor([&] { return ConfigureLed().State() == lsGreen; }));
    EXPECT_TRUE(Hardware().fraArrows1().arbRight().Enabled());
    EXPECT_TRUE(Window->fraMainControl().fraArrows().arbLeft().Enabled());
    // The series rows follow the configuration: channel 2 is the pressure axis.
    EXPECT_EQ(Window->fraStandardGraph().Series(2).pctlSeriesOptions->currentWidget(),
              Window->fraStandardGraph().Series(2).tsVerticalAxisLabel);

    // Lost: the message, and nothing keeps the operator on the page.
    Window->HardwareAutoConfigure();
    Script.ExpectError();
    Window->Session().ReceiverInvalidFrame(QStringLiteral("12-34"));
    EXPECT_EQ(Script.Requests().back().Text, CaptureLost);
    EXPECT_EQ(ConfigureLed().State(), lsRed);
    EXPECT_TRUE(Window->fraMainControl().fraArrows().arbLeft().Enabled());

    // A string that cannot be read: the page stays busy until Cancel.
    Hardware().fraHardwareConfig1().radAutoConfig().click();
    Window->fraHardwareConfig1btnConfigureClick();
    Window->Session().ReceiverConfigurationReceived(QStringLiteral("9ZZ:QQ"));
    Window->Session().ReceiverConfigurationReceived(QStringLiteral("9ZZ:QQ"));
    EXPECT_EQ(ConfigureLed().State(), lsYellow);
    EXPECT_TRUE(Hardware().fraHardwareConfig1().btnCancel().isEnabled());
    Hardware().btnCancelConfigClick();
    EXPECT_EQ(ConfigureLed().State(), lsRed);
    EXPECT_TRUE(Window->fraMainControl().fraArrows().arbLeft().Enabled());
}

TEST_F(MainForm, ManualStringThatFailsShowsTheParserMessage)
{
    ConfigureManually(Configuration);
    const uint64_t newRuns = Window->Session().PostCount(rcNewRun);
    Hardware().fraHardwareConfig1().radManualConfig().click();
    QLineEdit &edit = Hardware().fraHardwareConfig1().edtConfigure();
    edit.setText(QStringLiteral("1MR:TPX"));
    Script.ExpectError();
    Window->fraHardwareConfig1btnConfigureClick();
    EXPECT_FALSE(Script.Requests().back().Text.isEmpty());
    EXPECT_EQ(EditColor(edit), QColor(Qt::red));
    EXPECT_EQ(ConfigureLed().State(), lsRed);
    EXPECT_FALSE(Window->Session().ApplyingConfig());
    EXPECT_EQ(Window->Session().DataParameters().Configuration().ConfigurationString(),
              QStringLiteral("1MR:_T_P_UVVVVF"));
    EXPECT_EQ(Window->Session().PostCount(rcNewRun), newRuns);
}

TEST_F(MainForm, RunProposesAStampedNameAndStartsNothingWhenCancelled)
{
    LocaleGuard locale("en_US.UTF-8");
    ConfigureManually(Configuration);
    EnterElevation(QStringLiteral("10"));
    Window->SetClock([] { return QDateTime(QDate(2026, 12, 7), QTime(13, 6, 41)); });
    const uint64_t newRuns = Window->Session().PostCount(rcNewRun);

    Script.ExpectSaveFile(std::nullopt);
    Window->RunClick();
    const TInteractionRequest &request = Script.Requests().back();
    EXPECT_EQ(request.FileName, QStringLiteral("Kestrin_Dec_07_2026_1306.txt"));
    EXPECT_EQ(request.Filter, QStringLiteral("Text files (*.txt)|*.TXT"));
    EXPECT_EQ(request.DefaultExt, QStringLiteral("txt"));
    EXPECT_FALSE(Window->Session().Running());
    EXPECT_EQ(RunLed().State(), lsRed);
    EXPECT_EQ(Window->Session().PostCount(rcNewRun), newRuns);
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Ventrel 1.1"));
}

TEST_F(MainForm, ReceiverErrorIsShownAndLeavesThePagesFree)
{
    Window.reset();
    // A library that cannot be loaded: the receiver reports an error as soon
    // as it is started.
    Create({Dir.filePath(QStringLiteral("missing.so"))});
    // During automatic capture: the capture ends and the page goes idle,
    // free to leave or to try again.
    Script.ExpectError();
    Window->HardwareAutoConfigure();
    ASSERT_TRUE(WaitFor([&] { return !Window->Session().CapturingConfig(); }));
    EXPECT_EQ(Script.Requests().back().Text, ReceiverErrorText);
    EXPECT_EQ(ConfigureLed().State(), lsRed);
    EXPECT_TRUE(Hardware().fraArrows1().arbLeft().Enabled());
    EXPECT_FALSE(Hardware().fraArrows1().arbRight().Enabled());
    EXPECT_TRUE(Window->fraMainControl().fraArrows().arbLeft().Enabled());

    ConfigureManually(Configuration);
    EnterElevation(QStringLiteral("0"));
    Script.ExpectSaveFile(Dir.filePath(QStringLiteral("run.txt")));
    Script.ExpectError();
    Window->RunClick();
    ASSERT_TRUE(WaitFor([&] { return !Window->Session().Running(); }));
    EXPECT_EQ(Script.Requests().back().Text, ReceiverErrorText);
    EXPECT_EQ(RunLed().State(), lsRed);
    EXPECT_TRUE(Window->fraMainControl().fraArrows().arbLeft().Enabled());
}

TEST_F(MainForm, ResizesAreDebouncedAndGraphTypesSendNothing)
{
    const uint64_t before = Window->Session().PostCount(rcStandardParameters);
    // Two resizes within one tick, then a quiet tick: one post of each.
    Window->pnlGraphResize();
    Window->tmrGraphResizeTimer();
    Window->pnlGraphResize();
    Window->tmrGraphResizeTimer();
    EXPECT_EQ(Window->Session().PostCount(rcStandardParameters), before);
    EXPECT_TRUE(Window->tmrGraphResize().isActive());
    Window->tmrGraphResizeTimer();
    EXPECT_EQ(Window->Session().PostCount(rcStandardParameters), before + 1);
    EXPECT_EQ(Window->Session().PostCount(rcSkewTParameters), before + 1);
    EXPECT_EQ(Window->Session().PostCount(rcTimeParameters), before + 1);
    EXPECT_FALSE(Window->tmrGraphResize().isActive());
    EXPECT_EQ(Window->Session().StandardParameters().Width(), Window->imgStandardGraph().width());
    EXPECT_EQ(Window->Session().TimeParameters().Height(), Window->imgTimeGraph().height());

    uint64_t total = 0;
    for (uint8_t kind = 0; kind <= 6; ++kind)
        total += Window->Session().PostCount(kind);
    for (int index : {2, 1, 0}) {
        Window->cmbGraphType().setCurrentIndex(index);
        Window->cmbGraphTypeChange();
        EXPECT_EQ(Window->CurrentGraph(), TGraphType(index));
        EXPECT_EQ(Window->pctlGraph().currentIndex(), index);
        EXPECT_EQ(Window->fraMainControl().pctlGraph().currentIndex(), index);
    }
    uint64_t after = 0;
    for (uint8_t kind = 0; kind <= 6; ++kind)
        after += Window->Session().PostCount(kind);
    EXPECT_EQ(after, total);
}

TEST_F(MainForm, NavigationBetweenThePages)
{
    EXPECT_EQ(Window->pctlLeft().currentIndex(), 0);
    Window->fraStart().rdbWorkWithFiles().setChecked(true);
    Window->fraArrows1arbRightClick();
    EXPECT_EQ(Window->pctlLeft().currentIndex(), 2);
    EXPECT_EQ(Window->fraMainControl().pctlOperatingControls().currentWidget(),
              &Window->fraMainControl().tsFile());
    EXPECT_FALSE(Window->fraMainControl().fraArrows().arbRight().Enabled());
    Window->fraArrowsarbLeftClick();
    EXPECT_EQ(Window->pctlLeft().currentIndex(), 0);

    Window->fraStart().rdbOperate().setChecked(true);
    Script.ExpectInformation();
    Window->fraArrows1arbRightClick();
    EXPECT_EQ(Window->pctlLeft().currentIndex(), 1);
    ConfigureManually(Configuration);
    EnterElevation(QStringLiteral("12.5"));
    EXPECT_TRUE(Window->fraMainControl().fraArrows().arbRight().Enabled());
    Window->fraArrowsarbLeftClick();
    EXPECT_EQ(Window->pctlLeft().currentIndex(), 1);
}

TEST_F(MainForm, DataListKeepsItsViewWithoutAutoScroll)
{
    Window->fraMainControl().fraRun().chkAutoScroll().setChecked(false);
    auto post = [&](uint8_t kind, int rows) {
        auto packet = std::make_unique<TDataViewPacket>(kind);
        if (kind != dvAppend)
            packet->HeadingLines << QStringLiteral("Ch1 T") << QStringLiteral("(degC)");
        for (int i = 0; i < rows; ++i) {
            packet->TimeTexts << QStringLiteral("12:00:%1").arg(i, 2, 10, QLatin1Char('0'));
            packet->RowTexts << QStringLiteral("%1 ").arg(i, 3).repeated(60);
        }
        PostToBuffer(Window->Session().GraphThread().ViewPackets(), std::move(packet));
        Window->tmrDataListViewTimer();
    };
    TDataListView &list = Window->dlvData();
    post(dvHeadings, 0);
    post(dvAppend, 60);
    list.SetActiveLine(10);
    list.SetVerticalScrollPosition(40);
    list.SetHorizontalScrollPosition(30);
    const int32_t vertical = list.VerticalScrollPosition();
    const int32_t horizontal = list.HorizontalScrollPosition();
    post(dvAppend, 5);
    EXPECT_EQ(list.ActiveLine(), 10);
    EXPECT_EQ(list.VerticalScrollPosition(), vertical);
    post(dvReplace, 65);
    EXPECT_EQ(list.RightPane().LineCount(), 65);
    EXPECT_EQ(list.ActiveLine(), 10);
    EXPECT_EQ(list.VerticalScrollPosition(), vertical);
    EXPECT_EQ(list.HorizontalScrollPosition(), horizontal);

    // With Auto Scroll the newest line is selected.
    Window->fraMainControl().fraRun().chkAutoScroll().setChecked(true);
    post(dvAppend, 1);
    EXPECT_EQ(list.ActiveLine(), 65);

    // The graph thread's messages are each shown once.
    for (const char *text : {"Standard graph: first", "Time graph: second"})
        PostToBuffer(Window->Session().GraphThread().Errors(),
                     std::make_unique<TStringWrapper>(QString::fromLatin1(text)));
    Script.ExpectError();
    Script.ExpectError();
    Window->tmrDataListViewTimer();
    Window->tmrDataListViewTimer();
    ASSERT_EQ(Script.Requests().size(), 2u);
    EXPECT_EQ(Script.Requests()[1].Text, QStringLiteral("Time graph: second"));
}

TEST_F(MainForm, TelemetryStripKeepsTheNewestCharacters)
{
    QString sent;
    for (int i = 0; i < 100; ++i) {
        const QString chunk = QStringLiteral("/%1A2B").arg(i, 3, 10, QLatin1Char('0'));
        sent += chunk;
        Window->Session().ReceiverRawCharacters(chunk);
    }
    const QString shown = Window->lblTelemetry().text();
    EXPECT_EQ(shown.size(), TfrmMain::TelemetryKeep);
    EXPECT_TRUE(sent.endsWith(shown));
    // The strip never widens the window.
    EXPECT_LE(Window->lblTelemetry().width(), Window->pnlTelemetry().width());
    EXPECT_EQ(Window->width(), 769);
}

TEST_F(MainForm, StandardDialogCopiesInAndOutAndSetsTheUnit)
{
    TfrmStdGraphParameters dialog(Window.get());
    Window->SetParameterDialogs(&dialog, nullptr, nullptr);
    const TStandardGraphParameters before = Window->Session().StandardParameters();

    // OK takes the dialog's values and sends them to the graph thread.
    uint64_t posted = Window->Session().PostCount(rcStandardParameters);
    Script.ExpectDialog(QDialog::Rejected, [](QDialog &shown) {
        auto &form = static_cast<TfrmStdGraphParameters &>(shown);
        form.edtIndMin1->setText(FormatFixed(200.0, 1));
        form.btnOkClick();
    });
    Window->imgStandardGraphMouseDown(Qt::LeftButton, QPoint(5, 5));
    EXPECT_EQ(Window->Session().PostCount(rcStandardParameters), posted + 1);
    posted = Window->Session().PostCount(rcStandardParameters);
    EXPECT_DOUBLE_EQ(Window->Session().StandardParameters().PressureMinimum(), 200.0);

    Script.ExpectDialog(QDialog::Rejected, [](QDialog &shown) {
        auto &form = static_cast<TfrmStdGraphParameters &>(shown);
        EXPECT_EQ(form.edtIndMin1->text(), FormatFixed(200.0, 1));
        form.edtIndMin1->setText(QStringLiteral("300.0"));
        form.radFeet->setChecked(true);
        // Valid, but Cancel: the window keeps its own.
        EXPECT_TRUE(form.Validate());
    });
    const uint64_t units = Window->Session().PostCount(rcLengthUnit);
    Window->imgStandardGraphMouseDown(Qt::LeftButton, QPoint(5, 5));
    EXPECT_DOUBLE_EQ(Window->Session().StandardParameters().PressureMinimum(), 200.0);
    EXPECT_EQ(Window->Session().PostCount(rcStandardParameters), posted);
    // The unit shown in the dialog goes everywhere, whatever the result.
    EXPECT_EQ(Hardware().Unit(), luFeet);
    EXPECT_GT(Window->Session().PostCount(rcLengthUnit), units);
    EXPECT_NE(before.PressureMinimum(), 200.0);
    Window->SetParameterDialogs(nullptr, nullptr, nullptr);
}

TEST(MainFormPlacement, DialogsAreKeptOnTheScreen)
{
    const QRect screen(0, 0, 1280, 1024);
    EXPECT_EQ(PlaceDialogOnScreen({100, 200}, {300, 250}, screen), QPoint(100, 200));
    EXPECT_EQ(PlaceDialogOnScreen({1200, 1000}, {300, 250}, screen), QPoint(980, 774));
    EXPECT_EQ(PlaceDialogOnScreen({980, 774}, {300, 250}, screen), QPoint(980, 774));
    EXPECT_EQ(PlaceDialogOnScreen({981, 10}, {300, 250}, screen), QPoint(980, 10));
    // A second screen to the right, and a dialog larger than the screen.
    EXPECT_EQ(PlaceDialogOnScreen({2500, 5}, {300, 250}, QRect(1280, 0, 1280, 1024)),
              QPoint(2260, 5));
    EXPECT_EQ(PlaceDialogOnScreen({50, 50}, {1400, 300}, screen), QPoint(0, 50));
}

TEST_F(MainForm, ClosesWhileTheGraphThreadWaitsForItsCopy)
{
    // Redrawn graphs wait for the copy onto this thread, which is busy.
    Window->tmrGraphResizeTimer();
    QElapsedTimer timer;
    timer.start();
    while (!Window->Session().GraphThread().AwaitingCopy() && timer.elapsed() < 10000)
        QThread::usleep(500);
    ASSERT_TRUE(Window->Session().GraphThread().AwaitingCopy());
    Window.reset();
    SUCCEED();
}

// At start-up a run left without a Stop is offered once: Yes records on into
// its log from the run page, with the log in the title; No leaves the log
// and forgets the run.
TEST_F(MainForm, AnInterruptedRunIsOfferedAtStartUp)
{
    const QString log = Dir.filePath(QStringLiteral("flight.txt"));
    QProcess sim;
    sim.start(Simulator, {"--write-log", log, "--frames", "20", "--start", "2026-12-09T11:00:00"});
    ASSERT_TRUE(sim.waitForFinished(30000));
    const QString marker = RunMarkerFile(DefaultRunMarkerFolder(), log);
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        WriteRunMarker(marker, {log, QStringLiteral("1MR:TPUVVVVF"), 0.0});
        Script.ExpectConfirmation(yes);
        Window->OfferInterruptedRun();
        EXPECT_EQ(Script.Requests().back().Text,
                  QStringLiteral("A run was recording into %1 until 11:00:19 (20 frames). "
                                 "Continue this flight?")
                      .arg(log));
        EXPECT_EQ(Window->Session().Running(), yes);
        EXPECT_EQ(QFile::exists(marker), yes);
    }
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("flight.txt"));
    EXPECT_EQ(Window->pctlLeft().currentIndex(), 2);
    EXPECT_EQ(RunLed().State(), lsGreen);
    Script.ExpectConfirmation(true);
    Window->StopClick();
    EXPECT_FALSE(QFile::exists(marker));
    // Nothing is asked of a program that was stopped normally.
    const size_t asked = Script.Requests().size();
    Window->OfferInterruptedRun();
    EXPECT_EQ(Script.Requests().size(), asked);
}
