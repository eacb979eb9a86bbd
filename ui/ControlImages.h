#pragma once
// The images of the lamps and arrow buttons, drawn by the program once and
// looked up by name: "RedLed", "GreenLed", "YellowLed" (22 x 17) and
// "leftPress", "left", "leftgrey", "rightPress", "right", "rightgrey"
// (40 x 30). Everything around the lamp and the arrow is transparent.
#include "foundation/Errors.h"

#include <QImage>
#include <QString>

VENTREL_DECLARE_ERROR(EResNotFound, EVentrelError);

// Raises EResNotFound for a name that is not one of the nine.
const QImage &ControlImage(const QString &name);
