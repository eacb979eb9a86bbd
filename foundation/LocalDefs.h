#pragma once
// The shared vocabulary: channel types, length units and graph types with
// their display, file and configuration names.
#include "foundation/Errors.h"

#include <QString>
#include <cstdint>

enum TChannelType : uint8_t
{
    ctUnused = 0,
    ctVoltage = 1,
    ctTemperature = 2,
    ctPressure = 3,
    ctHumidity = 4,
    ctFrequency = 5,
    ctParallelByte = 6,
    ctUnavailable = 7,
    ctCustom = 8,
};
constexpr int ChannelTypeCount = 9;

enum TLengthUnit : uint8_t
{
    luMeters = 0,
    luFeet = 1
};

enum TGraphType : uint8_t
{
    gtStandard = 0,
    gtSkewT = 1,
    gtTime = 2
};

// A channel carries a value, a list column and a log field only when present.
constexpr bool IsPresentChannelType(TChannelType t)
{
    return t != ctUnused && t != ctUnavailable;
}

VENTREL_DECLARE_ERROR(EGraphNodeNameError, EVentrelError);

QString ChannelTypeToName(TChannelType type);
// The column suffix of a channel type in log and list headings (" T", " PB", ...).
QString ChannelTypeColumnSuffix(TChannelType type);
// The unit text of a channel type ("(degC)", ...); empty for parallel byte and custom.
QString ChannelTypeUnitText(TChannelType type);

QString LengthUnitToName(TLengthUnit unit);
TLengthUnit NameToLengthUnit(const QString &text);

QString GraphTypeToName(TGraphType type);
TGraphType NameToGraphType(const QString &text);
QString GraphTypeToNodeName(TGraphType type);
TGraphType NodeNameToGraphType(const QString &text);
