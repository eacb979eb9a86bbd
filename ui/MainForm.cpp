#include "ui/MainForm.h"

#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"
#include "foundation/WrapperClasses.h"
#include "pipeline/GraphThread.h"
#include "pipeline/RecordingSession.h"
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
    // 1. Dialogs, recorded lines, flags and data parameters.
    FSaveDialog.SetFilter(TextFileFilter);
    FSaveDialog.SetDefaultExt(QStringLiteral("txt"));
    FSaveDialog.SetOverwritePrompt(true);
    FPrintDialog = std::make_unique<TPrintDialog>();
    FResizePending = false;
    FOpenDialog.SetFilter(TextFileFilter);
    FOpenDialog.SetDefaultExt(QStringLiteral("txt"));
    FOpenDialog.SetFileMustExist(true);
    FCapturingConfig = false;
    FApplyingConfig = false;
    FRunning = false;
    FDataParameters = TDataParameters();
    FTelemetry->clear();
    FCurrentGraph = gtStandard;

    // 2. The frames' notifications.
    ConnectFrames();

    // 3. The graphs: parameters, the thread with its three screen images,
    // and the series pages' initial settings in the parameters.
    FStandardParameters = TStandardGraphParameters();
    FSkewTParameters = TSkewTGraphParameters();
    FTimeParameters = TTimeGraphParameters();
    FGraphThread = std::make_unique<TGraphThread>();
    for (TGraphType type : {gtStandard, gtSkewT, gtTime})
        FGraphThread->SetGraphTarget(type, &GraphImage(type).Picture());
    FGraphThread->OnTargetPainted = [this](TGraphType type) { GraphImage(type).PictureChanged(); };
    FRecording = std::make_unique<TRecordingSession>(FGraphThread->Commands());
    ConnectSeriesPages();
    for (int32_t channel = 1; channel <= TValueAxesParameters::ChannelCount; ++channel) {
        const TfraGraphSeries &row = FStandardSeries->Series(channel);
        FStandardParameters.SetSeriesAxis(channel, row.AxisNumber());
        FStandardParameters.GetDataMarker(channel).Assign(row.MarkerDefinition());
    }
    for (int32_t channel = 1; channel <= TValueAxesParameters::ChannelCount; ++channel) {
        const TfraGraphSeries &row = FTimeSeries->Series(channel);
        FTimeParameters.SetSeriesAxis(channel, row.AxisNumber());
        FTimeParameters.GetDataMarker(channel).Assign(row.MarkerDefinition());
    }
    FSkewTParameters.TemperatureMarker().Assign(FSkewTSeries->TemperatureMarker());
    FSkewTParameters.DewpointMarker().Assign(FSkewTSeries->DewpointMarker());
    pnlGraphResize();
    RefreshSeriesFrames();

    // 4. The run log writer.
    FFileManager = std::make_unique<TFileManager>();
    FFileManager->OnError = [this](const QString &message) {
        Guarded([&] { FileManagerError(message); });
    };

    // 5. The receiver.
    FReceiver.reset();
    FReceiver = std::make_unique<TKestrinReceiver>(nullptr, FOptions.ReceiverLibraryPath);
    ConnectReceiver();

    // Bitmaps the print timer takes go to the printer.
    OnPrintImage = [this](std::unique_ptr<TPrintImage> image) { PrintImage(std::move(image)); };

    // 6. The Standard graph on the start page.
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
    // The receiver first, so that no frame arrives for a thread that is ending.
    FReceiver.reset();
    if (FGraphThread) {
        FGraphThread->OnTargetPainted = nullptr;
        FGraphThread->TerminateAndWait();
    }
    FRecording.reset();
    FGraphThread.reset();
    FPrintDialog.reset();
    if (FFileManager)
        FFileManager->OnError = nullptr;
    // Writes the lines still pending into the log file.
    FFileManager.reset();
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

void TfrmMain::ConnectReceiver()
{
    FReceiver->OnRawCharacters = [this](const QString &text) {
        Guarded([&] { ReceiverRawCharacters(text); });
    };
    FReceiver->OnData = [this](const TKestrinResult &result) {
        Guarded([&] { ReceiverData(result); });
    };
    FReceiver->OnInvalidFrame = [this](const QString &frame) {
        Guarded([&] { ReceiverInvalidFrame(frame); });
    };
    FReceiver->OnConfigurationReceived = [this](const QString &text) {
        Guarded([&] { ReceiverConfigurationReceived(text); });
    };
    FReceiver->OnReceiverError = [this] { Guarded([this] { ReceiverError(); }); };
    FReceiver->OnConfigurationSet = [this](const TKestrinResult &configuration) {
        Guarded([&] { ReceiverConfigurationSet(configuration); });
    };
}

void TfrmMain::SetParameterDialogs(TfrmStdGraphParameters *standard,
                                   TfrmSkewTGraphParameters *skewT, TfrmTimeGraphParameters *time)
{
    FStdGraphParametersForm = standard;
    FSkewTGraphParametersForm = skewT;
    FTimeGraphParametersForm = time;
}

TGraphImage &TfrmMain::GraphImage(TGraphType type) const
{
    return *FImages[type <= gtTime ? size_t(type) : size_t(gtStandard)];
}

const QStringList &TfrmMain::RecordedLines() const
{
    return FRecording->RecordedLines();
}

uint64_t TfrmMain::PostCount(uint8_t command) const
{
    return command < FPostCounts.size() ? FPostCounts[command] : 0;
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
    if (FApplyingConfig || FCapturingConfig)
        return;
    FCapturingConfig = true;
    FCandidateConfig.clear();
    FHardware->GoBusy();
    FMainControl->LockNavigation();
    StartReceiver();
}

void TfrmMain::HardwareManualConfigure(const QString &text)
{
    if (FApplyingConfig || FCapturingConfig)
        return;
    const TKestrinResult kept = FDataParameters.Configuration();
    try {
        FDataParameters.Configuration().ParseConfiguration(text);
    } catch (const EKestrinConfigStringError &e) {
        FDataParameters.Configuration() = kept;
        FMainControl->UnlockNavigation();
        FHardware->ReportConfigurationError(e.Message());
        return;
    }
    FApplyingConfig = true;
    FHardware->GoBusy();
    FMainControl->LockNavigation();
    ApplyConfiguration();
}

void TfrmMain::HardwareCancelConfigure()
{
    FApplyingConfig = false;
    FCapturingConfig = false;
    FHardware->GoIdle();
    FMainControl->UnlockNavigation();
}

void TfrmMain::ApplyConfiguration()
{
    FApplyingConfig = true;
    FHardware->GoBusy();
    FMainControl->LockNavigation();
    FReceiver->SetConfiguration(FDataParameters.Configuration());
    RefreshSeriesFrames();
    BeginNewRun();
}

void TfrmMain::RefreshSeriesFrames()
{
    const TKestrinResult &configuration = FDataParameters.Configuration();
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
    FCapturingConfig = false;
    // The operator must be able to leave the main-control page again.
    FMainControl->UnlockNavigation();
    FHardware->ReportError(CaptureLostMessage);
}

// --- receiver and file device events ----------------------------------------

void TfrmMain::ReceiverRawCharacters(const QString &text)
{
    QString shown = FTelemetry->text() + text;
    if (shown.size() > TelemetryKeep)
        shown = shown.right(TelemetryKeep);
    FTelemetry->setText(shown);
}

void TfrmMain::ReceiverConfigurationReceived(const QString &text)
{
    if (!FCapturingConfig)
        return;
    if (text != FCandidateConfig) {
        FCandidateConfig = text;
        return;
    }
    FCapturingConfig = false;
    const TKestrinResult kept = FDataParameters.Configuration();
    try {
        FDataParameters.Configuration().ParseConfiguration(text);
    } catch (const EKestrinConfigStringError &) {
        // The sonde sends nothing usable: the page stays busy until Cancel.
        FDataParameters.Configuration() = kept;
        return;
    }
    ApplyConfiguration();
}

void TfrmMain::ReceiverInvalidFrame(const QString &)
{
    if (FCapturingConfig)
        CaptureLost();
}

void TfrmMain::ReceiverData(const TKestrinResult &result)
{
    if (FCapturingConfig) {
        if (FCandidateConfig.isEmpty())
            FCandidateConfig = result.RawText();
        else
            CaptureLost();
    } else if (FRunning) {
        const QString line = FRecording->RecordResult(result);
        ++FPostCounts[rcFrame];
        FFileManager->WriteLine(line);
    }
}

void TfrmMain::ReceiverConfigurationSet(const TKestrinResult &configuration)
{
    if (!FApplyingConfig)
        return;
    FApplyingConfig = false;
    FHardware->ShowConfigured(configuration.ConfigurationString());
    FMainControl->UnlockNavigation();
}

void TfrmMain::ReceiverError()
{
    // The worker reports every cycle until it hears the stop; only the
    // first report is the operator's business.
    if (!FReceiverOn)
        return;
    StopRun();
    if (FCapturingConfig) {
        // Nothing can be captured from a stopped receiver.
        FCapturingConfig = false;
        FHardware->GoIdle();
    }
    ModalInteraction().ShowError(ReceiverErrorMessage, this);
}

void TfrmMain::FileManagerError(const QString &message)
{
    if (FDestroying)
        return;
    ModalInteraction().ShowError(message, this);
}

void TfrmMain::StartReceiver()
{
    FReceiverOn = true;
    FReceiver->Start();
}

void TfrmMain::StopReceiver()
{
    FReceiverOn = false;
    FReceiver->Stop();
}

// --- runs ---------------------------------------------------------------------

void TfrmMain::RunClick()
{
    StartRun();
}

void TfrmMain::StartRun()
{
    if (FRunning)
        return;
    FSaveDialog.SetFileName(ProposedFileName(QStringLiteral("Kestrin"), QStringLiteral(".txt")));
    if (!FSaveDialog.Execute(this))
        return;
    const QString path = FSaveDialog.FileName();
    // Built before anything changes: an elevation the log cannot hold
    // starts nothing.
    const QStringList header =
        LogHeaderLines(FDataParameters.Configuration(), FDataParameters.LaunchElevation());

    BeginNewRun();
    FRunning = true;
    FMainControl->fraRun().ledRun().SetState(lsGreen);
    FMainControl->LockNavigation();
    StartReceiver();
    SetLogFileName(path);
    FFileManager->NewFile(path);
    for (const QString &line : header)
        FFileManager->WriteLine(line);
}

void TfrmMain::StopClick()
{
    if (!ModalInteraction().Confirm(QStringLiteral("Stop capturing data?"), this))
        return;
    StopRun();
}

void TfrmMain::StopRun()
{
    StopReceiver();
    FRunning = false;
    FMainControl->fraRun().ledRun().SetState(lsRed);
    FMainControl->UnlockNavigation();
}

void TfrmMain::BeginNewRun()
{
    FRecording->BeginNewRun(FDataParameters);
    ++FPostCounts[rcNewRun];
    if (FSoundingProducts)
        FSoundingProducts->SetStationHeight(FDataParameters.LaunchElevation());
}

void TfrmMain::RecordResult(const TKestrinResult &result)
{
    FRecording->RecordResult(result);
    ++FPostCounts[rcFrame];
}

void TfrmMain::SetLogFileName(const QString &path)
{
    FLogFileName = QFileInfo(path).fileName();
    setWindowTitle(FLogFileName);
}

void TfrmMain::PostToGraphThread(uint8_t command, std::unique_ptr<TObject> data)
{
    FGraphThread->Post(command, std::move(data));
    if (command < FPostCounts.size())
        ++FPostCounts[command];
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
    FStandardParameters.SetWidth(imgStandardGraph().width());
    FStandardParameters.SetHeight(imgStandardGraph().height());
    FSkewTParameters.SetWidth(imgSkewTGraph().width());
    FSkewTParameters.SetHeight(imgSkewTGraph().height());
    FTimeParameters.SetWidth(imgTimeGraph().width());
    FTimeParameters.SetHeight(imgTimeGraph().height());
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
    PostToGraphThread(rcStandardParameters, FStandardParameters.Clone());
    PostToGraphThread(rcSkewTParameters, FSkewTParameters.Clone());
    PostToGraphThread(rcTimeParameters, FTimeParameters.Clone());
}

void TfrmMain::StandardSeriesChanged(int32_t channel, int32_t axis, const TMarkerDefinition &marker)
{
    FStandardParameters.SetSeriesAxis(channel, axis);
    FStandardParameters.GetDataMarker(channel).Assign(marker);
    PostToGraphThread(rcStandardParameters, FStandardParameters.Clone());
}

void TfrmMain::SkewTMarkersChanged(const TMarkerDefinition &temperature,
                                   const TMarkerDefinition &dewpoint)
{
    FSkewTParameters.TemperatureMarker().Assign(temperature);
    FSkewTParameters.DewpointMarker().Assign(dewpoint);
    PostToGraphThread(rcSkewTParameters, FSkewTParameters.Clone());
}

void TfrmMain::TimeSeriesChanged(int32_t channel, int32_t axis, const TMarkerDefinition &marker)
{
    FTimeParameters.SetSeriesAxis(channel, axis);
    FTimeParameters.GetDataMarker(channel).Assign(marker);
    PostToGraphThread(rcTimeParameters, FTimeParameters.Clone());
}

void TfrmMain::HardwareElevationEntered(double meters)
{
    FDataParameters.SetLaunchElevation(meters);
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
    FHardware->SetUnit(unit);
    if (FStdGraphParametersForm)
        FStdGraphParametersForm->SetUnits(unit);
    if (FSkewTGraphParametersForm)
        FSkewTGraphParametersForm->SetUnits(unit);
    PostToGraphThread(rcLengthUnit, std::make_unique<TIntegerWrapper>(int32_t(unit)));
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
        dialog.Parameters() = FStandardParameters;
        if (ModalInteraction().ExecuteDialog(dialog) == QDialog::Accepted) {
            FStandardParameters = dialog.Parameters();
            PostToGraphThread(rcStandardParameters, FStandardParameters.Clone());
        }
        SetUnits(dialog.Units());
        break;
    }
    case gtSkewT: {
        if (!FSkewTGraphParametersForm)
            return;
        TfrmSkewTGraphParameters &dialog = *FSkewTGraphParametersForm;
        PlaceDialog(dialog, type, position);
        dialog.Parameters() = FSkewTParameters;
        if (ModalInteraction().ExecuteDialog(dialog) == QDialog::Accepted) {
            FSkewTParameters = dialog.Parameters();
            PostToGraphThread(rcSkewTParameters, FSkewTParameters.Clone());
        }
        SetUnits(dialog.GetUnits());
        break;
    }
    case gtTime: {
        if (!FTimeGraphParametersForm)
            return;
        TfrmTimeGraphParameters &dialog = *FTimeGraphParametersForm;
        PlaceDialog(dialog, type, position);
        dialog.Parameters() = FTimeParameters;
        if (ModalInteraction().ExecuteDialog(dialog) == QDialog::Accepted) {
            FTimeParameters = dialog.Parameters();
            PostToGraphThread(rcTimeParameters, FTimeParameters.Clone());
        }
        break;
    }
    default:
        break;
    }
}

// --- timers -------------------------------------------------------------------------

void TfrmMain::tmrDataListViewTimer()
{
    auto packets = TakeFromBuffer(FGraphThread->ViewPackets());
    const bool autoScroll = FMainControl->fraRun().chkAutoScroll().isChecked();
    for (const auto &packet : packets)
        ApplyViewPacket(*FDataList, *packet, autoScroll);
    ShowGraphErrors();
}

void TfrmMain::LoadedRowsTimer()
{
    const bool processed = FGraphThread->CompletedCycles() >= FLoadedRowsCycle;
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
                TBufferLock<TStringWrapper> lock(FGraphThread->Errors());
                message = FGraphThread->Errors().Pop();
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
        TBufferLock<TPrintImage> lock(FGraphThread->Images());
        image = FGraphThread->Images().Pop();
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
