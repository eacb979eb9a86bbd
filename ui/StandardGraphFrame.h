#pragma once
// TfraStandardGraph: the Standard graph's series page.
#include "foundation/Errors.h"
#include "ui/ChannelGraphFrame.h"

VENTREL_DECLARE_ERROR(EStdGraphInvalidSeriesFrameError, EVentrelError);

class TfraStandardGraph : public TfraChannelGraph
{
    Q_OBJECT

  public:
    explicit TfraStandardGraph(QWidget *parent = nullptr);

  protected:
    [[noreturn]] void RaiseInvalidSeriesFrame(int32_t channel) const override;
};
