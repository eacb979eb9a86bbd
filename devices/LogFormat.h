#pragma once
// The run log: four header lines, then one tab-separated data line per data
// frame. Lines end in CR LF when written; readers accept LF too. The file is
// text in the system's 8-bit code page: QString::toLocal8Bit on the way out,
// QString::fromLocal8Bit on the way in (UTF-8 on Linux), and nothing else.
// Numbers use the system default format settings of the writing machine.
#include "devices/KestrinLibrary.h"
#include "foundation/Errors.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Any problem with a run log other than an invalid configuration string; the
// message names the file and the problem.
VENTREL_DECLARE_ERROR(ELogFileError, EFileError);

// A data line: FormatValues of the result, each followed by a tab, then the
// frame's raw text.
QString FormatLogLine(const TKestrinResult &result);
// Reads a data line into a result that already holds the run's configuration.
// Never fails: unreadable values become the no-value marker. The time is kept
// when field 0 is a number within the calendar (years 1 to 9999); otherwise
// the result keeps the time it had.
void ParseLogLine(const QString &line, TKestrinResult &result);
// The same with the format settings of the caller, for many lines in a row.
void ParseLogLine(const QString &line, TKestrinResult &result, const TFormatSettings &settings);

// The four header lines of a run log, without line ends: the model letter,
// the configuration string, the launch elevation in whole metres (halves to
// the even neighbour) and the column headings. Raises ERangeError or
// EMathError for an elevation that is not a finite 32-bit number of metres.
QStringList LogHeaderLines(const TKestrinResult &configuration, double launchElevation);

// Lines as they go into the file: each followed by CR LF, in the 8-bit code page.
QByteArray EncodeLogLines(const QStringList &lines);

// The text of a run log or settings document: UTF-16 when it says so by a
// byte-order mark (or, without one, by the zero bytes beside its first two
// characters), otherwise the 8-bit code page; a UTF-8 byte-order mark is
// dropped.
QString DecodeFileText(const QByteArray &bytes);

// Enough of a file's first bytes to tell whether it is a run log.
constexpr qsizetype FileHeadBytes = 4096;
// Why a file that begins with `head` (its first FileHeadBytes, or all of it
// when `complete`) cannot be a run log, in words; empty when it may be one:
// its first three lines must be text and, in a longer file, end within the
// head.
QString RunLogHeadProblem(const QByteArray &head, bool complete);
// Refuses a file by its first bytes, before the rest is read: ELogFileError
// "FILE is not a run log: ..." for a RunLogHeadProblem, and the errors of
// ParseRunLog for header lines that are there but wrong.
void CheckRunLogHead(const QByteArray &head, bool complete, const QString &fileName);

// The launch elevations a sonde can be launched from, in metres: below the
// shores of the Dead Sea to above the highest summit.
constexpr double LowestLaunchElevation = -500.0;
constexpr double HighestLaunchElevation = 9000.0;
// The problem with a launch elevation in metres, one sentence for the
// operator; empty when it is possible.
QString LaunchElevationProblem(double metres);

// A whole run log as read back.
struct TRunLog
{
    TKestrinResult Configuration; // from line 2
    double LaunchElevation = 0.0; // metres, from line 3
    QStringList DataLines;        // line 5 onwards, without line ends
};

// Reads a run log. An invalid configuration string raises
// EKestrinConfigStringError unchanged; every other problem (file cannot be
// read, a file that is no run log, fewer than three lines, a header line
// without a tab, an elevation that is not a number or not possible) raises
// ELogFileError. A file that is no run log is refused from its first bytes,
// without reading the rest. Nothing is returned half-read.
TRunLog ReadRunLog(const QString &fileName);
// The same for contents already in memory; fileName only names the source in
// messages.
TRunLog ParseRunLog(const QByteArray &contents, const QString &fileName);
