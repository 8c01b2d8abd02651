#include <gtest/gtest.h>

#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/registry.h"
#include "settings/shellentries.h"
#include "tests/support/fakemessages.h"
#include "tests/support/scopedenv.h"
#include "tests/support/tempdir.h"

namespace {

using testsupport::FakeMessages;
using testsupport::readAll;
using testsupport::ScopedEnv;
using testsupport::TempDir;

namespace fs = std::filesystem;
namespace registry = com::registry;

const std::string kDirectoryEntry = "HKEY_CLASSES_ROOT\\Directory\\shell\\Quenza Renamer";
const std::string kDirectoryCommand = kDirectoryEntry + "\\command";
const std::string kDriveEntry = "HKEY_CLASSES_ROOT\\Drive\\shell\\Quenza Renamer";
const std::string kDriveCommand = kDriveEntry + "\\command";

const QString kCreateError = QStringLiteral("Error creating keys in registry!");
const QString kDeleteError = QStringLiteral("Error deleting keys from registry!");

// Reading the entries back -----------------------------------------------------------------

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        // Key-file readers drop the CR of a CR LF line end.
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The key sections of the registry file, in file order.
std::vector<std::string> registrySections() {
    std::vector<std::string> sections;
    for (const std::string& line : linesOf(readAll(registry::registryFile()))) {
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            sections.push_back(line.substr(1, line.size() - 2));
        }
    }
    return sections;
}

// The raw value of `key` in the file's first group of that name, or nothing.
std::optional<std::string> rawEntry(const std::string& text, const std::string& group,
                                    const std::string& key) {
    bool inGroup = false;
    for (const std::string& line : linesOf(text)) {
        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[" + group + "]";
        } else if (inGroup && line.starts_with(key + "=")) {
            return line.substr(key.size() + 1);
        }
    }
    return std::nullopt;
}

// A key file's string value as its readers see it: "\s", "\n", "\t", "\r" and "\\" stand for
// the characters; any other escape makes the value unreadable.
std::optional<std::string> keyFileString(const std::string& raw) {
    std::string value;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            value += raw[i];
            continue;
        }
        if (++i == raw.size()) {
            return std::nullopt;
        }
        switch (raw[i]) {
            case 's':
                value += ' ';
                break;
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            case 'r':
                value += '\r';
                break;
            case '\\':
                value += '\\';
                break;
            default:
                return std::nullopt;
        }
    }
    return value;
}

// The arguments of an Exec command line under the desktop entry rules: blanks separate them;
// inside double quotes a backslash escapes only " ` $ and \, any other reserved character
// outside quotes is an error. Field codes are left as they are.
std::optional<std::vector<std::string>> execArguments(const std::string& command) {
    const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == ' ') {
            if (inArgument) {
                arguments.push_back(current);
                current.clear();
                inArgument = false;
            }
            continue;
        }
        inArgument = true;
        if (c != '"') {
            if (reserved.find(c) != std::string::npos) {
                return std::nullopt;
            }
            current += c;
            continue;
        }
        for (++i;; ++i) {
            if (i == command.size()) {
                return std::nullopt;  // unterminated quote
            }
            const char q = command[i];
            if (q == '"') {
                break;
            }
            if (q == '\\') {
                if (++i == command.size() ||
                    std::string("\"`$\\").find(command[i]) == std::string::npos) {
                    return std::nullopt;
                }
            } else if (q == '`' || q == '$') {
                return std::nullopt;  // must be escaped inside quotes
            }
            current += command[i];
        }
    }
    if (inArgument) {
        arguments.push_back(current);
    }
    return arguments;
}

// An argument with its field codes expanded: "%%" is a percent sign, `code` stands for
// `replacement`, any other code is unexpected.
std::optional<std::string> expandCodes(const std::string& argument, char code,
                                       const std::string& replacement) {
    std::string result;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] != '%') {
            result += argument[i];
        } else if (i + 1 < argument.size() && argument[i + 1] == '%') {
            result += '%';
            ++i;
        } else if (i + 1 < argument.size() && argument[i + 1] == code) {
            result += replacement;
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return result;
}

// What the file manager runs for `folder`, read from the Exec value the way a desktop entry
// reader does: unescape the string, split it into arguments, then expand the field codes.
std::optional<std::vector<std::string>> commandFor(const std::string& rawExec, char code,
                                                   const std::string& folder) {
    const auto value = keyFileString(rawExec);
    if (!value) {
        return std::nullopt;
    }
    const auto arguments = execArguments(*value);
    if (!arguments) {
        return std::nullopt;
    }
    std::vector<std::string> command;
    for (const std::string& argument : *arguments) {
        const auto expanded = expandCodes(argument, code, folder);
        if (!expanded) {
            return std::nullopt;
        }
        command.push_back(*expanded);
    }
    return command;
}

// The same for a Nemo action, which works the other way round: it puts the clicked path into
// the string first (in double quotes, its special characters escaped, as Quote=double asks),
// then splits the line as a shell would.
std::optional<std::vector<std::string>> nemoCommandFor(const std::string& rawExec,
                                                       const std::string& folder) {
    const auto value = keyFileString(rawExec);
    if (!value) {
        return std::nullopt;
    }
    std::string quotedFolder = "\"";
    for (const char c : folder) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quotedFolder += '\\';
        }
        quotedFolder += c;
    }
    quotedFolder += '"';
    std::string line;
    for (std::size_t i = 0; i < value->size(); ++i) {
        const char c = (*value)[i];
        if (c == '%' && i + 1 < value->size() && (*value)[i + 1] == '%') {
            line += '%';
            ++i;
        } else if (c == '%' && i + 1 < value->size() && (*value)[i + 1] == 'F') {
            line += quotedFolder;
            ++i;
        } else {
            line += c;
        }
    }
    return execArguments(line);
}

// The fixture ------------------------------------------------------------------------------

class ShellEntriesTest : public testing::Test {
protected:
    ShellEntriesTest()
        : configHome_("XDG_CONFIG_HOME", dir_.mkdir("config").c_str()),
          dataHome_("XDG_DATA_HOME", (dir_.path() + "/data").c_str()),
          programDir_("QUENZA_PROGRAM_DIR", (dir_.path() + "/program").c_str()) {}

    std::string dataFolder() const { return dir_.path() + "/data"; }
    std::string serviceMenu() const {
        return dataFolder() + "/kio/servicemenus/quenza-renamer.desktop";
    }
    std::string nemoAction() const {
        return dataFolder() + "/nemo/actions/quenza-renamer.nemo_action";
    }

    static bool exists(const std::string& path) {
        std::error_code ec;
        return fs::symlink_status(path, ec).type() != fs::file_type::not_found;
    }

    void expectOneBox(const QString& text) const {
        ASSERT_EQ(messages_.shown.size(), 1);
        EXPECT_EQ(messages_.shown[0].text, text);
        EXPECT_EQ(messages_.shown[0].title, QStringLiteral("Quenza Renamer"));
        EXPECT_EQ(messages_.shown[0].icon, platform::MessageIcon::Critical);
        EXPECT_EQ(messages_.shown[0].buttons, platform::MessageButtons::Ok);
    }

    TempDir dir_;
    ScopedEnv configHome_;
    ScopedEnv dataHome_;
    ScopedEnv programDir_;
    FakeMessages messages_;
};

// Creating -----------------------------------------------------------------------------------

TEST_F(ShellEntriesTest, CreateWritesTheFourKeysInOrderAndBothFileManagerEntries) {
    settings::createShellKeys();

    EXPECT_TRUE(messages_.shown.isEmpty());
    EXPECT_EQ(registrySections(), (std::vector<std::string>{kDirectoryEntry, kDirectoryCommand,
                                                            kDriveEntry, kDriveCommand}));
    // The program folder lies elsewhere (QUENZA_PROGRAM_DIR): the entries start the running
    // executable itself, not a program of that name in the folder.
    const std::string program = fs::read_symlink("/proc/self/exe").string();
    const std::string command = "\"" + program + "\" \"/p %1\"";
    EXPECT_EQ(registry::value(kDirectoryEntry), "Start Quenza Renamer...");
    EXPECT_EQ(registry::value(kDirectoryCommand), command);
    EXPECT_EQ(registry::value(kDriveEntry), "Start Quenza Renamer...");
    EXPECT_EQ(registry::value(kDriveCommand), command);

    const std::string kde = readAll(serviceMenu());
    EXPECT_EQ(rawEntry(kde, "Desktop Entry", "Type"), "Service");
    EXPECT_EQ(rawEntry(kde, "Desktop Entry", "MimeType"), "inode/directory;");
    EXPECT_EQ(rawEntry(kde, "Desktop Entry", "Actions"), "startQuenzaRenamer;");
    EXPECT_EQ(rawEntry(kde, "Desktop Action startQuenzaRenamer", "Name"),
              "Start Quenza Renamer...");
    EXPECT_EQ(rawEntry(kde, "Desktop Action startQuenzaRenamer", "Exec"),
              "\"" + program + "\" /p %f");
    struct stat info {};
    ASSERT_EQ(::stat(serviceMenu().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0755u) << "KDE ignores a service menu it may not execute";

    const std::string nemo = readAll(nemoAction());
    EXPECT_EQ(rawEntry(nemo, "Nemo Action", "Name"), "Start Quenza Renamer...");
    EXPECT_EQ(rawEntry(nemo, "Nemo Action", "Exec"), "\"" + program + "\" /p %F");
    EXPECT_EQ(rawEntry(nemo, "Nemo Action", "Quote"), "double");
    EXPECT_EQ(rawEntry(nemo, "Nemo Action", "Selection"), "s");
    EXPECT_EQ(rawEntry(nemo, "Nemo Action", "Extensions"), "dir;");

    // A context-menu entry only: nothing that would make the program open folders.
    EXPECT_FALSE(exists(dataFolder() + "/applications"));
    EXPECT_FALSE(exists(dir_.path() + "/config/mimeapps.list"));
    EXPECT_FALSE(exists(dataFolder() + "/applications/mimeapps.list"));
}

TEST_F(ShellEntriesTest, SecondCreateRewritesTheSameEntriesAndFollowsAMovedProgram) {
    settings::createShellKeys();
    const std::string registryBefore = readAll(registry::registryFile());
    const std::string kdeBefore = readAll(serviceMenu());
    const std::string nemoBefore = readAll(nemoAction());

    settings::createShellKeys();
    EXPECT_TRUE(messages_.shown.isEmpty());
    EXPECT_EQ(readAll(registry::registryFile()), registryBefore);
    EXPECT_EQ(readAll(serviceMenu()), kdeBefore);
    EXPECT_EQ(readAll(nemoAction()), nemoBefore);

    const std::string moved = dir_.path() + "/moved/QuenzaRen";
    settings::createShellKeys(QString::fromStdString(moved));
    EXPECT_TRUE(messages_.shown.isEmpty());
    EXPECT_EQ(registrySections().size(), 4u);
    EXPECT_EQ(registry::value(kDirectoryCommand), "\"" + moved + "\" \"/p %1\"");
    EXPECT_EQ(registry::value(kDriveCommand), "\"" + moved + "\" \"/p %1\"");
    EXPECT_EQ(rawEntry(readAll(serviceMenu()), "Desktop Action startQuenzaRenamer", "Exec"),
              "\"" + moved + "\" /p %f");
    EXPECT_EQ(rawEntry(readAll(nemoAction()), "Nemo Action", "Exec"), "\"" + moved + "\" /p %F");
}

TEST_F(ShellEntriesTest, ProgramPathSurvivesTheExecQuotingOfBothFileManagers) {
    const std::string clicked = "/media/My \"Disk\"/a $b `c` \\d 50%";
    const std::vector<std::string> folders = {
        dir_.path() + "/Quenza Renamer/",   dir_.path() + "/it's \"quoted\"/",
        dir_.path() + "/$HOME `id` $(id)/", dir_.path() + "/back\\slash\\\\ and \\\"/",
        dir_.path() + "/100% %f %F %%/",    dir_.path() + "/tab\there; #hash ~ & | < > * ?/",
        dir_.path() + "/line\nbreak\r/",
    };
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        const std::string program = folder + "QuenzaRen";
        settings::createShellKeys(QString::fromStdString(program));
        EXPECT_TRUE(messages_.shown.isEmpty());
        EXPECT_EQ(registry::value(kDirectoryCommand), "\"" + program + "\" \"/p %1\"");

        const auto kdeExec =
            rawEntry(readAll(serviceMenu()), "Desktop Action startQuenzaRenamer", "Exec");
        ASSERT_TRUE(kdeExec);
        EXPECT_EQ(kdeExec->find_first_of("\n\r"), std::string::npos);
        EXPECT_EQ(commandFor(*kdeExec, 'f', clicked),
                  (std::vector<std::string>{program, "/p", clicked}))
            << *kdeExec;

        const auto nemoExec = rawEntry(readAll(nemoAction()), "Nemo Action", "Exec");
        ASSERT_TRUE(nemoExec);
        EXPECT_EQ(commandFor(*nemoExec, 'F', clicked),
                  (std::vector<std::string>{program, "/p", clicked}))
            << *nemoExec;
        EXPECT_EQ(nemoCommandFor(*nemoExec, clicked),
                  (std::vector<std::string>{program, "/p", clicked}))
            << *nemoExec;
    }
}

// Both files end their lines with LF alone (a CR would be part of every value to a strict
// reader), and the service menu holds what a desktop entry must: the main group first, with
// its type and name, unique well-formed keys, and a group for the action it names.
TEST_F(ShellEntriesTest, BothFilesHaveLfLineEndsAndWellFormedGroups) {
    settings::createShellKeys();
    for (const std::string& path : {serviceMenu(), nemoAction()}) {
        SCOPED_TRACE(path);
        const std::string text = readAll(path);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.find('\r'), std::string::npos);
        EXPECT_EQ(text.back(), '\n');
        std::string group;
        std::vector<std::string> groups;
        std::vector<std::string> keys;
        for (const std::string& line : linesOf(text)) {
            if (line.empty() || line.front() == '#') {
                continue;
            }
            if (line.front() == '[') {
                ASSERT_EQ(line.back(), ']') << line;
                group = line.substr(1, line.size() - 2);
                EXPECT_EQ(std::count(groups.begin(), groups.end(), group), 0) << group;
                groups.push_back(group);
                keys.clear();
                continue;
            }
            ASSERT_FALSE(group.empty()) << "a key before the first group: " << line;
            const std::size_t equals = line.find('=');
            ASSERT_NE(equals, std::string::npos) << line;
            const std::string key = line.substr(0, equals);
            EXPECT_FALSE(key.empty());
            EXPECT_EQ(key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                            "0123456789-"),
                      std::string::npos)
                << line;
            EXPECT_EQ(std::count(keys.begin(), keys.end(), key), 0) << line;
            keys.push_back(key);
        }
    }
    const std::string kde = readAll(serviceMenu());
    EXPECT_EQ(kde.substr(kde.find("\n[") + 1, 15), "[Desktop Entry]");
    EXPECT_EQ(rawEntry(kde, "Desktop Entry", "Type"), "Service");
    EXPECT_EQ(rawEntry(kde, "Desktop Entry", "Name"), "Start Quenza Renamer...");
    EXPECT_TRUE(rawEntry(kde, "Desktop Action startQuenzaRenamer", "Name"));
    EXPECT_TRUE(rawEntry(kde, "Desktop Action startQuenzaRenamer", "Exec"));
}

TEST_F(ShellEntriesTest, RelativeOrMissingDataHomeMeansTheHomeFolder) {
    const std::string home = dir_.mkdir("home");
    ScopedEnv homeVariable("HOME", home.c_str());
    for (const char* data : {"relative/data", "", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(data ? data : "(unset)");
        dataHome_.set(data);
        settings::createShellKeys();
        EXPECT_TRUE(fs::is_regular_file(home + "/.local/share/kio/servicemenus/"
                                               "quenza-renamer.desktop"));
        EXPECT_TRUE(
            fs::is_regular_file(home + "/.local/share/nemo/actions/quenza-renamer.nemo_action"));
        settings::deleteShellKeys();
        EXPECT_FALSE(exists(home + "/.local/share/kio/servicemenus/quenza-renamer.desktop"));
        EXPECT_FALSE(exists(home + "/.local/share/nemo/actions/quenza-renamer.nemo_action"));
    }
    EXPECT_TRUE(messages_.shown.isEmpty());
    // A data folder that had to be made is the user's alone.
    struct stat info {};
    ASSERT_EQ(::stat((home + "/.local/share").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(exists(fs::current_path().string() + "/relative"));
}

TEST_F(ShellEntriesTest, FailuresWhileCreatingShowOneBoxAndEveryStepIsTried) {
    // The registry file cannot be written (a folder in its place): the files still appear.
    {
        fs::create_directories(registry::registryFile());
        settings::createShellKeys();
        expectOneBox(kCreateError);
        EXPECT_TRUE(fs::is_regular_file(serviceMenu()));
        EXPECT_TRUE(fs::is_regular_file(nemoAction()));
        fs::remove(registry::registryFile());
        fs::remove_all(dataFolder());
        messages_.shown.clear();
    }
    // A folder where the service menu goes: the keys and the Nemo action are still written, and
    // the folder is left as it was.
    {
        fs::create_directories(serviceMenu() + "/inside");
        settings::createShellKeys();
        expectOneBox(kCreateError);
        EXPECT_EQ(registrySections().size(), 4u);
        EXPECT_TRUE(fs::is_regular_file(nemoAction()));
        EXPECT_TRUE(fs::is_directory(serviceMenu() + "/inside"));
        fs::remove_all(serviceMenu());
        messages_.shown.clear();
    }
    // A link where the Nemo action goes is never written through.
    {
        const std::string target = dir_.write("elsewhere.txt", "not ours");
        fs::remove(nemoAction());
        fs::create_symlink(target, nemoAction());
        settings::createShellKeys();
        expectOneBox(kCreateError);
        EXPECT_EQ(readAll(target), "not ours");
        EXPECT_TRUE(fs::is_symlink(nemoAction()));
    }
}

// Deleting -----------------------------------------------------------------------------------

TEST_F(ShellEntriesTest, DeleteRemovesExactlyOurKeysAndFiles) {
    const std::string otherKey = "HKEY_CLASSES_ROOT\\Directory\\shell\\Other Program";
    ASSERT_TRUE(registry::setValue(otherKey, "", "Other..."));
    settings::createShellKeys();
    const std::string otherMenu = dataFolder() + "/kio/servicemenus/other.desktop";
    const std::string otherAction = dataFolder() + "/nemo/actions/other.nemo_action";
    dir_.write("data/kio/servicemenus/other.desktop", "other");
    dir_.write("data/nemo/actions/other.nemo_action", "other");

    settings::deleteShellKeys();

    EXPECT_TRUE(messages_.shown.isEmpty());
    EXPECT_EQ(registrySections(), (std::vector<std::string>{otherKey}));
    EXPECT_EQ(registry::value(otherKey), "Other...");
    EXPECT_FALSE(exists(serviceMenu()));
    EXPECT_FALSE(exists(nemoAction()));
    EXPECT_EQ(readAll(otherMenu), "other");
    EXPECT_EQ(readAll(otherAction), "other");

    // Switching on again after switching off works as the first time.
    settings::createShellKeys();
    EXPECT_TRUE(messages_.shown.isEmpty());
    EXPECT_TRUE(registry::keyExists(kDriveCommand));
    EXPECT_TRUE(fs::is_regular_file(serviceMenu()));
}

TEST_F(ShellEntriesTest, DeleteWithNothingPresentDoesNothing) {
    settings::deleteShellKeys();
    settings::deleteShellKeys();
    EXPECT_TRUE(messages_.shown.isEmpty());
    EXPECT_FALSE(exists(registry::registryFile()));
    EXPECT_FALSE(exists(dataFolder()));
}

TEST_F(ShellEntriesTest, DeleteWithOnlyTheDriveEntryRemovesItSilently) {
    ASSERT_TRUE(registry::setValue(kDriveEntry, "", "Start Quenza Renamer..."));
    ASSERT_TRUE(registry::setValue(kDriveCommand, "", "\"/old/QuenzaRen\" \"/p %1\""));

    settings::deleteShellKeys();

    EXPECT_TRUE(messages_.shown.isEmpty());
    EXPECT_TRUE(registrySections().empty());
    EXPECT_FALSE(registry::keyExists(kDriveEntry));
}

TEST_F(ShellEntriesTest, EntryWithAFurtherSubKeyCannotBeDeletedAndShowsOneBox) {
    settings::createShellKeys();
    const std::string extra = kDirectoryEntry + "\\ddeexec";
    ASSERT_TRUE(registry::setValue(extra, "", "kept"));

    settings::deleteShellKeys();

    expectOneBox(kDeleteError);
    // The command key went; the entry key stays with the key below it; the rest went on.
    EXPECT_EQ(registrySections(), (std::vector<std::string>{kDirectoryEntry, extra}));
    EXPECT_EQ(registry::value(kDirectoryEntry), "Start Quenza Renamer...");
    EXPECT_EQ(registry::value(extra), "kept");
    EXPECT_FALSE(exists(serviceMenu()));
    EXPECT_FALSE(exists(nemoAction()));

    // Every later switch-off meets the same key again.
    settings::deleteShellKeys();
    EXPECT_EQ(messages_.shown.size(), 2);
}

TEST_F(ShellEntriesTest, DeleteLeavesWhatTookOurFileNamesAndReportsIt) {
    const std::string target = dir_.write("elsewhere.desktop", "someone else's");
    fs::create_directories(dataFolder() + "/kio/servicemenus");
    fs::create_symlink(target, serviceMenu());
    fs::create_directories(nemoAction());

    settings::deleteShellKeys();

    expectOneBox(kDeleteError);
    EXPECT_TRUE(fs::is_symlink(serviceMenu()));
    EXPECT_EQ(readAll(target), "someone else's");
    EXPECT_TRUE(fs::is_directory(nemoAction()));
}

// The registry calls the entries rely on ------------------------------------------------------

TEST_F(ShellEntriesTest, RegistryKeysExistBelowOthersAndOnlyEmptyOnesAreDeleted) {
    EXPECT_FALSE(registry::keyExists("A\\B"));
    EXPECT_TRUE(registry::deleteEmptyKey("A\\B"));
    EXPECT_FALSE(exists(registry::registryFile())) << "nothing to delete writes nothing";

    ASSERT_TRUE(registry::setValue("A\\B\\C", "", "c"));
    EXPECT_TRUE(registry::keyExists("A\\B\\C"));
    EXPECT_TRUE(registry::keyExists("a\\b"));  // made by creating the key below it
    EXPECT_TRUE(registry::keyExists("A"));
    EXPECT_FALSE(registry::keyExists("A\\B\\C\\D"));
    EXPECT_FALSE(registry::keyExists("A\\BC"));
    EXPECT_FALSE(registry::keyExists(""));

    EXPECT_FALSE(registry::deleteEmptyKey("A\\B"));
    EXPECT_TRUE(registry::keyExists("A\\B\\C"));
    EXPECT_TRUE(registry::deleteEmptyKey("a\\b\\c"));
    EXPECT_FALSE(registry::keyExists("A"));
    EXPECT_FALSE(registry::deleteEmptyKey(""));
}

}  // namespace
