// Test entry: every test program runs on the offscreen Qt platform with a
// QApplication, so fonts, images and widgets behave as in the program.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "ScriptedInteraction.h"
#include "foundation/CustomUtilities.h"

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const std::string dir = "/tmp/ventrel-test-runtime-" + std::to_string(getuid());
        mkdir(dir.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    // The program keeps its outbox in the user's data folder: each test
    // program gets a folder of its own, gone when it ends.
    QTemporaryDir data;
    setenv("XDG_DATA_HOME", data.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    InitialiseProcess();
    // No test may open a real modal dialog: unscripted ones fail the test.
    TRefusingInteraction refusing;
    InstallModalInteraction(&refusing);
    const int result = RUN_ALL_TESTS();
    InstallModalInteraction(nullptr);
    return result;
}
