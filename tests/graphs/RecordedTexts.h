#pragma once
#include "RecordingCanvas.h"

#include <map>

// Where each text of a recorded pass was drawn (the first of equal texts).
inline std::map<QString, QPoint> TextOrigins(const TRecordingCanvas &canvas)
{
    std::map<QString, QPoint> origins;
    for (const TRecordedOp &op : canvas.OfKind("TextOut"))
        origins.emplace(op.Text, op.Points[0]);
    return origins;
}
