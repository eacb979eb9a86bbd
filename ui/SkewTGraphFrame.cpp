#include "ui/SkewTGraphFrame.h"

#include "foundation/CustomUtilities.h"
#include "graphs/SeriesDefaults.h"
#include "ui/MarkerSelector.h"
#include "ui/SkewTSeriesFrame.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {
void SetInitialTrace(TfraSkewTSeries &row, const QString &caption, const TMarkerDefinition &marker)
{
    row.lblFunction->setText(caption);
    row.mselMarker->SetMarkerDefinition(marker);
}
} // namespace

TfraSkewTGraph::TfraSkewTGraph(QWidget *parent) : QWidget(parent)
{
    // Pixel-sized, so the page fits the left pane whatever the desktop font.
    setFont(DefaultFont());

    fraTemperatureSeries = new TfraSkewTSeries(this);
    fraTemperatureSeries->setObjectName(QStringLiteral("fraTemperatureSeries"));
    SetInitialTrace(*fraTemperatureSeries, QStringLiteral("Temperature"),
                    InitialTemperatureMarker());
    fraDewpointSeries = new TfraSkewTSeries(this);
    fraDewpointSeries->setObjectName(QStringLiteral("fraDewpointSeries"));
    SetInitialTrace(*fraDewpointSeries, QStringLiteral("Dewpoint"), InitialDewpointMarker());

    const auto changed = [this](TfraSkewTSeries &) {
        if (OnMarkersChanged)
            OnMarkersChanged(TemperatureMarker(), DewpointMarker());
    };
    fraTemperatureSeries->OnChange = changed;
    fraDewpointSeries->OnChange = changed;

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(fraTemperatureSeries);
    layout->addWidget(fraDewpointSeries);
    layout->addStretch(1);
}

const TMarkerDefinition &TfraSkewTGraph::TemperatureMarker() const
{
    return fraTemperatureSeries->MarkerDefinition();
}

const TMarkerDefinition &TfraSkewTGraph::DewpointMarker() const
{
    return fraDewpointSeries->MarkerDefinition();
}
