// ventrel-render: loads a run log or a graph settings document, runs it
// through the program's own pipeline (recorded lines, graph thread, data list
// packets) without a window, and writes the report, the settings document
// and graph images, and exports the processed data as CSV and the ascent as
// a SHARPpy sounding. Nothing is written unless everything succeeded.
#include "devices/LogFormat.h"
#include "foundation/CustomUtilities.h"
#include "foundation/WrapperClasses.h"
#include "graphs/SeriesDefaults.h"
#include "pipeline/DataViewModel.h"
#include "pipeline/GraphSettingsDocument.h"
#include "pipeline/GraphThread.h"
#include "pipeline/RecordingSession.h"
#include "pipeline/Report.h"
#include "pipeline/SoundingBufr.h"
#include "pipeline/SoundingExport.h"
#include "pipeline/SoundingProductFiles.h"
#include "pipeline/TempReport.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QRegularExpression>
#include <QSaveFile>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <map>
#include <optional>
#include <vector>

namespace {

VENTREL_DECLARE_ERROR(EUsageError, EVentrelError);

constexpr int MaxImageSide = 10000;

struct TOptions
{
    QString Input;
    QString Report;
    QString SaveGraphs;
    QString Csv;
    QString Sharppy;
    QString Levels;
    QString Summary;
    QString Temp;
    QString Bufr;
    // Parts given on the command line; they override a settings document's.
    TStationIdentity Station;
    std::array<QString, 3> Images; // by TGraphType
    QSize Size{800, 600};
    bool Print = false;
    bool Feet = false;
    bool Analysis = false;
};

struct TOutput
{
    QString FileName;
    QByteArray Bytes;
};

const char *const HelpText =
    "Usage: ventrel-render INPUT [--report FILE] [--save-graphs FILE]\n"
    "                      [--csv FILE] [--sharppy FILE]\n"
    "                      [--levels FILE] [--summary FILE] [--temp FILE] [--bufr FILE]\n"
    "                      [--station IIiii] [--latitude DEG] [--longitude DEG]\n"
    "                      [--standard FILE] [--skewt FILE] [--time FILE]\n"
    "                      [--size WIDTHxHEIGHT] [--print] [--feet] [--analysis]\n"
    "\n"
    "Runs a Kestrin run log or a graph settings document through Ventrel's\n"
    "processing without a window and writes what is asked. INPUT is recognised\n"
    "by its content: an XML document is a graph settings document, anything\n"
    "else is read as a run log.\n"
    "\n"
    "  --report FILE       the Save Report file (tab-separated), headed\n"
    "                      \"LogFile: \" and INPUT's file name\n"
    "  --save-graphs FILE  the graph settings document of what was loaded\n"
    "  --csv FILE          the processed data of every frame as CSV (comma-\n"
    "                      separated, decimal point, altitudes in metres)\n"
    "  --sharppy FILE      the ascent as a SHARPpy sounding (pressure, height,\n"
    "                      temperature, dew point); fails when no frame has a\n"
    "                      valid pressure and temperature\n"
    "  --levels FILE       the reported levels as CSV: surface, standard isobaric\n"
    "                      surfaces, significant levels and the tropopause\n"
    "  --summary FILE      the flight's summary as JSON: station, launch time,\n"
    "                      surface, LCL, LFC, EL, CAPE, CIN, precipitable\n"
    "                      water, freezing level, tropopause, stability indices\n"
    "  --temp FILE         the WMO TEMP report (parts A to D, no wind); needs\n"
    "                      the station number\n"
    "  --bufr FILE         the high-resolution BUFR report (template 3 09 057):\n"
    "                      every level of the ascent and the standard surfaces;\n"
    "                      needs the station number, latitude and longitude\n"
    "  --station IIiii     the WMO block and station number (five digits)\n"
    "  --latitude DEG      the launch site's latitude, north positive\n"
    "  --longitude DEG     the launch site's longitude, east positive\n"
    "                      (the station options override a settings document's)\n"
    "  --standard FILE     the Standard graph image\n"
    "  --skewt FILE        the Skew-T graph image\n"
    "  --time FILE         the Time graph image\n"
    "                      (.bmp: Windows bitmap, .png: PNG, by extension)\n"
    "  --size WxH          the screen size of all three graphs (default 800x600)\n"
    "  --print             write the print images instead: five times the\n"
    "                      screen size, with the legend\n"
    "  --feet              altitudes in feet (data list, altitude labels,\n"
    "                      settings document); default: metres, or the\n"
    "                      unit of a settings document\n"
    "  --analysis          draw the analysis overlays on the Skew-T graph: the\n"
    "                      parcel trace, the standard atmosphere and the box\n"
    "                      of figures (LCL, CAPE, CIN, precipitable water,\n"
    "                      freezing level, tropopause); the settings document\n"
    "                      keeps the overlays as loaded\n"
    "  --version           the program's name and version\n"
    "  -h, --help          this text\n"
    "\n"
    "Exit status 0 on success. On bad input one line on standard error that\n"
    "begins \"ventrel-render: \", exit status 1, and no file is written.\n";

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

TOptions ParseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption report(QStringLiteral("report"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption saveGraphs(QStringLiteral("save-graphs"), QString(),
                                        QStringLiteral("FILE"));
    const QCommandLineOption csv(QStringLiteral("csv"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption sharppy(QStringLiteral("sharppy"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption levels(QStringLiteral("levels"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption summary(QStringLiteral("summary"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption temp(QStringLiteral("temp"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption bufr(QStringLiteral("bufr"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption station(QStringLiteral("station"), QString(), QStringLiteral("IIiii"));
    const QCommandLineOption latitude(QStringLiteral("latitude"), QString(), QStringLiteral("DEG"));
    const QCommandLineOption longitude(QStringLiteral("longitude"), QString(),
                                       QStringLiteral("DEG"));
    const std::array<QCommandLineOption, 3> images{
        QCommandLineOption(QStringLiteral("standard"), QString(), QStringLiteral("FILE")),
        QCommandLineOption(QStringLiteral("skewt"), QString(), QStringLiteral("FILE")),
        QCommandLineOption(QStringLiteral("time"), QString(), QStringLiteral("FILE"))};
    const QCommandLineOption size(QStringLiteral("size"), QString(), QStringLiteral("WxH"));
    const QCommandLineOption print(QStringLiteral("print"), QString());
    const QCommandLineOption feet(QStringLiteral("feet"), QString());
    const QCommandLineOption analysis(QStringLiteral("analysis"), QString());
    const QCommandLineOption version(QStringLiteral("version"), QString());
    parser.addOptions({help, report, saveGraphs, csv, sharppy, levels, summary, temp, bufr, station,
                       latitude, longitude, images[0], images[1], images[2], size, print, feet,
                       analysis});
    parser.addOption(version);
    if (!parser.parse(arguments))
        throw EUsageError(parser.errorText() + QStringLiteral(" (see --help)"));
    if (parser.isSet(help)) {
        std::fputs(HelpText, stdout);
        std::exit(0);
    }
    if (parser.isSet(version)) {
        std::printf("ventrel-render %s\n", VENTREL_VERSION);
        std::exit(0);
    }

    TOptions options;
    const QStringList inputs = parser.positionalArguments();
    if (inputs.size() != 1)
        throw EUsageError(
            inputs.isEmpty()
                ? QStringLiteral("no INPUT given (see --help)")
                : QStringLiteral("one INPUT only, not \"%1\" as well (see --help)").arg(inputs[1]));
    options.Input = inputs[0];
    // Every option that takes a value takes one file: a repeated one is a mistake.
    auto single = [&](const QCommandLineOption &option) {
        const QStringList values = parser.values(option);
        if (values.size() > 1)
            throw EUsageError(
                QStringLiteral("--%1 is given more than once").arg(option.names().last()));
        if (!values.isEmpty() && values[0].isEmpty())
            throw EUsageError(QStringLiteral("--%1 needs a file name").arg(option.names().last()));
        return values.value(0);
    };
    options.Report = single(report);
    options.SaveGraphs = single(saveGraphs);
    options.Csv = single(csv);
    options.Sharppy = single(sharppy);
    options.Levels = single(levels);
    options.Summary = single(summary);
    options.Temp = single(temp);
    options.Bufr = single(bufr);
    if (parser.isSet(station)) {
        options.Station.Number = single(station);
        if (const QString problem = StationNumberProblem(options.Station.Number);
            !problem.isEmpty())
            throw EUsageError(QStringLiteral("--station: ") + problem);
    }
    // Angles are written with a decimal point, whatever the locale.
    auto angle = [&](const QCommandLineOption &option,
                     QString (*problemOf)(double)) -> std::optional<double> {
        if (!parser.isSet(option))
            return std::nullopt;
        const QString text = single(option);
        bool ok = false;
        const double value = text.toDouble(&ok);
        const QString problem =
            ok ? problemOf(value) : QStringLiteral("\"%1\" is not a number of degrees").arg(text);
        if (!problem.isEmpty())
            throw EUsageError(QStringLiteral("--%1: %2").arg(option.names().last(), problem));
        return value;
    };
    options.Station.Latitude = angle(latitude, LatitudeProblem);
    options.Station.Longitude = angle(longitude, LongitudeProblem);
    for (size_t i = 0; i < images.size(); ++i) {
        options.Images[i] = single(images[i]);
        if (!options.Images[i].isEmpty())
            ImageFormat(options.Images[i]);
    }
    if (parser.isSet(size)) {
        const QString text = single(size);
        static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})[xX](\\d{1,9})$"));
        const QRegularExpressionMatch match = pattern.match(text);
        const int width = match.hasMatch() ? match.captured(1).toInt() : 0;
        const int height = match.hasMatch() ? match.captured(2).toInt() : 0;
        if (width < 1 || height < 1 || width > MaxImageSide || height > MaxImageSide)
            throw EUsageError(QStringLiteral("--size must be WIDTHxHEIGHT with each from 1 to %1, "
                                             "not \"%2\"")
                                  .arg(MaxImageSide)
                                  .arg(text));
        options.Size = QSize(width, height);
    }
    options.Print = parser.isSet(print);
    options.Feet = parser.isSet(feet);
    options.Analysis = parser.isSet(analysis);

    // Two outputs to one file would leave only the last.
    std::map<QString, QString> seen;
    const std::array<std::pair<QString, QString>, 11> outputs{
        std::pair{QStringLiteral("--report"), options.Report},
        {QStringLiteral("--temp"), options.Temp},
        {QStringLiteral("--bufr"), options.Bufr},
        {QStringLiteral("--levels"), options.Levels},
        {QStringLiteral("--summary"), options.Summary},
        {QStringLiteral("--save-graphs"), options.SaveGraphs},
        {QStringLiteral("--csv"), options.Csv},
        {QStringLiteral("--sharppy"), options.Sharppy},
        {QStringLiteral("--standard"), options.Images[gtStandard]},
        {QStringLiteral("--skewt"), options.Images[gtSkewT]},
        {QStringLiteral("--time"), options.Images[gtTime]}};
    for (const auto &[name, file] : outputs) {
        if (file.isEmpty())
            continue;
        const QString path = QFileInfo(file).absoluteFilePath();
        if (auto other = seen.find(path); other != seen.end())
            throw EUsageError(
                QStringLiteral("%1 and %2 name the same file %3").arg(other->second, name, file));
        seen.emplace(path, name);
    }
    return options;
}

QByteArray ReadInput(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("Could not open file ") + fileName);
    QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EFileError(QStringLiteral("Could not read file ") + fileName);
    return contents;
}

// A settings document begins with markup; a run log with "Kestrin Data".
bool IsSettingsDocument(const QByteArray &contents)
{
    qsizetype p = contents.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (p < contents.size() && uchar(contents[p]) <= 32)
        ++p;
    return p < contents.size() && contents[p] == '<';
}

// The reports that name the station refuse to run without it.
void CheckStationFor(const TOptions &options, const TStationIdentity &station)
{
    if (!options.Temp.isEmpty() && station.Number.isEmpty())
        throw EUsageError(QStringLiteral("--temp needs a station number (--station)"));
    if (options.Bufr.isEmpty())
        return;
    QStringList parts, names;
    if (station.Number.isEmpty())
        parts << QStringLiteral("a station number"), names << QStringLiteral("--station");
    if (!station.Latitude)
        parts << QStringLiteral("a latitude"), names << QStringLiteral("--latitude");
    if (!station.Longitude)
        parts << QStringLiteral("a longitude"), names << QStringLiteral("--longitude");
    if (parts.isEmpty())
        return;
    const QString last = parts.takeLast();
    throw EUsageError(QStringLiteral("--bufr needs %1 (%2)")
                          .arg(parts.isEmpty() ? last
                                               : parts.join(QStringLiteral(", ")) +
                                                     QStringLiteral(" and ") + last,
                               names.join(QStringLiteral(", "))));
}

TGraphSettings LoadInput(const TOptions &options)
{
    const QByteArray contents = ReadInput(options.Input);
    TGraphSettings settings;
    if (IsSettingsDocument(contents)) {
        settings = ParseGraphSettings(contents, options.Input);
        if (options.Feet)
            settings.DisplayedUnit = luFeet;
    } else {
        ApplyInitialSeries(settings.StandardParameters);
        ApplyInitialSeries(settings.SkewTParameters);
        ApplyInitialSeries(settings.TimeParameters);
        const TRunLog log = ParseRunLog(contents, options.Input);
        settings.DataParameters.Configuration() = log.Configuration;
        settings.DataParameters.SetLaunchElevation(log.LaunchElevation);
        settings.RecordedLines = log.DataLines;
        settings.DisplayedUnit = options.Feet ? luFeet : luMeters;
    }
    if (!options.Station.Number.isEmpty())
        settings.Station.Number = options.Station.Number;
    if (options.Station.Latitude)
        settings.Station.Latitude = options.Station.Latitude;
    if (options.Station.Longitude)
        settings.Station.Longitude = options.Station.Longitude;
    CheckStationFor(options, settings.Station);
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

// Writes every output under a temporary name first and puts them in place
// only when all of them were written.
void WriteOutputs(const std::vector<TOutput> &outputs)
{
    std::vector<std::unique_ptr<QSaveFile>> files;
    for (const TOutput &output : outputs) {
        auto file = std::make_unique<QSaveFile>(output.FileName);
        if (!file->open(QIODevice::WriteOnly) || file->write(output.Bytes) != output.Bytes.size())
            throw EFileError(QStringLiteral("Could not write file ") + output.FileName);
        files.push_back(std::move(file));
    }
    for (size_t i = 0; i < files.size(); ++i)
        if (!files[i]->commit())
            throw EFileError(QStringLiteral("Could not write file ") + outputs[i].FileName);
}

int Run(const QStringList &arguments)
{
    const TOptions options = ParseOptions(arguments);
    const TGraphSettings settings = LoadInput(options);

    TGraphThread thread;
    std::array<QImage, 3> screens;
    for (TGraphType type : {gtStandard, gtSkewT, gtTime})
        thread.SetGraphTarget(type, &screens[type]);
    TRecordingSession session(thread.Commands());

    // As the window does: the graph settings at their screen size, the
    // unit, then the data set and every line through RecordResult.
    thread.Post(rcStandardParameters, settings.StandardParameters.Clone());
    // --analysis changes the pictures only: the settings document is written
    // from `settings`, which keeps the overlays as loaded.
    auto skewT = std::make_unique<TSkewTGraphParameters>(settings.SkewTParameters);
    if (options.Analysis) {
        skewT->SetShowParcel(true);
        skewT->SetShowStandardAtmosphere(true);
        skewT->SetShowAnalysis(true);
    }
    thread.Post(rcSkewTParameters, std::move(skewT));
    thread.Post(rcTimeParameters, settings.TimeParameters.Clone());
    thread.Post(rcLengthUnit, std::make_unique<TIntegerWrapper>(settings.DisplayedUnit));
    session.BeginNewRun(settings.DataParameters);
    session.ReplayLines(settings.RecordedLines, settings.DataParameters.Configuration());
    thread.WaitForPosted();

    std::array<QImage, 3> prints;
    if (options.Print) {
        for (TGraphType type : {gtStandard, gtSkewT, gtTime})
            if (!options.Images[type].isEmpty())
                thread.Post(rcPrintImage, std::make_unique<TIntegerWrapper>(type));
        thread.WaitForPosted();
        for (auto &image : TakeFromBuffer(thread.Images()))
            if (image->GraphType <= gtTime)
                prints[image->GraphType] = std::move(image->Image);
    }

    TDataViewModel view;
    view.Collect(thread.ViewPackets());
    QStringList errors;
    for (const auto &error : TakeFromBuffer(thread.Errors()))
        errors << error->Value;
    thread.TerminateAndWait();
    if (!errors.isEmpty())
        throw EVentrelError(errors.join(QStringLiteral("; ")));

    std::vector<TOutput> outputs;
    if (!options.Report.isEmpty())
        outputs.push_back({options.Report, EncodeLogLines(ReportLines(
                                               QFileInfo(options.Input).fileName(), view.Headers(),
                                               view.Lefts(), view.Rights()))});
    if (!options.SaveGraphs.isEmpty()) {
        TGraphSettings saved = settings;
        saved.RecordedLines = session.RecordedLines();
        outputs.push_back({options.SaveGraphs, GraphSettingsToBytes(saved)});
    }
    // The thread has ended: its packets can be read.
    if (!options.Csv.isEmpty())
        outputs.push_back(
            {options.Csv, FormatProcessedDataCsv(settings.DataParameters.Configuration(),
                                                 thread.Pipeline().AllPackets())});
    // The ascent as the graphs see it: frames without errors.
    if (!options.Sharppy.isEmpty())
        outputs.push_back(
            {options.Sharppy, FormatSharppySounding(thread.Pipeline().GoodPackets())});
    if (!options.Levels.isEmpty() || !options.Summary.isEmpty() || !options.Temp.isEmpty() ||
        !options.Bufr.isEmpty()) {
        const TSoundingProducts products = ComputeSoundingProducts(thread.Pipeline().GoodPackets());
        if (!options.Levels.isEmpty())
            outputs.push_back({options.Levels, FormatLevelsCsv(products)});
        if (!options.Summary.isEmpty())
            outputs.push_back({options.Summary, FormatSoundingSummary(products, settings.Station)});
        if (!options.Temp.isEmpty())
            outputs.push_back({options.Temp, FormatTempReport(products, settings.Station)});
        if (!options.Bufr.isEmpty())
            outputs.push_back(
                {options.Bufr, EncodeSoundingBufr(products, settings.Station,
                                                  settings.DataParameters.LaunchElevation())});
    }
    // Image compression is the slowest part of writing: the images are
    // encoded side by side.
    std::vector<std::pair<QString, std::future<QByteArray>>> images;
    for (TGraphType type : {gtStandard, gtSkewT, gtTime}) {
        const QString &file = options.Images[type];
        const QImage &image = options.Print ? prints[type] : screens[type];
        if (!file.isEmpty())
            images.emplace_back(file, std::async(std::launch::async, [&image, file] {
                                    return EncodeImage(image, file);
                                }));
    }
    for (auto &[file, bytes] : images)
        outputs.push_back({file, bytes.get()});
    WriteOutputs(outputs);
    return 0;
}

// Standard error carries the program's own message only: the toolkit's
// warnings (such as a missing runtime folder on a bare machine) are dropped.
void QuietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "ventrel-render: %s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(QuietMessages);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("ventrel-render"));
    InitialiseProcess();
    QString message;
    try {
        return Run(QGuiApplication::arguments());
    } catch (const EVentrelError &e) {
        message = e.Message();
    } catch (const std::exception &e) {
        message = QString::fromLocal8Bit(e.what());
    }
    // One line, whatever the message holds.
    message.replace(QRegularExpression(QStringLiteral("\\s*[\\r\\n]+\\s*")), QStringLiteral(" "));
    std::fprintf(stderr, "ventrel-render: %s\n", message.toLocal8Bit().constData());
    return 1;
}
