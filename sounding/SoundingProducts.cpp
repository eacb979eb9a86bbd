#include "sounding/SoundingProducts.h"

#include "foundation/LocalUtilities.h"
#include "sounding/Thermodynamics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

using Thermo::ZeroCelsius;

double Lerp(double a, double b, double f)
{
    return a + (b - a) * f;
}

std::optional<double> Finite(double v)
{
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// The program's own dew point of air at T with relative humidity RH; none for
// dry air, whose logarithm the formula cannot take.
std::optional<double> DewPointOf(double T, double RH)
{
    if (!(RH > 0.0))
        return std::nullopt;
    return Finite(DewPoint(T, RH));
}

} // namespace

TProductLevel ObservedLevel(const TSoundingProfile &profile, size_t index)
{
    const TSoundingLevel &l = profile[index];
    TProductLevel level;
    level.Pressure = l.Pressure;
    level.Height = l.Altitude;
    level.Temperature = l.Temperature;
    if (l.HasDewpoint)
        level.Dewpoint = l.Dewpoint;
    if (l.HasHumidity)
        level.Humidity = l.Humidity;
    level.Time = l.Time;
    level.ProfileIndex = index;
    return level;
}

namespace {

// A standard surface below the ground: its height by the hypsometric equation
// downward from the surface, with the surface's virtual temperature.
TProductLevel BelowGroundLevel(const TSoundingLevel &surface, double pressure)
{
    const double TK = CelsiusToKelvin(surface.Temperature);
    const double Tv =
        surface.HasHumidity ? VirtualTemperature(TK, surface.Humidity, surface.Pressure) : TK;
    TProductLevel level;
    level.Pressure = pressure;
    level.Height = Finite(HypsometricAltitude(surface.Pressure, surface.Altitude, pressure, Tv));
    level.Time = surface.Time;
    level.BelowGround = true;
    return level;
}

// The profile interpolated linearly in ln(p) at `pressure`, which lies within it.
TProductLevel InterpolatedLevel(const TSoundingProfile &profile, double pressure)
{
    // The first level at or above the surface (pressures fall along the profile).
    auto upper = std::lower_bound(profile.begin(), profile.end(), pressure,
                                  [](const TSoundingLevel &l, double p) { return l.Pressure > p; });
    TProductLevel level;
    level.Pressure = pressure;
    const TSoundingLevel &b = *upper;
    const TSoundingLevel &a = upper == profile.begin() ? b : *(upper - 1);
    const double f = b.Pressure == pressure ? 1.0
                                            : (std::log(a.Pressure) - std::log(pressure)) /
                                                  (std::log(a.Pressure) - std::log(b.Pressure));
    const double T = Lerp(a.Temperature, b.Temperature, f);
    level.Height = Lerp(a.Altitude, b.Altitude, f);
    level.Temperature = T;
    level.Time = Lerp(a.Time, b.Time, f);
    // On a level itself only that level counts.
    const bool humid = f == 1.0 ? b.HasHumidity : a.HasHumidity && b.HasHumidity;
    if (humid) {
        const double RH = f == 1.0 ? b.Humidity : Lerp(a.Humidity, b.Humidity, f);
        level.Humidity = RH;
        level.Dewpoint = DewPointOf(T, RH);
    }
    return level;
}

// WMO-No. 306, FM 35: where a layer of missing data is too thick to
// interpolate across, a standard surface inside it reports its temperature
// and dew point (or, in a layer of missing humidity, its dew point) missing.
void ApplyMissingLayers(TProductLevel &level, const std::vector<TProductGap> &gaps)
{
    for (const TProductGap &gap : gaps) {
        if (!gap.TooThickToInterpolate ||
            !(level.Pressure < gap.BottomPressure && level.Pressure > gap.TopPressure))
            continue;
        if (gap.What == gkTemperature)
            level.Temperature.reset();
        level.Dewpoint.reset();
        level.Humidity.reset();
    }
}

void AddStandardLevels(TSoundingProducts &products, const std::vector<TProductGap> &gaps)
{
    const TSoundingProfile &profile = products.Analysis.Profile;
    for (double pressure : StandardPressures) {
        if (pressure > profile.front().Pressure) {
            products.Standard.push_back(BelowGroundLevel(profile.front(), pressure));
        } else if (pressure >= profile.back().Pressure) {
            products.Standard.push_back(InterpolatedLevel(profile, pressure));
            ApplyMissingLayers(products.Standard.back(), gaps);
        }
    }
}

void AddSignificantLevels(TSoundingProducts &products, const std::vector<TProductGap> &gaps)
{
    const TSoundingProfile &profile = products.Analysis.Profile;
    double upperBoundary = SignificantUpperPressure;
    if (products.Analysis.Tropopause)
        upperBoundary = std::max(upperBoundary, products.Analysis.Tropopause->Pressure);

    std::vector<double> logP;
    std::vector<double> values;
    std::vector<double> tolerances;
    logP.reserve(profile.size());
    values.reserve(profile.size());
    tolerances.reserve(profile.size());
    for (const TSoundingLevel &l : profile) {
        logP.push_back(std::log(l.Pressure));
        values.push_back(l.Temperature);
        tolerances.push_back(l.Pressure < upperBoundary ? SignificantUpperTemperatureTolerance
                                                        : SignificantTemperatureTolerance);
    }
    std::vector<bool> temperature(profile.size(), false);
    for (size_t i : SignificantPoints(logP, values, tolerances))
        temperature[i] = true;

    // Humidity over the levels that have it, on their own.
    std::vector<size_t> humid;
    logP.clear();
    values.clear();
    for (size_t i = 0; i < profile.size(); ++i)
        if (profile[i].HasHumidity) {
            humid.push_back(i);
            logP.push_back(std::log(profile[i].Pressure));
            values.push_back(profile[i].Humidity);
        }
    tolerances.assign(humid.size(), SignificantHumidityTolerance);
    std::vector<bool> humidity(profile.size(), false);
    for (size_t k : SignificantPoints(logP, values, tolerances))
        humidity[humid[k]] = true;
    // The levels that bound a layer of missing data are significant.
    for (const TProductGap &gap : gaps)
        for (const std::optional<size_t> &edge : {gap.BottomLevel, gap.TopLevel})
            if (edge && *edge < profile.size())
                (gap.What == gkTemperature ? temperature : humidity)[*edge] = true;

    for (size_t i = 0; i < profile.size(); ++i)
        if (temperature[i] || humidity[i]) {
            TProductLevel level = ObservedLevel(profile, i);
            level.SignificantTemperature = temperature[i];
            level.SignificantHumidity = humidity[i];
            products.Significant.push_back(level);
        }
}

void AddTropopause(TSoundingProducts &products)
{
    const TSoundingAnalysis &analysis = products.Analysis;
    if (!analysis.Tropopause)
        return;
    const double target = std::log(analysis.Tropopause->Pressure);
    size_t nearest = 0;
    double distance = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < analysis.Profile.size(); ++i) {
        const double d = std::fabs(std::log(analysis.Profile[i].Pressure) - target);
        if (d < distance) {
            distance = d;
            nearest = i;
        }
    }
    products.Tropopause = ObservedLevel(analysis.Profile, nearest);
}

// The temperature (degC) at 500 hPa of a parcel lifted from (p, T, Td).
std::optional<double> ParcelAt500(double p, double T, double Td)
{
    if (!(p > 500.0))
        return std::nullopt;
    TLiftedParcel parcel(p, T + ZeroCelsius, Td + ZeroCelsius);
    if (!parcel.IsValid())
        return std::nullopt;
    return Finite(parcel.Temperature(500.0) - ZeroCelsius);
}

void AddIndices(TSoundingProducts &products)
{
    auto at = [&](double p) -> std::pair<std::optional<double>, std::optional<double>> {
        const TProductLevel *level = products.StandardLevel(p);
        if (!level)
            return {};
        return {level->Temperature, level->Dewpoint};
    };
    const auto [t850, td850] = at(850.0);
    const auto [t700, td700] = at(700.0);
    const std::optional<double> t500 = at(500.0).first;
    if (!t500)
        return;
    if (const auto &start = products.Analysis.ParcelStart)
        if (auto parcel = ParcelAt500(start->Pressure, start->Temperature, start->Dewpoint))
            products.LiftedIndex = *t500 - *parcel;
    if (t850 && td850)
        if (auto parcel = ParcelAt500(850.0, *t850, *td850))
            products.ShowalterIndex = *t500 - *parcel;
    if (t850 && td850 && t700 && td700)
        products.KIndex = (*t850 - *t500) + *td850 - (*t700 - *td700);
    if (t850 && td850)
        products.TotalTotals = *t850 + *td850 - 2.0 * *t500;
}

} // namespace

const TProductLevel *TSoundingProducts::StandardLevel(double pressure) const
{
    for (const TProductLevel &level : Standard)
        if (level.Pressure == pressure)
            return &level;
    return nullptr;
}

bool TSoundingProducts::Passed100hPa() const
{
    return Highest && Highest->Pressure < 100.0;
}

std::vector<size_t> SignificantPoints(const std::vector<double> &logPressures,
                                      const std::vector<double> &values,
                                      const std::vector<double> &tolerances)
{
    const size_t n = values.size();
    std::vector<size_t> kept;
    if (n == 0)
        return kept;
    std::vector<bool> retained(n, false);
    retained[0] = retained[n - 1] = true;
    // Segments still to examine; a stack rather than recursion, so that a
    // long flight of noise cannot exhaust the call stack.
    std::vector<std::pair<size_t, size_t>> segments{{0, n - 1}};
    while (!segments.empty()) {
        const auto [lo, hi] = segments.back();
        segments.pop_back();
        if (hi - lo < 2)
            continue;
        const double span = logPressures[lo] - logPressures[hi];
        // Of the levels beyond their tolerance, the one furthest from the line.
        size_t worst = lo;
        double worstDeparture = 0.0;
        for (size_t i = lo + 1; i < hi; ++i) {
            const double f = (logPressures[lo] - logPressures[i]) / span;
            const double departure = std::fabs(values[i] - Lerp(values[lo], values[hi], f));
            if (departure > tolerances[i] && departure > worstDeparture) {
                worstDeparture = departure;
                worst = i;
            }
        }
        if (worst == lo)
            continue;
        retained[worst] = true;
        segments.emplace_back(lo, worst);
        segments.emplace_back(worst, hi);
    }
    for (size_t i = 0; i < n; ++i)
        if (retained[i])
            kept.push_back(i);
    return kept;
}

TSoundingProducts ComputeSoundingProducts(TSoundingAnalysis analysis,
                                          const std::vector<TProductGap> &gaps)
{
    TSoundingProducts products;
    products.Analysis = std::move(analysis);
    const TSoundingProfile &profile = products.Analysis.Profile;
    if (profile.empty())
        return products;
    products.Surface = ObservedLevel(profile, 0);
    products.Highest = ObservedLevel(profile, profile.size() - 1);
    AddStandardLevels(products, gaps);
    AddSignificantLevels(products, gaps);
    products.Screening.Gaps = gaps;
    AddTropopause(products);
    AddIndices(products);
    return products;
}
