#include "graphs/Transformer2D.h"

#include "foundation/CustomUtilities.h"

#include <cmath>
#include <limits>

TTransformer2D::TTransformer2D()
{
    SetIdentity();
}

void TTransformer2D::SetIdentity()
{
    FXX = 1.0, FXY = 0.0, FXT = 0.0;
    FYX = 0.0, FYY = 1.0, FYT = 0.0;
}

void TTransformer2D::SetMapping(const TDoubleRect &world, const TRect &device)
{
    const double worldWidth = world.Right - world.Left;
    const double worldHeight = world.Top - world.Bottom;
    if (worldWidth == 0.0 || worldHeight == 0.0)
        throw EMathError(QStringLiteral("Floating point division by zero"));
    const long double deviceWidth = CheckedSubtract(device.Right, device.Left);
    const long double deviceHeight = CheckedSubtract(device.Top, device.Bottom);
    const double sx = double(deviceWidth / (long double)worldWidth);
    const double sy = double(deviceHeight / (long double)worldHeight);
    SetIdentity();
    Translate(-world.Left, -world.Top);
    Scale(sx, sy);
    Translate(device.Left, device.Top);
}

void TTransformer2D::Scale(double sx, double sy)
{
    FXX *= sx, FXY *= sx, FXT *= sx;
    FYX *= sy, FYY *= sy, FYT *= sy;
}

void TTransformer2D::Translate(double dx, double dy)
{
    FXT += dx;
    FYT += dy;
}

namespace {

// RoundToInt32 for the hot path: rounds half to even in the default rounding
// mode without saving the floating-point environment (as nearbyint must),
// which is most of the cost of a transform otherwise. Same errors.
inline int32_t RoundPixel(long double value)
{
    if (!(value > -2147483649.0L && value < 2147483648.0L)) {
        if (std::isnan(value) || std::isinf(value))
            throw EMathError(QStringLiteral("Invalid floating point operation"));
        throw ERangeError(QStringLiteral("Range check error"));
    }
    const long long r = std::llrintl(value);
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
        throw ERangeError(QStringLiteral("Range check error"));
    return int32_t(r);
}

} // namespace

void TTransformer2D::TransformLinear(double x, double y, int32_t &px, int32_t &py) const
{
    const long double lx = x, ly = y;
    const int32_t rx = RoundPixel((long double)FXX * lx + (long double)FXY * ly + FXT);
    const int32_t ry = RoundPixel((long double)FYX * lx + (long double)FYY * ly + FYT);
    px = rx, py = ry;
}

void TTransformer2D::Transform(double x, double y, int32_t &px, int32_t &py) const
{
    TransformLinear(x, y, px, py);
}
