#pragma once
// Thermodynamics of moist air for the live sounding analysis: saturation
// vapour pressure, mixing ratio, potential and virtual temperatures, the
// lifted condensation level, the dry and moist (pseudo-)adiabats and the
// standard atmosphere.
//
// Units throughout: temperatures in kelvin, pressures in mbar (hPa), mixing
// ratios in kg/kg. Nothing here throws: a value that cannot be computed from
// its inputs (a pressure of zero, a NaN, vapour pressure above the total
// pressure) comes back as NaN or as an empty optional.
#include <optional>

namespace Thermo {
constexpr double Rd = 287.04;          // gas constant of dry air, J/(kg K)
constexpr double Rv = 461.5;           // gas constant of water vapour, J/(kg K)
constexpr double Epsilon = Rd / Rv;    // 0.622
constexpr double Cpd = 1005.7;         // specific heat of dry air at constant pressure
constexpr double Kappa = Rd / Cpd;     // 0.2854
constexpr double Lv = 2.501e6;         // latent heat of vaporisation at 0 degC, J/kg
constexpr double Gravity = 9.80665;    // m/s^2
constexpr double ZeroCelsius = 273.15; // K
} // namespace Thermo

// Saturation vapour pressure over water (mbar) at TK; Bolton (1980):
// es = 6.112 exp(17.67 t / (t + 243.5)), t in degC. Used below 0 degC too,
// as radiosonde humidity is reported over water.
double SaturationVapourPressure(double TK);
// The temperature (K) at which SaturationVapourPressure gives e (mbar): the
// dew point of air with vapour pressure e.
double VapourPressureToDewPoint(double e);
// Mixing ratio (kg/kg) of vapour pressure e in air at pressure p; NaN when e
// is not below p.
double MixingRatio(double e, double p);
double SaturationMixingRatio(double TK, double p);
// The vapour pressure (mbar) of air with mixing ratio w at pressure p.
double MixingRatioToVapourPressure(double w, double p);
// Virtual temperature (K) of air at TK with mixing ratio w.
double VirtualTemperatureOfMixingRatio(double TK, double w);
// Potential temperature (K) referred to 1000 mbar: TK (1000/p)^Kappa.
double PotentialTemperature(double TK, double p);
// Equivalent potential temperature (K); Bolton (1980) eq. 43.
double EquivalentPotentialTemperature(double TK, double TdK, double p);

struct TLiftedCondensationLevel
{
    double Pressure = 0.0;    // mbar
    double Temperature = 0.0; // K
};

// The level where air lifted dry-adiabatically from (p, TK) with dew point
// TdK saturates. Bolton (1980) eq. 15 for the temperature,
// TL = 1 / (1 / (Td - 56) + ln(T / Td) / 800) + 56, and the dry adiabat for
// the pressure. A dew point above the temperature counts as saturated air,
// whose condensation level is where it starts.
std::optional<TLiftedCondensationLevel> LiftedCondensationLevel(double p, double TK, double TdK);

// The temperature (K) at p of dry air lifted or lowered adiabatically from (p0, TK0).
double DryAdiabatTemperature(double TK0, double p0, double p);
// g / Cpd, K/km.
double DryAdiabaticLapseRate();
// The pseudo-adiabatic lapse rate (K/km) of saturated air at TK and p:
// g (1 + Lv rs / (Rd T)) / (Cpd + Lv^2 rs Epsilon / (Rd T^2)).
double MoistAdiabaticLapseRate(double TK, double p);
// The same pseudo-adiabat as dT/d(ln p) (K): (Rd T + Lv rs) / (Cpd + Lv^2 rs Epsilon / (Rd T^2)).
// Where the air could not be saturated (vapour pressure above p) the dry slope.
double MoistAdiabatSlope(double TK, double p);
// The temperature (K) at p of saturated air lifted or lowered
// pseudo-adiabatically from (p0, TK0): fourth-order Runge-Kutta in ln p with
// steps of at most 0.02 (2 % of the pressure).
double MoistAdiabatTemperature(double TK0, double p0, double p);

// A parcel lifted from a start level: dry-adiabatically to its lifted
// condensation level, pseudo-adiabatically above. Calls for decreasing
// pressures continue the moist integration where the previous call stopped,
// so tracing a whole sounding costs one integration.
class TLiftedParcel
{
  public:
    // Start at p (mbar) with temperature TK and dew point TdK (K); a dew point
    // above the temperature counts as saturated air.
    TLiftedParcel(double p, double TK, double TdK);

    // False when the start values allow no condensation level.
    bool IsValid() const { return FLcl.has_value(); }
    double StartPressure() const { return FStartPressure; }
    double StartTemperature() const { return FStartTemperature; }
    // The mixing ratio of the parcel below its condensation level.
    double StartMixingRatio() const { return FStartMixingRatio; }
    const std::optional<TLiftedCondensationLevel> &Lcl() const { return FLcl; }

    // The parcel temperature (K) at p; NaN for an invalid parcel or pressure.
    double Temperature(double p);
    // The parcel's virtual temperature (K) at p: its start mixing ratio below
    // the condensation level, saturation above (no condensate loading).
    double VirtualTemperature(double p);

  private:
    double FStartPressure = 0.0;
    double FStartTemperature = 0.0;
    double FStartMixingRatio = 0.0;
    std::optional<TLiftedCondensationLevel> FLcl;
    // The last point reached by the moist integration.
    double FMoistPressure = 0.0;
    double FMoistTemperature = 0.0;
};

// The temperature (K) of the ICAO / U.S. 1976 standard atmosphere at p
// (mbar): 288.15 K at 1013.25 mbar, -6.5 K/km to 11 km, isothermal 216.65 K
// to 20 km, then +1, +2.8, 0, -2.8 and -2.0 K/km with bases at 20, 32, 47, 51
// and 71 km geopotential. The lowest layer continues below sea level. NaN for
// a pressure that is not above zero.
double StandardAtmosphereTemperature(double p);
