#include "ui/SoundingProductsForm.h"

#include "foundation/CustomUtilities.h"
#include "sounding/SoundingBufr.h"
#include "sounding/TempReport.h"
#include "ui/FrameSupport.h"
#include "ui/ModalInteraction.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int RefreshMilliseconds = 1000;
const QString Missing = QStringLiteral("-");

QString Value(const std::optional<double> &value, int decimals, const QString &unit = QString())
{
    if (!value || !std::isfinite(*value))
        return Missing;
    return unit.isEmpty() ? FormatFixed(*value, decimals)
                          : FormatFixed(*value, decimals) + QLatin1Char(' ') + unit;
}

template <class T> std::optional<double> PressureOf(const std::optional<T> &level)
{
    return level ? std::optional<double>(level->Pressure) : std::nullopt;
}

} // namespace

TfrmSoundingProducts::TfrmSoundingProducts(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmSoundingProducts"));
    setWindowTitle(QStringLiteral("Sounding Products"));
    BuildControls();
    FRefresh = new QTimer(this);
    FRefresh->setObjectName(QStringLiteral("tmrRefresh"));
    FRefresh->setInterval(RefreshMilliseconds);
    connect(FRefresh, &QTimer::timeout, this, &TfrmSoundingProducts::tmrRefreshTimer);
    connect(FSetStation, &QPushButton::clicked, this, &TfrmSoundingProducts::btnSetStationClick);
    connect(FSetObservation, &QPushButton::clicked, this,
            &TfrmSoundingProducts::btnSetObservationClick);
    connect(FSetDelivery, &QPushButton::clicked, this, &TfrmSoundingProducts::btnSetDeliveryClick);
    ShowProducts(TSoundingProducts{});
}

TfrmSoundingProducts::~TfrmSoundingProducts() = default;

void TfrmSoundingProducts::BuildControls()
{
    auto edit = [this](const char *name) {
        auto *box = new QLineEdit(this);
        box->setObjectName(QLatin1String(name));
        SetEditColor(*box, Qt::white);
        return box;
    };
    FStation = edit("edtStation");
    FStation->setPlaceholderText(QStringLiteral("IIiii"));
    FLatitude = edit("edtLatitude");
    FLongitude = edit("edtLongitude");
    FTimeZone = edit("edtTimeZone");
    FTimeZone->setPlaceholderText(QStringLiteral("this machine's"));
    FStationHeight = new QLabel(this);
    FStationHeight->setObjectName(QStringLiteral("lblStationHeight"));
    FSetStation = new QPushButton(QStringLiteral("Set Station"), this);
    FSetStation->setObjectName(QStringLiteral("btnSetStation"));

    auto *stationGroup = new QGroupBox(QStringLiteral("Station"), this);
    auto *stationForm = new QFormLayout(stationGroup);
    stationForm->addRow(QStringLiteral("WMO block and station number:"), FStation);
    stationForm->addRow(QStringLiteral("Latitude (degrees, north positive):"), FLatitude);
    stationForm->addRow(QStringLiteral("Longitude (degrees, east positive):"), FLongitude);
    stationForm->addRow(QStringLiteral("Time zone of the log (name or +HH:MM):"), FTimeZone);
    stationForm->addRow(QStringLiteral("Station height:"), FStationHeight);
    stationForm->addRow(QString(), FSetStation);

    FSurfacePressure = edit("edtSurfacePressure");
    FSurfaceTemperature = edit("edtSurfaceTemperature");
    FSurfaceHumidity = edit("edtSurfaceHumidity");
    FWindDirection = edit("edtWindDirection");
    FWindSpeed = edit("edtWindSpeed");
    FSetObservation = new QPushButton(QStringLiteral("Set Observation"), this);
    FSetObservation->setObjectName(QStringLiteral("btnSetObservation"));
    auto *surfaceGroup = new QGroupBox(QStringLiteral("Surface observation at the release"), this);
    auto *surfaceForm = new QFormLayout(surfaceGroup);
    surfaceForm->addRow(QStringLiteral("Station pressure (hPa):"), FSurfacePressure);
    surfaceForm->addRow(QStringLiteral("Air temperature (degC):"), FSurfaceTemperature);
    surfaceForm->addRow(QStringLiteral("Relative humidity (%):"), FSurfaceHumidity);
    surfaceForm->addRow(QStringLiteral("Wind direction (degrees true):"), FWindDirection);
    surfaceForm->addRow(QStringLiteral("Wind speed (m/s):"), FWindSpeed);
    surfaceForm->addRow(QString(), FSetObservation);
    auto *groups = new QHBoxLayout;
    groups->addWidget(stationGroup, 1);
    groups->addWidget(surfaceGroup, 1);

    FPhase = new QLabel(this);
    FPhase->setObjectName(QStringLiteral("lblPhase"));
    FPhase->setWordWrap(true);
    FSurfaceSource = new QLabel(this);
    FSurfaceSource->setObjectName(QStringLiteral("lblSurfaceSource"));
    FSurfaceSource->setWordWrap(true);
    FGroundCheck = new QLabel(this);
    FGroundCheck->setObjectName(QStringLiteral("lblGroundCheck"));
    FGroundCheck->setWordWrap(true);
    FScreening = new QLabel(this);
    FScreening->setObjectName(QStringLiteral("lblScreening"));
    FScreening->setWordWrap(true);
    FRelease = new QPushButton(QStringLiteral("Release"), this);
    FRelease->setObjectName(QStringLiteral("btnRelease"));
    FEndOfAscent = new QPushButton(QStringLiteral("End of Ascent"), this);
    FEndOfAscent->setObjectName(QStringLiteral("btnEndOfAscent"));
    auto *marks = new QHBoxLayout;
    marks->addWidget(FPhase, 1);
    marks->addWidget(FRelease);
    marks->addWidget(FEndOfAscent);

    FAscent = new QLabel(this);
    FAscent->setObjectName(QStringLiteral("lblAscent"));
    FReportDue = new QLabel(this);
    FReportDue->setObjectName(QStringLiteral("lblReportDue"));
    FReportDue->setWordWrap(true);

    FStandard = new QTableWidget(0, 5, this);
    FStandard->setObjectName(QStringLiteral("grdStandard"));
    FStandard->setHorizontalHeaderLabels(
        {QStringLiteral("Pressure (hPa)"), QStringLiteral("Height (m)"),
         QStringLiteral("Temp (degC)"), QStringLiteral("Dewpt (degC)"), QStringLiteral("RH (%)")});
    FStandard->verticalHeader()->hide();
    FStandard->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FStandard->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    FStandard->setMinimumHeight(200);

    FSignificant = new QLabel(this);
    FSignificant->setObjectName(QStringLiteral("lblSignificant"));
    FTropopause = new QLabel(this);
    FTropopause->setObjectName(QStringLiteral("lblTropopause"));

    auto *figures = new QGroupBox(QStringLiteral("Stability"), this);
    auto *grid = new QGridLayout(figures);
    const QStringList captions{QStringLiteral("Lifted index"),
                               QStringLiteral("Showalter index"),
                               QStringLiteral("K index"),
                               QStringLiteral("Total totals"),
                               QStringLiteral("CAPE"),
                               QStringLiteral("CIN"),
                               QStringLiteral("LCL"),
                               QStringLiteral("LFC"),
                               QStringLiteral("EL"),
                               QStringLiteral("Precipitable water"),
                               QStringLiteral("Freezing level")};
    for (int i = 0; i < captions.size(); ++i) {
        auto *value = new QLabel(Missing, figures);
        value->setObjectName(QStringLiteral("lblFigure%1").arg(i + 1));
        grid->addWidget(new QLabel(captions[i] + QLatin1Char(':'), figures), i / 2, (i % 2) * 2);
        grid->addWidget(value, i / 2, (i % 2) * 2 + 1);
        FFigures.emplace_back(captions[i], value);
    }

    FSaveLevels = new QPushButton(QStringLiteral("Save Levels"), this);
    FSaveLevels->setObjectName(QStringLiteral("btnSaveLevels"));
    FSaveSummary = new QPushButton(QStringLiteral("Save Summary"), this);
    FSaveSummary->setObjectName(QStringLiteral("btnSaveSummary"));
    FSaveTemp = new QPushButton(QStringLiteral("Save TEMP"), this);
    FSaveTemp->setObjectName(QStringLiteral("btnSaveTemp"));
    FSaveBufr = new QPushButton(QStringLiteral("Save BUFR"), this);
    FSaveBufr->setObjectName(QStringLiteral("btnSaveBufr"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *button : {FSaveLevels, FSaveSummary, FSaveTemp, FSaveBufr})
        buttons->addWidget(button);

    FTemp = new QPlainTextEdit(this);
    FTemp->setObjectName(QStringLiteral("memTemp"));
    FTemp->setReadOnly(true);
    FTemp->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    FTemp->setFont(QFont(QStringLiteral("Courier"), 9));
    FTemp->setMinimumHeight(110);
    FBufr = new QLabel(this);
    FBufr->setObjectName(QStringLiteral("lblBufr"));
    FBufr->setWordWrap(true);

    FHost = edit("edtHost");
    FPort = edit("edtPort");
    FPort->setPlaceholderText(QStringLiteral("22"));
    FUser = edit("edtUser");
    FKeyFile = edit("edtKeyFile");
    FRemoteFolder = edit("edtRemoteFolder");
    FRemoteFolder->setPlaceholderText(QStringLiteral("/incoming"));
    FKnownHosts = edit("edtKnownHosts");
    FHeading = edit("edtHeading");
    FHeading->setPlaceholderText(QStringLiteral("A1A2ii"));
    FCentre = edit("edtCentre");
    FCentre->setPlaceholderText(QStringLiteral("CCCC"));
    FObjectStore = new QCheckBox(QStringLiteral("WIS 2.0 node (wis2box): BUFR only"), this);
    FObjectStore->setObjectName(QStringLiteral("chkObjectStore"));
    FAutomatic = new QCheckBox(QStringLiteral("Send automatically"), this);
    FAutomatic->setObjectName(QStringLiteral("chkAutomatic"));
    FSetDelivery = new QPushButton(QStringLiteral("Set Delivery"), this);
    FSetDelivery->setObjectName(QStringLiteral("btnSetDelivery"));
    FSendFirst = new QPushButton(QStringLiteral("Send TEMP A, B"), this);
    FSendFirst->setObjectName(QStringLiteral("btnSendFirst"));
    FSendRest = new QPushButton(QStringLiteral("Send TEMP C, D, BUFR"), this);
    FSendRest->setObjectName(QStringLiteral("btnSendRest"));
    FDelivery = new QLabel(this);
    FDelivery->setObjectName(QStringLiteral("lblDelivery"));
    FDelivery->setWordWrap(true);
    auto *deliveryGroup = new QGroupBox(QStringLiteral("Delivery (SFTP)"), this);
    auto *deliveryGrid = new QGridLayout(deliveryGroup);
    const std::pair<const char *, QWidget *> fields[] = {{"Server:", FHost},
                                                         {"Port:", FPort},
                                                         {"User:", FUser},
                                                         {"Private key file:", FKeyFile},
                                                         {"Remote folder:", FRemoteFolder},
                                                         {"Known hosts file:", FKnownHosts},
                                                         {"Heading (A1A2ii):", FHeading},
                                                         {"Centre (CCCC):", FCentre},
                                                         {"", FObjectStore},
                                                         {"", FAutomatic}};
    for (int i = 0; i < int(std::size(fields)); ++i) {
        deliveryGrid->addWidget(new QLabel(QLatin1String(fields[i].first), deliveryGroup), i / 2,
                                (i % 2) * 2);
        deliveryGrid->addWidget(fields[i].second, i / 2, (i % 2) * 2 + 1);
    }
    auto *deliveryButtons = new QHBoxLayout;
    deliveryButtons->addWidget(FDelivery, 1);
    for (QPushButton *button : {FSetDelivery, FSendFirst, FSendRest})
        deliveryButtons->addWidget(button);
    deliveryGrid->addLayout(deliveryButtons, int(std::size(fields) + 1) / 2, 0, 1, 4);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(marks);
    layout->addWidget(FSurfaceSource);
    layout->addWidget(FGroundCheck);
    layout->addWidget(FScreening);
    layout->addWidget(FAscent);
    layout->addWidget(FReportDue);
    layout->addWidget(new QLabel(QStringLiteral("Standard isobaric surfaces:"), this));
    layout->addWidget(FStandard, 1);
    layout->addWidget(FSignificant);
    layout->addWidget(FTropopause);
    layout->addWidget(figures);
    layout->addWidget(new QLabel(QStringLiteral("TEMP report:"), this));
    layout->addWidget(FTemp);
    layout->addWidget(FBufr);
    layout->addLayout(buttons);
    layout->addWidget(deliveryGroup);
    resize(760, 1080);
}

QLabel &TfrmSoundingProducts::Figure(const QString &caption)
{
    for (const auto &[name, label] : FFigures)
        if (name == caption)
            return *label;
    throw EListIndexError(QStringLiteral("No figure named ") + caption);
}

void TfrmSoundingProducts::ShowStation(const TStationIdentity &station, double stationHeight)
{
    FStation->setText(station.Number);
    FLatitude->setText(station.Latitude ? FormatGeneral(*station.Latitude, 10) : QString());
    FLongitude->setText(station.Longitude ? FormatGeneral(*station.Longitude, 10) : QString());
    FTimeZone->setText(station.TimeZone);
    for (QLineEdit *box : {FStation, FLatitude, FLongitude, FTimeZone})
        SetEditColor(*box, Qt::white);
    SetStationHeight(stationHeight);
    FShownStation = station;
}

void TfrmSoundingProducts::SetStationHeight(double stationHeight)
{
    FStationHeight->setText(FormatFixed(stationHeight, 0) +
                            QStringLiteral(" m (the launch elevation)"));
}

void TfrmSoundingProducts::btnSetStationClick()
{
    TStationIdentity station;
    QStringList problems;
    QLineEdit *topmost = nullptr;
    auto fail = [&](QLineEdit &box, const QString &problem) {
        SetEditColor(box, Qt::red);
        problems << problem;
        if (!topmost)
            topmost = &box;
    };
    for (QLineEdit *box : {FStation, FLatitude, FLongitude, FTimeZone})
        SetEditColor(*box, Qt::white);

    station.Number = FStation->text().trimmed();
    if (!station.Number.isEmpty())
        if (const QString problem = StationNumberProblem(station.Number); !problem.isEmpty())
            fail(*FStation, problem);
    auto angle = [&](QLineEdit &box, const QString &name, QString (*problemOf)(double)) {
        const QString text = box.text().trimmed();
        if (text.isEmpty())
            return std::optional<double>();
        double value = 0.0;
        if (!TryStrToFloatSystem(text, value, GetSystemFormatSettings())) {
            fail(box, QStringLiteral("The %1 is not a valid number").arg(name));
            return std::optional<double>();
        }
        if (const QString problem = problemOf(value); !problem.isEmpty())
            fail(box, problem);
        return std::optional<double>(value);
    };
    station.Latitude = angle(*FLatitude, QStringLiteral("latitude"), LatitudeProblem);
    station.Longitude = angle(*FLongitude, QStringLiteral("longitude"), LongitudeProblem);
    station.TimeZone = FTimeZone->text().trimmed();
    if (const QString problem = TimeZoneProblem(station.TimeZone); !problem.isEmpty())
        fail(*FTimeZone, problem);

    if (topmost) {
        topmost->setFocus();
        ModalInteraction().ShowError(problems.join(QLatin1Char('\n')), this);
        return;
    }
    if (OnStationChanged)
        OnStationChanged(station);
}

void TfrmSoundingProducts::ShowDeliverySettings(const TFlightDeliverySettings &settings)
{
    if (FShownDelivery == settings)
        return;
    FShownDelivery = settings;
    const TDeliverySettings &server = settings.Server;
    FHost->setText(server.Host);
    FPort->setText(server.Port == 22 ? QString() : QString::number(server.Port));
    FUser->setText(server.User);
    FKeyFile->setText(server.PrivateKeyFile);
    FRemoteFolder->setText(server.RemoteFolder);
    FKnownHosts->setText(server.KnownHostsFile);
    FHeading->setText(settings.Origin.A1A2 + settings.Origin.Ii);
    FCentre->setText(settings.Origin.Centre);
    FObjectStore->setChecked(server.UploadDirectly);
    FAutomatic->setChecked(settings.Automatic);
    SetEditColor(*FPort, Qt::white);
}

void TfrmSoundingProducts::ShowDeliveryState(const QString &summary)
{
    FDelivery->setText(summary);
}

void TfrmSoundingProducts::btnSetDeliveryClick()
{
    TFlightDeliverySettings settings;
    TDeliverySettings &server = settings.Server;
    server.Host = FHost->text().trimmed();
    server.User = FUser->text().trimmed();
    server.PrivateKeyFile = FKeyFile->text().trimmed();
    server.RemoteFolder = FRemoteFolder->text().trimmed();
    server.KnownHostsFile = FKnownHosts->text().trimmed();
    server.UploadDirectly = FObjectStore->isChecked();
    const QString heading = FHeading->text().trimmed().toUpper();
    settings.Origin = {heading.left(2), heading.mid(2), FCentre->text().trimmed().toUpper()};
    settings.Automatic = FAutomatic->isChecked();
    QStringList problems;
    SetEditColor(*FPort, Qt::white);
    if (const QString port = FPort->text().trimmed(); !port.isEmpty()) {
        bool ok = false;
        server.Port = port.toInt(&ok);
        if (!ok || server.Port < 1 || server.Port > 65535) {
            SetEditColor(*FPort, Qt::red);
            problems << QStringLiteral("The port must be a number from 1 to 65535");
        }
    }
    problems << FlightDeliveryProblems(settings);
    if (!problems.isEmpty()) {
        ModalInteraction().ShowError(problems.join(QLatin1Char('\n')), this);
        return;
    }
    if (OnDeliveryChanged)
        OnDeliveryChanged(settings);
}

void TfrmSoundingProducts::ShowSurfaceObservation(
    const std::optional<TSurfaceObservation> &observation)
{
    auto show = [](QLineEdit &box, const std::optional<double> &value) {
        box.setText(value ? FormatGeneral(*value, 10) : QString());
        SetEditColor(box, Qt::white);
    };
    show(*FSurfacePressure, observation ? std::optional(observation->Pressure) : std::nullopt);
    show(*FSurfaceTemperature,
         observation ? std::optional(observation->Temperature) : std::nullopt);
    show(*FSurfaceHumidity, observation ? std::optional(observation->Humidity) : std::nullopt);
    show(*FWindDirection, observation ? observation->WindDirection : std::nullopt);
    show(*FWindSpeed, observation ? observation->WindSpeed : std::nullopt);
}

void TfrmSoundingProducts::btnSetObservationClick()
{
    QLineEdit *const boxes[ofCount] = {FSurfacePressure, FSurfaceTemperature, FSurfaceHumidity,
                                       FWindDirection, FWindSpeed};
    const char *const names[ofCount] = {"station pressure", "air temperature", "relative humidity",
                                        "wind direction", "wind speed"};
    QStringList problems;
    QLineEdit *topmost = nullptr;
    auto fail = [&](QLineEdit &box, const QString &problem) {
        SetEditColor(box, Qt::red);
        problems << problem;
        if (!topmost)
            topmost = &box;
    };
    std::optional<double> values[ofCount];
    bool any = false;
    for (int field = 0; field < ofCount; ++field) {
        SetEditColor(*boxes[field], Qt::white);
        const QString text = boxes[field]->text().trimmed();
        if (text.isEmpty())
            continue;
        any = true;
        double value = 0.0;
        if (TryStrToFloatSystem(text, value, GetSystemFormatSettings()))
            values[field] = value;
        else
            fail(*boxes[field],
                 QStringLiteral("The %1 is not a valid number").arg(QLatin1String(names[field])));
    }
    std::optional<TSurfaceObservation> observation;
    if (any) {
        TSurfaceObservation o;
        // A field left empty is as wrong as one out of range.
        o.Pressure = values[ofPressure].value_or(std::nan(""));
        o.Temperature = values[ofTemperature].value_or(std::nan(""));
        o.Humidity = values[ofHumidity].value_or(std::nan(""));
        o.WindDirection = values[ofDirection];
        o.WindSpeed = values[ofSpeed];
        for (int field = 0; field < ofCount; ++field) {
            const bool unreadable = !boxes[field]->text().trimmed().isEmpty() && !values[field];
            if (unreadable)
                continue;
            if (const QString problem = SurfaceObservationProblem(TSurfaceField(field), o);
                !problem.isEmpty())
                fail(*boxes[field], problem);
        }
        observation = o;
    }
    if (topmost) {
        topmost->setFocus();
        ModalInteraction().ShowError(problems.join(QLatin1Char('\n')), this);
        return;
    }
    if (OnSurfaceObservationChanged)
        OnSurfaceObservationChanged(observation);
}

namespace {

QString Grouped(double value)
{
    return GetSystemFormatSettings().NumberLocale.toString(qlonglong(std::llround(value)));
}

QString UtcClock(double days, const TStationIdentity &station)
{
    return LocalDaysToUtc(days, station).toString(QStringLiteral("HH:mm:ss")) +
           QStringLiteral(" UTC");
}

// The phase in words: "On the ground for 12 min"; "Released 11:00:03 UTC
// (automatic). Ascending: 8,420 m, 5.1 m/s"; "... Balloon burst at 31,204 m
// (10.2 hPa), 12:43:10 UTC. Descending".
QString PhaseText(const TFlightSummary &flight, const TStationIdentity &station)
{
    QStringList parts;
    if (flight.Release)
        parts << QStringLiteral("Released %1 (%2)")
                     .arg(UtcClock(flight.Release->Time, station),
                          ReleaseSourceText(flight.Release->Source));
    if (flight.Burst)
        parts << QStringLiteral("Balloon burst at %1 m (%2 hPa), %3")
                     .arg(Grouped(flight.BurstHeight.value_or(flight.Burst->Altitude)),
                          FormatFixed(flight.Burst->Pressure, 1),
                          UtcClock(flight.Burst->Time, station));
    switch (flight.Phase) {
    case fpGround:
        parts << QStringLiteral("On the ground for %1 min").arg(qlonglong(flight.GroundMinutes));
        break;
    case fpAscending: {
        QString ascending = QStringLiteral("Ascending");
        if (flight.Altitude)
            ascending += QStringLiteral(": %1 m").arg(Grouped(*flight.Altitude));
        if (flight.RiseRate)
            ascending += QStringLiteral(", %1 m/s").arg(FormatFixed(*flight.RiseRate, 1));
        parts << ascending;
        break;
    }
    case fpDescending:
        parts << QStringLiteral("Descending");
        break;
    case fpEnded:
        if (flight.Termination)
            parts << QStringLiteral("Ascent ended: %1")
                         .arg(TerminationText(flight.Termination->Code));
        else
            parts << QStringLiteral("Ended");
        break;
    }
    return parts.join(QStringLiteral(". "));
}

// "Screened: 3 temperature spikes, 1 pressure jump; gap in humidity
// 412-380 hPa"; empty when the screening found nothing.
QString ScreeningText(const TScreeningSummary &screening)
{
    const TScreeningCounts &c = screening.Counts;
    QStringList counts;
    auto count = [&](int n, const char *one, const char *many) {
        if (n > 0)
            counts << QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    count(c.Temperature, "temperature spike", "temperature spikes");
    count(c.Humidity, "humidity value", "humidity values");
    count(c.HumidityCapped, "humidity over 100 %", "humidities over 100 %");
    count(c.Pressure, "pressure jump", "pressure jumps");
    count(c.Time, "frame back in time", "frames back in time");
    QStringList parts;
    if (!counts.isEmpty())
        parts << QStringLiteral("Screened: ") + counts.join(QStringLiteral(", "));
    for (const TProductGap &gap : screening.Gaps)
        parts << QStringLiteral("gap in %1 %2\u2013%3 hPa")
                     .arg(gap.What == gkTemperature ? QStringLiteral("temperature")
                                                    : QStringLiteral("humidity"),
                          FormatFixed(gap.BottomPressure, 0), FormatFixed(gap.TopPressure, 0));
    if (c.Superadiabatic > 0)
        parts << QStringLiteral("warning: %1 superadiabatic layer%2 above the lowest 500 m, "
                                "beyond what the air can hold: check the temperature sensor")
                     .arg(c.Superadiabatic)
                     .arg(c.Superadiabatic == 1 ? QString() : QStringLiteral("s"));
    return parts.join(QStringLiteral("; "));
}

} // namespace

void TfrmSoundingProducts::ShowProducts(const TSoundingProducts &products)
{
    FScreening->setText(ScreeningText(products.Screening));
    const TFlightSummary &flight = products.Flight;
    FPhase->setText(PhaseText(flight, FShownStation));
    FSurfaceSource->setText(
        flight.SurfaceSource == ssSonde && products.Surface
            ? QStringLiteral("No surface observation: the surface level is the sonde's own "
                             "reading at release")
            : QString());
    // The sonde against the station's barometer at the release.
    if (flight.SondePressureOffset) {
        const double offset = *flight.SondePressureOffset;
        QString text = QStringLiteral("Ground check: the sonde reads %1 hPa against the "
                                      "station's barometer at the release")
                           .arg(FormatFixed(offset, 1));
        const bool off = std::fabs(offset) > 1.0;
        if (off)
            text += QStringLiteral(" (the sonde's pressure sensor reads %1 hPa %2)")
                        .arg(FormatFixed(std::fabs(offset), 1),
                             offset > 0 ? QStringLiteral("high") : QStringLiteral("low"));
        FGroundCheck->setText(text);
        QPalette palette = FGroundCheck->palette();
        palette.setColor(QPalette::WindowText, off ? QColor(Qt::red) : QColor(Qt::black));
        FGroundCheck->setPalette(palette);
    } else {
        FGroundCheck->clear();
    }

    const TSoundingAnalysis &analysis = products.Analysis;
    if (!products.Surface) {
        FAscent->setText(flight.Problem.isEmpty()
                             ? QStringLiteral("No sounding yet: no frame with pressure and "
                                              "temperature has arrived.")
                             : flight.Problem + QLatin1Char('.'));
    } else {
        const TProductLevel &top = *products.Highest;
        FAscent->setText(QStringLiteral("Ascent from %1 hPa to %2 hPa (%3 m), %4 levels.")
                             .arg(FormatFixed(products.Surface->Pressure, 1),
                                  FormatFixed(top.Pressure, 1), FormatFixed(*top.Height, 0))
                             .arg(analysis.Profile.size()));
    }
    FReportDue->setText(
        products.Passed100hPa()
            ? QStringLiteral("The ascent has passed 100 hPa: WMO expects the first report "
                             "(TEMP parts A and B) now.")
            : QStringLiteral("The first report is due when the ascent passes 100 hPa."));

    FStandard->setRowCount(int(products.Standard.size()));
    for (int row = 0; row < FStandard->rowCount(); ++row) {
        const TProductLevel &level = products.Standard[size_t(row)];
        const QStringList cells{FormatFixed(level.Pressure, 0), Value(level.Height, 0),
                                level.BelowGround ? QStringLiteral("below ground")
                                                  : Value(level.Temperature, 1),
                                Value(level.Dewpoint, 1), Value(level.Humidity, 0)};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            FStandard->setItem(row, column, item);
        }
    }

    int temperature = 0, humidity = 0;
    for (const TProductLevel &level : products.Significant) {
        temperature += level.SignificantTemperature;
        humidity += level.SignificantHumidity;
    }
    FSignificant->setText(QStringLiteral("Significant levels: %1 (%2 for temperature, %3 for "
                                         "humidity)")
                              .arg(products.Significant.size())
                              .arg(temperature)
                              .arg(humidity));
    if (const auto &t = products.Tropopause)
        FTropopause->setText(
            QStringLiteral("Tropopause: %1 hPa, %2 m, %3 degC")
                .arg(FormatFixed(t->Pressure, 1), Value(t->Height, 0), Value(t->Temperature, 1)));
    else
        FTropopause->setText(QStringLiteral("Tropopause: not found yet"));

    auto height = [](const auto &level) {
        return level ? std::optional<double>(level->Altitude) : std::nullopt;
    };
    const std::vector<std::pair<const char *, QString>> values{
        {"Lifted index", Value(products.LiftedIndex, 1, QStringLiteral("K"))},
        {"Showalter index", Value(products.ShowalterIndex, 1, QStringLiteral("K"))},
        {"K index", Value(products.KIndex, 1)},
        {"Total totals", Value(products.TotalTotals, 1)},
        {"CAPE", Value(analysis.Cape, 0, QStringLiteral("J/kg"))},
        {"CIN", Value(analysis.Cin, 0, QStringLiteral("J/kg"))},
        {"LCL", Value(PressureOf(analysis.Lcl), 0, QStringLiteral("hPa"))},
        {"LFC", Value(PressureOf(analysis.Lfc), 0, QStringLiteral("hPa"))},
        {"EL", Value(PressureOf(analysis.El), 0, QStringLiteral("hPa"))},
        {"Precipitable water", Value(analysis.PrecipitableWater, 1, QStringLiteral("mm"))},
        {"Freezing level", Value(height(analysis.FreezingLevel), 0, QStringLiteral("m"))},
    };
    for (const auto &[caption, text] : values)
        Figure(QLatin1String(caption)).setText(text);

    QString temp;
    if (!products.Surface)
        temp = QStringLiteral("No sounding yet.");
    else if (!MissingStationParts(FShownStation, srTemp).empty())
        temp = QStringLiteral("Set the station number to see the TEMP report.");
    else
        temp = QString::fromLatin1(FormatTempReport(products, FShownStation))
                   .remove(QLatin1Char('\r'));
    if (FTemp->toPlainText() != temp)
        FTemp->setPlainText(temp);

    if (!products.Surface) {
        FBufr->setText(QStringLiteral("BUFR report: no sounding yet."));
    } else if (!MissingStationParts(FShownStation, srBufr).empty()) {
        FBufr->setText(QStringLiteral("BUFR report: set the station number, latitude and "
                                      "longitude to save it."));
    } else {
        size_t standard = 0;
        const std::vector<TBufrLevel> levels = BufrLevels(products);
        for (const TBufrLevel &level : levels)
            standard += (level.Flags & bfStandard) != 0;
        FBufr->setText(QStringLiteral("BUFR report (template 3 09 057, WIGOS 0-20000-0-%1): %2 "
                                      "levels, %3 of them standard surfaces.")
                           .arg(FShownStation.Number)
                           .arg(levels.size())
                           .arg(standard));
    }
}

void TfrmSoundingProducts::tmrRefreshTimer()
{
    if (TakeProducts)
        if (std::shared_ptr<const TSoundingProductsPacket> packet = TakeProducts())
            ShowProducts(packet->Products);
    if (RequestProducts)
        RequestProducts();
}

void TfrmSoundingProducts::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (RequestProducts)
        RequestProducts();
    FRefresh->start();
}

void TfrmSoundingProducts::hideEvent(QHideEvent *event)
{
    FRefresh->stop();
    QWidget::hideEvent(event);
}
