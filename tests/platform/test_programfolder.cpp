#include <gtest/gtest.h>

#include <QString>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/programfolder.h"

namespace {

using platform::fromNativePath;
using platform::kProgramFolderVariable;
using platform::nativePath;
using platform::programFile;
using platform::programFolder;

// Each test sets the override as it needs and gets the test main's sandbox back afterwards.
class ProgramFolderTest : public testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv(kProgramFolderVariable);
        hadOld_ = old != nullptr;
        old_ = old ? old : "";
    }
    void TearDown() override {
        if (hadOld_) {
            setenv(kProgramFolderVariable, old_.c_str(), 1);
        } else {
            unsetenv(kProgramFolderVariable);
        }
    }

    // The folder of this test binary, found independently of the code under test.
    static QString executableFolder() {
        const auto exe = std::filesystem::canonical("/proc/self/exe");
        return QString::fromStdString(exe.parent_path().string()) + "/";
    }

private:
    bool hadOld_ = false;
    std::string old_;
};

TEST_F(ProgramFolderTest, OverrideWinsAndGetsATrailingSlash) {
    setenv(kProgramFolderVariable, "/opt/quenza/data", 1);
    EXPECT_EQ(programFolder(), "/opt/quenza/data/");
    EXPECT_EQ(programFile("log.txt"), "/opt/quenza/data/log.txt");

    setenv(kProgramFolderVariable, "/opt/quenza/", 1);
    EXPECT_EQ(programFolder(), "/opt/quenza/") << "no second slash";

    setenv(kProgramFolderVariable, "/opt/\xC3\xBC", 1);
    EXPECT_EQ(programFolder(), QStringLiteral("/opt/\u00FC/"));
}

TEST_F(ProgramFolderTest, WithoutOverrideTheExecutableFolder) {
    ASSERT_TRUE(executableFolder().endsWith("/platform/")) << executableFolder().toStdString();
    setenv(kProgramFolderVariable, "", 1);
    EXPECT_EQ(programFolder(), executableFolder()) << "an empty override counts as none";
    unsetenv(kProgramFolderVariable);
    EXPECT_EQ(programFolder(), executableFolder());
    EXPECT_EQ(programFile("errors.txt"), executableFolder() + "errors.txt");
}

// The executable itself, whatever the program folder is pointed at.
TEST_F(ProgramFolderTest, ExecutablePathIsTheRunningExecutableEvenWithAnOverride) {
    const std::string real = std::filesystem::canonical("/proc/self/exe").string();
    setenv(kProgramFolderVariable, "/opt/quenza/data", 1);
    EXPECT_EQ(platform::nativePath(platform::executablePath()), real);
    EXPECT_TRUE(platform::executablePath().startsWith(executableFolder()));
}

TEST(NativePath, RoundTripsNonAsciiNames) {
    const QString path = QStringLiteral("/tmp/\u00E4\u00DF \u4E2D\u6587/\U0001F600.txt");
    const std::string native = nativePath(path);
    EXPECT_EQ(native, "/tmp/\xC3\xA4\xC3\x9F \xE4\xB8\xAD\xE6\x96\x87/\xF0\x9F\x98\x80.txt");
    EXPECT_EQ(fromNativePath(native), path);
    EXPECT_EQ(nativePath(""), "");
    EXPECT_EQ(fromNativePath(""), "");
}

TEST(XdgFolders, RelativeValuesAreDroppedAbsoluteOnesKept) {
    const std::string savedConfig =
        std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    const std::string savedData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    setenv("XDG_DATA_HOME", "/absolute/data", 1);
    platform::ignoreRelativeXdgFolders();
    EXPECT_EQ(std::getenv("XDG_CONFIG_HOME"), nullptr);
    ASSERT_NE(std::getenv("XDG_DATA_HOME"), nullptr);
    EXPECT_STREQ(std::getenv("XDG_DATA_HOME"), "/absolute/data");
    setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    setenv("XDG_DATA_HOME", savedData.c_str(), 1);
}

TEST(WithTrailingSlash, EndsAFolderWithExactlyOneAddedSlash) {
    const struct {
        const char* folder;
        const char* expected;
    } cases[] = {
        {"/home/a", "/home/a/"}, {"/home/a/", "/home/a/"}, {"/", "/"}, {"", "/"},
        {"a//", "a//"},          {"/x/\\", "/x/\\/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::withTrailingSlash(QString::fromUtf8(c.folder)),
                  QString::fromUtf8(c.expected))
            << c.folder;
    }
}

}  // namespace
