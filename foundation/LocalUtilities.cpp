#include "foundation/LocalUtilities.h"

#include "foundation/CustomUtilities.h"

#include <QDomDocument>
#include <cmath>

double VirtualTemperature(double TK, double RH, double P)
{
    const double E = std::exp(5423.0 * (1.0 / 273.0 - 1.0 / TK));
    const double e = RH / 100.0 * 6.11 * E;
    return TK / (1.0 - 0.378 * e / P);
}

double HypsometricAltitude(double P0, double Z0, double P, double Tv)
{
    return Z0 + 29.3 * Tv * std::log(P0 / P);
}

double DewPoint(double T, double RH)
{
    const double a = 7.5 * T / (237.7 + T);
    const double L = std::log10(6.11 * std::pow(10.0, a) * RH / 611.0);
    return 237.7 * L / (7.5 - L);
}

bool IsBetween(double value, double a, double b)
{
    return a <= b ? (value >= a && value <= b) : (value >= b && value <= a);
}

int32_t ColorToInt(const QColor &color)
{
    return int32_t((uint32_t(color.blue()) << 16) | (uint32_t(color.green()) << 8) |
                   uint32_t(color.red()));
}

QColor IntToColor(int32_t value)
{
    if (value < 0) {
        // A system colour of the original platform: map the common ones.
        switch (value & 0xFF) {
        case 5:
            return QColor(255, 255, 255); // window
        case 8:
            return QColor(0, 0, 0); // window text
        case 15:
            return QColor(240, 240, 240); // button face
        default:
            return QColor(128, 128, 128);
        }
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QPen DefaultPen()
{
    QPen pen(Qt::black);
    pen.setWidth(1);
    pen.setStyle(Qt::SolidLine);
    return pen;
}

QBrush DefaultBrush()
{
    return QBrush(Qt::white, Qt::SolidPattern);
}

QDomElement AddChildElement(QDomElement &parent, const QString &name, const QString &text)
{
    QDomDocument doc = parent.ownerDocument();
    QDomElement child = doc.createElement(name);
    if (!text.isNull())
        child.appendChild(doc.createTextNode(text));
    parent.appendChild(child);
    return child;
}

void SaveBrushToXml(const QBrush &brush, QDomElement &element)
{
    AddChildElement(element, QStringLiteral("Color"), QString::number(ColorToInt(brush.color())));
}

void LoadBrushFromXml(QBrush &brush, const QDomElement &element)
{
    QBrush fresh = DefaultBrush();
    fresh.setColor(
        IntToColor(StrToInt32(element.firstChildElement(QStringLiteral("Color")).text())));
    brush = fresh;
}

void SavePenToXml(const QPen &pen, QDomElement &element)
{
    AddChildElement(element, QStringLiteral("Color"), QString::number(ColorToInt(pen.color())));
    AddChildElement(element, QStringLiteral("Width"), QString::number(pen.width()));
}

void LoadPenFromXml(QPen &pen, const QDomElement &element)
{
    QPen fresh = DefaultPen();
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.tagName() == QLatin1String("Color"))
            fresh.setColor(IntToColor(StrToInt32(child.text())));
        else if (child.tagName() == QLatin1String("Width"))
            fresh.setWidth(StrToInt32(child.text()));
    }
    pen = fresh;
}
