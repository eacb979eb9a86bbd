// Settings and data from files driving the graphs, as loading a settings
// document or a run log does: a graph settings element and a run log (either
// may be missing or broken) rebuild the Standard, Skew-T and Time graphs,
// which are then redrawn. The graphs refuse what they cannot draw with the
// program's errors, as the graph thread expects; nothing else may escape.
//
// Input: a byte for the number format, a byte for the altitude unit, then
// the settings element, a NUL byte and the run log.
#include "devices/LogFormat.h"
#include "fuzz/FuzzSupport.h"
#include "graphs/SkewTGraph.h"
#include "graphs/StandardGraph.h"
#include "graphs/TimeGraph.h"
#include "pipeline/DataPacket.h"

#include <QDomDocument>

namespace {

// Small images keep the drawing quick; the layout arithmetic is the same.
constexpr int32_t GraphWidth = 240;
constexpr int32_t GraphHeight = 200;

template <class TParameters> TParameters ParametersFrom(const QDomDocument &document)
{
    TParameters parameters;
    if (!document.isNull()) {
        try {
            parameters.LoadFromXML(document.documentElement());
        } catch (const EVentrelError &) {
            // a broken element leaves the parameters as they were
        }
    }
    // The size comes from the screen, not from the file.
    parameters.SetWidth(GraphWidth);
    parameters.SetHeight(GraphHeight);
    return parameters;
}

template <class TStep> void Guarded(TStep step)
{
    try {
        step();
    } catch (const EVentrelError &) {
        // reported by the graph thread, which carries on
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    EnsureGuiApplication();
    TFuzzInput input(data, size);
    const TFuzzLocale locale(input.Byte());
    const TLengthUnit unit = input.Byte() & 1 ? luFeet : luMeters;
    const QByteArray rest = input.Rest();
    const qsizetype split = rest.indexOf('\0');

    QDomDocument document;
    if (!document.setContent(split < 0 ? rest : rest.left(split)))
        document = QDomDocument();
    TRunLog log;
    log.LaunchElevation = 120.0;
    log.Configuration.ParseConfiguration(QStringLiteral("1MP:TPUVNNNF"));
    if (split >= 0) {
        try {
            log = ParseRunLog(rest.mid(split + 1), QStringLiteral("fuzz.log"));
        } catch (const EVentrelError &) {
        }
    }

    TDataParameters dataParameters;
    dataParameters.Configuration() = log.Configuration;
    dataParameters.SetLaunchElevation(log.LaunchElevation);
    TDataPacketList packets;
    TAltitudeBase base = TAltitudeBase::Start(log.LaunchElevation);
    for (const QString &line : log.DataLines) {
        TKestrinResult result(log.Configuration);
        ParseLogLine(line, result);
        const TDataPacket packet = MakeDataPacket(result, base);
        AdvanceBase(base, packet);
        if (!packet.HasError())
            packets.push_back(packet);
    }

    TStandardGraph standard;
    Guarded([&] {
        standard.ApplyParameters(dataParameters, ParametersFrom<TStandardGraphParameters>(document),
                                 packets, unit);
    });
    Guarded([&] { standard.Redraw(); });
    TSkewTGraph skewT;
    Guarded([&] {
        skewT.ApplyParameters(ParametersFrom<TSkewTGraphParameters>(document), unit, packets);
    });
    Guarded([&] { skewT.Redraw(); });
    TTimeGraph time;
    Guarded([&] {
        time.ApplyParameters(dataParameters, ParametersFrom<TTimeGraphParameters>(document),
                             packets);
    });
    Guarded([&] { time.Redraw(); });
    return 0;
}
