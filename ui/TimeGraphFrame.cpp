#include "ui/TimeGraphFrame.h"

TfraTimeGraph::TfraTimeGraph(QWidget *parent) : TfraChannelGraph(parent) {}

void TfraTimeGraph::RaiseInvalidSeriesFrame(int32_t channel) const
{
    throw ETimeGraphInvalidSeriesFrameError(
        QStringLiteral("Time: SeriesFrame index %1 is invalid").arg(channel));
}
