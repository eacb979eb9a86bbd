#pragma once
// The sounding of a flight as a weather service takes it: the ascent from the
// release to the termination (the frames on the ground and the descent stay
// out), its surface from the station's own observation when there is one and
// from the sonde's reading at the release otherwise, and every height
// integrated upward from that surface at the station height, so that nothing
// the sonde did on the ground moves them.
#include "sounding/FlightPhases.h"
#include "sounding/SoundingAnalysis.h"
#include "sounding/SoundingFrame.h"
#include "sounding/SoundingProducts.h"
#include "sounding/SurfaceObservation.h"

#include <optional>

// What the station knows of a flight besides its frames.
struct TFlightSetup
{
    double StationHeight = 0.0; // m: the launch elevation, the barometer's height
    std::optional<TSurfaceObservation> Surface;
};

// The levels of the ascent: the surface (the observation at the station
// height, with the release frame's time; else the first frame of the ascent
// with pressure and temperature, at the station height), then each later
// frame of `ascent` with pressure and temperature that continues the ascent
// (AppendAscendingLevel), its height from the frame before by the
// hypsometric equation with the frame's virtual temperature, as the packets'
// altitudes are made. A frame that climbed or sank faster than a balloon ever
// does since the frame before (3000 m/min: a garbled pressure, and the frame
// after it) is left out.
// `lastHeight`, when given, takes the height integrated for the last frame
// of `ascent`, in the profile or not (the burst frame).
TSoundingProfile AscentProfile(const TSoundingFrames &frames, TFrameRange ascent,
                               const TFlightSetup &setup,
                               std::optional<double> *lastHeight = nullptr);

// The products of the flight's ascent so far, screened first (ScreenAscent:
// the run log, graphs and data list keep every value as received), with
// what they say of the flight (TSoundingProducts::Flight) and of the
// screening (TSoundingProducts::Screening). None, and the reason in
// Flight.Problem, while the sonde is on the ground, for data that begin
// aloft or only descend, and for an empty ascent.
TSoundingProducts ComputeFlightProducts(const TSoundingFrames &frames, const TFlightPhases &phases,
                                        const TFlightSetup &setup);
