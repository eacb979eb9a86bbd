// The data list: one pane on its own, then the view with its frozen header
// and time column, driven headless with simulated keys and mouse.
#include "support/PaintCounter.h"
#include "support/TestSupport.h"
#include "ui/DataListView.h"

#include <QFontInfo>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
const QColor SkyBlue(0xA6, 0xCA, 0xF0);

void ShowAndWait(QWidget &window)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
}

QImage Render(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

// True when some pixel of the rectangle is dark (text).
bool HasInk(const QImage &image, const QRect &area)
{
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                return true;
    return false;
}

QString Row(int i)
{
    return QStringLiteral("%1   1013.2   22.4   45.0   123.0   5.0   and some more columns")
        .arg(i, 6);
}

// A shown view with header lines and data lines, as the main window fills it.
struct TFilledView
{
    TFilledView(int headers, int lines, QSize size = QSize(300, 150))
    {
        View.SetBackground(Qt::white);
        View.SetMinLeftPadding(100);
        for (int i = 0; i < headers; ++i)
            View.AddHeaderLine(
                QStringLiteral("Ch1 T   Ch2 P   Dewpt   Alt   Rise   header %1").arg(i));
        for (int i = 0; i < lines; ++i)
            View.AddLine(QStringLiteral("12:00:%1").arg(i % 60, 2, 10, QLatin1Char('0')), Row(i));
        View.resize(size);
        View.OnLineSelect = [this](TDataListView *) { ++Selections; };
    }
    TDataListView View;
    int Selections = 0;
    int LineHeight() { return View.RightPane().LineHeight(); }
    int ViewportHeight() { return View.viewport()->height(); }
};
} // namespace

TEST(DataList, SizesFollowTheTextAndTheMargins)
{
    TDataList pane;
    EXPECT_EQ(pane.size(), QSize(500, 500));
    const QFontInfo info(pane.font());
    EXPECT_TRUE(info.fixedPitch()) << info.family().toStdString();
    const QFontMetrics metrics(pane.font());
    const int lh = pane.LineHeight();
    EXPECT_EQ(lh, metrics.height());
    EXPECT_GT(lh, 8);

    // Margins alone do not end the initial size.
    pane.SetTopPadding(7);
    pane.SetLeftPadding(5);
    pane.SetRightPadding(3);
    pane.SetBottomPadding(2);
    EXPECT_EQ(pane.size(), QSize(500, 500));

    const int abc = metrics.horizontalAdvance(QStringLiteral("abc"));
    pane.AddLine(QStringLiteral("abc"));
    EXPECT_EQ(pane.size(), QSize(5 + abc + 3, lh + 7 + 2));
    pane.AddLine(QStringLiteral("a"));
    EXPECT_EQ(pane.size(), QSize(5 + abc + 3, 2 * lh + 7 + 2));
    EXPECT_EQ(pane.Widest(), abc);
    const int longer = metrics.horizontalAdvance(QStringLiteral("abcdefgh"));
    pane.AddLine(QStringLiteral("abcdefgh"));
    EXPECT_EQ(pane.Widest(), longer);
    EXPECT_EQ(pane.size(), QSize(5 + longer + 3, 3 * lh + 7 + 2));

    // A margin changed later re-sizes the pane at once.
    pane.SetLeftPadding(50);
    pane.SetTopPadding(20);
    EXPECT_EQ(pane.size(), QSize(50 + longer + 3, 3 * lh + 20 + 2));

    pane.Select(1);
    pane.Clear();
    EXPECT_EQ(pane.size(), QSize(50 + 3, 0));
    EXPECT_EQ(pane.LineCount(), 0);
    EXPECT_EQ(pane.Widest(), 0);
    EXPECT_EQ(pane.SelectedLine(), -1);
    pane.SetTopPadding(30);
    EXPECT_EQ(pane.height(), 0);
}

TEST(DataList, MeasuresEachTextAsTheFontLaysItOut)
{
    const QStringList texts{
        Row(1),
        Row(2).repeated(200), // 16,000 characters: no rounding creeps in
        QStringLiteral("   -12.5 \u00B0C   98 %   Error   \u00B5V"),
        QStringLiteral("soft\u00ADhyphen shapes to nothing"),
        QStringLiteral("\u20AC outside Latin-1 \u2212 and \u0394"),
        QStringLiteral("tab\tinside"),
        QStringLiteral("1234567\uFF21 a code above 0x8000 among ASCII"),
    };
    for (const QString &text : texts) {
        TDataList pane;
        pane.AddLine(text);
        EXPECT_EQ(pane.Widest(), QFontMetrics(pane.font()).horizontalAdvance(text))
            << text.toStdString();
    }
    // Also for a proportional face.
    TDataList pane;
    pane.setFont(QFont(QStringLiteral("Liberation Sans"), 13));
    pane.AddLine(QStringLiteral("WAVE fill iiii"));
    EXPECT_EQ(pane.Widest(),
              QFontMetrics(pane.font()).horizontalAdvance(QStringLiteral("WAVE fill iiii")));
}

TEST(DataList, SelectionOnlyOfExistingLinesAndNeverBackToNone)
{
    TDataList pane;
    for (int i = 0; i < 3; ++i)
        pane.AddLine(QString::number(i));
    pane.Select(3);
    EXPECT_EQ(pane.SelectedLine(), -1);
    pane.Select(2);
    EXPECT_EQ(pane.SelectedLine(), 2);
    pane.Select(-1);
    EXPECT_EQ(pane.SelectedLine(), 2);
    pane.Select(99);
    EXPECT_EQ(pane.SelectedLine(), 2);
    pane.SetSelectLines(false);
    pane.Select(0);
    EXPECT_EQ(pane.SelectedLine(), 2);
}

TEST(DataList, MousePressSelectsTheLineUnderIt)
{
    QWidget window;
    window.resize(400, 300);
    TDataList pane(&window);
    pane.SetTopPadding(20);
    pane.SetBottomPadding(10);
    for (int i = 0; i < 5; ++i)
        pane.AddLine(QStringLiteral("line %1").arg(i));
    int selects = 0;
    int clicks = 0;
    pane.OnLineSelect = [&](TDataList *sender) {
        EXPECT_EQ(sender, &pane);
        ++selects;
    };
    pane.OnClick = [&](TDataList *) { ++clicks; };
    ShowAndWait(window);
    const int lh = pane.LineHeight();

    QTest::mouseClick(&pane, Qt::LeftButton, {}, QPoint(10, 20 + 2 * lh + 1));
    EXPECT_EQ(pane.SelectedLine(), 2);
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(clicks, 1);
    // The last pixel row of line 2 and the first of line 3.
    QTest::mouseClick(&pane, Qt::LeftButton, {}, QPoint(10, 20 + 3 * lh - 1));
    EXPECT_EQ(selects, 1);
    QTest::mouseClick(&pane, Qt::LeftButton, {}, QPoint(10, 20 + 3 * lh));
    EXPECT_EQ(pane.SelectedLine(), 3);
    EXPECT_EQ(selects, 2);
    // The top margin is no line, nor is anything below the last line.
    QTest::mouseClick(&pane, Qt::LeftButton, {}, QPoint(10, 5));
    QTest::mouseClick(&pane, Qt::LeftButton, {}, QPoint(10, 20 + 5 * lh + 1));
    EXPECT_EQ(pane.SelectedLine(), 3);
    EXPECT_EQ(selects, 2);
    EXPECT_EQ(clicks, 5);

    pane.SetSelectLines(false);
    QTest::mouseClick(&pane, Qt::LeftButton, {}, QPoint(10, 20 + 1));
    EXPECT_EQ(selects, 2);
}

TEST(DataList, PaintsTheSelectedBandAndTheText)
{
    TDataList pane;
    pane.SetBackground(Qt::white);
    pane.SetTopPadding(10);
    pane.SetLeftPadding(30);
    for (int i = 0; i < 4; ++i)
        pane.AddLine(QStringLiteral("WWWW %1").arg(i));
    pane.Select(1);
    const int lh = pane.LineHeight();
    const QImage image = Render(pane);
    const int right = pane.width() - 1;
    EXPECT_EQ(image.pixelColor(right, 10 + lh - 1), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(right, 10 + lh), SkyBlue);
    EXPECT_EQ(image.pixelColor(0, 10 + 2 * lh - 1), SkyBlue);
    EXPECT_EQ(image.pixelColor(right, 10 + 2 * lh), QColor(Qt::white));
    // Text starts at the left margin of each line, nothing in the margins.
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(HasInk(image, QRect(30, 10 + i * lh, pane.Widest(), lh))) << i;
    EXPECT_FALSE(HasInk(image, QRect(0, 0, 30, pane.height())));
    EXPECT_FALSE(HasInk(image, QRect(0, 0, pane.width(), 10)));
}

TEST(BlankBox, FillsItselfAndRepaintsOnlyOnANewColour)
{
    QWidget window;
    window.resize(100, 100);
    TBlankBox box(&window);
    box.setGeometry(10, 10, 30, 20);
    ShowAndWait(window);
    box.SetBackground(QColor(10, 20, 30));
    EXPECT_EQ(Render(box).pixelColor(0, 0), QColor(10, 20, 30));
    EXPECT_EQ(Render(box).pixelColor(29, 19), QColor(10, 20, 30));
    QCoreApplication::processEvents();

    TPaintCounter paints(&box);
    box.SetBackground(QColor(10, 20, 30));
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(paints.Count, 0);
    box.SetBackground(Qt::white);
    EXPECT_TRUE(WaitFor([&] { return paints.Count > 0; }));
}

TEST(DataListView, LeftColumnIsAtLeastMinLeftPaddingWide)
{
    TDataListView view;
    view.SetMinLeftPadding(-5);
    EXPECT_EQ(view.MinLeftPadding(), 0);
    view.SetMinLeftPadding(100);
    view.AddLine(QStringLiteral("1"), QStringLiteral("row"));
    EXPECT_EQ(view.LeftPane().width(), 100);
    EXPECT_EQ(view.RightPane().LeftPadding(), 100);
    EXPECT_EQ(view.HeaderPane().LeftPadding(), 100);
    EXPECT_EQ(view.CornerBox().width(), 100);
    // The row is not cut off by the moved margin, and the header spans it.
    const int row = QFontMetrics(view.RightPane().font()).horizontalAdvance(QStringLiteral("row"));
    EXPECT_EQ(view.RightPane().width(), 100 + row);
    EXPECT_GE(view.HeaderPane().width(), view.RightPane().width());

    // A wider time text widens the column: text plus the 10-pixel gap.
    const QString time = QStringLiteral("2026-12-07 13:06:00.000 local");
    const int timeWidth = QFontMetrics(view.LeftPane().font()).horizontalAdvance(time);
    ASSERT_GT(timeWidth + 10, 100);
    view.AddLine(time, QStringLiteral("row"));
    EXPECT_EQ(view.LeftPane().width(), timeWidth + 10);
    EXPECT_EQ(view.RightPane().LeftPadding(), timeWidth + 10);
    EXPECT_EQ(view.CornerBox().width(), timeWidth + 10);
}

TEST(DataListView, HeaderBlockPushesTheRowsDown)
{
    TDataListView view;
    const int lh = view.RightPane().LineHeight();
    view.AddHeaderLine(QStringLiteral("Ch1 T"));
    view.AddHeaderLine(QStringLiteral("degC"));
    EXPECT_EQ(view.HeaderPane().height(), 2 * lh + 10);
    view.AddLine(QStringLiteral("12:00:00"), Row(0));
    view.AddLine(QStringLiteral("12:00:01"), Row(1));
    EXPECT_EQ(view.RightPane().TopPadding(), 2 * lh + 10);
    EXPECT_EQ(view.LeftPane().TopPadding(), 2 * lh + 10);
    EXPECT_EQ(view.CornerBox().height(), 2 * lh + 10);
    EXPECT_EQ(view.RightPane().height(), 4 * lh + 10);

    // Clearing lines leaves the header in place.
    view.ClearLines();
    EXPECT_EQ(view.HeaderPane().LineCount(), 2);
    EXPECT_EQ(view.HeaderPane().height(), 2 * lh + 10);
    EXPECT_EQ(view.RightPane().LineCount(), 0);
    EXPECT_EQ(view.LeftPane().LineCount(), 0);
    EXPECT_EQ(view.ActiveLine(), -1);

    // Clearing headers leaves the lines in place and moves them to the top.
    view.AddLine(QStringLiteral("12:00:02"), Row(2));
    view.ClearHeaders();
    EXPECT_EQ(view.HeaderPane().LineCount(), 0);
    EXPECT_EQ(view.HeaderPane().height(), 0);
    EXPECT_EQ(view.RightPane().LineCount(), 1);
    EXPECT_EQ(view.RightPane().TopPadding(), 0);
    EXPECT_EQ(view.CornerBox().height(), 0);
    EXPECT_EQ(view.RightPane().height(), lh);
    EXPECT_EQ(view.LeftPane().height(), lh);
}

// The main window adds a tick's rows together: the list must come out as if
// they had been added one by one, whether the new rows widen the time column,
// the rows or neither, and whether the header is wider than the rows.
TEST(DataListView, RowsAddedTogetherLayOutAsRowsAddedOneByOne)
{
    const QString wideTime = QStringLiteral("2026-12-07 13:06:00.000 local");
    const QString longRow = Row(1) + QStringLiteral("   and a good deal more than that");
    const QString wideHeader = longRow + longRow;
    struct TCase
    {
        const char *Name;
        QString Header;
        QStringList Before, Lefts, Rights;
    };
    const TCase cases[] = {
        {"into an empty list", QStringLiteral("Ch1 T"), {}, {"1", "2"}, {"a", "bb"}},
        {"narrower than what is there", QStringLiteral("Ch1 T"), {longRow}, {"1"}, {"a"}},
        {"wider time, then a wider row",
         QStringLiteral("Ch1 T"),
         {Row(0)},
         {wideTime, "3"},
         {"c", longRow}},
        {"header wider than every row", wideHeader, {Row(0)}, {"1", wideTime}, {longRow, "d"}},
        {"more lefts than rights", QStringLiteral("Ch1 T"), {}, {"1", "2", "3"}, {"a"}},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TDataListView one, together;
        for (TDataListView *view : {&one, &together}) {
            view->resize(300, 150);
            view->SetMinLeftPadding(100);
            view->AddHeaderLine(c.Header);
            for (const QString &row : c.Before)
                view->AddLine(QStringLiteral("12:00:00"), row);
        }
        for (qsizetype i = 0; i < std::min(c.Lefts.size(), c.Rights.size()); ++i)
            one.AddLine(c.Lefts[i], c.Rights[i]);
        together.AddLines(c.Lefts, c.Rights);

        QStringList headers[2], lefts[2], rights[2];
        one.GetContents(headers[0], lefts[0], rights[0]);
        together.GetContents(headers[1], lefts[1], rights[1]);
        EXPECT_EQ(lefts[1], lefts[0]);
        EXPECT_EQ(rights[1], rights[0]);
        for (auto pane :
             {&TDataListView::LeftPane, &TDataListView::RightPane, &TDataListView::HeaderPane}) {
            EXPECT_EQ((together.*pane)().geometry(), (one.*pane)().geometry());
            EXPECT_EQ((together.*pane)().LeftPadding(), (one.*pane)().LeftPadding());
            EXPECT_EQ((together.*pane)().TopPadding(), (one.*pane)().TopPadding());
        }
        EXPECT_EQ(together.CornerBox().geometry(), one.CornerBox().geometry());
        EXPECT_EQ(together.horizontalScrollBar()->maximum(), one.horizontalScrollBar()->maximum());
        EXPECT_EQ(together.verticalScrollBar()->maximum(), one.verticalScrollBar()->maximum());
    }
}

TEST(DataListView, GetContentsCopiesTheThreeLists)
{
    TDataListView view;
    view.AddHeaderLine(QStringLiteral("H1"));
    view.AddHeaderLine(QStringLiteral("H2"));
    view.AddLine(QStringLiteral("T1"), QStringLiteral("R1"));
    view.AddLine(QStringLiteral("T2"), QStringLiteral("R2"));
    QStringList headers{QStringLiteral("stale")};
    QStringList lefts;
    QStringList rights{QStringLiteral("stale"), QStringLiteral("stale")};
    view.GetContents(headers, lefts, rights);
    EXPECT_EQ(headers, (QStringList{QStringLiteral("H1"), QStringLiteral("H2")}));
    EXPECT_EQ(lefts, (QStringList{QStringLiteral("T1"), QStringLiteral("T2")}));
    EXPECT_EQ(rights, (QStringList{QStringLiteral("R1"), QStringLiteral("R2")}));

    view.ClearLines();
    view.GetContents(headers, lefts, rights);
    EXPECT_EQ(headers.size(), 2);
    EXPECT_TRUE(lefts.isEmpty());
    EXPECT_TRUE(rights.isEmpty());
}

TEST(DataListView, FrozenPartsStayInSightWhileScrolling)
{
    TFilledView filled(3, 100);
    TDataListView &view = filled.View;
    ShowAndWait(view);
    ASSERT_GT(view.horizontalScrollBar()->maximum(), 50);
    ASSERT_GT(view.verticalScrollBar()->maximum(), 80);

    view.SetHorizontalScrollPosition(50);
    view.SetVerticalScrollPosition(40);
    EXPECT_EQ(view.HorizontalScrollPosition(), 50);
    EXPECT_EQ(view.VerticalScrollPosition(), 40);
    EXPECT_EQ(view.RightPane().pos(), QPoint(-50, -40));
    EXPECT_EQ(view.LeftPane().pos(), QPoint(0, -40));
    EXPECT_EQ(view.HeaderPane().pos(), QPoint(-50, 0));
    EXPECT_EQ(view.CornerBox().pos(), QPoint(0, 0));

    // The operator dragging the bars gets the same.
    view.verticalScrollBar()->setValue(80);
    view.horizontalScrollBar()->setValue(20);
    EXPECT_EQ(view.RightPane().pos(), QPoint(-20, -80));
    EXPECT_EQ(view.LeftPane().pos(), QPoint(0, -80));
    EXPECT_EQ(view.HeaderPane().pos(), QPoint(-20, 0));
    EXPECT_EQ(view.CornerBox().pos(), QPoint(0, 0));

    // On screen: the corner is blank, the header text is at the top and the
    // time column at the left, above the scrolled rows.
    const int lh = filled.LineHeight();
    const int corner = view.CornerBox().width();
    const QImage image = Render(*view.viewport());
    EXPECT_FALSE(HasInk(image, QRect(0, 0, corner, 3 * lh + 10)));
    EXPECT_TRUE(HasInk(image, QRect(corner, 0, image.width() - corner, lh)));
    EXPECT_TRUE(HasInk(image, QRect(0, 3 * lh + 10, corner, image.height())));

    // Asking for more than the range gives the end of the range.
    view.SetVerticalScrollPosition(1000000);
    EXPECT_EQ(view.VerticalScrollPosition(), view.verticalScrollBar()->maximum());
    EXPECT_EQ(view.HeaderPane().pos().y(), 0);
    EXPECT_EQ(view.verticalScrollBar()->maximum(),
              view.RightPane().height() - filled.ViewportHeight());
}

TEST(DataListView, KeysMoveTheSelectionInBothColumnsAndCentreIt)
{
    TFilledView filled(2, 200);
    TDataListView &view = filled.View;
    ShowAndWait(view);
    const int lh = filled.LineHeight();
    const int top = view.RightPane().TopPadding();
    const auto centred = [&](int line) { return line * lh + top - filled.ViewportHeight() / 2; };

    view.SetActiveLine(100);
    EXPECT_EQ(filled.Selections, 1);
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(view.ActiveLine(), 101);
    EXPECT_EQ(view.LeftPane().SelectedLine(), 101);
    EXPECT_EQ(view.VerticalScrollPosition(), centred(101));
    QTest::keyClick(&view, Qt::Key_PageDown);
    EXPECT_EQ(view.ActiveLine(), 102);
    EXPECT_EQ(view.LeftPane().SelectedLine(), 102);
    QTest::keyClick(&view, Qt::Key_PageUp);
    EXPECT_EQ(view.ActiveLine(), 101);
    EXPECT_EQ(view.LeftPane().SelectedLine(), 101);
    EXPECT_EQ(view.VerticalScrollPosition(), centred(101));
    EXPECT_EQ(filled.Selections, 4);

    // Any other key only centres the selection.
    view.SetVerticalScrollPosition(0);
    QTest::keyClick(&view, Qt::Key_A);
    EXPECT_EQ(view.ActiveLine(), 101);
    EXPECT_EQ(view.VerticalScrollPosition(), centred(101));
    EXPECT_EQ(filled.Selections, 4);

    // No key goes past either end.
    view.SetActiveLine(0);
    QTest::keyClick(&view, Qt::Key_PageUp);
    EXPECT_EQ(view.ActiveLine(), 0);
    EXPECT_EQ(view.VerticalScrollPosition(), 0);
    view.SetActiveLine(199);
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(view.ActiveLine(), 199);
    EXPECT_EQ(view.VerticalScrollPosition(), view.verticalScrollBar()->maximum());
}

TEST(DataListView, ActiveLineOutOfRangeIsIgnored)
{
    TFilledView filled(1, 3);
    TDataListView &view = filled.View;
    view.SetActiveLine(1);
    view.SetActiveLine(5);
    EXPECT_EQ(view.ActiveLine(), 1);
    EXPECT_EQ(view.LeftPane().SelectedLine(), 1);
    view.SetActiveLine(-1);
    EXPECT_EQ(view.ActiveLine(), 1);
    EXPECT_EQ(filled.Selections, 3);
}

TEST(DataListView, ScrollToEndSelectsTheLastLineOrNothing)
{
    TFilledView empty(2, 0);
    empty.View.ScrollToEnd();
    EXPECT_EQ(empty.View.ActiveLine(), -1);
    EXPECT_EQ(empty.View.LeftPane().SelectedLine(), -1);
    EXPECT_EQ(empty.Selections, 1);

    TFilledView filled(2, 50);
    TDataListView &view = filled.View;
    ShowAndWait(view);
    view.ScrollToEnd();
    EXPECT_EQ(view.ActiveLine(), 49);
    EXPECT_EQ(view.LeftPane().SelectedLine(), 49);
    EXPECT_EQ(filled.Selections, 1);
    EXPECT_EQ(view.VerticalScrollPosition(), view.verticalScrollBar()->maximum());

    // Clearing the lines takes the view back to the top.
    view.ClearLines();
    EXPECT_EQ(view.VerticalScrollPosition(), 0);
    EXPECT_EQ(view.ActiveLine(), -1);
}

TEST(DataListView, ShorterThanItsHeaderHidesHeaderAndCorner)
{
    TFilledView filled(5, 20, QSize(300, 300));
    TDataListView &view = filled.View;
    ShowAndWait(view);
    const int header = view.HeaderPane().height();
    ASSERT_LE(header, filled.ViewportHeight());
    EXPECT_TRUE(view.HeaderPane().isVisible());
    EXPECT_TRUE(view.CornerBox().isVisible());

    view.resize(300, header / 2);
    ASSERT_TRUE(WaitFor([&] { return filled.ViewportHeight() < header; }));
    EXPECT_FALSE(view.HeaderPane().isVisible());
    EXPECT_FALSE(view.CornerBox().isVisible());

    view.resize(300, 300);
    ASSERT_TRUE(WaitFor([&] { return filled.ViewportHeight() >= header; }));
    EXPECT_TRUE(view.HeaderPane().isVisible());
    EXPECT_TRUE(view.CornerBox().isVisible());
}

TEST(DataListView, MouseSelectionKeepsColumnsInStepAndFocusesTheView)
{
    QWidget window;
    QVBoxLayout layout(&window);
    QLineEdit edit;
    layout.addWidget(&edit);
    TFilledView filled(2, 20);
    layout.addWidget(&filled.View);
    window.resize(400, 300);
    ShowAndWait(window);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit.setFocus();
    ASSERT_TRUE(WaitFor([&] { return edit.hasFocus(); }));

    TDataListView &view = filled.View;
    const int lh = filled.LineHeight();
    const int top = view.LeftPane().TopPadding();
    QTest::mouseClick(&view.LeftPane(), Qt::LeftButton, {}, QPoint(5, top + 4 * lh + 2));
    EXPECT_EQ(view.LeftPane().SelectedLine(), 4);
    EXPECT_EQ(view.RightPane().SelectedLine(), 4);
    EXPECT_EQ(view.ActiveLine(), 4);
    EXPECT_EQ(filled.Selections, 1);
    EXPECT_TRUE(WaitFor([&] { return view.hasFocus(); }));

    QTest::mouseClick(&view.RightPane(), Qt::LeftButton, {}, QPoint(200, top + 6 * lh + 2));
    EXPECT_EQ(view.LeftPane().SelectedLine(), 6);
    EXPECT_EQ(view.ActiveLine(), 6);
    EXPECT_EQ(filled.Selections, 2);

    // The header cannot be selected, but a click there focuses the view too.
    edit.setFocus();
    ASSERT_TRUE(WaitFor([&] { return edit.hasFocus(); }));
    QTest::mouseClick(&view.HeaderPane(), Qt::LeftButton, {}, QPoint(200, 2));
    EXPECT_EQ(view.ActiveLine(), 6);
    EXPECT_EQ(filled.Selections, 2);
    EXPECT_TRUE(WaitFor([&] { return view.hasFocus(); }));
}

TEST(DataListView, BeyondTheLargestWidgetTheListStopsGrowing)
{
    TDataListView view;
    QFont huge = view.RightPane().font();
    huge.setPixelSize(1000);
    view.RightPane().setFont(huge);
    view.LeftPane().setFont(huge);
    const int lh = view.RightPane().LineHeight();
    const int lines = TDataList::MaxExtent / lh + 100;
    for (int i = 0; i < lines; ++i)
        view.AddLine(QStringLiteral("t"), QStringLiteral("r"));
    EXPECT_EQ(view.RightPane().LineCount(), lines);
    EXPECT_EQ(view.RightPane().height(), TDataList::MaxExtent);
    EXPECT_EQ(view.LeftPane().height(), TDataList::MaxExtent);

    view.resize(300, 200);
    ShowAndWait(view);
    view.ScrollToEnd();
    EXPECT_EQ(view.ActiveLine(), lines - 1);
    EXPECT_EQ(view.VerticalScrollPosition(), view.verticalScrollBar()->maximum());
    EXPECT_EQ(view.verticalScrollBar()->maximum(),
              TDataList::MaxExtent - view.viewport()->height());
    // The painting at the far end survives too.
    const QImage image = Render(*view.viewport());
    EXPECT_EQ(image.size(), view.viewport()->size());
}
