#include "ui/DataList.h"

#include <QFontInfo>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cmath>

namespace {
QFont PaneFont()
{
    // Fixed pitch keeps the padded columns of the rows aligned.
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    return font;
}

int32_t ClampExtent(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, TDataList::MaxExtent));
}

// Printable Latin-1 characters that take up their own advance: no control
// characters and no soft hyphen (which shapes to nothing).
bool IsPlainLatin1(char16_t code)
{
    return code >= 32 && code < 256 && !(code >= 127 && code < 160) && code != 0xAD;
}

// Only characters 32 to 126. A row holds over a hundred of them and the list
// takes a whole loaded flight at once, so they are looked at in blocks.
bool IsPrintableAscii(const QString &text)
{
    const char16_t *code = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype size = text.size();
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i below = _mm_set1_epi16(32);
    const __m128i above = _mm_set1_epi16(126);
    for (; i + 8 <= size; i += 8) {
        // As signed numbers, every code from 0x8000 up is below 32 as well.
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(code + i));
        const __m128i outside =
            _mm_or_si128(_mm_cmplt_epi16(block, below), _mm_cmpgt_epi16(block, above));
        if (_mm_movemask_epi8(outside) != 0)
            return false;
    }
#endif
    for (; i < size; ++i)
        if (code[i] < 32 || code[i] > 126)
            return false;
    return true;
}

// Rounds toward minus infinity, so that a point above the first line is not
// taken for line 0.
int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}
} // namespace

TDataList::TDataList(QWidget *parent) : QWidget(parent), FMetrics(PaneFont())
{
    setFont(PaneFont());
    MeasureFont();
    resize(500, 500);
}

void TDataList::MeasureFont()
{
    FMetrics = QFontMetrics(font());
    // Ascent plus descent: the height of "1y" as the text is laid out.
    FLineHeight = std::max(1, FMetrics.height());
    FAscent = FMetrics.ascent();

    // Shaping a long row costs more than everything else about adding it.
    // Where the font allows, sum per-character advances instead, but only
    // after checking that the sums agree with shaped texts.
    const QFontMetricsF exact(font());
    QString sample;
    for (char16_t c = 32; c < 256; ++c) {
        FAdvances[c] = exact.horizontalAdvance(QChar(c));
        if (IsPlainLatin1(c))
            sample.append(QChar(c));
    }
    FSummable = false;
    bool summable = QFontInfo(font()).fixedPitch();
    for (const QString &probe :
         {sample, QStringLiteral("  12:34:56   1013.2  -45.7   Error  Ch1 T  WAVAWAVA fi ffi")}) {
        if (!summable)
            break;
        double sum = 0;
        for (QChar c : probe)
            sum += FAdvances[c.unicode()];
        summable = qRound(sum) == FMetrics.horizontalAdvance(probe);
    }
    FSummable = summable;

    FAsciiAdvance = 0;
    const double advance = FAdvances[u' '];
    bool uniform = summable && advance > 0 && advance * 64 == std::floor(advance * 64) &&
                   advance * 64 < 1 << 20;
    for (char16_t c = 33; uniform && c < 127; ++c)
        uniform = FAdvances[c] == advance;
    if (uniform)
        FAsciiAdvance = advance;
}

int32_t TDataList::TextWidth(const QString &text) const
{
    // A row of the list is printable ASCII: checked eight characters at a
    // time, and measured with one multiplication.
    if (FAsciiAdvance > 0 && IsPrintableAscii(text))
        return qRound(double(text.size()) * FAsciiAdvance);
    if (FSummable) {
        double sum = 0;
        bool plain = true;
        for (QChar c : text) {
            const char16_t code = c.unicode();
            if (!IsPlainLatin1(code)) {
                plain = false;
                break;
            }
            sum += FAdvances[code];
        }
        if (plain)
            return qRound(sum);
    }
    return FMetrics.horizontalAdvance(text);
}

int64_t TDataList::LineTop(int64_t index) const
{
    return index * FLineHeight + FTopPadding;
}

void TDataList::UpdateWidth()
{
    resize(ClampExtent(int64_t(FLeftPadding) + FWidest + FRightPadding), height());
}

void TDataList::UpdateHeight()
{
    resize(width(), ClampExtent(LineTop(FLines.size()) + FBottomPadding));
}

void TDataList::SizeToText()
{
    resize(ClampExtent(int64_t(FLeftPadding) + FWidest + FRightPadding),
           ClampExtent(LineTop(FLines.size()) + FBottomPadding));
}

void TDataList::AddLine(const QString &text)
{
    FSized = true;
    FLines.append(text);
    FWidest = std::max(FWidest, TextWidth(text));
    SizeToText();
}

void TDataList::AddLines(const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    FSized = true;
    FLines.append(texts);
    for (const QString &text : texts)
        FWidest = std::max(FWidest, TextWidth(text));
    SizeToText();
}

void TDataList::Clear()
{
    FSized = true;
    FLines.clear();
    FWidest = 0;
    FSelected = -1;
    resize(ClampExtent(int64_t(FLeftPadding) + FRightPadding), 0);
    update();
}

void TDataList::Select(int32_t index)
{
    if (!FSelectLines || index < 0 || index >= LineCount())
        return;
    if (FSelected == index)
        return;
    const int32_t previous = FSelected;
    FSelected = index;
    // Only the two bands change.
    for (int32_t line : {previous, index}) {
        if (line < 0)
            continue;
        const int64_t top = LineTop(line);
        if (top < height())
            update(0, static_cast<int>(top), width(), FLineHeight);
    }
}

void TDataList::GetLines(QStringList &lines) const
{
    lines = FLines;
}

void TDataList::SetBackground(const QColor &value)
{
    if (value == FBackground)
        return;
    FBackground = value;
    update();
}

void TDataList::SetSelectedColor(const QColor &value)
{
    if (value == FSelectedColor)
        return;
    FSelectedColor = value;
    update();
}

// Once the pane has been sized from its text, a new margin re-sizes it at
// once (an empty pane keeps its height), so that the pane never cuts off its
// last line or the end of its widest one.
void TDataList::SetTopPadding(int32_t value)
{
    if (value == FTopPadding)
        return;
    FTopPadding = value;
    if (!FLines.isEmpty())
        UpdateHeight();
    update();
}

void TDataList::SetLeftPadding(int32_t value)
{
    if (value == FLeftPadding)
        return;
    FLeftPadding = value;
    if (FSized)
        UpdateWidth();
    update();
}

void TDataList::SetRightPadding(int32_t value)
{
    if (value == FRightPadding)
        return;
    FRightPadding = value;
    if (FSized)
        UpdateWidth();
    update();
}

void TDataList::SetBottomPadding(int32_t value)
{
    if (value == FBottomPadding)
        return;
    FBottomPadding = value;
    if (!FLines.isEmpty())
        UpdateHeight();
    update();
}

void TDataList::SetSelectLines(bool value)
{
    if (value == FSelectLines)
        return;
    FSelectLines = value;
    update();
}

void TDataList::paintEvent(QPaintEvent *event)
{
    const QRect area = event->rect();
    QPainter painter(this);
    painter.fillRect(area, FBackground);
    if (FSelectLines && FSelected >= 0 && FSelected < LineCount()) {
        const int64_t top = LineTop(FSelected);
        if (top < height()) {
            const QRect band(0, static_cast<int>(top), width(), FLineHeight);
            painter.fillRect(band.intersected(area), FSelectedColor);
        }
    }
    if (FLines.isEmpty())
        return;
    const int64_t first =
        std::max<int64_t>(0, FloorDiv(int64_t(area.top()) - FTopPadding, FLineHeight));
    const int64_t last = std::min<int64_t>(
        FLines.size() - 1, FloorDiv(int64_t(area.bottom()) - FTopPadding, FLineHeight));
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    for (int64_t i = first; i <= last; ++i)
        painter.drawText(FLeftPadding, static_cast<int>(LineTop(i) + FAscent), FLines.at(i));
}

void TDataList::mousePressEvent(QMouseEvent *event)
{
    FPressed = true;
    const int64_t y = event->position().toPoint().y();
    const int64_t index = FloorDiv(y - FTopPadding, FLineHeight);
    if (index == FSelected || index < 0 || index >= LineCount())
        return;
    Select(static_cast<int32_t>(index));
    if (FSelectLines && FSelected == index && OnLineSelect)
        OnLineSelect(this);
}

void TDataList::mouseReleaseEvent(QMouseEvent *event)
{
    if (!FPressed)
        return;
    FPressed = false;
    if (rect().contains(event->position().toPoint()) && OnClick)
        OnClick(this);
}

void TDataList::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        MeasureFont();
        FWidest = 0;
        for (const QString &line : std::as_const(FLines))
            FWidest = std::max(FWidest, TextWidth(line));
        if (!FLines.isEmpty()) {
            UpdateWidth();
            UpdateHeight();
        }
        update();
    }
    QWidget::changeEvent(event);
}
