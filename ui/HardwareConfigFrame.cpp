#include "ui/HardwareConfigFrame.h"

#include "ui/FrameSupport.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// A caption panel of stacked labels beside a radio button.
TClickPanel *NewCaptionPanel(QWidget *parent, const char *name,
                             std::initializer_list<std::pair<const char *, const char *>> lines)
{
    auto *panel = new TClickPanel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto &[labelName, text] : lines) {
        auto *label = new QLabel(QString::fromLatin1(text), panel);
        label->setObjectName(QString::fromLatin1(labelName));
        layout->addWidget(label);
    }
    return panel;
}
} // namespace

TfraHardwareConfig::TfraHardwareConfig(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraHardwareConfig"));
    FGroup = new QGroupBox(QStringLiteral("Hardware"), this);
    FGroup->setObjectName(QStringLiteral("grpConfiguration"));

    FAutoRadio = new QRadioButton(FGroup);
    FAutoRadio->setObjectName(QStringLiteral("radAutoConfig"));
    FAutoRadio->setChecked(true);
    FAutoPanel = NewCaptionPanel(FGroup, "pnlAutoConfig",
                                 {{"lblAutoConfig1", "Get configuration"},
                                  {"lblAutoConfig2", "automatically from"},
                                  {"lblAutoConfig3", "Kestrin"}});
    FManualRadio = new QRadioButton(FGroup);
    FManualRadio->setObjectName(QStringLiteral("radManualConfig"));
    FManualPanel = NewCaptionPanel(
        FGroup, "pnlManualConfig",
        {{"lblManualConfig1", "Manually enter"}, {"lblManualConfig2", "configuration"}});

    FConfigure = new QLineEdit(FGroup);
    FConfigure->setObjectName(QStringLiteral("edtConfigure"));
    FConfigure->setEnabled(false);
    SetEditColor(*FConfigure, ButtonFaceColor());

    FLed = new TLed(FGroup);
    FLed->setObjectName(QStringLiteral("ledConfigure"));
    FLed->SetState(lsRed);
    FConfigureButton = new QPushButton(QStringLiteral("Configure"), FGroup);
    FConfigureButton->setObjectName(QStringLiteral("btnConfigure"));
    FCancel = new QPushButton(QStringLiteral("Cancel"), FGroup);
    FCancel->setObjectName(QStringLiteral("btnCancel"));
    FCancel->setEnabled(false);
    FitButtonToCaption(*FConfigureButton);
    FitButtonToCaption(*FCancel);

    auto *choices = new QGridLayout;
    choices->setHorizontalSpacing(4);
    choices->setVerticalSpacing(8);
    choices->addWidget(FAutoRadio, 0, 0, Qt::AlignTop);
    choices->addWidget(FAutoPanel, 0, 1);
    choices->addWidget(FManualRadio, 1, 0, Qt::AlignTop);
    choices->addWidget(FManualPanel, 1, 1);
    choices->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(5);
    buttons->addWidget(FLed);
    buttons->addWidget(FConfigureButton, 1);
    buttons->addWidget(FCancel, 1);

    auto *inside = new QVBoxLayout(FGroup);
    inside->setContentsMargins(6, 6, 6, 6);
    inside->setSpacing(6);
    inside->addLayout(choices);
    inside->addWidget(FConfigure);
    inside->addLayout(buttons);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FGroup);
}

void TfraHardwareConfig::SetChoiceEnabled(bool enabled)
{
    FAutoRadio->setEnabled(enabled);
    FAutoPanel->setEnabled(enabled);
    FManualRadio->setEnabled(enabled);
    FManualPanel->setEnabled(enabled);
    FConfigureButton->setEnabled(enabled);
}
