#pragma once
// TSkewTGraphParameters: the settings of the Skew-T diagram. Only the size,
// ShowAltitude, the two trace markers and the analysis overlays are edited
// and stored; the integer ranges and intervals keep their defaults everywhere
// in the program, and the layout build refuses values it cannot draw.
#include "graphs/MarkerDefinition.h"
#include "pipeline/GraphParameters.h"

// A value the diagram cannot be built from (an interval not above zero, a
// pressure not above zero, too many lines).
VENTREL_DECLARE_ERROR(ESkewTGraphParametersValueError, EVentrelError);
// A minimum not below its maximum.
VENTREL_DECLARE_ERROR(ESkewTGraphParametersRangeError, EVentrelError);

class TSkewTGraphParameters : public TGraphParameters
{
  public:
    TSkewTGraphParameters() = default;
    TSkewTGraphParameters(const TSkewTGraphParameters &source) { Assign(source); }
    TSkewTGraphParameters &operator=(const TSkewTGraphParameters &source)
    {
        Assign(source);
        return *this;
    }

    QString ClassName() const override { return QStringLiteral("TSkewTGraphParameters"); }
    std::unique_ptr<TGraphParameters> Clone() const override;
    // EGraphAssignmentError unless the source is a TSkewTGraphParameters.
    void Assign(const TGraphParameters &source) override;
    // "ShowAltitude", "TemperatureMarker", "DewpointMarker" after the size,
    // then "ParcelTrace", "StandardAtmosphere" and "AnalysisBox" holding
    // "true" for each overlay that is on. An overlay is written only when on,
    // so a document without overlays is exactly what it always was, and one
    // without these elements loads with the overlays off. All or nothing.
    void LoadFromXML(const QDomElement &element) override;
    void SaveToXML(QDomElement &element) const override;
    bool operator==(const TSkewTGraphParameters &other) const;

    bool ShowAltitude() const { return FShowAltitude; }
    void SetShowAltitude(bool show) { FShowAltitude = show; }
    TMarkerDefinition &TemperatureMarker() { return FTemperatureMarker; }
    const TMarkerDefinition &TemperatureMarker() const { return FTemperatureMarker; }
    TMarkerDefinition &DewpointMarker() { return FDewpointMarker; }
    const TMarkerDefinition &DewpointMarker() const { return FDewpointMarker; }

    // The analysis overlays, all off by default: the path of the surface
    // parcel, the standard atmosphere's temperature, and a box with the
    // figures of the sounding analysis.
    bool ShowParcel() const { return FShowParcel; }
    void SetShowParcel(bool show) { FShowParcel = show; }
    bool ShowStandardAtmosphere() const { return FShowStandardAtmosphere; }
    void SetShowStandardAtmosphere(bool show) { FShowStandardAtmosphere = show; }
    bool ShowAnalysis() const { return FShowAnalysis; }
    void SetShowAnalysis(bool show) { FShowAnalysis = show; }

    // Temperatures in degrees Celsius, pressures in mbar. Not checked when
    // set; the layout build checks them.
    int32_t TemperatureMinimum() const { return FTemperatureMinimum; }
    void SetTemperatureMinimum(int32_t v) { FTemperatureMinimum = v; }
    int32_t TemperatureMaximum() const { return FTemperatureMaximum; }
    void SetTemperatureMaximum(int32_t v) { FTemperatureMaximum = v; }
    int32_t PressureMinimum() const { return FPressureMinimum; }
    void SetPressureMinimum(int32_t v) { FPressureMinimum = v; }
    int32_t PressureMaximum() const { return FPressureMaximum; }
    void SetPressureMaximum(int32_t v) { FPressureMaximum = v; }
    // Potential temperatures of the first and last dry adiabat.
    int32_t AdiabatMinimum() const { return FAdiabatMinimum; }
    void SetAdiabatMinimum(int32_t v) { FAdiabatMinimum = v; }
    int32_t AdiabatMaximum() const { return FAdiabatMaximum; }
    void SetAdiabatMaximum(int32_t v) { FAdiabatMaximum = v; }
    // Step of isotherm lines and of temperature labels.
    int32_t IsothermInterval() const { return FIsothermInterval; }
    void SetIsothermInterval(int32_t v) { FIsothermInterval = v; }
    int32_t IsothermLabelMinimum() const { return FIsothermLabelMinimum; }
    void SetIsothermLabelMinimum(int32_t v) { FIsothermLabelMinimum = v; }
    int32_t IsothermLabelMaximum() const { return FIsothermLabelMaximum; }
    void SetIsothermLabelMaximum(int32_t v) { FIsothermLabelMaximum = v; }
    int32_t IsothermMinimum() const { return FIsothermMinimum; }
    void SetIsothermMinimum(int32_t v) { FIsothermMinimum = v; }
    int32_t IsothermMaximum() const { return FIsothermMaximum; }
    void SetIsothermMaximum(int32_t v) { FIsothermMaximum = v; }
    // Step of isobar lines and of altitude labels.
    int32_t IsobarInterval() const { return FIsobarInterval; }
    void SetIsobarInterval(int32_t v) { FIsobarInterval = v; }
    int32_t PressureLabelInterval() const { return FPressureLabelInterval; }
    void SetPressureLabelInterval(int32_t v) { FPressureLabelInterval = v; }

    // Refuses values the diagram cannot be built from, before anything
    // changes: intervals not above zero, a pressure minimum not above zero,
    // minima not below maxima, more than MaxSkewTSteps lines, labels or curve
    // points along one axis or curve.
    void CheckForBuild() const;

  private:
    void LoadOwnFields(const QDomElement &element);

    bool FShowAltitude = true;
    int32_t FTemperatureMinimum = -50;
    int32_t FTemperatureMaximum = 50;
    int32_t FPressureMinimum = 100;
    int32_t FPressureMaximum = 1050;
    int32_t FAdiabatMinimum = -100;
    int32_t FAdiabatMaximum = 100;
    int32_t FIsothermInterval = 10;
    int32_t FIsothermLabelMinimum = -40;
    int32_t FIsothermLabelMaximum = 40;
    int32_t FIsothermMinimum = -200;
    int32_t FIsothermMaximum = 40;
    int32_t FIsobarInterval = 100;
    int32_t FPressureLabelInterval = 100;
    TMarkerDefinition FTemperatureMarker;
    TMarkerDefinition FDewpointMarker;
    bool FShowParcel = false;
    bool FShowStandardAtmosphere = false;
    bool FShowAnalysis = false;
};
