#include "ui/MarkerSelectorForm.h"

TfrmMarkerSelector::TfrmMarkerSelector(QWidget *parent) : TMarkerOptionsForm(parent) {}
