#include "sounding/SoundingBufr.h"

#include "foundation/CustomUtilities.h"
#include "sounding/SoundingExport.h"
#include "sounding/Thermodynamics.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <eccodes.h>
#include <memory>
#include <mutex>

namespace {

using Thermo::ZeroCelsius;

constexpr long BufrTemplate = 309057;
// 0 08 021: the time given is the launch time.
constexpr long LaunchTimeSignificance = 18;
// The widths of character elements, in characters: 0 01 128 and 0 25 061.
constexpr int WigosLocalIdentifierLength = 16;
constexpr int SoftwareVersionLength = 12;
// 0 01 126: the issuer of WIGOS identifiers for WMO block and station numbers.
constexpr long WigosIssuerForWmoNumbers = 20000;

double Whole(double v)
{
    return std::round(v);
}

double Hundredths(double v)
{
    return std::round(v * 100.0) / 100.0;
}

std::optional<double> Kelvin(const std::optional<double> &celsius)
{
    if (!celsius || !std::isfinite(*celsius))
        return std::nullopt;
    return Hundredths(*celsius + ZeroCelsius);
}

std::optional<double> WholeOf(const std::optional<double> &v)
{
    return v && std::isfinite(*v) ? std::optional<double>(Whole(*v)) : std::nullopt;
}

TBufrLevel FromProductLevel(const TProductLevel &level, double launchTime)
{
    TBufrLevel out;
    if (!level.BelowGround) {
        const double seconds = Whole((level.Time - launchTime) * 86400.0);
        if (seconds >= BufrMinTimeSinceLaunch && seconds <= BufrMaxTimeSinceLaunch)
            out.TimeSinceLaunch = seconds;
    }
    out.Pressure = Whole(level.Pressure * 100.0);
    out.Height = WholeOf(level.Height);
    out.Temperature = Kelvin(level.Temperature);
    out.Dewpoint = Kelvin(level.Dewpoint);
    return out;
}

struct THandleDeleter
{
    void operator()(codes_handle *h) const { codes_handle_delete(h); }
};
using THandle = std::unique_ptr<codes_handle, THandleDeleter>;

// ecCodes keeps process-wide state; one message is encoded at a time.
std::mutex &EncoderLock()
{
    static std::mutex lock;
    return lock;
}

// What ecCodes says while a message is encoded. Left to itself it writes
// its errors straight to standard error, apart from the line that names the
// input; here they become part of that line. Guarded by EncoderLock.
QString &EncoderLog()
{
    static QString log;
    return log;
}

void CollectEncoderLog(const codes_context *, int level, const char *message)
{
    if (level == CODES_LOG_DEBUG || level == CODES_LOG_INFO || !message)
        return;
    QString text = QString::fromLocal8Bit(message).simplified();
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (text.isEmpty())
        return;
    QString &log = EncoderLog();
    if (!log.isEmpty())
        log += QStringLiteral("; ");
    log += text;
}

// Called with EncoderLock held, before a message is encoded.
void StartEncoderLog()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        codes_context_set_logging_proc(codes_context_get_default(), CollectEncoderLog);
    });
    EncoderLog().clear();
}

// The message for a failed encoding, with what ecCodes said about it.
QString EncoderFailure(const QString &what)
{
    const QString &log = EncoderLog();
    return log.isEmpty() ? what : what + QStringLiteral(" (ecCodes: %1)").arg(log);
}

[[noreturn]] void Refuse(const char *key, int error)
{
    throw ESoundingExportError(EncoderFailure(
        QStringLiteral("ecCodes could not encode the BUFR report (%1: %2)")
            .arg(QLatin1String(key), QString::fromLocal8Bit(codes_get_error_message(error)))));
}

void SetLong(codes_handle *h, const char *key, long value)
{
    if (const int error = codes_set_long(h, key, value))
        Refuse(key, error);
}

void SetDouble(codes_handle *h, const char *key, double value)
{
    if (const int error = codes_set_double(h, key, value))
        Refuse(key, error);
}

void SetString(codes_handle *h, const char *key, const QString &value)
{
    const QByteArray bytes = value.toLatin1();
    size_t length = size_t(bytes.size());
    if (const int error = codes_set_string(h, key, bytes.constData(), &length))
        Refuse(key, error);
}

template <class TValue>
void SetDoubles(codes_handle *h, const char *key, const std::vector<TBufrLevel> &levels,
                TValue value)
{
    std::vector<double> values;
    values.reserve(levels.size());
    for (const TBufrLevel &level : levels) {
        const std::optional<double> v = value(level);
        values.push_back(v ? *v : CODES_MISSING_DOUBLE);
    }
    if (const int error = codes_set_double_array(h, key, values.data(), values.size()))
        Refuse(key, error);
}

} // namespace

std::vector<TBufrLevel> BufrLevels(const TSoundingProducts &products)
{
    std::vector<TBufrLevel> levels;
    if (!products.Surface)
        return levels;
    const TSoundingProfile &profile = products.Analysis.Profile;
    const double launch = products.Surface->Time;
    levels.reserve(profile.size() + products.Standard.size());
    for (size_t i = 0; i < profile.size(); ++i)
        levels.push_back(FromProductLevel(ObservedLevel(profile, i), launch));
    levels.front().Flags |= bfSurface;
    // The station's own wind at the surface.
    levels.front().WindDirection = WholeOf(products.Surface->WindDirection);
    if (products.Surface->WindSpeed)
        levels.front().WindSpeed = std::round(*products.Surface->WindSpeed * 10.0) / 10.0;
    for (const TProductLevel &level : products.Significant)
        if (level.ProfileIndex)
            levels[*level.ProfileIndex].Flags |=
                (level.SignificantTemperature ? bfSignificantTemperature : 0u) |
                (level.SignificantHumidity ? bfSignificantHumidity : 0u);
    if (products.Tropopause && products.Tropopause->ProfileIndex)
        levels[*products.Tropopause->ProfileIndex].Flags |= bfTropopause;
    // The levels that bound a layer of missing data.
    for (const TProductGap &gap : products.Screening.Gaps) {
        const bool temperature = gap.What == gkTemperature;
        if (gap.BottomLevel && *gap.BottomLevel < profile.size())
            levels[*gap.BottomLevel].Flags |=
                temperature ? bfBeginMissingTemperature : bfBeginMissingHumidity;
        if (gap.TopLevel && *gap.TopLevel < profile.size())
            levels[*gap.TopLevel].Flags |=
                temperature ? bfEndMissingTemperature : bfEndMissingHumidity;
    }

    // Pressures fall along the profile, and so they do in the message.
    const size_t observed = levels.size();
    auto byPressure = [](const TBufrLevel &a, const TBufrLevel &b) {
        return a.Pressure > b.Pressure;
    };
    for (const TProductLevel &standard : products.Standard) {
        TBufrLevel level = FromProductLevel(standard, launch);
        level.Flags = bfStandard;
        const auto end = levels.begin() + std::ptrdiff_t(observed);
        const auto at = std::lower_bound(levels.begin(), end, level, byPressure);
        if (at != end && at->Pressure == level.Pressure)
            at->Flags |= bfStandard; // observed at that very pressure
        else
            levels.push_back(level);
    }
    std::stable_sort(levels.begin(), levels.end(), byPressure);
    return levels;
}

QByteArray EncodeSoundingBufr(const TSoundingProducts &products, const TStationIdentity &station,
                              double stationHeight, int updateSequenceNumber)
{
    RequireSounding(products, "report");
    if (!MissingStationParts(station, srBufr).empty())
        throw ESoundingExportError(QStringLiteral(
            "The BUFR report needs the WMO block and station number, latitude and longitude"));
    // One octet of section 1 (WMO-No. 306, Vol. I.2, FM 94 BUFR, section 1:
    // the update sequence number is zero for the original message and
    // incremented for each update).
    if (updateSequenceNumber < 0 || updateSequenceNumber > 255)
        throw ESoundingExportError(
            QStringLiteral("The BUFR update sequence number %1 is outside 0 to 255")
                .arg(updateSequenceNumber));
    const std::vector<TBufrLevel> levels = BufrLevels(products);
    // The launch is the release, the surface level's time.
    const QDateTime launch = LocalDaysToUtc(products.Surface->Time, station);
    const QDate date = launch.date();
    const QTime time = launch.time();

    const std::lock_guard<std::mutex> guard(EncoderLock());
    StartEncoderLog();
    const THandle handle(codes_bufr_handle_new_from_samples(nullptr, "BUFR4"));
    if (!handle)
        throw ESoundingExportError(EncoderFailure(QStringLiteral(
            "ecCodes has no BUFR edition 4 sample: are its definitions installed?")));
    codes_handle *h = handle.get();

    SetLong(h, "masterTablesVersionNumber", BufrMasterTableVersion);
    SetLong(h, "localTablesVersionNumber", 0);
    SetLong(h, "bufrHeaderCentre", 255);
    SetLong(h, "bufrHeaderSubCentre", 0);
    SetLong(h, "updateSequenceNumber", updateSequenceNumber);
    SetLong(h, "dataCategory", 2);
    SetLong(h, "internationalDataSubCategory", 4);
    SetLong(h, "dataSubCategory", 255);
    SetLong(h, "typicalYear", date.year());
    SetLong(h, "typicalMonth", date.month());
    SetLong(h, "typicalDay", date.day());
    SetLong(h, "typicalHour", time.hour());
    SetLong(h, "typicalMinute", time.minute());
    SetLong(h, "typicalSecond", time.second());
    SetLong(h, "numberOfSubsets", 1);
    SetLong(h, "observedData", 1);
    SetLong(h, "compressedData", 0);

    const long levelCount = long(levels.size());
    const long windShears = 0;
    if (int error = codes_set_long_array(h, "inputExtendedDelayedDescriptorReplicationFactor",
                                         &levelCount, 1))
        Refuse("inputExtendedDelayedDescriptorReplicationFactor", error);
    if (int error =
            codes_set_long_array(h, "inputDelayedDescriptorReplicationFactor", &windShears, 1))
        Refuse("inputDelayedDescriptorReplicationFactor", error);
    SetLong(h, "unexpandedDescriptors", BufrTemplate);

    SetLong(h, "wigosIdentifierSeries", 0);
    SetLong(h, "wigosIssuerOfIdentifier", WigosIssuerForWmoNumbers);
    SetLong(h, "wigosIssueNumber", 0);
    // Character elements are filled with blanks to their width.
    SetString(h, "wigosLocalIdentifierCharacter",
              station.Number.leftJustified(WigosLocalIdentifierLength, QLatin1Char(' ')));
    SetLong(h, "blockNumber", station.Number.left(2).toLong());
    SetLong(h, "stationNumber", station.Number.mid(2).toLong());
    SetLong(h, "timeSignificance", LaunchTimeSignificance);
    SetLong(h, "year", date.year());
    SetLong(h, "month", date.month());
    SetLong(h, "day", date.day());
    SetLong(h, "hour", time.hour());
    SetLong(h, "minute", time.minute());
    SetLong(h, "second", time.second());
    SetDouble(h, "latitude", *station.Latitude);
    SetDouble(h, "longitude", *station.Longitude);
    SetDouble(h, "heightOfStationGroundAboveMeanSeaLevel", stationHeight);
    SetDouble(h, "heightOfBarometerAboveMeanSeaLevel", stationHeight);
    // 3 01 128: the heights are geopotential, calculated from pressure
    // (0 02 191 code 0); the software; why the ascent ended (0 35 035).
    SetLong(h, "geopotentialHeightCalculation", 0);
    SetString(h, "softwareVersionNumber",
              QStringLiteral("Ventrel " VENTREL_VERSION)
                  .leftJustified(SoftwareVersionLength, QLatin1Char(' ')));
    if (products.Flight.Termination)
        SetLong(h, "reasonForTermination", products.Flight.Termination->Code);

    SetDoubles(h, "timePeriod", levels, [](const TBufrLevel &l) { return l.TimeSinceLaunch; });
    SetDoubles(h, "extendedVerticalSoundingSignificance", levels,
               [](const TBufrLevel &l) { return std::optional<double>(l.Flags); });
    SetDoubles(h, "pressure", levels,
               [](const TBufrLevel &l) { return std::optional<double>(l.Pressure); });
    SetDoubles(h, "nonCoordinateGeopotentialHeight", levels,
               [](const TBufrLevel &l) { return l.Height; });
    SetDoubles(h, "airTemperature", levels, [](const TBufrLevel &l) { return l.Temperature; });
    SetDoubles(h, "dewpointTemperature", levels, [](const TBufrLevel &l) { return l.Dewpoint; });
    SetDoubles(h, "windDirection", levels, [](const TBufrLevel &l) { return l.WindDirection; });
    SetDoubles(h, "windSpeed", levels, [](const TBufrLevel &l) { return l.WindSpeed; });

    SetLong(h, "pack", 1);
    const void *message = nullptr;
    size_t size = 0;
    if (int error = codes_get_message(h, &message, &size))
        Refuse("message", error);
    return QByteArray(static_cast<const char *>(message), qsizetype(size));
}
