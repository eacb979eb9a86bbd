#pragma once
// Exports of a flight's packets for analysis tools: a CSV table of the
// processed data and the ascent as a SHARPpy sounding. Numbers are written
// with a decimal point whatever the system locale, as the tools expect.
//
// The Format functions return the file's bytes; the Save functions write them
// to a file through a temporary, so a failed save leaves any earlier file
// whole, and raise EFileError with the reason.
#include "pipeline/DataPacket.h"
#include "sounding/SoundingExport.h"

#include <QByteArray>
#include <QString>

class TKestrinResult;

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

// The ascent in the packets (BuildSoundingProfile) as a SHARPpy sounding
// (FormatSharppyProfile).
QByteArray FormatSharppySounding(const TDataPacketList &packets,
                                 const TStationIdentity &station = {});
void SaveSharppySounding(const QString &fileName, const TDataPacketList &packets,
                         const TStationIdentity &station = {});
