#include "ui/GraphImage.h"

#include <QMouseEvent>
#include <QPainter>

TGraphImage::TGraphImage(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The graph is drawn for whatever size the panel gives; it asks for none.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setMinimumSize(0, 0);
    setCursor(Qt::PointingHandCursor);
}

void TGraphImage::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (!FPicture.isNull())
        painter.drawImage(0, 0, FPicture);
}

void TGraphImage::mousePressEvent(QMouseEvent *event)
{
    if (OnMouseDown)
        OnMouseDown(event->button(), event->position().toPoint());
}
