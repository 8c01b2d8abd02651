// Shared main of every test binary. No test may touch the user's files: HOME, the XDG folders
// and the program folder all point into a fresh temporary directory, removed at the end.
#include <gtest/gtest.h>

#include <QCoreApplication>
#ifdef QUENZA_TEST_WIDGETS
#include <QApplication>
#endif
#include <QLocale>

#include <cstdlib>
#include <filesystem>

#include "tests/support/tempdir.h"

namespace testsupport {

namespace {
std::string g_sandbox;
}

const std::string& sandboxRoot() {
    return g_sandbox;
}

}  // namespace testsupport

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    testsupport::TempDir sandbox;
    testsupport::g_sandbox = sandbox.path();
    const struct {
        const char* variable;
        const char* folder;
    } redirects[] = {
        {"HOME", "home"},
        {"XDG_CONFIG_HOME", "config"},
        {"XDG_DATA_HOME", "data"},
        {"XDG_CACHE_HOME", "cache"},
        {"QUENZA_PROGRAM_DIR", "program"},
    };
    for (const auto& redirect : redirects) {
        const std::string folder = sandbox.mkdir(redirect.folder);
        setenv(redirect.variable, folder.c_str(), 1);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Date, time and number texts depend on the locale; tests expect US English.
    setenv("LANG", "en_US.UTF-8", 1);
    setenv("LC_ALL", "en_US.UTF-8", 1);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

#ifdef QUENZA_TEST_WIDGETS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
