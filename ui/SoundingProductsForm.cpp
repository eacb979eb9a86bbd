#include "ui/SoundingProductsForm.h"

#include "foundation/CustomUtilities.h"
#include "sounding/SoundingBufr.h"
#include "sounding/TempReport.h"
#include "ui/FrameSupport.h"
#include "ui/ModalInteraction.h"

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
    FStationHeight = new QLabel(this);
    FStationHeight->setObjectName(QStringLiteral("lblStationHeight"));
    FSetStation = new QPushButton(QStringLiteral("Set Station"), this);
    FSetStation->setObjectName(QStringLiteral("btnSetStation"));

    auto *stationGroup = new QGroupBox(QStringLiteral("Station"), this);
    auto *stationForm = new QFormLayout(stationGroup);
    stationForm->addRow(QStringLiteral("WMO block and station number:"), FStation);
    stationForm->addRow(QStringLiteral("Latitude (degrees, north positive):"), FLatitude);
    stationForm->addRow(QStringLiteral("Longitude (degrees, east positive):"), FLongitude);
    stationForm->addRow(QStringLiteral("Station height:"), FStationHeight);
    stationForm->addRow(QString(), FSetStation);

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

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(stationGroup);
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
    resize(600, 860);
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
    for (QLineEdit *box : {FStation, FLatitude, FLongitude})
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
    for (QLineEdit *box : {FStation, FLatitude, FLongitude})
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

    if (topmost) {
        topmost->setFocus();
        ModalInteraction().ShowError(problems.join(QLatin1Char('\n')), this);
        return;
    }
    if (OnStationChanged)
        OnStationChanged(station);
}

void TfrmSoundingProducts::ShowProducts(const TSoundingProducts &products)
{
    const TSoundingAnalysis &analysis = products.Analysis;
    if (!products.Surface) {
        FAscent->setText(
            QStringLiteral("No sounding yet: no frame with pressure and temperature has arrived."));
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
