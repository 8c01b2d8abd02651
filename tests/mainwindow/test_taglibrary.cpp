// Start-up with the real tag library: registered by the regsvr tool into the test's own
// registry, as the run script registers it, the window creates its cMP3File without an error
// line; unregistered again, or with its file gone, start-up takes the failure path.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/mainwindow/regsvr.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using testsupport::WindowTest;

constexpr const char* kInitFailure = "MP3 Init: Failed to initialize Orvane Mp3 Library!";

using testsupport::regsvr;

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
