#include "mainwindow/modeinputs.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>
#include <limits>

#include "mainwindow/controls.h"
#include "mainwindow/optionpanels.h"
#include "mainwindow/widgetvalues.h"
#include "platform/localetext.h"

namespace mainwindow {

namespace {

// The number of a text box as the transforms take it: within the 16-bit range the boxes were
// designed for.
int boxNumber(const QString& text) {
    return static_cast<int>(platform::boxNumber(text, std::numeric_limits<qint16>::min(),
                                                std::numeric_limits<qint16>::max()));
}

// The index of the chosen button of an option group; -1 when none is chosen.
template <size_t N>
int chosenIndex(const std::array<QRadioButton*, N>& group) {
    for (size_t index = 0; index < N; ++index) {
        if (group[index]->isChecked()) {
            return static_cast<int>(index);
        }
    }
    return -1;
}

}  // namespace

ModeInputs readModeInputs(const Controls& ui, const OptionPanels& panels) {
    const auto number = [&panels](const QLineEdit* box) {
        return NumberInput{box->text(), panels.numberText(box)};
    };
    ModeInputs in;
    in.processFilename = vbValue(ui.chkProcessFilename);
    in.processFileExt = vbValue(ui.chkProcessFileExt);

    in.replaceSingle = ui.optReplaceSingle->isChecked();
    in.replaceBatch = ui.optReplaceBatch->isChecked();
    in.find = ui.txtFind->text();
    in.replace = ui.txtReplace->text();
    in.caseSensitive = vbValue(ui.chkCaseSensitive);
    in.swapMode = vbValue(ui.chkReplaceMode);
    in.replaceStart = number(ui.txtReplaceStart);
    in.replaceCount = number(ui.txtReplaceCount);

    in.case1 = chosenIndex(ui.case1());
    in.case2 = chosenIndex(ui.case2());
    in.exceptionsEnabled = vbValue(ui.chkExceptionsEnabled);

    in.attribAttributes = ui.optAttrib_Attributes->isChecked();
    in.attribDate = ui.optAttrib_Date->isChecked();
    in.attributes = {vbValue(ui.chkR), vbValue(ui.chkH), vbValue(ui.chkS), vbValue(ui.chkA)};
    in.dateCreated = vbValue(ui.chkDateCreated);
    in.dateAccessed = vbValue(ui.chkDateAccessed);
    in.dateModified = vbValue(ui.chkDateModified);

    in.add = ui.optAdd->isChecked();
    in.crop = ui.optCrop->isChecked();
    in.addText = ui.txtAdd->text();
    in.addPos = number(ui.txtAddPos);
    in.addFromEnd = ui.optAddEnding->isChecked();
    in.cropPos = number(ui.txtCropPos);
    in.cropNumber = number(ui.txtCropNumber);
    in.cropFromEnd = ui.optCropEnding->isChecked();

    in.spaceBeginning = vbValue(ui.chkSpaceBeginning);
    in.spaceEnd = vbValue(ui.chkSpaceEnd);
    in.spaceShrink = vbValue(ui.chkSpaceShrink);

    in.enumNumbering = ui.chkEnumTab_Enum->isChecked();
    in.enumNormalize = ui.chkEnumTab_Normalize->isChecked();
    in.enumFormat = ui.txtEnumFormat->text();
    in.enumStart = number(ui.txtEnumStart);
    in.enumStep = number(ui.txtEnumStep);
    in.enumZeros = number(ui.txtEnumZeros);
    in.enumAutoZeros = vbValue(ui.chkEnumAutoZeros);
    in.enumResetBetweenDirs = vbValue(ui.chkEnumResetBetweenDirs);
    in.normalizeWidth = number(ui.txtNormalize);

    in.formatFormat = ui.chkFormatTab_Format->isChecked();
    in.formatDetect = ui.chkFormatTab_Detect->isChecked();
    in.format = ui.txtFormat->text();
    in.formatParts = ui.txtFormatParts->text();
    in.formatAllMustBeAvailable = vbValue(ui.chkFormatAllMustBeAvailable);

    in.mp3Format = ui.txtMp3Format->text();
    in.mp3UseId3v2 = vbValue(ui.chkMp3UseID3v2);
    in.mp3OnlyFilledTags = vbValue(ui.chkMp3OnlyFilledTags);
    in.mp3AddExtension = vbValue(ui.chkMp3AddExtension);
    in.mp3OnlyMp3Files = vbValue(ui.chkMp3OnlyMp3Files);
    return in;
}

engine::Options modeOptions(const ModeInputs& in, runs::NamingMode mode) {
    engine::Options options;
    options.scope.processFilename = in.processFilename == 1;
    options.scope.processFileExt = in.processFileExt == 1;
    options.replace.find = in.find;
    options.replace.replace = in.replace;
    options.replace.caseSensitive = in.caseSensitive;
    options.replace.swapMode = in.swapMode;
    options.replace.start = boxNumber(in.replaceStart.repaired);
    options.replace.count = boxNumber(in.replaceCount.repaired);
    // No chosen button counts as the first, "No Change".
    options.caseOptions.case1 = std::max(in.case1, 0);
    options.caseOptions.case2 = std::max(in.case2, 0);
    options.caseOptions.exceptionsEnabled = in.exceptionsEnabled == 1;
    options.addCrop.crop = in.crop;
    options.addCrop.add = in.addText;
    options.addCrop.addPos = in.addPos.repaired;
    options.addCrop.addFromEnd = in.addFromEnd;
    options.addCrop.cropPos = in.cropPos.repaired;
    options.addCrop.cropNumber = in.cropNumber.repaired;
    options.addCrop.cropFromEnd = in.cropFromEnd;
    options.space.removeLeading = in.spaceBeginning == 1;
    options.space.removeTrailing = in.spaceEnd == 1;
    options.space.shrink = in.spaceShrink == 1;
    options.enumeration.normalize = in.enumNormalize;
    options.enumeration.format = in.enumFormat;
    options.enumeration.start = in.enumStart.repaired;
    options.enumeration.step = in.enumStep.repaired;
    options.enumeration.autoZeros = in.enumAutoZeros == 1;
    options.enumeration.zeros = in.enumZeros.repaired;
    options.enumeration.resetBetweenDirs = in.enumResetBetweenDirs == 1;
    options.enumeration.normalizeWidth = in.normalizeWidth.repaired;
    options.format.pattern = in.format;
    options.format.partsPattern = in.formatParts;
    options.format.allMustBeAvailable = in.formatAllMustBeAvailable == 1;
    options.format.formatFilenameSelected = mode == runs::NamingMode::Format && in.formatFormat;
    options.mp3.pattern = in.mp3Format;
    options.mp3.useId3v2 = in.mp3UseId3v2 != 0;
    options.mp3.onlyFilledTags = in.mp3OnlyFilledTags == 1;
    options.mp3.addExtension = in.mp3AddExtension == 1;
    options.mp3.onlyMp3Files = in.mp3OnlyMp3Files == 1;
    return options;
}

}  // namespace mainwindow
