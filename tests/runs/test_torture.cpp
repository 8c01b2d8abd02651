// A standing torture test of the runs and their undo. From a fixed list of seeds it builds
// random trees of hostile entries (names that are not UTF-8, Latin-1, both Unicode forms,
// control characters, a leading "-", 250 bytes and more, case-only twins; links to files,
// folders, outside, nothing and themselves; hard links; a FIFO; media files), runs a random mode
// with random options through the run driver and undoes it. Every round checks that each new
// name is the mode's or the old one, that no content was lost or duplicated, that nothing beside
// the tree changed, and that the undo gives back the tree exactly. Some rounds change the tree
// between run and undo (a folder replaced by a link to outside, a file deleted, a name taken):
// then nothing outside may change, no content may be lost, and everything the change did not
// touch must come back.
//
// QUENZA_TORTURE_SEED=<n> replays one round; QUENZA_TORTURE_ROUNDS=<n> runs rounds 1..n;
// QUENZA_TORTURE_SECONDS=<s> keeps drawing rounds for that long (a soak);
// QUENZA_TORTURE_VERBOSE=1 prints what each round runs.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/log.h"
#include "filelists/scan.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "runs/modes.h"
#include "runs/preview.h"
#include "tests/orvane/orvaneclient.h"
#include "tests/runs/driverharness.h"
#include "tests/runs/runtestsupport.h"
#include "tests/runs/torturetree.h"

namespace {

using testsupport::DriverHarness;
using testsupport::TempDir;
using torture::chance;
using torture::contents;
using torture::differences;
using torture::exists;
using torture::isAtOrBelow;
using torture::oneOf;
using torture::pick;
using torture::printable;
using torture::Rng;
using torture::Snapshot;
using torture::snapshot;

QString qpath(const std::string& bytes) {
    return platform::fromNativePath(bytes);
}
std::string native(const QString& path) {
    return platform::nativePath(path);
}

// A random snippet of an existing name, so that replacements find something.
QString snippet(Rng& rng, const QStringList& names) {
    if (names.isEmpty()) {
        return QStringLiteral("a");
    }
    const QString& name = names[pick(rng, 0, static_cast<int>(names.size()) - 1)];
    if (name.isEmpty()) {
        return QStringLiteral("a");
    }
    const int start = pick(rng, 0, static_cast<int>(name.size()) - 1);
    return name.mid(start, pick(rng, 1, 4));
}

const char* const kReplacements[] = {
    "",
    "b",
    "X",
    "sub<\\>",
    "2003<\\>Jan<\\>",
    "/",
    "..",
    "-",
    "a<\\>..<\\>b",
    "\\",
    "TWIN",
    "\xc3\xa9",
    "<\\>",
    "..<\\>",
    "sub<\\>sub<\\>",
    "?",
    " ",
    "\xe2\x80\xa8",
};

QString replacement(Rng& rng) {
    return QString::fromUtf8(oneOf(rng, kReplacements));
}

// The options of one round. The patterns whose tokens read a folder's own changing state
// (its times and counts move as its entries are renamed) are used on files only.
struct FormatPattern {
    const char* pattern;
    bool filesOnly;
};
const FormatPattern kFormatPatterns[] = {
    {"<NAME>.<EXT>", false},
    {"<%1> - <%2>.<EXT>", false},
    {"<%2><\\><%1>", false},
    {"<PARENT><\\><FULLNAME>", false},
    {"<WIDTH>x<HEIGHT> <NAME>", true},
    {"<SIZEB> <DATE> <TIME>", true},
    {"<FLETTER><\\><FULLNAME>", false},
    {"<LENGTH> <BITRATE> <FREQ> <NAME>", true},
    {"<DIRFILES>-<DIRSIZEB>-<NAME>", true},
    {"<HTMLTITLE>.<EXT>", true},
    {"..<\\><NAME>", false},
    {"<DEPTH> <CODEC> <FULLNAME>", true},
};

// How many rounds reached each stage, so a soak tells what it covered.
struct Tally {
    int changed = 0;
    int undone = 0;
    int swapped = 0;
};

class Round {
public:
    Round(std::uint64_t seed, orvane::_cMP3File* mp3, Tally& tally)
        : rng_(seed), mp3_(mp3), tally_(tally) {}

    void play() {
        tree_ = base_.path() + "/tree";
        outside_ = base_.path() + "/outside";
        parking_ = base_.path() + "/parking";
        ASSERT_EQ(::mkdir(tree_.c_str(), 0755), 0);
        ASSERT_EQ(::mkdir(parking_.c_str(), 0755), 0);
        torture::buildOutside(outside_);
        torture::buildTree(rng_, tree_, outside_);
        if (testing::Test::HasFatalFailure()) {
            return;
        }
        torture::markRoundStart();
        before_ = snapshot(tree_);
        outsideBefore_ = snapshot(outside_, true);

        configure();
        const std::string plan = "mode " + modeText_ + "\n";
        if (std::getenv("QUENZA_TORTURE_VERBOSE")) {
            std::cerr << plan;
        }
        SCOPED_TRACE(plan);
        h_.state.simulationMode = simulate_;
        runs::DriverContext ctx = context();
        runs::executeRun(ctx);
        runLines_ = h_.lines();
        h_.closeWindow();
        afterRun_ = snapshot(tree_);
        EXPECT_EQ(differences(outsideBefore_, snapshot(outside_, true)), "")
            << "the run changed what lies beside the tree";
        checkRun();
        if (simulate_) {
            EXPECT_EQ(differences(before_, afterRun_), "") << "a simulation changed the tree";
            return;
        }
        if (!h_.undoEnabled) {
            EXPECT_EQ(differences(before_, afterRun_), "") << "a run without changes changed";
            return;
        }
        ++tally_.changed;
        const bool swapped = chance(rng_, 0.3) && swap();
        tally_.swapped += swapped ? 1 : 0;
        const Snapshot outsideBeforeUndo = snapshot(outside_, true);
        // Without change times: a parked file may be a hard link of one the undo renames.
        const Snapshot parkingBeforeUndo = snapshot(parking_);
        h_.answerYes();
        runs::DriverContext undoCtx = context();
        EXPECT_TRUE(runs::undoLastRun(undoCtx));
        ++tally_.undone;
        undoLines_ = h_.lines();
        h_.closeWindow();
        const Snapshot undone = snapshot(tree_);
        EXPECT_EQ(differences(outsideBeforeUndo, snapshot(outside_, true)), "")
            << "the undo changed what lies beside the tree\n"
            << log();
        // A parked hard link shares its file with a name in the tree, which the undo restores.
        std::set<ino_t> inTree;
        for (const auto& [path, entry] : undone) {
            inTree.insert(entry.inode);
        }
        const Snapshot parked = snapshot(parking_);
        const auto sharedWithTree = [&](const std::string& path) {
            const auto entry = parked.find(path);
            return entry != parked.end() && entry->second.kind == 'f' &&
                   inTree.count(entry->second.inode) > 0;
        };
        EXPECT_EQ(differences(parkingBeforeUndo, parked, sharedWithTree), "")
            << "the undo changed a folder moved out of the tree\n"
            << log();
        if (!swapped) {
            EXPECT_EQ(differences(before_, undone), "") << "the undo did not restore the tree\n"
                                                        << log();
            return;
        }
        checkSwappedUndo(undone);
    }

private:
    std::string log() const {
        return (swapText_.empty() ? std::string() : "between run and undo: " + swapText_ + "\n") +
               "the run's lines:\n" + runLines_.join(QStringLiteral("\n")).toStdString() +
               "\nthe undo's lines:\n" + undoLines_.join(QStringLiteral("\n")).toStdString();
    }

    runs::DriverContext context() {
        runs::DriverContext ctx = h_.context();
        ctx.hooks.readDirectoryStructure = [this] { readTree(); };
        return ctx;
    }

    // The Directory source's folder read, with the read options of this round.
    void readTree() {
        const filelists::ScanResult result = filelists::scanFolder(scan_);
        h_.lstFiles[0] = result.files;
        h_.lstDirs[0] = result.dirs;
    }

    void configure() {
        scan_.folder = qpath(tree_) + QLatin1Char('/');
        scan_.pattern = chance(rng_, 0.85) ? QStringLiteral("*") : QStringLiteral("*.mp3");
        scan_.subfolders = chance(rng_, 0.7);
        scan_.processHidden = chance(rng_, 0.7);
        scan_.processSystem = chance(rng_, 0.7);
        scan_.processWriteProtected = chance(rng_, 0.8);
        h_.setFolder(tree_);
        readTree();
        runs::DriverInputs& in = h_.inputs;
        in.filesTicked = chance(rng_, 0.85);
        in.dirsTicked = !in.filesTicked || chance(rng_, 0.5);
        h_.buildRows();
        if (chance(rng_, 0.2)) {
            // Free Select: a random share of what the folder read found, in a random order.
            QStringList files;
            QStringList dirs;
            for (const QString& path : h_.lstFiles[0]) {
                if (chance(rng_, 0.6)) {
                    files.append(path);
                }
            }
            for (const QString& path : h_.lstDirs[0]) {
                if (chance(rng_, 0.4)) {
                    dirs.append(path);
                }
            }
            std::shuffle(files.begin(), files.end(), rng_);
            h_.useFreeSelect(files, dirs);
        }
        platform::ListView& list = in.fileMode == 1 ? h_.dragDrop : h_.directory;
        if (chance(rng_, 0.15)) {
            in.onlySelectedInForce = true;
            for (int row = 0; row < list.rowCount(); ++row) {
                if (chance(rng_, 0.5)) {
                    list.selectRow(row, true);
                }
            }
        }
        simulate_ = chance(rng_, 0.05);
        const bool cancel = chance(rng_, 0.05);
        if (cancel) {
            h_.cancelAtFirstItem();
        }

        QStringList names;
        for (const auto& [path, entry] : before_) {
            names.append(qpath(path.substr(path.rfind('/') + 1)));
        }
        engine::Options& o = in.naming.options;
        o.scope.processFilename = chance(rng_, 0.8);
        o.scope.processFileExt = !o.scope.processFilename || chance(rng_, 0.4);
        o.listCounts = {list.rowCount(), static_cast<int>(list.selectedRows().size()),
                        in.onlySelectedInForce};
        in.naming.mp3Library = mp3_;

        static const char* const kTabs[] = {"Replace", "Replace", "Case",   "AddCrop",
                                            "Mp3",     "Enum",    "Enum",   "Format",
                                            "Format",  "misc",    "Attrib", "Attrib"};
        const QString tab = QString::fromLatin1(oneOf(rng_, kTabs));
        modeText_ = tab.toStdString();
        in.attributeRun = tab == QLatin1String("Attrib");
        mode_ = runs::NamingMode::None;
        if (tab == QLatin1String("Replace")) {
            const bool batch = chance(rng_, 0.4);
            mode_ = batch ? runs::NamingMode::BatchReplace : runs::NamingMode::Replace;
            const int items = batch ? pick(rng_, 1, 3) : 1;
            for (int i = 0; i < items; ++i) {
                engine::BatchReplaceItem item;
                item.find = snippet(rng_, names);
                item.replace = replacement(rng_);
                item.caseSensitive = static_cast<qint16>(pick(rng_, 0, 1));
                item.swapMode = static_cast<qint16>(chance(rng_, 0.15));
                item.count = static_cast<qint16>(pick(rng_, 0, 2));
                item.start = static_cast<qint16>(chance(rng_, 0.8) ? 0 : pick(rng_, 1, 3));
                in.naming.batchReplaceList.append(item);
                modeText_ +=
                    " \"" + item.find.toStdString() + "\"->\"" + item.replace.toStdString() + "\"";
            }
            const engine::BatchReplaceItem& first = in.naming.batchReplaceList.first();
            o.replace = {first.find,     first.replace, first.caseSensitive,
                         first.swapMode, first.start,   first.count};
        } else if (tab == QLatin1String("Case")) {
            mode_ = runs::NamingMode::Case;
            o.caseOptions.case1 = pick(rng_, 0, 6);
            o.caseOptions.case2 = pick(rng_, 0, 5);
            o.caseOptions.exceptionsEnabled = chance(rng_, 0.5);
            in.naming.exceptionsList = {QStringLiteral("M\u00fcller"), QStringLiteral("ABC"),
                                        QStringLiteral("of"), QStringLiteral("twin")};
            // A random letter case cannot be foreseen: the new name matches ignoring case.
            randomCase_ = o.caseOptions.case1 == 6 || o.caseOptions.case2 == 5;
            modeText_ += " " + std::to_string(o.caseOptions.case1) + "/" +
                         std::to_string(o.caseOptions.case2);
        } else if (tab == QLatin1String("AddCrop")) {
            mode_ = runs::NamingMode::AddCrop;
            o.addCrop.crop = chance(rng_, 0.5);
            o.addCrop.add = replacement(rng_);
            o.addCrop.addPos = QString::number(pick(rng_, 0, 6));
            o.addCrop.addFromEnd = chance(rng_, 0.5);
            o.addCrop.cropPos = QString::number(pick(rng_, 0, 5));
            o.addCrop.cropNumber = QString::number(pick(rng_, 0, 5));
            o.addCrop.cropFromEnd = chance(rng_, 0.5);
        } else if (tab == QLatin1String("Mp3")) {
            mode_ = runs::NamingMode::Mp3;
            static const char* const kPatterns[] = {"<ARTIST> - <TITLE>", "<TRACK> <TITLE>",
                                                    "<FILENAME> <BITRATE> <LENGTH>",
                                                    "<ARTIST><\\><TITLE>", "<GENRE> <YEAR>"};
            o.mp3.pattern = QString::fromLatin1(oneOf(rng_, kPatterns));
            o.mp3.useId3v2 = chance(rng_, 0.5);
            o.mp3.onlyFilledTags = chance(rng_, 0.5);
            o.mp3.addExtension = chance(rng_, 0.5);
            o.mp3.onlyMp3Files = chance(rng_, 0.5);
            modeText_ += " " + o.mp3.pattern.toStdString();
        } else if (tab == QLatin1String("Enum")) {
            const bool numbering = chance(rng_, 0.6);
            mode_ = numbering ? runs::NamingMode::Enum : runs::NamingMode::Normalize;
            o.enumeration.normalize = !numbering;
            static const char* const kFormats[] = {"File ###", "<\\>##", "# - ", "Twin#", "##.txt"};
            o.enumeration.format = QString::fromLatin1(oneOf(rng_, kFormats));
            o.enumeration.start = QString::number(pick(rng_, 0, 3));
            o.enumeration.step = QString::number(pick(rng_, 1, 2));
            o.enumeration.autoZeros = chance(rng_, 0.5);
            o.enumeration.zeros = QString::number(pick(rng_, 0, 3));
            o.enumeration.resetBetweenDirs = chance(rng_, 0.5);
            o.enumeration.normalizeWidth = QString::number(pick(rng_, 0, 4));
            modeText_ += numbering ? " numbering " + o.enumeration.format.toStdString()
                                   : std::string(" normalize");
        } else if (tab == QLatin1String("Format")) {
            const bool detect = chance(rng_, 0.35);
            mode_ = detect ? runs::NamingMode::DetectType : runs::NamingMode::Format;
            const FormatPattern& pattern = oneOf(rng_, kFormatPatterns);
            o.format.pattern = QString::fromLatin1(pattern.pattern);
            o.format.partsPattern =
                chance(rng_, 0.5) ? QStringLiteral("<%1> - <%2>") : QStringLiteral("<%1>.<%2>");
            o.format.allMustBeAvailable = chance(rng_, 0.3);
            o.format.formatFilenameSelected = !detect;
            o.format.tabCaption = QStringLiteral("Format");
            if (pattern.filesOnly) {
                in.dirsTicked = false;
                in.filesTicked = true;
                h_.buildRows();
                if (in.fileMode == 1) {
                    h_.useFreeSelect(h_.lstFiles[1]);
                }
            }
            in.naming.detect.signatures = {{0, QStringLiteral("ID3"), QStringLiteral("mp3")},
                                           {0, QStringLiteral("BM"), QStringLiteral("bmp")},
                                           {1, QStringLiteral("PNG"), QStringLiteral("png")},
                                           {0, QStringLiteral("GIF8"), QStringLiteral("gif")}};
            in.naming.detect.tryMp3 = chance(rng_, 0.5);
            in.naming.detect.tryText = chance(rng_, 0.5);
            in.naming.detect.keepExtension = chance(rng_, 0.5);
            modeText_ += detect ? std::string(" detect") : " " + o.format.pattern.toStdString();
        } else if (tab == QLatin1String("misc")) {
            mode_ = runs::NamingMode::Misc;
            o.space = {chance(rng_, 0.6), chance(rng_, 0.6), chance(rng_, 0.6)};
        } else {
            in.attrib.optAttrib = pick(rng_, 0, 1);
            in.attrib.chkR = pick(rng_, 0, 2);
            in.attrib.chkH = pick(rng_, 0, 2);
            in.attrib.chkS = pick(rng_, 0, 2);
            in.attrib.chkA = pick(rng_, 0, 2);
            in.attrib.chkDateDate = chance(rng_, 0.7);
            in.attrib.chkDateTime = !in.attrib.chkDateDate || chance(rng_, 0.6);
            in.attrib.dtDate = QDate(pick(rng_, 1980, 2030), pick(rng_, 1, 12), pick(rng_, 1, 28));
            in.attrib.dtTime = QTime(pick(rng_, 0, 23), pick(rng_, 0, 59), pick(rng_, 0, 59));
            in.attrib.chkDateCreated = chance(rng_, 0.3);
            in.attrib.chkDateAccessed = chance(rng_, 0.6);
            in.attrib.chkDateModified = chance(rng_, 0.8);
            modeText_ += in.attrib.optAttrib == 1 ? " dates" : " attributes";
        }
        in.mode = mode_;
        in.dirsAllowed = tab == QLatin1String("Attrib") || runs::modeWalksDirectories(mode_);
        modeText_ += std::string(" files=") + (in.filesTicked ? "1" : "0") +
                     " dirs=" + (in.dirsTicked ? "1" : "0") +
                     " subfolders=" + (scan_.subfolders ? "1" : "0") +
                     " freeSelect=" + std::to_string(in.fileMode) +
                     " onlySelected=" + (in.onlySelectedInForce ? "1" : "0") +
                     " simulation=" + (simulate_ ? "1" : "0") + " cancel=" + (cancel ? "1" : "0");
        expectNames();
    }

    // The name each walked item may have after the run, by its path before: the one the
    // mode's name function gives (as the preview shows it), numbered in row order.
    void expectNames() {
        const runs::DriverInputs& in = h_.inputs;
        if (in.attributeRun || mode_ == runs::NamingMode::None) {
            return;
        }
        const int source = in.fileMode == 1 ? 1 : 0;
        platform::ListView& list = source == 1 ? h_.dragDrop : h_.directory;
        const QStringList files = h_.lstFiles[source];
        const QStringList dirs = h_.lstDirs[source];
        const bool walkFiles = source == 1 || in.filesTicked;
        const bool walkDirs =
            (source == 1 || (in.dirsTicked && in.dirsAllowed)) && runs::modeWalksDirectories(mode_);
        QSet<QString> selected;
        for (const int row : list.selectedRows()) {
            selected.insert(runs::rowPath(list, row));
        }
        runs::EnumCounter counter;
        for (const QString& path : h_.rowPaths(list)) {
            const bool isDir = dirs.contains(path);
            if (!(isDir ? walkDirs : walkFiles && files.contains(path))) {
                continue;
            }
            if (in.onlySelectedInForce && !selected.contains(path)) {
                continue;
            }
            const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
            const QString folder = path.left(slash + 1);
            const QString name = path.mid(slash + 1);
            try {
                const QString newName =
                    runs::newNameFor(mode_, in.naming, folder, name,
                                     mode_ == runs::NamingMode::Enum ? &counter : nullptr);
                expected_[native(path)] = runs::previewText(newName);
            } catch (const std::exception&) {
                // A failing name ends the run there; the item keeps its name.
            }
        }
    }

    // Each entry's place after the run: its folder (wherever that went) and its old name or
    // the mode's new one. Hard links: every name of an inode finds a place of that inode.
    void checkRun() {
        EXPECT_EQ(contents(before_), contents(afterRun_)) << "content lost or duplicated";
        std::map<ino_t, std::multiset<std::string>> placesAfter;
        for (const auto& [path, entry] : afterRun_) {
            placesAfter[entry.inode].insert(path);
        }
        std::map<ino_t, int> namesBefore;
        for (const auto& [path, entry] : before_) {
            ++namesBefore[entry.inode];
            if (namedByLinkedFile(entry)) {
                continue;
            }
            const std::set<std::string> allowed = allowedPlaces(path);
            const auto& places = placesAfter[entry.inode];
            const bool found = std::any_of(places.begin(), places.end(), [&](const std::string& p) {
                return std::any_of(allowed.begin(), allowed.end(),
                                   [&](const std::string& a) { return samePlace(a, p); });
            });
            if (!found) {
                std::string text;
                for (const std::string& a : allowed) {
                    text += " \"" + printable(a) + "\"";
                }
                for (const std::string& p : places) {
                    text += " now \"" + printable(p) + "\"";
                }
                ADD_FAILURE() << "\"" << printable(path)
                              << "\" is not where the mode puts it:" << text << "\n"
                              << log();
            }
        }
        for (const auto& [inode, count] : namesBefore) {
            EXPECT_EQ(placesAfter[inode].size(), static_cast<std::size_t>(count))
                << "inode " << inode << " has another number of names";
        }
    }

    // A link to a file in the tree takes its name from that file's contents in the modes that
    // read them; when the same run renamed the file first, the link dangles by the time its
    // turn comes and is named as such, unlike what was foreseen before the run.
    bool namedByLinkedFile(const torture::Entry& entry) const {
        const bool readsContents = mode_ == runs::NamingMode::Format ||
                                   mode_ == runs::NamingMode::DetectType ||
                                   mode_ == runs::NamingMode::Mp3;
        return readsContents && entry.kind == 'l' && isAtOrBelow(entry.content, tree_);
    }

    bool samePlace(const std::string& expected, const std::string& actual) const {
        if (!randomCase_) {
            return expected == actual;
        }
        return QString::compare(qpath(expected), qpath(actual), Qt::CaseInsensitive) == 0;
    }

    // Where the folder at `before` (relative, "" the tree) is after the run.
    std::string folderAfter(const std::string& before) const {
        if (before.empty()) {
            return {};
        }
        const auto entry = before_.find(before);
        if (entry == before_.end()) {
            return before;
        }
        for (const auto& [path, after] : afterRun_) {
            if (after.inode == entry->second.inode) {
                return path;
            }
        }
        return before;
    }

    std::set<std::string> allowedPlaces(const std::string& path) const {
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
        const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
        const std::string folderNow = folderAfter(folder);
        const auto join = [](const std::string& a, const std::string& b) {
            return a.empty() ? b : a + "/" + b;
        };
        std::set<std::string> places{join(folderNow, name)};
        const auto wanted = expected_.find(tree_ + "/" + path);
        if (wanted == expected_.end() || wanted->second.isEmpty()) {
            return places;
        }
        // A level of the new name that was a folder before may have been renamed since, or
        // made anew once it was.
        const QStringList levels = wanted->second.split(QLatin1Char('/'));
        std::set<std::pair<std::string, std::string>> heads{{folder, folderNow}};
        for (qsizetype i = 0; i + 1 < levels.size(); ++i) {
            std::set<std::pair<std::string, std::string>> next;
            const std::string level = native(levels[i]);
            for (const auto& [was, now] : heads) {
                const std::string wasLevel = join(was, level);
                next.insert({wasLevel, join(now, level)});
                const auto entry = before_.find(wasLevel);
                if (entry != before_.end() && entry->second.kind == 'd') {
                    next.insert({wasLevel, folderAfter(wasLevel)});
                }
            }
            heads = next;
        }
        for (const auto& [was, now] : heads) {
            places.insert(join(now, native(levels.last())));
        }
        return places;
    }

    // ---- Changes between run and undo ----

    struct Move {
        std::string from;  // relative to the tree
        std::string to;
    };
    // The journal's moves: folder and old name to folder and final name.
    std::vector<Move> journalMoves() const {
        std::vector<Move> moves;
        const runs::RunState& s = h_.state;
        const std::string root = tree_ + "/";
        const auto relative = [&root](const QString& path) {
            const std::string bytes = native(path);
            return bytes.compare(0, root.size(), root) == 0 ? bytes.substr(root.size()) : bytes;
        };
        for (qsizetype i = 0; i < s.fileRecordCount(); ++i) {
            const runs::FileUndoRecord& r = s.undoFiles[i];
            moves.push_back({relative(r.folder + r.oldName),
                             relative(r.folder + (r.newName.isEmpty() ? r.oldName : r.newName))});
        }
        for (qsizetype i = 0; i < s.dirRecordCount(); ++i) {
            const runs::DirUndoRecord& r = s.undoDirs[i];
            moves.push_back({relative(r.folder + r.oldName),
                             relative(r.folder + (r.newName.isEmpty() ? r.oldName : r.newName))});
        }
        return moves;
    }

    // Replaces a folder that holds a changed item by a link to a new folder beside the tree
    // whose entries bear the same names, deletes a changed file, or takes an item's old name.
    // False when the journal offers nothing to change.
    bool swap() {
        const std::vector<Move> moves = journalMoves();
        if (moves.empty()) {
            return false;
        }
        const Move& move =
            moves[static_cast<std::size_t>(pick(rng_, 0, static_cast<int>(moves.size()) - 1))];
        const std::string now = tree_ + "/" + move.to;
        switch (pick(rng_, 0, 2)) {
            case 0: {
                const std::size_t slash = move.to.rfind('/');
                if (slash == std::string::npos) {
                    return false;
                }
                const std::string folder = move.to.substr(0, slash);
                const std::string victim = outside_ + "/victim" + std::to_string(++victims_);
                EXPECT_EQ(::mkdir(victim.c_str(), 0755), 0);
                for (const auto& [path, entry] : afterRun_) {
                    if (path.size() > folder.size() && isAtOrBelow(path, folder) &&
                        path.find('/', folder.size() + 1) == std::string::npos) {
                        const std::string copy = victim + path.substr(folder.size());
                        if (entry.kind == 'd') {
                            ::mkdir(copy.c_str(), 0755);
                        } else {
                            const int fd =
                                ::open(copy.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
                            EXPECT_EQ(::write(fd, "VICTIM", 6), 6);
                            ::close(fd);
                        }
                    }
                }
                const std::string parked = parking_ + "/" + std::to_string(victims_);
                if (::rename((tree_ + "/" + folder).c_str(), parked.c_str()) != 0) {
                    return false;
                }
                EXPECT_EQ(::symlink(victim.c_str(), (tree_ + "/" + folder).c_str()), 0);
                swapped_.push_back(folder);
                parked_.push_back(parked);
                swapText_ = "folder \"" + printable(folder) + "\" replaced by a link to outside";
                break;
            }
            case 1: {
                struct stat st {};
                if (::lstat(now.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
                    return false;
                }
                EXPECT_EQ(::unlink(now.c_str()), 0);
                swapped_.push_back(move.to);
                if (st.st_nlink == 1 && S_ISREG(st.st_mode)) {
                    deleted_ = st.st_ino;
                }
                swapText_ = "\"" + printable(move.to) + "\" deleted";
                break;
            }
            default: {
                const std::string old = tree_ + "/" + move.from;
                const std::size_t slash = old.rfind('/');
                struct stat st {};
                if (move.from == move.to || exists(old) ||
                    ::lstat(old.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
                    return false;
                }
                const int fd = ::open(old.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
                if (fd < 0) {
                    return false;
                }
                EXPECT_EQ(::write(fd, "TARGET", 6), 6);
                ::close(fd);
                swapped_.push_back(move.from);
                swapText_ = "\"" + printable(move.from) + "\" taken by a new file";
                break;
            }
        }
        return true;
    }

    // After an undo that met a changed tree: no content lost (but the deleted file's), and
    // every entry the change did not touch back as it was.
    void checkSwappedUndo(const Snapshot& undone) {
        SCOPED_TRACE("between run and undo: " + swapText_);
        std::map<ino_t, std::string> now = contents(undone);
        for (const std::string& parked : parked_) {
            for (const auto& [inode, hash] : contents(snapshot(parked))) {
                now[inode] = hash;
            }
        }
        for (const auto& [inode, hash] : contents(before_)) {
            if (inode == deleted_) {
                continue;
            }
            const auto found = now.find(inode);
            EXPECT_TRUE(found != now.end() && found->second == hash)
                << "content of inode " << inode << " lost\n"
                << log();
        }
        // The records that could not come back: those the change touched, and those whose
        // way back is blocked by one of them.
        std::vector<std::string> touched = swapped_;
        const std::vector<Move> moves = journalMoves();
        std::vector<bool> affected(moves.size(), false);
        for (bool grew = true; grew;) {
            grew = false;
            for (std::size_t i = 0; i < moves.size(); ++i) {
                if (affected[i]) {
                    continue;
                }
                for (const std::string& t : touched) {
                    if (isAtOrBelow(moves[i].from, t) || isAtOrBelow(moves[i].to, t)) {
                        affected[i] = true;
                        break;
                    }
                }
                if (affected[i]) {
                    touched.push_back(moves[i].from);
                    touched.push_back(moves[i].to);
                    // A folder the run created for a record that cannot come back stays,
                    // and so keeps its name from whatever the undo would have put there.
                    for (std::size_t slash = moves[i].to.find('/'); slash != std::string::npos;
                         slash = moves[i].to.find('/', slash + 1)) {
                        const std::string folder = moves[i].to.substr(0, slash);
                        const auto was = before_.find(folder);
                        if (was == before_.end() || was->second.kind != 'd') {
                            touched.push_back(folder);
                        }
                    }
                    grew = true;
                }
            }
        }
        std::set<ino_t> touchedInodes;
        if (deleted_ != 0) {
            touchedInodes.insert(deleted_);
        }
        for (const auto& [path, entry] : before_) {
            for (const std::string& t : touched) {
                if (isAtOrBelow(path, t)) {
                    touchedInodes.insert(entry.inode);
                }
            }
        }
        const auto ignored = [&](const std::string& path) {
            for (const std::string& t : touched) {
                if (isAtOrBelow(path, t)) {
                    return true;
                }
            }
            const auto was = before_.find(path);
            const auto is = undone.find(path);
            return (was != before_.end() && touchedInodes.count(was->second.inode) > 0) ||
                   (is != undone.end() && touchedInodes.count(is->second.inode) > 0) ||
                   (was == before_.end() && is != undone.end() && is->second.kind == 'd');
        };
        EXPECT_EQ(differences(before_, undone, ignored), "")
            << "entries the change did not touch were not restored\n"
            << log();
    }

    Rng rng_;
    orvane::_cMP3File* mp3_;
    Tally& tally_;
    TempDir base_;
    testsupport::ProgramFolder programFolder_;
    std::string tree_;
    std::string outside_;
    std::string parking_;
    DriverHarness h_;
    filelists::ScanOptions scan_;
    runs::NamingMode mode_ = runs::NamingMode::None;
    std::string modeText_;
    bool simulate_ = false;
    bool randomCase_ = false;
    std::map<std::string, QString> expected_;  // full path before -> new name relative to folder
    Snapshot before_;
    Snapshot outsideBefore_;
    Snapshot afterRun_;
    std::vector<std::string> swapped_;
    std::vector<std::string> parked_;
    ino_t deleted_ = 0;
    int victims_ = 0;
    std::string swapText_;
    QStringList runLines_;
    QStringList undoLines_;
};

// The rounds of this run: one replayed seed, a number of rounds, or the fixed list.
std::vector<std::uint64_t> fixedSeeds() {
    if (const char* seed = std::getenv("QUENZA_TORTURE_SEED")) {
        return {std::strtoull(seed, nullptr, 10)};
    }
    int rounds = 400;
    if (const char* count = std::getenv("QUENZA_TORTURE_ROUNDS")) {
        rounds = std::max(1, std::atoi(count));
    }
    std::vector<std::uint64_t> seeds;
    for (int i = 1; i <= rounds; ++i) {
        seeds.push_back(static_cast<std::uint64_t>(i));
    }
    return seeds;
}

class Torture : public orvanetest::OrvaneMP3Test {};

TEST_F(Torture, RandomRunsAndTheirUndoLoseNothingAndRestoreEverything) {
    const com::ComPtr<orvane::_cMP3File> mp3 = createFile();
    ASSERT_TRUE(mp3);
    std::vector<std::uint64_t> seeds = fixedSeeds();
    double seconds = 0;
    if (const char* soak = std::getenv("QUENZA_TORTURE_SECONDS")) {
        seconds = std::atof(soak);
    }
    // The rounds after the fixed ones draw seeds from the clock, so two soaks do not play the
    // same rounds; every failed one is printed and can be replayed.
    const std::uint64_t soakBase =
        static_cast<std::uint64_t>(QDateTime::currentMSecsSinceEpoch()) * 1000;
    if (seconds > 0) {
        std::cerr << "torture: soak seeds from " << soakBase << "\n";
    }
    QElapsedTimer clock;
    clock.start();
    int failed = 0;
    int played = 0;
    Tally tally;
    for (std::size_t i = 0; i < seeds.size() || clock.elapsed() < seconds * 1000; ++i) {
        const std::uint64_t seed = i < seeds.size() ? seeds[i] : soakBase + i;
        const int failuresBefore =
            testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
        {
            SCOPED_TRACE("QUENZA_TORTURE_SEED=" + std::to_string(seed) + " replays this round");
            Round(seed, mp3.get(), tally).play();
        }
        ++played;
        if (testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count() >
            failuresBefore) {
            std::cerr << "torture: round failed, replay with QUENZA_TORTURE_SEED=" << seed << "\n";
            // A soak goes on to the end; otherwise a few failed rounds tell enough.
            if (++failed >= 5 && seconds <= 0) {
                break;
            }
        }
    }
    std::cerr << "torture: " << played << " rounds, " << failed << " failed; " << tally.changed
              << " changed the tree, " << tally.undone << " undone, " << tally.swapped
              << " with a change between run and undo\n";
}

}  // namespace
