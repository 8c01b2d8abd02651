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

// Everything the transforms read, gathered in one value.
struct Options {
    ScopeOptions scope;
    ReplaceOptions replace;
};

}  // namespace engine
