#include "ui/SkewTSeriesOptionForm.h"

TfrmSkewTSeriesOptions::TfrmSkewTSeriesOptions(QWidget *parent) : TMarkerOptionsForm(parent) {}
