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

// A whole run log as read back.
struct TRunLog
{
    TKestrinResult Configuration; // from line 2
    double LaunchElevation = 0.0; // metres, from line 3
    QStringList DataLines;        // line 5 onwards, without line ends
};

// Reads a run log. An invalid configuration string raises
// EKestrinConfigStringError unchanged; every other problem (file cannot be
// read, fewer than three lines, a header line without a tab, an elevation that
// is not a number) raises ELogFileError. Nothing is returned half-read.
TRunLog ReadRunLog(const QString &fileName);
// The same for contents already in memory; fileName only names the source in
// messages.
TRunLog ParseRunLog(const QByteArray &contents, const QString &fileName);
