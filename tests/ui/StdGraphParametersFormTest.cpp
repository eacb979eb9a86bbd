// The Standard graph's parameter dialog, and with it the validation it
// shares with the Time graph's: shown non-modally, its edits typed into and
// its OK handler run, the error box answered by the scripted interaction.
#include "ui/StdGraphParametersForm.h"
#include "support/ScriptedInteraction.h"
#include "support/TestSupport.h"
#include "ui/FrameSupport.h"
#include "ui/SkewTGraphParametersForm.h"
#include "ui/TimeGraphParametersForm.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
const QColor Red(255, 0, 0);
const QColor White(255, 255, 255);

void ShowAndWait(QDialog &dialog)
{
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
}

// Clicks OK expecting the error box; returns the text it showed.
QString OkRefused(TValueAxesParametersForm &dialog)
{
    TScriptedInteraction script;
    script.ExpectError();
    QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    return script.Requests().empty() ? QString() : script.Requests().front().Text;
}

// The names of the edits that are red.
QStringList RedEdits(const QDialog &dialog)
{
    QStringList names;
    for (const QLineEdit *edit : dialog.findChildren<QLineEdit *>())
        if (EditColor(*edit) == Red)
            names << edit->objectName();
        else
            EXPECT_EQ(EditColor(*edit), White) << edit->objectName().toStdString();
    names.sort();
    return names;
}
} // namespace

TEST(StdGraphParametersForm, ShowFillsEveryControlFromTheParameters)
{
    TfrmStdGraphParameters dialog;
    TStandardGraphParameters &p = dialog.Parameters();
    p.SetDependentAxis(2, -5.25, 40.0);
    p.SetDependentAxis(2.5);
    p.SetDependentAxisShown(3, false);
    p.SetPressureAxis(200.0, 1050.0);
    p.SetPressureAxis(50.0);
    p.SetShowAltitude(false);
    dialog.SetUnits(luFeet);
    // Left red by an earlier showing.
    SetEditColor(*dialog.edtIndMax1, Red);

    ShowAndWait(dialog);
    QStringList texts;
    for (const QLineEdit *edit : {dialog.edtDepMin1, dialog.edtDepMax1, dialog.edtDepInterval,
                                  dialog.edtDepMin2, dialog.edtDepMax2, dialog.edtDepMax3,
                                  dialog.edtIndMin1, dialog.edtIndMax1, dialog.EdtIndInterval})
        texts << edit->text();
    EXPECT_EQ(texts, QStringList({"0.0", "100.0", "2.5", "-5.3", "40.0", "10.0", "200.0", "1050.0",
                                  "50.0"}));
    EXPECT_TRUE(dialog.chkAxis2Shown->isChecked());
    EXPECT_FALSE(dialog.chkAxis3Shown->isChecked());
    EXPECT_TRUE(dialog.radAltitudeOff->isChecked());
    EXPECT_TRUE(dialog.radFeet->isChecked());
    EXPECT_EQ(RedEdits(dialog), QStringList());
}

TEST(StdGraphParametersForm, ProblemsAreListedTopDownWithTheTopmostFocused)
{
    TfrmStdGraphParameters dialog;
    ShowAndWait(dialog);
    dialog.edtDepMax2->setText("abc");
    dialog.edtDepMin1->setText("100");
    dialog.edtDepMax1->setText("50");
    dialog.edtDepMax3->setText("20");

    EXPECT_EQ(OkRefused(dialog), "Axis 1: Min must be less than Max.\r\n"
                                 "Axis 2: Max is not a valid number.\r\n");
    EXPECT_EQ(dialog.focusWidget(), dialog.edtDepMin1);
    EXPECT_EQ(RedEdits(dialog), QStringList({"edtDepMax2", "edtDepMin1"}));
    // What passed is stored already; what failed is not.
    EXPECT_DOUBLE_EQ(dialog.Parameters().GetDependentMax(3), 20.0);
    EXPECT_DOUBLE_EQ(dialog.Parameters().GetDependentMax(1), 100.0);

    // Corrected, the edits turn white and OK closes the dialog.
    dialog.edtDepMax2->setText("500");
    dialog.edtDepMax1->setText("150");
    QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(RedEdits(dialog), QStringList());
    EXPECT_DOUBLE_EQ(dialog.Parameters().GetDependentMax(1), 150.0);
    EXPECT_DOUBLE_EQ(dialog.Parameters().GetDependentMax(2), 500.0);
}

TEST(StdGraphParametersForm, PressureRangeAndIntervalMessages)
{
    TfrmStdGraphParameters dialog;
    ShowAndWait(dialog);
    const auto refusal = [&](const char *minimum, const char *maximum, const char *interval) {
        dialog.edtIndMin1->setText(minimum);
        dialog.edtIndMax1->setText(maximum);
        dialog.EdtIndInterval->setText(interval);
        return OkRefused(dialog);
    };
    EXPECT_EQ(refusal("0", "1000", "100"), "Pressure : Min must be > 0.\r\n");
    EXPECT_EQ(dialog.focusWidget(), dialog.edtIndMin1);
    EXPECT_EQ(refusal("1000", "100", "100"), "Pressure : Min must be less than Max.\r\n");
    // The minimum is not judged while the maximum is no number: its mark
    // from the attempt before goes.
    EXPECT_EQ(refusal("100", "x", "-1"), "Pressure : Max is not a valid number.\r\n"
                                         "Independent axis interval must be > 0\r\n");
    EXPECT_EQ(RedEdits(dialog), QStringList({"EdtIndInterval", "edtIndMax1"}));

    // An interval that would need more gridlines than a graph draws is
    // refused before it is stored; a coarser one passes, 1,801 lines too.
    EXPECT_EQ(refusal("100", "1000", "0.000000001"),
              "Independent axis interval gives more than 100000 gridlines\r\n");
    EXPECT_DOUBLE_EQ(dialog.Parameters().PressureInterval(), 100.0);
    dialog.EdtIndInterval->setText("0.5");
    EXPECT_TRUE(dialog.Validate());
    EXPECT_DOUBLE_EQ(dialog.Parameters().PressureInterval(), 0.5);
}

TEST(StdGraphParametersForm, NumbersUseTheSystemSeparatorAtTheTimeOfTheClick)
{
    TfrmStdGraphParameters dialog;
    LocaleGuard comma("de_DE.UTF-8");
    ShowAndWait(dialog);
    EXPECT_EQ(dialog.edtDepInterval->text(), "10,0");
    dialog.edtDepInterval->setText("12,5");
    dialog.edtDepMax1->setText("87.5");
    EXPECT_EQ(OkRefused(dialog), "Axis 1: Max is not a valid number.\r\n");
    EXPECT_DOUBLE_EQ(dialog.Parameters().DependentInterval(), 12.5);
}

TEST(StdGraphParametersForm, ShownFlagsAltitudeAndUnitsAreStoredWhateverTheOutcome)
{
    TfrmStdGraphParameters dialog;
    ShowAndWait(dialog);
    QTest::mouseClick(dialog.chkAxis2Shown, Qt::LeftButton);
    QTest::mouseClick(dialog.radAltitudeOff, Qt::LeftButton);
    QTest::mouseClick(dialog.radFeet, Qt::LeftButton);
    // Each row of buttons is a choice of its own.
    EXPECT_TRUE(dialog.radAltitudeOff->isChecked());
    dialog.edtDepMin3->setText("");
    OkRefused(dialog);
    EXPECT_FALSE(dialog.Parameters().GetDependentAxisShown(2));
    EXPECT_TRUE(dialog.Parameters().GetDependentAxisShown(3));
    EXPECT_FALSE(dialog.Parameters().ShowAltitude());
    EXPECT_EQ(dialog.Units(), luFeet);
}

TEST(StdGraphParametersForm, CancelAfterAFailedOkLeavesTheCallersParameters)
{
    // As the main window works it: a copy in, the dialog modal, a copy back
    // only on OK.
    TStandardGraphParameters caller;
    TfrmStdGraphParameters dialog;
    dialog.Parameters().Assign(caller);
    TScriptedInteraction script;
    script.ExpectDialog(QDialog::Accepted, [&](QDialog &) {
        dialog.edtDepMax3->setText("55");
        dialog.edtIndMax1->setText("?");
        dialog.chkAxis3Shown->setChecked(false);
        script.ExpectError();
        QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    if (ModalInteraction().ExecuteDialog(dialog) == QDialog::Accepted)
        caller.Assign(dialog.Parameters());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(caller == TStandardGraphParameters());
    EXPECT_DOUBLE_EQ(dialog.Parameters().GetDependentMax(3), 55.0);
}

TEST(StdGraphParametersForm, EveryDialogKeepsItsCaptionsReadableAndColumnsInLine)
{
    TfrmStdGraphParameters standard;
    TfrmTimeGraphParameters time;
    TfrmSkewTGraphParameters skewT;
    for (QDialog *dialog : std::initializer_list<QDialog *>{&standard, &time, &skewT}) {
        SCOPED_TRACE(dialog->objectName().toStdString());
        ShowAndWait(*dialog);
        const QRect client = dialog->rect();
        for (QWidget *widget : dialog->findChildren<QWidget *>()) {
            const QRect area(widget->mapTo(dialog, QPoint(0, 0)), widget->size());
            EXPECT_TRUE(client.contains(area)) << widget->objectName().toStdString();
            if (auto *label = qobject_cast<QLabel *>(widget)) {
                EXPECT_GE(label->contentsRect().width(),
                          label->fontMetrics().horizontalAdvance(label->text()))
                    << label->text().toStdString();
            }
        }
    }
    // The Min, Max and Interval columns of both groups stand in line.
    const auto left = [&](QWidget *edit) { return edit->mapTo(&standard, QPoint(0, 0)).x(); };
    EXPECT_EQ(left(standard.edtDepMin1), left(standard.edtIndMin1));
    EXPECT_EQ(left(standard.edtDepMax1), left(standard.edtIndMax1));
    EXPECT_EQ(left(standard.edtDepInterval), left(standard.EdtIndInterval));
}
