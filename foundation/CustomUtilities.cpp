#include "foundation/CustomUtilities.h"

#include <QRegularExpression>
#include <QTime>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace {

// The locale name that applies to one category (LC_NUMERIC or LC_TIME), as
// the raw environment bytes: no allocation on the hot path.
std::string_view LocaleNameFor(const char *category)
{
    for (const char *name : {"LC_ALL", category, "LANG"})
        if (const char *v = std::getenv(name); v && *v)
            return v;
    return {};
}

QLocale LocaleFromName(std::string_view raw)
{
    QString name = QString::fromLocal8Bit(raw.data(), qsizetype(raw.size()));
    const qsizetype cut = name.indexOf(QRegularExpression(QStringLiteral("[.@]")));
    if (cut >= 0)
        name.truncate(cut);
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return QLocale(name);
}

QString WithoutTimeZone(QString format)
{
    // Drop the time-zone token and the separator in front of it.
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?t+\\)?"));
    format.remove(zone);
    return format.trimmed();
}

struct TCachedSettings
{
    std::string NumberName;
    std::string TimeName;
    bool Valid = false;
    TFormatSettings Settings;
};

// Digits of |value| at `precision` significant digits, and the position of
// the decimal point (the number of integer digits; may be zero or negative).
void SignificantDigits(double value, int precision, std::string &digits, int &pointPos)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, std::fabs(value));
    digits.clear();
    const char *p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += *p;
    pointPos = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
}

} // namespace

QString TFormatSettings::ShortMonthName(int month) const
{
    QString name = TimeLocale.standaloneMonthName(month, QLocale::ShortFormat);
    while (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return name;
}

const TFormatSettings &GetSystemFormatSettings()
{
    // Built afresh whenever the environment names another locale; the cache
    // only saves rebuilding identical settings on every number.
    thread_local TCachedSettings cache;
    const std::string_view numberName = LocaleNameFor("LC_NUMERIC");
    const std::string_view timeName = LocaleNameFor("LC_TIME");
    if (!cache.Valid || cache.NumberName != numberName || cache.TimeName != timeName) {
        TFormatSettings s;
        s.NumberLocale = LocaleFromName(numberName);
        s.TimeLocale = LocaleFromName(timeName);
        const QString point = s.NumberLocale.decimalPoint();
        s.DecimalSeparator = point.isEmpty() ? QLatin1Char('.') : point.at(0);
        s.LongTimeFormat = WithoutTimeZone(s.TimeLocale.timeFormat(QLocale::LongFormat));
        s.ShortTimeFormat = WithoutTimeZone(s.TimeLocale.timeFormat(QLocale::ShortFormat));
        cache.NumberName.assign(numberName);
        cache.TimeName.assign(timeName);
        cache.Settings = s;
        cache.Valid = true;
    }
    return cache.Settings;
}

static QString NonFinite(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

QString FormatFixed(double value, int decimals)
{
    return FormatFixed(value, decimals, GetSystemFormatSettings());
}

QString FormatFixed(double value, int decimals, const TFormatSettings &settings)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    decimals = std::clamp(decimals, 0, 30);
    std::string digits;
    int pointPos = 0;
    SignificantDigits(value, 15, digits, pointPos);
    if (pointPos > 15) // more integer digits than the precision holds
        return FormatGeneral(value, 15, settings);
    if (pointPos < 1) {
        digits.insert(0, std::string(1 - pointPos, '0'));
        pointPos = 1;
    }
    const size_t keep = size_t(pointPos + decimals);
    bool roundUp = false;
    if (keep < digits.size()) {
        roundUp = digits[keep] >= '5';
        digits.resize(keep);
    } else {
        digits.append(keep - digits.size(), '0');
    }
    if (roundUp) {
        int i = int(digits.size()) - 1;
        for (; i >= 0; --i) {
            if (digits[i] == '9') {
                digits[i] = '0';
            } else {
                ++digits[i];
                break;
            }
        }
        if (i < 0) {
            digits.insert(digits.begin(), '1');
            ++pointPos;
        }
    }
    std::string integer = digits.substr(0, pointPos);
    const std::string fraction = digits.substr(pointPos);
    const size_t firstNonZero = integer.find_first_not_of('0');
    integer = firstNonZero == std::string::npos ? "0" : integer.substr(firstNonZero);
    const bool isZero = digits.find_first_not_of('0') == std::string::npos;

    QString result;
    result.reserve(int(integer.size() + fraction.size() + 2));
    if (value < 0 && !isZero)
        result += QLatin1Char('-');
    result += QLatin1String(integer.data(), qsizetype(integer.size()));
    if (decimals > 0) {
        result += settings.DecimalSeparator;
        result += QLatin1String(fraction.data(), qsizetype(fraction.size()));
    }
    return result;
}

QString FormatGeneral(double value, int precision)
{
    return FormatGeneral(value, precision, GetSystemFormatSettings());
}

QString FormatGeneral(double value, int precision, const TFormatSettings &settings)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    if (value == 0.0)
        return QStringLiteral("0");
    precision = std::clamp(precision, 1, 17);
    std::string digits;
    int pointPos = 0;
    SignificantDigits(value, precision, digits, pointPos);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (digits == "0")
        return QStringLiteral("0");

    QString result;
    if (value < 0)
        result += QLatin1Char('-');
    if (pointPos > precision || std::fabs(value) < 1e-5) {
        result += QLatin1Char(digits[0]);
        if (digits.size() > 1) {
            result += settings.DecimalSeparator;
            result += QLatin1String(digits.data() + 1, qsizetype(digits.size() - 1));
        }
        result += QLatin1Char('E');
        result += QString::number(pointPos - 1);
        return result;
    }
    if (pointPos <= 0) {
        result += QLatin1Char('0');
        result += settings.DecimalSeparator;
        result += QString(-pointPos, QLatin1Char('0'));
        result += QLatin1String(digits.data(), qsizetype(digits.size()));
        return result;
    }
    if (int(digits.size()) <= pointPos) {
        result += QLatin1String(digits.data(), qsizetype(digits.size()));
        result += QString(pointPos - int(digits.size()), QLatin1Char('0'));
        return result;
    }
    result += QLatin1String(digits.data(), pointPos);
    result += settings.DecimalSeparator;
    result += QLatin1String(digits.data() + pointPos, qsizetype(digits.size()) - pointPos);
    return result;
}

bool TryParseDecimal(QStringView text, QChar separator, TExponent exponent, double &value)
{
    constexpr qsizetype MaxLength = 400;
    const qsizetype n = text.size();
    if (n == 0 || n > MaxLength)
        return false;
    // A plain ASCII copy with '.' as the separator. A '0' goes in front of the
    // digits, since from_chars wants one before the point and ".5" is fine
    // for us.
    char ascii[MaxLength + 2];
    size_t length = 0;
    qsizetype i = 0;
    if (text[0] == u'+' || text[0] == u'-') {
        if (text[0] == u'-')
            ascii[length++] = '-';
        ++i;
    }
    ascii[length++] = '0';
    const auto copyDigits = [&] {
        int digits = 0;
        for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits)
            ascii[length++] = char(text[i].unicode());
        return digits;
    };
    int mantissaDigits = copyDigits();
    if (i < n && text[i] == separator) {
        ascii[length++] = '.';
        ++i;
        mantissaDigits += copyDigits();
    }
    if (mantissaDigits == 0)
        return false;
    if (exponent == exAllowed && i < n && (text[i] == u'e' || text[i] == u'E')) {
        ascii[length++] = 'e';
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ascii[length++] = char(text[i++].unicode());
        if (copyDigits() == 0)
            return false;
    }
    if (i != n)
        return false;
    double result = 0.0;
    const auto [ptr, ec] = std::from_chars(ascii, ascii + length, result);
    if (ec != std::errc() || ptr != ascii + length || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

bool TryStrToFloatSystem(QStringView text, double &value, const TFormatSettings &settings)
{
    return TryParseDecimal(text.trimmed(), settings.DecimalSeparator, exAllowed, value);
}

double StrToFloatSystem(const QString &text)
{
    return StrToFloatSystem(text, GetSystemFormatSettings());
}

double StrToFloatSystem(const QString &text, const TFormatSettings &settings)
{
    double value = 0.0;
    if (!TryStrToFloatSystem(text, value, settings))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

int32_t StrToInt32(const QString &text)
{
    const QString t = text.trimmed();
    const QByteArray ascii = t.toLatin1();
    int32_t value = 0;
    const char *first = ascii.constData();
    const char *last = first + ascii.size();
    if (first != last && *first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (t.isEmpty() || ec != std::errc() || ptr != last || first == last)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

bool StrToBool(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    double number = 0.0;
    if (TryStrToFloatSystem(t, number, GetSystemFormatSettings()))
        return number != 0.0;
    throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(text));
}

QString BoolToStr(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QStringList SplitString(const QString &delimiter, const QString &text)
{
    if (delimiter.isEmpty())
        return QStringList{text};
    return text.split(delimiter, Qt::KeepEmptyParts);
}

QString JoinStrings(const QString &delimiter, const QStringList &list)
{
    return list.join(delimiter);
}

static const QDate &EpochDate()
{
    static const QDate epoch(1899, 12, 30);
    return epoch;
}

double DateTimeToDays(const QDateTime &dateTime)
{
    const QDateTime local = dateTime.toLocalTime();
    const double days = double(EpochDate().daysTo(local.date()));
    const double fraction = local.time().msecsSinceStartOfDay() / 86400000.0;
    return days + fraction;
}

// Whole days since the epoch and milliseconds into the day; absurd values
// count as the epoch itself.
static void SplitDays(double days, qint64 &dayCount, qint64 &msecs)
{
    if (!std::isfinite(days) || std::fabs(days) > 3.0e6)
        days = 0.0;
    const double whole = std::floor(days);
    msecs = qint64(std::llround((days - whole) * 86400000.0));
    dayCount = qint64(whole);
    if (msecs >= 86400000) {
        msecs -= 86400000;
        ++dayCount;
    }
}

QDateTime DaysToDateTime(double days)
{
    qint64 dayCount = 0;
    qint64 msecs = 0;
    SplitDays(days, dayCount, msecs);
    return QDateTime(EpochDate().addDays(dayCount), QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

double NowDays()
{
    return DateTimeToDays(QDateTime::currentDateTime());
}

double TodayDays()
{
    return std::floor(NowDays());
}

QString FormatLongTime(double days)
{
    return FormatLongTime(days, GetSystemFormatSettings());
}

QString FormatLongTime(double days, const TFormatSettings &settings)
{
    // The time of day straight from the fraction: a local QDateTime would
    // consult the time-zone database for every line of a log.
    qint64 dayCount = 0;
    qint64 msecs = 0;
    SplitDays(days, dayCount, msecs);
    return settings.TimeLocale.toString(QTime::fromMSecsSinceStartOfDay(int(msecs)),
                                        settings.LongTimeFormat);
}

QString FormatFileStamp(const QDateTime &dateTime)
{
    const TFormatSettings s = GetSystemFormatSettings();
    const QDate d = dateTime.date();
    const QTime t = dateTime.time();
    return QStringLiteral("_%1_%2_%3_%4%5")
        .arg(s.ShortMonthName(d.month()))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'));
}

int32_t CheckedAdd(int32_t a, int32_t b)
{
    int32_t r;
    if (__builtin_add_overflow(a, b, &r))
        throw EIntOverflow(QStringLiteral("Integer overflow"));
    return r;
}

int32_t CheckedSubtract(int32_t a, int32_t b)
{
    int32_t r;
    if (__builtin_sub_overflow(a, b, &r))
        throw EIntOverflow(QStringLiteral("Integer overflow"));
    return r;
}

int32_t CheckedMultiply(int32_t a, int32_t b)
{
    int32_t r;
    if (__builtin_mul_overflow(a, b, &r))
        throw EIntOverflow(QStringLiteral("Integer overflow"));
    return r;
}

int32_t RoundToInt32(long double value)
{
    if (!std::isfinite(value))
        throw EMathError(QStringLiteral("Invalid floating point operation"));
    const long double r = std::rintl(value); // default rounding mode: halves to even
    if (r < (long double)std::numeric_limits<int32_t>::min() ||
        r > (long double)std::numeric_limits<int32_t>::max())
        throw ERangeError(QStringLiteral("Range check error"));
    return int32_t(r);
}

QFont DefaultFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void InitialiseProcess()
{
    QFont::insertSubstitution(QStringLiteral("Courier"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
}
