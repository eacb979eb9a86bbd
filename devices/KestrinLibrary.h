#pragma once
// TKestrinResult: one sonde's configuration (model, transmission type, ten
// channel types, primary channels) together with the values, time and raw
// text of one telemetry frame. A flat value type: copying it, as is done for
// every frame, allocates nothing (the raw text is shared until changed).
#include "foundation/Errors.h"
#include "foundation/LocalDefs.h"
#include "foundation/RootObject.h"

#include <QDomElement>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

struct TFormatSettings;

enum TSondeModel : uint8_t
{
    sm1E = 0,
    sm1M = 1,
    sm1R = 2,
    sm3M = 3
};

enum TTransmissionType : uint8_t
{
    ttRaw = 0,
    ttProcessed = 1
};

enum TFrameStatus : uint8_t
{
    fsData = 0,
    fsInvalid = 1,
    fsConfiguration = 2
};

// The no-value marker of a missing or implausible value. A value is no value
// when it rounds to -9999; never compare it exactly.
constexpr double NoValue = -9999.0;
bool IsNoValue(double value);

constexpr int KestrinChannels = 10;

// A set of channel types, as allowed on one channel of one model.
class TChannelTypeSet
{
  public:
    constexpr TChannelTypeSet() = default;
    constexpr TChannelTypeSet(std::initializer_list<TChannelType> types)
    {
        for (TChannelType t : types)
            FBits |= uint16_t(1u << t);
    }
    constexpr bool Contains(TChannelType t) const { return t < 16 && (FBits >> t) & 1u; }
    constexpr bool IsEmpty() const { return FBits == 0; }
    constexpr bool operator==(const TChannelTypeSet &) const = default;

  private:
    uint16_t FBits = 0;
};

VENTREL_DECLARE_ERROR(EKestrinConfigStringError, EVentrelError);
VENTREL_DECLARE_ERROR(EKestrinInvalidChannelError, EVentrelError);
VENTREL_DECLARE_ERROR(EKestrinInvalidDataError, EVentrelError);

// "1E", "1M", "1R", "3M" (exact); anything else raises EKestrinConfigStringError.
TSondeModel NameToModel(const QString &text);
QString ModelToName(TSondeModel model);
QString ModelToLetter(TSondeModel model);
// "N", "V", "T", "P", "U", "F", "B", "C"; anything else raises EKestrinConfigStringError.
TChannelType LetterToChannelType(const QString &letter);
// The configuration letter of a type; empty for ctUnavailable.
QString ChannelTypeLetter(TChannelType type);

// Number of hexadecimal characters a channel of this type takes in a raw frame.
int RawFieldWidth(TChannelType type);
// The sensor curves, volts to engineering units; the no-value marker passes
// through, and a voltage outside the temperature curve gives no value.
double VoltsToTemperature(double volts); // degC
double VoltsToPressure(double volts);    // mbar
double VoltsToHumidity(double volts);    // %RH

class TKestrinResult : public TObject
{
  public:
    TKestrinResult();
    TKestrinResult(const TKestrinResult &) = default;
    TKestrinResult &operator=(const TKestrinResult &) = default;

    void Assign(const TKestrinResult &source) { *this = source; }

    // --- configuration -------------------------------------------------
    TSondeModel Model() const { return FModel; }
    TTransmissionType TransmissionType() const { return FTransmissionType; }
    // Raises EKestrinInvalidChannelError for a channel outside 1..10.
    TChannelType ChannelType(int channel) const;
    void SetChannelType(int channel, TChannelType type);
    int32_t PrimaryTemperatureChannel() const { return FPrimaryTemperatureChannel; }
    int32_t PrimaryPressureChannel() const { return FPrimaryPressureChannel; }
    int32_t PrimaryHumidityChannel() const { return FPrimaryHumidityChannel; }

    // Replaces the whole configuration by the one the text describes, or raises
    // EKestrinConfigStringError (the object may then be partly changed).
    void ParseConfiguration(const QString &text);
    QString ConfigurationString() const;
    void ResetChannels();
    bool IsChannelAvailable(int channel) const;
    TChannelTypeSet AllowedChannelTypes(int channel) const;
    int ChannelCount() const;
    QString ModelName() const { return ModelToName(FModel); }
    QString ModelLetter() const { return ModelToLetter(FModel); }
    bool IsPrimary(int channel) const;
    bool HasPrimaryPressure() const { return FPrimaryPressureChannel > 0; }
    void SaveConfigurationToXml(QDomElement &element) const;
    void LoadConfigurationFromXml(const QDomElement &element);

    // --- measurement ---------------------------------------------------
    double Value(int channel) const;
    void SetValue(int channel, double value);
    double Time() const { return FTime; }
    void SetTime(double time) { FTime = time; }
    const QString &RawText() const { return FRawText; }
    // The frame text as stored in a log line, without decoding it again.
    void SetRawText(const QString &text) { FRawText = text; }
    uint8_t FrameStatus() const { return FFrameStatus; } // TFrameStatus
    bool IsChannelPresent(int channel) const;

    // Stores the frame text, classifies it and decodes it. Raises
    // EKestrinInvalidDataError for a raw frame that cannot be decoded (the
    // object then holds the text with every value at the no-value marker).
    void SetFrame(const QString &text);
    bool IsConfigurationFrame() const;
    bool IsInvalidFrame() const;
    int RawFrameLength() const;
    // Converter counts of a channel to volts for the current model; the
    // no-value marker passes through.
    double CountsToVolts(double count, int channel) const;
    double PrimaryTemperature() const;
    double PrimaryPressure() const;
    double PrimaryHumidity() const;
    int32_t PrimaryPressureChannelChecked() const;
    bool HasValidPrimaryTemperature() const;
    bool HasValidPrimaryPressure() const;
    bool HasValidPrimaryHumidity() const;
    bool HasAnyError() const;
    int DecimalPlaces(int channel) const;
    void ColumnNames(QStringList &list) const;
    void UnitTexts(QStringList &list) const;
    void ColumnHeadings(QStringList &list) const;
    void FormatValues(QStringList &list) const;
    void FormatValues(QStringList &list, const TFormatSettings &settings) const;
    // FormatValues' items, each followed by a tab, appended to `line`.
    void AppendValues(QString &line, const TFormatSettings &settings) const;
    // Sets every unused or unavailable channel, and every value outside its
    // plausible range, to the no-value marker.
    void ApplyRangeChecks();

  protected:
    static void CheckChannel(int channel);
    void DecodeRaw();
    void DecodeProcessed();

    std::array<double, KestrinChannels> FValues;
    std::array<TChannelType, KestrinChannels> FChannelTypes;
    QString FRawText;
    double FTime = 0.0;
    int32_t FPrimaryTemperatureChannel = 0;
    int32_t FPrimaryPressureChannel = 0;
    int32_t FPrimaryHumidityChannel = 0;
    TSondeModel FModel = sm1E;
    TTransmissionType FTransmissionType = ttRaw;
    uint8_t FFrameStatus = 0;
};
