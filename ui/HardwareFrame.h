#pragma once
// The hardware page of the left pane: the sonde configuration (captured or
// typed) and the launch elevation. It holds no configuration and talks to
// no device: it shows the state its owner gives it (idle, busy, configured,
// error), reads the elevation and reports what the operator does.
#include "foundation/LocalDefs.h"
#include "ui/AboutButtonFrame.h"
#include "ui/ArrowsFrame.h"
#include "ui/ElevationFrame.h"
#include "ui/HardwareConfigFrame.h"

#include <QWidget>
#include <functional>

class QKeyEvent;
class QLabel;

class TfraHardware : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraHardware(QWidget *parent = nullptr);

    QWidget &pnlHdwrTitle() { return *FTitlePanel; }
    QLabel &lblHdwrTitle() { return *FTitle; }
    TfraHardwareConfig &fraHardwareConfig1() { return *FConfig; }
    TfraElevation &fraElevation1() { return *FElevation; }
    TfraAboutButton &fraAboutButton1() { return *FAboutButton; }
    TfraArrows &fraArrows1() { return *FArrows; }

    // Handlers of the page's controls.
    void radioAutoClick();
    void radioManualClick();
    void edtConfigureChange();
    // Enter in the configuration box presses Configure and types nothing;
    // true when the key was taken.
    bool edtConfigureKeyPress(const QKeyEvent &event);
    void btnConfigureClick();
    void btnCancelConfigClick();
    void LeftArrowClick();
    void RightArrowClick();
    void fraElevation1EdtElevationChange();
    void radioUnitsClick();

    // States the owner puts the page in.
    void GoIdle();
    void GoBusy();
    void ShowConfigured(const QString &configuration);
    void ReportError(const QString &message);
    void ReportConfigurationError(const QString &message);

    // The launch elevation in metres (see TfraElevation::ReadElevation).
    double ReadElevation();
    TLengthUnit Unit() const;
    // The unit was changed elsewhere: switch to it and, if the box holds a
    // valid elevation, rewrite it in the new unit.
    void SetUnit(TLengthUnit unit);

    std::function<void()> OnAutoConfigure;
    std::function<void(const QString &configuration)> OnManualConfigure;
    std::function<void()> OnCancelConfigure;
    std::function<void()> OnBack;
    std::function<void(double meters)> OnElevationEntered;
    std::function<void(TLengthUnit unit)> OnUnitsChanged;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QWidget *FTitlePanel = nullptr;
    QLabel *FTitle = nullptr;
    TfraHardwareConfig *FConfig = nullptr;
    TfraElevation *FElevation = nullptr;
    TfraAboutButton *FAboutButton = nullptr;
    TfraArrows *FArrows = nullptr;
};
