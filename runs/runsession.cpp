#include "runs/runsession.h"

#include <QWidget>

#include <stdexcept>

#include "platform/widgets/listview.h"
#include "settings/programsettings.h"

namespace runs {

// ---- OperationScope ----

OperationScope::OperationScope(RunState& state, QWidget* mainWindow)
    : state_(state), mainWindow_(mainWindow) {
    state_.operationRunning = true;
}

OperationScope::~OperationScope() {
    state_.operationRunning = false;
    if (finished_) {
        return;
    }
    if (window_) {
        window_->setStatus(QStringLiteral("Status: Ready!"));
        window_->showFinished(true);
    } else if (mainWindow_) {
        mainWindow_->setEnabled(true);
    }
}

void OperationScope::setWindow(RunWindow* window) {
    window_ = window;
}

void OperationScope::finish() {
    state_.operationRunning = false;
    finished_ = true;
}

// ---- RunSession: the opening ----

RunSession::RunSession(DriverContext& ctx) : ctx_(ctx) {}

void RunSession::readInputs() {
    in_ = ctx_.hooks.inputs ? ctx_.hooks.inputs() : DriverInputs{};
    source_ = in_.fileMode;
    list_ = ctx_.list(source_);
}

void RunSession::busyPointer() {
    if (!pointer_) {
        pointer_.emplace(nullptr);
    }
}

void RunSession::normalPointer() {
    pointer_.reset();
}

void RunSession::lockMainWindow() {
    operation_.emplace(ctx_.state, ctx_.mainWindow);
    if (ctx_.mainWindow) {
        ctx_.mainWindow->setEnabled(false);
    }
}

void RunSession::stopPreview() {
    if (ctx_.hooks.stopPreview) {
        ctx_.hooks.stopPreview();
    }
    ctx_.state.cancelRequested = false;
}

void RunSession::setPanel(const QString& text) const {
    if (ctx_.hooks.setMainPanel) {
        ctx_.hooks.setMainPanel(text);
    }
}

RunWindow& RunSession::openWindow() {
    RunWindow* window = ctx_.hooks.openRunWindow ? ctx_.hooks.openRunWindow() : nullptr;
    if (!window) {
        throw std::runtime_error("the run window could not be opened");
    }
    window_ = window;
    if (operation_) {
        operation_->setWindow(window);
    }
    return *window;
}

void RunSession::resetCounters() {
    RunState& state = ctx_.state;
    state.filesRenamedCount = 0;
    state.dirsRenamedCount = 0;
    state.warningCount = 0;
}

RowSnapshot RunSession::snapshotRows() {
    RowSnapshot snapshot;
    if (list_) {
        snapshot = takeRowSnapshot(*list_);
    }
    ctx_.state.orderSnapshot = snapshot.order;
    ctx_.state.reselectList = snapshot.selected;
    return snapshot;
}

RunContext& RunSession::runContext() {
    if (!run_) {
        RunWindow* window = window_;
        run_.emplace(
            RunContext{.state = ctx_.state,
                       .report = *window,
                       .fileMode = in_.fileMode,
                       .showFullPath = ctx_.settings.showFullPath == 1,
                       .directoryImages = ctx_.directoryImages,
                       .freeSelectImages = ctx_.freeSelectImages,
                       .setCaption = [window](const QString& text) { window->setStatus(text); },
                       .chosenFolder = ctx_.state.chosenFolder});
    }
    return *run_;
}

// ---- RunSession: the closing ----

void RunSession::rebuildDirectory() {
    if (ctx_.hooks.readDirectoryStructure) {
        ctx_.hooks.readDirectoryStructure();
    }
    if (ctx_.hooks.updateTreeview) {
        ctx_.hooks.updateTreeview();
    }
}

void RunSession::refillFreeSelect() {
    if (window_) {
        window_->setStatus(QStringLiteral("Status: Checking Files..."));
    }
    if (ctx_.hooks.refillFreeSelect) {
        ctx_.hooks.refillFreeSelect(ctx_.state.dragDropRefillFiles, ctx_.state.dragDropRefillDirs);
    }
    if (in_.thumbnailsFreeSelect && ctx_.hooks.generateThumbnailsFreeSel) {
        ctx_.hooks.generateThumbnailsFreeSel();
    }
}

void RunSession::restoreOrder() {
    if (list_ && restoreRowOrder(*list_, ctx_.state.orderSnapshot) &&
        source_ == Source::Directory && ctx_.hooks.markListOrderChanged) {
        ctx_.hooks.markListOrderChanged();
    }
}

void RunSession::reselect() {
    if (!list_) {
        return;
    }
    if (source_ == Source::FreeSelect && list_->currentRow() >= 0) {
        list_->selectRow(list_->currentRow(), false);
    }
    reselectRows(*list_, ctx_.state.reselectList);
}

void RunSession::updateSelectedCount() {
    if (ctx_.hooks.updateSelectedCount) {
        ctx_.hooks.updateSelectedCount();
    }
}

void RunSession::addToTotals(std::int64_t files, std::int64_t dirs) {
    settings::ProgramSettings& settings = ctx_.settings;
    RunState& state = ctx_.state;
    settings.totNumberOfFilesRenamedNew = addSaturating(settings.totNumberOfFilesRenamedNew, files);
    settings.totNumberOfDirsRenamedNew = addSaturating(settings.totNumberOfDirsRenamedNew, dirs);
    state.totNumberOfFilesRenamedNew = settings.totNumberOfFilesRenamedNew;
    state.totNumberOfDirsRenamedNew = settings.totNumberOfDirsRenamedNew;
}

void RunSession::showReady(const QString& status, bool saveLogEnabled) {
    if (window_) {
        window_->setStatus(status);
    }
    setPanel(QStringLiteral("Ready!"));
    if (window_) {
        window_->showFinished(saveLogEnabled);
    }
}

void RunSession::finish() {
    if (window_ && operation_) {
        operation_->finish();
    }
}

}  // namespace runs
