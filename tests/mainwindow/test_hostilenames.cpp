// A folder of hostile entries, read and renamed as a user would through the window: names that
// are not UTF-8, a name that decodes to U+FFFD beside one that holds it, line breaks, tabs and
// carriage returns in names, a dangling link, links to a file and to a folder outside, a link
// cycle, a FIFO. A replace run, an attribute run and a date run, each undone, must leave
// every name as the exact bytes expected, never touch anything outside the chosen folder, and
// never hang.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDate>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "platform/programfolder.h"
#include "platform/widgets/listview.h"
#include "runs/runwindow.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

using testsupport::TempDir;
using testsupport::WindowTest;

// What one entry is, by lstat: never through a link.
struct EntryState {
    std::string kind;  // "file", "dir", "link -> target", "fifo"
    std::string content;
    unsigned mode = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const EntryState&) const = default;
};
using FolderState = std::map<std::string, EntryState>;  // relative path bytes -> state

FolderState snapshot(const std::string& root) {
    FolderState state;
    std::function<void(const std::string&)> walk = [&](const std::string& relative) {
        const std::string folder = relative.empty() ? root : root + "/" + relative;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            const std::string path = relative.empty() ? name : relative + "/" + name;
            struct stat info {};
            if (::lstat(entry.path().c_str(), &info) != 0) {
                continue;
            }
            EntryState item;
            item.mode = info.st_mode & 07777;
            item.modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                              info.st_mtim.tv_nsec;
            if (S_ISLNK(info.st_mode)) {
                item.kind = "link -> " + std::filesystem::read_symlink(entry.path()).string();
                item.mode = 0;  // a link's own bits mean nothing on Linux
            } else if (S_ISDIR(info.st_mode)) {
                item.kind = "dir";
                item.modifiedNs = 0;  // changes with every rename inside
                walk(path);
            } else if (S_ISFIFO(info.st_mode)) {
                item.kind = "fifo";
            } else {
                item.kind = "file";
                item.content = testsupport::readAll(entry.path().string());
            }
            state.emplace(path, item);
        }
    };
    walk("");
    return state;
}

std::string describe(const FolderState& state) {
    std::string text;
    for (const auto& [path, item] : state) {
        std::string shown;
        for (const unsigned char c : path) {
            if (c < 0x20 || c >= 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", c);
                shown += hex;
            } else {
                shown += static_cast<char>(c);
            }
        }
        text += shown + " " + item.kind + " mode=" + std::to_string(item.mode) +
                " mtime=" + std::to_string(item.modifiedNs) + "\n";
    }
    return text;
}

std::set<std::string> names(const FolderState& state) {
    std::set<std::string> all;
    for (const auto& [path, item] : state) {
        all.insert(path);
    }
    return all;
}

class HostileNamesTest : public WindowTest {
protected:
    void SetUp() override {
        chosen_ = root_.mkdir("chosen");
        victim_ = root_.mkdir("victim");
        root_.write("victim/target.txt", "the victim's own content");
        root_.write("victim/other.txt", "more of it");
        for (const char* name : {"caf\xe9.txt", "caf\xef\xbf\xbd.txt", "new\nline.txt",
                                 "tab\tname.txt", "cr\rname.txt", "plain.txt"}) {
            root_.write(std::string("chosen/") + name, name);
        }
        root_.mkdir("chosen/sub\xe9");
        root_.write("chosen/sub\xe9/inner\xe9.txt", "inner");
        link("nowhere", "dangling.txt");
        link("../victim/target.txt", "filelink.txt");
        link("../victim", "dirlink");
        link(".", "cycle");
        ASSERT_EQ(::mkfifo((chosen_ + "/pipe.jpg").c_str(), 0644), 0);
        sandbox.store({{"txtPath", platform::fromNativePath(chosen_ + "/")},
                       {"chkSub", "1"},
                       {"chkFiles", "1"},
                       {"chkDirs", "0"},
                       {"showAllColumns", "1"},
                       {"chkThumbnails", "0"},
                       {"chkOnlyRenameSelected", "0"},
                       {"chkSimulation", "0"},
                       {"uncheckSubsdirsAtStartup", "0"}});
    }

    void link(const char* target, const char* name) {
        ASSERT_EQ(::symlink(target, (chosen_ + "/" + name).c_str()), 0);
    }

    // Runs the selected mode, closes the run window, and returns its lines.
    QStringList run(mainwindow::FrmMain& window) {
        EXPECT_TRUE(window.ui().cmdExecute->isEnabled());
        window.ui().cmdExecute->click();
        return closeRunWindow(window);
    }
    QStringList undo(mainwindow::FrmMain& window) {
        messages.answers = {platform::MessageResult::Yes};
        EXPECT_TRUE(window.ui().cmdUndo->isEnabled());
        window.ui().cmdUndo->click();
        return closeRunWindow(window);
    }
    static QStringList closeRunWindow(mainwindow::FrmMain& window) {
        QStringList lines;
        if (runs::RunWindow* runWindow = window.runWindow()) {
            lines = runWindow->lines();
            runWindow->close();
        }
        QApplication::processEvents();
        return lines;
    }

    TempDir root_;
    std::string chosen_;
    std::string victim_;
};

TEST_F(HostileNamesTest, RunsAndUndoesKeepEveryByteAndStayInsideTheFolder) {
    const FolderState chosenBefore = snapshot(chosen_);
    const FolderState victimBefore = snapshot(victim_);
    const auto window = start();

    // Every entry is listed, none empties the list; the linked folder is not entered.
    auto* list = window->ui().lwDirectory;
    EXPECT_EQ(list->rowCount(), 12) << describe(chosenBefore);

    // Replace "a" by "A" in every name.
    window->selectModeTab(1);
    window->selectOption(QStringLiteral("optReplaceSingle"));
    window->setText(QStringLiteral("txtFind"), QStringLiteral("a"));
    window->setText(QStringLiteral("txtReplace"), QStringLiteral("A"));
    window->setCheck(QStringLiteral("chkCaseSensitive"), 1);
    QStringList lines = run(*window);
    const std::set<std::string> expected = {
        "cAf\xe9.txt",  "cAf\xef\xbf\xbd.txt", "new\nline.txt", "tAb\tnAme.txt",
        "cr\rnAme.txt", "plAin.txt",           "sub\xe9",       "sub\xe9/inner\xe9.txt",
        "dAngling.txt", "filelink.txt",        "dirlink",       "cycle",
        "pipe.jpg"};
    EXPECT_EQ(names(snapshot(chosen_)), expected) << lines.join('\n').toStdString();
    EXPECT_EQ(snapshot(victim_), victimBefore);
    undo(*window);
    EXPECT_EQ(snapshot(chosen_), chosenBefore) << describe(snapshot(chosen_));

    // Write-protect everything; links are left alone (with a warning), their targets too.
    window->selectModeTab(5);
    window->selectOption(QStringLiteral("optAttrib_Attributes"));
    window->setCheck(QStringLiteral("chkR"), 1);
    lines = run(*window);
    const FolderState protectedState = snapshot(chosen_);
    EXPECT_EQ(protectedState.at("plain.txt").mode & 0222, 0u);
    EXPECT_EQ(protectedState.at("caf\xe9.txt").mode & 0222, 0u);
    EXPECT_EQ(protectedState.at("caf\xef\xbf\xbd.txt").mode & 0222, 0u);
    EXPECT_EQ(snapshot(victim_), victimBefore) << lines.join('\n').toStdString();
    EXPECT_EQ(
        lines.filter(QStringLiteral("WARNING! File attribute change failed: filelink.txt")).size(),
        1)
        << lines.join('\n').toStdString();
    undo(*window);
    EXPECT_EQ(snapshot(chosen_), chosenBefore) << describe(snapshot(chosen_));

    // A new modified date for every item; a link's own time changes, never its target's.
    window->selectOption(QStringLiteral("optAttrib_Date"));
    window->setCheck(QStringLiteral("chkDateDate"), 1);
    window->setDate(QStringLiteral("dtDate"), QDate(2001, 2, 3));
    window->setCheck(QStringLiteral("chkDateModified"), 1);
    lines = run(*window);
    const FolderState dated = snapshot(chosen_);
    EXPECT_NE(dated.at("caf\xe9.txt").modifiedNs, chosenBefore.at("caf\xe9.txt").modifiedNs);
    EXPECT_NE(dated.at("new\nline.txt").modifiedNs, chosenBefore.at("new\nline.txt").modifiedNs);
    EXPECT_EQ(snapshot(victim_), victimBefore) << lines.join('\n').toStdString();
    undo(*window);
    EXPECT_EQ(snapshot(chosen_), chosenBefore) << describe(snapshot(chosen_));
    EXPECT_EQ(snapshot(victim_), victimBefore);
}

}  // namespace

namespace {

TEST_F(HostileNamesTest, NamesWithLineBreaksShowWholeWithTheirBreaksDrawn) {
    const auto window = start();
    auto* list = window->ui().lwDirectory;
    QStringList shown;
    for (int row = 0; row < list->rowCount(); ++row) {
        const QModelIndex cell = list->model()->index(row, 0);
        shown.append(cell.data(Qt::DisplayRole).toString());
        // What the row holds (and what an in-place edit starts from) is the name itself.
        EXPECT_EQ(cell.data(Qt::EditRole).toString(), list->text(row));
    }
    for (const char* name : {"new\\nline.txt", "tab\\tname.txt", "cr\\rname.txt"}) {
        EXPECT_TRUE(shown.contains(QString::fromUtf8(name))) << name;
    }
}

}  // namespace
