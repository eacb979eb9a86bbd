#pragma once
// The station's settings in the graph settings document, and where its
// reports are delivered: written only when set, so that documents without
// them stay as they were.
#include "devices/DeliverySettings.h"
#include "sounding/FlightBulletins.h"
#include "sounding/StationIdentity.h"
#include "sounding/SurfaceObservation.h"

#include <QDomDocument>
#include <QDomElement>
#include <optional>

// Adds a "Station" element to `parent` holding "Number", "Latitude",
// "Longitude" and "TimeZone", each only when set; nothing at all when the
// identity is empty.
void SaveStationToXml(const TStationIdentity &station, QDomElement &parent);
// The identity under `parent`'s "Station" element; empty without one.
// EConvertError naming the element for a value that cannot be read or is out
// of range, and for a "Station" element or a child of it given twice.
TStationIdentity LoadStationFromXml(const QDomElement &parent);

// Adds a "SurfaceObservation" element holding "Pressure", "Temperature",
// "Humidity" and, when given, "WindDirection" and "WindSpeed"; nothing
// without an observation.
void SaveSurfaceObservationToXml(const std::optional<TSurfaceObservation> &observation,
                                 QDomElement &parent);
// The observation under `parent`'s "SurfaceObservation" element; none
// without one. EConvertError naming the element for a value that is missing,
// cannot be read or is out of range.
std::optional<TSurfaceObservation> LoadSurfaceObservationFromXml(const QDomElement &parent);

// Adds a "Delivery" element to `parent` holding "Host", "Port", "User",
// "PrivateKeyFile", "RemoteFolder", "KnownHostsFile" and "UploadDirectly",
// each only when set (the port when not 22, the flag when true); nothing at
// all when the settings are empty. Never a password: there is none.
void SaveDeliveryToXml(const TDeliverySettings &delivery, QDomElement &parent);
// The settings under `parent`'s "Delivery" element; empty without one.
// EConvertError naming the element for a port that is not a number from 1 to
// 65535 or a flag that is not a boolean. Files and folders are taken as
// written (the document may come from another machine):
// DeliverySettingsProblems tells what is wrong with them here.
TDeliverySettings LoadDeliveryFromXml(const QDomElement &parent);

// Adds a "Bulletins" element to `parent` holding "Heading" (A1A2ii),
// "Centre" and "Automatic" (automatic delivery, only when on), each only
// when set; nothing when none is.
void SaveBulletinsToXml(const TBulletinOrigin &origin, bool automatic, QDomElement &parent);
// What `parent`'s "Bulletins" element holds; empty and off without one.
// Values are taken as written (BulletinOriginProblems tells what is wrong
// with them); EConvertError for "Automatic" that is not a boolean.
void LoadBulletinsFromXml(const QDomElement &parent, TBulletinOrigin &origin, bool &automatic);

// The small documents the program keeps for itself (the delivery settings,
// the run markers): a new one holding the XML declaration and the root
// element `root`;
QDomDocument NewOwnDocument(const QString &root);
// and one read back. EFileError when it cannot be opened; EConvertError
// "FILE is not WHAT" when it is not such a document: over a megabyte,
// nested deeper than a settings document may be, not XML, or another root.
QDomDocument ReadOwnDocument(const QString &fileName, const QString &root, const QString &what);
