#pragma once
// TfraTimeGraph: the Time graph's series page.
#include "foundation/Errors.h"
#include "ui/ChannelGraphFrame.h"

VENTREL_DECLARE_ERROR(ETimeGraphInvalidSeriesFrameError, EVentrelError);

class TfraTimeGraph : public TfraChannelGraph
{
    Q_OBJECT

  public:
    explicit TfraTimeGraph(QWidget *parent = nullptr);

  protected:
    [[noreturn]] void RaiseInvalidSeriesFrame(int32_t channel) const override;
};
