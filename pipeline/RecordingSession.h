#pragma once
// TRecordingSession: the recorded lines of a run and their way to the graph
// thread, shared by live runs, Load Log, Load Graphs and the headless
// renderer, so that replayed data takes the path of live frames.
#include "devices/KestrinLibrary.h"
#include "pipeline/DataPacket.h"
#include "pipeline/DataParameters.h"
#include "pipeline/GraphCommands.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// A result of the configuration `configuration` read from a stored log
// line. The frame's raw text (the field after the channel values) is kept
// with it, so that the line can be written again without losing it.
TKestrinResult ResultFromLogLine(const QString &line, const TKestrinResult &configuration);
TKestrinResult ResultFromLogLine(const QString &line, const TKestrinResult &configuration,
                                 const TFormatSettings &settings);

// Stored log lines made ready to record: each line's result, read with the
// run's configuration, as the graph thread takes a frame, and the line as
// RecordResult keeps it (the result formatted again). Pure work on its
// arguments, so that a load can do it away from the user-interface thread.
struct TReplay
{
    QStringList Lines;
    std::vector<std::unique_ptr<TKestrinResult>> Frames;
};
TReplay PrepareReplay(const QStringList &lines, const TKestrinResult &configuration);

class TRecordingSession
{
  public:
    // Posts to the graph thread's commands.
    explicit TRecordingSession(TGraphCommands &commands);

    const QStringList &RecordedLines() const { return FRecordedLines; }
    // The parameters the current run started with: the lines were recorded
    // under them, whatever the caller's own have become since.
    const TDataParameters &RunParameters() const { return FRunParameters; }

    // The result's log line is kept in the recorded lines and a copy of the
    // result goes to the graph thread (command 0). Returns the line, for the
    // log file of a live run.
    QString RecordResult(const TKestrinResult &result);
    // Empties the recorded lines and starts a new run in the graph thread
    // (command 1 with a copy of the parameters).
    void BeginNewRun(const TDataParameters &parameters);
    // Records a prepared replay as RecordResult records each of its results,
    // the frames posted under one lock.
    void RecordReplay(TReplay replay);
    // Records every stored log line, read with `configuration`.
    void ReplayLines(const QStringList &lines, const TKestrinResult &configuration);

  private:
    TGraphCommands &FCommands;
    QStringList FRecordedLines;
    TDataParameters FRunParameters;
};
