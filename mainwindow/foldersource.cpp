#include "mainwindow/foldersource.h"

#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "engine/log.h"
#include "filelists/scan.h"
#include "filelists/thumbnails.h"
#include "mainwindow/controls.h"
#include "mainwindow/focuskeeper.h"
#include "mainwindow/sourceswitch.h"
#include "mainwindow/widgetvalues.h"
#include "mainwindow/windowstate.h"
#include "platform/filesystem.h"
#include "platform/folderdialog.h"
#include "platform/folderlist.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "runs/runstate.h"
#include "settings/programsettings.h"

namespace mainwindow {

namespace {

const QString kDirectoryPlaceholder = QStringLiteral("Please choose a working directory...");
const QString kHiddenFolderPlaceholder = QStringLiteral(
    "The content of this folder is hidden. You can disable this security feature in the "
    "settings...");
// The path box shows a folder that cannot be listed in pure red.
const QColor kPathRed(255, 0, 0);
// "[..]" waits this long after a node was expanded or collapsed.
constexpr qint64 kTreeToggleGuardMs = 1000;

// The folder above `folder`: up to the "/" before its last character (a trailing "/" is
// skipped); empty for the root and for a text without a folder.
QString parentFolder(const QString& folder) {
    const qsizetype slash =
        folder.size() >= 2 ? folder.lastIndexOf(QLatin1Char('/'), folder.size() - 2) : -1;
    return slash < 0 ? QString() : folder.left(slash + 1);
}

// Why a read left the work lists empty, for a caller who sees no window; empty when it
// completed.
QString readProblemText(const filelists::ScanResult& result, const QString& folder) {
    switch (result.outcome) {
        case filelists::ScanOutcome::TooMany:
            return QStringLiteral("too many files in %1 (at most %2 at once)")
                .arg(folder)
                .arg(filelists::kWorkListLimit);
        case filelists::ScanOutcome::Cancelled:
            return QStringLiteral("the read of %1 was cancelled").arg(folder);
        case filelists::ScanOutcome::Failed:
            return result.reason;
        case filelists::ScanOutcome::Completed:
            break;
    }
    return QString();
}

// The folder as the file system resolves it (links and "..", with a trailing "/"); empty when
// it cannot be resolved. A link to a protected folder is that folder.
QString resolved(const QString& folder) {
    char* real = ::realpath(platform::nativePath(folder).c_str(), nullptr);
    if (!real) {
        return QString();
    }
    const QString path = platform::fromNativePath(real);
    std::free(real);
    return platform::withTrailingSlash(path);
}

}  // namespace

FolderSource::FolderSource(QWidget& window, Controls& ui, WindowState& state,
                           const runs::RunState& runState,
                           const settings::ProgramSettings& settings,
                           filelists::SourceImages& images, filelists::StatusPanels status,
                           SourceSwitch& source)
    : window_(window),
      ui_(ui),
      state_(state),
      runState_(runState),
      settings_(settings),
      images_(images),
      status_(std::move(status)),
      source_(source) {}

void FolderSource::connectHandlers() {
    // The include boxes read and rebuild before the validation, which follows their values.
    QObject::connect(ui_.chkFiles, &QCheckBox::stateChanged, &window_, [this] { chkFilesClick(); });
    QObject::connect(ui_.chkDirs, &QCheckBox::stateChanged, &window_, [this] { chkDirsClick(); });
    QObject::connect(ui_.chkSub, &QCheckBox::stateChanged, &window_, [this] { chkSubClick(); });
    QObject::connect(ui_.chkShowTreeview, &QCheckBox::stateChanged, &window_,
                     [this] { chkShowTreeviewClick(); });
    QObject::connect(ui_.chkThumbnails, &QCheckBox::stateChanged, &window_,
                     [this] { chkThumbnailsClick(); });
    QObject::connect(ui_.cmdShowDirReq, &QToolButton::clicked, &window_,
                     [this] { cmdShowDirReqClick(); });
    QObject::connect(ui_.cmdParentDir, &QToolButton::clicked, &window_,
                     [this] { cmdParentDirClick(); });
    QObject::connect(ui_.cmdRefresh, &QToolButton::clicked, &window_,
                     [this] { cmdRefreshClick(); });

    QComboBox* path = ui_.txtPath;
    QObject::connect(path, &QComboBox::editTextChanged, &window_, [this] { txtPathChange(); });
    // Also raised when the box is left with the text of a history item; the commit that
    // leaving runs comes first, so this one then finds nothing changed.
    QObject::connect(
        path, &QComboBox::activated, &window_, [this] { txtPathClick(); }, Qt::QueuedConnection);
    QObject::connect(ui_.txtPattern, &QLineEdit::returnPressed, &window_,
                     [this] { txtPatternLostFocus(); });

    QTreeWidget* tree = ui_.TreeView;
    QObject::connect(tree, &QTreeWidget::itemExpanded, &window_, [this] { treeNodeToggled(); });
    QObject::connect(tree, &QTreeWidget::itemCollapsed, &window_, [this] { treeNodeToggled(); });
    // Opening a node rebuilds the tree; the view finishes its own handling of the click first.
    QObject::connect(tree, &QTreeWidget::itemDoubleClicked, &window_, [this] {
        QMetaObject::invokeMethod(
            &window_, [this] { treeViewDblClick(); }, Qt::QueuedConnection);
    });
}

// ---- Helpers ----

QString FolderSource::pathText() const {
    return ui_.txtPath->currentText();
}

void FolderSource::setPathText(const QString& text) {
    ui_.txtPath->setEditText(text);
}

void FolderSource::setPathRed(bool red) {
    QComboBox* path = ui_.txtPath;
    QWidget* box = path->lineEdit() ? static_cast<QWidget*>(path->lineEdit()) : path;
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text,
                     red ? kPathRed : QApplication::palette().color(QPalette::Text));
    box->setPalette(palette);
}

filelists::ViewSwitches FolderSource::viewSwitches() const {
    filelists::ViewSwitches switches;
    switches.files = vbValue(ui_.chkFiles) == 1;
    switches.dirs = vbValue(ui_.chkDirs) == 1;
    switches.subdirs = vbValue(ui_.chkSub) == 1;
    switches.thumbnails = vbValue(ui_.chkThumbnails) == 1;
    switches.alwaysShowDirs = settings_.alwaysShowDirs != 0;
    switches.showAllColumns = settings_.showAllColumns == 1;
    switches.enableTreeview = settings_.enableTreeview != 0;
    return switches;
}

filelists::IconOptions FolderSource::directoryIconOptions() const {
    return filelists::iconOptions(settings_, vbValue(ui_.chkDirs) == 1);
}

void FolderSource::showDirectoryRows() {
    // The normal state: the window's own font (not bold: no placeholder), report view or,
    // with thumbnails, large icons.
    // Emptied first: a change of font or view redraws every row the list still holds, and the
    // previous read's rows are tens of thousands.
    platform::ListView* list = ui_.lwDirectory;
    list->clear();
    list->setFont(window_.font());
    list->setView(vbValue(ui_.chkThumbnails) != 0 ? platform::ListView::View::LargeIcon
                                                  : platform::ListView::View::Report);
    list->setLabelEdit(platform::ListView::LabelEdit::Manual);
}

void FolderSource::addToPathHistory(const QString& folder) {
    QComboBox* path = ui_.txtPath;
    const QSignalBlocker blocker(path);
    const int found = path->findText(folder, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found >= 0) {
        path->removeItem(found);
    }
    path->insertItem(0, folder);
    path->setCurrentIndex(-1);
    path->setEditText(folder);
}

// ---- Folder reading ----

void FolderSource::readDirectoryStructure() {
    // A read yields to the event loop, where a commit of the path box (a history pick taken as
    // the box loses the focus to the disabled window) could start another read inside this
    // one. One read at a time: what arrives meanwhile is dropped.
    if (!state_.windowReady || inRead_) {
        return;
    }
    const ReadGuard guard(inRead_);
    // A press before the read began is not a wish to cancel it.
    platform::EscapeWatch::clear();
    state_.stopPreview();
    const QString folder = pathText();
    startAfresh(folder);
    if (settings_.hideSystemFolders == 1 &&
        (filelists::isProtectedSystemFolder(folder) ||
         filelists::isProtectedSystemFolder(resolved(folder)))) {
        showHiddenSystemFolder(folder);
        return;
    }
    if (folder.isEmpty()) {
        showNoFolder();
        return;
    }
    showDirectoryRows();
    state_.lastReadPath.clear();
    readFailure_.clear();
    const filelists::ScanOutcome outcome = scan(folder);
    // "Rename!" stays disabled and "main" keeps its text until updateTreeview has shown the
    // result and validated.
    if (outcome != filelists::ScanOutcome::Completed) {
        showReadFailure(outcome);
    }
}

void FolderSource::startAfresh(const QString& folder) {
    // The icon lists start afresh for another folder (with cacheIcons only after a read that
    // did not complete), so they do not grow without end.
    const bool resetIcons = settings_.cacheIcons == 1
                                ? state_.lastReadPath.isEmpty()
                                : folder != state_.lastReadPath || state_.lastReadPath.isEmpty();
    if (resetIcons) {
        filelists::initSysIcons(images_, filelists::largeImageSize(settings_), ui_.lwDirectory);
    }
    status_.setText(QStringLiteral("preview"), QString());
    status_.setText(QStringLiteral("selected"), QString());
    readProblem_.clear();
}

void FolderSource::showHiddenSystemFolder(const QString& folder) {
    setVbValue(ui_.chkThumbnails, 0);
    setPathRed(true);
    readProblem_ =
        QStringLiteral("%1 is a system folder, which the settings keep out of view").arg(folder);
    state_.files(Source::Directory).clear();
    state_.dirs(Source::Directory).clear();
    emit folderRead();
    showPlaceholder(ui_.lwDirectory, kHiddenFolderPlaceholder);
    ui_.TreeView->clear();
    emit folderRead();
}

void FolderSource::showNoFolder() {
    setVbValue(ui_.chkThumbnails, 0);
    state_.files(Source::Directory).clear();
    state_.dirs(Source::Directory).clear();
    showPlaceholder(ui_.lwDirectory, kDirectoryPlaceholder);
    ui_.TreeView->clear();
    emit folderRead();
}

filelists::ScanOptions FolderSource::scanOptions(const QString& folder) const {
    filelists::ScanOptions options;
    options.folder = folder;
    options.pattern = ui_.txtPattern->text();
    options.subfolders = vbValue(ui_.chkSub) == 1;
    options.processHidden = settings_.processHidden == 1;
    options.processSystem = settings_.processSystem == 1;
    options.processWriteProtected = settings_.processWriteProtected != 0;
    options.usePatternForFiles = settings_.usePatternForFiles == 1;
    options.usePatternForDirs = settings_.usePatternForDirs == 1;
    return options;
}

filelists::ScanOutcome FolderSource::scan(const QString& folder) {
    auto& files = state_.files(Source::Directory);
    auto& dirs = state_.dirs(Source::Directory);
    const FocusKeeper focus(&window_);
    // A run that calls the read has disabled the window itself and enables it again.
    const platform::BusyScope busy(runState_.operationRunning ? nullptr : &window_);
    ui_.cmdExecute->setEnabled(false);
    QCoreApplication::processEvents();
    status_.setText(QStringLiteral("main"), QStringLiteral("Reading Directory Structure..."));
    status_.setText(QStringLiteral("selected"), QStringLiteral("Press escape to cancel..."));
    QCoreApplication::processEvents();
    images_.thumbsComplete = false;
    ui_.TreeView->clear();
    files.clear();
    dirs.clear();

    const filelists::ScanOptions options = scanOptions(folder);
    QElapsedTimer sinceYield;
    sinceYield.start();
    filelists::ScanHooks hooks;
    hooks.cancelRequested = [&sinceYield] { return platform::EscapeWatch::pressed(sinceYield); };
    filelists::ScanResult result = filelists::scanFolder(options, hooks);
    readProblem_ = readProblemText(result, folder);
    if (result.outcome == filelists::ScanOutcome::Completed) {
        QCoreApplication::processEvents();
        files = std::move(result.files);
        dirs = std::move(result.dirs);
        state_.lastReadPath = folder;
        addToPathHistory(folder);
        state_.previousPath = folder;
    }
    return result.outcome;
}

void FolderSource::showReadFailure(filelists::ScanOutcome outcome) {
    // The box comes after the window is usable again, without the hourglass over it.
    if (outcome == filelists::ScanOutcome::TooMany) {
        filelists::showTooManyFilesMessage();
    }
    readFailure_ = filelists::scanFailureText(outcome);
    status_.setText(QStringLiteral("selected"), readFailure_);
    state_.files(Source::Directory).clear();
    state_.dirs(Source::Directory).clear();
    ui_.TreeView->clear();
    if (!runState_.operationRunning) {
        emit folderRead();
    }
}

void FolderSource::updateTreeview() {
    if (inRead_) {
        return;
    }
    const ReadGuard guard(inRead_);
    filelists::TreeviewJob job;
    job.list = ui_.lwDirectory;
    job.tree = ui_.TreeView;
    job.window = &window_;
    job.dirs = &state_.dirs(Source::Directory);
    job.files = &state_.files(Source::Directory);
    job.pathText = pathText();
    job.switches = viewSwitches();
    job.windowReady = state_.windowReady;
    job.operationRunning = runState_.operationRunning;
    job.images = &images_;
    job.iconOptions = directoryIconOptions();
    job.status = status_;
    job.hooks.stopPreview = [this] { state_.previewRunToken = -1; };
    job.hooks.clearWorkLists = [this] {
        state_.files(Source::Directory).clear();
        state_.dirs(Source::Directory).clear();
    };
    job.hooks.listBuilt = [this] { state_.listOrderChanged = false; };
    job.hooks.optionsChanged = [this] { emit folderRead(); };
    job.hooks.updateSelectedCount = [this] { source_.updateSelectedCount(0); };
    const FocusKeeper focus(&window_);
    filelists::updateTreeview(job);
    // The closing recount of an empty list clears the selection panel; a failed read keeps its
    // reason there, so the user sees why the list is empty.
    if (!readFailure_.isEmpty() && state_.lastReadPath.isEmpty()) {
        status_.setText(QStringLiteral("selected"), readFailure_);
    }
}

// ---- Path box and pattern box ----

void FolderSource::txtPathChange() {
    const QString folder = platform::withTrailingSlash(pathText());
    // Tells the user before the commit whether the folder can be read.
    setPathRed(!platform::canListFolder(folder));
}

void FolderSource::txtPathGotFocus() {
    state_.previousPath = pathText();
    if (QLineEdit* edit = ui_.txtPath->lineEdit()) {
        edit->selectAll();
    }
}

void FolderSource::txtPathClick() {
    // A folder picked from the history is committed at once, as Enter would.
    txtPathLostFocus();
    if (QLineEdit* edit = ui_.txtPath->lineEdit()) {
        edit->selectAll();
    }
}

bool FolderSource::pathBoxEvent(QObject* watched, QEvent* event) {
    QComboBox* path = ui_.txtPath;
    if (watched != path && watched != path->lineEdit()) {
        return false;
    }
    // Disabling the window while it reads takes the focus away and gives it back; neither is
    // the user leaving or entering the box.
    if (platform::isBusy() &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        return false;
    }
    switch (event->type()) {
        case QEvent::FocusIn:
            // Coming back from another window or from the history list is no new visit: the
            // box kept the focus (see FocusOut), and an edit in progress stays pending.
            if (!pathHasFocus_) {
                pathHasFocus_ = true;
                txtPathGotFocus();
            }
            return false;
        case QEvent::FocusOut: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            const QWidget* now = QApplication::focusWidget();
            const bool stillInside = now && (now == path || path->isAncestorOf(now));
            if (pathHasFocus_ && !stillInside && reason != Qt::ActiveWindowFocusReason &&
                reason != Qt::PopupFocusReason) {
                pathHasFocus_ = false;
                leaveKeepingTheClick(event, [this] { txtPathLostFocus(); });
            }
            return false;
        }
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Return && key != Qt::Key_Enter) {
                return false;
            }
            txtPathLostFocus();
            if (QLineEdit* edit = path->lineEdit()) {
                edit->selectAll();
            }
            return true;
        }
        default:
            return false;
    }
}

void FolderSource::txtPathLostFocus() {
    QString folder = pathText();
    if (folder.isEmpty()) {
        readDirectoryStructure();
        updateTreeview();
        return;
    }
    if (folder == state_.previousPath) {
        return;
    }
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
        setPathText(folder);
    }
    if (!platform::canListFolder(folder)) {
        // Not read: the views keep the previous folder's rows.
        setPathRed(true);
        return;
    }
    readDirectoryStructure();
    updateTreeview();
}

void FolderSource::txtPatternGotFocus() {
    state_.previousPattern = ui_.txtPattern->text();
    ui_.txtPattern->selectAll();
}

void FolderSource::txtPatternLostFocus() {
    QLineEdit* pattern = ui_.txtPattern;
    if (pattern->text() == state_.previousPattern) {
        return;
    }
    if (pattern->text().isEmpty()) {
        pattern->setText(QStringLiteral("*.*"));
    }
    state_.previousPattern = pattern->text();
    state_.previousPath.clear();
    txtPathLostFocus();
}

// ---- Folder button, Parent Directory, Refresh ----

void FolderSource::cmdShowDirReqClick() {
    QString start = pathText();
    // The root keeps its "/"; any other folder goes to the dialog without it.
    if (start.size() > 1 && start.endsWith(QLatin1Char('/'))) {
        start.chop(1);
    }
    QString chosen =
        platform::browseForFolder(&window_, QStringLiteral("Choose Working Directory:"), start);
    if (!chosen.isEmpty() && chosen != start) {
        source_.selectFileSourceTab(QStringLiteral("listview"));
        setPathText(platform::withTrailingSlash(chosen));
        readDirectoryStructure();
        updateTreeview();
    }
    ui_.txtPath->setFocus();
}

void FolderSource::cmdParentDirClick() {
    state_.stopPreview();
    const QString current = pathText();
    state_.previousPath = current;
    const QString parent = parentFolder(current);
    if (parent.isEmpty()) {
        return;  // the root, or a text without a folder
    }
    switch (platform::fs::kindOf(platform::nativePath(parent))) {
        case platform::fs::Kind::Directory:
            break;
        case platform::fs::Kind::Missing:
            engine::logFailure(engine::kFileNotFound, QStringLiteral("cmdParentDir"));
            return;
        default:
            return;
    }
    setPathText(parent);
    txtPathLostFocus();
    if (!state_.keepListFocus) {
        ui_.txtPath->setFocus();
    }
    state_.keepListFocus = false;
}

void FolderSource::treeviewRefresh() {
    source_.selectFileSourceTab(QStringLiteral("listview"));
    readDirectoryStructure();
    updateTreeview();
}

void FolderSource::cmdRefreshClick() {
    state_.stopPreview();
    treeviewRefresh();
    ui_.txtPath->setFocus();
}

// ---- Tree view ----

void FolderSource::treeNodeToggled() {
    state_.lastTreeToggle.start();
}

void FolderSource::treeViewDblClick() {
    QTreeWidget* tree = ui_.TreeView;
    if (tree->topLevelItemCount() == 0) {
        return;
    }
    state_.stopPreview();
    const QString folder = pathText();
    state_.previousPath = folder;
    const QTreeWidgetItem* node = tree->currentItem();
    if (!node) {
        return;
    }
    QString target;
    if (filelists::isRootNode(node)) {
        if (state_.lastTreeToggle.isValid() &&
            state_.lastTreeToggle.elapsed() < kTreeToggleGuardMs) {
            return;
        }
        target = parentFolder(folder);
        if (target.isEmpty()) {
            return;
        }
    } else {
        target = folder + filelists::nodeFullPath(node);
        if (!platform::fs::isDirectory(platform::nativePath(target))) {
            return;  // a file node is not opened
        }
    }
    setPathText(target);
    txtPathLostFocus();
    if (tree->topLevelItemCount() > 0) {
        tree->setCurrentItem(tree->topLevelItem(0));
    }
}

void FolderSource::treeViewKeyUp(int key) {
    if (ui_.TreeView->topLevelItemCount() == 0) {
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        treeViewDblClick();
    } else if (key == Qt::Key_Backspace) {
        state_.keepListFocus = true;
        cmdParentDirClick();
    }
}

void FolderSource::treeViewRightButtonUp(const QPoint& globalPosition) {
    QTreeWidget* tree = ui_.TreeView;
    if (tree->topLevelItemCount() == 0) {
        return;
    }
    // Only a folder's contents can be added; "[..]" and file nodes leave the item disabled.
    const QTreeWidgetItem* node = tree->currentItem();
    const bool folderNode =
        node && !filelists::isRootNode(node) &&
        platform::fs::isDirectory(platform::nativePath(pathText() + filelists::nodeFullPath(node)));
    ui_.mnuTreeviewAddRecursive->setEnabled(folderNode);
    emit treeMenuRequested(globalPosition);
}

bool FolderSource::filterEvent(QObject* watched, QEvent* event) {
    if (pathBoxEvent(watched, event)) {
        return true;
    }
    if (watched == ui_.txtPattern && !platform::isBusy()) {
        // Switching windows and opening a pop-up neither enter nor leave the box.
        const auto reason = [event] { return static_cast<QFocusEvent*>(event)->reason(); };
        if (event->type() == QEvent::FocusIn && reason() != Qt::ActiveWindowFocusReason &&
            reason() != Qt::PopupFocusReason) {
            txtPatternGotFocus();
        } else if (event->type() == QEvent::FocusOut && reason() != Qt::ActiveWindowFocusReason &&
                   reason() != Qt::PopupFocusReason) {
            leaveKeepingTheClick(event, [this] { txtPatternLostFocus(); });
        }
    } else if (watched == ui_.TreeView && event->type() == QEvent::KeyRelease) {
        treeViewKeyUp(static_cast<QKeyEvent*>(event)->key());
    } else if (watched == ui_.TreeView->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            treeViewRightButtonUp(mouse->globalPosition().toPoint());
        }
    }
    return false;
}

// ---- Include boxes, thumbnails and the tree view box ----

void FolderSource::chkFilesClick() {
    QCheckBox* files = ui_.chkFiles;
    QCheckBox* dirs = ui_.chkDirs;
    // A tab that processes files only keeps "Files" ticked.
    if (!enabledSetting(dirs)) {
        setVbValue(files, 1);
        return;
    }
    if (vbValue(files) == 0 && vbValue(dirs) == 0) {
        setVbValue(dirs, 1);
        return;
    }
    showIncludedKinds();
}

void FolderSource::chkDirsClick() {
    QCheckBox* files = ui_.chkFiles;
    if (vbValue(files) == 0 && vbValue(ui_.chkDirs) == 0) {
        setVbValue(files, 1);
        return;
    }
    showIncludedKinds();
}

// The rows follow the include boxes; the folder is read again only when the path box names
// another folder than the one last read.
void FolderSource::showIncludedKinds() {
    if (pathText() != state_.lastReadPath) {
        readDirectoryStructure();
    }
    updateTreeview();
}

void FolderSource::chkSubClick() {
    readDirectoryStructure();
    updateTreeview();
}

void FolderSource::chkShowTreeviewClick() {
    if (state_.fileMode != Source::Directory) {
        return;
    }
    const bool tree = vbValue(ui_.chkShowTreeview) != 0;
    if (tree && images_.thumbsComplete) {
        // The tree was not built while thumbnails were shown.
        state_.stopPreview();
        readDirectoryStructure();
        updateTreeview();
    }
    QWidget* shown = tree ? static_cast<QWidget*>(ui_.TreeView) : ui_.lwDirectory;
    QWidget* hidden = tree ? static_cast<QWidget*>(ui_.lwDirectory) : ui_.TreeView;
    hidden->setVisible(false);
    shown->setVisible(true);
    shown->raise();
    for (QCheckBox* box : {ui_.chkPreview, ui_.chkThumbnails, ui_.chkOnlyRenameSelected}) {
        box->setEnabled(!tree);
    }
    if (state_.windowReady) {
        shown->setFocus();
    }
}

void FolderSource::chkThumbnailsClick() {
    QCheckBox* box = ui_.chkThumbnails;
    platform::ListView* list = ui_.lwDirectory;
    if (showsPlaceholder(list)) {
        setVbValue(box, 0);
        return;
    }
    if (vbValue(box) != 0) {
        ui_.chkPreview->setEnabled(false);
        list->setView(platform::ListView::View::LargeIcon);
        ui_.chkShowTreeview->setEnabled(false);
        if (!images_.thumbsComplete) {
            state_.stopPreview();
            const FocusKeeper focus(&window_);
            filelists::generateThumbnails(
                {*list, images_, directoryIconOptions(), &window_, status_});
        }
    } else {
        ui_.chkPreview->setEnabled(true);
        list->setView(platform::ListView::View::Report);
        ui_.chkShowTreeview->setEnabled(true);
    }
}

}  // namespace mainwindow
