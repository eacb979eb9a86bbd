#include "ui/HardwareFrame.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "ui/FrameSupport.h"
#include "ui/ModalInteraction.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TfraHardware::TfraHardware(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraHardware"));

    FTitlePanel = new QWidget(this);
    FTitlePanel->setObjectName(QStringLiteral("pnlHdwrTitle"));
    FTitle = new QLabel(QStringLiteral("Kestrin setup"), FTitlePanel);
    FTitle->setObjectName(QStringLiteral("lblHdwrTitle"));
    FTitle->setFont(TitleFont(font()));
    FTitle->setAlignment(Qt::AlignCenter);
    auto *titleLayout = new QVBoxLayout(FTitlePanel);
    titleLayout->setContentsMargins(0, 4, 0, 4);
    titleLayout->addWidget(FTitle);

    FConfig = new TfraHardwareConfig(this);
    FConfig->setObjectName(QStringLiteral("fraHardwareConfig1"));
    FElevation = new TfraElevation(this);
    FElevation->setObjectName(QStringLiteral("fraElevation1"));
    FAboutButton = new TfraAboutButton(this);
    FAboutButton->setObjectName(QStringLiteral("fraAboutButton1"));
    FArrows = new TfraArrows(this);
    FArrows->setObjectName(QStringLiteral("fraArrows1"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(8);
    layout->addWidget(FTitlePanel);
    layout->addWidget(FConfig);
    layout->addWidget(FElevation);
    layout->addStretch(1);
    layout->addWidget(FAboutButton);
    layout->addWidget(FArrows);

    // A radio button reports only becoming checked, whether the operator or
    // the program checked it; the caption panels report every click.
    connect(&FConfig->radAutoConfig(), &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            radioAutoClick();
    });
    connect(&FConfig->radManualConfig(), &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            radioManualClick();
    });
    FConfig->pnlAutoConfig().OnClick = [this] { radioAutoClick(); };
    FConfig->pnlManualConfig().OnClick = [this] { radioManualClick(); };
    connect(&FConfig->edtConfigure(), &QLineEdit::textChanged, this,
            [this] { edtConfigureChange(); });
    FConfig->edtConfigure().installEventFilter(this);
    connect(&FConfig->btnConfigure(), &QPushButton::clicked, this, [this] { btnConfigureClick(); });
    connect(&FConfig->btnCancel(), &QPushButton::clicked, this, [this] { btnCancelConfigClick(); });
    connect(&FElevation->EdtElevation(), &QLineEdit::textChanged, this,
            [this] { fraElevation1EdtElevationChange(); });
    for (QRadioButton *unit : {&FElevation->radMeters(), &FElevation->radFeet()})
        connect(unit, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                radioUnitsClick();
        });
    FArrows->arbLeft().OnClick = [this] { LeftArrowClick(); };
    FArrows->arbRight().OnClick = [this] { RightArrowClick(); };

    GoIdle();
}

void TfraHardware::radioAutoClick()
{
    FConfig->radAutoConfig().setChecked(true);
    QLineEdit &edit = FConfig->edtConfigure();
    edit.setEnabled(false);
    edit.clear();
    SetEditColor(edit, ButtonFaceColor());
}

void TfraHardware::radioManualClick()
{
    FConfig->radManualConfig().setChecked(true);
    QLineEdit &edit = FConfig->edtConfigure();
    edit.setEnabled(true);
    edit.clear();
    SetEditColor(edit, Qt::white);
    edit.setFocus();
}

void TfraHardware::edtConfigureChange()
{
    SetEditColor(FConfig->edtConfigure(), Qt::white);
}

bool TfraHardware::edtConfigureKeyPress(const QKeyEvent &event)
{
    if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter)
        return false;
    // Enter stands for the Configure button, which cannot be pressed while
    // it is disabled (a configuration is being captured or applied).
    if (FConfig->btnConfigure().isEnabled())
        btnConfigureClick();
    return true;
}

bool TfraHardware::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &FConfig->edtConfigure() && event->type() == QEvent::KeyPress)
        return edtConfigureKeyPress(static_cast<const QKeyEvent &>(*event));
    return QWidget::eventFilter(watched, event);
}

void TfraHardware::btnConfigureClick()
{
    if (FConfig->radAutoConfig().isChecked()) {
        if (OnAutoConfigure)
            OnAutoConfigure();
        else
            GoIdle();
    } else {
        if (OnManualConfigure)
            OnManualConfigure(FConfig->edtConfigure().text());
        else
            GoIdle();
    }
}

void TfraHardware::btnCancelConfigClick()
{
    if (OnCancelConfigure)
        OnCancelConfigure();
    else
        GoIdle();
}

void TfraHardware::LeftArrowClick()
{
    if (OnBack)
        OnBack();
}

void TfraHardware::RightArrowClick()
{
    double meters = 0.0;
    try {
        meters = ReadElevation();
    } catch (const EElevationNotEntered &) {
        ModalInteraction().ShowError(QStringLiteral("Please enter an elevation"), this);
        FElevation->EdtElevation().setFocus();
        return;
    } catch (const EConvertError &) {
        ModalInteraction().ShowError(QStringLiteral("Elevation is not a valid number"), this);
        FElevation->EdtElevation().setFocus();
        return;
    }
    if (OnElevationEntered)
        OnElevationEntered(meters);
}

void TfraHardware::fraElevation1EdtElevationChange()
{
    SetEditColor(FElevation->EdtElevation(), Qt::white);
}

void TfraHardware::radioUnitsClick()
{
    if (OnUnitsChanged)
        OnUnitsChanged(Unit());
}

void TfraHardware::GoIdle()
{
    FConfig->SetChoiceEnabled(true);
    FConfig->btnCancel().setEnabled(false);
    FConfig->ledConfigure().SetState(lsRed);
    FArrows->arbRight().SetEnabled(false);
    FArrows->arbLeft().SetEnabled(true);
}

void TfraHardware::GoBusy()
{
    FConfig->SetChoiceEnabled(false);
    FConfig->btnCancel().setEnabled(true);
    FConfig->ledConfigure().SetState(lsYellow);
    FArrows->arbRight().SetEnabled(false);
    FArrows->arbLeft().SetEnabled(false);
}

void TfraHardware::ShowConfigured(const QString &configuration)
{
    FConfig->edtConfigure().setText(configuration);
    FConfig->SetChoiceEnabled(true);
    FConfig->btnCancel().setEnabled(false);
    FConfig->ledConfigure().SetState(lsGreen);
    FArrows->arbRight().SetEnabled(true);
    FArrows->arbLeft().SetEnabled(true);
}

void TfraHardware::ReportError(const QString &message)
{
    GoIdle();
    ModalInteraction().ShowError(message, this);
}

void TfraHardware::ReportConfigurationError(const QString &message)
{
    GoIdle();
    QLineEdit &edit = FConfig->edtConfigure();
    SetEditColor(edit, Qt::red);
    ModalInteraction().ShowError(message, this);
    edit.setFocus();
}

double TfraHardware::ReadElevation()
{
    return FElevation->ReadElevation();
}

TLengthUnit TfraHardware::Unit() const
{
    return FElevation->Unit();
}

void TfraHardware::SetUnit(TLengthUnit unit)
{
    if (unit != luFeet)
        unit = luMeters;
    // An elevation that cannot be read is left as typed: it is the
    // operator's to correct, in whichever unit is chosen.
    bool haveElevation = false;
    double meters = 0.0;
    try {
        meters = ReadElevation();
        haveElevation = true;
    } catch (const EElevationNotEntered &) {
    } catch (const EConvertError &) {
    }
    if (Unit() == unit)
        return;
    // Checking the radio button announces the change through radioUnitsClick.
    if (unit == luFeet)
        FElevation->radFeet().setChecked(true);
    else
        FElevation->radMeters().setChecked(true);
    if (haveElevation) {
        QLineEdit &edit = FElevation->EdtElevation();
        SetEditColor(edit, Qt::white);
        edit.setText(FormatGeneral(unit == luFeet ? MetersToFeet(meters) : meters, 15));
    }
}
