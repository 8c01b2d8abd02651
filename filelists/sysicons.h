// The picture of one entry of a file source: its small and large icon from the MIME database
// and the icon theme, or during a thumbnail run the picture file itself scaled into the large
// size. Pictures are looked up by key in the source's image lists first and only made when the
// key is missing, so the theme is asked once per extension and list, and once per item only for
// items with pictures of their own (folders, icon, cursor and program files).
//
// Keys: files of one extension share the entry ".EXT" (upper case, so a.txt and B.TXT share
// ".TXT"); a folder, an .ico, .cur or .exe file and (during a thumbnail run, in the large list)
// a picture file have entries under their full path. A file whose name has no "." gets the
// default file picture without any list access.
#pragma once

#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>

#include "filelists/imagelist.h"
#include "platform/result.h"

namespace settings {
struct ProgramSettings;
}

namespace filelists {

// What the lookup reads besides the entry. Build it with iconOptions().
struct IconOptions {
    // useSysIcons other than 0. Off: folders get the default folder, files the default file,
    // the lists are not touched and thumbnail runs make no thumbnails.
    bool useSysIcons = true;
    // Directory source only: alwaysShowDirs is 1 and the "Directories" box is unticked, so a
    // listed folder is not processed and shows the faded folder (index 3 in both lists), also
    // while system icons are off. sysIconsFreeSel ignores it.
    bool ghostDirs = false;
    // thumbsAspect == 1: a picture larger than the thumbnail size keeps its aspect ratio;
    // otherwise it is stretched over the whole thumbnail.
    bool thumbsAspect = true;
    // thumbsBorder == 1: a black frame one pixel wide goes with every thumbnail.
    bool thumbsBorder = true;
    // A thumbnail run is in progress: picture files get thumbnails (path key) in the large
    // list instead of their extension's large icon. The thumbnail runs set it themselves.
    bool makeThumbnails = false;
};

// The options from the settings and the state of the "Directories" box (chkDirs ticked).
IconOptions iconOptions(const settings::ProgramSettings& settings, bool dirsTicked);

// The lookup of the Directory source (list view rows, tree nodes, thumbnail runs). `path` is
// the entry's full path (a folder without a trailing "/"), `isDirectory` says what it is.
// Returns the 1-based index of its picture in images.small and sets largeIconIndex to the index
// of its picture in images.large. Never fails: a picture file that cannot be read during a
// thumbnail run (missing, not a picture, a folder, pipe or device named like one, larger than
// 64 MiB) writes one line ending in "sysIcons: File=<path>" to the error log and gives 1 and 1;
// entries appended before stay. Picture, icon and cursor files are read through the platform
// layer as regular files only (a pipe is never opened) and handed to Qt as bytes, so a name
// that is not UTF-8 shows its own picture.
int sysIcons(const QString& path, bool isDirectory, SourceImages& images,
             const IconOptions& options, int& largeIconIndex);
// The same for the Free Select source: no faded folders (options.ghostDirs is not read), and
// the failure line ends in "sysIcons FreeSel: <path>".
int sysIconsFreeSel(const QString& path, bool isDirectory, SourceImages& images,
                    const IconOptions& options, int& largeIconIndex);

// ---- Parts of the lookup, for the builders and for tests ----

// The key an entry's icons stand under: the path itself for a folder or an .ico, .cur or .exe
// file, "." + upper-case extension for other files, empty for a file whose name has no ".".
QString iconKey(const QString& path, bool isDirectory);

// A file that gets a thumbnail during a thumbnail run, by its extension (any case): jpg, jpeg,
// gif, bmp, rle (the picture kinds the lists have always shown) and png. WMF and EMF have no
// reader here and keep their extension's icon.
bool isThumbnailFile(const QString& path);

// The 16 x 16 icon of an entry, and its large picture (the 32 x 32 icon centred on a
// transparent picture of largeSize, cut off when largeSize is smaller). Entries with the same
// theme icon get the same pixmap. Never null.
QPixmap smallIconFor(const QString& path, bool isDirectory);
QPixmap largeIconFor(const QString& path, bool isDirectory, QSize largeSize);

// Where a thumbnail lands on a canvas of canvasSize, for a picture of pictureSize.
struct ThumbnailPlacement {
    QRect picture;  // where the (scaled) picture is drawn; may reach outside the canvas
    QRect frame;    // the black one-pixel outline (corners included); null without a border
};
// A picture that fits (both sides no larger than the canvas) is centred at its natural size,
// its frame one pixel outside it. A larger one is scaled by its own orientation (wider than
// high: the canvas width, else the canvas height) and centred, the frame on its outermost
// pixels; without aspect it is stretched over the whole canvas, the frame on the canvas edge.
ThumbnailPlacement placeThumbnail(QSize pictureSize, QSize canvasSize, bool aspect, bool border);

// Reads a picture file at the size placeThumbnail gives and composes it on a transparent canvas
// of canvasSize. Fails with a reason for a missing file, a folder, anything else that is not a
// regular file, a file larger than 64 MiB or one that holds no picture Qt can read.
platform::Result<QPixmap> makeThumbnail(const QString& path, QSize canvasSize, bool aspect,
                                        bool border);

}  // namespace filelists
