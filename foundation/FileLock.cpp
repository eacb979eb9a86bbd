#include "foundation/FileLock.h"

#include <QFile>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

int OpenAndLock(const QString &fileName, int flags)
{
    const int handle = ::open(QFile::encodeName(fileName).constData(), flags | O_CLOEXEC, 0644);
    if (handle < 0)
        return -1;
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        ::close(handle);
        return -1;
    }
    return handle;
}

} // namespace

TFileLock::~TFileLock()
{
    Unlock();
}

bool TFileLock::Lock(const QString &fileName)
{
    Unlock();
    FHandle = OpenAndLock(fileName, O_RDWR | O_CREAT);
    return FHandle >= 0;
}

void TFileLock::Unlock()
{
    if (FHandle >= 0)
        ::close(FHandle); // closing the last descriptor drops the lock
    FHandle = -1;
}

bool TFileLock::IsLockedElsewhere(const QString &fileName)
{
    const int handle = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        return false;
    const bool free = ::flock(handle, LOCK_EX | LOCK_NB) == 0;
    ::close(handle);
    return !free;
}

#else
// Elsewhere the lock is only the program's own bookkeeping: a second
// instance is not kept out.
TFileLock::~TFileLock() = default;
bool TFileLock::Lock(const QString &)
{
    FHandle = 0;
    return true;
}
void TFileLock::Unlock()
{
    FHandle = -1;
}
bool TFileLock::IsLockedElsewhere(const QString &)
{
    return false;
}
#endif
