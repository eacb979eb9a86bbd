#include "foundation/LocalUtilities.h"

#include "foundation/CustomUtilities.h"

#include <QDomDocument>
#include <array>
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
        // The system colours' defaults as the files' platform ships them,
        // by index.
        struct TRgb
        {
            uint8_t R, G, B;
        };
        static constexpr std::array<TRgb, 31> SystemColors{{
            {200, 200, 200}, // 0 scroll bar
            {0, 0, 0},       // 1 desktop
            {153, 180, 209}, // 2 active caption
            {191, 205, 219}, // 3 inactive caption
            {240, 240, 240}, // 4 menu
            {255, 255, 255}, // 5 window
            {100, 100, 100}, // 6 window frame
            {0, 0, 0},       // 7 menu text
            {0, 0, 0},       // 8 window text
            {0, 0, 0},       // 9 caption text
            {180, 180, 180}, // 10 active border
            {244, 247, 252}, // 11 inactive border
            {171, 171, 171}, // 12 application workspace
            {51, 153, 255},  // 13 highlight
            {255, 255, 255}, // 14 highlight text
            {240, 240, 240}, // 15 button face
            {160, 160, 160}, // 16 button shadow
            {109, 109, 109}, // 17 grey text
            {0, 0, 0},       // 18 button text
            {67, 78, 84},    // 19 inactive caption text
            {255, 255, 255}, // 20 button highlight
            {105, 105, 105}, // 21 3-D dark shadow
            {227, 227, 227}, // 22 3-D light
            {0, 0, 0},       // 23 tooltip text
            {255, 255, 225}, // 24 tooltip background
            {0, 0, 0},       // 25 alternate button face
            {0, 102, 204},   // 26 hot tracking
            {185, 209, 234}, // 27 active caption gradient
            {215, 228, 242}, // 28 inactive caption gradient
            {51, 153, 255},  // 29 menu highlight
            {240, 240, 240}, // 30 menu bar
        }};
        const size_t index = size_t(value & 0xFF);
        if (index >= SystemColors.size())
            return QColor(128, 128, 128);
        const TRgb rgb = SystemColors[index];
        return QColor(rgb.R, rgb.G, rgb.B);
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int32_t StoredColorValue(const QColor &color, int32_t read)
{
    const int32_t rgb = ColorToInt(color);
    if (read != rgb && IntToColor(read) == color)
        return read;
    return rgb;
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

void SaveBrushToXml(const QBrush &brush, QDomElement &element, int32_t readColor)
{
    AddChildElement(element, QStringLiteral("Color"),
                    QString::number(StoredColorValue(brush.color(), readColor)));
}

int32_t LoadBrushFromXml(QBrush &brush, const QDomElement &element)
{
    QBrush fresh = DefaultBrush();
    const int32_t color = StrToInt32(element.firstChildElement(QStringLiteral("Color")).text());
    fresh.setColor(IntToColor(color));
    brush = fresh;
    return color;
}

void SavePenToXml(const QPen &pen, QDomElement &element, int32_t readColor)
{
    AddChildElement(element, QStringLiteral("Color"),
                    QString::number(StoredColorValue(pen.color(), readColor)));
    AddChildElement(element, QStringLiteral("Width"), QString::number(pen.width()));
}

int32_t LoadPenFromXml(QPen &pen, const QDomElement &element)
{
    QPen fresh = DefaultPen();
    int32_t color = ColorToInt(fresh.color());
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.tagName() == QLatin1String("Color")) {
            color = StrToInt32(child.text());
            fresh.setColor(IntToColor(color));
        } else if (child.tagName() == QLatin1String("Width")) {
            fresh.setWidth(StrToInt32(child.text()));
        }
    }
    pen = fresh;
    return color;
}
