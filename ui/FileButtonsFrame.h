#pragma once
// The file commands of the main-control page: load a run log, print the
// graph shown, save and load graph settings, save the report and the graph
// image, and export the flight for analysis tools. The main window handles
// the buttons.
#include <QWidget>

class QPushButton;

class TfraFileButtons : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraFileButtons(QWidget *parent = nullptr);

    QPushButton &btnLoadLog() const { return *FLoadLog; }
    QPushButton &btnPrintGraph() const { return *FPrintGraph; }
    QPushButton &btnSaveGraphs() const { return *FSaveGraphs; }
    QPushButton &btnLoadGraphs() const { return *FLoadGraphs; }
    QPushButton &btnReport() const { return *FReport; }
    QPushButton &btnSaveImage() const { return *FSaveImage; }
    QPushButton &btnExportCsv() const { return *FExportCsv; }
    QPushButton &btnExportSounding() const { return *FExportSounding; }
    QPushButton &btnSoundingProducts() const { return *FSoundingProducts; }

  private:
    QPushButton *FLoadLog = nullptr;
    QPushButton *FPrintGraph = nullptr;
    QPushButton *FSaveGraphs = nullptr;
    QPushButton *FLoadGraphs = nullptr;
    QPushButton *FReport = nullptr;
    QPushButton *FSaveImage = nullptr;
    QPushButton *FExportCsv = nullptr;
    QPushButton *FExportSounding = nullptr;
    QPushButton *FSoundingProducts = nullptr;
};
