#include "mainwindow/modetable.h"

#include <algorithm>
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

bool always(const ModeInputs&) {
    return true;
}

bool never(const ModeInputs&) {
    return false;
}

QWidget* noFocus(const Controls&) {
    return nullptr;
}

template <runs::NamingMode mode>
runs::NamingMode only(const ModeInputs&) {
    return mode;
}

// ---- Replace ----

bool replaceBlocks(const ModeInputs& in) {
    if (in.replaceSingle) {
        if (in.find.isEmpty()) {
            return true;
        }
        return in.caseSensitive != 0 ? in.find == in.replace
                                     : engine::equalIgnoringCase(in.find, in.replace);
    }
    return false;  // batch: the list is not examined
}

QWidget* replaceFocus(const Controls& ui) {
    return ui.optReplaceSingle->isChecked() ? ui.txtFind : nullptr;
}

runs::NamingMode replaceNaming(const ModeInputs& in) {
    return in.replaceBatch ? runs::NamingMode::BatchReplace : runs::NamingMode::Replace;
}

// ---- Case ----

bool caseBlocks(const ModeInputs& in) {
    return in.case1 == 0 && in.case2 == 0 && in.exceptionsEnabled == 0;
}

// ---- Enum ----

bool enumUsesNameScope(const ModeInputs& in) {
    return !in.enumNumbering;
}

bool enumBlocks(const ModeInputs& in) {
    if (in.enumNumbering) {
        const QString& pattern = in.enumFormat;
        if (pattern.isEmpty() || !containsText(pattern, QStringLiteral("<ENUM>")) ||
            in.enumStart.text.isEmpty() || in.enumStep.text.isEmpty() ||
            platform::vbVal(in.enumStep.text) < 1 || in.enumZeros.text.isEmpty()) {
            return true;
        }
        // The box admits digits only; a pasted or stored text that is no whole number blocks
        // like a zero width. Applies also while the automatic width greys the box.
        const std::optional<qint16> zeros = settings::toInt16(in.enumZeros.text);
        return !zeros || *zeros == 0;
    }
    if (in.enumNormalize) {
        return in.normalizeWidth.text.isEmpty();
    }
    return false;
}

QWidget* enumFocus(const Controls& ui) {
    return ui.chkEnumTab_Enum->isChecked()        ? ui.txtEnumFormat
           : ui.chkEnumTab_Normalize->isChecked() ? ui.txtNormalize
                                                  : nullptr;
}

runs::NamingMode enumNaming(const ModeInputs& in) {
    return in.enumNumbering ? runs::NamingMode::Enum : runs::NamingMode::Normalize;
}

// ---- Space ----

bool spaceBlocks(const ModeInputs& in) {
    return in.spaceBeginning == 0 && in.spaceEnd == 0 && in.spaceShrink == 0;
}

// ---- Attributes and dates ----

bool attribDirsAllowed(const ModeInputs& in) {
    return !in.attribDate;
}

bool attribBlocks(const ModeInputs& in) {
    if (in.attribAttributes) {
        return std::ranges::all_of(in.attributes, [](int value) { return value == 2; });
    }
    if (in.attribDate) {
        return in.dateCreated == 0 && in.dateAccessed == 0 && in.dateModified == 0;
    }
    return false;
}

QWidget* attribFocus(const Controls& ui) {
    return ui.chkR;
}

// ---- Add and crop ----

bool addCropBlocks(const ModeInputs& in) {
    if (in.add) {
        return in.addText.isEmpty() || in.addPos.text.isEmpty() ||
               platform::vbVal(in.addPos.text) < 0;
    }
    const QString& number = in.cropNumber.text;
    const QString& position = in.cropPos.text;
    return number.isEmpty() || platform::vbVal(number) == 0 || position.isEmpty() ||
           platform::vbVal(position) < 0;
}

QWidget* addCropFocus(const Controls& ui) {
    return ui.optAdd->isChecked()    ? ui.txtAdd
           : ui.optCrop->isChecked() ? ui.txtCropNumber
                                     : nullptr;
}

// ---- Mp3 ----

bool mp3Blocks(const ModeInputs& in) {
    return in.mp3Format.isEmpty() || !containsValueToken(in.mp3Format, engine::mp3Tokens());
}

QWidget* mp3Focus(const Controls& ui) {
    return ui.txtMp3Format;
}

// ---- Format ----

bool formatFormats(const ModeInputs& in) {
    return !in.formatDetect;
}

bool formatBlocks(const ModeInputs& in) {
    if (in.formatFormat) {
        return in.format.isEmpty() || !formatPatternUsable(in.format, in.formatParts);
    }
    return false;  // file-type detection needs no input
}

QWidget* formatFocus(const Controls& ui) {
    if (ui.chkFormatTab_Format->isChecked()) {
        return ui.txtFormat;
    }
    return ui.chkFormatTab_Detect->isChecked() ? ui.chkFileDetect_KeepExt : nullptr;
}

runs::NamingMode formatNaming(const ModeInputs& in) {
    return in.formatDetect ? runs::NamingMode::DetectType : runs::NamingMode::Format;
}

using runs::NamingMode;

// clang-format off
constexpr ModeTab kModeTabs[] = {
// key        caption                  frame                         naming                       dirs allowed       name scope         focus          blocks         files only  tag library  attribute run
{"Replace",  "Find && Replace",       &Controls::frmFindReplace,    replaceNaming,               always,            always,            replaceFocus,  replaceBlocks, false,      false,       false},
{"Case",     "Convert Case",          &Controls::frmConvertCase,    only<NamingMode::Case>,      always,            never,             noFocus,       caseBlocks,    false,      false,       false},
{"Enum",     "Enum",                  &Controls::frmEnum,           enumNaming,                  always,            enumUsesNameScope, enumFocus,     enumBlocks,    false,      false,       false},
{"misc",     "Space",                 &Controls::frmMisc,           only<NamingMode::Misc>,      always,            never,             noFocus,       spaceBlocks,   false,      false,       false},
{"Attrib",   "Attributes && Date",    &Controls::frmSetAttributes,  only<NamingMode::None>,      attribDirsAllowed, never,             attribFocus,   attribBlocks,  false,      false,       true},
{"AddCrop",  "Add && Crop",           &Controls::frmAddCrop,        only<NamingMode::AddCrop>,   always,            always,            addCropFocus,  addCropBlocks, false,      false,       false},
{"Mp3",      "Mp3",                   &Controls::frmMp3Tag,         only<NamingMode::Mp3>,       never,             never,             mp3Focus,      mp3Blocks,     true,       true,        false},
{"Format",   "Format",                &Controls::frmFormat,         formatNaming,                formatFormats,     formatFormats,     formatFocus,   formatBlocks,  false,      false,       false},
};

constexpr ModeWord kModeWords[] = {
// word              option                             tab
{"modecase",         nullptr,                           "Case"},
{"modereplace",      &Controls::optReplaceSingle,       "Replace"},
{"modebatchreplace", &Controls::optReplaceBatch,        "Replace"},
{"modeenum",         &Controls::chkEnumTab_Enum,        "Enum"},
{"modenormalize",    &Controls::chkEnumTab_Normalize,   "Enum"},
{"modeformat",       &Controls::chkFormatTab_Format,    "Format"},
{"modefiletype",     &Controls::chkFormatTab_Detect,    "Format"},
{"modedate",         &Controls::optAttrib_Date,         "Attrib"},
{"modeattrib",       &Controls::optAttrib_Attributes,   "Attrib"},
{"modemp3",          nullptr,                           "Mp3"},
{"modespace",        nullptr,                           "misc"},
{"modeadd",          &Controls::optAdd,                 "AddCrop"},
{"modecrop",         &Controls::optCrop,                "AddCrop"},
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

runs::NamingMode namingMode(const QString& tabKey, const ModeInputs& inputs) {
    const ModeTab* tab = modeTab(tabKey);
    return tab ? tab->naming(inputs) : runs::NamingMode::None;
}

std::span<const ModeWord> modeWords() {
    return kModeWords;
}

int modeTabPosition(const QString& key) {
    const ModeTab* tab = modeTab(key);
    return tab ? static_cast<int>(tab - kModeTabs) + 1 : 0;
}

}  // namespace mainwindow
