#include "sounding/FlightPhases.h"

#include "foundation/CustomUtilities.h"

#include <algorithm>
#include <cmath>

namespace {

// ---- Heights for finding the phases -------------------------------------
// The phases are read from the pressure alone, turned into a height with one
// fixed scale (R/g of the program's hypsometric step, 29.3 m/K, times the
// standard surface's 288.15 K: 1 hPa is about 8.4 m near the ground). Only
// differences of a few hundred metres matter here, where a fixed scale is
// good to a few per cent. The pipeline's altitude is not used: it is
// integrated frame by frame, so one garbled pressure leaves a step in every
// later altitude.
constexpr double HeightScale = 29.3 * 288.15;       // m
constexpr double StandardSurfacePressure = 1013.25; // hPa

// ---- Garbled frames -------------------------------------------------------
// Each pressure is judged against the median of itself and its two
// neighbours (the first and the last against the first or last three): it is
// garbled when it differs from that median by more than 5 hPa or 3 % of it,
// whichever is less, plus the difference between the two others. The
// ground's noise of +-1 hPa moves a frame at most 2 hPa from the median; a
// steady climb or fall gives the frame its own value back (the first and
// last frames lie one step off, and the two others one step apart); at the
// burst, the lowest frame lies one ascent step (under 1.2 % at 8 m/s with a
// frame every 10 s) below the median. A garbled 12.3 hPa on the ground, or a
// jump of 100 hPa, is far outside; and its genuine neighbours, which have it
// among their two others, are not taken for garbled with it.
constexpr double GarbledAbsolute = 5.0;  // hPa
constexpr double GarbledRelative = 0.03; // of the median

// ---- The release -----------------------------------------------------------
// The ground level is the mean height of the frames 30 to 90 s old. The lag
// keeps the start of a rise out of the level it is measured from; the span
// averages the +-1 hPa noise over 6 to 60 frames; and a drift of 2 hPa an
// hour moves the level by only 0.3 m over the lag.
constexpr double GroundLag = 30.0;  // s
constexpr double GroundSpan = 60.0; // s
// A frame is on the ground while within 15 m of the level: the noise reaches
// 8.4 m.
constexpr double GroundBand = 15.0; // m
// A rise is sustained when two frames in a row are 50 m or more above the
// level and the climb from the last frame within the band averages 1 m/s or
// more. The noise cannot reach 50 m; a sonde carried up stairs (10 m, or a
// few storeys) stays below it; a walk up a hill is slower than 1 m/s; a
// balloon (3 to 6 m/s) is 50 m up within 17 s.
constexpr double SustainedRise = 50.0; // m
constexpr double MinimumClimb = 1.0;   // m/s
// Once sustained, the release is placed by fitting a level followed by a
// straight climb, continuous at the release, to the frames' own heights
// (garbled ones left out) from 120 s before the last frame on the ground up
// to the confirming frame: least squares, the release time free between
// frames. 120 s of ground pin the level to 1.5 m even with a frame every
// 10 s.
constexpr double FitGround = 120.0; // s
constexpr size_t MaximumFitFrames = 1200;
// The release frame is then the frame just after the fitted time, or the
// one just before when the fitted time lies less than half the interval,
// and at most 2.5 s, after it: the nearest frame while frames come closer
// than 5 s apart; further apart, the frame before may lie more than 5 s
// before the release while the frame after is always the one just after it,
// and 2.5 s splits the fit's scatter (1.5 s at worst) between the two ways
// to miss. A garbled frame gives way to the usable frame nearest the
// fitted time. Where the frame after follows a silence of more than 30 s,
// the release happened in the silence and the frame before it (still on
// the ground) is taken, so that the surface is a ground reading.
constexpr double ReleaseLean = 2.5;     // s
constexpr double ReleaseSilence = 30.0; // s
// A fitted release less than 5 s after the first usable frame means that
// the data begin already rising: the first frame is the release.
constexpr double FirstFrameSlack = 5.0; // s
// The first estimate rests on the few frames that confirmed the rise. It is
// fitted once more, for good, when the climb has lasted 60 s: the scatter
// falls from 2.0 to 1.5 s with a frame every 10 s at 3 m/s, from 0.9 to
// 0.5 s with a frame a second. A longer climb would help against the noise
// but not against a balloon whose rate changes in its first minutes.
constexpr double RefineClimb = 60.0; // s

// ---- The burst --------------------------------------------------------------
// The burst is the lowest usable pressure after the release, once a later
// median pressure lies 300 m below it, the height difference taken with the
// burst frame's own temperature (where it has none, or an absurd one, the
// standard stratosphere's 216.65 K).
constexpr double BurstFall = 300.0; // m

// ---- Data that begin aloft --------------------------------------------------
// With a station pressure, aloft is more than 200 m below it: far beyond a
// sonde's offset of a few hPa and the sonde standing a storey or two above
// the barometer. Without one, aloft is below the lowest surface pressure
// the station height allows: the standard atmosphere's pressure 300 m above
// the station (room for a launch elevation entered roughly), lowered in the
// ratio of the lowest sea-level pressure ever observed, 870 hPa, to the
// standard 1013.25 hPa (at sea level: 839 hPa).
constexpr double AloftBelowObservation = 200.0; // m
constexpr double AloftHeightMargin = 300.0;     // m
constexpr double LowestWeatherRatio = 870.0 / 1013.25;

double StandardPressure(double height)
{
    if (height < 11000.0)
        return 1013.25 * std::pow(1.0 - 0.0065 * height / 288.15, 5.25588);
    return 226.32 * std::exp(-(height - 11000.0) / 6341.6);
}

double Median3(double a, double b, double c)
{
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

QString FormatPressure(double p)
{
    return QString::number(p, 'f', 1);
}

QString FormatClock(double days)
{
    return DaysToDateTime(days).toString(QStringLiteral("HH:mm:ss"));
}

struct TPoint
{
    double T = 0.0;
    double H = 0.0;
};

// The least-squares fit of h = a + b max(0, t - tau) over the points (in
// time order, at least two), for each tau the points allow; returns the
// best tau. Sums run over the points after the break, so each candidate
// costs constant time.
double FitRelease(std::vector<TPoint> points)
{
    const size_t n = points.size();
    const double origin = points.front().T; // sums of small numbers
    for (TPoint &p : points)
        p.T -= origin;
    double sumY = 0.0;
    double sumYY = 0.0;
    for (const TPoint &p : points) {
        sumY += p.H;
        sumYY += p.H * p.H;
    }
    const double syy = sumYY - sumY * sumY / double(n);
    // Sums over the points after the break.
    double m = 0.0, st = 0.0, stt = 0.0, sy = 0.0, sty = 0.0;
    std::vector<double> flatMean(n);
    double prefix = 0.0;
    for (size_t i = 0; i < n; ++i) {
        prefix += points[i].H;
        flatMean[i] = prefix / double(i + 1);
    }
    double bestTau = points.front().T;
    double bestResidual = std::numeric_limits<double>::infinity();
    auto residualAt = [&](double tau) {
        const double x = st - m * tau;
        const double xx = stt - 2.0 * tau * st + m * tau * tau;
        const double xy = sty - tau * sy;
        const double sxx = xx - x * x / double(n);
        const double sxy = xy - x * sumY / double(n);
        if (sxx <= 0.0 || sxy <= 0.0) // no climb
            return std::numeric_limits<double>::infinity();
        return syy - sxy * sxy / sxx;
    };
    auto consider = [&](double tau) {
        const double r = residualAt(tau);
        if (r < bestResidual) {
            bestResidual = r;
            bestTau = tau;
        }
    };
    for (size_t k = n - 1; k-- > 0;) {
        // Point k + 1 joins the climb; the break lies in [t_k, t_k+1].
        const TPoint &p = points[k + 1];
        m += 1.0;
        st += p.T;
        stt += p.T * p.T;
        sy += p.H;
        sty += p.T * p.H;
        consider(points[k].T);
        const double den = m * stt - st * st;
        if (m >= 2.0 && den > 0.0) {
            const double slope = (m * sty - st * sy) / den;
            const double intercept = (sy - slope * st) / m;
            if (slope > 0.0) {
                const double tau = (flatMean[k] - intercept) / slope;
                if (tau > points[k].T && tau < points[k + 1].T)
                    consider(tau);
            }
        }
    }
    return bestTau + origin;
}

} // namespace

QString ReleaseSourceText(TReleaseSource source)
{
    switch (source) {
    case rsAutomatic:
        return QStringLiteral("automatic");
    case rsOperator:
        return QStringLiteral("operator");
    case rsFirstFrame:
        return QStringLiteral("first frame");
    }
    return QString();
}

QString TerminationText(int code)
{
    // WMO BUFR code table 0 35 035, "Reason for termination".
    static const char *const words[] = {"reserved",
                                        "balloon burst",
                                        "balloon forced down by icing",
                                        "leaking or floating balloon",
                                        "weak or fading signal",
                                        "battery failure",
                                        "ground equipment failure",
                                        "signal interference",
                                        "radiosonde failure",
                                        "excessive missing data frames",
                                        "reserved",
                                        "excessive missing temperature",
                                        "excessive missing pressure",
                                        "user terminated",
                                        "sudden loss of signal",
                                        "tracking lost",
                                        "increasing pressure",
                                        "invalid and/or missed data time limits exceeded"};
    if (code >= 0 && code < int(std::size(words)))
        return QLatin1String(words[code]);
    if (code >= 18 && code <= 29)
        return QStringLiteral("reserved");
    if (code == 30)
        return QStringLiteral("other");
    if (code == 31)
        return QStringLiteral("missing value");
    return QString();
}

TFlightPhases::TFlightPhases()
{
    FStartFall.Start = 0;
}

void TFlightPhases::Clear()
{
    *this = TFlightPhases();
}

double TFlightPhases::Seconds(double time) const
{
    return (time - FFirstTime) * 86400.0;
}

void TFlightPhases::Add(const TSoundingFrame &frame)
{
    FDataEnded = false;
    FFrames.push_back({frame.Time, frame.Pressure, frame.Temperature, frame.Altitude});
    if (!std::isfinite(FFirstTime) && std::isfinite(frame.Time))
        FFirstTime = frame.Time;
    // A frame without a pressure, or without a time to place it by, takes
    // no part in the phases.
    if (frame.HasPressure() && std::isfinite(frame.Time)) {
        FValid.push_back(int(FFrames.size()) - 1);
        FMedian.push_back(TSoundingFrame::Missing);
        FGarbled.push_back(0);
    }
    JudgeUpTo(false);
}

void TFlightPhases::EndOfData()
{
    FDataEnded = true;
    JudgeUpTo(true);
}

double TFlightPhases::PressureAt(int position) const
{
    return FFrames[size_t(FValid[size_t(position)])].Pressure;
}

double TFlightPhases::SecondsAt(int position) const
{
    return Seconds(FFrames[size_t(FValid[size_t(position)])].Time);
}

void TFlightPhases::JudgeUpTo(bool atEnd)
{
    const int n = int(FValid.size());
    while (FJudgedCount < n) {
        const int pos = FJudgedCount;
        // The window of three: centred, or the first or last three.
        int low = pos - 1;
        if (n < 3) {
            if (!atEnd)
                break;
            Judge(pos, PressureAt(pos), 0.0); // too few frames to judge by
            continue;
        }
        if (pos == 0)
            low = 0;
        else if (pos + 1 >= n) {
            if (!atEnd)
                break;
            low = n - 3;
        }
        double others[2];
        int k = 0;
        for (int i = low; i < low + 3; ++i)
            if (i != pos)
                others[k++] = PressureAt(i);
        Judge(pos, Median3(others[0], PressureAt(pos), others[1]),
              std::fabs(others[1] - others[0]));
    }
}

void TFlightPhases::Judge(int position, double median, double spread)
{
    const size_t pos = size_t(position);
    const TFrame &frame = FFrames[size_t(FValid[pos])];
    FMedian[pos] = median;
    FGarbled[pos] = std::fabs(frame.Pressure - median) >
                    std::min(GarbledAbsolute, GarbledRelative * median) + spread;
    FJudgedCount = position + 1;

    bool restarted = false;
    if (!FAutomatic || FRefining) {
        const int before = FAutomatic ? FAutomatic->Index : -1;
        DetectRelease({FValid[pos], Seconds(frame.Time),
                       HeightScale * std::log(StandardSurfacePressure / median),
                       HeightScale * std::log(StandardSurfacePressure / frame.Pressure),
                       bool(FGarbled[pos])});
        if (FAutomatic && FAutomatic->Index != before && !FOperatorRelease) {
            RestartAscentTracking();
            restarted = true;
        }
    }
    if (FOperatorRelease && !FOperatorReleaseFound && Usable(position) &&
        frame.Time >= *FOperatorRelease) {
        FOperatorReleaseFound = TFlightRelease{FValid[pos], frame.Time, rsOperator};
        RestartAscentTracking();
        restarted = true;
    }
    if (!restarted)
        Track(FAscentFall, position);
    Track(FStartFall, position);
    if (FOperatorEnd && !FOperatorEndClosed) {
        if (frame.Time > *FOperatorEnd)
            FOperatorEndClosed = true;
        else if (Usable(position))
            FOperatorEndPosition = position;
    }
}

void TFlightPhases::DetectRelease(const TJudged &frame)
{
    if (FRefining) {
        // The climb goes on into the fit until it is long enough to place
        // the release for good.
        FRecent.push_back(frame);
        if (frame.Seconds >= FFittedRelease + RefineClimb || FRecent.size() >= MaximumFitFrames) {
            FAutomatic = EstimateRelease(FFittedRelease);
            FRefining = false;
            FRecent.clear();
        }
        return;
    }
    // The ground level: the frames 30 to 90 s old; after a silence the last
    // frame before it; at the start the first frame.
    FPending.push_back(frame);
    while (!FPending.empty() && FPending.front().Seconds <= frame.Seconds - GroundLag) {
        FGround.push_back(FPending.front());
        FGroundSum += FPending.front().Height;
        FPending.pop_front();
    }
    while (!FGround.empty() && FGround.front().Seconds < frame.Seconds - GroundLag - GroundSpan) {
        FLastOld = FGround.front();
        FGroundSum -= FGround.front().Height;
        FGround.pop_front();
    }
    if (FGround.empty())
        FGroundSum = 0.0; // no rounding left over from the frames gone
    const double level = !FGround.empty() ? FGroundSum / double(FGround.size())
                         : FLastOld       ? FLastOld->Height
                                          : FPending.front().Height;

    if (frame.Height - level <= GroundBand)
        FLastInBand = frame;
    const bool sustained = frame.Height - level >= SustainedRise && FPrevious &&
                           FPrevious->Height - level >= SustainedRise;
    FPrevious = frame;

    FRecent.push_back(frame);
    while (FRecent.size() > MaximumFitFrames ||
           (FRecent.size() > 1 && FRecent.front().Seconds < FLastInBand->Seconds - FitGround))
        FRecent.pop_front();

    if (!sustained)
        return;
    const double climbTime = frame.Seconds - FLastInBand->Seconds;
    if (climbTime > 0.0 && (frame.Height - FLastInBand->Height) / climbTime < MinimumClimb)
        return;
    if (FirstUsablePosition() < 0)
        return; // nothing but garbled frames so far: nothing to release at
    FAutomatic = EstimateRelease(FFittedRelease);
    FRefining = true;
    FPending.clear();
    FGround.clear();
}

TFlightRelease TFlightPhases::EstimateRelease(double &tau) const
{
    std::vector<TPoint> points;
    points.reserve(FRecent.size());
    // The frames' own heights: the median would flatten the first metres
    // of the climb into the ground and place the release late.
    for (const TJudged &j : FRecent)
        if (!j.Garbled)
            points.push_back({j.Seconds, j.Own - FRecent.front().Height});
    tau = points.size() >= 2 ? FitRelease(points) : FRecent.front().Seconds;

    const int first = FirstUsablePosition();
    const auto releaseAt = [&](int position, TReleaseSource source) {
        const int index = FValid[size_t(position)];
        return TFlightRelease{index, FFrames[size_t(index)].Time, source};
    };
    if (tau - SecondsAt(first) < FirstFrameSlack)
        return releaseAt(first, rsFirstFrame);

    // The frames on either side of the fitted time: the later, unless the
    // time lies close after the earlier; the earlier (or the last usable
    // before it) when a silence separates them. A garbled one gives way to
    // the usable frame nearest the fitted time.
    int after =
        int(std::lower_bound(FValid.begin(), FValid.end(), FRecent.front().Index) - FValid.begin());
    while (after < FJudgedCount - 1 && SecondsAt(after) < tau)
        ++after;
    int chosen = after;
    bool silence = false;
    if (after > 0) {
        const double interval = SecondsAt(after) - SecondsAt(after - 1);
        silence = interval > ReleaseSilence;
        if (silence || tau - SecondsAt(after - 1) <= std::min(interval / 2.0, ReleaseLean))
            chosen = after - 1;
    }
    if (!Usable(chosen)) {
        int before = chosen - 1;
        while (before >= 0 && !Usable(before))
            --before;
        int later = silence ? FJudgedCount : chosen + 1;
        while (later < FJudgedCount && !Usable(later))
            ++later;
        if (later < FJudgedCount &&
            (before < 0 || SecondsAt(later) - tau < tau - SecondsAt(before)))
            chosen = later;
        else
            chosen = std::max(before, first);
    }
    if (chosen <= first)
        return releaseAt(first, rsFirstFrame);
    return releaseAt(chosen, rsAutomatic);
}

void TFlightPhases::Track(TFallTracker &tracker, int position) const
{
    if (tracker.Start < 0 || position < tracker.Start || tracker.Burst)
        return;
    const double p = PressureAt(position);
    // Of frames that read the same lowest pressure (a coarse sensor near the
    // top), the last: the balloon rose on until the reading changed.
    if (Usable(position) && (tracker.Lowest < 0 || p <= PressureAt(tracker.Lowest))) {
        tracker.Lowest = position;
        return;
    }
    if (tracker.Lowest < 0)
        return;
    const TFrame &lowest = FFrames[size_t(FValid[size_t(tracker.Lowest)])];
    double tv = lowest.Temperature + 273.15;
    if (!std::isfinite(tv) || tv < 150.0 || tv > 330.0)
        tv = 216.65;
    const double fall = 29.3 * tv * std::log(FMedian[size_t(position)] / lowest.Pressure);
    if (fall >= BurstFall)
        tracker.Burst = TFlightBurst{FValid[size_t(tracker.Lowest)], lowest.Time, lowest.Pressure,
                                     lowest.Altitude};
}

void TFlightPhases::RestartAscentTracking()
{
    const std::optional<TFlightRelease> release = Release();
    if (!release) {
        FAscentFall.Reset(-1);
        return;
    }
    const int start =
        int(std::lower_bound(FValid.begin(), FValid.end(), release->Index) - FValid.begin());
    FAscentFall.Reset(start);
    for (int position = start; position < FJudgedCount && !FAscentFall.Burst; ++position)
        Track(FAscentFall, position);
}

void TFlightPhases::SetOperatorRelease(std::optional<double> time)
{
    FOperatorRelease = time;
    FOperatorReleaseFound.reset();
    if (time) {
        for (int position = 0; position < FJudgedCount; ++position) {
            const TFrame &frame = FFrames[size_t(FValid[size_t(position)])];
            if (Usable(position) && frame.Time >= *time) {
                FOperatorReleaseFound =
                    TFlightRelease{FValid[size_t(position)], frame.Time, rsOperator};
                break;
            }
        }
    }
    RestartAscentTracking();
}

void TFlightPhases::SetOperatorEnd(std::optional<double> time)
{
    FOperatorEnd = time;
    FOperatorEndPosition = -1;
    FOperatorEndClosed = false;
    if (!time)
        return;
    for (int position = 0; position < FJudgedCount && !FOperatorEndClosed; ++position) {
        if (FFrames[size_t(FValid[size_t(position)])].Time > *time)
            FOperatorEndClosed = true;
        else if (Usable(position))
            FOperatorEndPosition = position;
    }
}

int TFlightPhases::FirstUsablePosition() const
{
    for (int position = 0; position < FJudgedCount; ++position)
        if (!FGarbled[size_t(position)])
            return position;
    return -1;
}

int TFlightPhases::LastUsablePosition() const
{
    for (int position = FJudgedCount - 1; position >= 0; --position)
        if (!FGarbled[size_t(position)])
            return position;
    return -1;
}

std::optional<TFlightRelease> TFlightPhases::Release() const
{
    return FOperatorRelease ? FOperatorReleaseFound : FAutomatic;
}

std::optional<TFlightTermination> TFlightPhases::Termination() const
{
    const std::optional<TFlightRelease> release = Release();
    if (!release)
        return std::nullopt;
    const std::optional<TFlightBurst> &burst = FAscentFall.Burst;
    if (FOperatorEnd) {
        const int end = FOperatorEndPosition < 0 ? -1 : FValid[size_t(FOperatorEndPosition)];
        if (!burst || end < burst->Index)
            return TFlightTermination{end, tcUserTerminated};
    }
    if (burst)
        return TFlightTermination{burst->Index, tcBalloonBurst};
    if (FDataEnded)
        return TFlightTermination{FValid[size_t(LastUsablePosition())], tcSuddenLossOfSignal};
    return std::nullopt;
}

TFrameRange TFlightPhases::Ascent() const
{
    const std::optional<TFlightRelease> release = Release();
    if (!release)
        return {};
    const std::optional<TFlightTermination> termination = Termination();
    return {release->Index, termination ? termination->Index : FrameCount() - 1};
}

TFlightPhase TFlightPhases::Phase() const
{
    if (!Release())
        return FStartFall.Burst ? fpDescending : fpGround;
    const std::optional<TFlightTermination> termination = Termination();
    if (!termination)
        return fpAscending;
    if (termination->Code == tcBalloonBurst && !FDataEnded)
        return fpDescending;
    return fpEnded;
}

double TFlightPhases::GroundMinutes() const
{
    if (FFrames.empty() || !std::isfinite(FFirstTime))
        return 0.0;
    const std::optional<TFlightRelease> release = Release();
    const double until = release ? release->Time : FFrames.back().Time;
    return std::isfinite(until) ? std::max(0.0, (until - FFirstTime) * 1440.0) : 0.0;
}

bool TFlightPhases::BeginsAloft(std::optional<double> stationPressure, double stationHeight) const
{
    if (FAutomatic && FAutomatic->Source == rsAutomatic)
        return false; // it stood on the ground before it rose
    const int first = FirstUsablePosition();
    if (first < 0)
        return false;
    const double p = PressureAt(first);
    if (stationPressure && std::isfinite(*stationPressure) && *stationPressure > 0.0)
        return p < *stationPressure * std::exp(-AloftBelowObservation / HeightScale);
    const double height = std::isfinite(stationHeight) ? stationHeight : 0.0;
    return p < StandardPressure(height + AloftHeightMargin) * LowestWeatherRatio;
}

QString TFlightPhases::ProductsProblem(std::optional<double> stationPressure,
                                       double stationHeight) const
{
    const int first = FirstUsablePosition();
    if (first < 0)
        return FValid.empty() && FDataEnded
                   ? QStringLiteral("The run has no frame with a pressure: there is no sounding")
                   : QStringLiteral("No frame with a usable pressure has arrived yet");
    if (BeginsAloft(stationPressure, stationHeight)) {
        const QString at = FormatPressure(PressureAt(first));
        if (FAutomatic)
            return QStringLiteral("The data begin aloft at %1 hPa: the receiver started late, so "
                                  "there is no surface and no TEMP or BUFR")
                .arg(at);
        if (FStartFall.Burst)
            return QStringLiteral("The data begin aloft at %1 hPa and only descend: the receiver "
                                  "caught the descent alone, so there is no surface and no TEMP "
                                  "or BUFR")
                .arg(at);
        return QStringLiteral("The data begin aloft at %1 hPa, below any surface pressure at the "
                              "station: there is no surface and no TEMP or BUFR")
            .arg(at);
    }
    const std::optional<TFlightRelease> release = Release();
    if (!release) {
        if (FOperatorRelease)
            return QStringLiteral("No usable frame has arrived at or after the release mark "
                                  "(%1)")
                .arg(FormatClock(*FOperatorRelease));
        return FDataEnded ? QStringLiteral("No release was found in the run: the sonde never "
                                           "rose from the ground; mark the release by hand to "
                                           "make the products")
                          : QStringLiteral("The sonde is on the ground: the products begin at "
                                           "the release");
    }
    if (Ascent().IsEmpty())
        return QStringLiteral("The End of Ascent mark (%1) lies before the release (%2): there "
                              "is no ascent")
            .arg(FormatClock(*FOperatorEnd), FormatClock(release->Time));
    return QString();
}
