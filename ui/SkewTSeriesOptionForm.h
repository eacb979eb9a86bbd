#pragma once
// TfrmSkewTSeriesOptions: the marker and line of the Skew-T temperature or
// dew point trace (the Skew-T graph has no value axes to choose).
#include "ui/MarkerOptionsForm.h"

class TfrmSkewTSeriesOptions : public TMarkerOptionsForm
{
    Q_OBJECT

  public:
    explicit TfrmSkewTSeriesOptions(QWidget *parent = nullptr);
};
