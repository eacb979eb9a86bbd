#include "graphs/GraphKindLayout.h"

std::unique_ptr<TTitleDefinition> NewTitle(const QString &text, TGraphSide side, int32_t x,
                                           int32_t y, int32_t pixelSize)
{
    auto title = std::make_unique<TTitleDefinition>();
    title->SetText(text);
    title->SetSide(side);
    title->SetX(x);
    title->SetY(y);
    if (pixelSize > 0)
        title->Font().SetPixelSize(pixelSize);
    return title;
}

std::unique_ptr<TAxisDefinition> NewAxis(TGraphSide side, int32_t labelOffset,
                                         const QString &caption, int32_t captionPosition)
{
    auto axis = std::make_unique<TAxisDefinition>();
    axis->SetSide(side);
    axis->SetLabelOffset(labelOffset);
    axis->SetCaption(caption);
    axis->SetCaptionPosition(captionPosition);
    axis->SetRange(TDoubleRect(1.0, 1.0, 2.0, 2.0));
    return axis;
}

void SetLayoutBands(TGraphDefinition &definition, int32_t width, int32_t height,
                    const std::array<int32_t, 4> &labels, const std::array<int32_t, 4> &titles)
{
    definition.SetWidth(width);
    definition.SetHeight(height);
    const TGraphSide sides[4] = {gsLeft, gsRight, gsTop, gsBottom};
    for (size_t i = 0; i < 4; ++i)
        definition.SetLabelDimension(sides[i], labels[i]);
    for (size_t i = 0; i < 4; ++i)
        definition.SetTitleDimension(sides[i], titles[i]);
}

void SetLegendLayout(TLegendDefinition &legend)
{
    legend.ClearCells();
    legend.SetTop(70);
    legend.SetWidth(LegendStripWidth);
    legend.SetRowHeight(30);
    legend.SetMarkerX(10);
    legend.SetMarkerY(10);
    legend.SetTextX(40);
    legend.SetTextY(0);
}

void AddLegendCell(TGraphDefinition &definition, const TMarkerDefinition &marker,
                   const QString &text, bool visible)
{
    auto cell = std::make_unique<TLegendCellDefinition>();
    cell->Marker().Assign(marker);
    cell->SetText(text);
    cell->SetVisible(visible);
    definition.Legend().AddCell(std::move(cell));
}

void ResizeForBuild(TGraphDefinition &definition, int32_t width, int32_t height, int32_t rightTitle)
{
    const int32_t oldWidth = definition.Width();
    const int32_t oldHeight = definition.Height();
    definition.SetWidth(width);
    try {
        definition.SetHeight(height);
        definition.SetTitleDimension(gsRight, rightTitle);
    } catch (...) {
        // The old size fitted the old bands, which a refusal left in place.
        definition.SetHeight(oldHeight);
        definition.SetWidth(oldWidth);
        throw;
    }
}
