#pragma once
// TfraSkewTSeries: one trace's row on the Skew-T series page: its name and a
// preview of its marker and line, which opens the trace's dialog.
#include "graphs/MarkerDefinition.h"

#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class TMarkerSelector;
class TfrmSkewTSeriesOptions;

class TfraSkewTSeries : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraSkewTSeries(QWidget *parent = nullptr);
    ~TfraSkewTSeries() override;

    const TMarkerDefinition &MarkerDefinition() const;
    void SetMarkerDefinition(const TMarkerDefinition &marker);

    // Lets the operator edit the trace in the row's dialog, opened at the
    // screen position; OK takes the result and raises OnChange.
    void OpenSeriesOptions(QPoint screenPosition);
    TfrmSkewTSeriesOptions &SeriesOptions() { return *FSeriesOptions; }

    // The operator changed the row's marker.
    std::function<void(TfraSkewTSeries &sender)> OnChange;

    QLabel *lblFunction = nullptr;
    TMarkerSelector *mselMarker = nullptr;

  private:
    std::unique_ptr<TfrmSkewTSeriesOptions> FSeriesOptions;
};
