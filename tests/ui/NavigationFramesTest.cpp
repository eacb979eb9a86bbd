// The start page, the main-control page with its run controls, the arrows
// and the about box.
#include "FrameHost.h"
#include "support/ScriptedInteraction.h"
#include "ui/AboutForm.h"
#include "ui/MainControlFrame.h"
#include "ui/StartFrame.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {
void Click(QWidget &widget)
{
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
}

void ExpectArrows(TfraArrows &arrows, bool back, bool next)
{
    EXPECT_EQ(arrows.arbLeft().Enabled(), back);
    EXPECT_EQ(arrows.arbRight().Enabled(), next);
}
} // namespace

TEST(StartFrame, OffersTheTwoTasksAndOnlyGoesForward)
{
    TFrameHost<TfraStart> f;
    EXPECT_TRUE(f->rdbOperate().isChecked());
    ExpectArrows(f->fraArrows1(), false, true);

    Click(f->fraArrows1().arbRight()); // nobody listens yet: nothing happens
    int nexts = 0;
    f->OnNext = [&] { ++nexts; };
    Click(f->fraArrows1().arbLeft());
    EXPECT_EQ(nexts, 0);
    Click(f->rdbWorkWithFiles());
    EXPECT_TRUE(f->rdbWorkWithFiles().isChecked());
    EXPECT_FALSE(f->rdbOperate().isChecked());
    Click(f->fraArrows1().arbRight());
    EXPECT_EQ(nexts, 1);
}

TEST(AboutButton, ShowsTheAboutBoxModallyUntilOK)
{
    TFrameHost<TfraStart> f;
    TScriptedInteraction script;
    QPointer<TfrmAbout> shown;
    script.ExpectDialog(QDialog::Rejected, [&](QDialog &dialog) {
        shown = qobject_cast<TfrmAbout *>(&dialog);
        ASSERT_TRUE(shown);
        Click(shown->btnOK());
        EXPECT_FALSE(dialog.isVisible());
    });
    Click(f->fraAboutButton1().btnAbout());
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].DialogClass, QStringLiteral("TfrmAbout"));
    EXPECT_EQ(script.Requests()[0].Caption, QStringLiteral("About Ventrel"));
    // The box does not outlive its showing.
    EXPECT_TRUE(shown.isNull());
}

TEST(MainControlFrame, NavigationFollowsTheOperatingPageAndTheLock)
{
    TFrameHost<TfraMainControl> f(554);
    int backs = 0;
    int nexts = 0;
    f->OnBack = [&] { ++backs; };
    f->OnNext = [&] { ++nexts; };
    EXPECT_EQ(f->pctlOperatingControls().currentWidget(), &f->tsRun());
    EXPECT_TRUE(f->fraRun().chkAutoScroll().isChecked());
    EXPECT_EQ(f->fraRun().ledRun().State(), lsRed);
    ExpectArrows(f->fraArrows(), true, true);

    f->ShowRunControls();
    EXPECT_EQ(f->pctlOperatingControls().currentWidget(), &f->tsRun());
    ExpectArrows(f->fraArrows(), true, true);
    Click(f->fraArrows().arbRight());
    Click(f->fraArrows().arbLeft());
    EXPECT_EQ(nexts, 1);
    EXPECT_EQ(backs, 1);

    // Locked: neither arrow; unlocked on the run tab: both again.
    f->LockNavigation();
    ExpectArrows(f->fraArrows(), false, false);
    Click(f->fraArrows().arbRight());
    Click(f->fraArrows().arbLeft());
    EXPECT_EQ(nexts, 1);
    EXPECT_EQ(backs, 1);
    f->UnlockNavigation();
    ExpectArrows(f->fraArrows(), true, true);

    // Nothing lies beyond the file tab, locked or not.
    f->ShowFileControls();
    EXPECT_EQ(f->pctlOperatingControls().currentWidget(), &f->tsFile());
    ExpectArrows(f->fraArrows(), true, false);
    f->LockNavigation();
    ExpectArrows(f->fraArrows(), false, false);
    f->UnlockNavigation();
    ExpectArrows(f->fraArrows(), true, false);
    Click(f->fraArrows().arbLeft());
    EXPECT_EQ(backs, 2);

    f->ShowRunControls();
    f->LockNavigation();
    f->ShowFileControls();
    f->UnlockNavigation();
    ExpectArrows(f->fraArrows(), true, false);
}

TEST(MainControlFrame, InstalledFramesShowOnTheirPages)
{
    TFrameHost<TfraMainControl> f(554);
    auto standard = std::make_unique<QLabel>(QStringLiteral("standard series"));
    auto time = std::make_unique<QLabel>(QStringLiteral("time series"));
    QLabel *standardSeen = standard.get();
    QPointer<QLabel> timeSeen = time.get();
    f->SetSeriesFrame(gtStandard, std::move(standard));
    f->SetSeriesFrame(gtTime, std::move(time));
    EXPECT_EQ(standardSeen->parentWidget(), &f->tsStandardGraph());
    EXPECT_EQ(f->SeriesFrame(gtStandard), standardSeen);
    EXPECT_EQ(f->SeriesFrame(gtSkewT), nullptr);

    f->ShowSeriesPage(gtTime);
    EXPECT_EQ(f->pctlGraph().currentWidget(), &f->tsTimeGraph());
    EXPECT_TRUE(timeSeen->isVisible());
    EXPECT_FALSE(standardSeen->isVisible());
    f->ShowSeriesPage(gtSkewT);
    EXPECT_EQ(f->pctlGraph().currentWidget(), &f->tsSkewTGraph());
    f->ShowSeriesPage(TGraphType(7));
    EXPECT_EQ(f->pctlGraph().currentWidget(), &f->tsStandardGraph());

    // A replacement frees the frame it replaces.
    f->SetSeriesFrame(gtTime, std::make_unique<QLabel>(QStringLiteral("new time series")));
    EXPECT_TRUE(timeSeen.isNull());

    auto buttons = std::make_unique<QPushButton>(QStringLiteral("Load Log"));
    QPushButton *buttonsSeen = buttons.get();
    f->SetFileButtonsFrame(std::move(buttons));
    EXPECT_EQ(f->FileButtonsFrame(), buttonsSeen);
    f->ShowFileControls();
    EXPECT_TRUE(buttonsSeen->isVisible());
    EXPECT_FALSE(f->fraRun().isVisible());
}
