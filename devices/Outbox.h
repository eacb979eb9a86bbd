#pragma once
// The reports on their way out, in a folder that survives a crash or a
// restart: pending/ holds what is still to be sent, sent/ what a server has
// confirmed whole, and delivery.log one line per attempt. A report is always
// either pending or sent, never lost and never half-written in pending/.
//
// pending/ names each report "SEQUENCE-NAME" (SEQUENCE: ten digits) so that
// the order in which reports were put survives a restart; sent/ holds the
// plain NAME. Files of other names are left alone and never sent.
#include "foundation/Errors.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

// A folder or file of the outbox that cannot be made, read or written, or a
// report name that cannot be a file name.
VENTREL_DECLARE_ERROR(EOutboxError, EFileError);

struct TOutboxEntry
{
    QString Name;     // the report's name, as it goes to the server
    QString FileName; // its file in pending/
};

class TOutbox
{
  public:
    // Opens the outbox, making the folder, pending/ and sent/ where missing;
    // EOutboxError when they cannot be made. Two TOutbox objects on one
    // folder (one on each thread) work together.
    explicit TOutbox(const QString &folder = DefaultFolder());

    // ~/.local/share/ventrel/outbox on Linux: the user's data location, one
    // for every version of the program, so an upgrade leaves nothing behind.
    static QString DefaultFolder();
    // Why `name` cannot be a report's name, or an empty text: a plain file
    // name of letters, digits and - _ + . , not beginning with a dot, at
    // most 200 characters.
    static QString NameProblem(const QString &name);

    const QString &Folder() const { return FFolder; }
    QString PendingFolder() const;
    QString SentFolder() const;
    QString LogFileName() const;

    // Takes what a crash left behind: temporary files of writes that never
    // finished (older than ten minutes, so that a write under way elsewhere
    // is spared) and older copies of a name that was put again.
    void Tidy();

    // Puts a report into pending/ by an atomic write (a temporary file in
    // the same folder, synced, renamed, the folder synced). A name already
    // pending or sent with the same bytes is not put again (false); a name
    // pending with other bytes is replaced and goes to the end of the line.
    // EOutboxError for a bad name or a failed write, which leaves nothing
    // behind.
    bool Put(const QString &name, const QByteArray &bytes);

    // The pending reports in the order they were put, the latest copy of
    // each name.
    std::vector<TOutboxEntry> PendingEntries() const;
    QStringList Pending() const;
    // The bytes of a pending report; EOutboxError when it cannot be read.
    QByteArray Read(const TOutboxEntry &entry) const;

    // Moves a report whose whole file the server has confirmed from pending/
    // to sent/, dated `sentAt`, and syncs both folders. False when it is no
    // longer pending (replaced by a newer copy meanwhile); EOutboxError when
    // the move fails, which leaves it pending.
    bool MarkSent(const TOutboxEntry &entry, const QDateTime &sentAt);
    bool IsSent(const QString &name) const;
    // When a sent report was confirmed; invalid when it is not in sent/.
    QDateTime SentTime(const QString &name) const;

    // Appends one line "UTC-TIME NAME HOST RESULT" to delivery.log and syncs
    // it; EOutboxError when that fails.
    void Log(const QDateTime &time, const QString &name, const QString &host,
             const QString &result) const;

  private:
    QString FFolder;
};
