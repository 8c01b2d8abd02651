#include "mainwindow/frmmain.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
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
#include "mainwindow/controltable.h"
#include "mainwindow/tabstrip.h"
#include "platform/com/activation.h"
#include "platform/messages.h"
#include "platform/programfolder.h"
#include "platform/widgets/listview.h"
#include "settings/loader.h"
#include "settings/store.h"

namespace mainwindow {

const com::CLSID kMp3LibraryClass{
    0x6E10C0BC, 0x6B07, 0x460F, {0x97, 0xBF, 0x00, 0x67, 0x65, 0xE9, 0x82, 0xC4}};
const com::IID kMp3LibraryInterface{
    0x86B07158, 0xB918, 0x4CD2, {0x90, 0x4A, 0x75, 0xB9, 0x17, 0xDF, 0xF2, 0x12}};

namespace {

constexpr int kPreviewIntervalMs = 100;
// The smallest size the user can drag the window to, in pixels.
constexpr int kMinimumWidth = 550;
constexpr int kMinimumHeight = 528;
// The window's inputs are laid out in twips for a font of this height.
constexpr int kFontPixelSize = 11;

const QString kDragDropPlaceholder = QStringLiteral("Drop files here...");
const QString kDirectoryPlaceholder = QStringLiteral("Please choose a working directory...");

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
    formLoad(arguments);
}

FrmMain::~FrmMain() = default;

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
    connect(check("chkOnlyRenameSelected"), &QCheckBox::stateChanged, this,
            &FrmMain::chkOnlyRenameSelectedClick);
    connect(tabStrip_, &QTabBar::currentChanged, this, &FrmMain::tabStripClick);
    connect(tabStripFilemode_, &QTabBar::currentChanged, this, &FrmMain::tabStripFilemodeClick);

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
        ->setText(state_.simulationMode ? QStringLiteral("Sim. Rename")
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

    if (control<QComboBox>(QStringLiteral("txtPath"))->currentText().isEmpty()) {
        showPlaceholder(control<platform::ListView>(QStringLiteral("lwDirectory")),
                        kDirectoryPlaceholder);
    }

    updateSelectedCount(0);
    optionsChanged();
    control<QWidget>(QStringLiteral("txtPath"))->setFocus();
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

// ---- Validation and selection ----

void FrmMain::optionsChanged() {
    if (!state_.windowReady) {
        return;
    }
    tmrPreview_->stop();

    const int source = state_.fileMode == 1 ? 1 : 0;
    const QStringList& files = state_.lstFiles[source];
    const QStringList& dirs = state_.lstDirs[source];
    bool blocked = false;
    if (source == 0) {
        QCheckBox* filesBox = check("chkFiles");
        QCheckBox* dirsBox = check("chkDirs");
        const qsizetype fileCount = vbValue(filesBox) == 0 ? 0 : files.size();
        const qsizetype dirCount = vbValue(dirsBox) == 0 ? 0 : dirs.size();
        setPanelText(QStringLiteral("main"),
                     QStringLiteral("%1 Files, %2 Directories").arg(fileCount).arg(dirCount));
        const bool filesQualify =
            filesBox->isEnabled() && vbValue(filesBox) == 1 && !files.isEmpty();
        const bool dirsQualify = dirsBox->isEnabled() && vbValue(dirsBox) == 1 && !dirs.isEmpty();
        blocked = !filesQualify && !dirsQualify;
    } else {
        setPanelText(QStringLiteral("main"),
                     QStringLiteral("%1 Files, %2 Directories").arg(files.size()).arg(dirs.size()));
        blocked = files.isEmpty() && dirs.isEmpty();
    }
    if (!blocked && modeTabKey() != QLatin1String("Attrib") && state_.onlySelectedInForce &&
        state_.selectedCount == 0) {
        blocked = true;
    }

    control<QPushButton>(QStringLiteral("cmdExecute"))->setEnabled(!blocked);

    QCoreApplication::processEvents();
    if (vbValue(check("chkPreview")) == 1) {
        state_.previewPending = true;
    }
    tmrPreview_->start();
}

void FrmMain::updateSelectedCount(int force) {
    state_.selectionRecountPending = false;
    const QCursor* cursor = QApplication::overrideCursor();
    if (cursor && cursor->shape() == Qt::WaitCursor && force != -1) {
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

// ---- Handlers of single controls ----

void FrmMain::chkSimulationClick() {
    auto* execute = control<QPushButton>(QStringLiteral("cmdExecute"));
    state_.simulationMode = vbValue(check("chkSimulation")) == 1;
    if (state_.simulationMode) {
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

}  // namespace mainwindow
