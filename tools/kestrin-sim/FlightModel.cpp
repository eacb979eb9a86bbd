#include "FlightModel.h"

#include "foundation/LocalUtilities.h"

#include <algorithm>
#include <cmath>

namespace {

// On the ground the sonde comes out of the building warm from the operator's
// hands and settles to the air unventilated: 24 degC relaxing with a time
// constant of 3 minutes is within 0.1 K of the air after 15 minutes.
constexpr double WarmStart = 24.0;         // degC
constexpr double WarmTimeConstant = 180.0; // s
// The barometer's noise is bounded (the sum of two uniform draws, so most
// readings lie near the truth) and its drift a steady rate drawn from the
// seed, ending at the release so that the ascent starts from the true air.
constexpr double BarometerNoise = 0.4; // hPa, at most either way
constexpr double BarometerDrift = 0.8; // hPa an hour, at most either way
// A parachute falls at its terminal velocity, which goes with
// 1/sqrt(density): 5.5 m/s in sea-level air, about 45 m/s at 30 km.
constexpr double SeaLevelDescentRate = 5.5; // m/s
constexpr double RiseRate = 5.0;            // m/s
constexpr double StandardBurst = 33000.0;   // m

// Faults are planned in blocks of frames, one block at a time, so that a
// fault's frame depends on its seed and its block only: in every 2,000
// frames one pressure jump, four temperature spikes (one in each 500) and
// two impossible humidities (one in each 1,000), none nearer than FaultGap
// frames to another or to a block's edge, so that each stands alone.
constexpr int64_t FaultBlock = 2000;
constexpr int64_t FaultGap = 10;

// splitmix64: the same numbers from the same seed on every platform, which
// the standard library's distributions do not promise.
uint64_t Mix64(uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

enum TStream : uint64_t
{
    rsBarometerNoise = 1,
    rsBarometerDrift = 2,
    rsFaults = 3,
    rsFade = 4,
};

class TRandom
{
  public:
    TRandom(uint64_t seed, TStream stream, uint64_t index)
        : FState(Mix64(Mix64(seed * 0x9E3779B97F4A7C15ull + stream) ^ index))
    {
    }
    double Uniform() // [0, 1)
    {
        FState += 0x9E3779B97F4A7C15ull;
        return double(Mix64(FState) >> 11) * 0x1.0p-53;
    }
    int64_t Below(int64_t n) { return std::min(int64_t(Uniform() * double(n)), n - 1); }
    double Sign() { return Uniform() < 0.5 ? -1.0 : 1.0; }

  private:
    uint64_t FState;
};

// Saturation vapour pressure (hPa) over water, the Magnus form the ground
// station's dew point uses, so that the dew point of a warm sonde on the
// ground reads the air's.
double SaturationPressure(double celsius)
{
    return 6.11 * std::pow(10.0, 7.5 * celsius / (237.7 + celsius));
}

double DescentRate(double altitude)
{
    const double density =
        StandardPressure(altitude) / CelsiusToKelvin(StandardTemperature(altitude));
    const double seaLevel = StandardPressure(0.0) / CelsiusToKelvin(StandardTemperature(0.0));
    return SeaLevelDescentRate * std::sqrt(seaLevel / density);
}

} // namespace

TFlightModel::TFlightModel(const TFlightOptions &options, double step, int64_t frames)
    : FOptions(options), FStep(step), FFrames(frames),
      FAscent(options.LaunchElevation, RiseRate, options.BurstAltitude.value_or(StandardBurst))
{
    TRandom drift(FOptions.Seed, rsBarometerDrift, 0);
    FDriftPerSecond = (2.0 * drift.Uniform() - 1.0) * BarometerDrift / 3600.0;

    if (HasParachute()) {
        // Altitude each second down to the launch elevation, by Runge-Kutta
        // steps of a second (the rate changes by under 1 % in one).
        const double ground = FAscent.LaunchElevation();
        double z = FAscent.BurstAltitude();
        FDescent.push_back(z);
        for (;;) {
            const double k1 = DescentRate(z);
            const double k2 = DescentRate(z - 0.5 * k1);
            const double k3 = DescentRate(z - 0.5 * k2);
            const double k4 = DescentRate(z - k3);
            const double next = z - (k1 + 2.0 * k2 + 2.0 * k3 + k4) / 6.0;
            if (next <= ground) {
                FDescentSeconds = double(FDescent.size() - 1) + (z - ground) / (z - next);
                FDescent.push_back(ground);
                break;
            }
            FDescent.push_back(next);
            z = next;
        }
    }

    FFade = FOptions.Fade;
    if (!FFade && FOptions.FaultSeed) {
        // Somewhere in the middle three fifths of the flight, 2 to 4 minutes.
        TRandom random(*FOptions.FaultSeed, rsFade, 0);
        const int64_t n = FFrames > 0 ? FFrames : 5000;
        const int64_t first = std::max<int64_t>(1, n / 5);
        const int64_t slot = first + random.Below(std::max<int64_t>(1, 3 * n / 5));
        FFade = TFade{double(slot) * FStep, 120.0 + 120.0 * random.Uniform()};
    }
    if (FFade && FStep > 0) {
        FFadeFirst = SlotAtOrAfter(FFade->Start);
        FFadeSlots = SlotAtOrAfter(FFade->Start + FFade->Seconds) - FFadeFirst;
    }
}

int64_t TFlightModel::SlotAtOrAfter(double seconds) const
{
    if (!(FStep > 0) || seconds <= 0)
        return 0;
    auto k = int64_t(std::ceil(seconds / FStep));
    while (k > 0 && double(k - 1) * FStep >= seconds)
        --k;
    while (double(k) * FStep < seconds)
        ++k;
    return k;
}

TSondeReading TFlightModel::OnTheGround(double seconds, int64_t slot) const
{
    // The air at the station, and the housekeeping as it is at the release.
    TSondeReading r = ReadingAt(FAscent.LaunchElevation(), 0.0, slot);
    const double air = r.Temperature;
    const double sonde = air + (WarmStart - air) * std::exp(-seconds / WarmTimeConstant);
    // The same vapour pressure read at the sonde's own temperature.
    r.Humidity =
        std::clamp(r.Humidity * SaturationPressure(air) / SaturationPressure(sonde), 0.0, 100.0);
    r.Temperature = sonde;
    r.Frequency = std::round(4000.0 + 10.0 * sonde);
    TRandom noise(FOptions.Seed, rsBarometerNoise, uint64_t(slot));
    const double u = noise.Uniform();
    r.Pressure += FDriftPerSecond * (seconds - FOptions.GroundSeconds) +
                  BarometerNoise * (u + noise.Uniform() - 1.0);
    return r;
}

double TFlightModel::DescentAltitude(double secondsAfterBurst) const
{
    const double s = std::max(secondsAfterBurst, 0.0);
    if (s >= FDescentSeconds)
        return FAscent.LaunchElevation();
    const auto i = size_t(s);
    if (i + 1 >= FDescent.size())
        return FAscent.LaunchElevation();
    const double f = s - double(i);
    return std::max(FDescent[i] + f * (FDescent[i + 1] - FDescent[i]), FAscent.LaunchElevation());
}

TSondeReading TFlightModel::At(double seconds, int64_t slot) const
{
    TSondeReading r;
    if (seconds < FOptions.GroundSeconds) {
        r = OnTheGround(seconds, slot);
    } else {
        // After the release the flight is the ascent from its first second.
        const double s = seconds - FOptions.GroundSeconds;
        if (!HasParachute()) {
            r = FAscent.At(s, slot);
        } else {
            const double ascent = FAscent.AscentSeconds();
            const double altitude = s <= ascent ? FAscent.Altitude(s) : DescentAltitude(s - ascent);
            r = ReadingAt(altitude, s, slot);
        }
    }
    r.Pressure += FOptions.PressureOffset;
    return r;
}

int64_t TFlightModel::Slot(int64_t frame) const
{
    return FFadeSlots > 0 && frame >= FFadeFirst ? frame + FFadeSlots : frame;
}

std::optional<int64_t> TFlightModel::FrameOfSlot(int64_t slot) const
{
    if (slot < 0 || (slot >= FFadeFirst && slot < FFadeFirst + FFadeSlots))
        return std::nullopt;
    const int64_t frame = slot >= FFadeFirst + FFadeSlots ? slot - FFadeSlots : slot;
    if (FFrames > 0 && frame >= FFrames)
        return std::nullopt;
    return frame;
}

std::vector<TFault> TFlightModel::PlannedFaults(int64_t block) const
{
    std::vector<TFault> faults;
    if (!FOptions.FaultSeed)
        return faults;
    TRandom random(*FOptions.FaultSeed, rsFaults, uint64_t(block));
    auto place = [&](int64_t from, int64_t to, TFaultKind kind, double value) {
        int64_t frame = from;
        for (int tries = 0; tries < 100; ++tries) {
            frame = from + FaultGap + random.Below(to - from - 2 * FaultGap);
            if (std::none_of(faults.begin(), faults.end(),
                             [&](const TFault &f) { return std::abs(f.Frame - frame) < FaultGap; }))
                break;
        }
        faults.push_back({frame, kind, value});
    };
    const int64_t base = block * FaultBlock;
    {
        const double hPa = random.Sign() * (2.0 + 3.0 * random.Uniform());
        place(base, base + FaultBlock, fkPressure, hPa);
    }
    for (int64_t j = 0; j < 4; ++j) {
        const double kelvin = random.Sign() * (5.0 + 5.0 * random.Uniform());
        place(base + 500 * j, base + 500 * (j + 1), fkTemperature, kelvin);
    }
    for (int64_t j = 0; j < 2; ++j) {
        const double percent = random.Uniform() < 0.5 ? 0.0 : 110.0;
        place(base + 1000 * j, base + 1000 * (j + 1), fkHumidity, percent);
    }
    std::sort(faults.begin(), faults.end(),
              [](const TFault &a, const TFault &b) { return a.Frame < b.Frame; });
    return faults;
}

void TFlightModel::Apply(TFault &fault, TSondeReading &reading) const
{
    switch (fault.Kind) {
    case fkTemperature:
        reading.Temperature += fault.Value;
        break;
    case fkPressure:
        // High up a few hPa down would leave no pressure: the jump goes up.
        if (reading.Pressure + fault.Value < 0.5 * reading.Pressure)
            fault.Value = std::abs(fault.Value);
        reading.Pressure += fault.Value;
        break;
    case fkHumidity:
        reading.Humidity = fault.Value;
        break;
    }
}

TSondeReading TFlightModel::Frame(int64_t frame) const
{
    TSondeReading r = At(Seconds(frame), Slot(frame));
    if (FOptions.FaultSeed)
        for (TFault &fault : PlannedFaults(frame / FaultBlock))
            if (fault.Frame == frame)
                Apply(fault, r);
    return r;
}

std::vector<TFault> TFlightModel::Faults(int64_t first, int64_t last) const
{
    std::vector<TFault> faults;
    if (!FOptions.FaultSeed || last <= first)
        return faults;
    for (int64_t block = first / FaultBlock; block <= (last - 1) / FaultBlock; ++block)
        for (TFault &fault : PlannedFaults(block))
            if (fault.Frame >= first && fault.Frame < last) {
                TSondeReading r = At(Seconds(fault.Frame), Slot(fault.Frame));
                Apply(fault, r);
                faults.push_back(fault);
            }
    return faults;
}

double TFlightModel::BurstSeconds() const
{
    return FOptions.GroundSeconds + FAscent.AscentSeconds();
}

double TFlightModel::LandingSeconds() const
{
    const double fall = HasParachute() ? FDescentSeconds
                                       : (FAscent.BurstAltitude() - FAscent.LaunchElevation()) /
                                             (3.0 * FAscent.RiseRate());
    return BurstSeconds() + fall;
}

std::optional<int64_t> TFlightModel::ReleaseFrame() const
{
    int64_t slot = SlotAtOrAfter(FOptions.GroundSeconds);
    if (slot >= FFadeFirst && slot < FFadeFirst + FFadeSlots)
        slot = FFadeFirst + FFadeSlots;
    return FrameOfSlot(slot);
}

std::optional<int64_t> TFlightModel::BurstFrame() const
{
    const int64_t at = SlotAtOrAfter(BurstSeconds());
    int64_t after = at;
    if (after >= FFadeFirst && after < FFadeFirst + FFadeSlots)
        after = FFadeFirst + FFadeSlots;
    int64_t before = at - 1;
    if (before >= FFadeFirst && before < FFadeFirst + FFadeSlots)
        before = FFadeFirst - 1;
    const std::optional<int64_t> next = FrameOfSlot(after);
    if (!next)
        return std::nullopt; // the data end before the descent shows
    const std::optional<int64_t> previous = FrameOfSlot(before);
    if (!previous)
        return next;
    const auto altitude = [&](int64_t frame) { return At(Seconds(frame), Slot(frame)).Altitude; };
    return altitude(*previous) >= altitude(*next) ? previous : next;
}
