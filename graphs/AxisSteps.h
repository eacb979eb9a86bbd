#pragma once
// The stepped values of an axis (gridlines, labels, curve points): first,
// first + step, ... while the value does not pass last, accumulated by
// repeated addition as the layouts of the graph kinds are defined.
//
// Settings read from a file skip the checks of the setters, and even checked
// settings can ask for millions of values (a pressure interval of 0.0001).
// The walk is therefore bounded: the graph kinds refuse such settings before
// they change anything rather than exhaust memory or loop for ever.
#include <cstdint>
#include <vector>

// No axis of the Standard and Time graphs gets more gridlines than this.
// Stored settings may well ask for thousands (pressure 100 to 1000 mbar every
// 0.5 mbar is 1,801). A gridline with its labels costs a redraw about 20 us:
// this many take two seconds, a hundred times as many would take minutes.
constexpr int32_t MaxGridlines = 100000;
// The Skew-T's lines, labels and reference curves come from fixed ranges: no
// family gets more values than this, nor a curve more points, since curves
// and their points multiply.
constexpr int32_t MaxSkewTSteps = 1000;

// Fills values with first, first + step, ... up to last (inclusive). False,
// with values holding the first `limit` of them, when there would be more than
// `limit` (a step too small for the range, or one that does not advance the
// sum). A range that does not run from first up to last gives no values.
inline bool AxisSteps(double first, double last, double step, std::vector<double> &values,
                      int32_t limit = MaxGridlines)
{
    values.clear();
    for (double x = first; x <= last; x += step) {
        if (int32_t(values.size()) == limit)
            return false;
        values.push_back(x);
    }
    return true;
}

// The same walk downwards: first, first - step, ... while not below last.
inline bool AxisStepsDown(double first, double last, double step, std::vector<double> &values,
                          int32_t limit = MaxGridlines)
{
    values.clear();
    for (double x = first; x >= last; x -= step) {
        if (int32_t(values.size()) == limit)
            return false;
        values.push_back(x);
    }
    return true;
}
