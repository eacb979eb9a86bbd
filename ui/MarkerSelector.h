#pragma once
// TMarkerSelector: a 40 x 20 preview of a series' line and marker, drawn over
// its parent's background. A press opens its own marker dialog unless an
// OnMouseDown handler has taken presses over.
#include "graphs/MarkerDefinition.h"

#include <QColor>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class TfrmMarkerSelector;

enum TMarkerSelectorLineStyle : uint8_t
{
    mslsSolid = 0,
    mslsNone = 1
};

class TMarkerSelector : public QWidget
{
    Q_OBJECT

  public:
    explicit TMarkerSelector(QWidget *parent = nullptr);
    ~TMarkerSelector() override;

    static constexpr int32_t DefaultWidth = 40;
    static constexpr int32_t DefaultHeight = 20;
    // The legend sample's marker centre.
    static constexpr QPoint SamplePoint = QPoint(15, 10);

    int32_t MarkerSize() const { return FMarker.Size(); }
    void SetMarkerSize(int32_t value);
    TDataMarker MarkerType() const { return FMarker.Shape(); }
    void SetMarkerType(TDataMarker value);
    // Read from the fill; writing sets fill, outline and line alike.
    QColor Color() const { return FMarker.MarkerBrush().color(); }
    void SetColor(const QColor &value);
    int32_t LineWidth() const { return FMarker.LinePen().width(); }
    void SetLineWidth(int32_t value);
    // A line pen that is neither solid nor clear is made solid first, so the
    // answer is always one the property can be set to.
    TMarkerSelectorLineStyle LineStyle();
    void SetLineStyle(TMarkerSelectorLineStyle value);

    const TMarkerDefinition &MarkerDefinition() const { return FMarker; }
    void SetMarkerDefinition(const TMarkerDefinition &value);

    // The control's own dialog, made when first needed.
    TfrmMarkerSelector &Dialog();

    // Raised after the own dialog closed, whatever its result.
    std::function<void()> OnChange;
    // When set, a press calls this (button, position in the control) instead
    // of opening the own dialog.
    std::function<void(Qt::MouseButton button, QPoint position)> OnMouseDown;

    // What the control shows: the sample on a transparent image of its size.
    QImage Picture() const;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

  private:
    void EditInOwnDialog(QPoint position);

    TMarkerDefinition FMarker;
    std::unique_ptr<TfrmMarkerSelector> FDialog;
};
