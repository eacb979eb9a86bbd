// The flight without a window: capturing or typing the configuration, runs,
// results outside a run, receiver errors, replayed logs and the products a
// save asks the graph thread for.
#include "pipeline/FlightSession.h"

#include "devices/LogFormat.h"
#include "pipeline/GraphThread.h"
#include "sounding/SoundingBufr.h"
#include "sounding/SoundingProductFiles.h"
#include "sounding/TempReport.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

const QString Configuration = QStringLiteral("1MR:TPUVVVVF");

TKestrinResult DataFrame(const QString &raw)
{
    TKestrinResult result;
    result.SetRawText(raw);
    return result;
}

class FlightSession : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        // The receiver loads the real exchange library; it listens on a port
        // of these tests' own.
        static const uint16_t port = FreeLoopbackPort();
        setenv("DXSOFTEX_PORT", std::to_string(port).c_str(), 1);
    }

    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Create();
    }

    void Create(const TFlightSessionOptions &options = {})
    {
        Session = std::make_unique<TFlightSession>(options);
        Session->OnConfigurationApplying = [this] { ++Applying; };
        Session->OnConfigurationSet = [this](const TKestrinResult &) { ++Set; };
        Session->OnCaptureLost = [this] { ++Lost; };
        Session->OnReceiverError = [this](bool capturing) { Errors.push_back(capturing); };
    }

    void Configure(const QString &text)
    {
        ASSERT_TRUE(Session->ApplyTypedConfiguration(text));
        ASSERT_TRUE(WaitFor([&] { return !Session->ApplyingConfig(); }));
    }

    QTemporaryDir Dir;
    std::unique_ptr<TFlightSession> Session;
    int Applying = 0, Set = 0, Lost = 0;
    std::vector<bool> Errors;
};

} // namespace

TEST_F(FlightSession, CaptureAdoptsTheConfigurationSentTwiceInARow)
{
    ASSERT_TRUE(Session->BeginCapture());
    // A second capture while capturing changes nothing.
    Session->ReceiverConfigurationReceived(QStringLiteral("1ER:TPUVVV"));
    EXPECT_FALSE(Session->BeginCapture());
    EXPECT_EQ(Session->CandidateConfig(), QStringLiteral("1ER:TPUVVV"));

    // X, Y, Y applies Y, and the receiver acknowledges it.
    const uint64_t newRuns = Session->PostCount(rcNewRun);
    Session->ReceiverConfigurationReceived(Configuration);
    EXPECT_TRUE(Session->CapturingConfig());
    Session->ReceiverConfigurationReceived(Configuration);
    EXPECT_FALSE(Session->CapturingConfig());
    EXPECT_TRUE(Session->ApplyingConfig());
    EXPECT_EQ(Applying, 1);
    EXPECT_EQ(Session->PostCount(rcNewRun), newRuns + 1);
    ASSERT_TRUE(WaitFor([&] { return Set == 1; }));
    EXPECT_FALSE(Session->ApplyingConfig());
    EXPECT_EQ(Session->DataParameters().Configuration().ConfigurationString(),
              QStringLiteral("1MR:_T_P_UVVVVF"));
}

TEST_F(FlightSession, CaptureEndsWhenTheSondeStopsSendingItsConfiguration)
{
    const std::function<void()> ends[] = {
        [&] { // a configuration, then data
            Session->ReceiverConfigurationReceived(Configuration);
            Session->ReceiverData(DataFrame(QStringLiteral("0A1B2D")));
        },
        [&] { // data, then other data
            Session->ReceiverData(DataFrame(QStringLiteral("0A1B2C")));
            Session->ReceiverData(DataFrame(QStringLiteral("0A1B2D")));
        },
        [&] { Session->ReceiverInvalidFrame(QStringLiteral("12-34")); },
    };
    for (size_t i = 0; i < std::size(ends); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(Session->BeginCapture());
        ends[i]();
        EXPECT_FALSE(Session->CapturingConfig());
        EXPECT_EQ(Lost, int(i) + 1);
    }
    EXPECT_TRUE(Session->RecordedLines().isEmpty());
    EXPECT_EQ(Session->PostCount(rcFrame), 0u);
}

TEST_F(FlightSession, AConfigurationThatCannotBeReadKeepsTheOneInForce)
{
    Configure(Configuration);
    const QString before = Session->DataParameters().Configuration().ConfigurationString();
    const uint64_t newRuns = Session->PostCount(rcNewRun);

    // Captured twice: the capture ends and waits for Cancel, nothing applied.
    ASSERT_TRUE(Session->BeginCapture());
    Session->ReceiverConfigurationReceived(QStringLiteral("9ZZ:QQ"));
    Session->ReceiverConfigurationReceived(QStringLiteral("9ZZ:QQ"));
    EXPECT_FALSE(Session->CapturingConfig());
    EXPECT_FALSE(Session->ApplyingConfig());
    Session->CancelConfiguration();

    // Typed: the parser's message, nothing applied.
    EXPECT_THROW(Session->ApplyTypedConfiguration(QStringLiteral("1MR:TPX")),
                 EKestrinConfigStringError);
    EXPECT_FALSE(Session->ApplyingConfig());
    EXPECT_EQ(Session->DataParameters().Configuration().ConfigurationString(), before);
    EXPECT_EQ(Session->PostCount(rcNewRun), newRuns);
}

TEST_F(FlightSession, RunsRecordOnlyWhileRunningAndNeverWithAnElevationTheLogCannotHold)
{
    Configure(Configuration);
    // Results while neither capturing nor running go nowhere.
    Session->ReceiverData(DataFrame(QStringLiteral("0A1B2C")));
    EXPECT_TRUE(Session->RecordedLines().isEmpty());
    EXPECT_EQ(Session->PostCount(rcFrame), 0u);

    const uint64_t newRuns = Session->PostCount(rcNewRun);
    const QString high = Dir.filePath(QStringLiteral("high.txt"));
    Session->SetLaunchElevation(1e12);
    EXPECT_THROW(Session->StartRun(high), EVentrelError);
    EXPECT_FALSE(Session->Running());
    EXPECT_EQ(Session->PostCount(rcNewRun), newRuns);
    EXPECT_FALSE(QFile::exists(high));

    const QString log = Dir.filePath(QStringLiteral("run.txt"));
    Session->SetLaunchElevation(10.0);
    Session->StartRun(log);
    EXPECT_TRUE(Session->Running());
    EXPECT_EQ(Session->FilePath(), log);
    Session->ReceiverData(DataFrame(QStringLiteral("0A1B2C")));
    EXPECT_EQ(Session->RecordedLines().size(), 1);
    EXPECT_EQ(Session->PostCount(rcFrame), 1u);
    Session->StopRun();
    Session->ReceiverData(DataFrame(QStringLiteral("0A1B2D")));
    EXPECT_EQ(Session->RecordedLines().size(), 1);
}

TEST_F(FlightSession, ReceiverErrorEndsACaptureOrARunOnce)
{
    // A library that cannot be loaded: the receiver reports an error as soon
    // as it is started.
    Session.reset();
    Create({Dir.filePath(QStringLiteral("missing.so"))});
    ASSERT_TRUE(Session->BeginCapture());
    ASSERT_TRUE(WaitFor([&] { return !Errors.empty(); }));
    EXPECT_EQ(Errors, std::vector<bool>{true});
    EXPECT_FALSE(Session->CapturingConfig());

    Configure(Configuration);
    Session->StartRun(Dir.filePath(QStringLiteral("run.txt")));
    ASSERT_TRUE(WaitFor([&] { return Errors.size() == 2; }));
    EXPECT_FALSE(Errors[1]);
    EXPECT_FALSE(Session->Running());
    // A report that was on its way before the stop says nothing new.
    Session->ReceiverError();
    EXPECT_EQ(Errors.size(), 2u);
}

// A replayed log is counted with every other post, and a save gets products
// and files made by the graph thread of every frame posted before it asked.
TEST_F(FlightSession, ReplayedLogsGiveTheProductsOfEveryFrame)
{
    TKestrinResult configuration;
    configuration.ParseConfiguration(QStringLiteral("1MP:TPUVNNNF"));
    QStringList lines = LogHeaderLines(configuration, 100.0);
    for (int i = 0; i < 40; ++i) {
        TKestrinResult frame = configuration;
        frame.SetTime(46000.5 + i / 2880.0);
        for (auto [channel, value] :
             {std::pair{1, 25.0 - 0.5 * i}, {2, 1000.0 - 10.0 * i}, {3, 60.0}, {4, 9.2}, {8, 48.0}})
            frame.SetValue(channel, value);
        lines << FormatLogLine(frame);
    }
    const QString path = Dir.filePath(QStringLiteral("ascent.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(EncodeLogLines(lines));
    file.close();

    Session->AdoptLog(ReadFlightLog(path));
    EXPECT_EQ(Session->PostCount(rcFrame), 40u);
    EXPECT_EQ(Session->RecordedLines(), lines.mid(4));
    EXPECT_EQ(Session->FilePath(), path);

    const auto packet = Session->CurrentProducts(prProcessedCsv | prSharppy);
    ASSERT_TRUE(packet);
    ASSERT_TRUE(packet->Products.Highest);
    EXPECT_DOUBLE_EQ(packet->Products.Highest->Pressure, 610.0);
    EXPECT_EQ(packet->Products.Analysis.Profile.size(), 40u);
    EXPECT_EQ(QString::fromUtf8(packet->ProcessedCsv).count(QStringLiteral("\r\n")), 41);
    EXPECT_TRUE(packet->Sharppy.startsWith("%TITLE%"));
    EXPECT_TRUE(packet->SharppyError.isEmpty());
    // The products window's next look finds them as new.
    EXPECT_EQ(Session->TakeProducts(), packet);
    EXPECT_EQ(Session->TakeProducts(), nullptr);
}

// A processed sonde, whose log keeps pressure and temperature in whole
// units: the products of the live run, of its log replayed, and of
// ventrel-render on the log are one and the same, byte for byte.
TEST_F(FlightSession, LiveReplayedAndRenderedFlightsGiveTheSameProducts)
{
    const QString configuration = QStringLiteral("3MP:TPUCVVVF");
    Configure(configuration);
    const QString log = Dir.filePath(QStringLiteral("live.txt"));
    Session->StartRun(log);
    // Frames that came before the receiver listened are dropped as a backlog.
    ASSERT_TRUE(WaitFor([&] { return Session->Receiver().Listening(); }));
    QProcess sim;
    sim.start(QStringLiteral(VENTREL_BIN_DIR "/kestrin-sim"),
              {"--port", qEnvironmentVariable("DXSOFTEX_PORT"), "--config", configuration,
               "--config-repeat", "0", "--frames", "300", "--rate", "200", "--step", "10"});
    ASSERT_TRUE(sim.waitForStarted(10000));
    ASSERT_TRUE(
        WaitFor([&] { return Session->RecordedLines().size() >= 300; }, std::chrono::seconds(60)));
    Session->StopRun();
    const TStationIdentity station{QStringLiteral("03808"), 50.2, -5.3};
    Session->SetStation(station);
    auto files = [&](const TSoundingProducts &products) {
        return FormatTempReport(products, station) + FormatSoundingSummary(products, station) +
               EncodeSoundingBufr(products, station, 0.0);
    };
    const QByteArray live = files(Session->CurrentProducts()->Products);
    sim.kill();
    sim.waitForFinished(10000);
    // The log is whole on the disk within a second or two.
    ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(log).count("\r\n") >= 304; }));

    TFlightSession replayed;
    replayed.SetStation(station);
    replayed.AdoptLog(ReadFlightLog(log));
    EXPECT_EQ(files(replayed.CurrentProducts()->Products), live);

    QProcess render;
    render.start(QStringLiteral(VENTREL_BIN_DIR "/ventrel-render"),
                 {log, "--temp", Dir.filePath("t"), "--summary", Dir.filePath("s"), "--bufr",
                  Dir.filePath("b"), "--station", "03808", "--latitude", "50.2", "--longitude",
                  "-5.3"});
    ASSERT_TRUE(render.waitForFinished(60000));
    EXPECT_EQ(ReadFileBytes(Dir.filePath("t")) + ReadFileBytes(Dir.filePath("s")) +
                  ReadFileBytes(Dir.filePath("b")),
              live);
}
