#pragma once
// The pair that starts a run: the sonde configuration (a TKestrinResult used
// as template) and the launch elevation in metres.
#include "devices/KestrinLibrary.h"
#include "foundation/RootObject.h"

#include <QDomElement>

class TDataParameters : public TObject
{
  public:
    TDataParameters() = default;
    void Assign(const TDataParameters &source) { *this = source; }

    const TKestrinResult &Configuration() const { return FConfiguration; }
    TKestrinResult &Configuration() { return FConfiguration; }
    double LaunchElevation() const { return FLaunchElevation; }
    void SetLaunchElevation(double metres) { FLaunchElevation = metres; }

    // Adds "Kestrin" (holding "Configuration") and "Elevation" to the element.
    void SaveToXml(QDomElement &element) const;
    // Reads them back; parse errors of the configuration propagate, a missing or
    // unreadable elevation raises EConvertError.
    void LoadFromXml(const QDomElement &element);

  private:
    TKestrinResult FConfiguration;
    double FLaunchElevation = 0.0;
};
