#pragma once
// What the sounding's files share, and the sounding in SHARPpy's plain-text
// format. Numbers are written with a decimal point whatever the system
// locale, as the tools that read them expect.
#include "foundation/CustomUtilities.h"
#include "foundation/Errors.h"
#include "sounding/SoundingAnalysis.h"

#include <QByteArray>
#include <QString>

VENTREL_DECLARE_ERROR(ESoundingExportError, EVentrelError);

// Number settings with a decimal point, whatever the system locale says.
TFormatSettings DecimalPointSettings();

// The profile as a SHARPpy sounding, LF line ends:
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
// for an empty profile.
QByteArray FormatSharppyProfile(const TSoundingProfile &profile,
                                const QString &station = QString());
