#pragma once
// The "About" button of the left-pane pages.
#include <QWidget>

class QPushButton;
class TfrmAbout;

class TfraAboutButton : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraAboutButton(QWidget *parent = nullptr);

    QPushButton &btnAbout() { return *FAbout; }

    // Shows the about box modally.
    void btnAboutClick();

    // The program's one about box, shown by every About button; until one is
    // given (or after nullptr) each click shows a box of its own.
    static void SetSharedAboutForm(TfrmAbout *form);

  private:
    QPushButton *FAbout = nullptr;
};
