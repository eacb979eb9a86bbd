#include "graphs/Transformers.h"

#include <QPoint>
#include <cmath>
#include <gtest/gtest.h>

TEST(Transformer2D, FreshTransformersMapWorldUnitsOneToOne)
{
    TTransformer2D linear;
    EXPECT_EQ(linear.TransformPoint(12.4, -7.6), QPoint(12, -8));
    TLogPTransformer logP;
    // ln 1000 = 6.908 -> 7
    EXPECT_EQ(logP.TransformPoint(3.0, 1000.0), QPoint(3, 7));
    TSkewTTransformer skew;
    EXPECT_EQ(skew.SkewOrigin(), 0);
    EXPECT_EQ(skew.TransformPoint(3.0, 1000.0), QPoint(3 - 7, 7));
}

TEST(Transformer2D, LinearMappingOfTheWorkedRectangles)
{
    TTransformer2D t;
    t.SetMapping(TDoubleRect(0, 100, 10, 0), TRect{50, 20, 450, 320});
    EXPECT_EQ(t.TransformPoint(0, 100), QPoint(50, 20));
    EXPECT_EQ(t.TransformPoint(10, 0), QPoint(450, 320));
    EXPECT_EQ(t.TransformPoint(5, 50), QPoint(250, 170));
    // No clipping: outside the world is outside the device rectangle.
    EXPECT_EQ(t.TransformPoint(20, -100), QPoint(850, 620));

    // Scale and Translate act on device coordinates after the mapping.
    t.Translate(10, 0);
    EXPECT_EQ(t.TransformPoint(0, 100), QPoint(60, 20));
    EXPECT_EQ(t.TransformPoint(5, 50), QPoint(260, 170));
    t.Scale(2, 1);
    EXPECT_EQ(t.TransformPoint(5, 50), QPoint(520, 170));
    t.SetIdentity();
    EXPECT_EQ(t.TransformPoint(5, 50), QPoint(5, 50));
}

TEST(Transformer2D, HalvesRoundToEven)
{
    TTransformer2D t;
    EXPECT_EQ(t.TransformPoint(2.5, 3.5), QPoint(2, 4));
    EXPECT_EQ(t.TransformPoint(-2.5, -3.5), QPoint(-2, -4));
    EXPECT_EQ(t.TransformPoint(0.5, 1.5), QPoint(0, 2));
    // A computed half: 0.25 * 10 = 2.5 through the mapping.
    t.SetMapping(TDoubleRect(0, 4, 4, 0), TRect{0, 0, 10, 10});
    EXPECT_EQ(t.TransformPoint(1, 4).x(), 2);
    EXPECT_EQ(t.TransformPoint(3, 4).x(), 8); // 7.5
}

TEST(Transformer2D, FarOutsideRaisesInsteadOfWrapping)
{
    TTransformer2D t;
    t.SetMapping(TDoubleRect(0, 1, 1, 0), TRect{0, 0, 1000, 1000});
    // 1e7 world units = 1e10 pixels: beyond 32 bits.
    EXPECT_THROW(t.TransformPoint(1e7, 0.5), ERangeError);
    EXPECT_THROW(t.TransformPoint(0.5, -1e7), ERangeError);
    EXPECT_EQ(t.TransformPoint(2e6, 0).x(), 2000000000);
    EXPECT_THROW(t.TransformPoint(std::nan(""), 0), EMathError);

    // Device rectangles whose differences overflow.
    EXPECT_THROW(t.SetMapping(TDoubleRect(0, 1, 1, 0), TRect{-2000000000, 0, 2000000000, 10}),
                 EIntOverflow);
}

TEST(Transformer2D, DegenerateWorldRectanglesAreMathErrors)
{
    TTransformer2D t;
    t.SetMapping(TDoubleRect(0, 10, 10, 0), TRect{0, 0, 100, 100});
    EXPECT_THROW(t.SetMapping(TDoubleRect(5, 10, 5, 0), TRect{0, 0, 100, 100}), EMathError);
    EXPECT_THROW(t.SetMapping(TDoubleRect(0, 3, 10, 3), TRect{0, 0, 100, 100}), EMathError);
    // A refused mapping keeps the previous one.
    EXPECT_EQ(t.TransformPoint(5, 5), QPoint(50, 50));

    TLogPTransformer logP;
    EXPECT_THROW(logP.SetMapping(TDoubleRect(0, 500, 10, 500), TRect{0, 0, 100, 100}), EMathError);
    EXPECT_THROW(logP.SetMapping(TDoubleRect(0, 0, 10, 1000), TRect{0, 0, 100, 100}), EMathError);
    EXPECT_THROW(logP.SetMapping(TDoubleRect(0, 100, 10, -5), TRect{0, 0, 100, 100}), EMathError);
    EXPECT_THROW(logP.TransformPoint(1, 0), EMathError);
    EXPECT_THROW(logP.TransformPoint(1, -3), EMathError);
}

TEST(Transformers, LogPressureMapping)
{
    TLogPTransformer t;
    t.SetMapping(TDoubleRect(-40, 100, 40, 1000), TRect{0, 0, 800, 600});
    EXPECT_EQ(t.TransformPoint(-40, 100), QPoint(0, 0));
    EXPECT_EQ(t.TransformPoint(40, 1000), QPoint(800, 600));
    EXPECT_EQ(t.TransformPoint(0, 316.23), QPoint(400, 300)); // geometric mean
}

TEST(Transformers, SkewShiftsByHeightAboveTheBottomEdge)
{
    TSkewTTransformer t;
    t.SetMapping(TDoubleRect(-40, 100, 40, 1000), TRect{0, 0, 800, 600});
    EXPECT_EQ(t.SkewOrigin(), 600);
    EXPECT_EQ(t.TransformPoint(0, 1000), QPoint(400, 600));         // bottom: no shift
    EXPECT_EQ(t.TransformPoint(0, 100), QPoint(400 + 600, 0));      // top: 600 right
    EXPECT_EQ(t.TransformPoint(0, 316.23), QPoint(400 + 300, 300)); // halfway: 300
    // An isotherm rises at 45 degrees whatever the aspect ratio.
    t.SetMapping(TDoubleRect(-40, 100, 40, 1000), TRect{10, 20, 110, 920});
    const QPoint bottom = t.TransformPoint(0, 1000), top = t.TransformPoint(0, 100);
    EXPECT_EQ(top.x() - bottom.x(), bottom.y() - top.y());
    EXPECT_EQ(bottom, QPoint(60, 920));
}

TEST(Transformers, SkewOverflowIsReported)
{
    TSkewTTransformer t;
    t.SetMapping(TDoubleRect(0, 100, 1, 1000), TRect{0, 0, 2000000000, 2000000000});
    // x at the right edge, y at the top: the shear pushes x past 32 bits.
    EXPECT_THROW(t.TransformPoint(1, 100), EIntOverflow);
}
