// The files that start-up reads and writes, when they are not what they should be: a FIFO in
// place of the settings file, a relative configuration folder, a list far too large, a disk
// that is full at the first start.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/log.h"
#include "platform/textfile.h"
#include "settings/errormemory.h"
#include "settings/loader.h"
#include "settings/store.h"
#include "settings/textlists.h"
#include "tests/support/fifoguard.h"
#include "tests/support/scopedenv.h"
#include "tests/support/tempdir.h"

namespace {

using settings::ErrorMemory;
using testsupport::ScopedEnv;
using testsupport::TempDir;

QString folderOf(const TempDir& dir) {
    return QString::fromStdString(dir.path()) + u'/';
}

bool isFifo(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

// Syncing the store, and letting it go, neither hang on the FIFO in the file's place nor
// replace it.
void expectNotWrittenThrough(std::unique_ptr<settings::SettingsStore>& store,
                             const std::string& fifo) {
    platform::Status synced = platform::Status::success();
    EXPECT_TRUE(testsupport::returnsWithoutHangingOn(fifo, false, [&] { synced = store->sync(); }));
    EXPECT_FALSE(synced.ok());
    EXPECT_TRUE(testsupport::returnsWithoutHangingOn(fifo, false, [&] { store.reset(); }));
    EXPECT_TRUE(isFifo(fifo));
}

// Takes every value the loader sets.
class AcceptingSink : public settings::ControlSink {
public:
    bool setCheck(const QString&, int) override { return true; }
    bool setText(const QString&, const QString&) override { return true; }
    bool selectOption(const QString&) override { return true; }
    bool selectModeTab(int) override { return true; }
    bool setDate(const QString&, const QDate&) override { return true; }
    bool setTime(const QString&, const QTime&) override { return true; }
    void setEnabled(const QString&, bool) override {}
    void setCaption(const QString&, const QString&) override {}
};

// ---------------------------------------------------------------------------------------------
// The settings file

TEST(SettingsFile, AFifoInItsPlaceIsNeitherOpenedNorReplaced) {
    TempDir dir;
    const std::string fifo = dir.file("store.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const QString path = QString::fromStdString(fifo);

    std::unique_ptr<settings::SettingsStore> store;
    ASSERT_TRUE(testsupport::returnsWithoutHangingOn(
        fifo, false, [&] { store = std::make_unique<settings::SettingsStore>(path); }));
    EXPECT_EQ(store->read("Main_Height"), std::nullopt);
    EXPECT_FALSE(store->readStatus().ok());
    EXPECT_NE(store->readStatus().reason().find(fifo), std::string::npos)
        << store->readStatus().reason();

    // What is written meanwhile reads back, but reaches no file.
    store->write("Main_Height", "7920");
    EXPECT_EQ(store->read("Main_Height"), QString("7920"));
    expectNotWrittenThrough(store, fifo);
}

// The file, or the lock file that QSettings takes beside it while it writes.
TEST(SettingsFile, AFifoThatTakesItsPlaceLaterIsNotWrittenEither) {
    for (const char* name : {"store.ini", "store.ini.lock"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        auto store = std::make_unique<settings::SettingsStore>(
            QString::fromStdString(dir.file("store.ini")));
        EXPECT_TRUE(store->readStatus().ok()) << "a missing file is an empty store";
        store->write("Main_Height", "7920");
        ASSERT_EQ(::mkfifo(dir.file(name).c_str(), 0600), 0);
        expectNotWrittenThrough(store, dir.file(name));
    }
}

// A relative XDG_CONFIG_HOME is ignored, as the XDG rules say, rather than taken from
// whatever the current folder happens to be.
TEST(SettingsFile, ARelativeConfigFolderIsIgnored) {
    const std::string home = std::getenv("HOME");
    for (const char* relative : {"config", "./config", "rel/../x"}) {
        SCOPED_TRACE(relative);
        ScopedEnv config("XDG_CONFIG_HOME", relative);
        EXPECT_EQ(settings::SettingsStore().fileName(),
                  QString::fromStdString(home) + "/.config/Tessaly/Quenza Renamer.ini");
    }
}

class FifoSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        program_.write("filetypes.txt", "1,PK,zip\r\n");
        input_.screenTwips = QSize(19200, 14400);
        input_.today = QDate(2024, 3, 15);
        input_.now = QTime(13, 45, 30);
        input_.programFolder = folderOf(program_);
    }

    TempDir program_;
    TempDir config_;
    ScopedEnv programDir_{"QUENZA_PROGRAM_DIR", program_.path().c_str()};
    ScopedEnv configHome_{"XDG_CONFIG_HOME", config_.path().c_str()};
    settings::LoadInput input_;
};

TEST_F(FifoSettingsTest, StartUpTakesTheDefaultsAndLogsTheUsualLine) {
    config_.mkdir("Tessaly");
    const std::string fifo = config_.file("Tessaly/Quenza Renamer.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    settings::LoadedState loaded;
    ASSERT_TRUE(testsupport::returnsWithoutHangingOn(fifo, false, [&] {
        const settings::SettingsStore store;
        AcceptingSink sink;
        loaded = settings::loadSettings(store, sink, input_);
    }));
    EXPECT_EQ(loaded.settings.Main_Height, 7920);
    EXPECT_EQ(loaded.settings.pathHistorySize, 32);
    const std::string log = testsupport::readAll(program_.file("errors.txt"));
    EXPECT_NE(log.find(") Error 75 (Path/File access error) Error loading settings!\r\n"),
              std::string::npos)
        << log;
    EXPECT_TRUE(isFifo(fifo));
}

// ---------------------------------------------------------------------------------------------
// The text lists

TEST(ListSize, AListLargerThanTheLimitIsReadLikeAnUnreadableOne) {
    TempDir dir;
    const std::string line = "1,PK,zip\r\n";
    std::string huge;
    huge.reserve(static_cast<std::size_t>(platform::kMaxTextFileBytes) + line.size());
    while (huge.size() <= static_cast<std::size_t>(platform::kMaxTextFileBytes)) {
        huge += line;
    }
    dir.write("filetypes.txt", huge);
    dir.write("exceptions.txt", huge);

    ErrorMemory typeErrors;
    EXPECT_TRUE(settings::readFileSignatures(folderOf(dir), typeErrors) ==
                settings::defaultFileSignatures())
        << "the defaults, as for a missing file";
    ASSERT_TRUE(typeErrors.last().has_value());
    EXPECT_EQ(typeErrors.last()->number, engine::kPathFileAccessError.number);
    EXPECT_EQ(std::filesystem::file_size(dir.file("filetypes.txt")), huge.size())
        << "the user's file is left alone";

    ErrorMemory exceptionErrors;
    EXPECT_EQ(settings::readExceptions(folderOf(dir), exceptionErrors), QStringList{QString()});
    ASSERT_TRUE(exceptionErrors.last().has_value());
    EXPECT_EQ(exceptionErrors.last()->number, engine::kPathFileAccessError.number);
}

ssize_t diskIsFull(int, const void*, std::size_t) {
    errno = ENOSPC;
    return -1;
}

TEST(ListSize, AFirstStartOnAFullDiskLeavesNoEmptyFileTypesList) {
    TempDir dir;
    const platform::WriteCall old = platform::setWriteCall(diskIsFull);
    ErrorMemory errors;
    const auto rows = settings::readFileSignatures(folderOf(dir), errors);
    platform::setWriteCall(old);

    EXPECT_TRUE(rows == settings::defaultFileSignatures());
    ASSERT_TRUE(errors.last().has_value());
    EXPECT_EQ(errors.last()->number, engine::kPathFileAccessError.number);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()))
        << "neither an empty filetypes.txt nor a temporary file";

    // The next start, with space again, writes the default file after all.
    ErrorMemory again;
    EXPECT_TRUE(settings::readFileSignatures(folderOf(dir), again) == rows);
    EXPECT_EQ(testsupport::readAll(dir.file("filetypes.txt")),
              settings::defaultFileTypesContent().toStdString());
}

}  // namespace
