#pragma once
// TTimeGraphParameters: the user's settings of the Time graph: the linear
// time axis in minutes (range and gridline interval) and the value axes and
// channels it shares in form with the Standard graph. Setters check their
// values; loading a settings file stores what the file says, and building
// the layout checks it then.
#include "graphs/ValueAxesParameters.h"

VENTREL_DECLARE_ERROR(ETimeGraphParametersValueError, EVentrelError);
VENTREL_DECLARE_ERROR(ETimeGraphParametersRangeError, EVentrelError);
VENTREL_DECLARE_ERROR(ETimeGraphParametersIndexError, EVentrelError);

class TTimeGraphParameters : public TValueAxesParameters
{
  public:
    TTimeGraphParameters() = default;
    TTimeGraphParameters(const TTimeGraphParameters &source) { Assign(source); }
    TTimeGraphParameters &operator=(const TTimeGraphParameters &source)
    {
        Assign(source);
        return *this;
    }

    QString ClassName() const override { return QStringLiteral("TTimeGraphParameters"); }
    std::unique_ptr<TGraphParameters> Clone() const override;
    // EGraphAssignmentError unless the source is a TTimeGraphParameters.
    void Assign(const TGraphParameters &source) override;
    // All or nothing: a file that fails part of the way leaves these
    // parameters as they were.
    void LoadFromXML(const QDomElement &element) override;
    void SaveToXML(QDomElement &element) const override;
    bool operator==(const TTimeGraphParameters &other) const;

    double TimeInterval() const { return FTimeInterval; }
    double TimeMinimum() const { return FTimeMinimum; }
    double TimeMaximum() const { return FTimeMaximum; }
    // Range error unless minimum < maximum, then value error when minimum < 0
    // (a minimum of 0 is the usual start).
    void SetTimeAxis(double minimum, double maximum);
    // Value error unless interval > 0.
    void SetTimeAxis(double interval);

    // The checks of a layout build, before anything changes. Returns the time
    // gridline values and, in valuePositions, those of axis A.
    std::vector<double> CheckForBuild(std::vector<double> &valuePositions) const;

  protected:
    QString MessagePrefix() const override { return QStringLiteral("Time"); }
    [[noreturn]] void RaiseIndexError(const QString &message) const override;
    [[noreturn]] void RaiseRangeError(const QString &message) const override;
    [[noreturn]] void RaiseValueError(const QString &message) const override;

  private:
    void LoadOwnFields(const QDomElement &element);

    double FTimeInterval = 10.0;
    double FTimeMinimum = 0.0;
    double FTimeMaximum = 60.0;
};
