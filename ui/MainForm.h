#pragma once
// TfrmMain: the program's one window, a view of the flight session. It leads
// the operator through the three pages of its left pane (start, hardware
// setup, main control) and calls the session for everything the flight
// does: capturing or taking the configuration, starting and stopping runs,
// loading and saving, the sounding products. It shows what the session
// reports, collects the data-list rows and print images the graph thread
// leaves, debounces resizing of the graph area, and opens the graph
// parameter dialogs.
//
// The window holds no domain logic: the flight is the session's. Every
// handler is an operation of its own that the toolkit, or a test, calls;
// exceptions that escape a handler are shown in an error box and leave the
// window as it was at that point.
#include "foundation/Errors.h"
#include "foundation/LocalDefs.h"
#include "graphs/MarkerDefinition.h"
#include "pipeline/DataBuffer.h"
#include "pipeline/FlightSession.h"
#include "sounding/StationIdentity.h"
#include "ui/FileDialogs.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QSplitter;
class QStackedWidget;
class QTimer;
class TDataListView;
class TGraphImage;
class TfraHardware;
class TfraMainControl;
class TfraSkewTGraph;
class TfraStandardGraph;
class TfraFileButtons;
class TfraStart;
class TfraTimeGraph;
class TfrmSkewTGraphParameters;
class TfrmSoundingProducts;
class TfrmStdGraphParameters;
class TfrmTimeGraphParameters;

// What the window is built with.
struct TMainFormOptions
{
    // The exchange library the receiver loads; empty for the normal one.
    QString ReceiverLibraryPath;
    // The reports' outbox; empty for the user's.
    QString OutboxFolder = {};
};

// Where a dialog of `size` opened at `position` (screen coordinates) is
// placed: moved left and up as far as needed to lie inside `screen`.
QPoint PlaceDialogOnScreen(QPoint position, QSize size, const QRect &screen);

// A graph that cannot be printed on the page chosen.
VENTREL_DECLARE_ERROR(EPrintError, EVentrelError);

// The margin of a printed graph, in printer pixels.
constexpr int32_t PrintMargin = 200;
// Where a bitmap of `image` pixels goes on a page of `page` printer pixels:
// as large as fits with PrintMargin on the left and top and at least that on
// the right and bottom, in proportion; the right and bottom edges rounded
// half to even. EPrintError when the page leaves no room inside the margins
// or the bitmap is empty.
QRect PrintPlacement(QSize page, QSize image);

class TfrmMain : public QMainWindow
{
    Q_OBJECT

  public:
    // How many of the newest received characters the telemetry strip keeps.
    static constexpr int TelemetryKeep = 400;

    explicit TfrmMain(const TMainFormOptions &options = {}, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The three graph parameter dialogs, created once by the program after
    // the window. Until they are given, clicks on the graphs open nothing.
    void SetParameterDialogs(TfrmStdGraphParameters *standard, TfrmSkewTGraphParameters *skewT,
                             TfrmTimeGraphParameters *time);

    // --- controls ----------------------------------------------------------
    QWidget &pnlMain() { return *FMainPanel; }
    QStackedWidget &pctlLeft() { return *FLeftPages; }
    QWidget &tshStart() { return *FStartPage; }
    QWidget &tsHardware() { return *FHardwarePage; }
    QWidget &tsMainControl() { return *FMainControlPage; }
    TfraStart &fraStart() { return *FStart; }
    TfraHardware &fraHardware() { return *FHardware; }
    TfraMainControl &fraMainControl() { return *FMainControl; }
    QWidget &pnlTitle() { return *FTitlePanel; }
    QLabel &lblTitle() { return *FTitle; }
    QComboBox &cmbGraphType() { return *FGraphTypeCombo; }
    TfraStandardGraph &fraStandardGraph() { return *FStandardSeries; }
    TfraSkewTGraph &fraSkewTGraph() { return *FSkewTSeries; }
    TfraTimeGraph &fraTimeGraph() { return *FTimeSeries; }
    TfraFileButtons &fraFileButtons1() { return *FFileButtons; }
    QWidget &pnlRight() { return *FRightPanel; }
    QWidget &pnlGraph() { return *FGraphPanel; }
    QStackedWidget &pctlGraph() { return *FGraphPages; }
    TGraphImage &imgStandardGraph() { return *FImages[gtStandard]; }
    TGraphImage &imgSkewTGraph() { return *FImages[gtSkewT]; }
    TGraphImage &imgTimeGraph() { return *FImages[gtTime]; }
    TGraphImage &GraphImage(TGraphType type);
    QSplitter &splData() { return *FSplitter; }
    QWidget &pnlData() { return *FDataPanel; }
    TDataListView &dlvData() { return *FDataList; }
    QWidget &pnlTelemetry() { return *FTelemetryPanel; }
    QLabel &lblTelemetry() { return *FTelemetry; }
    QTimer &tmrGraphResize() { return *FGraphResizeTimer; }
    QTimer &tmrPrint() { return *FPrintTimer; }
    QTimer &tmrDataListView() { return *FDataListTimer; }
    TfrmSoundingProducts &frmSoundingProducts() { return *FSoundingProducts; }

    // --- state -------------------------------------------------------------
    TSaveDialog &SaveDialog() { return FSaveDialog; }
    TOpenDialog &OpenDialog() { return FOpenDialog; }
    TPrintDialog &PrintDialog() { return *FPrintDialog; }
    // The flight the window shows.
    TFlightSession &Session() { return *FSession; }
    TGraphType CurrentGraph() const { return FCurrentGraph; }
    bool ResizePending() const { return FResizePending; }

    // The clock of proposed file names (tests fix it).
    void SetClock(std::function<QDateTime()> clock) { FClock = std::move(clock); }
    // prefix + "_mmm_dd_yyyy_hhnn" of now + extension ("Kestrin", ".txt").
    QString ProposedFileName(const QString &prefix, const QString &extension) const;

    // Receives each bitmap the print timer takes from the graph thread; the
    // window installs PrintImage. Unset, the bitmap is dropped.
    std::function<void(std::unique_ptr<TPrintImage> image)> OnPrintImage;
    // Where the last printed bitmap was placed on its page (printer pixels).
    QRect LastPrintPlacement() const { return FLastPrintPlacement; }

    // --- handlers of the window's controls ----------------------------------
    void RunClick();
    void StopClick();
    void cmbGraphTypeChange();
    void SetGraphType(TGraphType type);
    void pnlGraphResize();
    void tmrGraphResizeTimer();
    void tmrDataListViewTimer();
    void tmrPrintTimer();
    void imgStandardGraphMouseDown(Qt::MouseButton button, QPoint position);
    void imgSkewTGraphMouseDown(Qt::MouseButton button, QPoint position);
    void imgTimeGraphMouseDown(Qt::MouseButton button, QPoint position);
    void fraArrows1arbRightClick();
    void fraArrowsarbLeftClick();
    void fraHardwareConfig1btnConfigureClick();

    // --- the file commands --------------------------------------------------
    // Every command asks for its file first; cancelled, it does nothing else.
    // A load reads and checks the whole file before it changes anything, so a
    // file that fails leaves everything as it was. It reads on a worker while
    // the event loop turns without user input (RunInBackground).
    void LoadLogClick();
    void PrintClick();
    void SaveGraphsClick();
    void LoadGraphsClick();
    void fraFileButtons1btnReportClick();
    void fraFileButtons1btnSaveImageClick();
    void fraFileButtons1btnExportCsvClick();
    void fraFileButtons1btnExportSoundingClick();
    // The Sounding Products window and its files.
    void ShowSoundingProducts();
    void SaveLevelsClick();
    void SaveSummaryClick();
    // The reports need the station: without it an information box says
    // what is missing and nothing is saved.
    void SaveTempClick();
    void SaveBufrClick();
    // The operator's marks, at the window's clock: the release is the first
    // frame from now on, the ascent ends with the last frame until now.
    void ReleaseClick();
    void EndOfAscentClick();
    // Put TEMP A and B, or C, D and the BUFR, into the outbox now; an
    // information box says what went, or why nothing did.
    // At start-up: a run that was recording when the program ended without
    // a Stop is offered to be continued (Yes: recording on into its log).
    void OfferInterruptedRun();
    void SendFirstClick();
    void SendRestClick();
    // Asks for a printer and prints the bitmap on one page; cancelled, the
    // bitmap is dropped.
    void PrintImage(std::unique_ptr<TPrintImage> image);

    // --- notifications of the frames ----------------------------------------
    void StartNext();
    void HardwareAutoConfigure();
    void HardwareManualConfigure(const QString &text);
    void HardwareCancelConfigure();
    void HardwareBack();
    void HardwareElevationEntered(double meters);
    void HardwareUnitsChanged(TLengthUnit unit);
    void MainControlBack();
    void MainControlNext();
    void StandardSeriesChanged(int32_t channel, int32_t axis, const TMarkerDefinition &marker);
    void SkewTMarkersChanged(const TMarkerDefinition &temperature,
                             const TMarkerDefinition &dewpoint);
    void TimeSeriesChanged(int32_t channel, int32_t axis, const TMarkerDefinition &marker);

    // --- operations -------------------------------------------------------------
    // Ends the run and shows it ended.
    void StopRun();
    // The unit in the hardware page and the dialogs, and to the graphs.
    void SetUnits(TLengthUnit unit);
    void SetStation(const TStationIdentity &station);

    // Runs a handler; an exception it raises is shown in an error box.
    void Guarded(const std::function<void()> &handler);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void ShowStartPage();
    void ShowHardwarePage();
    void ShowRunControls();
    void ShowFileControls();
    void RefreshSeriesFrames();
    // The log file's name (without folder) becomes the window caption.
    void SetLogFileName(const QString &path);
    void BuildControls();
    void FormCreate();
    void FormDestroy();
    void ConnectFrames();
    void ConnectSeriesPages();
    void ConnectSession();
    // What the session reports, shown.
    void ConfigurationApplying();
    void ConfigurationSet(const TKestrinResult &configuration);
    void CaptureLost();
    void ReceiverError(bool wasCapturing);
    void FileError(const QString &message);
    void ShowTelemetry(const QString &text);
    void ShowRunStopped();
    // The unit in the hardware page and the dialogs only.
    void ShowUnits(TLengthUnit unit);
    void ShowGraphErrors();
    void ShowParameterDialog(TGraphType type, QPoint position);
    void PlaceDialog(QWidget &dialog, TGraphType type, QPoint position);
    void ConnectFileButtons();
    // The save dialog with a command's own filter and default extension,
    // proposing prefix + stamp + extension; the chosen path, nothing on
    // cancel. The dialog's filter and extension are put back either way.
    std::optional<QString> AskSaveFileName(const QString &prefix, const QString &extension,
                                           const QString &filter, const QString &defaultExt);
    std::optional<QString> AskOpenFileName(const QString &filter, const QString &defaultExt);
    // Reads a saved flight on a worker while the event loop turns; a file
    // whose configuration this program cannot read is named in an
    // information box, and nothing changes.
    template <class TLoaded>
    std::optional<TLoaded> ReadSavedFlight(const QString &path, TLoaded (*read)(const QString &));
    // The series rows show what the graph parameters hold, so that the next
    // edit of a row starts from there.
    void ShowSeriesSettings();
    void ConnectSoundingProducts();
    // The delivery's settings and state in the Sounding Products window.
    void ConnectDelivery();
    // Has the data list take the rows of a load as soon as the graph thread
    // has made them.
    void ListLoadedRows();
    // Takes the rows of a load into the data list on every tick of
    // FLoadedRowsTimer until the graph thread has processed the load.
    void LoadedRowsTimer();
    // The sounding products of everything received, for a file.
    std::shared_ptr<const TSoundingProductsPacket> ProductsToSave(uint8_t request = prProducts);

    // Controls, owned through the widget tree.
    QWidget *FMainPanel = nullptr;
    QStackedWidget *FLeftPages = nullptr;
    QWidget *FStartPage = nullptr;
    QWidget *FHardwarePage = nullptr;
    QWidget *FMainControlPage = nullptr;
    TfraStart *FStart = nullptr;
    TfraHardware *FHardware = nullptr;
    TfraMainControl *FMainControl = nullptr;
    QWidget *FTitlePanel = nullptr;
    QLabel *FTitle = nullptr;
    QComboBox *FGraphTypeCombo = nullptr;
    TfraStandardGraph *FStandardSeries = nullptr;
    TfraSkewTGraph *FSkewTSeries = nullptr;
    TfraTimeGraph *FTimeSeries = nullptr;
    TfraFileButtons *FFileButtons = nullptr;
    QWidget *FRightPanel = nullptr;
    QWidget *FGraphPanel = nullptr;
    QStackedWidget *FGraphPages = nullptr;
    std::array<TGraphImage *, 3> FImages{};
    QSplitter *FSplitter = nullptr;
    QWidget *FDataPanel = nullptr;
    TDataListView *FDataList = nullptr;
    QWidget *FTelemetryPanel = nullptr;
    QLabel *FTelemetry = nullptr;
    QTimer *FGraphResizeTimer = nullptr;
    QTimer *FPrintTimer = nullptr;
    QTimer *FDataListTimer = nullptr;
    // After a load, the list need not wait up to a second for its rows.
    QTimer *FLoadedRowsTimer = nullptr;
    uint64_t FLoadedRowsCycle = 0;

    // The graph parameter dialogs, owned by the program.
    TfrmStdGraphParameters *FStdGraphParametersForm = nullptr;
    TfrmSkewTGraphParameters *FSkewTGraphParametersForm = nullptr;
    TfrmTimeGraphParameters *FTimeGraphParametersForm = nullptr;

    TMainFormOptions FOptions;
    TSaveDialog FSaveDialog;
    TOpenDialog FOpenDialog;
    std::unique_ptr<TPrintDialog> FPrintDialog;
    std::unique_ptr<TFlightSession> FSession;
    QString FLogFileName;
    TfrmSoundingProducts *FSoundingProducts = nullptr;
    TGraphType FCurrentGraph = gtStandard;
    bool FResizePending = false;

    // Set while graph errors are shown, so that a timer tick inside the
    // error box does not show the next ones on top of it.
    bool FShowingGraphErrors = false;
    bool FDestroying = false;
    std::function<QDateTime()> FClock;
    QRect FLastPrintPlacement;
};
