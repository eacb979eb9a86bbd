#include "pipeline/RunMarker.h"

#include "devices/DiskSync.h"
#include "foundation/FileTransaction.h"
#include "foundation/LocalUtilities.h"
#include "graphs/SettingsXml.h"
#include "pipeline/StationSettingsXml.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString Root = QStringLiteral("VentrelRun");

} // namespace

QString DefaultRunMarkerFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/ventrel/runs");
}

QString RunMarkerFile(const QString &folder, const QString &logFile)
{
    const QByteArray hash =
        QCryptographicHash::hash(logFile.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(folder).filePath(QString::fromLatin1(hash) + QStringLiteral(".xml"));
}

void WriteRunMarker(const QString &fileName, const TRunMarker &marker)
{
    QDomDocument document = NewOwnDocument(Root);
    QDomElement root = document.documentElement();
    AddChildElement(root, QStringLiteral("LogFile"), marker.LogFile);
    AddChildElement(root, QStringLiteral("Configuration"), marker.Configuration);
    AddXmlDouble(root, QStringLiteral("LaunchElevation"), marker.LaunchElevation);
    SaveStationToXml(marker.Station, root);
    SaveSurfaceObservationToXml(marker.Surface, root);
    if (marker.Release)
        AddXmlDouble(root, QStringLiteral("Release"), *marker.Release);
    if (marker.End)
        AddXmlDouble(root, QStringLiteral("EndOfAscent"), *marker.End);
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    WriteFileSafely(fileName, document.toByteArray(1));
}

TRunMarker ReadRunMarker(const QString &fileName)
{
    const QDomDocument document = ReadOwnDocument(fileName, Root, QStringLiteral("a run marker"));
    const TXmlReader root(document.documentElement());
    TRunMarker marker;
    marker.LogFile = root.Child(QStringLiteral("LogFile")).Element().text();
    marker.Configuration = root.Child(QStringLiteral("Configuration")).Element().text();
    if (marker.LogFile.isEmpty())
        throw EConvertError(root.Path() + QStringLiteral("/LogFile: no log named"));
    marker.LaunchElevation = root.Double(QStringLiteral("LaunchElevation"));
    marker.Station = LoadStationFromXml(root.Element());
    marker.Surface = LoadSurfaceObservationFromXml(root.Element());
    for (auto [name, mark] : {std::pair{"Release", &marker.Release}, {"EndOfAscent", &marker.End}})
        if (!root.Element().firstChildElement(QLatin1String(name)).isNull())
            *mark = root.Double(QLatin1String(name));
    return marker;
}

qint64 CutPartialLastLine(const QString &logFile)
{
    QFile log(logFile);
    if (!log.open(QIODevice::ReadWrite))
        throw EFileError(QStringLiteral("Could not open file ") + logFile);
    const QByteArray bytes = log.readAll();
    if (bytes.isEmpty() || bytes.endsWith('\n'))
        return 0;
    const qsizetype keep = bytes.lastIndexOf('\n') + 1;
    const QByteArray partial = bytes.mid(keep);
    // The piece is kept before the log loses it.
    QFile piece(logFile + QStringLiteral(".partial"));
    if (!piece.open(QIODevice::WriteOnly | QIODevice::Append) ||
        piece.write(partial) != partial.size() || !SyncFileData(piece))
        throw EFileError(QStringLiteral("Could not write to file ") + piece.fileName());
    if (!log.resize(keep) || !SyncFileData(log))
        throw EFileError(QStringLiteral("Could not cut the last line of ") + logFile);
    return partial.size();
}
