#pragma once
// TfrmMarkerSelector: the marker dialog a marker preview control opens by
// itself when nobody has taken over its mouse presses.
#include "ui/MarkerOptionsForm.h"

class TfrmMarkerSelector : public TMarkerOptionsForm
{
    Q_OBJECT

  public:
    explicit TfrmMarkerSelector(QWidget *parent = nullptr);
};
