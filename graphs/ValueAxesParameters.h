#pragma once
// TValueAxesParameters: what the Standard and the Time graph settings have in
// common: three value axes A, B and C (range, shown flag), the gridline
// interval of axis A, and for each of the ten channels its value axis and
// its marker. Each subclass names itself in its messages ("Std", "Time") and
// raises its own exception classes.
//
// Axis A carries the gridlines; B and C carry labels at A's gridline
// positions, reading their own scale there.
#include "devices/KestrinLibrary.h"
#include "graphs/GraphDefinition.h"
#include "graphs/MarkerDefinition.h"
#include "graphs/SettingsXml.h"
#include "pipeline/GraphParameters.h"

#include <QDomElement>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class TValueAxesParameters : public TGraphParameters
{
  public:
    static constexpr int32_t ValueAxisCount = 3;
    static constexpr int32_t ChannelCount = 10;

    // Series (channel) indexes run from 1 to 10, axis indexes from 1 to 3;
    // others raise the subclass's index error. Setters change nothing when
    // they refuse.
    TMarkerDefinition &GetDataMarker(int32_t index);
    const TMarkerDefinition &GetDataMarker(int32_t index) const;
    int32_t GetSeriesAxis(int32_t index) const;
    // The axis number is not checked here; building a layout refuses one
    // outside 1 .. 3.
    void SetSeriesAxis(int32_t index, int32_t axis);
    double GetDependentMin(int32_t index) const;
    double GetDependentMax(int32_t index) const;
    bool GetDependentAxisShown(int32_t index) const;
    // Axes 2 and 3 only: axis A cannot be hidden this way.
    void SetDependentAxisShown(int32_t index, bool shown);
    // Range error unless minimum < maximum.
    void SetDependentAxis(int32_t index, double minimum, double maximum);
    // Value error unless interval > 0.
    void SetDependentAxis(double interval);
    double DependentInterval() const { return FDependentInterval; }

  protected:
    TValueAxesParameters();

    // The first word of every message: "Std" or "Time".
    virtual QString MessagePrefix() const = 0;
    [[noreturn]] virtual void RaiseIndexError(const QString &message) const = 0;
    [[noreturn]] virtual void RaiseRangeError(const QString &message) const = 0;
    [[noreturn]] virtual void RaiseValueError(const QString &message) const = 0;

    // "<prefix>:<operation>: <text>".
    QString Message(const QString &operation, const QString &text) const;

    void AssignValueAxes(const TValueAxesParameters &source);
    bool SameValueAxes(const TValueAxesParameters &other) const;
    // Appends "DependentInterval", "DependentAxes" and "SeriesGroup".
    void SaveValueAxesToXML(QDomElement &element) const;
    // Reads them back: the elements by name, the first three children of
    // "DependentAxes" and the first ten of "SeriesGroup" by position.
    void LoadValueAxesFromXML(const TXmlReader &element);

    // The checks of a layout build, made before anything is changed, in the
    // style of the setter messages with the operation "BuildFromParameters".
    // An independent axis (pressure, time): interval > 0, minimum < maximum,
    // finite ends, and no more than MaxGridlines gridlines; returns the
    // gridline values. `name` starts the texts ("Pressure", "Time").
    std::vector<double> CheckIndependentAxis(const QString &name, double minimum, double maximum,
                                             double interval) const;
    // The value axes and the series' axis numbers; returns the positions of
    // axis A's gridlines.
    std::vector<double> CheckValueAxes() const;

  private:
    void CheckSeries(int32_t index, const char *operation, const char *noun) const;
    void CheckAxis(int32_t index, const char *operation, int32_t first = 1) const;

    double FDependentInterval = 10.0;
    std::array<double, ValueAxisCount> FDependentMinimum{0.0, 0.0, 0.0};
    std::array<double, ValueAxisCount> FDependentMaximum{100.0, 1000.0, 10.0};
    std::array<bool, ValueAxisCount> FDependentShown{true, true, true};
    std::array<int32_t, ChannelCount> FSeriesAxis{1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::array<TMarkerDefinition, ChannelCount> FDataMarkers;
};

// A number in a layout check's message: one decimal as the setters write,
// unless that would misstate the value (an interval of 0.0001 is not "0.0").
QString MessageNumber(double value);

enum TValueAxisOrientation : uint8_t
{
    voHorizontal = 0, // value axes along the bottom and top (Standard graph)
    voVertical = 1    // value axes at the left and right (Time graph)
};

// Gives dependent axes 1 to 3 of the definition their ranges, visibility,
// gridlines (A) and labels (A, B, C) from checked parameters; positions are
// axis A's gridline values as CheckValueAxes returned them.
void BuildValueAxes(TGraphDefinition &definition, const TValueAxesParameters &parameters,
                    const std::vector<double> &positions, TValueAxisOrientation orientation);
// Gives series 10 down to 1 their markers, visibility and ranges (the value
// axis's along the values, the independent axis's across them) and copies
// each marker into the series' legend cell.
void BuildValueSeries(TGraphDefinition &definition, const TValueAxesParameters &parameters,
                      const TAxisDefinition &independent, TValueAxisOrientation orientation);
// The legend row of each channel: the letter of its value axis, a space and
// the channel type's name; shown when the channel is in use and is not
// `hiddenChannel` (0 hides none).
void UpdateValueLegend(TGraphDefinition &definition, const TValueAxesParameters &parameters,
                       const TKestrinResult &configuration, int32_t hiddenChannel);
