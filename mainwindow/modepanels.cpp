#include "mainwindow/modepanels.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "engine/pattern.h"
#include "mainwindow/filesource.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/modetable.h"
#include "mainwindow/optionpanels.h"
#include "platform/localetext.h"
#include "platform/messages.h"
#include "runs/preview.h"
#include "settings/conversions.h"

namespace mainwindow {

namespace {

constexpr qint64 kTokenYieldEveryMs = 50;

// The naming a preview pass uses: taken at its start and again after every yield, since the
// inputs change only while the pass yields.
struct RowNaming {
    runs::NamingMode mode = runs::NamingMode::None;
    runs::NamingOptions options;
};

}  // namespace

ModePanels::ModePanels(FrmMain& window) : window_(window), ui_(window.ui()) {}

// ---- Mode tabs ----

void ModePanels::showSelectedFrame() {
    if (const ModeTab* tab = modeTab(window_.modeTabKey())) {
        ui_.modeFrames->setCurrentWidget(ui_.*(tab->frame));
    }
}

void ModePanels::tabStripClick() {
    WindowState& state = window_.state();
    if (!state.windowReady) {
        return;
    }
    QStackedWidget* frames = ui_.modeFrames;
    frames->setVisible(false);

    const ModeTab* tab = modeTab(window_.modeTabKey());
    const ModeInputs inputs = modeInputs();
    const bool dirsAllowed = !tab || tab->dirsAllowed(inputs);
    const bool nameScope = !tab || tab->usesNameScope(inputs);
    if (tab && tab->needsTagLibrary && state.mp3LibraryMissing) {
        platform::messages().showMessage(
            QStringLiteral("The Mp3 library failed to initialize! You will not be able\n"
                           "to use any Mp3 featues. You can probably solve this\n"
                           "problem by re-installing Quenza Renamer!"),
            state.appName, platform::MessageIcon::Critical, platform::MessageButtons::Ok);
        state.mp3LibraryMissing = false;
    }

    if (tab) {
        frames->setCurrentWidget(ui_.*(tab->frame));
        frames->setVisible(true);
        frames->raise();
        if (tab->filesOnly) {
            setVbValue(ui_.chkFiles, 1);
        }
    }

    QCheckBox* dirs = ui_.chkDirs;
    if (state.fileMode == 1) {
        dirs->setEnabled(false);
    } else {
        dirs->setEnabled(dirsAllowed);
        if (!dirsAllowed) {
            setVbValue(ui_.chkFiles, 1);
            setVbValue(dirs, 0);
        }
    }
    state.dirsAllowed = dirsAllowed;
    ui_.chkProcessFilename->setEnabled(nameScope);
    ui_.chkProcessFileExt->setEnabled(nameScope);

    optionsChanged();

    // Runs and scans disable the window; the focus stays where it is meanwhile. The handlers
    // above may have changed the options, so they are read again.
    if (!window_.isEnabled()) {
        return;
    }
    if (const ModeTab* now = modeTab(window_.modeTabKey())) {
        if (QWidget* target = now->focusTarget(ui_)) {
            target->setFocus();
        }
    }
}

ModeInputs ModePanels::modeInputs() const {
    return readModeInputs(ui_, window_.optionPanels());
}

runs::NamingMode ModePanels::namingMode() const {
    return mainwindow::namingMode(window_.modeTabKey(), modeInputs());
}

// ---- Validation ----

void ModePanels::optionsChanged() {
    WindowState& state = window_.state();
    if (!state.windowReady) {
        return;
    }
    ui_.tmrPreview->stop();

    const int source = state.fileMode == 1 ? 1 : 0;
    const QStringList& files = state.lstFiles[source];
    const QStringList& dirs = state.lstDirs[source];
    qsizetype fileCount = files.size();
    qsizetype dirCount = dirs.size();
    if (source == 0) {
        fileCount = vbValue(ui_.chkFiles) == 0 ? 0 : fileCount;
        dirCount = vbValue(ui_.chkDirs) == 0 ? 0 : dirCount;
    }
    window_.setPanelText(QStringLiteral("main"),
                         QStringLiteral("%1 Files, %2 Directories").arg(fileCount).arg(dirCount));

    ui_.cmdExecute->setEnabled(renameBlock() == RenameBlock::None);

    // Queued messages run here, a nested validation among them; the timer is off meanwhile,
    // so no preview tick sees a half-finished check.
    QCoreApplication::processEvents();
    if (vbValue(ui_.chkPreview) == 1) {
        state.previewPending = true;
    }
    // Restarting the interval lets a burst of changes end in one preview.
    ui_.tmrPreview->start();
}

ModePanels::RenameBlock ModePanels::renameBlock() const {
    const WindowState& state = window_.state();
    const int source = state.fileMode == 1 ? 1 : 0;
    const QStringList& files = state.lstFiles[source];
    const QStringList& dirs = state.lstDirs[source];
    bool listed = !files.isEmpty() || !dirs.isEmpty();
    if (source == 0) {
        const QCheckBox* filesBox = ui_.chkFiles;
        const QCheckBox* dirsBox = ui_.chkDirs;
        const bool filesQualify =
            enabledSetting(filesBox) && vbValue(filesBox) == 1 && !files.isEmpty();
        const bool dirsQualify =
            enabledSetting(dirsBox) && vbValue(dirsBox) == 1 && !dirs.isEmpty();
        listed = filesQualify || dirsQualify;
    }
    if (!listed) {
        return RenameBlock::NothingListed;
    }
    const ModeTab* tab = modeTab(window_.modeTabKey());
    if (!(tab && tab->attributeRun) && state.onlySelectedInForce && state.selectedCount == 0) {
        return RenameBlock::NothingSelected;
    }
    return tab && tab->blocks(modeInputs()) ? RenameBlock::OptionsNotValid : RenameBlock::None;
}

engine::Options ModePanels::optionsSnapshot() const {
    const WindowState& state = window_.state();
    const ModeInputs inputs = modeInputs();
    engine::Options options =
        modeOptions(inputs, mainwindow::namingMode(window_.modeTabKey(), inputs));
    // The automatic width of sequential renaming counts the rows of the current source's list.
    const platform::ListView* rows = state.fileMode == 1 ? ui_.lwDragDrop : ui_.lwDirectory;
    options.listCounts.rows = rows->rowCount();
    options.listCounts.selected = state.selectedCount;
    options.listCounts.onlySelectedInForce = state.onlySelectedInForce;
    options.format.tabCaption = ui_.TabStrip->tabText(ui_.TabStrip->currentIndex());
    const settings::ProgramSettings& settings = window_.settings();
    options.format.htmlTitleReadSize = settings.getHtmlTitle_ReadSize;
    options.format.mpegBytesToRead = settings.mpegBytesToRead;
    return options;
}

runs::NamingOptions ModePanels::namingOptions() const {
    const engine::TextLists& lists = window_.lists();
    runs::NamingOptions naming;
    naming.options = optionsSnapshot();
    naming.batchReplaceList = lists.batchReplaceList;
    naming.exceptionsList = lists.exceptionsList;
    naming.media = engine::mediaContextFor(lists.codecList, lists.waveFormatList,
                                           naming.options.format.mpegBytesToRead);
    naming.detect.signatures = lists.fileSignatures;
    naming.detect.tryMp3 = vbValue(ui_.chkFileDetect_TryMp3) == 1;
    naming.detect.tryText = vbValue(ui_.chkFileDetect_TryText) == 1;
    naming.detect.keepExtension = vbValue(ui_.chkFileDetect_KeepExt) == 1;
    naming.mp3Library = window_.mp3Library();
    return naming;
}

// ---- Instant Preview and Only Rename Selected ----

void ModePanels::chkPreviewClick() {
    if (vbValue(ui_.chkPreview) == 1) {
        window_.state().previewPending = true;
    } else {
        // The rows keep their last preview; only the count goes.
        window_.setPanelText(QStringLiteral("preview"), QString());
    }
}

void ModePanels::chkOnlyRenameSelectedClick() {
    window_.fileSource().updateSelectedCount(0);
    optionsChanged();
}

// ---- Preview timer ----

void ModePanels::tmrPreviewTimer() {
    WindowState& state = window_.state();
    if (state.labelEditPending) {
        state.labelEditPending = false;
        platform::ListView* list = state.fileMode == 0   ? ui_.lwDirectory
                                   : state.fileMode == 1 ? ui_.lwDragDrop
                                                         : nullptr;
        if (list) {
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
    if (state.selectionRecountPending && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        window_.fileSource().updateSelectedCount(0);
    }

    if (state.previewPending) {
        const ModeTab* tab = modeTab(window_.modeTabKey());
        const bool attrib = tab && tab->attributeRun;
        const QString preview = QStringLiteral("preview");
        window_.setPanelText(preview, attrib ? QStringLiteral("No Preview Available...")
                                             : QStringLiteral("Generating Preview..."));
        // Cleared before the pass, so a change made while it yields marks a newer one.
        state.previewPending = false;
        generatePreview();
        if (!attrib) {
            const int count = state.previewChangeCount;
            window_.setPanelText(preview, count == 1
                                              ? QStringLiteral("1 item to rename...")
                                              : QStringLiteral("%1 items to rename...").arg(count));
        }
    }

    window_.rememberPosition();
}

// ---- Preview pass ----

void ModePanels::generatePreview() {
    WindowState& state = window_.state();
    const QString source = window_.fileModeTabKey();
    platform::ListView* list = nullptr;
    if (source == QLatin1String("listview")) {
        list = ui_.lwDirectory;
    } else if (source == QLatin1String("dragdrop")) {
        list = ui_.lwDragDrop;
    }
    if (!list) {
        return;
    }

    // A long Format token lets the window answer now and then; it never re-reads the options
    // in the middle of a name (the pass's own yield between rows does that).
    auto sinceYield = std::make_shared<QElapsedTimer>();
    sinceYield->start();
    const auto tokenYield = [sinceYield] {
        if (sinceYield->elapsed() >= kTokenYieldEveryMs) {
            QCoreApplication::processEvents();
            sinceYield->start();
        }
    };
    const auto readNaming = [this, tokenYield] {
        // The naming mode the selected tab and option pick: the one whose names the preview shows.
        RowNaming naming{namingMode(), namingOptions()};
        naming.options.media.yield = tokenYield;
        return naming;
    };
    auto naming = std::make_shared<RowNaming>(readNaming());

    runs::PreviewJob job;
    job.list = list;
    job.skipGhostRows = list == ui_.lwDirectory && window_.settings().alwaysShowDirs == 1;
    job.shared = {&state.previewPending, &state.previewRunToken, &state.previewChangeCount};
    job.doEventsEvery = state.previewDoEventsEvery;
    QPushButton* execute = ui_.cmdExecute;
    job.renameEnabled = [execute] { return enabledSetting(execute); };
    job.onlySelectedInForce = [&state] { return state.onlySelectedInForce; };
    // The run's own computation, so the preview shows exactly what a run would do;
    // NamingMode::None (the "Attrib" tab) gives no names. The pass asks for the rows that
    // take part in display order, so one counter per pass numbers them as a run does.
    auto counter = std::make_shared<runs::EnumCounter>();
    job.newName = [naming, counter](const QString& folder, const QString& name) {
        return runs::newNameFor(naming->mode, naming->options, folder, name, counter.get());
    };
    job.yield = [naming, readNaming] {
        QCoreApplication::processEvents();
        *naming = readNaming();
    };
    TabStrip* strip = ui_.TabStrip;
    job.modeCaption = [strip] { return strip->tabText(strip->currentIndex()); };
    job.transformStep = [naming] { return runs::previewStep(naming->mode); };
    runs::generatePreview(job);
}

}  // namespace mainwindow
