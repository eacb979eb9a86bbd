#pragma once
// Small value types shared by the graph engine: the integer device rectangle
// and the four sides of a plot area.
#include "foundation/Errors.h"

#include <cstddef>
#include <cstdint>

// A device rectangle given by its edges. Right and Bottom are edge
// coordinates, not a size: the rectangle (0, 0, 100, 50) spans 100 pixels.
struct TRect
{
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    bool operator==(const TRect &) const = default;
};

enum TGraphSide : uint8_t
{
    gsLeft = 0,
    gsTop = 1,
    gsRight = 2,
    gsBottom = 3
};

// Per-side values are held in the order left, right, top, bottom; this is the
// slot of a side in such an array.
inline size_t SideSlot(TGraphSide side)
{
    switch (side) {
    case gsLeft:
        return 0;
    case gsRight:
        return 1;
    case gsTop:
        return 2;
    case gsBottom:
        return 3;
    }
    throw ERangeError(QStringLiteral("Range check error"));
}
