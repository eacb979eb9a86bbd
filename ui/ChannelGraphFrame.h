#pragma once
// TfraChannelGraph: the series page of a graph that plots the telemetry
// channels (Standard and Time): a title row and one TfraGraphSeries per
// channel, fraGraphSeries1 to fraGraphSeries10. The rows start with the
// graphs' initial series settings; the main window copies them into the
// graph parameters at start-up.
#include "graphs/MarkerDefinition.h"

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class TfraGraphSeries;

class TfraChannelGraph : public QWidget
{
    Q_OBJECT

  public:
    static constexpr int32_t ChannelCount = 10;

    // The row of channel n (1 to 10); another n raises the page's own error.
    TfraGraphSeries &Series(int32_t channel);

    // A row changed: its channel, axis number and marker definition.
    std::function<void(int32_t channel, int32_t axis, const TMarkerDefinition &marker)>
        OnSeriesChanged;

    QWidget *pnlTitle = nullptr;
    QLabel *lblChannelTitle = nullptr;
    QLabel *lblFunctionTitle = nullptr;
    QLabel *lblAxisTitle = nullptr;

  protected:
    explicit TfraChannelGraph(QWidget *parent);
    [[noreturn]] virtual void RaiseInvalidSeriesFrame(int32_t channel) const = 0;

  private:
    std::array<TfraGraphSeries *, ChannelCount> FRows{};
};
