#pragma once
// The "Hardware" group of the hardware page: how the sonde configuration is
// obtained (captured or typed), the configuration box, its lamp and buttons.
// The hardware page drives these controls.
#include "ui/ClickPanel.h"
#include "ui/Led.h"

#include <QWidget>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TfraHardwareConfig : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraHardwareConfig(QWidget *parent = nullptr);

    QGroupBox &grpConfiguration() { return *FGroup; }
    QRadioButton &radAutoConfig() { return *FAutoRadio; }
    TClickPanel &pnlAutoConfig() { return *FAutoPanel; }
    QRadioButton &radManualConfig() { return *FManualRadio; }
    TClickPanel &pnlManualConfig() { return *FManualPanel; }
    QLineEdit &edtConfigure() { return *FConfigure; }
    TLed &ledConfigure() { return *FLed; }
    QPushButton &btnConfigure() { return *FConfigureButton; }
    QPushButton &btnCancel() { return *FCancel; }

    // Enables or disables the choice controls: both radio buttons, their
    // caption panels and the Configure button.
    void SetChoiceEnabled(bool enabled);

  private:
    QGroupBox *FGroup = nullptr;
    QRadioButton *FAutoRadio = nullptr;
    TClickPanel *FAutoPanel = nullptr;
    QRadioButton *FManualRadio = nullptr;
    TClickPanel *FManualPanel = nullptr;
    QLineEdit *FConfigure = nullptr;
    TLed *FLed = nullptr;
    QPushButton *FConfigureButton = nullptr;
    QPushButton *FCancel = nullptr;
};
