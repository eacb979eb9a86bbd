#pragma once
// The reports of a flight as WMO bulletins under their file names: TEMP parts
// A, B, C and D (FM 35, text) and the high-resolution BUFR (template
// 3 09 057), each in a bulletin of its own with the abbreviated heading that
// WMO's tables give it. The station's settings give the geographical
// designator, ii and the originating centre; the delivery gives the
// transmission sequence numbers and, for a report sent again after its
// content changed, the correction indicator.
#include "sounding/SoundingProducts.h"
#include "sounding/StationIdentity.h"
#include "sounding/WmoBulletin.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// What the station's settings give of the headings.
struct TBulletinOrigin
{
    QString A1A2;   // geographical designator of the TEMP headings (Table C1), e.g. "UK"
    QString Ii;     // two digits: 01 to 99 for TEMP, 01 to 19 for the BUFR
    QString Centre; // CCCC, the originating centre's location indicator

    bool IsEmpty() const { return A1A2.isEmpty() && Ii.isEmpty() && Centre.isEmpty(); }
    bool operator==(const TBulletinOrigin &) const = default;
};

// Every problem of the settings, one sentence each, in the order A1A2, ii,
// centre; empty when the TEMP headings can be made. The BUFR's narrower ii
// is checked when a BUFR bulletin is asked for.
QStringList BulletinOriginProblems(const TBulletinOrigin &origin);

// The settings from the text of "--heading A1A2ii" ("UK01") and of
// "--centre CCCC"; EBulletinError with the problems when they are not valid.
TBulletinOrigin ParseBulletinOrigin(const QString &a1a2ii, const QString &centre);

enum TFlightReport : uint8_t
{
    frTempA,
    frTempB,
    frTempC,
    frTempD,
    frBufr
};
constexpr size_t FlightReportCount = 5;

// "TEMP A" ... "TEMP D", "BUFR": the report as the operator reads it.
QString FlightReportName(TFlightReport report);

// The reports that the flight and the station allow, in the order A, B, C,
// D, BUFR: A and B once there is a sounding and a station number, C and D
// once the ascent has gone above 100 hPa, the BUFR with the station's
// position as well.
std::vector<TFlightReport> AvailableReports(const TSoundingProducts &products,
                                            const TStationIdentity &station);

// A2 of the BUFR heading (Attachment II-5, Table C3) for a station at
// `latitude`, `longitude` (degrees, north and east positive): A to D in the
// northern hemisphere for 0-90W, 90W-180, 180-90E and 90E-0, I to L in the
// southern. The equator counts as north, a meridian between two areas as the
// area east of it.
QChar BufrAreaDesignator(double latitude, double longitude);

// T1T2A1A2ii of a report: USA1A2ii, UKA1A2ii, ULA1A2ii, UEA1A2ii for the TEMP
// parts, IUS, the area designator and ii for the BUFR. EBulletinError when
// the settings do not make a valid one (for the BUFR also: ii above 19, or no
// station position).
QString ReportDesignators(TFlightReport report, const TBulletinOrigin &origin,
                          const TStationIdentity &station);

// What a report says, without heading or envelope: the TEMP part's text as
// its bulletin holds it, or the BUFR message of the first issue. Equal
// content means the same report; different content for the same ascent
// needs a correction. ESoundingExportError or EBulletinError when the report
// is not available.
QByteArray ReportContent(const TSoundingProducts &products, const TStationIdentity &station,
                         double stationHeight, TFlightReport report);

// Where the bulletins go; the BUFR's file type follows from it.
enum TBulletinDestination : uint8_t
{
    bdMessageSwitch, // BUFR as ".bin"
    bdWis2box,       // BUFR as ".bufr4"
};

struct TBulletinRequest
{
    // The reports to make, in this order.
    std::vector<TFlightReport> Reports;
    // The BBB of each report, indexed by TFlightReport: empty for the first
    // issue, CCA for the first correction (NextCorrection), ...
    std::array<QString, FlightReportCount> Corrections;
    // The sequence number of the first bulletin; each further one takes the
    // next.
    uint32_t FirstSequenceNumber = 0;
    TSequenceLength SequenceLength = sl3Digits;
    TBulletinDestination Destination = bdMessageSwitch;
};

struct TBulletinFile
{
    TFlightReport Report = frTempA;
    TAbbreviatedHeading Heading;
    QString FileName;
    QByteArray Bytes; // the whole message, starting line to end-of-message
};

// One bulletin per report asked for, in the request's order. The heading's
// time is the nominal time of the ascent (TempNominalTime, the minutes 00),
// which the file name carries as well, so the same report makes the same
// name and bytes every time. A corrected BUFR carries the correction's
// number as its update sequence number. `stationHeight` (m) goes into the
// BUFR. EBulletinError (or ESoundingExportError) with one sentence when the
// settings are not valid or a report is not available; nothing is made then.
std::vector<TBulletinFile> FlightBulletins(const TSoundingProducts &products,
                                           const TStationIdentity &station, double stationHeight,
                                           const TBulletinOrigin &origin,
                                           const TBulletinRequest &request);
