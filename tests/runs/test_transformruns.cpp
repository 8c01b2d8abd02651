// The name transforms end to end: a run with each mode on a real folder renames what the mode
// says, and the undo brings back the tree exactly as it was.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "engine/log.h"
#include "filelists/imagelist.h"
#include "filelists/rowtext.h"
#include "runs/executors.h"
#include "runs/preview.h"
#include "tests/runs/driverharness.h"

namespace {

using testsupport::DriverHarness;
using testsupport::TempDir;
using testsupport::Tree;

// Runs the mode set up in `h` over the folder, expects `listing` of it to give `afterRun`, then
// undoes the run and expects the tree from before it, contents and file times included.
void runThenUndoListing(const TempDir& dir, DriverHarness& h,
                        std::set<std::string> (*listing)(const std::string&),
                        const std::set<std::string>& afterRun) {
    engine::setErrorsLogged(false);
    const Tree before = testsupport::snapshotTree(dir.path());
    h.run();
    EXPECT_EQ(listing(dir.path()), afterRun) << h.lines().join('\n').toStdString();
    EXPECT_EQ(testsupport::contents(testsupport::snapshotTree(dir.path())),
              testsupport::contents(before));
    EXPECT_FALSE(engine::errorsLogged());
    ASSERT_TRUE(h.undoEnabled);

    ASSERT_TRUE(h.undo());
    const Tree afterUndo = testsupport::snapshotTree(dir.path());
    EXPECT_EQ(afterUndo, before) << "before:\n"
                                 << testsupport::describe(before) << "after the undo:\n"
                                 << testsupport::describe(afterUndo);
}

// ---- Case, Add & Crop and Space ----

namespace casecropspace {

// The names directly inside `root`.
std::set<std::string> namesIn(const std::string& root) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// The names the run left directly inside the folder, then the undo.
void runThenUndo(const TempDir& dir, DriverHarness& h, const std::set<std::string>& afterRun) {
    runThenUndoListing(dir, h, namesIn, afterRun);
}

}  // namespace casecropspace

TEST(CaseRun, ConvertsFilesAndFoldersWithExceptionsAndUndoes) {
    TempDir dir;
    DriverHarness h;
    testsupport::writeFile(dir, "paul mccartney - live (dvd).AVI", "concert", 1);
    testsupport::writeFile(dir, "the dvdrip.txt", "notes", 2);
    testsupport::writeFile(dir, "Already Right.txt", "same", 3);
    dir.mkdir("summer trip.2004");
    testsupport::writeFile(dir, "summer trip.2004/inside.txt", "inside", 4);
    h.inputs.dirsTicked = true;
    h.loadFolder(dir.path());
    h.inputs.mode = runs::NamingMode::Case;
    // The Case tab splits the name itself, whatever Process Name and Extension say.
    h.inputs.naming.options.scope = {true, false};
    h.inputs.naming.options.caseOptions = {4, 2, true};
    h.inputs.naming.exceptionsList = {QStringLiteral("DVD"), QStringLiteral("McCartney")};

    casecropspace::runThenUndo(dir, h,
                               {"Paul McCartney - Live (DVD).avi", "The Dvdrip.txt",
                                "Already Right.txt", "Summer Trip.2004"});
}

TEST(AddCropRun, InsertsWithinTheProcessedPartAndUndoes) {
    TempDir dir;
    DriverHarness h;
    testsupport::writeFile(dir, "abcdefgh.txt", "1", 1);
    testsupport::writeFile(dir, "readme", "2", 2);
    h.loadFolder(dir.path());
    h.inputs.mode = runs::NamingMode::AddCrop;
    h.inputs.naming.options.scope = {true, false};
    h.inputs.naming.options.addCrop.add = QStringLiteral("X");
    h.inputs.naming.options.addCrop.addPos = QStringLiteral("3");
    h.inputs.naming.options.addCrop.addFromEnd = true;

    casecropspace::runThenUndo(dir, h, {"abcdeXfgh.txt", "reaXdme"});
}

TEST(AddCropRun, CropsTheExtensionOnlyAndLeavesNamesWithoutOne) {
    TempDir dir;
    DriverHarness h;
    testsupport::writeFile(dir, "photo.jpeg", "1", 1);
    testsupport::writeFile(dir, "noext", "2", 2);
    h.loadFolder(dir.path());
    h.inputs.mode = runs::NamingMode::AddCrop;
    h.inputs.naming.options.scope = {false, true};
    h.inputs.naming.options.addCrop.crop = true;
    h.inputs.naming.options.addCrop.cropPos = QStringLiteral("0");
    h.inputs.naming.options.addCrop.cropNumber = QStringLiteral("1");
    h.inputs.naming.options.addCrop.cropFromEnd = true;

    engine::setErrorsLogged(false);
    h.run();
    EXPECT_EQ(casecropspace::namesIn(dir.path()), (std::set<std::string>{"photo.jpe", "noext"}));
    EXPECT_EQ(h.state.lastRunFileCount, 1);
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(casecropspace::namesIn(dir.path()), (std::set<std::string>{"photo.jpeg", "noext"}));
}

TEST(SpaceRun, CleansBlanksOfFilesAndFoldersAndUndoes) {
    TempDir dir;
    DriverHarness h;
    testsupport::writeFile(dir, "  my   file  .txt  ", "1", 1);
    testsupport::writeFile(dir, "clean.txt", "2", 2);
    testsupport::writeFile(dir, "tab\t .txt", "3", 3);
    dir.mkdir("  old   folder  ");
    h.inputs.dirsTicked = true;
    h.loadFolder(dir.path());
    h.inputs.mode = runs::NamingMode::Misc;
    // Blanks are cleaned on the whole name, whatever Process Name and Extension say.
    h.inputs.naming.options.scope = {false, true};
    h.inputs.naming.options.space = {true, true, true};

    casecropspace::runThenUndo(dir, h, {"my file.txt", "clean.txt", "tab\t.txt", "old folder"});
}

// The preview and the run share newNameFor; this is how the three tabs reach it.
TEST(TransformNaming, CaseAddCropAndSpaceThroughNewNameFor) {
    runs::NamingOptions options;
    options.options.scope = {true, false};
    options.options.caseOptions = {1, 1, true};
    options.exceptionsList = {QStringLiteral("txt")};
    options.options.addCrop.add = QStringLiteral("-");
    options.options.addCrop.addPos = QStringLiteral("0");
    options.options.space = {false, true, false};
    const QString folder = QStringLiteral("/tmp/");

    // Case takes both parts by its own groups, not the name scope.
    EXPECT_EQ(runs::newNameFor(runs::NamingMode::Case, options, folder, "a b.Txt"), "A B.txt");
    // Add & Crop works in the processed part only.
    EXPECT_EQ(runs::newNameFor(runs::NamingMode::AddCrop, options, folder, "name.txt"),
              "-name.txt");
    // The blank clean-up sees the whole name, also the blanks after the extension.
    EXPECT_EQ(runs::newNameFor(runs::NamingMode::Misc, options, folder, "name .txt  "), "name.txt");
}

// ---- Normalize Numbers and Sequential Renaming ----

namespace numbering {

// Every entry below `root`, files and folders, by its relative path.
std::set<std::string> pathsBelow(const std::string& root) {
    std::set<std::string> paths;
    for (const auto& [path, node] : testsupport::snapshotTree(root)) {
        paths.insert(path);
    }
    return paths;
}

// Every path the run left below the folder, then the undo.
void runThenUndo(const TempDir& dir, DriverHarness& h, const std::set<std::string>& afterRun) {
    runThenUndoListing(dir, h, pathsBelow, afterRun);
}

void sequential(runs::DriverInputs& in, const QString& pattern, bool resetBetweenDirs = false) {
    in.mode = runs::NamingMode::Enum;
    engine::EnumOptions& options = in.naming.options.enumeration;
    options.format = pattern;
    options.start = QStringLiteral("1");
    options.step = QStringLiteral("1");
    options.zeros = QStringLiteral("2");
    options.resetBetweenDirs = resetBetweenDirs;
}

// One preview pass over `list` as the main window wires it: one counter per pass, the rows
// that take part asking for names in display order. Returns the preview column.
QStringList previewColumn(platform::ListView& list, const runs::DriverInputs& in,
                          bool skipGhostRows) {
    bool pending = false;
    int token = -1;
    int changeCount = 0;
    const runs::NamingMode mode = in.mode;
    auto counter = std::make_shared<runs::EnumCounter>();
    runs::PreviewJob job;
    job.list = &list;
    job.skipGhostRows = skipGhostRows;
    job.shared = {&pending, &token, &changeCount};
    job.renameEnabled = [] { return true; };
    job.onlySelectedInForce = [&in] { return in.onlySelectedInForce; };
    job.newName = [&in, mode, counter](const QString& folder, const QString& name) {
        return runs::newNameFor(mode, in.naming, folder, name, counter.get());
    };
    job.yield = [] {};
    runs::generatePreview(job);
    QStringList column;
    for (int row = 0; row < list.rowCount(); ++row) {
        column << list.text(row, filelists::kColumnPreview);
    }
    return column;
}

}  // namespace numbering

// A transform that fails (options no box should hold) leaves every name as it was; the failure
// is in the error log. Before, the failure's empty text was joined with the kept extension and
// "photo.jpg" became "jpg".
TEST(TransformNaming, AFailedTransformKeepsTheName) {
    const QString folder = QStringLiteral("/x/");
    runs::NamingOptions replace;
    replace.options.scope = {true, false};
    replace.options.replace.find = QStringLiteral("o");
    replace.options.replace.replace = QStringLiteral("0");
    runs::NamingOptions batch = replace;
    batch.batchReplaceList = {{QStringLiteral("p"), QStringLiteral("P"), 0, 0, 0, 0},
                              {QStringLiteral("o"), QStringLiteral("0"), 0, 0, -1, 0}};
    runs::NamingOptions normalize = replace;
    normalize.options.enumeration.normalizeWidth = QStringLiteral("99999");
    const struct {
        const char* label;
        runs::NamingMode mode;
        runs::NamingOptions options;
        int start, count;
    } cases[] = {
        {"negative start", runs::NamingMode::Replace, replace, -1, 0},
        {"negative count", runs::NamingMode::Replace, replace, 0, -1},
        {"start past the boxes' range", runs::NamingMode::Replace, replace, 32767, 0},
        {"one failing batch entry", runs::NamingMode::BatchReplace, batch, 0, 0},
        {"normalize width out of range", runs::NamingMode::Normalize, normalize, 0, 0},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.label);
        c.options.options.replace.start = c.start;
        c.options.options.replace.count = c.count;
        engine::setErrorsLogged(false);
        EXPECT_EQ(runs::newNameFor(c.mode, c.options, folder, QStringLiteral(" photo 7.jpg")),
                  QString());
        EXPECT_TRUE(engine::errorsLogged());
    }

    // And a run with such options renames nothing.
    TempDir dir;
    DriverHarness h;
    testsupport::writeFile(dir, "photo.jpg", "1", 1);
    h.loadFolder(dir.path());
    testsupport::replaceNames(h.inputs, QStringLiteral("o"), QStringLiteral("0"));
    h.inputs.naming.options.replace.start = -1;
    h.run();
    EXPECT_TRUE(platform::fs::exists(dir.file("photo.jpg")));
    EXPECT_FALSE(platform::fs::exists(dir.file("jpg")));
    EXPECT_FALSE(h.undoEnabled);
}

TEST(NormalizeRun, PadsTheDigitRunsOfTheProcessedPartAndUndoes) {
    TempDir dir;
    DriverHarness h;
    testsupport::writeFile(dir, "photo-1.jpg", "1", 1);
    testsupport::writeFile(dir, "Track 7 of 12.mp3", "2", 2);
    testsupport::writeFile(dir, "IMG_00042.JPG", "3", 3);
    testsupport::writeFile(dir, "readme.txt", "4", 4);
    dir.mkdir("disc 01");
    testsupport::writeFile(dir, "disc 01/inner 5.txt", "5", 5);
    h.inputs.dirsTicked = true;
    h.loadFolder(dir.path());
    h.inputs.mode = runs::NamingMode::Normalize;
    h.inputs.naming.options.enumeration.normalizeWidth = QStringLiteral("3");
    // The extension's digits ("mp3") stay: only the name is processed.
    h.inputs.naming.options.scope = {true, false};

    numbering::runThenUndo(dir, h,
                           {"photo-001.jpg", "Track 007 of 012.mp3", "IMG_042.JPG", "readme.txt",
                            "disc 001", "disc 001/inner 5.txt"});
}

// "01" goes into the new folder "00", then "a.b.c" into the new folder "01": the undo must wait
// until that folder is gone before "01" can come back, and report no failure on the way.
TEST(EnumRun, TheUndoGivesBackANameThatACreatedFolderTook) {
    TempDir dir;
    DriverHarness h;
    testsupport::writeFile(dir, "01", "first", 1);
    testsupport::writeFile(dir, "a.b.c", "second", 2);
    h.loadFolder(dir.path());
    numbering::sequential(h.inputs, QStringLiteral("<ENUM><\\>x"));
    h.inputs.naming.options.enumeration.start = QStringLiteral("0");

    numbering::runThenUndo(dir, h, {"00", "00/x", "01", "01/x"});
    const QStringList lines = h.lines();
    EXPECT_TRUE(lines.filter(QStringLiteral("WARNING")).isEmpty())
        << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("Deleted directory: ")).size(), 2);
    EXPECT_EQ(h.state.warningCount, 0);
}

TEST(EnumRun, NumbersByTheRowsNotTheWalkAndUndoes) {
    TempDir dir;
    DriverHarness h;
    testsupport::writeFile(dir, "a.txt", "a", 1);
    testsupport::writeFile(dir, "b.txt", "b", 2);
    testsupport::writeFile(dir, "c.txt", "c", 3);
    dir.mkdir("folder");
    h.inputs.dirsTicked = true;
    h.loadFolder(dir.path());
    // The user reordered the rows; the run walks files first, then folders, but numbers by the
    // rows it was shown.
    h.directory.clear();
    h.directory.addRows(
        {testsupport::fileRow(h.folder + "c.txt"), testsupport::fileRow(h.folder + "folder"),
         testsupport::fileRow(h.folder + "a.txt"), testsupport::fileRow(h.folder + "b.txt")});
    numbering::sequential(h.inputs, QStringLiteral("<ENUM> <FULLNAME>"));
    const int readsBefore = h.reads;
    // Sequential renaming works on the whole name, whatever the name scope says.
    h.inputs.naming.options.scope = {false, true};

    numbering::runThenUndo(dir, h, {"01 c.txt", "02 folder", "03 a.txt", "04 b.txt"});
    // The rows are numbered as shown: the folder is not read again before the run (the read
    // after it, and the undo's, rebuild the list).
    EXPECT_EQ(h.reads, readsBefore + 2);
}

TEST(EnumRun, RestartsAtOneInEveryNewFolderAndUndoes) {
    const struct {
        bool reset;
        std::set<std::string> afterRun;
    } cases[] = {
        // Rows X, X, Y, X: the restart compares with the folder numbered last.
        {true, {"X", "Y", "X/a_01.txt", "X/b_02.txt", "Y/c_01.txt", "X/d_01.txt"}},
        {false, {"X", "Y", "X/a_01.txt", "X/b_02.txt", "Y/c_03.txt", "X/d_04.txt"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        DriverHarness h;
        dir.mkdir("X");
        dir.mkdir("Y");
        testsupport::writeFile(dir, "X/a.txt", "a", 1);
        testsupport::writeFile(dir, "X/b.txt", "b", 2);
        testsupport::writeFile(dir, "Y/c.txt", "c", 3);
        testsupport::writeFile(dir, "X/d.txt", "d", 4);
        h.setFolder(dir.path());
        h.useFreeSelect({h.folder + "X/a.txt", h.folder + "X/b.txt", h.folder + "Y/c.txt",
                         h.folder + "X/d.txt"});
        numbering::sequential(h.inputs, QStringLiteral("<NAME>_<ENUM>.<EXT>"), c.reset);
        SCOPED_TRACE(c.reset ? "restart per folder" : "one numbering");
        numbering::runThenUndo(dir, h, c.afterRun);
    }
}

TEST(EnumRun, OnlyTheSelectedRowsTakeNumbers) {
    TempDir dir;
    DriverHarness h;
    testsupport::writeFile(dir, "a.txt", "a", 1);
    testsupport::writeFile(dir, "b.txt", "b", 2);
    testsupport::writeFile(dir, "c.txt", "c", 3);
    h.setFolder(dir.path());
    h.useFreeSelect({h.folder + "a.txt", h.folder + "b.txt", h.folder + "c.txt"});
    h.dragDrop.selectRow(0);
    h.dragDrop.selectRow(2);
    h.inputs.onlySelectedInForce = true;
    numbering::sequential(h.inputs, QStringLiteral("<NAME>_<ENUM>.<EXT>"));

    numbering::runThenUndo(dir, h, {"a_01.txt", "b.txt", "c_02.txt"});
}

TEST(EnumRun, ThePreviewShowsTheNamesTheRunGives) {
    // Rows where a numbering by "the rows above" and one by "the rows numbered" would part:
    // an unselected row from another folder between two selected rows of one folder, and a
    // folder row that the run does not rename.
    TempDir dir;
    DriverHarness h;
    dir.mkdir("X");
    dir.mkdir("Y");
    testsupport::writeFile(dir, "X/a.txt", "a", 1);
    testsupport::writeFile(dir, "Y/b.txt", "b", 2);
    testsupport::writeFile(dir, "X/c.txt", "c", 3);
    testsupport::writeFile(dir, "X/d.txt", "d", 4);
    h.setFolder(dir.path());
    h.useFreeSelect(
        {h.folder + "X/a.txt", h.folder + "Y/b.txt", h.folder + "X/c.txt", h.folder + "X/d.txt"});
    for (const int row : {0, 2, 3}) {
        h.dragDrop.selectRow(row);
    }
    h.inputs.onlySelectedInForce = true;
    numbering::sequential(h.inputs, QStringLiteral("<NAME>_<ENUM>.<EXT>"), true);

    EXPECT_EQ(numbering::previewColumn(h.dragDrop, h.inputs, false),
              (QStringList{"a_01.txt", "", "c_02.txt", "d_03.txt"}));
    numbering::runThenUndo(dir, h, {"X", "Y", "X/a_01.txt", "Y/b.txt", "X/c_02.txt", "X/d_03.txt"});

    // A folder shown with the ghost picture is not processed: no preview, no number.
    TempDir flat;
    DriverHarness g;
    g.inputs.dirsTicked = false;
    flat.mkdir("folder");
    testsupport::writeFile(flat, "a.txt", "a", 1);
    testsupport::writeFile(flat, "b.txt", "b", 2);
    g.loadFolder(flat.path());
    platform::ListRow ghost = testsupport::fileRow(g.folder + "folder");
    ghost.smallImage = filelists::kDefaultGhostDir;
    g.directory.clear();
    g.directory.addRows({ghost, testsupport::fileRow(g.folder + "a.txt"),
                         testsupport::fileRow(g.folder + "b.txt")});
    numbering::sequential(g.inputs, QStringLiteral("<NAME>_<ENUM>.<EXT>"));
    EXPECT_EQ(numbering::previewColumn(g.directory, g.inputs, true),
              (QStringList{"", "a_01.txt", "b_02.txt"}));
    numbering::runThenUndo(flat, g, {"folder", "a_01.txt", "b_02.txt"});
}

// The preview and the run share newNameFor; this is how the Enum tab reaches it.
TEST(TransformNaming, NormalizeAndEnumThroughNewNameFor) {
    const QString folder = QStringLiteral("/tmp/");
    runs::NamingOptions normalize;
    const struct {
        bool name, extension;
        const char* width;
        const char* expected;
    } widths[] = {
        {true, false, "3", "a001.mp3"},
        {true, true, "3", "a001.mp003"},
        {false, true, "2", "a1.mp03"},
        {true, false, "", "a.mp3"},       // an empty box is width 0: the runs go
        {true, false, "2.5", "a01.mp3"},  // halves round to even
    };
    for (const auto& w : widths) {
        normalize.options.scope = {w.name, w.extension};
        normalize.options.enumeration.normalizeWidth = QString::fromLatin1(w.width);
        EXPECT_EQ(runs::newNameFor(runs::NamingMode::Normalize, normalize, folder, "a1.mp3"),
                  QString::fromLatin1(w.expected))
            << w.width << w.name << w.extension;
    }

    runs::DriverInputs in;
    numbering::sequential(in, QStringLiteral("<NAME>-<ENUM>"));
    runs::NamingOptions& options = in.naming;
    options.options.scope = {false, true};  // ignored: the whole name
    const auto name = [&](runs::EnumCounter* counter, const QString& dirName = "/x/") {
        return runs::newNameFor(runs::NamingMode::Enum, options, dirName, "a.txt", counter);
    };
    // Without a counter every item is the first.
    EXPECT_EQ(name(nullptr), "a-01");
    EXPECT_EQ(name(nullptr), "a-01");
    runs::EnumCounter counter;
    EXPECT_EQ(name(&counter), "a-01");
    EXPECT_EQ(name(&counter), "a-02");

    // The automatic width reads the row counts the window hands over.
    options.options.enumeration.autoZeros = true;
    options.options.listCounts = {10, 3, false};
    EXPECT_EQ(name(nullptr), "a-01");
    options.options.listCounts.onlySelectedInForce = true;
    EXPECT_EQ(name(nullptr), "a-1");

    // Options that cannot be numbered leave the name alone and say so in the error log.
    engine::setErrorsLogged(false);
    options.options.enumeration.start.clear();
    EXPECT_EQ(name(nullptr), QString());
    EXPECT_TRUE(engine::errorsLogged());
    engine::setErrorsLogged(false);
}

TEST(EnumCounter, CountsRowsAndRestartsWhenTheFolderChanges) {
    const struct {
        bool restart;
        QStringList folders;
        QList<int> numbers;
    } cases[] = {
        {true, {"/X/", "/X/", "/Y/", "/Y/"}, {1, 2, 1, 2}},
        {true, {"/X/", "/Y/", "/X/"}, {1, 1, 1}},
        {false, {"/X/", "/Y/", "/X/"}, {1, 2, 3}},
        // Folders compare exactly: another case is another folder.
        {true, {"/x/", "/X/"}, {1, 1}},
    };
    for (const auto& c : cases) {
        runs::EnumCounter counter;
        QList<int> numbers;
        for (const QString& folder : c.folders) {
            numbers << counter.next(folder, c.restart);
        }
        EXPECT_EQ(numbers, c.numbers) << c.folders.join(' ').toStdString();
    }
}

}  // namespace
