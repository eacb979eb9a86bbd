// The lamp, the arrow button and the colour selector, driven headless with
// simulated mouse input.
#include "support/PaintCounter.h"
#include "support/ScriptedInteraction.h"
#include "support/TestSupport.h"
#include "ui/ArrowButton.h"
#include "ui/ColorSelector.h"
#include "ui/ControlImages.h"
#include "ui/Led.h"

#include <QPainter>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
// What the widget shows over its parent's background.
QImage Shown(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A named image as it should look on that background: where the image is
// transparent the background shows through.
QImage Expected(QWidget &widget, const char *name)
{
    const QImage &image = ControlImage(QString::fromLatin1(name));
    QImage result(image.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(widget.palette().color(QPalette::Window));
    QPainter painter(&result);
    painter.drawImage(0, 0, image);
    return result;
}

void ShowAndWait(QWidget &window)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
}
} // namespace

TEST(ControlImages, NineImagesAtTheirSizesWithTransparentSurroundings)
{
    for (const char *name : {"RedLed", "GreenLed", "YellowLed"}) {
        const QImage &image = ControlImage(QString::fromLatin1(name));
        EXPECT_EQ(image.size(), QSize(22, 17)) << name;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << name;
        EXPECT_EQ(qAlpha(image.pixel(11, 8)), 255) << name;
    }
    for (const char *name : {"leftPress", "left", "leftgrey", "rightPress", "right", "rightgrey"}) {
        const QImage &image = ControlImage(QString::fromLatin1(name));
        EXPECT_EQ(image.size(), QSize(40, 30)) << name;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << name;
        EXPECT_EQ(qAlpha(image.pixel(39, 29)), 0) << name;
    }
    // The lamps differ in colour where it matters: red, green and yellow.
    const QRgb red = ControlImage(QStringLiteral("RedLed")).pixel(11, 9);
    const QRgb green = ControlImage(QStringLiteral("GreenLed")).pixel(11, 9);
    const QRgb yellow = ControlImage(QStringLiteral("YellowLed")).pixel(11, 9);
    EXPECT_GT(qRed(red), 2 * qGreen(red));
    EXPECT_GT(qGreen(green), 2 * qRed(green));
    EXPECT_GT(qRed(yellow), 2 * qBlue(yellow));
    EXPECT_GT(qGreen(yellow), 2 * qBlue(yellow));
    // Normal and pressed arrows differ; each side points its own way.
    EXPECT_NE(ControlImage(QStringLiteral("left")), ControlImage(QStringLiteral("leftPress")));
    EXPECT_NE(ControlImage(QStringLiteral("left")), ControlImage(QStringLiteral("leftgrey")));
    EXPECT_NE(ControlImage(QStringLiteral("left")),
              ControlImage(QStringLiteral("right")).mirrored(true, false));
    EXPECT_THROW(ControlImage(QStringLiteral("BlueLed")), EResNotFound);
}

TEST(Led, PaintsTheImageOfItsStateAndRepaintsOnlyOnChange)
{
    QWidget window;
    TLed led(&window);
    EXPECT_EQ(led.size(), QSize(22, 17));
    EXPECT_EQ(led.State(), lsRed);
    ShowAndWait(window);
    EXPECT_EQ(Shown(led), Expected(led, "RedLed"));

    QCoreApplication::processEvents();
    TPaintCounter paints(&led);
    led.SetState(lsRed);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(paints.Count, 0);

    led.SetState(lsYellow);
    ASSERT_TRUE(WaitFor([&] { return paints.Count > 0; }));
    EXPECT_EQ(led.State(), lsYellow);
    EXPECT_EQ(Shown(led), Expected(led, "YellowLed"));

    const int before = paints.Count;
    led.SetState(lsYellow);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(paints.Count, before);

    led.SetState(lsGreen);
    EXPECT_EQ(Shown(led), Expected(led, "GreenLed"));
}

TEST(ArrowButton, PressShowsPressedImageAndReleaseClicks)
{
    QWidget window;
    TArrowButton arrow(&window);
    EXPECT_EQ(arrow.size(), QSize(40, 30));
    EXPECT_EQ(arrow.ArrowType(), atLeft);
    int clicks = 0;
    arrow.OnClick = [&] { ++clicks; };
    ShowAndWait(window);
    EXPECT_EQ(Shown(arrow), Expected(arrow, "left"));

    arrow.SetArrowType(atRight);
    EXPECT_EQ(Shown(arrow), Expected(arrow, "right"));

    QTest::mousePress(&arrow, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_TRUE(arrow.Down());
    EXPECT_EQ(Shown(arrow), Expected(arrow, "rightPress"));
    EXPECT_EQ(clicks, 0);
    QTest::mouseRelease(&arrow, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_FALSE(arrow.Down());
    EXPECT_EQ(Shown(arrow), Expected(arrow, "right"));
    EXPECT_EQ(clicks, 1);

    // Released outside: no click, but the button comes back up.
    QTest::mousePress(&arrow, Qt::LeftButton, {}, QPoint(20, 15));
    QTest::mouseRelease(&arrow, Qt::LeftButton, {}, QPoint(60, 15));
    EXPECT_FALSE(arrow.Down());
    EXPECT_EQ(clicks, 1);
}

TEST(ArrowButton, DisabledShowsGreyAndIgnoresPressesAndClicks)
{
    QWidget window;
    TArrowButton arrow(&window);
    int clicks = 0;
    arrow.OnClick = [&] { ++clicks; };
    ShowAndWait(window);

    arrow.SetEnabled(false);
    EXPECT_FALSE(arrow.Enabled());
    EXPECT_EQ(Shown(arrow), Expected(arrow, "leftgrey"));
    QTest::mousePress(&arrow, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_FALSE(arrow.Down());
    QTest::mouseRelease(&arrow, Qt::LeftButton, {}, QPoint(20, 15));
    QTest::mouseClick(&arrow, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(Shown(arrow), Expected(arrow, "leftgrey"));

    arrow.SetEnabled(true);
    EXPECT_EQ(Shown(arrow), Expected(arrow, "left"));
    QTest::mouseClick(&arrow, Qt::LeftButton, {}, QPoint(20, 15));
    EXPECT_EQ(clicks, 1);
}

TEST(ArrowButton, DisabledWhilePressedComesBackUpWhenEnabled)
{
    QWidget window;
    TArrowButton arrow(&window);
    int clicks = 0;
    arrow.OnClick = [&] { ++clicks; };
    ShowAndWait(window);

    QTest::mousePress(&arrow, Qt::LeftButton, {}, QPoint(20, 15));
    arrow.SetEnabled(false);
    QTest::mouseRelease(&arrow, Qt::LeftButton, {}, QPoint(20, 15));
    arrow.SetEnabled(true);
    EXPECT_FALSE(arrow.Down());
    EXPECT_EQ(Shown(arrow), Expected(arrow, "left"));
    EXPECT_EQ(clicks, 0);

    arrow.SetVisible(false);
    EXPECT_FALSE(arrow.Visible());
    arrow.SetVisible(true);
    EXPECT_TRUE(arrow.Visible());
}

TEST(ColorSelector, ConfirmedColourIsTakenAndAnnounced)
{
    QWidget window;
    TColorSelector selector(&window);
    EXPECT_EQ(selector.size(), QSize(15, 15));
    EXPECT_EQ(selector.Color(), QColor(0, 0, 255));
    int selected = 0;
    selector.OnSelectColor = [&] { ++selected; };
    ShowAndWait(window);
    EXPECT_EQ(Shown(selector).pixelColor(7, 7), QColor(0, 0, 255));

    TScriptedInteraction script;
    script.ExpectColor(QColor(255, 0, 0));
    QTest::mouseClick(&selector, Qt::LeftButton, {}, QPoint(7, 7));
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].Kind, ikColor);
    EXPECT_EQ(script.Requests()[0].Color, QColor(0, 0, 255));
    EXPECT_EQ(selector.Color(), QColor(255, 0, 0));
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(Shown(selector).pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(Shown(selector).pixelColor(14, 14), QColor(255, 0, 0));
}

TEST(ColorSelector, CancelKeepsTheColourAndRaisesNothing)
{
    QWidget window;
    TColorSelector selector(&window);
    selector.SetColor(QColor(0, 128, 0));
    int selected = 0;
    selector.OnSelectColor = [&] { ++selected; };
    ShowAndWait(window);

    TScriptedInteraction script;
    script.ExpectColor(std::nullopt);
    QTest::mouseClick(&selector, Qt::LeftButton, {}, QPoint(7, 7));
    EXPECT_EQ(script.PendingAnswers(), 0u);
    EXPECT_EQ(selector.Color(), QColor(0, 128, 0));
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(Shown(selector).pixelColor(7, 7), QColor(0, 128, 0));

    // A press dragged off the swatch is no click: no dialog at all.
    QTest::mousePress(&selector, Qt::LeftButton, {}, QPoint(7, 7));
    QTest::mouseRelease(&selector, Qt::LeftButton, {}, QPoint(30, 7));
    EXPECT_EQ(script.Requests().size(), 1u);
}
