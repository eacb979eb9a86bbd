#pragma once
// Small value holders that carry one plain value as an owned object (inside a
// thread message or a list), and the world rectangle of graphs.
#include "foundation/RootObject.h"

#include <QString>
#include <cstdint>

class TIntegerWrapper : public TObject
{
  public:
    explicit TIntegerWrapper(int32_t value = 0) : Value(value) {}
    int32_t Value;
};

class TDoubleWrapper : public TObject
{
  public:
    explicit TDoubleWrapper(double value = 0.0) : Value(value) {}
    double Value;
};

class TStringWrapper : public TObject
{
  public:
    explicit TStringWrapper(QString value = QString()) : Value(std::move(value)) {}
    QString Value;
};

struct TDoubleRect
{
    double Left = 0.0;
    double Top = 0.0;
    double Right = 0.0;
    double Bottom = 0.0;

    TDoubleRect() = default;
    TDoubleRect(double left, double top, double right, double bottom)
        : Left(left), Top(top), Right(right), Bottom(bottom)
    {
    }
    void Assign(const TDoubleRect &source) { *this = source; }
    bool operator==(const TDoubleRect &) const = default;
};
