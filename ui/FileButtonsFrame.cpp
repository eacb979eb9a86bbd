#include "ui/FileButtonsFrame.h"

#include "ui/FrameSupport.h"

#include <QGridLayout>
#include <QPushButton>

TfraFileButtons::TfraFileButtons(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraFileButtons1"));
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(6);

    // Two to a row, in reading order: the commands of a saved flight first,
    // then the exports for other programs, a row each since their captions
    // are too long for half the pane.
    int index = 0;
    const auto add = [&](QPushButton *&button, const char *name, const char *caption) {
        button = new QPushButton(QString::fromLatin1(caption), this);
        button->setObjectName(QString::fromLatin1(name));
        FitButtonToCaption(*button);
        if (index < 6) {
            layout->addWidget(button, index / 2, index % 2);
            ++index;
        } else {
            layout->addWidget(button, 3 + (index++ - 6), 0, 1, 2);
        }
    };
    add(FLoadLog, "btnLoadLog", "Load Log");
    add(FPrintGraph, "btnPrintGraph", "Print Graph");
    add(FSaveGraphs, "btnSaveGraphs", "Save Graphs");
    add(FLoadGraphs, "btnLoadGraphs", "Load Graphs");
    add(FReport, "btnReport", "Save Report");
    add(FSaveImage, "btnSaveImage", "Save Image");
    add(FExportCsv, "btnExportCsv", "Export CSV");
    add(FExportSounding, "btnExportSounding", "Export Sounding");
    add(FSoundingProducts, "btnSoundingProducts", "Sounding Products");
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
}
