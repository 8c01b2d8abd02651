#include "runs/runwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

#include "platform/folderlist.h"
#include "platform/messages.h"
#include "platform/textfile.h"
#include "platform/widgets/outerminimum.h"
#include "settings/conversions.h"
#include "settings/programsettings.h"

namespace runs {

namespace {

// The window's layout and its stored geometry are in twips, as the settings keep them.
constexpr int kTwipsPerPixel = 15;
constexpr int kMinimumWidth = 370;
constexpr int kMinimumHeight = 194;
// How often a run lets the window repaint and answer Cancel: often enough to feel live, rare
// enough that painting costs little against the renaming itself.
constexpr qint64 kYieldEveryMs = 50;

int pixels(int twips) {
    return qRound(twips / static_cast<double>(kTwipsPerPixel));
}

qint16 twips16(int pixelValue) {
    return settings::clampToInt16(static_cast<long long>(pixelValue) * kTwipsPerPixel);
}

class QtSaveFileDialog : public SaveFileService {
public:
    QString chooseSaveFile(QWidget* owner, const QString& title, const QString& startPath,
                           const QString& filter, const QString& defaultSuffix) override {
        // The dialog keeps its question before an existing file is replaced.
        QFileDialog dialog(owner, title, startPath, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return {};
        }
        return dialog.selectedFiles().constFirst();
    }
};

QtSaveFileDialog g_qtSaveDialog;
SaveFileService* g_saveService = nullptr;

}  // namespace

void setSaveFileService(SaveFileService* service) {
    g_saveService = service;
}

SaveFileService& saveFileService() {
    return g_saveService ? *g_saveService : g_qtSaveDialog;
}

RunWindow::RunWindow(RunState& state, settings::ProgramSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), settings_(settings) {
    setObjectName(QStringLiteral("frmExecute"));
    setWindowTitle(QStringLiteral("Log"));
    platform::keepOuterMinimumSize(this, QSize(kMinimumWidth, kMinimumHeight));

    log_ = new QListWidget(this);
    log_->setObjectName(QStringLiteral("lstLog"));
    // Tens of thousands of lines: one height for all keeps adding and scrolling cheap.
    log_->setUniformItemSizes(true);
    log_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Lines as wide as the first one show whole; a longer line (a warning and its reason)
    // reads whole in its tooltip.
    log_->viewport()->installEventFilter(this);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("Progress"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);

    auto label = [this](const char* name, const char* text) {
        auto* created = new QLabel(QString::fromUtf8(text), this);
        created->setObjectName(QString::fromUtf8(name));
        return created;
    };
    files_ = label("lblInfo_Files", "0 Files Renamed.");
    dirs_ = label("lblInfo_Dirs", "0 Directories Renamed.");
    warnings_ = label("lblInfo_Skipped", "0 Warnings.");

    auto button = [this](const char* name, const char* text) {
        auto* created = new QPushButton(QString::fromUtf8(text), this);
        created->setObjectName(QString::fromUtf8(name));
        created->setAutoDefault(false);
        return created;
    };
    saveLog_ = button("cmdSaveLog", "Save Log...");
    close_ = button("cmdClose", "Close");
    cancel_ = button("cmdCancel", "Cancel");
    close_->setDefault(true);

    // Tab order: Close, Save Log, the labels, the bar, the list, Cancel.
    setTabOrder(close_, saveLog_);
    setTabOrder(saveLog_, log_);
    setTabOrder(log_, cancel_);

    connect(cancel_, &QPushButton::clicked, this, [this] { state_.cancelRequested = true; });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    connect(saveLog_, &QPushButton::clicked, this, [this] { saveLog(); });

    // An undo processes exactly the journal; a run's driver sets the range after opening.
    if (state_.undoInProgress) {
        setProgressMaximum(state_.lastRunFileCount + state_.lastRunDirCount);
    }
    applySavedGeometry();
    layoutControls();
}

RunWindow::~RunWindow() = default;

void RunWindow::applySavedGeometry() {
    move(pixels(settings_.Execute_Left), pixels(settings_.Execute_Top));
    resize(std::max(pixels(settings_.Execute_Width), kMinimumWidth),
           std::max(pixels(settings_.Execute_Height), kMinimumHeight));
}

void RunWindow::open() {
    switch (settings_.frmexecute_maximized) {
        case 2:
            showMaximized();
            break;
        case 1:
            showMinimized();
            break;
        default:
            showNormal();
            break;
    }
}

// The controls keep their design places relative to the right and bottom edges (design client
// area 4380 x 3450 twips); below a usable size they shrink to nothing rather than turn negative.
void RunWindow::layoutControls() {
    const int clientWidth = width() * kTwipsPerPixel;
    const int clientHeight = height() * kTwipsPerPixel;
    auto place = [](QWidget* widget, int left, int top, int w, int h) {
        widget->setGeometry(pixels(left), pixels(top), pixels(std::max(w, 0)),
                            pixels(std::max(h, 0)));
    };
    place(log_, 120, 120, clientWidth - 285, clientHeight - 1440);
    place(progress_, 120, clientHeight - 1170, clientWidth - 285, 255);
    place(files_, 120, clientHeight - 810, 2175, 255);
    place(dirs_, 120, clientHeight - 570, 2175, 255);
    place(warnings_, 120, clientHeight - 330, 2175, 255);
    const int closeLeft = clientWidth - 1620;
    place(close_, closeLeft, clientHeight - 810, 1335, 495);
    place(saveLog_, closeLeft - 1440, clientHeight - 810, 1335, 495);
    cancel_->setGeometry(close_->geometry());
}

void RunWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

// Lines join the list once per yield, in one insertion: added one by one, every line cost
// the list a change notification no one could see before the next repaint.
bool RunWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == log_->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const QListWidgetItem* item = log_->itemAt(help->pos())) {
            QToolTip::showText(help->globalPos(), item->text(), log_->viewport());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void RunWindow::addLine(const QString& line) {
    pendingLines_.append(line);
    scrollPending_ = true;
}

void RunWindow::showPendingLines() const {
    if (!pendingLines_.isEmpty()) {
        log_->addItems(pendingLines_);
        pendingLines_.clear();
    }
}

// A label relays itself out on every new text; during a run the counts show once per yield
// like the bar, and the last ones always show.
void RunWindow::setFilesCount(int count, const QString& suffix) {
    pendingFiles_ = {true, count, suffix};
    if (!sinceYield_.isValid()) {
        showCounts();
    }
}

void RunWindow::setDirsCount(int count, const QString& suffix) {
    pendingDirs_ = {true, count, suffix};
    if (!sinceYield_.isValid()) {
        showCounts();
    }
}

void RunWindow::PendingCount::showIn(QLabel* label) {
    if (waiting) {
        label->setText(QString::number(count) + suffix);
        waiting = false;
    }
}

void RunWindow::showCounts() {
    pendingFiles_.showIn(files_);
    pendingDirs_.showIn(dirs_);
}

void RunWindow::setWarningCount(int count) {
    warnings_->setText(QString::number(count) + QStringLiteral(" Warnings."));
}

void RunWindow::setProgressMaximum(int maximum) {
    // A range of 0 to 0 would show the bar's busy animation; an empty run shows an empty bar.
    progressMaximum_ = std::max(maximum, 0);
    progressValue_ = 0;
    progress_->setRange(0, std::max(maximum, 1));
    progress_->setValue(0);
}

void RunWindow::setProgressValue(int value) {
    progressValue_ = std::clamp(value, 0, progressMaximum());
    // The bar repaints itself at once on every change; once per yield is all the eye can see,
    // and the last step always shows.
    if (progressValue_ == progressMaximum() || progressValue_ == 0 || !sinceYield_.isValid() ||
        sinceYield_.elapsed() >= kYieldEveryMs) {
        progress_->setValue(progressValue_);
    }
}

int RunWindow::progressValue() const {
    return progressValue_;
}

int RunWindow::progressMaximum() const {
    return progressMaximum_;
}

void RunWindow::flushScroll() {
    showPendingLines();
    if (scrollPending_) {
        scrollPending_ = false;
        log_->scrollToBottom();
    }
}

void RunWindow::processEvents() {
    if (sinceYield_.isValid() && sinceYield_.elapsed() < kYieldEveryMs) {
        return;
    }
    progress_->setValue(progressValue_);
    showCounts();
    flushScroll();
    QCoreApplication::processEvents();
    sinceYield_.start();
}

void RunWindow::setStatus(const QString& caption) {
    setWindowTitle(caption);
}

void RunWindow::showRunning() {
    close_->setEnabled(false);
    close_->setVisible(false);
    cancel_->setEnabled(true);
    cancel_->setVisible(true);
    cancel_->raise();
    cancel_->setFocus();
    saveLog_->setEnabled(false);
}

void RunWindow::showUndoRunning() {
    close_->setEnabled(false);
    close_->setVisible(true);
    cancel_->setEnabled(false);
    cancel_->setVisible(false);
    saveLog_->setEnabled(false);
}

void RunWindow::disableCancel() {
    cancel_->setEnabled(false);
}

void RunWindow::showFinished(bool saveLogEnabled) {
    progress_->setValue(progressValue_);
    showCounts();
    flushScroll();
    cancel_->setEnabled(false);
    cancel_->setVisible(false);
    close_->setEnabled(true);
    close_->setVisible(true);
    close_->raise();
    saveLog_->setEnabled(saveLogEnabled);
    close_->setFocus();
}

QStringList RunWindow::lines() const {
    QStringList all;
    showPendingLines();
    all.reserve(log_->count());
    for (int i = 0; i < log_->count(); ++i) {
        all.append(log_->item(i)->text());
    }
    return all;
}

int RunWindow::lineCount() const {
    showPendingLines();
    return log_->count();
}

bool RunWindow::saveLog() {
    const QString path =
        saveFileService().chooseSaveFile(this, QString::fromUtf8(kSaveLogTitle), lastSavePath_,
                                         QString::fromUtf8(kSaveLogFilter), QStringLiteral("txt"));
    if (path.isEmpty()) {
        return false;
    }
    // The dialog starts from its own text of the path next time; the file is written under
    // the name's real bytes.
    lastSavePath_ = path;
    const auto target = platform::pathFromQtFileName(path);
    if (!target || !platform::writeLines(*target, lines(), platform::TextEncoding::Utf8).ok()) {
        QString text = QString::fromUtf8(kSaveLogFailed);
        if (!target) {
            text += QStringLiteral("\n\n") + QString::fromStdString(target.reason());
        }
        platform::messages().showMessage(text, QStringLiteral("Error!"),
                                         platform::MessageIcon::Critical,
                                         platform::MessageButtons::Ok);
        return false;
    }
    return true;
}

void RunWindow::keyPressEvent(QKeyEvent* event) {
    // Close is both the default and the cancel button: Enter and Escape press it while it is
    // enabled. Enter on another focused button presses that one.
    switch (event->key()) {
        case Qt::Key_Escape:
            if (close_->isEnabled() && close_->isVisible()) {
                close_->click();
            }
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            auto* focused = qobject_cast<QPushButton*>(focusWidget());
            QPushButton* target = focused ? focused : close_;
            if (target->isEnabled() && target->isVisible()) {
                target->click();
            }
            event->accept();
            return;
        }
        default:
            QWidget::keyPressEvent(event);
    }
}

void RunWindow::storeGeometry() {
    const Qt::WindowStates states = windowState();
    int shown = 0;
    if (states & Qt::WindowMinimized) {
        shown = 1;
    } else if (states & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        shown = 2;
    } else {
        settings_.Execute_Top = twips16(pos().y());
        settings_.Execute_Left = twips16(pos().x());
        settings_.Execute_Width = twips16(width());
        settings_.Execute_Height = twips16(height());
    }
    settings_.frmexecute_maximized = static_cast<qint16>(shown);
}

void RunWindow::closeEvent(QCloseEvent* event) {
    // No close while an operation runs, whoever asks: the run reads this window to the end.
    if (state_.operationRunning) {
        event->ignore();
        return;
    }
    event->accept();
    if (closed_) {
        return;
    }
    closed_ = true;
    storeGeometry();
    if (onClosed) {
        // The window may be deleted on close; the hook runs on a copy.
        const std::function<void()> closedHook = onClosed;
        closedHook();
    }
}

}  // namespace runs
