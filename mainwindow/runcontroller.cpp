#include "mainwindow/runcontroller.h"

#include <QCoreApplication>

#include "mainwindow/filesource.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/freeselect.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/modepanels.h"
#include "mainwindow/modetable.h"
#include "mainwindow/tabstrip.h"
#include "platform/folderlist.h"
#include "platform/messages.h"
#include "platform/widgets/unattended.h"
#include "runs/undo.h"

namespace mainwindow {

RunController::RunController(FrmMain& window) : window_(window), ui_(window.ui()) {}

RunController::~RunController() {
    // A run window still open goes with the main window, without its close handling.
    if (runWindow_) {
        window_.runState().operationRunning = false;
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
    if (!window_.isEnabled() || !window_.state().windowReady) {
        return;
    }
    // The focused input loses the focus first, so its own repair rules run as on a click.
    ui_.cmdAbout->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    window_.modePanels().optionsChanged();
    QCoreApplication::processEvents();
    if (enabledSetting(ui_.cmdExecute)) {
        cmdExecuteClick();
    }
}

void RunController::chkSimulationClick() {
    runs::RunState& runState = window_.runState();
    runState.simulationMode = vbValue(ui_.chkSimulation) == 1;
    if (runState.simulationMode) {
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
    const WindowState& state = window_.state();
    ModePanels& modes = window_.modePanels();
    runs::DriverInputs in;
    in.fileMode = state.fileMode;
    in.mode = modes.namingMode();
    const ModeTab* tab = modeTab(window_.modeTabKey());
    in.attributeRun = tab && tab->attributeRun;
    in.naming = modes.namingOptions();
    in.attrib = attribOptions();
    in.filesTicked = vbValue(ui_.chkFiles) == 1;
    in.dirsTicked = vbValue(ui_.chkDirs) == 1;
    in.dirsAllowed = state.dirsAllowed;
    in.onlySelectedInForce = state.onlySelectedInForce;
    in.simulationBox = vbValue(ui_.chkSimulation) == 1;
    in.thumbnailsFreeSelect = vbValue(ui_.chkThumbnailsFreeSelect) == 1;
    in.listOrderChanged = state.listOrderChanged;
    return in;
}

runs::DriverContext RunController::driverContext() {
    WindowState& state = window_.state();
    FrmMain* window = &window_;
    runs::DriverContext context{.state = window_.runState(),
                                .settings = window_.settings(),
                                .lstFiles = state.lstFiles,
                                .lstDirs = state.lstDirs,
                                .lists = {ui_.lwDirectory, ui_.lwDragDrop},
                                .directoryImages = &window_.sourceImages(0),
                                .freeSelectImages = &window_.sourceImages(1),
                                .mainWindow = window,
                                .appName = state.appName};
    runs::DriverHooks& hooks = context.hooks;
    hooks.validate = [window] {
        window->modePanels().optionsChanged();
        return enabledSetting(window->ui().cmdExecute);
    };
    hooks.inputs = [this] { return driverInputs(); };
    hooks.setMainPanel = [window](const QString& text) {
        window->setPanelText(QStringLiteral("main"), text);
    };
    hooks.stopPreview = [&state] { state.stopPreview(); };
    hooks.openRunWindow = [this] { return openRunWindow(); };
    hooks.readDirectoryStructure = [window] { window->folderSource().readDirectoryStructure(); };
    hooks.updateTreeview = [window] { window->folderSource().updateTreeview(); };
    hooks.directoryFolder = [window] { return window->state().lastReadPath; };
    hooks.refillFreeSelect = [this](const QStringList& files, const QStringList& dirs) {
        refillFreeSelect(files, dirs);
    };
    hooks.generateThumbnailsFreeSel = [window] {
        window->fileSource().generateFreeSelectThumbnails();
    };
    hooks.updateSelectedCount = [window] { window->fileSource().updateSelectedCount(-1); };
    hooks.setUndoEnabled = [window](bool enabled) { window->ui().cmdUndo->setEnabled(enabled); };
    hooks.markListOrderChanged = [&state] { state.listOrderChanged = true; };
    return context;
}

runs::RunWindow* RunController::openRunWindow() {
    // Every operation starts with a fresh window. It is a window of its own, not a child of
    // the main window, so that disabling the main window leaves it usable.
    if (runWindow_) {
        runWindow_->onClosed = nullptr;
        delete runWindow_.data();
    }
    auto* window = new runs::RunWindow(window_.runState(), window_.settings());
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
    if (window_.state().fileMode != 0) {
        focus = ui_.lwDragDrop;
    } else if (vbValue(ui_.chkShowTreeview) != 0) {
        focus = ui_.TreeView;
    } else {
        focus = ui_.lwDirectory;
    }
    if (focus && focus->isVisible()) {
        focus->setFocus();
    }
    window_.modePanels().optionsChanged();
}

void RunController::refillFreeSelect(const QStringList& files, const QStringList& dirs) {
    window_.freeSelect().refill(files, dirs);
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
    WindowState& state = window_.state();
    if (state.cmdExecMode.isEmpty()) {
        // "/x" acts only together with a mode word, and the window stays open for the person
        // in front of it. Where nobody can see the window, nobody could close it either.
        if (state.exitSwitchGiven && platform::nobodyCanAnswer()) {
            endWithoutRun(QStringLiteral("no mode word given with /e (the mode words are %1)")
                              .arg(modeWordList()));
        }
        return;
    }
    // A word that names no mode runs nothing: the options the settings restored may belong to
    // quite another mode than the one the caller meant.
    const ModeWord* mode = findModeWord(state.cmdExecMode);
    if (!mode) {
        const QString word = state.cmdExecMode;
        if (state.cmdAutoExit) {
            endWithoutRun(QStringLiteral("unknown mode word \"%1\" (the mode words are %2)")
                              .arg(word, modeWordList()));
        } else {
            platform::messages().showMessage(
                QStringLiteral("Unknown mode word \"%1\": nothing was renamed.\n\n"
                               "The mode words are %2.")
                    .arg(word, modeWordList()),
                state.appName, platform::MessageIcon::Exclamation, platform::MessageButtons::Ok);
        }
        return;
    }
    if (mode->option) {
        (ui_.*(mode->option))->setChecked(true);
    }
    window_.selectModeTab(modeTabPosition(QLatin1String(mode->tab)));

    runs::RunOutcome outcome = runs::RunOutcome::NotStarted;
    if (enabledSetting(ui_.cmdExecute)) {
        outcome = cmdExecuteClick();
    }
    if (!state.cmdAutoExit) {
        return;
    }
    switch (outcome) {
        case runs::RunOutcome::NotStarted:
            endWithoutRun(noRunReason());
            return;
        case runs::RunOutcome::Clean:
            state.exitStatus = kExitClean;
            break;
        case runs::RunOutcome::WithProblems:
            state.exitStatus = kExitWithProblems;
            break;
    }
    closeWindows();
}

QString RunController::noRunReason() const {
    const WindowState& state = window_.state();
    const FolderSource& folders = window_.folderSource();
    const QString folder = folders.pathText();
    if (folder.isEmpty()) {
        if (!state.givenFolder.isEmpty()) {
            return QStringLiteral("cannot read the folder %1").arg(state.givenFolder);
        }
        return QStringLiteral("no folder to work in (give one with /p)");
    }
    if (!folders.readProblem().isEmpty()) {
        return folders.readProblem();
    }
    switch (window_.modePanels().renameBlock()) {
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
    window_.state().exitStatus = kExitNoRun;
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
