#include "ui/StandardGraphFrame.h"

TfraStandardGraph::TfraStandardGraph(QWidget *parent) : TfraChannelGraph(parent) {}

void TfraStandardGraph::RaiseInvalidSeriesFrame(int32_t channel) const
{
    throw EStdGraphInvalidSeriesFrameError(
        QStringLiteral("SeriesFrame index %1 is invalid").arg(channel));
}
