#include "filelists/sysicons.h"

#include <QApplication>
#include <QBuffer>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>
#include <QStyle>

#include <array>
#include <cmath>

#include "engine/log.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "settings/programsettings.h"

namespace filelists {

namespace {

// Error numbers of the failures the lookup logs, in the numbering of the error log.
const engine::ErrorInfo kInvalidPicture{481, QStringLiteral("Invalid picture")};
const engine::ErrorInfo kKeyNotUnique{35602, QStringLiteral("Key is not unique in collection")};

// A picture file larger than this gets no thumbnail: reading and decoding it would cost more
// memory and time than one row of a list is worth.
constexpr std::uint64_t kPictureReadLimit = std::uint64_t{64} << 20;

bool isOneOf(QStringView text, std::initializer_list<QStringView> words) {
    for (QStringView word : words) {
        if (text.compare(word, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

// The text after the last "." of the whole path, or the whole path without any ".". For a
// folder the "." may lie in a parent's name; only the thumbnail test reads it then.
QStringView extensionText(QStringView path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? path : path.mid(dot + 1);
}

QStringView namePart(QStringView path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

bool hasOwnIcon(QStringView extension) {
    return isOneOf(extension, {u"ico", u"exe", u"cur"});
}

bool isThumbnailExtension(QStringView extension) {
    return isOneOf(extension, {u"jpg", u"jpeg", u"gif", u"bmp", u"rle", u"png"});
}

// Draws an icon into a square of `side` pixels whose top left corner is `at`, centring an icon
// that has no picture of that size.
void drawIcon(QPainter& painter, const QIcon& icon, QPoint at, int side) {
    const QPixmap picture = icon.pixmap(QSize(side, side), 1.0);
    if (picture.isNull()) {
        return;
    }
    QSize size = picture.size();
    if (size.width() > side || size.height() > side) {
        size.scale(side, side, Qt::KeepAspectRatio);
    }
    painter.drawPixmap(
        QRect(at + QPoint((side - size.width()) / 2, (side - size.height()) / 2), size), picture);
}

QPixmap composeSmall(const QIcon& icon) {
    QPixmap canvas = transparentPixmap(QSize(kSmallImageSize, kSmallImageSize));
    QPainter painter(&canvas);
    drawIcon(painter, icon, QPoint(0, 0), kSmallImageSize);
    return canvas;
}

// The 32 x 32 icon in the middle of the large picture; a picture smaller than the icon shows
// only the icon's middle.
QPixmap composeLarge(const QIcon& icon, QSize largeSize) {
    if (largeSize.isEmpty()) {
        return {};
    }
    QPixmap canvas = transparentPixmap(largeSize);
    QPainter painter(&canvas);
    drawIcon(painter, icon, largeIconOrigin(largeSize), kLargeIconSide);
    return canvas;
}

QMimeType mimeTypeFor(const QString& path, bool isDirectory) {
    static const QMimeDatabase database;
    if (isDirectory) {
        static const QMimeType directory =
            database.mimeTypeForName(QStringLiteral("inode/directory"));
        return directory;
    }
    // By the extension alone, the way the entry is keyed: every file of an extension shares
    // the icon, and no file is opened to tell its type (the name-only lookup never touches
    // the disk).
    const QList<QMimeType> byName =
        database.mimeTypesForFileName(QStringLiteral("x.") + extensionText(path).toString());
    if (byName.isEmpty()) {
        static const QMimeType unknown =
            database.mimeTypeForName(QStringLiteral("application/octet-stream"));
        return unknown;
    }
    return byName.constFirst();
}

// The icon of a MIME type from the icon theme, with the style's file and folder icons where
// the theme has nothing (as on a system without a theme). One QIcon per type.
QIcon themeIcon(const QMimeType& mime, bool isDirectory) {
    static auto* cache = new QHash<QString, QIcon>;  // kept for the life of the process
    const QString cacheKey = mime.name() + (isDirectory ? QStringLiteral("/d") : QString());
    auto found = cache->constFind(cacheKey);
    if (found != cache->constEnd()) {
        return *found;
    }
    QIcon icon;
    for (const QString& name : {mime.iconName(), mime.genericIconName()}) {
        if (!name.isEmpty() && QIcon::hasThemeIcon(name)) {
            icon = QIcon::fromTheme(name);
            break;
        }
    }
    if (icon.isNull() && isDirectory && QIcon::hasThemeIcon(QStringLiteral("folder"))) {
        icon = QIcon::fromTheme(QStringLiteral("folder"));
    }
    if (icon.isNull()) {
        if (QStyle* style = QApplication::style()) {
            icon = style->standardIcon(isDirectory ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
        }
    }
    cache->insert(cacheKey, icon);
    return icon;
}

// Composed pictures of theme icons, one per type and size, so that every entry with the same
// icon holds the same bitmap.
QPixmap sharedPicture(const QMimeType& mime, bool isDirectory, QSize size, bool large) {
    static auto* cache = new QHash<QString, QPixmap>;  // kept for the life of the process
    const QString cacheKey = mime.name() + (isDirectory ? u'd' : u'f') + (large ? u'L' : u's') +
                             QString::number(size.width()) + u'x' + QString::number(size.height());
    auto found = cache->constFind(cacheKey);
    if (found != cache->constEnd()) {
        return *found;
    }
    const QIcon icon = themeIcon(mime, isDirectory);
    const QPixmap picture = large ? composeLarge(icon, size) : composeSmall(icon);
    cache->insert(cacheKey, picture);
    return picture;
}

const engine::ErrorInfo* failWith(const engine::ErrorInfo& error, QString* reason,
                                  const QString& text) {
    if (reason) {
        *reason = text;
    }
    return &error;
}

// The bytes of a picture file. Qt is never handed the path: it would not keep a name that is
// not UTF-8, and opening a named pipe would block the program. Only a regular file is opened,
// without blocking even when a pipe took its place after the look.
const engine::ErrorInfo* readPictureFile(const QString& path, QByteArray& bytes, QString* reason) {
    namespace fs = platform::fs;
    const std::string native = platform::nativePath(path);
    switch (fs::kindOf(native)) {
        case fs::Kind::Missing:
            return failWith(engine::kFileNotFound, reason,
                            QStringLiteral("The file does not exist."));
        case fs::Kind::Directory:
            return failWith(engine::kPathFileAccessError, reason,
                            QStringLiteral("It is a folder, not a picture."));
        case fs::Kind::Other:
            return failWith(engine::kPathFileAccessError, reason,
                            QStringLiteral("It is not a regular file (a pipe, device or socket)."));
        case fs::Kind::File:
            break;
    }
    const auto opened = fs::ReadFile::open(native);
    if (!opened) {
        return failWith(engine::kPathFileAccessError, reason,
                        QString::fromStdString(opened.reason()));
    }
    const fs::ReadFile& file = opened.value();
    if (file.size() > kPictureReadLimit) {
        return failWith(
            engine::kOutOfMemory, reason,
            QStringLiteral("The picture file is larger than %1 MiB.").arg(kPictureReadLimit >> 20));
    }
    bytes.resize(static_cast<qsizetype>(file.size()));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const auto got = file.readAt(static_cast<std::uint64_t>(done), bytes.data() + done,
                                     static_cast<std::size_t>(bytes.size() - done));
        if (!got) {
            return failWith(engine::kPathFileAccessError, reason,
                            QString::fromStdString(got.reason()));
        }
        if (got.value() == 0) {
            bytes.truncate(done);  // the file shrank since it was opened
            break;
        }
        done += static_cast<qsizetype>(got.value());
    }
    return nullptr;
}

// An icon or cursor file shows its own picture when it can be read.
QIcon ownIcon(const QString& path, bool isDirectory) {
    const QStringView extension = extensionText(path);
    if (isDirectory || !isOneOf(extension, {u"ico", u"cur"})) {
        return {};
    }
    QByteArray bytes;
    if (readPictureFile(path, bytes, nullptr)) {
        return {};
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // The extension is the first guess, as it is for a file read by name; the content decides
    // when it does not fit.
    QImageReader reader(&buffer, extension.toString().toLower().toLatin1());
    const QImage image = reader.read();
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

// Reads and composes a thumbnail; on failure names the error to log.
const engine::ErrorInfo* loadThumbnail(const QString& path, QSize canvasSize, bool aspect,
                                       bool border, QPixmap& result, QString* reason) {
    QByteArray bytes;
    if (const engine::ErrorInfo* failure = readPictureFile(path, bytes, reason)) {
        return failure;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    QSize natural = reader.size();
    QImage image;
    if (!natural.isValid()) {
        image = reader.read();
        natural = image.size();
    }
    if (natural.isEmpty()) {
        if (reason) {
            *reason = reader.errorString();
        }
        return &kInvalidPicture;
    }
    const ThumbnailPlacement place = placeThumbnail(natural, canvasSize, aspect, border);
    if (image.isNull()) {
        if (place.picture.size() != natural) {
            reader.setScaledSize(place.picture.size());
        }
        image = reader.read();
        if (image.isNull()) {
            if (reason) {
                *reason = reader.errorString();
            }
            return &kInvalidPicture;
        }
    }
    if (image.size() != place.picture.size()) {
        image = image.scaled(place.picture.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPixmap canvas = transparentPixmap(canvasSize);
    {
        QPainter painter(&canvas);
        painter.drawImage(place.picture.topLeft(), image);
        if (!place.frame.isNull()) {
            const QRect& f = place.frame;
            painter.fillRect(QRect(f.left(), f.top(), f.width(), 1), Qt::black);
            painter.fillRect(QRect(f.left(), f.bottom(), f.width(), 1), Qt::black);
            painter.fillRect(QRect(f.left(), f.top(), 1, f.height()), Qt::black);
            painter.fillRect(QRect(f.right(), f.top(), 1, f.height()), Qt::black);
        }
    }
    result = canvas;
    return nullptr;
}

int lookup(const QString& path, bool isDirectory, SourceImages& images, const IconOptions& options,
           int& largeIconIndex, bool freeSelect) {
    largeIconIndex = kDefaultFile;
    if (!freeSelect && isDirectory && options.ghostDirs) {
        largeIconIndex = kDefaultGhostDir;
        return kDefaultGhostDir;
    }
    if (!options.useSysIcons) {
        largeIconIndex = isDirectory ? kDefaultDir : kDefaultFile;
        return largeIconIndex;
    }
    const QString key = iconKey(path, isDirectory);
    if (!isDirectory && key.isEmpty()) {
        return kDefaultFile;  // a name without "."
    }

    const engine::ErrorInfo* failure = nullptr;
    int small = images.small.indexOf(key);
    if (small == 0) {
        const auto added = images.small.add(key, smallIconFor(path, isDirectory));
        if (added) {
            small = *added;
        } else {
            failure = &kKeyNotUnique;
        }
    }

    if (!failure) {
        const bool thumbnail = options.makeThumbnails && isThumbnailExtension(extensionText(path));
        const QString& largeKey = thumbnail ? path : key;
        if (const int found = images.large.indexOf(largeKey)) {
            largeIconIndex = found;
            return small;
        }
        QPixmap picture;
        if (thumbnail) {
            failure = loadThumbnail(path, images.large.imageSize(), options.thumbsAspect,
                                    options.thumbsBorder, picture, nullptr);
        } else {
            picture = largeIconFor(path, isDirectory, images.large.imageSize());
        }
        if (!failure) {
            const auto added = images.large.add(largeKey, picture);
            if (added) {
                largeIconIndex = *added;
                return small;
            }
            failure = &kKeyNotUnique;
        }
    }

    // What was appended stays; the entry shows the default file picture in both views, and the
    // next lookup of a picture file tries to read it again.
    engine::logFailure(*failure, (freeSelect ? QStringLiteral("sysIcons FreeSel: ")
                                             : QStringLiteral("sysIcons: File=")) +
                                     path);
    largeIconIndex = kDefaultFile;
    return kDefaultFile;
}

}  // namespace

IconOptions iconOptions(const settings::ProgramSettings& settings, bool dirsTicked) {
    IconOptions options;
    options.useSysIcons = settings.useSysIcons != 0;
    options.ghostDirs = settings.alwaysShowDirs == 1 && !dirsTicked;
    options.thumbsAspect = settings.thumbsAspect == 1;
    options.thumbsBorder = settings.thumbsBorder == 1;
    return options;
}

int sysIcons(const QString& path, bool isDirectory, SourceImages& images,
             const IconOptions& options, int& largeIconIndex) {
    return lookup(path, isDirectory, images, options, largeIconIndex, false);
}

int sysIconsFreeSel(const QString& path, bool isDirectory, SourceImages& images,
                    const IconOptions& options, int& largeIconIndex) {
    return lookup(path, isDirectory, images, options, largeIconIndex, true);
}

QString iconKey(const QString& path, bool isDirectory) {
    if (isDirectory) {
        return path;
    }
    // The last "." of the name, looked for from the end up to the "/" before the name.
    const QChar* const begin = path.constData();
    const QChar* dot = begin + path.size();
    while (dot != begin && dot[-1] != u'.' && dot[-1] != u'/') {
        --dot;
    }
    if (dot == begin || dot[-1] != u'.') {
        return {};
    }
    const QStringView extension(dot, begin + path.size());
    // The rows of a list ask in turn, for the few extensions of a folder again and again: the
    // keys of the last few extensions are kept (a file with its own icon is never kept).
    struct Kept {
        QString extension;
        QString key;
    };
    constexpr std::size_t kKept = 8;
    thread_local std::array<Kept, kKept> kept;
    thread_local std::size_t next = 0;
    for (const Kept& one : kept) {
        if (!one.key.isEmpty() && extension == one.extension) {
            return one.key;
        }
    }
    if (hasOwnIcon(extension)) {
        return path;
    }
    Kept& one = kept[next];
    next = (next + 1) % kKept;
    one.extension = extension.toString();
    one.key = QLatin1Char('.') + one.extension.toUpper();
    return one.key;
}

bool isThumbnailFile(const QString& path) {
    return namePart(path).contains(u'.') && isThumbnailExtension(extensionText(path));
}

QPixmap smallIconFor(const QString& path, bool isDirectory) {
    const QIcon own = ownIcon(path, isDirectory);
    if (!own.isNull()) {
        return composeSmall(own);
    }
    return sharedPicture(mimeTypeFor(path, isDirectory), isDirectory,
                         QSize(kSmallImageSize, kSmallImageSize), false);
}

QPixmap largeIconFor(const QString& path, bool isDirectory, QSize largeSize) {
    const QIcon own = ownIcon(path, isDirectory);
    if (!own.isNull()) {
        return composeLarge(own, largeSize);
    }
    return sharedPicture(mimeTypeFor(path, isDirectory), isDirectory, largeSize, true);
}

ThumbnailPlacement placeThumbnail(QSize pictureSize, QSize canvasSize, bool aspect, bool border) {
    const int canvasW = canvasSize.width();
    const int canvasH = canvasSize.height();
    const int w0 = pictureSize.width();
    const int h0 = pictureSize.height();
    auto centred = [](int canvas, int size) {
        return static_cast<int>(std::floor((canvas - size) / 2.0));
    };
    ThumbnailPlacement place;
    if (w0 <= canvasW && h0 <= canvasH) {
        place.picture = QRect(centred(canvasW, w0), centred(canvasH, h0), w0, h0);
        if (border) {
            // One pixel outside the picture on all four sides: a picture that fills the
            // canvas keeps every pixel and shows no frame.
            place.frame = place.picture.adjusted(-1, -1, 1, 1);
        }
        return place;
    }
    if (!aspect) {
        place.picture = QRect(0, 0, canvasW, canvasH);
    } else {
        // The picture's own orientation decides which side fills the canvas; on a canvas that
        // is not square the other side may then reach outside it and is cut off.
        double w = 0;
        double h = 0;
        if (w0 > h0) {
            w = canvasW;
            h = static_cast<double>(canvasW) * h0 / w0;
        } else {
            h = canvasH;
            w = static_cast<double>(canvasH) * w0 / h0;
        }
        const int wi = std::max(1, static_cast<int>(std::lround(w)));
        const int hi = std::max(1, static_cast<int>(std::lround(h)));
        place.picture = QRect(centred(canvasW, wi), centred(canvasH, hi), wi, hi);
    }
    if (border) {
        place.frame = place.picture;
    }
    return place;
}

platform::Result<QPixmap> makeThumbnail(const QString& path, QSize canvasSize, bool aspect,
                                        bool border) {
    QPixmap result;
    QString reason;
    if (const engine::ErrorInfo* failure =
            loadThumbnail(path, canvasSize, aspect, border, result, &reason)) {
        return platform::Status::failure(
            (path + QStringLiteral(": ") + (reason.isEmpty() ? failure->description : reason))
                .toStdString());
    }
    return result;
}

}  // namespace filelists
