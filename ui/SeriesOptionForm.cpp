#include "ui/SeriesOptionForm.h"

#include "ui/SpinLetterFrame.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

TfrmSeriesOptions::TfrmSeriesOptions(QWidget *parent) : TMarkerOptionsForm(parent)
{
    grpAxis = new QGroupBox(QStringLiteral("Axis"), this);
    grpAxis->setObjectName(QStringLiteral("grpAxis"));
    fraLetter = new TfraSpinLetter(grpAxis);
    fraLetter->setObjectName(QStringLiteral("fraLetter"));
    auto *layout = new QHBoxLayout(grpAxis);
    layout->addWidget(new QLabel(QStringLiteral("Number:"), grpAxis));
    layout->addWidget(fraLetter, 1);
    AddGroup(grpAxis);
}

int32_t TfrmSeriesOptions::GetAxisNumber() const
{
    return int32_t(fraLetter->Letter().unicode()) - 64;
}

void TfrmSeriesOptions::SetAxisNumber(int32_t axis)
{
    fraLetter->SetLetter(QChar(char16_t(axis + 64)));
}
