#include "pipeline/Report.h"

#include <gtest/gtest.h>

TEST(Report, HeadingsJoinChannelNamesAndRowsWithErrorsAreLeftOut)
{
    const QStringList headers{
        QStringLiteral("Ch1 T     Ch2 P     Ch10 PB   Dewpt     Alt       Rise      "),
        QStringLiteral("(degC)    (mbar)              (degC)    (m)       (m/min)   ")};
    const QStringList lefts{QStringLiteral("13:06:07"), QStringLiteral("13:06:08"),
                            QStringLiteral("1:06:09 PM"), QStringLiteral("13:06:10")};
    const QStringList rights{
        QStringLiteral("15.0      1000.0    7         4.6       100       0 "),
        QStringLiteral("Error     999.0     8         0.0       101       60"),
        QStringLiteral("14.9      998.0     9         4.5       117       -INF"),
        QStringLiteral("14.8      eRRor     9         4.5       117       0")};
    EXPECT_EQ(ReportLines(QStringLiteral("Kestrin_Dec_07_2026_1306.txt"), headers, lefts, rights),
              QStringList({"Kestrin Report", "LogFile: Kestrin_Dec_07_2026_1306.txt", "",
                           "Time\tCh1 T\tCh2 P\tCh10 PB\tDewpt\tAlt\tRise",
                           "\t(degC)\t(mbar)\t(degC)\t(m)\t(m/min)",
                           "13:06:07\t15.0\t1000.0\t7\t4.6\t100\t0",
                           "1:06:09 PM\t14.9\t998.0\t9\t4.5\t117\t-INF"}));
}

TEST(Report, FieldSplitting)
{
    EXPECT_EQ(SplitReportFields(QStringLiteral("  a\tb\x01"
                                               "c  ")),
              QStringList({"a", "b", "c"}));
    EXPECT_EQ(SplitReportFields(QStringLiteral("\"two words\" x,y , z")),
              QStringList({"two words", "x", "y", "z"}));
    EXPECT_EQ(SplitReportFields(QStringLiteral("\"say \"\"hi\"\"\"")), QStringList({"say \"hi\""}));
    // Written under a decimal comma the numbers stay whole.
    EXPECT_EQ(SplitReportFields(QStringLiteral("15,3      1000,25   -INF      ")),
              QStringList({"15,3", "1000,25", "-INF"}));
    EXPECT_TRUE(SplitReportFields(QStringLiteral("   ")).isEmpty());
}
