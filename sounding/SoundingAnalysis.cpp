#include "sounding/SoundingAnalysis.h"

#include "sounding/Thermodynamics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

using Thermo::ZeroCelsius;

// The surface-based parcel may start a little above the lowest level when the
// first frames lack humidity, but no further than this (mbar).
constexpr double ParcelStartWindow = 50.0;
// Layer depth (m) over which the tropopause search averages the profile.
constexpr double TropopauseLayer = 100.0;
constexpr double TropopauseLapse = 2.0;    // K/km
constexpr double TropopauseDepth = 2000.0; // m
constexpr double TropopauseLowest = 500.0; // mbar
constexpr int MaxCurvePoints = 10000;

bool IsPositive(double v)
{
    return std::isfinite(v) && v > 0.0;
}

double Lerp(double a, double b, double f)
{
    return a + (b - a) * f;
}

// Values no atmosphere has are no levels (a broken sensor is not always caught
// by the channel range checks); generous bounds, so that nothing real is lost.
bool IsAtmospheric(double pressure, double temperature, double altitude)
{
    return IsPositive(pressure) && pressure <= 1500.0 && temperature > -200.0 &&
           temperature < 200.0 && altitude > -1000.0 && altitude < 100000.0;
}

} // namespace

void AppendAscendingLevel(TSoundingProfile &profile, const TSoundingLevel &level)
{
    if (!IsAtmospheric(level.Pressure, level.Temperature, level.Altitude))
        return;
    if (!profile.empty() &&
        !(level.Pressure < profile.back().Pressure && level.Altitude > profile.back().Altitude))
        return;
    profile.push_back(level);
    TSoundingLevel &added = profile.back();
    if (added.HasDewpoint && !(added.Dewpoint > -200.0 && added.Dewpoint < 200.0))
        added.HasDewpoint = false;
    if (!added.HasDewpoint)
        added.Dewpoint = 0.0;
    if (added.HasHumidity && !(added.Humidity >= 0.0 && added.Humidity <= 200.0))
        added.HasHumidity = false;
    if (!added.HasHumidity)
        added.Humidity = 0.0;
}

namespace {

// The mixing ratio (kg/kg) of a level from its dew point; NaN without one.
double LevelMixingRatio(const TSoundingLevel &level)
{
    if (!level.HasDewpoint)
        return std::nan("");
    return MixingRatio(SaturationVapourPressure(level.Dewpoint + ZeroCelsius), level.Pressure);
}

// A point of the buoyancy profile of the lifted parcel.
struct TBuoyancyNode
{
    double LogPressure;
    double Altitude;
    double Temperature; // environment, degC
    double Buoyancy;    // parcel minus environment (virtual) temperature, K
};

TAnalysisLevel Between(const TBuoyancyNode &a, const TBuoyancyNode &b, double f)
{
    return {std::exp(Lerp(a.LogPressure, b.LogPressure, f)), Lerp(a.Altitude, b.Altitude, f),
            Lerp(a.Temperature, b.Temperature, f)};
}

// The fraction of the way from a to b where a linear buoyancy changes sign.
double CrossingFraction(double a, double b)
{
    return a == b ? 0.0 : a / (a - b);
}

void FindFreezingLevel(TSoundingAnalysis &result)
{
    const TSoundingProfile &profile = result.Profile;
    if (profile.front().Temperature <= 0.0) {
        const TSoundingLevel &l = profile.front();
        result.FreezingLevel = TAnalysisLevel{l.Pressure, l.Altitude, l.Temperature};
        return;
    }
    for (size_t i = 0; i + 1 < profile.size(); ++i) {
        const TSoundingLevel &a = profile[i];
        const TSoundingLevel &b = profile[i + 1];
        if (a.Temperature > 0.0 && b.Temperature <= 0.0) {
            const double f = a.Temperature / (a.Temperature - b.Temperature);
            result.FreezingLevel =
                TAnalysisLevel{std::exp(Lerp(std::log(a.Pressure), std::log(b.Pressure), f)),
                               Lerp(a.Altitude, b.Altitude, f), 0.0};
            return;
        }
    }
}

void FindPrecipitableWater(TSoundingAnalysis &result)
{
    double sum = 0.0; // kg/kg * mbar
    bool havePrevious = false;
    int layers = 0;
    double previousP = 0.0;
    double previousW = 0.0;
    for (const TSoundingLevel &level : result.Profile) {
        const double w = LevelMixingRatio(level);
        if (!std::isfinite(w))
            continue;
        if (havePrevious) {
            sum += 0.5 * (previousW + w) * (previousP - level.Pressure);
            ++layers;
        }
        havePrevious = true;
        previousP = level.Pressure;
        previousW = w;
    }
    // mbar to Pa; kg/m^2 of water is a depth in mm.
    if (layers > 0)
        result.PrecipitableWater = sum * 100.0 / Thermo::Gravity;
}

void FindTropopause(TSoundingAnalysis &result)
{
    struct TLayerMean
    {
        double Altitude = 0.0;
        double Temperature = 0.0;
        double LogPressure = 0.0;
    };
    const TSoundingProfile &profile = result.Profile;
    std::vector<TLayerMean> means;
    const double bottom = profile.front().Altitude;
    double sumZ = 0.0;
    double sumT = 0.0;
    double sumLogP = 0.0;
    int count = 0;
    double layer = 0.0;
    for (const TSoundingLevel &level : profile) {
        const double index = std::floor((level.Altitude - bottom) / TropopauseLayer);
        if (count > 0 && index != layer) {
            means.push_back({sumZ / count, sumT / count, sumLogP / count});
            sumZ = sumT = sumLogP = 0.0;
            count = 0;
        }
        layer = index;
        sumZ += level.Altitude;
        sumT += level.Temperature;
        sumLogP += std::log(level.Pressure);
        ++count;
    }
    if (count > 0)
        means.push_back({sumZ / count, sumT / count, sumLogP / count});

    const double top = means.back().Altitude;
    const double lowestLog = std::log(TropopauseLowest);
    for (size_t i = 0; i + 1 < means.size(); ++i) {
        const TLayerMean &base = means[i];
        if (base.LogPressure > lowestLog)
            continue;
        if (top - base.Altitude < TropopauseDepth)
            return; // too close to the top of the data to tell yet
        // The lapse rate at this level, then the average to every level
        // within the next 2 km.
        bool stable = true;
        for (size_t j = i + 1; j < means.size() && stable; ++j) {
            const double dz = means[j].Altitude - base.Altitude;
            if (j > i + 1 && dz > TropopauseDepth)
                break;
            stable = (base.Temperature - means[j].Temperature) / dz * 1000.0 <= TropopauseLapse;
        }
        if (stable) {
            result.Tropopause =
                TAnalysisLevel{std::exp(base.LogPressure), base.Altitude, base.Temperature};
            return;
        }
    }
}

// The environment's temperature at a level, virtual when asked and possible (K).
double EnvironmentTemperature(const TSoundingLevel &level, bool virtualCorrection)
{
    const double TK = level.Temperature + ZeroCelsius;
    if (!virtualCorrection)
        return TK;
    const double w = LevelMixingRatio(level);
    return std::isfinite(w) ? VirtualTemperatureOfMixingRatio(TK, w) : TK;
}

void AnalyseParcel(TSoundingAnalysis &result, const TSoundingAnalysisOptions &options)
{
    const TSoundingProfile &profile = result.Profile;
    size_t start = 0;
    while (start < profile.size() && !profile[start].HasDewpoint)
        ++start;
    if (start == profile.size() ||
        profile[start].Pressure < profile.front().Pressure - ParcelStartWindow)
        return;
    const TSoundingLevel &s = profile[start];
    TLiftedParcel parcel(s.Pressure, s.Temperature + ZeroCelsius, s.Dewpoint + ZeroCelsius);
    if (!parcel.IsValid())
        return;
    result.ParcelStart = s;
    const double pL = parcel.Lcl()->Pressure;
    result.Lcl = TSoundingPoint{pL, parcel.Lcl()->Temperature - ZeroCelsius};
    result.ParcelTrace = ParcelTracePoints(s.Pressure, s.Temperature, s.Dewpoint,
                                           options.ParcelTraceTop, options.ParcelTraceStep);

    // The buoyancy at every level from the start up, with a node at the
    // condensation level itself where it falls between two levels.
    const bool correct = options.VirtualTemperatureCorrection;
    auto parcelTemperature = [&](double p) {
        return correct ? parcel.VirtualTemperature(p) : parcel.Temperature(p);
    };
    std::vector<TBuoyancyNode> nodes;
    nodes.reserve(profile.size() - start + 1);
    size_t lclNode = SIZE_MAX;
    for (size_t k = start; k < profile.size(); ++k) {
        const TSoundingLevel &level = profile[k];
        if (lclNode == SIZE_MAX && level.Pressure < pL && k > start) {
            // Between the previous level and this one.
            const TSoundingLevel &below = profile[k - 1];
            const double f = (std::log(below.Pressure) - std::log(pL)) /
                             (std::log(below.Pressure) - std::log(level.Pressure));
            const double Tenv = Lerp(EnvironmentTemperature(below, correct),
                                     EnvironmentTemperature(level, correct), f);
            const double b = parcelTemperature(pL) - Tenv;
            if (!std::isfinite(b))
                break;
            lclNode = nodes.size();
            nodes.push_back({std::log(pL), Lerp(below.Altitude, level.Altitude, f),
                             Lerp(below.Temperature, level.Temperature, f), b});
        }
        const double b = parcelTemperature(level.Pressure) - EnvironmentTemperature(level, correct);
        if (!std::isfinite(b))
            break;
        if (lclNode == SIZE_MAX && level.Pressure <= pL)
            lclNode = nodes.size();
        nodes.push_back({std::log(level.Pressure), level.Altitude, level.Temperature, b});
    }
    if (lclNode == SIZE_MAX || lclNode + 1 >= nodes.size())
        return; // not yet above the condensation level

    result.LclAltitude = nodes[lclNode].Altitude;

    // Level of free convection: at the condensation level when the parcel is
    // buoyant there, else the first crossing into buoyancy above it.
    size_t lfcSegment = SIZE_MAX; // the segment above the node, or the one crossed
    bool lfcAtNode = false;
    if (nodes[lclNode].Buoyancy > 0.0) {
        lfcSegment = lclNode;
        lfcAtNode = true;
        const TBuoyancyNode &n = nodes[lclNode];
        result.Lfc = TAnalysisLevel{std::exp(n.LogPressure), n.Altitude, n.Temperature};
    } else {
        for (size_t i = lclNode; i + 1 < nodes.size(); ++i)
            if (nodes[i].Buoyancy <= 0.0 && nodes[i + 1].Buoyancy > 0.0) {
                lfcSegment = i;
                result.Lfc = Between(nodes[i], nodes[i + 1],
                                     CrossingFraction(nodes[i].Buoyancy, nodes[i + 1].Buoyancy));
                break;
            }
    }

    double cape = 0.0;
    double cin = 0.0;
    for (size_t i = 0; i + 1 < nodes.size(); ++i) {
        const double b0 = nodes[i].Buoyancy;
        const double b1 = nodes[i + 1].Buoyancy;
        const double depth = nodes[i].LogPressure - nodes[i + 1].LogPressure;
        double positive = 0.0;
        double negative = 0.0;
        if (b0 >= 0.0 && b1 >= 0.0) {
            positive = 0.5 * (b0 + b1) * depth;
        } else if (b0 <= 0.0 && b1 <= 0.0) {
            negative = 0.5 * (b0 + b1) * depth;
        } else {
            const double f = CrossingFraction(b0, b1);
            const double lower = 0.5 * b0 * f * depth;
            const double upper = 0.5 * b1 * (1.0 - f) * depth;
            (b0 > 0.0 ? positive : negative) += lower;
            (b1 > 0.0 ? positive : negative) += upper;
        }
        const bool belowLfc = lfcSegment == SIZE_MAX || i < lfcSegment;
        const bool aboveLfc = lfcSegment != SIZE_MAX && (i > lfcSegment || lfcAtNode);
        if (belowLfc)
            cin += negative;
        else if (aboveLfc)
            cape += positive;
        else { // the segment in which the parcel turns buoyant
            cin += negative;
            cape += positive;
        }
        // Equilibrium level: the last crossing out of buoyancy above the LFC.
        if (lfcSegment != SIZE_MAX && i >= lfcSegment && b0 > 0.0 && b1 <= 0.0)
            result.El = Between(nodes[i], nodes[i + 1], CrossingFraction(b0, b1));
    }
    result.Cape = Thermo::Rd * cape;
    // Without a level of free convection there is nothing for the inhibition
    // to hold back; over a deep stable ascent the negative area would run to
    // tens of thousands of J/kg. SHARPpy and MetPy give 0 then too.
    result.Cin = lfcSegment == SIZE_MAX ? 0.0 : Thermo::Rd * cin;
}

// Points every `step` mbar from `from` to `to` (either direction), both ends
// included, at most MaxCurvePoints of them.
std::vector<double> PressureSteps(double from, double to, double step)
{
    std::vector<double> steps;
    if (!IsPositive(from) || !IsPositive(to))
        return steps;
    const double span = std::fabs(to - from);
    if (!IsPositive(step))
        step = 10.0;
    if (span / step > MaxCurvePoints - 2)
        step = span / (MaxCurvePoints - 2);
    const double direction = to < from ? -1.0 : 1.0;
    steps.push_back(from);
    for (int k = 1;; ++k) {
        const double p = from + direction * k * step;
        if (direction * (to - p) <= 0.0 || k >= MaxCurvePoints)
            break;
        steps.push_back(p);
    }
    if (to != from)
        steps.push_back(to);
    return steps;
}

void AnalyseLevels(TSoundingAnalysis &result, const TSoundingAnalysisOptions &options)
{
    if (result.Profile.empty())
        return;
    FindFreezingLevel(result);
    FindPrecipitableWater(result);
    FindTropopause(result);
    AnalyseParcel(result, options);
}

} // namespace

TSoundingAnalysis AnalyseProfile(TSoundingProfile profile, const TSoundingAnalysisOptions &options)
{
    TSoundingAnalysis result;
    result.Profile.reserve(profile.size());
    for (const TSoundingLevel &level : profile)
        AppendAscendingLevel(result.Profile, level);
    AnalyseLevels(result, options);
    return result;
}

std::vector<TSoundingPoint> ParcelTracePoints(double p0, double T0, double Td0, double pTop,
                                              double step)
{
    std::vector<TSoundingPoint> points;
    TLiftedParcel parcel(p0, T0 + ZeroCelsius, Td0 + ZeroCelsius);
    if (!parcel.IsValid() || !IsPositive(pTop))
        return points;
    const double pL = parcel.Lcl()->Pressure;
    double previous = p0;
    for (double p : PressureSteps(p0, std::min(pTop, p0), step)) {
        if (previous > pL && pL > p)
            points.push_back({pL, parcel.Lcl()->Temperature - ZeroCelsius});
        const double T = parcel.Temperature(p);
        if (!std::isfinite(T))
            break;
        points.push_back({p, T - ZeroCelsius});
        previous = p;
    }
    return points;
}

std::vector<TSoundingPoint> StandardAtmosphereCurve(double pTop, double pBottom, double step)
{
    std::vector<TSoundingPoint> points;
    if (!(pTop < pBottom))
        return points;
    for (double p : PressureSteps(pBottom, pTop, step))
        points.push_back({p, StandardAtmosphereTemperature(p) - ZeroCelsius});
    return points;
}
