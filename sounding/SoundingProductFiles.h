#pragma once
// The sounding products as files for weather services and their tools: a
// table of the reported levels (CSV) and a summary of the flight (JSON).
// Numbers are written with a decimal point whatever the system locale says.
#include "sounding/SoundingProducts.h"
#include "sounding/StationIdentity.h"

#include <QByteArray>
#include <QString>

// Header line
//   kind,pressure_hPa,height_m,temperature_C,dewpoint_C,relative_humidity_pct
// then the "surface" row, the "standard" rows, the "significant" rows (each
// in decreasing pressure) and a "tropopause" row when there is one; pressure,
// temperature, dew point and humidity with one decimal, height with none, an
// empty cell for a missing value; CR LF line ends. ESoundingExportError when
// there is no sounding.
QByteArray FormatLevelsCsv(const TSoundingProducts &products);

// One JSON object with the keys station, latitude, longitude,
// launch_time_utc, release ("automatic", "operator" or "first frame"),
// ground_minutes, surface_source ("observation" or "sonde"),
// sonde_pressure_offset_hPa, surface {pressure_hPa, height_m, temperature_C,
// dewpoint_C}, highest_pressure_hPa, highest_height_m, termination (the code
// of WMO table 0 35 035), termination_text, burst_pressure_hPa,
// burst_height_m, lcl_hPa, lfc_hPa, el_hPa, cape_J_kg, cin_J_kg,
// precipitable_water_mm, freezing_level_m, tropopause_hPa, tropopause_m,
// lifted_index, showalter_index, k_index, total_totals, screened {pressure,
// temperature, humidity, humidity_capped: what the screening took out} and
// gaps [{from_hPa, to_hPa, what}: the layers of missing data], in that order;
// null for whatever is missing. The launch time is the release, the surface
// level's time, in UTC from the station's time zone (the machine's without
// one). ESoundingExportError when there is no sounding.
QByteArray FormatSoundingSummary(const TSoundingProducts &products,
                                 const TStationIdentity &station);
