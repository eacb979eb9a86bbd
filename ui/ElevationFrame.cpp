#include "ui/ElevationFrame.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"
#include "ui/FrameSupport.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

TfraElevation::TfraElevation(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraElevation"));
    FGroup = new QGroupBox(QStringLiteral("Launch Elevation"), this);
    FGroup->setObjectName(QStringLiteral("grpElevation"));

    FElevation = new QLineEdit(FGroup);
    FElevation->setObjectName(QStringLiteral("EdtElevation"));
    SetEditColor(*FElevation, Qt::white);
    // Room for a five-digit elevation; the box may grow, but never at the
    // cost of the unit caption beside it.
    FElevation->setMinimumWidth(
        FElevation->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 10);
    FUnits = new QLabel(QStringLiteral("above Sea Level"), FGroup);
    FUnits->setObjectName(QStringLiteral("lblUnits"));
    FUnits2 = new QLabel(QStringLiteral("Units:"), FGroup);
    FUnits2->setObjectName(QStringLiteral("lblUnits2"));
    FMeters = new QRadioButton(QStringLiteral("Meters"), FGroup);
    FMeters->setObjectName(QStringLiteral("radMeters"));
    FMeters->setChecked(true);
    FFeet = new QRadioButton(QStringLiteral("Feet"), FGroup);
    FFeet->setObjectName(QStringLiteral("radFeet"));

    auto *entry = new QHBoxLayout;
    entry->setSpacing(5);
    entry->addWidget(FElevation, 1);
    entry->addWidget(FUnits);

    auto *units = new QHBoxLayout;
    units->setSpacing(12);
    units->addWidget(FMeters);
    units->addWidget(FFeet);
    units->addStretch(1);

    auto *inside = new QVBoxLayout(FGroup);
    inside->setContentsMargins(6, 6, 6, 6);
    inside->setSpacing(6);
    inside->addLayout(entry);
    inside->addWidget(FUnits2);
    inside->addLayout(units);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FGroup);
}

TLengthUnit TfraElevation::Unit() const
{
    return FMeters->isChecked() ? luMeters : luFeet;
}

double TfraElevation::ReadElevation()
{
    SetEditColor(*FElevation, Qt::red);
    const QString text = FElevation->text();
    if (text.isEmpty())
        throw EElevationNotEntered(QStringLiteral("No elevation entered"));
    double value = StrToFloatSystem(text);
    if (Unit() == luFeet)
        value = FeetToMeters(value);
    SetEditColor(*FElevation, Qt::white);
    return value;
}
