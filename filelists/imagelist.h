// Keyed image lists: the pictures that the rows of a list view and the nodes of the tree show.
// Every file source owns a pair, a small list (16 x 16) for the report view and the tree and a
// large list (the thumbnail size) for the icon view. A list is a cache: the icon of an
// extension, of a folder or the thumbnail of a picture file is made once, stored under a key
// and reused by every row that needs it; rows refer to entries by index.
#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QString>

#include "platform/result.h"

namespace platform {
class ListView;
}
namespace settings {
struct ProgramSettings;
}

namespace filelists {

// The first three entries of every list, handed out by index without a key test.
inline constexpr int kDefaultFile = 1;      // key "default_file"
inline constexpr int kDefaultDir = 2;       // key "default_dir"
inline constexpr int kDefaultGhostDir = 3;  // key "default_ghostdir": a faded folder
inline const QString kDefaultFileKey = QStringLiteral("default_file");
inline const QString kDefaultDirKey = QStringLiteral("default_dir");
inline const QString kDefaultGhostDirKey = QStringLiteral("default_ghostdir");

inline constexpr int kSmallImageSize = 16;

// A list of pictures of one fixed size. An entry has an index, its 1-based position (entries
// are only appended, so an index stays valid until the list is cleared), and a key that is
// unique in the list (compared exactly, letter case included). Lookups by key are hashed.
// Pictures are implicitly shared: entries made from the same QPixmap hold one bitmap, so
// thousands of folder entries with the same folder icon cost one picture.
class ImageList {
public:
    ImageList() = default;
    explicit ImageList(QSize imageSize) : size_(imageSize) {}

    // The size of every picture of the list. Changing it empties the list.
    QSize imageSize() const { return size_; }
    void setImageSize(QSize size);

    // Removes every entry; the picture size stays.
    void clear();

    int count() const { return static_cast<int>(entries_.size()); }
    bool isEmpty() const { return entries_.isEmpty(); }

    // 1-based index of the entry with this key, 0 when the list has no such key.
    int indexOf(const QString& key) const;
    bool contains(const QString& key) const { return index_.contains(key); }

    // Appends a picture under a key and returns its index. Fails and adds nothing when the key
    // is empty or already in the list. A picture of another size is scaled to the list's size;
    // a null picture is kept as an empty entry (it shows nothing).
    platform::Result<int> add(const QString& key, const QPixmap& picture);

    // Replaces the picture of an entry; index and key stay. Fails for an index out of range.
    platform::Status replace(int index, const QPixmap& picture);

    // Gives the entry under oldKey the key newKey (a renamed item keeps its pictures). Fails
    // and changes nothing when oldKey is missing or newKey belongs to another entry;
    // re-keying to the same key succeeds.
    platform::Status rekey(const QString& oldKey, const QString& newKey);

    // The entry's data; empty values for an index out of range.
    QString key(int index) const;
    QPixmap pixmap(int index) const;
    QIcon icon(int index) const;

    // The pictures as platform::ListView takes them (setSmallImages / setLargeImages):
    // position i holds the icon of index i and position 0 is an empty icon, so rows store the
    // 1-based index of this list unchanged. Cheap: the list is kept up to date and shared.
    const QList<QIcon>& viewImages() const { return view_; }

private:
    struct Entry {
        QString key;
        QPixmap pixmap;
    };
    QPixmap fitted(const QPixmap& picture) const;
    QIcon iconFor(const QPixmap& picture);

    QSize size_;
    QList<Entry> entries_;
    QHash<QString, int> index_;
    // The index indexOf found last: a list of rows asks for the same key many times in a row
    // (every ".TXT" file of a folder), and comparing one key is cheaper than hashing it.
    mutable int lastFound_ = 0;
    QList<QIcon> view_{QIcon()};
    // One icon per distinct bitmap, so shared pictures also share their icon.
    QHash<qint64, QIcon> icons_;
};

// The pair of lists of one file source, and whether its list view's rows all have their large
// picture in the current large list.
struct SourceImages {
    ImageList small{QSize(kSmallImageSize, kSmallImageSize)};
    ImageList large;
    // Set by a thumbnail run that reached the last row. Cleared by initSysIcons (Directory
    // source only), by the folder read and by adding a Free Select row; while it is set the
    // Thumbnails box does not start another run.
    bool thumbsComplete = false;
};

// The large picture size from the settings (thumbsWidth x thumbsHeight), each kept between 16
// and 256 pixels, as the settings dialog keeps them.
QSize largeImageSize(const settings::ProgramSettings& settings);

// A picture of `size` that is transparent all over: the canvas every composed picture starts on.
QPixmap transparentPixmap(QSize size);

// The side of the icon that a large picture shows in its middle, and where that icon's top left
// corner lies on a large picture of `largeSize`: centred in each direction by itself, halves to
// the even neighbour, so a 65-pixel side puts the icon at 16 like a 64-pixel one. Default and
// theme pictures use the same place, so every row's icon stands alike.
inline constexpr int kLargeIconSide = 32;
QPoint largeIconOrigin(QSize largeSize);

// The default pictures: file, folder and faded folder from the style's standard icons. Small
// ones are 16 x 16; large ones are the 32 x 32 picture centred on a transparent picture of the
// given size (cut off when that size is smaller than 32). The same pixmap on every call.
QPixmap defaultSmallImage(int defaultIndex);
QPixmap defaultLargeImage(int defaultIndex, QSize largeSize);

// Rebuilds the Directory pair: clears thumbsComplete, empties both lists, sets the small list
// to 16 x 16 and the large one to largeSize, and appends the three defaults to each. When a
// view is given it shows the rebuilt lists afterwards (attachImages). Never fails: a step that
// cannot be done is passed over.
void initSysIcons(SourceImages& images, QSize largeSize, platform::ListView* view = nullptr);
// The same for the Free Select pair, except that thumbsComplete keeps its value.
void initSysIconsFreeSel(SourceImages& images, QSize largeSize, platform::ListView* view = nullptr);

// Hands a pair to a list view: small pictures for the report view, large ones (and their size)
// for the icon view. Call it again after lookups appended entries that rows now refer to.
void attachImages(platform::ListView& view, const SourceImages& images);

// A renamed item keeps its pictures: the path key oldPath becomes newPath in both lists of the
// pair. A list without the old key, or already holding the new one, is left as it is.
void renamePathKey(SourceImages& images, const QString& oldPath, const QString& newPath);

}  // namespace filelists
