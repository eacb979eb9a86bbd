#include "ui/DataListView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>
#include <QScrollBar>
#include <algorithm>

TDataListView::TDataListView(QWidget *parent)
    : QAbstractScrollArea(parent), FBackground(QApplication::palette().color(QPalette::Button))
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    FRight = std::make_unique<TDataList>(viewport());
    FRight->SetSelectLines(true);

    FLeft = std::make_unique<TDataList>(viewport());
    FLeft->SetRightPadding(10);
    FLeft->SetSelectLines(true);
    FLeft->resize(0, FLeft->height());

    FHeader = std::make_unique<TDataList>(viewport());
    FHeader->SetBottomPadding(10);
    FHeader->SetSelectLines(false);
    FHeader->resize(FHeader->width(), 0);

    FCorner = std::make_unique<TBlankBox>(viewport());
    FCorner->resize(0, 0);

    // The selection follows the operator from either column to the other.
    FRight->OnLineSelect = [this](TDataList *) {
        FLeft->Select(FRight->SelectedLine());
        RaiseLineSelect();
    };
    FLeft->OnLineSelect = [this](TDataList *) {
        FRight->Select(FLeft->SelectedLine());
        RaiseLineSelect();
    };
    const auto focusView = [this](TDataList *) { setFocus(Qt::MouseFocusReason); };
    FRight->OnClick = focusView;
    FLeft->OnClick = focusView;
    FHeader->OnClick = focusView;

    const QColor background = FBackground;
    FBackground = QColor();
    SetBackground(background);
    PlaceParts();
    UpdateScrollRanges();
}

TDataListView::~TDataListView() = default;

void TDataListView::RaiseLineSelect()
{
    if (OnLineSelect)
        OnLineSelect(this);
}

void TDataListView::SelectInBoth(int32_t index)
{
    FRight->Select(index);
    FLeft->Select(index);
}

void TDataListView::AddLine(const QString &left, const QString &right)
{
    FLeft->AddLine(left);
    FRight->AddLine(right);
    RelayColumns();
}

void TDataListView::AddLines(const QStringList &lefts, const QStringList &rights)
{
    const qsizetype count = std::min(lefts.size(), rights.size());
    if (count == 0)
        return;
    FLeft->AddLines(count == lefts.size() ? lefts : lefts.first(count));
    FRight->AddLines(count == rights.size() ? rights : rights.first(count));
    RelayColumns();
}

void TDataListView::AddHeaderLine(const QString &text)
{
    FHeader->AddLine(text);
    RelayRows();
}

void TDataListView::ClearLines()
{
    FLeft->Clear();
    FRight->Clear();
    RelayColumns();
    CentreSelection();
}

void TDataListView::ClearHeaders()
{
    FHeader->Clear();
    RelayRows();
    CentreSelection();
}

void TDataListView::ScrollToEnd()
{
    SelectInBoth(FRight->LineCount() - 1);
    CentreSelection();
    RaiseLineSelect();
}

void TDataListView::GetContents(QStringList &headers, QStringList &lefts, QStringList &rights) const
{
    FHeader->GetLines(headers);
    FLeft->GetLines(lefts);
    FRight->GetLines(rights);
}

void TDataListView::SetBackground(const QColor &value)
{
    if (value == FBackground)
        return;
    FBackground = value;
    QPalette palette = viewport()->palette();
    palette.setColor(viewport()->backgroundRole(), value);
    viewport()->setPalette(palette);
    viewport()->setAutoFillBackground(true);
    FRight->SetBackground(value);
    FLeft->SetBackground(value);
    FHeader->SetBackground(value);
    FCorner->SetBackground(value);
}

void TDataListView::SetSelectedColor(const QColor &value)
{
    FRight->SetSelectedColor(value);
    FLeft->SetSelectedColor(value);
    FHeader->SetSelectedColor(value);
}

void TDataListView::SetActiveLine(int32_t value)
{
    SelectInBoth(value);
    RaiseLineSelect();
}

void TDataListView::SetMinLeftPadding(int32_t value)
{
    FMinLeftPadding = std::max(0, value);
    RelayColumns();
}

int32_t TDataListView::HorizontalScrollPosition() const
{
    return horizontalScrollBar()->value();
}

void TDataListView::SetHorizontalScrollPosition(int32_t value)
{
    horizontalScrollBar()->setValue(value);
    PlaceParts();
}

int32_t TDataListView::VerticalScrollPosition() const
{
    return verticalScrollBar()->value();
}

void TDataListView::SetVerticalScrollPosition(int32_t value)
{
    verticalScrollBar()->setValue(value);
    PlaceParts();
}

// The time column is at least MinLeftPadding wide, the rows and the header
// text start where it ends, and the header spans the widest row.
void TDataListView::RelayColumns()
{
    if (FLeft->width() < FMinLeftPadding)
        FLeft->resize(FMinLeftPadding, FLeft->height());
    const int32_t leftWidth = FLeft->width();
    FRight->SetLeftPadding(leftWidth);
    FHeader->SetLeftPadding(leftWidth);
    FCorner->resize(leftWidth, FCorner->height());
    if (FRight->width() > FHeader->width())
        FHeader->resize(FRight->width(), FHeader->height());
    UpdateScrollRanges();
}

// The first data line starts below the header block.
void TDataListView::RelayRows()
{
    const int32_t headerHeight = FHeader->height();
    FRight->SetTopPadding(headerHeight);
    FLeft->SetTopPadding(headerHeight);
    FCorner->resize(FCorner->width(), headerHeight);
    UpdateScrollRanges();
    UpdateHeaderVisibility();
}

void TDataListView::CentreSelection()
{
    const int64_t top =
        int64_t(FRight->SelectedLine()) * FRight->LineHeight() + FRight->TopPadding();
    const int64_t position = top - viewport()->height() / 2;
    verticalScrollBar()->setValue(
        static_cast<int>(std::clamp<int64_t>(position, 0, TDataList::MaxExtent)));
    PlaceParts();
}

void TDataListView::PlaceParts()
{
    const int h = horizontalScrollBar()->value();
    const int v = verticalScrollBar()->value();
    FRight->move(-h, -v);
    FLeft->move(0, -v);
    FHeader->move(-h, 0);
    FCorner->move(0, 0);
}

// A header taller than the view would leave no room for a single row.
void TDataListView::UpdateHeaderVisibility()
{
    const bool shown = FHeader->height() <= viewport()->height();
    FHeader->setVisible(shown);
    FCorner->setVisible(shown);
}

void TDataListView::UpdateScrollRanges()
{
    const int contentWidth = std::max({FRight->width(), FLeft->width(), FHeader->width()});
    const int contentHeight = std::max({FRight->height(), FLeft->height(), FHeader->height()});
    const QSize visible = viewport()->size();
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setPageStep(std::max(1, visible.width()));
    horizontal->setSingleStep(std::max(1, FRight->LineHeight()));
    horizontal->setRange(0, std::max(0, contentWidth - visible.width()));
    QScrollBar *vertical = verticalScrollBar();
    vertical->setPageStep(std::max(1, visible.height()));
    vertical->setSingleStep(std::max(1, FRight->LineHeight()));
    vertical->setRange(0, std::max(0, contentHeight - visible.height()));
}

void TDataListView::scrollContentsBy(int, int)
{
    PlaceParts();
}

void TDataListView::resizeEvent(QResizeEvent *)
{
    UpdateScrollRanges();
    PlaceParts();
    UpdateHeaderVisibility();
}

void TDataListView::keyPressEvent(QKeyEvent *event)
{
    const int32_t selected = FRight->SelectedLine();
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_PageDown:
        SelectInBoth(selected + 1);
        RaiseLineSelect();
        break;
    case Qt::Key_PageUp:
        SelectInBoth(selected - 1);
        RaiseLineSelect();
        break;
    default:
        CentreSelection();
        QWidget::keyPressEvent(event);
        return;
    }
    CentreSelection();
    event->accept();
}

void TDataListView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    QAbstractScrollArea::mousePressEvent(event);
}
