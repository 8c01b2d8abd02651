// The folder read against a tree that changes under it: a sub-folder that turns into a link to
// a folder beside the chosen one, or disappears, between the listing of its parent and its own
// reading. Nothing outside the chosen folder may be listed, and the rest is read.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "engine/log.h"
#include "filelists/scan.h"
#include "tests/support/tempdir.h"

namespace {

using filelists::ScanOptions;
using filelists::ScanOutcome;
using testsupport::TempDir;

struct Change {
    const char* what;
    // Applied to "chosen/sub" once the chosen folder's own entries are listed.
    std::function<void(const TempDir& root)> apply;
    const char* logged;  // what the error line says about it
};

TEST(ScanLinks, ASubfolderChangedBetweenListingAndReadingIsPassedOverWithItsLine) {
    const Change changes[] = {
        {"becomes a link to a folder outside",
         [](const TempDir& root) {
             std::filesystem::rename(root.file("chosen/sub"), root.file("moved"));
             ASSERT_EQ(::symlink("../victim", root.file("chosen/sub").c_str()), 0);
         },
         "symbolic link"},
        {"is removed",
         [](const TempDir& root) { std::filesystem::remove_all(root.file("chosen/sub")); },
         "cannot read the folder"},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        TempDir root;
        root.mkdir("victim");
        root.write("victim/secret.txt", "not the chosen folder's");
        root.mkdir("chosen");
        root.write("chosen/a.txt");
        root.mkdir("chosen/sub");
        root.write("chosen/sub/b.txt");
        root.mkdir("chosen/tail");
        root.write("chosen/tail/c.txt");

        ScanOptions options;
        options.folder = QString::fromStdString(root.file("chosen/"));
        options.subfolders = true;
        // The walk reports progress once the chosen folder's files and folders are listed,
        // before it reads any sub-folder.
        int calls = 0;
        filelists::ScanHooks hooks;
        hooks.progress = [&](qsizetype, qsizetype) {
            if (++calls == 2) {
                change.apply(root);
            }
        };
        engine::setErrorsLogged(false);
        const filelists::ScanResult result = filelists::scanFolder(options, hooks);

        ASSERT_EQ(result.outcome, ScanOutcome::Completed) << result.reason.toStdString();
        EXPECT_EQ(result.files,
                  (QStringList{options.folder + "a.txt", options.folder + "tail/c.txt"}))
            << result.files.join(u'\n').toStdString();
        EXPECT_TRUE(engine::errorsLogged());
        const std::string log =
            testsupport::readAll(testsupport::sandboxRoot() + "/program/errors.txt");
        const std::string line = "readDirectoryStructure: " + root.file("chosen/sub/");
        const auto at = log.rfind(line);
        ASSERT_NE(at, std::string::npos) << log;
        EXPECT_NE(log.substr(at, log.find('\n', at) - at).find(change.logged), std::string::npos)
            << log;
    }
}

}  // namespace
