#include "pipeline/GraphPipeline.h"

#include "foundation/LocalUtilities.h"
#include "foundation/WrapperClasses.h"
#include "pipeline/GraphCommands.h"
#include "pipeline/ProcessedDataExport.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <future>

namespace {

constexpr std::array<TGraphType, 3> GraphTypes{gtStandard, gtSkewT, gtTime};

QString StepKey(TGraphType type, const char *step)
{
    return GraphTypeToName(type) + QLatin1Char('/') + QLatin1String(step);
}

// Runs one step; a failure becomes a message under `key`.
template <class TStep>
bool Guarded(TGraphPipeline &pipeline, const QString &key, const QString &caption, TStep step,
             QStringList &errors)
{
    try {
        step();
        pipeline.ReportSuccess(key);
        return true;
    } catch (const EVentrelError &e) {
        pipeline.ReportError(key, caption + QStringLiteral(": ") + e.Message(), errors);
    } catch (const std::exception &e) {
        pipeline.ReportError(key, caption + QStringLiteral(": ") + QString::fromLocal8Bit(e.what()),
                             errors);
    }
    return false;
}

} // namespace

TSoundingFrame SoundingFrameOf(const TKestrinResult &frame, const TKestrinResult &configuration)
{
    // A log keeps each value with its channel's decimals only (a processed
    // sonde's pressure in whole hPa): the raw text, decoded again as the
    // receiver decoded it, gives the values received, live or replayed.
    TKestrinResult decoded(configuration);
    bool decodes = false;
    try {
        decoded.SetFrame(frame.RawText());
        decodes = !decoded.IsInvalidFrame() && !decoded.IsConfigurationFrame();
    } catch (const EVentrelError &) {
        // A text that does not decode: the values the frame carries.
    }
    // A decoded value is the frame's own only where it agrees with the value
    // the frame carries to that one's decimals; otherwise (a text that is not
    // this frame's) the value carried.
    auto value = [&](int channel, bool carriedValid, auto carried, bool decodedValid,
                     auto own) -> double {
        if (!carriedValid)
            return decodes && decodedValid ? own() : TSoundingFrame::Missing;
        if (!decodes || !decodedValid)
            return carried();
        const double half = 0.5 * std::pow(10.0, -frame.DecimalPlaces(channel));
        return std::fabs(own() - carried()) <= half * (1.0 + 1e-9) ? own() : carried();
    };
    TSoundingFrame sounding;
    // The time as the log keeps it, so that a live run and its log agree.
    static const TFormatSettings point = DecimalPointSettings();
    sounding.Time = FormatGeneral(frame.Time(), 15, point).toDouble();
    // Each quantity on its own validity: a failed voltage does not take the
    // pressure with it.
    sounding.Pressure = value(
        frame.PrimaryPressureChannel(), frame.HasValidPrimaryPressure(),
        [&] { return frame.PrimaryPressure(); }, decoded.HasValidPrimaryPressure(),
        [&] { return decoded.PrimaryPressure(); });
    sounding.Temperature = value(
        frame.PrimaryTemperatureChannel(), frame.HasValidPrimaryTemperature(),
        [&] { return frame.PrimaryTemperature(); }, decoded.HasValidPrimaryTemperature(),
        [&] { return decoded.PrimaryTemperature(); });
    sounding.Humidity = value(
        frame.PrimaryHumidityChannel(), frame.HasValidPrimaryHumidity(),
        [&] { return frame.PrimaryHumidity(); }, decoded.HasValidPrimaryHumidity(),
        [&] { return decoded.PrimaryHumidity(); });
    return sounding;
}

void AddAltitude(TSoundingFrame &frame, TAltitudeBase &base)
{
    if (!frame.HasPressure() || !frame.HasTemperature())
        return;
    double altitude = base.BaseAltitude;
    if (base.BasePressure > 0) {
        const double TK = CelsiusToKelvin(frame.Temperature);
        const double Tv =
            frame.HasHumidity() ? VirtualTemperature(TK, frame.Humidity, frame.Pressure) : TK;
        altitude = HypsometricAltitude(base.BasePressure, base.BaseAltitude, frame.Pressure, Tv);
    }
    if (!std::isfinite(altitude))
        return;
    frame.Altitude = altitude;
    base = {altitude, frame.Pressure, frame.Time};
}

QString GraphCaption(TGraphType type)
{
    switch (type) {
    case gtSkewT:
        return QStringLiteral("Skew-T graph");
    case gtTime:
        return QStringLiteral("Time graph");
    default:
        return QStringLiteral("Standard graph");
    }
}

void AppendDataListCell(QString &row, const QString &cell)
{
    row += cell;
    if (cell.size() < DataListCellWidth)
        row += QString(DataListCellWidth - cell.size(), QLatin1Char(' '));
    else
        row += QLatin1Char(' ');
}

// The view packets and flags of one cycle.
struct TGraphPipeline::TCycleState
{
    TDataViewPacket Headings{dvHeadings};
    TDataViewPacket Replacement{dvReplace};
    TDataViewPacket Append{dvAppend};
    bool SendHeadings = false;
    bool SendReplacement = false;
    bool SendAppend = false;
    bool ReapplyStandard = false;
    bool ReapplySkewT = false;
    bool ReapplyTime = false;
    bool ReapplyBoth = false;
    bool ProductsRequested = false;
    uint8_t ProductsRequest = prProducts;
};

TGraphPipeline::TGraphPipeline()
    : TGraphPipeline(std::make_unique<TStandardGraph>(), std::make_unique<TSkewTGraph>(),
                     std::make_unique<TTimeGraph>())
{
}

TGraphPipeline::TGraphPipeline(std::unique_ptr<TStandardGraph> standard,
                               std::unique_ptr<TSkewTGraph> skewT, std::unique_ptr<TTimeGraph> time)
    : FStandardGraph(std::move(standard)), FSkewTGraph(std::move(skewT)),
      FTimeGraph(std::move(time))
{
    FBase = TAltitudeBase::Start(FParameters.LaunchElevation());
    SetConfigurationColumns();
    // The overlays analyse the flight's ascent, as the products do.
    FSkewTGraph->AscentSource = [this] { return AscentProfile(FFrames, FPhases.Ascent(), FSetup); };
}

TGraph &TGraphPipeline::Graph(TGraphType type)
{
    switch (type) {
    case gtSkewT:
        return *FSkewTGraph;
    case gtTime:
        return *FTimeGraph;
    default:
        return *FStandardGraph;
    }
}

void TGraphPipeline::ReportError(const QString &key, const QString &message, QStringList &errors)
{
    auto last = FLastErrors.find(key);
    if (last != FLastErrors.end() && last.value() == message)
        return;
    FLastErrors.insert(key, message);
    errors << message;
}

void TGraphPipeline::ReportSuccess(const QString &key)
{
    FLastErrors.remove(key);
}

void TGraphPipeline::ReservePackets(size_t frames)
{
    FAllPackets.reserve(frames);
    FGoodPackets.reserve(frames);
    FFrames.reserve(frames);
}

void TGraphPipeline::Invalidate(TGraphType type)
{
    FChanged[type] = true;
}

void TGraphPipeline::SetConfigurationColumns()
{
    FColumns.clear();
    const TKestrinResult &configuration = FParameters.Configuration();
    for (int c = 1; c <= KestrinChannels; ++c)
        if (configuration.IsChannelPresent(c))
            FColumns.emplace_back(
                c, configuration.IsChannelAvailable(c) ? configuration.DecimalPlaces(c) : 0);
}

QStringList TGraphPipeline::HeadingLines() const
{
    QStringList names, units;
    FParameters.Configuration().ColumnNames(names);
    FParameters.Configuration().UnitTexts(units);
    names << QStringLiteral("Dewpt") << QStringLiteral("Alt") << QStringLiteral("Rise");
    units << QStringLiteral("(degC)");
    if (FLengthUnit == luFeet)
        units << QStringLiteral("(ft)") << QStringLiteral("(ft/min)");
    else
        units << QStringLiteral("(m)") << QStringLiteral("(m/min)");
    QString namesLine, unitsLine;
    for (qsizetype i = 2; i < names.size(); ++i) // without "Raw Time" and "Time"
        AppendDataListCell(namesLine, names[i]);
    for (qsizetype i = 2; i < units.size(); ++i)
        AppendDataListCell(unitsLine, units[i]);
    return {namesLine, unitsLine};
}

QString TGraphPipeline::RowText(const TDataPacket &packet, const TFormatSettings &settings) const
{
    // Built in place and made a string once: a row is made for every frame.
    // Each cell is padded as AppendDataListCell pads it.
    QChar text[(KestrinChannels + 3) * (FixedTextCapacity + DataListCellWidth)];
    QChar *end = text;
    auto pad = [&](int length) {
        end += length;
        if (length < DataListCellWidth)
            end = std::fill_n(end, DataListCellWidth - length, QLatin1Char(' '));
        else
            *end++ = QLatin1Char(' ');
    };
    auto number = [&](double value, int decimals) {
        pad(WriteFixed(end, value, decimals, settings));
    };
    static const QString error = QStringLiteral("Error");
    for (const auto &[channel, decimals] : FColumns) {
        const double value = packet.Value(channel);
        if (IsNoValue(value)) {
            std::copy(error.begin(), error.end(), end);
            pad(int(error.size()));
        } else {
            number(value, decimals);
        }
    }
    // Formatted whether or not they were derived: an unset value shows as 0.
    number(packet.Dewpoint(), 1);
    const bool feet = FLengthUnit == luFeet;
    number(feet ? packet.AltitudeFeet() : packet.Altitude(), 0);
    number(feet ? packet.RiseRateFeet() : packet.RiseRate(), 0);
    return QString(text, end - text);
}

void TGraphPipeline::Process(TCommandList &batch, TCycleOutput &output)
{
    TCycleState state;
    const TFormatSettings settings = GetSystemFormatSettings();
    for (std::unique_ptr<TRawDataPacket> &command : batch)
        if (command)
            ProcessCommand(*command, state, settings, output);

    if (state.ReapplyBoth || state.ReapplyStandard)
        ApplyParameters(gtStandard, false, output);
    if (state.ReapplyBoth || state.ReapplySkewT)
        ApplyParameters(gtSkewT, false, output);
    if (state.ReapplyTime)
        ApplyParameters(gtTime, false, output);

    const auto good = int32_t(FGoodPackets.size());
    for (TGraphType type : GraphTypes) {
        int32_t &count = FGraphCounts[type];
        if (good > count) {
            TGraph &graph = Graph(type);
            const int32_t first = count;
            Guarded(
                *this, StepKey(type, "add"), GraphCaption(type),
                [&] { graph.AddData(FGoodPackets, first); }, output.Errors);
            // Packets that failed once are not offered again: the graph may
            // hold part of them.
            count = good;
            FChanged[type] = true;
        }
    }
    FGraphedCount = good;

    batch.clear();

    // From every packet of the batch, so the products are as new as the graphs.
    if (state.ProductsRequested)
        output.Products = MakeProducts(state.ProductsRequest);

    if (state.SendHeadings)
        output.ViewPackets.push_back(std::make_unique<TDataViewPacket>(std::move(state.Headings)));
    if (state.SendReplacement)
        output.ViewPackets.push_back(
            std::make_unique<TDataViewPacket>(std::move(state.Replacement)));
    if (state.SendAppend)
        output.ViewPackets.push_back(std::make_unique<TDataViewPacket>(std::move(state.Append)));
}

std::unique_ptr<TSoundingProductsPacket> TGraphPipeline::MakeProducts(uint8_t request) const
{
    auto packet =
        std::make_unique<TSoundingProductsPacket>(ComputeFlightProducts(FFrames, FPhases, FSetup));
    if (request & prProcessedCsv)
        packet->ProcessedCsv = FormatProcessedDataCsv(FParameters.Configuration(), FAllPackets);
    // The ascent as the graphs show it: frames without errors.
    if (request & prSharppy) {
        try {
            packet->Sharppy = FormatSharppySounding(FGoodPackets, FStation);
        } catch (const EVentrelError &e) {
            packet->SharppyError = e.Message();
        }
    }
    return packet;
}

void TGraphPipeline::RunCycle(TCommandList &batch, TCycleOutput &output, const TCycleStep &handOut,
                              bool redraw, bool sideBySide, const TCycleStep &afterRedraw)
{
    try {
        Process(batch, output);
        if (handOut)
            handOut(output);
        if (redraw) {
            RedrawChanged(output, sideBySide);
            if (afterRedraw)
                afterRedraw(output);
        }
    } catch (const EVentrelError &e) {
        ReportError(QStringLiteral("cycle"), QStringLiteral("Graph thread: ") + e.Message(),
                    output.Errors);
    } catch (const std::exception &e) {
        ReportError(QStringLiteral("cycle"),
                    QStringLiteral("Graph thread: ") + QString::fromLocal8Bit(e.what()),
                    output.Errors);
    }
    batch.clear();
}

void TGraphPipeline::ProcessCommand(TRawDataPacket &command, TCycleState &state,
                                    const TFormatSettings &settings, TCycleOutput &output)
{
    const TObject *data = command.Data.get();
    // The poster's mistake (a wrong payload) is reported, not fatal.
    auto wrongData = [&] {
        ReportError(QStringLiteral("command/%1").arg(command.Command),
                    QStringLiteral("Graph thread: command %1 carries no data of its kind")
                        .arg(command.Command),
                    output.Errors);
    };
    switch (command.Command) {
    case rcFrame:
        if (auto frame = dynamic_cast<const TKestrinResult *>(data))
            AddFrame(*frame, state, settings);
        else
            wrongData();
        break;
    case rcNewRun:
        if (!dynamic_cast<const TDataParameters *>(data))
            return wrongData();
        StartRun(data, state, output);
        break;
    case rcStandardParameters:
        if (auto p = dynamic_cast<const TStandardGraphParameters *>(data)) {
            FStandardParameters.Assign(*p);
            state.ReapplyStandard = true;
        } else {
            wrongData();
        }
        break;
    case rcSkewTParameters:
        if (auto p = dynamic_cast<const TSkewTGraphParameters *>(data)) {
            FSkewTParameters.Assign(*p);
            state.ReapplySkewT = true;
        } else {
            wrongData();
        }
        break;
    case rcTimeParameters:
        if (auto p = dynamic_cast<const TTimeGraphParameters *>(data)) {
            FTimeParameters.Assign(*p);
            state.ReapplyTime = true;
        } else {
            wrongData();
        }
        break;
    case rcLengthUnit:
        if (!dynamic_cast<const TIntegerWrapper *>(data))
            return wrongData();
        ChangeUnit(data, state, settings);
        break;
    case rcPrintImage:
        if (!dynamic_cast<const TIntegerWrapper *>(data))
            return wrongData();
        Print(data, output);
        break;
    case rcSoundingProducts:
        if (auto request = dynamic_cast<const TIntegerWrapper *>(data)) {
            state.ProductsRequested = true;
            state.ProductsRequest |= uint8_t(request->Value);
        } else {
            wrongData();
        }
        break;
    case rcFlightSettings:
        if (auto settings = dynamic_cast<const TFlightSettingsPacket *>(data))
            ApplyFlightSettings(settings->Settings);
        else
            wrongData();
        break;
    default:
        ReportError(QStringLiteral("command/%1").arg(command.Command),
                    QStringLiteral("Graph thread: unknown command %1").arg(command.Command),
                    output.Errors);
        break;
    }
}

void TGraphPipeline::AddFrame(const TKestrinResult &frame, TCycleState &state,
                              const TFormatSettings &settings)
{
    TDataPacket packet = MakeDataPacket(frame, FBase, settings);
    AdvanceBase(FBase, packet);
    TSoundingFrame sounding = SoundingFrameOf(frame, FParameters.Configuration());
    AddAltitude(sounding, FSoundingBase);
    FFrames.push_back(sounding);
    FPhases.Add(sounding);
    state.Append.TimeTexts << packet.TimeText();
    state.Append.RowTexts << RowText(packet, settings);
    state.SendAppend = true;
    if (!packet.HasError())
        FGoodPackets.push_back(packet);
    FAllPackets.push_back(std::move(packet));
}

void TGraphPipeline::StartRun(const TObject *data, TCycleState &state, TCycleOutput &output)
{
    FParameters.Assign(*static_cast<const TDataParameters *>(data));
    SetConfigurationColumns();
    FGoodPackets.clear();
    FAllPackets.clear();
    FFrames.clear();
    FPhases.Clear();
    FSoundingBase = TAltitudeBase::Start(FParameters.LaunchElevation());
    FSetup = TFlightSetup{FParameters.LaunchElevation(), std::nullopt};
    FGraphedCount = 0;
    FGraphCounts.fill(0);
    FBase = TAltitudeBase::Start(FParameters.LaunchElevation());
    state.Headings.HeadingLines = HeadingLines();
    state.Replacement = TDataViewPacket(dvReplace);
    state.Append = TDataViewPacket(dvAppend);
    state.SendHeadings = true;
    state.SendReplacement = false;
    state.SendAppend = false;
    for (TGraphType type : GraphTypes)
        ApplyParameters(type, true, output);
}

void TGraphPipeline::ApplyFlightSettings(const TFlightSettings &settings)
{
    FStation = settings.Station;
    FSetup.Surface = settings.Surface;
    FPhases.SetOperatorRelease(settings.Release);
    FPhases.SetOperatorEnd(settings.End);
    if (settings.DataEnded)
        FPhases.EndOfData();
}

void TGraphPipeline::ChangeUnit(const TObject *data, TCycleState &state,
                                const TFormatSettings &settings)
{
    const int32_t value = static_cast<const TIntegerWrapper *>(data)->Value;
    FLengthUnit = value == luFeet ? luFeet : luMeters;
    state.ReapplyBoth = true;
    state.Append = TDataViewPacket(dvAppend);
    state.Replacement = TDataViewPacket(dvReplace);
    state.Replacement.HeadingLines = HeadingLines();
    state.Replacement.TimeTexts.reserve(qsizetype(FAllPackets.size()));
    state.Replacement.RowTexts.reserve(qsizetype(FAllPackets.size()));
    for (const TDataPacket &packet : FAllPackets) {
        state.Replacement.TimeTexts << packet.TimeText();
        state.Replacement.RowTexts << RowText(packet, settings);
    }
    state.SendReplacement = true;
    state.SendAppend = false;
}

void TGraphPipeline::Print(const TObject *data, TCycleOutput &output)
{
    const int32_t value = static_cast<const TIntegerWrapper *>(data)->Value;
    if (value < gtStandard || value > gtTime) {
        ReportError(
            QStringLiteral("print"),
            QStringLiteral("Graph thread: there is no graph of type %1 to print").arg(value),
            output.Errors);
        return;
    }
    const auto type = TGraphType(value);
    std::unique_ptr<QImage> image;
    Guarded(
        *this, StepKey(type, "print"), GraphCaption(type),
        [&] { image = Graph(type).CreatePrintImage(); }, output.Errors);
    // A print image leaves the screen bitmap empty until the next redraw.
    FChanged[type] = true;
    if (image)
        output.Images.push_back(std::make_unique<TPrintImage>(uint8_t(type), std::move(*image)));
}

void TGraphPipeline::ApplyParameters(TGraphType type, bool newRun, TCycleOutput &output)
{
    FChanged[type] = true;
    const bool applied = Guarded(
        *this, StepKey(type, "apply"), GraphCaption(type),
        [&] {
            switch (type) {
            case gtStandard:
                FStandardGraph->ApplyParameters(FParameters, FStandardParameters, FGoodPackets,
                                                FLengthUnit);
                break;
            case gtSkewT:
                FSkewTGraph->ApplyParameters(FSkewTParameters, FLengthUnit, FGoodPackets);
                break;
            case gtTime:
                FTimeGraph->ApplyParameters(FParameters, FTimeParameters, FGoodPackets);
                break;
            }
        },
        output.Errors);
    if (applied) {
        FGraphCounts[type] = int32_t(FGoodPackets.size());
    } else if (newRun) {
        Guarded(
            *this, StepKey(type, "clear"), GraphCaption(type), [&] { Graph(type).Clear(); },
            output.Errors);
        FGraphCounts[type] = 0;
    }
}

void TGraphPipeline::RedrawChanged(TCycleOutput &output, bool sideBySide)
{
    std::vector<TGraphType> changed;
    for (TGraphType type : GraphTypes)
        if (FChanged[type] && FDrawing[type])
            changed.push_back(type);
    // Each redraw's failure, reported below in the graphs' order.
    std::array<std::exception_ptr, 3> failures;
    auto redraw = [&](TGraphType type) {
        try {
            Graph(type).Redraw();
        } catch (...) {
            failures[type] = std::current_exception();
        }
    };
    std::vector<std::future<void>> others;
    for (size_t i = 1; sideBySide && i < changed.size(); ++i)
        others.push_back(std::async(std::launch::async, redraw, changed[i]));
    for (size_t i = 0; i < changed.size(); ++i)
        if (i == 0 || !sideBySide)
            redraw(changed[i]);
    for (std::future<void> &other : others)
        other.get();

    for (TGraphType type : changed) {
        // Not retried every cycle when it fails: the next change tries again.
        FChanged[type] = false;
        if (Guarded(
                *this, StepKey(type, "redraw"), GraphCaption(type),
                [&] {
                    if (failures[type])
                        std::rethrow_exception(failures[type]);
                },
                output.Errors))
            output.Redrawn.push_back(type);
    }
}
