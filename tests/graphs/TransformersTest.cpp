#include "graphs/Transformers.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(Transformers, FreshTransformersAndLinearMapping)
{
    EXPECT_EQ(TTransformer2D().TransformPoint(12.4, -7.6), QPoint(12, -8));
    EXPECT_EQ(TLogPTransformer().TransformPoint(3, 1000), QPoint(3, 7)); // ln 1000 = 6.9
    EXPECT_EQ(TSkewTTransformer().TransformPoint(3, 1000), QPoint(-4, 7));

    TTransformer2D t;
    t.SetMapping(TDoubleRect(0, 100, 10, 0), TRect{50, 20, 450, 320});
    EXPECT_EQ(t.TransformPoint(0, 100), QPoint(50, 20));
    EXPECT_EQ(t.TransformPoint(10, 0), QPoint(450, 320));
    EXPECT_EQ(t.TransformPoint(5, 50), QPoint(250, 170));
    EXPECT_EQ(t.TransformPoint(20, -100), QPoint(850, 620)); // no clipping
    t.Translate(10, 0);                                      // acts on device coordinates
    EXPECT_EQ(t.TransformPoint(5, 50), QPoint(260, 170));
}

TEST(Transformers, HalvesRoundToEven)
{
    TTransformer2D t;
    EXPECT_EQ(t.TransformPoint(2.5, 3.5), QPoint(2, 4));
    EXPECT_EQ(t.TransformPoint(-2.5, -3.5), QPoint(-2, -4));
    t.SetMapping(TDoubleRect(0, 4, 4, 0), TRect{0, 0, 10, 10}); // 2.5 pixels per unit
    EXPECT_EQ(t.TransformPoint(1, 4).x(), 2);                   // 2.5
    EXPECT_EQ(t.TransformPoint(3, 4).x(), 8);                   // 7.5
}

TEST(Transformers, ErrorsInsteadOfWrappedPixels)
{
    TTransformer2D t;
    t.SetMapping(TDoubleRect(0, 1, 1, 0), TRect{0, 0, 1000, 1000});
    EXPECT_EQ(t.TransformPoint(2e6, 0).x(), 2000000000);
    EXPECT_THROW(t.TransformPoint(1e7, 0.5), ERangeError); // 1e10 pixels
    EXPECT_THROW(t.TransformPoint(0.5, -1e7), ERangeError);
    EXPECT_THROW(t.TransformPoint(std::nan(""), 0), EMathError);
    EXPECT_THROW(t.SetMapping(TDoubleRect(0, 1, 1, 0), TRect{-2000000000, 0, 2000000000, 10}),
                 EIntOverflow);
    EXPECT_THROW(t.SetMapping(TDoubleRect(5, 10, 5, 0), TRect{0, 0, 100, 100}), EMathError);
    EXPECT_THROW(t.SetMapping(TDoubleRect(0, 3, 10, 3), TRect{0, 0, 100, 100}), EMathError);
    EXPECT_EQ(t.TransformPoint(0.5, 0.5), QPoint(500, 500)); // the old mapping stands

    TLogPTransformer logP;
    EXPECT_THROW(logP.SetMapping(TDoubleRect(0, 500, 10, 500), TRect{0, 0, 9, 9}), EMathError);
    EXPECT_THROW(logP.SetMapping(TDoubleRect(0, 0, 10, 1000), TRect{0, 0, 9, 9}), EMathError);
    EXPECT_THROW(logP.TransformPoint(1, 0), EMathError);
    EXPECT_THROW(logP.TransformPoint(1, -3), EMathError);

    TSkewTTransformer skew; // x at the right edge, y at the top: the shear passes 32 bits
    skew.SetMapping(TDoubleRect(0, 100, 1, 1000), TRect{0, 0, 2000000000, 2000000000});
    EXPECT_THROW(skew.TransformPoint(1, 100), EIntOverflow);
}

TEST(Transformers, LogPressureAndSkew)
{
    TLogPTransformer logP;
    logP.SetMapping(TDoubleRect(-40, 100, 40, 1000), TRect{0, 0, 800, 600});
    EXPECT_EQ(logP.TransformPoint(-40, 100), QPoint(0, 0));
    EXPECT_EQ(logP.TransformPoint(40, 1000), QPoint(800, 600));
    EXPECT_EQ(logP.TransformPoint(0, 316.23), QPoint(400, 300)); // geometric mean

    TSkewTTransformer skew;
    skew.SetMapping(TDoubleRect(-40, 100, 40, 1000), TRect{0, 0, 800, 600});
    EXPECT_EQ(skew.SkewOrigin(), 600);
    EXPECT_EQ(skew.TransformPoint(0, 1000), QPoint(400, 600));   // bottom edge: no shift
    EXPECT_EQ(skew.TransformPoint(0, 100), QPoint(1000, 0));     // top: 600 to the right
    EXPECT_EQ(skew.TransformPoint(0, 316.23), QPoint(700, 300)); // halfway: 300
}
