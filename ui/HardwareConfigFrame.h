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

    QGroupBox &grpConfiguration() const { return *FGroup; }
    QRadioButton &radAutoConfig() const { return *FAutoRadio; }
    TClickPanel &pnlAutoConfig() const { return *FAutoPanel; }
    QRadioButton &radManualConfig() const { return *FManualRadio; }
    TClickPanel &pnlManualConfig() const { return *FManualPanel; }
    QLineEdit &edtConfigure() const { return *FConfigure; }
    TLed &ledConfigure() const { return *FLed; }
    QPushButton &btnConfigure() const { return *FConfigureButton; }
    QPushButton &btnCancel() const { return *FCancel; }

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
