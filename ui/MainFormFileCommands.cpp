// The main window's file commands: run logs and graph settings documents in,
// settings, reports, images, exports and printed pages out.
#include "ui/MainForm.h"

#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"
#include "foundation/FileTransaction.h"
#include "foundation/WrapperClasses.h"
#include "pipeline/GraphSettingsDocument.h"
#include "pipeline/GraphThread.h"
#include "pipeline/ProcessedDataExport.h"
#include "pipeline/Report.h"
#include "ui/BackgroundWork.h"
#include "ui/DataListView.h"
#include "ui/FileButtonsFrame.h"
#include "ui/GraphImage.h"
#include "ui/GraphSeriesFrame.h"
#include "ui/HardwareFrame.h"
#include "ui/ModalInteraction.h"
#include "ui/SkewTGraphFrame.h"
#include "ui/SkewTSeriesFrame.h"
#include "ui/SoundingProductsForm.h"
#include "ui/StandardGraphFrame.h"
#include "ui/TimeGraphFrame.h"

#include <QBuffer>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

const QString XmlFileFilter = QStringLiteral("XML files (*.xml)|*.XML");
// BMP unless the operator names a PNG file, or picks the PNG filter and types
// a name without extension.
const QString ImageFileFilter = QStringLiteral("BMP files (*.bmp)|*.BMP|PNG files (*.png)|*.PNG");

// Gives a file dialog a command's own filter and default extension, and puts
// the previous ones back when the command is done, however it ends.
class TDialogFilterScope
{
  public:
    TDialogFilterScope(TFileDialog &dialog, const QString &filter, const QString &defaultExt)
        : FDialog(dialog), FFilter(dialog.Filter()), FDefaultExt(dialog.DefaultExt()),
          FFilterIndex(dialog.FilterIndex())
    {
        dialog.SetFilter(filter);
        dialog.SetDefaultExt(defaultExt);
        dialog.SetFilterIndex(1);
    }
    ~TDialogFilterScope()
    {
        FDialog.SetFilter(FFilter);
        FDialog.SetDefaultExt(FDefaultExt);
        FDialog.SetFilterIndex(FFilterIndex);
    }
    TDialogFilterScope(const TDialogFilterScope &) = delete;
    TDialogFilterScope &operator=(const TDialogFilterScope &) = delete;

  private:
    TFileDialog &FDialog;
    QString FFilter;
    QString FDefaultExt;
    int32_t FFilterIndex;
};

QByteArray EncodeImage(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        throw EFileError(QStringLiteral("The graph image could not be encoded as %1")
                             .arg(QString::fromLatin1(format)));
    return bytes;
}

} // namespace

QRect PrintPlacement(QSize page, QSize image)
{
    if (image.isEmpty())
        throw EPrintError(QStringLiteral("There is no graph image to print"));
    const int32_t availableWidth = CheckedSubtract(page.width(), 2 * PrintMargin);
    const int32_t availableHeight = CheckedSubtract(page.height(), 2 * PrintMargin);
    // Inside the margins a page this small would show the graph mirrored or
    // not at all.
    if (availableWidth <= 0 || availableHeight <= 0)
        throw EPrintError(
            QStringLiteral("The page (%1 x %2 printer pixels) is too small to print the graph on")
                .arg(page.width())
                .arg(page.height()));
    const double scale =
        std::min(double(availableWidth) / image.width(), double(availableHeight) / image.height());
    const int32_t right = RoundToInt32(PrintMargin + image.width() * scale);
    const int32_t bottom = RoundToInt32(PrintMargin + image.height() * scale);
    return QRect(QPoint(PrintMargin, PrintMargin), QPoint(right - 1, bottom - 1));
}

void TfrmMain::ConnectFileButtons()
{
    const std::pair<QPushButton *, void (TfrmMain::*)()> commands[] = {
        {&FFileButtons->btnLoadLog(), &TfrmMain::LoadLogClick},
        {&FFileButtons->btnPrintGraph(), &TfrmMain::PrintClick},
        {&FFileButtons->btnSaveGraphs(), &TfrmMain::SaveGraphsClick},
        {&FFileButtons->btnLoadGraphs(), &TfrmMain::LoadGraphsClick},
        {&FFileButtons->btnReport(), &TfrmMain::fraFileButtons1btnReportClick},
        {&FFileButtons->btnSaveImage(), &TfrmMain::fraFileButtons1btnSaveImageClick},
        {&FFileButtons->btnExportCsv(), &TfrmMain::fraFileButtons1btnExportCsvClick},
        {&FFileButtons->btnExportSounding(), &TfrmMain::fraFileButtons1btnExportSoundingClick},
    };
    for (const auto &[button, handler] : commands)
        connect(button, &QPushButton::clicked, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
}

std::optional<QString> TfrmMain::AskSaveFileName(const QString &prefix, const QString &extension,
                                                 const QString &filter, const QString &defaultExt)
{
    const TDialogFilterScope scope(FSaveDialog, filter, defaultExt);
    FSaveDialog.SetFileName(ProposedFileName(prefix, extension));
    if (!FSaveDialog.Execute(this))
        return std::nullopt;
    return FSaveDialog.FileName();
}

std::optional<QString> TfrmMain::AskOpenFileName(const QString &filter, const QString &defaultExt)
{
    const TDialogFilterScope scope(FOpenDialog, filter, defaultExt);
    if (!FOpenDialog.Execute(this))
        return std::nullopt;
    return FOpenDialog.FileName();
}

template <class TLoaded>
std::optional<TLoaded> TfrmMain::ReadSavedFlight(const QString &path,
                                                 TLoaded (*read)(const QString &))
{
    try {
        return RunInBackground<TLoaded>([path, read] { return read(path); });
    } catch (const EKestrinConfigStringError &e) {
        // The configuration in force stays; the operator learns why nothing
        // was loaded.
        ModalInteraction().ShowInformation(
            QStringLiteral("Nothing was loaded from %1: its sonde configuration cannot be read "
                           "(%2). The configuration in force stays.")
                .arg(path, e.Message()),
            this);
        return std::nullopt;
    }
}

void TfrmMain::LoadLogClick()
{
    const std::optional<QString> path = AskOpenFileName(TextFileFilter, QStringLiteral("txt"));
    if (!path)
        return;
    std::optional<TLoadedLog> loaded = ReadSavedFlight(*path, ReadFlightLog);
    if (!loaded)
        return;
    SetLogFileName(*path);
    FSession->AdoptLog(std::move(*loaded));
    ListLoadedRows();
}

void TfrmMain::ListLoadedRows()
{
    FLoadedRowsTimer->start();
}

void TfrmMain::SaveGraphsClick()
{
    const std::optional<QString> path = AskSaveFileName(
        QStringLiteral("Graphs"), QStringLiteral(".xml"), XmlFileFilter, QStringLiteral("xml"));
    if (!path)
        return;
    WriteGraphSettings(*path, FSession->Settings(FCurrentGraph));
}

void TfrmMain::LoadGraphsClick()
{
    const std::optional<QString> path = AskOpenFileName(XmlFileFilter, QStringLiteral("xml"));
    if (!path)
        return;
    std::optional<TLoadedSettings> loaded = ReadSavedFlight(*path, ReadFlightSettings);
    if (!loaded)
        return;
    const TLengthUnit unit = loaded->Settings.DisplayedUnit;
    const TGraphType graph = loaded->Settings.CurrentGraph;
    FSession->AdoptSettings(std::move(*loaded));
    ShowSeriesSettings();
    ShowUnits(unit);
    SetGraphType(graph);
    FSoundingProducts->ShowStation(FSession->Station(),
                                   FSession->DataParameters().LaunchElevation());
    FSoundingProducts->ShowSurfaceObservation(FSession->FlightSettings().Surface);
    ListLoadedRows();
}

void TfrmMain::ShowSeriesSettings()
{
    for (int32_t channel = 1; channel <= TValueAxesParameters::ChannelCount; ++channel) {
        TfraGraphSeries &standard = FStandardSeries->Series(channel);
        standard.SetAxis(FSession->StandardParameters().GetSeriesAxis(channel));
        standard.SetMarkerDefinition(FSession->StandardParameters().GetDataMarker(channel));
        TfraGraphSeries &time = FTimeSeries->Series(channel);
        time.SetAxis(FSession->TimeParameters().GetSeriesAxis(channel));
        time.SetMarkerDefinition(FSession->TimeParameters().GetDataMarker(channel));
    }
    const TSkewTGraphParameters &skewT = FSession->SkewTParameters();
    FSkewTSeries->fraTemperatureSeries->SetMarkerDefinition(skewT.TemperatureMarker());
    FSkewTSeries->fraDewpointSeries->SetMarkerDefinition(skewT.DewpointMarker());
}

void TfrmMain::fraFileButtons1btnSaveImageClick()
{
    const std::optional<QString> path = AskSaveFileName(
        QStringLiteral("Graph"), QStringLiteral(".bmp"), ImageFileFilter, QStringLiteral("bmp"));
    if (!path)
        return;
    // The graph shown now, as it is on the screen at this moment.
    const QImage image = GraphImage(FCurrentGraph).Picture().copy();
    if (image.isNull())
        throw EFileError(QStringLiteral("The graph has not been drawn yet: there is no image to "
                                        "save"));
    const char *format =
        path->endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) ? "PNG" : "BMP";
    WriteFileSafely(*path, EncodeImage(image, format));
}

void TfrmMain::fraFileButtons1btnReportClick()
{
    const std::optional<QString> path = AskSaveFileName(
        QStringLiteral("Report"), QStringLiteral(".txt"), TextFileFilter, QStringLiteral("txt"));
    if (!path)
        return;
    QStringList headers, lefts, rights;
    FDataList->GetContents(headers, lefts, rights);
    WriteFileSafely(*path, EncodeLogLines(ReportLines(FLogFileName, headers, lefts, rights)));
}

void TfrmMain::fraFileButtons1btnExportCsvClick()
{
    const std::optional<QString> path = AskSaveFileName(
        QStringLiteral("Data"), QStringLiteral(".csv"), CsvFileFilter, QStringLiteral("csv"));
    if (!path)
        return;
    WriteExportFile(*path, ProductsToSave(prProcessedCsv)->ProcessedCsv);
}

void TfrmMain::fraFileButtons1btnExportSoundingClick()
{
    const std::optional<QString> path = AskSaveFileName(
        QStringLiteral("Sounding"), QStringLiteral(".txt"), TextFileFilter, QStringLiteral("txt"));
    if (!path)
        return;
    const auto products = ProductsToSave(prSharppy);
    if (!products->SharppyError.isEmpty())
        throw ESoundingExportError(products->SharppyError);
    WriteExportFile(*path, products->Sharppy);
}

void TfrmMain::PrintClick()
{
    FSession->RequestPrintImage(FCurrentGraph);
}

void TfrmMain::PrintImage(std::unique_ptr<TPrintImage> image)
{
    if (!image)
        return;
    QPrinter *printer = FPrintDialog->Execute(this);
    if (!printer)
        return;
    const QRect target =
        PrintPlacement(QSize(printer->width(), printer->height()), image->Image.size());
    QPainter painter;
    if (!painter.begin(printer)) {
        const QString destination = printer->outputFileName().isEmpty() ? printer->printerName()
                                                                        : printer->outputFileName();
        throw EPrintError(QStringLiteral("Could not print to ") + destination);
    }
    // The bitmap is rarely drawn at its own size: smoothing keeps its thin
    // lines even, whether it grows or shrinks.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, image->Image);
    painter.end();
    FLastPrintPlacement = target;
}
