#include "mainwindow/modetable.h"

#include <array>
#include <optional>

#include "engine/caseconvert.h"
#include "engine/tokens.h"
#include "mainwindow/widgetvalues.h"
#include "platform/localetext.h"
#include "settings/conversions.h"

namespace mainwindow {

namespace {

// Substring search without regard to letter case.
bool containsText(const QString& text, const QString& part) {
    return text.contains(part, Qt::CaseInsensitive);
}

// Whether the text holds a token that names a value (part markers and "<\>" do not).
template <class Source>
bool containsValueToken(const QString& text, std::span<const engine::PatternToken<Source>> tokens) {
    for (const engine::PatternToken<Source>& token : tokens) {
        if (token.role == engine::TokenRole::Value &&
            containsText(text, QLatin1String(token.token))) {
            return true;
        }
    }
    return false;
}

QString partMarker(int number) {
    return QStringLiteral("<%%1>").arg(number);
}

// A format pattern is usable when it holds a named token or a part marker that the parts
// pattern defines, and the parts pattern defines no marker twice and never uses "<%0>".
bool formatPatternUsable(const QString& pattern, const QString& parts) {
    bool found = containsValueToken(pattern, engine::formatTokens());
    bool partsUsed = false;
    for (int number = 1; number <= 9 && !partsUsed; ++number) {
        partsUsed =
            containsText(pattern, partMarker(number)) && containsText(parts, partMarker(number));
    }
    if (partsUsed) {
        found = true;
        for (int number = 1; number <= 9; ++number) {
            const QString marker = partMarker(number);
            const qsizetype first = parts.indexOf(marker, 0, Qt::CaseInsensitive);
            if (first >= 0 &&
                parts.indexOf(marker, first + marker.size(), Qt::CaseInsensitive) >= 0) {
                found = false;
            }
        }
    }
    if (containsText(parts, partMarker(0))) {
        found = false;
    }
    return found;
}

bool always(const Controls&) {
    return true;
}

bool never(const Controls&) {
    return false;
}

QWidget* noFocus(const Controls&) {
    return nullptr;
}

// ---- Replace ----

bool replaceBlocks(const Controls& ui) {
    if (ui.optReplaceSingle->isChecked()) {
        const QString find = ui.txtFind->text();
        const QString replace = ui.txtReplace->text();
        if (find.isEmpty()) {
            return true;
        }
        return vbValue(ui.chkCaseSensitive) != 0 ? find == replace
                                                 : engine::equalIgnoringCase(find, replace);
    }
    return false;  // batch: the list is not examined
}

QWidget* replaceFocus(const Controls& ui) {
    return ui.optReplaceSingle->isChecked() ? ui.txtFind : nullptr;
}

// ---- Case ----

bool caseBlocks(const Controls& ui) {
    return ui.Case1_0->isChecked() && ui.Case2_0->isChecked() &&
           vbValue(ui.chkExceptionsEnabled) == 0;
}

// ---- Enum ----

bool enumUsesNameScope(const Controls& ui) {
    return !ui.chkEnumTab_Enum->isChecked();
}

bool enumBlocks(const Controls& ui) {
    if (ui.chkEnumTab_Enum->isChecked()) {
        const QString pattern = ui.txtEnumFormat->text();
        if (pattern.isEmpty() || !containsText(pattern, QStringLiteral("<ENUM>")) ||
            ui.txtEnumStart->text().isEmpty() || ui.txtEnumStep->text().isEmpty() ||
            platform::vbVal(ui.txtEnumStep->text()) < 1 || ui.txtEnumZeros->text().isEmpty()) {
            return true;
        }
        // The box admits digits only; a pasted or stored text that is no whole number blocks
        // like a zero width. Applies also while the automatic width greys the box.
        const std::optional<qint16> zeros = settings::toInt16(ui.txtEnumZeros->text());
        return !zeros || *zeros == 0;
    }
    if (ui.chkEnumTab_Normalize->isChecked()) {
        return ui.txtNormalize->text().isEmpty();
    }
    return false;
}

QWidget* enumFocus(const Controls& ui) {
    return ui.chkEnumTab_Enum->isChecked()        ? ui.txtEnumFormat
           : ui.chkEnumTab_Normalize->isChecked() ? ui.txtNormalize
                                                  : nullptr;
}

// ---- Space ----

bool spaceBlocks(const Controls& ui) {
    return vbValue(ui.chkSpaceBeginning) == 0 && vbValue(ui.chkSpaceEnd) == 0 &&
           vbValue(ui.chkSpaceShrink) == 0;
}

// ---- Attributes and dates ----

bool attribDirsAllowed(const Controls& ui) {
    return !ui.optAttrib_Date->isChecked();
}

bool attribBlocks(const Controls& ui) {
    if (ui.optAttrib_Attributes->isChecked()) {
        return vbValue(ui.chkR) == 2 && vbValue(ui.chkH) == 2 && vbValue(ui.chkS) == 2 &&
               vbValue(ui.chkA) == 2;
    }
    if (ui.optAttrib_Date->isChecked()) {
        return vbValue(ui.chkDateCreated) == 0 && vbValue(ui.chkDateAccessed) == 0 &&
               vbValue(ui.chkDateModified) == 0;
    }
    return false;
}

QWidget* attribFocus(const Controls& ui) {
    return ui.chkR;
}

// ---- Add and crop ----

bool addCropBlocks(const Controls& ui) {
    if (ui.optAdd->isChecked()) {
        return ui.txtAdd->text().isEmpty() || ui.txtAddPos->text().isEmpty() ||
               platform::vbVal(ui.txtAddPos->text()) < 0;
    }
    const QString number = ui.txtCropNumber->text();
    const QString position = ui.txtCropPos->text();
    return number.isEmpty() || platform::vbVal(number) == 0 || position.isEmpty() ||
           platform::vbVal(position) < 0;
}

QWidget* addCropFocus(const Controls& ui) {
    return ui.optAdd->isChecked()    ? ui.txtAdd
           : ui.optCrop->isChecked() ? ui.txtCropNumber
                                     : nullptr;
}

// ---- Mp3 ----

bool mp3Blocks(const Controls& ui) {
    const QString pattern = ui.txtMp3Format->text();
    return pattern.isEmpty() || !containsValueToken(pattern, engine::mp3Tokens());
}

QWidget* mp3Focus(const Controls& ui) {
    return ui.txtMp3Format;
}

// ---- Format ----

bool formatDetects(const Controls& ui) {
    return ui.chkFormatTab_Detect->isChecked();
}

bool formatFormats(const Controls& ui) {
    return !formatDetects(ui);
}

bool formatBlocks(const Controls& ui) {
    if (ui.chkFormatTab_Format->isChecked()) {
        const QString pattern = ui.txtFormat->text();
        return pattern.isEmpty() || !formatPatternUsable(pattern, ui.txtFormatParts->text());
    }
    return false;  // file-type detection needs no input
}

QWidget* formatFocus(const Controls& ui) {
    if (ui.chkFormatTab_Format->isChecked()) {
        return ui.txtFormat;
    }
    return ui.chkFormatTab_Detect->isChecked() ? ui.chkFileDetect_KeepExt : nullptr;
}

// clang-format off
constexpr ModeTab kModeTabs[] = {
// key        frame                         dirs allowed        name scope         focus          blocks         files only  tag library
{"Replace",  &Controls::frmFindReplace,    always,             always,            replaceFocus,  replaceBlocks, false,      false},
{"Case",     &Controls::frmConvertCase,    always,             never,             noFocus,       caseBlocks,    false,      false},
{"Attrib",   &Controls::frmSetAttributes,  attribDirsAllowed,  never,             attribFocus,   attribBlocks,  false,      false},
{"AddCrop",  &Controls::frmAddCrop,        always,             always,            addCropFocus,  addCropBlocks, false,      false},
{"Mp3",      &Controls::frmMp3Tag,         never,              never,             mp3Focus,      mp3Blocks,     true,       true},
{"Enum",     &Controls::frmEnum,           always,             enumUsesNameScope, enumFocus,     enumBlocks,    false,      false},
{"Format",   &Controls::frmFormat,         formatFormats,      formatFormats,     formatFocus,   formatBlocks,  false,      false},
{"misc",     &Controls::frmMisc,           always,             never,             noFocus,       spaceBlocks,   false,      false},
};

constexpr ModeWord kModeWords[] = {
{"modecase",         nullptr,                         2},
{"modereplace",      &Controls::optReplaceSingle,     1},
{"modebatchreplace", &Controls::optReplaceBatch,      1},
{"modeenum",         &Controls::chkEnumTab_Enum,      3},
{"modenormalize",    &Controls::chkEnumTab_Normalize, 3},
{"modeformat",       &Controls::chkFormatTab_Format,  8},
{"modefiletype",     &Controls::chkFormatTab_Detect,  8},
{"modedate",         &Controls::optAttrib_Date,       5},
{"modeattrib",       &Controls::optAttrib_Attributes, 5},
{"modemp3",          nullptr,                         7},
{"modespace",        nullptr,                         4},
{"modeadd",          &Controls::optAdd,               6},
{"modecrop",         &Controls::optCrop,              6},
};
// clang-format on

}  // namespace

std::span<const ModeTab> modeTabs() {
    return kModeTabs;
}

const ModeTab* modeTab(const QString& key) {
    for (const ModeTab& tab : kModeTabs) {
        if (key == QLatin1String(tab.key)) {
            return &tab;
        }
    }
    return nullptr;
}

runs::ModeSelection modeSelection(const Controls& ui, const QString& tabKey) {
    runs::ModeSelection selection;
    selection.tabKey = tabKey;
    selection.replaceBatch = ui.optReplaceBatch->isChecked();
    selection.enumNumbering = ui.chkEnumTab_Enum->isChecked();
    selection.formatDetect = ui.chkFormatTab_Detect->isChecked();
    return selection;
}

std::span<const ModeWord> modeWords() {
    return kModeWords;
}

}  // namespace mainwindow
