#pragma once
// The analysis overlays of the Skew-T diagram: the path of the surface
// parcel, the standard atmosphere's temperature, and a box with the figures
// of the sounding analysis in the top-right corner of the plot. They are
// drawn only when switched on in the diagram's parameters.
//
// Every measure here is a screen measure; print images multiply it by the
// definition's scale factor, as they do the rest of the layout. Line widths
// stay as on screen, as those of every printed curve do.
#include "foundation/LocalDefs.h"
#include "graphs/Canvas.h"
#include "graphs/DataGraph.h"
#include "graphs/MarkerDefinition.h"
#include "sounding/SoundingAnalysis.h"

#include <QString>
#include <vector>

// One row of the analysis box.
struct TAnalysisBoxRow
{
    QString Caption;
    QString Value;

    bool operator==(const TAnalysisBoxRow &other) const = default;
};
using TAnalysisBoxRows = std::vector<TAnalysisBoxRow>;

// The rows of the box, in the system number format, altitudes in `unit`:
//   LCL         912 mbar, 14.2 °C
//   CAPE        1234 J/kg
//   CIN         -56 J/kg
//   PW          23.4 mm
//   Freezing    2345 m, 760 mbar
//   Tropopause  11234 m, 225 mbar
// "n/a" for a figure the data do not (yet) give.
TAnalysisBoxRows AnalysisBoxRows(const TSoundingAnalysis &analysis, TLengthUnit unit);

// What the diagram draws besides its series; a null member is not drawn.
struct TSkewTOverlays
{
    const TDataPointList *ParcelTrace = nullptr;
    const TDataPointList *StandardAtmosphere = nullptr;
    const TAnalysisBoxRows *AnalysisBox = nullptr;
};

// The looks of the two curves at the given scale: dashed dark orange for the
// parcel, thin dashed grey for the standard atmosphere. No markers.
TMarkerDefinition ParcelTraceMarker(int32_t scale = 1);
TMarkerDefinition StandardAtmosphereMarker(int32_t scale = 1);
// Their rows in the legend of print images.
extern const char *const ParcelLegendText;
extern const char *const StandardAtmosphereLegendText;

// The font of the box at the given scale (a little smaller than the labels).
TFont AnalysisBoxFont(int32_t scale = 1);

// Where the box and its texts go.
struct TAnalysisBoxLayout
{
    TRect Box;                          // as Rectangle takes it; all zero when there is no box
    std::vector<QPoint> CaptionOrigins; // top-left corners, one per row
    std::vector<QPoint> ValueOrigins;
};

// The box for `rows` in the top-right corner of `plot`, inset from the frame,
// captions in one column and values aligned in a second. The canvas measures
// the texts in the box's font, which it must hold. Empty when the box would
// take more than half the plot's width or height: on a diagram that small it
// would cover what it describes and the traces would run through its text.
TAnalysisBoxLayout LayoutAnalysisBox(TCanvas &canvas, const TRect &plot,
                                     const TAnalysisBoxRows &rows, int32_t scale);
// Draws the box: an opaque white rectangle with a grey outline and the texts
// in black. Pen, brush and font of the canvas are put back.
void DrawAnalysisBox(TCanvas &canvas, const TRect &plot, const TAnalysisBoxRows &rows,
                     int32_t scale);
