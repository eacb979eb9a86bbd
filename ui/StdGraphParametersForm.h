#pragma once
// TfrmStdGraphParameters: the parameter dialog of the Standard graph: value
// axes, the pressure axis, whether the altitude axis is shown, and the unit
// of altitudes, which the main window reads after the dialog closes.
#include "foundation/LocalDefs.h"
#include "graphs/StandardGraphParameters.h"
#include "ui/ValueAxesParametersForm.h"

class QRadioButton;

class TfrmStdGraphParameters : public TValueAxesParametersForm
{
    Q_OBJECT

  public:
    explicit TfrmStdGraphParameters(QWidget *parent = nullptr);

    TStandardGraphParameters &Parameters() { return FParameters; }
    const TStandardGraphParameters &Parameters() const { return FParameters; }
    // Shown by the unit buttons when the dialog is shown; stored from them
    // by every validation, whatever its outcome.
    TLengthUnit Units() const { return FUnits; }
    void SetUnits(TLengthUnit unit) { FUnits = unit; }

    QRadioButton *radAltitudeOn = nullptr;
    QRadioButton *radAltitudeOff = nullptr;
    QRadioButton *radMeters = nullptr;
    QRadioButton *radFeet = nullptr;

  protected:
    TValueAxesParameters &ValueAxes() override { return FParameters; }
    double IndependentMinimum() const override { return FParameters.PressureMinimum(); }
    double IndependentMaximum() const override { return FParameters.PressureMaximum(); }
    double IndependentInterval() const override { return FParameters.PressureInterval(); }
    void SetIndependentAxis(double minimum, double maximum) override;
    void SetIndependentAxis(double interval) override;
    TSetterAnswer RunSetter(const std::function<void()> &setter) const override;
    void ShowOptions() override;
    void StoreOptions() override;

  private:
    TStandardGraphParameters FParameters;
    TLengthUnit FUnits = luMeters;
};
