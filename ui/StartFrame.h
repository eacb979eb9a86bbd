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

    QLabel &lblTitle1() const { return *FTitle1; }
    QLabel &lblTitle2() const { return *FTitle2; }
    QRadioButton &rdbOperate() const { return *FOperate; }
    QRadioButton &rdbWorkWithFiles() const { return *FWorkWithFiles; }
    TfraAboutButton &fraAboutButton1() const { return *FAboutButton; }
    TfraArrows &fraArrows1() const { return *FArrows; }

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
