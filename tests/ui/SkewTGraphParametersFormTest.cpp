// The Skew-T diagram's parameter dialog: altitude and unit choices.
#include "ui/SkewTGraphParametersForm.h"
#include "support/ScriptedInteraction.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

TEST(SkewTGraphParametersForm, OkStoresTheAltitudeChoiceAndTheUnitIsReadFromTheButtons)
{
    TfrmSkewTGraphParameters dialog;
    EXPECT_EQ(dialog.GetUnits(), luMeters);
    dialog.Parameters().SetShowAltitude(false);
    dialog.SetUnits(luFeet);

    TScriptedInteraction script;
    script.ExpectDialog(QDialog::Rejected, [&](QDialog &) {
        EXPECT_TRUE(dialog.radAltitudeOff->isChecked());
        EXPECT_TRUE(dialog.radFeet->isChecked());
        QTest::mouseClick(dialog.radAltitudeOn, Qt::LeftButton);
        QTest::mouseClick(dialog.radMeters, Qt::LeftButton);
        // Each row of buttons is a choice of its own.
        EXPECT_TRUE(dialog.radAltitudeOn->isChecked());
        QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
    });
    EXPECT_EQ(ModalInteraction().ExecuteDialog(dialog), QDialog::Accepted);
    EXPECT_TRUE(dialog.Parameters().ShowAltitude());
    EXPECT_EQ(dialog.GetUnits(), luMeters);

    // Cancel stores nothing, but the unit buttons keep the operator's choice.
    script.ExpectDialog(QDialog::Rejected, [&](QDialog &) {
        QTest::mouseClick(dialog.radAltitudeOff, Qt::LeftButton);
        QTest::mouseClick(dialog.radFeet, Qt::LeftButton);
        QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    });
    EXPECT_EQ(ModalInteraction().ExecuteDialog(dialog), QDialog::Rejected);
    EXPECT_TRUE(dialog.Parameters().ShowAltitude());
    EXPECT_EQ(dialog.GetUnits(), luFeet);
}

TEST(SkewTGraphParametersForm, AnalysisBoxesAreFilledOnShowAndStoredOnOk)
{
    TfrmSkewTGraphParameters dialog;
    dialog.Parameters().SetShowStandardAtmosphere(true);
    TScriptedInteraction script;
    for (QDialog::DialogCode ending : {QDialog::Rejected, QDialog::Accepted}) {
        script.ExpectDialog(QDialog::Rejected, [&](QDialog &) {
            EXPECT_FALSE(dialog.chkParcelTrace->isChecked());
            EXPECT_TRUE(dialog.chkStandardAtmosphere->isChecked());
            EXPECT_FALSE(dialog.chkAnalysisBox->isChecked());
            for (QCheckBox *box :
                 {dialog.chkParcelTrace, dialog.chkStandardAtmosphere, dialog.chkAnalysisBox})
                QTest::mouseClick(box, Qt::LeftButton);
            QTest::mouseClick(ending == QDialog::Accepted ? dialog.btnOk : dialog.btnCancel,
                              Qt::LeftButton);
        });
        EXPECT_EQ(ModalInteraction().ExecuteDialog(dialog), ending);
    }
    EXPECT_TRUE(dialog.Parameters().ShowParcel());
    EXPECT_FALSE(dialog.Parameters().ShowStandardAtmosphere());
    EXPECT_TRUE(dialog.Parameters().ShowAnalysis());
}
