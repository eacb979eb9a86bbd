#pragma once
// The "Launch Elevation" group of the hardware page: the elevation above sea
// level and the unit it is typed in.
#include "foundation/Errors.h"
#include "foundation/LocalDefs.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

VENTREL_DECLARE_ERROR(EElevationNotEntered, EVentrelError);

class TfraElevation : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraElevation(QWidget *parent = nullptr);

    QGroupBox &grpElevation() { return *FGroup; }
    QLineEdit &EdtElevation() { return *FElevation; }
    QLabel &lblUnits() { return *FUnits; }
    QLabel &lblUnits2() { return *FUnits2; }
    QRadioButton &radMeters() { return *FMeters; }
    QRadioButton &radFeet() { return *FFeet; }

    // The unit the number in the box is read in.
    TLengthUnit Unit() const;
    // The elevation in metres. The box turns red, and white again only once
    // the text has been read: EElevationNotEntered for an empty box,
    // EConvertError for a text that is not a number in the system locale.
    double ReadElevation();

  private:
    QGroupBox *FGroup = nullptr;
    QLineEdit *FElevation = nullptr;
    QLabel *FUnits = nullptr;
    QLabel *FUnits2 = nullptr;
    QRadioButton *FMeters = nullptr;
    QRadioButton *FFeet = nullptr;
};
