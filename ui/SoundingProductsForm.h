#pragma once
// TfrmSoundingProducts: a window beside the main one that shows what a
// weather service receives of the flight so far: the standard isobaric
// surfaces, the significant levels, the tropopause and the stability
// indices and the TEMP report as it stands, and that lets the operator set
// the station's identity and save the levels table, the summary and the
// TEMP and BUFR reports.
//
// The window computes nothing itself: once a second, while it is shown, it
// asks for the products (the graph thread makes them from the packets it has
// processed) and shows the newest that arrived. Saving is the owner's.
#include "pipeline/FlightDelivery.h"
#include "pipeline/PacketSounding.h"
#include "sounding/SoundingProducts.h"
#include "sounding/StationIdentity.h"
#include "sounding/SurfaceObservation.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTimer;

class TfrmSoundingProducts : public QWidget
{
    Q_OBJECT

  public:
    // A window of its own, kept above `parent` and closed with it.
    explicit TfrmSoundingProducts(QWidget *parent = nullptr);
    ~TfrmSoundingProducts() override;

    QLineEdit &edtStation() { return *FStation; }
    QLineEdit &edtLatitude() { return *FLatitude; }
    QLineEdit &edtLongitude() { return *FLongitude; }
    QLineEdit &edtTimeZone() { return *FTimeZone; }
    // The station's surface observation at the release.
    QLineEdit &edtSurfacePressure() { return *FSurfacePressure; }
    QLineEdit &edtSurfaceTemperature() { return *FSurfaceTemperature; }
    QLineEdit &edtSurfaceHumidity() { return *FSurfaceHumidity; }
    QLineEdit &edtWindDirection() { return *FWindDirection; }
    QLineEdit &edtWindSpeed() { return *FWindSpeed; }
    QPushButton &btnSetObservation() { return *FSetObservation; }
    // The flight's phase, where its surface comes from, the ground check.
    QLabel &lblPhase() { return *FPhase; }
    QLabel &lblSurfaceSource() { return *FSurfaceSource; }
    QLabel &lblGroundCheck() { return *FGroundCheck; }
    // What the screening took out, the layers of missing data, and any
    // superadiabatic layer.
    QLabel &lblScreening() { return *FScreening; }
    QPushButton &btnRelease() { return *FRelease; }
    QPushButton &btnEndOfAscent() { return *FEndOfAscent; }
    QLabel &lblStationHeight() { return *FStationHeight; }
    QPushButton &btnSetStation() { return *FSetStation; }
    QLabel &lblAscent() { return *FAscent; }
    QLabel &lblReportDue() { return *FReportDue; }
    QTableWidget &grdStandard() { return *FStandard; }
    QLabel &lblSignificant() { return *FSignificant; }
    QLabel &lblTropopause() { return *FTropopause; }
    // The value label of an index or figure by its caption ("K index").
    QLabel &Figure(const QString &caption);
    QPushButton &btnSaveLevels() { return *FSaveLevels; }
    QPushButton &btnSaveSummary() { return *FSaveSummary; }
    // The TEMP report as it stands, for the station last set.
    QPlainTextEdit &memTemp() { return *FTemp; }
    // What the BUFR report would hold now.
    QLabel &lblBufr() { return *FBufr; }
    QPushButton &btnSaveTemp() { return *FSaveTemp; }
    QPushButton &btnSaveBufr() { return *FSaveBufr; }
    QTimer &tmrRefresh() { return *FRefresh; }
    // Where the reports are delivered, their headings, and the delivery's
    // state in one line.
    QLineEdit &edtHost() { return *FHost; }
    QLineEdit &edtPort() { return *FPort; }
    QLineEdit &edtUser() { return *FUser; }
    QLineEdit &edtKeyFile() { return *FKeyFile; }
    QLineEdit &edtRemoteFolder() { return *FRemoteFolder; }
    QLineEdit &edtKnownHosts() { return *FKnownHosts; }
    QLineEdit &edtHeading() { return *FHeading; }
    QLineEdit &edtCentre() { return *FCentre; }
    QCheckBox &chkObjectStore() { return *FObjectStore; }
    QCheckBox &chkAutomatic() { return *FAutomatic; }
    QPushButton &btnSetDelivery() { return *FSetDelivery; }
    QPushButton &btnSendFirst() { return *FSendFirst; }
    QPushButton &btnSendRest() { return *FSendRest; }
    QLabel &lblDelivery() { return *FDelivery; }

    // Fills the station fields, and shows the station height (the launch
    // elevation, metres).
    void ShowStation(const TStationIdentity &station, double stationHeight);
    void SetStationHeight(double stationHeight);
    // Reads and checks the station fields. Every problem goes into one error
    // box, one line each from the top down; the offending boxes turn red and
    // the topmost takes the focus. Only a valid identity is passed on to
    // OnStationChanged.
    void btnSetStationClick();
    // Fills the observation fields (all empty without one).
    void ShowSurfaceObservation(const std::optional<TSurfaceObservation> &observation);
    // Reads and checks the observation fields as Set Station does; all
    // empty gives no observation. Only a valid one is passed on to
    // OnSurfaceObservationChanged.
    void btnSetObservationClick();
    void ShowProducts(const TSoundingProducts &products);
    // Fills the delivery fields, unless these settings are shown already
    // (what the operator is typing stays).
    void ShowDeliverySettings(const TFlightDeliverySettings &settings);
    void ShowDeliveryState(const QString &summary);
    // Reads the delivery fields; every problem goes into one error box, and
    // only settings without problems are passed on to OnDeliveryChanged.
    void btnSetDeliveryClick();
    // Shows the newest products that arrived and asks for the next.
    void tmrRefreshTimer();

    // The owner's side.
    std::function<void(const TStationIdentity &station)> OnStationChanged;
    std::function<void(const std::optional<TSurfaceObservation> &observation)>
        OnSurfaceObservationChanged;
    std::function<void(const TFlightDeliverySettings &settings)> OnDeliveryChanged;
    std::function<void()> RequestProducts;
    std::function<std::shared_ptr<const TSoundingProductsPacket>()> TakeProducts;

  protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    void BuildControls();

    QLineEdit *FStation = nullptr;
    QLineEdit *FLatitude = nullptr;
    QLineEdit *FLongitude = nullptr;
    QLineEdit *FTimeZone = nullptr;
    QLineEdit *FSurfacePressure = nullptr;
    QLineEdit *FSurfaceTemperature = nullptr;
    QLineEdit *FSurfaceHumidity = nullptr;
    QLineEdit *FWindDirection = nullptr;
    QLineEdit *FWindSpeed = nullptr;
    QPushButton *FSetObservation = nullptr;
    QLabel *FPhase = nullptr;
    QLabel *FSurfaceSource = nullptr;
    QLabel *FGroundCheck = nullptr;
    QLabel *FScreening = nullptr;
    QPushButton *FRelease = nullptr;
    QPushButton *FEndOfAscent = nullptr;
    QLabel *FStationHeight = nullptr;
    QPushButton *FSetStation = nullptr;
    QLabel *FAscent = nullptr;
    QLabel *FReportDue = nullptr;
    QTableWidget *FStandard = nullptr;
    QLabel *FSignificant = nullptr;
    QLabel *FTropopause = nullptr;
    std::vector<std::pair<QString, QLabel *>> FFigures;
    QPushButton *FSaveLevels = nullptr;
    QPushButton *FSaveSummary = nullptr;
    QPlainTextEdit *FTemp = nullptr;
    QLabel *FBufr = nullptr;
    QPushButton *FSaveTemp = nullptr;
    QPushButton *FSaveBufr = nullptr;
    QLineEdit *FHost = nullptr;
    QLineEdit *FPort = nullptr;
    QLineEdit *FUser = nullptr;
    QLineEdit *FKeyFile = nullptr;
    QLineEdit *FRemoteFolder = nullptr;
    QLineEdit *FKnownHosts = nullptr;
    QLineEdit *FHeading = nullptr;
    QLineEdit *FCentre = nullptr;
    QCheckBox *FObjectStore = nullptr;
    QCheckBox *FAutomatic = nullptr;
    QPushButton *FSetDelivery = nullptr;
    QPushButton *FSendFirst = nullptr;
    QPushButton *FSendRest = nullptr;
    QLabel *FDelivery = nullptr;
    std::optional<TFlightDeliverySettings> FShownDelivery;
    TStationIdentity FShownStation;
    QTimer *FRefresh = nullptr;
};
