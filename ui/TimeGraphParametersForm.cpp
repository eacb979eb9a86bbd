#include "ui/TimeGraphParametersForm.h"

TfrmTimeGraphParameters::TfrmTimeGraphParameters(QWidget *parent)
    : TValueAxesParametersForm(QStringLiteral("Time"), QStringLiteral("Time: "), parent)
{
    setObjectName(QStringLiteral("frmTimeGraphParameters"));
}

void TfrmTimeGraphParameters::SetIndependentAxis(double minimum, double maximum)
{
    FParameters.SetTimeAxis(minimum, maximum);
}

void TfrmTimeGraphParameters::SetIndependentAxis(double interval)
{
    FParameters.SetTimeAxis(interval);
}

TSetterAnswer TfrmTimeGraphParameters::RunSetter(const std::function<void()> &setter) const
{
    try {
        setter();
    } catch (const ETimeGraphParametersRangeError &) {
        return saRangeError;
    } catch (const ETimeGraphParametersValueError &) {
        return saValueError;
    }
    return saStored;
}
