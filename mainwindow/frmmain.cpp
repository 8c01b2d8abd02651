#include "mainwindow/frmmain.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyleOptionGroupBox>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <string>

#include "engine/log.h"
#include "filelists/rowtext.h"
#include "filelists/scan.h"
#include "filelists/sysicons.h"
#include "filelists/thumbnails.h"
#include "filelists/treebuilder.h"
#include "mainwindow/controltable.h"
#include "mainwindow/tabstrip.h"
#include "platform/com/activation.h"
#include "platform/filesystem.h"
#include "platform/folderdialog.h"
#include "platform/folderlist.h"
#include "platform/messages.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"
#include "runs/runwindow.h"
#include "runs/undo.h"
#include "settings/loader.h"
#include "settings/store.h"
#include "taglib/com/interfaces.h"

namespace mainwindow {

// The identifiers come from the library's interface header: the program shares its
// declarations, never its code (the library is loaded through its registration).
const com::CLSID kMp3LibraryClass = orvane::CLSID_cMP3File;
const com::IID kMp3LibraryInterface = orvane::IID__cMP3File;

namespace {

constexpr int kPreviewIntervalMs = 100;
// The smallest size the user can drag the window to, in pixels.
constexpr int kMinimumWidth = 550;
constexpr int kMinimumHeight = 528;
// The window's inputs are laid out in twips for a font of this height.
constexpr int kFontPixelSize = 11;

const QString kDragDropPlaceholder = QStringLiteral("Drop files here...");
const QString kDirectoryPlaceholder = QStringLiteral("Please choose a working directory...");
const QString kHiddenFolderPlaceholder = QStringLiteral(
    "The content of this folder is hidden. You can disable this security feature in the "
    "settings...");
// The path box shows a folder that cannot be listed in pure red.
const QColor kPathRed(255, 0, 0);
// "[..]" waits this long after a node was expanded or collapsed.
constexpr qint64 kTreeToggleGuardMs = 1000;

// The window whose Escape presses the application's watch latches.
const QWidget* g_escapeOwner = nullptr;

// F5 acts wherever the focus is in the main window and whatever the modifiers; the key still
// reaches the focused input. Watches the application's key presses for the window.
class KeyWatch : public QObject {
public:
    explicit KeyWatch(FrmMain* window) : QObject(window), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress ||
            static_cast<QKeyEvent*>(event)->key() != Qt::Key_F5) {
            return false;
        }
        // A key press travels from the focused input up to the window; it counts once.
        const QWidget* focus = QApplication::focusWidget();
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == window_ &&
            (widget == focus || (!focus && widget == window_))) {
            QMetaObject::invokeMethod(window_, &FrmMain::formKeyF5, Qt::QueuedConnection);
        }
        return false;
    }

private:
    FrmMain* window_;
};

// Disabling the window while it works takes the focus from whichever input held it; this puts
// it back afterwards, so that the user goes on typing where they were.
class FocusKeeper {
public:
    explicit FocusKeeper(const QWidget* window) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->window() == window) {
            widget_ = focus;
        }
    }
    ~FocusKeeper() {
        if (widget_ && widget_->isVisible() && widget_->isEnabled() &&
            QApplication::focusWidget() == nullptr) {
            widget_->setFocus(Qt::OtherFocusReason);
        }
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    QPointer<QWidget> widget_;
};

// The date picker shows the locale's short date, with the whole year.
QString pickerDateFormat() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"))) {
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    }
    return format;
}

// The time picker shows the locale's long time without its time-zone field.
QString pickerTimeFormat() {
    static const QRegularExpression zone(QStringLiteral(R"(\s*\(?\bt+\b\)?)"));
    return QLocale().timeFormat(QLocale::LongFormat).remove(zone).trimmed();
}

int pixels(int twips) {
    return qRound(twips / static_cast<double>(kTwipsPerPixel));
}

QRect twipsRect(int left, int top, int width, int height) {
    return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

// The folder above `folder`: up to the "/" before its last character (a trailing "/" is
// skipped); empty for the root and for a text without a folder.
QString parentFolder(const QString& folder) {
    const qsizetype slash =
        folder.size() >= 2 ? folder.lastIndexOf(QLatin1Char('/'), folder.size() - 2) : -1;
    return slash < 0 ? QString() : folder.left(slash + 1);
}

bool isInside(const QWidget* widget, const QWidget* container) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w == container) {
            return true;
        }
    }
    return false;
}

// A picture for the logo above the options: the product name, drawn.
QPixmap logoPixmap(const QSize& size, const QString& name, const QPalette& palette) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, size.width(), 0);
    gradient.setColorAt(0, palette.color(QPalette::Highlight));
    gradient.setColorAt(1, palette.color(QPalette::Highlight).lighter(170));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, size.width(), size.height()), 6, 6);
    QFont font;
    font.setPixelSize(size.height() / 2);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(palette.color(QPalette::HighlightedText));
    painter.drawText(QRect(12, 0, size.width() - 24, size.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, name);
    return pixmap;
}

}  // namespace

int vbValue(const QCheckBox* box) {
    switch (box->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
    }
    return 0;
}

bool setVbValue(QCheckBox* box, int value) {
    switch (value) {
        case 0:
            box->setCheckState(Qt::Unchecked);
            return true;
        case 1:
            box->setCheckState(Qt::Checked);
            return true;
        case 2:
            box->setTristate(true);
            box->setCheckState(Qt::PartiallyChecked);
            return true;
        default:
            return false;
    }
}

QString labelCaption(const QString& stored) {
    QString shown;
    shown.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored.at(i) == QLatin1Char('&')) {
            if (i + 1 < stored.size() && stored.at(i + 1) == QLatin1Char('&')) {
                shown += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        shown += stored.at(i);
    }
    return shown;
}

// ---- Construction ----

FrmMain::FrmMain(const QStringList& arguments, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(state_.appName);
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
    connectHandlers();
    // Escape cancels a long read only while this window is the active one.
    platform::EscapeWatch::install(this);
    g_escapeOwner = this;
    formLoad(arguments);
}

FrmMain::~FrmMain() {
    // The children outlive this part of the window and send focus and hide events as they go;
    // none of them may reach the handlers, whose members are gone by then.
    QList<QObject*> watched(controls_.begin(), controls_.end());
    watched << client_;
    if (auto* path = control<QComboBox>(QStringLiteral("txtPath")); path && path->lineEdit()) {
        watched << path->lineEdit();
    }
    if (QTreeWidget* tree = treeView()) {
        watched << tree->viewport();
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
    // A run window still open goes with the main window, without its close handling.
    if (runWindow_) {
        runState_.operationRunning = false;
        runWindow_->onClosed = nullptr;
        delete runWindow_.data();
    }
}

void FrmMain::registerControl(QObject* object) {
    controls_.insert(object->objectName(), object);
}

void FrmMain::buildControls() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("frmMainClient"));
    setCentralWidget(client_);
    client_->installEventFilter(this);

    QHash<QString, QWidget*> containers;
    containers.insert(QString(), client_);
    QHash<QString, QStyle::StandardPixmap> pictures;
    for (const PictureDef& picture : pictureTable()) {
        pictures.insert(QString::fromUtf8(picture.control), picture.pixmap);
    }

    for (const ControlDef& def : controlTable()) {
        const QString name = QString::fromUtf8(def.name);
        const QString caption = QString::fromUtf8(def.caption);
        QWidget* parent = containers.value(QString::fromUtf8(def.container));
        Q_ASSERT_X(parent, "FrmMain::buildControls", def.name);
        QWidget* widget = nullptr;
        switch (def.kind) {
            case Kind::Frame:
                widget = new QGroupBox(caption, parent);
                break;
            case Kind::Panel: {
                widget = new QWidget;
                qobject_cast<QStackedWidget*>(parent)->addWidget(widget);
                break;
            }
            case Kind::ModeStack:
                widget = new QStackedWidget(parent);
                break;
            case Kind::Label: {
                auto* label = new QLabel(labelCaption(caption), parent);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                label->setWordWrap(def.height > 300);
                // A click on a label is the label's own, not the surrounding frame's.
                label->setAttribute(Qt::WA_NoMousePropagation);
                widget = label;
                break;
            }
            case Kind::Picture: {
                auto* picture = new QLabel(parent);
                picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                widget = picture;
                break;
            }
            case Kind::CheckBox: {
                auto* box = new QCheckBox(caption, parent);
                setVbValue(box, (def.state & Grayed) ? 2 : (def.state & Ticked) ? 1 : 0);
                widget = box;
                break;
            }
            case Kind::Option: {
                auto* option = new QRadioButton(caption, parent);
                option->setChecked((def.state & Selected) != 0);
                widget = option;
                break;
            }
            case Kind::TextBox: {
                auto* box = new QLineEdit(parent);
                if (def.maxLength > 0) {
                    box->setMaxLength(def.maxLength);
                }
                box->setText(caption);
                widget = box;
                break;
            }
            case Kind::PathBox: {
                auto* box = new QComboBox(parent);
                box->setEditable(true);
                box->setInsertPolicy(QComboBox::NoInsert);
                box->setEditText(caption);
                widget = box;
                break;
            }
            case Kind::DropDownList: {
                auto* list = new QComboBox(parent);
                list->setFocusPolicy(Qt::TabFocus);
                widget = list;
                break;
            }
            case Kind::DatePicker: {
                auto* picker = new QDateEdit(QDate::currentDate(), parent);
                picker->setCalendarPopup(true);
                picker->setDisplayFormat(pickerDateFormat());
                widget = picker;
                break;
            }
            case Kind::TimePicker: {
                auto* picker = new QTimeEdit(QTime::currentTime(), parent);
                picker->setDisplayFormat(pickerTimeFormat());
                widget = picker;
                break;
            }
            case Kind::PictureButton: {
                auto* button = new QToolButton(parent);
                button->setIconSize(QSize(16, 16));
                widget = button;
                break;
            }
            case Kind::Button:
                widget = new QPushButton(caption, parent);
                break;
            case Kind::TabStrip: {
                auto* strip = new TabStrip(parent);
                for (const TabDef& tab : tabTable()) {
                    if (name == QLatin1String(tab.strip)) {
                        strip->addKeyedTab(QString::fromUtf8(tab.caption),
                                           QString::fromUtf8(tab.key));
                    }
                }
                widget = strip;
                break;
            }
            case Kind::ListView: {
                auto* list = new platform::ListView(parent);
                // Renaming by editing a row's label is the manual rename command's alone.
                list->setLabelEdit(platform::ListView::LabelEdit::Manual);
                for (int column = 0; column < kBaseColumnCount; ++column) {
                    const ColumnDef& columnDef = listColumns()[column];
                    list->addColumn(QString::fromUtf8(columnDef.text),
                                    QString::fromUtf8(columnDef.key), 100);
                }
                widget = list;
                break;
            }
            case Kind::TreeView: {
                auto* tree = new QTreeWidget(parent);
                tree->setHeaderHidden(true);
                // A double click opens the node's folder; it does not also fold the node.
                tree->setExpandsOnDoubleClick(false);
                widget = tree;
                break;
            }
            case Kind::StatusBar: {
                auto* bar = new QStatusBar(this);
                bar->setSizeGripEnabled(true);
                setStatusBar(bar);
                for (const PanelDef& panel : statusPanels()) {
                    auto* label = new QLabel(bar);
                    label->setObjectName(QStringLiteral("StatusBar.") +
                                         QString::fromUtf8(panel.key));
                    label->setFrameShape(QFrame::Panel);
                    label->setFrameShadow(QFrame::Sunken);
                    bar->addWidget(label, panel.stretch);
                    panels_.insert(QString::fromUtf8(panel.key), label);
                }
                widget = bar;
                break;
            }
        }

        widget->setObjectName(name);
        if (def.kind != Kind::Panel && def.kind != Kind::StatusBar) {
            widget->setGeometry(twipsRect(def.left, def.top, def.width, def.height));
        }
        if (def.tip[0] != '\0') {
            widget->setToolTip(QString::fromUtf8(def.tip));
        }
        if (pictures.contains(name)) {
            const QIcon icon = style()->standardIcon(pictures.value(name));
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                button->setIcon(icon);
            } else if (auto* picture = qobject_cast<QLabel*>(widget)) {
                picture->setPixmap(icon.pixmap(pixels(def.width), pixels(def.height)));
            }
        }
        if (def.state & Disabled) {
            widget->setEnabled(false);
        }
        if (def.state & Hidden) {
            widget->setVisible(false);
        }
        containers.insert(name, widget);
        registerControl(widget);
    }

    if (auto* logo = control<QLabel>(QStringLiteral("imgLogo"))) {
        logo->setPixmap(logoPixmap(logo->size(), state_.appName, palette()));
    }
    tabStrip_ = control<TabStrip>(QStringLiteral("TabStrip"));
    tabStripFilemode_ = control<TabStrip>(QStringLiteral("TabStripFilemode"));

    for (const OptionGroupDef& def : optionGroups()) {
        auto* group = new QButtonGroup(this);
        group->setObjectName(QString::fromUtf8(def.name));
        group->setExclusive(true);
        int index = 0;
        for (const char* option : def.options) {
            group->addButton(control<QRadioButton>(QString::fromUtf8(option)), index++);
        }
    }
    for (const FrameOptionDef& def : frameOptions()) {
        auto* frame = control<QGroupBox>(QString::fromUtf8(def.frame));
        auto* option = control<QRadioButton>(QString::fromUtf8(def.option));
        frameOptions_.insert(frame, QString::fromUtf8(def.option));
        frame->installEventFilter(this);
        placeOnCaptionLine(option, frame);
    }

    tmrPreview_ = new QTimer(this);
    tmrPreview_->setObjectName(QStringLiteral("tmrPreview"));
    tmrPreview_->setInterval(kPreviewIntervalMs);
    registerControl(tmrPreview_);
    tmrPreview_->start();
}

void FrmMain::placeOnCaptionLine(QWidget* option, const QGroupBox* frame) {
    // The frame's caption begins with blanks that leave room for its option button. Fonts
    // differ in the width of a blank and in where the style puts the caption, so the button
    // is centred on the blanks as they are drawn here rather than at a fixed position.
    QStyleOptionGroupBox box;
    box.initFrom(frame);
    box.text = frame->title();
    box.lineWidth = 1;
    box.midLineWidth = 0;
    box.textAlignment = frame->alignment();
    box.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect label =
        frame->style()->subControlRect(QStyle::CC_GroupBox, &box, QStyle::SC_GroupBoxLabel, frame);
    const QString title = frame->title();
    qsizetype blankCount = 0;
    while (blankCount < title.size() && title.at(blankCount) == QLatin1Char(' ')) {
        ++blankCount;
    }
    const int blanks = frame->fontMetrics().horizontalAdvance(title.left(blankCount));
    const QSize size = option->sizeHint();
    const QPoint origin = frame->mapTo(option->parentWidget(), QPoint(0, 0));
    const int x = origin.x() + label.x() + std::max(0, (blanks - size.width()) / 2);
    const int y = origin.y() + label.center().y() - size.height() / 2 + 1;
    option->setGeometry(x, y, size.width(), size.height());
    option->raise();
}

void FrmMain::buildMenus() {
    const std::span<const MenuDef> menus = menuTable();
    QMenu* open[3] = {};
    for (size_t i = 0; i < menus.size(); ++i) {
        const MenuDef& def = menus[i];
        const QString name = QString::fromUtf8(def.name);
        const QString caption = QString::fromUtf8(def.caption);
        if (def.depth == 0) {
            auto* menu = new QMenu(caption, this);
            menu->setObjectName(name);
            registerControl(menu);
            open[0] = menu;
            continue;
        }
        QMenu* parent = open[def.depth - 1];
        const bool hasChildren = i + 1 < menus.size() && menus[i + 1].depth > def.depth;
        if (caption == QLatin1String("-")) {
            QAction* separator = parent->addSeparator();
            separator->setObjectName(name);
            registerControl(separator);
        } else if (hasChildren) {
            QMenu* submenu = parent->addMenu(caption);
            submenu->setObjectName(name);
            registerControl(submenu);
            open[def.depth] = submenu;
        } else {
            QAction* action = parent->addAction(caption);
            action->setObjectName(name);
            action->setVisible(def.visible);
            registerControl(action);
        }
    }
}

void FrmMain::connectHandlers() {
    connect(check("chkSimulation"), &QCheckBox::stateChanged, this, &FrmMain::chkSimulationClick);
    connect(control<QPushButton>(QStringLiteral("cmdExecute")), &QPushButton::clicked, this,
            &FrmMain::cmdExecuteClick);
    connect(control<QPushButton>(QStringLiteral("cmdUndo")), &QPushButton::clicked, this,
            &FrmMain::cmdUndoClick);
    keyWatch_ = new KeyWatch(this);
    QCoreApplication::instance()->installEventFilter(keyWatch_);
    connect(check("chkPreview"), &QCheckBox::stateChanged, this, &FrmMain::chkPreviewClick);
    connect(tmrPreview_, &QTimer::timeout, this, &FrmMain::tmrPreviewTimer);
    connect(check("chkOnlyRenameSelected"), &QCheckBox::stateChanged, this,
            &FrmMain::chkOnlyRenameSelectedClick);
    connect(tabStrip_, &QTabBar::currentChanged, this, &FrmMain::tabStripClick);
    connect(tabStripFilemode_, &QTabBar::currentChanged, this, &FrmMain::tabStripFilemodeClick);

    // The include boxes read and rebuild first; the validation below follows their values.
    connect(check("chkFiles"), &QCheckBox::stateChanged, this, &FrmMain::chkFilesClick);
    connect(check("chkDirs"), &QCheckBox::stateChanged, this, &FrmMain::chkDirsClick);
    connect(check("chkSub"), &QCheckBox::stateChanged, this, &FrmMain::chkSubClick);
    connect(check("chkShowTreeview"), &QCheckBox::stateChanged, this,
            &FrmMain::chkShowTreeviewClick);
    connect(check("chkThumbnails"), &QCheckBox::stateChanged, this, &FrmMain::chkThumbnailsClick);
    connect(check("chkThumbnailsFreeSelect"), &QCheckBox::stateChanged, this,
            &FrmMain::chkThumbnailsFreeSelectClick);
    connect(control<QToolButton>(QStringLiteral("cmdShowDirReq")), &QToolButton::clicked, this,
            &FrmMain::cmdShowDirReqClick);
    connect(control<QToolButton>(QStringLiteral("cmdParentDir")), &QToolButton::clicked, this,
            &FrmMain::cmdParentDirClick);
    connect(control<QToolButton>(QStringLiteral("cmdRefresh")), &QToolButton::clicked, this,
            &FrmMain::cmdRefreshClick);

    auto* path = control<QComboBox>(QStringLiteral("txtPath"));
    connect(path, &QComboBox::editTextChanged, this, &FrmMain::txtPathChange);
    // Also raised when the box is left with the text of a history item; the commit that
    // leaving runs comes first, so this one then finds nothing changed.
    connect(path, &QComboBox::activated, this, &FrmMain::txtPathClick, Qt::QueuedConnection);
    path->installEventFilter(this);
    if (path->lineEdit()) {
        path->lineEdit()->installEventFilter(this);
    }
    auto* pattern = control<QLineEdit>(QStringLiteral("txtPattern"));
    pattern->installEventFilter(this);
    connect(pattern, &QLineEdit::returnPressed, this, &FrmMain::txtPatternLostFocus);

    QTreeWidget* tree = treeView();
    connect(tree, &QTreeWidget::itemExpanded, this, [this] { state_.lastTreeToggle.start(); });
    connect(tree, &QTreeWidget::itemCollapsed, this, [this] { state_.lastTreeToggle.start(); });
    // Opening a node rebuilds the tree; the view finishes its own handling of the click first.
    connect(tree, &QTreeWidget::itemDoubleClicked, this, [this] {
        QMetaObject::invokeMethod(this, &FrmMain::treeViewDblClick, Qt::QueuedConnection);
    });
    tree->installEventFilter(this);
    tree->viewport()->installEventFilter(this);

    // Every other input of the include/process options and of the mode frames revalidates
    // when its value changes, whoever changed it.
    const QWidget* options = control<QWidget>(QStringLiteral("Frame8"));
    const QWidget* modes = control<QWidget>(QStringLiteral("modeFrames"));
    for (QObject* object : std::as_const(controls_)) {
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget || widget == check("chkOnlyRenameSelected")) {
            continue;
        }
        if (!isInside(widget, options) && !isInside(widget, modes) &&
            widget != check("chkPreview")) {
            continue;
        }
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            connect(box, &QCheckBox::stateChanged, this, &FrmMain::optionsChanged);
        } else if (auto* option = qobject_cast<QRadioButton*>(widget)) {
            connect(option, &QRadioButton::toggled, this, [this](bool chosen) {
                if (chosen) {
                    optionsChanged();
                }
            });
        } else if (auto* text = qobject_cast<QLineEdit*>(widget)) {
            connect(text, &QLineEdit::textChanged, this, &FrmMain::optionsChanged);
        } else if (auto* time = qobject_cast<QTimeEdit*>(widget)) {
            connect(time, &QTimeEdit::timeChanged, this, &FrmMain::optionsChanged);
        } else if (auto* date = qobject_cast<QDateEdit*>(widget)) {
            connect(date, &QDateEdit::dateChanged, this, &FrmMain::optionsChanged);
        }
    }
}

// ---- Start-up ----

void FrmMain::formLoad(const QStringList& arguments) {
    // The window cannot be dragged smaller than this.
    state_.subclassEnabled = true;
    setMinimumSize(kMinimumWidth, kMinimumHeight);

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

    setWindowTitle(state_.appName + QLatin1Char(' ') + state_.appVersion +
                   QStringLiteral(" - Press F1 for Help"));
    state_.previewDoEventsEvery = 5;
    applySavedGeometry();
    applyColumns();

    for (const char* name : {"lwDirectory", "lwDragDrop"}) {
        auto* list = control<platform::ListView>(QString::fromUtf8(name));
        list->setFullRowSelect(settings_.lwFullRowSelect == 1);
    }
    for (const char* name : {"lwDirectory", "lwDragDrop"}) {
        auto* list = control<platform::ListView>(QString::fromUtf8(name));
        list->setGridLines(settings_.lwShowGuidelines == 1);
    }

    control<QComboBox>(QStringLiteral("txtPath"))->setEditText(state_.startPath);
    // The simulation box's handler wrote "Sim. Rename!" while loading; start-up settles the
    // caption for the whole run.
    control<QPushButton>(QStringLiteral("cmdExecute"))
        ->setText(runState_.simulationMode ? QStringLiteral("Sim. Rename")
                                           : QStringLiteral("Rename!"));

    // The mode tab handler does nothing before the first activation, so the saved tab's
    // frame is brought forward here.
    if (QWidget* frame = modeFrame(modeTabKey())) {
        control<QStackedWidget>(QStringLiteral("modeFrames"))->setCurrentWidget(frame);
    }

    fillTokenPickers();
    showPlaceholder(control<platform::ListView>(QStringLiteral("lwDragDrop")),
                    kDragDropPlaceholder);
    fillPathHistory();
    createMp3Library();
    state_.settingsTabIndex = 1;
}

void FrmMain::applySavedGeometry() {
    move(pixels(settings_.Main_Left), pixels(settings_.Main_Top));
    resize(pixels(settings_.Main_Width), pixels(settings_.Main_Height));
    if (settings_.Main_Maximized == 2) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else if (settings_.Main_Maximized == 1) {
        setWindowState(windowState() | Qt::WindowMinimized);
    }
}

void FrmMain::applyColumns() {
    struct Target {
        const char* list;
        const std::array<qint16, 8>& widths;
    };
    const Target targets[] = {{"lwDirectory", settings_.dirColWidth},
                              {"lwDragDrop", settings_.dragColWidth}};
    for (const Target& target : targets) {
        auto* list = control<platform::ListView>(QString::fromUtf8(target.list));
        for (int column = 0; column < kBaseColumnCount; ++column) {
            list->setColumnWidth(column, pixels(target.widths[column]));
        }
    }
    if (settings_.showAllColumns != 1) {
        return;
    }
    const std::span<const ColumnDef> columns = listColumns();
    for (const Target& target : targets) {
        auto* list = control<platform::ListView>(QString::fromUtf8(target.list));
        for (size_t column = kBaseColumnCount; column < columns.size(); ++column) {
            // The last column only holds the sort key of the size column: never shown.
            const int width = column < target.widths.size() ? pixels(target.widths[column]) : 0;
            list->addColumn(QString::fromUtf8(columns[column].text),
                            QString::fromUtf8(columns[column].key), width);
        }
    }
}

void FrmMain::fillTokenPickers() {
    for (const TokenPickerDef& picker : tokenPickers()) {
        auto* list = control<QComboBox>(QString::fromUtf8(picker.picker));
        for (const char* entry : picker.entries) {
            list->addItem(QString::fromUtf8(entry));
        }
    }
}

void FrmMain::showPlaceholder(platform::ListView* list, const QString& text) {
    // The bold font is the program-wide sign that a list shows its placeholder row.
    list->setView(platform::ListView::View::SmallIcon);
    QFont placeholderFont(QStringLiteral("Arial"));
    placeholderFont.setPointSize(10);
    placeholderFont.setItalic(true);
    placeholderFont.setBold(true);
    list->setFont(placeholderFont);
    list->setLabelEdit(platform::ListView::LabelEdit::Manual);
    list->clear();
    list->addRow(QStringList{text});
    list->clearSelection();
}

void FrmMain::fillPathHistory() {
    auto* path = control<QComboBox>(QStringLiteral("txtPath"));
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

void FrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!state_.windowReady) {
        // Finish start-up once the window is on screen, as its first activation.
        QMetaObject::invokeMethod(this, &FrmMain::formActivate, Qt::QueuedConnection);
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
                                   control<platform::ListView>(QStringLiteral("lwDragDrop")));

    // Offer the tree view only when the setting allows it.
    auto* showTree = check("chkShowTreeview");
    if (settings_.enableTreeview != 0) {
        showTree->setVisible(true);
    } else {
        setVbValue(showTree, 0);
        showTree->setVisible(false);
    }

    tabStripClick();
    tabStripFilemodeClick();

    // The first folder read; an empty path box shows the placeholder row instead.
    readDirectoryStructure();
    updateTreeview();

    updateSelectedCount(0);
    optionsChanged();
    control<QWidget>(QStringLiteral("txtPath"))->setFocus();

    runCommandLineMode();
}

// ---- Mode tabs ----

QWidget* FrmMain::modeFrame(const QString& key) const {
    for (const TabDef& tab : tabTable()) {
        if (QLatin1String(tab.strip) == QLatin1String("TabStrip") &&
            key == QLatin1String(tab.key)) {
            return control<QWidget>(QString::fromUtf8(tab.frame));
        }
    }
    return nullptr;
}

QString FrmMain::modeTabKey() const {
    return tabStrip_->currentKey();
}

QString FrmMain::fileModeTabKey() const {
    return tabStripFilemode_->currentKey();
}

void FrmMain::tabStripClick() {
    if (!state_.windowReady) {
        return;
    }
    bool dirsAllowed = true;
    bool processName = true;
    bool processExt = true;

    auto* frames = control<QStackedWidget>(QStringLiteral("modeFrames"));
    frames->setVisible(false);

    auto chosen = [this](const char* option) {
        return control<QRadioButton>(QString::fromUtf8(option))->isChecked();
    };
    const QString key = modeTabKey();
    if (key == QLatin1String("Case") || key == QLatin1String("misc")) {
        processName = processExt = false;
    } else if (key == QLatin1String("Attrib")) {
        dirsAllowed = !chosen("optAttrib_Date");
        processName = processExt = false;
    } else if (key == QLatin1String("Mp3")) {
        dirsAllowed = false;
        processName = processExt = false;
        if (state_.mp3LibraryMissing) {
            platform::messages().showMessage(
                QStringLiteral("The Mp3 library failed to initialize! You will not be able\n"
                               "to use any Mp3 featues. You can probably solve this\n"
                               "problem by re-installing Quenza Renamer!"),
                state_.appName, platform::MessageIcon::Critical, platform::MessageButtons::Ok);
            state_.mp3LibraryMissing = false;
        }
    } else if (key == QLatin1String("Enum")) {
        processName = processExt = !chosen("chkEnumTab_Enum");
    } else if (key == QLatin1String("Format")) {
        const bool detect = chosen("chkFormatTab_Detect");
        dirsAllowed = !detect;
        processName = processExt = !detect;
    }

    if (QWidget* frame = modeFrame(key)) {
        frames->setCurrentWidget(frame);
        frames->setVisible(true);
        frames->raise();
    }
    if (key == QLatin1String("Mp3")) {
        setVbValue(check("chkFiles"), 1);
    }

    QCheckBox* dirs = check("chkDirs");
    if (state_.fileMode == 1) {
        dirs->setEnabled(false);
    } else {
        dirs->setEnabled(dirsAllowed);
        if (!dirsAllowed) {
            setVbValue(check("chkFiles"), 1);
            setVbValue(dirs, 0);
        }
    }
    state_.dirsAllowed = dirsAllowed;
    check("chkProcessFilename")->setEnabled(processName);
    check("chkProcessFileExt")->setEnabled(processExt);

    optionsChanged();

    // Runs and scans disable the window; the focus stays where it is meanwhile. The handlers
    // above may have changed the options, so they are read again.
    if (!isEnabled()) {
        return;
    }
    const QString now = modeTabKey();
    const char* target = nullptr;
    if (now == QLatin1String("Replace")) {
        target = chosen("optReplaceSingle") ? "txtFind" : nullptr;
    } else if (now == QLatin1String("AddCrop")) {
        target = chosen("optAdd") ? "txtAdd" : chosen("optCrop") ? "txtCropNumber" : nullptr;
    } else if (now == QLatin1String("Attrib")) {
        target = "chkR";
    } else if (now == QLatin1String("Mp3")) {
        target = "txtMp3Format";
    } else if (now == QLatin1String("Enum")) {
        target = chosen("chkEnumTab_Enum")        ? "txtEnumFormat"
                 : chosen("chkEnumTab_Normalize") ? "txtNormalize"
                                                  : nullptr;
    } else if (now == QLatin1String("Format")) {
        target = chosen("chkFormatTab_Format")   ? "txtFormat"
                 : chosen("chkFormatTab_Detect") ? "chkFileDetect_KeepExt"
                                                 : nullptr;
    }
    if (target) {
        control<QWidget>(QString::fromUtf8(target))->setFocus();
    }
}

// ---- File-source tabs ----

void FrmMain::tabStripFilemodeClick() {
    const QString key = fileModeTabKey();
    QWidget* focusTarget = nullptr;
    if (key == QLatin1String("listview")) {
        state_.fileMode = 0;
        const bool tree = settings_.enableTreeview != 0 && vbValue(check("chkShowTreeview")) == 1;
        setShown("lwDragDrop", false);
        setShown("cmdDragDropAdd", false);
        setShown("cmdDragDropDel", false);
        setShown("cmdDragDropClear", false);
        setShown("chkThumbnailsFreeSelect", false);
        setShown("TreeView", tree);
        setShown("lwDirectory", !tree);
        setShown("cmdRefresh", true);
        setShown("cmdParentDir", true);
        setShown("cmdShowDirReq", true);
        setShown("chkShowTreeview", settings_.enableTreeview != 0);
        setShown("chkThumbnails", true);
        for (const char* name : {"txtPath", "txtPattern"}) {
            auto* input = control<QWidget>(QString::fromUtf8(name));
            input->setEnabled(true);
            paintInput(input, true);
        }
        check("chkFiles")->setEnabled(true);
        check("chkSub")->setEnabled(true);
        check("chkDirs")->setEnabled(state_.dirsAllowed);
        focusTarget = control<QWidget>(QString::fromUtf8(tree ? "TreeView" : "lwDirectory"));
    } else if (key == QLatin1String("dragdrop")) {
        state_.fileMode = 1;
        for (const char* name : {"lwDirectory", "TreeView", "cmdRefresh", "cmdParentDir",
                                 "cmdShowDirReq", "chkShowTreeview", "chkThumbnails"}) {
            setShown(name, false);
        }
        for (const char* name : {"lwDragDrop", "cmdDragDropAdd", "cmdDragDropDel",
                                 "cmdDragDropClear", "chkThumbnailsFreeSelect"}) {
            setShown(name, true);
        }
        for (const char* name : {"txtPath", "txtPattern"}) {
            auto* input = control<QWidget>(QString::fromUtf8(name));
            input->setEnabled(false);
            paintInput(input, false);
        }
        for (const char* name : {"chkFiles", "chkDirs", "chkSub"}) {
            check(name)->setEnabled(false);
        }
        focusTarget = control<QWidget>(QStringLiteral("lwDragDrop"));
    }

    updateSelectedCount(0);
    optionsChanged();
    if (state_.windowReady && focusTarget && isEnabled()) {
        focusTarget->setFocus();
    }
}

void FrmMain::paintInput(QWidget* input, bool enabled) {
    // Disabled inputs take the face colour of buttons, enabled ones that of windows.
    QPalette palette = input->palette();
    const QPalette system = QApplication::palette();
    palette.setColor(QPalette::Base, system.color(enabled ? QPalette::Base : QPalette::Button));
    input->setPalette(palette);
}

// ---- Selection ----
// The validation (optionsChanged) and the preview timer are in validation.cpp.

void FrmMain::updateSelectedCount(int force) {
    state_.selectionRecountPending = false;
    // Not in the middle of a read or a run, whose loops yield to the event loop.
    if (platform::isBusy() && force != -1) {
        return;
    }
    const int source = state_.fileMode == 1 ? 1 : 0;
    if (state_.lstFiles[source].isEmpty() && state_.lstDirs[source].isEmpty()) {
        setPanelText(QStringLiteral("selected"), QString());
        return;
    }
    qsizetype count = 0;
    const QString key = fileModeTabKey();
    if (key == QLatin1String("listview")) {
        count = control<platform::ListView>(QStringLiteral("lwDirectory"))->selectedRows().size();
    } else if (key == QLatin1String("dragdrop")) {
        count = control<platform::ListView>(QStringLiteral("lwDragDrop"))->selectedRows().size();
    }
    setPanelText(QStringLiteral("selected"),
                 count == 1 ? QStringLiteral("1 item selected...")
                            : QStringLiteral("%1 items selected...").arg(count));
    state_.selectedCount = static_cast<int>(count);
    state_.onlySelectedInForce = vbValue(check("chkOnlyRenameSelected")) == 1 &&
                                 (!settings_.enableRenameAllIfNoneSelected || count != 0);
    if (state_.onlySelectedInForce) {
        optionsChanged();
    }
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

// ---- Folder reading ----

platform::ListView* FrmMain::directoryList() const {
    return control<platform::ListView>(QStringLiteral("lwDirectory"));
}

QTreeWidget* FrmMain::treeView() const {
    return control<QTreeWidget>(QStringLiteral("TreeView"));
}

bool FrmMain::showsPlaceholder(const platform::ListView* list) {
    return list->font().bold();
}

QString FrmMain::pathText() const {
    return control<QComboBox>(QStringLiteral("txtPath"))->currentText();
}

void FrmMain::setPathText(const QString& text) {
    control<QComboBox>(QStringLiteral("txtPath"))->setEditText(text);
}

void FrmMain::setPathRed(bool red) {
    auto* path = control<QComboBox>(QStringLiteral("txtPath"));
    QWidget* box = path->lineEdit() ? static_cast<QWidget*>(path->lineEdit()) : path;
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text,
                     red ? kPathRed : QApplication::palette().color(QPalette::Text));
    box->setPalette(palette);
}

void FrmMain::stopPreview() {
    state_.previewPending = false;
    state_.previewRunToken = -1;
}

filelists::ViewSwitches FrmMain::viewSwitches() const {
    filelists::ViewSwitches switches;
    switches.files = vbValue(check("chkFiles")) == 1;
    switches.dirs = vbValue(check("chkDirs")) == 1;
    switches.subdirs = vbValue(check("chkSub")) == 1;
    switches.thumbnails = vbValue(check("chkThumbnails")) == 1;
    switches.alwaysShowDirs = settings_.alwaysShowDirs != 0;
    switches.showAllColumns = settings_.showAllColumns == 1;
    switches.enableTreeview = settings_.enableTreeview != 0;
    return switches;
}

filelists::IconOptions FrmMain::directoryIconOptions() const {
    return filelists::iconOptions(settings_, vbValue(check("chkDirs")) == 1);
}

filelists::StatusPanels FrmMain::statusAccess() {
    return {[this](const QString& key) { return panelText(key); },
            [this](const QString& key, const QString& text) { setPanelText(key, text); }};
}

void FrmMain::showDirectoryRows() {
    // The normal state: the window's own font (not bold: no placeholder), report view or,
    // with thumbnails, large icons.
    platform::ListView* list = directoryList();
    list->setFont(font());
    list->setView(vbValue(check("chkThumbnails")) != 0 ? platform::ListView::View::LargeIcon
                                                       : platform::ListView::View::Report);
    list->setLabelEdit(platform::ListView::LabelEdit::Manual);
    list->clear();
}

void FrmMain::addToPathHistory(const QString& folder) {
    auto* path = control<QComboBox>(QStringLiteral("txtPath"));
    const QSignalBlocker blocker(path);
    const int found = path->findText(folder, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found >= 0) {
        path->removeItem(found);
    }
    path->insertItem(0, folder);
    path->setCurrentIndex(-1);
    path->setEditText(folder);
}

void FrmMain::readDirectoryStructure() {
    if (!state_.windowReady) {
        return;
    }
    // A press before the read began is not a wish to cancel it.
    platform::EscapeWatch::clear();
    stopPreview();
    const QString folder = pathText();
    platform::ListView* list = directoryList();
    QTreeWidget* tree = treeView();
    auto& files = state_.lstFiles[0];
    auto& dirs = state_.lstDirs[0];

    // The icon lists start afresh for another folder (with cacheIcons only after a read that
    // did not complete), so they do not grow without end.
    const bool resetIcons = settings_.cacheIcons == 1
                                ? state_.lastReadPath.isEmpty()
                                : folder != state_.lastReadPath || state_.lastReadPath.isEmpty();
    if (resetIcons) {
        filelists::initSysIcons(dirImages_, filelists::largeImageSize(settings_), list);
    }
    setPanelText(QStringLiteral("preview"), QString());
    setPanelText(QStringLiteral("selected"), QString());

    if (settings_.hideSystemFolders == 1 && filelists::isProtectedSystemFolder(folder)) {
        setVbValue(check("chkThumbnails"), 0);
        setPathRed(true);
        files.clear();
        dirs.clear();
        optionsChanged();
        showPlaceholder(list, kHiddenFolderPlaceholder);
        tree->clear();
        optionsChanged();
        return;
    }
    if (folder.isEmpty()) {
        setVbValue(check("chkThumbnails"), 0);
        files.clear();
        dirs.clear();
        showPlaceholder(list, kDirectoryPlaceholder);
        tree->clear();
        optionsChanged();
        return;
    }

    showDirectoryRows();
    state_.lastReadPath.clear();
    filelists::ScanOutcome outcome = filelists::ScanOutcome::Completed;
    {
        const FocusKeeper focus(this);
        // A run that calls the read has disabled the window itself and enables it again.
        const platform::BusyScope busy(runState_.operationRunning ? nullptr : this);
        control<QPushButton>(QStringLiteral("cmdExecute"))->setEnabled(false);
        QCoreApplication::processEvents();
        setPanelText(QStringLiteral("main"), QStringLiteral("Reading Directory Structure..."));
        setPanelText(QStringLiteral("selected"), QStringLiteral("Press escape to cancel..."));
        QCoreApplication::processEvents();
        dirImages_.thumbsComplete = false;
        tree->clear();
        files.clear();
        dirs.clear();

        filelists::ScanOptions options;
        options.folder = folder;
        options.pattern = control<QLineEdit>(QStringLiteral("txtPattern"))->text();
        options.subfolders = vbValue(check("chkSub")) == 1;
        options.processHidden = settings_.processHidden == 1;
        options.processSystem = settings_.processSystem == 1;
        options.processWriteProtected = settings_.processWriteProtected != 0;
        options.usePatternForFiles = settings_.usePatternForFiles == 1;
        options.usePatternForDirs = settings_.usePatternForDirs == 1;
        QElapsedTimer sinceYield;
        sinceYield.start();
        filelists::ScanHooks hooks;
        hooks.cancelRequested = [&sinceYield] {
            return platform::EscapeWatch::pressed(sinceYield);
        };
        filelists::ScanResult result = filelists::scanFolder(options, hooks);
        outcome = result.outcome;
        if (outcome == filelists::ScanOutcome::Completed) {
            QCoreApplication::processEvents();
            files = std::move(result.files);
            dirs = std::move(result.dirs);
            state_.lastReadPath = folder;
            addToPathHistory(folder);
            state_.previousPath = folder;
        }
    }
    // "Rename!" stays disabled and "main" keeps its text until updateTreeview has shown the
    // result and validated.
    if (outcome == filelists::ScanOutcome::Completed) {
        return;
    }
    // The box comes after the window is usable again, without the hourglass over it.
    if (outcome == filelists::ScanOutcome::TooMany) {
        filelists::showTooManyFilesMessage();
    }
    setPanelText(QStringLiteral("selected"), filelists::scanFailureText(outcome));
    files.clear();
    dirs.clear();
    tree->clear();
    if (!runState_.operationRunning) {
        optionsChanged();
    }
}

void FrmMain::updateTreeview() {
    filelists::TreeviewJob job;
    job.list = directoryList();
    job.tree = treeView();
    job.window = this;
    job.dirs = &state_.lstDirs[0];
    job.files = &state_.lstFiles[0];
    job.pathText = pathText();
    job.switches = viewSwitches();
    job.windowReady = state_.windowReady;
    job.operationRunning = runState_.operationRunning;
    job.images = &dirImages_;
    job.iconOptions = directoryIconOptions();
    job.status = statusAccess();
    job.hooks.stopPreview = [this] { state_.previewRunToken = -1; };
    job.hooks.clearWorkLists = [this] {
        state_.lstFiles[0].clear();
        state_.lstDirs[0].clear();
    };
    job.hooks.listBuilt = [this] { state_.listOrderChanged = false; };
    job.hooks.optionsChanged = [this] { optionsChanged(); };
    job.hooks.updateSelectedCount = [this] { updateSelectedCount(0); };
    const FocusKeeper focus(this);
    filelists::updateTreeview(job);
}

// ---- Path box and pattern box ----

void FrmMain::txtPathChange() {
    QString folder = pathText();
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    // Tells the user before the commit whether the folder can be read.
    setPathRed(!platform::canListFolder(folder));
}

void FrmMain::txtPathGotFocus() {
    state_.previousPath = pathText();
    if (auto* edit = control<QComboBox>(QStringLiteral("txtPath"))->lineEdit()) {
        edit->selectAll();
    }
}

void FrmMain::txtPathClick() {
    // A folder picked from the history is committed at once, as Enter would.
    txtPathLostFocus();
    if (auto* edit = control<QComboBox>(QStringLiteral("txtPath"))->lineEdit()) {
        edit->selectAll();
    }
}

bool FrmMain::pathBoxEvent(QObject* watched, QEvent* event) {
    auto* path = control<QComboBox>(QStringLiteral("txtPath"));
    if (!path || (watched != path && watched != path->lineEdit())) {
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
                txtPathLostFocus();
            }
            return false;
        }
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Return && key != Qt::Key_Enter) {
                return false;
            }
            txtPathLostFocus();
            if (auto* edit = path->lineEdit()) {
                edit->selectAll();
            }
            return true;
        }
        default:
            return false;
    }
}

void FrmMain::txtPathLostFocus() {
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

void FrmMain::txtPatternGotFocus() {
    auto* pattern = control<QLineEdit>(QStringLiteral("txtPattern"));
    state_.previousPattern = pattern->text();
    pattern->selectAll();
}

void FrmMain::txtPatternLostFocus() {
    auto* pattern = control<QLineEdit>(QStringLiteral("txtPattern"));
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

void FrmMain::selectFileSourceTab(const QString& key) {
    // The switch runs once, whether or not the tab changed.
    {
        const QSignalBlocker blocker(tabStripFilemode_);
        for (int i = 0; i < tabStripFilemode_->count(); ++i) {
            if (tabStripFilemode_->tabKey(i) == key) {
                tabStripFilemode_->setCurrentIndex(i);
            }
        }
    }
    tabStripFilemodeClick();
}

void FrmMain::cmdShowDirReqClick() {
    QString start = pathText();
    // The root keeps its "/"; any other folder goes to the dialog without it.
    if (start.size() > 1 && start.endsWith(QLatin1Char('/'))) {
        start.chop(1);
    }
    QString chosen =
        platform::browseForFolder(this, QStringLiteral("Choose Working Directory:"), start);
    if (!chosen.isEmpty() && chosen != start) {
        selectFileSourceTab(QStringLiteral("listview"));
        if (!chosen.endsWith(QLatin1Char('/'))) {
            chosen += QLatin1Char('/');
        }
        setPathText(chosen);
        readDirectoryStructure();
        updateTreeview();
    }
    control<QWidget>(QStringLiteral("txtPath"))->setFocus();
}

void FrmMain::cmdParentDirClick() {
    stopPreview();
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
        control<QWidget>(QStringLiteral("txtPath"))->setFocus();
    }
    state_.keepListFocus = false;
}

void FrmMain::treeviewRefresh() {
    selectFileSourceTab(QStringLiteral("listview"));
    readDirectoryStructure();
    updateTreeview();
}

void FrmMain::cmdRefreshClick() {
    stopPreview();
    treeviewRefresh();
    control<QWidget>(QStringLiteral("txtPath"))->setFocus();
}

// ---- Tree view ----

void FrmMain::treeViewDblClick() {
    QTreeWidget* tree = treeView();
    if (tree->topLevelItemCount() == 0) {
        return;
    }
    stopPreview();
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

void FrmMain::treeViewKeyUp(int key) {
    if (treeView()->topLevelItemCount() == 0) {
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        treeViewDblClick();
    } else if (key == Qt::Key_Backspace) {
        state_.keepListFocus = true;
        cmdParentDirClick();
    }
}

void FrmMain::treeViewRightButtonUp(const QPoint& globalPosition) {
    QTreeWidget* tree = treeView();
    if (tree->topLevelItemCount() == 0) {
        return;
    }
    // Only a folder's contents can be added; "[..]" and file nodes leave the item disabled.
    const QTreeWidgetItem* node = tree->currentItem();
    const bool folderNode =
        node && !filelists::isRootNode(node) &&
        platform::fs::isDirectory(platform::nativePath(pathText() + filelists::nodeFullPath(node)));
    if (auto* add =
            qobject_cast<QAction*>(controlObject(QStringLiteral("mnuTreeviewAddRecursive")))) {
        add->setEnabled(folderNode);
    }
    if (auto* menu = control<QMenu>(QStringLiteral("mnuPopupTreeview"))) {
        menu->popup(globalPosition);
    }
}

// ---- Include boxes, thumbnails and the tree view box ----

void FrmMain::chkFilesClick() {
    QCheckBox* files = check("chkFiles");
    QCheckBox* dirs = check("chkDirs");
    // A tab that processes files only keeps "Files" ticked.
    if (!dirs->isEnabled()) {
        setVbValue(files, 1);
        return;
    }
    if (vbValue(files) == 0 && vbValue(dirs) == 0) {
        setVbValue(dirs, 1);
        return;
    }
    showIncludedKinds();
}

void FrmMain::chkDirsClick() {
    QCheckBox* files = check("chkFiles");
    if (vbValue(files) == 0 && vbValue(check("chkDirs")) == 0) {
        setVbValue(files, 1);
        return;
    }
    showIncludedKinds();
}

// The rows follow the include boxes; the folder is read again only when the path box names
// another folder than the one last read.
void FrmMain::showIncludedKinds() {
    if (pathText() != state_.lastReadPath) {
        readDirectoryStructure();
    }
    updateTreeview();
}

void FrmMain::chkSubClick() {
    readDirectoryStructure();
    updateTreeview();
}

void FrmMain::chkShowTreeviewClick() {
    if (state_.fileMode != 0) {
        return;
    }
    const bool tree = vbValue(check("chkShowTreeview")) != 0;
    if (tree && dirImages_.thumbsComplete) {
        // The tree was not built while thumbnails were shown.
        stopPreview();
        readDirectoryStructure();
        updateTreeview();
    }
    QWidget* shown = tree ? static_cast<QWidget*>(treeView()) : directoryList();
    QWidget* hidden = tree ? static_cast<QWidget*>(directoryList()) : treeView();
    hidden->setVisible(false);
    shown->setVisible(true);
    shown->raise();
    for (const char* name : {"chkPreview", "chkThumbnails", "chkOnlyRenameSelected"}) {
        check(name)->setEnabled(!tree);
    }
    if (state_.windowReady) {
        shown->setFocus();
    }
}

void FrmMain::chkThumbnailsClick() {
    QCheckBox* box = check("chkThumbnails");
    platform::ListView* list = directoryList();
    if (showsPlaceholder(list)) {
        setVbValue(box, 0);
        return;
    }
    if (vbValue(box) != 0) {
        check("chkPreview")->setEnabled(false);
        list->setView(platform::ListView::View::LargeIcon);
        check("chkShowTreeview")->setEnabled(false);
        if (!dirImages_.thumbsComplete) {
            stopPreview();
            const FocusKeeper focus(this);
            filelists::generateThumbnails(
                {*list, dirImages_, directoryIconOptions(), this, statusAccess()});
        }
    } else {
        check("chkPreview")->setEnabled(true);
        list->setView(platform::ListView::View::Report);
        check("chkShowTreeview")->setEnabled(true);
    }
}

void FrmMain::chkThumbnailsFreeSelectClick() {
    QCheckBox* box = check("chkThumbnailsFreeSelect");
    auto* list = control<platform::ListView>(QStringLiteral("lwDragDrop"));
    if (showsPlaceholder(list)) {
        setVbValue(box, 0);
        return;
    }
    if (vbValue(box) != 0) {
        check("chkPreview")->setEnabled(false);
        list->setView(platform::ListView::View::LargeIcon);
        if (!freeSelImages_.thumbsComplete) {
            stopPreview();
            const FocusKeeper focus(this);
            filelists::generateThumbnailsFreeSel({*list, freeSelImages_,
                                                  filelists::iconOptions(settings_, true), this,
                                                  statusAccess()});
        }
    } else {
        check("chkPreview")->setEnabled(true);
        list->setView(platform::ListView::View::Report);
    }
}

// ---- Handlers of single controls ----

void FrmMain::chkSimulationClick() {
    auto* execute = control<QPushButton>(QStringLiteral("cmdExecute"));
    runState_.simulationMode = vbValue(check("chkSimulation")) == 1;
    if (runState_.simulationMode) {
        execute->setText(QStringLiteral("Sim. Rename!"));
        control<QWidget>(QStringLiteral("cmdUndo"))->setEnabled(false);
    } else {
        execute->setText(QStringLiteral("Rename!"));
    }
}

void FrmMain::chkOnlyRenameSelectedClick() {
    updateSelectedCount(0);
    optionsChanged();
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) {
        layoutFileSource();
    } else if (event->type() == QEvent::MouseButtonRelease && frameOptions_.contains(watched)) {
        // A click on a free part of an option's frame chooses that option.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* frame = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            frame->rect().contains(mouse->position().toPoint())) {
            selectOption(frameOptions_.value(watched));
        }
    } else if (pathBoxEvent(watched, event)) {
        return true;
    } else if (watched == control<QObject>(QStringLiteral("txtPattern")) && !platform::isBusy()) {
        // Switching windows and opening a pop-up neither enter nor leave the box.
        const auto reason = [event] { return static_cast<QFocusEvent*>(event)->reason(); };
        if (event->type() == QEvent::FocusIn && reason() != Qt::ActiveWindowFocusReason &&
            reason() != Qt::PopupFocusReason) {
            txtPatternGotFocus();
        } else if (event->type() == QEvent::FocusOut && reason() != Qt::ActiveWindowFocusReason &&
                   reason() != Qt::PopupFocusReason) {
            txtPatternLostFocus();
        }
    } else if (QTreeWidget* tree = treeView(); !tree) {
        // Still being built.
    } else if (watched == tree && event->type() == QEvent::KeyRelease) {
        treeViewKeyUp(static_cast<QKeyEvent*>(event)->key());
    } else if (watched == tree->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            treeViewRightButtonUp(mouse->globalPosition().toPoint());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::layoutFileSource() {
    // The file-source area grows with the window; the options column keeps its place.
    const int clientWidth = client_->width() * kTwipsPerPixel;
    const int clientHeight = client_->height() * kTwipsPerPixel;
    constexpr int kLeft = 4560;
    constexpr int kTop = 120;
    constexpr int kMargin = 60;
    const int width = clientWidth - kLeft - kMargin;
    const int height = clientHeight - kTop - kMargin;
    tabStripFilemode_->setGeometry(twipsRect(kLeft, kTop, width, height));
    for (const char* name : {"lwDragDrop", "TreeView", "lwDirectory"}) {
        auto* list = control<QWidget>(QString::fromUtf8(name));
        const QPoint at = list->pos();
        list->setGeometry(at.x(), at.y(), pixels(width - 150), pixels(height - 800));
    }
    auto* path = control<QWidget>(QStringLiteral("txtPath"));
    path->resize(pixels(width - 1990), path->height());
    auto* pattern = control<QWidget>(QStringLiteral("txtPattern"));
    pattern->move(path->x() + path->width() + pixels(100), pattern->y());
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
    if (position < 1 || position > tabStrip_->count()) {
        return false;
    }
    tabStrip_->setCurrentIndex(position - 1);
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

// ---- Helpers ----

QCheckBox* FrmMain::check(const char* name) const {
    return control<QCheckBox>(QString::fromUtf8(name));
}

void FrmMain::setShown(const char* name, bool shown) {
    control<QWidget>(QString::fromUtf8(name))->setVisible(shown);
}

// ---- Runs and undo ----

void FrmMain::cmdExecuteClick() {
    runs::DriverContext context = driverContext();
    runs::executeRun(context);
}

void FrmMain::cmdUndoClick() {
    runs::DriverContext context = driverContext();
    runs::undoLastRun(context);
}

void FrmMain::formKeyF5() {
    if (!isEnabled() || !state_.windowReady) {
        return;
    }
    // The focused input loses the focus first, so its own repair rules run as on a click.
    control<QWidget>(QStringLiteral("cmdAbout"))->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    optionsChanged();
    QCoreApplication::processEvents();
    if (control<QPushButton>(QStringLiteral("cmdExecute"))->isEnabled()) {
        cmdExecuteClick();
    }
}

runs::AttribOptions FrmMain::attribOptions() const {
    runs::AttribOptions options;
    options.optAttrib =
        control<QRadioButton>(QStringLiteral("optAttrib_Date"))->isChecked() ? 1 : 0;
    options.chkR = vbValue(check("chkR"));
    options.chkH = vbValue(check("chkH"));
    options.chkS = vbValue(check("chkS"));
    options.chkA = vbValue(check("chkA"));
    options.chkDateDate = vbValue(check("chkDateDate")) == 1;
    options.dtDate = control<QDateEdit>(QStringLiteral("dtDate"))->date();
    options.chkDateTime = vbValue(check("chkDateTime")) == 1;
    options.dtTime = control<QTimeEdit>(QStringLiteral("dtTime"))->time();
    options.chkDateCreated = vbValue(check("chkDateCreated")) == 1;
    options.chkDateAccessed = vbValue(check("chkDateAccessed")) == 1;
    options.chkDateModified = vbValue(check("chkDateModified")) == 1;
    return options;
}

runs::ModeSelection FrmMain::modeSelection() const {
    auto chosen = [this](const char* option) {
        const auto* button = control<QRadioButton>(QString::fromUtf8(option));
        return button && button->isChecked();
    };
    runs::ModeSelection selection;
    selection.tabKey = modeTabKey();
    selection.replaceBatch = chosen("optReplaceBatch");
    selection.enumNumbering = chosen("chkEnumTab_Enum");
    selection.formatDetect = chosen("chkFormatTab_Detect");
    return selection;
}

runs::DriverInputs FrmMain::driverInputs() const {
    runs::DriverInputs in;
    in.fileMode = state_.fileMode;
    in.mode = modeSelection();
    in.naming = {optionsSnapshot(), lists_.batchReplaceList, lists_.exceptionsList};
    in.attrib = attribOptions();
    in.filesTicked = vbValue(check("chkFiles")) == 1;
    in.dirsTicked = vbValue(check("chkDirs")) == 1;
    in.dirsAllowed = state_.dirsAllowed;
    in.onlySelectedInForce = state_.onlySelectedInForce;
    in.simulationBox = vbValue(check("chkSimulation")) == 1;
    in.thumbnailsFreeSelect = vbValue(check("chkThumbnailsFreeSelect")) == 1;
    in.listOrderChanged = state_.listOrderChanged;
    return in;
}

runs::DriverContext FrmMain::driverContext() {
    runs::DriverContext context{
        .state = runState_,
        .settings = settings_,
        .lstFiles = state_.lstFiles,
        .lstDirs = state_.lstDirs,
        .lists = {directoryList(), control<platform::ListView>(QStringLiteral("lwDragDrop"))},
        .directoryImages = &dirImages_,
        .freeSelectImages = &freeSelImages_,
        .mainWindow = this,
        .appName = state_.appName};
    runs::DriverHooks& hooks = context.hooks;
    hooks.validate = [this] {
        optionsChanged();
        return control<QPushButton>(QStringLiteral("cmdExecute"))->isEnabled();
    };
    hooks.inputs = [this] { return driverInputs(); };
    hooks.setMainPanel = [this](const QString& text) {
        setPanelText(QStringLiteral("main"), text);
    };
    hooks.stopPreview = [this] { stopPreview(); };
    hooks.openRunWindow = [this] { return openRunWindow(); };
    hooks.readDirectoryStructure = [this] { readDirectoryStructure(); };
    hooks.updateTreeview = [this] { updateTreeview(); };
    hooks.refillFreeSelect = [this](const QStringList& files, const QStringList& dirs) {
        refillFreeSelect(files, dirs);
    };
    hooks.generateThumbnailsFreeSel = [this] {
        auto* list = control<platform::ListView>(QStringLiteral("lwDragDrop"));
        filelists::generateThumbnailsFreeSel(
            {*list, freeSelImages_, filelists::iconOptions(settings_, true), this, statusAccess()});
    };
    hooks.updateSelectedCount = [this] { updateSelectedCount(-1); };
    hooks.setUndoEnabled = [this](bool enabled) {
        control<QWidget>(QStringLiteral("cmdUndo"))->setEnabled(enabled);
    };
    hooks.markListOrderChanged = [this] { state_.listOrderChanged = true; };
    return context;
}

runs::RunWindow* FrmMain::openRunWindow() {
    // Every operation starts with a fresh window. It is a window of its own, not a child of
    // this one, so that disabling the main window leaves it usable.
    if (runWindow_) {
        runWindow_->onClosed = nullptr;
        delete runWindow_.data();
    }
    auto* window = new runs::RunWindow(runState_, settings_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setFont(font());
    window->onClosed = [this] { runWindowClosed(); };
    runWindow_ = window;
    window->open();
    return window;
}

void FrmMain::runWindowClosed() {
    setEnabled(true);
    activateWindow();
    QWidget* focus = nullptr;
    if (state_.fileMode != 0) {
        focus = control<QWidget>(QStringLiteral("lwDragDrop"));
    } else if (vbValue(check("chkShowTreeview")) != 0) {
        focus = treeView();
    } else {
        focus = directoryList();
    }
    if (focus && focus->isVisible()) {
        focus->setFocus();
    }
    optionsChanged();
}

void FrmMain::refillFreeSelect(const QStringList& files, const QStringList& dirs) {
    auto* list = control<platform::ListView>(QStringLiteral("lwDragDrop"));
    auto& listFiles = state_.lstFiles[1];
    auto& listDirs = state_.lstDirs[1];
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
            row.smallImage = filelists::sysIconsFreeSel(path, isDir, freeSelImages_, icons, large);
            row.largeImage = large;
            rows.append(row);
        }
    }
    freeSelImages_.thumbsComplete = false;
    if (rows.isEmpty()) {
        showPlaceholder(list, kDragDropPlaceholder);
        return;
    }
    list->setFont(font());
    list->setView(vbValue(check("chkThumbnailsFreeSelect")) != 0
                      ? platform::ListView::View::LargeIcon
                      : platform::ListView::View::Report);
    list->addRows(rows);
    filelists::attachImages(*list, freeSelImages_);
}

void FrmMain::runCommandLineMode() {
    if (state_.cmdExecMode.isEmpty()) {
        return;
    }
    struct ModeWord {
        const char* word;
        const char* option;  // null: the tab alone
        int tab;
    };
    static constexpr ModeWord kModeWords[] = {
        {"modecase", nullptr, 2},
        {"modereplace", "optReplaceSingle", 1},
        {"modebatchreplace", "optReplaceBatch", 1},
        {"modeenum", "chkEnumTab_Enum", 3},
        {"modenormalize", "chkEnumTab_Normalize", 3},
        {"modeformat", "chkFormatTab_Format", 8},
        {"modefiletype", "chkFormatTab_Detect", 8},
        {"modedate", "optAttrib_Date", 5},
        {"modeattrib", "optAttrib_Attributes", 5},
        {"modemp3", nullptr, 7},
        {"modespace", nullptr, 4},
        {"modeadd", "optAdd", 6},
        {"modecrop", "optCrop", 6},
    };
    const QString word = state_.cmdExecMode.toLower();
    for (const ModeWord& mode : kModeWords) {
        if (word == QLatin1String(mode.word)) {
            if (mode.option) {
                selectOption(QString::fromUtf8(mode.option));
            }
            selectModeTab(mode.tab);
            break;
        }
    }
    if (control<QPushButton>(QStringLiteral("cmdExecute"))->isEnabled()) {
        cmdExecuteClick();
    }
    if (state_.cmdAutoExit) {
        if (runWindow_) {
            runWindow_->close();
        }
        close();
    }
}

}  // namespace mainwindow
