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

    QGroupBox &grpElevation() const { return *FGroup; }
    QLineEdit &EdtElevation() const { return *FElevation; }
    QLabel &lblUnits() const { return *FUnits; }
    QLabel &lblUnits2() const { return *FUnits2; }
    QRadioButton &radMeters() const { return *FMeters; }
    QRadioButton &radFeet() const { return *FFeet; }

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
