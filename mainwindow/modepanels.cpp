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
#include "mainwindow/controls.h"
#include "mainwindow/modetable.h"
#include "mainwindow/sourceswitch.h"
#include "mainwindow/widgetvalues.h"
#include "mainwindow/windowstate.h"
#include "platform/localetext.h"
#include "platform/messages.h"
#include "runs/preview.h"
#include "settings/conversions.h"
#include "settings/programsettings.h"

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

ModePanels::ModePanels(QWidget& window, Controls& ui, WindowState& state,
                       const settings::ProgramSettings& settings, const engine::TextLists& lists,
                       SourceSwitch& source, filelists::StatusPanels status,
                       std::function<orvane::_cMP3File*()> mp3Library,
                       std::function<void()> rememberPosition)
    : window_(window),
      ui_(ui),
      state_(state),
      settings_(settings),
      lists_(lists),
      source_(source),
      status_(std::move(status)),
      mp3Library_(std::move(mp3Library)),
      rememberPosition_(std::move(rememberPosition)) {}

QString ModePanels::modeTabKey() const {
    return ui_.TabStrip->currentKey();
}

void ModePanels::connectHandlers() {
    QObject::connect(ui_.chkPreview, &QCheckBox::stateChanged, &window_,
                     [this] { chkPreviewClick(); });
    QObject::connect(ui_.tmrPreview, &QTimer::timeout, &window_, [this] { tmrPreviewTimer(); });
    QObject::connect(ui_.chkOnlyRenameSelected, &QCheckBox::stateChanged, &window_,
                     [this] { chkOnlyRenameSelectedClick(); });
    QObject::connect(ui_.TabStrip, &QTabBar::currentChanged, &window_, [this] { tabStripClick(); });
}

void ModePanels::connectRevalidation(const QHash<QString, QObject*>& controls) {
    const QWidget* options = ui_.Frame8;
    const QWidget* modeFrames = ui_.modeFrames;
    const auto isInside = [](const QWidget* widget, const QWidget* container) {
        for (const QWidget* w = widget; w; w = w->parentWidget()) {
            if (w == container) {
                return true;
            }
        }
        return false;
    };
    for (const QString& name : controls.keys()) {
        auto* widget = qobject_cast<QWidget*>(controls.value(name));
        if (!widget || widget == ui_.chkOnlyRenameSelected) {
            continue;
        }
        if (!isInside(widget, options) && !isInside(widget, modeFrames) &&
            widget != ui_.chkPreview) {
            continue;
        }
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            QObject::connect(box, &QCheckBox::stateChanged, &window_, [this] { optionsChanged(); });
        } else if (auto* option = qobject_cast<QRadioButton*>(widget)) {
            QObject::connect(option, &QRadioButton::toggled, &window_, [this](bool chosen) {
                if (chosen) {
                    optionsChanged();
                }
            });
        } else if (auto* text = qobject_cast<QLineEdit*>(widget)) {
            QObject::connect(text, &QLineEdit::textChanged, &window_, [this] { optionsChanged(); });
        } else if (auto* time = qobject_cast<QTimeEdit*>(widget)) {
            QObject::connect(time, &QTimeEdit::timeChanged, &window_, [this] { optionsChanged(); });
        } else if (auto* date = qobject_cast<QDateEdit*>(widget)) {
            QObject::connect(date, &QDateEdit::dateChanged, &window_, [this] { optionsChanged(); });
        }
    }
}

// ---- Mode tabs ----

void ModePanels::showSelectedFrame() {
    if (const ModeTab* tab = modeTab(modeTabKey())) {
        ui_.modeFrames->setCurrentWidget(ui_.*(tab->frame));
    }
}

void ModePanels::tabStripClick() {
    if (!state_.windowReady) {
        return;
    }
    QStackedWidget* frames = ui_.modeFrames;
    frames->setVisible(false);

    const ModeTab* tab = modeTab(modeTabKey());
    const ModeInputs inputs = modeInputs();
    const bool dirsAllowed = !tab || tab->dirsAllowed(inputs);
    const bool nameScope = !tab || tab->usesNameScope(inputs);
    if (tab && tab->needsTagLibrary && state_.mp3LibraryMissing) {
        platform::messages().showMessage(
            QStringLiteral("The Mp3 library failed to initialize! You will not be able\n"
                           "to use any Mp3 featues. You can probably solve this\n"
                           "problem by re-installing Quenza Renamer!"),
            state_.appName, platform::MessageIcon::Critical, platform::MessageButtons::Ok);
        state_.mp3LibraryMissing = false;
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
    if (state_.fileMode == Source::FreeSelect) {
        dirs->setEnabled(false);
    } else {
        dirs->setEnabled(dirsAllowed);
        if (!dirsAllowed) {
            setVbValue(ui_.chkFiles, 1);
            setVbValue(dirs, 0);
        }
    }
    state_.dirsAllowed = dirsAllowed;
    ui_.chkProcessFilename->setEnabled(nameScope);
    ui_.chkProcessFileExt->setEnabled(nameScope);

    optionsChanged();

    // Runs and scans disable the window; the focus stays where it is meanwhile. The handlers
    // above may have changed the options, so they are read again.
    if (!window_.isEnabled()) {
        return;
    }
    if (const ModeTab* now = modeTab(modeTabKey())) {
        if (QWidget* target = now->focusTarget(ui_)) {
            target->setFocus();
        }
    }
}

ModeInputs ModePanels::modeInputs() const {
    return readModeInputs(ui_);
}

runs::NamingMode ModePanels::namingMode() const {
    return mainwindow::namingMode(modeTabKey(), modeInputs());
}

// ---- Validation ----

void ModePanels::optionsChanged() {
    if (!state_.windowReady) {
        return;
    }
    ui_.tmrPreview->stop();

    const QStringList& files = state_.files(state_.fileMode);
    const QStringList& dirs = state_.dirs(state_.fileMode);
    qsizetype fileCount = files.size();
    qsizetype dirCount = dirs.size();
    if (state_.fileMode == Source::Directory) {
        fileCount = vbValue(ui_.chkFiles) == 0 ? 0 : fileCount;
        dirCount = vbValue(ui_.chkDirs) == 0 ? 0 : dirCount;
    }
    status_.setText(QStringLiteral("main"),
                    QStringLiteral("%1 Files, %2 Directories").arg(fileCount).arg(dirCount));

    ui_.cmdExecute->setEnabled(renameBlock() == RenameBlock::None);

    // Queued messages run here, a nested validation among them; the timer is off meanwhile,
    // so no preview tick sees a half-finished check.
    QCoreApplication::processEvents();
    if (vbValue(ui_.chkPreview) == 1) {
        state_.previewPending = true;
    }
    // Restarting the interval lets a burst of changes end in one preview.
    ui_.tmrPreview->start();
}

ModePanels::RenameBlock ModePanels::renameBlock() const {
    const QStringList& files = state_.files(state_.fileMode);
    const QStringList& dirs = state_.dirs(state_.fileMode);
    bool listed = !files.isEmpty() || !dirs.isEmpty();
    if (state_.fileMode == Source::Directory) {
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
    const ModeTab* tab = modeTab(modeTabKey());
    if (!(tab && tab->attributeRun) && state_.onlySelectedInForce && state_.selectedCount == 0) {
        return RenameBlock::NothingSelected;
    }
    return tab && tab->blocks(modeInputs()) ? RenameBlock::OptionsNotValid : RenameBlock::None;
}

engine::Options ModePanels::optionsSnapshot() const {
    const ModeInputs inputs = modeInputs();
    engine::Options options = modeOptions(inputs, mainwindow::namingMode(modeTabKey(), inputs));
    // The automatic width of sequential renaming counts the rows of the current source's list.
    const platform::ListView* rows =
        state_.fileMode == Source::FreeSelect ? ui_.lwDragDrop : ui_.lwDirectory;
    options.listCounts.rows = rows->rowCount();
    options.listCounts.selected = state_.selectedCount;
    options.listCounts.onlySelectedInForce = state_.onlySelectedInForce;
    options.format.tabCaption = ui_.TabStrip->tabText(ui_.TabStrip->currentIndex());
    options.format.htmlTitleReadSize = settings_.getHtmlTitle_ReadSize;
    options.format.mpegBytesToRead = settings_.mpegBytesToRead;
    return options;
}

runs::NamingOptions ModePanels::namingOptions() const {
    runs::NamingOptions naming;
    naming.options = optionsSnapshot();
    naming.batchReplaceList = lists_.batchReplaceList;
    naming.exceptionsList = lists_.exceptionsList;
    naming.media = engine::mediaContextFor(lists_.codecList, lists_.waveFormatList,
                                           naming.options.format.mpegBytesToRead);
    naming.detect.signatures = lists_.fileSignatures;
    naming.detect.tryMp3 = vbValue(ui_.chkFileDetect_TryMp3) == 1;
    naming.detect.tryText = vbValue(ui_.chkFileDetect_TryText) == 1;
    naming.detect.keepExtension = vbValue(ui_.chkFileDetect_KeepExt) == 1;
    naming.mp3Library = mp3Library_();
    return naming;
}

// ---- Instant Preview and Only Rename Selected ----

void ModePanels::chkPreviewClick() {
    if (vbValue(ui_.chkPreview) == 1) {
        state_.previewPending = true;
    } else {
        // The rows keep their last preview; only the count goes.
        status_.setText(QStringLiteral("preview"), QString());
    }
}

void ModePanels::chkOnlyRenameSelectedClick() {
    source_.updateSelectedCount(0);
    optionsChanged();
}

// ---- Preview timer ----

void ModePanels::tmrPreviewTimer() {
    if (state_.labelEditPending) {
        state_.labelEditPending = false;
        platform::ListView* list =
            state_.fileMode == Source::Directory ? ui_.lwDirectory : ui_.lwDragDrop;
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
    if (state_.selectionRecountPending && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        source_.updateSelectedCount(0);
    }

    if (state_.previewPending) {
        const ModeTab* tab = modeTab(modeTabKey());
        const bool attrib = tab && tab->attributeRun;
        const QString preview = QStringLiteral("preview");
        status_.setText(preview, attrib ? QStringLiteral("No Preview Available...")
                                        : QStringLiteral("Generating Preview..."));
        // Cleared before the pass, so a change made while it yields marks a newer one.
        state_.previewPending = false;
        generatePreview();
        if (!attrib) {
            const int count = state_.previewChangeCount;
            status_.setText(preview, count == 1
                                         ? QStringLiteral("1 item to rename...")
                                         : QStringLiteral("%1 items to rename...").arg(count));
        }
    }

    rememberPosition_();
}

// ---- Preview pass ----

void ModePanels::generatePreview() {
    const QString source = ui_.TabStripFilemode->currentKey();
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
    job.skipGhostRows = list == ui_.lwDirectory && settings_.alwaysShowDirs == 1;
    job.shared = {&state_.previewPending, &state_.previewRunToken, &state_.previewChangeCount};
    job.doEventsEvery = state_.previewDoEventsEvery;
    QPushButton* execute = ui_.cmdExecute;
    job.renameEnabled = [execute] { return enabledSetting(execute); };
    job.onlySelectedInForce = [this] { return state_.onlySelectedInForce; };
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
