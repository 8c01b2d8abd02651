#include "mainwindow/dialogs/batchreplaceitem.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cmath>

#include "mainwindow/controltable.h"
#include "mainwindow/optionpanels.h"
#include "mainwindow/widgetvalues.h"
#include "platform/localetext.h"
#include "settings/textlists.h"

namespace mainwindow {

namespace {

constexpr int kClientWidth = 4455;
constexpr int kClientHeight = 2205;
constexpr int kMaxNumberLength = 3;
constexpr int kLargestNumber = 999;
// Pixels kept between a label and the box it names.
constexpr int kLabelGap = 2;

// Start and Count: an empty box is 0; the digits filter keeps them from going below it.
constexpr NumberBoxRule kNumberRule{nullptr, "0", 0, false, 0};

// A caption at its place, widened (and a label deepened) when the font needs more room than
// the design gave, so no caption is cut. `rightLimit` (>= 0) is where the next control
// starts: a widened caption then moves left instead of running under it.
void placeCaption(QWidget* caption, const QRect& twips, int rightLimit = -1) {
    QRect place = twipsRect(twips.x(), twips.y(), twips.width(), twips.height());
    const QSize hint = caption->sizeHint();
    place.setWidth(std::max(place.width(), hint.width()));
    place.setHeight(std::max(place.height(), hint.height()));
    if (rightLimit >= 0 && place.right() >= rightLimit) {
        place.moveRight(rightLimit - 1);
    }
    caption->setGeometry(place);
}

}  // namespace

QString batchItemNotStorableText() {
    return QStringLiteral(
        "The batch replace list cannot keep this replacement: its texts may not hold \"/\" or "
        "a line break, and its find text may not start with \"#\".");
}

qint16 batchItemNumber(const QString& text) {
    return static_cast<qint16>(
        platform::boxNumber(repairedText(text, kNumberRule), 0, kLargestNumber));
}

BatchReplaceItemDialog::BatchReplaceItemDialog(int editMode, const QStringList& cells,
                                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmBatchReplaceAdd"));
    setModal(true);
    // A dialog does not take its owner's font by itself; it shows in the program's.
    if (parent) {
        setFont(parent->window()->font());
    }
    buildControls();

    connect(txtFind_, &QLineEdit::textChanged, this, &BatchReplaceItemDialog::txtFindChange);
    // The replace text is checked by the same rule: a "/" there breaks the list file too.
    connect(txtReplace_, &QLineEdit::textChanged, this, &BatchReplaceItemDialog::txtFindChange);
    connect(cmdOK_, &QPushButton::clicked, this, &BatchReplaceItemDialog::cmdOKClick);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);

    if (editMode == -1) {
        setWindowTitle(QStringLiteral("Edit Batch Replace Item"));
        const auto cell = [&cells](int index) { return cells.value(index); };
        txtFind_->setText(cell(Find));
        txtReplace_->setText(cell(Replace));
        chkCaseSensitive_->setChecked(cell(Case) == QLatin1String("x"));
        chkReplaceMode_->setChecked(cell(Swap) == QLatin1String("x"));
        txtReplaceStart_->setText(cell(Start));
        txtReplaceCount_->setText(cell(Count));
    } else {
        setWindowTitle(QStringLiteral("Add Batch Replace Item"));
    }
    txtFindChange();

    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    // The window gives the focus to this box when it is shown.
    txtFind_->setFocus(Qt::OtherFocusReason);
}

void BatchReplaceItemDialog::buildControls() {
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));

    const auto textBox = [this](const char* name, const QString& text, const QRect& twips) {
        auto* box = new QLineEdit(text, this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        box->installEventFilter(this);
        return box;
    };
    const auto label = [this](const char* name, const QString& text) {
        auto* shown = new QLabel(text, this);
        shown->setObjectName(QString::fromLatin1(name));
        return shown;
    };
    const auto checkBox = [this](const char* name, const QString& text, const QRect& twips) {
        auto* box = new QCheckBox(text, this);
        box->setObjectName(QString::fromLatin1(name));
        placeCaption(box, twips);
        return box;
    };
    const auto button = [this](const char* name, const QString& text, const QRect& twips) {
        auto* pushButton = new QPushButton(text, this);
        pushButton->setObjectName(QString::fromLatin1(name));
        pushButton->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        return pushButton;
    };

    QLabel* findLabel = label("Label1", QStringLiteral("Look for..."));
    placeCaption(findLabel, {90, 75, 1335, 255});
    txtFind_ = textBox("txtFind", QString(), {90, 315, 3015, 285});
    QLabel* replaceLabel = label("Label2", QStringLiteral("... and replace with:"));
    placeCaption(replaceLabel, {90, 675, 1695, 255});
    txtReplace_ = textBox("txtReplace", QString(), {90, 915, 3015, 285});
    chkCaseSensitive_ =
        checkBox("chkCaseSensitive", QStringLiteral("Case Sensitive"), {210, 1395, 1455, 255});
    chkReplaceMode_ =
        checkBox("chkReplaceMode", QStringLiteral("Swap Mode"), {210, 1755, 1215, 255});
    txtReplaceStart_ = textBox("txtReplaceStart", QStringLiteral("0"), {2610, 1395, 495, 285});
    txtReplaceCount_ = textBox("txtReplaceCount", QStringLiteral("0"), {2610, 1755, 495, 285});
    QLabel* startLabel = label("Label30", QStringLiteral("Start:"));
    placeCaption(startLabel, {2070, 1425, 555, 255}, txtReplaceStart_->x() - kLabelGap);
    QLabel* countLabel = label("Label29", QStringLiteral("Count:"));
    placeCaption(countLabel, {2070, 1785, 585, 255}, txtReplaceCount_->x() - kLabelGap);
    // Assistive technology names each box after the label that reads for it.
    findLabel->setBuddy(txtFind_);
    replaceLabel->setBuddy(txtReplace_);
    startLabel->setBuddy(txtReplaceStart_);
    countLabel->setBuddy(txtReplaceCount_);
    for (QLineEdit* box : {txtReplaceStart_, txtReplaceCount_}) {
        box->setMaxLength(kMaxNumberLength);
        box->setValidator(new DigitsOnly(box));
    }
    cmdOK_ = button("cmdOK", QStringLiteral("OK"), {3360, 120, 975, 375});
    cmdOK_->setDefault(true);
    cmdCancel_ = button("cmdCancel", QStringLiteral("Cancel"), {3360, 585, 975, 375});

    QWidget* const focusOrder[] = {cmdCancel_,      cmdOK_,   txtReplaceStart_, txtReplaceCount_,
                                   chkReplaceMode_, txtFind_, txtReplace_,      chkCaseSensitive_};
    for (std::size_t i = 1; i < std::size(focusOrder); ++i) {
        setTabOrder(focusOrder[i - 1], focusOrder[i]);
    }
}

QStringList BatchReplaceItemDialog::cells() const {
    const auto mark = [](const QCheckBox* box) {
        return box->isChecked() ? QStringLiteral("x") : QString();
    };
    return {txtFind_->text(),
            txtReplace_->text(),
            mark(chkCaseSensitive_),
            mark(chkReplaceMode_),
            repairedText(txtReplaceStart_->text(), kNumberRule),
            repairedText(txtReplaceCount_->text(), kNumberRule)};
}

void BatchReplaceItemDialog::txtFindChange() {
    const QString find = txtFind_->text();
    const bool storable = settings::batchItemStorable(find, txtReplace_->text());
    cmdOK_->setEnabled(!find.isEmpty() && storable);
    // A disabled "OK" says why, when the reason is not plain to see.
    cmdOK_->setToolTip(storable ? QString() : batchItemNotStorableText());
}

void BatchReplaceItemDialog::cmdOKClick() {
    // Enter presses "OK" while a number box still has the focus, before its repair on leaving.
    repair(txtReplaceStart_);
    repair(txtReplaceCount_);
    if (!cmdOK_->isEnabled()) {
        return;
    }
    accept();
}

void BatchReplaceItemDialog::repair(QLineEdit* box) {
    const QString repaired = repairedText(box->text(), kNumberRule);
    if (repaired != box->text()) {
        box->setText(repaired);
    }
}

bool BatchReplaceItemDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box == nullptr) {
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn) {
        selectAllOnFocus(box);
    } else if ((box == txtReplaceStart_ || box == txtReplaceCount_) && leavesForGood(event)) {
        repair(box);
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace mainwindow
