#pragma once
// Small builders for the fixed layouts of the graph kinds.
#include "graphs/GraphDefinition.h"

#include <array>
#include <memory>

// A title at (x, y) from the origin of its side's title band; a pixel size of
// 0 keeps the default font.
std::unique_ptr<TTitleDefinition> NewTitle(const QString &text, TGraphSide side, int32_t x,
                                           int32_t y, int32_t pixelSize = 0);
// An axis with the placeholder range (1, 1, 2, 2) that every build replaces.
std::unique_ptr<TAxisDefinition> NewAxis(TGraphSide side, int32_t labelOffset,
                                         const QString &caption = QString(),
                                         int32_t captionPosition = 0);
// Size and bands, each array in the order left, right, top, bottom.
void SetLayoutBands(TGraphDefinition &definition, int32_t width, int32_t height,
                    const std::array<int32_t, 4> &labels, const std::array<int32_t, 4> &titles);
// The width of the legend strip every kind shares, which a print image
// adds to the right of the screen layout.
constexpr int32_t LegendStripWidth = 120;
// The legend strip every kind shares: first row at 70, LegendStripWidth
// wide, rows 30 apart, marker at (10, 10) and text at (40, 0) in the row.
void SetLegendLayout(TLegendDefinition &legend);
// Adds a legend cell holding a copy of the marker.
void AddLegendCell(TGraphDefinition &definition, const TMarkerDefinition &marker,
                   const QString &text = QString(), bool visible = false);
// Sets width, height and then the right title band as a build does, all or
// nothing: when the dimension rule refuses one of them the definition keeps
// its old size and bands.
void ResizeForBuild(TGraphDefinition &definition, int32_t width, int32_t height,
                    int32_t rightTitle);
