#include "devices/FileManager.h"
#include "pipeline/GraphSettingsDocument.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

// The core library is linked into this program statically, so its calls of
// fdatasync land in the definition below: each is recorded with the file,
// its size at that moment and the thread, and a test can make the next ones
// fail as a failing disk would.
struct TSyncCall
{
    QString File;
    qint64 Size = 0;
    QString Thread;
};
std::mutex SyncLock;
std::vector<TSyncCall> SyncCalls;
int FailingSyncs = 0;

std::vector<TSyncCall> SyncsOf(const QString &path)
{
    const std::lock_guard lock(SyncLock);
    std::vector<TSyncCall> calls;
    for (const TSyncCall &call : SyncCalls)
        if (call.File == QFileInfo(path).canonicalFilePath())
            calls.push_back(call);
    return calls;
}

} // namespace

extern "C" int fdatasync(int fd)
{
    TSyncCall call;
    char target[4096];
    const ssize_t length =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target);
    if (length > 0)
        call.File = QString::fromLocal8Bit(target, length);
    struct stat status
    {
    };
    if (fstat(fd, &status) == 0)
        call.Size = status.st_size;
    call.Thread = QThread::currentThread()->objectName();
    {
        const std::lock_guard lock(SyncLock);
        SyncCalls.push_back(call);
        if (FailingSyncs > 0) {
            --FailingSyncs;
            errno = EIO;
            return -1;
        }
    }
    return int(syscall(SYS_fdatasync, fd));
}

namespace {

QStringList FileLines(const QString &path)
{
    const QByteArray bytes = ReadFileBytes(path);
    QStringList lines = QString::fromLocal8Bit(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList Numbered(const QString &prefix, int from, int count)
{
    QStringList lines;
    for (int i = from; i < from + count; ++i)
        lines << prefix + QString::number(i);
    return lines;
}

struct TFileDeviceFixture : ::testing::Test
{
    QTemporaryDir Dir;
    std::unique_ptr<TFileManager> Manager = std::make_unique<TFileManager>();
    QStringList Errors;

    TFileDeviceFixture()
    {
        Manager->OnError = [this](const QString &message) { Errors << message; };
    }
    QString Path(const QString &name) const { return Dir.filePath(name); }
    void Write(const QStringList &lines)
    {
        for (const QString &line : lines)
            Manager->WriteLine(line);
    }
};

} // namespace

TEST_F(TFileDeviceFixture, LinesOfOneSecondGoOutInOneAppend)
{
    const QString path = Path(QStringLiteral("run.txt"));
    Manager->NewFile(path);
    Manager->WriteLine(QStringLiteral("first"));
    // Once the first line is on disk the slave has just flushed and sleeps a
    // whole interval: the next 30 lines all fall into one cycle.
    ASSERT_TRUE(WaitFor([&] { return FileLines(path).size() == 1; }));
    const QStringList batch = Numbered(QStringLiteral("line\t\u00b0"), 1, 30);
    Write(batch);
    ASSERT_TRUE(WaitFor([&] { return FileLines(path).size() > 1; }));
    // The first change seen already holds all of them.
    EXPECT_EQ(FileLines(path), QStringList{QStringLiteral("first")} + batch);
    EXPECT_TRUE(ReadFileBytes(path).endsWith("line\t\xc2\xb0"
                                             "30\r\n"));
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(TFileDeviceFixture, NewFileFlushesThePreviousOneFirst)
{
    const QString a = Path(QStringLiteral("a.txt"));
    const QString b = Path(QStringLiteral("b.txt"));
    QFile stale(b);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old run\r\n");
    stale.close();

    Write({QStringLiteral("before any file")});
    Manager->NewFile(a);
    Write(Numbered(QStringLiteral("a"), 1, 3));
    Manager->NewFile(b);
    Write({QStringLiteral("b1")});
    ASSERT_TRUE(WaitFor([&] { return FileLines(b) == QStringList{QStringLiteral("b1")}; }));
    EXPECT_EQ(FileLines(a),
              QStringList{QStringLiteral("before any file")} + Numbered(QStringLiteral("a"), 1, 3));
    EXPECT_EQ(FileLines(b), QStringList{QStringLiteral("b1")}); // truncated, nothing carried over
    EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(TFileDeviceFixture, UnwritablePathReportsAndLaterWritesEveryLine)
{
    const QString folder = Path(QStringLiteral("later"));
    const QString path = folder + QStringLiteral("/run.txt");
    Manager->NewFile(path);
    ASSERT_TRUE(WaitFor([&] { return !Errors.isEmpty(); }));
    EXPECT_EQ(Errors.first(), QStringLiteral("Could not open file ") + path);

    Write(Numbered(QStringLiteral("x"), 1, 5));
    ASSERT_TRUE(WaitFor([&] { return Errors.size() >= 2; }));
    EXPECT_EQ(Errors.at(1), QStringLiteral("Could not write to file ") + path);
    Write(Numbered(QStringLiteral("x"), 6, 5));

    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_TRUE(WaitFor([&] { return FileLines(path).size() == 10; }));
    const int errorsWhenWritten = int(Errors.size());
    EXPECT_EQ(FileLines(path), Numbered(QStringLiteral("x"), 1, 10));
    for (const QString &e : Errors.mid(1))
        EXPECT_EQ(e, QStringLiteral("Could not write to file ") + path);

    Write({QStringLiteral("x11")});
    ASSERT_TRUE(WaitFor([&] { return FileLines(path).size() == 11; }));
    EXPECT_EQ(Errors.size(), errorsWhenWritten); // no more failures once it works
}

TEST_F(TFileDeviceFixture, LinesOfAnUnwritableFileAreNotCarriedIntoTheNext)
{
    const QString folder = Path(QStringLiteral("missing"));
    const QString first = folder + QStringLiteral("/first.txt");
    const QString second = Path(QStringLiteral("second.txt"));
    Manager->NewFile(first);
    Write({QStringLiteral("for the first run")});
    ASSERT_TRUE(WaitFor(
        [&] { return Errors.contains(QStringLiteral("Could not write to file ") + first); }));
    Manager->NewFile(second);
    Write({QStringLiteral("for the second run")});
    ASSERT_TRUE(WaitFor([&] { return FileLines(second).size() == 1; }));
    EXPECT_EQ(FileLines(second), QStringList{QStringLiteral("for the second run")});

    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_TRUE(WaitFor([&] { return FileLines(first).size() == 1; }));
    EXPECT_EQ(FileLines(first), QStringList{QStringLiteral("for the first run")});
    EXPECT_EQ(FileLines(second).size(), 1);
}

TEST_F(TFileDeviceFixture, PartialWriteIsRetriedWithoutDuplicates)
{
    const QString path = Path(QStringLiteral("run.txt"));
    Manager->NewFile(path);
    Manager->WriteLine(QStringLiteral("header"));
    ASSERT_TRUE(WaitFor([&] { return FileLines(path).size() == 1; }));
    const qint64 before = QFileInfo(path).size();

    // A file size limit lets the next append get only partly through.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(before + 100);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    const QStringList batch = Numbered(QStringLiteral("a fairly long data line number "), 1, 20);
    Write(batch);
    const bool failed = WaitFor([&] { return !Errors.isEmpty(); });
    const qint64 afterFailure = QFileInfo(path).size();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_TRUE(failed);
    EXPECT_EQ(Errors.first(), QStringLiteral("Could not write to file ") + path);
    EXPECT_EQ(afterFailure, before); // cut back to where it was
    ASSERT_TRUE(WaitFor([&] { return FileLines(path).size() >= 21; }));
    EXPECT_EQ(FileLines(path), QStringList{QStringLiteral("header")} + batch);
}

TEST_F(TFileDeviceFixture, PendingLinesAreWrittenWhenTheDeviceIsDestroyed)
{
    const QString path = Path(QStringLiteral("run.txt"));
    Manager->NewFile(path);
    Write(Numbered(QStringLiteral("last"), 1, 3));
    Manager.reset();
    EXPECT_EQ(FileLines(path), Numbered(QStringLiteral("last"), 1, 3));
}

// A power cut must not take lines the log already reported written: every
// append is forced to the disk on the writer's thread, and a sync that fails
// counts as a failed write, retried without doubling a line.
TEST_F(TFileDeviceFixture, EveryAppendIsSyncedOnTheWritersThread)
{
    const QString path = Path(QStringLiteral("run.txt"));
    Manager->NewFile(path);
    Write(Numbered(QStringLiteral("line"), 1, 3));
    // The last sync covers the whole file.
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<TSyncCall> calls = SyncsOf(path);
        return FileLines(path).size() == 3 && !calls.empty() &&
               calls.back().Size == QFileInfo(path).size();
    }));

    const size_t before = SyncsOf(path).size();
    {
        const std::lock_guard lock(SyncLock);
        FailingSyncs = 1;
    }
    Write({QStringLiteral("line4")});
    // The failed sync and the retry's.
    ASSERT_TRUE(WaitFor([&] { return SyncsOf(path).size() >= before + 2 && !Errors.isEmpty(); }));
    EXPECT_EQ(Errors.first(), QStringLiteral("Could not write to file ") + path);
    EXPECT_EQ(FileLines(path), Numbered(QStringLiteral("line"), 1, 4));
    for (const TSyncCall &call : SyncsOf(path))
        EXPECT_EQ(call.Thread, QStringLiteral("FileSlave"));
}

// The documents that replace a file (settings, images, reports, exports) are
// written to a new file first: it must be on the disk before it takes the
// old one's name, or a power cut could leave an empty document in its place.
TEST_F(TFileDeviceFixture, ReplacingSavesSyncTheNewFileBeforeTheRename)
{
    const QString path = Path(QStringLiteral("graphs.xml"));
    WriteGraphSettings(path, TGraphSettings());
    const QString folder = QFileInfo(path).canonicalPath() + QLatin1Char('/');
    const std::lock_guard lock(SyncLock);
    EXPECT_TRUE(std::any_of(SyncCalls.begin(), SyncCalls.end(), [&](const TSyncCall &call) {
        // Under another name: the new file before its rename.
        return call.File.startsWith(folder) && call.File != folder + QStringLiteral("graphs.xml") &&
               call.Size == QFileInfo(path).size();
    }));
}

// A sync that fails may have lost what was written: the save fails with the
// reason, and the document that was there stays.
TEST_F(TFileDeviceFixture, ReplacingSaveWhoseSyncFailsKeepsTheOldFile)
{
    const QString path = Path(QStringLiteral("graphs.xml"));
    WriteGraphSettings(path, TGraphSettings());
    const QByteArray before = ReadFileBytes(path);
    TGraphSettings other;
    other.CurrentGraph = gtTime;
    {
        const std::lock_guard lock(SyncLock);
        FailingSyncs = 1;
    }
    try {
        WriteGraphSettings(path, other);
        ADD_FAILURE() << "a failed sync was taken for success";
    } catch (const EFileError &e) {
        EXPECT_EQ(e.Message().toStdString(),
                  ("Cannot write " + path + ": Input/output error").toStdString());
    }
    EXPECT_EQ(ReadFileBytes(path), before);
}
