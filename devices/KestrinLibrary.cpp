#include "devices/KestrinLibrary.h"

#include "foundation/CustomUtilities.h"
#include "foundation/LocalUtilities.h"

#include <cmath>

bool IsNoValue(double value)
{
    return std::isfinite(value) && std::nearbyint(value) == NoValue;
}

namespace {

struct TModelInfo
{
    const char *Name;
    const char *Letter;
    int ChannelCount;
    std::array<TChannelTypeSet, KestrinChannels> Allowed; // empty set: unavailable
};

constexpr TChannelTypeSet NVTPU{ctUnused, ctVoltage, ctTemperature, ctPressure, ctHumidity};
constexpr TChannelTypeSet NVTPUC{ctUnused,   ctVoltage,  ctTemperature,
                                 ctPressure, ctHumidity, ctCustom};
constexpr TChannelTypeSet NF{ctUnused, ctFrequency};
constexpr TChannelTypeSet NFC{ctUnused, ctFrequency, ctCustom};
constexpr TChannelTypeSet NB{ctUnused, ctParallelByte};
constexpr TChannelTypeSet None{};

const TModelInfo Models[4] = {
    {"1E", "E", 8, {NVTPU, NVTPU, None, None, None, None, None, NF, None, None}},
    {"1M", "M", 8, {NVTPU, NVTPU, NVTPU, NVTPU, NVTPU, NVTPU, NVTPU, NF, None, None}},
    {"1R", "R", 10, {NVTPU, NVTPU, NVTPU, NVTPU, NVTPU, NVTPU, None, NF, NF, NB}},
    {"3M", "3M", 8, {NVTPUC, NVTPUC, NVTPUC, NVTPUC, NVTPUC, NVTPUC, NVTPUC, NFC, None, None}},
};

const TModelInfo &Info(TSondeModel model)
{
    return Models[model <= sm3M ? model : sm1E];
}

} // namespace

TSondeModel NameToModel(const QString &text)
{
    for (int i = 0; i < 4; ++i)
        if (text == QLatin1String(Models[i].Name))
            return TSondeModel(i);
    throw EKestrinConfigStringError(text + QStringLiteral(" is not a valid model"));
}

QString ModelToName(TSondeModel model)
{
    return QLatin1String(Info(model).Name);
}

QString ModelToLetter(TSondeModel model)
{
    return QLatin1String(Info(model).Letter);
}

TChannelType LetterToChannelType(const QString &letter)
{
    static const struct
    {
        char Letter;
        TChannelType Type;
    } letters[] = {{'N', ctUnused},   {'V', ctVoltage},   {'T', ctTemperature},  {'P', ctPressure},
                   {'U', ctHumidity}, {'F', ctFrequency}, {'B', ctParallelByte}, {'C', ctCustom}};
    if (letter.size() == 1)
        for (const auto &l : letters)
            if (letter.at(0) == QLatin1Char(l.Letter))
                return l.Type;
    throw EKestrinConfigStringError(letter + QStringLiteral(" is not a valid channel type"));
}

QString ChannelTypeLetter(TChannelType type)
{
    switch (type) {
    case ctUnused:
        return QStringLiteral("N");
    case ctVoltage:
        return QStringLiteral("V");
    case ctTemperature:
        return QStringLiteral("T");
    case ctPressure:
        return QStringLiteral("P");
    case ctHumidity:
        return QStringLiteral("U");
    case ctFrequency:
        return QStringLiteral("F");
    case ctParallelByte:
        return QStringLiteral("B");
    case ctCustom:
        return QStringLiteral("C");
    default:
        return QString();
    }
}

TKestrinResult::TKestrinResult()
{
    FValues.fill(NoValue);
    FChannelTypes.fill(ctUnavailable);
    FTime = TodayDays();
    ResetChannels();
}

void TKestrinResult::CheckChannel(int channel)
{
    if (channel < 1 || channel > KestrinChannels)
        throw EKestrinInvalidChannelError(
            QStringLiteral("Kestrin Channel %1 is invalid.").arg(channel));
}

TChannelType TKestrinResult::ChannelType(int channel) const
{
    CheckChannel(channel);
    return FChannelTypes[channel - 1];
}

void TKestrinResult::SetChannelType(int channel, TChannelType type)
{
    CheckChannel(channel);
    FChannelTypes[channel - 1] = type;
}

double TKestrinResult::Value(int channel) const
{
    CheckChannel(channel);
    return FValues[channel - 1];
}

void TKestrinResult::SetValue(int channel, double value)
{
    CheckChannel(channel);
    FValues[channel - 1] = value;
}

bool TKestrinResult::IsChannelPresent(int channel) const
{
    return IsPresentChannelType(ChannelType(channel));
}

bool TKestrinResult::IsChannelAvailable(int channel) const
{
    return channel >= 1 && channel <= KestrinChannels &&
           !Info(FModel).Allowed[channel - 1].IsEmpty();
}

TChannelTypeSet TKestrinResult::AllowedChannelTypes(int channel) const
{
    if (channel < 1 || channel > KestrinChannels)
        return {};
    return Info(FModel).Allowed[channel - 1];
}

int TKestrinResult::ChannelCount() const
{
    return Info(FModel).ChannelCount;
}

void TKestrinResult::ResetChannels()
{
    for (int c = 1; c <= KestrinChannels; ++c)
        FChannelTypes[c - 1] = IsChannelAvailable(c) ? ctUnused : ctUnavailable;
    FPrimaryTemperatureChannel = 0;
    FPrimaryPressureChannel = 0;
    FPrimaryHumidityChannel = 0;
    FValues.fill(NoValue);
}

bool TKestrinResult::IsPrimary(int channel) const
{
    switch (ChannelType(channel)) {
    case ctTemperature:
        return channel == FPrimaryTemperatureChannel;
    case ctPressure:
        return channel == FPrimaryPressureChannel;
    case ctHumidity:
        return channel == FPrimaryHumidityChannel;
    default:
        return false;
    }
}

void TKestrinResult::ParseConfiguration(const QString &text)
{
    if (text.size() < 5)
        throw EKestrinConfigStringError(QStringLiteral("Configuration string is too short"));
    const QString s = text.toUpper();

    FModel = NameToModel(s.left(2));

    const QChar transmission = s.at(2);
    if (transmission == QLatin1Char('R')) {
        if (FModel == sm3M)
            throw EKestrinConfigStringError(QStringLiteral("Model 3M does not support raw data"));
        FTransmissionType = ttRaw;
    } else if (transmission == QLatin1Char('P')) {
        FTransmissionType = ttProcessed;
    } else {
        throw EKestrinConfigStringError(
            QString(transmission) +
            QStringLiteral(" is not a valid Kestrin data transmission type"));
    }

    if (s.at(3) != QLatin1Char(':'))
        throw EKestrinConfigStringError(QStringLiteral("Character %1 must be a :").arg(4));

    ResetChannels();

    bool explicitTemperature = false;
    bool explicitPressure = false;
    bool explicitHumidity = false;
    bool underscorePending = false;
    int c = 1;
    qsizetype p = 5; // 1-based character position
    while (c <= KestrinChannels && p <= s.size()) {
        if (!IsChannelAvailable(c)) {
            ++c;
            continue;
        }
        const QString ch = s.mid(p - 1, 1);
        if (ch == QLatin1String("_")) {
            if (underscorePending)
                throw EKestrinConfigStringError(
                    QStringLiteral("Repeating underscores are not valid"));
            underscorePending = true;
            ++p;
            continue;
        }
        const TChannelType t = LetterToChannelType(ch);
        if (!AllowedChannelTypes(c).Contains(t))
            throw EKestrinConfigStringError(
                QStringLiteral("Channel type %1 is not valid for model %2, channel %3")
                    .arg(ch, ModelName())
                    .arg(c));
        FChannelTypes[c - 1] = t;
        if (!underscorePending) {
            if (t == ctTemperature && FPrimaryTemperatureChannel == 0)
                FPrimaryTemperatureChannel = c;
            else if (t == ctPressure && FPrimaryPressureChannel == 0)
                FPrimaryPressureChannel = c;
            else if (t == ctHumidity && FPrimaryHumidityChannel == 0)
                FPrimaryHumidityChannel = c;
        } else {
            switch (t) {
            case ctUnused:
                throw EKestrinConfigStringError(
                    QStringLiteral("Primary unused channel not allowed"));
            case ctVoltage:
                throw EKestrinConfigStringError(
                    QStringLiteral("Primary voltage channel not allowed"));
            case ctFrequency:
                throw EKestrinConfigStringError(
                    QStringLiteral("Primary frequency channel not allowed"));
            case ctParallelByte:
                throw EKestrinConfigStringError(
                    QStringLiteral("Primary parallel byte channel not allowed"));
            case ctCustom:
                throw EKestrinConfigStringError(
                    QStringLiteral("Primary custom channel not allowed"));
            case ctTemperature:
                if (explicitTemperature)
                    throw EKestrinConfigStringError(
                        QStringLiteral("Multiple temperature primaries not allowed"));
                FPrimaryTemperatureChannel = c;
                explicitTemperature = true;
                break;
            case ctPressure:
                if (explicitPressure)
                    throw EKestrinConfigStringError(
                        QStringLiteral("Multiple pressure primaries not allowed"));
                FPrimaryPressureChannel = c;
                explicitPressure = true;
                break;
            case ctHumidity:
                if (explicitHumidity)
                    throw EKestrinConfigStringError(
                        QStringLiteral("Multiple humidity primaries not allowed"));
                FPrimaryHumidityChannel = c;
                explicitHumidity = true;
                break;
            default:
                break;
            }
            underscorePending = false;
        }
        ++p;
        ++c;
    }
    if (c <= ChannelCount())
        throw EKestrinConfigStringError(
            QStringLiteral("Configuration string is too short for model ") + ModelName());
    if (p <= s.size())
        throw EKestrinConfigStringError(
            QStringLiteral("Configuration string is too long for model ") + ModelName());
}

QString TKestrinResult::ConfigurationString() const
{
    QString s = ModelName();
    s += FTransmissionType == ttProcessed ? QLatin1Char('P') : QLatin1Char('R');
    s += QLatin1Char(':');
    for (int c = 1; c <= KestrinChannels; ++c) {
        if (!IsChannelAvailable(c))
            continue;
        if (c == FPrimaryTemperatureChannel || c == FPrimaryPressureChannel ||
            c == FPrimaryHumidityChannel)
            s += QLatin1Char('_');
        s += ChannelTypeLetter(FChannelTypes[c - 1]);
    }
    return s;
}

void TKestrinResult::SaveConfigurationToXml(QDomElement &element) const
{
    AddChildElement(element, QStringLiteral("Configuration"), ConfigurationString());
}

void TKestrinResult::LoadConfigurationFromXml(const QDomElement &element)
{
    for (QDomElement child = element.firstChildElement(QStringLiteral("Configuration"));
         !child.isNull(); child = child.nextSiblingElement(QStringLiteral("Configuration")))
        ParseConfiguration(child.text());
}
