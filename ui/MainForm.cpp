#include "ui/MainForm.h"

#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"
#include "foundation/WrapperClasses.h"
#include "pipeline/GraphThread.h"
#include "ui/DataListView.h"
#include "ui/FileButtonsFrame.h"
#include "ui/FrameSupport.h"
#include "ui/GraphImage.h"
#include "ui/GraphSeriesFrame.h"
#include "ui/HardwareFrame.h"
#include "ui/MainControlFrame.h"
#include "ui/ModalInteraction.h"
#include "ui/SkewTGraphFrame.h"
#include "ui/SkewTGraphParametersForm.h"
#include "ui/SoundingProductsForm.h"
#include "ui/StandardGraphFrame.h"
#include "ui/StartFrame.h"
#include "ui/StdGraphParametersForm.h"
#include "ui/TimeGraphFrame.h"
#include "ui/TimeGraphParametersForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

namespace {

const QString CaptureLostMessage =
    QStringLiteral("Kestrin is no longer transmitting Configuration.  Please restart Kestrin "
                   "and try again.");
const QString ReceiverErrorMessage =
    QStringLiteral("Kestrin error.  Please be sure CwGet is properly installed");

constexpr int LeftPaneWidth = 190;
constexpr int TitlePanelHeight = 94;
constexpr int SplitterHeight = 3;
constexpr int DataPanelHeight = 95;
constexpr int TelemetryPanelHeight = 22;
constexpr int TelemetrySpacer = 10;

void SetBackground(QWidget &widget, const QColor &color)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, color);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

bool InUse(TChannelType type)
{
    return type != ctUnused && type != ctUnavailable;
}

// Applies one delivery of the graph thread to the data list.
void ApplyViewPacket(TDataListView &list, const TDataViewPacket &packet, bool autoScroll)
{
    switch (packet.Kind) {
    case dvAppend:
        list.AddLines(packet.TimeTexts, packet.RowTexts);
        if (autoScroll)
            list.ScrollToEnd();
        break;
    case dvHeadings:
        list.ClearLines();
        list.ClearHeaders();
        for (const QString &line : packet.HeadingLines)
            list.AddHeaderLine(line);
        break;
    case dvReplace: {
        const int32_t active = list.ActiveLine();
        const int32_t horizontal = list.HorizontalScrollPosition();
        const int32_t vertical = list.VerticalScrollPosition();
        list.ClearLines();
        list.ClearHeaders();
        for (const QString &line : packet.HeadingLines)
            list.AddHeaderLine(line);
        list.AddLines(packet.TimeTexts, packet.RowTexts);
        list.SetActiveLine(active);
        list.SetHorizontalScrollPosition(horizontal);
        list.SetVerticalScrollPosition(vertical);
        if (autoScroll)
            list.ScrollToEnd();
        break;
    }
    default:
        break;
    }
}

} // namespace

QPoint PlaceDialogOnScreen(QPoint position, QSize size, const QRect &screen)
{
    int x = position.x();
    int y = position.y();
    if (x + size.width() > screen.x() + screen.width())
        x = screen.x() + screen.width() - size.width();
    if (y + size.height() > screen.y() + screen.height())
        y = screen.y() + screen.height() - size.height();
    // A dialog larger than the screen keeps its title bar and OK in reach.
    x = std::max(x, screen.x());
    y = std::max(y, screen.y());
    return {x, y};
}

TfrmMain::TfrmMain(const TMainFormOptions &options, QWidget *parent)
    : QMainWindow(parent), FOptions(options), FClock([] { return QDateTime::currentDateTime(); })
{
    BuildControls();
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    FormDestroy();
}

void TfrmMain::BuildControls()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Ventrel 1.1"));

    FMainPanel = new QWidget(this);
    FMainPanel->setObjectName(QStringLiteral("pnlMain"));
    setCentralWidget(FMainPanel);
    auto *mainLayout = new QHBoxLayout(FMainPanel);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(0);

    // The left pane: start, hardware and main-control pages, without tabs.
    FLeftPages = new QStackedWidget(FMainPanel);
    FLeftPages->setObjectName(QStringLiteral("pctlLeft"));
    FLeftPages->setFixedWidth(LeftPaneWidth);
    FStartPage = NewPage(*FLeftPages, "tshStart");
    FStart = new TfraStart(FStartPage);
    FStartPage->layout()->addWidget(FStart);
    FHardwarePage = NewPage(*FLeftPages, "tsHardware");
    FHardware = new TfraHardware(FHardwarePage);
    FHardwarePage->layout()->addWidget(FHardware);
    FMainControlPage = NewPage(*FLeftPages, "tsMainControl");

    FTitlePanel = new QWidget(FMainControlPage);
    FTitlePanel->setObjectName(QStringLiteral("pnlTitle"));
    FTitlePanel->setFixedHeight(TitlePanelHeight);
    FTitle = new QLabel(QStringLiteral("Graph Type:"), FTitlePanel);
    FTitle->setObjectName(QStringLiteral("lblTitle"));
    FGraphTypeCombo = new QComboBox(FTitlePanel);
    FGraphTypeCombo->setObjectName(QStringLiteral("cmbGraphType"));
    FGraphTypeCombo->addItems(
        {GraphTypeToName(gtStandard), GraphTypeToName(gtSkewT), GraphTypeToName(gtTime)});
    FGraphTypeCombo->setCurrentText(GraphTypeToName(gtStandard));
    auto *titleLayout = new QVBoxLayout(FTitlePanel);
    titleLayout->setContentsMargins(10, 12, 10, 8);
    titleLayout->setSpacing(6);
    titleLayout->addWidget(FTitle);
    titleLayout->addWidget(FGraphTypeCombo);
    titleLayout->addStretch(1);
    FMainControl = new TfraMainControl(FMainControlPage);
    FMainControlPage->layout()->addWidget(FTitlePanel);
    FMainControlPage->layout()->addWidget(FMainControl);

    auto standard = std::make_unique<TfraStandardGraph>();
    standard->setObjectName(QStringLiteral("fraStandardGraph"));
    FStandardSeries = standard.get();
    FMainControl->SetSeriesFrame(gtStandard, std::move(standard));
    auto skewT = std::make_unique<TfraSkewTGraph>();
    skewT->setObjectName(QStringLiteral("fraSkewTGraph"));
    FSkewTSeries = skewT.get();
    FMainControl->SetSeriesFrame(gtSkewT, std::move(skewT));
    auto time = std::make_unique<TfraTimeGraph>();
    time->setObjectName(QStringLiteral("fraTimeGraph"));
    FTimeSeries = time.get();
    FMainControl->SetSeriesFrame(gtTime, std::move(time));
    auto fileButtons = std::make_unique<TfraFileButtons>();
    FFileButtons = fileButtons.get();
    FMainControl->SetFileButtonsFrame(std::move(fileButtons));

    mainLayout->addWidget(FLeftPages);

    // The right side: graphs over the data list, the telemetry strip below.
    FRightPanel = new QWidget(FMainPanel);
    FRightPanel->setObjectName(QStringLiteral("pnlRight"));
    auto *rightLayout = new QVBoxLayout(FRightPanel);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    mainLayout->addWidget(FRightPanel, 1);

    FSplitter = new QSplitter(Qt::Vertical, FRightPanel);
    FSplitter->setObjectName(QStringLiteral("splData"));
    FSplitter->setHandleWidth(SplitterHeight);
    FSplitter->setChildrenCollapsible(false);
    rightLayout->addWidget(FSplitter, 1);

    FGraphPanel = new QWidget(FSplitter);
    FGraphPanel->setObjectName(QStringLiteral("pnlGraph"));
    FGraphPanel->setMinimumHeight(1);
    SetBackground(*FGraphPanel, Qt::white);
    auto *graphLayout = new QVBoxLayout(FGraphPanel);
    graphLayout->setContentsMargins(0, 0, 0, 0);
    FGraphPages = new QStackedWidget(FGraphPanel);
    FGraphPages->setObjectName(QStringLiteral("pctlGraph"));
    graphLayout->addWidget(FGraphPages);
    const char *pageNames[3] = {"tsStandardGraph", "tsSkewTGraph", "tsTimeGraph"};
    const char *imageNames[3] = {"imgStandardGraph", "imgSkewTGraph", "imgTimeGraph"};
    for (int type = gtStandard; type <= gtTime; ++type) {
        QWidget *page = NewPage(*FGraphPages, pageNames[type]);
        auto *image = new TGraphImage(page);
        image->setObjectName(QString::fromLatin1(imageNames[type]));
        page->layout()->addWidget(image);
        FImages[size_t(type)] = image;
    }
    FGraphPanel->installEventFilter(this);

    FDataPanel = new QWidget(FSplitter);
    FDataPanel->setObjectName(QStringLiteral("pnlData"));
    FDataPanel->setMinimumHeight(1);
    auto *dataLayout = new QVBoxLayout(FDataPanel);
    dataLayout->setContentsMargins(0, 0, 0, 0);
    FDataList = new TDataListView(FDataPanel);
    FDataList->setObjectName(QStringLiteral("dlvData"));
    FDataList->SetBackground(Qt::white);
    FDataList->SetSelectedColor(QColor(0xA6, 0xCA, 0xF0));
    FDataList->SetMinLeftPadding(100);
    FDataList->setMinimumHeight(1);
    dataLayout->addWidget(FDataList);
    FSplitter->addWidget(FGraphPanel);
    FSplitter->addWidget(FDataPanel);
    FSplitter->setStretchFactor(0, 1);
    FSplitter->setStretchFactor(1, 0);
    FSplitter->setSizes({1000, DataPanelHeight});

    FTelemetryPanel = new QWidget(FRightPanel);
    FTelemetryPanel->setObjectName(QStringLiteral("pnlTelemetry"));
    FTelemetryPanel->setFixedHeight(TelemetryPanelHeight);
    auto *telemetryLayout = new QHBoxLayout(FTelemetryPanel);
    telemetryLayout->setContentsMargins(TelemetrySpacer, 0, TelemetrySpacer, 0);
    FTelemetry = new QLabel(FTelemetryPanel);
    FTelemetry->setObjectName(QStringLiteral("lblTelemetry"));
    FTelemetry->setTextFormat(Qt::PlainText);
    FTelemetry->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // However much arrives, the strip never asks the window to grow: the
    // oldest characters run off its left edge.
    FTelemetry->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    FTelemetry->setMinimumWidth(0);
    telemetryLayout->addWidget(FTelemetry, 1);
    rightLayout->addWidget(FTelemetryPanel);

    FGraphResizeTimer = new QTimer(this);
    FGraphResizeTimer->setObjectName(QStringLiteral("tmrGraphResize"));
    FGraphResizeTimer->setInterval(250);
    FPrintTimer = new QTimer(this);
    FPrintTimer->setObjectName(QStringLiteral("tmrPrint"));
    FPrintTimer->setInterval(2000);
    FDataListTimer = new QTimer(this);
    FDataListTimer->setObjectName(QStringLiteral("tmrDataListView"));
    FDataListTimer->setInterval(1000);
    connect(FGraphResizeTimer, &QTimer::timeout, this,
            [this] { Guarded([this] { tmrGraphResizeTimer(); }); });
    connect(FPrintTimer, &QTimer::timeout, this, [this] { Guarded([this] { tmrPrintTimer(); }); });
    connect(FDataListTimer, &QTimer::timeout, this,
            [this] { Guarded([this] { tmrDataListViewTimer(); }); });
    FLoadedRowsTimer = new QTimer(this);
    FLoadedRowsTimer->setInterval(20);
    connect(FLoadedRowsTimer, &QTimer::timeout, this,
            [this] { Guarded([this] { LoadedRowsTimer(); }); });

    ConnectFileButtons();
    ConnectSoundingProducts();
    connect(FGraphTypeCombo, &QComboBox::activated, this,
            [this] { Guarded([this] { cmbGraphTypeChange(); }); });
    TfraRun &run = FMainControl->fraRun();
    connect(&run.btnRun(), &QPushButton::clicked, this,
            [this] { Guarded([this] { RunClick(); }); });
    connect(&run.btnStop(), &QPushButton::clicked, this,
            [this] { Guarded([this] { StopClick(); }); });
    imgStandardGraph().OnMouseDown = [this](Qt::MouseButton button, QPoint position) {
        Guarded([&] { imgStandardGraphMouseDown(button, position); });
    };
    imgSkewTGraph().OnMouseDown = [this](Qt::MouseButton button, QPoint position) {
        Guarded([&] { imgSkewTGraphMouseDown(button, position); });
    };
    imgTimeGraph().OnMouseDown = [this](Qt::MouseButton button, QPoint position) {
        Guarded([&] { imgTimeGraphMouseDown(button, position); });
    };

    resize(769, 648);
    setMinimumSize(750, 635);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect placed(QPoint(0, 0), size());
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
}

void TfrmMain::FormCreate()
{
    // 1. Dialogs and flags.
    FSaveDialog.SetFilter(TextFileFilter);
    FSaveDialog.SetDefaultExt(QStringLiteral("txt"));
    FSaveDialog.SetOverwritePrompt(true);
    FPrintDialog = std::make_unique<TPrintDialog>();
    FResizePending = false;
    FOpenDialog.SetFilter(TextFileFilter);
    FOpenDialog.SetDefaultExt(QStringLiteral("txt"));
    FOpenDialog.SetFileMustExist(true);
    FTelemetry->clear();
    FCurrentGraph = gtStandard;

    // 2. The frames' notifications.
    ConnectFrames();

    // 3. The flight: its graph thread with the three screen images, the run
    // log writer and the receiver; the series pages' initial settings in the
    // graph parameters.
    FSession = std::make_unique<TFlightSession>(
        TFlightSessionOptions{FOptions.ReceiverLibraryPath, FOptions.OutboxFolder});
    for (TGraphType type : {gtStandard, gtSkewT, gtTime})
        FSession->GraphThread().SetGraphTarget(type, &GraphImage(type).Picture());
    FSession->GraphThread().OnTargetPainted = [this](TGraphType type) {
        GraphImage(type).PictureChanged();
    };
    ConnectDelivery();
    ConnectSeriesPages();
    TStandardGraphParameters standard = FSession->StandardParameters();
    TTimeGraphParameters time = FSession->TimeParameters();
    for (int32_t channel = 1; channel <= TValueAxesParameters::ChannelCount; ++channel) {
        const TfraGraphSeries &row = FStandardSeries->Series(channel);
        standard.SetSeriesAxis(channel, row.AxisNumber());
        standard.GetDataMarker(channel).Assign(row.MarkerDefinition());
        const TfraGraphSeries &timeRow = FTimeSeries->Series(channel);
        time.SetSeriesAxis(channel, timeRow.AxisNumber());
        time.GetDataMarker(channel).Assign(timeRow.MarkerDefinition());
    }
    TSkewTGraphParameters skewT = FSession->SkewTParameters();
    skewT.TemperatureMarker().Assign(FSkewTSeries->TemperatureMarker());
    skewT.DewpointMarker().Assign(FSkewTSeries->DewpointMarker());
    // Kept without a post: the first layout's sizes post them all.
    FSession->KeepGraphParameters(standard, skewT, time);
    pnlGraphResize();
    RefreshSeriesFrames();
    ConnectSession();

    // Bitmaps the print timer takes go to the printer.
    OnPrintImage = [this](std::unique_ptr<TPrintImage> image) { PrintImage(std::move(image)); };

    // 4. The Standard graph on the start page.
    SetGraphType(gtStandard);
    ShowStartPage();

    FPrintTimer->start();
    FDataListTimer->start();
}

void TfrmMain::FormDestroy()
{
    FDestroying = true;
    FGraphResizeTimer->stop();
    FPrintTimer->stop();
    FDataListTimer->stop();
    FLoadedRowsTimer->stop();
    // The receiver first, then the graph thread, then the run log's last lines.
    if (FSession)
        FSession->Shutdown();
    FPrintDialog.reset();
}

void TfrmMain::ConnectFrames()
{
    FStart->OnNext = [this] { Guarded([this] { StartNext(); }); };

    FHardware->OnAutoConfigure = [this] { Guarded([this] { HardwareAutoConfigure(); }); };
    FHardware->OnManualConfigure = [this](const QString &text) {
        Guarded([&] { HardwareManualConfigure(text); });
    };
    FHardware->OnCancelConfigure = [this] { Guarded([this] { HardwareCancelConfigure(); }); };
    FHardware->OnBack = [this] { Guarded([this] { HardwareBack(); }); };
    FHardware->OnElevationEntered = [this](double meters) {
        Guarded([&] { HardwareElevationEntered(meters); });
    };
    FHardware->OnUnitsChanged = [this](TLengthUnit unit) {
        Guarded([&] { HardwareUnitsChanged(unit); });
    };

    FMainControl->OnBack = [this] { Guarded([this] { MainControlBack(); }); };
    FMainControl->OnNext = [this] { Guarded([this] { MainControlNext(); }); };
}

void TfrmMain::ConnectSeriesPages()
{
    FStandardSeries->OnSeriesChanged = [this](int32_t channel, int32_t axis,
                                              const TMarkerDefinition &marker) {
        Guarded([&] { StandardSeriesChanged(channel, axis, marker); });
    };
    FSkewTSeries->OnMarkersChanged = [this](const TMarkerDefinition &temperature,
                                            const TMarkerDefinition &dewpoint) {
        Guarded([&] { SkewTMarkersChanged(temperature, dewpoint); });
    };
    FTimeSeries->OnSeriesChanged = [this](int32_t channel, int32_t axis,
                                          const TMarkerDefinition &marker) {
        Guarded([&] { TimeSeriesChanged(channel, axis, marker); });
    };
}

void TfrmMain::ConnectSession()
{
    FSession->OnRawCharacters = [this](const QString &text) {
        Guarded([&] { ShowTelemetry(text); });
    };
    FSession->OnConfigurationApplying = [this] { Guarded([this] { ConfigurationApplying(); }); };
    FSession->OnNewDataSet = [this] {
        Guarded([this] {
            if (FSoundingProducts)
                FSoundingProducts->SetStationHeight(FSession->DataParameters().LaunchElevation());
        });
    };
    FSession->OnConfigurationSet = [this](const TKestrinResult &configuration) {
        Guarded([&] { ConfigurationSet(configuration); });
    };
    FSession->OnCaptureLost = [this] { Guarded([this] { CaptureLost(); }); };
    FSession->OnReceiverError = [this](bool wasCapturing) {
        Guarded([&] { ReceiverError(wasCapturing); });
    };
    FSession->OnFileError = [this](const QString &message) {
        Guarded([&] { FileError(message); });
    };
}

void TfrmMain::SetParameterDialogs(TfrmStdGraphParameters *standard,
                                   TfrmSkewTGraphParameters *skewT, TfrmTimeGraphParameters *time)
{
    FStdGraphParametersForm = standard;
    FSkewTGraphParametersForm = skewT;
    FTimeGraphParametersForm = time;
}

TGraphImage &TfrmMain::GraphImage(TGraphType type)
{
    return *FImages[type <= gtTime ? size_t(type) : size_t(gtStandard)];
}

QString TfrmMain::ProposedFileName(const QString &prefix, const QString &extension) const
{
    return prefix + FormatFileStamp(FClock()) + extension;
}

void TfrmMain::Guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const EVentrelError &e) {
        ModalInteraction().ShowError(e.Message(), this);
    } catch (const std::exception &e) {
        ModalInteraction().ShowError(QString::fromLocal8Bit(e.what()), this);
    }
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FGraphPanel && event->type() == QEvent::Resize && !FDestroying)
        Guarded([this] { pnlGraphResize(); });
    return QMainWindow::eventFilter(watched, event);
}

// --- pages ------------------------------------------------------------------

void TfrmMain::ShowStartPage()
{
    FLeftPages->setCurrentIndex(0);
}

void TfrmMain::ShowHardwarePage()
{
    FLeftPages->setCurrentIndex(1);
}

void TfrmMain::ShowRunControls()
{
    FMainControl->ShowRunControls();
    FLeftPages->setCurrentIndex(2);
}

void TfrmMain::ShowFileControls()
{
    FMainControl->ShowFileControls();
    FLeftPages->setCurrentIndex(2);
}

void TfrmMain::fraArrows1arbRightClick()
{
    FStart->RightArrowClick();
}

void TfrmMain::fraArrowsarbLeftClick()
{
    FMainControl->LeftArrowClick();
}

void TfrmMain::fraHardwareConfig1btnConfigureClick()
{
    FHardware->btnConfigureClick();
}

void TfrmMain::StartNext()
{
    if (FStart->rdbOperate().isChecked()) {
        ShowHardwarePage();
        ModalInteraction().ShowInformation(
            QStringLiteral("Click \"Configure\" to capture Kestrin configuration"), this);
    } else {
        ShowFileControls();
    }
}

void TfrmMain::HardwareBack()
{
    ShowStartPage();
}

void TfrmMain::MainControlBack()
{
    if (!FStart->rdbOperate().isChecked())
        ShowStartPage();
    else
        ShowHardwarePage();
}

void TfrmMain::MainControlNext()
{
    ShowFileControls();
}

// --- configuration ----------------------------------------------------------

void TfrmMain::HardwareAutoConfigure()
{
    if (!FSession->BeginCapture())
        return;
    FHardware->GoBusy();
    FMainControl->LockNavigation();
}

void TfrmMain::HardwareManualConfigure(const QString &text)
{
    try {
        FSession->ApplyTypedConfiguration(text);
    } catch (const EKestrinConfigStringError &e) {
        FMainControl->UnlockNavigation();
        FHardware->ReportConfigurationError(e.Message());
    }
}

void TfrmMain::HardwareCancelConfigure()
{
    FSession->CancelConfiguration();
    FHardware->GoIdle();
    FMainControl->UnlockNavigation();
}

void TfrmMain::ConfigurationApplying()
{
    FHardware->GoBusy();
    FMainControl->LockNavigation();
    RefreshSeriesFrames();
}

void TfrmMain::RefreshSeriesFrames()
{
    const TKestrinResult &configuration = FSession->DataParameters().Configuration();
    for (int32_t channel = 1; channel <= KestrinChannels; ++channel) {
        const TChannelType type = configuration.ChannelType(channel);
        TfraGraphSeries &standard = FStandardSeries->Series(channel);
        standard.SetChannelType(type);
        standard.SetPrimary(configuration.IsPrimary(channel));
        TfraGraphSeries &time = FTimeSeries->Series(channel);
        time.SetChannelType(type);
        time.SetPrimary(false);
        for (TfraGraphSeries *row : {&standard, &time}) {
            if (InUse(type))
                row->Enable();
            else
                row->Disable();
        }
    }
}

void TfrmMain::CaptureLost()
{
    // The operator must be able to leave the main-control page again.
    FMainControl->UnlockNavigation();
    FHardware->ReportError(CaptureLostMessage);
}

// --- what the devices report through the session ------------------------------

void TfrmMain::ShowTelemetry(const QString &text)
{
    QString shown = FTelemetry->text() + text;
    if (shown.size() > TelemetryKeep)
        shown = shown.right(TelemetryKeep);
    FTelemetry->setText(shown);
}

void TfrmMain::ConfigurationSet(const TKestrinResult &configuration)
{
    FHardware->ShowConfigured(configuration.ConfigurationString());
    FMainControl->UnlockNavigation();
}

void TfrmMain::ReceiverError(bool wasCapturing)
{
    ShowRunStopped();
    if (wasCapturing)
        FHardware->GoIdle();
    ModalInteraction().ShowError(ReceiverErrorMessage, this);
}

void TfrmMain::FileError(const QString &message)
{
    if (FDestroying)
        return;
    ModalInteraction().ShowError(message, this);
}

// --- runs ---------------------------------------------------------------------

void TfrmMain::RunClick()
{
    if (FSession->Running())
        return;
    FSaveDialog.SetFileName(ProposedFileName(QStringLiteral("Kestrin"), QStringLiteral(".txt")));
    if (!FSaveDialog.Execute(this))
        return;
    const QString path = FSaveDialog.FileName();
    FSession->StartRun(path);
    FMainControl->fraRun().ledRun().SetState(lsGreen);
    FMainControl->LockNavigation();
    SetLogFileName(path);
}

void TfrmMain::StopClick()
{
    if (!ModalInteraction().Confirm(QStringLiteral("Stop capturing data?"), this))
        return;
    StopRun();
}

void TfrmMain::StopRun()
{
    FSession->StopRun();
    ShowRunStopped();
}

void TfrmMain::OfferInterruptedRun()
{
    const std::optional<TInterruptedRun> run = FSession->FindInterruptedRun();
    if (!run)
        return;
    if (!run->Problem.isEmpty()) {
        FSession->ForgetInterruptedRun(*run);
        ModalInteraction().ShowInformation(run->Problem, this);
        return;
    }
    const QString question =
        QStringLiteral("A run was recording into %1 until %2 (%3 frames). Continue this flight?")
            .arg(QDir::toNativeSeparators(run->Marker.LogFile),
                 run->Last ? DaysToDateTime(*run->Last).toString(QStringLiteral("HH:mm:ss"))
                           : QStringLiteral("its start"))
            .arg(run->Frames);
    if (!ModalInteraction().Ask(question, this)) {
        FSession->ForgetInterruptedRun(*run);
        return;
    }
    Guarded([&] {
        FSession->ContinueRun(run->Marker);
        SetLogFileName(run->Marker.LogFile);
        FSoundingProducts->ShowStation(run->Marker.Station, run->Marker.LaunchElevation);
        FSoundingProducts->ShowSurfaceObservation(run->Marker.Surface);
        ListLoadedRows();
        ShowRunControls();
        FMainControl->fraRun().ledRun().SetState(lsGreen);
        FMainControl->LockNavigation();
    });
}

void TfrmMain::ShowRunStopped()
{
    FMainControl->fraRun().ledRun().SetState(lsRed);
    FMainControl->UnlockNavigation();
}

void TfrmMain::SetLogFileName(const QString &path)
{
    FLogFileName = QFileInfo(path).fileName();
    setWindowTitle(FLogFileName);
}

// --- graphs ---------------------------------------------------------------------

void TfrmMain::cmbGraphTypeChange()
{
    SetGraphType(NameToGraphType(FGraphTypeCombo->currentText()));
}

void TfrmMain::SetGraphType(TGraphType type)
{
    if (type > gtTime)
        type = gtStandard;
    FGraphTypeCombo->setCurrentText(GraphTypeToName(type));
    FMainControl->ShowSeriesPage(type);
    FGraphPages->setCurrentIndex(type);
    FCurrentGraph = type;
}

void TfrmMain::pnlGraphResize()
{
    // Each image fills the graph panel. Pages not on show are not laid out
    // by the toolkit, and the shown one may be laid out only after this
    // event, so the images are given the panel's size here.
    const QSize area = FGraphPanel->contentsRect().size();
    for (TGraphImage *image : FImages) {
        image->parentWidget()->resize(area);
        image->resize(area);
    }
    for (TGraphType type : {gtStandard, gtSkewT, gtTime})
        FSession->SetGraphSize(type, GraphImage(type).size());
    FResizePending = true;
    if (!FGraphResizeTimer->isActive())
        FGraphResizeTimer->start();
}

void TfrmMain::tmrGraphResizeTimer()
{
    if (FResizePending) {
        FResizePending = false;
        return;
    }
    FGraphResizeTimer->stop();
    FSession->PostGraphParameters();
}

void TfrmMain::StandardSeriesChanged(int32_t channel, int32_t axis, const TMarkerDefinition &marker)
{
    TStandardGraphParameters parameters = FSession->StandardParameters();
    parameters.SetSeriesAxis(channel, axis);
    parameters.GetDataMarker(channel).Assign(marker);
    FSession->SetStandardParameters(parameters);
}

void TfrmMain::SkewTMarkersChanged(const TMarkerDefinition &temperature,
                                   const TMarkerDefinition &dewpoint)
{
    TSkewTGraphParameters parameters = FSession->SkewTParameters();
    parameters.TemperatureMarker().Assign(temperature);
    parameters.DewpointMarker().Assign(dewpoint);
    FSession->SetSkewTParameters(parameters);
}

void TfrmMain::TimeSeriesChanged(int32_t channel, int32_t axis, const TMarkerDefinition &marker)
{
    TTimeGraphParameters parameters = FSession->TimeParameters();
    parameters.SetSeriesAxis(channel, axis);
    parameters.GetDataMarker(channel).Assign(marker);
    FSession->SetTimeParameters(parameters);
}

void TfrmMain::HardwareElevationEntered(double meters)
{
    FSession->SetLaunchElevation(meters);
    ShowRunControls();
    ModalInteraction().ShowInformation(QStringLiteral("Press \"Run\" to begin collecting data."),
                                       this);
}

void TfrmMain::HardwareUnitsChanged(TLengthUnit unit)
{
    SetUnits(unit);
}

void TfrmMain::SetUnits(TLengthUnit unit)
{
    ShowUnits(unit);
    FSession->SetLengthUnit(unit);
}

void TfrmMain::ShowUnits(TLengthUnit unit)
{
    FHardware->SetUnit(unit);
    if (FStdGraphParametersForm)
        FStdGraphParametersForm->SetUnits(unit);
    if (FSkewTGraphParametersForm)
        FSkewTGraphParametersForm->SetUnits(unit);
}

void TfrmMain::imgStandardGraphMouseDown(Qt::MouseButton, QPoint position)
{
    ShowParameterDialog(gtStandard, position);
}

void TfrmMain::imgSkewTGraphMouseDown(Qt::MouseButton, QPoint position)
{
    ShowParameterDialog(gtSkewT, position);
}

void TfrmMain::imgTimeGraphMouseDown(Qt::MouseButton, QPoint position)
{
    ShowParameterDialog(gtTime, position);
}

void TfrmMain::PlaceDialog(QWidget &dialog, TGraphType type, QPoint position)
{
    const QPoint global = GraphImage(type).mapToGlobal(position);
    const QScreen *screen = QGuiApplication::screenAt(global);
    if (!screen)
        screen = GraphImage(type).screen();
    dialog.adjustSize();
    const QRect area = screen ? screen->availableGeometry() : QRect(global, dialog.size());
    dialog.move(PlaceDialogOnScreen(global, dialog.size(), area));
}

void TfrmMain::ShowParameterDialog(TGraphType type, QPoint position)
{
    switch (type) {
    case gtStandard: {
        if (!FStdGraphParametersForm)
            return;
        TfrmStdGraphParameters &dialog = *FStdGraphParametersForm;
        PlaceDialog(dialog, type, position);
        dialog.Parameters() = FSession->StandardParameters();
        if (ModalInteraction().ExecuteDialog(dialog) == QDialog::Accepted)
            FSession->SetStandardParameters(dialog.Parameters());
        SetUnits(dialog.Units());
        break;
    }
    case gtSkewT: {
        if (!FSkewTGraphParametersForm)
            return;
        TfrmSkewTGraphParameters &dialog = *FSkewTGraphParametersForm;
        PlaceDialog(dialog, type, position);
        dialog.Parameters() = FSession->SkewTParameters();
        if (ModalInteraction().ExecuteDialog(dialog) == QDialog::Accepted)
            FSession->SetSkewTParameters(dialog.Parameters());
        SetUnits(dialog.GetUnits());
        break;
    }
    case gtTime: {
        if (!FTimeGraphParametersForm)
            return;
        TfrmTimeGraphParameters &dialog = *FTimeGraphParametersForm;
        PlaceDialog(dialog, type, position);
        dialog.Parameters() = FSession->TimeParameters();
        if (ModalInteraction().ExecuteDialog(dialog) == QDialog::Accepted)
            FSession->SetTimeParameters(dialog.Parameters());
        break;
    }
    default:
        break;
    }
}

// --- timers -------------------------------------------------------------------------

void TfrmMain::tmrDataListViewTimer()
{
    auto packets = TakeFromBuffer(FSession->GraphThread().ViewPackets());
    const bool autoScroll = FMainControl->fraRun().chkAutoScroll().isChecked();
    for (const auto &packet : packets)
        ApplyViewPacket(*FDataList, *packet, autoScroll);
    ShowGraphErrors();
}

void TfrmMain::LoadedRowsTimer()
{
    const bool processed = FSession->GraphThread().CompletedCycles() >= FSession->ReplayCycle();
    if (processed)
        FLoadedRowsTimer->stop();
    tmrDataListViewTimer();
}

void TfrmMain::ShowGraphErrors()
{
    // A tick that comes round inside an error box leaves the next messages
    // for after it.
    if (FShowingGraphErrors)
        return;
    FShowingGraphErrors = true;
    try {
        for (;;) {
            std::unique_ptr<TStringWrapper> message;
            {
                TBufferLock<TStringWrapper> lock(FSession->GraphThread().Errors());
                message = FSession->GraphThread().Errors().Pop();
            }
            if (!message)
                break;
            ModalInteraction().ShowError(message->Value, this);
        }
    } catch (...) {
        FShowingGraphErrors = false;
        throw;
    }
    FShowingGraphErrors = false;
}

void TfrmMain::tmrPrintTimer()
{
    FPrintTimer->stop();
    std::unique_ptr<TPrintImage> image;
    {
        TBufferLock<TPrintImage> lock(FSession->GraphThread().Images());
        image = FSession->GraphThread().Images().Pop();
    }
    try {
        // Printing shows its own dialog; the timer waits for it to finish.
        if (image && OnPrintImage)
            OnPrintImage(std::move(image));
    } catch (...) {
        if (!FDestroying)
            FPrintTimer->start();
        throw;
    }
    if (!FDestroying)
        FPrintTimer->start();
}
