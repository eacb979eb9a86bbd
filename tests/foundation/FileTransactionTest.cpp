// Files written through a temporary: the old file whole on failure, the
// system's reason in the message, streams written and never replaced.
#include "foundation/FileTransaction.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

QString Failure(const std::function<void()> &write)
{
    try {
        write();
    } catch (const EFileError &e) {
        return e.Message();
    }
    return QString();
}

mode_t Mode(const QString &path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode : 0;
}

} // namespace

TEST(FileTransaction, ReplacesWholeKeepsPermissionsAndFollowsLinks)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.txt"));
    WriteFileSafely(file, "first");
    ASSERT_EQ(ReadFileBytes(file), "first");
    ::chmod(QFile::encodeName(file).constData(), 0640);
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(file, link));

    WriteFileSafely(link, "second");
    EXPECT_EQ(ReadFileBytes(file), "second");
    EXPECT_TRUE(S_ISLNK(Mode(link)));
    EXPECT_EQ(Mode(file) & 07777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({"link.txt", "report.txt"}));
}

// One file that cannot be written stops the whole transaction before any
// file is touched, and no temporary stays behind.
TEST(FileTransaction, AFailureLeavesEveryFileAsItWas)
{
    QTemporaryDir dir;
    const QString kept = dir.filePath(QStringLiteral("kept.txt"));
    WriteFileSafely(kept, "old");
    const QString missing = dir.filePath(QStringLiteral("gone/new.txt"));
    const struct
    {
        QString Second;
        QString Message;
    } cases[] = {
        {missing, "Cannot write " + missing + ": No such file or directory"},
        {dir.path(), "Cannot write " + dir.path() + ": Is a directory"},
        {QString(), "Cannot write a file without a name"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Failure([&] {
                      TFileTransaction transaction;
                      transaction.Stage(kept, "new");
                      transaction.Stage(c.Second, "new");
                      transaction.Commit();
                  }),
                  c.Message);
        EXPECT_EQ(ReadFileBytes(kept), "old");
    }
    // Staged but never committed.
    {
        TFileTransaction transaction;
        transaction.Stage(kept, "new");
    }
    EXPECT_EQ(ReadFileBytes(kept), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList({"kept.txt"}));
}

// A named pipe is written to as a stream: it stays what it was (devices:
// the /dev/full and /dev/stdout cases of ventrel-render's tests).
TEST(FileTransaction, StreamsAreWrittenNotReplaced)
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QByteArray received;
    std::thread reader([&] {
        QFile file(pipe);
        if (file.open(QIODevice::ReadOnly))
            received = file.readAll();
    });
    WriteFileSafely(pipe, "through the pipe");
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(S_ISFIFO(Mode(pipe)));
}
