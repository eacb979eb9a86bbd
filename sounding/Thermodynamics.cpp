#include "sounding/Thermodynamics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

using namespace Thermo;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

bool IsPositive(double v)
{
    return std::isfinite(v) && v > 0.0;
}

// Integration steps in ln p. 0.02 keeps the fourth-order scheme within a few
// thousandths of a kelvin of the exact pseudo-adiabat; the cap bounds the work
// of a single call whatever pressures it is given.
constexpr double MaxLogStep = 0.02;
constexpr int MaxSteps = 4000;

} // namespace

double SaturationVapourPressure(double TK)
{
    if (!std::isfinite(TK))
        return NaN;
    const double t = TK - ZeroCelsius;
    // Far below any atmospheric temperature the formula approaches its pole
    // at -243.5 degC; the vapour pressure there is zero for every purpose.
    if (t <= -200.0)
        return 0.0;
    return 6.112 * std::exp(17.67 * t / (t + 243.5));
}

double VapourPressureToDewPoint(double e)
{
    if (!IsPositive(e))
        return NaN;
    const double x = std::log(e / 6.112);
    if (x >= 17.67)
        return NaN;
    return ZeroCelsius + 243.5 * x / (17.67 - x);
}

double MixingRatio(double e, double p)
{
    if (!std::isfinite(e) || e < 0.0 || !IsPositive(p) || !(e < p))
        return NaN;
    return Epsilon * e / (p - e);
}

double SaturationMixingRatio(double TK, double p)
{
    return MixingRatio(SaturationVapourPressure(TK), p);
}

double MixingRatioToVapourPressure(double w, double p)
{
    if (!std::isfinite(w) || w < 0.0 || !IsPositive(p))
        return NaN;
    return w * p / (Epsilon + w);
}

double VirtualTemperatureOfMixingRatio(double TK, double w)
{
    return TK * (1.0 + w / Epsilon) / (1.0 + w);
}

double PotentialTemperature(double TK, double p)
{
    if (!IsPositive(p))
        return NaN;
    return TK * std::pow(1000.0 / p, Kappa);
}

double EquivalentPotentialTemperature(double TK, double TdK, double p)
{
    const auto lcl = LiftedCondensationLevel(p, TK, TdK);
    if (!lcl)
        return NaN;
    const double r = MixingRatio(SaturationVapourPressure(std::fmin(TdK, TK)), p);
    if (!std::isfinite(r))
        return NaN;
    const double TL = lcl->Temperature;
    // Bolton's coefficients take the mixing ratio in g/kg.
    const double rg = 1000.0 * r;
    return TK * std::pow(1000.0 / p, 0.2854 * (1.0 - 0.28e-3 * rg)) *
           std::exp((3.376 / TL - 0.00254) * rg * (1.0 + 0.81e-3 * rg));
}

std::optional<TLiftedCondensationLevel> LiftedCondensationLevel(double p, double TK, double TdK)
{
    if (!IsPositive(p) || !IsPositive(TK) || !std::isfinite(TdK))
        return std::nullopt;
    const double Td = std::fmin(TdK, TK);
    if (Td <= 56.0 + 1.0) // outside the fit, and no water to condense anyway
        return std::nullopt;
    const double TL = 1.0 / (1.0 / (Td - 56.0) + std::log(TK / Td) / 800.0) + 56.0;
    if (!IsPositive(TL))
        return std::nullopt;
    // Saturated air (TL = TK) condenses where it starts; never below it.
    const double pL = std::fmin(p, p * std::pow(TL / TK, 1.0 / Kappa));
    if (!IsPositive(pL))
        return std::nullopt;
    return TLiftedCondensationLevel{pL, std::fmin(TL, TK)};
}

double DryAdiabatTemperature(double TK0, double p0, double p)
{
    if (!IsPositive(p0) || !IsPositive(p))
        return NaN;
    return TK0 * std::pow(p / p0, Kappa);
}

double DryAdiabaticLapseRate()
{
    return 1000.0 * Gravity / Cpd;
}

double MoistAdiabaticLapseRate(double TK, double p)
{
    if (!IsPositive(TK))
        return NaN;
    // dT/dz = dT/d(ln p) * d(ln p)/dz, with d(ln p)/dz = -g / (Rd T).
    return 1000.0 * Gravity * MoistAdiabatSlope(TK, p) / (Rd * TK);
}

double MoistAdiabatSlope(double TK, double p)
{
    if (!IsPositive(TK) || !IsPositive(p))
        return NaN;
    const double rs = SaturationMixingRatio(TK, p);
    if (!std::isfinite(rs))
        return Kappa * TK;
    return (Rd * TK + Lv * rs) / (Cpd + Lv * Lv * rs * Epsilon / (Rd * TK * TK));
}

double MoistAdiabatTemperature(double TK0, double p0, double p)
{
    if (!IsPositive(TK0) || !IsPositive(p0) || !IsPositive(p))
        return NaN;
    const double x0 = std::log(p0);
    const double x1 = std::log(p);
    const double span = x1 - x0;
    if (span == 0.0)
        return TK0;
    const int steps = std::min(MaxSteps, std::max(1, int(std::ceil(std::fabs(span) / MaxLogStep))));
    const double h = span / steps;
    double T = TK0;
    double x = x0;
    for (int i = 0; i < steps; ++i) {
        const double k1 = MoistAdiabatSlope(T, std::exp(x));
        const double k2 = MoistAdiabatSlope(T + 0.5 * h * k1, std::exp(x + 0.5 * h));
        const double k3 = MoistAdiabatSlope(T + 0.5 * h * k2, std::exp(x + 0.5 * h));
        const double k4 = MoistAdiabatSlope(T + h * k3, std::exp(x + h));
        T += h / 6.0 * (k1 + 2.0 * k2 + 2.0 * k3 + k4);
        x = x0 + (i + 1) * h;
        if (!IsPositive(T))
            return NaN;
    }
    return T;
}

TLiftedParcel::TLiftedParcel(double p, double TK, double TdK)
    : FStartPressure(p), FStartTemperature(TK), FLcl(LiftedCondensationLevel(p, TK, TdK))
{
    if (!FLcl)
        return;
    FStartMixingRatio = MixingRatio(SaturationVapourPressure(std::fmin(TdK, TK)), p);
    if (!std::isfinite(FStartMixingRatio)) {
        FLcl.reset();
        return;
    }
    FMoistPressure = FLcl->Pressure;
    FMoistTemperature = FLcl->Temperature;
}

double TLiftedParcel::Temperature(double p)
{
    if (!FLcl || !IsPositive(p))
        return NaN;
    if (p >= FLcl->Pressure)
        return DryAdiabatTemperature(FStartTemperature, FStartPressure, p);
    // Continue upward from the last point; anything lower starts again from
    // the condensation level.
    if (p == FMoistPressure && std::isfinite(FMoistTemperature))
        return FMoistTemperature;
    if (p > FMoistPressure || !std::isfinite(FMoistTemperature)) {
        FMoistPressure = FLcl->Pressure;
        FMoistTemperature = FLcl->Temperature;
    }
    FMoistTemperature = MoistAdiabatTemperature(FMoistTemperature, FMoistPressure, p);
    FMoistPressure = p;
    return FMoistTemperature;
}

double TLiftedParcel::VirtualTemperature(double p)
{
    const double T = Temperature(p);
    if (!std::isfinite(T))
        return NaN;
    double w = p >= FLcl->Pressure ? FStartMixingRatio : SaturationMixingRatio(T, p);
    if (!std::isfinite(w))
        w = 0.0;
    return VirtualTemperatureOfMixingRatio(T, w);
}

namespace {

struct TAtmosphereLayer
{
    double BaseHeight; // geopotential metres
    double Lapse;      // K/m
    double BaseTemperature;
    double BasePressure;
};

constexpr double StandardR = 287.05287; // the standard's gas constant, J/(kg K)

std::array<TAtmosphereLayer, 7> MakeStandardLayers()
{
    std::array<TAtmosphereLayer, 7> layers{{{0.0, -0.0065, 288.15, 1013.25},
                                            {11000.0, 0.0, 0.0, 0.0},
                                            {20000.0, 0.001, 0.0, 0.0},
                                            {32000.0, 0.0028, 0.0, 0.0},
                                            {47000.0, 0.0, 0.0, 0.0},
                                            {51000.0, -0.0028, 0.0, 0.0},
                                            {71000.0, -0.002, 0.0, 0.0}}};
    for (size_t i = 1; i < layers.size(); ++i) {
        const TAtmosphereLayer &below = layers[i - 1];
        TAtmosphereLayer &layer = layers[i];
        const double dz = layer.BaseHeight - below.BaseHeight;
        layer.BaseTemperature = below.BaseTemperature + below.Lapse * dz;
        if (below.Lapse == 0.0)
            layer.BasePressure =
                below.BasePressure * std::exp(-Gravity * dz / (StandardR * below.BaseTemperature));
        else
            layer.BasePressure =
                below.BasePressure * std::pow(layer.BaseTemperature / below.BaseTemperature,
                                              -Gravity / (StandardR * below.Lapse));
    }
    return layers;
}

} // namespace

double StandardAtmosphereTemperature(double p)
{
    if (!IsPositive(p))
        return NaN;
    static const std::array<TAtmosphereLayer, 7> layers = MakeStandardLayers();
    size_t i = layers.size() - 1;
    while (i > 0 && p > layers[i].BasePressure)
        --i;
    const TAtmosphereLayer &layer = layers[i];
    if (layer.Lapse == 0.0)
        return layer.BaseTemperature;
    return layer.BaseTemperature *
           std::pow(p / layer.BasePressure, -StandardR * layer.Lapse / Gravity);
}
