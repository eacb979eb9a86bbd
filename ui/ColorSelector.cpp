#include "ui/ColorSelector.h"

#include "ui/ModalInteraction.h"

#include <QMouseEvent>
#include <QPainter>

TColorSelector::TColorSelector(QWidget *parent) : QWidget(parent)
{
    setFixedSize(15, 15);
    setCursor(Qt::PointingHandCursor);
}

void TColorSelector::SetColor(const QColor &value)
{
    FColor = value;
    update();
}

void TColorSelector::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), FColor);
}

void TColorSelector::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        FPressed = true;
}

void TColorSelector::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !FPressed)
        return;
    FPressed = false;
    if (rect().contains(event->position().toPoint()))
        Click();
}

void TColorSelector::Click()
{
    const std::optional<QColor> chosen = ModalInteraction().SelectColor(FColor, this);
    if (!chosen)
        return;
    SetColor(*chosen);
    if (OnSelectColor)
        OnSelectColor();
}
