#include "mainwindow/freeselect.h"

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QHash>
#include <QMimeData>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <iterator>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "engine/log.h"
#include "filelists/imagelist.h"
#include "filelists/rowtext.h"
#include "filelists/scan.h"
#include "filelists/sysicons.h"
#include "filelists/treebuilder.h"
#include "mainwindow/controls.h"
#include "mainwindow/modepanels.h"
#include "mainwindow/sourceswitch.h"
#include "mainwindow/widgetvalues.h"
#include "mainwindow/windowstate.h"
#include "platform/filesystem.h"
#include "platform/localetext.h"
#include "platform/messages.h"
#include "platform/programfolder.h"
#include "platform/stretches.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/filedialog.h"
#include "platform/widgets/listview.h"
#include "settings/programsettings.h"

namespace mainwindow {

namespace {

constexpr char kUriListType[] = "text/uri-list";
constexpr char kAddFilesTitle[] = "Select Files To Add";

// Linux reads "a//b" as "a/b"; one spelling per entry keeps the duplicate test sound.
QString collapseSeparators(const QString& path) {
    if (!path.contains(QLatin1String("//"))) {
        return path;
    }
    QString single;
    single.reserve(path.size());
    for (const QChar c : path) {
        if (c != QLatin1Char('/') || !single.endsWith(QLatin1Char('/'))) {
            single.append(c);
        }
    }
    return single;
}

// The key of an entry: its folder followed by its name, as the row shows them.
QString rowPath(const platform::ListView* list, int row) {
    return list->text(row, filelists::kColumnFolder) + list->text(row, filelists::kColumnName);
}

QString percentText(double part) {
    return QStringLiteral("Adding Files... %1%")
        .arg(static_cast<int>(platform::roundHalfEven(part * 100.0)));
}

// A dropped folder may come with a final "/"; the entry is the folder itself.
QString withoutFinalSlash(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    return path;
}

// What the disk says of one candidate: looked up ahead of the add loop, a stretch of
// candidates at a time by a few threads, since two or three system calls per entry are nearly
// all the work of a large drop.
struct Probe {
    QString path;
    platform::fs::Kind kind = platform::fs::Kind::Missing;
    std::optional<platform::Result<filelists::EntryDetails>> details;
};

constexpr qsizetype kProbeStretch = 4096;
constexpr qsizetype kProbesPerThread = 512;
constexpr unsigned kMostProbeThreads = 8;

void probe(Probe& candidate, bool withDetails) {
    // Only absolute paths: a relative one (a placeholder row's text) would be looked up in
    // whatever folder the program runs in.
    if (!candidate.path.startsWith(QLatin1Char('/'))) {
        return;
    }
    candidate.kind = platform::fs::kindOf(platform::nativePath(candidate.path));
    if (withDetails && (candidate.kind == platform::fs::Kind::File ||
                        candidate.kind == platform::fs::Kind::Directory)) {
        candidate.details = filelists::readEntryDetails(candidate.path);
    }
}

void probeAll(std::vector<Probe>& probes, bool withDetails) {
    const auto stretch = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            probe(probes[i], withDetails);
        }
    };
    platform::forEachStretch(probes.size(), static_cast<std::size_t>(kProbesPerThread),
                             kMostProbeThreads, stretch);
}

// The folder the tree's nodes lie in: the one the last completed read listed (the path box may
// hold an edit not yet committed), else the path box.
QString treeFolder(const WindowState& state, const Controls& ui) {
    QString folder = state.lastReadPath;
    if (folder.isEmpty()) {
        folder = ui.txtPath->currentText();
    }
    return platform::withTrailingSlash(folder);
}

// Takes file drops from outside the list onto lwDragDrop. Rows dragged inside the list are
// left to the list's own commands.
class DropFilter : public QObject {
public:
    DropFilter(FreeSelect& owner, platform::ListView* list) : owner_(owner), list_(list) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
            return false;
        }
        auto* drop = static_cast<QDropEvent*>(event);
        const QMimeData* data = drop->mimeData();
        if (!list_ || watched != list_->viewport() || isFromList(drop) || !data ||
            !data->hasFormat(QString::fromLatin1(kUriListType))) {
            return false;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (type == QEvent::Drop) {
            // The file manager waits for the drop to finish; the adding (and any message box)
            // runs once it has.
            auto* copy = new QMimeData;
            copy->setParent(this);
            copy->setData(QString::fromLatin1(kUriListType),
                          data->data(QString::fromLatin1(kUriListType)));
            QMetaObject::invokeMethod(
                this, [this, copy] { deliver(copy); }, Qt::QueuedConnection);
        }
        return true;
    }

private:
    bool isFromList(const QDropEvent* drop) const {
        const QObject* source = drop->source();
        if (list_->isOwnRowDrag(drop->mimeData())) {
            return true;
        }
        if (!source) {
            return false;
        }
        const auto* widget = qobject_cast<const QWidget*>(source);
        return source == list_ || (widget && list_->isAncestorOf(widget));
    }

    // Not in the middle of other work that yields to the event loop: the drop waits for it.
    void deliver(QMimeData* data) {
        if (platform::isBusy()) {
            QTimer::singleShot(50, this, [this, data] { deliver(data); });
            return;
        }
        owner_.dropMimeData(data);
        delete data;
    }

    FreeSelect& owner_;
    QPointer<platform::ListView> list_;
};

}  // namespace

FreeSelect::FreeSelect(QWidget& window, Controls& ui, WindowState& state,
                       settings::ProgramSettings& settings, filelists::SourceImages& images,
                       filelists::StatusPanels status, ModePanels& modes, SourceSwitch& source)
    : window_(window),
      ui_(ui),
      state_(state),
      settings_(settings),
      images_(images),
      status_(std::move(status)),
      modes_(modes),
      source_(source) {
    platform::ListView* list = ui_.lwDragDrop;
    if (list) {
        dropFilter_ = std::make_unique<DropFilter>(*this, list);
        list->viewport()->installEventFilter(dropFilter_.get());
        list->viewport()->setAcceptDrops(true);
    }
}

void FreeSelect::connectHandlers() {
    QObject::connect(ui_.cmdDragDropAdd, &QAbstractButton::clicked, &window_,
                     [this] { cmdDragDropAddClick(); });
    // The toolbar buttons leave the focus in the list, also where the menu commands gave it
    // to Add Files.
    QObject::connect(ui_.cmdDragDropDel, &QAbstractButton::clicked, &window_, [this] {
        mnuDragdropRemoveClick();
        ui_.lwDragDrop->setFocus();
    });
    QObject::connect(ui_.cmdDragDropClear, &QAbstractButton::clicked, &window_, [this] {
        mnuDragdropClearClick();
        ui_.lwDragDrop->setFocus();
    });
}

// ---- Adding ----

FreeSelect::AddOutcome FreeSelect::addEntries(const QStringList& paths,
                                              const std::function<void(qsizetype)>& before,
                                              bool escapable) {
    AddOutcome outcome;
    platform::ListView* list = ui_.lwDragDrop;
    QStringList& listFiles = state_.files(Source::FreeSelect);
    QStringList& listDirs = state_.dirs(Source::FreeSelect);
    images_.thumbsComplete = false;

    // Duplicates are found by a hash of what the rows show, made once per call.
    bool placeholder = showsPlaceholder(list);
    QSet<QString> listed;
    if (!placeholder) {
        listed.reserve(list->rowCount() + paths.size());
        for (int row = 0; row < list->rowCount(); ++row) {
            listed.insert(rowPath(list, row));
        }
    }
    const bool details = settings_.showAllColumns == 1;
    const filelists::IconOptions icons = filelists::iconOptions(settings_, true);
    QList<platform::ListRow> rows;
    QStringList newFiles;
    QStringList newDirs;
    QElapsedTimer sinceYield;
    sinceYield.start();

    std::vector<Probe> probes;
    for (qsizetype i = 0; i < paths.size() && !outcome.stopped; ++i) {
        const qsizetype inStretch = i % kProbeStretch;
        if (inStretch == 0) {
            probes.resize(static_cast<std::size_t>(std::min(kProbeStretch, paths.size() - i)));
            for (std::size_t k = 0; k < probes.size(); ++k) {
                probes[k] = Probe{collapseSeparators(paths.at(i + static_cast<qsizetype>(k))),
                                  platform::fs::Kind::Missing, std::nullopt};
            }
            probeAll(probes, details);
        }
        if (before) {
            before(i);
        }
        const Probe& candidate = probes[static_cast<std::size_t>(inStretch)];
        const QString& path = candidate.path;
        // Files and folders only: a pipe, device or socket is never an entry.
        const bool isDir = candidate.kind == platform::fs::Kind::Directory;
        if ((isDir || candidate.kind == platform::fs::Kind::File) &&
            !path.endsWith(QLatin1Char('/')) && !listed.contains(path)) {
            const qsizetype count =
                isDir ? listDirs.size() + newDirs.size() : listFiles.size() + newFiles.size();
            if (count >= filelists::kWorkListLimit) {
                outcome.full = true;
            } else if (details && !candidate.details->ok()) {
                // Gone between the two looks, or its details cannot be read.
                engine::logFailure(engine::kFileNotFound, QStringLiteral("dragDropAdd: ") + path);
            } else {
                if (placeholder) {
                    leavePlaceholder();
                    placeholder = false;
                }
                platform::ListRow row;
                row.texts = filelists::rowTexts(path, isDir,
                                                details ? &candidate.details->value() : nullptr);
                int large = 0;
                row.smallImage = filelists::sysIconsFreeSel(path, isDir, images_, icons, large);
                row.largeImage = large;
                rows.append(std::move(row));
                (isDir ? newDirs : newFiles).append(path);
                listed.insert(path);
            }
        }
        outcome.stopped = escapable && platform::EscapeWatch::pressed(sinceYield);
    }

    if (!rows.isEmpty()) {
        list->addRows(rows);
        filelists::attachImages(*list, images_);
    }
    listFiles.append(newFiles);
    if (!newDirs.isEmpty()) {
        // Each folder goes where a sorted insertion would put it, after its equals.
        std::stable_sort(newDirs.begin(), newDirs.end(), filelists::folderOrderLess);
        QStringList merged;
        merged.reserve(listDirs.size() + newDirs.size());
        std::merge(listDirs.cbegin(), listDirs.cend(), newDirs.cbegin(), newDirs.cend(),
                   std::back_inserter(merged), filelists::folderOrderLess);
        listDirs = std::move(merged);
    }
    outcome.added = static_cast<int>(rows.size());
    return outcome;
}

bool FreeSelect::dragDropAdd(const QString& path) {
    return addPaths({path}) > 0;
}

int FreeSelect::addPaths(const QStringList& paths) {
    const AddOutcome outcome = addEntries(paths);
    reportFull(outcome.full);
    return outcome.added;
}

void FreeSelect::refill(const QStringList& files, const QStringList& dirs) {
    platform::ListView* list = ui_.lwDragDrop;
    auto& listFiles = state_.files(Source::FreeSelect);
    auto& listDirs = state_.dirs(Source::FreeSelect);
    list->clear();
    listFiles.clear();
    listDirs.clear();
    const bool details = settings_.showAllColumns == 1;
    const filelists::IconOptions icons = filelists::iconOptions(settings_, true);
    QSet<QString> added;
    QList<platform::ListRow> rows;
    rows.reserve(files.size() + dirs.size());
    for (const QStringList* paths : {&files, &dirs}) {
        for (const QString& path : *paths) {
            // Only what exists is added, each path once; the kind is the disk's.
            const platform::fs::Kind kind = platform::fs::kindOf(platform::nativePath(path));
            const bool isDir = kind == platform::fs::Kind::Directory;
            if ((!isDir && kind != platform::fs::Kind::File) || added.contains(path)) {
                continue;
            }
            const platform::Result<QStringList> texts =
                filelists::readRowTexts(path, isDir, details);
            if (!texts.ok()) {
                continue;
            }
            added.insert(path);
            (isDir ? listDirs : listFiles).append(path);
            platform::ListRow row;
            row.texts = *texts;
            int large = 0;
            row.smallImage = filelists::sysIconsFreeSel(path, isDir, images_, icons, large);
            row.largeImage = large;
            rows.append(row);
        }
    }
    images_.thumbsComplete = false;
    if (rows.isEmpty()) {
        showPlaceholder(list, QString::fromUtf8(kDragDropPlaceholder));
        return;
    }
    list->setFont(window_.font());
    list->setView(vbValue(ui_.chkThumbnailsFreeSelect) != 0 ? platform::ListView::View::LargeIcon
                                                            : platform::ListView::View::Report);
    list->addRows(std::move(rows));
    filelists::attachImages(*list, images_);
}

void FreeSelect::leavePlaceholder() {
    platform::ListView* list = ui_.lwDragDrop;
    list->setView(vbValue(ui_.chkThumbnailsFreeSelect) == 1 ? platform::ListView::View::LargeIcon
                                                            : platform::ListView::View::Report);
    list->setFont(window_.font());
    list->setLabelEdit(platform::ListView::LabelEdit::Manual);
    list->clear();
}

void FreeSelect::enterPlaceholder() {
    platform::ListView* list = ui_.lwDragDrop;
    showPlaceholder(list, QString::fromUtf8(kDragDropPlaceholder));
    ui_.cmdDragDropAdd->setFocus();
    list->clearSelection();
}

void FreeSelect::beginAdding() {
    status_.setText(QStringLiteral("main"), QStringLiteral("Adding Files..."));
    status_.setText(QStringLiteral("selected"), QStringLiteral("Press escape to cancel..."));
    // A press before the adding began is not a wish to stop it.
    platform::EscapeWatch::clear();
    QCoreApplication::processEvents();
}

FreeSelect::AddOutcome FreeSelect::addWithProgress(const QStringList& candidates) {
    beginAdding();
    const double count = static_cast<double>(candidates.size());
    QString shown;
    const AddOutcome outcome = addEntries(
        candidates,
        [&](qsizetype i) {
            const QString text = percentText(static_cast<double>(i + 1) / count);
            if (text != shown) {
                shown = text;
                status_.setText(QStringLiteral("main"), text);
            }
        },
        true);
    makeThumbnails(outcome);
    return outcome;
}

void FreeSelect::makeThumbnails(const AddOutcome& outcome) {
    if (!outcome.stopped && vbValue(ui_.chkThumbnailsFreeSelect) == 1) {
        source_.generateFreeSelectThumbnails();
    }
}

void FreeSelect::writeCounts() {
    status_.setText(QStringLiteral("main"), QStringLiteral("%1 Files, %2 Directories")
                                                .arg(state_.files(state_.fileMode).size())
                                                .arg(state_.dirs(state_.fileMode).size()));
}

void FreeSelect::reportFull(bool full) const {
    if (full) {
        filelists::showTooManyFilesMessage();
    }
}

bool FreeSelect::dropMimeData(const QMimeData* data) {
    const QString uriList = QString::fromLatin1(kUriListType);
    if (!data || !data->hasFormat(uriList)) {
        return false;
    }
    QStringList paths;
    QStringList refused;
    for (const QByteArray& url : platform::uriListEntries(data->data(uriList))) {
        if (const std::optional<QString> path = platform::localPathFromUrl(url)) {
            paths.append(withoutFinalSlash(*path));
        } else {
            refused.append(QString::fromUtf8(url));
        }
    }
    AddOutcome outcome;
    if (!paths.isEmpty()) {
        // A preview pass over the rows must not run on while rows are added.
        state_.previewRunToken = -1;
        std::optional<platform::BusyScope> busy(std::in_place, &window_);
        outcome = addWithProgress(paths);
        if (!outcome.stopped) {
            modes_.optionsChanged();
            state_.previewPending = true;
        }
        writeCounts();
        QCoreApplication::processEvents();
        busy.reset();
        source_.updateSelectedCount(0);
    }
    reportFull(outcome.full);
    if (!refused.isEmpty()) {
        constexpr int kShown = 10;
        QString text = QStringLiteral(
            "Only files and folders on this computer can be added. These items were not "
            "added:\n");
        for (int i = 0; i < refused.size() && i < kShown; ++i) {
            text += QLatin1Char('\n') + refused.at(i);
        }
        if (refused.size() > kShown) {
            text += QStringLiteral("\n(and %1 more)").arg(refused.size() - kShown);
        }
        platform::messages().showMessage(text, state_.appName, platform::MessageIcon::Exclamation,
                                         platform::MessageButtons::Ok);
    }
    return !paths.isEmpty();
}

void FreeSelect::mnuListviewAddClick() {
    const platform::ListView* directory = ui_.lwDirectory;
    const int rowCount = directory->rowCount();
    // Every row is a candidate; an unselected one passes nothing on.
    QStringList candidates;
    candidates.reserve(rowCount);
    QList<int> selected = directory->selectedRows();
    auto next = selected.cbegin();
    for (int row = 0; row < rowCount; ++row) {
        if (next != selected.cend() && *next == row) {
            candidates.append(rowPath(directory, row));
            ++next;
        } else {
            candidates.append(QString());
        }
    }
    AddOutcome outcome;
    {
        const platform::BusyScope busy(&window_);
        outcome = addWithProgress(candidates);
        QCoreApplication::processEvents();
    }
    modes_.optionsChanged();
    // The list counted its selection when the menu closed, before the adding wrote its
    // cancel hint over the count.
    source_.updateSelectedCount(0);
    reportFull(outcome.full);
}

void FreeSelect::mnuTreeviewAddClick() {
    const QTreeWidgetItem* node = ui_.TreeView->currentItem();
    // "[..]" stands for the parent folder, not for an entry named so.
    if (!node || filelists::isRootNode(node)) {
        return;
    }
    const QString folder = treeFolder(state_, ui_);
    const AddOutcome outcome = addEntries({folder + filelists::nodeFullPath(node)});
    makeThumbnails(outcome);
    reportFull(outcome.full);
}

void FreeSelect::mnuTreeviewAddRecursiveClick() {
    QTreeWidget* tree = ui_.TreeView;
    const QTreeWidgetItem* selected = tree->currentItem();
    if (!selected || filelists::isRootNode(selected)) {
        return;
    }
    const QString folder = treeFolder(state_, ui_);
    // Everything below the node, and nothing that merely begins with its name ("Music 2",
    // "Music.txt" beside "Music").
    const QString below = filelists::nodeFullPath(selected) + QLatin1Char('/');
    QSet<QString> inside;
    QStringList treeOrder;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const QString path = filelists::nodeFullPath(*it);
        if (!filelists::isRootNode(*it) && path.startsWith(below)) {
            inside.insert(path);
            treeOrder.append(path);
        }
    }
    // In the order the tree was built: folders as the folder read listed them, then files.
    QStringList candidates;
    candidates.reserve(inside.size());
    for (const QStringList* entries :
         {&state_.dirs(Source::Directory), &state_.files(Source::Directory)}) {
        for (const QString& entry : *entries) {
            if (entry.startsWith(folder)) {
                const QString relative = entry.mid(folder.size());
                if (inside.remove(relative)) {
                    candidates.append(folder + relative);
                }
            }
        }
    }
    for (const QString& path : std::as_const(treeOrder)) {
        if (inside.contains(path)) {
            candidates.append(folder + path);
        }
    }

    AddOutcome outcome;
    {
        const platform::BusyScope busy(&window_);
        beginAdding();
        outcome = addEntries(candidates, {}, true);
        makeThumbnails(outcome);
        QCoreApplication::processEvents();
    }
    source_.updateSelectedCount(0);
    reportFull(outcome.full);
}

void FreeSelect::cmdDragDropAddClick() {
    state_.stopPreview();
    if (settings_.dragDropAddPath.isEmpty()) {
        settings_.dragDropAddPath = ui_.txtPath->currentText();
    }
    if (settings_.dragDropAddPath.size() > 1 &&
        settings_.dragDropAddPath.endsWith(QLatin1Char('/'))) {
        settings_.dragDropAddPath.chop(1);
    }
    const QString start =
        settings_.dragDropAddPath.isEmpty() ? QStringLiteral("/") : settings_.dragDropAddPath;
    const QStringList chosen =
        platform::chooseFilesToOpen(&window_, QString::fromLatin1(kAddFilesTitle), start);
    if (chosen.isEmpty()) {
        return;
    }

    AddOutcome outcome;
    {
        std::optional<platform::BusyScope> busy(std::in_place, &window_);
        beginAdding();
        const filelists::PathParts first = filelists::splitPath(chosen.constFirst());
        if (chosen.size() == 1) {
            outcome = addEntries(chosen);
            settings_.dragDropAddPath = first.folder;
        } else {
            // The folder as a dialog hands it back for several files: without its final "/",
            // except for the root.
            settings_.dragDropAddPath = withoutFinalSlash(first.folder);
            // The progress counts characters of the names, as the dialog's answer is read.
            qsizetype total = 0;
            QList<qsizetype> lengths;
            lengths.reserve(chosen.size());
            for (const QString& path : chosen) {
                lengths.append(filelists::splitPath(path).name.size());
                total += lengths.constLast() + 1;
            }
            qsizetype done = 0;
            QString shown;
            outcome = addEntries(
                chosen,
                [&](qsizetype i) {
                    if (i > 0) {
                        done += lengths.at(i - 1);
                    }
                    const QString text = percentText(static_cast<double>(done) / total);
                    if (text != shown) {
                        shown = text;
                        status_.setText(QStringLiteral("main"), text);
                    }
                },
                true);
        }
        if (!outcome.stopped) {
            makeThumbnails(outcome);
            modes_.optionsChanged();
            state_.previewPending = true;
        }
        writeCounts();
        QCoreApplication::processEvents();
        busy.reset();
    }
    ui_.lwDragDrop->setFocus();
    source_.updateSelectedCount(0);
    reportFull(outcome.full);
}

// ---- Removing ----

namespace {

// Which selected rows go, with the work-list entries they take, and which stay.
struct Removal {
    QHash<QString, int> takeFiles;
    QHash<QString, int> takeDirs;
    QList<int> removed;
    QList<int> kept;
};

// Each selected row takes the first work-list entry equal to its path, files before folders;
// a row whose path is in neither list stays, still selected.
Removal planRemoval(const platform::ListView* list, const QStringList& listFiles,
                    const QStringList& listDirs) {
    QHash<QString, int> fileCounts;
    QHash<QString, int> dirCounts;
    const QList<int> selected = list->selectedRows();
    if (!selected.isEmpty()) {
        for (const QString& path : listFiles) {
            ++fileCounts[path];
        }
        for (const QString& path : listDirs) {
            ++dirCounts[path];
        }
    }
    Removal removal;
    for (const int row : selected) {
        const QString path = rowPath(list, row);
        if (fileCounts.value(path) > 0) {
            --fileCounts[path];
            ++removal.takeFiles[path];
            removal.removed.append(row);
        } else if (dirCounts.value(path) > 0) {
            --dirCounts[path];
            ++removal.takeDirs[path];
            removal.removed.append(row);
        } else {
            removal.kept.append(row);
        }
    }
    return removal;
}

// Takes out of `entries` as many of each text as `take` counts, the first ones first.
void takeEntries(QStringList& entries, QHash<QString, int>& take) {
    if (take.isEmpty()) {
        return;
    }
    QStringList left;
    left.reserve(entries.size());
    for (QString& entry : entries) {
        auto found = take.find(entry);
        if (found != take.end() && found.value() > 0) {
            --found.value();
        } else {
            left.append(std::move(entry));
        }
    }
    entries = std::move(left);
}

// A few rows go one by one; many at once are taken out in one rebuild of the rows, as
// removing rows singly moves the rest of the list each time. The kept rows stay selected.
void removeRows(platform::ListView* list, const QList<int>& removed, const QList<int>& kept) {
    constexpr qsizetype kSingleRemovals = 32;
    if (removed.size() <= kSingleRemovals) {
        for (auto row = removed.crbegin(); row != removed.crend(); ++row) {
            list->removeRow(*row);
        }
        return;
    }
    QList<platform::ListRow> rows;
    rows.reserve(list->rowCount() - removed.size());
    QList<int> keptAt;
    auto gone = removed.cbegin();
    auto stays = kept.cbegin();
    for (int row = 0; row < list->rowCount(); ++row) {
        if (gone != removed.cend() && *gone == row) {
            ++gone;
            continue;
        }
        if (stays != kept.cend() && *stays == row) {
            keptAt.append(static_cast<int>(rows.size()));
            ++stays;
        }
        rows.append(list->row(row));
    }
    list->clear();
    list->addRows(std::move(rows));
    for (const int row : std::as_const(keptAt)) {
        list->selectRow(row);
    }
}

}  // namespace

void FreeSelect::mnuDragdropRemoveClick() {
    state_.stopPreview();
    platform::ListView* list = ui_.lwDragDrop;
    Removal removal =
        planRemoval(list, state_.files(Source::FreeSelect), state_.dirs(Source::FreeSelect));
    takeEntries(state_.files(Source::FreeSelect), removal.takeFiles);
    takeEntries(state_.dirs(Source::FreeSelect), removal.takeDirs);
    removeRows(list, removal.removed, removal.kept);
    if (list->rowCount() == 0) {
        enterPlaceholder();
    } else {
        list->setFocus();
    }
    modes_.optionsChanged();
    source_.updateSelectedCount(0);
}

void FreeSelect::mnuDragdropClearClick() {
    state_.stopPreview();
    platform::ListView* list = ui_.lwDragDrop;
    {
        const platform::BusyScope busy(&window_);
        status_.setText(QStringLiteral("main"), QStringLiteral("Clearing..."));
        list->clear();
        state_.dirs(Source::FreeSelect).clear();
        state_.files(Source::FreeSelect).clear();
        modes_.optionsChanged();
        if (settings_.cacheIcons == 0) {
            filelists::initSysIconsFreeSel(images_, filelists::largeImageSize(settings_), list);
        }
    }
    enterPlaceholder();
    source_.updateSelectedCount(0);
}

}  // namespace mainwindow
