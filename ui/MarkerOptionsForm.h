#pragma once
// TMarkerOptionsForm: what the three "Data Series" dialogs share: the
// "Marker" group (shape, colour, size), the "Line" group (style, width), a
// preview of the series' legend sample and OK / Cancel. The dialog edits a
// marker definition of its own; its owner copies one in before showing it
// and copies it back only on OK.
#include "graphs/MarkerDefinition.h"

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QVBoxLayout;
class TColorSelector;

// Where a window of the given size opened with its top-left corner at
// topLeft must go so that it lies on the available screen area: moved left
// and up as far as needed, never past the area's left or top edge.
QPoint FitOnScreen(QPoint topLeft, QSize size, const QRect &available);

class TMarkerOptionsForm : public QDialog
{
    Q_OBJECT

  public:
    explicit TMarkerOptionsForm(QWidget *parent = nullptr);
    ~TMarkerOptionsForm() override;

    static constexpr int32_t PreviewWidth = 40;
    static constexpr int32_t PreviewHeight = 20;
    // The legend sample's marker centre in the preview.
    static constexpr QPoint PreviewPoint = QPoint(15, 10);

    const TMarkerDefinition &MarkerDefinition() const { return FMarker; }
    TMarkerDefinition &MarkerDefinition() { return FMarker; }

    // Shows the dialog modally with its top-left corner at the screen
    // position (kept on the screen) and returns its result.
    int ExecuteAt(QPoint screenPosition);

    // What the controls do; the toolkit calls them, and so may a test.
    void ShapeChosen(const QString &text);
    void StyleChosen(const QString &text);
    void ColorChosen();
    void WidthChanged(int value);
    void SizeChanged(int value);
    // Fills the preview with the canvas's brush and draws the legend sample.
    void Redraw();

    const QImage &Preview() const { return FPreview; }

    QGroupBox *grpMarker = nullptr;
    QComboBox *cmbMarkerShape = nullptr;
    TColorSelector *cselMarker = nullptr;
    QSpinBox *speMarkerSize = nullptr;
    QGroupBox *grpLine = nullptr;
    QComboBox *cmbLineStyle = nullptr;
    QSpinBox *speLineWidth = nullptr;
    QLabel *imgMarker = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

  protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Adds a group of a derived dialog below the common ones.
    void AddGroup(QWidget *group);

  private:
    // The controls take the marker's values.
    void LoadControls();
    QComboBox *NewListOnlyCombo(QWidget *parent, const QStringList &items, const QString &text);

    TMarkerDefinition FMarker;
    QImage FPreview;
    QVBoxLayout *FGroups = nullptr;
};
