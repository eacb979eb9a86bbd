#include "ui/AboutForm.h"

#include "ui/FrameSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmAbout::TfrmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Ventrel"));

    FProgramName = new QLabel(QStringLiteral("Ventrel"), this);
    FProgramName->setObjectName(QStringLiteral("lblProgramName"));
    FProgramName->setFont(TitleFont(font()));
    FProgramName->setAlignment(Qt::AlignCenter);
    FVersion = new QLabel(QStringLiteral("version: 1.1"), this);
    FVersion->setObjectName(QStringLiteral("lblVersion"));
    FVersion->setAlignment(Qt::AlignCenter);
    FOK = new QPushButton(QStringLiteral("OK"), this);
    FOK->setObjectName(QStringLiteral("btnOK"));
    FOK->setDefault(true);
    connect(FOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 14);
    layout->setSpacing(8);
    layout->addWidget(FProgramName);
    layout->addWidget(FVersion);
    layout->addSpacing(8);
    layout->addWidget(FOK, 0, Qt::AlignHCenter);
    setMinimumWidth(220);
    setSizeGripEnabled(false);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
