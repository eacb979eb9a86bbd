#pragma once
// What the sounding's files share, and the sounding in SHARPpy's plain-text
// format. Numbers are written with a decimal point whatever the system
// locale, as the tools that read them expect.
#include "foundation/CustomUtilities.h"
#include "foundation/Errors.h"
#include "sounding/SoundingAnalysis.h"
#include "sounding/SoundingProducts.h"
#include "sounding/StationIdentity.h"

#include <QByteArray>
#include <QString>

VENTREL_DECLARE_ERROR(ESoundingExportError, EVentrelError);

// Raises ESoundingExportError when the products hold no sounding: with the
// flight's own reason when it has one ("The data begin aloft at ..."), else
// "There is no sounding to VERB: no frame has a valid pressure and
// temperature".
void RequireSounding(const TSoundingProducts &products, const char *verb);

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
// The title holds the station number (blanks and commas removed; VNTRL when
// that leaves nothing), the time of the lowest level in UTC (from the
// station's time zone) as yymmdd/hhmm and, when the station has a position,
// its latitude and longitude ("   50.2000,-5.3000"), so that SHARPpy places
// the sounding at the station.
// Each level: pressure (mbar), altitude (m), temperature and dew point (degC)
// with two decimals, right-aligned in 8 characters for the first field and 10
// after each comma; -9999.00 for a missing dew point and for both wind columns
// (the sonde measures no wind). A level that would repeat the previous
// level's pressure or altitude at two decimals is left out, so the written
// pressures fall and the altitudes rise strictly. Raises ESoundingExportError
// for an empty profile.
QByteArray FormatSharppyProfile(const TSoundingProfile &profile,
                                const TStationIdentity &station = {});
