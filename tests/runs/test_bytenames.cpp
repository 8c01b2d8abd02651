// Names that are not UTF-8 through the runs: a rename that changes another part of the name
// keeps the bytes it cannot decode, the undo gives back the exact names, and Save Log writes
// into the folder the dialog showed even when its name is not UTF-8.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>

#include <memory>
#include <set>
#include <string>

#include "platform/folderlist.h"
#include "platform/programfolder.h"
#include "runs/modes.h"
#include "runs/rename.h"
#include "runs/runwindow.h"
#include "settings/programsettings.h"
#include "tests/runs/driverharness.h"
#include "tests/runs/runtestsupport.h"
#include "tests/support/fakemessages.h"
#include "tests/support/tempdir.h"

namespace {

using testsupport::TempDir;

const std::string kLatin1Name = "caf\xE9";
const std::string kReplacementName = "caf\xEF\xBF\xBD";

QString codecPath(const std::string& bytes) {
    return platform::fromNativePath(bytes);
}

// The text Qt's own file dialogs give for a path: each byte that is not UTF-8 read as U+FFFD.
QString dialogText(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(NameBytesRename, UpperCaseKeepsTheBytesItCannotDecode) {
    TempDir dir;
    testsupport::ProgramFolder program;
    dir.write(kLatin1Name + ".txt", "latin");
    dir.write(kReplacementName + ".txt", "replacement");
    dir.write("n\xFF\xFEw.txt", "invalid");

    runs::NamingOptions upper;
    upper.options.caseOptions = {1, 0, false};
    runs::RunState state;
    testsupport::RecordingReport report;
    runs::RunContext ctx{.state = state, .report = report};
    const QString folder = codecPath(dir.path() + "/");
    for (const std::string& name : namesIn(dir.path())) {
        const QString oldName = codecPath(name);
        const QString newName = runs::newNameFor(runs::NamingMode::Case, upper, folder, oldName);
        EXPECT_TRUE(runs::renameFile(ctx, oldName, newName, folder)) << name;
    }
    EXPECT_EQ(namesIn(dir.path()),
              (std::set<std::string>{"CAF\xE9.txt", "CAF\xEF\xBF\xBD.txt", "N\xFF\xFEW.txt"}))
        << report.lines.join('\n').toStdString();
    EXPECT_EQ(testsupport::readAll(dir.file("CAF\xE9.txt")), "latin");
    EXPECT_EQ(testsupport::readAll(dir.file("CAF\xEF\xBF\xBD.txt")), "replacement");
    EXPECT_EQ(state.warningCount, 0);
}

TEST(NameBytesRename, ARunAndItsUndoKeepEveryByte) {
    TempDir dir;
    testsupport::DriverHarness h;
    testsupport::writeFile(dir, kLatin1Name + ".txt", "latin", 1);
    testsupport::writeFile(dir, kReplacementName + ".txt", "replacement", 2);
    dir.mkdir("old\xE9");
    testsupport::writeFile(dir, "old\xE9/inner\xE9.txt", "inner", 3);
    h.useFreeSelect({codecPath(dir.file(kLatin1Name + ".txt")),
                     codecPath(dir.file(kReplacementName + ".txt")),
                     codecPath(dir.file("old\xE9/inner\xE9.txt"))});
    testsupport::replaceNames(h.inputs, QStringLiteral("a"), QStringLiteral("A"));
    const testsupport::Tree before = testsupport::snapshotTree(dir.path());

    h.run();
    EXPECT_EQ(namesIn(dir.path()),
              (std::set<std::string>{"cAf\xE9.txt", "cAf\xEF\xBF\xBD.txt", "old\xE9"}))
        << h.lines().join('\n').toStdString();
    EXPECT_EQ(namesIn(dir.file("old\xE9")), std::set<std::string>{"inner\xE9.txt"});
    EXPECT_EQ(testsupport::readKeepingAccessTime(dir.file("cAf\xE9.txt")), "latin");

    ASSERT_TRUE(h.undo());
    EXPECT_EQ(testsupport::snapshotTree(dir.path()), before)
        << testsupport::describe(testsupport::snapshotTree(dir.path()));
}

TEST(NameBytesDialogPath, EachLevelIsTheEntryQtShowedOrStaysAsWritten) {
    TempDir dir;
    dir.mkdir("old\xE9");
    dir.mkdir("real\xEF\xBF\xBD");
    dir.mkdir("twin\xE9");
    dir.mkdir("twin\xE8");
    const std::string root = dir.path() + "/";
    const struct {
        std::string shown;  // the bytes whose dialog text is handed in
        std::string wanted;
    } cases[] = {
        {root + "plain/log.txt", root + "plain/log.txt"},
        {root + "old\xE9/log.txt", root + "old\xE9/log.txt"},
        {root + "old\xE9", root + "old\xE9"},
        {root + "real\xEF\xBF\xBD/log.txt", root + "real\xEF\xBF\xBD/log.txt"},
        // A new name typed with U+FFFD is written as typed.
        {root + "old\xE9/new\xEF\xBF\xBD.txt", root + "old\xE9/new\xEF\xBF\xBD.txt"},
        {root + "gone\xE9/log.txt", root + "gone\xEF\xBF\xBD/log.txt"},
    };
    for (const auto& c : cases) {
        const auto got = platform::pathFromQtFileName(dialogText(c.shown));
        ASSERT_TRUE(got.ok()) << got.reason();
        EXPECT_EQ(platform::nativePath(*got), c.wanted);
    }
    const auto twins = platform::pathFromQtFileName(dialogText(root + "twin\xE9/log.txt"));
    EXPECT_FALSE(twins.ok());
    EXPECT_NE(twins.reason().find("more than one name"), std::string::npos) << twins.reason();
}

class AnswerSaveDialog : public runs::SaveFileService {
public:
    AnswerSaveDialog() { runs::setSaveFileService(this); }
    ~AnswerSaveDialog() override { runs::setSaveFileService(nullptr); }
    AnswerSaveDialog(const AnswerSaveDialog&) = delete;
    AnswerSaveDialog& operator=(const AnswerSaveDialog&) = delete;

    QString chooseSaveFile(QWidget*, const QString&, const QString& start, const QString&,
                           const QString&) override {
        startPath = start;
        return answer;
    }
    QString answer;
    QString startPath;
};

TEST(NameBytesSaveLog, WritesIntoTheFolderTheDialogShowed) {
    TempDir dir;
    dir.mkdir("old\xE9");
    dir.mkdir("twin\xE9");
    dir.mkdir("twin\xE8");
    testsupport::FakeMessages messages;
    AnswerSaveDialog dialog;
    runs::RunState state;
    settings::ProgramSettings settings;
    const auto window = std::make_unique<runs::RunWindow>(state, settings);
    window->addLine(QStringLiteral("File Renamed: ") + codecPath(kLatin1Name) +
                    QStringLiteral(" --> cafe"));

    dialog.answer = dialogText(dir.file("old\xE9/log.txt"));
    EXPECT_TRUE(window->saveLog());
    EXPECT_EQ(testsupport::readAll(dir.file("old\xE9/log.txt")),
              "File Renamed: caf\xE9 --> cafe\r\n");
    EXPECT_TRUE(messages.shown.isEmpty());

    // Two folders that the dialog shows alike: nothing is written, and the box says why.
    dialog.answer = dialogText(dir.file("twin\xE9/log.txt"));
    EXPECT_FALSE(window->saveLog());
    EXPECT_EQ(dialog.startPath, dialogText(dir.file("old\xE9/log.txt")));
    EXPECT_TRUE(namesIn(dir.file("twin\xE9")).empty());
    EXPECT_TRUE(namesIn(dir.file("twin\xE8")).empty());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("Error saving log file!\n\n")))
        << messages.shown[0].text.toStdString();
}

}  // namespace
