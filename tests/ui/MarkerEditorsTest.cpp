// The marker preview control, the "Data Series" dialogs and the spin letter,
// driven headless with simulated input and scripted dialogs.
#include "support/ScriptedInteraction.h"
#include "support/TestSupport.h"
#include "ui/ColorSelector.h"
#include "ui/MarkerSelector.h"
#include "ui/MarkerSelectorForm.h"
#include "ui/SeriesOptionForm.h"
#include "ui/SpinLetterFrame.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <limits>

namespace {
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);
const QColor White(255, 255, 255);

void ShowAndWait(QWidget &window)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
}

// A square of size 11 (radius 5) in red with a one-pixel red line.
TMarkerDefinition RedSquare()
{
    TMarkerDefinition marker;
    marker.SetShape(dmSquare);
    marker.SetSize(11);
    marker.MarkerBrush().setColor(Red);
    marker.MarkerPen().setColor(Red);
    marker.LinePen().setColor(Red);
    return marker;
}

// Shows the dialog through the scripted interaction with the marker copied
// in and lets action work it.
void RunDialog(TMarkerOptionsForm &dialog, const TMarkerDefinition &marker,
               const std::function<void()> &action = {})
{
    TScriptedInteraction script;
    script.ExpectDialog(QDialog::Accepted, [&](QDialog &) {
        if (action)
            action();
    });
    dialog.MarkerDefinition().Assign(marker);
    dialog.ExecuteAt(QPoint(20, 20));
}
} // namespace

TEST(MarkerSelector, PropertiesWorkOnTheMarkerDefinition)
{
    TMarkerSelector selector;
    EXPECT_EQ(selector.size(), QSize(40, 20));
    EXPECT_EQ(selector.Color(), QColor(0, 0, 255));
    selector.SetColor(Green);
    EXPECT_EQ(selector.MarkerDefinition().MarkerBrush().color(), Green);
    EXPECT_EQ(selector.MarkerDefinition().MarkerPen().color(), Green);
    EXPECT_EQ(selector.MarkerDefinition().LinePen().color(), Green);
    selector.SetLineWidth(3);
    selector.SetLineStyle(mslsNone);
    EXPECT_EQ(selector.MarkerDefinition().LinePen().style(), Qt::NoPen);
    EXPECT_EQ(selector.LineStyle(), mslsNone);

    // Any other pen style reads as solid and becomes solid.
    for (Qt::PenStyle style : {Qt::DashLine, Qt::DotLine, Qt::DashDotLine}) {
        TMarkerDefinition marker = selector.MarkerDefinition();
        marker.LinePen().setStyle(style);
        selector.SetMarkerDefinition(marker);
        EXPECT_EQ(selector.LineStyle(), mslsSolid) << int(style);
        EXPECT_EQ(selector.MarkerDefinition().LinePen().style(), Qt::SolidLine);
        EXPECT_EQ(selector.MarkerDefinition().LinePen().width(), 3);
    }
}

TEST(MarkerSelector, PaintsTheLegendSampleAroundFifteenTen)
{
    QWidget window;
    TMarkerSelector selector(&window);
    selector.SetMarkerDefinition(RedSquare());
    // The square's one-pixel outline covers columns and rows 10 .. 14 of the
    // box (10, 5, 20, 15); the line runs from x 5 up to, not including, 35.
    const QImage picture = selector.Picture();
    for (QPoint p : {QPoint(10, 5), QPoint(19, 14), QPoint(15, 10), QPoint(5, 10), QPoint(34, 10)})
        EXPECT_EQ(picture.pixelColor(p), Red) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(20, 5), QPoint(15, 4), QPoint(4, 10), QPoint(35, 10)})
        EXPECT_EQ(qAlpha(picture.pixel(p)), 0) << p.x() << "," << p.y();

    // On screen the parent's background shows around the sample.
    ShowAndWait(window);
    const QImage shown = selector.grab().toImage();
    EXPECT_EQ(shown.pixelColor(34, 10), Red);
    EXPECT_EQ(shown.pixelColor(15, 2), window.palette().color(QPalette::Window));

    // A sample too long for pixel arithmetic paints nothing instead of failing.
    TMarkerDefinition huge = RedSquare();
    huge.SetLegendLineEnd(std::numeric_limits<int32_t>::max());
    selector.SetMarkerDefinition(huge);
    EXPECT_EQ(qAlpha(selector.Picture().pixel(15, 10)), 0);
    selector.grab();
}

TEST(MarkerSelector, PressOpensItsOwnDialogUnlessOnMouseDownIsSet)
{
    QWidget window;
    window.move(30, 40);
    TMarkerSelector selector(&window);
    selector.move(10, 10);
    int changes = 0;
    selector.OnChange = [&] { ++changes; };
    ShowAndWait(window);

    TScriptedInteraction script;
    QPoint shownAt;
    script.ExpectDialog(QDialog::Accepted, [&](QDialog &dialog) {
        auto &form = static_cast<TfrmMarkerSelector &>(dialog);
        shownAt = form.pos();
        EXPECT_EQ(form.MarkerDefinition(), selector.MarkerDefinition());
        form.ShapeChosen(QStringLiteral("Square"));
    });
    QTest::mousePress(&selector, Qt::LeftButton, {}, QPoint(5, 6));
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].DialogClass, QStringLiteral("TfrmMarkerSelector"));
    EXPECT_EQ(shownAt, selector.mapToGlobal(QPoint(5, 6)));
    EXPECT_EQ(selector.MarkerType(), dmSquare);
    EXPECT_EQ(changes, 1);

    // Cancelled: the marker stays, and the control still reports the close.
    script.ExpectDialog(QDialog::Rejected, [&](QDialog &dialog) {
        static_cast<TfrmMarkerSelector &>(dialog).ShapeChosen(QStringLiteral("None"));
    });
    QTest::mousePress(&selector, Qt::LeftButton, {}, QPoint(5, 6));
    EXPECT_EQ(selector.MarkerType(), dmSquare);
    EXPECT_EQ(changes, 2);

    // A handler of its own replaces the dialog entirely.
    QPoint pressedAt;
    selector.OnMouseDown = [&](Qt::MouseButton button, QPoint position) {
        EXPECT_EQ(button, Qt::RightButton);
        pressedAt = position;
    };
    QTest::mousePress(&selector, Qt::RightButton, {}, QPoint(12, 7));
    EXPECT_EQ(pressedAt, QPoint(12, 7));
    EXPECT_EQ(script.Requests().size(), 2u);
    EXPECT_EQ(changes, 2);
}

TEST(MarkerOptionsForm, ShowingFillsTheControlsWithoutChangingTheMarker)
{
    TfrmSeriesOptions dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Data Series"));
    struct TCase
    {
        TDataMarker Shape;
        Qt::PenStyle Style;
        const char *ShapeText;
        const char *StyleText;
    };
    const TCase cases[] = {
        {dmSquare, Qt::DashLine, "Square", "Dash"},
        {dmTriangle, Qt::DotLine, "Triangle", "Dot"},
        {dmNone, Qt::NoPen, "None", "None"},
    };
    for (const TCase &c : cases) {
        TMarkerDefinition marker = RedSquare();
        marker.SetShape(c.Shape);
        marker.SetSize(9);
        marker.MarkerBrush().setColor(Green);
        marker.LinePen().setWidth(4);
        marker.LinePen().setStyle(c.Style);
        RunDialog(dialog, marker);
        EXPECT_EQ(dialog.speMarkerSize->value(), 9);
        EXPECT_EQ(dialog.speLineWidth->value(), 4);
        EXPECT_EQ(dialog.cselMarker->Color(), Green);
        EXPECT_EQ(dialog.cmbMarkerShape->currentText(), QString::fromLatin1(c.ShapeText));
        EXPECT_EQ(dialog.cmbLineStyle->currentText(), QString::fromLatin1(c.StyleText));
        EXPECT_EQ(dialog.MarkerDefinition(), marker) << c.ShapeText;
    }
    // A style the dialog cannot show is shown, and made, solid.
    TMarkerDefinition marker = RedSquare();
    marker.LinePen().setStyle(Qt::DashDotDotLine);
    RunDialog(dialog, marker);
    EXPECT_EQ(dialog.cmbLineStyle->currentText(), QStringLiteral("Solid"));
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().style(), Qt::SolidLine);
    // A size beyond the box's range is shown at its limit but kept.
    marker.SetSize(30);
    RunDialog(dialog, marker);
    EXPECT_EQ(dialog.speMarkerSize->value(), 25);
    EXPECT_EQ(dialog.MarkerDefinition().Size(), 30);
}

TEST(MarkerOptionsForm, ChoicesAndClamping)
{
    TfrmMarkerSelector dialog;
    dialog.MarkerDefinition().Assign(RedSquare());
    dialog.ShapeChosen(QStringLiteral("Triangle"));
    EXPECT_EQ(dialog.MarkerDefinition().Shape(), dmTriangle);
    dialog.ShapeChosen(QStringLiteral("None"));
    EXPECT_EQ(dialog.MarkerDefinition().Shape(), dmNone);
    dialog.ShapeChosen(QStringLiteral("square"));
    EXPECT_EQ(dialog.MarkerDefinition().Shape(), dmCircle);
    EXPECT_EQ(dialog.cmbMarkerShape->currentText(), QStringLiteral("Circle"));

    dialog.StyleChosen(QStringLiteral("Dash"));
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().style(), Qt::DashLine);
    dialog.StyleChosen(QStringLiteral("None"));
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().style(), Qt::NoPen);
    dialog.StyleChosen(QStringLiteral("Wavy"));
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().style(), Qt::SolidLine);
    EXPECT_EQ(dialog.cmbLineStyle->currentText(), QStringLiteral("Solid"));
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().color(), Red);

    const std::pair<int, int> widths[] = {{-1, 0}, {11, 10}, {4, 4}};
    for (const auto &[given, taken] : widths) {
        dialog.WidthChanged(given);
        EXPECT_EQ(dialog.MarkerDefinition().LinePen().width(), taken) << given;
    }
    const std::pair<int, int> sizes[] = {{-5, 0}, {51, 50}, {13, 13}};
    for (const auto &[given, taken] : sizes) {
        dialog.SizeChanged(given);
        EXPECT_EQ(dialog.MarkerDefinition().Size(), taken) << given;
        EXPECT_EQ(dialog.MarkerDefinition().HalfSize(), taken / 2) << given;
    }
    // The controls drive the same operations.
    dialog.speLineWidth->setValue(2);
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().width(), 2);
    dialog.cmbMarkerShape->setCurrentIndex(3);
    emit dialog.cmbMarkerShape->textActivated(dialog.cmbMarkerShape->currentText());
    EXPECT_EQ(dialog.MarkerDefinition().Shape(), dmSquare);
}

TEST(MarkerOptionsForm, TypingIntoTheCombosIsIgnored)
{
    TfrmMarkerSelector dialog;
    RunDialog(dialog, RedSquare(), [&] {
        QTest::keyClicks(dialog.cmbMarkerShape, QStringLiteral("None"));
        QTest::keyClicks(dialog.cmbMarkerShape->lineEdit(), QStringLiteral("Tri"));
        QTest::keyClick(dialog.cmbLineStyle->lineEdit(), Qt::Key_Backspace);
        QTest::keyClicks(dialog.cmbLineStyle, QStringLiteral("None"));
        QTest::keyClick(dialog.cmbLineStyle, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.cmbMarkerShape->currentText(), QStringLiteral("Square"));
    EXPECT_EQ(dialog.cmbLineStyle->currentText(), QStringLiteral("Solid"));
    EXPECT_EQ(dialog.cmbLineStyle->count(), 2);
    EXPECT_EQ(dialog.MarkerDefinition(), RedSquare());
}

TEST(MarkerOptionsForm, PreviewIsTheSampleOnTheCanvasBrush)
{
    TfrmMarkerSelector dialog;
    dialog.MarkerDefinition().Assign(RedSquare());
    dialog.Redraw();
    const QImage &preview = dialog.Preview();
    ASSERT_EQ(preview.size(), QSize(40, 20));
    for (QPoint p : {QPoint(0, 0), QPoint(4, 10), QPoint(15, 4), QPoint(35, 10)})
        EXPECT_EQ(preview.pixelColor(p), White) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(5, 10), QPoint(10, 5), QPoint(15, 10)})
        EXPECT_EQ(preview.pixelColor(p), Red) << p.x() << "," << p.y();
    EXPECT_EQ(dialog.imgMarker->pixmap().toImage().convertToFormat(preview.format()), preview);
}

TEST(MarkerOptionsForm, DestroyedWithAComboFocused)
{
    // An editable combo box whose text names an item other than its current
    // one picks that item when focus leaves it, which also happens while the
    // dialog is being destroyed.
    TMarkerSelector owner;
    auto dialog = std::make_unique<TfrmMarkerSelector>(&owner);
    dialog->MarkerDefinition().Assign(RedSquare());
    dialog->show();
    dialog->activateWindow();
    dialog->cmbMarkerShape->setFocus();
    ASSERT_TRUE(WaitFor([&] { return dialog->cmbMarkerShape->hasFocus(); }));
    dialog.reset();
}

TEST(MarkerOptionsForm, DialogStaysOnTheScreen)
{
    const QRect screen(0, 0, 800, 600);
    const QSize size(200, 150);
    EXPECT_EQ(FitOnScreen(QPoint(600, 450), size, screen), QPoint(600, 450));
    EXPECT_EQ(FitOnScreen(QPoint(601, 451), size, screen), QPoint(600, 450));
    EXPECT_EQ(FitOnScreen(QPoint(-20, -5), size, screen), QPoint(0, 0));
    // A second screen to the right, and a dialog larger than the screen.
    EXPECT_EQ(FitOnScreen(QPoint(1700, 10), size, QRect(800, 0, 1024, 768)), QPoint(1624, 10));
    EXPECT_EQ(FitOnScreen(QPoint(50, 50), QSize(900, 700), screen), QPoint(0, 0));
}

TEST(SpinLetter, StepsBetweenAAndCAndNeverBeyond)
{
    QWidget window;
    TfraSpinLetter spin(&window);
    ShowAndWait(window);
    EXPECT_EQ(spin.Letter(), QChar(u'A'));
    spin.Down();
    EXPECT_EQ(spin.Letter(), QChar(u'A'));
    QTest::mouseClick(spin.btnUp, Qt::LeftButton);
    QTest::mouseClick(spin.btnUp, Qt::LeftButton);
    QTest::mouseClick(spin.btnUp, Qt::LeftButton);
    EXPECT_EQ(spin.Letter(), QChar(u'C'));
    QTest::mouseClick(spin.btnDown, Qt::LeftButton);
    EXPECT_EQ(spin.Letter(), QChar(u'B'));
    QTest::keyClicks(spin.edtLetter, QStringLiteral("Z"));
    QTest::keyClick(spin.edtLetter, Qt::Key_Backspace);
    EXPECT_EQ(spin.edtLetter->text(), QStringLiteral("B"));

    spin.SetLetter(QChar());
    try {
        spin.Letter();
        ADD_FAILURE() << "no error for an empty box";
    } catch (const ESpinLetterError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("No character set"));
    }
}
