// The marker preview control, the "Data Series" dialogs and the spin letter,
// driven headless with simulated input and scripted dialogs.
#include "foundation/LocalUtilities.h"
#include "support/ScriptedInteraction.h"
#include "support/TestSupport.h"
#include "ui/ColorSelector.h"
#include "ui/MarkerSelector.h"
#include "ui/MarkerSelectorForm.h"
#include "ui/SeriesOptionForm.h"
#include "ui/SkewTSeriesOptionForm.h"
#include "ui/SpinLetterFrame.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
const QColor Red(255, 0, 0);
const QColor Green(0, 128, 0);
const QColor Blue(0, 0, 255);

void ShowAndWait(QWidget &window)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
}

QColor PixelAt(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
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

// Runs the dialog through the scripted interaction with the given marker,
// lets action work it and returns its result.
template <class TDialog>
int RunDialog(TDialog &dialog, const TMarkerDefinition &marker, int result,
              std::function<void(TDialog &)> action)
{
    TScriptedInteraction script;
    script.ExpectDialog(result, [&](QDialog &shown) {
        auto *typed = qobject_cast<TDialog *>(&shown);
        EXPECT_EQ(typed, &dialog);
        if (typed && action)
            action(*typed);
    });
    dialog.MarkerDefinition().Assign(marker);
    return dialog.ExecuteAt(QPoint(20, 20));
}
} // namespace

TEST(MarkerSelector, PropertiesReadAndWriteTheMarkerDefinition)
{
    TMarkerSelector selector;
    EXPECT_EQ(selector.size(), QSize(40, 20));
    EXPECT_EQ(selector.Color(), Blue);
    EXPECT_EQ(selector.MarkerDefinition().MarkerPen().color(), Blue);
    EXPECT_EQ(selector.MarkerDefinition().LinePen().color(), Blue);
    EXPECT_EQ(selector.LineStyle(), mslsSolid);

    selector.SetColor(Green);
    EXPECT_EQ(selector.MarkerDefinition().MarkerBrush().color(), Green);
    EXPECT_EQ(selector.MarkerDefinition().MarkerPen().color(), Green);
    EXPECT_EQ(selector.MarkerDefinition().LinePen().color(), Green);
    selector.SetMarkerSize(9);
    EXPECT_EQ(selector.MarkerDefinition().HalfSize(), 4);
    selector.SetMarkerType(dmTriangle);
    EXPECT_EQ(selector.MarkerType(), dmTriangle);
    selector.SetLineWidth(3);
    EXPECT_EQ(selector.MarkerDefinition().LinePen().width(), 3);
    EXPECT_EQ(selector.MarkerDefinition().MarkerPen().width(), 1);

    selector.SetLineStyle(mslsNone);
    EXPECT_EQ(selector.MarkerDefinition().LinePen().style(), Qt::NoPen);
    EXPECT_EQ(selector.LineStyle(), mslsNone);
    selector.SetLineStyle(mslsSolid);
    EXPECT_EQ(selector.MarkerDefinition().LinePen().style(), Qt::SolidLine);
}

TEST(MarkerSelector, DashedOrDottedPenReadsAsSolidAndBecomesSolid)
{
    for (Qt::PenStyle style : {Qt::DashLine, Qt::DotLine, Qt::DashDotLine}) {
        TMarkerSelector selector;
        TMarkerDefinition marker = selector.MarkerDefinition();
        marker.LinePen().setStyle(style);
        marker.LinePen().setWidth(2);
        selector.SetMarkerDefinition(marker);
        EXPECT_EQ(selector.LineStyle(), mslsSolid) << int(style);
        EXPECT_EQ(selector.MarkerDefinition().LinePen().style(), Qt::SolidLine) << int(style);
        EXPECT_EQ(selector.MarkerDefinition().LinePen().width(), 2);
    }
}

TEST(MarkerSelector, PaintsTheLegendSampleAroundFifteenTen)
{
    QWidget window;
    window.resize(80, 40);
    TMarkerSelector selector(&window);
    selector.SetMarkerDefinition(RedSquare());

    // The square's one-pixel outline covers columns and rows 10 .. 14 of the
    // box (10, 5, 20, 15); the line runs from x 5 up to, not including, 35.
    const QImage picture = selector.Picture();
    EXPECT_EQ(picture.size(), QSize(40, 20));
    EXPECT_EQ(PixelAt(picture, 10, 5), Red);
    EXPECT_EQ(PixelAt(picture, 19, 14), Red);
    EXPECT_EQ(PixelAt(picture, 15, 10), Red);
    EXPECT_EQ(qAlpha(picture.pixel(20, 5)), 0);
    EXPECT_EQ(qAlpha(picture.pixel(15, 4)), 0);
    EXPECT_EQ(PixelAt(picture, 5, 10), Red);
    EXPECT_EQ(PixelAt(picture, 34, 10), Red);
    EXPECT_EQ(qAlpha(picture.pixel(4, 10)), 0);
    EXPECT_EQ(qAlpha(picture.pixel(35, 10)), 0);

    // On screen the parent's background shows around the sample.
    ShowAndWait(window);
    const QImage shown = selector.grab().toImage();
    EXPECT_EQ(PixelAt(shown, 15, 10), Red);
    EXPECT_EQ(PixelAt(shown, 34, 10), Red);
    EXPECT_EQ(PixelAt(shown, 15, 2), window.palette().color(QPalette::Window));

    // A marker too large for pixel arithmetic paints nothing instead of failing.
    TMarkerDefinition huge = RedSquare();
    huge.SetLegendLineEnd(std::numeric_limits<int32_t>::max());
    selector.SetMarkerDefinition(huge);
    EXPECT_EQ(qAlpha(selector.Picture().pixel(15, 10)), 0);
    selector.grab();
}

TEST(MarkerSelector, PressOpensItsOwnDialogAndOkTakesTheResult)
{
    QWidget window;
    window.resize(100, 60);
    window.move(30, 40);
    TMarkerSelector selector(&window);
    selector.move(10, 10);
    int changes = 0;
    selector.OnChange = [&] { ++changes; };
    ShowAndWait(window);

    TScriptedInteraction script;
    QPoint shownAt;
    TDataMarker shapeShown = dmNone;
    script.ExpectDialog(QDialog::Accepted, [&](QDialog &dialog) {
        auto &form = static_cast<TfrmMarkerSelector &>(dialog);
        shownAt = form.pos();
        shapeShown = form.MarkerDefinition().Shape();
        form.ShapeChosen(QStringLiteral("Square"));
        form.SizeChanged(11);
    });
    QTest::mousePress(&selector, Qt::LeftButton, {}, QPoint(5, 6));
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].DialogClass, QStringLiteral("TfrmMarkerSelector"));
    EXPECT_EQ(script.Requests()[0].Caption, QStringLiteral("Data Series"));
    EXPECT_EQ(shapeShown, dmCircle);
    EXPECT_EQ(shownAt, selector.mapToGlobal(QPoint(5, 6)));
    EXPECT_EQ(selector.MarkerType(), dmSquare);
    EXPECT_EQ(selector.MarkerSize(), 11);
    EXPECT_EQ(changes, 1);

    // Cancelled: the marker stays, and the control still reports the close.
    script.ExpectDialog(QDialog::Rejected, [&](QDialog &dialog) {
        static_cast<TfrmMarkerSelector &>(dialog).ShapeChosen(QStringLiteral("None"));
    });
    QTest::mousePress(&selector, Qt::LeftButton, {}, QPoint(5, 6));
    EXPECT_EQ(selector.MarkerType(), dmSquare);
    EXPECT_EQ(changes, 2);
}

TEST(MarkerSelector, OnMouseDownReplacesTheOwnDialog)
{
    QWidget window;
    TMarkerSelector selector(&window);
    int changes = 0;
    selector.OnChange = [&] { ++changes; };
    Qt::MouseButton button = Qt::NoButton;
    QPoint position;
    selector.OnMouseDown = [&](Qt::MouseButton b, QPoint p) {
        button = b;
        position = p;
    };
    ShowAndWait(window);
    // The refusing interaction of the test program fails on any dialog.
    QTest::mousePress(&selector, Qt::RightButton, {}, QPoint(12, 7));
    EXPECT_EQ(button, Qt::RightButton);
    EXPECT_EQ(position, QPoint(12, 7));
    EXPECT_EQ(changes, 0);
}

TEST(MarkerOptionsForm, ShowingFillsTheControlsFromTheMarker)
{
    TfrmSeriesOptions dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Data Series"));
    EXPECT_EQ(dialog.cmbMarkerShape->currentText(), QStringLiteral("Circle"));
    EXPECT_EQ(dialog.cmbLineStyle->currentText(), QStringLiteral("Solid"));
    EXPECT_EQ(dialog.speMarkerSize->value(), 5);
    EXPECT_EQ(dialog.speLineWidth->value(), 1);
    EXPECT_EQ(dialog.cselMarker->Color(), Blue);
    EXPECT_EQ(dialog.speMarkerSize->minimum(), 1);
    EXPECT_EQ(dialog.speMarkerSize->maximum(), 25);
    EXPECT_EQ(dialog.speLineWidth->minimum(), 1);
    EXPECT_EQ(dialog.speLineWidth->maximum(), 10);
    ASSERT_EQ(dialog.cmbMarkerShape->count(), 4);
    EXPECT_EQ(dialog.cmbMarkerShape->itemText(2), QStringLiteral("Triangle"));
    ASSERT_EQ(dialog.cmbLineStyle->count(), 2);
    EXPECT_EQ(dialog.cmbLineStyle->itemText(0), QStringLiteral("None"));

    struct TCase
    {
        TDataMarker Shape;
        Qt::PenStyle Style;
        const char *ShapeText;
        const char *StyleText;
        Qt::PenStyle StyleAfter;
    };
    const TCase cases[] = {
        {dmSquare, Qt::DashLine, "Square", "Dash", Qt::DashLine},
        {dmTriangle, Qt::DotLine, "Triangle", "Dot", Qt::DotLine},
        {dmNone, Qt::NoPen, "None", "None", Qt::NoPen},
        {dmCircle, Qt::DashDotDotLine, "Circle", "Solid", Qt::SolidLine},
    };
    for (const TCase &c : cases) {
        TMarkerDefinition marker = RedSquare();
        marker.SetShape(c.Shape);
        marker.SetSize(9);
        marker.MarkerBrush().setColor(Green);
        marker.LinePen().setWidth(4);
        marker.LinePen().setStyle(c.Style);
        int size = 0, width = 0;
        QColor color;
        QString shapeText, styleText;
        EXPECT_EQ(RunDialog<TfrmSeriesOptions>(dialog, marker, QDialog::Accepted,
                                               [&](TfrmSeriesOptions &d) {
                                                   size = d.speMarkerSize->value();
                                                   width = d.speLineWidth->value();
                                                   color = d.cselMarker->Color();
                                                   shapeText = d.cmbMarkerShape->currentText();
                                                   styleText = d.cmbLineStyle->currentText();
                                               }),
                  QDialog::Accepted);
        EXPECT_EQ(size, 9);
        EXPECT_EQ(width, 4);
        EXPECT_EQ(color, Green);
        EXPECT_EQ(shapeText, QString::fromLatin1(c.ShapeText));
        EXPECT_EQ(styleText, QString::fromLatin1(c.StyleText));
        // Only a style the dialog cannot show is changed by showing it.
        EXPECT_EQ(dialog.MarkerDefinition().LinePen().style(), c.StyleAfter);
        EXPECT_EQ(dialog.MarkerDefinition().Shape(), c.Shape);
    }

    // A size beyond the box's range is shown at the limit but not changed
    // unless the operator changes it.
    TMarkerDefinition large = RedSquare();
    large.SetSize(30);
    RunDialog<TfrmSeriesOptions>(dialog, large, QDialog::Accepted, {});
    EXPECT_EQ(dialog.speMarkerSize->value(), 25);
    EXPECT_EQ(dialog.MarkerDefinition().Size(), 30);
}

TEST(MarkerOptionsForm, ShapeAndStyleChoicesWithFallbacks)
{
    TfrmSkewTSeriesOptions dialog;
    dialog.MarkerDefinition().Assign(RedSquare());
    const std::pair<const char *, TDataMarker> shapes[] = {
        {"None", dmNone}, {"Circle", dmCircle}, {"Square", dmSquare}, {"Triangle", dmTriangle}};
    for (const auto &[text, shape] : shapes) {
        dialog.ShapeChosen(QString::fromLatin1(text));
        EXPECT_EQ(dialog.MarkerDefinition().Shape(), shape) << text;
    }
    dialog.ShapeChosen(QStringLiteral("square"));
    EXPECT_EQ(dialog.MarkerDefinition().Shape(), dmCircle);
    EXPECT_EQ(dialog.cmbMarkerShape->currentText(), QStringLiteral("Circle"));

    const std::pair<const char *, Qt::PenStyle> styles[] = {{"None", Qt::NoPen},
                                                            {"Dash", Qt::DashLine},
                                                            {"Dot", Qt::DotLine},
                                                            {"Solid", Qt::SolidLine}};
    for (const auto &[text, style] : styles) {
        dialog.StyleChosen(QString::fromLatin1(text));
        EXPECT_EQ(dialog.MarkerDefinition().LinePen().style(), style) << text;
    }
    dialog.StyleChosen(QStringLiteral("None"));
    dialog.StyleChosen(QStringLiteral("Wavy"));
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().style(), Qt::SolidLine);
    EXPECT_EQ(dialog.cmbLineStyle->currentText(), QStringLiteral("Solid"));
    // The style choice leaves the line's colour and width alone.
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().color(), Red);
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().width(), 1);

    // Picking from the list goes through the same choice.
    dialog.cmbMarkerShape->setCurrentIndex(2);
    emit dialog.cmbMarkerShape->textActivated(dialog.cmbMarkerShape->currentText());
    EXPECT_EQ(dialog.MarkerDefinition().Shape(), dmTriangle);
}

TEST(MarkerOptionsForm, TypingIntoTheCombosIsIgnored)
{
    TfrmMarkerSelector dialog;
    RunDialog<TfrmMarkerSelector>(
        dialog, RedSquare(), QDialog::Accepted, [&](TfrmMarkerSelector &d) {
            QTest::keyClicks(d.cmbMarkerShape, QStringLiteral("None"));
            QTest::keyClicks(d.cmbMarkerShape->lineEdit(), QStringLiteral("Tri"));
            QTest::keyClick(d.cmbLineStyle->lineEdit(), Qt::Key_Backspace);
            QTest::keyClicks(d.cmbLineStyle, QStringLiteral("None"));
            QTest::keyClick(d.cmbLineStyle, Qt::Key_Return);
        });
    EXPECT_EQ(dialog.cmbMarkerShape->currentText(), QStringLiteral("Square"));
    EXPECT_EQ(dialog.cmbLineStyle->currentText(), QStringLiteral("Solid"));
    EXPECT_EQ(dialog.cmbLineStyle->count(), 2);
    EXPECT_EQ(dialog.MarkerDefinition(), RedSquare());
}

TEST(MarkerOptionsForm, ColourPickSetsFillOutlineAndLine)
{
    TfrmSeriesOptions dialog;
    TScriptedInteraction script;
    script.ExpectDialog(QDialog::Rejected, [&](QDialog &) {
        QTest::mouseClick(dialog.cselMarker, Qt::LeftButton, {}, QPoint(7, 7));
        QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
    });
    script.ExpectColor(Green);
    dialog.MarkerDefinition().Assign(RedSquare());
    EXPECT_EQ(dialog.ExecuteAt(QPoint(0, 0)), QDialog::Accepted);
    ASSERT_EQ(script.Requests().size(), 2u);
    EXPECT_EQ(script.Requests()[1].Color, Red);
    EXPECT_EQ(dialog.MarkerDefinition().MarkerBrush().color(), Green);
    EXPECT_EQ(dialog.MarkerDefinition().MarkerPen().color(), Green);
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().color(), Green);
    EXPECT_EQ(PixelAt(dialog.Preview(), 15, 10), Green);
}

TEST(MarkerOptionsForm, WidthAndSizeAreClamped)
{
    TfrmSeriesOptions dialog;
    dialog.WidthChanged(-1);
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().width(), 0);
    dialog.WidthChanged(11);
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().width(), 10);
    dialog.WidthChanged(4);
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().width(), 4);

    dialog.SizeChanged(-5);
    EXPECT_EQ(dialog.MarkerDefinition().Size(), 0);
    EXPECT_EQ(dialog.MarkerDefinition().HalfSize(), 0);
    dialog.SizeChanged(51);
    EXPECT_EQ(dialog.MarkerDefinition().Size(), 50);
    EXPECT_EQ(dialog.MarkerDefinition().HalfSize(), 25);
    // The spin boxes drive the same operations.
    dialog.speMarkerSize->setValue(13);
    EXPECT_EQ(dialog.MarkerDefinition().HalfSize(), 6);
    dialog.speLineWidth->setValue(2);
    EXPECT_EQ(dialog.MarkerDefinition().LinePen().width(), 2);
}

TEST(MarkerOptionsForm, PreviewIsTheSampleOnTheCanvasBrush)
{
    TfrmSkewTSeriesOptions dialog;
    dialog.MarkerDefinition().Assign(RedSquare());
    dialog.Redraw();
    const QImage &preview = dialog.Preview();
    ASSERT_EQ(preview.size(), QSize(40, 20));
    EXPECT_EQ(PixelAt(preview, 0, 0), QColor(Qt::white));
    EXPECT_EQ(PixelAt(preview, 4, 10), QColor(Qt::white));
    EXPECT_EQ(PixelAt(preview, 5, 10), Red);
    EXPECT_EQ(PixelAt(preview, 10, 5), Red);
    EXPECT_EQ(PixelAt(preview, 15, 4), QColor(Qt::white));
    EXPECT_EQ(PixelAt(preview, 35, 10), QColor(Qt::white));
    EXPECT_EQ(dialog.imgMarker->pixmap().toImage().convertToFormat(preview.format()), preview);

    dialog.ShapeChosen(QStringLiteral("None"));
    dialog.StyleChosen(QStringLiteral("None"));
    EXPECT_EQ(dialog.Preview().pixelColor(15, 10), QColor(Qt::white));
    EXPECT_EQ(dialog.Preview().pixelColor(5, 10), QColor(Qt::white));
}

TEST(MarkerOptionsForm, DialogStaysOnTheScreen)
{
    const QRect screen(0, 0, 800, 600);
    const QSize size(200, 150);
    EXPECT_EQ(FitOnScreen(QPoint(100, 100), size, screen), QPoint(100, 100));
    EXPECT_EQ(FitOnScreen(QPoint(600, 450), size, screen), QPoint(600, 450));
    EXPECT_EQ(FitOnScreen(QPoint(601, 451), size, screen), QPoint(600, 450));
    EXPECT_EQ(FitOnScreen(QPoint(790, 590), size, screen), QPoint(600, 450));
    EXPECT_EQ(FitOnScreen(QPoint(-20, -5), size, screen), QPoint(0, 0));
    // A second screen to the right, and a dialog larger than the screen.
    EXPECT_EQ(FitOnScreen(QPoint(1700, 10), size, QRect(800, 0, 1024, 768)), QPoint(1624, 10));
    EXPECT_EQ(FitOnScreen(QPoint(50, 50), QSize(900, 700), screen), QPoint(0, 0));
}

TEST(SeriesOptions, AxisNumberIsTheSpinLetter)
{
    TfrmSeriesOptions dialog;
    EXPECT_EQ(dialog.GetAxisNumber(), 1);
    dialog.SetAxisNumber(3);
    EXPECT_EQ(dialog.fraLetter->edtLetter->text(), QStringLiteral("C"));
    EXPECT_EQ(dialog.GetAxisNumber(), 3);
    dialog.SetAxisNumber(2);
    EXPECT_EQ(dialog.GetAxisNumber(), 2);
}

TEST(SpinLetter, StepsBetweenAAndCAndNeverBeyond)
{
    QWidget window;
    TfraSpinLetter spin(&window);
    ShowAndWait(window);
    EXPECT_EQ(spin.Letter(), QChar(u'A'));
    spin.Down();
    EXPECT_EQ(spin.Letter(), QChar(u'A'));
    spin.Up();
    EXPECT_EQ(spin.Letter(), QChar(u'B'));
    QTest::mouseClick(spin.btnUp, Qt::LeftButton);
    EXPECT_EQ(spin.Letter(), QChar(u'C'));
    QTest::mouseClick(spin.btnUp, Qt::LeftButton);
    spin.Up();
    EXPECT_EQ(spin.Letter(), QChar(u'C'));
    QTest::mouseClick(spin.btnDown, Qt::LeftButton);
    EXPECT_EQ(spin.Letter(), QChar(u'B'));

    // Typing changes nothing.
    QTest::keyClicks(spin.edtLetter, QStringLiteral("Z"));
    QTest::keyClick(spin.edtLetter, Qt::Key_Backspace);
    EXPECT_EQ(spin.edtLetter->text(), QStringLiteral("B"));

    // A letter set from outside the range steps back into it, never further out.
    spin.SetLetter(QChar(u'E'));
    spin.Up();
    EXPECT_EQ(spin.Letter(), QChar(u'E'));
    spin.Down();
    EXPECT_EQ(spin.Letter(), QChar(u'D'));

    spin.SetLetter(QChar());
    EXPECT_TRUE(spin.edtLetter->text().isEmpty());
    try {
        spin.Letter();
        ADD_FAILURE() << "no error for an empty box";
    } catch (const ESpinLetterError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("No character set"));
    }
    EXPECT_THROW(spin.Up(), ESpinLetterError);
}

TEST(MarkerOptionsForm, ClosingWithAComboFocusedChangesNothing)
{
    // A combo box's text field losing focus (to another window, or when the
    // dialog is destroyed) must neither choose an item nor touch the marker.
    TMarkerSelector owner;
    auto dialog = std::make_unique<TfrmMarkerSelector>(&owner);
    TMarkerDefinition marker = RedSquare();
    marker.LinePen().setStyle(Qt::DashLine);
    RunDialog<TfrmMarkerSelector>(*dialog, marker, QDialog::Accepted, [&](TfrmMarkerSelector &d) {
        d.activateWindow();
        d.cmbMarkerShape->setFocus();
        ASSERT_TRUE(WaitFor([&] { return d.cmbMarkerShape->hasFocus(); }));
        d.cmbLineStyle->setFocus();
        ASSERT_TRUE(WaitFor([&] { return d.cmbLineStyle->hasFocus(); }));
        d.btnOK->setFocus();
        ASSERT_TRUE(WaitFor([&] { return d.btnOK->hasFocus(); }));
    });
    EXPECT_EQ(dialog->MarkerDefinition(), marker);

    dialog = std::make_unique<TfrmMarkerSelector>(&owner);
    dialog->MarkerDefinition().Assign(marker);
    dialog->show();
    dialog->activateWindow();
    dialog->cmbMarkerShape->setFocus();
    ASSERT_TRUE(WaitFor([&] { return dialog->cmbMarkerShape->hasFocus(); }));
    dialog.reset();
}
