#pragma once
// The mark a run in progress leaves in the user's data folder, so that a
// flight survives a crash, a power cut or an accidental close: which log it
// records into and what the operator said of the flight. Each change
// replaces the whole file at once, so that a crash while it is written
// leaves the previous marker or none, never a broken one; a normal Stop or
// close removes it. The delivery keeps its own state in the outbox.
#include "sounding/StationIdentity.h"
#include "sounding/SurfaceObservation.h"

#include <QString>
#include <optional>

struct TRunMarker
{
    QString LogFile;       // absolute
    QString Configuration; // the configuration string the run began with
    double LaunchElevation = 0.0;
    TStationIdentity Station{};
    std::optional<TSurfaceObservation> Surface{};
    // The operator's Release and End of Ascent (local date-times, days).
    std::optional<double> Release{};
    std::optional<double> End{};

    bool operator==(const TRunMarker &) const = default;
};

// ~/.local/share/ventrel/runs on Linux: one marker for each run in
// progress, so that a second program never takes over the first one's.
QString DefaultRunMarkerFolder();
// The marker of the run recording into `logFile` (absolute): its name is
// made of the log's path.
QString RunMarkerFile(const QString &folder, const QString &logFile);

// Replaces the marker at once; EFileError when it cannot be written, which
// leaves the one before.
void WriteRunMarker(const QString &fileName, const TRunMarker &marker);
// EFileError when it cannot be read, EConvertError naming the element for a
// marker that is not one.
TRunMarker ReadRunMarker(const QString &fileName);

// Cuts a last line that has no line end off the log and appends it to
// "LOG.partial" beside it, so that nothing the sonde sent is lost and new
// lines begin on a line of their own. Returns how many bytes were moved;
// EFileError when the log cannot be read or cut.
qint64 CutPartialLastLine(const QString &logFile);
