// The program as scripts and scheduled jobs start it: "QuenzaRen /p FOLDER /e MODE /x" as a
// process of its own, offscreen, with a home, settings and program folder of its own. Each
// start must end by itself, with the status that tells the caller what happened (0 a clean
// run, 1 a run with errors or warnings, 2 no run) and, for no run, one line on standard error
// saying why; the settings are saved at the end as after a close by hand.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/tempdir.h"

namespace {

using testsupport::TempDir;

// A start may take a few seconds under a loaded machine; a start that waits for a person
// never ends, and is killed here so that it fails instead of blocking the suite.
constexpr int kStartTimeoutMs = 20000;

// Nested by handle, each level 200 bytes, until the path passes PATH_MAX: a folder no path can
// reach, which even root cannot read by its name. Removed by handle too.
class DeepFolder {
public:
    DeepFolder(const std::string& parent, const std::string& name) : top_(parent + "/" + name) {
        ::mkdir(top_.c_str(), 0755);
        int fd = ::open(top_.c_str(), O_RDONLY | O_DIRECTORY);
        for (int depth = 0; depth < kDepth && fd >= 0; ++depth) {
            ::mkdirat(fd, kLevel.c_str(), 0755);
            const int next = ::openat(fd, kLevel.c_str(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }
    ~DeepFolder() {
        std::vector<int> chain{::open(top_.c_str(), O_RDONLY | O_DIRECTORY)};
        for (int depth = 0; depth < kDepth && chain.back() >= 0; ++depth) {
            chain.push_back(::openat(chain.back(), kLevel.c_str(), O_RDONLY | O_DIRECTORY));
        }
        for (std::size_t i = chain.size() - 1; i > 0; --i) {
            if (chain[i] >= 0) {
                ::close(chain[i]);
            }
            ::unlinkat(chain[i - 1], kLevel.c_str(), AT_REMOVEDIR);
        }
        ::close(chain.front());
    }
    DeepFolder(const DeepFolder&) = delete;
    DeepFolder& operator=(const DeepFolder&) = delete;

    // The path of the deepest level, with a trailing "/".
    std::string bottom() const {
        std::string path = top_;
        for (int depth = 0; depth < kDepth; ++depth) {
            path += "/" + kLevel;
        }
        return path + "/";
    }

private:
    static constexpr int kDepth = 24;
    inline static const std::string kLevel = std::string(200, 'd');
    std::string top_;
};

// One start of the program in a sandbox of its own.
class Start {
public:
    Start() {
        for (const char* folder : {"home", "config", "data", "cache", "program", "work"}) {
            root_.mkdir(folder);
        }
        root_.mkdir("config/Tessaly");
    }

    // The working folder, with a trailing "/".
    std::string work() const { return root_.file("work") + "/"; }
    bool exists(const std::string& name) const {
        return ::access((work() + name).c_str(), F_OK) == 0;
    }
    void put(const std::string& name, const std::string& bytes = "x") const {
        root_.write("work/" + name, bytes);
    }
    std::string read(const std::string& name) const { return testsupport::readAll(work() + name); }

    // The settings a previous session left: the Replace tab turning "file" into "item", the
    // working folder as the last folder, plus `more` (later keys win).
    void saveSettings(const std::vector<std::pair<std::string, std::string>>& more) const {
        std::vector<std::pair<std::string, std::string>> keys = {
            {"txtPath", work()},       {"tabStrip", "1"},      {"optReplace", "0"},
            {"txtFind", "file"},       {"txtReplace", "item"}, {"chkOnlyRenameSelected", "0"},
            {"startupInLastDir", "1"},
        };
        keys.insert(keys.end(), more.begin(), more.end());
        std::string ini = "[General]\n";
        for (const auto& [key, value] : keys) {
            ini += key + "=" + value + "\n";
        }
        root_.write("config/Tessaly/Quenza Renamer.ini", ini);
    }
    std::string savedSettings() const {
        return testsupport::readAll(root_.file("config/Tessaly/Quenza Renamer.ini"));
    }

    // Runs the program to its end; false when it had to be killed.
    bool run(const QStringList& arguments, bool withDisplayVariables = true) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const struct {
            const char* variable;
            const char* folder;
        } redirects[] = {{"HOME", "home"},
                         {"XDG_CONFIG_HOME", "config"},
                         {"XDG_DATA_HOME", "data"},
                         {"XDG_CACHE_HOME", "cache"},
                         {"QUENZA_PROGRAM_DIR", "program"}};
        for (const auto& redirect : redirects) {
            environment.insert(QString::fromUtf8(redirect.variable),
                               QString::fromStdString(root_.file(redirect.folder)));
        }
        if (withDisplayVariables) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        } else {
            for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
                environment.remove(QString::fromUtf8(variable));
            }
        }
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QString::fromStdString(root_.path()));
        process.start(QStringLiteral(QUENZA_TEST_PROGRAM), arguments);
        if (!process.waitForStarted(kStartTimeoutMs)) {
            return false;
        }
        const bool ended = process.waitForFinished(kStartTimeoutMs);
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        status_ = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        stderr_ = QString::fromUtf8(process.readAllStandardError());
        return ended;
    }
    int status() const { return status_; }
    const QString& standardError() const { return stderr_; }
    const TempDir& root() const { return root_; }

private:
    TempDir root_;
    int status_ = -1;
    QString stderr_;
};

QString arg(const std::string& text) {
    return QString::fromStdString(text);
}

struct Case {
    const char* what;
    // Files and settings before the start; returns the arguments.
    std::function<QStringList(Start&)> prepare;
    int status;
    // Texts standard error holds (empty: it holds no "no run" line).
    std::vector<const char*> said;
    // Names in the working folder afterwards, and names that must be gone.
    std::vector<std::string> present;
    std::vector<std::string> absent;
    // Names whose content must be as before (nothing overwritten).
    std::vector<std::pair<std::string, std::string>> contents = {};
};

QStringList replaceRun(const Start& start) {
    return {QStringLiteral("/p"), arg(start.work()), QStringLiteral("/e"),
            QStringLiteral("modereplace"), QStringLiteral("/x")};
}

TEST(ProgramTest, AStartThatEndsByItselfTellsHowItWent) {
    // Lives until the end of the test: the folder of the run with errors.
    std::vector<std::unique_ptr<DeepFolder>> deep;
    const std::vector<Case> cases = {
        {"a clean run",
         [](Start& s) {
             s.put("file1.txt");
             s.put("file2.txt");
             s.put("keep.txt");
             s.saveSettings({});
             return replaceRun(s);
         },
         0,
         {},
         {"item1.txt", "item2.txt", "keep.txt"},
         {"file1.txt", "file2.txt"}},
        {"a name clash leaves one item as it was",
         [](Start& s) {
             s.put("file1.txt", "old");
             s.put("file2.txt");
             s.put("item1.txt", "there before");
             s.saveSettings({});
             return replaceRun(s);
         },
         1,
         {},
         {"file1.txt", "item1.txt", "item2.txt"},
         {"file2.txt"},
         {{"file1.txt", "old"}, {"item1.txt", "there before"}}},
        {"a run that logs errors (a sub-folder beyond PATH_MAX)",
         [&deep](Start& s) {
             s.put("file1.txt");
             deep.push_back(
                 std::make_unique<DeepFolder>(s.work().substr(0, s.work().size() - 1), "deep"));
             s.saveSettings({{"chkSub", "1"}, {"uncheckSubsdirsAtStartup", "0"}});
             return replaceRun(s);
         },
         1,
         {"There were errors during execution!"},
         {"item1.txt"},
         {"file1.txt"}},
        {"the Mp3 tab without its tag library warns and runs",
         [](Start& s) {
             s.put("file1.txt");
             s.saveSettings({});
             return QStringList{QStringLiteral("/p"), arg(s.work()), QStringLiteral("/e"),
                                QStringLiteral("modemp3"), QStringLiteral("/x")};
         },
         0,
         {"The Mp3 library failed to initialize!"},
         {"file1.txt"},
         {}},
        {"too many files",
         [](Start& s) {
             const int folder = ::open(s.work().c_str(), O_RDONLY | O_DIRECTORY);
             char name[32];
             for (int i = 0; i < 32768; ++i) {
                 std::snprintf(name, sizeof name, "file%05d.txt", i);
                 ::close(::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL, 0644));
             }
             ::close(folder);
             s.saveSettings({});
             return replaceRun(s);
         },
         2,
         {"no run: too many files in ", "Too many files!"},
         {"file00000.txt", "file32767.txt"},
         {"item00000.txt"}},
        {"a mode word that does not exist",
         [](Start& s) {
             s.put("file1.txt");
             s.saveSettings({});
             return QStringList{QStringLiteral("/p"), arg(s.work()), QStringLiteral("/e"),
                                QStringLiteral("modenum"), QStringLiteral("/x")};
         },
         2,
         {"no run: unknown mode word \"modenum\"", "modeenum"},
         {"file1.txt"},
         {"item1.txt"}},
        {"/e without a word",
         [](Start& s) {
             s.put("file1.txt");
             s.saveSettings({});
             return QStringList{QStringLiteral("/p"), arg(s.work()), QStringLiteral("/e"),
                                QStringLiteral("/x")};
         },
         2,
         {"no run: no mode word"},
         {"file1.txt"},
         {"item1.txt"}},
        {"/x alone",
         [](Start& s) {
             s.put("file1.txt");
             s.saveSettings({});
             return QStringList{QStringLiteral("/x")};
         },
         2,
         {"no run: no mode word"},
         {"file1.txt"},
         {"item1.txt"}},
        {"options not valid (an empty find text)",
         [](Start& s) {
             s.put("file1.txt");
             s.saveSettings({{"txtFind", ""}});
             return replaceRun(s);
         },
         2,
         {"no run: the saved options of the tab \"Find & Replace\" are not valid"},
         {"file1.txt"},
         {"item1.txt"}},
        {"nothing matches the pattern",
         [](Start& s) {
             s.put("file1.txt");
             s.saveSettings({});
             return QStringList{QStringLiteral("/p"), arg(s.work() + "Typo"), QStringLiteral("/e"),
                                QStringLiteral("modereplace"), QStringLiteral("/x")};
         },
         2,
         {"no run: nothing to rename in ", "(pattern \"Typo\")"},
         {"file1.txt"},
         {"item1.txt"}},
        {"a folder that cannot be read",
         [&deep](Start& s) {
             s.put("file1.txt");
             s.saveSettings({});
             std::string folder;
             if (::geteuid() != 0) {
                 s.root().mkdir("work/locked");
                 folder = s.work() + "locked/";
                 ::chmod(folder.c_str(), 0);
             } else {
                 // Root reads every folder whatever its permissions.
                 deep.push_back(std::make_unique<DeepFolder>(s.root().path(), "deep"));
                 folder = deep.back()->bottom();
             }
             return QStringList{QStringLiteral("/p"), arg(folder), QStringLiteral("/e"),
                                QStringLiteral("modereplace"), QStringLiteral("/x")};
         },
         2,
         {"no run: cannot read the folder "},
         {"file1.txt"},
         {"item1.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Start start;
        const QStringList arguments = c.prepare(start);
        ASSERT_TRUE(start.run(arguments)) << "did not end by itself";
        EXPECT_EQ(start.status(), c.status) << start.standardError().toStdString();
        const QString said = start.standardError();
        for (const char* text : c.said) {
            EXPECT_TRUE(said.contains(QString::fromUtf8(text))) << said.toStdString();
        }
        const qsizetype noRunLines = said.count(QStringLiteral("no run: "));
        EXPECT_EQ(noRunLines, c.status == 2 ? 1 : 0) << said.toStdString();
        for (const std::string& name : c.present) {
            EXPECT_TRUE(start.exists(name)) << name;
        }
        for (const std::string& name : c.absent) {
            EXPECT_FALSE(start.exists(name)) << name;
        }
        for (const auto& [name, bytes] : c.contents) {
            EXPECT_EQ(start.read(name), bytes) << name;
        }
        // Saved at the end: the saver writes every key, also those the test did not write.
        EXPECT_NE(start.savedSettings().find("Main_Width="), std::string::npos);
    }
}

// Neither DISPLAY nor WAYLAND_DISPLAY nor a platform chosen: a start with "/e" and "/x" runs
// offscreen instead of failing to connect to a display.
TEST(ProgramTest, WithoutADisplayTheRunStillTakesPlace) {
    Start start;
    start.put("file1.txt");
    start.put("file2.txt");
    start.saveSettings({});
    ASSERT_TRUE(start.run({QStringLiteral("/p"), arg(start.work()), QStringLiteral("/e"),
                           QStringLiteral("modeenum"), QStringLiteral("/x")},
                          false));
    EXPECT_EQ(start.status(), 0) << start.standardError().toStdString();
    EXPECT_FALSE(start.exists("file1.txt"));
    EXPECT_FALSE(start.exists("file2.txt"));
    EXPECT_EQ(testsupport::entriesOf(start.work()).size(), 2u);
    EXPECT_NE(start.savedSettings().find("Main_Width="), std::string::npos);
}

}  // namespace
