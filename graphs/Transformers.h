#pragma once
// The two non-linear transformers: log-pressure (linear x, natural logarithm
// of y) and skew-T (log-pressure followed by a 45-degree shear in device
// space, zero along the bottom edge of the device rectangle).
#include "graphs/Transformer2D.h"

// The natural logarithm; EMathError for a value of zero or less.
double CheckedLn(double value);

class TLogPTransformer : public TTransformer2D
{
  public:
    // World top and bottom are pressures and must be above zero.
    void SetMapping(const TDoubleRect &world, const TRect &device) override;
    // y must be above zero (EMathError otherwise); pass 1.0 when only x matters.
    void Transform(double x, double y, int32_t &px, int32_t &py) const override;
};

class TSkewTTransformer : public TTransformer2D
{
  public:
    // The device y at which the shear is zero: the bottom edge of the last
    // device rectangle given to SetMapping; 0 before that.
    int32_t SkewOrigin() const { return FSkewOrigin; }

    void SetMapping(const TDoubleRect &world, const TRect &device) override;
    // A point moves right by its height in pixels above SkewOrigin.
    void Transform(double x, double y, int32_t &px, int32_t &py) const override;

  private:
    int32_t FSkewOrigin = 0;
};
