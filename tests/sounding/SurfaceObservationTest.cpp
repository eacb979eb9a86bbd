#include "sounding/SurfaceObservation.h"

#include "support/TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

// The command-line form, with a decimal comma in the locale: every problem
// in the order of the fields, and nothing given back unless all are valid.
TEST(SurfaceObservation, ParsesTheCommandLineForm)
{
    LocaleGuard german("de_DE.UTF-8");
    const auto calm = ParseSurfaceObservation(QStringLiteral("1001.6,14.0,78"));
    ASSERT_TRUE(calm.Observation) << calm.Problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(*calm.Observation, (TSurfaceObservation{1001.6, 14.0, 78.0, {}, {}}));
    EXPECT_FALSE(calm.Observation->HasWind());
    const auto windy = ParseSurfaceObservation(QStringLiteral(" 1001.6, 14.0 ,78,250,4.5"));
    ASSERT_TRUE(windy.Observation);
    EXPECT_EQ(*windy.Observation, (TSurfaceObservation{1001.6, 14.0, 78.0, 250.0, 4.5}));

    struct TCase
    {
        const char *Text;
        QStringList Problems;
    };
    const TCase cases[] = {
        {"1001.6,14.0",
         {"The surface observation must be P,T,RH or P,T,RH,DIR,SPEED (for "
          "example 1001.6,14.0,78,250,4.5), not \"1001.6,14.0\""}},
        {"1001.6,14.0,78,250",
         {"The surface observation must be P,T,RH or P,T,RH,DIR,SPEED "
          "(for example 1001.6,14.0,78,250,4.5), not \"1001.6,14.0,78,250\""}},
        {"1001.6,abc,101,0,4.5",
         {"The air temperature \"abc\" is not a number",
          "The relative humidity must be between 0 and 100 %",
          "A wind direction of 0 means calm and needs a speed of 0; a wind from the north is "
          "360 degrees"}},
        {"499.9,60.1,-0.1,361,150.1",
         {"The station pressure must be between 500 and 1100 hPa",
          "The air temperature must be between -90 and 60 \u00B0C",
          "The relative humidity must be between 0 and 100 %",
          "The wind direction must be between 1 and 360 degrees true (0 only for calm)",
          "The wind speed must be between 0 and 150 m/s"}},
        {"1001.6,14,78,250,", {"The wind speed \"\" is not a number"}},
        {"1e3,14,78", {"The station pressure \"1e3\" is not a number"}},
    };
    for (const TCase &c : cases) {
        const auto parsed = ParseSurfaceObservation(QString::fromUtf8(c.Text));
        EXPECT_FALSE(parsed.Observation) << c.Text;
        EXPECT_EQ(parsed.Problems, c.Problems) << c.Text;
    }
    // The edges of every range are valid; calm is 0 with 0.
    for (const char *text : {"500,-90,0,0,0", "1100,60,100,360,150", "1013.2,0,50,1,0"})
        EXPECT_TRUE(ParseSurfaceObservation(QString::fromLatin1(text)).Observation) << text;
    EXPECT_TRUE(ParseSurfaceObservation(QStringLiteral("1013,0,50,0,0")).Observation->IsCalm());
}

// A wind needs both parts, whoever built the observation; NaN is no value.
TEST(SurfaceObservation, ProblemsOfABuiltObservation)
{
    TSurfaceObservation o{1001.6, std::nan(""), 78.0, 250.0, {}};
    EXPECT_EQ(SurfaceObservationProblems(o),
              (QStringList{"The air temperature must be between -90 and 60 \u00B0C",
                           "A wind needs both its direction and its speed"}));
    o.Temperature = 14.0;
    o.WindSpeed = 4.5;
    EXPECT_TRUE(SurfaceObservationProblems(o).isEmpty());
}

// The program's own dew point (Magnus with 7.5 and 237.7): 14 degC at 78 %
// gives 10.22 degC; 20 degC at 100 % is 20 degC; dry air has none.
TEST(SurfaceObservation, DewPoint)
{
    EXPECT_NEAR((TSurfaceObservation{1001.6, 14.0, 78.0, {}, {}}).DewPoint(), 10.22, 0.01);
    EXPECT_NEAR((TSurfaceObservation{1001.6, 20.0, 100.0, {}, {}}).DewPoint(), 20.0, 1e-9);
    EXPECT_TRUE(std::isnan((TSurfaceObservation{1001.6, 20.0, 0.0, {}, {}}).DewPoint()));
}
