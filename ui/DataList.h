#pragma once
// One pane of the data list: lines of fixed-pitch text with margins, one of
// which may be selected. The pane is as large as its text; the view around
// it scrolls it, and only the part in sight is painted.
#include <QColor>
#include <QFontMetrics>
#include <QStringList>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class TDataList : public QWidget
{
    Q_OBJECT

  public:
    explicit TDataList(QWidget *parent = nullptr);

    // Widgets cannot grow beyond this; a pane whose text is taller or wider
    // stops growing there, and lines beyond the edge cannot be scrolled to.
    static constexpr int32_t MaxExtent = 16777215;

    void AddLine(const QString &text);
    // The same as adding each in turn, with the pane sized once at the end.
    void AddLines(const QStringList &texts);
    void Clear();
    // Selects line index (0-based) when lines can be selected and the line
    // exists; anything else is ignored, so the selection never goes back to
    // -1 this way.
    void Select(int32_t index);
    void GetLines(QStringList &lines) const;
    int32_t LineCount() const { return static_cast<int32_t>(FLines.size()); }
    const QString &Line(int32_t index) const { return FLines.at(index); }

    int32_t SelectedLine() const { return FSelected; }
    int32_t Widest() const { return FWidest; }
    // The text height of "1y" in the pane's font.
    int32_t LineHeight() const { return FLineHeight; }

    const QColor &Background() const { return FBackground; }
    void SetBackground(const QColor &value);
    const QColor &SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(const QColor &value);
    int32_t TopPadding() const { return FTopPadding; }
    void SetTopPadding(int32_t value);
    int32_t LeftPadding() const { return FLeftPadding; }
    void SetLeftPadding(int32_t value);
    int32_t RightPadding() const { return FRightPadding; }
    void SetRightPadding(int32_t value);
    int32_t BottomPadding() const { return FBottomPadding; }
    void SetBottomPadding(int32_t value);
    bool SelectLines() const { return FSelectLines; }
    void SetSelectLines(bool value);

    // The operator selected a line with the mouse.
    std::function<void(TDataList *sender)> OnLineSelect;
    // A click (press and release) on the pane.
    std::function<void(TDataList *sender)> OnClick;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    void MeasureFont();
    int32_t TextWidth(const QString &text) const;
    void UpdateWidth();
    void UpdateHeight();
    // Both at once, after lines were added.
    void SizeToText();
    int64_t LineTop(int64_t index) const;

    QStringList FLines;
    QFontMetrics FMetrics;
    // Advances of the printable Latin-1 characters, for fonts in which a
    // text is exactly as wide as the sum of its characters (fixed pitch, no
    // kerning): then a line is measured without shaping it.
    std::array<double, 256> FAdvances{};
    bool FSummable = false;
    // The advance every printable ASCII character shares, when the font is
    // summable, they all have the same one, and it is a whole number of
    // 64ths of a pixel (as the font engine gives them): then the sum over a
    // line of them is exactly their count times it. Zero otherwise.
    double FAsciiAdvance = 0;
    int32_t FLineHeight = 0;
    int32_t FAscent = 0;
    int32_t FWidest = 0;
    int32_t FSelected = -1;
    QColor FBackground = Qt::white;
    QColor FSelectedColor = QColor(0xA6, 0xCA, 0xF0);
    int32_t FTopPadding = 0;
    int32_t FLeftPadding = 0;
    int32_t FRightPadding = 0;
    int32_t FBottomPadding = 0;
    bool FSelectLines = true;
    bool FPressed = false;
    bool FSized = false; // sized from its text at least once
};
