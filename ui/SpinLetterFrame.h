#pragma once
// TfraSpinLetter: a one-letter box stepped between "A" and "C" with a small
// up/down button; the operator cannot type into it.
#include "foundation/Errors.h"

#include <QChar>
#include <QWidget>

class QLineEdit;
class QToolButton;

VENTREL_DECLARE_ERROR(ESpinLetterError, EVentrelError);

class TfraSpinLetter : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraSpinLetter(QWidget *parent = nullptr);

    static constexpr char16_t LowestLetter = u'A';
    static constexpr char16_t HighestLetter = u'C';

    // The letter shown; ESpinLetterError when the box is empty.
    QChar Letter() const;
    // A null character empties the box.
    void SetLetter(QChar letter);
    // The next letter, unless that would pass the highest.
    void Up();
    // The previous letter, unless that would go below the lowest.
    void Down();

    QLineEdit *edtLetter = nullptr;
    QWidget *SpinButton1 = nullptr;
    QToolButton *btnUp = nullptr;
    QToolButton *btnDown = nullptr;
};
