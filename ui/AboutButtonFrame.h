#pragma once
// The "About" button of the left-pane pages.
#include <QWidget>

class QPushButton;

class TfraAboutButton : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraAboutButton(QWidget *parent = nullptr);

    QPushButton &btnAbout() const { return *FAbout; }

    // Shows the about box modally.
    void btnAboutClick();

  private:
    QPushButton *FAbout = nullptr;
};
