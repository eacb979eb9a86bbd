// The hardware page: configuration choice and states, the elevation entry
// and its unit, driven as the operator and the main window drive it.
#include "ui/HardwareFrame.h"
#include "FrameHost.h"
#include "foundation/CustomUtilities.h"
#include "support/ScriptedInteraction.h"
#include "support/TestSupport.h"
#include "ui/FrameSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace {
// Records every notification the page raises.
struct TRecorder
{
    explicit TRecorder(TfraHardware &frame)
    {
        frame.OnAutoConfigure = [this] { ++AutoConfigures; };
        frame.OnManualConfigure = [this](const QString &text) { Manual.push_back(text); };
        frame.OnCancelConfigure = [this] { ++Cancels; };
        frame.OnBack = [this] { ++Backs; };
        frame.OnElevationEntered = [this](double meters) { Elevations.push_back(meters); };
        frame.OnUnitsChanged = [this](TLengthUnit unit) { Units.push_back(unit); };
    }
    int AutoConfigures = 0;
    std::vector<QString> Manual;
    int Cancels = 0;
    int Backs = 0;
    std::vector<double> Elevations;
    std::vector<TLengthUnit> Units;
};

void Click(QWidget &widget)
{
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
}

QLineEdit &ConfigBox(TfraHardware &f)
{
    return f.fraHardwareConfig1().edtConfigure();
}

QLineEdit &ElevationBox(TfraHardware &f)
{
    return f.fraElevation1().EdtElevation();
}

// The states of the controls the owner switches between.
struct TControlState
{
    bool Choices;
    bool Cancel;
    TLedState Led;
    bool Back;
    bool Next;
};

void ExpectState(TfraHardware &f, const TControlState &s)
{
    TfraHardwareConfig &c = f.fraHardwareConfig1();
    for (QWidget *choice : std::initializer_list<QWidget *>{
             &c.radAutoConfig(), &c.pnlAutoConfig(), &c.radManualConfig(), &c.pnlManualConfig(),
             &c.btnConfigure()})
        EXPECT_EQ(choice->isEnabled(), s.Choices) << choice->objectName().toStdString();
    EXPECT_EQ(c.btnCancel().isEnabled(), s.Cancel);
    EXPECT_EQ(c.ledConfigure().State(), s.Led);
    EXPECT_EQ(f.fraArrows1().arbLeft().Enabled(), s.Back);
    EXPECT_EQ(f.fraArrows1().arbRight().Enabled(), s.Next);
}

constexpr TControlState Idle{true, false, lsRed, true, false};
constexpr TControlState Busy{false, true, lsYellow, false, false};
constexpr TControlState Configured{true, false, lsGreen, true, true};
} // namespace

TEST(HardwareFrame, CaptionClicksChooseHowTheConfigurationIsObtained)
{
    TFrameHost<TfraHardware> f;
    TfraHardwareConfig &c = f->fraHardwareConfig1();

    // A click on any caption line acts as a click on the radio button.
    Click(*c.findChild<QLabel *>(QStringLiteral("lblManualConfig2")));
    EXPECT_TRUE(c.radManualConfig().isChecked());
    EXPECT_TRUE(ConfigBox(*f).isEnabled());
    EXPECT_EQ(EditColor(ConfigBox(*f)), QColor(Qt::white));
    EXPECT_EQ(f.Focused(), &ConfigBox(*f));

    QTest::keyClicks(&ConfigBox(*f), QStringLiteral("V1T2"));
    Click(*c.findChild<QLabel *>(QStringLiteral("lblAutoConfig3")));
    EXPECT_TRUE(c.radAutoConfig().isChecked());
    EXPECT_FALSE(ConfigBox(*f).isEnabled());
    EXPECT_TRUE(ConfigBox(*f).text().isEmpty());
    EXPECT_EQ(EditColor(ConfigBox(*f)), ButtonFaceColor());

    // The radio button itself, and choosing again empties the box again.
    Click(c.radManualConfig());
    EXPECT_TRUE(c.radManualConfig().isChecked());
    QTest::keyClicks(&ConfigBox(*f), QStringLiteral("V1T2"));
    Click(c.pnlManualConfig());
    EXPECT_TRUE(ConfigBox(*f).text().isEmpty());

    // Busy: the choices take no clicks.
    f->GoBusy();
    Click(*c.findChild<QLabel *>(QStringLiteral("lblAutoConfig1")));
    Click(c.radAutoConfig());
    EXPECT_TRUE(c.radManualConfig().isChecked());
}

TEST(HardwareFrame, ConfigureRaisesTheChosenKindOrGoesIdleWhenNobodyListens)
{
    TFrameHost<TfraHardware> f;
    TfraHardwareConfig &c = f->fraHardwareConfig1();
    {
        TRecorder r(*f);
        Click(c.btnConfigure());
        EXPECT_EQ(r.AutoConfigures, 1);
        EXPECT_TRUE(r.Manual.empty());

        f->radioManualClick();
        QTest::keyClicks(&ConfigBox(*f), QStringLiteral("V1T2P3U4"));
        Click(c.btnConfigure());
        ASSERT_EQ(r.Manual.size(), 1u);
        EXPECT_EQ(r.Manual[0], QStringLiteral("V1T2P3U4"));
        EXPECT_EQ(r.AutoConfigures, 1);
    }

    // Nobody listening: back to idle, for either kind.
    TfraHardware bare;
    for (bool manual : {false, true}) {
        if (manual)
            bare.radioManualClick();
        bare.GoBusy();
        bare.btnConfigureClick();
        ExpectState(bare, Idle);
    }
}

TEST(HardwareFrame, EnterInTheConfigurationBoxSubmitsWithoutInsertingAnything)
{
    TFrameHost<TfraHardware> f;
    TRecorder r(*f);
    f->radioManualClick();
    QTest::keyClicks(&ConfigBox(*f), QStringLiteral("V1T2 x"));
    QTest::keyClick(&ConfigBox(*f), Qt::Key_Return);
    QTest::keyClick(&ConfigBox(*f), Qt::Key_Enter);
    ASSERT_EQ(r.Manual.size(), 2u);
    EXPECT_EQ(r.Manual[0], QStringLiteral("V1T2 x"));
    EXPECT_EQ(r.Manual[1], QStringLiteral("V1T2 x"));
    EXPECT_EQ(ConfigBox(*f).text(), QStringLiteral("V1T2 x"));
    EXPECT_EQ(r.AutoConfigures, 0);

    // Other keys still type.
    QTest::keyClick(&ConfigBox(*f), Qt::Key_A);
    EXPECT_EQ(ConfigBox(*f).text(), QStringLiteral("V1T2 xa"));

    // While a configuration is being applied Configure cannot be pressed,
    // and neither can Enter press it.
    f->GoBusy();
    QTest::keyClick(&ConfigBox(*f), Qt::Key_Return);
    EXPECT_EQ(r.Manual.size(), 2u);
    ExpectState(*f, Busy);
}

TEST(HardwareFrame, OwnerStatesSetLampButtonsAndArrows)
{
    TFrameHost<TfraHardware> f;
    TRecorder r(*f);
    ExpectState(*f, Idle);
    EXPECT_TRUE(f->fraHardwareConfig1().radAutoConfig().isChecked());
    EXPECT_FALSE(ConfigBox(*f).isEnabled());
    EXPECT_EQ(EditColor(ConfigBox(*f)), ButtonFaceColor());
    EXPECT_EQ(f->Unit(), luMeters);

    f->GoBusy();
    ExpectState(*f, Busy);
    f->ShowConfigured(QStringLiteral("A1T2P3U4"));
    ExpectState(*f, Configured);
    EXPECT_EQ(ConfigBox(*f).text(), QStringLiteral("A1T2P3U4"));
    f->GoIdle();
    ExpectState(*f, Idle);

    // Cancel while busy: the owner is told; the page goes idle by itself
    // only when nobody listens.
    f->GoBusy();
    Click(f->fraHardwareConfig1().btnCancel());
    EXPECT_EQ(r.Cancels, 1);
    ExpectState(*f, Busy);
    f->OnCancelConfigure = nullptr;
    Click(f->fraHardwareConfig1().btnCancel());
    ExpectState(*f, Idle);

    Click(f->fraArrows1().arbLeft());
    EXPECT_EQ(r.Backs, 1);
}

TEST(HardwareFrame, ErrorsAreShownAfterGoingIdle)
{
    TFrameHost<TfraHardware> f;
    f->radioManualClick();
    QTest::keyClicks(&ConfigBox(*f), QStringLiteral("Q9"));
    f->GoBusy();
    TScriptedInteraction script;

    script.ExpectError();
    f->ReportConfigurationError(QStringLiteral("Q is not a valid sonde model"));
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].Text, QStringLiteral("Q is not a valid sonde model"));
    ExpectState(*f, Idle);
    EXPECT_EQ(EditColor(ConfigBox(*f)), QColor(Qt::red));
    EXPECT_EQ(ConfigBox(*f).text(), QStringLiteral("Q9"));
    EXPECT_EQ(f.Focused(), &ConfigBox(*f));
    // Editing the string clears the red.
    QTest::keyClick(&ConfigBox(*f), Qt::Key_Backspace);
    EXPECT_EQ(EditColor(ConfigBox(*f)), QColor(Qt::white));

    f->GoBusy();
    script.ExpectError();
    const QString lost = QStringLiteral("Kestrin is no longer transmitting Configuration.  Please "
                                        "restart Kestrin and try again.");
    f->ReportError(lost);
    ASSERT_EQ(script.Requests().size(), 2u);
    EXPECT_EQ(script.Requests()[1].Kind, ikError);
    EXPECT_EQ(script.Requests()[1].Text, lost);
    ExpectState(*f, Idle);
}

TEST(HardwareFrame, NextArrowSubmitsTheElevationInMetres)
{
    TFrameHost<TfraHardware> f;
    TRecorder r(*f);
    f->ShowConfigured(QStringLiteral("A1T2P3U4"));
    TScriptedInteraction script;

    // Empty box.
    script.ExpectError();
    Click(f->fraArrows1().arbRight());
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].Text, QStringLiteral("Please enter an elevation"));
    EXPECT_EQ(EditColor(ElevationBox(*f)), QColor(Qt::red));
    EXPECT_EQ(f.Focused(), &ElevationBox(*f));
    EXPECT_TRUE(r.Elevations.empty());
    EXPECT_THROW(f->ReadElevation(), EElevationNotEntered);

    // Not a number.
    QTest::keyClicks(&ElevationBox(*f), QStringLiteral("12a"));
    EXPECT_EQ(EditColor(ElevationBox(*f)), QColor(Qt::white));
    script.ExpectError();
    f->RightArrowClick();
    ASSERT_EQ(script.Requests().size(), 2u);
    EXPECT_EQ(script.Requests()[1].Text, QStringLiteral("Elevation is not a valid number"));
    EXPECT_EQ(EditColor(ElevationBox(*f)), QColor(Qt::red));
    EXPECT_TRUE(r.Elevations.empty());

    // Metres as typed; then Feet chosen: the text stays, its unit changes.
    ElevationBox(*f).clear();
    QTest::keyClicks(&ElevationBox(*f), QStringLiteral("1000"));
    Click(f->fraArrows1().arbRight());
    ASSERT_EQ(r.Elevations.size(), 1u);
    EXPECT_DOUBLE_EQ(r.Elevations[0], 1000.0);
    EXPECT_EQ(EditColor(ElevationBox(*f)), QColor(Qt::white));

    Click(f->fraElevation1().radFeet());
    ASSERT_EQ(r.Units.size(), 1u);
    EXPECT_EQ(r.Units[0], luFeet);
    EXPECT_EQ(f->Unit(), luFeet);
    EXPECT_EQ(ElevationBox(*f).text(), QStringLiteral("1000"));
    Click(f->fraArrows1().arbRight());
    ASSERT_EQ(r.Elevations.size(), 2u);
    EXPECT_NEAR(r.Elevations[1], 304.8, 1e-9);

    Click(f->fraElevation1().radMeters());
    ASSERT_EQ(r.Units.size(), 2u);
    EXPECT_EQ(r.Units[1], luMeters);
    EXPECT_EQ(script.Requests().size(), 2u);
}

TEST(HardwareFrame, ElevationUsesTheDecimalSeparatorOfTheSystemLocaleOnly)
{
    TfraHardware f;
    {
        LocaleGuard locale("de_DE.UTF-8");
        ElevationBox(f).setText(QStringLiteral("1234,5"));
        EXPECT_NEAR(f.ReadElevation(), 1234.5, 1e-9);
        ElevationBox(f).setText(QStringLiteral("1234.5"));
        EXPECT_THROW(f.ReadElevation(), EConvertError);
        EXPECT_EQ(EditColor(ElevationBox(f)), QColor(Qt::red));
        // A rewritten elevation comes back in the same convention.
        ElevationBox(f).setText(QStringLiteral("1,5"));
        f.SetUnit(luFeet);
        EXPECT_EQ(ElevationBox(f).text(), QStringLiteral("4,92125984251969"));
        f.SetUnit(luMeters);
        EXPECT_EQ(ElevationBox(f).text(), QStringLiteral("1,5"));
    }
    {
        LocaleGuard locale("en_US.UTF-8");
        ElevationBox(f).setText(QStringLiteral("1234.5"));
        EXPECT_NEAR(f.ReadElevation(), 1234.5, 1e-9);
        ElevationBox(f).setText(QStringLiteral("1234,5"));
        EXPECT_THROW(f.ReadElevation(), EConvertError);
    }
}

TEST(HardwareFrame, UnitSetElsewhereRewritesAReadableElevation)
{
    TFrameHost<TfraHardware> f;
    TRecorder r(*f);
    ElevationBox(*f).setText(QStringLiteral("1000"));

    f->SetUnit(luFeet);
    EXPECT_TRUE(f->fraElevation1().radFeet().isChecked());
    ASSERT_EQ(r.Units.size(), 1u);
    EXPECT_EQ(r.Units[0], luFeet);
    EXPECT_NEAR(StrToFloatSystem(ElevationBox(*f).text()), 3280.839895013123, 1e-9);
    EXPECT_EQ(EditColor(ElevationBox(*f)), QColor(Qt::white));
    EXPECT_NEAR(f->ReadElevation(), 1000.0, 1e-9);

    // The same unit again changes nothing and announces nothing.
    const QString feet = ElevationBox(*f).text();
    f->SetUnit(luFeet);
    EXPECT_EQ(ElevationBox(*f).text(), feet);
    EXPECT_EQ(r.Units.size(), 1u);

    // The owner answers the announcement by setting the unit again, as the
    // main window does; that must settle, with the box in the new unit.
    f->OnUnitsChanged = [&](TLengthUnit unit) {
        r.Units.push_back(unit);
        f->SetUnit(unit);
    };
    f->SetUnit(luMeters);
    EXPECT_TRUE(f->fraElevation1().radMeters().isChecked());
    ASSERT_EQ(r.Units.size(), 2u);
    EXPECT_EQ(r.Units[1], luMeters);
    EXPECT_NEAR(StrToFloatSystem(ElevationBox(*f).text()), 1000.0, 1e-9);
}

TEST(HardwareFrame, UnitSetElsewhereLeavesAnUnreadableBoxAsTyped)
{
    TFrameHost<TfraHardware> f;
    TRecorder r(*f);
    f->SetUnit(luFeet);
    EXPECT_TRUE(f->fraElevation1().radFeet().isChecked());
    EXPECT_TRUE(ElevationBox(*f).text().isEmpty());
    EXPECT_EQ(EditColor(ElevationBox(*f)), QColor(Qt::red));

    ElevationBox(*f).setText(QStringLiteral("high"));
    f->SetUnit(luMeters);
    EXPECT_TRUE(f->fraElevation1().radMeters().isChecked());
    EXPECT_EQ(ElevationBox(*f).text(), QStringLiteral("high"));
    EXPECT_EQ(EditColor(ElevationBox(*f)), QColor(Qt::red));
    EXPECT_EQ(r.Units, (std::vector<TLengthUnit>{luFeet, luMeters}));
}
