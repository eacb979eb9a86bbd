#include "ui/RunFrame.h"

#include "ui/FrameSupport.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TfraRun::TfraRun(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraRun"));
    FAutoScroll = new QCheckBox(QStringLiteral("Auto Scroll"), this);
    FAutoScroll->setObjectName(QStringLiteral("chkAutoScroll"));
    FAutoScroll->setChecked(true);
    FLed = new TLed(this);
    FLed->setObjectName(QStringLiteral("ledRun"));
    FLed->SetState(lsRed);
    FRun = new QPushButton(QStringLiteral("Run"), this);
    FRun->setObjectName(QStringLiteral("btnRun"));
    FStop = new QPushButton(QStringLiteral("Stop"), this);
    FStop->setObjectName(QStringLiteral("btnStop"));
    FProducts = new QPushButton(QStringLiteral("Sounding Products"), this);
    FProducts->setObjectName(QStringLiteral("btnProducts"));
    FitButtonToCaption(*FRun);
    FitButtonToCaption(*FStop);
    FitButtonToCaption(*FProducts);
    FRelease = new QPushButton(QStringLiteral("Release"), this);
    FRelease->setObjectName(QStringLiteral("btnRelease"));
    FEndOfAscent = new QPushButton(QStringLiteral("End of Ascent"), this);
    FEndOfAscent->setObjectName(QStringLiteral("btnEndOfAscent"));
    FitButtonToCaption(*FRelease);
    FitButtonToCaption(*FEndOfAscent);
    auto *marks = new QHBoxLayout;
    marks->setSpacing(6);
    marks->addWidget(FRelease, 1);
    marks->addWidget(FEndOfAscent, 1);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(FLed);
    buttons->addWidget(FRun, 1);
    buttons->addWidget(FStop, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(FAutoScroll);
    layout->addLayout(buttons);
    layout->addWidget(FProducts);
    layout->addLayout(marks);
}
