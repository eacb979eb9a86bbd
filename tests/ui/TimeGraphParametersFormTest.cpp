// The Time graph's parameter dialog: its time row and its own messages.
#include "ui/TimeGraphParametersForm.h"
#include "support/ScriptedInteraction.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

TEST(TimeGraphParametersForm, TimeMinimumZeroPassesAndBelowZeroIsRefused)
{
    TfrmTimeGraphParameters dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.edtIndMin1->text(), "0.0");
    EXPECT_EQ(dialog.edtIndMax1->text(), "60.0");
    EXPECT_EQ(dialog.EdtIndInterval->text(), "10.0");

    dialog.edtIndMin1->setText("-5");
    dialog.edtDepMin2->setText("2000");
    {
        TScriptedInteraction script;
        script.ExpectError();
        QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
        ASSERT_EQ(script.Requests().size(), 1u);
        EXPECT_EQ(script.Requests()[0].Text, "Time: Axis 2: Min must be less than Max.\r\n"
                                             "Time: Time : Min must be > 0.\r\n");
    }
    EXPECT_EQ(dialog.focusWidget(), dialog.edtDepMin2);

    dialog.edtIndMin1->setText("0");
    dialog.edtIndMax1->setText("90");
    dialog.edtDepMin2->setText("0");
    QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(dialog.Parameters().TimeMinimum(), 0.0);
    EXPECT_DOUBLE_EQ(dialog.Parameters().TimeMaximum(), 90.0);
}
