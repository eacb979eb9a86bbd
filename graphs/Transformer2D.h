#pragma once
// TTransformer2D: turns a world point (axis units) into a device pixel by a
// 2-D affine mapping. A pure calculator: set up by SetMapping before a drawing
// pass, then asked for pixels. Nothing is ever truncated silently: a pixel
// outside 32 bits raises ERangeError, an integer overflow EIntOverflow and an
// impossible floating-point operation EMathError.
#include "foundation/RootObject.h"
#include "foundation/WrapperClasses.h"
#include "graphs/GraphTypes.h"

#include <QPoint>
#include <cstdint>

class TTransformer2D : public TObject
{
  public:
    TTransformer2D(); // the identity

    // device x = XX*x + XY*y + XT; device y = YX*x + YY*y + YT
    double XX() const { return FXX; }
    double XY() const { return FXY; }
    double XT() const { return FXT; }
    double YX() const { return FYX; }
    double YY() const { return FYY; }
    double YT() const { return FYT; }

    virtual void SetIdentity();
    // Maps the world rectangle's (left, top) corner onto the device
    // rectangle's (left, top) and (right, bottom) onto (right, bottom).
    // EMathError when the world rectangle has no width or no height.
    virtual void SetMapping(const TDoubleRect &world, const TRect &device);
    // A scale and a shift applied after the current mapping, in device units.
    virtual void Scale(double sx, double sy);
    virtual void Translate(double dx, double dy);
    virtual void Transform(double x, double y, int32_t &px, int32_t &py) const;

    QPoint TransformPoint(double x, double y) const
    {
        int32_t px, py;
        Transform(x, y, px, py);
        return QPoint(px, py);
    }

  protected:
    // The affine transform itself, rounded half to even.
    void TransformLinear(double x, double y, int32_t &px, int32_t &py) const;

  private:
    double FXX = 1.0, FXY = 0.0, FXT = 0.0;
    double FYX = 0.0, FYY = 1.0, FYT = 0.0;
};
