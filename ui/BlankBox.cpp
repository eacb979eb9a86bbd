#include "ui/BlankBox.h"

#include <QPaintEvent>
#include <QPainter>

TBlankBox::TBlankBox(QWidget *parent) : QWidget(parent) {}

void TBlankBox::SetBackground(const QColor &value)
{
    if (value == FBackground)
        return;
    FBackground = value;
    update();
}

void TBlankBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), FBackground);
}
