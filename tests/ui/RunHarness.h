#pragma once
// The main window driven through a whole run against kestrin-sim on the
// exchange port: configure by hand, enter the elevation, Run into a log file,
// and read the log back. Shared by the fault and soak tests.
#include "support/ScriptedInteraction.h"
#include "support/TestSupport.h"
#include "ui/ElevationFrame.h"
#include "ui/HardwareConfigFrame.h"
#include "ui/HardwareFrame.h"
#include "ui/Led.h"
#include "ui/MainForm.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

class TRunHarness : public ::testing::Test
{
  protected:
    static inline const QString Simulator = QStringLiteral(VENTREL_BIN_DIR "/kestrin-sim");
    static inline const QString Configuration = QStringLiteral("1MR:TPUVVVVF");

    static void SetUpTestSuite()
    {
        // The window loads the real exchange library; it listens on a port
        // of these tests' own.
        static const uint16_t port = FreeLoopbackPort();
        Port = port;
        setenv("DXSOFTEX_PORT", std::to_string(Port).c_str(), 1);
    }

    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Window = std::make_unique<TfrmMain>();
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        ASSERT_TRUE(WaitFor([&] { return !Window->tmrGraphResize().isActive(); }));
    }

    void TearDown() override
    {
        Window.reset();
        for (QProcess *sim : {&Sim, &Sim2})
            if (sim->state() != QProcess::NotRunning) {
                sim->kill();
                sim->waitForFinished(10000);
            }
    }

    // Starts a simulated sonde sending data frames of the configuration.
    static void StartSimulator(QProcess &sim, const QStringList &arguments)
    {
        sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim.start(Simulator, QStringList{QStringLiteral("--port"), QString::number(Port),
                                         QStringLiteral("--config"), Configuration,
                                         QStringLiteral("--config-repeat"), QStringLiteral("0")} +
                                 arguments);
        ASSERT_TRUE(sim.waitForStarted(10000));
    }

    // Configuration typed in, elevation 0 m, then Run into `log`.
    void StartRun(const QString &log)
    {
        TfraHardware &hardware = Window->fraHardware();
        hardware.fraHardwareConfig1().radManualConfig().click();
        hardware.fraHardwareConfig1().edtConfigure().setText(Configuration);
        Window->fraHardwareConfig1btnConfigureClick();
        ASSERT_TRUE(WaitFor(
            [&] { return hardware.fraHardwareConfig1().ledConfigure().State() == lsGreen; }));
        hardware.fraElevation1().EdtElevation().setText(QStringLiteral("0"));
        Script.ExpectInformation();
        hardware.RightArrowClick();
        Script.ExpectSaveFile(log);
        Window->RunClick();
        ASSERT_TRUE(Window->Session().Running());
    }

    // Stop, confirmed.
    void StopRun()
    {
        Script.ExpectConfirmation(true);
        Window->StopClick();
        ASSERT_FALSE(Window->Session().Running());
    }

    // The data lines of a log (everything after the four header lines).
    static QStringList LogDataLines(const QString &path)
    {
        QStringList lines =
            QString::fromLocal8Bit(ReadFileBytes(path)).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines.mid(4);
    }

    // Waits until the log holds every recorded line, then checks it holds
    // exactly those, in order.
    void ExpectLogComplete(const QString &path)
    {
        const QStringList recorded = Window->Session().RecordedLines();
        EXPECT_TRUE(WaitFor([&] { return LogDataLines(path).size() >= recorded.size(); },
                            std::chrono::seconds(20)));
        const QStringList logged = LogDataLines(path);
        EXPECT_EQ(logged.size(), recorded.size());
        EXPECT_TRUE(logged == recorded) << "the log differs from the recorded lines";
    }

    static inline uint16_t Port = 0;
    QTemporaryDir Dir;
    TScriptedInteraction Script;
    std::unique_ptr<TfrmMain> Window;
    QProcess Sim;
    QProcess Sim2;
};
