#pragma once
// The main-control page of the left pane: the series options of the graph
// shown, the run or file controls, the About button and the arrows.
#include "foundation/LocalDefs.h"
#include "ui/AboutButtonFrame.h"
#include "ui/ArrowsFrame.h"
#include "ui/RunFrame.h"

#include <QWidget>
#include <functional>
#include <memory>

class QStackedWidget;

class TfraMainControl : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraMainControl(QWidget *parent = nullptr);
    ~TfraMainControl() override;

    // Series pages, one per graph type; each holds the series frame installed
    // for its graph (none until one is installed).
    QStackedWidget &pctlGraph() { return *FGraphPages; }
    QWidget &tsStandardGraph() { return *FSeriesPages[gtStandard]; }
    QWidget &tsSkewTGraph() { return *FSeriesPages[gtSkewT]; }
    QWidget &tsTimeGraph() { return *FSeriesPages[gtTime]; }
    QWidget &SeriesPage(TGraphType type);
    // Puts the frame on the graph's series page, replacing (and freeing) the
    // one installed before.
    void SetSeriesFrame(TGraphType type, std::unique_ptr<QWidget> frame);
    QWidget *SeriesFrame(TGraphType type) const;
    void ShowSeriesPage(TGraphType type);

    // Operating pages: the run controls or the file buttons.
    QStackedWidget &pctlOperatingControls() { return *FOperatingPages; }
    QWidget &tsRun() { return *FRunPage; }
    QWidget &tsFile() { return *FFilePage; }
    TfraRun &fraRun() { return *FRun; }
    // Puts the file buttons on the file page, replacing any before.
    void SetFileButtonsFrame(std::unique_ptr<QWidget> frame);
    QWidget *FileButtonsFrame() const { return FFileButtons.get(); }

    TfraAboutButton &fraAboutButton1() { return *FAboutButton; }
    TfraArrows &fraArrows() { return *FArrows; }

    // The run tab with the next arrow enabled (the file tab lies ahead).
    void ShowRunControls();
    // The file tab with the next arrow disabled (nothing lies beyond it).
    void ShowFileControls();
    // Keeps the operator on this page, for example while a run records.
    void LockNavigation();
    // Back is always possible again; next only where something lies ahead.
    void UnlockNavigation();

    void LeftArrowClick();
    void RightArrowClick();

    std::function<void()> OnBack;
    std::function<void()> OnNext;

  private:
    QStackedWidget *FGraphPages = nullptr;
    QWidget *FSeriesPages[3] = {};
    QStackedWidget *FOperatingPages = nullptr;
    QWidget *FRunPage = nullptr;
    QWidget *FFilePage = nullptr;
    TfraRun *FRun = nullptr;
    TfraAboutButton *FAboutButton = nullptr;
    TfraArrows *FArrows = nullptr;
    // Installed from outside; freed before the pages that show them.
    std::unique_ptr<QWidget> FSeriesFrames[3];
    std::unique_ptr<QWidget> FFileButtons;
};
