#include "foundation/CustomUtilities.h"

#include "support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

TEST(FormatFixed, PointLocale)
{
    LocaleGuard locale("en_US.UTF-8");
    EXPECT_EQ(FormatFixed(1000.0, 1), "1000.0");
    EXPECT_EQ(FormatFixed(0.0, 0), "0");
    EXPECT_EQ(FormatFixed(-1.5, 1), "-1.5");
    EXPECT_EQ(FormatFixed(123456789.0, 2), "123456789.00"); // no thousands separators
    EXPECT_EQ(FormatFixed(2.5, 0), "3");                    // halves away from zero
    EXPECT_EQ(FormatFixed(-2.5, 0), "-3");
    EXPECT_EQ(FormatFixed(0.125, 2), "0.13");
    EXPECT_EQ(FormatFixed(2.675, 2), "2.68"); // 15 significant digits first
    EXPECT_EQ(FormatFixed(9.96, 1), "10.0");
    EXPECT_EQ(FormatFixed(-0.04, 1), "0.0"); // no negative zero
    EXPECT_EQ(FormatFixed(0.000123, 5), "0.00012");
    EXPECT_EQ(FormatFixed(99.95, 1), "100.0");
}

TEST(FormatFixed, CommaLocaleAndNonFinite)
{
    LocaleGuard locale("de_DE.UTF-8");
    EXPECT_EQ(FormatFixed(1013.25, 1), "1013,3");
    EXPECT_EQ(FormatFixed(-40.0, 0), "-40");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 0), "INF");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 0), "-INF");
    EXPECT_EQ(FormatFixed(std::nan(""), 2), "NAN");
}

TEST(FormatGeneral, ShortestForm)
{
    LocaleGuard locale("C");
    EXPECT_EQ(FormatGeneral(1000), "1000");
    EXPECT_EQ(FormatGeneral(0.5), "0.5");
    EXPECT_EQ(FormatGeneral(0.1), "0.1");
    EXPECT_EQ(FormatGeneral(-123.5), "-123.5");
    EXPECT_EQ(FormatGeneral(0), "0");
    EXPECT_EQ(FormatGeneral(46363.545833333333), "46363.5458333333");
    EXPECT_EQ(FormatGeneral(1e20), "1E20");
    EXPECT_EQ(FormatGeneral(1.5e-7), "1.5E-7");
    EXPECT_EQ(FormatGeneral(0.00012), "0.00012");
    LocaleGuard comma("de_DE");
    EXPECT_EQ(FormatGeneral(304.8), "304,8");
}

TEST(StrToFloatSystem, FollowsTheSystemSeparator)
{
    {
        LocaleGuard locale("en_US.UTF-8");
        EXPECT_DOUBLE_EQ(StrToFloatSystem("1.5"), 1.5);
        EXPECT_DOUBLE_EQ(StrToFloatSystem(" -2.25 "), -2.25);
        EXPECT_DOUBLE_EQ(StrToFloatSystem("1e3"), 1000.0);
        EXPECT_DOUBLE_EQ(StrToFloatSystem(".5"), 0.5);
        EXPECT_DOUBLE_EQ(StrToFloatSystem("+7"), 7.0);
        EXPECT_THROW(StrToFloatSystem("1,5"), EConvertError);
    }
    {
        LocaleGuard locale("de_DE.UTF-8");
        EXPECT_DOUBLE_EQ(StrToFloatSystem("1,5"), 1.5);
        EXPECT_THROW(StrToFloatSystem("1.5"), EConvertError);
    }
}

TEST(StrToFloatSystem, RefusesWhatIsNotAFiniteNumber)
{
    LocaleGuard locale("C");
    for (const char *bad : {"", "  ", "abc", "1.5x", "nan", "NaN", "inf", "-Infinity", "1e999",
                            "1e", "-", ".", "1 2", "0x10"}) {
        EXPECT_THROW(StrToFloatSystem(bad), EConvertError) << bad;
    }
    try {
        StrToFloatSystem("abc");
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
    }
}

TEST(StrToInt32AndBool, Conversions)
{
    EXPECT_EQ(StrToInt32("-42"), -42);
    EXPECT_EQ(StrToInt32("+7"), 7);
    EXPECT_THROW(StrToInt32(""), EConvertError);
    EXPECT_THROW(StrToInt32("1.5"), EConvertError);
    EXPECT_THROW(StrToInt32("99999999999"), EConvertError);
    EXPECT_TRUE(StrToBool("true"));
    EXPECT_TRUE(StrToBool("True"));
    EXPECT_FALSE(StrToBool("false"));
    EXPECT_FALSE(StrToBool("0"));
    EXPECT_THROW(StrToBool("yes"), EConvertError);
    EXPECT_EQ(BoolToStr(true), "true");
}

TEST(SplitString, KeepsEmptyPiecesAndTheLastOne)
{
    EXPECT_EQ(SplitString("\t", "a\t\tb\t"), (QStringList{"a", "", "b", ""}));
    EXPECT_EQ(SplitString("\t", ""), QStringList{""});
    EXPECT_EQ(SplitString(",", "abc"), QStringList{"abc"});
    EXPECT_EQ(SplitString("::", "a::b::"), (QStringList{"a", "b", ""}));
    EXPECT_EQ(JoinStrings("\t", {}), "");
    EXPECT_EQ(JoinStrings("\t", {"a", "b"}), "a\tb");
}

TEST(DateTime, EncodingOfDays)
{
    const QDateTime dt(QDate(2026, 12, 7), QTime(13, 6, 0));
    const double days = DateTimeToDays(dt);
    EXPECT_NEAR(days, 46363.0 + (13 * 60 + 6) / 1440.0, 1e-9);
    EXPECT_EQ(DaysToDateTime(days), dt);
    EXPECT_EQ(DaysToDateTime(0.0), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    EXPECT_DOUBLE_EQ(TodayDays(), std::floor(TodayDays()));
}

TEST(DateTime, LongTimeAndFileStampFollowTheLocale)
{
    const QDateTime dt(QDate(2026, 12, 7), QTime(13, 6, 5));
    {
        LocaleGuard locale("C");
        EXPECT_EQ(FormatLongTime(DateTimeToDays(dt)), "1:06:05 PM");
        EXPECT_EQ(FormatFileStamp(dt), "_Dec_07_2026_1306");
    }
    {
        LocaleGuard locale("de_DE.UTF-8");
        EXPECT_EQ(FormatLongTime(DateTimeToDays(dt)), "13:06:05");
        EXPECT_EQ(FormatFileStamp(dt), "_Dez_07_2026_1306");
    }
}

TEST(CheckedArithmetic, RaisesInsteadOfWrapping)
{
    EXPECT_EQ(CheckedAdd(2, 3), 5);
    EXPECT_EQ(CheckedSubtract(2, 3), -1);
    EXPECT_EQ(CheckedMultiply(-4, 5), -20);
    EXPECT_THROW(CheckedAdd(INT32_MAX, 1), EIntOverflow);
    EXPECT_THROW(CheckedSubtract(INT32_MIN, 1), EIntOverflow);
    EXPECT_THROW(CheckedMultiply(65536, 65536), EIntOverflow);
    EXPECT_EQ(RoundToInt32(2.5L), 2);
    EXPECT_EQ(RoundToInt32(3.5L), 4);
    EXPECT_EQ(RoundToInt32(-2.5L), -2);
    EXPECT_EQ(RoundToInt32(6.5L), 6);
    EXPECT_EQ(RoundToInt32(7.5L), 8);
    EXPECT_EQ(RoundToInt32(2147483647.4L), INT32_MAX);
    EXPECT_THROW(RoundToInt32(2147483648.0L), ERangeError);
    EXPECT_THROW(RoundToInt32(-1e12L), ERangeError);
    EXPECT_THROW(RoundToInt32(std::numeric_limits<long double>::quiet_NaN()), EMathError);
}
