// The lists the settings layer loads from the text files beside the program and the naming
// engine reads. Their shapes follow what the engine's readers expect: the first four hold one
// empty element when the file gave no entry, so "no entry" and "one entry" both end at index 0.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace engine {

// One file-type signature: `search` (one character per byte, Latin-1) at `offset` (1-based,
// negative counts from the end) marks a file of type `extension` (no dot).
struct FileSignature {
    qint16 offset = 0;
    QString search;
    QString extension;
    bool operator==(const FileSignature&) const = default;
};

struct CodecEntry {
    QString fourcc;
    QString name;
    bool operator==(const CodecEntry&) const = default;
};

struct WaveFormatEntry {
    qint16 formatTag = 0;
    QString name;
    bool operator==(const WaveFormatEntry&) const = default;
};

// One batch replacement, applied with findReplace in list order.
struct BatchReplaceItem {
    QString find;
    QString replace;
    qint16 caseSensitive = 0;  // 0 or 1
    qint16 swapMode = 0;       // 0 or 1
    qint16 count = 0;          // 0..999, 0 = every match
    qint16 start = 0;          // 0..999 leading characters left alone
    bool operator==(const BatchReplaceItem&) const = default;
};

struct TextLists {
    QStringList exceptionsList{QString()};
    QList<FileSignature> fileSignatures{FileSignature{}};
    QList<CodecEntry> codecList{CodecEntry{}};
    QList<WaveFormatEntry> waveFormatList{WaveFormatEntry{}};
    // The items in order; unlike the others it is simply empty when there are none.
    QList<BatchReplaceItem> batchReplaceList;
    // The two lists the program writes back: set when the file was there but could not be
    // read (too large, unreadable, not a regular file). The list then stands empty only
    // because of that, so its file is left as it is until the list is edited in the settings
    // dialog.
    bool exceptionsUnread = false;
    bool batchReplaceUnread = false;
};

}  // namespace engine
