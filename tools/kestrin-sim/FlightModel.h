#pragma once
// A whole simulated flight as the receiver would get it: time on the ground
// before the release, the standard-atmosphere ascent, the burst and the
// descent, an offset of the pressure sensor, single-frame faults of the sonde
// and a fade of the radio link. Everything follows from the options and the
// seeds: the same options give the same flight, frame for frame.
#include "SondeEncoder.h"

#include <cstdint>
#include <optional>
#include <vector>

enum TFaultKind : uint8_t
{
    fkTemperature = 0, // Value: kelvin added to the temperature
    fkPressure = 1,    // Value: hPa added to the pressure
    fkHumidity = 2,    // Value: the humidity sent instead (0 or 110 %RH)
};

// A fault of one data frame; frames count the data frames sent, from 0.
struct TFault
{
    int64_t Frame = 0;
    TFaultKind Kind = fkTemperature;
    double Value = 0.0;
};

// A time without any frames: from Start seconds after the first frame, for
// Seconds.
struct TFade
{
    double Start = 0.0;
    double Seconds = 0.0;
};

struct TFlightOptions
{
    double LaunchElevation = 0.0; // m
    double GroundSeconds = 0.0;   // on the ground from the first frame to the release
    // Bursting here starts a descent under a parachute; without it the
    // balloon bursts at 33 km and falls at three times the rise rate.
    std::optional<double> BurstAltitude;
    double PressureOffset = 0.0; // hPa the pressure sensor reads high, all flight
    uint32_t Seed = 1;           // the barometer's noise and drift on the ground
    std::optional<uint32_t> FaultSeed;
    std::optional<TFade> Fade; // replaces the fade that FaultSeed picks
};

class TFlightModel
{
  public:
    // Frames are `step` seconds of flight apart (frame slots, some of them
    // lost in a fade); `frames` data frames are sent, 0 for no end.
    TFlightModel(const TFlightOptions &options, double step, int64_t frames);

    // What the sonde measures `seconds` after the first frame, before any
    // fault; `slot` numbers the frame slots (the parallel byte counts them).
    TSondeReading At(double seconds, int64_t slot) const;
    // The frame slot of the frame-th data frame sent (it skips the fade),
    // and its time after the first frame.
    int64_t Slot(int64_t frame) const;
    double Seconds(int64_t frame) const { return double(Slot(frame)) * FStep; }
    // The reading the frame-th data frame carries, its fault included.
    TSondeReading Frame(int64_t frame) const;
    // The faults of the data frames from `first` up to, not including,
    // `last`, with the values as applied.
    std::vector<TFault> Faults(int64_t first, int64_t last) const;

    double ReleaseSeconds() const { return FOptions.GroundSeconds; }
    double BurstSeconds() const;
    double BurstAltitude() const { return FAscent.BurstAltitude(); }
    bool HasParachute() const { return FOptions.BurstAltitude.has_value(); }
    double LandingSeconds() const;
    // The fade in effect and the frame slots it swallows.
    std::optional<TFade> Fade() const { return FFade; }
    int64_t FadeFirstSlot() const { return FFadeFirst; }
    int64_t FadeSlots() const { return FFadeSlots; }

    // The data frame sent in a slot; none when the fade swallowed it or it
    // lies beyond the frames sent.
    std::optional<int64_t> FrameOfSlot(int64_t slot) const;
    // The first data frame at or after the release.
    std::optional<int64_t> ReleaseFrame() const;
    // The highest data frame: the last one before the burst or the first
    // after it, whichever is higher; none when the data end before.
    std::optional<int64_t> BurstFrame() const;

  private:
    TSondeReading OnTheGround(double seconds, int64_t slot) const;
    double DescentAltitude(double secondsAfterBurst) const;
    std::vector<TFault> PlannedFaults(int64_t block) const;
    void Apply(TFault &fault, TSondeReading &reading) const;
    // The first slot at or after `seconds`.
    int64_t SlotAtOrAfter(double seconds) const;

    TFlightOptions FOptions;
    double FStep;
    int64_t FFrames;
    TStandardAscent FAscent;
    double FDriftPerSecond = 0.0; // hPa/s of the barometer's drift on the ground
    std::vector<double> FDescent; // altitude each second after the burst, to the landing
    double FDescentSeconds = 0.0; // burst to landing under the parachute
    std::optional<TFade> FFade;
    int64_t FFadeFirst = 0;
    int64_t FFadeSlots = 0;
};
