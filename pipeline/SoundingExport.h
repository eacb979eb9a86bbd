#pragma once
// Exports of a flight for analysis tools: a CSV table of the processed data
// and a sounding in SHARPpy's plain-text format. Numbers are written with a
// decimal point whatever the system locale, as the tools expect.
//
// The Format functions return the file's bytes; the Save functions write them
// to a file through a temporary, so a failed save leaves any earlier file
// whole, and raise EFileError with the reason.
#include "foundation/CustomUtilities.h"
#include "foundation/Errors.h"
#include "pipeline/DataPacket.h"

#include <QByteArray>
#include <QString>

class TKestrinResult;

VENTREL_DECLARE_ERROR(ESoundingExportError, EVentrelError);

// Number settings with a decimal point, whatever the system locale says.
TFormatSettings DecimalPointSettings();

// Writes `bytes` to the file through a temporary, so that a failed save
// leaves any earlier file whole; EFileError with the reason.
void WriteExportFile(const QString &fileName, const QByteArray &bytes);

// One header row, then one row per packet, comma-separated, CR LF line ends:
//   Date Time,Time,<channel headings>,Dewpt (degC),Alt (m),Rise (m/min)
// Date Time: the frame time as local ISO 8601 with milliseconds
// ("2026-12-07T13:06:00.250"); Time: its time of day ("13:06:00"). The
// channel headings are those of the log (for example "Ch1 T (degC)") for
// every channel present in the configuration. Channel values have up to 10
// significant digits; dew point two decimals, altitude and rise rate one.
// Missing values are empty fields: a channel without a value, a packet
// without a dew point or altitude, a rise rate that is not finite.
QByteArray FormatProcessedDataCsv(const TKestrinResult &configuration,
                                  const TDataPacketList &packets);
void SaveProcessedDataCsv(const QString &fileName, const TKestrinResult &configuration,
                          const TDataPacketList &packets);

// The ascent (BuildSoundingProfile) as a SHARPpy sounding, LF line ends:
//   %TITLE%
//    VNTRL   261207/1306
//   (empty line)
//      LEVEL       HGHT       TEMP       DWPT       WDIR       WSPD
//   ---------------------------------------------------------------
//   %RAW%
//    1000.00,    100.00,     30.00,     20.00,  -9999.00,  -9999.00
//   ...
//   %END%
// The title holds the station (blanks and commas removed; VNTRL when that
// leaves nothing) and the time of the lowest level in UTC as yymmdd/hhmm.
// Each level: pressure (mbar), altitude (m), temperature and dew point (degC)
// with two decimals, right-aligned in 8 characters for the first field and 10
// after each comma; -9999.00 for a missing dew point and for both wind columns
// (the sonde measures no wind). A level that would repeat the previous
// level's pressure or altitude at two decimals is left out, so the written
// pressures fall and the altitudes rise strictly. Raises ESoundingExportError
// when no packet has pressure, temperature and altitude.
QByteArray FormatSharppySounding(const TDataPacketList &packets,
                                 const QString &station = QString());
void SaveSharppySounding(const QString &fileName, const TDataPacketList &packets,
                         const QString &station = QString());
