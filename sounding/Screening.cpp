#include "sounding/Screening.h"

#include "sounding/Thermodynamics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

// Where the rules come from. The US Federal Meteorological Handbook No. 3
// (FMH-3, 1997), chapter 4 "Quality control at the stations", judges sounding
// data by known sensor limitations and by what is physically possible in the
// atmosphere: data found erroneous are eliminated and become missing data,
// data only suspected are kept and reported as doubtful. Its section 4.2
// puts pressure first, because every other value of the report is placed by
// its pressure. The WMO Guide to Instruments and Methods of Observation
// (WMO-No. 8), part I, chapter 12, gives the radiosonde's sensor noise the
// thresholds must stand clear of: a few tenths of a hPa, of a kelvin and a
// few %RH. The WMO Manual on Codes (WMO-No. 306), FM 35 TEMP, fixes how a
// layer of missing data is reported; the BUFR flag table 0 08 042 marks its
// edges (bits 8/9 temperature, 10/11 humidity).

namespace {

constexpr double SecondsPerDay = 86400.0;
constexpr size_t None = static_cast<size_t>(-1);
// Bounds on the neighbours a rule looks at, whatever the options say, so
// that a burst of frames a few milliseconds apart cannot make it quadratic.
constexpr int MaxPressureNeighbours = 8;
constexpr int MaxSpikeNeighbours = 16;

// The median of a handful of values, which it reorders (of an even count,
// the mean of the middle two).
double MedianOf(double *values, int n)
{
    std::sort(values, values + n);
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Clamp(int value, int low, int high)
{
    return std::max(low, std::min(value, high));
}

// Pressure (FMH-3 4.2): the ascent is smooth in ln p against time (a
// constant rise rate gives a straight line), so each frame is compared with
// the line through its neighbours. The line is a Theil-Sen fit, the median
// of the pairwise slopes and of the intercepts, so that one bad neighbour
// among six does not move it. The threshold is 1 hPa or 2 per mille of the
// frame's pressure, whichever is larger, measured in ln p (a departure d
// from p counts as ln(1 + d / p), within 0.1 % of d / p up to 2 per mille;
// at 5 hPa the 1 hPa becomes -0.9 / +1.1 hPa). 1 hPa stands clear of the
// sensor's noise, a few tenths of a hPa at any level (WMO-No. 8, part I,
// ch. 12): with +-0.3 hPa the fit's residuals stay under 0.6 hPa in a 6 m/s
// ascent with 1 s frames. The relative part is some 16 m of height: the
// balloon's real rise rate wobbles (0.5-1 m/s over tens of seconds), which a
// line through frames 10 s apart cannot follow, and near the ground a few
// metres are most of a hPa. A jump of 2 hPa at 500 hPa (30 m off the level
// at which every value of the frame is placed) goes. A frame is judged only
// with neighbours on both sides and three in all: the release frame and the
// edges of a fade cannot be told from a jump and are kept.
//
// `axis` and `logP` (NaN without a pressure) are those of the frames whose
// pressures pressure(k) gives; the result marks the jumps.
template <class Pressure>
std::vector<char> PressureJumps(const std::vector<double> &axis, const std::vector<double> &logP,
                                Pressure pressure, const TScreeningOptions &options)
{
    std::vector<char> jump(axis.size(), 0);
    // The frames with a pressure, side by side.
    std::vector<uint32_t> at;
    at.reserve(axis.size());
    for (size_t k = 0; k < axis.size(); ++k)
        if (std::isfinite(logP[k]))
            at.push_back(uint32_t(k));

    const int perSide = Clamp(options.PressureNeighbours, 1, MaxPressureNeighbours);
    std::array<double, 2 * MaxPressureNeighbours> dt{}, y{}, residual{};
    std::array<double, MaxPressureNeighbours *(2 * MaxPressureNeighbours - 1)> slope{};
    const size_t m = at.size();
    for (size_t q = 0; q < m; ++q) {
        const double t = axis[at[q]];
        // dt and y: the left neighbours nearest first, then the right ones.
        int left = 0, right = 0;
        for (size_t r = q; r > 0 && left < perSide; --r, ++left) {
            const double d = axis[at[r - 1]] - t;
            if (-d > options.NeighbourSeconds)
                break;
            dt[left] = d;
            y[left] = logP[at[r - 1]];
        }
        for (size_t r = q + 1; r < m && right < perSide; ++r, ++right) {
            const double d = axis[at[r]] - t;
            if (d > options.NeighbourSeconds)
                break;
            dt[left + right] = d;
            y[left + right] = logP[at[r]];
        }
        const int n = left + right;
        if (left == 0 || right == 0 || n < 3)
            continue;
        // With three or more on each side, the slopes of the pairs straddling
        // the frame at equal rank (wide, and each spoilt by one bad frame at
        // most) suffice; with fewer, every pair's.
        int slopes = 0;
        const int side = std::min(left, right);
        if (side >= 3) {
            for (int a = 0; a < side; ++a)
                if (dt[left + a] != dt[a])
                    slope[slopes++] = (y[left + a] - y[a]) / (dt[left + a] - dt[a]);
        } else {
            for (int a = 0; a < n; ++a)
                for (int b = a + 1; b < n; ++b)
                    if (dt[b] != dt[a])
                        slope[slopes++] = (y[b] - y[a]) / (dt[b] - dt[a]);
        }
        const double s = slopes == 3  ? std::max(std::min(slope[0], slope[1]),
                                                 std::min(std::max(slope[0], slope[1]), slope[2]))
                         : slopes > 0 ? MedianOf(slope.data(), slopes)
                                      : 0.0;
        // The line's ln p at the frame is the median of y - s dt; taken from
        // the frame's own ln p, it must lie within +-limit. Counts decide
        // unless the two middle values (ranks lo and hi) straddle an edge;
        // only then is the median worked out.
        const double limit = std::max(options.PressureDeparture / pressure(at[q]),
                                      options.PressureRelativeDeparture);
        const double low = -limit, high = limit;
        int below = 0, above = 0;
        for (int a = 0; a < n; ++a) {
            residual[a] = y[a] - s * dt[a] - logP[at[q]];
            below += residual[a] < low;
            above += residual[a] > high;
        }
        const int lo = (n - 1) / 2, hi = n / 2;
        bool off;
        if (below <= lo && above <= n - 1 - hi)
            off = false;
        else if (below > hi || above > n - 1 - lo)
            off = true;
        else {
            const double median = MedianOf(residual.data(), n);
            off = median < low || median > high;
        }
        if (off)
            jump[at[q]] = 1;
    }
    return jump;
}

// Spikes (FMH-3 ch. 4: a value that is not physically possible is erroneous
// and becomes missing): a value further than `limit` from the median of the
// values around it. A median keeps a step, and any monotone stretch such as
// an inversion, exactly, as long as the window holds as many values on each
// side; so the window takes min(left, right) values on each side, and a
// value with none on one side (the first and last of the ascent, the edges
// of a fade) is not judged. Where the profile turns (the top of an
// inversion) the median falls behind by the slower side's change over the
// window: the window is kept short, SpikeWindowSeconds, and only widened to
// SpikeMinNeighbours values a side for slow frame rates, so that two spiked
// frames in a row are still outvoted.
//
// value(i) is the value of frame i, NaN for none; `spike` marks the spikes,
// `at` is room for the indexes of the valid values.
template <class Value>
void MarkSpikes(const std::vector<double> &axis, Value value, double limit,
                const TScreeningOptions &options, std::vector<uint32_t> &at,
                std::vector<char> &spike)
{
    const size_t frames = axis.size();
    spike.assign(frames, 0);
    at.resize(frames);
    size_t m = 0;
    for (size_t i = 0; i < frames; ++i)
        if (std::isfinite(value(i)))
            at[m++] = uint32_t(i);
    auto t = [&](size_t q) { return axis[at[q]]; };
    auto v = [&](size_t q) { return value(at[q]); };
    const size_t maxSide = MaxSpikeNeighbours;
    const size_t minSide = size_t(Clamp(options.SpikeMinNeighbours, 1, MaxSpikeNeighbours));
    const double near = options.SpikeWindowSeconds, far = options.SpikeMaxWindowSeconds;
    // The first value within `near` and within `far` before the value, and
    // one past the last value within them after it: they only move on.
    size_t nearFrom = 0, farFrom = 0, nearTo = 0, farTo = 0;
    for (size_t q = 0; q < m; ++q) {
        const double tq = t(q);
        while (tq - t(nearFrom) > near)
            ++nearFrom;
        while (tq - t(farFrom) > far)
            ++farFrom;
        while (nearTo < m && t(nearTo) - tq <= near)
            ++nearTo;
        while (farTo < m && t(farTo) - tq <= far)
            ++farTo;
        const size_t left =
            std::min(std::max(q - nearFrom, std::min(minSide, q - farFrom)), maxSide);
        const size_t right =
            std::min(std::max(nearTo - 1 - q, std::min(minSide, farTo - 1 - q)), maxSide);
        const size_t side = std::min(left, right);
        if (side == 0)
            continue;
        // The median of the 2 side + 1 values lies within the limit of v when
        // side + 1 of them do (v itself is one): nearest values first, most
        // often done after a few. Otherwise it lies below v - limit when at
        // least side + 1 of them do, above v + limit likewise: counts
        // instead of a sort.
        const double low = v(q) - limit, high = v(q) + limit;
        auto within = [&](double w) { return size_t(w >= low && w <= high); };
        size_t inside = 1;
        for (size_t d = 1; d <= side && inside <= side; ++d)
            inside += within(v(q - d)) + within(v(q + d));
        if (inside > side)
            continue;
        size_t below = 0, above = 0;
        for (size_t r = q - side; r <= q + side; ++r) {
            below += v(r) < low;
            above += v(r) > high;
        }
        if (below > side || above > side)
            spike[at[q]] = 1;
    }
}

// The gaps of both kinds, in increasing height (a temperature gap first
// where both start at one frame).
void FindGaps(const TScreenedFrames &screened, double startTime, const TScreeningOptions &options,
              std::vector<TScreeningGap> &gaps)
{
    size_t previous[2] = {None, None}; // the last valid frame of each kind
    for (size_t i = 0; i < screened.Frames.size(); ++i) {
        const TSoundingFrame &frame = screened.Frames[i];
        if (!frame.HasPressure())
            continue;
        for (const TGapKind what : {gkTemperature, gkHumidity}) {
            if (!(what == gkTemperature ? frame.HasTemperature() : frame.HasHumidity()))
                continue;
            const size_t before = previous[what];
            previous[what] = i;
            if (before == None)
                continue;
            const TSoundingFrame &below = screened.Frames[before];
            const double duration =
                (frame.Time - startTime) * SecondsPerDay - (below.Time - startTime) * SecondsPerDay;
            // NaN without both altitudes: then the time alone decides. Two
            // frames in a row enclose no missing layer, however far apart a
            // coarse pressure sensor puts them near the top.
            const double thickness =
                i > before + 1 ? frame.Altitude - below.Altitude : TSoundingFrame::Missing;
            if (!(duration > options.GapSeconds || thickness > options.GapMetres))
                continue;
            TScreeningGap gap;
            gap.What = what;
            gap.Before = before;
            gap.After = i;
            gap.BottomPressure = below.Pressure;
            gap.TopPressure = frame.Pressure;
            gap.BottomAltitude = below.Altitude;
            gap.TopAltitude = frame.Altitude;
            gap.Seconds = duration;
            gap.TooThickToInterpolate =
                below.Pressure - frame.Pressure > options.InterpolableGapPressure;
            gaps.push_back(gap);
        }
    }
    std::stable_sort(gaps.begin(), gaps.end(), [](const TScreeningGap &a, const TScreeningGap &b) {
        return a.Before < b.Before;
    });
}

// Superadiabatic layers (FMH-3 ch. 4: a lapse rate beyond the dry adiabat,
// g/cp = 9.8 K/km, is physically possible only in the lowest few hundred
// metres over ground heated by the sun; higher up it is doubtful data, kept
// and warned about). Measured as a fall of potential temperature with height
// of more than 1 K, the quality-control criterion of Slonaker, Schwartz and
// Emery (1996, Weather and Forecasting 11, 350-359) for non-surface
// superadiabatic layers, which unlike a lapse rate is not set off by thin
// layers: across a layer of depth d it takes a lapse rate above
// 9.8 K/km + 1 K / d. The lowest 500 m over the first frame are left out, and
// temperature, ln p and altitude are averaged over +-15 s (100-200 m of
// ascent) first, so that sensor noise between frames metres apart, and the
// altitude noise a pressure sensor gives high up, decide nothing.
void FindSuperadiabaticLayers(TScreenedFrames &screened, const std::vector<double> &axis,
                              const std::vector<double> &logP, const TScreeningOptions &options)
{
    const TSoundingFrames &frames = screened.Frames;
    const size_t n = frames.size();
    auto firstWithAltitude = std::find_if(frames.begin(), frames.end(),
                                          [](const TSoundingFrame &f) { return f.HasAltitude(); });
    if (firstWithAltitude == frames.end())
        return;
    const double baseAltitude = firstWithAltitude->Altitude + options.SuperadiabaticBaseMetres;
    const double window = options.SuperadiabaticSmoothingSeconds;
    auto valid = [&](size_t i) {
        return frames[i].HasPressure() && frames[i].HasTemperature() && frames[i].HasAltitude();
    };

    // A level of the smoothed profile.
    struct TMean
    {
        size_t Frame = 0;
        double Temperature = 0.0, Altitude = 0.0, Theta = 0.0;
    };
    TMean bottom, top;
    bool started = false, inLayer = false;
    auto close = [&] {
        const double depth = top.Altitude - bottom.Altitude;
        if (depth <= 0.0)
            return;
        TSuperadiabaticLayer layer;
        layer.Bottom = bottom.Frame;
        layer.Top = top.Frame;
        layer.BottomPressure = frames[bottom.Frame].Pressure;
        layer.TopPressure = frames[top.Frame].Pressure;
        layer.BottomAltitude = frames[bottom.Frame].Altitude;
        layer.TopAltitude = frames[top.Frame].Altitude;
        layer.LapseRate = (bottom.Temperature - top.Temperature) / depth * 1000.0;
        layer.PotentialTemperatureDrop = bottom.Theta - top.Theta;
        screened.Superadiabatic.push_back(layer);
    };

    // Running sums over the frames within the window of each valid frame
    // (the axis never decreases), then the scan for layers: potential
    // temperature falling more than the drop below the warmest level so far
    // opens a layer, which ends at its coldest level once the air is stable
    // again (warmer than that by the drop).
    double sumT = 0.0, sumLogP = 0.0, sumZ = 0.0;
    size_t count = 0, begin = 0, end = 0;
    const double log1000 = std::log(1000.0);
    for (size_t i = 0; i < n; ++i) {
        if (!valid(i))
            continue;
        for (; end < n && axis[end] - axis[i] <= window; ++end)
            if (valid(end)) {
                sumT += frames[end].Temperature;
                sumLogP += logP[end];
                sumZ += frames[end].Altitude;
                ++count;
            }
        for (; axis[i] - axis[begin] > window; ++begin)
            if (valid(begin)) {
                sumT -= frames[begin].Temperature;
                sumLogP -= logP[begin];
                sumZ -= frames[begin].Altitude;
                --count;
            }
        TMean level;
        level.Frame = i;
        level.Temperature = sumT / double(count);
        level.Altitude = sumZ / double(count);
        if (level.Altitude < baseAltitude && !started)
            continue;
        // Potential temperature, T (1000 / p)^kappa, of the means.
        level.Theta = (level.Temperature + Thermo::ZeroCelsius) *
                      std::exp(Thermo::Kappa * (log1000 - sumLogP / double(count)));
        if (!started) {
            started = true;
            bottom = level;
        } else if (!inLayer) {
            if (level.Theta > bottom.Theta)
                bottom = level;
            else if (level.Theta < bottom.Theta - options.SuperadiabaticDrop) {
                inLayer = true;
                top = level;
            }
        } else if (level.Theta < top.Theta) {
            top = level;
        } else if (level.Theta > top.Theta + options.SuperadiabaticDrop) {
            close();
            inLayer = false;
            bottom = level;
        }
    }
    if (inLayer)
        close();
}

} // namespace

TScreenedFrames ScreenAscent(const TSoundingFrames &ascent, const TScreeningOptions &options)
{
    TScreenedFrames screened;
    TScreeningCounts &counts = screened.Counts;

    // Time: the computer's clock set back makes frames look older than the
    // last one accepted; they are not part of the ascent until the clock has
    // passed it again (equal times are not going backwards). The set-back
    // also breaks the time axis: the frames after it are the ascent's
    // continuation but carry times some seconds too early. The rules' windows
    // do not reach across such a break: on their axis (`axis`) the frames
    // after it lie far beyond any window. The gaps measure recorded time.
    constexpr double BreakSeconds = 1e7;
    std::vector<uint32_t> kept;
    std::vector<double> axis, logP;
    kept.reserve(ascent.size());
    axis.reserve(ascent.size());
    logP.reserve(ascent.size());
    double lastTime = -std::numeric_limits<double>::infinity(), breaks = 0.0, startTime = 0.0;
    bool broken = false;
    for (size_t i = 0; i < ascent.size(); ++i) {
        const TSoundingFrame &frame = ascent[i];
        if (!std::isfinite(frame.Time) || frame.Time < lastTime) {
            ++counts.Time;
            broken = broken || std::isfinite(frame.Time);
            continue;
        }
        if (kept.empty())
            startTime = frame.Time;
        if (broken)
            breaks += BreakSeconds;
        broken = false;
        lastTime = frame.Time;
        kept.push_back(uint32_t(i));
        axis.push_back(breaks + (frame.Time - startTime) * SecondsPerDay);
        logP.push_back(frame.HasPressure() ? std::log(frame.Pressure) : TSoundingFrame::Missing);
    }
    if (kept.empty())
        return screened;

    // The ascent without the pressure jumps; axis and logP follow it.
    // Humidity of 0 % or below is no measurement (the dew point of dry air
    // does not exist): missing.
    const std::vector<char> jumps = PressureJumps(
        axis, logP, [&](size_t k) { return ascent[kept[k]].Pressure; }, options);
    const size_t n = kept.size() - size_t(std::count(jumps.begin(), jumps.end(), 1));
    counts.Pressure = int(kept.size() - n);
    TSoundingFrames &frames = screened.Frames;
    frames.reserve(n);
    screened.Source.resize(n);
    screened.Flags.assign(n, sfNone);
    for (size_t k = 0, i = 0; k < kept.size(); ++k)
        if (!jumps[k]) {
            frames.push_back(ascent[kept[k]]);
            if (frames[i].HasHumidity() && frames[i].Humidity <= 0.0) {
                frames[i].Humidity = TSoundingFrame::Missing;
                screened.Flags[i] |= sfHumidityNotPositive;
                ++counts.Humidity;
            }
            screened.Source[i] = kept[k];
            axis[i] = axis[k];
            logP[i++] = logP[k];
        }
    axis.resize(n);
    logP.resize(n);

    // Temperature spikes: 2 K. A real inversion of 5 K over 100 m keeps its
    // values: the median follows a monotone stretch exactly, and at its top,
    // with 10 s frames at 6 m/s and dry-adiabatic air above, the median falls
    // behind by two frames of 60 m at 9.8 K/km, 1.2 K, which with the
    // sensor's few tenths of noise stays under 2 K. Every spike that would
    // move a coded temperature by more than the TEMP tolerance above
    // 300 hPa (2 K, WMO-No. 306) goes.
    std::vector<uint32_t> at;
    std::vector<char> hot, wet;
    MarkSpikes(
        axis, [&](size_t i) { return frames[i].Temperature; }, options.TemperatureDeparture,
        options, at, hot);
    for (size_t i = 0; i < n; ++i)
        if (hot[i]) {
            frames[i].Temperature = TSoundingFrame::Missing;
            screened.Flags[i] |= sfTemperatureSpike;
            ++counts.Temperature;
        }

    // Humidity spikes: 15 %RH, the TEMP tolerance for significant humidity
    // levels (WMO-No. 306), so that no spike that survives can make a level
    // significant by itself, and well above the sensor's few %RH. Real
    // humidity layers (drops of 30-60 %RH over 100-300 m) are monotone
    // stretches the median keeps. Values above 100 % are compared as 100 %,
    // so that a cloud's supersaturated readings are capped, not screened,
    // while a lone 110 % in dry air is a spike.
    MarkSpikes(
        axis,
        [&](size_t i) {
            return frames[i].HasHumidity() ? std::min(frames[i].Humidity, 100.0)
                                           : TSoundingFrame::Missing;
        },
        options.HumidityDeparture, options, at, wet);
    for (size_t i = 0; i < n; ++i) {
        if (wet[i]) {
            frames[i].Humidity = TSoundingFrame::Missing;
            screened.Flags[i] |= sfHumiditySpike;
            ++counts.Humidity;
        } else if (frames[i].HasHumidity() && frames[i].Humidity > 100.0) {
            // Air holds no more than saturation: 100 %, its dew point the
            // temperature.
            frames[i].Humidity = 100.0;
            screened.Flags[i] |= sfHumidityCapped;
            ++counts.HumidityCapped;
        }
    }

    // Gaps: 60 s or 300 m. With frames every 10 s a screened frame or two
    // leave 20-30 s between valid values, which is no gap; a minute is
    // 180-360 m of ascent at 3-6 m/s, the scale at which a layer of missing
    // data can hide a significant level (an inversion of 100 m). Too thick
    // to interpolate across: more than 20 hPa, the least thickness of an
    // inversion or isothermal layer whose base and top TEMP reports as
    // mandatory significant levels (WMO-No. 306, FM 35, Section 5): a layer
    // of missing data up to that thickness cannot hide one.
    FindGaps(screened, startTime, options, screened.Gaps);

    FindSuperadiabaticLayers(screened, axis, logP, options);
    counts.Superadiabatic = int(screened.Superadiabatic.size());
    return screened;
}

TMissingAtPressure MissingAtPressure(const TScreenedFrames &screened, double pressure)
{
    TMissingAtPressure missing;
    for (const TScreeningGap &gap : screened.Gaps) {
        if (!gap.TooThickToInterpolate || !(pressure < gap.BottomPressure) ||
            !(pressure > gap.TopPressure))
            continue;
        // The dew point needs both the temperature and the humidity.
        missing.Dewpoint = true;
        if (gap.What == gkTemperature)
            missing.Temperature = true;
    }
    return missing;
}
