#include "foundation/FileTransaction.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The system's words for an error number, as the operator's locale has them.
QString Reason(int error)
{
    char buffer[256] = {};
    // The GNU form, which returns the text (not always in the buffer).
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

[[noreturn]] void Fail(const QString &fileName, int error)
{
    throw EFileError(QStringLiteral("Cannot write %1: %2").arg(fileName, Reason(error)));
}

// An unnamed temporary is given its name through /proc at commit; without
// /proc the temporaries are named from the start.
bool UnnamedTemporaries()
{
#ifdef O_TMPFILE
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
#else
    return false;
#endif
}

// "FOLDER/NAME.ventrel-1a2b3c4d": beside the file, recognisably ours.
QByteArray TemporaryName(const QByteArray &target)
{
    return target + ".ventrel-" +
           QByteArray::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, '0');
}

// The descriptor that /dev/stdout, /dev/stderr, /dev/fd/N or
// /proc/self/fd/N names; -1 for any other name.
int OwnDescriptor(const QByteArray &path)
{
    if (path == "/dev/stdout")
        return STDOUT_FILENO;
    if (path == "/dev/stderr")
        return STDERR_FILENO;
    for (const char *prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (!path.startsWith(prefix))
            continue;
        bool ok = false;
        const int fd = path.mid(qsizetype(std::strlen(prefix))).toInt(&ok);
        return ok && fd >= 0 ? fd : -1;
    }
    return -1;
}

bool WriteAll(int fd, const QByteArray &bytes, int &error)
{
    const char *data = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            return false;
        }
        data += n;
        left -= size_t(n);
    }
    return true;
}

// Forces what was written out of the system's cache, with what it takes to
// read it back (the size); 0 or the error.
int SyncData(int fd)
{
    int result = 0;
    do
        result = ::fdatasync(fd);
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

// A folder's entries, for the names given in it.
int SyncFolder(int fd)
{
    int result = 0;
    do
        result = ::fsync(fd);
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

// The signal that arrived while names were given, 0 if none.
std::atomic<int> DeferredSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler needs a lock-free atomic");

extern "C" void DeferSignal(int signal)
{
    DeferredSignal.store(signal);
}

// While it lives, an operator's request to end the process (SIGINT,
// SIGTERM, SIGHUP) that would end it at once is noted instead, in whichever
// thread it arrives; afterwards the old handling returns and a noted signal
// is raised again. So a transaction's files take their names all or none.
// A handler of the program's own is left as it is: it ends nothing itself.
class TInterruptionsDeferred
{
  public:
    TInterruptionsDeferred() : FLock(Lock())
    {
        DeferredSignal.store(0);
        struct sigaction defer = {};
        defer.sa_handler = DeferSignal;
        sigemptyset(&defer.sa_mask);
        defer.sa_flags = SA_RESTART;
        for (size_t i = 0; i < Signals.size(); ++i) {
            sigaction(Signals[i], nullptr, &FPrevious[i]);
            FReplaced[i] = FPrevious[i].sa_handler == SIG_DFL;
            if (FReplaced[i])
                sigaction(Signals[i], &defer, nullptr);
        }
    }
    ~TInterruptionsDeferred()
    {
        for (size_t i = 0; i < Signals.size(); ++i)
            if (FReplaced[i])
                sigaction(Signals[i], &FPrevious[i], nullptr);
        if (const int signal = DeferredSignal.exchange(0))
            std::raise(signal);
    }
    TInterruptionsDeferred(const TInterruptionsDeferred &) = delete;
    TInterruptionsDeferred &operator=(const TInterruptionsDeferred &) = delete;

  private:
    // One transaction at a time gives names: the handling is the process's.
    static std::mutex &Lock()
    {
        static std::mutex lock;
        return lock;
    }
    static constexpr std::array<int, 3> Signals{SIGINT, SIGTERM, SIGHUP};
    std::lock_guard<std::mutex> FLock;
    std::array<struct sigaction, 3> FPrevious;
    std::array<bool, 3> FReplaced{};
};

} // namespace

struct TFileTransaction::TStaged
{
    QString FileName;     // as given, for messages
    QByteArray Target;    // the name the file takes (symbolic links followed)
    int Descriptor = -1;  // the temporary, open until it has its name
    QByteArray Temporary; // the temporary's name; empty while it has none
    bool Stream = false;  // written at commit, straight to Target
    int Inherited = -1;   // a stream of the process's own descriptors, not closed
    QByteArray Bytes;     // a stream's bytes

    ~TStaged()
    {
        if (Descriptor >= 0)
            ::close(Descriptor);
        if (!Temporary.isEmpty())
            ::unlink(Temporary.constData());
    }
};

TFileTransaction::TFileTransaction() = default;
TFileTransaction::~TFileTransaction() = default;

void TFileTransaction::Stage(const QString &fileName, const QByteArray &bytes)
{
    if (fileName.isEmpty())
        throw EFileError(QStringLiteral("Cannot write a file without a name"));
    auto staged = std::make_unique<TStaged>();
    staged->FileName = fileName;
    const QByteArray path = QFile::encodeName(fileName);
    std::optional<mode_t> mode; // an existing file's permissions, kept
    // The process's own standard output, as the shell opened it: a file
    // there may be appended to and must not be replaced.
    if (const int own = OwnDescriptor(path); own >= 0) {
        if (::fcntl(own, F_GETFL) < 0)
            Fail(fileName, errno);
        staged->Stream = true;
        staged->Inherited = own;
        staged->Bytes = bytes;
        FStaged.push_back(std::move(staged));
        return;
    }
    struct stat status;
    if (::stat(path.constData(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            Fail(fileName, EISDIR);
        if (!S_ISREG(status.st_mode)) {
            staged->Target = path;
            staged->Stream = true;
            staged->Bytes = bytes;
            FStaged.push_back(std::move(staged));
            return;
        }
        char *resolved = ::realpath(path.constData(), nullptr);
        if (!resolved)
            Fail(fileName, errno);
        staged->Target = resolved;
        std::free(resolved);
        mode = status.st_mode & 07777;
    } else if (errno == ENOENT) {
        staged->Target = QFile::encodeName(QFileInfo(fileName).absoluteFilePath());
    } else {
        Fail(fileName, errno);
    }

    const QByteArray folder =
        QFile::encodeName(QFileInfo(QFile::decodeName(staged->Target)).absolutePath());
    int fd = -1;
#ifdef O_TMPFILE
    if (UnnamedTemporaries()) {
        fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        // A file system without unnamed files gets a named temporary.
        if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            Fail(fileName, errno);
    }
#endif
    for (int attempt = 0; fd < 0; ++attempt) {
        staged->Temporary = TemporaryName(staged->Target);
        fd = ::open(staged->Temporary.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd < 0) {
            const int error = errno;
            staged->Temporary.clear();
            if (error != EEXIST || attempt >= 100)
                Fail(fileName, error);
        }
    }
    staged->Descriptor = fd;
    if (mode)
        ::fchmod(fd, *mode);
    int error = 0;
    if (!WriteAll(fd, bytes, error))
        Fail(fileName, error);
    // Written is not yet safe: the bytes may still be in the system's cache,
    // and a full disk may be reported only now.
    if (const int synced = SyncData(fd))
        Fail(fileName, synced);
    FStaged.push_back(std::move(staged));
}

void TFileTransaction::Commit()
{
    // A stream can be neither staged nor taken back: it is written first, so
    // that a stream that fails leaves every regular file as it was.
    for (const auto &staged : FStaged) {
        if (!staged->Stream)
            continue;
        int error = 0;
        if (staged->Inherited >= 0) {
            if (!WriteAll(staged->Inherited, staged->Bytes, error))
                Fail(staged->FileName, error);
            staged->Bytes.clear();
            continue;
        }
        int fd = -1;
        do
            fd = ::open(staged->Target.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
        if (fd < 0)
            Fail(staged->FileName, errno);
        const bool written = WriteAll(fd, staged->Bytes, error);
        if (::close(fd) != 0 && written && errno != EINTR)
            error = errno;
        if (!written || error)
            Fail(staged->FileName, error);
        staged->Bytes.clear();
    }

    // Every temporary gets a name before any file is replaced: naming can
    // fail (a full folder), renaming within a folder hardly can.
#ifdef O_TMPFILE
    for (const auto &staged : FStaged) {
        if (staged->Stream || !staged->Temporary.isEmpty())
            continue;
        const QByteArray handle = "/proc/self/fd/" + QByteArray::number(staged->Descriptor);
        for (int attempt = 0;; ++attempt) {
            const QByteArray name = TemporaryName(staged->Target);
            if (::linkat(AT_FDCWD, handle.constData(), AT_FDCWD, name.constData(),
                         AT_SYMLINK_FOLLOW) == 0) {
                staged->Temporary = name;
                break;
            }
            if (errno != EEXIST || attempt >= 100)
                Fail(staged->FileName, errno);
        }
    }
#endif

    std::vector<QByteArray> folders;
    {
        const TInterruptionsDeferred deferred;
        for (const auto &staged : FStaged) {
            if (staged->Stream)
                continue;
            if (::rename(staged->Temporary.constData(), staged->Target.constData()) != 0)
                Fail(staged->FileName, errno);
            staged->Temporary.clear();
            ::close(staged->Descriptor);
            staged->Descriptor = -1;
            folders.push_back(
                QFile::encodeName(QFileInfo(QFile::decodeName(staged->Target)).absolutePath()));
        }
    }

    // A new name lives in its folder: syncing the folder keeps it through a
    // power cut. A folder that cannot be synced at all is no failure.
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const QByteArray &folder : folders) {
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue;
        const int error = SyncFolder(fd);
        ::close(fd);
        if (error && error != EINVAL && error != ENOTSUP && error != EROFS)
            Fail(QFile::decodeName(folder), error);
    }
    FStaged.clear();
}

void WriteFileSafely(const QString &fileName, const QByteArray &bytes)
{
    TFileTransaction transaction;
    transaction.Stage(fileName, bytes);
    transaction.Commit();
}
