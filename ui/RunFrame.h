#pragma once
// The run controls of the main-control page: Run, Stop, the run lamp and the
// data list's auto-scroll switch. The main window handles the buttons.
#include "ui/Led.h"

#include <QWidget>

class QCheckBox;
class QPushButton;

class TfraRun : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraRun(QWidget *parent = nullptr);

    QCheckBox &chkAutoScroll() { return *FAutoScroll; }
    TLed &ledRun() { return *FLed; }
    QPushButton &btnRun() { return *FRun; }
    QPushButton &btnStop() { return *FStop; }
    QPushButton &btnProducts() { return *FProducts; }

  private:
    QCheckBox *FAutoScroll = nullptr;
    TLed *FLed = nullptr;
    QPushButton *FRun = nullptr;
    QPushButton *FStop = nullptr;
    QPushButton *FProducts = nullptr;
};
