#pragma once
// The graph settings document: the settings of the three graphs, the data
// parameters, the displayed altitude unit, the graph shown and every recorded
// line, in one XML file.
//
// Reading checks the whole document before anything is handed back, so a
// caller that applies only a complete TGraphSettings is never left half
// changed by a broken file.
#include "devices/DeliverySettings.h"
#include "foundation/Errors.h"
#include "foundation/LocalDefs.h"
#include "graphs/SkewTGraphParameters.h"
#include "graphs/StandardGraphParameters.h"
#include "graphs/TimeGraphParameters.h"
#include "pipeline/DataParameters.h"
#include "sounding/FlightBulletins.h"
#include "sounding/StationIdentity.h"
#include "sounding/SurfaceObservation.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// A file that cannot be read, or that is not an XML document.
VENTREL_DECLARE_ERROR(EGraphSettingsFileError, EFileError);

struct TGraphSettings
{
    TStandardGraphParameters StandardParameters;
    TSkewTGraphParameters SkewTParameters;
    TTimeGraphParameters TimeParameters;
    TDataParameters DataParameters;
    TLengthUnit DisplayedUnit = luMeters;
    TGraphType CurrentGraph = gtStandard;
    QStringList RecordedLines;
    // Written only when set, so documents without them stay as they were.
    TStationIdentity Station;
    std::optional<TSurfaceObservation> Surface;
    // Where the reports go; written only when set, like the station.
    TDeliverySettings Delivery;
    // The bulletins' headings, and whether the reports go out by themselves.
    TBulletinOrigin Bulletins;
    bool AutomaticDelivery = false;
};

// The file's bytes: the line <?xml version="1.0"?>, then the element tree
// "KestrinGraphs"; lines end in CR LF; text in the system's 8-bit code page.
QByteArray GraphSettingsToBytes(const TGraphSettings &settings);
// Writes the document, replacing any file of that name only once the whole
// document is written; EFileError when that fails.
void WriteGraphSettings(const QString &fileName, const TGraphSettings &settings);

// The deepest nesting of elements a document may have; its own elements nest
// 8 deep.
constexpr int MaxSettingsDepth = 32;
// How deep the elements of an XML text nest, counted only up to `limit` + 1,
// without parsing it: the parser's time grows with the square of the nesting.
int ElementDepth(QStringView text, int limit);

// Reads a document (UTF-16 by its byte-order mark, otherwise the 8-bit code
// page). A document nested deeper than MaxSettingsDepth is refused before it
// is parsed. An invalid configuration string raises
// EKestrinConfigStringError unchanged. Any other problem raises an exception
// whose message says where: EGraphSettingsFileError (unreadable, not XML,
// with the line), EConvertError (a missing element or a value that is not
// a number or boolean, a station identity out of range or repeated, a launch
// elevation that is not possible, a delivery port that is not one), EListIndexError (fewer than
// three "Axis" or ten "Series"), EGraphNodeNameError (an unknown "CurrentGraph").
TGraphSettings ParseGraphSettings(const QByteArray &contents, const QString &fileName);
TGraphSettings ReadGraphSettings(const QString &fileName);
