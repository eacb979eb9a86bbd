#include "ui/MarkerSelector.h"

#include "foundation/Errors.h"
#include "graphs/Canvas.h"
#include "ui/MarkerSelectorForm.h"

#include <QMouseEvent>
#include <QPainter>

TMarkerSelector::TMarkerSelector(QWidget *parent) : QWidget(parent)
{
    setFixedSize(DefaultWidth, DefaultHeight);
    const QColor blue(0, 0, 255);
    FMarker.MarkerBrush().setColor(blue);
    FMarker.MarkerPen().setColor(blue);
    FMarker.LinePen().setColor(blue);
}

TMarkerSelector::~TMarkerSelector() = default;

void TMarkerSelector::SetMarkerSize(int32_t value)
{
    FMarker.SetSize(value);
    update();
}

void TMarkerSelector::SetMarkerType(TDataMarker value)
{
    FMarker.SetShape(value);
    update();
}

void TMarkerSelector::SetColor(const QColor &value)
{
    FMarker.MarkerBrush().setColor(value);
    FMarker.MarkerPen().setColor(value);
    FMarker.LinePen().setColor(value);
    update();
}

void TMarkerSelector::SetLineWidth(int32_t value)
{
    FMarker.LinePen().setWidth(value);
    update();
}

TMarkerSelectorLineStyle TMarkerSelector::LineStyle()
{
    const Qt::PenStyle style = FMarker.LinePen().style();
    if (style == Qt::NoPen)
        return mslsNone;
    if (style != Qt::SolidLine) {
        FMarker.LinePen().setStyle(Qt::SolidLine);
        update();
    }
    return mslsSolid;
}

void TMarkerSelector::SetLineStyle(TMarkerSelectorLineStyle value)
{
    FMarker.LinePen().setStyle(value == mslsNone ? Qt::NoPen : Qt::SolidLine);
    update();
}

void TMarkerSelector::SetMarkerDefinition(const TMarkerDefinition &value)
{
    FMarker.Assign(value);
    update();
}

TfrmMarkerSelector &TMarkerSelector::Dialog()
{
    // Most selectors sit on pages that open dialogs of their own, so the
    // dialog is only built for one that is actually pressed.
    if (!FDialog)
        FDialog = std::make_unique<TfrmMarkerSelector>(this);
    return *FDialog;
}

QImage TMarkerSelector::Picture() const
{
    QImage image(width(), height(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        TCanvas canvas(image);
        try {
            FMarker.DrawLegendSample(canvas, SamplePoint);
        } catch (const EVentrelError &) {
            // A marker too large for pixel arithmetic shows nothing; painting
            // must not fail.
        }
    }
    return image;
}

void TMarkerSelector::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Picture());
}

void TMarkerSelector::mousePressEvent(QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(event->button(), position);
    else
        EditInOwnDialog(position);
}

void TMarkerSelector::EditInOwnDialog(QPoint position)
{
    TfrmMarkerSelector &dialog = Dialog();
    dialog.MarkerDefinition().Assign(FMarker);
    if (dialog.ExecuteAt(mapToGlobal(position)) == QDialog::Accepted)
        FMarker.Assign(dialog.MarkerDefinition());
    update();
    if (OnChange)
        OnChange();
}
