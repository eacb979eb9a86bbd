#include "devices/Outbox.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList FilesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

void WriteFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

// Nothing is put twice, a new copy replaces the old one at the end of the
// line, the order survives a restart, and a sent report is not put again.
TEST(Outbox, PutsOnceInOrderAcrossRestarts)
{
    QTemporaryDir dir;
    TOutbox outbox(dir.path());
    EXPECT_TRUE(outbox.Put(QStringLiteral("TTAA.txt"), "TTAA 1"));
    EXPECT_TRUE(outbox.Put(QStringLiteral("TTBB.txt"), "TTBB"));
    EXPECT_TRUE(outbox.Put(QStringLiteral("b.bufr4"), "BUFR"));
    EXPECT_FALSE(outbox.Put(QStringLiteral("TTBB.txt"), "TTBB"));
    EXPECT_TRUE(outbox.Put(QStringLiteral("TTAA.txt"), "TTAA 2"));
    const QStringList order{QStringLiteral("TTBB.txt"), QStringLiteral("b.bufr4"),
                            QStringLiteral("TTAA.txt")};
    EXPECT_EQ(outbox.Pending(), order);
    EXPECT_EQ(FilesIn(outbox.PendingFolder()).size(), 3); // no copy, no temporary file

    TOutbox reopened(dir.path());
    EXPECT_EQ(reopened.Pending(), order);
    const TOutboxEntry first = reopened.PendingEntries().front();
    EXPECT_EQ(reopened.Read(first), "TTBB");
    const QDateTime sentAt(QDate(2026, 12, 7), QTime(11, 47, 12), Qt::UTC);
    EXPECT_TRUE(reopened.MarkSent(first, sentAt));
    EXPECT_FALSE(reopened.MarkSent(first, sentAt));
    EXPECT_EQ(reopened.SentTime(QStringLiteral("TTBB.txt")), sentAt);
    EXPECT_EQ(ReadFileBytes(reopened.SentFolder() + QStringLiteral("/TTBB.txt")), "TTBB");
    EXPECT_FALSE(outbox.Put(QStringLiteral("TTBB.txt"), "TTBB"));
    EXPECT_EQ(outbox.Pending(), order.mid(1));
    // Other bytes under a sent name were never sent: they go out.
    EXPECT_TRUE(outbox.Put(QStringLiteral("TTBB.txt"), "TTBB corrected"));
    EXPECT_EQ(outbox.Pending().last(), QStringLiteral("TTBB.txt"));
}

// What a crash can leave: a temporary file of a write that never finished,
// and two copies of a name put again. Only the newest copy counts; Tidy
// takes the rest, but spares a temporary file that may be a write under way.
TEST(Outbox, CrashLeftoversAreNeverSent)
{
    QTemporaryDir dir;
    TOutbox outbox(dir.path());
    const QString pending = outbox.PendingFolder() + QLatin1Char('/');
    WriteFile(pending + QStringLiteral("0000000001-A.txt"), "old");
    WriteFile(pending + QStringLiteral("0000000002-B.txt"), "B");
    WriteFile(pending + QStringLiteral("0000000003-A.txt"), "new");
    WriteFile(pending + QStringLiteral(".put-1-1.tmp"), "half");
    WriteFile(pending + QStringLiteral(".put-1-2.tmp"), "under way");
    WriteFile(pending + QStringLiteral("notes.txt"), "an operator's");
    QFile old(pending + QStringLiteral(".put-1-1.tmp"));
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                                QFileDevice::FileModificationTime));
    old.close();

    EXPECT_EQ(outbox.Pending(), QStringList({QStringLiteral("B.txt"), QStringLiteral("A.txt")}));
    EXPECT_EQ(outbox.Read(outbox.PendingEntries().back()), "new");
    outbox.Tidy();
    EXPECT_EQ(FilesIn(outbox.PendingFolder()),
              QStringList({QStringLiteral(".put-1-2.tmp"), QStringLiteral("0000000002-B.txt"),
                           QStringLiteral("0000000003-A.txt"), QStringLiteral("notes.txt")}));
    // The next report comes after the newest.
    outbox.Put(QStringLiteral("C.txt"), "C");
    EXPECT_EQ(outbox.Pending().last(), QStringLiteral("C.txt"));
}

// A report's name becomes a file name here and a remote path there: only
// plain names, and nothing written for any other.
TEST(Outbox, RefusesNamesThatAreNotPlainFileNames)
{
    QTemporaryDir dir;
    TOutbox outbox(dir.path());
    for (const char *name : {"", "../escape", "a/b", ".hidden", "two words", "line\nbreak",
                             "quote\"", "back\\slash", "~home"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(outbox.Put(QString::fromUtf8(name), "x"), EOutboxError);
    }
    EXPECT_TRUE(FilesIn(outbox.PendingFolder()).isEmpty());
    EXPECT_TRUE(FilesIn(dir.path()).isEmpty());
    EXPECT_TRUE(outbox.Put(QStringLiteral("A_IUSD01EGRR071200_C_EGRR_20261207120000.bufr4"), "x"));
    EXPECT_TRUE(outbox.Put(QStringLiteral("T_USUK01_C_EGRR_20261207120000-CCA,+x.txt"), "x"));
}
