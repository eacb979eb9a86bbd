// A simulated flight delivered to Debian's OpenSSH server as a station
// delivers it: TEMP A and B after 100 hPa, C, D and the BUFR after the burst,
// through an outage of the server, each report once, a changed report as a
// correction, and nothing issued twice after a restart.
#include "pipeline/FlightSession.h"

#include "foundation/FileTransaction.h"
#include "support/SftpTestServer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace std::chrono_literals;

// The server's files whose heading begins with T1T2 (US, UK, UL, UE, IU).
QStringList Arrived(const TSftpTestServer &server, const QString &t1t2 = QString())
{
    return QDir(server.Folder())
        .entryList({QStringLiteral("A_") + t1t2 + QLatin1Char('*')}, QDir::Files, QDir::Name);
}

} // namespace

TEST(FlightDelivery, AutomaticDeliveryOfASimulatedFlight)
{
    TSftpTestServer server;
    if (!server.Unavailable().isEmpty())
        GTEST_SKIP() << server.Unavailable().toStdString();
    ASSERT_TRUE(server.Start()) << server.Log().toStdString();
    static const uint16_t port = FreeLoopbackPort();
    setenv("DXSOFTEX_PORT", std::to_string(port).c_str(), 1);
    QTemporaryDir dir;
    const QString outbox = dir.filePath(QStringLiteral("outbox"));
    TFlightSessionOptions options{{}, outbox};
    options.DeliveryTiming.Backoff = {200ms};
    auto session = std::make_unique<TFlightSession>(options);
    const TStationIdentity station{QStringLiteral("03808"), 50.2, -5.3};
    session->SetStation(station);
    session->SetDeliverySettings({server.Settings(), {"UK", "01", "EGRR"}, true});
    const QString configuration = QStringLiteral("1MR:TPUVVVVF");
    ASSERT_TRUE(session->ApplyTypedConfiguration(configuration));
    ASSERT_TRUE(WaitFor([&] { return !session->ApplyingConfig(); }));
    const QString log = dir.filePath(QStringLiteral("flight.txt"));
    session->StartRun(log);
    ASSERT_TRUE(WaitFor([&] { return session->Receiver().Listening(); }));

    // The flight in two halves sent one after the other: to 21 km, past
    // 100 hPa (about frame 330 of the 400), then on to the burst at 30 km
    // (frame 600) and down.
    const QString whole = dir.filePath(QStringLiteral("whole.txt"));
    QProcess sim;
    sim.start(QStringLiteral(VENTREL_BIN_DIR "/kestrin-sim"),
              {"--write-log", whole, "--config", configuration, "--frames", "700", "--step", "10",
               "--burst", "30000"});
    ASSERT_TRUE(sim.waitForFinished(30000));
    const QList<QByteArray> lines = ReadFileBytes(whole).split('\n');
    auto half = [&](const QString &name, qsizetype from, qsizetype to) {
        QByteArray bytes;
        for (qsizetype i = 0; i < lines.size() - 1; ++i)
            if (i < 4 || (i >= from && i < to))
                bytes += lines[i] + '\n';
        WriteFileSafely(dir.filePath(name), bytes);
        sim.start(QStringLiteral(VENTREL_BIN_DIR "/kestrin-sim"),
                  {"--port", QString::number(port), "--replay", dir.filePath(name),
                   "--config-repeat", "0", "--rate", "100"});
        ASSERT_TRUE(sim.waitForFinished(60000));
    };
    half(QStringLiteral("first.txt"), 4, 404);
    ASSERT_TRUE(WaitFor([&] { return Arrived(server).size() >= 2; }, 60s));
    EXPECT_EQ(Arrived(server, "USUK01EGRR").size() + Arrived(server, "UKUK01EGRR").size(), 2)
        << Arrived(server).join(' ').toStdString();

    // The server goes away, then the burst comes: C, D and the BUFR wait.
    server.Stop();
    half(QStringLiteral("second.txt"), 404, lines.size());
    auto waiting = [&] {
        int n = 0;
        for (const TDeliveryFileState &file : session->Delivery()->State().Files)
            n += file.Status == dsWaiting;
        return n;
    };
    ASSERT_TRUE(WaitFor([&] { return waiting() == 3; }, 120s))
        << session->DeliverySummary().toStdString();
    EXPECT_TRUE(session->DeliverySummary().contains(QStringLiteral("TEMP A, B sent")))
        << session->DeliverySummary().toStdString();
    ASSERT_TRUE(server.Start());
    auto sent = [&] {
        int n = 0;
        for (const TDeliveryFileState &file : session->Delivery()->State().Files)
            n += file.Status == dsSent;
        return n;
    };
    ASSERT_TRUE(WaitFor([&] { return sent() == 5; }, 60s))
        << session->DeliverySummary().toStdString();
    ASSERT_EQ(Arrived(server).size(), 5);
    for (const QString &name : Arrived(server)) {
        EXPECT_EQ(server.Renames(name), 1) << name.toStdString();
        EXPECT_EQ(ReadFileBytes(QDir(server.Folder()).filePath(name)),
                  ReadFileBytes(QDir(outbox).filePath(QStringLiteral("sent/") + name)));
    }
    EXPECT_EQ(session->RecordedLines().size(), 700);
    session->StopRun();

    // The BUFR bulletin carries the report of the flight as it ended.
    std::shared_ptr<const TSoundingProductsPacket> products = session->CurrentProducts();
    ASSERT_TRUE(products->Products.Flight.Burst);
    EXPECT_TRUE(ReadFileBytes(QDir(server.Folder()).filePath(Arrived(server, "IU")[0]))
                    .contains(ReportContent(products->Products, station, 0.0, frBufr)));
    EXPECT_TRUE(Arrived(server, "IU")[0].endsWith(QStringLiteral(".bin")));

    // Unchanged, nothing goes again; changed, part A goes as CCA.
    EXPECT_EQ(session->SendReports({frTempC, frTempD, frBufr}), QStringList());
    TSoundingProducts changed = products->Products;
    for (TProductLevel &level : changed.Standard)
        if (level.Temperature)
            *level.Temperature += 1.0;
    TFlightDelivery delivery(outbox);
    EXPECT_EQ(delivery.Send(changed, station, 0.0, {frTempA}), QStringList({"TEMP A CCA"}));
    EXPECT_EQ(delivery.Send(changed, station, 0.0, {frTempA}), QStringList());
    // A restarted program does not deliver the flight again by itself.
    auto reports = [&] {
        return QDir(outbox + QStringLiteral("/pending")).entryList(QDir::Files).size() +
               QDir(outbox + QStringLiteral("/sent")).entryList(QDir::Files).size();
    };
    const qsizetype before = reports();
    delivery.ProductsArrived(products->Products, station, 0.0);
    EXPECT_EQ(reports(), before);

    // After a restart the same flight, loaded from its log, issues nothing anew.
    session.reset();
    TFlightSession restarted(options);
    restarted.SetStation(station);
    EXPECT_EQ(restarted.Delivery()->Settings().Origin.Centre, QStringLiteral("EGRR"));
    restarted.AdoptLog(ReadFlightLog(log));
    EXPECT_EQ(restarted.SendReports({frTempC, frTempD, frBufr}), QStringList());
    ASSERT_TRUE(WaitFor([&] { return Arrived(server).size() == 6; }));
    EXPECT_EQ(Arrived(server, "US").size(), 2);
}
