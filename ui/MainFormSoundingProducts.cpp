// The main window's side of the Sounding Products window: the station's
// identity, the live products from the graph thread, and their files.
#include "ui/MainForm.h"

#include "foundation/CustomUtilities.h"
#include "pipeline/FlightSession.h"
#include "pipeline/PacketSounding.h"
#include "pipeline/ProcessedDataExport.h"
#include "sounding/SoundingBufr.h"
#include "sounding/SoundingProductFiles.h"
#include "sounding/TempReport.h"
#include "ui/FileButtonsFrame.h"
#include "ui/MainControlFrame.h"
#include "ui/ModalInteraction.h"
#include "ui/RunFrame.h"
#include "ui/SoundingProductsForm.h"

#include <QPushButton>
#include <QTimer>

namespace {

void SendNow(TFlightSession &session, QWidget *parent, const std::vector<TFlightReport> &reports)
{
    const QStringList put = session.SendReports(reports);
    ModalInteraction().ShowInformation(
        put.isEmpty()
            ? QStringLiteral("Nothing new to send: these reports are in the outbox "
                             "already as they stand.")
            : QStringLiteral("Put into the outbox: %1.").arg(put.join(QStringLiteral(", "))),
        parent);
}

const QString JsonFilter = QStringLiteral("JSON files (*.json)|*.JSON");
const QString BufrFilter = QStringLiteral("BUFR files (*.bufr)|*.BUFR");

} // namespace

void TfrmMain::ConnectSoundingProducts()
{
    FSoundingProducts = new TfrmSoundingProducts(this);
    FSoundingProducts->ShowStation(TStationIdentity{}, 0.0);
    FSoundingProducts->RequestProducts = [this] { FSession->RequestProducts(); };
    FSoundingProducts->TakeProducts = [this] { return FSession->TakeProducts(); };
    FSoundingProducts->OnStationChanged = [this](const TStationIdentity &station) {
        SetStation(station);
    };
    FSoundingProducts->OnSurfaceObservationChanged =
        [this](const std::optional<TSurfaceObservation> &observation) {
            FSession->SetSurfaceObservation(observation);
        };
    FSoundingProducts->OnDeliveryChanged = [this](const TFlightDeliverySettings &settings) {
        Guarded([&] { FSession->SetDeliverySettings(settings); });
    };
    auto guarded = [this](void (TfrmMain::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(&FSoundingProducts->btnSaveLevels(), &QPushButton::clicked, this,
            guarded(&TfrmMain::SaveLevelsClick));
    connect(&FSoundingProducts->btnSaveSummary(), &QPushButton::clicked, this,
            guarded(&TfrmMain::SaveSummaryClick));
    connect(&FSoundingProducts->btnSaveTemp(), &QPushButton::clicked, this,
            guarded(&TfrmMain::SaveTempClick));
    connect(&FSoundingProducts->btnSaveBufr(), &QPushButton::clicked, this,
            guarded(&TfrmMain::SaveBufrClick));
    connect(&FSoundingProducts->btnSendFirst(), &QPushButton::clicked, this,
            guarded(&TfrmMain::SendFirstClick));
    connect(&FSoundingProducts->btnSendRest(), &QPushButton::clicked, this,
            guarded(&TfrmMain::SendRestClick));
    connect(&FMainControl->fraRun().btnProducts(), &QPushButton::clicked, this,
            guarded(&TfrmMain::ShowSoundingProducts));
    for (QPushButton *button :
         {&FMainControl->fraRun().btnRelease(), &FSoundingProducts->btnRelease()})
        connect(button, &QPushButton::clicked, this, guarded(&TfrmMain::ReleaseClick));
    for (QPushButton *button :
         {&FMainControl->fraRun().btnEndOfAscent(), &FSoundingProducts->btnEndOfAscent()})
        connect(button, &QPushButton::clicked, this, guarded(&TfrmMain::EndOfAscentClick));
    connect(&FFileButtons->btnSoundingProducts(), &QPushButton::clicked, this,
            guarded(&TfrmMain::ShowSoundingProducts));
}

void TfrmMain::ConnectDelivery()
{
    FSession->OnDeliveryChanged = [this] {
        if (FSession->Delivery())
            FSoundingProducts->ShowDeliverySettings(FSession->Delivery()->Settings());
        FSoundingProducts->ShowDeliveryState(FSession->DeliverySummary());
    };
    // The state's "next try in 30 s" counts down while the window is shown.
    connect(&FSoundingProducts->tmrRefresh(), &QTimer::timeout, this,
            [this] { FSession->OnDeliveryChanged(); });
    FSession->OnDeliveryChanged();
}

void TfrmMain::SetStation(const TStationIdentity &station)
{
    FSession->SetStation(station);
    FSoundingProducts->ShowStation(station, FSession->DataParameters().LaunchElevation());
}

void TfrmMain::ShowSoundingProducts()
{
    FSoundingProducts->SetStationHeight(FSession->DataParameters().LaunchElevation());
    FSoundingProducts->show();
    FSoundingProducts->raise();
    FSoundingProducts->activateWindow();
}

void TfrmMain::ReleaseClick()
{
    FSession->MarkRelease(DateTimeToDays(FClock()));
}

void TfrmMain::EndOfAscentClick()
{
    FSession->MarkEndOfAscent(DateTimeToDays(FClock()));
}

void TfrmMain::SendFirstClick()
{
    SendNow(*FSession, FSoundingProducts, {frTempA, frTempB});
}

void TfrmMain::SendRestClick()
{
    SendNow(*FSession, FSoundingProducts, {frTempC, frTempD, frBufr});
}

std::shared_ptr<const TSoundingProductsPacket> TfrmMain::ProductsToSave(uint8_t request)
{
    return FSession->CurrentProducts(request);
}

void TfrmMain::SaveLevelsClick()
{
    const std::optional<QString> path = AskSaveFileName(
        QStringLiteral("Levels"), QStringLiteral(".csv"), CsvFileFilter, QStringLiteral("csv"));
    if (!path)
        return;
    WriteExportFile(*path, FormatLevelsCsv(ProductsToSave()->Products));
}

void TfrmMain::SaveSummaryClick()
{
    const std::optional<QString> path = AskSaveFileName(
        QStringLiteral("Summary"), QStringLiteral(".json"), JsonFilter, QStringLiteral("json"));
    if (!path)
        return;
    WriteExportFile(*path, FormatSoundingSummary(ProductsToSave()->Products, FSession->Station()));
}

void TfrmMain::SaveTempClick()
{
    if (!MissingStationParts(FSession->Station(), srTemp).empty()) {
        ModalInteraction().ShowInformation(
            QStringLiteral("The TEMP report names the station: enter its WMO block and station "
                           "number and press Set Station first."),
            FSoundingProducts);
        return;
    }
    const std::optional<QString> path = AskSaveFileName(
        QStringLiteral("Temp"), QStringLiteral(".txt"), TextFileFilter, QStringLiteral("txt"));
    if (!path)
        return;
    WriteExportFile(*path, FormatTempReport(ProductsToSave()->Products, FSession->Station()));
}

void TfrmMain::SaveBufrClick()
{
    if (!MissingStationParts(FSession->Station(), srBufr).empty()) {
        ModalInteraction().ShowInformation(
            QStringLiteral("The BUFR report names the station and its position: enter the WMO "
                           "block and station number, the latitude and the longitude and press "
                           "Set Station first."),
            FSoundingProducts);
        return;
    }
    const std::optional<QString> path = AskSaveFileName(
        QStringLiteral("Bufr"), QStringLiteral(".bufr"), BufrFilter, QStringLiteral("bufr"));
    if (!path)
        return;
    WriteExportFile(*path, EncodeSoundingBufr(ProductsToSave()->Products, FSession->Station(),
                                              FSession->RunParameters().LaunchElevation()));
}
