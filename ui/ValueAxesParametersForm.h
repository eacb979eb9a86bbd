#pragma once
// TValueAxesParametersForm: what the parameter dialogs of the Standard and
// the Time graph share: the "Dependent Axes" group (value axes A, B and C
// and the gridline interval of A), the "Independent Axes" group with the
// row of the pressure or time axis, OK and Cancel, and the validation that
// writes every field through the parameter setters and reports all problems
// in one message.
//
// The dialog edits a parameters object of its own; its owner copies one in
// before showing it and copies it back only when the dialog closes with OK.
#include "graphs/ValueAxesParameters.h"

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;

// How a parameter setter answered.
enum TSetterAnswer : uint8_t
{
    saStored = 0,
    saRangeError = 1, // a minimum not below its maximum
    saValueError = 2  // a value outside its domain
};

class TValueAxesParametersForm : public QDialog
{
    Q_OBJECT

  public:
    // The messages of the last validation, each followed by CR LF, listed
    // from the top of the dialog down.
    const QString &ErrorText() const { return FErrorText; }

    // The controls take the parameters' values; runs whenever the dialog is
    // shown.
    void FormShow();
    // Validates and stores; closes the dialog with OK when every field is
    // valid, else shows the problems in an error box and stays open.
    void btnOkClick();
    // Writes every field through the setters and the options directly;
    // true when every field was valid. Fields that passed are stored even
    // when others failed.
    bool Validate();

    // The axis edits by axis number 1 .. 3.
    QLineEdit *DependentMinEdit(int32_t axis) const;
    QLineEdit *DependentMaxEdit(int32_t axis) const;

    QGroupBox *grpDependentAxes = nullptr;
    QLineEdit *edtDepMin1 = nullptr;
    QLineEdit *edtDepMax1 = nullptr;
    QLineEdit *edtDepMin2 = nullptr;
    QLineEdit *edtDepMax2 = nullptr;
    QLineEdit *edtDepMin3 = nullptr;
    QLineEdit *edtDepMax3 = nullptr;
    QLineEdit *edtDepInterval = nullptr;
    QCheckBox *chkAxis2Shown = nullptr;
    QCheckBox *chkAxis3Shown = nullptr;
    QGroupBox *grpIndependentAxes = nullptr;
    QLineEdit *edtIndMin1 = nullptr;
    QLineEdit *edtIndMax1 = nullptr;
    QLineEdit *EdtIndInterval = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;

  protected:
    // independentName captions the row of the independent axis and starts
    // its messages; messagePrefix starts every message.
    TValueAxesParametersForm(const QString &independentName, const QString &messagePrefix,
                             QWidget *parent);

    virtual TValueAxesParameters &ValueAxes() = 0;
    virtual double IndependentMinimum() const = 0;
    virtual double IndependentMaximum() const = 0;
    virtual double IndependentInterval() const = 0;
    virtual void SetIndependentAxis(double minimum, double maximum) = 0;
    virtual void SetIndependentAxis(double interval) = 0;
    // Runs a setter of the parameters and tells how it answered; exceptions
    // other than the parameters' range and value errors pass through.
    virtual TSetterAnswer RunSetter(const std::function<void()> &setter) const = 0;
    // What a dialog shows and stores beyond the axes.
    virtual void ShowOptions() {}
    virtual void StoreOptions() {}

    // Adds a row of the independent group: a caption and two radio buttons
    // that exclude each other and no others.
    void AddOptionRow(const QString &caption, QRadioButton *first, QRadioButton *second);

    void showEvent(QShowEvent *event) override;

  private:
    struct TRangeMessages
    {
        QString MaxNotANumber;
        QString MinNotANumber;
        QString RangeError;
        QString ValueError;
    };

    std::array<QLineEdit *, 10> AllEdits() const;
    QLineEdit *NewEdit(const QString &name, QWidget *parent);
    QLabel *NewCaption(const QString &text, QWidget *parent);
    // The message and a line break go in front of the text; the edit keeps
    // its red background and takes the focus, so after a validation running
    // from the bottom of the dialog up the focus rests on the topmost problem.
    void Fail(QLineEdit &edit, const QString &message);
    // Reads the edit painted red. The caller paints it white again once its
    // value is stored, so a refused value leaves it red.
    bool ReadNumber(QLineEdit &edit, const QString &notANumber, double &value);
    // A gridline interval. With minEdit and maxEdit holding a valid range,
    // an interval that would give that range more gridlines than a graph
    // can draw is refused too.
    bool CheckInterval(QLineEdit &edit, QLineEdit &minEdit, QLineEdit &maxEdit,
                       const QString &notANumber, const QString &valueError,
                       const QString &tooManyLines, const std::function<void(double)> &setter);
    // A minimum and maximum, the maximum read first.
    bool CheckRange(QLineEdit &minEdit, QLineEdit &maxEdit, const TRangeMessages &messages,
                    const std::function<void(double, double)> &setter);

    QString FIndependentName;
    QString FMessagePrefix;
    QString FErrorText;
    QGridLayout *FDependentGrid = nullptr;
    QGridLayout *FIndependentGrid = nullptr;
    // The control the tab key reaches last before OK.
    QWidget *FLastInGroups = nullptr;
    std::array<QLineEdit *, TValueAxesParameters::ValueAxisCount> FDependentMin{};
    std::array<QLineEdit *, TValueAxesParameters::ValueAxisCount> FDependentMax{};
};
