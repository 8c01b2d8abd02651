#include "mainwindow/dialogs/getposition.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

#include "engine/characters.h"
#include "engine/namescope.h"
#include "filelists/rowtext.h"
#include "mainwindow/controltable.h"
#include "mainwindow/filesource.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/widgetvalues.h"
#include "settings/conversions.h"

namespace mainwindow {

namespace {

constexpr int kTickMilliseconds = 10;

// Where the picker starts: a box text that never went through the box's repair (a stored
// setting, a paste behind digits) may not be a whole number; the picker then starts from 0
// instead of failing.
qint16 startingNumber(const QLineEdit* box) {
    return settings::toInt16(box->text()).value_or(0);
}

void writeNumber(QLineEdit* box, qint16 value) {
    box->setText(QString::number(value));
}

int characterCount(const QString& text) {
    return static_cast<int>(engine::characterStarts(text).size()) - 1;
}

// The characters that start before the code unit `units`.
int charactersBefore(const QString& text, qsizetype units) {
    const QList<qsizetype> starts = engine::characterStarts(text);
    const auto chars =
        std::lower_bound(starts.cbegin(), starts.cend() - 1, units) - starts.cbegin();
    return static_cast<int>(chars);
}

bool takesLength(PickMode mode) {
    return mode == PickMode::PositionAndLength || mode == PickMode::PositionAndLengthFromEnd;
}

platform::ListView* activeList(FrmMain& window) {
    const QString key = window.fileModeTabKey();
    if (key == QLatin1String("listview")) {
        return window.ui().lwDirectory;
    }
    if (key == QLatin1String("dragdrop")) {
        return window.ui().lwDragDrop;
    }
    return nullptr;
}

bool activeSourceShowsPlaceholder(FrmMain& window) {
    switch (window.state().fileMode) {
        case 0:
            return showsPlaceholder(window.ui().lwDirectory);
        case 1:
            return showsPlaceholder(window.ui().lwDragDrop);
        default:
            return false;
    }
}

QWidget* buttonWidget(const Controls& ui, PositionButton button) {
    switch (button) {
        case PositionButton::AddGetPosition:
            return ui.cmdAddGetPosition;
        case PositionButton::CropGetPosition:
            return ui.cmdCropGetPosition;
        case PositionButton::ReplaceGetPosition:
            return ui.cmdReplaceGetPosition;
        case PositionButton::ReplaceGetString:
            return ui.cmdReplaceGetString;
    }
    return nullptr;
}

// A picture button takes no focus on a click, so the box would still hold it (unrepaired)
// when the button reads it. Move the focus away and let the box's focus-out rules run first.
void takeFocusFromBox(FrmMain& window, PositionButton button) {
    QWidget* taker = buttonWidget(window.ui(), button);
    if (taker != nullptr && taker->isVisible() && taker->isEnabled()) {
        taker->setFocus(Qt::OtherFocusReason);
    } else if (QWidget* focused = window.focusWidget()) {
        focused->clearFocus();
    }
    QCoreApplication::processEvents();
}

}  // namespace

GetPositionDialog::GetPositionDialog(PickMode mode, const QStringList& samples, int currentSample,
                                     const PickValues& values, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      mode_(mode),
      values_(values),
      saved_(values) {
    setWindowTitle(QStringLiteral("Visual Assist"));
    setFixedSize(twipsToPixels(4335), twipsToPixels(1350));

    info_ = new QLabel(QStringLiteral("Place cursor on desired position:"), this);
    info_->setGeometry(twipsRect(120, 120, 3375, 255));
    files_ = new QComboBox(this);
    files_->setEditable(true);
    // The box is a scratch pad for measuring: what the user types is no new sample.
    files_->setInsertPolicy(QComboBox::NoInsert);
    files_->setGeometry(twipsRect(120, 360, 4095, 315));
    currentPos_ = new QLabel(this);
    currentPos_->setGeometry(twipsRect(120, 840, 2295, 495));
    currentPos_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setGeometry(twipsRect(2520, 840, 735, 375));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setGeometry(twipsRect(3360, 840, 735, 375));
    cancel_->setAutoDefault(false);
    setTabOrder(ok_, cancel_);
    setTabOrder(cancel_, files_);

    files_->addItems(samples);
    files_->setCurrentIndex(currentSample >= 0 && currentSample < samples.size() ? currentSample
                                                                                 : -1);
    if (files_->currentIndex() < 0) {
        files_->setEditText(QString());
    }

    if (takesLength(mode_)) {
        info_->setText(QStringLiteral("Select text to set position and length:"));
    } else if (mode_ != PickMode::Text) {
        info_->setText(QStringLiteral("Place cursor on desired position:"));
    }

    files_->installEventFilter(this);
    connect(ok_, &QPushButton::clicked, this, [this] {
        accepted_ = true;
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    timer_ = new QTimer(this);
    timer_->setInterval(kTickMilliseconds);
    connect(timer_, &QTimer::timeout, this, &GetPositionDialog::tick);
    timer_->start();
}

int GetPositionDialog::caretCharacters() const {
    const QLineEdit* edit = files_->lineEdit();
    const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    return charactersBefore(edit->text(), start);
}

int GetPositionDialog::selectionCharacters() const {
    const QLineEdit* edit = files_->lineEdit();
    if (!edit->hasSelectedText()) {
        return 0;
    }
    const QString text = edit->text();
    return charactersBefore(text, edit->selectionEnd()) -
           charactersBefore(text, edit->selectionStart());
}

void GetPositionDialog::selectCharacters(int caret, int length) {
    QLineEdit* edit = files_->lineEdit();
    const QString text = edit->text();
    const int total = characterCount(text);
    // Incoming values may come from boxes that hold anything from -32768 to 32767: select
    // what of the asked range lies inside the text; a range wholly outside it (or a negative
    // length) leaves the bare caret at the nearer end.
    const int first = std::clamp(caret, 0, total);
    const int last = std::clamp(caret + std::max(length, 0), first, total);
    const auto start = engine::unitsOfCharacters(text, first);
    if (last == first) {
        edit->setCursorPosition(static_cast<int>(start));
        return;
    }
    const auto end = engine::unitsOfCharacters(text, last);
    edit->setSelection(static_cast<int>(start), static_cast<int>(end - start));
}

void GetPositionDialog::setVisible(bool visible) {
    QDialog::setVisible(visible);
    // After the dialog's own showing: that hands its focus widget a tab-focus event, which
    // would select the whole sample and lose the caret placed here.
    if (visible && firstActivation_) {
        firstActivation();
    }
}

void GetPositionDialog::firstActivation() {
    accepted_ = false;
    files_->setFocus(Qt::ActiveWindowFocusReason);
    const int total = characterCount(files_->lineEdit()->text());
    const int position = values_.position;
    // A negative length (pasted into the count box) selects nothing and moves nothing.
    const int length = std::max<int>(values_.length, 0);
    switch (mode_) {
        case PickMode::PositionFromEnd:
            selectCharacters(total - position, 0);
            break;
        case PickMode::PositionAndLengthFromEnd:
            selectCharacters(total - position - length, length);
            break;
        case PickMode::PositionAndLength:
            selectCharacters(position, length);
            break;
        case PickMode::Position:
        case PickMode::Text:
            selectCharacters(position, 0);
            break;
    }
    if (mode_ == PickMode::Text) {
        info_->setText(QStringLiteral("Select Text:"));
    }
    firstActivation_ = false;
}

bool GetPositionDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == files_) {
        if (event->type() == QEvent::FocusIn) {
            tracking_ = true;
        } else if (event->type() == QEvent::FocusOut) {
            // The drop-down list of the box itself does not end the tracking.
            tracking_ = static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void GetPositionDialog::tick() {
    if (!tracking_) {
        return;
    }
    const QString position = QStringLiteral("Current position: ");
    const QString length = QStringLiteral("\nSelection length: ");
    const int caret = caretCharacters();
    const int selection = selectionCharacters();
    const int total = characterCount(files_->lineEdit()->text());
    switch (mode_) {
        case PickMode::Position:
            currentPos_->setText(position + QString::number(caret));
            values_.position = settings::clampToInt16(caret);
            break;
        case PickMode::PositionAndLength:
            currentPos_->setText(position + QString::number(caret) + length +
                                 QString::number(selection));
            values_.position = settings::clampToInt16(caret);
            values_.length = settings::clampToInt16(selection);
            break;
        case PickMode::Text:
            values_.text = files_->lineEdit()->selectedText();
            break;
        case PickMode::PositionFromEnd:
            currentPos_->setText(position + QLatin1Char('-') + QString::number(total - caret));
            values_.position = settings::clampToInt16(total - caret);
            break;
        case PickMode::PositionAndLengthFromEnd: {
            const int fromEnd = total - caret - selection;
            currentPos_->setText(position + (fromEnd == 0 ? QString() : QStringLiteral("-")) +
                                 QString::number(fromEnd) + length + QString::number(selection));
            values_.position = settings::clampToInt16(fromEnd);
            values_.length = settings::clampToInt16(selection);
            break;
        }
    }
}

void GetPositionDialog::done(int result) {
    timer_->stop();
    if (!accepted_) {
        values_ = saved_;
    }
    QDialog::done(result);
}

void openPositionPicker(FrmMain& window, PositionButton button) {
    takeFocusFromBox(window, button);
    if (activeSourceShowsPlaceholder(window)) {
        return;
    }
    Controls& ui = window.ui();
    WindowState& state = window.state();
    PickValues values{state.getPositionPos, state.getPositionLength, state.getPositionText};
    PickMode mode = PickMode::Position;
    switch (button) {
        case PositionButton::AddGetPosition:
            mode = ui.optAddBeginning->isChecked() ? PickMode::Position : PickMode::PositionFromEnd;
            values.position = startingNumber(ui.txtAddPos);
            break;
        case PositionButton::CropGetPosition:
            mode = ui.optCropBeginning->isChecked() ? PickMode::PositionAndLength
                                                    : PickMode::PositionAndLengthFromEnd;
            values.length = startingNumber(ui.txtCropNumber);
            values.position = startingNumber(ui.txtCropPos);
            break;
        case PositionButton::ReplaceGetPosition:
            values.position = startingNumber(ui.txtReplaceStart);
            break;
        case PositionButton::ReplaceGetString:
            mode = PickMode::Text;
            values.length = 0;
            values.position = 0;
            values.text = ui.txtFind->text();
            break;
    }

    QStringList samples;
    int current = -1;
    if (const platform::ListView* list = activeList(window)) {
        engine::NameScope scope(engine::ScopeOptions{vbValue(ui.chkProcessFilename) == 1,
                                                     vbValue(ui.chkProcessFileExt) == 1});
        samples.reserve(list->rowCount());
        for (int row = 0; row < list->rowCount(); ++row) {
            samples.append(scope.splitNamePart(list->text(row, filelists::kColumnName)));
        }
        current = list->currentRow();
        if (current < 0 && !list->selectedRows().isEmpty()) {
            current = list->selectedRows().constFirst();
        }
    }

    {
        // No owner: the picker is application modal and centred on the screen.
        GetPositionDialog dialog(mode, samples, current, values);
        dialog.exec();
        values = dialog.values();
    }
    state.getPositionPos = values.position;
    state.getPositionLength = values.length;
    state.getPositionText = values.text;

    switch (button) {
        case PositionButton::AddGetPosition:
            writeNumber(ui.txtAddPos, values.position);
            ui.optAdd->setFocus(Qt::OtherFocusReason);
            break;
        case PositionButton::CropGetPosition:
            writeNumber(ui.txtCropPos, values.position);
            writeNumber(ui.txtCropNumber, values.length);
            ui.optCrop->setFocus(Qt::OtherFocusReason);
            break;
        case PositionButton::ReplaceGetPosition:
            writeNumber(ui.txtReplaceStart, values.position);
            ui.optReplaceSingle->setFocus(Qt::OtherFocusReason);
            break;
        case PositionButton::ReplaceGetString:
            ui.txtFind->setText(values.text);
            ui.optReplaceSingle->setFocus(Qt::OtherFocusReason);
            break;
    }
}

}  // namespace mainwindow
