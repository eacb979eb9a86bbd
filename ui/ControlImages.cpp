#include "ui/ControlImages.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <map>

namespace {
QImage TransparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage DrawLed(const QColor &lamp)
{
    QImage image = TransparentImage(22, 17);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bulb(3.5, 1.5, 14, 14);
    QRadialGradient glow(bulb.center() - QPointF(2.5, 2.5), 9);
    glow.setColorAt(0.0, lamp.lighter(170));
    glow.setColorAt(0.55, lamp);
    glow.setColorAt(1.0, lamp.darker(170));
    painter.setBrush(glow);
    painter.setPen(QPen(QColor(64, 64, 64), 1));
    painter.drawEllipse(bulb);
    return image;
}

// An arrow pointing left or right on a rounded plate; pressed arrows sit one
// pixel lower and further along, with a darker plate.
QImage DrawArrow(bool right, bool pressed, bool grey)
{
    QImage image = TransparentImage(40, 30);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal shift = pressed ? 1 : 0;

    QColor plate = grey ? QColor(224, 224, 224) : QColor(200, 214, 236);
    if (pressed)
        plate = plate.darker(115);
    const QColor edge = grey ? QColor(176, 176, 176) : QColor(70, 90, 130);
    const QColor arrow = grey ? QColor(160, 160, 160) : QColor(30, 70, 150);

    painter.setPen(QPen(edge, 1));
    painter.setBrush(plate);
    painter.drawRoundedRect(QRectF(1.5 + shift, 1.5 + shift, 36, 26), 5, 5);

    QPainterPath path;
    if (right) {
        path.moveTo(9, 11);
        path.lineTo(20, 11);
        path.lineTo(20, 6);
        path.lineTo(31, 15);
        path.lineTo(20, 24);
        path.lineTo(20, 19);
        path.lineTo(9, 19);
    } else {
        path.moveTo(31, 11);
        path.lineTo(20, 11);
        path.lineTo(20, 6);
        path.lineTo(9, 15);
        path.lineTo(20, 24);
        path.lineTo(20, 19);
        path.lineTo(31, 19);
    }
    path.closeSubpath();
    painter.translate(shift, shift);
    painter.setPen(QPen(arrow.darker(130), 1));
    painter.setBrush(arrow);
    painter.drawPath(path);
    return image;
}

std::map<QString, QImage> DrawAll()
{
    std::map<QString, QImage> images;
    images[QStringLiteral("RedLed")] = DrawLed(QColor(230, 20, 20));
    images[QStringLiteral("GreenLed")] = DrawLed(QColor(20, 200, 40));
    images[QStringLiteral("YellowLed")] = DrawLed(QColor(240, 210, 20));
    images[QStringLiteral("leftPress")] = DrawArrow(false, true, false);
    images[QStringLiteral("left")] = DrawArrow(false, false, false);
    images[QStringLiteral("leftgrey")] = DrawArrow(false, false, true);
    images[QStringLiteral("rightPress")] = DrawArrow(true, true, false);
    images[QStringLiteral("right")] = DrawArrow(true, false, false);
    images[QStringLiteral("rightgrey")] = DrawArrow(true, false, true);
    return images;
}
} // namespace

const QImage &ControlImage(const QString &name)
{
    static const std::map<QString, QImage> Images = DrawAll();
    const auto found = Images.find(name);
    if (found == Images.end())
        throw EResNotFound(QStringLiteral("Resource ") + name + QStringLiteral(" not found"));
    return found->second;
}
