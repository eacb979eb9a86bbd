// The delivery against Debian's OpenSSH server, started by each test on a
// loopback port: what arrives, under which name, how often, and what is
// marked sent.
#include "devices/DeliveryManager.h"
#include "support/SftpTestServer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace std::chrono_literals;

const QString BufrName = QStringLiteral("A_IUSD01EGRR071200_C_EGRR_20261207120000.bufr4");

QByteArray RandomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size);
    for (char &c : bytes)
        c = char(generator.bounded(256));
    return bytes;
}

// A clock the test moves by hand; read from both threads.
struct TTestClock
{
    std::shared_ptr<std::atomic<qint64>> Ms = std::make_shared<std::atomic<qint64>>(
        QDateTime(QDate(2026, 12, 7), QTime(11, 47, 0), Qt::UTC).toMSecsSinceEpoch());
    QDateTime Now() const { return QDateTime::fromMSecsSinceEpoch(Ms->load(), Qt::UTC); }
    void Advance(std::chrono::milliseconds by) { *Ms += by.count(); }
    std::function<QDateTime()> Function() const
    {
        auto ms = Ms;
        return [ms] { return QDateTime::fromMSecsSinceEpoch(ms->load(), Qt::UTC); };
    }
};

TDeliveryTiming QuickRetries()
{
    TDeliveryTiming timing;
    timing.Backoff = {50ms};
    return timing;
}

class Delivery : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (!FServer.Unavailable().isEmpty())
            GTEST_SKIP() << FServer.Unavailable().toStdString();
    }
    void TearDown() override
    {
        if (HasFailure())
            std::cerr << "---- sshd\n" << FServer.Log().toStdString() << '\n';
    }

    std::unique_ptr<TDeliveryManager> Manager(TDeliveryTiming timing = QuickRetries())
    {
        return std::make_unique<TDeliveryManager>(FOutbox.path(), std::move(timing));
    }
    static bool Is(const TDeliveryManager &manager, const QString &name, TDeliveryStatus status)
    {
        const TDeliveryFileState *file = manager.State().File(name);
        return file && file->Status == status;
    }
    QString Served(const QString &name) const { return FServer.Folder() + QLatin1Char('/') + name; }
    QStringList ServedFiles() const
    {
        return QDir(FServer.Folder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    TSftpTestServer FServer;
    QTemporaryDir FOutbox;
};

} // namespace

// Byte for byte under its name, with nothing else left in the folder, in
// both ways of writing it; logged and moved to sent/.
TEST_F(Delivery, ReportArrivesWholeUnderItsName)
{
    ASSERT_TRUE(FServer.Start());
    for (const bool direct : {false, true}) {
        SCOPED_TRACE(direct);
        const QString name = direct ? QStringLiteral("direct.bufr4") : BufrName;
        const QByteArray bytes = "BUFR\0\r\n" + RandomBytes(5000) + "7777";
        auto manager = Manager();
        TDeliverySettings settings = FServer.Settings();
        settings.UploadDirectly = direct;
        manager->Configure(settings);
        EXPECT_TRUE(manager->Enqueue(name, bytes));
        ASSERT_TRUE(WaitFor([&] { return Is(*manager, name, dsSent); }))
            << manager->Summary().toStdString();
        EXPECT_EQ(ReadFileBytes(Served(name)), bytes);
        EXPECT_EQ(ReadFileBytes(manager->Outbox().SentFolder() + QLatin1Char('/') + name), bytes);
        EXPECT_TRUE(manager->Outbox().Pending().isEmpty());
        EXPECT_EQ(FServer.Renames(name), direct ? 0 : 1);
        EXPECT_TRUE(
            QString::fromUtf8(ReadFileBytes(manager->Outbox().LogFileName()))
                .contains(QStringLiteral(" %1 127.0.0.1:%2 sent\n").arg(name).arg(FServer.Port())));
    }
    EXPECT_EQ(ServedFiles(), QStringList({BufrName, QStringLiteral("direct.bufr4")}));
}

// The server down at first: the report waits, with the back-off, and goes
// once the server is back.
TEST_F(Delivery, ServerDownAtFirstDeliversOnceItIsBack)
{
    TTestClock clock;
    TDeliveryTiming timing;
    timing.Clock = clock.Function();
    auto manager = Manager(timing);
    FServer.Start(); // takes a port, then goes away
    FServer.Stop();
    manager->Configure(FServer.Settings());
    const QDateTime start = clock.Now();
    manager->Enqueue(BufrName, "BUFR 7777");

    const QString refused =
        QStringLiteral("connection refused by 127.0.0.1:%1").arg(FServer.Port());
    ASSERT_TRUE(WaitFor([&] { return Is(*manager, BufrName, dsWaiting); }));
    EXPECT_EQ(manager->State().File(BufrName)->LastError, refused);
    EXPECT_EQ(manager->State().File(BufrName)->NextTry, start.addSecs(10));
    EXPECT_EQ(manager->Summary(), BufrName + QStringLiteral(" waiting: ") + refused +
                                      QStringLiteral(", next try in 10 s"));
    clock.Advance(10s);
    ASSERT_TRUE(WaitFor([&] { return manager->State().File(BufrName)->Attempts == 2; }));
    EXPECT_EQ(manager->State().File(BufrName)->NextTry, start.addSecs(40));
    EXPECT_EQ(manager->Outbox().Pending(), QStringList(BufrName));

    ASSERT_TRUE(FServer.Start());
    clock.Advance(30s);
    ASSERT_TRUE(WaitFor([&] { return Is(*manager, BufrName, dsSent); }));
    EXPECT_EQ(ReadFileBytes(Served(BufrName)), "BUFR 7777");
    EXPECT_FALSE(manager->Enqueue(BufrName, "BUFR 7777"));
    EXPECT_EQ(FServer.Renames(BufrName), 1);
}

// Reports pending from an earlier run, one of them already on the server
// (the move to sent/ never happened), one cut off by the end of the program
// in the middle of its upload: each goes once more, whole, in order, and a
// later run sends none of them again.
TEST_F(Delivery, RestartDeliversEachPendingReportOnce)
{
    ASSERT_TRUE(FServer.Start());
    const QByteArray big = RandomBytes(1 << 20);
    {
        TOutbox earlier(FOutbox.path());
        earlier.Put(QStringLiteral("A.txt"), "TTAA");
        earlier.Put(QStringLiteral("B.bufr4"), big);
        earlier.Put(QStringLiteral("C.txt"), "TTCC");
    }
    QDir().mkpath(FServer.Folder());
    QFile stale(Served(QStringLiteral("A.txt")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly) && stale.write("TTAA") == 4);
    stale.close();

    TDeliveryTiming slow = QuickRetries();
    slow.Upload.MaxSendBytesPerSecond = 256 * 1024;
    auto first = Manager(slow);
    first->Configure(FServer.Settings());
    ASSERT_TRUE(
        WaitFor([&] { return QFileInfo(Served(QStringLiteral(".B.bufr4.part"))).size() > 0; }));
    first.reset();
    EXPECT_EQ(TOutbox(FOutbox.path()).Pending(),
              QStringList({QStringLiteral("B.bufr4"), QStringLiteral("C.txt")}));
    EXPECT_FALSE(QFileInfo::exists(Served(QStringLiteral("B.bufr4"))));

    auto second = Manager();
    second->Configure(FServer.Settings());
    ASSERT_TRUE(WaitFor([&] { return Is(*second, QStringLiteral("C.txt"), dsSent); }));
    EXPECT_EQ(ReadFileBytes(Served(QStringLiteral("B.bufr4"))), big);
    second.reset();

    auto third = Manager();
    third->Configure(FServer.Settings());
    third->Enqueue(QStringLiteral("D.txt"), "TTDD");
    ASSERT_TRUE(WaitFor([&] { return Is(*third, QStringLiteral("D.txt"), dsSent); }));
    for (const char *name : {"A.txt", "B.bufr4", "C.txt", "D.txt"})
        EXPECT_EQ(FServer.Renames(QLatin1String(name)), 1) << name;
    const QString log = FServer.Log();
    EXPECT_LT(log.indexOf(QStringLiteral("/B.bufr4\"")), log.indexOf(QStringLiteral("/C.txt\"")));
    EXPECT_EQ(ReadFileBytes(Served(QStringLiteral("A.txt"))), "TTAA");
    EXPECT_EQ(ServedFiles(), QStringList({QStringLiteral("A.txt"), QStringLiteral("B.bufr4"),
                                          QStringLiteral("C.txt"), QStringLiteral("D.txt")}));
}

// A host key that is not the one in the known-hosts file, or not there at
// all: refused before anything is sent, in words.
TEST_F(Delivery, WrongHostKeyIsRefused)
{
    ASSERT_TRUE(FServer.Start());
    QTemporaryDir empty;
    const QString emptyHosts = empty.filePath(QStringLiteral("known_hosts"));
    QFile(emptyHosts).open(QIODevice::WriteOnly);
    for (const auto &[knownHosts, message] :
         {std::pair{FServer.WrongKnownHosts(),
                    QStringLiteral("Host key of 127.0.0.1 does not match known_hosts: not sent")},
          std::pair{emptyHosts,
                    QStringLiteral("Host key of 127.0.0.1 is not in known_hosts: not sent")}}) {
        auto manager = Manager();
        TDeliverySettings settings = FServer.Settings();
        settings.KnownHostsFile = knownHosts;
        manager->Configure(settings);
        manager->Enqueue(BufrName, "BUFR 7777");
        ASSERT_TRUE(WaitFor([&] { return Is(*manager, BufrName, dsWaiting); }));
        EXPECT_EQ(manager->State().File(BufrName)->LastError, message);
        EXPECT_EQ(manager->Summary(), BufrName + QStringLiteral(": ") + message);
        EXPECT_EQ(manager->Outbox().Pending(), QStringList(BufrName));
    }
    EXPECT_EQ(ServedFiles(), QStringList());
    EXPECT_FALSE(FServer.Log().contains(QStringLiteral("session opened")));
}

// A folder the server will not write: nothing marked sent.
TEST_F(Delivery, ReadOnlyFolderKeepsTheReportPending)
{
    TSftpTestServer readOnly(true);
    ASSERT_TRUE(readOnly.Start()) << readOnly.Log().toStdString();
    auto manager = Manager();
    manager->Configure(readOnly.Settings());
    manager->Enqueue(BufrName, "BUFR 7777");
    ASSERT_TRUE(WaitFor([&] { return Is(*manager, BufrName, dsWaiting); }));
    EXPECT_EQ(manager->State().File(BufrName)->LastError,
              QStringLiteral("permission denied for the remote folder %1 on 127.0.0.1:%2")
                  .arg(readOnly.Folder())
                  .arg(readOnly.Port()));
    EXPECT_EQ(manager->Outbox().Pending(), QStringList(BufrName));
    EXPECT_FALSE(manager->Outbox().IsSent(BufrName));
    EXPECT_TRUE(
        QDir(readOnly.Folder()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

// The connection cut while a large file is on its way: the final name never
// holds part of it, the report stays pending, and the next try brings it
// whole.
TEST_F(Delivery, ConnectionCutMidFileIsSentAgainWhole)
{
    ASSERT_TRUE(FServer.Start());
    const QByteArray big = RandomBytes(1 << 20);
    TDeliveryTiming timing = QuickRetries();
    timing.Upload.MaxSendBytesPerSecond = 512 * 1024;
    auto manager = Manager(timing);
    manager->Configure(FServer.Settings());
    manager->Enqueue(BufrName, big);

    bool partial = false;
    const auto whole = [&] {
        const QFileInfo final(Served(BufrName));
        partial = partial || (final.exists() && final.size() != big.size());
        return !partial;
    };
    ASSERT_TRUE(WaitFor([&] {
        return whole() &&
               QFileInfo(Served(QLatin1Char('.') + BufrName + QStringLiteral(".part"))).size() > 0;
    }));
    FServer.KillSessions();
    ASSERT_TRUE(WaitFor([&] { return whole() && Is(*manager, BufrName, dsWaiting); }));
    EXPECT_TRUE(manager->State().File(BufrName)->LastError.contains(
        QStringLiteral("127.0.0.1:%1").arg(FServer.Port())));
    EXPECT_FALSE(manager->Outbox().IsSent(BufrName));
    ASSERT_TRUE(WaitFor([&] { return whole() && Is(*manager, BufrName, dsSent); }, 60s));
    EXPECT_FALSE(partial);
    EXPECT_EQ(ReadFileBytes(Served(BufrName)), big);
    EXPECT_EQ(FServer.Renames(BufrName), 1);
}

// Two programs on one outbox take turns: each report goes once.
TEST_F(Delivery, TwoProgramsOnOneOutboxSendEachReportOnce)
{
    ASSERT_TRUE(FServer.Start());
    QStringList names;
    {
        TOutbox earlier(FOutbox.path());
        for (int i = 1; i <= 6; ++i) {
            names << QStringLiteral("R%1.txt").arg(i);
            earlier.Put(names.last(), RandomBytes(20000 * i));
        }
    }
    auto one = Manager();
    auto other = Manager();
    one->Configure(FServer.Settings());
    other->Configure(FServer.Settings());
    ASSERT_TRUE(WaitFor([&] { return one->Outbox().Pending().isEmpty(); }, 30s));
    for (const QString &name : names)
        EXPECT_EQ(FServer.Renames(name), 1) << name.toStdString();
}
