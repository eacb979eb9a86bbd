#pragma once
// The alphanumeric TEMP report (WMO FM 35) of a land station whose sonde
// measures no wind: part A (standard surfaces up to 100 hPa, tropopause),
// part B (significant levels up to 100 hPa) and, once the ascent has gone
// above 100 hPa, parts C and D for the levels above.
//
// Each part is one line of groups separated by single blanks, its last
// group ending in "="; an empty line between parts; CR LF line ends.
#include "sounding/SoundingProducts.h"
#include "sounding/StationIdentity.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <vector>

// The coding of single values, as the parts use them.
// PPP: whole hPa, the last three digits (1005 gives "005").
QString TempPressure(double hPa);
// PPP in tenths of hPa, the last three digits (85.3 gives "853").
QString TempPressureTenths(double hPa);
// hhh of the standard surface `pressure` at `height` metres: metres up to
// 700 hPa, decametres from 500 hPa up, the last three digits of the rounded
// figure; a negative height h gives 500 + |h|.
QString TempHeight(double pressure, double height);
// TTT: |T| in tenths, the tenths digit even for T >= 0 and odd below.
QString TempTemperature(double T);
// DD: the dew-point depression, "//" without a dew point or beyond 49 K.
QString TempDewpointDepression(double T, const std::optional<double> &dewpoint);
// TTTDD of a level; "/////" without a temperature or below the ground.
QString TempTemperatureGroup(const TProductLevel &level);
// dddff of a level's wind: ddd to the nearest 5 degrees (north as 360), ff
// in m/s with 500 added to ddd for 100 m/s or more; "00000" for calm;
// "/////" without a wind.
QString TempWindGroup(const TProductLevel &level);

// The nominal time of the ascent that YYGG gives: the launch time (the
// surface level's, the release) rounded to the nearest whole hour, in UTC
// from the station's time zone. Invalid without a sounding.
QDateTime TempNominalTime(const TSoundingProducts &products, const TStationIdentity &station);

enum TTempPart : uint8_t
{
    tpA,
    tpB,
    tpC,
    tpD
};

// One part: its groups separated by single blanks on one line, the last
// ending in "=".
struct TTempReportPart
{
    TTempPart Part = tpA;
    QString Text;
};

// The parts of the report in the order A, B and, once the ascent has gone
// above 100 hPa, C, D. ESoundingExportError when there is no sounding or the
// station has no number.
std::vector<TTempReportPart> TempReportParts(const TSoundingProducts &products,
                                             const TStationIdentity &station);

// The whole report: the parts' lines, an empty line between them. ESoundingExportError when there
// is no sounding or the station has no number.
QByteArray FormatTempReport(const TSoundingProducts &products, const TStationIdentity &station);
