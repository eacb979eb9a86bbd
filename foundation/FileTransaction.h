#pragma once
// Every file the programs write goes through here, so that a failed write
// never looks like success and never costs the file that was there.
//
// A regular file is written under a temporary in its own folder (unnamed
// where the file system allows it, so that even a killed process leaves
// nothing behind), every write and the sync are checked, and only then does
// it take the file's name; the folder is synced after. A name that already
// exists and is not a regular file (a device such as /dev/full, a named
// pipe) is written to directly as a stream and never replaced; so are the
// process's own descriptors (/dev/stdout, /dev/fd/N), whatever they lead
// to, as the shell opened them (a file opened to append is appended to). Failures raise EFileError
// "Cannot write FILE: REASON" with the system's reason, for example "No space left on device".
#include "foundation/Errors.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

// Several files put in place together: each is staged (written in full and
// synced under a temporary), and Commit gives them their names one right
// after the other. Until Commit nothing of an earlier file is touched, and a
// transaction destroyed without Commit leaves no trace.
class TFileTransaction
{
  public:
    TFileTransaction();
    ~TFileTransaction();
    TFileTransaction(const TFileTransaction &) = delete;
    TFileTransaction &operator=(const TFileTransaction &) = delete;

    // Writes the bytes under a temporary beside `fileName` (a symbolic link
    // is followed: the file it names is the one replaced), or keeps them for
    // Commit when `fileName` is a stream. EFileError when anything fails.
    void Stage(const QString &fileName, const QByteArray &bytes);
    // Writes the streams, then renames every temporary onto its file with
    // an operator's interruption (SIGINT, SIGTERM, SIGHUP) put off until all
    // are in place, and syncs the folders. EFileError when anything fails; files
    // not yet renamed then keep their old contents.
    void Commit();

  private:
    struct TStaged;
    std::vector<std::unique_ptr<TStaged>> FStaged;
};

// One file by a transaction of its own.
void WriteFileSafely(const QString &fileName, const QByteArray &bytes);
