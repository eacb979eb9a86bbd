#pragma once
// Unit conversions, the meteorological formulas, and the XML storage of pens
// and brushes (colours as the integer 0x00BBGGRR).
#include <QBrush>
#include <QColor>
#include <QDomElement>
#include <QPen>
#include <cstdint>

inline double MetersToFeet(double m)
{
    return m / 0.3048;
}
inline double FeetToMeters(double ft)
{
    return ft * 0.3048;
}
inline double CelsiusToKelvin(double c)
{
    return c + 273.15;
}
inline double KelvinToCelsius(double k)
{
    return k - 273.15;
}
inline double DaysToMinutes(double d)
{
    return d * 1440.0;
}

// Virtual temperature (K) of air at TK kelvin, relative humidity RH (%) and
// pressure P (mbar).
double VirtualTemperature(double TK, double RH, double P);
// Altitude (m) of pressure level P above the level (P0, Z0), for a layer of
// mean virtual temperature Tv (K).
double HypsometricAltitude(double P0, double Z0, double P, double Tv);
// Dew point (degC) of air at T degC and relative humidity RH (%). RH must be
// above 0: the formula takes its logarithm.
double DewPoint(double T, double RH);
// True when value lies in the closed interval between a and b, in either order.
bool IsBetween(double value, double a, double b);

// Colours as stored in files: 0x00BBGGRR, signed 32-bit. A value below zero
// is a system colour of the platform the files come from (the high bit set,
// the index in the low byte), drawn with that colour's usual default; bits 24
// to 30 of other values are no part of the colour.
int32_t ColorToInt(const QColor &color);
QColor IntToColor(int32_t value);
// The value a colour goes back into a file as: `read`, the value it was
// loaded with, when that is more than its RGB (a system colour) and the
// colour still is what `read` draws as; otherwise the colour's RGB.
int32_t StoredColorValue(const QColor &color, int32_t read);

// The platform defaults: a black solid pen of width 1, a white solid brush.
QPen DefaultPen();
QBrush DefaultBrush();

// "Color" (and for pens "Width") children. Saving writes the colour as
// StoredColorValue(colour, readColor); loading returns the colour value as
// read, for the owner to hand back when it saves.
void SaveBrushToXml(const QBrush &brush, QDomElement &element, int32_t readColor = 0);
int32_t LoadBrushFromXml(QBrush &brush, const QDomElement &element);
void SavePenToXml(const QPen &pen, QDomElement &element, int32_t readColor = 0);
int32_t LoadPenFromXml(QPen &pen, const QDomElement &element);

// Appends a child element holding a text value; returns the child.
QDomElement AddChildElement(QDomElement &parent, const QString &name,
                            const QString &text = QString());
