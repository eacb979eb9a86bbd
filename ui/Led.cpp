#include "ui/Led.h"

#include "ui/ControlImages.h"

#include <QPainter>

TLed::TLed(QWidget *parent) : QWidget(parent)
{
    setFixedSize(22, 17);
    FImages[lsRed] = ControlImage(QStringLiteral("RedLed"));
    FImages[lsGreen] = ControlImage(QStringLiteral("GreenLed"));
    FImages[lsYellow] = ControlImage(QStringLiteral("YellowLed"));
}

void TLed::SetState(TLedState value)
{
    if (value == FState || value > lsYellow)
        return;
    FState = value;
    update();
}

void TLed::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, FImages[FState]);
}
