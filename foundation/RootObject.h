#pragma once
// The root of the program's object classes. Payloads that travel between
// threads (device messages, graph thread commands) are owned through it.
class TObject
{
  public:
    TObject() = default;
    TObject(const TObject &) = default;
    TObject &operator=(const TObject &) = default;
    virtual ~TObject() = default;
};
