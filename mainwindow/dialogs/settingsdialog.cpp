#include "mainwindow/dialogs/settingsdialog.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>
#include <utility>

#include "mainwindow/controltable.h"
#include "mainwindow/dialogs/batchreplaceeditor.h"
#include "mainwindow/dialogs/exceptionseditor.h"
#include "mainwindow/numberbox.h"
#include "mainwindow/tabstrip.h"
#include "mainwindow/widgetvalues.h"
#include "platform/localetext.h"
#include "platform/widgets/listview.h"

namespace mainwindow {

namespace {

// The client area, twips.
constexpr int kSettingsWidth = 4965;
constexpr int kSettingsHeight = 5130;
// A control that grows to fit its caption stops at the edge of its frame, this wide.
constexpr int kFrameBorderPixels = 2;

enum class Input { Frame, CheckBox, Label, TextBox, Button, PictureButton, List, ListView };

// One control: name, kind, frame ("" for the dialog itself), caption, place in twips inside
// its container, tooltip and the most characters of a text box.
struct InputDef {
    const char* name;
    Input kind;
    const char* frame;
    const char* caption;
    int left, top, width, height;
    const char* tip = "";
    int maxLength = 0;
};

// clang-format off
const InputDef kSettingsControls[] = {
    // General
    {"frmShell", Input::Frame, "", "Explorer Shell Extension", 240, 840, 4455, 855},
    {"chkShellShowQuenza", Input::CheckBox, "frmShell",
     "Show \"Start Quenza Renamer\" when right clicking on directories in Windows Explorer",
     330, 315, 3945, 375},
    {"frmStartup", Input::Frame, "", "Startup", 240, 1755, 4455, 1065},
    {"chkStartupInLastDir", Input::CheckBox, "frmStartup", "Open Last Dir Used At Startup", 315, 285, 2535, 255},
    {"chkUncheckSubsdirsAtStartup", Input::CheckBox, "frmStartup", "Uncheck \"Subdirs\" at Startup", 315, 645, 2535, 255},
    {"frmSecurity", Input::Frame, "", "Security", 240, 2895, 4455, 705},
    {"chkHideSystemFolders", Input::CheckBox, "frmSecurity", "Hide System Folders", 315, 285, 1815, 255},
    {"frmGeneralMisc", Input::Frame, "", "Misc.", 240, 3675, 4450, 705},
    {"chkRenameAllIfNoneSelected", Input::CheckBox, "frmGeneralMisc",
     "Rename all if nothing is selected when 'only rename selected' is on.", 315, 255, 3960, 405},
    // Interface. Check boxes are at least 255 twips tall, so that the box is drawn whole,
    // and the first of a frame starts below the frame's line.
    {"frmListview", Input::Frame, "", "Listviews", 240, 840, 4455, 1380},
    {"chkLwShowGuidelines", Input::CheckBox, "frmListview", "Show Guidelines", 360, 330, 1695, 255},
    {"chkLwFullRowSelect", Input::CheckBox, "frmListview", "Full Row Select", 360, 615, 1935, 255},
    {"chkShowAllColumns", Input::CheckBox, "frmListview", "Show All Columns", 360, 990, 1695, 255},
    {"frmTreeview", Input::Frame, "", "Treeview", 240, 2325, 4455, 735},
    {"chkEnableTreeview", Input::CheckBox, "frmTreeview", "Enable Treeview", 360, 300, 2055, 255},
    {"frmMisc", Input::Frame, "", "Misc.", 240, 3150, 4455, 1080},
    {"chkShowPath", Input::CheckBox, "frmMisc", "Show full path in log window", 360, 330, 2415, 255},
    {"chkAlwaysShowDirs", Input::CheckBox, "frmMisc", "Always show dir icons (for easier navigation)", 360, 690, 3960, 255},
    // Icons & Thumbnails. The first frame is made taller and the second moved down a little:
    // the cache box would otherwise hang out of its frame, and it may need a second line.
    {"frmSysIcons", Input::Frame, "", "System Icons && Thumbnails", 240, 840, 4455, 1110},
    {"chkUseSysIcons", Input::CheckBox, "frmSysIcons", "Enable system icons && thumbnails", 360, 360, 2775, 255},
    {"chkCache", Input::CheckBox, "frmSysIcons", "Use cache (Not recommended for Win 95/98/Me)", 360, 720, 3855, 255},
    {"frmThumbs", Input::Frame, "", "Thumbnails", 240, 2010, 4455, 1950},
    {"Label2", Input::Label, "frmThumbs", "Width:", 360, 360, 1575, 255},
    {"txtThumbWidth", Input::TextBox, "frmThumbs", "", 960, 330, 495, 285, "", 3},
    {"Label3", Input::Label, "frmThumbs", "Height:", 360, 720, 1455, 255},
    {"txtThumbHeight", Input::TextBox, "frmThumbs", "", 960, 690, 495, 285, "", 3},
    {"chkThumbAspect", Input::CheckBox, "frmThumbs", "Keep aspect ratio", 360, 1125, 1695, 255},
    {"chkThumbBorder", Input::CheckBox, "frmThumbs", "Black border", 360, 1485, 1455, 255},
    // File System
    {"frmPattern", Input::Frame, "", "Pattern Mask", 240, 840, 4455, 1125},
    {"chkPatternFile", Input::CheckBox, "frmPattern", "Apply to Files", 330, 330, 2055, 255},
    {"chkPatternDir", Input::CheckBox, "frmPattern", "Apply to Directories", 330, 645, 1935, 255},
    {"frmInclude", Input::Frame, "", " File && Directory Listing", 240, 2040, 4455, 1455},
    {"chkWriteProtected", Input::CheckBox, "frmInclude", "Show Write Protected", 330, 300, 2970, 315},
    {"chkHidden", Input::CheckBox, "frmInclude", "Show Hidden", 330, 660, 3015, 255},
    {"chkSystem", Input::CheckBox, "frmInclude", "Show System", 330, 960, 2970, 315},
    // Exceptions
    {"frmExceptions", Input::Frame, "", "Case Convert Exceptions", 240, 840, 4455, 3540},
    {"Label1", Input::Label, "frmExceptions", "Exceptions will overide the 'convert case' settings.", 240, 330, 4065, 345},
    {"lstExceptions", Input::List, "frmExceptions", "", 240, 720, 2775, 2595},
    {"cmdExceptionsAdd", Input::Button, "frmExceptions", "Add", 3240, 720, 960, 285},
    {"cmdExceptionsEdit", Input::Button, "frmExceptions", "Edit", 3225, 1170, 975, 315},
    {"cmdExceptionsDel", Input::Button, "frmExceptions", "Delete", 3210, 1635, 990, 315},
    // Batch Replace
    {"frmBatchReplace", Input::Frame, "", "Batch Replace List", 240, 840, 4455, 3495},
    {"cmdBatchReplaceAdd", Input::Button, "frmBatchReplace", "Add", 240, 360, 855, 255},
    {"cmdBatchReplaceEdit", Input::Button, "frmBatchReplace", "Edit", 1200, 360, 855, 255},
    {"cmdBatchReplaceDelete", Input::Button, "frmBatchReplace", "Delete", 2160, 360, 855, 255},
    {"cmdBatchReplaceUp", Input::PictureButton, "frmBatchReplace", "", 3360, 240, 375, 375, "Move up"},
    {"cmdBatchReplaceDown", Input::PictureButton, "frmBatchReplace", "", 3840, 240, 375, 375, "Move down"},
    {"lwBatchReplace", Input::ListView, "frmBatchReplace", "", 120, 720, 4215, 2655},
    // Below the tabs
    {"cmdOK", Input::Button, "", "Ok", 2520, 4680, 1095, 330},
    {"cmdCancel", Input::Button, "", "Cancel", 3750, 4680, 1095, 330},
};
// clang-format on

struct SettingsTab {
    const char* caption;
    const char* key;
    std::initializer_list<const char*> frames;
};

const SettingsTab kSettingsTabs[] = {
    {"General", "general", {"frmShell", "frmSecurity", "frmStartup", "frmGeneralMisc"}},
    {"Interface", "interface", {"frmMisc", "frmTreeview", "frmListview"}},
    {"Icons && Thumbnails", "interface2", {"frmThumbs", "frmSysIcons"}},
    {"File System", "listing", {"frmPattern", "frmInclude"}},
    {"Exceptions", "exceptions", {"frmExceptions"}},
    {"Batch Replace", "batchreplace", {"frmBatchReplace"}},
};

// The order Tab walks; inputs of hidden frames are passed over by themselves.
const char* const kFocusOrder[] = {
    "cmdOK",
    "cmdCancel",
    "TabStrip",
    "chkShellShowQuenza",
    "chkStartupInLastDir",
    "chkUncheckSubsdirsAtStartup",
    "chkHideSystemFolders",
    "chkLwShowGuidelines",
    "chkLwFullRowSelect",
    "chkShowAllColumns",
    "chkEnableTreeview",
    "chkShowPath",
    "chkPatternFile",
    "chkPatternDir",
    "chkWriteProtected",
    "chkHidden",
    "chkSystem",
    "lstExceptions",
    "cmdExceptionsAdd",
    "cmdExceptionsEdit",
    "cmdExceptionsDel",
    "chkAlwaysShowDirs",
    "chkUseSysIcons",
    "chkCache",
    "txtThumbWidth",
    "txtThumbHeight",
    "chkThumbAspect",
    "chkThumbBorder",
    "cmdBatchReplaceAdd",
    "cmdBatchReplaceEdit",
    "cmdBatchReplaceDelete",
    "cmdBatchReplaceUp",
    "cmdBatchReplaceDown",
    "lwBatchReplace",
    "chkRenameAllIfNoneSelected",
};

// A check box whose caption wraps onto more lines, the box centred beside it; a click anywhere
// on it toggles it.
class WrapCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        QStyleOptionButton option;
        initStyleOption(&option);
        option.rect = QRect(0, 0, width, 1000);
        const QRect text = fontMetrics().boundingRect(textArea(option), textFlags(), this->text());
        const QRect indicator =
            style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
        return std::max(text.height(), indicator.height()) + 2;
    }
    QSize sizeHint() const override {
        const QSize single = QCheckBox::sizeHint();
        return {single.width(), heightForWidth(width())};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        QStyleOptionButton indicator = option;
        indicator.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
        painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);
        const QRect area = textArea(option);
        painter.drawItemText(area, textFlags(), option.palette, isEnabled(), text(),
                             QPalette::WindowText);
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect =
                fontMetrics().boundingRect(area, textFlags(), text()).adjusted(-1, 0, 1, 0);
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }
    bool hitButton(const QPoint& position) const override { return rect().contains(position); }

private:
    static int textFlags() {
        return Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    }
    QRect textArea(const QStyleOptionButton& option) const {
        return style()
            ->subElementRect(QStyle::SE_CheckBoxContents, &option, this)
            .adjusted(2, 0, 0, 0);
    }
};

// A setting as a check box shows it: 0, 1 and 2 (grayed) as they are, any other non-zero
// value ticked.
int boxValue(int setting) {
    return setting >= 0 && setting <= 2 ? setting : 1;
}

// Whether a check box's caption, drawn where the style puts it, ends within `room` pixels.
bool fitsOnOneLine(const QCheckBox* box, int room) {
    QStyleOptionButton option;
    option.initFrom(box);
    option.rect = QRect(0, 0, room, box->sizeHint().height());
    const QRect contents = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
    return contents.left() + box->fontMetrics().horizontalAdvance(labelCaption(box->text())) <=
           room;
}

// Makes room for what a control shows with the fonts at hand: wider up to its frame's edge,
// and taller about its middle, so that no caption is cut.
void fitToContent(QWidget* widget) {
    QRect place = widget->geometry();
    const QWidget* container = widget->parentWidget();
    const int room = container->width() - place.left() - kFrameBorderPixels;
    int needed = widget->sizeHint().height();
    if (qobject_cast<QCheckBox*>(widget)) {
        place.setWidth(
            std::clamp(widget->sizeHint().width(), place.width(), std::max(room, place.width())));
    }
    if (widget->hasHeightForWidth()) {
        needed = widget->heightForWidth(place.width());
    }
    if (needed > place.height()) {
        const int grow = needed - place.height();
        place.adjust(0, -(grow / 2), 0, grow - grow / 2);
    }
    widget->setGeometry(place);
}

}  // namespace

QString repairedThumbSize(const QString& text) {
    static const NumberBoxRule kThumbSizeRule{nullptr, "64", kThumbMinimum, false, kThumbMaximum};
    return repairedText(text, kThumbSizeRule);
}

int thumbSize(const QString& text) {
    return static_cast<int>(
        platform::boxNumber(repairedThumbSize(text), kThumbMinimum, kThumbMaximum));
}

FrmSettings::FrmSettings(SettingsDialogParts parts)
    : QDialog(&parts.owner, Qt::Dialog | Qt::CustomizeWindowHint |
                                Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint),
      parts_(std::move(parts)) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Quenza Renamer Settings"));
    setFont(parts_.owner.font());
    setFixedSize(twipsToPixels(kSettingsWidth), twipsToPixels(kSettingsHeight));
    build();
    load();
}

FrmSettings::~FrmSettings() = default;

void FrmSettings::build() {
    tabStrip_ = new TabStrip(this);
    tabStrip_->setObjectName(QStringLiteral("TabStrip"));
    tabStrip_->setGeometry(twipsRect(105, 105, 4725, 4425));
    for (const SettingsTab& tab : kSettingsTabs) {
        tabStrip_->addKeyedTab(QString::fromUtf8(tab.caption), QString::fromUtf8(tab.key));
    }
    controls_.insert(tabStrip_->objectName(), tabStrip_);

    for (const InputDef& def : kSettingsControls) {
        const QString caption = QString::fromUtf8(def.caption);
        QWidget* parent =
            def.frame[0] == '\0' ? this : controls_.value(QString::fromUtf8(def.frame));
        Q_ASSERT_X(parent, "FrmSettings::build", def.name);
        QWidget* widget = nullptr;
        switch (def.kind) {
            case Input::Frame:
                widget = new QGroupBox(caption, parent);
                break;
            case Input::CheckBox: {
                // Captions laid out on two lines wrap, and so does one that the fonts at hand
                // make too wide for its frame; the others stay on one line.
                auto* single = new QCheckBox(caption, parent);
                const int room = parent->width() - twipsToPixels(def.left) - kFrameBorderPixels;
                if (def.height > 300 || !fitsOnOneLine(single, room)) {
                    delete single;
                    widget = new WrapCheckBox(caption, parent);
                } else {
                    widget = single;
                }
                break;
            }
            case Input::Label: {
                auto* label = new QLabel(labelCaption(caption), parent);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                label->setWordWrap(def.height > 300);
                widget = label;
                break;
            }
            case Input::TextBox: {
                auto* box = new QLineEdit(parent);
                box->setMaxLength(def.maxLength);
                // Digits only, whether typed, pasted or dropped.
                box->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[0-9]*")), box));
                box->installEventFilter(this);
                widget = box;
                break;
            }
            case Input::Button:
                widget = new QPushButton(caption, parent);
                break;
            case Input::PictureButton: {
                auto* button = new QPushButton(parent);
                const bool up = QLatin1String(def.name).endsWith(QLatin1String("Up"));
                button->setIcon(
                    style()->standardIcon(up ? QStyle::SP_ArrowUp : QStyle::SP_ArrowDown));
                button->setIconSize(QSize(16, 16));
                button->setAccessibleName(QString::fromUtf8(def.tip));
                widget = button;
                break;
            }
            case Input::List: {
                auto* list = new QListWidget(parent);
                list->setSortingEnabled(false);
                widget = list;
                break;
            }
            case Input::ListView:
                widget = new platform::ListView(parent);
                break;
        }
        widget->setObjectName(QString::fromUtf8(def.name));
        widget->setGeometry(twipsRect(def.left, def.top, def.width, def.height));
        if (def.tip[0] != '\0') {
            widget->setToolTip(QString::fromUtf8(def.tip));
        }
        if (def.kind == Input::CheckBox || def.kind == Input::Label) {
            fitToContent(widget);
        }
        controls_.insert(widget->objectName(), widget);
    }

    // A size box reads as the label on its line, not as the frame around both boxes; the
    // labels run on underneath the boxes.
    for (const InputDef& box : kSettingsControls) {
        if (box.kind != Input::TextBox) {
            continue;
        }
        for (const InputDef& label : kSettingsControls) {
            if (label.kind == Input::Label && qstrcmp(label.frame, box.frame) == 0 &&
                label.left < box.left && label.top < box.top + box.height &&
                label.top + label.height > box.top) {
                QWidget* input = controls_.value(QString::fromUtf8(box.name));
                input->setAccessibleName(labelCaption(QString::fromUtf8(label.caption)).trimmed());
                control<QLabel>(QString::fromUtf8(label.name))->setBuddy(input);
            }
        }
    }

    auto* ok = control<QPushButton>(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = control<QPushButton>(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &FrmSettings::cmdOKClick);
    connect(cancel, &QPushButton::clicked, this, &FrmSettings::reject);
    connect(tabStrip_, &QTabBar::currentChanged, this, &FrmSettings::tabStripClick);

    exceptions_ =
        new ExceptionsEditor(control<QListWidget>(QStringLiteral("lstExceptions")),
                             control<QPushButton>(QStringLiteral("cmdExceptionsAdd")),
                             control<QPushButton>(QStringLiteral("cmdExceptionsEdit")),
                             control<QPushButton>(QStringLiteral("cmdExceptionsDel")), this);
    batchReplace_ =
        new BatchReplaceEditor({control<platform::ListView>(QStringLiteral("lwBatchReplace")),
                                control<QPushButton>(QStringLiteral("cmdBatchReplaceAdd")),
                                control<QPushButton>(QStringLiteral("cmdBatchReplaceEdit")),
                                control<QPushButton>(QStringLiteral("cmdBatchReplaceDelete")),
                                control<QPushButton>(QStringLiteral("cmdBatchReplaceUp")),
                                control<QPushButton>(QStringLiteral("cmdBatchReplaceDown"))},
                               this);
    setFocusOrder();
    // Enter presses "Ok" from every control. A key the focused control leaves alone does not
    // always travel on to the dialog (a frame in between ends it when the key comes from the
    // screen), so the controls hand Enter over themselves; a button presses itself.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (!qobject_cast<QPushButton*>(child)) {
            child->installEventFilter(this);
        }
    }
}

void FrmSettings::setFocusOrder() {
    QWidget* previous = nullptr;
    for (const char* name : kFocusOrder) {
        QWidget* next = controls_.value(QString::fromUtf8(name));
        if (previous && next) {
            setTabOrder(previous, next);
        }
        previous = next;
    }
}

QCheckBox* FrmSettings::box(const char* name) const {
    return control<QCheckBox>(QString::fromUtf8(name));
}

QLineEdit* FrmSettings::sizeBox(const char* name) const {
    return control<QLineEdit>(QString::fromUtf8(name));
}

int FrmSettings::check(const char* name) const {
    return vbValue(box(name));
}

// ---- Load ----

void FrmSettings::load() {
    const settings::ProgramSettings& s = parts_.settings;

    const int index = parts_.rememberedTab;
    tabStrip_->setCurrentIndex(index >= 1 && index <= tabStrip_->count() ? index - 1 : 0);
    tabStripClick();

    const std::pair<const char*, qint16> boxes[] = {
        {"chkHidden", s.processHidden},
        {"chkSystem", s.processSystem},
        {"chkWriteProtected", s.processWriteProtected},
        {"chkPatternFile", s.usePatternForFiles},
        {"chkPatternDir", s.usePatternForDirs},
        {"chkStartupInLastDir", s.startupInLastDir},
        {"chkShellShowQuenza", s.shellShowQuenza},
        {"chkShowPath", s.showFullPath},
        {"chkUncheckSubsdirsAtStartup", s.uncheckSubsdirsAtStartup},
        {"chkHideSystemFolders", s.hideSystemFolders},
        {"chkUseSysIcons", s.useSysIcons},
        {"chkEnableTreeview", s.enableTreeview},
        {"chkAlwaysShowDirs", s.alwaysShowDirs},
        {"chkShowAllColumns", s.showAllColumns},
        {"chkLwFullRowSelect", s.lwFullRowSelect},
        {"chkLwShowGuidelines", s.lwShowGuidelines},
    };
    for (const auto& [name, value] : boxes) {
        setVbValue(box(name), boxValue(value));
    }
    setVbValue(box("chkRenameAllIfNoneSelected"), s.enableRenameAllIfNoneSelected ? 1 : 0);
    sizeBox("txtThumbWidth")->setText(QString::number(s.thumbsWidth));
    sizeBox("txtThumbHeight")->setText(QString::number(s.thumbsHeight));
    setVbValue(box("chkThumbAspect"), boxValue(s.thumbsAspect));
    setVbValue(box("chkThumbBorder"), boxValue(s.thumbsBorder));
    setVbValue(box("chkCache"), boxValue(s.cacheIcons));

    exceptions_->load(parts_.lists.exceptionsList);
    chkUseSysIconsClick();
    connect(box("chkUseSysIcons"), &QCheckBox::stateChanged, this,
            &FrmSettings::chkUseSysIconsClick);
    place();
    batchReplace_->load(parts_.lists.batchReplaceList);
}

void FrmSettings::place() {
    const settings::ProgramSettings& s = parts_.settings;
    if (s.frmSettings_Top != 0) {
        move(twipsToPixels(s.frmSettings_Left), twipsToPixels(s.frmSettings_Top));
        return;
    }
    // Never placed yet: the middle of the main window's screen. The frame around the dialog
    // is known once it is shown, which centres it again.
    centred_ = true;
    centre();
}

void FrmSettings::centre() {
    const QScreen* screen = parts_.owner.screen();
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return;
    }
    const QRect area = screen->geometry();
    const QSize size = frameGeometry().size();
    move(area.left() + area.width() / 2 - size.width() / 2,
         area.top() + area.height() / 2 - size.height() / 2);
}

void FrmSettings::selectTab(const QString& key) {
    for (int i = 0; i < tabStrip_->count(); ++i) {
        if (tabStrip_->tabKey(i) == key) {
            tabStrip_->setCurrentIndex(i);
            return;
        }
    }
}

// ---- Handlers ----

void FrmSettings::tabStripClick() {
    for (const SettingsTab& tab : kSettingsTabs) {
        for (const char* frame : tab.frames) {
            controls_.value(QString::fromUtf8(frame))->setVisible(false);
        }
    }
    const QString key = tabStrip_->currentKey();
    for (const SettingsTab& tab : kSettingsTabs) {
        if (key == QLatin1String(tab.key)) {
            for (const char* frame : tab.frames) {
                controls_.value(QString::fromUtf8(frame))->setVisible(true);
            }
        }
    }
}

void FrmSettings::chkUseSysIconsClick() {
    const bool enabled = check("chkUseSysIcons") == 1;
    for (const char* name :
         {"chkCache", "txtThumbWidth", "txtThumbHeight", "chkThumbAspect", "chkThumbBorder"}) {
        controls_.value(QString::fromUtf8(name))->setEnabled(enabled);
    }
}

SettingsInputs FrmSettings::inputs() const {
    SettingsInputs in;
    in.chkHidden = check("chkHidden");
    in.chkSystem = check("chkSystem");
    in.chkWriteProtected = check("chkWriteProtected");
    in.chkPatternFile = check("chkPatternFile");
    in.chkPatternDir = check("chkPatternDir");
    in.chkStartupInLastDir = check("chkStartupInLastDir");
    in.chkShellShowQuenza = check("chkShellShowQuenza");
    in.chkShowPath = check("chkShowPath");
    in.chkUncheckSubsdirsAtStartup = check("chkUncheckSubsdirsAtStartup");
    in.chkHideSystemFolders = check("chkHideSystemFolders");
    in.chkUseSysIcons = check("chkUseSysIcons");
    in.chkEnableTreeview = check("chkEnableTreeview");
    in.chkAlwaysShowDirs = check("chkAlwaysShowDirs");
    in.chkShowAllColumns = check("chkShowAllColumns");
    in.chkLwFullRowSelect = check("chkLwFullRowSelect");
    in.chkLwShowGuidelines = check("chkLwShowGuidelines");
    in.chkRenameAllIfNoneSelected = check("chkRenameAllIfNoneSelected");
    in.chkThumbAspect = check("chkThumbAspect");
    in.chkThumbBorder = check("chkThumbBorder");
    in.chkCache = check("chkCache");
    // Enter presses "Ok" while a size box still has the focus, before its repair on leaving:
    // the numbers are taken as that repair would leave them.
    in.thumbWidth = thumbSize(sizeBox("txtThumbWidth")->text());
    in.thumbHeight = thumbSize(sizeBox("txtThumbHeight")->text());
    in.exceptions = exceptions_->items();
    in.batchReplace = batchReplace_->items();
    return in;
}

void FrmSettings::cmdOKClick() {
    if (applying_) {
        return;
    }
    applying_ = true;
    parts_.apply(inputs());
    applying_ = false;
    accept();
}

// ---- Closing ----

void FrmSettings::done(int result) {
    // The folder read of "Ok" yields to the event loop; Escape or the close box meanwhile
    // would leave half of it applied.
    if (applying_) {
        return;
    }
    // The place is kept in 16-bit twips; one beyond them is forgotten, so the next opening
    // centres the dialog instead of putting it where it cannot be stored.
    const long long top = static_cast<long long>(y()) * kTwipsPerPixel;
    const long long left = static_cast<long long>(x()) * kTwipsPerPixel;
    const auto fits = [](long long twips) { return twips >= -32768 && twips <= 32767; };
    settings::ProgramSettings& s = parts_.settings;
    const bool storable = fits(top) && fits(left);
    s.frmSettings_Top = storable ? static_cast<qint16>(top) : qint16{0};
    s.frmSettings_Left = storable ? static_cast<qint16>(left) : qint16{0};
    parts_.rememberedTab = tabStrip_->currentIndex() + 1;
    QDialog::done(result);
}

void FrmSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (centred_) {
        centred_ = false;
        centre();
    }
    control<QPushButton>(QStringLiteral("cmdOK"))->setFocus(Qt::OtherFocusReason);
}

bool FrmSettings::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            modifiers == Qt::NoModifier) {
            auto* ok = control<QPushButton>(QStringLiteral("cmdOK"));
            if (ok->isEnabled()) {
                ok->click();
            }
            return true;
        }
    }
    if (auto* sizeBoxWatched = qobject_cast<QLineEdit*>(watched)) {
        if (event->type() == QEvent::FocusIn) {
            selectAllOnFocus(sizeBoxWatched);
        } else if (leavesForGood(event)) {
            const QString repaired = repairedThumbSize(sizeBoxWatched->text());
            if (repaired != sizeBoxWatched->text()) {
                sizeBoxWatched->setText(repaired);
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void showSettingsDialog(SettingsDialogParts parts, const QString& tabKey) {
    FrmSettings dialog(std::move(parts));
    if (!tabKey.isEmpty()) {
        dialog.selectTab(tabKey);
    }
    dialog.exec();
}

}  // namespace mainwindow
