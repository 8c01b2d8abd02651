// Building the main window from the tables of controltable.h: the controls, the option groups,
// the frames whose caption line holds an option, the preview timer and the pop-up menus.
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOptionGroupBox>

#include "mainwindow/frmmain.h"
#include "mainwindow/gaplabel.h"
#include "mainwindow/modetable.h"
#include "mainwindow/toolicons.h"

namespace mainwindow {

namespace {

constexpr int kPreviewIntervalMs = 100;
// Room between a control sitting on a label's gap and the text after the gap, in pixels.
constexpr int kGapMargin = 4;

// The date picker shows the locale's short date, with the whole year.
QString pickerDateFormat() {
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"))) {
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    }
    return format;
}

// The inputs that no label names; what they hold says what they are.
QString unlabelledInputName(const char* input) {
    if (qstrcmp(input, "txtPath") == 0) {
        return QStringLiteral("Working directory");
    }
    if (qstrcmp(input, "txtPattern") == 0) {
        return QStringLiteral("Pattern Mask");
    }
    return {};
}

// The time picker shows the locale's long time without its time-zone field.
QString pickerTimeFormat() {
    static const QRegularExpression zone(QStringLiteral(R"(\s*\(?\bt+\b\)?)"));
    return QLocale().timeFormat(QLocale::LongFormat).remove(zone).trimmed();
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

void FrmMain::registerControl(QObject* object) {
    controls_.insert(object->objectName(), object);
}

// Screen readers announce an input by its accessible name, which Qt otherwise takes from the
// frame around it: the Start, Find and Replace boxes would all be "Single Replace". Each input
// is named after the label beside it (left of it on its line, else just above it) and becomes
// that label's buddy; an icon-only button is named after its tooltip.
void FrmMain::nameInputsForAssistiveTechnology() {
    const std::span<const ControlDef> defs = controlTable();
    for (const ControlDef& input : defs) {
        const bool namedByLabel = input.kind == Kind::TextBox || input.kind == Kind::PathBox ||
                                  input.kind == Kind::DatePicker || input.kind == Kind::TimePicker;
        QWidget* widget = control<QWidget>(QString::fromUtf8(input.name));
        if (!widget) {
            continue;
        }
        if (input.kind == Kind::PictureButton && input.caption[0] == '\0' && input.tip[0] != '\0') {
            widget->setAccessibleName(QString::fromUtf8(input.tip));
            continue;
        }
        if (!namedByLabel) {
            continue;
        }
        const ControlDef* best = nullptr;
        int bestDistance = 0;
        for (const ControlDef& label : defs) {
            if (label.kind != Kind::Label || qstrcmp(label.container, input.container) != 0 ||
                label.caption[0] == '\0') {
                continue;
            }
            const int labelMiddle = label.top + label.height / 2;
            const bool onTheLine = labelMiddle >= input.top &&
                                   labelMiddle <= input.top + input.height &&
                                   label.left + label.width <= input.left + 60;
            const bool above = label.top + label.height <= input.top + 30 &&
                               input.top - (label.top + label.height) <= 300 &&
                               label.left < input.left + input.width &&
                               label.left + label.width > input.left;
            if (!onTheLine && !above) {
                continue;
            }
            const int distance = onTheLine ? input.left - (label.left + label.width)
                                           : input.top - (label.top + label.height) + 10000;
            if (!best || distance < bestDistance) {
                best = &label;
                bestDistance = distance;
            }
        }
        if (!best) {
            // A label whose gap holds the box ("Zero Padding: [3] Digits") reads as a whole.
            for (const ControlDef& label : defs) {
                if (label.kind == Kind::Label && qstrcmp(label.container, input.container) == 0 &&
                    label.left < input.left && label.left + label.width > input.left &&
                    label.top < input.top + input.height && label.top + label.height > input.top) {
                    best = &label;
                    break;
                }
            }
        }
        if (!best) {
            // A picker whose check box on its line says what it sets ("New Date:").
            for (const ControlDef& box : defs) {
                const int middle = box.top + box.height / 2;
                if (box.kind == Kind::CheckBox && qstrcmp(box.container, input.container) == 0 &&
                    middle >= input.top && middle <= input.top + input.height &&
                    box.left + box.width <= input.left + 60) {
                    best = &box;
                }
            }
        }
        QString name;
        if (best) {
            name = labelCaption(QString::fromUtf8(best->caption)).simplified();
            if (auto* label =
                    qobject_cast<QLabel*>(control<QWidget>(QString::fromUtf8(best->name)))) {
                label->setBuddy(widget);
            }
        } else {
            name = unlabelledInputName(input.name);
        }
        if (name.isEmpty()) {
            // The only caption near it is that of its frame.
            if (const auto* frame = control<QGroupBox>(QString::fromUtf8(input.container))) {
                name = labelCaption(frame->title()).trimmed();
            }
        }
        if (!name.isEmpty()) {
            widget->setAccessibleName(name);
            if (auto* editable = qobject_cast<QComboBox*>(widget);
                editable && editable->lineEdit()) {
                editable->lineEdit()->setAccessibleName(name);
            }
        }
    }
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
                const QString shown = labelCaption(caption);
                QLabel* label = GapLabel::hasGap(shown) ? new GapLabel(shown, parent)
                                                        : new QLabel(shown, parent);
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
                // The grayed boxes are the attribute boxes, whose clicks never gray them.
                auto* box = (def.state & Grayed) ? new AttributeBox(caption, parent)
                                                 : new QCheckBox(caption, parent);
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
                if (name == QLatin1String("TabStrip")) {
                    for (const ModeTab& tab : modeTabs()) {
                        strip->addKeyedTab(QString::fromUtf8(tab.caption),
                                           QString::fromUtf8(tab.key));
                    }
                }
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
            QRect place = twipsRect(def.left, def.top, def.width, def.height);
            // A one-line label as high as its font needs, so descenders are not cut; it keeps
            // its place and grows downwards.
            if (def.kind == Kind::Label && def.height <= 300) {
                place.setHeight(std::max(place.height(), widget->sizeHint().height()));
            }
            widget->setGeometry(place);
        }
        if (def.tip[0] != '\0') {
            widget->setToolTip(QString::fromUtf8(def.tip));
        }
        if (pictures.contains(name)) {
            QIcon icon = drawnToolIcon(name);
            if (icon.isNull()) {
                icon = style()->standardIcon(pictures.value(name));
            }
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                button->setIcon(icon);
            } else if (auto* picture = qobject_cast<QLabel*>(widget)) {
                picture->setPixmap(
                    icon.pixmap(twipsToPixels(def.width), twipsToPixels(def.height)));
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

    // The text after a label's gap starts right of the controls that sit on the gap.
    for (GapLabel* label : client_->findChildren<GapLabel*>()) {
        int gapEnd = 0;
        for (const QWidget* sibling :
             label->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (sibling != label && sibling->isVisibleTo(label->parentWidget()) &&
                sibling->geometry().intersects(label->geometry())) {
                gapEnd = std::max(gapEnd, sibling->geometry().right() + 1 - label->x());
            }
        }
        if (gapEnd > 0) {
            label->setGapEnd(gapEnd + kGapMargin);
        }
    }

    nameInputsForAssistiveTechnology();

    if (auto* logo = control<QLabel>(QStringLiteral("imgLogo"))) {
        logo->setPixmap(logoPixmap(logo->size(), state_.appName, palette()));
    }

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
        frameOptions_.insert(frame, option);
        // The button has no caption of its own: it reads as the caption it sits on.
        option->setAccessibleName(labelCaption(frame->title()).trimmed());
        frame->installEventFilter(this);
        placeOnCaptionLine(option, frame);
    }

    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("tmrPreview"));
    timer->setInterval(kPreviewIntervalMs);
    registerControl(timer);
    timer->start();
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
            // A pop-up is a window of its own and takes the desktop's font, not the window's.
            menu->setFont(font());
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
            submenu->setFont(font());
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

}  // namespace mainwindow
