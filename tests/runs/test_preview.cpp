// The preview pass over a list's rows: what each row shows, what is counted, when the pass
// yields, how a newer request overtakes it, and how a failure ends it.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <vector>

#include "engine/log.h"
#include "filelists/imagelist.h"
#include "filelists/rowtext.h"
#include "platform/widgets/listview.h"
#include "runs/executors.h"
#include "runs/preview.h"
#include "tests/support/tempdir.h"

namespace {

using filelists::kColumnPreview;
using platform::ListView;
using runs::PreviewJob;

// A list with the columns the program's lists have: name, preview, folder.
class PreviewTest : public testing::Test {
protected:
    void SetUp() override {
        list.addColumn("Name", "name", 100);
        list.addColumn("Preview", "preview", 100);
        list.addColumn("Path", "path", 100);
    }

    void addRows(const QStringList& names, const QString& folder = "/d/") {
        for (const QString& name : names) {
            list.addRow(QStringList{name, QString(), folder});
        }
    }
    // Every row's preview cell is set to a stale text, so a test sees which rows a pass wrote.
    void markStale(const QString& text = "old") {
        for (int row = 0; row < list.rowCount(); ++row) {
            list.setText(row, kColumnPreview, text);
        }
    }
    QStringList column() const {
        QStringList texts;
        for (int row = 0; row < list.rowCount(); ++row) {
            texts << list.text(row, kColumnPreview);
        }
        return texts;
    }

    // A job on `list` with Rename! enabled, nothing selected-only, and a namer that gives
    // `rename(name)`.
    PreviewJob job(std::function<QString(const QString&)> rename) {
        PreviewJob j;
        j.list = &list;
        j.shared = {&pending, &token, &changeCount};
        j.renameEnabled = [this] { return enabled; };
        j.onlySelectedInForce = [this] { return onlySelected; };
        if (rename) {
            j.newName = [rename](const QString&, const QString& name) { return rename(name); };
        }
        j.yield = [] {};
        j.modeCaption = [] { return QStringLiteral("Find && Replace"); };
        j.transformStep = [] { return 8; };
        return j;
    }

public:
    ListView list;
    bool pending = false;
    int token = -1;
    int changeCount = -5;
    bool enabled = true;
    bool onlySelected = false;
};

QString upperName(const QString& name) {
    return name.toUpper();
}

TEST_F(PreviewTest, RowsShowTheNewNameAndStayEmptyWhereTheNameIsKept) {
    addRows({"a.txt", "B.TXT", "c.TXT", "x.txt"});
    markStale();
    // Upper case changes a.txt and c.TXT (a change of case only counts), keeps B.TXT; the
    // namer's empty result for x.txt keeps it too.
    runs::generatePreview(
        job([](const QString& name) { return name == "x.txt" ? QString() : name.toUpper(); }));
    EXPECT_EQ(column(), (QStringList{"A.TXT", "", "C.TXT", ""}));
    EXPECT_EQ(changeCount, 2);
    EXPECT_GE(token, 0);
    EXPECT_LT(token, 10000);
}

TEST_F(PreviewTest, NamesGoThroughTheRunsMapAndSubfolderMarkers) {
    const struct {
        const char* newName;
        const char* shown;
    } cases[] = {
        {"2003<\\>Jan<\\>a.txt", "2003/Jan/a.txt"},  // the marker is where a folder is made
        {"a/b\\c.txt", "a-b-c.txt"},                 // any other slash is no folder
        {"what?.txt", "what.txt"},
        {"say \"hi\".txt", "say ''hi''.txt"},
        {"<x>:|*.txt", "[x]---.txt"},
        {"sub<\\><\\>a.txt", "sub/a.txt"},  // an empty level is dropped, as the run does
        {"..<\\>a.txt", ""},                // a run refuses to leave the folder: nothing shown
        {"?", ""},                          // nothing left of the name
        {"keep.txt", ""},                   // the mapped name is the old one
    };
    for (const auto& c : cases) {
        list.clear();
        addRows({"keep.txt"});
        markStale();
        const QString newName = QString::fromUtf8(c.newName);
        runs::generatePreview(job([newName](const QString&) { return newName; }));
        EXPECT_EQ(list.text(0, kColumnPreview), QString::fromUtf8(c.shown)) << c.newName;
        EXPECT_EQ(changeCount, QString::fromUtf8(c.shown).isEmpty() ? 0 : 1) << c.newName;
    }
}

TEST_F(PreviewTest, NoNamesWhileRenameIsDisabledOrTheTabGivesNone) {
    addRows({"a", "b", "c"});
    // Disabled "Rename!": every cell is emptied and nothing counted; the namer is not asked.
    markStale();
    enabled = false;
    int asked = 0;
    runs::generatePreview(job([&asked](const QString& name) {
        ++asked;
        return name.toUpper();
    }));
    EXPECT_EQ(column(), (QStringList{"", "", ""}));
    EXPECT_EQ(changeCount, 0);
    EXPECT_EQ(asked, 0);

    // A tab without names (the attribute tab): the same.
    enabled = true;
    markStale();
    runs::generatePreview(job(nullptr));
    EXPECT_EQ(column(), (QStringList{"", "", ""}));
    EXPECT_EQ(changeCount, 0);
}

TEST_F(PreviewTest, UnselectedAndGhostRowsGetNoPreview) {
    addRows({"a", "b", "c", "d"});
    list.setRowImages(3, filelists::kDefaultGhostDir, filelists::kDefaultGhostDir);
    list.selectRow(1);
    list.selectRow(3);

    markStale();
    runs::generatePreview(job(upperName));
    EXPECT_EQ(column(), (QStringList{"A", "B", "C", "D"}));  // ghost rows only when asked

    onlySelected = true;
    PreviewJob j = job(upperName);
    j.skipGhostRows = true;
    markStale();
    runs::generatePreview(j);
    EXPECT_EQ(column(), (QStringList{"", "B", "", ""}));
    EXPECT_EQ(changeCount, 1);
}

TEST_F(PreviewTest, SelectionChangedWhileYieldingIsSeen) {
    addRows({"a", "b", "c", "d"});
    list.selectRow(0);
    onlySelected = true;
    PreviewJob j = job(upperName);
    j.doEventsEvery = 1;
    j.yield = [this] {
        // After the first row the user selects row 2 and deselects row 0.
        if (!list.isRowSelected(2)) {
            list.selectRow(2);
            list.selectRow(0, false);
        }
    };
    runs::generatePreview(j);
    EXPECT_EQ(column(), (QStringList{"A", "", "C", ""}));
}

TEST_F(PreviewTest, YieldsOnceEveryFewRows) {
    QStringList names;
    for (int i = 0; i < 12; ++i) {
        names << QStringLiteral("n%1").arg(i);
    }
    addRows(names);
    std::vector<int> writtenAtYield;
    PreviewJob j = job(upperName);
    j.yield = [&] { writtenAtYield.push_back(changeCount); };
    runs::generatePreview(j);
    EXPECT_EQ(writtenAtYield, (std::vector<int>{5, 10}));
}

TEST_F(PreviewTest, AnotherRequestWhileYieldingStopsThePass) {
    const struct {
        const char* what;
        std::function<void(PreviewTest&)> request;
    } requests[] = {
        {"a newer pass marked pending", [](PreviewTest& t) { t.pending = true; }},
        {"an operation cancelled it", [](PreviewTest& t) { t.token = -1; }},
    };
    for (const auto& r : requests) {
        list.clear();
        addRows({"a", "b", "c", "d", "e", "f", "g", "h"});
        markStale();
        pending = false;
        PreviewJob j = job(upperName);
        j.doEventsEvery = 3;
        bool once = false;
        j.yield = [&] {
            if (!once) {
                once = true;
                r.request(*this);
            }
        };
        runs::generatePreview(j);
        // Rows after the stop keep what an earlier pass wrote.
        EXPECT_EQ(column().mid(0, 4), (QStringList{"A", "B", "C", "old"})) << r.what;
        EXPECT_EQ(changeCount, 3) << r.what;
    }
}

TEST_F(PreviewTest, RowsRemovedWhileYieldingEndThePass) {
    addRows({"a", "b", "c", "d", "e"});
    PreviewJob j = job(upperName);
    j.doEventsEvery = 2;
    j.yield = [this] { list.clear(); };  // without the cancel that normally comes with it
    runs::generatePreview(j);
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(changeCount, 2);
}

TEST_F(PreviewTest, NewestPassWinsOverOneSuspendedInItsYield) {
    addRows({"a", "b", "c", "d", "e", "f", "g"});
    markStale();
    // The outer pass (upper case) yields after row 2; there the options change and the timer
    // starts a complete newer pass (suffix), which yields too. The outer pass must write no
    // further row when it resumes, and the count is the newer pass's.
    bool nested = false;
    PreviewJob outer = job(upperName);
    outer.doEventsEvery = 2;
    outer.yield = [&] {
        if (nested) {
            return;
        }
        nested = true;
        pending = true;   // optionsChanged marks a newer pass
        pending = false;  // the tick clears it and starts the pass
        PreviewJob inner = job([](const QString& name) { return name + "_new"; });
        inner.doEventsEvery = 2;
        runs::generatePreview(inner);
    };
    runs::generatePreview(outer);
    EXPECT_EQ(column(),
              (QStringList{"a_new", "b_new", "c_new", "d_new", "e_new", "f_new", "g_new"}));
    EXPECT_EQ(changeCount, 7);
}

TEST_F(PreviewTest, TheExecutorsNamesAreShown) {
    // The preview asks the executors' own computation: Replace single and batch, with the
    // name or the extension as scope.
    addRows({"photo.jpg", "jpg.photo", "notes"});
    runs::NamingOptions options;
    options.options.replace.find = "o";
    options.options.replace.replace = "0";
    options.batchReplaceList = {{"p", "P", 1, 0, 0, 0}, {"h", "HH", 1, 0, 0, 0}};
    const struct {
        runs::NamingMode mode;
        bool name;
        bool extension;
        QStringList shown;
    } cases[] = {
        {runs::NamingMode::Replace, true, true, {"ph0t0.jpg", "jpg.ph0t0", "n0tes"}},
        {runs::NamingMode::Replace, true, false, {"ph0t0.jpg", "", "n0tes"}},
        {runs::NamingMode::Replace, false, true, {"", "jpg.ph0t0", ""}},
        {runs::NamingMode::BatchReplace, true, true, {"PHHoto.jPg", "jPg.PHHoto", ""}},
        {runs::NamingMode::BatchReplace, false, true, {"photo.jPg", "jpg.PHHoto", ""}},
        {runs::NamingMode::None, true, true, {"", "", ""}},
    };
    for (const auto& c : cases) {
        options.options.scope = {c.name, c.extension};
        PreviewJob j = job(nullptr);
        j.newName = [&](const QString& folder, const QString& name) {
            return runs::newNameFor(c.mode, options, folder, name);
        };
        markStale();
        runs::generatePreview(j);
        EXPECT_EQ(column(), c.shown) << static_cast<int>(c.mode) << c.name << c.extension;
    }
}

class PreviewFailureTest : public PreviewTest {
protected:
    void SetUp() override {
        PreviewTest::SetUp();
        const char* old = std::getenv("QUENZA_PROGRAM_DIR");
        saved_ = old ? old : "";
        setenv("QUENZA_PROGRAM_DIR", folder_.path().c_str(), 1);
        engine::setErrorsLogged(false);
    }
    void TearDown() override { setenv("QUENZA_PROGRAM_DIR", saved_.c_str(), 1); }

    QString errors() const {
        return QString::fromStdString(testsupport::readAll(folder_.file("errors.txt")));
    }

    testsupport::TempDir folder_;
    std::string saved_;
};

TEST_F(PreviewFailureTest, AFailingTransformEndsThePassWithOneLoggedLine) {
    QStringList names;
    for (int i = 1; i <= 9; ++i) {
        names << QStringLiteral("r%1").arg(i);
    }
    addRows(names);
    markStale();
    runs::generatePreview(job([](const QString& name) -> QString {
        if (name == "r7") {
            throw std::runtime_error("broken transform");
        }
        return name.toUpper();
    }));
    EXPECT_EQ(column(), (QStringList{"R1", "R2", "R3", "R4", "R5", "R6", "old", "old", "old"}));
    EXPECT_EQ(changeCount, 6);
    EXPECT_TRUE(engine::errorsLogged());
    const QString log = errors();
    EXPECT_EQ(log.count("generatePreview"), 1) << log.toStdString();
    EXPECT_TRUE(log.contains("(broken transform) generatePreview: ERR=8 TAB=Find && Replace"))
        << log.toStdString();
}

TEST_F(PreviewFailureTest, ATagLibraryFailureIsLoggedWithItsOwnNumber) {
    addRows({"a.mp3", "b.mp3"});
    markStale();
    runs::generatePreview(job([](const QString&) -> QString {
        throw engine::TransformFailure(engine::kObjectNotSet);
    }));
    EXPECT_EQ(column(), (QStringList{"old", "old"}));
    EXPECT_TRUE(errors().contains(
        "Error 91 (Object variable or With block variable not set) generatePreview: ERR=8"))
        << errors().toStdString();
}

}  // namespace
