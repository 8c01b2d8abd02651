#include "mainwindow/runcontroller.h"

#include <QCoreApplication>

#include "mainwindow/controls.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/freeselect.h"
#include "mainwindow/modepanels.h"
#include "mainwindow/modetable.h"
#include "mainwindow/sourceswitch.h"
#include "mainwindow/tabstrip.h"
#include "mainwindow/widgetvalues.h"
#include "mainwindow/windowstate.h"
#include "platform/folderlist.h"
#include "platform/messages.h"
#include "platform/widgets/unattended.h"
#include "runs/undo.h"
#include "settings/programsettings.h"

namespace mainwindow {

RunController::RunController(QWidget& window, Controls& ui, WindowState& state,
                             runs::RunState& runState, settings::ProgramSettings& settings,
                             filelists::SourceImages& directoryImages,
                             filelists::SourceImages& freeSelectImages,
                             filelists::StatusPanels status, ModePanels& modes,
                             SourceSwitch& source, FolderSource& folders, FreeSelect& freeSelect)
    : window_(window),
      ui_(ui),
      state_(state),
      runState_(runState),
      settings_(settings),
      directoryImages_(directoryImages),
      freeSelectImages_(freeSelectImages),
      status_(std::move(status)),
      modes_(modes),
      source_(source),
      folders_(folders),
      freeSelect_(freeSelect) {}

void RunController::connectHandlers() {
    QObject::connect(ui_.chkSimulation, &QCheckBox::stateChanged, &window_,
                     [this] { chkSimulationClick(); });
    QObject::connect(ui_.cmdExecute, &QPushButton::clicked, &window_,
                     [this] { cmdExecuteClick(); });
    QObject::connect(ui_.cmdUndo, &QPushButton::clicked, &window_, [this] { cmdUndoClick(); });
}

RunController::~RunController() {
    // A run window still open goes with the main window, without its close handling.
    if (runWindow_) {
        runState_.operationRunning = false;
        runWindow_->onClosed = nullptr;
        delete runWindow_.data();
    }
}

runs::RunOutcome RunController::cmdExecuteClick() {
    runs::DriverContext context = driverContext();
    return runs::executeRun(context);
}

void RunController::cmdUndoClick() {
    runs::DriverContext context = driverContext();
    runs::undoLastRun(context);
}

void RunController::formKeyF5() {
    if (!window_.isEnabled() || !state_.windowReady) {
        return;
    }
    // The focused input loses the focus first, so its own repair rules run as on a click.
    ui_.cmdAbout->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    modes_.optionsChanged();
    QCoreApplication::processEvents();
    if (enabledSetting(ui_.cmdExecute)) {
        cmdExecuteClick();
    }
}

void RunController::chkSimulationClick() {
    runState_.simulationMode = vbValue(ui_.chkSimulation) == 1;
    if (runState_.simulationMode) {
        ui_.cmdExecute->setText(QStringLiteral("Sim. Rename!"));
        ui_.cmdUndo->setEnabled(false);
    } else {
        ui_.cmdExecute->setText(QStringLiteral("Rename!"));
    }
}

runs::AttribOptions RunController::attribOptions() const {
    runs::AttribOptions options;
    options.optAttrib = ui_.optAttrib_Date->isChecked() ? 1 : 0;
    options.chkR = vbValue(ui_.chkR);
    options.chkH = vbValue(ui_.chkH);
    options.chkS = vbValue(ui_.chkS);
    options.chkA = vbValue(ui_.chkA);
    options.chkDateDate = vbValue(ui_.chkDateDate) == 1;
    options.dtDate = ui_.dtDate->date();
    options.chkDateTime = vbValue(ui_.chkDateTime) == 1;
    options.dtTime = ui_.dtTime->time();
    options.chkDateCreated = vbValue(ui_.chkDateCreated) == 1;
    options.chkDateAccessed = vbValue(ui_.chkDateAccessed) == 1;
    options.chkDateModified = vbValue(ui_.chkDateModified) == 1;
    return options;
}

runs::DriverInputs RunController::driverInputs() const {
    runs::DriverInputs in;
    in.fileMode = state_.fileMode;
    in.mode = modes_.namingMode();
    const ModeTab* tab = modeTab(ui_.TabStrip->currentKey());
    in.attributeRun = tab && tab->attributeRun;
    in.naming = modes_.namingOptions();
    in.attrib = attribOptions();
    in.filesTicked = vbValue(ui_.chkFiles) == 1;
    in.dirsTicked = vbValue(ui_.chkDirs) == 1;
    in.dirsAllowed = state_.dirsAllowed;
    in.onlySelectedInForce = state_.onlySelectedInForce;
    in.simulationBox = vbValue(ui_.chkSimulation) == 1;
    in.thumbnailsFreeSelect = vbValue(ui_.chkThumbnailsFreeSelect) == 1;
    in.listOrderChanged = state_.listOrderChanged;
    return in;
}

runs::DriverContext RunController::driverContext() {
    runs::DriverContext context{.state = runState_,
                                .settings = settings_,
                                .lstFiles = state_.lstFiles,
                                .lstDirs = state_.lstDirs,
                                .lists = {ui_.lwDirectory, ui_.lwDragDrop},
                                .directoryImages = &directoryImages_,
                                .freeSelectImages = &freeSelectImages_,
                                .mainWindow = &window_,
                                .appName = state_.appName};
    runs::DriverHooks& hooks = context.hooks;
    hooks.validate = [this] {
        modes_.optionsChanged();
        return enabledSetting(ui_.cmdExecute);
    };
    hooks.inputs = [this] { return driverInputs(); };
    hooks.setMainPanel = [this](const QString& text) {
        status_.setText(QStringLiteral("main"), text);
    };
    hooks.stopPreview = [this] { state_.stopPreview(); };
    hooks.openRunWindow = [this] { return openRunWindow(); };
    hooks.readDirectoryStructure = [this] { folders_.readDirectoryStructure(); };
    hooks.updateTreeview = [this] { folders_.updateTreeview(); };
    hooks.directoryFolder = [this] { return state_.lastReadPath; };
    hooks.refillFreeSelect = [this](const QStringList& files, const QStringList& dirs) {
        refillFreeSelect(files, dirs);
    };
    hooks.generateThumbnailsFreeSel = [this] { source_.generateFreeSelectThumbnails(); };
    hooks.updateSelectedCount = [this] { source_.updateSelectedCount(-1); };
    hooks.setUndoEnabled = [this](bool enabled) { ui_.cmdUndo->setEnabled(enabled); };
    hooks.markListOrderChanged = [this] { state_.listOrderChanged = true; };
    return context;
}

runs::RunWindow* RunController::openRunWindow() {
    // Every operation starts with a fresh window. It is a window of its own, not a child of
    // the main window, so that disabling the main window leaves it usable.
    if (runWindow_) {
        runWindow_->onClosed = nullptr;
        delete runWindow_.data();
    }
    auto* window = new runs::RunWindow(runState_, settings_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setFont(window_.font());
    window->onClosed = [this] { runWindowClosed(); };
    runWindow_ = window;
    window->open();
    return window;
}

void RunController::runWindowClosed() {
    window_.setEnabled(true);
    window_.activateWindow();
    QWidget* focus = nullptr;
    if (state_.fileMode != Source::Directory) {
        focus = ui_.lwDragDrop;
    } else if (vbValue(ui_.chkShowTreeview) != 0) {
        focus = ui_.TreeView;
    } else {
        focus = ui_.lwDirectory;
    }
    if (focus && focus->isVisible()) {
        focus->setFocus();
    }
    emit runFinished();
}

void RunController::refillFreeSelect(const QStringList& files, const QStringList& dirs) {
    freeSelect_.refill(files, dirs);
}

// ---- The command line's run ----

namespace {

QString modeWordList() {
    QStringList words;
    for (const ModeWord& mode : modeWords()) {
        words.append(QLatin1String(mode.word));
    }
    return words.join(QStringLiteral(", "));
}

const ModeWord* findModeWord(const QString& text) {
    const QString word = text.toLower();
    for (const ModeWord& mode : modeWords()) {
        if (word == QLatin1String(mode.word)) {
            return &mode;
        }
    }
    return nullptr;
}

}  // namespace

void RunController::runCommandLineMode() {
    if (state_.cmdExecMode.isEmpty()) {
        // "/x" acts only together with a mode word, and the window stays open for the person
        // in front of it. Where nobody can see the window, nobody could close it either.
        if (state_.exitSwitchGiven && platform::nobodyCanAnswer()) {
            endWithoutRun(QStringLiteral("no mode word given with /e (the mode words are %1)")
                              .arg(modeWordList()));
        }
        return;
    }
    // A word that names no mode runs nothing: the options the settings restored may belong to
    // quite another mode than the one the caller meant.
    const ModeWord* mode = findModeWord(state_.cmdExecMode);
    if (!mode) {
        const QString word = state_.cmdExecMode;
        if (state_.cmdAutoExit) {
            endWithoutRun(QStringLiteral("unknown mode word \"%1\" (the mode words are %2)")
                              .arg(word, modeWordList()));
        } else {
            platform::messages().showMessage(
                QStringLiteral("Unknown mode word \"%1\": nothing was renamed.\n\n"
                               "The mode words are %2.")
                    .arg(word, modeWordList()),
                state_.appName, platform::MessageIcon::Exclamation, platform::MessageButtons::Ok);
        }
        return;
    }
    if (mode->option) {
        (ui_.*(mode->option))->setChecked(true);
    }
    const int position = modeTabPosition(QLatin1String(mode->tab));
    if (position >= 1 && position <= ui_.TabStrip->count()) {
        ui_.TabStrip->setCurrentIndex(position - 1);
    }

    runs::RunOutcome outcome = runs::RunOutcome::NotStarted;
    if (enabledSetting(ui_.cmdExecute)) {
        outcome = cmdExecuteClick();
    }
    if (!state_.cmdAutoExit) {
        return;
    }
    switch (outcome) {
        case runs::RunOutcome::NotStarted:
            endWithoutRun(noRunReason());
            return;
        case runs::RunOutcome::Clean:
            state_.exitStatus = kExitClean;
            break;
        case runs::RunOutcome::WithProblems:
            state_.exitStatus = kExitWithProblems;
            break;
    }
    closeWindows();
}

QString RunController::noRunReason() const {
    const QString folder = folders_.pathText();
    if (folder.isEmpty()) {
        if (!state_.givenFolder.isEmpty()) {
            return QStringLiteral("cannot read the folder %1").arg(state_.givenFolder);
        }
        return QStringLiteral("no folder to work in (give one with /p)");
    }
    if (!folders_.readProblem().isEmpty()) {
        return folders_.readProblem();
    }
    switch (modes_.renameBlock()) {
        case ModePanels::RenameBlock::NothingListed:
            return QStringLiteral("nothing to rename in %1 (pattern \"%2\")")
                .arg(folder, ui_.txtPattern->text());
        case ModePanels::RenameBlock::NothingSelected:
            return QStringLiteral("\"Only Rename Selected\" is ticked and no row is selected");
        case ModePanels::RenameBlock::OptionsNotValid:
        case ModePanels::RenameBlock::None:
            break;
    }
    const QString tab = ui_.TabStrip->shownCaption(ui_.TabStrip->currentIndex());
    return QStringLiteral("the saved options of the tab \"%1\" are not valid").arg(tab);
}

void RunController::endWithoutRun(const QString& reason) {
    platform::tellStandardError(QStringLiteral("no run: ") + reason);
    state_.exitStatus = kExitNoRun;
    closeWindows();
}

void RunController::closeWindows() {
    // Closing the main window saves the settings, as a person closing it would.
    if (runWindow_) {
        runWindow_->close();
    }
    window_.close();
}

}  // namespace mainwindow
