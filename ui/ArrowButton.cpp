#include "ui/ArrowButton.h"

#include "ui/ControlImages.h"

#include <QMouseEvent>
#include <QPainter>

TArrowButton::TArrowButton(QWidget *parent) : QWidget(parent)
{
    setFixedSize(40, 30);
    setCursor(Qt::PointingHandCursor);
    LoadImages();
}

void TArrowButton::LoadImages()
{
    const QString side = FArrowType == atRight ? QStringLiteral("right") : QStringLiteral("left");
    FPressed = ControlImage(side + QStringLiteral("Press"));
    FNormal = ControlImage(side);
    FDisabled = ControlImage(side + QStringLiteral("grey"));
}

void TArrowButton::SetArrowType(TArrowType value)
{
    FArrowType = value == atRight ? atRight : atLeft;
    LoadImages();
    update();
}

void TArrowButton::SetEnabled(bool value)
{
    setEnabled(value);
    update();
}

void TArrowButton::SetVisible(bool value)
{
    setVisible(value);
    update();
}

void TArrowButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!isEnabled())
        painter.drawImage(0, 0, FDisabled);
    else if (!FDown)
        painter.drawImage(0, 0, FNormal);
    else
        painter.drawImage(0, 0, FPressed);
}

void TArrowButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    FDown = true;
    update();
}

void TArrowButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !FDown)
        return;
    FDown = false;
    update();
    if (isEnabled() && rect().contains(event->position().toPoint()) && OnClick)
        OnClick();
}

void TArrowButton::changeEvent(QEvent *event)
{
    // A button disabled between press and release never sees the release;
    // it must not come back looking pressed.
    if (event->type() == QEvent::EnabledChange) {
        FDown = false;
        update();
    }
    QWidget::changeEvent(event);
}
