#include "graphs/GraphDefinition.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"

namespace {

QString IndexMessage(const QString &prefix, int32_t index)
{
    return prefix + QString::number(index) + QStringLiteral(" is invalid");
}

void RefuseScale(const char *className, int32_t factor)
{
    if (factor < 1)
        throw EInvalidScaleError(QStringLiteral("%1: Scale factor %2 is invalid.")
                                     .arg(QLatin1String(className))
                                     .arg(factor));
}

template <class T>
std::vector<std::unique_ptr<T>> CopyList(const std::vector<std::unique_ptr<T>> &source)
{
    std::vector<std::unique_ptr<T>> copy;
    copy.reserve(source.size());
    for (const auto &item : source) {
        auto element = std::make_unique<T>();
        element->Assign(*item);
        copy.push_back(std::move(element));
    }
    return copy;
}

} // namespace

// ---------------------------------------------------------------- TTitleDefinition

void TTitleDefinition::Scale(int32_t factor)
{
    RefuseScale("TTitleDefinition", factor);
    TFont font = FFont;
    font.Scale(factor);
    const int32_t x = CheckedMultiply(FX, factor);
    const int32_t y = CheckedMultiply(FY, factor);
    FFont = font, FX = x, FY = y;
}

// ---------------------------------------------------------------- TAxisDefinition

void TAxisDefinition::Assign(const TAxisDefinition &source)
{
    if (&source == this)
        return;
    FLabelFont = source.FLabelFont;
    FPen = source.FPen;
    FLabelOffset = source.FLabelOffset;
    FRange = source.FRange;
    FSide = source.FSide;
    FLabels = CopyList(source.FLabels);
    FGridlines = source.FGridlines;
    FVisible = source.FVisible;
    FCaption = source.FCaption;
    FCaptionPosition = source.FCaptionPosition;
    FCaptionFont = source.FCaptionFont;
}

void TAxisDefinition::Scale(int32_t factor)
{
    RefuseScale("TAxisDefinition", factor);
    TFont labelFont = FLabelFont, captionFont = FCaptionFont;
    labelFont.Scale(factor);
    captionFont.Scale(factor);
    const int32_t offset = CheckedMultiply(FLabelOffset, factor);
    const int32_t position = CheckedMultiply(FCaptionPosition, factor);
    FLabelFont = labelFont, FCaptionFont = captionFont;
    FLabelOffset = offset, FCaptionPosition = position;
}

void TAxisDefinition::AddLabel(const QString &text, double value)
{
    FLabels.push_back(std::make_unique<TGraphLabelDefinition>(text, value));
}

void TAxisDefinition::AddGridline(double value)
{
    FGridlines.push_back(value);
}

const TGraphLabelDefinition &TAxisDefinition::GetLabel(int32_t index) const
{
    if (index < 1 || index > LabelCount())
        throw EInvalidLabelError(IndexMessage(QStringLiteral("Label index "), index));
    return *FLabels[size_t(index - 1)];
}

double TAxisDefinition::GetGridline(int32_t index) const
{
    if (index < 1 || index > GridlineCount())
        throw EInvalidGridlineError(IndexMessage(QStringLiteral("Gridline index "), index));
    return FGridlines[size_t(index - 1)];
}

// ---------------------------------------------------------------- TLegendDefinition

void TLegendDefinition::Assign(const TLegendDefinition &source)
{
    if (&source == this)
        return;
    FFont = source.FFont;
    FTop = source.FTop;
    FWidth = source.FWidth;
    FRowHeight = source.FRowHeight;
    FMarkerX = source.FMarkerX;
    FMarkerY = source.FMarkerY;
    FTextX = source.FTextX;
    FTextY = source.FTextY;
    FCells = CopyList(source.FCells);
}

void TLegendDefinition::Scale(int32_t factor)
{
    RefuseScale("TLegendDefinition", factor);
    TFont font = FFont;
    font.Scale(factor);
    const std::array<int32_t, 7> scaled{
        CheckedMultiply(FTop, factor),       CheckedMultiply(FWidth, factor),
        CheckedMultiply(FRowHeight, factor), CheckedMultiply(FMarkerX, factor),
        CheckedMultiply(FMarkerY, factor),   CheckedMultiply(FTextX, factor),
        CheckedMultiply(FTextY, factor)};
    std::vector<TMarkerDefinition> markers;
    markers.reserve(FCells.size());
    for (const auto &cell : FCells) {
        markers.push_back(cell->Marker());
        markers.back().Scale(factor);
    }
    FFont = font;
    FTop = scaled[0], FWidth = scaled[1], FRowHeight = scaled[2];
    FMarkerX = scaled[3], FMarkerY = scaled[4], FTextX = scaled[5], FTextY = scaled[6];
    for (size_t i = 0; i < FCells.size(); ++i)
        FCells[i]->Marker() = markers[i];
}

void TLegendDefinition::AddCell(std::unique_ptr<TLegendCellDefinition> cell)
{
    FCells.push_back(std::move(cell));
}

const TLegendCellDefinition &TLegendDefinition::GetCell(int32_t index) const
{
    if (index < 1 || index > CellCount())
        throw EInvalidLegendIndexError(IndexMessage(QStringLiteral("Legend Cell "), index));
    return *FCells[size_t(index - 1)];
}

// ---------------------------------------------------------------- TGraphDefinition

TGraphDefinition::TGraphDefinition() : FBrush(DefaultBrush()) {}

const TSeriesDefinition &TGraphDefinition::GetSeries(int32_t index) const
{
    if (index < 1 || index > int32_t(FSeries.size()))
        throw EInvalidSeriesError(IndexMessage(QStringLiteral("Series index "), index));
    return *FSeries[size_t(index - 1)];
}

void TGraphDefinition::Assign(const TGraphDefinition &source)
{
    if (&source == this)
        return;
    FScaleFactor = source.FScaleFactor;
    FBrush = source.FBrush;
    FLabelDimension = source.FLabelDimension;
    FTitleDimension = source.FTitleDimension;
    FWidth = source.FWidth;
    FHeight = source.FHeight;
    FLegend.Assign(source.FLegend);
    FIndependentAxes.clear();
    for (const auto &axis : source.FIndependentAxes) {
        auto copy = std::make_unique<TAxisDefinition>();
        copy->Assign(*axis);
        FIndependentAxes.push_back(std::move(copy));
    }
    FDependentAxes.clear();
    for (const auto &axis : source.FDependentAxes) {
        auto copy = std::make_unique<TAxisDefinition>();
        copy->Assign(*axis);
        FDependentAxes.push_back(std::move(copy));
    }
    FSeries = CopyList(source.FSeries);
    FTitles = CopyList(source.FTitles);
}

void TGraphDefinition::AddDependentAxis(std::unique_ptr<TAxisDefinition> axis)
{
    FDependentAxes.push_back(std::move(axis));
}

void TGraphDefinition::AddIndependentAxis(std::unique_ptr<TAxisDefinition> axis)
{
    FIndependentAxes.push_back(std::move(axis));
}

void TGraphDefinition::AddSeries(std::unique_ptr<TSeriesDefinition> series)
{
    FSeries.push_back(std::move(series));
}

void TGraphDefinition::AddTitle(std::unique_ptr<TTitleDefinition> title)
{
    FTitles.push_back(std::move(title));
}

const TAxisDefinition &TGraphDefinition::GetDependentAxis(int32_t index) const
{
    if (index < 1 || index > DependentAxisCount())
        throw EInvalidAxisError(IndexMessage(QStringLiteral("Dependent axis index "), index));
    return *FDependentAxes[size_t(index - 1)];
}

const TAxisDefinition &TGraphDefinition::GetIndependentAxis(int32_t index) const
{
    if (index < 1 || index > IndependentAxisCount())
        throw EInvalidAxisError(IndexMessage(QStringLiteral("Independent axis index "), index));
    return *FIndependentAxes[size_t(index - 1)];
}

const TAxisDefinition &TGraphDefinition::GetAnyAxis(int32_t index) const
{
    if (index < 1 || index > AxisCount())
        throw EInvalidAxisError(IndexMessage(QStringLiteral("\"Any axis\" index "), index));
    if (index <= IndependentAxisCount())
        return *FIndependentAxes[size_t(index - 1)];
    return *FDependentAxes[size_t(index - 1 - IndependentAxisCount())];
}

const TTitleDefinition &TGraphDefinition::GetTitle(int32_t index) const
{
    if (index < 1 || index > TitleCount())
        throw EInvalidTitleError(IndexMessage(QStringLiteral("Title index "), index));
    return *FTitles[size_t(index - 1)];
}

bool TGraphDefinition::DimensionsFit() const
{
    const auto sum = [](int32_t a, int32_t b, int32_t c, int32_t d) {
        return int64_t(a) + b + c + d;
    };
    const int64_t across =
        sum(FLabelDimension[0], FTitleDimension[0], FLabelDimension[1], FTitleDimension[1]);
    const int64_t down =
        sum(FLabelDimension[2], FTitleDimension[2], FLabelDimension[3], FTitleDimension[3]);
    return across <= FWidth && down <= FHeight;
}

int32_t TGraphDefinition::GetLabelDimension(TGraphSide side) const
{
    return FLabelDimension[SideSlot(side)];
}

void TGraphDefinition::SetLabelDimension(TGraphSide side, int32_t value)
{
    const size_t slot = SideSlot(side);
    if (value < 0)
        throw EGraphDimensionException(QStringLiteral("Label Dimension must be >= 0"));
    const int32_t old = FLabelDimension[slot];
    FLabelDimension[slot] = value;
    if (!DimensionsFit()) {
        FLabelDimension[slot] = old;
        throw EGraphDimensionException(
            QStringLiteral("Label Dimension too large for current graph"));
    }
}

int32_t TGraphDefinition::GetTitleDimension(TGraphSide side) const
{
    return FTitleDimension[SideSlot(side)];
}

void TGraphDefinition::SetTitleDimension(TGraphSide side, int32_t value)
{
    const size_t slot = SideSlot(side);
    if (value < 0)
        throw EGraphDimensionException(QStringLiteral("Title Dimension must be >= 0"));
    const int32_t old = FTitleDimension[slot];
    FTitleDimension[slot] = value;
    if (!DimensionsFit()) {
        FTitleDimension[slot] = old;
        throw EGraphDimensionException(
            QStringLiteral("Title Dimension too large for current graph"));
    }
}

void TGraphDefinition::SetWidth(int32_t value)
{
    const int32_t old = FWidth;
    FWidth = value;
    if (!DimensionsFit()) {
        FWidth = old;
        throw EGraphDimensionException(
            QStringLiteral("Width is too small for label and title dimensions"));
    }
}

void TGraphDefinition::SetHeight(int32_t value)
{
    const int32_t old = FHeight;
    FHeight = value;
    if (!DimensionsFit()) {
        FHeight = old;
        throw EGraphDimensionException(
            QStringLiteral("Height is too small for label and title dimensions"));
    }
}

void TGraphDefinition::Scale(int32_t factor)
{
    RefuseScale("TGraphDefinition", factor);
    // Scaled on a copy, so that an overflow part of the way leaves this
    // definition as it was.
    TGraphDefinition scaled;
    scaled.TGraphDefinition::Assign(*this);
    scaled.ScaleInPlace(factor);
    CommitScaled(scaled);
}

void TGraphDefinition::ScaleInPlace(int32_t factor)
{
    for (auto &axis : FDependentAxes)
        axis->Scale(factor);
    for (auto &axis : FIndependentAxes)
        axis->Scale(factor);
    for (auto &series : FSeries)
        series->Scale(factor);
    for (auto &title : FTitles)
        title->Scale(factor);
    FLegend.Scale(factor);
    FWidth = CheckedMultiply(FWidth, factor);
    FHeight = CheckedMultiply(FHeight, factor);
    for (int32_t &v : FLabelDimension)
        v = CheckedMultiply(v, factor);
    for (int32_t &v : FTitleDimension)
        v = CheckedMultiply(v, factor);
    FScaleFactor = CheckedMultiply(FScaleFactor, factor);
}

void TGraphDefinition::CommitScaled(const TGraphDefinition &scaled)
{
    // Element by element, so that references to axes, series, titles and
    // legend cells stay valid across a Scale.
    for (size_t i = 0; i < FDependentAxes.size(); ++i)
        FDependentAxes[i]->Assign(*scaled.FDependentAxes[i]);
    for (size_t i = 0; i < FIndependentAxes.size(); ++i)
        FIndependentAxes[i]->Assign(*scaled.FIndependentAxes[i]);
    for (size_t i = 0; i < FSeries.size(); ++i)
        FSeries[i]->Assign(*scaled.FSeries[i]);
    for (size_t i = 0; i < FTitles.size(); ++i)
        FTitles[i]->Assign(*scaled.FTitles[i]);
    const TLegendDefinition &legend = scaled.FLegend;
    FLegend.SetFont(legend.Font());
    FLegend.SetTop(legend.Top());
    FLegend.SetWidth(legend.Width());
    FLegend.SetRowHeight(legend.RowHeight());
    FLegend.SetMarkerX(legend.MarkerX());
    FLegend.SetMarkerY(legend.MarkerY());
    FLegend.SetTextX(legend.TextX());
    FLegend.SetTextY(legend.TextY());
    for (int32_t i = 1; i <= FLegend.CellCount(); ++i)
        FLegend.GetCell(i).Assign(legend.GetCell(i));
    FWidth = scaled.FWidth;
    FHeight = scaled.FHeight;
    FLabelDimension = scaled.FLabelDimension;
    FTitleDimension = scaled.FTitleDimension;
    FScaleFactor = scaled.FScaleFactor;
}
