#include "ui/ClickPanel.h"

#include <QMouseEvent>

TClickPanel::TClickPanel(QWidget *parent) : QFrame(parent) {}

void TClickPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    FPressed = true;
    event->accept();
}

void TClickPanel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !FPressed) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    FPressed = false;
    event->accept();
    if (rect().contains(event->position().toPoint()) && OnClick)
        OnClick();
}

void TClickPanel::changeEvent(QEvent *event)
{
    // A panel disabled between press and release must not click later.
    if (event->type() == QEvent::EnabledChange)
        FPressed = false;
    QFrame::changeEvent(event);
}
