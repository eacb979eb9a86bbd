#include "ui/SkewTGraphParametersForm.h"

#include "ui/FrameSupport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <tuple>

TfrmSkewTGraphParameters::TfrmSkewTGraphParameters(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSkewTGraphParameters"));
    setWindowTitle(QStringLiteral("Graph Parameters"));

    radAltitudeOn = new QRadioButton(QStringLiteral("On"), this);
    radAltitudeOn->setObjectName(QStringLiteral("radAltitudeOn"));
    radAltitudeOff = new QRadioButton(QStringLiteral("Off"), this);
    radAltitudeOff->setObjectName(QStringLiteral("radAltitudeOff"));
    radMeters = new QRadioButton(QStringLiteral("Meters"), this);
    radMeters->setObjectName(QStringLiteral("radMeters"));
    radFeet = new QRadioButton(QStringLiteral("Feet"), this);
    radFeet->setObjectName(QStringLiteral("radFeet"));
    radAltitudeOn->setChecked(true);
    radMeters->setChecked(true);

    // Each row is a choice of its own: buttons of one window would otherwise
    // all exclude each other.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    int row = 0;
    for (auto [caption, first, second] :
         {std::tuple(QStringLiteral("Altitude"), radAltitudeOn, radAltitudeOff),
          std::tuple(QStringLiteral("Units"), radMeters, radFeet)}) {
        auto *choice = new QButtonGroup(this);
        choice->addButton(first);
        choice->addButton(second);
        grid->addWidget(new QLabel(caption, this), row, 0);
        grid->addWidget(first, row, 1);
        grid->addWidget(second, row, 2);
        ++row;
    }

    // The overlays of the sounding analysis, one box each.
    auto *analysis = new QGroupBox(QStringLiteral("Analysis"), this);
    auto *overlays = new QVBoxLayout(analysis);
    for (auto [box, name, caption] :
         {std::tuple(&chkParcelTrace, "chkParcelTrace", "Parcel trace"),
          std::tuple(&chkStandardAtmosphere, "chkStandardAtmosphere", "Standard atmosphere"),
          std::tuple(&chkAnalysisBox, "chkAnalysisBox", "Analysis box")}) {
        *box = new QCheckBox(QLatin1String(caption), analysis);
        (*box)->setObjectName(QLatin1String(name));
        overlays->addWidget(*box);
    }

    QHBoxLayout *buttons = NewOkCancelRow(*this, btnOk, btnCancel);
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(analysis);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmSkewTGraphParameters::SetUnits(TLengthUnit unit)
{
    (unit == luFeet ? radFeet : radMeters)->setChecked(true);
}

TLengthUnit TfrmSkewTGraphParameters::GetUnits() const
{
    return radFeet->isChecked() ? luFeet : luMeters;
}

void TfrmSkewTGraphParameters::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmSkewTGraphParameters::FormShow()
{
    (FParameters.ShowAltitude() ? radAltitudeOn : radAltitudeOff)->setChecked(true);
    chkParcelTrace->setChecked(FParameters.ShowParcel());
    chkStandardAtmosphere->setChecked(FParameters.ShowStandardAtmosphere());
    chkAnalysisBox->setChecked(FParameters.ShowAnalysis());
}

void TfrmSkewTGraphParameters::btnOkClick()
{
    FParameters.SetShowAltitude(radAltitudeOn->isChecked());
    FParameters.SetShowParcel(chkParcelTrace->isChecked());
    FParameters.SetShowStandardAtmosphere(chkStandardAtmosphere->isChecked());
    FParameters.SetShowAnalysis(chkAnalysisBox->isChecked());
    accept();
}
