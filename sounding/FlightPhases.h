#pragma once
// The phases of a flight from its frames, as they arrive: on the ground, the
// release, the ascent, the burst and the descent. It runs frame by frame, live
// or over a saved run, at a cost per frame that does not grow with the flight,
// and its answers are ready at any moment for the window's refresh.
//
// Frames are numbered 0, 1, ... in the order Add() receives them; every index
// below is such a number. A frame without a pressure takes no part (the
// phases are read from the pressure), and a garbled frame (one whose pressure
// disagrees with both its neighbours) is never the release, the surface or
// the burst.
#include "sounding/SoundingFrame.h"

#include <QString>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

enum TFlightPhase : uint8_t
{
    fpGround = 0,     // not released yet
    fpAscending = 1,  // released, the ascent goes on
    fpDescending = 2, // after the burst (or data that only ever fall)
    fpEnded = 3       // the operator ended the ascent, or the data have ended
};

enum TReleaseSource : uint8_t
{
    rsAutomatic = 0,  // found from the frames
    rsOperator = 1,   // the operator's mark
    rsFirstFrame = 2, // the data begin already rising: no ground phase
};
// "automatic", "operator", "first frame": the words of the products' summary.
QString ReleaseSourceText(TReleaseSource source);

// Codes of WMO BUFR code table 0 35 035, reason for termination, that a
// flight here can end with.
enum TTerminationCode : uint8_t
{
    tcBalloonBurst = 1,
    tcUserTerminated = 13,
    tcSuddenLossOfSignal = 14,
};
// The words of code table 0 35 035 for a code, in lower case ("balloon
// burst"); every entry of the table, "reserved" for its reserved codes and
// an empty text for a number outside it.
QString TerminationText(int code);

struct TFlightRelease
{
    int Index = -1;
    double Time = 0.0; // the frame's time, days as TSoundingFrame::Time
    TReleaseSource Source = rsAutomatic;
};

struct TFlightBurst
{
    int Index = -1;
    double Time = 0.0;
    double Pressure = 0.0;                     // hPa, the frame's own
    double Altitude = TSoundingFrame::Missing; // m, the frame's own
};

struct TFlightTermination
{
    int Index = -1; // the last frame of the ascent; -1: the operator ended it before every frame
    TTerminationCode Code = tcSuddenLossOfSignal;
};

// Frames First to Last, both included; empty when First is -1 or Last is
// before First.
struct TFrameRange
{
    int First = -1;
    int Last = -1;
    bool IsEmpty() const { return First < 0 || Last < First; }
    int Count() const { return IsEmpty() ? 0 : Last - First + 1; }
};

class TFlightPhases
{
  public:
    TFlightPhases();

    // Takes the next frame in arrival order. Amortised constant time.
    void Add(const TSoundingFrame &frame);
    // No more frames will come: a saved run has been read, or a live run has
    // stopped. Without a burst or an operator's end, the ascent then ends at
    // the last frame with "sudden loss of signal". A later Add() reopens the
    // run.
    void EndOfData();
    bool DataEnded() const { return FDataEnded; }
    // Forgets the frames, everything found in them and the operator's marks.
    void Clear();
    int FrameCount() const { return int(FFrames.size()); }

    // The operator's release: the first usable frame at or after the time
    // (days, as the frames' Time). Overrides the automatic release while set;
    // until such a frame has arrived there is no release. nullopt: automatic.
    void SetOperatorRelease(std::optional<double> time);
    std::optional<double> OperatorRelease() const { return FOperatorRelease; }
    // The operator's "End of Ascent": the ascent ends with the last usable
    // frame at or before the time. nullopt: none.
    void SetOperatorEnd(std::optional<double> time);
    std::optional<double> OperatorEnd() const { return FOperatorEnd; }

    TFlightPhase Phase() const;
    // Minutes from the first frame to the release; while on the ground, to
    // the latest frame.
    double GroundMinutes() const;
    // The release in force: the operator's, else the automatic one.
    std::optional<TFlightRelease> Release() const;
    // What the frames alone say, whatever the operator set. A first
    // estimate comes once the rise is sustained, at most (50 m + twice the
    // noise) / climb rate + three frame intervals after the release (22 s
    // at 3 m/s with a frame a second, 50 s with a frame every 10 s); it may
    // move by a frame when it is placed for good, once the climb has lasted
    // 60 s (and one more frame has come).
    std::optional<TFlightRelease> AutomaticRelease() const { return FAutomatic; }
    // The burst of the ascent in force, once the sonde has fallen far enough
    // below it to be sure.
    std::optional<TFlightBurst> Burst() const { return FAscentFall.Burst; }
    // How the ascent ended: the burst, the operator's end, whichever came
    // first, or (only after EndOfData) the last usable frame. nullopt while
    // the ascent goes on or before the release.
    std::optional<TFlightTermination> Termination() const;
    // The frames the sounding products take: the release to the termination,
    // or to the latest frame while the ascent goes on. Empty before the
    // release, and when the operator's end lies before it.
    TFrameRange Ascent() const;

    // True when the run has no ground phase and its first usable pressure
    // lies well below the station's surface: the receiver started aloft
    // (late, or only for the descent). With a station pressure (hPa, the
    // surface observation's) that is more than 200 m's worth of pressure
    // below it; without, below the lowest surface pressure the station
    // height (m) allows (see FlightPhases.cpp).
    bool BeginsAloft(std::optional<double> stationPressure, double stationHeight) const;
    // Why this run gives no sounding products, one sentence for the operator
    // ("The data begin aloft at 699.6 hPa: ..."); empty when it gives them.
    QString ProductsProblem(std::optional<double> stationPressure, double stationHeight) const;

  private:
    struct TFrame
    {
        double Time = 0.0;
        double Pressure = TSoundingFrame::Missing;
        double Temperature = TSoundingFrame::Missing;
        double Altitude = TSoundingFrame::Missing;
    };
    // A frame with a pressure, once its neighbours have judged it.
    struct TJudged
    {
        int Index = -1;
        double Seconds = 0.0; // since the first frame
        double Height = 0.0;  // m, from the median pressure
        double Own = 0.0;     // m, from the frame's own pressure
        bool Garbled = false;
    };
    // The lowest pressure since a start frame and whether the sonde has
    // since fallen far enough below it.
    struct TFallTracker
    {
        int Start = -1; // -1: not tracking
        int Lowest = -1;
        std::optional<TFlightBurst> Burst;
        void Reset(int start)
        {
            Start = start;
            Lowest = -1;
            Burst.reset();
        }
    };

    double Seconds(double time) const;
    double PressureAt(int position) const;
    double SecondsAt(int position) const;
    void JudgeUpTo(bool atEnd);
    void Judge(int position, double median, double spread);
    void DetectRelease(const TJudged &frame);
    TFlightRelease EstimateRelease(double &tau) const;
    void Track(TFallTracker &tracker, int position) const;
    void RestartAscentTracking();
    int FirstUsablePosition() const;
    int LastUsablePosition() const;
    bool Usable(int position) const { return position < FJudgedCount && !FGarbled[position]; }

    std::vector<TFrame> FFrames;
    double FFirstTime = TSoundingFrame::Missing; // of the first frame with a time
    // Frames with a pressure, by position in that sequence: their index,
    // median pressure and whether the frame is garbled. The first
    // FJudgedCount of them have been judged.
    std::vector<int> FValid;
    std::vector<double> FMedian;
    std::vector<char> FGarbled;
    int FJudgedCount = 0;
    bool FDataEnded = false;

    // Automatic release detection: the judged frames of the last minutes,
    // the ground level's window (30 to 90 s old) and its sums.
    std::deque<TJudged> FRecent;
    std::deque<TJudged> FPending; // younger than 30 s
    std::deque<TJudged> FGround;  // 30 to 90 s old
    double FGroundSum = 0.0;
    std::optional<TJudged> FLastOld; // the newest frame that left the window
    std::optional<TJudged> FLastInBand;
    std::optional<TJudged> FPrevious;
    std::optional<TFlightRelease> FAutomatic;
    bool FRefining = false;      // FAutomatic is the first estimate
    double FFittedRelease = 0.0; // s, the fitted time behind FAutomatic

    std::optional<double> FOperatorRelease;
    std::optional<double> FOperatorEnd;
    std::optional<TFlightRelease> FOperatorReleaseFound;
    int FOperatorEndPosition = -1;
    bool FOperatorEndClosed = false; // a frame after the end mark has arrived

    TFallTracker FAscentFall; // from the release in force
    TFallTracker FStartFall;  // from the first frame: data that only fall
};
