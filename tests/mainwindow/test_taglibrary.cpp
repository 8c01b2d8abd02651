// Start-up with the real tag library: registered by the regsvr tool into the test's own
// registry, as the run script registers it, the window creates its cMP3File without an error
// line; unregistered again, or with its file gone, start-up takes the failure path.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/mainwindow/windowsandbox.h"

extern char** environ;

namespace {

using testsupport::WindowTest;

constexpr const char* kInitFailure = "MP3 Init: Failed to initialize Orvane Mp3 Library!";

// Runs the regsvr tool in its own process (so that this process never loads the library it
// registers) with the sandbox's environment; its exit status, or -1 when it did not run.
int regsvr(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{QUENZA_TEST_REGSVR, "/s"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, QUENZA_TEST_REGSVR, nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

class TagLibraryStartupTest : public WindowTest {
protected:
    std::string errorLog() const {
        return testsupport::readAll(sandbox.program().file("errors.txt"));
    }
};

TEST_F(TagLibraryStartupTest, RegisteredLibraryIsCreatedWithoutAnErrorLine) {
    ASSERT_EQ(regsvr({QUENZA_TEST_ORVANE_MP3}), 0);
    const auto window = load();
    EXPECT_TRUE(window->hasMp3Library());
    EXPECT_FALSE(window->state().mp3LibraryMissing);
    EXPECT_EQ(errorLog().find("MP3 Init"), std::string::npos) << errorLog();
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(TagLibraryStartupTest, UnregisteredOrRemovedLibraryTakesTheFailurePath) {
    // A copy of the library that only the regsvr process ever loads, so that removing its file
    // really leaves nothing to load.
    const std::string copy = sandbox.config().file("libOrvaneMP3.so");
    std::filesystem::copy_file(QUENZA_TEST_ORVANE_MP3, copy);
    ASSERT_EQ(regsvr({copy}), 0);
    std::filesystem::remove(copy);
    {
        const auto window = load();
        EXPECT_FALSE(window->hasMp3Library());
        EXPECT_TRUE(window->state().mp3LibraryMissing);
        const std::string log = errorLog();
        EXPECT_NE(log.find(copy), std::string::npos) << log;  // the reason names the file
        EXPECT_NE(log.find(kInitFailure), std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
    }

    ASSERT_EQ(regsvr({QUENZA_TEST_ORVANE_MP3}), 0);
    ASSERT_EQ(regsvr({"/u", QUENZA_TEST_ORVANE_MP3}), 0);
    const auto window = load();
    EXPECT_FALSE(window->hasMp3Library());
    EXPECT_TRUE(window->state().mp3LibraryMissing);
    const std::string log = errorLog();
    EXPECT_NE(log.find("is not registered"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
    EXPECT_TRUE(messages.shown.isEmpty());
}

}  // namespace
