#pragma once
// TStandardGraphParameters: the user's settings of the Standard graph: the
// logarithmic pressure axis (range and gridline interval), whether the
// altitude axis is shown, and the value axes and channels it shares in form
// with the Time graph. Setters check their values; loading a settings file
// stores what the file says, and building the layout checks it then.
#include "graphs/ValueAxesParameters.h"

// A value outside its domain (an interval not above zero, a pressure
// minimum not above zero).
VENTREL_DECLARE_ERROR(EStandardGraphParametersValueError, EVentrelError);
// A minimum not below its maximum.
VENTREL_DECLARE_ERROR(EStandardGraphParametersRangeError, EVentrelError);
// An axis, series or marker index out of range.
VENTREL_DECLARE_ERROR(EStandardGraphParametersIndexError, EVentrelError);

class TStandardGraphParameters : public TValueAxesParameters
{
  public:
    TStandardGraphParameters() = default;
    TStandardGraphParameters(const TStandardGraphParameters &source) { Assign(source); }
    TStandardGraphParameters &operator=(const TStandardGraphParameters &source)
    {
        Assign(source);
        return *this;
    }

    QString ClassName() const override { return QStringLiteral("TStandardGraphParameters"); }
    std::unique_ptr<TGraphParameters> Clone() const override;
    // EGraphAssignmentError unless the source is a TStandardGraphParameters.
    void Assign(const TGraphParameters &source) override;
    // All or nothing: a file that fails part of the way leaves these
    // parameters as they were.
    void LoadFromXML(const QDomElement &element) override;
    void SaveToXML(QDomElement &element) const override;
    bool operator==(const TStandardGraphParameters &other) const;

    double PressureInterval() const { return FPressureInterval; }
    double PressureMinimum() const { return FPressureMinimum; }
    double PressureMaximum() const { return FPressureMaximum; }
    // Range error unless minimum < maximum, then value error unless minimum > 0.
    void SetPressureAxis(double minimum, double maximum);
    // Value error unless interval > 0.
    void SetPressureAxis(double interval);
    bool ShowAltitude() const { return FShowAltitude; }
    void SetShowAltitude(bool show) { FShowAltitude = show; }

    // The checks of a layout build, before anything changes: intervals above
    // zero, minima below maxima, a pressure minimum above zero, a sane number
    // of gridlines, series axes 1 to 3. Returns the pressure gridline values
    // and, in valuePositions, those of axis A.
    std::vector<double> CheckForBuild(std::vector<double> &valuePositions) const;

  protected:
    QString MessagePrefix() const override { return QStringLiteral("Std"); }
    [[noreturn]] void RaiseIndexError(const QString &message) const override;
    [[noreturn]] void RaiseRangeError(const QString &message) const override;
    [[noreturn]] void RaiseValueError(const QString &message) const override;

  private:
    void LoadOwnFields(const QDomElement &element);

    double FPressureInterval = 100.0;
    bool FShowAltitude = true;
    double FPressureMinimum = 100.0;
    double FPressureMaximum = 1000.0;
};
