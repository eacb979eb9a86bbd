#pragma once
// The about box: program name and version.
#include <QDialog>

class QLabel;
class QPushButton;

class TfrmAbout : public QDialog
{
    Q_OBJECT

  public:
    explicit TfrmAbout(QWidget *parent = nullptr);

    QLabel &lblProgramName() { return *FProgramName; }
    QLabel &lblVersion() { return *FVersion; }
    QPushButton &btnOK() { return *FOK; }

  private:
    QLabel *FProgramName = nullptr;
    QLabel *FVersion = nullptr;
    QPushButton *FOK = nullptr;
};
