// The measurement half of TKestrinResult: classifying and decoding one
// telemetry frame, the plausibility limits, and the texts of the log and list.
#include "devices/KestrinLibrary.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"

#include <cmath>

namespace {

int HexDigit(char16_t ch)
{
    if (ch >= u'0' && ch <= u'9')
        return ch - u'0';
    if (ch >= u'A' && ch <= u'F')
        return ch - u'A' + 10;
    if (ch >= u'a' && ch <= u'f')
        return ch - u'a' + 10;
    return -1;
}

bool IsProcessedCharacter(char16_t ch)
{
    return (ch >= u'0' && ch <= u'9') || ch == u',' || ch == u'+' || ch == u'-' || ch == u'.';
}

} // namespace

int RawFieldWidth(TChannelType type)
{
    switch (type) {
    case ctVoltage:
    case ctTemperature:
    case ctPressure:
    case ctHumidity:
        return 3;
    case ctFrequency:
        return 4;
    case ctParallelByte:
        return 2;
    default:
        return 0;
    }
}

double VoltsToTemperature(double volts)
{
    if (IsNoValue(volts))
        return NoValue;
    const double x = (1.8639 - volts) / 3.88e-6 + 2196200.0;
    if (x < 0)
        return NoValue;
    return std::sqrt(x) - 1481.96;
}

double VoltsToPressure(double volts)
{
    if (IsNoValue(volts))
        return NoValue;
    return (0.25 * volts - 0.125) * 1013.25;
}

double VoltsToHumidity(double volts)
{
    if (IsNoValue(volts))
        return NoValue;
    return (volts - 0.795) / 0.02925;
}

double TKestrinResult::CountsToVolts(double count, int channel) const
{
    CheckChannel(channel);
    if (IsNoValue(count))
        return NoValue;
    if (FModel == sm1R)
        return channel <= 3 ? count * 4.096 / 4096.0 : count * 5.0 / 4096.0;
    return count * 5.0 / 1024.0;
}

int TKestrinResult::RawFrameLength() const
{
    int n = 0;
    for (TChannelType t : FChannelTypes)
        n += RawFieldWidth(t);
    return n;
}

bool TKestrinResult::IsConfigurationFrame() const
{
    return FRawText.contains(QLatin1Char(':'));
}

bool TKestrinResult::IsInvalidFrame() const
{
    if (IsConfigurationFrame())
        return false;
    if (FTransmissionType == ttProcessed) {
        for (QChar ch : FRawText)
            if (!IsProcessedCharacter(ch.unicode()))
                return true;
        return false;
    }
    return FRawText.contains(QLatin1Char('-'));
}

void TKestrinResult::SetFrame(const QString &text)
{
    FRawText = text;
    FValues.fill(NoValue);
    if (IsInvalidFrame()) {
        FFrameStatus = fsInvalid;
        return;
    }
    if (IsConfigurationFrame()) {
        FFrameStatus = fsConfiguration;
        return;
    }
    FFrameStatus = fsData;
    if (FTransmissionType == ttProcessed)
        DecodeProcessed();
    else
        DecodeRaw();
}

void TKestrinResult::DecodeRaw()
{
    const qsizetype n = RawFrameLength();
    const QChar *data = FRawText.constData();
    if (n > FRawText.size())
        throw EKestrinInvalidDataError(QStringLiteral("Raw data telemetry is invalid."));
    for (qsizetype i = 0; i < n; ++i)
        if (HexDigit(data[i].unicode()) < 0)
            throw EKestrinInvalidDataError(QStringLiteral("Raw data telemetry is invalid."));

    qsizetype p = 0;
    for (int c = 1; c <= KestrinChannels; ++c) {
        const TChannelType type = FChannelTypes[c - 1];
        const int w = RawFieldWidth(type);
        const qsizetype start = p;
        p += w;
        if (w == 0)
            continue; // takes no characters and carries no count
        int count = 0;
        for (qsizetype i = start; i < p; ++i)
            count = count * 16 + HexDigit(data[i].unicode());
        double &value = FValues[c - 1];
        switch (type) {
        case ctVoltage:
            value = CountsToVolts(count, c);
            break;
        case ctTemperature:
            value = VoltsToTemperature(CountsToVolts(count, c));
            break;
        case ctPressure:
            value = VoltsToPressure(CountsToVolts(count, c));
            break;
        case ctHumidity:
            value = VoltsToHumidity(CountsToVolts(count, c));
            break;
        case ctFrequency:
        case ctParallelByte:
            value = count;
            break;
        default:
            break;
        }
    }
    ApplyRangeChecks();
}

void TKestrinResult::DecodeProcessed()
{
    const QStringView text(FRawText);
    qsizetype pos = 0;
    bool fieldsLeft = !text.isEmpty();
    for (int c = 1; c <= KestrinChannels && fieldsLeft; ++c) {
        if (!IsPresentChannelType(FChannelTypes[c - 1]))
            continue;
        const qsizetype comma = text.indexOf(u',', pos);
        const QStringView field = comma < 0 ? text.mid(pos) : text.mid(pos, comma - pos);
        fieldsLeft = comma >= 0;
        pos = comma + 1;
        // The point is always '.' and there is no exponent: the comma
        // separates the fields on the wire, so the sonde cannot follow the
        // ground station's locale.
        double value = 0.0;
        if (!TryParseDecimal(field, u'.', exNone, value))
            continue; // this channel stays without a value; the rest go on
        const TChannelType type = FChannelTypes[c - 1];
        if (type == ctVoltage)
            value /= 1000.0;
        else if (type == ctTemperature && FModel == sm3M)
            value = KelvinToCelsius(value);
        FValues[c - 1] = value;
    }
    ApplyRangeChecks();
}

void TKestrinResult::ApplyRangeChecks()
{
    for (int c = 1; c <= KestrinChannels; ++c) {
        double &v = FValues[c - 1];
        switch (FChannelTypes[c - 1]) {
        case ctUnused:
        case ctUnavailable:
            v = NoValue;
            break;
        case ctVoltage:
        case ctFrequency:
            if (v < 0)
                v = NoValue;
            break;
        case ctPressure:
            if (v < 0.01)
                v = NoValue;
            break;
        case ctHumidity:
            if (v < 0 || v > 110)
                v = NoValue;
            break;
        default:
            break; // temperature, parallel byte and custom are not checked
        }
    }
}

double TKestrinResult::PrimaryTemperature() const
{
    if (FPrimaryTemperatureChannel == 0)
        throw EKestrinInvalidChannelError(
            QStringLiteral("Primary temperature channel does not exist"));
    return Value(FPrimaryTemperatureChannel);
}

double TKestrinResult::PrimaryPressure() const
{
    return Value(PrimaryPressureChannelChecked());
}

double TKestrinResult::PrimaryHumidity() const
{
    if (FPrimaryHumidityChannel == 0)
        throw EKestrinInvalidChannelError(
            QStringLiteral("Primary humidity channel does not exist"));
    return Value(FPrimaryHumidityChannel);
}

int32_t TKestrinResult::PrimaryPressureChannelChecked() const
{
    if (FPrimaryPressureChannel == 0)
        throw EKestrinInvalidChannelError(
            QStringLiteral("Primary pressure channel does not exist"));
    return FPrimaryPressureChannel;
}

static bool HasValidValue(const std::array<double, KestrinChannels> &values, int32_t channel)
{
    return channel >= 1 && channel <= KestrinChannels && !IsNoValue(values[size_t(channel - 1)]);
}

bool TKestrinResult::HasValidPrimaryTemperature() const
{
    return HasValidValue(FValues, FPrimaryTemperatureChannel);
}

bool TKestrinResult::HasValidPrimaryPressure() const
{
    return HasValidValue(FValues, FPrimaryPressureChannel);
}

bool TKestrinResult::HasValidPrimaryHumidity() const
{
    return HasValidValue(FValues, FPrimaryHumidityChannel);
}

bool TKestrinResult::HasAnyError() const
{
    for (int c = 1; c <= KestrinChannels; ++c)
        if (IsPresentChannelType(FChannelTypes[c - 1]) && IsNoValue(FValues[c - 1]))
            return true;
    return false;
}

int TKestrinResult::DecimalPlaces(int channel) const
{
    if (!IsChannelAvailable(channel))
        throw EKestrinInvalidChannelError(
            QStringLiteral("GetDecimalPlaces: Channel %1 is not available").arg(channel));
    const TChannelType type = FChannelTypes[channel - 1];
    const bool measured = type == ctTemperature || type == ctPressure || type == ctHumidity;
    if (FTransmissionType == ttProcessed)
        return type == ctVoltage ? 3 : 0;
    switch (FModel) {
    case sm1E:
    case sm1M:
        return type == ctVoltage ? 3 : measured ? 1 : 0;
    case sm1R:
        return type == ctVoltage ? 3 : measured ? 2 : 0;
    default:
        return 0;
    }
}

void TKestrinResult::ColumnNames(QStringList &list) const
{
    list.clear();
    list << QStringLiteral("Raw Time") << QStringLiteral("Time");
    for (int c = 1; c <= KestrinChannels; ++c)
        if (IsPresentChannelType(FChannelTypes[c - 1]))
            list << QStringLiteral("Ch") + QString::number(c) +
                        ChannelTypeColumnSuffix(FChannelTypes[c - 1]);
}

void TKestrinResult::UnitTexts(QStringList &list) const
{
    list.clear();
    list << QString() << QString();
    for (int c = 1; c <= KestrinChannels; ++c)
        if (IsPresentChannelType(FChannelTypes[c - 1]))
            list << ChannelTypeUnitText(FChannelTypes[c - 1]);
}

void TKestrinResult::ColumnHeadings(QStringList &list) const
{
    QStringList names;
    QStringList units;
    ColumnNames(names);
    UnitTexts(units);
    list.clear();
    const qsizetype n = std::min(names.size(), units.size());
    for (qsizetype i = 0; i < n; ++i)
        list << (names[i] + QLatin1Char(' ') + units[i]).trimmed();
}

void TKestrinResult::FormatValues(QStringList &list) const
{
    FormatValues(list, GetSystemFormatSettings());
}

void TKestrinResult::FormatValues(QStringList &list, const TFormatSettings &settings) const
{
    QString line;
    AppendValues(line, settings);
    line.chop(1); // the tab after the last item
    list = line.split(QLatin1Char('\t'));
}

void TKestrinResult::AppendValues(QString &line, const TFormatSettings &settings) const
{
    const QChar tab = QLatin1Char('\t');
    line += FormatGeneral(FTime, 15, settings) + tab + FormatLongTime(FTime, settings) + tab;
    QChar number[FixedTextCapacity];
    for (int c = 1; c <= KestrinChannels; ++c) {
        if (!IsPresentChannelType(FChannelTypes[c - 1]))
            continue;
        const double v = FValues[c - 1];
        if (IsNoValue(v))
            line += QLatin1String("Error");
        else
            line.append(number, WriteFixed(number, v, DecimalPlaces(c), settings));
        line += tab;
    }
}
