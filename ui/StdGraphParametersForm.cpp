#include "ui/StdGraphParametersForm.h"

#include <QGroupBox>
#include <QRadioButton>

TfrmStdGraphParameters::TfrmStdGraphParameters(QWidget *parent)
    : TValueAxesParametersForm(QStringLiteral("Pressure"), QString(), parent)
{
    setObjectName(QStringLiteral("frmStdGraphParameters"));
    radAltitudeOn = new QRadioButton(QStringLiteral("On"), grpIndependentAxes);
    radAltitudeOn->setObjectName(QStringLiteral("radAltitudeOn"));
    radAltitudeOff = new QRadioButton(QStringLiteral("Off"), grpIndependentAxes);
    radAltitudeOff->setObjectName(QStringLiteral("radAltitudeOff"));
    radMeters = new QRadioButton(QStringLiteral("Meters"), grpIndependentAxes);
    radMeters->setObjectName(QStringLiteral("radMeters"));
    radFeet = new QRadioButton(QStringLiteral("Feet"), grpIndependentAxes);
    radFeet->setObjectName(QStringLiteral("radFeet"));
    AddOptionRow(QStringLiteral("Altitude"), radAltitudeOn, radAltitudeOff);
    AddOptionRow(QStringLiteral("Units"), radMeters, radFeet);
    radAltitudeOn->setChecked(true);
    radMeters->setChecked(true);
}

void TfrmStdGraphParameters::SetIndependentAxis(double minimum, double maximum)
{
    FParameters.SetPressureAxis(minimum, maximum);
}

void TfrmStdGraphParameters::SetIndependentAxis(double interval)
{
    FParameters.SetPressureAxis(interval);
}

TSetterAnswer TfrmStdGraphParameters::RunSetter(const std::function<void()> &setter) const
{
    try {
        setter();
    } catch (const EStandardGraphParametersRangeError &) {
        return saRangeError;
    } catch (const EStandardGraphParametersValueError &) {
        return saValueError;
    }
    return saStored;
}

void TfrmStdGraphParameters::ShowOptions()
{
    (FUnits == luFeet ? radFeet : radMeters)->setChecked(true);
    (FParameters.ShowAltitude() ? radAltitudeOn : radAltitudeOff)->setChecked(true);
}

void TfrmStdGraphParameters::StoreOptions()
{
    FParameters.SetShowAltitude(radAltitudeOn->isChecked());
    FUnits = radFeet->isChecked() ? luFeet : luMeters;
}
