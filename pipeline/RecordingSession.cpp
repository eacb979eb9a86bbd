#include "pipeline/RecordingSession.h"

#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"

TKestrinResult ResultFromLogLine(const QString &line, const TKestrinResult &configuration)
{
    return ResultFromLogLine(line, configuration, GetSystemFormatSettings());
}

TKestrinResult ResultFromLogLine(const QString &line, const TKestrinResult &configuration,
                                 const TFormatSettings &settings)
{
    TKestrinResult result(configuration);
    ParseLogLine(line, result, settings);
    // Raw time, time of day, one field per present channel, then the frame.
    int fieldsBefore = 2;
    for (int c = 1; c <= KestrinChannels; ++c)
        if (result.IsChannelPresent(c))
            ++fieldsBefore;
    qsizetype position = 0;
    for (int i = 0; i < fieldsBefore && position >= 0; ++i) {
        position = line.indexOf(QLatin1Char('\t'), position);
        if (position >= 0)
            ++position;
    }
    result.SetRawText(position >= 0 ? line.mid(position) : QString());
    return result;
}

TReplay PrepareReplay(const QStringList &lines, const TKestrinResult &configuration)
{
    const TFormatSettings settings = GetSystemFormatSettings();
    TReplay replay;
    replay.Lines.reserve(lines.size());
    for (const QString &line : lines) {
        auto result =
            std::make_unique<TKestrinResult>(ResultFromLogLine(line, configuration, settings));
        replay.Lines << FormatLogLine(*result);
        replay.Frames.push_back(std::move(result));
    }
    return replay;
}

TRecordingSession::TRecordingSession(TGraphCommands &commands) : FCommands(commands) {}

QString TRecordingSession::RecordResult(const TKestrinResult &result)
{
    const QString line = FormatLogLine(result);
    FRecordedLines << line;
    FCommands.PostFrame(std::make_unique<TKestrinResult>(result));
    return line;
}

void TRecordingSession::BeginNewRun(const TDataParameters &parameters)
{
    FRecordedLines.clear();
    FRunParameters = parameters;
    FCommands.PostNewRun(parameters);
}

void TRecordingSession::RecordReplay(TReplay replay)
{
    if (FRecordedLines.isEmpty())
        FRecordedLines = std::move(replay.Lines);
    else
        FRecordedLines += replay.Lines;
    FCommands.PostFrames(std::move(replay.Frames));
}

void TRecordingSession::ReplayLines(const QStringList &lines, const TKestrinResult &configuration)
{
    RecordReplay(PrepareReplay(lines, configuration));
}
