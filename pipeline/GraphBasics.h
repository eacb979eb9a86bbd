#pragma once
// Data packets and parameters, and the graph base classes.
#include "pipeline/DataPacket.h"
#include "pipeline/DataParameters.h"
