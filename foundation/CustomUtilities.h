#pragma once
// Number formatting and parsing with the system default locale, string
// splitting and joining, the date-time encoding, and checked pixel arithmetic.
#include "foundation/Errors.h"

#include <QDateTime>
#include <QFont>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// A Qt time pattern taken apart once, so that a time of day is written
// without parsing the pattern again. Only patterns made of hours, minutes,
// seconds, an AM/PM marker and plain separators, in a locale with ASCII
// digits, are taken apart; for any other the time goes through QLocale.
struct TTimePattern
{
    enum TKind : uint8_t
    {
        tkText, // the same text at every time: Am before noon, Pm after
        tkHour,
        tkHour2,
        tkHour24,
        tkHour24x2,
        tkMinute,
        tkMinute2,
        tkSecond,
        tkSecond2
    };
    struct TPart
    {
        TKind Kind = tkText;
        QString Am;
        QString Pm;
    };
    bool Usable = false;
    bool TwelveHour = false; // an AM/PM marker makes "h" count 1 to 12
    std::vector<TPart> Parts;

    static TTimePattern Compile(const QString &format, const QLocale &locale);
    // The time of day `msecs` after midnight, as QLocale would write it.
    QString Format(int msecs) const;
};

// The number and time settings of the system default locale: the locale that
// the process environment names at the moment of the call (LC_ALL, else
// LC_NUMERIC for numbers and LC_TIME for times, else LANG; "C", "POSIX" or
// nothing mean English conventions). Never the user's current Qt locale.
struct TFormatSettings
{
    QLocale NumberLocale;
    QLocale TimeLocale;
    QChar DecimalSeparator;
    QString LongTimeFormat;                  // Qt time pattern, without a time-zone part
    QString ShortTimeFormat;                 // Qt time pattern, without a time-zone part
    TTimePattern LongTimePattern;            // LongTimeFormat taken apart
    QString ShortMonthName(int month) const; // 1..12, e.g. "Dec"
};

// The returned settings belong to the calling thread and stay valid until its
// next call; copy them to keep them longer.
const TFormatSettings &GetSystemFormatSettings();

// Fixed-point text with exactly `decimals` digits after the separator, at 15
// significant digits, no thousands separators; halves round away from zero.
// Non-finite values give "INF", "-INF" or "NAN" rather than failing.
QString FormatFixed(double value, int decimals);
QString FormatFixed(double value, int decimals, const TFormatSettings &settings);
// FormatFixed written to `out`, which has room for FixedTextCapacity
// characters; returns the number written. For texts built of many numbers.
constexpr int FixedTextCapacity = 64;
int WriteFixed(QChar *out, double value, int decimals, const TFormatSettings &settings);

// General format: the shortest text of at most `precision` significant
// digits; scientific ("1.5E-7", "1E20") for very small or very large values.
QString FormatGeneral(double value, int precision = 15);
QString FormatGeneral(double value, int precision, const TFormatSettings &settings);

// Parses a decimal number written with the system decimal separator. Raises
// EConvertError for an empty text, trailing garbage, another separator, and
// for anything that is not a finite number ("nan", "inf", 1e999).
double StrToFloatSystem(const QString &text);
double StrToFloatSystem(const QString &text, const TFormatSettings &settings);
// Like StrToFloatSystem, without the exception.
bool TryStrToFloatSystem(QStringView text, double &value, const TFormatSettings &settings);

// The one decimal parser behind every number the program reads: an optional
// sign, digits with at most one `separator` among them (at least one digit),
// and with exAllowed an exponent ("e" or "E", optional sign, digits). No
// blanks, at most 400 characters, and the value must be finite. False, with
// value untouched, for anything else.
enum TExponent : uint8_t
{
    exNone = 0,
    exAllowed = 1
};
bool TryParseDecimal(QStringView text, QChar separator, TExponent exponent, double &value);

// Decimal integer with optional sign; EConvertError otherwise (also on overflow).
int32_t StrToInt32(const QString &text);
// "true"/"false" in any letter case, or a number (0 is false); EConvertError otherwise.
bool StrToBool(const QString &text);
QString BoolToStr(bool value); // "true" / "false"

QStringList SplitString(const QString &delimiter, const QString &text);
QString JoinStrings(const QString &delimiter, const QStringList &list);

// Date-times are days since 30 December 1899 00:00 local time; the fraction is
// the time of day. Log files store this encoding.
double DateTimeToDays(const QDateTime &dateTime);
QDateTime DaysToDateTime(double days);
double NowDays();
double TodayDays();
// The time of day of a date-time in the system long time format.
QString FormatLongTime(double days);
QString FormatLongTime(double days, const TFormatSettings &settings);
// "_mmm_dd_yyyy_hhnn": abbreviated month, day, year, hours and minutes,
// as used in proposed file names (Kestrin_Dec_07_2026_1306.txt).
QString FormatFileStamp(const QDateTime &dateTime);

// Checked pixel arithmetic: nothing wraps silently.
int32_t CheckedAdd(int32_t a, int32_t b);      // EIntOverflow
int32_t CheckedSubtract(int32_t a, int32_t b); // EIntOverflow
int32_t CheckedMultiply(int32_t a, int32_t b); // EIntOverflow
// Rounds to the nearest integer, halves to the even neighbour. ERangeError
// when the result does not fit 32 bits, EMathError for a non-finite value.
int32_t RoundToInt32(long double value);

// The platform's default font of pens, labels and titles (pixel-sized, so
// that print scaling multiplies pixels).
QFont DefaultFont();
// Per-process set-up shared by the program, the tools and the tests: font
// substitutions so that "Courier" is a real fixed-pitch face everywhere.
void InitialiseProcess();
