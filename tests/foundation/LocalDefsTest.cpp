#include "foundation/LocalDefs.h"
#include "foundation/WrapperClasses.h"

#include <gtest/gtest.h>

TEST(LocalDefs, ChannelTypeNamesAndOrdinals)
{
    EXPECT_EQ(ChannelTypeToName(ctParallelByte), "Parallel Byte");
    EXPECT_EQ(ChannelTypeToName(ctUnavailable), "Unavailable");
    EXPECT_EQ(ChannelTypeToName(ctCustom), "Custom");
    EXPECT_EQ(ChannelTypeToName(ctUnused), "Unused");
    EXPECT_EQ(ChannelTypeToName(TChannelType(42)), "Unused");
    EXPECT_EQ(int(ctCustom), 8);
    EXPECT_EQ(sizeof(TChannelType), 1u);
    EXPECT_EQ(ChannelTypeColumnSuffix(ctParallelByte), " PB");
    EXPECT_TRUE(ChannelTypeColumnSuffix(ctUnused).isEmpty());
    EXPECT_EQ(ChannelTypeUnitText(ctHumidity), "(%RH)");
    EXPECT_TRUE(ChannelTypeUnitText(ctCustom).isEmpty());
    EXPECT_FALSE(IsPresentChannelType(ctUnavailable));
    EXPECT_TRUE(IsPresentChannelType(ctCustom));
}

TEST(LocalDefs, LengthUnitNamesAreCaseSensitive)
{
    EXPECT_EQ(LengthUnitToName(luFeet), "Feet");
    EXPECT_EQ(LengthUnitToName(luMeters), "Meters");
    EXPECT_EQ(NameToLengthUnit("Feet"), luFeet);
    EXPECT_EQ(NameToLengthUnit("feet"), luMeters);
    EXPECT_EQ(NameToLengthUnit(""), luMeters);
}

TEST(LocalDefs, GraphTypeNames)
{
    EXPECT_EQ(GraphTypeToName(gtTime), "Time");
    EXPECT_EQ(GraphTypeToName(TGraphType(9)), "Standard");
    EXPECT_EQ(NameToGraphType("SkewT"), gtSkewT);
    EXPECT_EQ(NameToGraphType("skewt"), gtStandard);
    EXPECT_EQ(GraphTypeToNodeName(gtSkewT), "SkewTGraph");
    EXPECT_EQ(GraphTypeToNodeName(TGraphType(7)), "StandardGraph");
    EXPECT_EQ(NodeNameToGraphType("TimeGraph"), gtTime);
    try {
        NodeNameToGraphType("Graph");
        FAIL() << "no exception";
    } catch (const EGraphNodeNameError &e) {
        EXPECT_EQ(e.Message(), "Graph is not a valid graph type");
    }
}

TEST(WrapperClasses, DoubleRectAssign)
{
    TDoubleRect a(1, 2, 3, 4), b;
    b.Assign(a);
    EXPECT_EQ(b, a);
    TStringWrapper s("abc");
    EXPECT_EQ(s.Value, "abc");
}
