#pragma once
// The first page of the left pane: operate a sonde or work with saved files.
#include "ui/AboutButtonFrame.h"
#include "ui/ArrowsFrame.h"

#include <QWidget>
#include <functional>

class QLabel;
class QRadioButton;

class TfraStart : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraStart(QWidget *parent = nullptr);

    QLabel &lblTitle1() { return *FTitle1; }
    QLabel &lblTitle2() { return *FTitle2; }
    QRadioButton &rdbOperate() { return *FOperate; }
    QRadioButton &rdbWorkWithFiles() { return *FWorkWithFiles; }
    TfraAboutButton &fraAboutButton1() { return *FAboutButton; }
    TfraArrows &fraArrows1() { return *FArrows; }

    // The next arrow: raises OnNext.
    void RightArrowClick();

    std::function<void()> OnNext;

  private:
    QLabel *FTitle1 = nullptr;
    QLabel *FTitle2 = nullptr;
    QRadioButton *FOperate = nullptr;
    QRadioButton *FWorkWithFiles = nullptr;
    TfraAboutButton *FAboutButton = nullptr;
    TfraArrows *FArrows = nullptr;
};
