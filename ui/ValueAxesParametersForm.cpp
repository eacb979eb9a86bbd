#include "ui/ValueAxesParametersForm.h"

#include "foundation/CustomUtilities.h"
#include "graphs/AxisSteps.h"
#include "ui/FrameSupport.h"
#include "ui/ModalInteraction.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

namespace {
const QString LineBreak = QStringLiteral("\r\n");

// The columns of both groups, so that their edits stand in line: the row
// captions (in rows B and C with the check box in front), then Min, Max and
// Interval.
constexpr int CaptionColumn = 0;
constexpr int MinColumn = 1;
constexpr int MaxColumn = 2;
constexpr int IntervalColumn = 3;
} // namespace

TValueAxesParametersForm::TValueAxesParametersForm(const QString &independentName,
                                                   const QString &messagePrefix, QWidget *parent)
    : QDialog(parent), FIndependentName(independentName), FMessagePrefix(messagePrefix)
{
    setWindowTitle(QStringLiteral("Graph Parameters"));

    grpDependentAxes = new QGroupBox(QStringLiteral("Dependent Axes"), this);
    grpDependentAxes->setObjectName(QStringLiteral("grpDependentAxes"));
    edtDepMin1 = NewEdit(QStringLiteral("edtDepMin1"), grpDependentAxes);
    edtDepMax1 = NewEdit(QStringLiteral("edtDepMax1"), grpDependentAxes);
    edtDepInterval = NewEdit(QStringLiteral("edtDepInterval"), grpDependentAxes);
    // Created row by row, so that the tab key follows the rows.
    chkAxis2Shown = new QCheckBox(grpDependentAxes);
    chkAxis2Shown->setObjectName(QStringLiteral("chkAxis2Shown"));
    edtDepMin2 = NewEdit(QStringLiteral("edtDepMin2"), grpDependentAxes);
    edtDepMax2 = NewEdit(QStringLiteral("edtDepMax2"), grpDependentAxes);
    chkAxis3Shown = new QCheckBox(grpDependentAxes);
    chkAxis3Shown->setObjectName(QStringLiteral("chkAxis3Shown"));
    edtDepMin3 = NewEdit(QStringLiteral("edtDepMin3"), grpDependentAxes);
    edtDepMax3 = NewEdit(QStringLiteral("edtDepMax3"), grpDependentAxes);
    FDependentMin = {edtDepMin1, edtDepMin2, edtDepMin3};
    FDependentMax = {edtDepMax1, edtDepMax2, edtDepMax3};

    grpIndependentAxes = new QGroupBox(QStringLiteral("Independent Axes"), this);
    grpIndependentAxes->setObjectName(QStringLiteral("grpIndependentAxes"));
    edtIndMin1 = NewEdit(QStringLiteral("edtIndMin1"), grpIndependentAxes);
    edtIndMax1 = NewEdit(QStringLiteral("edtIndMax1"), grpIndependentAxes);
    EdtIndInterval = NewEdit(QStringLiteral("EdtIndInterval"), grpIndependentAxes);
    FLastInGroups = EdtIndInterval;

    FDependentGrid = new QGridLayout(grpDependentAxes);
    FIndependentGrid = new QGridLayout(grpIndependentAxes);
    for (QGridLayout *grid : {FDependentGrid, FIndependentGrid}) {
        QWidget *group = grid->parentWidget();
        grid->addWidget(NewCaption(QStringLiteral("Axis"), group), 0, CaptionColumn);
        grid->addWidget(NewCaption(QStringLiteral("Min"), group), 0, MinColumn);
        grid->addWidget(NewCaption(QStringLiteral("Max"), group), 0, MaxColumn);
        grid->addWidget(NewCaption(QStringLiteral("Interval"), group), 0, IntervalColumn);
    }
    // Row A has no check box; its letter stands in line with B and C.
    const int shownWidth = chkAxis2Shown->sizeHint().width();
    const std::array<QCheckBox *, 3> shown = {nullptr, chkAxis2Shown, chkAxis3Shown};
    const QStringList letters = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    for (int32_t axis = 1; axis <= TValueAxesParameters::ValueAxisCount; ++axis) {
        auto *caption = new QHBoxLayout;
        caption->setSpacing(4);
        if (QCheckBox *box = shown[size_t(axis - 1)])
            caption->addWidget(box);
        else
            caption->addSpacing(shownWidth);
        caption->addWidget(NewCaption(letters[axis - 1], grpDependentAxes), 1);
        FDependentGrid->addLayout(caption, axis, CaptionColumn);
        FDependentGrid->addWidget(DependentMinEdit(axis), axis, MinColumn);
        FDependentGrid->addWidget(DependentMaxEdit(axis), axis, MaxColumn);
    }
    FDependentGrid->addWidget(edtDepInterval, 1, IntervalColumn);

    FIndependentGrid->addWidget(NewCaption(independentName, grpIndependentAxes), 1, CaptionColumn);
    FIndependentGrid->addWidget(edtIndMin1, 1, MinColumn);
    FIndependentGrid->addWidget(edtIndMax1, 1, MaxColumn);
    FIndependentGrid->addWidget(EdtIndInterval, 1, IntervalColumn);

    // The same column widths in both groups keep their Min, Max and Interval
    // columns in line; a little slack lets no caption widen its column by
    // the pixel a label may want beyond its text.
    const QFontMetrics metrics = fontMetrics();
    int captionWidth = shownWidth + 4 + metrics.horizontalAdvance(QStringLiteral("C"));
    for (const QString &caption : {independentName, QStringLiteral("Axis"),
                                   QStringLiteral("Altitude"), QStringLiteral("Units")})
        captionWidth = std::max(captionWidth, metrics.horizontalAdvance(caption));
    captionWidth += 4;
    for (QGridLayout *grid : {FDependentGrid, FIndependentGrid}) {
        grid->setColumnMinimumWidth(CaptionColumn, captionWidth);
        for (int column : {MinColumn, MaxColumn, IntervalColumn})
            grid->setColumnMinimumWidth(column, edtDepMin1->width());
        // Room left over when the other group is wider goes to the right.
        grid->setColumnStretch(IntervalColumn + 1, 1);
    }

    QHBoxLayout *buttons = NewOkCancelRow(*this, btnOk, btnCancel);
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grpDependentAxes);
    layout->addWidget(grpIndependentAxes);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLineEdit *TValueAxesParametersForm::NewEdit(const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // Room for a value such as -10000.0 with the frame around it.
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-000000.0")) + 12);
    SetEditColor(*edit, Qt::white);
    return edit;
}

QLabel *TValueAxesParametersForm::NewCaption(const QString &text, QWidget *parent)
{
    return new QLabel(text, parent);
}

void TValueAxesParametersForm::AddOptionRow(const QString &caption, QRadioButton *first,
                                            QRadioButton *second)
{
    // Radio buttons of one group box would all exclude each other; each row
    // is a choice of its own.
    auto *choice = new QButtonGroup(this);
    choice->addButton(first);
    choice->addButton(second);
    const int row = FIndependentGrid->rowCount();
    FIndependentGrid->addWidget(NewCaption(caption, grpIndependentAxes), row, CaptionColumn);
    FIndependentGrid->addWidget(first, row, MinColumn);
    FIndependentGrid->addWidget(second, row, MaxColumn);
    // The tab key reaches the row after the rows above it, before OK.
    QWidget::setTabOrder(FLastInGroups, first);
    QWidget::setTabOrder(first, second);
    FLastInGroups = second;
    // A button wider than the edits widens its column in both groups alike.
    for (auto [button, column] : {std::pair(first, MinColumn), std::pair(second, MaxColumn)}) {
        const int width =
            std::max(FIndependentGrid->columnMinimumWidth(column), button->sizeHint().width());
        FIndependentGrid->setColumnMinimumWidth(column, width);
        FDependentGrid->setColumnMinimumWidth(column, width);
    }
}

QLineEdit *TValueAxesParametersForm::DependentMinEdit(int32_t axis) const
{
    return FDependentMin.at(size_t(axis - 1));
}

QLineEdit *TValueAxesParametersForm::DependentMaxEdit(int32_t axis) const
{
    return FDependentMax.at(size_t(axis - 1));
}

void TValueAxesParametersForm::showEvent(QShowEvent *event)
{
    // A window the system restores keeps what the operator has typed.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

std::array<QLineEdit *, 10> TValueAxesParametersForm::AllEdits() const
{
    return {edtDepMin1, edtDepMax1, edtDepInterval, edtDepMin2, edtDepMax2,
            edtDepMin3, edtDepMax3, edtIndMin1,     edtIndMax1, EdtIndInterval};
}

void TValueAxesParametersForm::FormShow()
{
    TValueAxesParameters &parameters = ValueAxes();
    for (QLineEdit *edit : AllEdits())
        SetEditColor(*edit, Qt::white);
    for (int32_t axis = 1; axis <= TValueAxesParameters::ValueAxisCount; ++axis) {
        DependentMinEdit(axis)->setText(FormatFixed(parameters.GetDependentMin(axis), 1));
        DependentMaxEdit(axis)->setText(FormatFixed(parameters.GetDependentMax(axis), 1));
    }
    chkAxis2Shown->setChecked(parameters.GetDependentAxisShown(2));
    chkAxis3Shown->setChecked(parameters.GetDependentAxisShown(3));
    edtDepInterval->setText(FormatFixed(parameters.DependentInterval(), 1));
    edtIndMin1->setText(FormatFixed(IndependentMinimum(), 1));
    edtIndMax1->setText(FormatFixed(IndependentMaximum(), 1));
    EdtIndInterval->setText(FormatFixed(IndependentInterval(), 1));
    ShowOptions();
}

void TValueAxesParametersForm::btnOkClick()
{
    if (Validate())
        accept();
    else
        ModalInteraction().ShowError(FErrorText, this);
}

bool TValueAxesParametersForm::Validate()
{
    FErrorText.clear();
    // Red marks exactly the edits this validation names: an edit a failed
    // check did not get to read loses the mark of an earlier attempt.
    for (QLineEdit *edit : AllEdits())
        SetEditColor(*edit, Qt::white);
    TValueAxesParameters &parameters = ValueAxes();
    const QString &prefix = FMessagePrefix;
    const QString tooMany = QStringLiteral(" gives more than %1 gridlines").arg(MaxGridlines);
    bool valid = true;

    // From the bottom of the dialog up: each message goes in front of the
    // ones before it, so the text lists the problems from the top down.
    if (!CheckInterval(*EdtIndInterval, *edtIndMin1, *edtIndMax1,
                       prefix + QStringLiteral("Independent axis interval is not a valid number"),
                       prefix + QStringLiteral("Independent axis interval must be > 0"),
                       prefix + QStringLiteral("Independent axis interval") + tooMany,
                       [this](double interval) { SetIndependentAxis(interval); }))
        valid = false;

    const QString independent = prefix + FIndependentName;
    if (!CheckRange(
            *edtIndMin1, *edtIndMax1,
            {independent + QStringLiteral(" : Max is not a valid number."),
             independent + QStringLiteral(" : Min is not a valid number."),
             independent + QStringLiteral(" : Min must be less than Max."),
             independent + QStringLiteral(" : Min must be > 0.")},
            [this](double minimum, double maximum) { SetIndependentAxis(minimum, maximum); }))
        valid = false;

    if (!CheckInterval(*edtDepInterval, *edtDepMin1, *edtDepMax1,
                       prefix + QStringLiteral("Dependent axis interval is not a valid number"),
                       prefix + QStringLiteral("Dependent axis interval must be > 0"),
                       prefix + QStringLiteral("Dependent axis interval") + tooMany,
                       [&parameters](double interval) { parameters.SetDependentAxis(interval); }))
        valid = false;

    for (int32_t axis = TValueAxesParameters::ValueAxisCount; axis >= 1; --axis) {
        const QString name = prefix + QStringLiteral("Axis %1: ").arg(axis);
        const QString rangeError = name + QStringLiteral("Min must be less than Max.");
        if (!CheckRange(*DependentMinEdit(axis), *DependentMaxEdit(axis),
                        {name + QStringLiteral("Max is not a valid number."),
                         name + QStringLiteral("Min is not a valid number."), rangeError,
                         rangeError},
                        [&parameters, axis](double minimum, double maximum) {
                            parameters.SetDependentAxis(axis, minimum, maximum);
                        }))
            valid = false;
    }

    parameters.SetDependentAxisShown(2, chkAxis2Shown->isChecked());
    parameters.SetDependentAxisShown(3, chkAxis3Shown->isChecked());
    StoreOptions();
    return valid;
}

void TValueAxesParametersForm::Fail(QLineEdit &edit, const QString &message)
{
    FErrorText.prepend(message + LineBreak);
    edit.setFocus();
}

bool TValueAxesParametersForm::ReadNumber(QLineEdit &edit, const QString &notANumber, double &value)
{
    SetEditColor(edit, Qt::red);
    try {
        value = StrToFloatSystem(edit.text());
    } catch (const EConvertError &) {
        Fail(edit, notANumber);
        return false;
    }
    return true;
}

bool TValueAxesParametersForm::CheckInterval(QLineEdit &edit, QLineEdit &minEdit,
                                             QLineEdit &maxEdit, const QString &notANumber,
                                             const QString &valueError, const QString &tooManyLines,
                                             const std::function<void(double)> &setter)
{
    double interval = 0.0;
    if (!ReadNumber(edit, notANumber, interval))
        return false;

    // A range that does not read yet is its own check's problem.
    const TFormatSettings settings = GetSystemFormatSettings();
    double minimum = 0.0, maximum = 0.0;
    if (interval > 0 && TryStrToFloatSystem(minEdit.text(), minimum, settings) &&
        TryStrToFloatSystem(maxEdit.text(), maximum, settings) && minimum < maximum) {
        std::vector<double> gridlines;
        if (!AxisSteps(minimum, maximum, interval, gridlines)) {
            Fail(edit, tooManyLines);
            return false;
        }
    }

    if (RunSetter([&setter, interval] { setter(interval); }) != saStored) {
        Fail(edit, valueError);
        return false;
    }
    SetEditColor(edit, Qt::white);
    return true;
}

bool TValueAxesParametersForm::CheckRange(QLineEdit &minEdit, QLineEdit &maxEdit,
                                          const TRangeMessages &messages,
                                          const std::function<void(double, double)> &setter)
{
    double minimum = 0.0, maximum = 0.0;
    if (!ReadNumber(maxEdit, messages.MaxNotANumber, maximum))
        return false;
    SetEditColor(maxEdit, Qt::white);
    if (!ReadNumber(minEdit, messages.MinNotANumber, minimum))
        return false;
    switch (RunSetter([&setter, minimum, maximum] { setter(minimum, maximum); })) {
    case saStored:
        SetEditColor(minEdit, Qt::white);
        return true;
    case saRangeError:
        Fail(minEdit, messages.RangeError);
        return false;
    case saValueError:
        Fail(minEdit, messages.ValueError);
        return false;
    }
    return false;
}
