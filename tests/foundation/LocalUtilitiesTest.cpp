#include "foundation/LocalUtilities.h"
#include "foundation/CustomUtilities.h"

#include <QDomDocument>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <utility>

TEST(Conversions, RoundTripsAndWorkedValues)
{
    EXPECT_NEAR(MetersToFeet(FeetToMeters(1234.5)), 1234.5, 1e-9);
    EXPECT_EQ(FormatFixed(MetersToFeet(1000), 2), "3280.84");
    EXPECT_DOUBLE_EQ(CelsiusToKelvin(0), 273.15);
    EXPECT_DOUBLE_EQ(KelvinToCelsius(273.15), 0.0);
    EXPECT_DOUBLE_EQ(DaysToMinutes(0.5), 720.0);
}

TEST(Meteorology, WorkedNumbers)
{
    // Dry air: the virtual temperature is the temperature itself.
    EXPECT_DOUBLE_EQ(VirtualTemperature(288.15, 0, 1000), 288.15);
    // Moist air is lighter: Tv above T. Hand-computed: E = exp(5423(1/273 - 1/293.15)) = 3.917,
    // e = 0.5 * 6.11 * E = 11.97 mbar, Tv = 293.15 / (1 - 0.378 * 11.97 / 1000) = 294.48 K.
    EXPECT_NEAR(VirtualTemperature(293.15, 50, 1000), 294.48, 0.01);
    // 29.3 * 288.15 * ln(1000/990) = 84.86 m above the base.
    EXPECT_NEAR(HypsometricAltitude(1000, 100, 990, 288.15), 184.86, 0.01);
    EXPECT_DOUBLE_EQ(HypsometricAltitude(1000, 100, 1000, 300), 100.0);
    // At saturation the dew point is the temperature.
    for (double t : {-30.0, 0.0, 15.0, 35.0})
        EXPECT_NEAR(DewPoint(t, 100), t, 1e-9);
    // 20 degC at 50 %RH: a = 0.58207, L = log10(6.11 * 10^a * 50 / 611) = 0.28099,
    // Td = 237.7 L / (7.5 - L) = 9.25 degC.
    EXPECT_NEAR(DewPoint(20, 50), 9.25, 0.01);
}

TEST(Meteorology, IsBetweenInEitherOrder)
{
    EXPECT_TRUE(IsBetween(5, 10, 0));
    EXPECT_TRUE(IsBetween(5, 0, 10));
    EXPECT_TRUE(IsBetween(10, 0, 10));
    EXPECT_FALSE(IsBetween(11, 0, 10));
    EXPECT_FALSE(IsBetween(-0.001, 0, 10));
}

TEST(PenBrushXml, ColoursAreBgrIntegers)
{
    EXPECT_EQ(ColorToInt(QColor(255, 0, 0)), 0x0000FF);
    EXPECT_EQ(ColorToInt(QColor(0, 0, 128)), 0x800000);
    EXPECT_EQ(IntToColor(0x00FF00), QColor(0, 255, 0));
    EXPECT_EQ(IntToColor(0x123456), QColor(0x56, 0x34, 0x12));
}

// A value below zero is a system colour: its usual default is drawn, and the
// value goes back into a file as long as the colour is still that default.
TEST(PenBrushXml, SystemColoursDrawTheirDefaultsAndAreKeptAsRead)
{
    const std::pair<int32_t, QColor> defaults[] = {
        {0, QColor(200, 200, 200)},  {1, QColor(0, 0, 0)},        {5, QColor(255, 255, 255)},
        {8, QColor(0, 0, 0)},        {13, QColor(51, 153, 255)},  {15, QColor(240, 240, 240)},
        {17, QColor(109, 109, 109)}, {24, QColor(255, 255, 225)}, {30, QColor(240, 240, 240)},
        {31, QColor(128, 128, 128)}, // no such colour
    };
    for (const auto &[index, color] : defaults) {
        const int32_t value = INT32_MIN | index;
        EXPECT_EQ(IntToColor(value), color) << index;
        EXPECT_EQ(StoredColorValue(color, value), value) << index;
    }
    // Changed since it was read: the RGB goes in. So does a plain colour,
    // and one whose stored form had bits beyond the colour keeps them.
    EXPECT_EQ(StoredColorValue(QColor(1, 2, 3), INT32_MIN | 13), 0x030201);
    EXPECT_EQ(StoredColorValue(QColor(1, 2, 3), 0x030201), 0x030201);
    EXPECT_EQ(StoredColorValue(QColor(255, 255, 255), 0x1FFFFFFF), 0x1FFFFFFF);
}

TEST(PenBrushXml, SaveAndLoad)
{
    QDomDocument doc;
    QDomElement root = doc.createElement("Root");
    doc.appendChild(root);
    QDomElement penElement = AddChildElement(root, "Pen");
    QPen pen(QColor(0, 0, 255), 3, Qt::DashLine);
    SavePenToXml(pen, penElement);
    EXPECT_EQ(penElement.firstChildElement().tagName(), "Color");
    EXPECT_EQ(penElement.firstChildElement().text(), QString::number(0xFF0000));
    EXPECT_EQ(penElement.lastChildElement().tagName(), "Width");
    EXPECT_EQ(penElement.lastChildElement().text(), "3");

    QPen loaded(Qt::green, 7, Qt::DotLine);
    LoadPenFromXml(loaded, penElement);
    EXPECT_EQ(loaded.color(), QColor(0, 0, 255));
    EXPECT_EQ(loaded.width(), 3);
    EXPECT_EQ(loaded.style(), Qt::SolidLine); // a loaded pen is always solid

    // A missing child leaves the default, not the previous value.
    QDomElement partial = AddChildElement(root, "Partial");
    AddChildElement(partial, "Width", "4");
    AddChildElement(partial, "Other", "x");
    LoadPenFromXml(loaded, partial);
    EXPECT_EQ(loaded.color(), QColor(Qt::black));
    EXPECT_EQ(loaded.width(), 4);

    QDomElement brushElement = AddChildElement(root, "Brush");
    SaveBrushToXml(QBrush(QColor(1, 2, 3), Qt::Dense4Pattern), brushElement);
    QBrush brush(Qt::red, Qt::CrossPattern);
    LoadBrushFromXml(brush, brushElement);
    EXPECT_EQ(brush.color(), QColor(1, 2, 3));
    EXPECT_EQ(brush.style(), Qt::SolidPattern);

    QDomElement bad = AddChildElement(root, "Bad");
    AddChildElement(bad, "Color", "red");
    EXPECT_THROW(LoadBrushFromXml(brush, bad), EConvertError);
    EXPECT_EQ(brush.color(), QColor(1, 2, 3)); // unchanged on failure
}
