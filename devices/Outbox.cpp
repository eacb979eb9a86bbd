#include "devices/Outbox.h"

#include "devices/DiskSync.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <system_error>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace {

constexpr int SequenceDigits = 10;
const QString TemporaryPrefix = QStringLiteral(".put-");
const QString TemporarySuffix = QStringLiteral(".tmp");

std::filesystem::path NativePath(const QString &fileName)
{
    return std::filesystem::path(QFile::encodeName(fileName).toStdString());
}

// Replaces `to` by `from` in one step, as the operating system's rename does.
std::error_code RenameReplacing(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(NativePath(from), NativePath(to), error);
    return error;
}

void MakeFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw EOutboxError(QStringLiteral("Could not make the outbox folder ") + folder);
}

// The sequence and name of a pending file; sequence 0 for any other file.
std::pair<qint64, QString> ParsePendingName(const QString &fileName)
{
    if (fileName.size() <= SequenceDigits + 1 || fileName.at(SequenceDigits) != QLatin1Char('-'))
        return {0, QString()};
    bool ok = false;
    const qint64 sequence = fileName.left(SequenceDigits).toLongLong(&ok);
    const QString name = fileName.mid(SequenceDigits + 1);
    if (!ok || sequence < 1 || !TOutbox::NameProblem(name).isEmpty())
        return {0, QString()};
    return {sequence, name};
}

QByteArray ReadWhole(const QString &fileName, bool *ok)
{
    QFile file(fileName);
    *ok = file.open(QIODevice::ReadOnly);
    QByteArray bytes = *ok ? file.readAll() : QByteArray();
    *ok = *ok && file.error() == QFileDevice::NoError;
    return bytes;
}

bool SameBytes(const QString &fileName, const QByteArray &bytes)
{
    if (QFileInfo(fileName).size() != bytes.size())
        return false;
    bool ok = false;
    return ReadWhole(fileName, &ok) == bytes && ok;
}

// Everything in pending/ that is a report, oldest first, with every copy of
// each name.
std::vector<std::pair<qint64, TOutboxEntry>> ListPending(const QString &folder)
{
    std::vector<std::pair<qint64, TOutboxEntry>> entries;
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QString &file : files) {
        auto [sequence, name] = ParsePendingName(file);
        if (sequence > 0)
            entries.push_back({sequence, {name, QDir(folder).filePath(file)}});
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    return entries;
}

QString OneLine(QString text)
{
    for (QChar &c : text)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return text;
}

} // namespace

TOutbox::TOutbox(const QString &folder) : FFolder(QDir::cleanPath(folder))
{
    MakeFolder(PendingFolder());
    MakeFolder(SentFolder());
}

QString TOutbox::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/ventrel/outbox");
}

QString TOutbox::NameProblem(const QString &name)
{
    bool plain = !name.isEmpty() && name.size() <= 200 && !name.startsWith(QLatin1Char('.'));
    for (QChar c : name)
        plain = plain && ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                          (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                          (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                          QStringLiteral("-_+.,").contains(c));
    if (plain)
        return QString();
    return QStringLiteral("A report's name must be a plain file name of letters, digits and "
                          "- _ + . , not beginning with a dot, not \"%1\"")
        .arg(name);
}

QString TOutbox::PendingFolder() const
{
    return FFolder + QStringLiteral("/pending");
}

QString TOutbox::SentFolder() const
{
    return FFolder + QStringLiteral("/sent");
}

QString TOutbox::LogFileName() const
{
    return FFolder + QStringLiteral("/delivery.log");
}

void TOutbox::Tidy()
{
    const QDir pending(PendingFolder());
    const QDateTime old = QDateTime::currentDateTimeUtc().addSecs(-600);
    const QFileInfoList files =
        pending.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &file : files)
        if (file.fileName().startsWith(TemporaryPrefix) &&
            file.fileName().endsWith(TemporarySuffix) && file.lastModified().toUTC() < old)
            QFile::remove(file.filePath());
    // Of a name put again, the newest copy counts; a crash between the write
    // of the new copy and the removal of the old one leaves both.
    std::map<QString, QString> newest;
    for (const auto &[sequence, entry] : ListPending(PendingFolder())) {
        auto [it, fresh] = newest.try_emplace(entry.Name, entry.FileName);
        if (!fresh) {
            QFile::remove(it->second);
            it->second = entry.FileName;
        }
    }
    SyncFolder(PendingFolder());
}

bool TOutbox::Put(const QString &name, const QByteArray &bytes)
{
    if (const QString problem = NameProblem(name); !problem.isEmpty())
        throw EOutboxError(problem);
    // Pending first, then sent: a report that moves from one to the other
    // meanwhile is seen in one of them.
    const std::vector<TOutboxEntry> pending = PendingEntries();
    const auto same = std::find_if(pending.begin(), pending.end(),
                                   [&](const TOutboxEntry &e) { return e.Name == name; });
    if (same != pending.end() && SameBytes(same->FileName, bytes))
        return false;
    if (same == pending.end() && SameBytes(SentFolder() + QLatin1Char('/') + name, bytes))
        return false;

    qint64 sequence = 0;
    for (const auto &entry : ListPending(PendingFolder()))
        sequence = std::max(sequence, entry.first);
    const QString target =
        PendingFolder() + QLatin1Char('/') +
        QStringLiteral("%1").arg(sequence + 1, SequenceDigits, 10, QLatin1Char('0')) +
        QLatin1Char('-') + name;

    static std::atomic<quint64> counter{0};
    const QString temporary = PendingFolder() + QLatin1Char('/') + TemporaryPrefix +
                              QString::number(QCoreApplication::applicationPid()) +
                              QLatin1Char('-') + QString::number(++counter) + TemporarySuffix;
    const QString failure =
        QStringLiteral("Could not write the report %1 into the outbox %2").arg(name, FFolder);
    {
        QFile file(temporary);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            throw EOutboxError(failure + QStringLiteral(": ") + file.errorString());
        }
        const bool written =
            file.write(bytes) == bytes.size() && file.flush() && SyncFileData(file);
        const QString reason = file.errorString();
        file.close();
        if (!written) {
            QFile::remove(temporary);
            throw EOutboxError(failure + QStringLiteral(": ") + reason);
        }
    }
    if (const std::error_code error = RenameReplacing(temporary, target)) {
        QFile::remove(temporary);
        throw EOutboxError(failure + QStringLiteral(": ") +
                           QString::fromStdString(error.message()));
    }
    SyncFolder(PendingFolder());
    if (same != pending.end()) {
        QFile::remove(same->FileName);
        SyncFolder(PendingFolder());
    }
    return true;
}

std::vector<TOutboxEntry> TOutbox::PendingEntries() const
{
    std::vector<TOutboxEntry> entries;
    for (auto &[sequence, entry] : ListPending(PendingFolder())) {
        std::erase_if(entries, [&](const TOutboxEntry &e) { return e.Name == entry.Name; });
        entries.push_back(std::move(entry));
    }
    return entries;
}

QStringList TOutbox::Pending() const
{
    QStringList names;
    for (const TOutboxEntry &entry : PendingEntries())
        names << entry.Name;
    return names;
}

QByteArray TOutbox::Read(const TOutboxEntry &entry) const
{
    bool ok = false;
    QByteArray bytes = ReadWhole(entry.FileName, &ok);
    if (!ok)
        throw EOutboxError(QStringLiteral("Could not read the report %1 in the outbox %2")
                               .arg(entry.Name, FFolder));
    return bytes;
}

bool TOutbox::MarkSent(const TOutboxEntry &entry, const QDateTime &sentAt)
{
    const QString target = SentFolder() + QLatin1Char('/') + entry.Name;
    if (!QFileInfo::exists(entry.FileName))
        return false;
    MakeFolder(SentFolder());
    if (const std::error_code error = RenameReplacing(entry.FileName, target)) {
        if (error == std::errc::no_such_file_or_directory && !QFileInfo::exists(entry.FileName))
            return false;
        throw EOutboxError(
            QStringLiteral("Could not move the sent report %1 into %2: %3")
                .arg(entry.Name, SentFolder(), QString::fromStdString(error.message())));
    }
#ifndef Q_OS_WIN
    // The file's time says when the server confirmed it (best effort).
    const qint64 ms = sentAt.toMSecsSinceEpoch();
    const timespec times[2] = {{ms / 1000, (ms % 1000) * 1000000},
                               {ms / 1000, (ms % 1000) * 1000000}};
    ::utimensat(AT_FDCWD, QFile::encodeName(target).constData(), times, 0);
#else
    Q_UNUSED(sentAt);
#endif
    SyncFolder(SentFolder());
    SyncFolder(PendingFolder());
    return true;
}

bool TOutbox::IsSent(const QString &name) const
{
    return NameProblem(name).isEmpty() && QFileInfo::exists(SentFolder() + QLatin1Char('/') + name);
}

QDateTime TOutbox::SentTime(const QString &name) const
{
    if (!IsSent(name))
        return QDateTime();
    return QFileInfo(SentFolder() + QLatin1Char('/') + name).lastModified().toUTC();
}

void TOutbox::Log(const QDateTime &time, const QString &name, const QString &host,
                  const QString &result) const
{
    const QByteArray line =
        (time.toUTC().toString(Qt::ISODate) + QLatin1Char(' ') + OneLine(name) + QLatin1Char(' ') +
         OneLine(host) + QLatin1Char(' ') + OneLine(result) + QLatin1Char('\n'))
            .toUtf8();
    QFile file(LogFileName());
    const bool fresh = !file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered) ||
        file.write(line) != line.size() || !SyncFileData(file))
        throw EOutboxError(QStringLiteral("Could not write ") + LogFileName());
    if (fresh)
        SyncFolder(FFolder);
}
