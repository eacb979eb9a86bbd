#pragma once
// The scrolling table of processed frames: a block of header lines frozen at
// the top, a column of times frozen at the left, and the value rows. Three
// TDataList panes and a corner box sit in the viewport of a scroll area and
// are moved on every scroll so that the frozen parts stay in sight.
#include "ui/BlankBox.h"
#include "ui/DataList.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

class TDataListView : public QAbstractScrollArea
{
    Q_OBJECT

  public:
    explicit TDataListView(QWidget *parent = nullptr);
    ~TDataListView() override;

    // Adds the time text to the left column and the row text to the right.
    void AddLine(const QString &left, const QString &right);
    // Adds the pairs in order: the same as AddLine for each, laid out once.
    // A list taking a second's frames costs a measurement per line, not a
    // re-layout of every pane and scroll bar per line.
    void AddLines(const QStringList &lefts, const QStringList &rights);
    void AddHeaderLine(const QString &text);
    void ClearLines();
    void ClearHeaders();
    // Selects and centres the last line and raises OnLineSelect (also when
    // there are no lines and nothing is selected).
    void ScrollToEnd();
    // Replaces the three lists with copies of the header, left and right lines.
    void GetContents(QStringList &headers, QStringList &lefts, QStringList &rights) const;

    const QColor &Background() const { return FBackground; }
    void SetBackground(const QColor &value);
    const QColor &SelectedColor() const { return FRight->SelectedColor(); }
    void SetSelectedColor(const QColor &value);
    int32_t ActiveLine() const { return FRight->SelectedLine(); }
    // Selects line value in both columns (ignored when it does not exist)
    // and raises OnLineSelect.
    void SetActiveLine(int32_t value);
    int32_t MinLeftPadding() const { return FMinLeftPadding; }
    void SetMinLeftPadding(int32_t value);
    int32_t HorizontalScrollPosition() const;
    void SetHorizontalScrollPosition(int32_t value);
    int32_t VerticalScrollPosition() const;
    void SetVerticalScrollPosition(int32_t value);

    // The selection changed through the view.
    std::function<void(TDataListView *sender)> OnLineSelect;

    // The parts, for whoever needs to look inside (tests, the report).
    TDataList &RightPane() { return *FRight; }
    TDataList &LeftPane() { return *FLeft; }
    TDataList &HeaderPane() { return *FHeader; }
    TBlankBox &CornerBox() { return *FCorner; }

  protected:
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

  private:
    void RelayColumns();
    void RelayRows();
    void CentreSelection();
    void PlaceParts();
    void UpdateHeaderVisibility();
    void UpdateScrollRanges();
    void SelectInBoth(int32_t index);
    void RaiseLineSelect();

    // Creation order is stacking order: each later part lies above the
    // earlier ones.
    std::unique_ptr<TDataList> FRight;
    std::unique_ptr<TDataList> FLeft;
    std::unique_ptr<TDataList> FHeader;
    std::unique_ptr<TBlankBox> FCorner;
    QColor FBackground;
    int32_t FMinLeftPadding = 0;
};
