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

void TRecordingSession::ReplayLines(const QStringList &lines, const TKestrinResult &configuration)
{
    FRecordedLines.reserve(FRecordedLines.size() + lines.size());
    for (const QString &line : lines)
        RecordResult(ResultFromLogLine(line, configuration));
}
