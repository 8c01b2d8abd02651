#include "mainwindow/optionpanels.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QValidator>

#include "mainwindow/controls.h"
#include "mainwindow/dialogs/batchreplaceitem.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/modepanels.h"
#include "mainwindow/modetable.h"
#include "mainwindow/widgetvalues.h"
#include "platform/localetext.h"
#include "platform/messages.h"
#include "settings/textlists.h"

namespace mainwindow {

namespace {

// clang-format off
constexpr NumberBoxRule kNumberBoxes[] = {
    // box                          empty  minimum  only 0  maximum
    {&Controls::txtReplaceStart,    "0",   0,       false,  0},
    {&Controls::txtReplaceCount,    "0",   0,       false,  0},
    {&Controls::txtAddPos,          "0",   0,       false,  0},
    {&Controls::txtCropPos,         "0",   0,       false,  0},
    {&Controls::txtCropNumber,      "1",   1,       true,   0},
    {&Controls::txtEnumStart,       "0",   0,       false,  999999999},
    {&Controls::txtEnumStep,        "1",   1,       false,  999999},
    {&Controls::txtEnumZeros,       "0",   0,       false,  32},
    {&Controls::txtNormalize,       "0",   0,       false,  99},
};
// clang-format on

// The option a text box chooses when it gains the focus, and whether it then selects its
// whole text.
struct FocusRule {
    QLineEdit* Controls::*box;
    QRadioButton* Controls::*option;
    bool selectAll;
};
constexpr FocusRule kFocusRules[] = {
    {&Controls::txtFind, &Controls::optReplaceSingle, true},
    {&Controls::txtReplace, &Controls::optReplaceSingle, true},
    {&Controls::txtReplaceStart, &Controls::optReplaceSingle, true},
    {&Controls::txtReplaceCount, &Controls::optReplaceSingle, true},
    {&Controls::txtAdd, &Controls::optAdd, true},
    {&Controls::txtAddPos, &Controls::optAdd, true},
    {&Controls::txtCropPos, &Controls::optCrop, true},
    {&Controls::txtCropNumber, &Controls::optCrop, true},
    {&Controls::txtEnumFormat, &Controls::chkEnumTab_Enum, false},
    {&Controls::txtEnumStart, &Controls::chkEnumTab_Enum, true},
    {&Controls::txtEnumStep, &Controls::chkEnumTab_Enum, true},
    {&Controls::txtEnumZeros, &Controls::chkEnumTab_Enum, true},
    {&Controls::txtNormalize, &Controls::chkEnumTab_Normalize, true},
};

}  // namespace

QValidator::State DigitsOnly::validate(QString& input, int& position) const {
    QString digits;
    digits.reserve(input.size());
    int caret = position;
    for (int i = 0; i < input.size(); ++i) {
        if (input.at(i) >= u'0' && input.at(i) <= u'9') {
            digits += input.at(i);
        } else if (i < position) {
            --caret;
        }
    }
    input = digits;
    position = caret;
    return Acceptable;
}

QString repairedText(const QString& text, const NumberBoxRule& rule) {
    QString repaired = text;
    if (repaired.isEmpty()) {
        repaired = QString::fromLatin1(rule.empty);
    }
    const double value = platform::vbVal(repaired);
    if (rule.onlyZeroIsLow ? value == 0 : value < rule.minimum) {
        repaired = QString::number(static_cast<qint64>(rule.minimum));
    }
    if (rule.maximum > 0 && platform::vbVal(repaired) > rule.maximum) {
        repaired = QString::number(static_cast<qint64>(rule.maximum));
    }
    return repaired;
}

OptionPanels::OptionPanels(FrmMain& window, Controls& ui) : window_(window), ui_(ui) {}

void OptionPanels::choose(QRadioButton* option) {
    option->setChecked(true);
}

QString OptionPanels::numberText(const QLineEdit* box) const {
    for (const NumberBoxRule& rule : kNumberBoxes) {
        if (ui_.*rule.box == box) {
            return repairedText(box->text(), rule);
        }
    }
    return box->text();
}

void OptionPanels::connectHandlers() {
    // Attribute boxes: unticked, ticked, grayed, unticked.
    QCheckBox* const attributes[] = {ui_.chkR, ui_.chkH, ui_.chkS, ui_.chkA};
    for (int i = 0; i < 4; ++i) {
        connect(attributes[i], &QCheckBox::stateChanged, this, [this, i] { attributeBoxClick(i); });
    }
    // "New Date:" and "New Time:": each picker enabled while its box is ticked, and one of the
    // two boxes always on.
    connect(ui_.chkDateDate, &QCheckBox::stateChanged, this,
            [this] { dateBoxClick(ui_.chkDateDate, ui_.chkDateTime, ui_.dtDate); });
    connect(ui_.chkDateTime, &QCheckBox::stateChanged, this,
            [this] { dateBoxClick(ui_.chkDateTime, ui_.chkDateDate, ui_.dtTime); });
    // Inputs that choose their frame's option when used.
    const auto choosesOn = [this](QCheckBox* box, QRadioButton* option) {
        connect(box, &QCheckBox::stateChanged, this, [this, option] { choose(option); });
    };
    for (QCheckBox* box : {ui_.chkDateCreated, ui_.chkDateAccessed, ui_.chkDateModified}) {
        choosesOn(box, ui_.optAttrib_Date);
    }
    for (QCheckBox* box :
         {ui_.chkFileDetect_KeepExt, ui_.chkFileDetect_TryText, ui_.chkFileDetect_TryMp3}) {
        choosesOn(box, ui_.chkFormatTab_Detect);
    }
    choosesOn(ui_.chkFormatAllMustBeAvailable, ui_.chkFormatTab_Format);
    connect(ui_.dtDate, &QDateEdit::dateChanged, this, [this] { choose(ui_.optAttrib_Date); });
    connect(ui_.dtTime, &QTimeEdit::timeChanged, this, [this] { choose(ui_.optAttrib_Date); });
    connect(ui_.cmdGetCurrentDate, &QAbstractButton::clicked, this, [this] {
        choose(ui_.optAttrib_Date);
        ui_.dtDate->setDate(QDate::currentDate());
        if (enabledSetting(ui_.dtDate)) {
            ui_.dtDate->setFocus(Qt::OtherFocusReason);
        }
    });
    connect(ui_.cmdGetCurrentTime, &QAbstractButton::clicked, this, [this] {
        choose(ui_.optAttrib_Date);
        ui_.dtTime->setTime(QTime::currentTime());
        if (enabledSetting(ui_.dtTime)) {
            ui_.dtTime->setFocus(Qt::OtherFocusReason);
        }
    });

    // Options that decide which items and which part of a name take part.
    connect(ui_.optAttrib_Attributes, &QRadioButton::toggled, this, [this](bool chosen) {
        if (chosen) {
            attribOptionChosen(false);
        }
    });
    connect(ui_.optAttrib_Date, &QRadioButton::toggled, this, [this](bool chosen) {
        if (chosen) {
            attribOptionChosen(true);
        }
    });
    connect(ui_.chkFormatTab_Format, &QRadioButton::toggled, this, [this](bool chosen) {
        if (chosen) {
            formatOptionChosen(false);
        }
    });
    connect(ui_.chkFormatTab_Detect, &QRadioButton::toggled, this, [this](bool chosen) {
        if (chosen) {
            formatOptionChosen(true);
        }
    });
    connect(ui_.chkEnumTab_Enum, &QRadioButton::toggled, this, [this](bool chosen) {
        if (chosen) {
            enumOptionChosen(true);
        }
    });
    connect(ui_.chkEnumTab_Normalize, &QRadioButton::toggled, this, [this](bool chosen) {
        if (chosen) {
            enumOptionChosen(false);
        }
    });
    connect(ui_.chkProcessFilename, &QCheckBox::stateChanged, this,
            [this] { processBoxClick(ui_.chkProcessFilename, ui_.chkProcessFileExt); });
    connect(ui_.chkProcessFileExt, &QCheckBox::stateChanged, this,
            [this] { processBoxClick(ui_.chkProcessFileExt, ui_.chkProcessFilename); });
    connect(ui_.chkEnumAutoZeros, &QCheckBox::stateChanged, this, [this] { autoZerosClick(); });
    connect(ui_.chkEnumResetBetweenDirs, &QCheckBox::stateChanged, this,
            [this] { resetBetweenDirsClick(); });

    // Text boxes: the pattern boxes choose their option on every change, also the loader's.
    connect(ui_.txtEnumFormat, &QLineEdit::textChanged, this,
            [this] { choose(ui_.chkEnumTab_Enum); });
    for (QLineEdit* box : {ui_.txtFormat, ui_.txtFormatParts}) {
        connect(box, &QLineEdit::textChanged, this, [this] { choose(ui_.chkFormatTab_Format); });
    }
    for (const NumberBoxRule& rule : kNumberBoxes) {
        (ui_.*rule.box)->setValidator(new DigitsOnly(ui_.*rule.box));
    }
    for (const FocusRule& rule : kFocusRules) {
        (ui_.*rule.box)->installEventFilter(this);
    }
    for (QWidget* input : std::initializer_list<QWidget*>{
             ui_.chkEnumAutoZeros, ui_.optAddBeginning,  ui_.optAddEnding,   ui_.optCropBeginning,
             ui_.optCropEnding,    ui_.chkCaseSensitive, ui_.chkReplaceMode, ui_.txtMp3Format,
             ui_.Case1_0,          ui_.Case1_1,          ui_.Case1_2,        ui_.Case1_3,
             ui_.Case1_4,          ui_.Case1_5,          ui_.Case1_6,        ui_.Case2_0,
             ui_.Case2_1,          ui_.Case2_2,          ui_.Case2_3,        ui_.Case2_4,
             ui_.Case2_5}) {
        input->installEventFilter(this);
    }

    for (QDateTimeEdit* picker : std::initializer_list<QDateTimeEdit*>{ui_.dtDate, ui_.dtTime}) {
        picker->installEventFilter(this);
        if (auto* text = picker->findChild<QLineEdit*>()) {
            text->installEventFilter(this);
        }
    }

    connect(ui_.cmdReplaceAdd, &QAbstractButton::clicked, this, [this] { cmdReplaceAddClick(); });

    // Token pickers: the chosen entry's token goes into the box at its caret.
    for (const TokenPickerDef& pair : tokenPickers()) {
        auto* picker = window_.control<QComboBox>(QString::fromUtf8(pair.picker));
        auto* box = window_.control<QLineEdit>(QString::fromUtf8(pair.box));
        connect(picker, &QComboBox::activated, this,
                [this, picker, box] { pickToken(picker, box); });
    }
}

void OptionPanels::cmdReplaceAddClick() {
    const QString find = ui_.txtFind->text();
    if (find.isEmpty()) {
        return;
    }
    const QString replace = ui_.txtReplace->text();
    // An item replace.txt cannot hold would work until the next start and then be gone.
    if (!settings::batchItemStorable(find, replace)) {
        platform::messages().showMessage(batchItemNotStorableText(), window_.state().appName,
                                         platform::MessageIcon::Exclamation,
                                         platform::MessageButtons::Ok);
        return;
    }
    engine::BatchReplaceItem item;
    item.find = find;
    item.replace = replace;
    // The list holds 0 or 1; a grayed box counts as ticked, as it does for the single replace.
    item.caseSensitive = vbValue(ui_.chkCaseSensitive) != 0 ? 1 : 0;
    item.swapMode = vbValue(ui_.chkReplaceMode) != 0 ? 1 : 0;
    item.start = batchItemNumber(numberText(ui_.txtReplaceStart));
    item.count = batchItemNumber(numberText(ui_.txtReplaceCount));
    QList<engine::BatchReplaceItem>& list = window_.lists().batchReplaceList;
    list.append(item);
    ui_.lblBatchReplace->setText(settings::batchReplaceCaption(static_cast<int>(list.size())));
    window_.state().previewPending = true;
}

void OptionPanels::attributeBoxClick(int index) {
    QCheckBox* const boxes[] = {ui_.chkR, ui_.chkH, ui_.chkS, ui_.chkA};
    QCheckBox* box = boxes[index];
    choose(ui_.optAttrib_Attributes);
    // A box that was ticked goes on to grayed; setting it runs this handler once more.
    if (storedAttributes_[static_cast<std::size_t>(index)] == 1) {
        setVbValue(box, 2);
    }
    storedAttributes_[static_cast<std::size_t>(index)] = vbValue(box);
    window_.modePanels().optionsChanged();
}

void OptionPanels::dateBoxClick(QCheckBox* box, QCheckBox* partner, QWidget* picker) {
    choose(ui_.optAttrib_Date);
    window_.modePanels().optionsChanged();
    if (vbValue(box) != 0) {
        picker->setEnabled(true);
        return;
    }
    if (vbValue(partner) == 0) {
        setVbValue(partner, 1);
    }
    picker->setEnabled(false);
}

void OptionPanels::processBoxClick(QCheckBox* box, QCheckBox* partner) {
    if (vbValue(box) == 0) {
        setVbValue(partner, 1);
    }
    window_.modePanels().optionsChanged();
}

void OptionPanels::autoZerosClick() {
    QLineEdit* zeros = ui_.txtEnumZeros;
    const bool automatic = vbValue(ui_.chkEnumAutoZeros) == 1;
    zeros->setEnabled(!automatic);
    // Greyed like a button's face while the width is automatic, white again when typed.
    QPalette palette = zeros->palette();
    palette.setColor(QPalette::Base,
                     QApplication::palette().color(automatic ? QPalette::Button : QPalette::Base));
    zeros->setPalette(palette);
    window_.modePanels().optionsChanged();
}

void OptionPanels::resetBetweenDirsClick() {
    if (vbValue(ui_.chkEnumResetBetweenDirs) == 1) {
        setVbValue(ui_.chkEnumAutoZeros, 0);
        ui_.chkEnumAutoZeros->setEnabled(false);
    } else {
        ui_.chkEnumAutoZeros->setEnabled(true);
    }
    window_.modePanels().optionsChanged();
}

void OptionPanels::attribOptionChosen(bool dates) {
    WindowState& state = window_.state();
    if (dates) {
        state.dirsAllowed = false;
        ui_.chkDirs->setEnabled(false);
        setVbValue(ui_.chkFiles, 1);
        setVbValue(ui_.chkDirs, 0);
    } else {
        state.dirsAllowed = true;
        if (state.fileMode == 0) {
            ui_.chkDirs->setEnabled(true);
        }
    }
    window_.modePanels().optionsChanged();
}

void OptionPanels::formatOptionChosen(bool detect) {
    WindowState& state = window_.state();
    if (detect) {
        ui_.chkDirs->setEnabled(false);
        state.dirsAllowed = false;
        setVbValue(ui_.chkFiles, 1);
        setVbValue(ui_.chkDirs, 0);
    } else {
        if (state.fileMode == 0) {
            ui_.chkDirs->setEnabled(true);
        }
        state.dirsAllowed = true;
    }
    ui_.chkProcessFilename->setEnabled(!detect);
    ui_.chkProcessFileExt->setEnabled(!detect);
    window_.modePanels().optionsChanged();
}

void OptionPanels::enumOptionChosen(bool numbering) {
    ui_.chkProcessFilename->setEnabled(!numbering);
    ui_.chkProcessFileExt->setEnabled(!numbering);
    window_.modePanels().optionsChanged();
}

void OptionPanels::pickToken(QComboBox* picker, QLineEdit* box) {
    const QString entry = picker->currentText();
    const qsizetype start = entry.lastIndexOf(u'<');
    const QString token = start < 0 ? QString() : entry.mid(start);
    // The token also goes to the clipboard, as users of the pickers know it; it is put into
    // the box directly, so it cannot land in whatever control holds the focus by then.
    QApplication::clipboard()->setText(token);
    box->setFocus(Qt::OtherFocusReason);
    box->insert(token);
}

void OptionPanels::focusAwayFromHiddenPanel(QWidget* Controls::*frame) {
    const ModeTab* tab = modeTab(window_.modeTabKey());
    if (tab && tab->frame == frame) {
        return;
    }
    if (enabledSetting(ui_.cmdExecute)) {
        ui_.cmdExecute->setFocus(Qt::OtherFocusReason);
    } else {
        ui_.cmdAbout->setFocus(Qt::OtherFocusReason);
    }
}

void OptionPanels::focusGained(QObject* watched) {
    for (const FocusRule& rule : kFocusRules) {
        QLineEdit* box = ui_.*rule.box;
        if (box != watched) {
            continue;
        }
        choose(ui_.*rule.option);
        if (box == ui_.txtFind) {
            focusAwayFromHiddenPanel(&Controls::frmFindReplace);
        }
        if (!rule.selectAll) {
            // The pattern box keeps its caret, also when the focus comes by the Tab key,
            // where the box would select its whole text.
            const int caret = box->cursorPosition();
            QMetaObject::invokeMethod(
                box,
                [box, caret] {
                    if (box->hasFocus() && box->hasSelectedText()) {
                        box->setCursorPosition(caret);
                    }
                },
                Qt::QueuedConnection);
        } else {
            selectAllOnFocus(box);
        }
        return;
    }
    if (watched == ui_.chkEnumAutoZeros) {
        choose(ui_.chkEnumTab_Enum);
    } else if (watched == ui_.optAddBeginning || watched == ui_.optAddEnding) {
        choose(ui_.optAdd);
    } else if (watched == ui_.optCropBeginning || watched == ui_.optCropEnding) {
        choose(ui_.optCrop);
    } else if (watched == ui_.chkCaseSensitive || watched == ui_.chkReplaceMode) {
        choose(ui_.optReplaceSingle);
    } else if (qobject_cast<QRadioButton*>(watched) &&
               watched->objectName().startsWith(QLatin1String("Case"))) {
        focusAwayFromHiddenPanel(&Controls::frmConvertCase);
    }
}

bool OptionPanels::mp3FormatKey(int key) {
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) || !enabledSetting(ui_.cmdExecute)) {
        return false;
    }
    // The first Enter moves to "Rename!"; a second one presses it.
    ui_.cmdExecute->setFocus(Qt::OtherFocusReason);
    return true;
}

bool OptionPanels::typeOverPicker(QObject* watched, const QKeyEvent* key) {
    auto* picker = qobject_cast<QDateTimeEdit*>(watched);
    if (!picker && watched) {
        picker = qobject_cast<QDateTimeEdit*>(watched->parent());
    }
    if (!picker || key->text().isEmpty() || !key->text().at(0).isPrint()) {
        return false;
    }
    const auto* text = picker->findChild<QLineEdit*>();
    // The picker takes typing one field at a time; over a selection of several fields it
    // would read the first keys against the whole text and land on another date. Typing over
    // them starts in the first field and runs on through the rest.
    if (!text || picker->sectionCount() < 2) {
        return false;
    }
    const QString section = picker->sectionText(picker->currentSection());
    if (text->selectedText().size() > section.size()) {
        picker->setCurrentSectionIndex(0);
        picker->setSelectedSection(picker->sectionAt(0));
        return false;
    }
    // A full field moves on by itself; the separator typed after it belongs to the field
    // just left, and taken as typed it would skip the next one ("10:30" giving 10:xx:30).
    const int start = text->selectionStart();
    return start > 0 && text->selectedText() == section && !section.isEmpty() &&
           text->text().at(start - 1) == key->text().at(0);
}

void OptionPanels::repairOnLeaving(QLineEdit* box) {
    for (const NumberBoxRule& rule : kNumberBoxes) {
        if (ui_.*rule.box != box) {
            continue;
        }
        const QString repaired = repairedText(box->text(), rule);
        if (repaired != box->text()) {
            box->setText(repaired);
            window_.modePanels().optionsChanged();
        }
        return;
    }
}

bool OptionPanels::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusIn:
            focusGained(watched);
            break;
        case QEvent::FocusOut:
            if (auto* box = qobject_cast<QLineEdit*>(watched); box && leavesForGood(event)) {
                leaveKeepingTheClick(event, [this, box] { repairOnLeaving(box); });
            }
            break;
        case QEvent::KeyPress:
            if (typeOverPicker(watched, static_cast<QKeyEvent*>(event))) {
                return true;
            }
            if (watched == ui_.txtMp3Format &&
                mp3FormatKey(static_cast<QKeyEvent*>(event)->key())) {
                return true;
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace mainwindow
