#include "filelists/imagelist.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <cmath>

#include "platform/widgets/listview.h"
#include "settings/programsettings.h"

namespace filelists {

namespace {

bool canPaint() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QIcon standardIcon(int defaultIndex) {
    QStyle* style = QApplication::style();
    if (!style) {
        return {};
    }
    return style->standardIcon(defaultIndex == kDefaultFile ? QStyle::SP_FileIcon
                                                            : QStyle::SP_DirIcon);
}

// The picture of a default at a square side, the ghost folder faded so that a listed folder
// that takes no part stands apart from the others.
QPixmap defaultPicture(int defaultIndex, int side) {
    QPixmap result = transparentPixmap(QSize(side, side));
    const QPixmap source = standardIcon(defaultIndex).pixmap(QSize(side, side), 1.0);
    QPainter painter(&result);
    if (defaultIndex == kDefaultGhostDir) {
        painter.setOpacity(0.4);
    }
    painter.drawPixmap(QRect(0, 0, side, side), source);
    return result;
}

}  // namespace

// ---- ImageList ----

void ImageList::setImageSize(QSize size) {
    if (size != size_) {
        clear();
        size_ = size;
    }
}

int ImageList::indexOf(const QString& key) const {
    // Keys are unique, so the entry still holding the key is still the answer.
    if (lastFound_ >= 1 && lastFound_ <= count() && entries_.at(lastFound_ - 1).key == key) {
        return lastFound_;
    }
    const int index = index_.value(key, 0);
    if (index != 0) {
        lastFound_ = index;
    }
    return index;
}

void ImageList::clear() {
    entries_.clear();
    index_.clear();
    view_ = {QIcon()};
    icons_.clear();
}

QPixmap ImageList::fitted(const QPixmap& picture) const {
    if (picture.isNull() || !size_.isValid() || picture.size() == size_) {
        return picture;
    }
    return picture.scaled(size_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QIcon ImageList::iconFor(const QPixmap& picture) {
    if (picture.isNull()) {
        return {};
    }
    auto found = icons_.constFind(picture.cacheKey());
    if (found != icons_.constEnd()) {
        return *found;
    }
    QIcon icon(picture);
    icons_.insert(picture.cacheKey(), icon);
    return icon;
}

platform::Result<int> ImageList::add(const QString& key, const QPixmap& picture) {
    if (key.isEmpty()) {
        return platform::Status::failure("An image needs a key.");
    }
    if (index_.contains(key)) {
        return platform::Status::failure("The key \"" + key.toStdString() +
                                         "\" is already in the image list.");
    }
    const QPixmap stored = fitted(picture);
    entries_.append({key, stored});
    view_.append(iconFor(stored));
    const int index = count();
    index_.insert(key, index);
    return index;
}

platform::Status ImageList::replace(int index, const QPixmap& picture) {
    if (index < 1 || index > count()) {
        return platform::Status::failure("Image " + std::to_string(index) +
                                         " is not in the image list.");
    }
    const QPixmap stored = fitted(picture);
    entries_[index - 1].pixmap = stored;
    view_[index] = iconFor(stored);
    return platform::Status::success();
}

platform::Status ImageList::rekey(const QString& oldKey, const QString& newKey) {
    const int index = indexOf(oldKey);
    if (index == 0) {
        return platform::Status::failure("The key \"" + oldKey.toStdString() +
                                         "\" is not in the image list.");
    }
    if (newKey == oldKey) {
        return platform::Status::success();
    }
    if (newKey.isEmpty() || index_.contains(newKey)) {
        return platform::Status::failure("The key \"" + newKey.toStdString() +
                                         "\" is empty or already in the image list.");
    }
    index_.remove(oldKey);
    index_.insert(newKey, index);
    entries_[index - 1].key = newKey;
    return platform::Status::success();
}

QString ImageList::key(int index) const {
    return index >= 1 && index <= count() ? entries_.at(index - 1).key : QString();
}

QPixmap ImageList::pixmap(int index) const {
    return index >= 1 && index <= count() ? entries_.at(index - 1).pixmap : QPixmap();
}

QIcon ImageList::icon(int index) const {
    return index >= 1 && index <= count() ? view_.at(index) : QIcon();
}

// ---- Defaults and pairs ----

QSize largeImageSize(const settings::ProgramSettings& settings) {
    auto clamp = [](int side) { return std::clamp(side, 16, 256); };
    return {clamp(settings.thumbsWidth), clamp(settings.thumbsHeight)};
}

QPixmap transparentPixmap(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPoint largeIconOrigin(QSize largeSize) {
    return {static_cast<int>(std::nearbyint(largeSize.width() / 2.0 - kLargeIconSide / 2)),
            static_cast<int>(std::nearbyint(largeSize.height() / 2.0 - kLargeIconSide / 2))};
}

QPixmap defaultSmallImage(int defaultIndex) {
    if (!canPaint() || defaultIndex < kDefaultFile || defaultIndex > kDefaultGhostDir) {
        return {};
    }
    // Kept for the life of the process (never destroyed after the application object).
    static auto* cache = new QHash<int, QPixmap>;
    auto found = cache->constFind(defaultIndex);
    if (found != cache->constEnd()) {
        return *found;
    }
    const QPixmap picture = defaultPicture(defaultIndex, kSmallImageSize);
    cache->insert(defaultIndex, picture);
    return picture;
}

QPixmap defaultLargeImage(int defaultIndex, QSize largeSize) {
    if (!canPaint() || defaultIndex < kDefaultFile || defaultIndex > kDefaultGhostDir ||
        largeSize.isEmpty()) {
        return {};
    }
    static auto* cache = new QHash<QString, QPixmap>;
    const QString cacheKey =
        QStringLiteral("%1:%2x%3").arg(defaultIndex).arg(largeSize.width()).arg(largeSize.height());
    auto found = cache->constFind(cacheKey);
    if (found != cache->constEnd()) {
        return *found;
    }
    QPixmap picture = transparentPixmap(largeSize);
    {
        QPainter painter(&picture);
        painter.drawPixmap(largeIconOrigin(largeSize),
                           defaultPicture(defaultIndex, kLargeIconSide));
    }
    cache->insert(cacheKey, picture);
    return picture;
}

namespace {

void initPair(SourceImages& images, QSize largeSize, platform::ListView* view) {
    images.small.clear();
    images.large.clear();
    images.small.setImageSize(QSize(kSmallImageSize, kSmallImageSize));
    images.large.setImageSize(largeSize);
    const std::pair<int, const QString*> defaults[] = {
        {kDefaultFile, &kDefaultFileKey},
        {kDefaultDir, &kDefaultDirKey},
        {kDefaultGhostDir, &kDefaultGhostDirKey},
    };
    // A failing add is passed over: the list then keeps what it has, and the next one goes on.
    for (const auto& [index, key] : defaults) {
        (void)images.small.add(*key, defaultSmallImage(index));
    }
    for (const auto& [index, key] : defaults) {
        (void)images.large.add(*key, defaultLargeImage(index, largeSize));
    }
    if (view) {
        attachImages(*view, images);
    }
}

}  // namespace

void initSysIcons(SourceImages& images, QSize largeSize, platform::ListView* view) {
    images.thumbsComplete = false;
    initPair(images, largeSize, view);
}

void initSysIconsFreeSel(SourceImages& images, QSize largeSize, platform::ListView* view) {
    initPair(images, largeSize, view);
}

void attachImages(platform::ListView& view, const SourceImages& images) {
    view.setSmallImages(images.small.viewImages());
    view.setLargeImages(images.large.viewImages());
    view.setLargeIconSize(images.large.imageSize());
}

void renamePathKey(SourceImages& images, const QString& oldPath, const QString& newPath) {
    // Most rows have a shared icon, not a picture of their own: a list without the key is
    // passed by, without building the failure text of a rekey.
    for (ImageList* list : {&images.small, &images.large}) {
        if (list->indexOf(oldPath) != 0) {
            (void)list->rekey(oldPath, newPath);
        }
    }
}

}  // namespace filelists
