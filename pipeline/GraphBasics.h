#pragma once
// Data packets and parameters, and the graph base classes.
#include "pipeline/DataPacket.h"
#include "pipeline/DataParameters.h"
#include "pipeline/Graph.h"
#include "pipeline/GraphParameters.h"
#include "pipeline/GraphWithCalculatedAltitudesDefinition.h"
