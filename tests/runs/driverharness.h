// A stand-in for the main window around the run driver and the undo: the work lists, the two
// list views, the run state and settings, and hooks that read a real folder the way the
// Directory source does. Plus a snapshot of a whole folder tree (names, contents, attributes,
// times), so a test can run a mode, undo it and compare.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "filelists/rowtext.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "platform/widgets/listview.h"
#include "runs/driver.h"
#include "runs/rows.h"
#include "runs/runwindow.h"
#include "runs/undo.h"
#include "settings/programsettings.h"
#include "tests/support/fakemessages.h"
#include "tests/support/tempdir.h"

namespace testsupport {

// A run's or a log's lines as one text, for comparisons and failure messages.
inline std::string joined(const QStringList& lines) {
    return lines.join(QStringLiteral("\n")).toStdString();
}

// ---- Whole trees ----

struct TreeNode {
    bool directory = false;
    std::string content;
    std::uint32_t attributes = 0;
    // Files only: directories change their own times whenever an entry inside is renamed.
    std::int64_t createdNs = 0;
    std::int64_t accessedNs = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const TreeNode&) const = default;
};
using Tree = std::map<std::string, TreeNode>;

inline std::int64_t nanoseconds(const struct timespec& when) {
    return static_cast<std::int64_t>(when.tv_sec) * 1'000'000'000 + when.tv_nsec;
}

// A file's bytes, read without moving its access time (a rename or an attribute change makes
// the next plain read update it).
inline std::string readKeepingAccessTime(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOATIME | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    return bytes;
}

// Every entry below `root` by its relative path.
inline Tree snapshotTree(const std::string& root) {
    namespace stdfs = std::filesystem;
    Tree tree;
    for (const auto& entry : stdfs::recursive_directory_iterator(root)) {
        const std::string path = entry.path().string();
        TreeNode node;
        node.directory = entry.is_directory();
        node.attributes = platform::fs::attributes(path).valueOr(0xFFFFFFFFu);
        if (!node.directory) {
            const auto times = platform::fs::fileTimes(path);
            if (times.ok()) {
                node.createdNs = nanoseconds(times->created);
                node.accessedNs = nanoseconds(times->accessed);
                node.modifiedNs = nanoseconds(times->modified);
            }
            node.content = readKeepingAccessTime(path);
        }
        tree.emplace(stdfs::relative(entry.path(), root).string(), node);
    }
    return tree;
}

inline std::multiset<std::string> contents(const Tree& tree) {
    std::multiset<std::string> all;
    for (const auto& [path, node] : tree) {
        if (!node.directory) {
            all.insert(node.content);
        }
    }
    return all;
}

inline std::string describe(const Tree& tree) {
    std::string text;
    for (const auto& [path, node] : tree) {
        text += (node.directory ? "[dir] " : "") + path +
                " attr=" + std::to_string(node.attributes) +
                " mtime=" + std::to_string(node.modifiedNs) +
                " atime=" + std::to_string(node.accessedNs) + " \"" + node.content + "\"\n";
    }
    return text;
}

// A file with the given content whose change time is a fixed moment in the past (with
// nanoseconds, so an inexact restore shows) and whose access time is just ahead of now. Ahead,
// because the kernel stamps the status change with a coarser clock: an access time at or
// before it lets the first plain read (a picture token's, say) move the access time, and
// whether it does would depend on the clock tick.
inline std::string writeFile(const TempDir& dir, const std::string& name,
                             const std::string& content, int seconds = 0) {
    const std::string path = dir.write(name, content);
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    now.tv_sec += 1;
    const struct timespec modified { 1'500'000'000 + seconds, 123'456'789 };
    EXPECT_TRUE(platform::fs::setFileTimes(path, nullptr, &now, &modified).ok());
    return path;
}

// A row of a file list: name, empty preview, folder.
inline platform::ListRow fileRow(const QString& path) {
    const filelists::PathParts parts = filelists::splitPath(path);
    platform::ListRow row;
    row.texts = QStringList{parts.name, QString(), parts.folder};
    return row;
}

// ---- The main window's part ----

class DriverHarness {
public:
    DriverHarness() : directory(&mainWindow), dragDrop(&mainWindow) {
        for (platform::ListView* list : {&directory, &dragDrop}) {
            list->addColumn(QStringLiteral("Name"), QStringLiteral("filename"), 100);
            list->addColumn(QStringLiteral("Preview"), QStringLiteral("preview"), 100);
            list->addColumn(QStringLiteral("Path"), QStringLiteral("path"), 100);
        }
        inputs.mode = runs::NamingMode::Replace;
        inputs.filesTicked = true;
        inputs.dirsTicked = false;
        inputs.naming.options.scope = {true, false};
        answerYes();
    }
    ~DriverHarness() {
        if (window) {
            state.operationRunning = false;
            delete window.data();
        }
    }

    // The working folder, with a trailing "/".
    void setFolder(const std::string& path) {
        folder = QString::fromStdString(path) + QLatin1Char('/');
    }

    // Reads the working folder into the Directory work lists, as the folder read does:
    // directories and files of the folder itself, each by name; with `recursive`, those of
    // every sub-folder too (never entering a link), folder after folder.
    void readFolder() {
        ++reads;
        lstFiles[0].clear();
        lstDirs[0].clear();
        readLevel(folder);
    }
    void readLevel(const QString& at) {
        auto entries = platform::fs::readFolder(platform::nativePath(at));
        ASSERT_TRUE(entries.ok()) << entries.reason();
        std::vector<platform::fs::Entry> sorted = *entries;
        std::sort(sorted.begin(), sorted.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
        QStringList below;
        for (const auto& entry : sorted) {
            const QString path = at + QString::fromStdString(entry.name);
            if (entry.kind == platform::fs::Kind::Directory) {
                lstDirs[0].append(path);
                below.append(path + QLatin1Char('/'));
            } else {
                lstFiles[0].append(path);
            }
        }
        if (recursive) {
            for (const QString& sub : below) {
                readLevel(sub);
            }
        }
    }
    // The rows of the Directory list: directories (when ticked), then files.
    void buildRows() {
        directory.clear();
        QList<platform::ListRow> rows;
        auto add = [&rows](const QString& path) { rows.append(fileRow(path)); };
        if (inputs.dirsTicked) {
            std::for_each(lstDirs[0].cbegin(), lstDirs[0].cend(), add);
        }
        std::for_each(lstFiles[0].cbegin(), lstFiles[0].cend(), add);
        directory.addRows(rows);
    }
    void loadFolder(const std::string& path) {
        setFolder(path);
        readFolder();
        buildRows();
    }

    // Replaces the Free Select list by these paths, in this order (what exists only).
    void fillFreeSelect(const QStringList& files, const QStringList& dirs) {
        dragDrop.clear();
        lstFiles[1].clear();
        lstDirs[1].clear();
        QList<platform::ListRow> rows;
        for (const QString& path : files + dirs) {
            const std::string native = platform::nativePath(path);
            const bool isDir = platform::fs::isDirectory(native);
            if (!isDir && !platform::fs::isFile(native)) {
                continue;
            }
            (isDir ? lstDirs[1] : lstFiles[1]).append(path);
            rows.append(fileRow(path));
        }
        dragDrop.addRows(rows);
    }
    void useFreeSelect(const QStringList& files, const QStringList& dirs = {}) {
        inputs.fileMode = filelists::Source::FreeSelect;
        fillFreeSelect(files, dirs);
    }

    runs::DriverContext context() {
        runs::DriverContext ctx{.state = state,
                                .settings = settings,
                                .lstFiles = lstFiles,
                                .lstDirs = lstDirs,
                                .lists = {&directory, &dragDrop},
                                .mainWindow = &mainWindow};
        runs::DriverHooks& hooks = ctx.hooks;
        hooks.validate = [this] { return valid; };
        hooks.inputs = [this] { return inputs; };
        hooks.setMainPanel = [this](const QString& text) {
            panels.append(text);
            if (text == QLatin1String("Renaming...") && duringRun) {
                duringRun();
            }
        };
        hooks.stopPreview = [this] { ++previewStops; };
        hooks.openRunWindow = [this] {
            // A window of its own: disabling the main window must not disable it.
            auto* opened = new runs::RunWindow(state, settings);
            opened->setAttribute(Qt::WA_DeleteOnClose);
            opened->onClosed = [this] { mainWindow.setEnabled(true); };
            opened->open();
            window = opened;
            ++windowsOpened;
            return opened;
        };
        hooks.readDirectoryStructure = [this] {
            if (readFailure) {
                readFailure();
            }
            readFolder();
        };
        hooks.updateTreeview = [this] { buildRows(); };
        hooks.directoryFolder = [this] { return folder; };
        hooks.refillFreeSelect = [this](const QStringList& files, const QStringList& dirs) {
            refills.append(files + dirs);
            fillFreeSelect(files, dirs);
        };
        hooks.updateSelectedCount = [this] { ++selectionCounts; };
        hooks.setUndoEnabled = [this](bool enabled) { undoEnabled = enabled; };
        hooks.markListOrderChanged = [this] { listOrderChanged = true; };
        return ctx;
    }

    void run() {
        runs::DriverContext ctx = context();
        runs::executeRun(ctx);
    }
    bool undo() {
        closeWindow();
        runs::DriverContext ctx = context();
        return runs::undoLastRun(ctx);
    }
    // Closes the run window of the last operation, as the user does before the next one.
    void closeWindow() {
        if (window) {
            window->close();
        }
        QApplication::processEvents();
    }

    // Presses Cancel at the first yield after the executor has started.
    void cancelAtFirstItem() {
        duringRun = [this] {
            QTimer::singleShot(0, window.data(), [this] {
                window->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
            });
        };
    }

    void answerYes() {
        messages.answers.clear();
        messages.answers.push_back(platform::MessageResult::Yes);
    }

    QStringList lines() const { return window ? window->lines() : QStringList(); }
    QStringList rowPaths(const platform::ListView& list) const {
        return runs::takeRowSnapshot(list).order;
    }

    QWidget mainWindow;
    platform::ListView directory;
    platform::ListView dragDrop;
    runs::RunState state;
    settings::ProgramSettings settings;
    std::array<QStringList, 2> lstFiles;
    std::array<QStringList, 2> lstDirs;
    runs::DriverInputs inputs;
    QString folder;
    bool recursive = false;
    FakeMessages messages;

    bool valid = true;
    QStringList panels;
    QList<QStringList> refills;
    std::function<void()> duringRun;
    std::function<void()> readFailure;
    QPointer<runs::RunWindow> window;
    int windowsOpened = 0;
    int reads = 0;
    int previewStops = 0;
    int selectionCounts = 0;
    bool undoEnabled = false;
    bool listOrderChanged = false;
};

// Replace "find" by "replace" in the name part, as the Replace tab's single replace does.
inline void replaceNames(runs::DriverInputs& inputs, const QString& find, const QString& replace,
                         bool caseSensitive = false) {
    inputs.mode = runs::NamingMode::Replace;
    inputs.naming.options.replace.find = find;
    inputs.naming.options.replace.replace = replace;
    inputs.naming.options.replace.caseSensitive = caseSensitive ? 1 : 0;
}

// A date run giving the modified time (with `allTimes` also the created and accessed ones) a new
// date and time.
inline void dateRun(runs::DriverInputs& inputs, bool allTimes) {
    inputs.mode = runs::NamingMode::None;
    inputs.attributeRun = true;
    inputs.dirsAllowed = false;
    inputs.attrib.optAttrib = 1;
    inputs.attrib.chkDateCreated = allTimes;
    inputs.attrib.chkDateAccessed = allTimes;
    inputs.attrib.chkDateModified = true;
    inputs.attrib.chkDateDate = true;
    inputs.attrib.chkDateTime = true;
    inputs.attrib.dtDate = QDate(2001, 2, 3);
    inputs.attrib.dtTime = QTime(4, 5, 6);
}

}  // namespace testsupport
