// Snapshots of the mode options the transforms read. The main window fills them from its
// inputs; a transform takes the one it needs as an argument, so it reads the same values the
// inputs hold and can be tested without a window.
#pragma once

#include <QString>

namespace engine {

// "Process Name" and "Process Extension": which part of a name the scoped transforms change.
// The main window keeps at least one of the two ticked.
struct ScopeOptions {
    bool processFilename = true;
    bool processFileExt = true;
};

// The single replace of the Replace tab, also the shape of one batch replace entry.
struct ReplaceOptions {
    QString find;
    QString replace;
    int caseSensitive = 0;  // 0: letters that differ only in case match
    int swapMode = 0;       // 1: exchange the two texts
    int start = 0;          // leading characters left alone
    int count = 0;          // most replacements per pass; 0: all
};

// The Case tab: option indexes of the two groups and "Use Exceptions".
struct CaseOptions {
    int case1 = 0;  // name: 0 No Change .. 6 Random
    int case2 = 0;  // extension: 0 No Change .. 5 Random
    bool exceptionsEnabled = false;
};

// The Add & Crop tab, as its inputs hold it (texts as typed; the transform reads them).
struct AddCropOptions {
    bool crop = false;         // optCrop chosen (else optAdd)
    QString add;               // txtAdd
    QString addPos;            // txtAddPos
    bool addFromEnd = false;   // optAddEnding
    QString cropPos;           // txtCropPos
    QString cropNumber;        // txtCropNumber
    bool cropFromEnd = false;  // optCropEnding
};

// The Space tab.
struct SpaceOptions {
    bool removeLeading = false;   // chkSpaceBeginning
    bool removeTrailing = false;  // chkSpaceEnd
    bool shrink = false;          // chkSpaceShrink
};

// The Enum tab, as its inputs hold it.
struct EnumOptions {
    bool normalize = false;         // chkEnumTab_Normalize chosen (else Sequential Renaming)
    QString format;                 // txtEnumFormat
    QString start;                  // txtEnumStart
    QString step;                   // txtEnumStep
    bool autoZeros = false;         // chkEnumAutoZeros
    QString zeros;                  // txtEnumZeros
    bool resetBetweenDirs = false;  // chkEnumResetBetweenDirs
    QString normalizeWidth;         // txtNormalize
};

// What the automatic width of sequential renaming counts: the rows of the current source's
// list, its selected rows, and whether only the selected rows take part. The window's state,
// not an input of the tab.
struct ListCounts {
    int rows = 0;
    int selected = 0;
    bool onlySelectedInForce = false;
};

// The Format tab's "Format Filename" and the settings its tokens read.
struct FormatOptions {
    QString pattern;                  // txtFormat
    QString partsPattern;             // txtFormatParts ("Define Parts")
    bool allMustBeAvailable = false;  // chkFormatAllMustBeAvailable
    // The Format tab is selected with "Format Filename": only then are name parts cut.
    bool formatFilenameSelected = false;
    QString tabCaption;             // the selected mode tab's caption, for error lines
    int htmlTitleReadSize = 2048;   // getHtmlTitle_ReadSize
    qint32 mpegBytesToRead = 8192;  // mpegBytesToRead
};

// The Mp3 tab.
struct Mp3Options {
    QString pattern;              // txtMp3Format
    bool useId3v2 = true;         // chkMp3UseID3v2: prefer the ID3v2 texts
    bool onlyFilledTags = false;  // chkMp3OnlyFilledTags: a missing value keeps the old name
    bool addExtension = false;    // chkMp3AddExtension: end the name with ".mp3"
    bool onlyMp3Files = false;    // chkMp3OnlyMp3Files: other extensions keep their names
};

// Everything the transforms read, gathered in one value.
struct Options {
    ScopeOptions scope;
    ReplaceOptions replace;
    CaseOptions caseOptions;
    AddCropOptions addCrop;
    SpaceOptions space;
    EnumOptions enumeration;
    ListCounts listCounts;
    FormatOptions format;
    Mp3Options mp3;
};

}  // namespace engine
