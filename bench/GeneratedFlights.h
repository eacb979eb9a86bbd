#pragma once
// Run logs of generated flights for the benchmarks: a standard-atmosphere
// ascent encoded as a sonde sends it, one frame a second, written as the
// program writes its logs.
#include "SondeEncoder.h"

#include "devices/LogFormat.h"

#include <QFile>
#include <QString>
#include <QStringList>

struct TFlightShape
{
    QString Configuration = QStringLiteral("1MR:TPUVVVVF");
    int Frames = 7200;
    double LaunchElevation = 120.0;
    double Start = 46000.5; // days
    // Every n-th frame loses its humidity (an "Error" cell); 0 never.
    int ErrorEvery = 0;
};

inline QByteArray FlightLogBytes(const TFlightShape &shape)
{
    TKestrinResult configuration;
    configuration.ParseConfiguration(shape.Configuration);
    const TStandardAscent flight(shape.LaunchElevation);
    QStringList lines = LogHeaderLines(configuration, shape.LaunchElevation);
    lines.reserve(shape.Frames + 4);
    for (int i = 0; i < shape.Frames; ++i) {
        TKestrinResult frame = configuration;
        frame.SetFrame(EncodeFrame(configuration, ChannelValues(configuration, flight.At(i, i))));
        frame.SetTime(shape.Start + i / 86400.0);
        if (shape.ErrorEvery > 0 && i % shape.ErrorEvery == shape.ErrorEvery - 1)
            for (int c = 1; c <= KestrinChannels; ++c)
                if (frame.ChannelType(c) == ctHumidity)
                    frame.SetValue(c, NoValue);
        lines << FormatLogLine(frame);
    }
    return EncodeLogLines(lines);
}

inline bool WriteFlightLog(const QString &path, const TFlightShape &shape)
{
    QFile file(path);
    const QByteArray bytes = FlightLogBytes(shape);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
