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

TDataPacketList PacketsFromLines(const QStringList &lines, const TDataParameters &parameters)
{
    TDataPacketList packets;
    packets.reserve(size_t(lines.size()));
    TAltitudeBase base = TAltitudeBase::Start(parameters.LaunchElevation());
    for (const QString &line : lines) {
        TDataPacket packet =
            MakeDataPacket(ResultFromLogLine(line, parameters.Configuration()), base);
        AdvanceBase(base, packet);
        packets.push_back(std::move(packet));
    }
    return packets;
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
        replay.Frames.push_back(std::make_unique<TRawDataPacket>(rcFrame, std::move(result)));
    }
    return replay;
}

TRecordingSession::TRecordingSession(TDataBuffer<TRawDataPacket> &commands) : FCommands(commands) {}

QString TRecordingSession::RecordResult(const TKestrinResult &result)
{
    const QString line = FormatLogLine(result);
    FRecordedLines << line;
    PostToBuffer(FCommands, std::make_unique<TRawDataPacket>(
                                rcFrame, std::make_unique<TKestrinResult>(result)));
    return line;
}

void TRecordingSession::BeginNewRun(const TDataParameters &parameters)
{
    FRecordedLines.clear();
    FRunParameters = parameters;
    PostToBuffer(FCommands, std::make_unique<TRawDataPacket>(
                                rcNewRun, std::make_unique<TDataParameters>(parameters)));
}

size_t TRecordingSession::RecordReplay(TReplay replay)
{
    if (FRecordedLines.isEmpty())
        FRecordedLines = std::move(replay.Lines);
    else
        FRecordedLines += replay.Lines;
    const size_t count = replay.Frames.size();
    TBufferLock<TRawDataPacket> lock(FCommands);
    for (std::unique_ptr<TRawDataPacket> &frame : replay.Frames)
        FCommands.Add(std::move(frame));
    return count;
}

void TRecordingSession::ReplayLines(const QStringList &lines, const TKestrinResult &configuration)
{
    RecordReplay(PrepareReplay(lines, configuration));
}
