#pragma once
// TfraGraphSeries: one channel's row on the Standard and Time series pages:
// channel number, channel type, and either the value axis letter with a
// preview of the series' marker and line or, for the primary pressure
// channel of the Standard graph, the words "Vertical Axis".
#include "foundation/LocalDefs.h"
#include "graphs/MarkerDefinition.h"

#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QStackedWidget;
class TMarkerSelector;
class TfrmSeriesOptions;

class TfraGraphSeries : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraGraphSeries(QWidget *parent = nullptr);
    ~TfraGraphSeries() override;

    // Column widths shared with the pages' title row.
    static constexpr int32_t ChannelColumnWidth = 18;
    static constexpr int32_t OptionsColumnWidth = 64;
    static constexpr int32_t AxisLabelWidth = 16;
    static constexpr int32_t RowMargin = 2;
    static constexpr int32_t ColumnSpacing = 4;
    static constexpr int32_t RowHeight = 22;

    int32_t ChannelNumber() const { return FChannelNumber; }
    void SetChannelNumber(int32_t channel);
    TChannelType ChannelType() const { return FChannelType; }
    // The type's name is shown; a primary pressure channel shows "Vertical
    // Axis" instead of its options.
    void SetChannelType(TChannelType type);
    bool Primary() const { return FPrimary; }
    // A primary channel's labels are bold.
    void SetPrimary(bool primary);
    // 1 to 3, shown as "A" to "C".
    int32_t AxisNumber() const { return FAxisNumber; }
    void SetAxis(int32_t axis);

    // The preview control's marker definition.
    const TMarkerDefinition &MarkerDefinition() const;
    void SetMarkerDefinition(const TMarkerDefinition &marker);

    // In use: labels enabled, options shown.
    void Enable();
    // Not in use: greyed out, options hidden.
    void Disable();

    // Lets the operator edit the series in the row's dialog, opened at the
    // screen position; OK takes the result and raises OnChange.
    void OpenSeriesOptions(QPoint screenPosition);
    TfrmSeriesOptions &SeriesOptions() { return *FSeriesOptions; }

    // The operator changed the row's axis or marker.
    std::function<void(TfraGraphSeries &sender)> OnChange;

    QLabel *lblChannel = nullptr;
    QLabel *lblFunction = nullptr;
    QStackedWidget *pctlSeriesOptions = nullptr;
    QWidget *tsOptions = nullptr;
    QLabel *lblAxis = nullptr;
    TMarkerSelector *mselMarker = nullptr;
    QWidget *tsVerticalAxisLabel = nullptr;
    QLabel *lblVerticalAxis = nullptr;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void ShowOptionsPage();

    TChannelType FChannelType = ctTemperature;
    bool FPrimary = false;
    int32_t FChannelNumber = 1;
    int32_t FAxisNumber = 1;
    std::unique_ptr<TfrmSeriesOptions> FSeriesOptions;
};
