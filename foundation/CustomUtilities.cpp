#include "foundation/CustomUtilities.h"

#include <QRegularExpression>
#include <QTime>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// The locale names that apply to numbers and to times, as the raw
// environment bytes: LC_ALL, else LC_NUMERIC or LC_TIME, else LANG. One pass
// over the environment and no allocation: this runs for every log line.
void LocaleNames(std::string_view &numberName, std::string_view &timeName)
{
    // The first entry of a name counts, as for getenv; an empty one is unset.
    const char *all = nullptr, *numeric = nullptr, *time = nullptr, *lang = nullptr;
    for (char **entry = environ; entry && *entry; ++entry) { // clearenv() leaves none
        const char *e = *entry;
        if (e[0] != 'L')
            continue;
        auto value = [e](const char *name, const char *&into) {
            const size_t length = std::strlen(name);
            if (!into && std::strncmp(e, name, length) == 0 && e[length] == '=')
                into = e + length + 1;
        };
        value("LC_ALL", all);
        value("LC_NUMERIC", numeric);
        value("LC_TIME", time);
        value("LANG", lang);
    }
    auto first = [](std::initializer_list<const char *> names) {
        for (const char *v : names)
            if (v && *v)
                return std::string_view(v);
        return std::string_view();
    };
    numberName = first({all, numeric, lang});
    timeName = first({all, time, lang});
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

// The decimal digits of a finite `magnitude` (not negative) correctly rounded
// to `precision` significant digits (1 to 17), ties to even, as printf's %e
// gives them: exactly `precision` digits go to `digits`. Returns the position
// of the decimal point (the number of integer digits; zero or negative for
// magnitudes below 1).
//
// The shortest text that reads back as the double (S, at most 17 digits) is
// within half a unit in the last place of the double's exact value. For a
// normal double and a precision up to 15 that is less than 0.111 of a unit
// in the precision's last digit, so:
// - an S that fits the precision is the correctly rounded text itself;
// - an S that does not is rounded as its exact value is, unless the digits
//   it drops lie within 0.111 of a half (0.38 to 0.62 of a unit).
// Only that last case, higher precisions and subnormal doubles need the
// exact (slower) conversion at the precision.
// Adds one to the last of `count` decimal digits. True when the carry ran
// past the first digit: they are all zeros then.
bool IncrementDigits(char *digits, int count)
{
    int i = count - 1;
    for (; i >= 0 && digits[i] == '9'; --i)
        digits[i] = '0';
    if (i < 0)
        return true;
    ++digits[i];
    return false;
}

// The decimal digits of n, most significant first; returns their count.
int IntegerDigits(uint64_t n, char *digits)
{
    char reversed[20];
    int count = 0;
    do {
        reversed[count++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0);
    std::reverse_copy(reversed, reversed + count, digits);
    return count;
}

// Quickest: a decimal D = n / 10^k with at most `precision` digits (k from
// 0 to 22) that reads back as the double is its correctly rounded text for
// the same reason as S below. Most measured values are such decimals. False
// when none is found this way.
bool ShortDecimal(double magnitude, int precision, uint64_t &n, int &k)
{
    static constexpr double Powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (precision > 15 || !(magnitude >= 1e-7 && magnitude < 1e15))
        return false;
    int binaryExponent = 0;
    std::frexp(magnitude, &binaryExponent);
    // The number of integer digits, or one less.
    const int integerDigits = int(std::floor((binaryExponent - 1) * 0.3010299956639812)) + 1;
    k = std::max(precision - integerDigits, 0);
    double scaled = std::nearbyint(magnitude * Powers[k]);
    if (scaled >= Powers[precision] && k > 0)
        scaled = std::nearbyint(magnitude * Powers[--k]);
    // Exact: scaled is an integer below 2^53 and Powers[k] a double exactly,
    // so the division is the double nearest to D.
    if (!(scaled >= 1 && scaled < Powers[precision] && scaled / Powers[k] == magnitude))
        return false;
    n = uint64_t(scaled);
    return true;
}

int RoundedDigits(double magnitude, int precision, char *digits)
{
    uint64_t n = 0;
    int k = 0;
    if (ShortDecimal(magnitude, precision, n, k)) {
        const int count = IntegerDigits(n, digits);
        std::fill(digits + count, digits + precision, '0');
        return count - k;
    }
    char text[48];
    char shortest[17];
    int count = 0;
    auto collect = [&](const char *end, char *into) {
        const char *p = text;
        count = 0;
        for (; p < end && *p != 'e'; ++p)
            if (*p != '.')
                into[count++] = *p;
        int exponent = 0;
        std::from_chars(p[1] == '+' ? p + 2 : p + 1, end, exponent);
        return exponent + 1;
    };
    const bool normal = magnitude == 0.0 || magnitude >= std::numeric_limits<double>::min();
    if (precision <= 15 && normal) {
        const char *end =
            std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific).ptr;
        int pointPos = collect(end, shortest);
        if (count <= precision) {
            std::copy(shortest, shortest + count, digits);
            std::fill(digits + count, digits + precision, '0');
            return pointPos;
        }
        const int dropped = (shortest[precision] - '0') * 10 +
                            (precision + 1 < count ? shortest[precision + 1] - '0' : 0);
        if (dropped < 38 || dropped >= 62) {
            std::copy(shortest, shortest + precision, digits);
            if (dropped >= 62 && IncrementDigits(digits, precision)) {
                digits[0] = '1';
                ++pointPos;
            }
            return pointPos;
        }
    }
    const char *end = std::to_chars(text, text + sizeof text, magnitude,
                                    std::chars_format::scientific, precision - 1)
                          .ptr;
    return collect(end, digits);
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
    std::string_view numberName, timeName;
    LocaleNames(numberName, timeName);
    if (!cache.Valid || cache.NumberName != numberName || cache.TimeName != timeName) {
        TFormatSettings s;
        s.NumberLocale = LocaleFromName(numberName);
        s.TimeLocale = LocaleFromName(timeName);
        const QString point = s.NumberLocale.decimalPoint();
        s.DecimalSeparator = point.isEmpty() ? QLatin1Char('.') : point.at(0);
        s.LongTimeFormat = WithoutTimeZone(s.TimeLocale.timeFormat(QLocale::LongFormat));
        s.ShortTimeFormat = WithoutTimeZone(s.TimeLocale.timeFormat(QLocale::ShortFormat));
        s.LongTimePattern = TTimePattern::Compile(s.LongTimeFormat, s.TimeLocale);
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

// The fixed-point text of a finite value with `decimals` (0 to 30) decimals
// and '.' as the separator, into `text` (56 characters); returns its length,
// or 0 when the value has more integer digits than the precision holds.
static int FixedText(double value, int decimals, char *text)
{
    // The value at 15 significant digits first, then that decimal text
    // rounded at the requested decimal, halves away from zero.
    const double magnitude = std::fabs(value);
    uint64_t n = 0;
    int k = 0;
    bool exact = ShortDecimal(magnitude, 15, n, k);
    if (!exact && decimals <= 15 && magnitude < 1e14) {
        // The value scaled to units of the last decimal, y = m + f. Its
        // 15-digit text differs from it by at most half a unit in the 15th
        // digit (u / 2), the scaling by half a unit in the last place of
        // y; unless f is that close to a half, the text rounds at the
        // decimal as the value itself does, to m or m + 1 (a text that moved
        // past a whole number rounds to the same).
        static constexpr double Scales[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const double y = magnitude * Scales[decimals];
        int binaryExponent = 0;
        std::frexp(magnitude, &binaryExponent);
        // At least the number of integer digits of the magnitude.
        const int integerDigits = int(std::floor(binaryExponent * 0.3010299956639812)) + 1;
        const double u = std::pow(10.0, integerDigits - 15 + decimals);
        const double whole = std::floor(y);
        const double fraction = y - whole;
        if (y < 4e15 && std::fabs(fraction - 0.5) > 2 * u + y * 0x1p-51) {
            n = uint64_t(whole) + (fraction > 0.5 ? 1 : 0);
            k = decimals;
            exact = true;
        }
    }
    if (exact) {
        // The value is n / 10^k; rounding at a decimal adds half of the
        // last kept unit and cuts.
        if (k > decimals) {
            static constexpr uint64_t Units[] = {1,
                                                 10,
                                                 100,
                                                 1000,
                                                 10000,
                                                 100000,
                                                 1000000,
                                                 10000000,
                                                 100000000,
                                                 1000000000,
                                                 10000000000,
                                                 100000000000,
                                                 1000000000000,
                                                 10000000000000,
                                                 100000000000000,
                                                 1000000000000000,
                                                 10000000000000000,
                                                 100000000000000000,
                                                 1000000000000000000};
            const int drop = k - decimals;
            n = drop > 18 ? 0 : (n + 5 * Units[drop - 1]) / Units[drop];
            k = decimals;
        }
        char digits[20];
        const int count = IntegerDigits(n, digits);
        char *out = text;
        if (value < 0 && n != 0)
            *out++ = '-';
        if (count > k)
            out = std::copy(digits, digits + count - k, out);
        else
            *out++ = '0';
        if (decimals > 0) {
            *out++ = '.';
            if (count < k)
                out = std::fill_n(out, k - count, '0');
            out = std::copy(digits + std::max(count - k, 0), digits + count, out);
            out = std::fill_n(out, decimals - k, '0');
        }
        return int(out - text);
    }
    char digits[15];
    int pointPos = RoundedDigits(std::fabs(value), 15, digits);
    if (pointPos > 15)
        return 0;
    // Digit i of the text "0.000ddd" or "ddd.ddd": zeros in front of the
    // significant digits for magnitudes below 1, zeros after them.
    const int lead = pointPos < 1 ? 1 - pointPos : 0;
    pointPos += lead;
    auto digitAt = [&](int i) {
        i -= lead;
        return i >= 0 && i < 15 ? digits[i] : '0';
    };
    const int keep = pointPos + decimals; // at most 45
    char kept[48];
    for (int i = 0; i < keep; ++i)
        kept[i + 1] = digitAt(i);
    char *first = kept + 1;
    if (digitAt(keep) >= '5' && IncrementDigits(first, keep)) {
        *--first = '1';
        ++pointPos;
    }
    char *end = kept + 1 + keep;
    const bool isZero = std::all_of(first, end, [](char c) { return c == '0'; });
    char *integer = first;
    while (integer < first + pointPos - 1 && *integer == '0')
        ++integer;

    char *out = text;
    if (value < 0 && !isZero)
        *out++ = '-';
    out = std::copy(integer, first + pointPos, out);
    if (decimals > 0) {
        *out++ = '.';
        out = std::copy(first + pointPos, end, out);
    }
    return int(out - text);
}

QString FormatFixed(double value, int decimals, const TFormatSettings &settings)
{
    QChar text[FixedTextCapacity];
    return QString(text, WriteFixed(text, value, decimals, settings));
}

int WriteFixed(QChar *out, double value, int decimals, const TFormatSettings &settings)
{
    auto copy = [out](const QString &text) {
        const int length = int(std::min<qsizetype>(text.size(), FixedTextCapacity));
        std::copy(text.constData(), text.constData() + length, out);
        return length;
    };
    if (!std::isfinite(value))
        return copy(NonFinite(value));
    decimals = std::clamp(decimals, 0, 30);
    char fixed[56];
    const int length = FixedText(value, decimals, fixed);
    if (length == 0) // at most 17 digits, a sign, a separator and an exponent
        return copy(FormatGeneral(value, 15, settings));
    for (int i = 0; i < length; ++i)
        out[i] = fixed[i] == '.' ? settings.DecimalSeparator : QLatin1Char(fixed[i]);
    return length;
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
    char digits[17];
    const int pointPos = RoundedDigits(std::fabs(value), precision, digits);
    int count = precision;
    while (count > 1 && digits[count - 1] == '0')
        --count;
    if (count == 1 && digits[0] == '0')
        return QStringLiteral("0");

    // Written with '.', which becomes the system separator at the end.
    char text[64];
    char *out = text;
    qsizetype separatorAt = -1;
    if (value < 0)
        *out++ = '-';
    if (pointPos > precision || std::fabs(value) < 1e-5) {
        *out++ = digits[0];
        if (count > 1) {
            separatorAt = out - text;
            *out++ = '.';
            out = std::copy(digits + 1, digits + count, out);
        }
        *out++ = 'E';
        out = std::to_chars(out, text + sizeof text, pointPos - 1).ptr;
    } else if (pointPos <= 0) {
        *out++ = '0';
        separatorAt = out - text;
        *out++ = '.';
        out = std::fill_n(out, -pointPos, '0');
        out = std::copy(digits, digits + count, out);
    } else if (count <= pointPos) {
        out = std::copy(digits, digits + count, out);
        out = std::fill_n(out, pointPos - count, '0');
    } else {
        out = std::copy(digits, digits + pointPos, out);
        separatorAt = out - text;
        *out++ = '.';
        out = std::copy(digits + pointPos, digits + count, out);
    }
    QString result = QString::fromLatin1(text, out - text);
    if (separatorAt >= 0)
        result[separatorAt] = settings.DecimalSeparator;
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
    if (settings.LongTimePattern.Usable)
        return settings.LongTimePattern.Format(int(msecs));
    return settings.TimeLocale.toString(QTime::fromMSecsSinceStartOfDay(int(msecs)),
                                        settings.LongTimeFormat);
}

TTimePattern TTimePattern::Compile(const QString &format, const QLocale &locale)
{
    TTimePattern pattern;
    if (locale.zeroDigit() != QLatin1String("0") || format.contains(QLatin1Char('\'')))
        return pattern;
    const QTime morning(0, 0), afternoon(12, 0);
    auto text = [&](const QString &am, const QString &pm) {
        if (pattern.Parts.empty() || pattern.Parts.back().Kind != tkText)
            pattern.Parts.push_back({tkText, {}, {}});
        pattern.Parts.back().Am += am;
        pattern.Parts.back().Pm += pm;
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        if (!c.isLetter()) {
            text(QString(c), QString(c));
            ++i;
            continue;
        }
        const char16_t letter = c.unicode();
        if ((letter == u'A' || letter == u'a') && run == 1) {
            // "A", "a", or with a following "P"/"p": written by QLocale
            // itself, once for the morning and once for the afternoon.
            const qsizetype length =
                i + 1 < format.size() && format[i + 1].toLower() == QLatin1Char('p') ? 2 : 1;
            const QString token = format.mid(i, length);
            text(locale.toString(morning, token), locale.toString(afternoon, token));
            pattern.TwelveHour = true;
            i += length;
            continue;
        }
        if (run > 2)
            return {};
        TKind kind;
        switch (letter) {
        case u'h':
            kind = run == 1 ? tkHour : tkHour2;
            break;
        case u'H':
            kind = run == 1 ? tkHour24 : tkHour24x2;
            break;
        case u'm':
            kind = run == 1 ? tkMinute : tkMinute2;
            break;
        case u's':
            kind = run == 1 ? tkSecond : tkSecond2;
            break;
        default:
            return {};
        }
        pattern.Parts.push_back({kind, {}, {}});
        i += run;
    }
    pattern.Usable = true;
    return pattern;
}

QString TTimePattern::Format(int msecs) const
{
    const int hour = msecs / 3600000;
    const int minute = msecs / 60000 % 60;
    const int second = msecs / 1000 % 60;
    const bool afternoon = hour >= 12;
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    QString result;
    result.reserve(16);
    auto number = [&](int value, bool twoDigits) {
        if (twoDigits || value >= 10)
            result += QLatin1Char(char('0' + value / 10));
        result += QLatin1Char(char('0' + value % 10));
    };
    for (const TPart &part : Parts) {
        switch (part.Kind) {
        case tkText:
            result += afternoon ? part.Pm : part.Am;
            break;
        case tkHour:
        case tkHour2:
            number(TwelveHour ? hour12 : hour, part.Kind == tkHour2);
            break;
        case tkHour24:
        case tkHour24x2:
            number(hour, part.Kind == tkHour24x2);
            break;
        case tkMinute:
        case tkMinute2:
            number(minute, part.Kind == tkMinute2);
            break;
        case tkSecond:
        case tkSecond2:
            number(second, part.Kind == tkSecond2);
            break;
        }
    }
    return result;
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
