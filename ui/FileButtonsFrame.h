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

    QPushButton &btnLoadLog() { return *FLoadLog; }
    QPushButton &btnPrintGraph() { return *FPrintGraph; }
    QPushButton &btnSaveGraphs() { return *FSaveGraphs; }
    QPushButton &btnLoadGraphs() { return *FLoadGraphs; }
    QPushButton &btnReport() { return *FReport; }
    QPushButton &btnSaveImage() { return *FSaveImage; }
    QPushButton &btnExportCsv() { return *FExportCsv; }
    QPushButton &btnExportSounding() { return *FExportSounding; }
    QPushButton &btnSoundingProducts() { return *FSoundingProducts; }

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
