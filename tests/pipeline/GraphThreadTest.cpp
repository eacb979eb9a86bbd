#include "pipeline/GraphThread.h"

#include "foundation/LocalUtilities.h"
#include "support/TestSupport.h"

#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr double Start = 46000.5;
constexpr double Minute = 1.0 / 1440.0;

// A graph kind that records what the pipeline asks of it.
template <class TBase> class TWatched : public TBase
{
  public:
    void AddData(const TDataPacketList &packets, int32_t first) override
    {
        AddDataFirsts.push_back(first);
        TBase::AddData(packets, first);
    }
    std::vector<int32_t> AddDataFirsts;
};

// T, P, U, V on channels 1 to 4, frequency on 8.
TDataParameters RunParameters(double launchElevation = 100.0)
{
    TDataParameters parameters;
    parameters.Configuration().ParseConfiguration(QStringLiteral("1MP:TPUVNNNF"));
    parameters.SetLaunchElevation(launchElevation);
    return parameters;
}

// Frame i of a slow ascent, one minute apart; `error` spoils the humidity.
TKestrinResult Frame(int i, bool error = false)
{
    TKestrinResult frame = RunParameters().Configuration();
    frame.SetTime(Start + i * Minute);
    frame.SetValue(1, 15.0 - 0.5 * i);
    frame.SetValue(2, 1000.0 - 10.0 * i);
    frame.SetValue(3, error ? NoValue : 50.0);
    frame.SetValue(4, 9.2);
    frame.SetValue(8, 48.0);
    return frame;
}

// A batch of commands, built in order.
struct TBatch
{
    TBatch &Command(uint8_t command, std::unique_ptr<TObject> data)
    {
        List.push_back(std::make_unique<TRawDataPacket>(command, std::move(data)));
        return *this;
    }
    TBatch &Frames(int first, int count, bool error = false)
    {
        for (int i = first; i < first + count; ++i)
            Command(rcFrame, std::make_unique<TKestrinResult>(Frame(i, error)));
        return *this;
    }
    TBatch &Unit(TLengthUnit unit)
    {
        return Command(rcLengthUnit, std::make_unique<TIntegerWrapper>(unit));
    }
    TCommandList List;
};

class GraphPipeline : public ::testing::Test
{
  protected:
    GraphPipeline()
    {
        auto standard = std::make_unique<TWatched<TStandardGraph>>();
        auto skewT = std::make_unique<TWatched<TSkewTGraph>>();
        auto time = std::make_unique<TWatched<TTimeGraph>>();
        Standard = standard.get(), SkewT = skewT.get(), Time = time.get();
        Pipeline = std::make_unique<TGraphPipeline>(std::move(standard), std::move(skewT),
                                                    std::move(time));
    }

    TCycleOutput Cycle()
    {
        TBatch none;
        return Cycle(none);
    }
    TCycleOutput Cycle(TBatch &batch)
    {
        TCycleOutput output;
        Pipeline->Process(batch.List, output);
        Pipeline->RedrawChanged(output);
        return output;
    }

    TCycleOutput NewRun(double launchElevation = 100.0)
    {
        TCycleOutput output = Cycle(TBatch().Command(
            rcNewRun, std::make_unique<TDataParameters>(RunParameters(launchElevation))));
        // A rebuild hands its graph the packets it has; only later calls count.
        Standard->AddDataFirsts.clear();
        SkewT->AddDataFirsts.clear();
        Time->AddDataFirsts.clear();
        return output;
    }

    LocaleGuard Locale{"C"};
    TWatched<TStandardGraph> *Standard;
    TWatched<TSkewTGraph> *SkewT;
    TWatched<TTimeGraph> *Time;
    std::unique_ptr<TGraphPipeline> Pipeline;
};

QString Padded(std::initializer_list<QString> cells)
{
    QString row;
    for (const QString &cell : cells)
        row += cell.leftJustified(10);
    return row;
}

} // namespace

TEST_F(GraphPipeline, FramesAreListedOnceAndGraphedFromTheLastCount)
{
    TCycleOutput run = NewRun();
    ASSERT_EQ(run.ViewPackets.size(), 1u);
    EXPECT_EQ(run.ViewPackets[0]->Kind, dvHeadings);
    EXPECT_EQ(
        run.ViewPackets[0]->HeadingLines,
        QStringList(
            {Padded({"Ch1 T", "Ch2 P", "Ch3 U", "Ch4 V", "Ch8 F", "Dewpt", "Alt", "Rise"}),
             Padded({"(degC)", "(mbar)", "(%RH)", "(volt)", "(Hz)", "(degC)", "(m)", "(m/min)"})}));

    TCycleOutput ten = Cycle(TBatch().Frames(0, 10));
    ASSERT_EQ(ten.ViewPackets.size(), 1u);
    const TDataViewPacket &rows = *ten.ViewPackets[0];
    EXPECT_EQ(rows.Kind, dvAppend);
    EXPECT_EQ(rows.TimeTexts.size(), 10);
    ASSERT_EQ(rows.RowTexts.size(), 10);
    EXPECT_EQ(rows.TimeTexts[0], FormatLongTime(Start));
    // The first frame stands at the launch elevation and has no rise rate yet.
    EXPECT_EQ(rows.RowTexts[0], Padded({"15", "1000", "50", "9.200", "48",
                                        FormatFixed(DewPoint(15.0, 50.0), 1), "100", "0"}));
    for (auto *added : {&Standard->AddDataFirsts, &SkewT->AddDataFirsts, &Time->AddDataFirsts})
        EXPECT_EQ(*added, std::vector<int32_t>({0}));

    // A frame with a failed channel is listed but not graphed.
    TCycleOutput more = Cycle(TBatch().Frames(10, 1, true).Frames(11, 2));
    ASSERT_EQ(more.ViewPackets.size(), 1u);
    EXPECT_EQ(more.ViewPackets[0]->RowTexts.size(), 3);
    EXPECT_EQ(more.ViewPackets[0]->RowTexts[0].mid(20, 10), QStringLiteral("Error     "));
    EXPECT_EQ(Pipeline->AllPackets().size(), 13u);
    EXPECT_EQ(Pipeline->GraphedCount(), 12);
    for (auto *added : {&Standard->AddDataFirsts, &SkewT->AddDataFirsts, &Time->AddDataFirsts})
        EXPECT_EQ(*added, std::vector<int32_t>({0, 10}));
    EXPECT_EQ(Standard->PointLists()[0].size(), 12u);
}

TEST_F(GraphPipeline, UnitChangeReplacesTheListInFeetAndRebuildsWithoutDuplicates)
{
    NewRun();
    Cycle(TBatch().Frames(0, 50));
    // Frames in the same batch as the change reach each graph once.
    TCycleOutput changed = Cycle(TBatch().Unit(luFeet).Frames(50, 5));
    ASSERT_EQ(changed.ViewPackets.size(), 2u);
    const TDataViewPacket &replacement = *changed.ViewPackets[0];
    EXPECT_EQ(replacement.Kind, dvReplace);
    ASSERT_EQ(replacement.HeadingLines.size(), 2);
    EXPECT_TRUE(replacement.HeadingLines[1].endsWith(Padded({"(ft)", "(ft/min)"})));
    ASSERT_EQ(replacement.RowTexts.size(), 50);
    const TDataPacket &packet = Pipeline->AllPackets()[49];
    EXPECT_TRUE(replacement.RowTexts[49].endsWith(
        Padded({FormatFixed(MetersToFeet(packet.Altitude()), 0),
                FormatFixed(MetersToFeet(packet.RiseRate()), 0)})));
    EXPECT_EQ(changed.ViewPackets[1]->RowTexts.size(), 5);

    EXPECT_EQ(Standard->PointLists()[0].size(), 55u);
    EXPECT_EQ(SkewT->TemperaturePoints().size(), 55u);
    // The Time graph is not rebuilt by a unit change and takes the new frames.
    EXPECT_EQ(Time->AddDataFirsts, std::vector<int32_t>({0, 50}));
    EXPECT_EQ(Time->PointLists()[0].size(), 55u);
}

TEST_F(GraphPipeline, NewRunClearsEverythingAndRestartsTheAltitude)
{
    NewRun();
    Cycle(TBatch().Frames(0, 20));
    ASSERT_GT(Pipeline->AllPackets().back().Altitude(), 200.0);

    TCycleOutput run = NewRun(500.0);
    ASSERT_EQ(run.ViewPackets.size(), 1u);
    EXPECT_EQ(run.ViewPackets[0]->Kind, dvHeadings);
    EXPECT_TRUE(Pipeline->AllPackets().empty());
    EXPECT_TRUE(Pipeline->GoodPackets().empty());
    EXPECT_TRUE(Standard->PointLists()[0].empty());
    EXPECT_TRUE(Time->PointLists()[0].empty());

    Cycle(TBatch().Frames(30, 1));
    ASSERT_EQ(Pipeline->AllPackets().size(), 1u);
    EXPECT_NEAR(Pipeline->AllPackets()[0].Altitude(), 500.0, 1e-9);
    EXPECT_EQ(Standard->AddDataFirsts, std::vector<int32_t>({0}));
}

TEST_F(GraphPipeline, PrintOfAnEmptyTimeGraphStillGivesAnImage)
{
    TCycleOutput printed =
        Cycle(TBatch().Command(rcPrintImage, std::make_unique<TIntegerWrapper>(gtTime)));
    ASSERT_EQ(printed.Images.size(), 1u);
    EXPECT_EQ(printed.Images[0]->GraphType, gtTime);
    EXPECT_EQ(printed.Images[0]->Image.size(), QSize((200 + 120) * 5, 200 * 5));
}

TEST_F(GraphPipeline, RedrawsOnlyWhatChanged)
{
    EXPECT_EQ(Cycle().Redrawn.size(), 3u); // fresh graphs are drawn once
    EXPECT_TRUE(Cycle().Redrawn.empty());
    EXPECT_EQ(Cycle(TBatch().Frames(0, 1)).Redrawn.size(), 3u);
    EXPECT_TRUE(Cycle().Redrawn.empty());

    // A print image empties the screen bitmap of that graph only.
    EXPECT_EQ(
        Cycle(TBatch().Command(rcPrintImage, std::make_unique<TIntegerWrapper>(gtSkewT))).Redrawn,
        std::vector<TGraphType>({gtSkewT}));
    EXPECT_FALSE(SkewT->Bitmap().isNull());
    Pipeline->Invalidate(gtTime);
    EXPECT_EQ(Cycle().Redrawn, std::vector<TGraphType>({gtTime}));
}

TEST_F(GraphPipeline, AFailingGraphIsReportedOnceAndTheOthersCarryOn)
{
    NewRun();
    TStandardGraphParameters broken;
    broken.SetSeriesAxis(1, 4);
    TCycleOutput failed = Cycle(TBatch().Command(rcStandardParameters, broken.Clone()));
    ASSERT_EQ(failed.Errors.size(), 1);
    EXPECT_TRUE(failed.Errors[0].startsWith(QStringLiteral("Standard graph: Std:")))
        << failed.Errors[0].toStdString();

    TCycleOutput next = Cycle(TBatch().Frames(0, 5));
    EXPECT_TRUE(next.Errors.isEmpty());
    EXPECT_EQ(next.Redrawn.size(), 3u);
    EXPECT_EQ(SkewT->TemperaturePoints().size(), 5u);
    EXPECT_EQ(Time->PointLists()[0].size(), 5u);

    // The same refusal again is not repeated; the other rebuild goes ahead.
    EXPECT_TRUE(Cycle(TBatch().Unit(luFeet)).Errors.isEmpty());
    EXPECT_EQ(SkewT->Screen().GetTitle(1).Text(), QStringLiteral("feet"));

    // Once the graph works again, a new failure is news.
    EXPECT_TRUE(
        Cycle(TBatch().Command(rcStandardParameters, std::make_unique<TStandardGraphParameters>()))
            .Errors.isEmpty());
    EXPECT_EQ(Standard->PointLists()[0].size(), 5u);
    EXPECT_EQ(Cycle(TBatch().Command(rcStandardParameters, broken.Clone())).Errors.size(), 1);
}

TEST(GraphThread, EndsWhileWaitingForItsCopyToTheScreen)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    // Nothing here handles events, so the thread's first copy cannot run.
    auto awaitCopy = [&](TGraphThread &thread) {
        while (!thread.AwaitingCopy() && std::chrono::steady_clock::now() < deadline)
            QThread::msleep(1);
        return thread.AwaitingCopy();
    };
    QImage target;
    auto thread = std::make_unique<TGraphThread>();
    thread->SetGraphTarget(gtSkewT, &target);
    ASSERT_TRUE(awaitCopy(*thread));
    // Told to end, it gives up the copy even though no event is handled.
    thread->requestInterruption();
    thread->Wake();
    EXPECT_TRUE(thread->wait(QDeadlineTimer(10000)));

    // The destructor ends a waiting thread while handling events.
    thread = std::make_unique<TGraphThread>();
    thread->SetGraphTarget(gtTime, &target);
    ASSERT_TRUE(awaitCopy(*thread));
    thread.reset();
}
