#pragma once
// An exclusive lock on a file for as long as the object lives, which the
// system drops when the process ends, crash or not: a second program that
// asks for it is told the file is in use instead of waiting.
#include <QString>

class TFileLock
{
  public:
    TFileLock() = default;
    ~TFileLock();
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;

    // Locks `fileName`, making it (empty) when it does not exist. False when
    // another holder has it locked or it cannot be opened; the lock held
    // before is dropped either way.
    bool Lock(const QString &fileName);
    void Unlock();
    bool Locked() const { return FHandle >= 0; }

    // Someone holds a lock on the file (this object's own included).
    static bool IsLockedElsewhere(const QString &fileName);

  private:
    int FHandle = -1;
};
