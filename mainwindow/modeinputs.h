// The mode tabs' inputs as plain values: what the rules that enable "Rename!", the choice of
// the naming mode and the options snapshot read. Filled from the controls in one place
// (readModeInputs), so the rules and the snapshot are functions of values that tests give as
// tables, without a window.
#pragma once

#include <QString>

#include <array>

#include "engine/options.h"
#include "runs/modes.h"

namespace mainwindow {

struct Controls;
class OptionPanels;

// A number box: its text as it stands (the rules read it) and as the box's repair leaves it
// (the transforms read that, so a value still being typed never reaches a name unrepaired).
struct NumberInput {
    QString text;
    QString repaired;
};

// Check boxes hold 0, 1 or 2 (grayed); option buttons are chosen or not.
struct ModeInputs {
    int processFilename = 0;
    int processFileExt = 0;

    // Replace
    bool replaceSingle = false;
    bool replaceBatch = false;
    QString find;
    QString replace;
    int caseSensitive = 0;
    int swapMode = 0;
    NumberInput replaceStart;
    NumberInput replaceCount;

    // Case: the index of the chosen button of each group, -1 when none is chosen.
    int case1 = -1;
    int case2 = -1;
    int exceptionsEnabled = 0;

    // Attributes and dates
    bool attribAttributes = false;
    bool attribDate = false;
    std::array<int, 4> attributes{};  // Write Protect, Hidden, System, Archive
    int dateCreated = 0;
    int dateAccessed = 0;
    int dateModified = 0;

    // Add and crop
    bool add = false;
    bool crop = false;
    QString addText;
    NumberInput addPos;
    bool addFromEnd = false;
    NumberInput cropPos;
    NumberInput cropNumber;
    bool cropFromEnd = false;

    // Space
    int spaceBeginning = 0;
    int spaceEnd = 0;
    int spaceShrink = 0;

    // Enum
    bool enumNumbering = false;
    bool enumNormalize = false;
    QString enumFormat;
    NumberInput enumStart;
    NumberInput enumStep;
    NumberInput enumZeros;
    int enumAutoZeros = 0;
    int enumResetBetweenDirs = 0;
    NumberInput normalizeWidth;

    // Format
    bool formatFormat = false;
    bool formatDetect = false;
    QString format;
    QString formatParts;
    int formatAllMustBeAvailable = 0;

    // Mp3
    QString mp3Format;
    int mp3UseId3v2 = 0;
    int mp3OnlyFilledTags = 0;
    int mp3AddExtension = 0;
    int mp3OnlyMp3Files = 0;
};

// The inputs as the controls hold them now; the number boxes also as `panels` repairs them.
ModeInputs readModeInputs(const Controls& ui, const OptionPanels& panels);

// The options snapshot's share of the mode tabs' inputs; the window adds the list counts, the
// settings and the tab caption. `mode` is the naming mode the inputs pick.
engine::Options modeOptions(const ModeInputs& inputs, runs::NamingMode mode);

}  // namespace mainwindow
