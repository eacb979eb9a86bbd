#include "ui/SpinLetterFrame.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QToolButton *NewArrowButton(QWidget *parent, Qt::ArrowType arrow)
{
    auto *button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 11);
    return button;
}
} // namespace

TfraSpinLetter::TfraSpinLetter(QWidget *parent) : QWidget(parent)
{
    edtLetter = new QLineEdit(QStringLiteral("A"), this);
    edtLetter->setObjectName(QStringLiteral("edtLetter"));
    // Only the button changes the letter: a typed one could name an axis
    // that does not exist.
    edtLetter->setReadOnly(true);
    edtLetter->setAlignment(Qt::AlignCenter);
    edtLetter->setFixedWidth(28);

    SpinButton1 = new QWidget(this);
    SpinButton1->setObjectName(QStringLiteral("SpinButton1"));
    btnUp = NewArrowButton(SpinButton1, Qt::UpArrow);
    btnDown = NewArrowButton(SpinButton1, Qt::DownArrow);
    auto *buttons = new QVBoxLayout(SpinButton1);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    buttons->addWidget(btnUp);
    buttons->addWidget(btnDown);
    connect(btnUp, &QToolButton::clicked, this, [this] { Up(); });
    connect(btnDown, &QToolButton::clicked, this, [this] { Down(); });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(edtLetter);
    layout->addWidget(SpinButton1);
    layout->addStretch(1);
}

QChar TfraSpinLetter::Letter() const
{
    const QString text = edtLetter->text();
    if (text.isEmpty())
        throw ESpinLetterError(QStringLiteral("No character set"));
    return text.at(0);
}

void TfraSpinLetter::SetLetter(QChar letter)
{
    edtLetter->setText(letter.isNull() ? QString() : QString(letter));
}

void TfraSpinLetter::Up()
{
    const int next = int(Letter().unicode()) + 1;
    if (next <= HighestLetter)
        SetLetter(QChar(char16_t(next)));
}

void TfraSpinLetter::Down()
{
    const int previous = int(Letter().unicode()) - 1;
    if (previous >= LowestLetter)
        SetLetter(QChar(char16_t(previous)));
}
