// Test entry: every test program runs on the offscreen Qt platform with a
// QApplication, so fonts, images and widgets behave as in the program.
#include <QApplication>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>

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
    QApplication app(argc, argv);
    InitialiseProcess();
    return RUN_ALL_TESTS();
}
