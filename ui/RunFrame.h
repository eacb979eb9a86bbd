#pragma once
// The run controls of the main-control page: Run, Stop, the run lamp, the
// data list's auto-scroll switch, the Sounding Products window and the
// operator's Release and End of Ascent. The main window handles the buttons.
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
    // The operator's marks of the flight: the release, the end of the ascent.
    QPushButton &btnRelease() { return *FRelease; }
    QPushButton &btnEndOfAscent() { return *FEndOfAscent; }

  private:
    QCheckBox *FAutoScroll = nullptr;
    TLed *FLed = nullptr;
    QPushButton *FRun = nullptr;
    QPushButton *FStop = nullptr;
    QPushButton *FProducts = nullptr;
    QPushButton *FRelease = nullptr;
    QPushButton *FEndOfAscent = nullptr;
};
