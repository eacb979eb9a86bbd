#pragma once
// The graph definition model: one TGraphDefinition tree describes a graph's
// whole appearance (image size, the label and title bands around the plot
// area, background, axes, series, titles, legend), independent of data and
// canvas. Screen images draw it as built; print images draw a copy scaled by
// an integer factor. Every index is 1-based. Lists own their elements.
#include "foundation/RootObject.h"
#include "foundation/WrapperClasses.h"
#include "graphs/Canvas.h"
#include "graphs/GraphErrors.h"
#include "graphs/GraphTypes.h"
#include "graphs/MarkerDefinition.h"

#include <QBrush>
#include <QPen>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// The element a non-const lookup hands out: the one its const twin found,
// which belongs to a non-const owner.
template <typename T> T &Mutable(const T &element)
{
    return const_cast<T &>(element);
}

// One label of an axis: Text centred at the world coordinate Value.
class TGraphLabelDefinition : public TObject
{
  public:
    TGraphLabelDefinition() = default;
    TGraphLabelDefinition(QString text, double value) : FText(std::move(text)), FValue(value) {}
    void Assign(const TGraphLabelDefinition &source) { *this = source; }

    const QString &Text() const { return FText; }
    void SetText(const QString &text) { FText = text; }
    double Value() const { return FValue; }
    void SetValue(double value) { FValue = value; }

  private:
    QString FText;
    double FValue = 0.0;
};

// A free title: Text with its top-left corner at (X, Y) from the origin of the
// title band of Side.
class TTitleDefinition : public TObject
{
  public:
    TTitleDefinition() = default;
    void Assign(const TTitleDefinition &source) { *this = source; }
    // Font size, X and Y; EInvalidScaleError below 1, EIntOverflow; all or nothing.
    void Scale(int32_t factor);

    const QString &Text() const { return FText; }
    void SetText(const QString &text) { FText = text; }
    const TFont &Font() const { return FFont; }
    TFont &Font() { return FFont; }
    void SetFont(const TFont &font) { FFont = font; }
    TGraphSide Side() const { return FSide; }
    void SetSide(TGraphSide side) { FSide = side; }
    int32_t X() const { return FX; }
    void SetX(int32_t x) { FX = x; }
    int32_t Y() const { return FY; }
    void SetY(int32_t y) { FY = y; }

  private:
    QString FText;
    TFont FFont;
    TGraphSide FSide = gsTop;
    int32_t FX = 0;
    int32_t FY = 0;
};

class TAxisDefinition : public TObject
{
  public:
    TAxisDefinition() = default;
    TAxisDefinition(const TAxisDefinition &) = delete;
    TAxisDefinition &operator=(const TAxisDefinition &) = delete;
    // Deep copy, labels and gridlines included.
    void Assign(const TAxisDefinition &source);
    // Label and caption font sizes, LabelOffset and CaptionPosition; the pen,
    // range and values keep theirs. EInvalidScaleError below 1; all or nothing.
    void Scale(int32_t factor);

    const TFont &LabelFont() const { return FLabelFont; }
    TFont &LabelFont() { return FLabelFont; }
    void SetLabelFont(const TFont &font) { FLabelFont = font; }
    // The pen of the axis's gridlines.
    const QPen &Pen() const { return FPen; }
    QPen &Pen() { return FPen; }
    void SetPen(const QPen &pen) { FPen = pen; }
    // Gap between the inner edge of the label band and the label or caption.
    int32_t LabelOffset() const { return FLabelOffset; }
    void SetLabelOffset(int32_t offset) { FLabelOffset = offset; }
    // The world rectangle mapped onto the plot area for this axis.
    const TDoubleRect &Range() const { return FRange; }
    TDoubleRect &Range() { return FRange; }
    void SetRange(const TDoubleRect &range) { FRange = range; }
    // Where labels and caption stand; left and right axes have horizontal
    // gridlines, top and bottom ones vertical gridlines.
    TGraphSide Side() const { return FSide; }
    void SetSide(TGraphSide side) { FSide = side; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible) { FVisible = visible; }
    const QString &Caption() const { return FCaption; }
    void SetCaption(const QString &caption) { FCaption = caption; }
    // Device coordinate of the caption along its side (y for left and right).
    int32_t CaptionPosition() const { return FCaptionPosition; }
    void SetCaptionPosition(int32_t position) { FCaptionPosition = position; }
    const TFont &CaptionFont() const { return FCaptionFont; }
    TFont &CaptionFont() { return FCaptionFont; }
    void SetCaptionFont(const TFont &font) { FCaptionFont = font; }

    void AddLabel(const QString &text, double value);
    void AddGridline(double value);
    void ClearLabels() { FLabels.clear(); }
    void ClearGridlines() { FGridlines.clear(); }
    int32_t LabelCount() const { return int32_t(FLabels.size()); }
    int32_t GridlineCount() const { return int32_t(FGridlines.size()); }
    // EInvalidLabelError / EInvalidGridlineError outside 1 .. count.
    const TGraphLabelDefinition &GetLabel(int32_t index) const;
    TGraphLabelDefinition &GetLabel(int32_t index)
    {
        return Mutable(std::as_const(*this).GetLabel(index));
    }
    double GetGridline(int32_t index) const;
    const std::vector<double> &Gridlines() const { return FGridlines; }

  private:
    TFont FLabelFont;
    QPen FPen = QPen(Qt::black);
    int32_t FLabelOffset = 0;
    TDoubleRect FRange{1.0, 1.0, 10.0, 10.0};
    TGraphSide FSide = gsBottom;
    std::vector<std::unique_ptr<TGraphLabelDefinition>> FLabels;
    std::vector<double> FGridlines;
    bool FVisible = true;
    QString FCaption;
    int32_t FCaptionPosition = 0;
    TFont FCaptionFont;
};

// One data series: its name, look, and the world rectangle it is drawn in.
class TSeriesDefinition : public TObject
{
  public:
    TSeriesDefinition() = default;
    void Assign(const TSeriesDefinition &source) { *this = source; }
    // Scales the marker; the range stays.
    void Scale(int32_t factor) { FMarker.Scale(factor); }

    const QString &Name() const { return FName; }
    void SetName(const QString &name) { FName = name; }
    const TMarkerDefinition &Marker() const { return FMarker; }
    TMarkerDefinition &Marker() { return FMarker; }
    const TDoubleRect &Range() const { return FRange; }
    TDoubleRect &Range() { return FRange; }
    void SetRange(const TDoubleRect &range) { FRange = range; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible) { FVisible = visible; }

  private:
    QString FName;
    TMarkerDefinition FMarker;
    TDoubleRect FRange{1.0, 1.0, 10.0, 10.0};
    bool FVisible = true;
};

// One legend row; hidden until set visible.
class TLegendCellDefinition : public TObject
{
  public:
    TLegendCellDefinition() = default;
    void Assign(const TLegendCellDefinition &source) { *this = source; }
    void Scale(int32_t factor) { FMarker.Scale(factor); }

    const TMarkerDefinition &Marker() const { return FMarker; }
    TMarkerDefinition &Marker() { return FMarker; }
    const QString &Text() const { return FText; }
    void SetText(const QString &text) { FText = text; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible) { FVisible = visible; }

  private:
    TMarkerDefinition FMarker;
    QString FText;
    bool FVisible = false;
};

// The legend strip at the right edge of the image.
class TLegendDefinition : public TObject
{
  public:
    TLegendDefinition() = default;
    TLegendDefinition(const TLegendDefinition &) = delete;
    TLegendDefinition &operator=(const TLegendDefinition &) = delete;
    void Assign(const TLegendDefinition &source);
    // Every measure, the font size and every cell's marker; all or nothing.
    void Scale(int32_t factor);

    void AddCell(std::unique_ptr<TLegendCellDefinition> cell);
    void ClearCells() { FCells.clear(); }
    int32_t CellCount() const { return int32_t(FCells.size()); }
    // EInvalidLegendIndexError outside 1 .. count.
    const TLegendCellDefinition &GetCell(int32_t index) const;
    TLegendCellDefinition &GetCell(int32_t index)
    {
        return Mutable(std::as_const(*this).GetCell(index));
    }

    const TFont &Font() const { return FFont; }
    TFont &Font() { return FFont; }
    void SetFont(const TFont &font) { FFont = font; }
    int32_t Top() const { return FTop; } // y of the first row
    void SetTop(int32_t v) { FTop = v; }
    int32_t Width() const { return FWidth; } // width of the strip
    void SetWidth(int32_t v) { FWidth = v; }
    int32_t RowHeight() const { return FRowHeight; }
    void SetRowHeight(int32_t v) { FRowHeight = v; }
    // Marker centre and text corner relative to the strip's left edge and the row's y.
    int32_t MarkerX() const { return FMarkerX; }
    void SetMarkerX(int32_t v) { FMarkerX = v; }
    int32_t MarkerY() const { return FMarkerY; }
    void SetMarkerY(int32_t v) { FMarkerY = v; }
    int32_t TextX() const { return FTextX; }
    void SetTextX(int32_t v) { FTextX = v; }
    int32_t TextY() const { return FTextY; }
    void SetTextY(int32_t v) { FTextY = v; }

  private:
    std::vector<std::unique_ptr<TLegendCellDefinition>> FCells;
    TFont FFont;
    int32_t FTop = 0;
    int32_t FWidth = 0;
    int32_t FRowHeight = 0;
    int32_t FMarkerX = 0;
    int32_t FMarkerY = 0;
    int32_t FTextX = 0;
    int32_t FTextY = 0;
};

class TGraphDefinition : public TObject
{
  public:
    TGraphDefinition();
    TGraphDefinition(const TGraphDefinition &) = delete;
    TGraphDefinition &operator=(const TGraphDefinition &) = delete;

    virtual int32_t SeriesCount() const { return int32_t(FSeries.size()); }
    // EInvalidSeriesError outside 1 .. SeriesCount.
    virtual const TSeriesDefinition &GetSeries(int32_t index) const;
    TSeriesDefinition &GetSeries(int32_t index)
    {
        return Mutable(std::as_const(*this).GetSeries(index));
    }
    // Deep copy. LegendVisible keeps the target's value; the dimensions are
    // copied without the dimension rule (the source keeps it already).
    virtual void Assign(const TGraphDefinition &source);

    void AddDependentAxis(std::unique_ptr<TAxisDefinition> axis);
    void AddIndependentAxis(std::unique_ptr<TAxisDefinition> axis);
    void AddSeries(std::unique_ptr<TSeriesDefinition> series);
    void AddTitle(std::unique_ptr<TTitleDefinition> title);
    void ClearDependentAxes() { FDependentAxes.clear(); }
    void ClearIndependentAxes() { FIndependentAxes.clear(); }
    void ClearSeries() { FSeries.clear(); }

    int32_t AxisCount() const { return int32_t(FDependentAxes.size() + FIndependentAxes.size()); }
    int32_t DependentAxisCount() const { return int32_t(FDependentAxes.size()); }
    int32_t IndependentAxisCount() const { return int32_t(FIndependentAxes.size()); }
    int32_t TitleCount() const { return int32_t(FTitles.size()); }

    // EInvalidAxisError / EInvalidTitleError outside 1 .. count.
    const TAxisDefinition &GetDependentAxis(int32_t index) const;
    TAxisDefinition &GetDependentAxis(int32_t index)
    {
        return Mutable(std::as_const(*this).GetDependentAxis(index));
    }
    const TAxisDefinition &GetIndependentAxis(int32_t index) const;
    TAxisDefinition &GetIndependentAxis(int32_t index)
    {
        return Mutable(std::as_const(*this).GetIndependentAxis(index));
    }
    // The independent axes first, then the dependent ones.
    const TAxisDefinition &GetAnyAxis(int32_t index) const;
    TAxisDefinition &GetAnyAxis(int32_t index)
    {
        return Mutable(std::as_const(*this).GetAnyAxis(index));
    }
    const TTitleDefinition &GetTitle(int32_t index) const;
    TTitleDefinition &GetTitle(int32_t index)
    {
        return Mutable(std::as_const(*this).GetTitle(index));
    }

    // Setters keep the dimension rule: left and right bands together fit the
    // width, top and bottom bands the height. A refused value raises
    // EGraphDimensionException and leaves the definition as it was.
    int32_t GetLabelDimension(TGraphSide side) const;
    void SetLabelDimension(TGraphSide side, int32_t value);
    int32_t GetTitleDimension(TGraphSide side) const;
    void SetTitleDimension(TGraphSide side, int32_t value);
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t value);
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t value);
    bool DimensionsFit() const;

    // Print magnification of every pixel measure. EInvalidScaleError below 1,
    // EIntOverflow when a product does not fit; either leaves the definition
    // unchanged.
    void Scale(int32_t factor);

    const QBrush &Brush() const { return FBrush; }
    QBrush &Brush() { return FBrush; }
    void SetBrush(const QBrush &brush) { FBrush = brush; }
    // The product of all factors passed to Scale; also the frame inset.
    int32_t ScaleFactor() const { return FScaleFactor; }
    const TLegendDefinition &Legend() const { return FLegend; }
    TLegendDefinition &Legend() { return FLegend; }
    bool LegendVisible() const { return FLegendVisible; }
    void SetLegendVisible(bool visible) { FLegendVisible = visible; }

  private:
    void ScaleInPlace(int32_t factor);
    void CommitScaled(const TGraphDefinition &scaled);

    QBrush FBrush;
    std::vector<std::unique_ptr<TAxisDefinition>> FDependentAxes;
    std::vector<std::unique_ptr<TAxisDefinition>> FIndependentAxes;
    std::vector<std::unique_ptr<TSeriesDefinition>> FSeries;
    std::vector<std::unique_ptr<TTitleDefinition>> FTitles;
    int32_t FWidth = 100;
    int32_t FHeight = 100;
    // One value per side, held in the order left, right, top, bottom.
    std::array<int32_t, 4> FLabelDimension{};
    std::array<int32_t, 4> FTitleDimension{};
    int32_t FScaleFactor = 1;
    TLegendDefinition FLegend;
    bool FLegendVisible = false;
};
