#include "foundation/LocalDefs.h"

QString ChannelTypeToName(TChannelType type)
{
    switch (type) {
    case ctVoltage:
        return QStringLiteral("Voltage");
    case ctTemperature:
        return QStringLiteral("Temperature");
    case ctPressure:
        return QStringLiteral("Pressure");
    case ctHumidity:
        return QStringLiteral("Humidity");
    case ctFrequency:
        return QStringLiteral("Frequency");
    case ctParallelByte:
        return QStringLiteral("Parallel Byte");
    case ctUnavailable:
        return QStringLiteral("Unavailable");
    case ctCustom:
        return QStringLiteral("Custom");
    default:
        return QStringLiteral("Unused");
    }
}

QString ChannelTypeColumnSuffix(TChannelType type)
{
    switch (type) {
    case ctVoltage:
        return QStringLiteral(" V");
    case ctTemperature:
        return QStringLiteral(" T");
    case ctPressure:
        return QStringLiteral(" P");
    case ctHumidity:
        return QStringLiteral(" U");
    case ctFrequency:
        return QStringLiteral(" F");
    case ctParallelByte:
        return QStringLiteral(" PB");
    case ctCustom:
        return QStringLiteral(" C");
    default:
        return QString();
    }
}

QString ChannelTypeUnitText(TChannelType type)
{
    switch (type) {
    case ctVoltage:
        return QStringLiteral("(volt)");
    case ctTemperature:
        return QStringLiteral("(degC)");
    case ctPressure:
        return QStringLiteral("(mbar)");
    case ctHumidity:
        return QStringLiteral("(%RH)");
    case ctFrequency:
        return QStringLiteral("(Hz)");
    default:
        return QString();
    }
}

QString LengthUnitToName(TLengthUnit unit)
{
    return unit == luFeet ? QStringLiteral("Feet") : QStringLiteral("Meters");
}

TLengthUnit NameToLengthUnit(const QString &text)
{
    return text == QLatin1String("Feet") ? luFeet : luMeters;
}

QString GraphTypeToName(TGraphType type)
{
    switch (type) {
    case gtSkewT:
        return QStringLiteral("SkewT");
    case gtTime:
        return QStringLiteral("Time");
    default:
        return QStringLiteral("Standard");
    }
}

TGraphType NameToGraphType(const QString &text)
{
    if (text == QLatin1String("SkewT"))
        return gtSkewT;
    if (text == QLatin1String("Time"))
        return gtTime;
    return gtStandard;
}

QString GraphTypeToNodeName(TGraphType type)
{
    switch (type) {
    case gtSkewT:
        return QStringLiteral("SkewTGraph");
    case gtTime:
        return QStringLiteral("TimeGraph");
    default:
        return QStringLiteral("StandardGraph");
    }
}

TGraphType NodeNameToGraphType(const QString &text)
{
    if (text == QLatin1String("StandardGraph"))
        return gtStandard;
    if (text == QLatin1String("SkewTGraph"))
        return gtSkewT;
    if (text == QLatin1String("TimeGraph"))
        return gtTime;
    throw EGraphNodeNameError(text + QStringLiteral(" is not a valid graph type"));
}
