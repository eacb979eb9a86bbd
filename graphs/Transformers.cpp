#include "graphs/Transformers.h"

#include "foundation/CustomUtilities.h"

#include <cmath>
#include <limits>

double CheckedLn(double value)
{
    if (!(value > 0.0) || std::isinf(value))
        throw EMathError(QStringLiteral("Invalid floating point operation"));
    return std::log(value);
}

namespace {

TDoubleRect LogWorld(const TDoubleRect &world)
{
    return TDoubleRect(world.Left, CheckedLn(world.Top), world.Right, CheckedLn(world.Bottom));
}

} // namespace

void TLogPTransformer::SetMapping(const TDoubleRect &world, const TRect &device)
{
    TTransformer2D::SetMapping(LogWorld(world), device);
}

void TLogPTransformer::Transform(double x, double y, int32_t &px, int32_t &py) const
{
    TransformLinear(x, CheckedLn(y), px, py);
}

void TSkewTTransformer::SetMapping(const TDoubleRect &world, const TRect &device)
{
    const TDoubleRect logWorld = LogWorld(world);
    TTransformer2D::SetMapping(logWorld, device);
    FSkewOrigin = device.Bottom;
}

void TSkewTTransformer::Transform(double x, double y, int32_t &px, int32_t &py) const
{
    int32_t lx, ly;
    TransformLinear(x, CheckedLn(y), lx, ly);
    const int64_t shifted = int64_t(lx) + FSkewOrigin - ly;
    if (shifted < std::numeric_limits<int32_t>::min() ||
        shifted > std::numeric_limits<int32_t>::max())
        throw EIntOverflow(QStringLiteral("Integer overflow"));
    px = int32_t(shifted), py = ly;
}
