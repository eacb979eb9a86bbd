#pragma once
// TfrmSkewTGraphParameters: the parameter dialog of the Skew-T diagram:
// whether the altitude axis is shown, the unit of altitudes, which the main
// window reads after the dialog closes, and the analysis overlays.
#include "foundation/LocalDefs.h"
#include "graphs/SkewTGraphParameters.h"

#include <QDialog>

class QCheckBox;
class QPushButton;
class QRadioButton;
class QShowEvent;

class TfrmSkewTGraphParameters : public QDialog
{
    Q_OBJECT

  public:
    explicit TfrmSkewTGraphParameters(QWidget *parent = nullptr);

    TSkewTGraphParameters &Parameters() { return FParameters; }
    const TSkewTGraphParameters &Parameters() const { return FParameters; }
    // The unit buttons: "Feet" for luFeet, "Meters" for anything else.
    void SetUnits(TLengthUnit unit);
    TLengthUnit GetUnits() const;

    // The altitude buttons and the overlay boxes take the parameters'
    // values; runs whenever the dialog is shown.
    void FormShow();
    // Stores the altitude choice and the overlays and closes the dialog with OK.
    void btnOkClick();

    QRadioButton *radAltitudeOn = nullptr;
    QRadioButton *radAltitudeOff = nullptr;
    QRadioButton *radMeters = nullptr;
    QRadioButton *radFeet = nullptr;
    QCheckBox *chkParcelTrace = nullptr;
    QCheckBox *chkStandardAtmosphere = nullptr;
    QCheckBox *chkAnalysisBox = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    TSkewTGraphParameters FParameters;
};
