#include "ui/StartFrame.h"

#include "ui/FrameSupport.h"

#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

TfraStart::TfraStart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraStart"));

    FTitle1 = new QLabel(QStringLiteral("What would you "), this);
    FTitle1->setObjectName(QStringLiteral("lblTitle1"));
    FTitle2 = new QLabel(QStringLiteral("like to do?"), this);
    FTitle2->setObjectName(QStringLiteral("lblTitle2"));
    for (QLabel *title : {FTitle1, FTitle2}) {
        title->setFont(TitleFont(font()));
        title->setAlignment(Qt::AlignHCenter);
    }

    FOperate = new QRadioButton(QStringLiteral("Operate an Kestrin"), this);
    FOperate->setObjectName(QStringLiteral("rdbOperate"));
    FOperate->setChecked(true);
    FWorkWithFiles = new QRadioButton(QStringLiteral("Work with saved files"), this);
    FWorkWithFiles->setObjectName(QStringLiteral("rdbWorkWithFiles"));

    FAboutButton = new TfraAboutButton(this);
    FAboutButton->setObjectName(QStringLiteral("fraAboutButton1"));
    FArrows = new TfraArrows(this);
    FArrows->setObjectName(QStringLiteral("fraArrows1"));
    // There is nothing before the first page.
    FArrows->arbLeft().SetEnabled(false);
    FArrows->arbRight().OnClick = [this] { RightArrowClick(); };

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 12, 5, 5);
    layout->setSpacing(6);
    layout->addWidget(FTitle1);
    layout->addWidget(FTitle2);
    layout->addSpacing(18);
    layout->addWidget(FOperate);
    layout->addWidget(FWorkWithFiles);
    layout->addStretch(1);
    layout->addWidget(FAboutButton);
    layout->addWidget(FArrows);
}

void TfraStart::RightArrowClick()
{
    if (OnNext)
        OnNext();
}
