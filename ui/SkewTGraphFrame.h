#pragma once
// TfraSkewTGraph: the Skew-T graph's series page, one row each for the
// temperature and dew point traces. The rows start with the graph's initial
// trace settings; the main window copies them into the graph parameters at
// start-up.
#include "graphs/MarkerDefinition.h"

#include <QWidget>
#include <functional>

class TfraSkewTSeries;

class TfraSkewTGraph : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraSkewTGraph(QWidget *parent = nullptr);

    const TMarkerDefinition &TemperatureMarker() const;
    const TMarkerDefinition &DewpointMarker() const;

    // Either row changed: both rows' marker definitions.
    std::function<void(const TMarkerDefinition &temperature, const TMarkerDefinition &dewpoint)>
        OnMarkersChanged;

    TfraSkewTSeries *fraTemperatureSeries = nullptr;
    TfraSkewTSeries *fraDewpointSeries = nullptr;
};
