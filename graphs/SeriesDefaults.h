#pragma once
// The series looks every graph starts with: what the window's series pages
// show before the operator changes anything, and so the settings a graph
// gets when nothing was saved (a run log replayed without a settings file).
#include "graphs/MarkerDefinition.h"

#include <cstdint>

class TValueAxesParameters;
class TSkewTGraphParameters;

// One channel's series on the Standard and Time graphs.
struct TInitialSeries
{
    int32_t Axis = 1; // value axis 1 .. 3
    TMarkerDefinition Marker;
};

// Channel 1 .. 10: thick lines without markers for the first two channels
// (usually temperature and pressure), markers for the rest, in colours that
// tell neighbouring channels apart. Another channel raises ERangeError.
TInitialSeries InitialChannelSeries(int32_t channel);
// The Skew-T traces: red temperature, blue dew point, thin lines.
TMarkerDefinition InitialTemperatureMarker();
TMarkerDefinition InitialDewpointMarker();

// Gives every channel of the parameters its initial axis and marker.
void ApplyInitialSeries(TValueAxesParameters &parameters);
// Gives both traces their initial markers.
void ApplyInitialSeries(TSkewTGraphParameters &parameters);
