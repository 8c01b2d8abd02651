// The five text lists beside the program: exceptions.txt, filetypes.txt, codecs.txt,
// waveformats.txt and replace.txt. Files are found by case-insensitive name in the program
// folder. Readers fill the shapes of engine::TextLists.
#pragma once

#include <QByteArray>
#include <QString>

#include "engine/lists.h"
#include "settings/errormemory.h"

namespace settings {

// The path of the list file `name` in `folder` (ending with "/"), matched without regard to
// letter case (an exact match wins); empty when no regular file of that name is there.
QString findListFile(const QString& folder, const QString& name);

// Each reader starts from the list's empty form; a missing file leaves it so. A file that
// cannot be read keeps what was read so far and remembers the failure in `errors`; so does a
// file larger than platform::kMaxTextFileBytes, which is not read at all. For the two lists
// the program writes back, `unread` tells whether something was there and not read (such a
// file, or a folder, a FIFO or a broken link in its place).
QStringList readExceptions(const QString& folder, ErrorMemory& errors, bool* unread = nullptr);
// A missing filetypes.txt gives the default rows, and the default file is written (the
// memory is armed first; a failed write is remembered, and leaves no file in its place). One
// too large gives the default rows too, and is left as it is.
QList<engine::FileSignature> readFileSignatures(const QString& folder, ErrorMemory& errors);
QList<engine::CodecEntry> readCodecs(const QString& folder, ErrorMemory& errors);
QList<engine::WaveFormatEntry> readWaveFormats(const QString& folder, ErrorMemory& errors);
QList<engine::BatchReplaceItem> readBatchReplace(const QString& folder, ErrorMemory& errors,
                                                 bool* unread = nullptr);

// The 36 default signatures and the exact bytes of the default filetypes.txt.
const QList<engine::FileSignature>& defaultFileSignatures();
QByteArray defaultFileTypesContent();

// Writes exceptions.txt, then replace.txt, from memory. The first failure stops the writing
// and appends one "Error saving settings lists!" line to the error log; returns whether all
// was written. A list marked unread is not written: one line in the error log says so.
bool saveLists(const QString& folder, const engine::TextLists& lists);

// Whether a batch item with these texts comes back from replace.txt as it went in: "/"
// separates the fields of a line, a line break the items, and a line that starts like a
// comment is passed over. The saver leaves any other item out.
bool batchItemStorable(const QString& find, const QString& replace);

// "1 item in batch replace list..." or "<n> items in batch replace list...".
QString batchReplaceCaption(int count);

}  // namespace settings
