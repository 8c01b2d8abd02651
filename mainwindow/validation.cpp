// The validation that enables "Rename!", the options snapshot the transforms read, and the
// preview timer with the preview pass it starts.
#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <span>

#include "filelists/imagelist.h"
#include "mainwindow/controltable.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/tabstrip.h"
#include "platform/localetext.h"
#include "platform/widgets/listview.h"
#include "runs/executors.h"
#include "runs/preview.h"
#include "settings/conversions.h"

namespace mainwindow {

namespace {

// The number of a text box as the transforms take it: its numeric value rounded (halves to
// even) into the 16-bit range the boxes were designed for.
int boxNumber(const QString& text) {
    return settings::clampToInt16(
        static_cast<long long>(std::nearbyint(std::clamp(platform::vbVal(text), -1.0e9, 1.0e9))));
}

// Substring search without regard to letter case.
bool containsText(const QString& text, const QString& part) {
    return text.contains(part, Qt::CaseInsensitive);
}

// Read access to the window's inputs by name, for the tab rules.
class Inputs {
public:
    explicit Inputs(const FrmMain& window) : window_(window) {}

    QString text(const char* name) const {
        const auto* box = window_.control<QLineEdit>(QString::fromUtf8(name));
        return box ? box->text() : QString();
    }
    int value(const char* name) const {
        const auto* box = window_.control<QCheckBox>(QString::fromUtf8(name));
        return box ? vbValue(box) : 0;
    }
    bool chosen(const char* name) const {
        const auto* option = window_.control<QRadioButton>(QString::fromUtf8(name));
        return option && option->isChecked();
    }

private:
    const FrmMain& window_;
};

// The index of the chosen button of an option group named prefix0, prefix1, ...; 0 ("No
// Change" on the Case tab) when none is chosen.
int chosenIndex(const Inputs& in, const char* prefix, int count) {
    for (int index = 0; index < count; ++index) {
        if (in.chosen((QByteArray(prefix) + QByteArray::number(index)).constData())) {
            return index;
        }
    }
    return 0;
}

constexpr std::array<const char*, 26> kMp3Tokens = {
    "<ARTIST>",    "<TITLE>",    "<ALBUM>",   "<YEAR>",     "<COMMENT>",    "<GENRE>",
    "<TRACK>",     "<TRACKN>",   "<LENGTH>",  "<LENGTHS>",  "<BITRATE>",    "<MPEG>",
    "<LAYER>",     "<STEREO>",   "<SMODE>",   "<FREQ>",     "<FREQS>",      "<SIZEB>",
    "<SIZE>",      "<FILENAME>", "<FILEEXT>", "<COMPOSER>", "<ORIGARTIST>", "<COPYRIGHT>",
    "<ENCODEDBY>", "<BPM>"};

constexpr std::array<const char*, 38> kFormatTokens = {
    "<NAME>",      "<EXT>",       "<FULLNAME>",   "<SIZE>",     "<SIZEB>",     "<DATE>",
    "<TIME>",      "<PARENT>",    "<RND>",        "<RND#>",     "<WIDTH>",     "<HEIGHT>",
    "<DEPTH>",     "<DEPTHB>",    "<LENGTH>",     "<LENGTHS>",  "<BITRATE>",   "<FPS>",
    "<CODEC>",     "<HTMLTITLE>", "<SOUND>",      "<SMODE>",    "<FREQ>",      "<FREQS>",
    "<BITS>",      "<SNDFORMAT>", "<SNDBITRATE>", "<DIRFILES>", "<DIRDIRS>",   "<DIRSIZE>",
    "<DIRSIZEB>",  "<SDIRFILES>", "<SDIRDIRS>",   "<SDIRSIZE>", "<SDIRSIZEB>", "<FLETTER>",
    "<FLETTERN1>", "<FLETTERN2>"};

bool containsAny(const QString& text, std::span<const char* const> tokens) {
    for (const char* token : tokens) {
        if (containsText(text, QLatin1String(token))) {
            return true;
        }
    }
    return false;
}

QString partMarker(int number) {
    return QStringLiteral("<%%1>").arg(number);
}

// A format pattern is usable when it holds a named token or a part marker that the parts
// pattern defines, and the parts pattern defines no marker twice and never uses "<%0>".
bool formatPatternUsable(const QString& pattern, const QString& parts) {
    bool found = containsAny(pattern, kFormatTokens);
    bool partsUsed = false;
    for (int number = 1; number <= 9 && !partsUsed; ++number) {
        partsUsed =
            containsText(pattern, partMarker(number)) && containsText(parts, partMarker(number));
    }
    if (partsUsed) {
        found = true;
        for (int number = 1; number <= 9; ++number) {
            const QString marker = partMarker(number);
            const qsizetype first = parts.indexOf(marker, 0, Qt::CaseInsensitive);
            if (first >= 0 &&
                parts.indexOf(marker, first + marker.size(), Qt::CaseInsensitive) >= 0) {
                found = false;
            }
        }
    }
    if (containsText(parts, partMarker(0))) {
        found = false;
    }
    return found;
}

// The rules of the mode tabs: each answers whether the inputs of its tab and option block a
// rename. Every rule only reads inputs.
bool replaceBlocks(const Inputs& in) {
    if (in.chosen("optReplaceSingle")) {
        const QString find = in.text("txtFind");
        const QString replace = in.text("txtReplace");
        if (find.isEmpty()) {
            return true;
        }
        return in.value("chkCaseSensitive") != 0 ? find == replace
                                                 : find.toUpper() == replace.toUpper();
    }
    return false;  // batch: the list is not examined
}

bool caseBlocks(const Inputs& in) {
    return in.chosen("Case1_0") && in.chosen("Case2_0") && in.value("chkExceptionsEnabled") == 0;
}

bool attribBlocks(const Inputs& in) {
    if (in.chosen("optAttrib_Attributes")) {
        return in.value("chkR") == 2 && in.value("chkH") == 2 && in.value("chkS") == 2 &&
               in.value("chkA") == 2;
    }
    if (in.chosen("optAttrib_Date")) {
        return in.value("chkDateCreated") == 0 && in.value("chkDateAccessed") == 0 &&
               in.value("chkDateModified") == 0;
    }
    return false;
}

bool addCropBlocks(const Inputs& in) {
    if (in.chosen("optAdd")) {
        return in.text("txtAdd").isEmpty() || in.text("txtAddPos").isEmpty() ||
               platform::vbVal(in.text("txtAddPos")) < 0;
    }
    return in.text("txtCropNumber").isEmpty() || platform::vbVal(in.text("txtCropNumber")) == 0 ||
           in.text("txtCropPos").isEmpty() || platform::vbVal(in.text("txtCropPos")) < 0;
}

bool mp3Blocks(const Inputs& in) {
    const QString pattern = in.text("txtMp3Format");
    return pattern.isEmpty() || !containsAny(pattern, kMp3Tokens);
}

bool formatBlocks(const Inputs& in) {
    if (in.chosen("chkFormatTab_Format")) {
        const QString pattern = in.text("txtFormat");
        return pattern.isEmpty() || !formatPatternUsable(pattern, in.text("txtFormatParts"));
    }
    return false;  // file-type detection needs no input
}

bool enumBlocks(const Inputs& in) {
    if (in.chosen("chkEnumTab_Enum")) {
        const QString pattern = in.text("txtEnumFormat");
        if (pattern.isEmpty() || !containsText(pattern, QStringLiteral("<ENUM>")) ||
            in.text("txtEnumStart").isEmpty() || in.text("txtEnumStep").isEmpty() ||
            platform::vbVal(in.text("txtEnumStep")) < 1 || in.text("txtEnumZeros").isEmpty()) {
            return true;
        }
        // The box admits digits only; a pasted or stored text that is no whole number blocks
        // like a zero width. Applies also while the automatic width greys the box.
        const std::optional<qint16> zeros = settings::toInt16(in.text("txtEnumZeros"));
        return !zeros || *zeros == 0;
    }
    if (in.chosen("chkEnumTab_Normalize")) {
        return in.text("txtNormalize").isEmpty();
    }
    return false;
}

bool miscBlocks(const Inputs& in) {
    return in.value("chkSpaceBeginning") == 0 && in.value("chkSpaceEnd") == 0 &&
           in.value("chkSpaceShrink") == 0;
}

struct TabRule {
    const char* key;
    bool (*blocks)(const Inputs&);
};

constexpr TabRule kTabRules[] = {
    {"Replace", replaceBlocks}, {"Case", caseBlocks}, {"Attrib", attribBlocks},
    {"AddCrop", addCropBlocks}, {"Mp3", mp3Blocks},   {"Format", formatBlocks},
    {"Enum", enumBlocks},       {"misc", miscBlocks},
};

bool tabRuleBlocks(const FrmMain& window, const QString& key) {
    const Inputs inputs(window);
    for (const TabRule& rule : kTabRules) {
        if (key == QLatin1String(rule.key)) {
            return rule.blocks(inputs);
        }
    }
    return false;  // a tab without a rule
}

// ---- Per-item names for the preview ----

// The step number of a pass's error line while the mode's transform runs.
int transformStep(runs::NamingMode mode) {
    switch (mode) {
        case runs::NamingMode::Replace:
        case runs::NamingMode::BatchReplace:
            return 8;
        case runs::NamingMode::Case:
            return 9;
        case runs::NamingMode::AddCrop:
            return 10;
        case runs::NamingMode::Mp3:
            return 11;
        case runs::NamingMode::Normalize:
        case runs::NamingMode::Enum:
            return 12;
        case runs::NamingMode::DetectType:
        case runs::NamingMode::Format:
            return 13;
        case runs::NamingMode::Misc:
            return 14;
        case runs::NamingMode::None:
            break;
    }
    return 7;
}

// The naming a preview pass uses: taken at its start and again after every yield, since the
// inputs change only while the pass yields.
struct RowNaming {
    runs::NamingMode mode = runs::NamingMode::None;
    runs::NamingOptions options;
};

}  // namespace

// ---- Validation ----

void FrmMain::optionsChanged() {
    if (!state_.windowReady) {
        return;
    }
    tmrPreview_->stop();

    const int source = state_.fileMode == 1 ? 1 : 0;
    const QStringList& files = state_.lstFiles[source];
    const QStringList& dirs = state_.lstDirs[source];
    bool blocked = false;
    if (source == 0) {
        QCheckBox* filesBox = check("chkFiles");
        QCheckBox* dirsBox = check("chkDirs");
        const qsizetype fileCount = vbValue(filesBox) == 0 ? 0 : files.size();
        const qsizetype dirCount = vbValue(dirsBox) == 0 ? 0 : dirs.size();
        setPanelText(QStringLiteral("main"),
                     QStringLiteral("%1 Files, %2 Directories").arg(fileCount).arg(dirCount));
        const bool filesQualify =
            filesBox->isEnabled() && vbValue(filesBox) == 1 && !files.isEmpty();
        const bool dirsQualify = dirsBox->isEnabled() && vbValue(dirsBox) == 1 && !dirs.isEmpty();
        blocked = !filesQualify && !dirsQualify;
    } else {
        setPanelText(QStringLiteral("main"),
                     QStringLiteral("%1 Files, %2 Directories").arg(files.size()).arg(dirs.size()));
        blocked = files.isEmpty() && dirs.isEmpty();
    }
    const QString key = modeTabKey();
    if (!blocked && key != QLatin1String("Attrib") && state_.onlySelectedInForce &&
        state_.selectedCount == 0) {
        blocked = true;
    }
    if (!blocked) {
        blocked = tabRuleBlocks(*this, key);
    }

    control<QPushButton>(QStringLiteral("cmdExecute"))->setEnabled(!blocked);

    // Queued messages run here, a nested validation among them; the timer is off meanwhile,
    // so no preview tick sees a half-finished check.
    QCoreApplication::processEvents();
    if (vbValue(check("chkPreview")) == 1) {
        state_.previewPending = true;
    }
    // Restarting the interval lets a burst of changes end in one preview.
    tmrPreview_->start();
}

engine::Options FrmMain::optionsSnapshot() const {
    const Inputs in(*this);
    engine::Options options;
    options.scope.processFilename = in.value("chkProcessFilename") == 1;
    options.scope.processFileExt = in.value("chkProcessFileExt") == 1;
    options.replace.find = in.text("txtFind");
    options.replace.replace = in.text("txtReplace");
    options.replace.caseSensitive = in.value("chkCaseSensitive");
    options.replace.swapMode = in.value("chkReplaceMode");
    options.replace.start = boxNumber(in.text("txtReplaceStart"));
    options.replace.count = boxNumber(in.text("txtReplaceCount"));
    options.caseOptions.case1 = chosenIndex(in, "Case1_", 7);
    options.caseOptions.case2 = chosenIndex(in, "Case2_", 6);
    options.caseOptions.exceptionsEnabled = in.value("chkExceptionsEnabled") == 1;
    options.addCrop.crop = in.chosen("optCrop");
    options.addCrop.add = in.text("txtAdd");
    options.addCrop.addPos = in.text("txtAddPos");
    options.addCrop.addFromEnd = in.chosen("optAddEnding");
    options.addCrop.cropPos = in.text("txtCropPos");
    options.addCrop.cropNumber = in.text("txtCropNumber");
    options.addCrop.cropFromEnd = in.chosen("optCropEnding");
    options.space.removeLeading = in.value("chkSpaceBeginning") == 1;
    options.space.removeTrailing = in.value("chkSpaceEnd") == 1;
    options.space.shrink = in.value("chkSpaceShrink") == 1;
    options.enumeration.normalize = in.chosen("chkEnumTab_Normalize");
    options.enumeration.format = in.text("txtEnumFormat");
    options.enumeration.start = in.text("txtEnumStart");
    options.enumeration.step = in.text("txtEnumStep");
    options.enumeration.autoZeros = in.value("chkEnumAutoZeros") == 1;
    options.enumeration.zeros = in.text("txtEnumZeros");
    options.enumeration.resetBetweenDirs = in.value("chkEnumResetBetweenDirs") == 1;
    options.enumeration.normalizeWidth = in.text("txtNormalize");
    // The automatic width of sequential renaming counts the rows of the current source's list.
    const auto* rows = control<platform::ListView>(
        state_.fileMode == 1 ? QStringLiteral("lwDragDrop") : QStringLiteral("lwDirectory"));
    options.listCounts.rows = rows ? rows->rowCount() : 0;
    options.listCounts.selected = state_.selectedCount;
    options.listCounts.onlySelectedInForce = state_.onlySelectedInForce;
    return options;
}

// ---- Instant Preview box ----

void FrmMain::chkPreviewClick() {
    if (vbValue(check("chkPreview")) == 1) {
        state_.previewPending = true;
    } else {
        // The rows keep their last preview; only the count goes.
        setPanelText(QStringLiteral("preview"), QString());
    }
}

// ---- Preview timer ----

void FrmMain::tmrPreviewTimer() {
    if (state_.labelEditPending) {
        state_.labelEditPending = false;
        const char* name = state_.fileMode == 0   ? "lwDirectory"
                           : state_.fileMode == 1 ? "lwDragDrop"
                                                  : nullptr;
        if (auto* list = name ? control<platform::ListView>(QString::fromUtf8(name)) : nullptr) {
            int row = list->currentRow();
            if (row < 0 || !list->isRowSelected(row)) {
                const QList<int> selected = list->selectedRows();
                row = selected.isEmpty() ? -1 : selected.first();
            }
            if (row >= 0) {
                list->startLabelEdit(row);
            }
        }
    }

    // A selection dragged with the mouse is counted once the button is up.
    if (state_.selectionRecountPending && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        updateSelectedCount(0);
    }

    if (state_.previewPending) {
        const bool attrib = modeTabKey() == QLatin1String("Attrib");
        const QString preview = QStringLiteral("preview");
        setPanelText(preview, attrib ? QStringLiteral("No Preview Available...")
                                     : QStringLiteral("Generating Preview..."));
        // Cleared before the pass, so a change made while it yields marks a newer one.
        state_.previewPending = false;
        generatePreview();
        if (!attrib) {
            const int count = state_.previewChangeCount;
            setPanelText(preview, count == 1 ? QStringLiteral("1 item to rename...")
                                             : QStringLiteral("%1 items to rename...").arg(count));
        }
    }

    // Keeps the remembered position current when the window is only moved; the stored values
    // are 16-bit twips, so a position beyond them is clamped.
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        settings_.Main_Top = settings::clampToInt16(static_cast<long long>(y()) * kTwipsPerPixel);
        settings_.Main_Left = settings::clampToInt16(static_cast<long long>(x()) * kTwipsPerPixel);
    }
}

// ---- Preview pass ----

void FrmMain::generatePreview() {
    const QString source = fileModeTabKey();
    platform::ListView* list = nullptr;
    if (source == QLatin1String("listview")) {
        list = control<platform::ListView>(QStringLiteral("lwDirectory"));
    } else if (source == QLatin1String("dragdrop")) {
        list = control<platform::ListView>(QStringLiteral("lwDragDrop"));
    }
    if (!list) {
        return;
    }

    const auto readNaming = [this] {
        // The executor the selected tab and option pick: the one whose names the preview shows.
        return RowNaming{runs::namingModeFor(modeSelection()),
                         {optionsSnapshot(), lists_.batchReplaceList, lists_.exceptionsList}};
    };
    auto naming = std::make_shared<RowNaming>(readNaming());

    runs::PreviewJob job;
    job.list = list;
    job.skipGhostRows = list == directoryList() && settings_.alwaysShowDirs == 1;
    job.shared = {&state_.previewPending, &state_.previewRunToken, &state_.previewChangeCount};
    job.doEventsEvery = state_.previewDoEventsEvery;
    auto* execute = control<QPushButton>(QStringLiteral("cmdExecute"));
    job.renameEnabled = [execute] { return execute->isEnabled(); };
    job.onlySelectedInForce = [this] { return state_.onlySelectedInForce; };
    // The executors' own computation, so the preview shows exactly what a run would do;
    // modes without a transform (and "Attrib") give no names. The pass asks for the rows that
    // take part in display order, so one counter per pass numbers them as a run does.
    auto counter = std::make_shared<runs::EnumCounter>();
    job.newName = [naming, counter](const QString& folder, const QString& name) {
        return runs::newNameFor(naming->mode, naming->options, folder, name, counter.get());
    };
    job.yield = [naming, readNaming] {
        QCoreApplication::processEvents();
        *naming = readNaming();
    };
    job.modeCaption = [this] { return tabStrip_->tabText(tabStrip_->currentIndex()); };
    job.transformStep = [naming] { return transformStep(naming->mode); };
    runs::generatePreview(job);
}

}  // namespace mainwindow
