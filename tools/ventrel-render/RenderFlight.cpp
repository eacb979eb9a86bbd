#include "RenderFlight.h"

#include "devices/LogFormat.h"
#include "foundation/FileTransaction.h"
#include "foundation/WrapperClasses.h"
#include "graphs/SeriesDefaults.h"
#include "pipeline/GraphCommands.h"
#include "pipeline/PacketSounding.h"
#include "pipeline/ProcessedDataExport.h"
#include "pipeline/RecordingSession.h"
#include "pipeline/Report.h"
#include "sounding/SoundingBufr.h"
#include "sounding/SoundingProductFiles.h"
#include "sounding/TempReport.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QRegularExpression>
#include <algorithm>
#include <exception>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Frames are handed to the pipeline in batches of this many, as the graph
// thread takes what arrived in a cycle: the commands of a long flight are
// never all held at once.
constexpr size_t BatchFrames = 4096;

constexpr std::array<uint8_t, 3> ImageNeeds{onStandardImage, onSkewTImage, onTimeImage};

// What a name that is no regular file names, for the operator.
QString KindOfFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("no regular file");
}

// A settings document begins with markup, whatever its encoding.
bool IsSettingsDocument(const QByteArray &head)
{
    const QString text = DecodeFileText(head.left(FileHeadBytes));
    qsizetype p = 0;
    while (p < text.size() && text[p].unicode() <= 32)
        ++p;
    return p < text.size() && text[p] == QLatin1Char('<');
}

// The input's bytes. Only a regular file is read: a named pipe or a device
// could hold the conversion up for ever or fill the memory. A file that is
// neither a settings document nor a run log is refused by its first bytes,
// before the rest is read.
QByteArray ReadInput(const QString &fileName)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        throw EFileError(QStringLiteral("Could not open file ") + fileName);
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const QString kind = KindOfFile(status.st_mode);
        ::close(fd);
        throw EFileError(
            QStringLiteral("Cannot read %1: it is %2, not a regular file").arg(fileName, kind));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw EFileError(QStringLiteral("Could not open file ") + fileName);
    }
    // Read into one buffer of the file's size: a long flight is held once.
    QByteArray contents(qsizetype(status.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    auto readUpTo = [&](qsizetype end) {
        while (done < end) {
            const qint64 n = file.read(contents.data() + done, end - done);
            if (n <= 0)
                break;
            done += qsizetype(n);
        }
        if (file.error() != QFileDevice::NoError)
            throw EFileError(QStringLiteral("Could not read file ") + fileName);
    };
    readUpTo(std::min(contents.size(), FileHeadBytes));
    const QByteArray head = contents.left(done);
    const bool complete = done < FileHeadBytes;
    if (!IsSettingsDocument(head)) {
        if (const QString problem = RunLogHeadProblem(head, complete); !problem.isEmpty())
            throw EFileError(
                QStringLiteral("%1 is neither a run log nor a graph settings document: %2")
                    .arg(fileName, problem));
        CheckRunLogHead(head, complete, fileName);
    }
    readUpTo(contents.size());
    contents.resize(done);
    contents += file.readAll(); // what a growing file gained meanwhile
    if (file.error() != QFileDevice::NoError)
        throw EFileError(QStringLiteral("Could not read file ") + fileName);
    return contents;
}

TGraphSettings LoadInput(const QString &input, const TRenderOptions &options)
{
    const QByteArray contents = ReadInput(input);
    TGraphSettings settings;
    if (IsSettingsDocument(contents)) {
        settings = ParseGraphSettings(contents, input);
        if (options.Feet)
            settings.DisplayedUnit = luFeet;
    } else {
        ApplyInitialSeries(settings.StandardParameters);
        ApplyInitialSeries(settings.SkewTParameters);
        ApplyInitialSeries(settings.TimeParameters);
        const TRunLog log = ParseRunLog(contents, input);
        settings.DataParameters.Configuration() = log.Configuration;
        settings.DataParameters.SetLaunchElevation(log.LaunchElevation);
        settings.RecordedLines = log.DataLines;
        settings.DisplayedUnit = options.Feet ? luFeet : luMeters;
    }
    const TStationIdentity &given = options.Station;
    if (!given.Number.isEmpty())
        settings.Station.Number = given.Number;
    if (given.Latitude)
        settings.Station.Latitude = given.Latitude;
    if (given.Longitude)
        settings.Station.Longitude = given.Longitude;
    if (!given.TimeZone.isEmpty())
        settings.Station.TimeZone = given.TimeZone;
    if (options.Surface)
        settings.Surface = options.Surface;
    // The graphs are as large as their images on screen, whatever a document says.
    for (TGraphParameters *parameters : std::initializer_list<TGraphParameters *>{
             &settings.StandardParameters, &settings.SkewTParameters, &settings.TimeParameters}) {
        parameters->SetWidth(options.Size.width());
        parameters->SetHeight(options.Size.height());
    }
    return settings;
}

QByteArray EncodeImage(const QImage &image, const QString &fileName)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, ImageFormat(fileName));
    if (image.isNull() || !writer.write(image))
        throw EFileError(QStringLiteral("Could not make the image for %1").arg(fileName));
    return bytes;
}

// "--bufr needs a latitude and a longitude (--latitude, --longitude)".
QString MissingParts(const char *option, const TStationIdentity &station, TStationReport report)
{
    QStringList parts, names;
    for (TStationPart part : MissingStationParts(station, report)) {
        switch (part) {
        case spNumber:
            parts << QStringLiteral("a station number"), names << QStringLiteral("--station");
            break;
        case spLatitude:
            parts << QStringLiteral("a latitude"), names << QStringLiteral("--latitude");
            break;
        case spLongitude:
            parts << QStringLiteral("a longitude"), names << QStringLiteral("--longitude");
            break;
        }
    }
    if (parts.isEmpty())
        return QString();
    const QString last = parts.takeLast();
    return QStringLiteral("--%1 needs %2 (%3)")
        .arg(QLatin1String(option),
             parts.isEmpty() ? last
                             : parts.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last,
             names.join(QStringLiteral(", ")));
}

TOutputKind ImageKind(TGraphType type, const char *option)
{
    return {QLatin1String(option), QStringLiteral(".%1.png").arg(QLatin1String(option)),
            ImageNeeds[type], [type](const TRenderedFlight &flight, const QString &fileName) {
                return EncodeImage(flight.Images[type], fileName);
            }};
}

} // namespace

QByteArray ImageFormat(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("bmp"))
        return "BMP";
    if (suffix == QLatin1String("png"))
        return "PNG";
    throw EUsageError(
        QStringLiteral("cannot tell the image format of %1: use .bmp or .png").arg(fileName));
}

const std::vector<TOutputKind> &OutputKinds()
{
    static const std::vector<TOutputKind> kinds{
        {QStringLiteral("report"), QStringLiteral(".report.txt"), onDataList,
         [](const TRenderedFlight &flight, const QString &) {
             const TDataViewModel &view = flight.View;
             return EncodeLogLines(ReportLines(QFileInfo(flight.Input).fileName(), view.Headers(),
                                               view.Lefts(), view.Rights()));
         }},
        {QStringLiteral("save-graphs"), QStringLiteral(".xml"), onRecordedLines,
         [](const TRenderedFlight &flight, const QString &) {
             TGraphSettings saved = flight.Settings;
             saved.RecordedLines = flight.RecordedLines;
             return GraphSettingsToBytes(saved);
         }},
        {QStringLiteral("csv"), QStringLiteral(".csv"), 0,
         [](const TRenderedFlight &flight, const QString &) {
             return FormatProcessedDataCsv(flight.Settings.DataParameters.Configuration(),
                                           flight.Pipeline->AllPackets());
         }},
        // The ascent as the graphs see it: frames without errors.
        {QStringLiteral("sharppy"), QStringLiteral(".sharppy.txt"), 0,
         [](const TRenderedFlight &flight, const QString &) {
             return FormatSharppySounding(flight.Pipeline->GoodPackets(), flight.Settings.Station);
         }},
        {QStringLiteral("levels"), QStringLiteral(".levels.csv"), onProducts,
         [](const TRenderedFlight &flight, const QString &) {
             return FormatLevelsCsv(*flight.Products);
         }},
        {QStringLiteral("summary"), QStringLiteral(".summary.json"), onProducts,
         [](const TRenderedFlight &flight, const QString &) {
             return FormatSoundingSummary(*flight.Products, flight.Settings.Station);
         }},
        {QStringLiteral("temp"), QStringLiteral(".temp.txt"), onProducts,
         [](const TRenderedFlight &flight, const QString &) {
             return FormatTempReport(*flight.Products, flight.Settings.Station);
         },
         [](const TStationIdentity &station) { return MissingParts("temp", station, srTemp); }},
        {QStringLiteral("bufr"), QStringLiteral(".bufr"), onProducts,
         [](const TRenderedFlight &flight, const QString &) {
             return EncodeSoundingBufr(*flight.Products, flight.Settings.Station,
                                       flight.Settings.DataParameters.LaunchElevation());
         },
         [](const TStationIdentity &station) { return MissingParts("bufr", station, srBufr); },
         true},
        ImageKind(gtStandard, "standard"),
        ImageKind(gtSkewT, "skewt"),
        ImageKind(gtTime, "time"),
    };
    return kinds;
}

TRenderedFlight RenderFlight(const QString &input, const TRenderOptions &options, uint8_t needs)
{
    TRenderedFlight flight;
    flight.Input = input;
    flight.Settings = LoadInput(input, options);
    if (options.CheckLoaded)
        options.CheckLoaded(flight.Settings);
    const TGraphSettings &settings = flight.Settings;
    flight.Frames = settings.RecordedLines.size();
    flight.Pipeline = std::make_unique<TGraphPipeline>();
    TGraphPipeline &pipeline = *flight.Pipeline;
    for (TGraphType type : {gtStandard, gtSkewT, gtTime})
        pipeline.SetDrawing(type, needs & ImageNeeds[type]);

    // The graph thread's cycle over the commands as the window posts them: a
    // failing step becomes a message.
    QStringList errors;
    TGraphCommands commands;
    auto cycle = [&](bool redraw) {
        TCommandList batch = commands.TakeAll();
        TCycleOutput output;
        pipeline.RunCycle(
            batch, output,
            [&](TCycleOutput &made) {
                if (needs & onDataList)
                    for (const auto &packet : made.ViewPackets)
                        flight.View.Apply(*packet);
                for (auto &image : made.Images)
                    if (image->GraphType <= gtTime)
                        flight.Images[image->GraphType] = std::move(image->Image);
                if (made.Products)
                    flight.Products = std::move(made.Products->Products);
            },
            redraw, options.DrawSideBySide);
        errors << output.Errors;
    };

    // As the window does: the graph settings at their screen size, the unit,
    // then the data set and every recorded line.
    commands.PostStandardParameters(settings.StandardParameters);
    // --analysis changes the pictures only: the settings document is written
    // from `settings`, which keeps the overlays as loaded.
    TSkewTGraphParameters skewT = settings.SkewTParameters;
    if (options.Analysis) {
        skewT.SetShowParcel(true);
        skewT.SetShowStandardAtmosphere(true);
        skewT.SetShowAnalysis(true);
    }
    commands.PostSkewTParameters(skewT);
    commands.PostTimeParameters(settings.TimeParameters);
    commands.PostLengthUnit(settings.DisplayedUnit);
    commands.PostNewRun(settings.DataParameters);
    TFlightSettings flightSettings;
    flightSettings.Station = settings.Station;
    flightSettings.Surface = settings.Surface;
    flightSettings.Release = options.Release;
    commands.PostFlightSettings(flightSettings);
    const TKestrinResult &configuration = settings.DataParameters.Configuration();
    const bool keepLines = needs & onRecordedLines;
    // The loaded lines are let go one by one as they are replayed: the
    // packets they become take their place in memory.
    QStringList lines = std::move(flight.Settings.RecordedLines);
    if (keepLines)
        flight.RecordedLines.reserve(lines.size());
    pipeline.ReservePackets(size_t(lines.size()));
    const TFormatSettings &formats = GetSystemFormatSettings();
    size_t pending = 0;
    for (QString &line : lines) {
        auto result =
            std::make_unique<TKestrinResult>(ResultFromLogLine(line, configuration, formats));
        line = QString();
        if (keepLines)
            flight.RecordedLines << FormatLogLine(*result);
        commands.PostFrame(std::move(result));
        if (++pending >= BatchFrames) {
            cycle(false);
            pending = 0;
        }
    }
    // The run is whole: an ascent still rising at its end lost the signal.
    flightSettings.DataEnded = true;
    commands.PostFlightSettings(flightSettings);
    // The products of the last cycle hold every frame, as the window's do.
    if (needs & onProducts)
        commands.PostSoundingProducts();
    cycle(true);

    if (options.Print) {
        for (TGraphType type : {gtStandard, gtSkewT, gtTime})
            if (needs & ImageNeeds[type])
                commands.PostPrintImage(type);
        cycle(false);
    } else {
        for (TGraphType type : {gtStandard, gtSkewT, gtTime})
            if (needs & ImageNeeds[type])
                flight.Images[type] = pipeline.Graph(type).Bitmap();
    }
    if (!errors.isEmpty())
        throw EVentrelError(errors.join(QStringLiteral("; ")));
    return flight;
}

QString OneLine(QString message)
{
    // Not shared between the threads of an archive conversion: only errors get here.
    const QRegularExpression breaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    return message.replace(breaks, QStringLiteral(" "));
}

void WriteOutputs(const std::vector<TOutput> &outputs)
{
    TFileTransaction transaction;
    for (const TOutput &output : outputs)
        transaction.Stage(output.FileName, output.Bytes);
    transaction.Commit();
}

void MakeAndWriteOutputs(const TRenderedFlight &flight,
                         const std::vector<std::pair<const TOutputKind *, QString>> &requested,
                         bool sideBySide)
{
    // Image compression is the slowest part of writing: with `sideBySide`
    // the outputs are made side by side.
    std::vector<std::future<QByteArray>> made;
    for (const auto &[kind, file] : requested)
        made.push_back(
            std::async(sideBySide ? std::launch::async : std::launch::deferred,
                       [kind = kind, &flight, file = file] { return kind->Make(flight, file); }));
    std::vector<TOutput> outputs;
    std::exception_ptr independentFailure;
    for (size_t i = 0; i < requested.size(); ++i) {
        try {
            outputs.push_back({requested[i].second, made[i].get()});
        } catch (...) {
            if (!requested[i].first->Independent)
                throw;
            if (!independentFailure)
                independentFailure = std::current_exception();
        }
    }
    WriteOutputs(outputs);
    if (independentFailure)
        std::rethrow_exception(independentFailure);
}
