// The number and time formatting must write exactly what the first, plainly
// written versions wrote: printf-based number texts and QLocale time texts.
// Those versions are kept here as the reference and compared over rounding
// ties, edge values and sweeps of random values, in the locales the tests use.
#include "foundation/CustomUtilities.h"

#include "support/TestSupport.h"

#include <QTime>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

// --- the reference: the formatting as first written ----------------------

void ReferenceDigits(double value, int precision, std::string &digits, int &pointPos)
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

QString ReferenceNonFinite(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

QString ReferenceGeneral(double value, int precision, QChar separator)
{
    if (!std::isfinite(value))
        return ReferenceNonFinite(value);
    if (value == 0.0)
        return QStringLiteral("0");
    precision = std::clamp(precision, 1, 17);
    std::string digits;
    int pointPos = 0;
    ReferenceDigits(value, precision, digits, pointPos);
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
            result += separator;
            result += QLatin1String(digits.data() + 1, qsizetype(digits.size() - 1));
        }
        result += QLatin1Char('E');
        result += QString::number(pointPos - 1);
        return result;
    }
    if (pointPos <= 0) {
        result += QLatin1Char('0');
        result += separator;
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
    result += separator;
    result += QLatin1String(digits.data() + pointPos, qsizetype(digits.size()) - pointPos);
    return result;
}

QString ReferenceFixed(double value, int decimals, QChar separator)
{
    if (!std::isfinite(value))
        return ReferenceNonFinite(value);
    decimals = std::clamp(decimals, 0, 30);
    std::string digits;
    int pointPos = 0;
    ReferenceDigits(value, 15, digits, pointPos);
    if (pointPos > 15)
        return ReferenceGeneral(value, 15, separator);
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
    if (value < 0 && !isZero)
        result += QLatin1Char('-');
    result += QLatin1String(integer.data(), qsizetype(integer.size()));
    if (decimals > 0) {
        result += separator;
        result += QLatin1String(fraction.data(), qsizetype(fraction.size()));
    }
    return result;
}

// --- the values compared --------------------------------------------------

// Ties at every decimal the program uses, the neighbours of each tie, and
// values whose 15-digit text ends in 5 or 9s.
std::vector<double> EdgeValues()
{
    std::vector<double> values{0.0,
                               -0.0,
                               0.5,
                               1.5,
                               2.5,
                               -2.5,
                               0.125,
                               2.675,
                               9.95,
                               99.95,
                               -0.04,
                               0.05,
                               1e-300,
                               5e-324,
                               1e15,
                               1e16,
                               1e17,
                               1e22,
                               1.7e308,
                               999999999999999.0,
                               9.5e14,
                               -9999.0,
                               46363.54583333333,
                               0.1 + 0.2};
    for (int decimals = 0; decimals <= 6; ++decimals) {
        const double unit = std::pow(10.0, -decimals);
        for (int k = -2000; k <= 2000; k += 7) {
            const double tie = (k + 0.5) * unit;
            values.insert(values.end(),
                          {tie, std::nextafter(tie, 1e300), std::nextafter(tie, -1e300), k * unit});
        }
    }
    // Halves of larger numbers, where the 15th digit lies close behind the
    // decimal that is rounded.
    for (double tie : {1234.5, 98765.25, 1e10 + 0.5, 99999999999999.5, 12345678.125, 0.0015,
                       987654321.05, 4503599627370495.5})
        for (double v : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300)})
            values.insert(values.end(), {v, -v, v / 3, v * 7.1});
    for (double scale = 1e-7; scale < 1e17; scale *= 10)
        for (double m : {0.999999999999999, 0.9999999999999995, 0.99999999999999949,
                         0.1234567890123455, 0.5, 0.05})
            values.insert(values.end(), {m * scale, -m * scale, std::nextafter(m * scale, 0.0)});
    return values;
}

std::vector<double> RandomValues(int count)
{
    std::mt19937_64 random(18);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-12, 18);
    std::uniform_int_distribution<uint64_t> bits;
    std::vector<double> values;
    for (int i = 0; i < count; ++i) {
        values.push_back(unit(random) * std::pow(10.0, exponent(random)));
        // Values as sensors and the derivation produce them: few decimals.
        values.push_back(std::round(unit(random) * 1e6) / 100.0);
        double raw;
        const uint64_t b = bits(random);
        std::memcpy(&raw, &b, sizeof raw);
        values.push_back(raw); // anything a double can hold, NaN included
    }
    return values;
}

void ExpectSameNumbers(const char *locale, const std::vector<double> &values)
{
    LocaleGuard guard(locale);
    const QChar separator = GetSystemFormatSettings().DecimalSeparator;
    int failures = 0;
    for (double v : values) {
        for (int decimals : {0, 1, 2, 3, 5, 15}) {
            const QString expected = ReferenceFixed(v, decimals, separator);
            const QString actual = FormatFixed(v, decimals);
            if (actual != expected && ++failures <= 10)
                ADD_FAILURE() << locale << " FormatFixed(" << std::hexfloat << v << ", " << decimals
                              << "): " << actual.toStdString() << " instead of "
                              << expected.toStdString();
        }
        for (int precision : {10, 15, 17}) {
            const QString expected = ReferenceGeneral(v, precision, separator);
            const QString actual = FormatGeneral(v, precision);
            if (actual != expected && ++failures <= 10)
                ADD_FAILURE() << locale << " FormatGeneral(" << std::hexfloat << v << ", "
                              << precision << "): " << actual.toStdString() << " instead of "
                              << expected.toStdString();
        }
    }
    EXPECT_EQ(failures, 0) << locale;
}

constexpr const char *Locales[] = {"C", "en_US.UTF-8", "de_DE.UTF-8"};

} // namespace

TEST(FormattingEquivalence, NumbersAtTiesAndEdges)
{
    const std::vector<double> values = EdgeValues();
    for (const char *locale : Locales)
        ExpectSameNumbers(locale, values);
}

TEST(FormattingEquivalence, NumbersOverRandomValues)
{
    ExpectSameNumbers("C", RandomValues(60000));
    ExpectSameNumbers("de_DE.UTF-8", RandomValues(5000));
}

// Every second of the day, and some milliseconds, against QLocale itself, in
// locales whose patterns differ: 12 and 24 hours, AM/PM in front or behind,
// other separators, and a locale whose digits are not ASCII.
TEST(FormattingEquivalence, TimeOfDayInEveryLocale)
{
    for (const char *locale : {"C", "en_US.UTF-8", "de_DE.UTF-8", "fr_FR", "en_GB", "ko_KR",
                               "zh_CN", "ja_JP", "fi_FI", "ar_EG", "hi_IN", "it_IT"}) {
        LocaleGuard guard(locale);
        const TFormatSettings &settings = GetSystemFormatSettings();
        // The locales of the program's tests take the fast path.
        if (std::strncmp(locale, "en_US", 5) == 0 || std::strncmp(locale, "de_DE", 5) == 0 ||
            std::strcmp(locale, "C") == 0) {
            EXPECT_TRUE(settings.LongTimePattern.Usable) << locale;
        }
        int failures = 0;
        for (int msecs = 0; msecs < 86400000; msecs += 997) {
            const QString expected = settings.TimeLocale.toString(
                QTime::fromMSecsSinceStartOfDay(msecs), settings.LongTimeFormat);
            const QString actual = FormatLongTime(2.0 + msecs / 86400000.0);
            if (actual != expected && ++failures <= 5)
                ADD_FAILURE() << locale << " at " << msecs << " ms: " << actual.toStdString()
                              << " instead of " << expected.toStdString();
        }
        EXPECT_EQ(failures, 0) << locale << " (" << settings.LongTimeFormat.toStdString() << ")";
    }
}
