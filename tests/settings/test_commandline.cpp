#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/commandline.h"
#include "tests/support/tempdir.h"

namespace {

using testsupport::TempDir;

// Real folders below one temporary root:
//   {F} a folder with the file photo.jpg     {G} another folder with a file
//   {E} an empty folder                       {H} a folder holding only a dot-file
//   {S} the folder "my folder" with a file    {R} the root itself (for paths that do not exist)
class CommandLineTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"folder", "other", "empty", "hiddenonly", "my folder"}) {
            root_.mkdir(folder);
        }
        root_.write("folder/photo.jpg", "x");
        root_.write("other/a.txt", "x");
        root_.write("hiddenonly/.dot", "x");
        root_.write("my folder/b.txt", "x");
    }

    QString expand(QString text) const {
        const QString r = QString::fromStdString(root_.path());
        text.replace("{F}", r + "/folder");
        text.replace("{G}", r + "/other");
        text.replace("{E}", r + "/empty");
        text.replace("{H}", r + "/hiddenonly");
        text.replace("{S}", r + "/my folder");
        text.replace("{R}", r);
        return text;
    }

    QStringList expandAll(const std::vector<const char*>& texts) const {
        QStringList expanded;
        for (const char* text : texts) {
            expanded.append(expand(text));
        }
        return expanded;
    }

    TempDir root_;
};

// Linux argument lists for the forms a command line takes. Where a result on Linux must
// differ from a system whose switches may stand inside the text, the label says so.
TEST_F(CommandLineTest, ArgumentsGiveModeExitFlagStartFolderAndPattern) {
    struct Case {
        const char* label;
        std::vector<const char*> arguments;
        const char* saved;
        int startupInLastDir;
        const char* mode;
        bool autoExit;
        const char* startPath;
        const char* pattern;
    };
    const Case cases[] = {
        // No command line: the saved folder, if it still lists.
        {"saved folder", {}, "{F}", 1, "", false, "{F}/", ""},
        {"saved folder with its slash", {}, "{F}/", 1, "", false, "{F}/", ""},
        {"saved folder not used when startupInLastDir is 0", {}, "{F}", 0, "", false, "", ""},
        {"saved folder gone", {}, "{R}/gone", 1, "", false, "", ""},
        // An empty folder lists: on Windows "." and ".." are always found in it.
        {"saved folder empty still lists", {}, "{E}", 1, "", false, "{E}/", ""},
        {"nothing saved", {}, "", 1, "", false, "", ""},
        {"saved folder holding only a dot-file", {}, "{H}", 1, "", false, "{H}/", ""},

        // A path after "/p".
        {"launcher form: \"/p F\" as one argument", {"/p {F}"}, "{G}", 1, "", false, "{F}/", ""},
        {"quotes around the path are removed", {"/p", "\"{F}\""}, "{G}", 1, "", false, "{F}/", ""},
        {"a file gives its folder and name",
         {"/p", "{F}/photo.jpg"},
         "{G}",
         1,
         "",
         false,
         "{F}/",
         "photo.jpg"},
        {"a wildcard goes to the pattern", {"/p", "{F}/*.*"}, "{G}", 1, "", false, "{F}/", "*.*"},
        {"a folder that does not exist: no folder, saved one not used",
         {"/p", "{R}/gone/x.txt"},
         "{G}",
         1,
         "",
         false,
         "",
         "x.txt"},
        {"an empty folder opens", {"/p", "{E}"}, "{G}", 1, "", false, "{E}/", ""},
        {"a folder holding only a dot-file lists", {"/p", "{H}"}, "{G}", 1, "", false, "{H}/", ""},
        {"a path with its slash", {"/p", "{F}/"}, "", 1, "", false, "{F}/", ""},
        {"blanks around the path", {"/p", "  {F}  "}, "", 1, "", false, "{F}/", ""},
        {"arguments after /p joined with blanks",
         {"/p", "{R}/my", "folder"},
         "",
         1,
         "",
         false,
         "{S}/",
         ""},
        {"a later /p starts the path anew",
         {"/p", "{F}", "/p", "{G}"},
         "",
         1,
         "",
         false,
         "{G}/",
         ""},
        {"text before the first switch and after /x is dropped",
         {"junk", "/p", "{F}", "/x", "tail"},
         "{G}",
         1,
         "",
         true,
         "{F}/",
         ""},
        {"/p followed by the root alone: no path", {"/p", "/"}, "{G}", 1, "", false, "{G}/", ""},
        {"a file in the root: the root is no path, the name is dropped",
         {"/p", "/quenza-no-such-file.txt"},
         "{G}",
         1,
         "",
         false,
         "{G}/",
         ""},
        // Relative paths are taken from the current folder, which is {G} here, as a shell
        // that started the program would take them.
        {"a bare file name is a file of the current folder",
         {"/p", "photo.jpg"},
         "{F}",
         1,
         "",
         false,
         "{G}/",
         "photo.jpg"},
        {"\".\" is the current folder", {"/p", "."}, "{F}", 1, "", false, "{G}/", ""},
        {"\"..\" and a relative folder resolve", {"/p", "../folder"}, "", 1, "", false, "{F}/", ""},
        {"a relative file without /p",
         {"../folder/./photo.jpg"},
         "",
         1,
         "",
         false,
         "{F}/",
         "photo.jpg"},

        // Without "/p" or "/e" the whole text is the path.
        {"folder alone", {"{F}"}, "{G}", 1, "", false, "{F}/", ""},
        {"file alone", {"{F}/photo.jpg"}, "{G}", 1, "", false, "{F}/", "photo.jpg"},
        // The whole text "F /x" names no folder; its last "/" now lies inside "/x", so the
        // folder "F /" (which does not exist) is tried instead of the one above F.
        {"Linux: F then /x without switches", {"{F}", "/x"}, "{G}", 1, "", false, "", "x"},
        {"upper-case /P is no switch", {"/P", "{F}"}, "{G}", 1, "", false, "", "folder"},
        {"/x alone: a bare name, saved folder applies", {"/x"}, "{G}", 1, "", false, "{G}/", ""},
        // The quote stands before "/p", so the argument is no switch and all of it is a path.
        {"Linux: quotes around \"/p F\" as one argument",
         {"\"/p {F}\""},
         "{G}",
         1,
         "",
         false,
         "",
         "folder"},
        // A switch needs its blank: "/p" glued to the path is part of the path.
        {"Linux: /p glued to the path", {"/p{F}"}, "{G}", 1, "", false, "", "folder"},

        // "/e" and "/x".
        {"/e word /x without /p: saved folder",
         {"/e", "Word", "/x"},
         "{G}",
         1,
         "Word",
         true,
         "{G}/",
         ""},
        {"mode trimmed, case kept, switches in any order",
         {"/e   MiXed  ", "/p", "{F}"},
         "",
         1,
         "MiXed",
         false,
         "{F}/",
         ""},
        {"mode from separate arguments",
         {"/e", "", "MiXed", " ", "/p", "{F}"},
         "",
         1,
         "MiXed",
         false,
         "{F}/",
         ""},
        {"a later /e starts the mode anew",
         {"/e", "one", "/e", "two"},
         "",
         0,
         "two",
         false,
         "",
         ""},
        {"/e with nothing after it", {"/e", "/x"}, "{F}", 1, "", true, "{F}/", ""},
        {"/x then /e: the mode still counts", {"/x", "/e", "Date"}, "", 1, "Date", true, "", ""},
        // "/E Word" splits into the root and "E Word"; the root is no path, so the saved folder
        // applies and the name is dropped.
        {"upper-case /E is no switch", {"/E", "Word"}, "{G}", 1, "", false, "{G}/", ""},
    };
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(root_.path() + "/other");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QStringList arguments = expandAll(c.arguments);
        const settings::CommandLine result =
            settings::parseCommandLine(arguments, expand(c.saved), c.startupInLastDir);
        EXPECT_EQ(result.cmdExecMode.toStdString(), c.mode);
        EXPECT_EQ(result.cmdAutoExit, c.autoExit);
        EXPECT_EQ(result.startPath.toStdString(), expand(c.startPath).toStdString());
        EXPECT_EQ(result.pattern.toStdString(), c.pattern);
    }
    std::filesystem::current_path(previous);
}

// What an unattended start reports: whether "/x" stood on the command line at all (also where
// it is not recognised as a switch, so that a script's "/x" alone still ends the program), and
// the folder that was named even when it cannot be read.
TEST_F(CommandLineTest, ExitSwitchAndNamedFolderAreKeptForTheReport) {
    const struct {
        const char* label;
        std::vector<const char*> arguments;
        bool exitSwitch;
        const char* givenFolder;
        const char* startPath;
    } cases[] = {
        {"/x alone", {"/x"}, true, "", "{G}/"},
        {"/e without a word", {"/e", "/x"}, true, "", "{G}/"},
        {"a path and /x without switches", {"{F}", "/x"}, true, "{F} /", ""},
        {"/x inside an argument is no switch", {"{F}/x"}, false, "{F}/", "{F}/"},
        {"no /x", {"/p", "{F}", "/e", "modecase"}, false, "{F}/", "{F}/"},
        {"a folder that does not exist", {"/p", "{R}/gone/", "/x"}, true, "{R}/gone/", ""},
        {"a file names its folder", {"/p", "{F}/photo.jpg", "/x"}, true, "{F}/", "{F}/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const QStringList arguments = expandAll(c.arguments);
        const settings::CommandLine result =
            settings::parseCommandLine(arguments, expand("{G}"), 1);
        EXPECT_EQ(result.exitSwitchGiven, c.exitSwitch);
        EXPECT_EQ(settings::givesExitSwitch(arguments), c.exitSwitch);
        EXPECT_EQ(result.givenFolder.toStdString(), expand(c.givenFolder).toStdString());
        EXPECT_EQ(result.startPath.toStdString(), expand(c.startPath).toStdString());
    }
}

}  // namespace
