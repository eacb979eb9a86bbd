#include "ui/ArrowsFrame.h"

#include <QHBoxLayout>

TfraArrows::TfraArrows(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraArrows"));
    FLeft = new TArrowButton(this);
    FLeft->setObjectName(QStringLiteral("arbLeft"));
    FLeft->SetArrowType(atLeft);
    FRight = new TArrowButton(this);
    FRight->setObjectName(QStringLiteral("arbRight"));
    FRight->SetArrowType(atRight);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FLeft);
    layout->addStretch(1);
    layout->addWidget(FRight);
}
