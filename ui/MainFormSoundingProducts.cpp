// The main window's side of the Sounding Products window: the station's
// identity, the live products from the graph thread, and their files.
#include "ui/MainForm.h"

#include "pipeline/GraphThread.h"
#include "pipeline/PacketSounding.h"
#include "pipeline/ProcessedDataExport.h"
#include "pipeline/RecordingSession.h"
#include "sounding/SoundingBufr.h"
#include "sounding/SoundingProductFiles.h"
#include "sounding/TempReport.h"
#include "ui/FileButtonsFrame.h"
#include "ui/MainControlFrame.h"
#include "ui/ModalInteraction.h"
#include "ui/RunFrame.h"
#include "ui/SoundingProductsForm.h"

#include <QPushButton>

namespace {

const QString JsonFilter = QStringLiteral("JSON files (*.json)|*.JSON");
const QString BufrFilter = QStringLiteral("BUFR files (*.bufr)|*.BUFR");

} // namespace

void TfrmMain::ConnectSoundingProducts()
{
    FSoundingProducts = new TfrmSoundingProducts(this);
    FSoundingProducts->ShowStation(FStation, FDataParameters.LaunchElevation());
    FSoundingProducts->RequestProducts = [this] { PostToGraphThread(rcSoundingProducts, nullptr); };
    FSoundingProducts->TakeProducts = [this]() -> std::unique_ptr<TSoundingProductsPacket> {
        auto items = TakeFromBuffer(FGraphThread->Products());
        return items.empty() ? nullptr : std::move(items.back());
    };
    FSoundingProducts->OnStationChanged = [this](const TStationIdentity &station) {
        SetStation(station);
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
    connect(&FMainControl->fraRun().btnProducts(), &QPushButton::clicked, this,
            guarded(&TfrmMain::ShowSoundingProducts));
    connect(&FFileButtons->btnSoundingProducts(), &QPushButton::clicked, this,
            guarded(&TfrmMain::ShowSoundingProducts));
}

void TfrmMain::SetStation(const TStationIdentity &station)
{
    FStation = station;
    FSoundingProducts->ShowStation(FStation, FDataParameters.LaunchElevation());
}

void TfrmMain::ShowSoundingProducts()
{
    FSoundingProducts->SetStationHeight(FDataParameters.LaunchElevation());
    FSoundingProducts->show();
    FSoundingProducts->raise();
    FSoundingProducts->activateWindow();
}

TDataPacketList TfrmMain::GoodRecordedPackets() const
{
    TDataPacketList packets = FRecording->Packets();
    std::erase_if(packets, [](const TDataPacket &packet) { return packet.HasError(); });
    return packets;
}

void TfrmMain::SaveLevelsClick()
{
    const std::optional<QString> path = AskSaveFileName(
        QStringLiteral("Levels"), QStringLiteral(".csv"), CsvFileFilter, QStringLiteral("csv"));
    if (!path)
        return;
    WriteExportFile(*path, FormatLevelsCsv(ComputeSoundingProducts(GoodRecordedPackets())));
}

void TfrmMain::SaveSummaryClick()
{
    const std::optional<QString> path = AskSaveFileName(
        QStringLiteral("Summary"), QStringLiteral(".json"), JsonFilter, QStringLiteral("json"));
    if (!path)
        return;
    WriteExportFile(
        *path, FormatSoundingSummary(ComputeSoundingProducts(GoodRecordedPackets()), FStation));
}

void TfrmMain::SaveTempClick()
{
    if (FStation.Number.isEmpty()) {
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
    WriteExportFile(*path,
                    FormatTempReport(ComputeSoundingProducts(GoodRecordedPackets()), FStation));
}

void TfrmMain::SaveBufrClick()
{
    if (FStation.Number.isEmpty() || !FStation.HasPosition()) {
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
    WriteExportFile(*path,
                    EncodeSoundingBufr(ComputeSoundingProducts(GoodRecordedPackets()), FStation,
                                       FRecording->RunParameters().LaunchElevation()));
}
