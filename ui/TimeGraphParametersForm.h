#pragma once
// TfrmTimeGraphParameters: the parameter dialog of the Time graph: value
// axes and the time axis in minutes.
#include "graphs/TimeGraphParameters.h"
#include "ui/ValueAxesParametersForm.h"

class TfrmTimeGraphParameters : public TValueAxesParametersForm
{
    Q_OBJECT

  public:
    explicit TfrmTimeGraphParameters(QWidget *parent = nullptr);

    TTimeGraphParameters &Parameters() { return FParameters; }
    const TTimeGraphParameters &Parameters() const { return FParameters; }

  protected:
    TValueAxesParameters &ValueAxes() override { return FParameters; }
    double IndependentMinimum() const override { return FParameters.TimeMinimum(); }
    double IndependentMaximum() const override { return FParameters.TimeMaximum(); }
    double IndependentInterval() const override { return FParameters.TimeInterval(); }
    void SetIndependentAxis(double minimum, double maximum) override;
    void SetIndependentAxis(double interval) override;
    TSetterAnswer RunSetter(const std::function<void()> &setter) const override;

  private:
    TTimeGraphParameters FParameters;
};
