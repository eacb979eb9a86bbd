#pragma once
// TfrmSeriesOptions: the marker, line and value axis (A, B or C) of one
// channel of the Standard or Time graph.
#include "ui/MarkerOptionsForm.h"

#include <cstdint>

class TfraSpinLetter;

class TfrmSeriesOptions : public TMarkerOptionsForm
{
    Q_OBJECT

  public:
    explicit TfrmSeriesOptions(QWidget *parent = nullptr);

    // 1 for "A", 2 for "B", 3 for "C".
    int32_t GetAxisNumber() const;
    void SetAxisNumber(int32_t axis);

    QGroupBox *grpAxis = nullptr;
    TfraSpinLetter *fraLetter = nullptr;
};
