#include "mainwindow/frmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <string>

#include "engine/log.h"
#include "filelists/sysicons.h"
#include "mainwindow/contextmenus.h"
#include "mainwindow/dialogs/about.h"
#include "mainwindow/dialogs/getposition.h"
#include "mainwindow/dialogs/settingsdialog.h"
#include "mainwindow/foldersource.h"
#include "mainwindow/freeselect.h"
#include "mainwindow/inputvalues.h"
#include "mainwindow/listcommands.h"
#include "mainwindow/modepanels.h"
#include "mainwindow/optionpanels.h"
#include "mainwindow/runcontroller.h"
#include "mainwindow/sourceswitch.h"
#include "mainwindow/windowkeys.h"
#include "orvane/com/interfaces.h"
#include "platform/com/activation.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/outerminimum.h"
#include "settings/conversions.h"
#include "settings/loader.h"
#include "settings/store.h"

namespace mainwindow {

// The identifiers come from the library's interface header: the program shares its
// declarations, never its code (the library is loaded through its registration).
const com::CLSID kMp3LibraryClass = orvane::CLSID_cMP3File;
const com::IID kMp3LibraryInterface = orvane::IID__cMP3File;

namespace {

// The smallest size the user can drag the window to, in pixels.
constexpr int kMinimumWidth = 550;
constexpr int kMinimumHeight = 528;
// The window's inputs are laid out in twips for a font of this height.
constexpr int kFontPixelSize = 11;

// The window whose Escape presses the application's watch latches.
const QWidget* g_escapeOwner = nullptr;

// F1, F5 and F12 act wherever the focus is in the main window and whatever the modifiers; the
// key still reaches the focused input. Watches the application's key presses for the window.
class KeyWatch : public QObject {
public:
    explicit KeyWatch(FrmMain* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_F1 && key != Qt::Key_F5 && key != Qt::Key_F12) {
            return false;
        }
        // A key press travels from the focused input up to the window; it counts once.
        const QWidget* focus = QApplication::focusWidget();
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == window_ &&
            (widget == focus || (!focus && widget == window_))) {
            FrmMain* window = window_;
            QMetaObject::invokeMethod(
                window,
                [window, key] {
                    // In this order, each on its own key.
                    if (key == Qt::Key_F1) {
                        window->windowKeys().formKeyF1();
                    } else if (key == Qt::Key_F5) {
                        window->runController().formKeyF5();
                    } else {
                        window->windowKeys().formKeyF12();
                    }
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    FrmMain* window_;
};

// A window whose title bar shows on no screen (the monitor it was on is gone) cannot be moved
// back by the user; it goes to the primary screen, keeping its size where that fits.
QRect onSomeScreen(const QRect& window) {
    constexpr int kTitleBarHeight = 24;
    const QRect titleBar(window.left(), window.top(), window.width(), kTitleBarHeight);
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(titleBar)) {
            return window;
        }
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) {
        return window;
    }
    const QRect area = primary->availableGeometry();
    const QSize size = window.size().boundedTo(area.size());
    return {area.topLeft(), size};
}

}  // namespace

// ---- Construction ----

FrmMain::FrmMain(const QStringList& arguments, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(state_.appName);
    describeCheckBoxesByTheirState();
    QFont windowFont = font();
    // The layout is measured for a font with the widths of the classic sans-serif faces;
    // where none of them is installed the desktop's own font stands in.
    windowFont.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                            QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                            QStringLiteral("Helvetica"), windowFont.family()});
    windowFont.setPixelSize(kFontPixelSize);
    setFont(windowFont);

    buildControls();
    buildMenus();
    const QStringList missing = ui_.fill(controls_);
    Q_ASSERT_X(missing.isEmpty(), "FrmMain", qPrintable(missing.join(QLatin1Char(' '))));
    // Each part gets what it works on; the parts that others call come first.
    sourceSwitch_ = std::make_unique<SourceSwitch>(*this, ui_, state_, settings_, freeSelImages_,
                                                   panelAccess());
    folderSource_ = std::make_unique<FolderSource>(*this, ui_, state_, runState_, settings_,
                                                   dirImages_, panelAccess(), *sourceSwitch_);
    modePanels_ = std::make_unique<ModePanels>(
        *this, ui_, state_, settings_, lists_, *sourceSwitch_, panelAccess(),
        [this] { return mp3Library(); }, [this] { rememberPosition(); });
    freeSelect_ = std::make_unique<FreeSelect>(*this, ui_, state_, settings_, freeSelImages_,
                                               panelAccess(), *modePanels_, *sourceSwitch_);
    runController_ = std::make_unique<RunController>(
        *this, ui_, state_, runState_, settings_, dirImages_, freeSelImages_, panelAccess(),
        *modePanels_, *sourceSwitch_, *folderSource_, *freeSelect_);
    inputValues_ = std::make_unique<InputValues>(ui_, controls_);
    windowKeys_ = std::make_unique<WindowKeys>(*this, ui_, state_, runState_, settings_, lists_,
                                               *inputValues_, *folderSource_);
    optionPanels_ = std::make_unique<OptionPanels>(ui_, controls_, state_, lists_);
    listCommands_ = std::make_unique<ListCommands>(*this, ui_, state_, *modePanels_, *sourceSwitch_,
                                                   *folderSource_, *freeSelect_);
    contextMenus_ =
        std::make_unique<ContextMenus>(*this, ui_, controls_, *modePanels_, *sourceSwitch_,
                                       *folderSource_, *freeSelect_, *listCommands_);
    connectHandlers();
    // Escape cancels a long read only while this window is the active one.
    platform::EscapeWatch::install(this);
    g_escapeOwner = this;
    formLoad(arguments);
}

FrmMain::~FrmMain() {
    // The children outlive this part of the window and send focus and hide events as they go;
    // none of them may reach the handlers, whose controllers are gone by then.
    QList<QObject*> watched(controls_.begin(), controls_.end());
    watched << client_;
    if (ui_.txtPath && ui_.txtPath->lineEdit()) {
        watched << ui_.txtPath->lineEdit();
    }
    if (ui_.TreeView) {
        watched << ui_.TreeView->viewport();
    }
    for (QObject* object : std::as_const(watched)) {
        object->removeEventFilter(this);
        QObject::disconnect(object, nullptr, this, nullptr);
    }
    if (g_escapeOwner == this) {
        platform::EscapeWatch::uninstall();
        g_escapeOwner = nullptr;
    }
    if (keyWatch_) {
        QCoreApplication::instance()->removeEventFilter(keyWatch_);
    }
}

runs::RunWindow* FrmMain::runWindow() const {
    return runController_->runWindow();
}

// ---- Wiring ----

void FrmMain::connectHandlers() {
    // Each controller connects its own controls. The order matters where two handlers share a
    // signal: the option couplings run before the validation, and the include boxes read and
    // rebuild before the validation follows their values, so the revalidation comes last.
    runController_->connectHandlers();
    optionPanels_->connectHandlers();
    // What one part tells and the validation follows.
    const auto validate = [this] { modePanels_->optionsChanged(); };
    connect(optionPanels_.get(), &OptionPanels::optionsChanged, this, validate);
    connect(sourceSwitch_.get(), &SourceSwitch::sourceChanged, this, validate);
    connect(sourceSwitch_.get(), &SourceSwitch::selectionCounted, this, validate);
    connect(folderSource_.get(), &FolderSource::folderRead, this, validate);
    connect(runController_.get(), &RunController::runFinished, this, validate);
    connect(folderSource_.get(), &FolderSource::treeMenuRequested, this,
            [this](QPoint at) { contextMenus_->popupTreeview(at); });
    connect(listCommands_.get(), &ListCommands::menuRequested, this,
            [this](platform::ListView* list, QPoint at) { contextMenus_->popupFor(list, at); });
    listCommands_->connectHandlers();
    contextMenus_->connectHandlers();
    freeSelect_->connectHandlers();
    windowKeys_->connectHandlers();
    modePanels_->connectHandlers();
    sourceSwitch_->connectHandlers();
    folderSource_->connectHandlers();
    modePanels_->connectRevalidation(controls_);

    // The window's own buttons: the dialogs it opens.
    const std::pair<QToolButton*, PositionButton> positionButtons[] = {
        {ui_.cmdAddGetPosition, PositionButton::AddGetPosition},
        {ui_.cmdCropGetPosition, PositionButton::CropGetPosition},
        {ui_.cmdReplaceGetPosition, PositionButton::ReplaceGetPosition},
        {ui_.cmdReplaceGetString, PositionButton::ReplaceGetString},
    };
    for (const auto& [button, which] : positionButtons) {
        connect(button, &QToolButton::clicked, this,
                [this, which = which] { openPositionPicker(ui_, state_, which); });
    }
    connect(ui_.cmdAbout, &QPushButton::clicked, this, [this] {
        // Only once start-up has finished.
        if (!state_.windowReady) {
            return;
        }
        AboutBox box(state_.appName, state_.appVersion, runState_.totNumberOfFilesRenamedNew,
                     runState_.totNumberOfDirsRenamedNew);
        box.exec();
    });
    connect(ui_.cmdSettings, &QPushButton::clicked, this, [this] {
        if (!state_.windowReady) {
            return;
        }
        showSettingsDialog(settingsDialogParts());
        sourceSwitch_->updateSelectedCount(-1);
        modePanels_->optionsChanged();
        state_.previewPending = true;
    });
    // Straight to the list's tab; the dialog's "Ok" reads the folder again itself if needed.
    connect(ui_.cmdExceptionsEdit, &QToolButton::clicked, this,
            [this] { showSettingsDialog(settingsDialogParts(), QStringLiteral("exceptions")); });
    connect(ui_.cmdReplaceEdit, &QToolButton::clicked, this,
            [this] { showSettingsDialog(settingsDialogParts(), QStringLiteral("batchreplace")); });
    keyWatch_ = new KeyWatch(this);
    QCoreApplication::instance()->installEventFilter(keyWatch_);

    // The keys, focus and mouse of the path box, the pattern box and the tree come here first
    // (eventFilter) and go to the Directory source.
    ui_.txtPath->installEventFilter(this);
    if (ui_.txtPath->lineEdit()) {
        ui_.txtPath->lineEdit()->installEventFilter(this);
    }
    ui_.txtPattern->installEventFilter(this);
    ui_.TreeView->installEventFilter(this);
    ui_.TreeView->viewport()->installEventFilter(this);
}

SettingsDialogParts FrmMain::settingsDialogParts() {
    return {*this, settings_, state_.settingsTabIndex, lists_,
            [this](const SettingsInputs& inputs) { applySettings(inputs); }};
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (!folderSource_) {
        // Still being built.
    } else if (watched == client_ && event->type() == QEvent::Resize) {
        sourceSwitch_->layoutFileSource();
    } else if (event->type() == QEvent::MouseButtonRelease && frameOptions_.contains(watched)) {
        // A click on a free part of an option's frame chooses that option.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* frame = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            frame->rect().contains(mouse->position().toPoint())) {
            frameOptions_.value(watched)->setChecked(true);
        }
    } else if (folderSource_->filterEvent(watched, event)) {
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Start-up ----

void FrmMain::formLoad(const QStringList& arguments) {
    // The window cannot be dragged smaller than this.
    state_.subclassEnabled = true;
    platform::keepOuterMinimumSize(this, QSize(kMinimumWidth, kMinimumHeight));

    state_.windowReady = false;

    // The loader's writes run the controls' handlers; until windowReady they only adjust
    // other controls and flags.
    const settings::SettingsStore store;
    settings::LoadInput input;
    input.arguments = arguments;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        input.screenTwips = screen->size() * kTwipsPerPixel;
    }
    input.today = QDate::currentDate();
    input.now = QTime::currentTime();
    input.programFolder = platform::programFolder();
    settings::LoadedState loaded = settings::loadSettings(store, *this, input);
    settings_ = std::move(loaded.settings);
    runState_.totNumberOfFilesRenamedNew = settings_.totNumberOfFilesRenamedNew;
    runState_.totNumberOfDirsRenamedNew = settings_.totNumberOfDirsRenamedNew;
    lists_ = std::move(loaded.lists);
    state_.cmdExecMode = loaded.commandLine.cmdExecMode;
    state_.cmdAutoExit = loaded.commandLine.cmdAutoExit;
    state_.startPath = loaded.commandLine.startPath;
    state_.exitSwitchGiven = loaded.commandLine.exitSwitchGiven;
    state_.givenFolder = loaded.commandLine.givenFolder;

    setWindowTitle(state_.appName + QLatin1Char(' ') + state_.appVersion +
                   QStringLiteral(" - Press F1 for Help"));
    state_.previewDoEventsEvery = 5;
    applySavedGeometry();
    applyColumns();

    for (platform::ListView* list : {ui_.lwDirectory, ui_.lwDragDrop}) {
        list->setFullRowSelect(settings_.lwFullRowSelect == 1);
    }
    for (platform::ListView* list : {ui_.lwDirectory, ui_.lwDragDrop}) {
        list->setGridLines(settings_.lwShowGuidelines == 1);
    }

    ui_.txtPath->setEditText(state_.startPath);
    // The simulation box's handler wrote "Sim. Rename!" while loading; start-up settles the
    // caption for the whole run.
    ui_.cmdExecute->setText(runState_.simulationMode ? QStringLiteral("Sim. Rename")
                                                     : QStringLiteral("Rename!"));

    // The mode tab handler does nothing before the first activation, so the saved tab's
    // frame is brought forward here.
    modePanels_->showSelectedFrame();

    fillTokenPickers();
    showPlaceholder(ui_.lwDragDrop, QString::fromUtf8(kDragDropPlaceholder));
    fillPathHistory();
    createMp3Library();
    state_.settingsTabIndex = 1;
}

void FrmMain::applySavedGeometry() {
    const QRect saved = onSomeScreen(
        QRect(twipsToPixels(settings_.Main_Left), twipsToPixels(settings_.Main_Top),
              twipsToPixels(settings_.Main_Width), twipsToPixels(settings_.Main_Height)));
    move(saved.topLeft());
    resize(saved.size());
    // The saved size is the outer size; the frame is known once the window is shown.
    outerSizeToSettle_ = saved.size();
    if (settings_.Main_Maximized == 2) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else if (settings_.Main_Maximized == 1) {
        setWindowState(windowState() | Qt::WindowMinimized);
    }
}

void FrmMain::applyColumns() {
    for (platform::ListView* list : {ui_.lwDirectory, ui_.lwDragDrop}) {
        const auto& widths =
            list == ui_.lwDirectory ? settings_.dirColWidth : settings_.dragColWidth;
        for (int column = 0; column < kBaseColumnCount; ++column) {
            list->setColumnWidth(column, twipsToPixels(widths[column]));
        }
    }
    if (settings_.showAllColumns == 1) {
        showDetailColumns(true);
    }
}

void FrmMain::showDetailColumns(bool shown) {
    const std::span<const ColumnDef> columns = listColumns();
    for (platform::ListView* list : {ui_.lwDirectory, ui_.lwDragDrop}) {
        const auto& widths =
            list == ui_.lwDirectory ? settings_.dirColWidth : settings_.dragColWidth;
        for (size_t column = kBaseColumnCount; column < columns.size(); ++column) {
            const QString key = QString::fromUtf8(columns[column].key);
            if (!shown) {
                list->removeColumn(key);
                continue;
            }
            // The last column only holds the sort key of the size column: never shown.
            const int width = column < widths.size() ? twipsToPixels(widths[column]) : 0;
            list->addColumn(QString::fromUtf8(columns[column].text), key, width);
        }
    }
}

void FrmMain::fillTokenPickers() {
    for (const TokenPickerDef& picker : tokenPickers()) {
        control<QComboBox>(QString::fromUtf8(picker.picker))->addItems(picker.entries());
    }
}

void FrmMain::fillPathHistory() {
    QComboBox* path = ui_.txtPath;
    // Adding to the list must leave the box's text alone, as it does for the user.
    const QString text = path->currentText();
    const QSignalBlocker blocker(path);
    const qsizetype upperBound = settings_.pathHistory.size() - 1;
    for (qsizetype i = 0; i < upperBound; ++i) {
        const QString& entry = settings_.pathHistory.at(i);
        if (!entry.isEmpty()) {
            path->addItem(entry);
        }
    }
    path->setCurrentIndex(-1);
    path->setEditText(text);
}

void FrmMain::createMp3Library() {
    state_.mp3LibraryMissing = false;
    std::string reason;
    const com::HRESULT result =
        com::createInstance(kMp3LibraryClass, kMp3LibraryInterface, mp3Library_.put(), &reason);
    if (com::succeeded(result) && mp3Library_) {
        return;
    }
    mp3Library_.reset();
    engine::ErrorInfo error = engine::kCannotCreateObject;
    if (!reason.empty()) {
        error.description += QStringLiteral(": ") + QString::fromStdString(reason);
    }
    engine::logFailure(error, QStringLiteral("MP3 Init: Failed to initialize Orvane Mp3 Library!"));
    state_.mp3LibraryMissing = true;
}

// ---- First activation ----

void FrmMain::settleOuterSize() {
    const QWindow* handle = windowHandle();
    if (!outerSizeToSettle_ || !handle || windowState() != Qt::WindowNoState) {
        return;
    }
    const QMargins frame = handle->frameMargins();
    if (frame.isNull()) {
        return;  // not framed yet
    }
    const QSize outer = *outerSizeToSettle_;
    outerSizeToSettle_.reset();
    resize(outer.width() - frame.left() - frame.right(),
           outer.height() - frame.top() - frame.bottom());
}

void FrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    settleOuterSize();
    if (!state_.windowReady) {
        // Finish start-up once the window is on screen, as its first activation.
        QMetaObject::invokeMethod(this, &FrmMain::formActivate, Qt::QueuedConnection);
    }
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // Refused without a word while a read, a build or a run shows the hourglass; the user can
    // close once it is done.
    if (!windowKeys_->queryUnload()) {
        event->ignore();
        return;
    }
    windowKeys_->formUnload();
    QMainWindow::closeEvent(event);
}

void FrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    settleOuterSize();
    windowKeys_->formResize();
}

void FrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        windowKeys_->formResize();
    }
}

bool FrmMain::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate && !state_.windowReady) {
        formActivate();
    }
    return handled;
}

void FrmMain::formActivate() {
    if (state_.windowReady) {
        return;
    }
    state_.windowReady = true;

    filelists::initSysIconsFreeSel(freeSelImages_, filelists::largeImageSize(settings_),
                                   ui_.lwDragDrop);

    // Offer the tree view only when the setting allows it.
    QCheckBox* showTree = ui_.chkShowTreeview;
    if (settings_.enableTreeview != 0) {
        showTree->setVisible(true);
    } else {
        setVbValue(showTree, 0);
        showTree->setVisible(false);
    }

    modePanels_->tabStripClick();
    sourceSwitch_->tabStripFilemodeClick();

    // The first folder read; an empty path box shows the placeholder row instead.
    folderSource_->readDirectoryStructure();
    folderSource_->updateTreeview();

    sourceSwitch_->updateSelectedCount(0);
    modePanels_->optionsChanged();
    ui_.txtPath->setFocus();

    runController_->runCommandLineMode();
}

void FrmMain::rememberPosition() {
    // Keeps the remembered position current when the window is only moved; the stored values
    // are 16-bit twips, so a position beyond them is clamped.
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
        settings_.Main_Top = settings::clampToInt16(static_cast<long long>(y()) * kTwipsPerPixel);
        settings_.Main_Left = settings::clampToInt16(static_cast<long long>(x()) * kTwipsPerPixel);
    }
}

// ---- Status bar ----

filelists::StatusPanels FrmMain::panelAccess() {
    return {[this](const QString& key) { return panelText(key); },
            [this](const QString& key, const QString& text) { setPanelText(key, text); }};
}

QString FrmMain::panelText(const QString& key) const {
    const QLabel* panel = panels_.value(key);
    return panel ? panel->text() : QString();
}

void FrmMain::setPanelText(const QString& key, const QString& text) {
    if (QLabel* panel = panels_.value(key)) {
        panel->setText(text);
    }
}

// ---- Settings sink ----

bool FrmMain::setCheck(const QString& name, int value) {
    auto* box = control<QCheckBox>(name);
    return box && setVbValue(box, value);
}

bool FrmMain::setText(const QString& name, const QString& text) {
    if (auto* box = control<QLineEdit>(name)) {
        box->setText(text);
        return true;
    }
    if (auto* combo = control<QComboBox>(name); combo && combo->isEditable()) {
        combo->setEditText(text);
        return true;
    }
    return false;
}

bool FrmMain::selectOption(const QString& name) {
    auto* option = control<QRadioButton>(name);
    if (!option) {
        return false;
    }
    option->setChecked(true);
    return true;
}

bool FrmMain::selectModeTab(int position) {
    if (position < 1 || position > ui_.TabStrip->count()) {
        return false;
    }
    ui_.TabStrip->setCurrentIndex(position - 1);
    return true;
}

bool FrmMain::setDate(const QString& name, const QDate& date) {
    auto* picker = control<QDateEdit>(name);
    if (!picker || !date.isValid() || date < picker->minimumDate() ||
        date > picker->maximumDate()) {
        return false;
    }
    picker->setDate(date);
    return true;
}

bool FrmMain::setTime(const QString& name, const QTime& time) {
    auto* picker = control<QTimeEdit>(name);
    if (!picker || !time.isValid()) {
        return false;
    }
    picker->setTime(time);
    return true;
}

void FrmMain::setEnabled(const QString& name, bool enabled) {
    if (auto* widget = control<QWidget>(name)) {
        widget->setEnabled(enabled);
    }
}

void FrmMain::setCaption(const QString& name, const QString& caption) {
    if (auto* label = control<QLabel>(name)) {
        label->setText(labelCaption(caption));
    } else if (auto* button = control<QAbstractButton>(name)) {
        button->setText(caption);
    } else if (auto* frame = control<QGroupBox>(name)) {
        frame->setTitle(caption);
    }
}

}  // namespace mainwindow
