#pragma once
// The station's settings in the graph settings document: written only when
// set, so that documents without them stay as they were.
#include "sounding/StationIdentity.h"

#include <QDomElement>

// Adds a "Station" element to `parent` holding "Number", "Latitude" and
// "Longitude", each only when set; nothing at all when the identity is empty.
void SaveStationToXml(const TStationIdentity &station, QDomElement &parent);
// The identity under `parent`'s "Station" element; empty without one.
// EConvertError naming the element for a value that cannot be read or is out
// of range, and for a "Station" element or a child of it given twice.
TStationIdentity LoadStationFromXml(const QDomElement &parent);
