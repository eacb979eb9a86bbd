#pragma once
// The graph engine's own exceptions. Each carries only its message.
#include "foundation/Errors.h"

VENTREL_DECLARE_ERROR(EGraphDimensionException, EVentrelError);
VENTREL_DECLARE_ERROR(EInvalidScaleError, EVentrelError);
VENTREL_DECLARE_ERROR(EInvalidAxisError, EVentrelError);
VENTREL_DECLARE_ERROR(EInvalidSeriesError, EVentrelError);
VENTREL_DECLARE_ERROR(EInvalidTitleError, EVentrelError);
VENTREL_DECLARE_ERROR(EInvalidLabelError, EVentrelError);
VENTREL_DECLARE_ERROR(EInvalidGridlineError, EVentrelError);
VENTREL_DECLARE_ERROR(EInvalidLegendIndexError, EVentrelError);
// An image that cannot be allocated (a print size beyond the memory available).
VENTREL_DECLARE_ERROR(EGraphImageError, EVentrelError);
