// ventrel-render: loads a run log or a graph settings document, runs it
// through the program's own pipeline (recorded lines, graph pipeline, data
// list packets) without a window, and writes the report, the settings
// document and graph images, exports the processed data as CSV and the
// ascent as a SHARPpy sounding, and makes the sounding products and the
// TEMP and BUFR reports. Nothing is written unless everything succeeded.
// With --out-dir it converts many inputs at once, side by side.
#include "ArchiveConversion.h"
#include "RenderFlight.h"

#include "foundation/CustomUtilities.h"
#include "graphs/GraphKindLayout.h"
#include "pipeline/Graph.h"
#include "sounding/FlightBulletins.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int MaxImageSide = 10000;
// The most pixels one image may have, print images included: one image of
// this size takes 400 MB, and the archive form draws several side by side.
constexpr qint64 MaxImagePixels = 100'000'000;

// A file as the system knows it: its path with links and "." resolved, and,
// when it exists, its device and inode, which hard links share.
struct TFileIdentity
{
    QString Path;
    std::optional<std::pair<dev_t, ino_t>> Node;
};

TFileIdentity IdentityOf(const QString &file)
{
    const QFileInfo info(file);
    TFileIdentity identity;
    identity.Path = info.canonicalFilePath();
    if (identity.Path.isEmpty()) {
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        identity.Path = folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                                         : QDir(folder).filePath(info.fileName());
    }
    struct stat status;
    if (::stat(QFile::encodeName(file).constData(), &status) == 0)
        identity.Node = std::pair{status.st_dev, status.st_ino};
    return identity;
}

// The files claimed so far, each with what claimed it: a second claim of the
// same file, by any path to it, is found.
class TClaimedFiles
{
  public:
    // What claimed the file before, or nothing; claims it otherwise.
    std::optional<QString> Claim(const QString &file, const QString &claimant)
    {
        const TFileIdentity identity = IdentityOf(file);
        if (auto other = FPaths.find(identity.Path); other != FPaths.end())
            return other->second;
        if (identity.Node)
            if (auto other = FNodes.find(*identity.Node); other != FNodes.end())
                return other->second;
        FPaths.emplace(identity.Path, claimant);
        if (identity.Node)
            FNodes.emplace(*identity.Node, claimant);
        return std::nullopt;
    }

  private:
    std::map<QString, QString> FPaths;
    std::map<std::pair<dev_t, ino_t>, QString> FNodes;
};

struct TOptions
{
    QStringList Inputs;
    QString OutDir; // set: the --out-dir form
    // Single form: the file of each requested output, by OutputKinds() index;
    // --out-dir form: a non-empty text marks a requested output.
    std::vector<QString> Files;
    TRenderOptions Render;
    // --bulletins: the folder, and the headings' settings.
    QString BulletinFolder;
    TBulletinOrigin Origin;
    // What the options claimed, for the bulletins' names once they are known.
    TClaimedFiles Claimed;
};

const char *const HelpText =
    "Usage: ventrel-render INPUT [--report FILE] [--save-graphs FILE]\n"
    "                      [--csv FILE] [--sharppy FILE]\n"
    "                      [--levels FILE] [--summary FILE] [--temp FILE] [--bufr FILE]\n"
    "                      [--station IIiii] [--latitude DEG] [--longitude DEG]\n"
    "                      [--time-zone ZONE] [--surface P,T,RH[,DIR,SPEED]]\n"
    "                      [--release TIME]\n"
    "                      [--bulletins DIR --heading A1A2ii --centre CCCC]\n"
    "                      [--standard FILE] [--skewt FILE] [--time FILE]\n"
    "                      [--size WIDTHxHEIGHT] [--print] [--feet] [--analysis]\n"
    "       ventrel-render --out-dir DIR [--report] [--save-graphs] [--csv]\n"
    "                      [--sharppy] [--levels] [--summary] [--temp] [--bufr]\n"
    "                      [--station IIiii] [--latitude DEG] [--longitude DEG]\n"
    "                      [--time-zone ZONE] [--surface P,T,RH[,DIR,SPEED]]\n"
    "                      [--release TIME]\n"
    "                      [--standard] [--skewt] [--time]\n"
    "                      [--size WIDTHxHEIGHT] [--print] [--feet] [--analysis]\n"
    "                      INPUT...\n"
    "       ventrel-render --version\n"
    "\n"
    "Runs a Kestrin run log or a graph settings document through Ventrel's\n"
    "processing without a window and writes what is asked. INPUT is recognised\n"
    "by its first bytes: an XML document is a graph settings document, a text\n"
    "whose first three lines are a run log's header is a run log, anything else\n"
    "is refused (UTF-16 with a byte-order mark is read too). Only regular files\n"
    "are read. No output may name an input or another output, by any path.\n"
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
    "  --bulletins DIR     the reports asked for by --temp and --bufr also as WMO\n"
    "                      bulletins in DIR, each under its WMO file name\n"
    "                      (A_USUK01EGRR091200_C_EGRR_20261209120000.txt; the\n"
    "                      BUFR as .bin): TEMP parts A to D as the flight\n"
    "                      allows, headings US, UK, UL, UE; the BUFR IUS\n"
    "  --heading A1A2ii    the bulletins' geographical designator and ii (UK01)\n"
    "  --centre CCCC       the originating centre's location indicator\n"
    "  --station IIiii     the WMO block and station number (five digits)\n"
    "  --latitude DEG      the launch site's latitude, north positive\n"
    "  --longitude DEG     the launch site's longitude, east positive\n"
    "  --time-zone ZONE    the zone the log's local times are in: a name such as\n"
    "                      Europe/London or an offset +HH:MM; default the\n"
    "                      machine's\n"
    "                      (the station options override a settings document's)\n"
    "  --surface P,T,RH[,DIR,SPEED]\n"
    "                      the station's surface observation at the release:\n"
    "                      pressure (hPa), temperature (degC), humidity (%),\n"
    "                      and the wind's direction (degrees) and speed (m/s);\n"
    "                      the products' surface level, their heights from it\n"
    "  --release TIME      the release, as yyyy-MM-ddTHH:mm:ss in the log's local\n"
    "                      time: the first frame at or after it (default: found\n"
    "                      from the frames)\n"
    "  --standard FILE     the Standard graph image\n"
    "  --skewt FILE        the Skew-T graph image\n"
    "  --time FILE         the Time graph image\n"
    "                      (.bmp: Windows bitmap, .png: PNG, by extension)\n"
    "  --size WxH          the screen size of all three graphs (default 800x600);\n"
    "                      an image, print images included, has at most 100\n"
    "                      megapixels\n"
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
    "Archive conversion: with --out-dir DIR every INPUT is converted, the\n"
    "flights side by side on every core, and each requested output is written\n"
    "as DIR/NAME.EXT, NAME being the input's file name without its extension.\n"
    "The output options then take no file:\n"
    "  --report NAME.report.txt  --save-graphs NAME.xml  --csv NAME.csv\n"
    "  --sharppy NAME.sharppy.txt  --levels NAME.levels.csv\n"
    "  --summary NAME.summary.json  --temp NAME.temp.txt  --bufr NAME.bufr\n"
    "  --standard NAME.standard.png  --skewt NAME.skewt.png  --time NAME.time.png\n"
    "DIR is created when missing. On a terminal a progress bar on standard\n"
    "error shows the flights done, frames per second and the time left.\n"
    "SIGINT or SIGTERM stops the taking of new flights; those under way are\n"
    "finished and written whole.\n"
    "\n"
    "Exit status 0 on success. On bad input one line on standard error that\n"
    "begins \"ventrel-render: \", exit status 1, and no file is written. In the\n"
    "--out-dir form a failing input gets that line with its name, nothing of\n"
    "it is written, the others are, and the exit status is 1 at the end; 130\n"
    "(SIGINT) or 143 (SIGTERM) when interrupted. Each file takes its name only\n"
    "once it is complete on the disk; an existing device or named pipe (such\n"
    "as /dev/stdout) is written to, never replaced.\n";

// Whether the arguments ask for the --out-dir form, which decides whether the
// output options take a file.
bool IsArchiveForm(const QStringList &arguments)
{
    static const QRegularExpression outDir(QStringLiteral("^--?out-dir(=.*)?$"));
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--"))
            break;
        if (outDir.match(arguments[i]).hasMatch())
            return true;
    }
    return false;
}

size_t OutputIndex(const QString &option)
{
    const std::vector<TOutputKind> &kinds = OutputKinds();
    for (size_t i = 0; i < kinds.size(); ++i)
        if (kinds[i].Option == option)
            return i;
    throw EListIndexError(QStringLiteral("No output ") + option);
}

TOptions ParseOptions(const QStringList &arguments)
{
    const bool archive = IsArchiveForm(arguments);
    const std::vector<TOutputKind> &kinds = OutputKinds();
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    std::vector<QCommandLineOption> outputs;
    for (const TOutputKind &kind : kinds)
        outputs.emplace_back(kind.Option, QString(), archive ? QString() : QStringLiteral("FILE"));
    const QCommandLineOption outDir(QStringLiteral("out-dir"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption size(QStringLiteral("size"), QString(), QStringLiteral("WxH"));
    const QCommandLineOption print(QStringLiteral("print"), QString());
    const QCommandLineOption feet(QStringLiteral("feet"), QString());
    const QCommandLineOption analysis(QStringLiteral("analysis"), QString());
    const QCommandLineOption station(QStringLiteral("station"), QString(), QStringLiteral("IIiii"));
    const QCommandLineOption latitude(QStringLiteral("latitude"), QString(), QStringLiteral("DEG"));
    const QCommandLineOption longitude(QStringLiteral("longitude"), QString(),
                                       QStringLiteral("DEG"));
    const QCommandLineOption timeZone(QStringLiteral("time-zone"), QString(),
                                      QStringLiteral("ZONE"));
    const QCommandLineOption surface(QStringLiteral("surface"), QString(),
                                     QStringLiteral("P,T,RH"));
    const QCommandLineOption release(QStringLiteral("release"), QString(), QStringLiteral("TIME"));
    const QCommandLineOption bulletins(QStringLiteral("bulletins"), QString(),
                                       QStringLiteral("DIR"));
    const QCommandLineOption heading(QStringLiteral("heading"), QString(),
                                     QStringLiteral("A1A2ii"));
    const QCommandLineOption centre(QStringLiteral("centre"), QString(), QStringLiteral("CCCC"));
    const QCommandLineOption version(QStringLiteral("version"), QString());
    parser.addOption(help);
    for (const QCommandLineOption &option : outputs)
        parser.addOption(option);
    parser.addOptions({outDir, size, print, feet, analysis, station, latitude, longitude, timeZone,
                       surface, release, bulletins, heading, centre, version});
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
    options.Inputs = parser.positionalArguments();
    if (options.Inputs.isEmpty())
        throw EUsageError(QStringLiteral("no INPUT given (see --help)"));
    if (!archive && options.Inputs.size() > 1)
        throw EUsageError(QStringLiteral("one INPUT only, not \"%1\" as well (see --help)")
                              .arg(options.Inputs[1]));
    // Every option that takes a value takes one: a repeated one is a mistake.
    auto single = [&](const QCommandLineOption &option, const char *what) {
        const QStringList values = parser.values(option);
        if (values.size() > 1)
            throw EUsageError(
                QStringLiteral("--%1 is given more than once").arg(option.names().last()));
        if (!values.isEmpty() && values[0].isEmpty())
            throw EUsageError(
                QStringLiteral("--%1 needs a %2").arg(option.names().last(), QLatin1String(what)));
        return values.value(0);
    };
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (archive) {
            options.Files.push_back(parser.isSet(outputs[i]) ? kinds[i].Suffix : QString());
            continue;
        }
        options.Files.push_back(single(outputs[i], "file name"));
        if (!options.Files[i].isEmpty() &&
            (kinds[i].Needs & (onStandardImage | onSkewTImage | onTimeImage)))
            ImageFormat(options.Files[i]);
    }
    if (archive)
        options.OutDir = single(outDir, "folder name");
    if (parser.isSet(size)) {
        const QString text = single(size, "file name");
        static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})[xX](\\d{1,9})$"));
        const QRegularExpressionMatch match = pattern.match(text);
        const int width = match.hasMatch() ? match.captured(1).toInt() : 0;
        const int height = match.hasMatch() ? match.captured(2).toInt() : 0;
        if (width < 1 || height < 1 || width > MaxImageSide || height > MaxImageSide)
            throw EUsageError(QStringLiteral("--size must be WIDTHxHEIGHT with each from 1 to %1, "
                                             "not \"%2\"")
                                  .arg(MaxImageSide)
                                  .arg(text));
        options.Render.Size = QSize(width, height);
    }
    // An image beyond the bound is refused before anything is drawn.
    bool images = false;
    for (size_t i = 0; i < kinds.size(); ++i)
        images = images || (!options.Files[i].isEmpty() &&
                            (kinds[i].Needs & (onStandardImage | onSkewTImage | onTimeImage)));
    if (images) {
        const QSize screen = options.Render.Size;
        const bool printed = parser.isSet(print);
        const qint64 width = printed
                                 ? (qint64(screen.width()) + LegendStripWidth) * TGraph::PrintScale
                                 : screen.width();
        const qint64 height =
            printed ? qint64(screen.height()) * TGraph::PrintScale : screen.height();
        if (width * height > MaxImagePixels)
            throw EUsageError(QStringLiteral("--size %1x%2%3 makes images of %4x%5 pixels; the "
                                             "most is %6 megapixels")
                                  .arg(screen.width())
                                  .arg(screen.height())
                                  .arg(printed ? QStringLiteral(" with --print") : QString())
                                  .arg(width)
                                  .arg(height)
                                  .arg(MaxImagePixels / 1'000'000));
    }
    if (parser.isSet(station)) {
        options.Render.Station.Number = single(station, "station number");
        if (const QString problem = StationNumberProblem(options.Render.Station.Number);
            !problem.isEmpty())
            throw EUsageError(QStringLiteral("--station: ") + problem);
    }
    // Angles are written with a decimal point, whatever the locale.
    auto angle = [&](const QCommandLineOption &option,
                     QString (*problemOf)(double)) -> std::optional<double> {
        if (!parser.isSet(option))
            return std::nullopt;
        const QString text = single(option, "number of degrees");
        bool ok = false;
        const double value = text.toDouble(&ok);
        const QString problem =
            ok ? problemOf(value) : QStringLiteral("\"%1\" is not a number of degrees").arg(text);
        if (!problem.isEmpty())
            throw EUsageError(QStringLiteral("--%1: %2").arg(option.names().last(), problem));
        return value;
    };
    options.Render.Station.Latitude = angle(latitude, LatitudeProblem);
    options.Render.Station.Longitude = angle(longitude, LongitudeProblem);
    if (parser.isSet(timeZone)) {
        options.Render.Station.TimeZone = single(timeZone, "time zone");
        if (const QString problem = TimeZoneProblem(options.Render.Station.TimeZone);
            !problem.isEmpty())
            throw EUsageError(QStringLiteral("--time-zone: ") + problem);
    }
    if (parser.isSet(surface)) {
        const TSurfaceObservationText read =
            ParseSurfaceObservation(single(surface, "observation"));
        if (!read.Observation)
            throw EUsageError(QStringLiteral("--surface: ") +
                              read.Problems.join(QStringLiteral("; ")));
        options.Render.Surface = read.Observation;
    }
    if (parser.isSet(release)) {
        const QString text = single(release, "date and time");
        const QDateTime time = QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        if (!time.isValid())
            throw EUsageError(QStringLiteral("--release must be a local date and time as "
                                             "yyyy-MM-ddTHH:mm:ss, not \"%1\"")
                                  .arg(text));
        options.Render.Release = DateTimeToDays(time);
    }
    if (parser.isSet(bulletins) || parser.isSet(heading) || parser.isSet(centre)) {
        if (archive)
            throw EUsageError(QStringLiteral("--bulletins is for one INPUT, not for --out-dir"));
        options.BulletinFolder = single(bulletins, "folder name");
        if (options.BulletinFolder.isEmpty())
            throw EUsageError(QStringLiteral("--heading and --centre go with --bulletins"));
        if (!parser.isSet(heading) || !parser.isSet(centre))
            throw EUsageError(QStringLiteral("--bulletins needs --heading A1A2ii and --centre "
                                             "CCCC"));
        if (!parser.isSet(outputs[OutputIndex(QStringLiteral("temp"))]) &&
            !parser.isSet(outputs[OutputIndex(QStringLiteral("bufr"))]))
            throw EUsageError(QStringLiteral("--bulletins makes the bulletins of the reports "
                                             "asked for: give --temp, --bufr or both"));
        try {
            options.Origin =
                ParseBulletinOrigin(single(heading, "heading"), single(centre, "centre"));
        } catch (const EBulletinError &e) {
            throw EUsageError(e.Message());
        }
    }
    options.Render.Print = parser.isSet(print);
    options.Render.Feet = parser.isSet(feet);
    options.Render.Analysis = parser.isSet(analysis);

    // No output may replace an input, by whatever path it is named: every
    // input is claimed first, and an output that lands on one is refused.
    TClaimedFiles &claimed = options.Claimed;
    std::map<QString, QString> inputs; // claimant -> the input as given
    for (const QString &input : std::as_const(options.Inputs)) {
        const QString claimant = QStringLiteral("input ") + input;
        if (!claimed.Claim(input, claimant))
            inputs.emplace(claimant, input);
    }
    // The output `file` of option `option`; `owner` names the input it is
    // made of in the --out-dir form.
    auto claimOutput = [&](const QString &file, const QString &option, const QString &owner) {
        const QString claimant = owner.isEmpty() ? option : option + QStringLiteral(" of ") + owner;
        const std::optional<QString> other = claimed.Claim(file, claimant);
        if (!other)
            return;
        if (auto input = inputs.find(*other); input != inputs.end())
            throw EUsageError(
                QStringLiteral("%1 %2 is the input %3").arg(option, file, input->second));
        if (owner.isEmpty())
            throw EUsageError(
                QStringLiteral("%1 and %2 name the same file %3").arg(*other, option, file));
        throw EUsageError(
            QStringLiteral("%1 and %2 would both write %3").arg(*other, claimant, file));
    };

    if (archive) {
        // Two inputs of one NAME would overwrite each other's files.
        std::map<QString, QString> names;
        for (const QString &input : std::as_const(options.Inputs)) {
            const QString name = ArchiveName(input);
            if (auto other = names.find(name); other != names.end())
                throw EUsageError(
                    QStringLiteral("%1 and %2 would both be written as %3.*")
                        .arg(other->second, input, QDir(options.OutDir).filePath(name)));
            names.emplace(name, input);
        }
        const QDir folder(options.OutDir);
        for (const QString &input : std::as_const(options.Inputs))
            for (size_t i = 0; i < kinds.size(); ++i)
                if (!options.Files[i].isEmpty())
                    claimOutput(folder.filePath(ArchiveName(input) + kinds[i].Suffix),
                                QStringLiteral("--") + kinds[i].Option, input);
        return options;
    }
    // Two outputs to one file would leave only the last.
    for (size_t i = 0; i < kinds.size(); ++i)
        if (!options.Files[i].isEmpty())
            claimOutput(options.Files[i], QStringLiteral("--") + kinds[i].Option, QString());
    return options;
}

// The reports that name the station refuse to run without it (from the
// options or the settings document).
std::function<void(const TGraphSettings &)>
StationCheck(const std::vector<const TOutputKind *> &requested)
{
    return [requested](const TGraphSettings &settings) {
        for (const TOutputKind *kind : requested)
            if (kind->MissingStation)
                if (const QString missing = kind->MissingStation(settings.Station);
                    !missing.isEmpty())
                    throw EUsageError(missing);
    };
}

// The bulletins of the reports asked for, as the message switch takes them
// (first issues), in the folder; refused before anything is written when one
// would land on an input or another output.
std::vector<TOutput> MakeBulletins(const TRenderedFlight &flight, TOptions &options)
{
    const TSoundingProducts &products = *flight.Products;
    const TStationIdentity &station = flight.Settings.Station;
    TBulletinRequest request;
    for (TFlightReport report : AvailableReports(products, station))
        if (!options
                 .Files[OutputIndex(report == frBufr ? QStringLiteral("bufr")
                                                     : QStringLiteral("temp"))]
                 .isEmpty())
            request.Reports.push_back(report);
    if (request.Reports.empty())
        throw EUsageError(QStringLiteral("--bulletins: the flight gives none of these reports"));
    std::vector<TOutput> files;
    for (const TBulletinFile &bulletin :
         FlightBulletins(products, station, flight.Settings.DataParameters.LaunchElevation(),
                         options.Origin, request)) {
        const QString file = QDir(options.BulletinFolder).filePath(bulletin.FileName);
        if (const std::optional<QString> other =
                options.Claimed.Claim(file, QStringLiteral("--bulletins")))
            throw EUsageError(
                QStringLiteral("--bulletins would write %1, which %2 names").arg(file, *other));
        files.push_back({file, bulletin.Bytes});
    }
    return files;
}

int RunSingle(TOptions &options)
{
    const std::vector<TOutputKind> &kinds = OutputKinds();
    uint8_t needs = 0;
    for (size_t i = 0; i < kinds.size(); ++i)
        if (!options.Files[i].isEmpty())
            needs |= kinds[i].Needs;
    std::vector<const TOutputKind *> requested;
    for (size_t i = 0; i < kinds.size(); ++i)
        if (!options.Files[i].isEmpty())
            requested.push_back(&kinds[i]);
    TRenderOptions render = options.Render;
    render.DrawSideBySide = true;
    render.CheckLoaded = StationCheck(requested);
    const TRenderedFlight flight = RenderFlight(options.Inputs[0], render, needs);
    std::vector<std::pair<const TOutputKind *, QString>> outputs;
    for (size_t i = 0; i < kinds.size(); ++i)
        if (!options.Files[i].isEmpty())
            outputs.emplace_back(&kinds[i], options.Files[i]);
    std::vector<TOutput> bulletins;
    if (!options.BulletinFolder.isEmpty())
        bulletins = MakeBulletins(flight, options);
    MakeAndWriteOutputs(flight, outputs, true);
    if (!bulletins.empty()) {
        if (!QDir().mkpath(options.BulletinFolder))
            throw EFileError(QStringLiteral("Could not create folder ") + options.BulletinFolder);
        WriteOutputs(bulletins);
    }
    return 0;
}

int RunArchive(const TOptions &options)
{
    if (!QDir().mkpath(options.OutDir))
        throw EFileError(QStringLiteral("Could not create folder ") + options.OutDir);
    TArchiveJob job;
    job.Inputs = options.Inputs;
    job.Folder = options.OutDir;
    job.Options = options.Render;
    const std::vector<TOutputKind> &kinds = OutputKinds();
    for (size_t i = 0; i < kinds.size(); ++i)
        if (!options.Files[i].isEmpty())
            job.Outputs.push_back(&kinds[i]);
    job.Options.CheckLoaded = StationCheck(job.Outputs);
    job.Progress = isatty(STDERR_FILENO);
    return ConvertArchive(job);
}

int Run(const QStringList &arguments)
{
    TOptions options = ParseOptions(arguments);
    return options.OutDir.isEmpty() ? RunSingle(options) : RunArchive(options);
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
    int status = 1;
    try {
        status = Run(QGuiApplication::arguments());
    } catch (const EVentrelError &e) {
        std::fprintf(stderr, "ventrel-render: %s\n",
                     OneLine(e.Message()).toLocal8Bit().constData());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "ventrel-render: %s\n",
                     OneLine(QString::fromLocal8Bit(e.what())).toLocal8Bit().constData());
    }
    // Everything is written and committed: the process ends without taking
    // the toolkit down, whose font database alone takes longer to free than
    // a two-hour flight takes to draw.
    std::fflush(nullptr);
    std::_Exit(status);
}
