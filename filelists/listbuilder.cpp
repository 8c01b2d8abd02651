#include "filelists/listbuilder.h"

#include <QCoreApplication>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "engine/log.h"
#include "filelists/rowtext.h"
#include "platform/stretches.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"

namespace filelists {

namespace {

// Appends the rows of one group in name order. Each group is sorted on its own, so no name can
// move a row into the other group, whatever characters it begins with. A first group already
// in order becomes the list as it is, when it has room for all `rows`, without moving a row.
void appendInNameOrder(QList<platform::ListRow>& target, QList<platform::ListRow>& group,
                       qsizetype rows) {
    const QList<platform::ListRow>& named = group;
    const QList<qsizetype> order = nameOrder(named.size(), [&named](qsizetype i) -> const QString& {
        return named.at(i).texts.at(kColumnName);
    });
    if (order.isEmpty()) {
        return;
    }
    qsizetype inPlace = 0;
    while (inPlace < order.size() && order.at(inPlace) == inPlace) {
        ++inPlace;
    }
    if (inPlace == order.size() && target.isEmpty() && group.capacity() >= rows) {
        target = std::move(group);
        return;
    }
    target.reserve(rows);
    for (const qsizetype position : order) {
        target.append(std::move(group[position]));
    }
}

// With the detail columns every row reads its entry from disk (its state and its stored
// attributes) and writes out dates and sizes, tens of microseconds a row. The texts of the
// next stretch of rows are made by a few threads at once, ahead of the rows; the pictures,
// the log lines and the progress stay on this thread, in order.
class RowTextsAhead {
public:
    RowTextsAhead(const QStringList& paths, bool isDirectory, bool withDetails)
        : paths_(paths), isDirectory_(isDirectory), withDetails_(withDetails) {}

    // The texts of paths[i], asked for in order.
    platform::Result<QStringList> take(qsizetype i) {
        if (!withDetails_) {
            return readRowTexts(paths_.at(i), isDirectory_, false);
        }
        if (i < from_ || i >= from_ + static_cast<qsizetype>(ahead_.size())) {
            readAhead(i);
        }
        return std::move(*ahead_[static_cast<std::size_t>(i - from_)]);
    }

private:
    // Short enough that Escape is still seen within a few milliseconds.
    static constexpr qsizetype kRowsAhead = 2048;
    static constexpr std::size_t kRowsPerThread = 128;
    static constexpr unsigned kMostThreads = 8;

    void readAhead(qsizetype from) {
        from_ = from;
        ahead_.clear();
        ahead_.resize(static_cast<std::size_t>(std::min(kRowsAhead, paths_.size() - from)));
        platform::forEachStretch(
            ahead_.size(), kRowsPerThread, kMostThreads,
            [this](std::size_t begin, std::size_t end) {
                for (std::size_t i = begin; i < end; ++i) {
                    ahead_[i].emplace(readRowTexts(paths_.at(from_ + static_cast<qsizetype>(i)),
                                                   isDirectory_, true));
                }
            });
    }

    const QStringList& paths_;
    const bool isDirectory_;
    const bool withDetails_;
    qsizetype from_ = 0;
    std::vector<std::optional<platform::Result<QStringList>>> ahead_;
};

}  // namespace

ListBuildResult updateListview(platform::ListView& list, const QStringList& dirs,
                               const QStringList& files, const ViewSwitches& switches,
                               SourceImages& images, const IconOptions& iconOptions,
                               const StatusText& status) {
    const auto show = [&](const QString& panel, const QString& text) {
        if (status) {
            status(panel, text);
        }
    };

    const bool withDirs = switches.listsDirs();
    const bool withFiles = switches.files;
    const qint64 total = (withDirs ? dirs.size() : 0) + (withFiles ? files.size() : 0);

    show(kMainPanel, QString::fromLatin1(kBuildingListview));
    show(kSelectedPanel, QString::fromLatin1(kPressEscape));
    list.clear();
    QCoreApplication::processEvents();

    ListBuildResult result;
    BuildProgress progress(QString::fromLatin1(kBuildingListview), total, status);
    QList<platform::ListRow> dirRows;
    QList<platform::ListRow> fileRows;
    dirRows.reserve(withDirs ? dirs.size() : 0);
    fileRows.reserve(withFiles ? files.size() : 0);

    const auto buildGroup = [&](const QStringList& paths, bool isDirectory,
                                QList<platform::ListRow>& rows) {
        RowTextsAhead ahead(paths, isDirectory, switches.showAllColumns);
        for (qsizetype i = 0; i < paths.size(); ++i) {
            const QString& path = paths.at(i);
            platform::ListRow row;
            int large = 0;
            row.smallImage = sysIcons(path, isDirectory, images, iconOptions, large);
            row.largeImage = large;
            auto texts = ahead.take(i);
            if (texts) {
                row.texts = std::move(texts).value();
            } else {
                // One entry that cannot be examined (gone since the read, unreadable) keeps
                // its row with blank details and gets its line in the error log; the rest of
                // the folder is listed.
                engine::logFailure(engine::kFileNotFound,
                                   QStringLiteral("updateListview: ") + path +
                                       QStringLiteral(" (") +
                                       QString::fromStdString(texts.reason()) + QLatin1Char(')'));
                row.texts = rowTexts(path, isDirectory, nullptr);
                while (row.texts.size() < kAllColumnCount) {
                    row.texts.append(QString());
                }
            }
            rows.append(std::move(row));
            if (!progress.step()) {
                result.outcome = BuildOutcome::Cancelled;
                result.lastPath = path;
                return false;
            }
        }
        return true;
    };

    bool complete = true;
    if (withDirs) {
        complete = buildGroup(dirs, true, dirRows);
    }
    if (complete && withFiles) {
        complete = buildGroup(files, false, fileRows);
    }

    if (!complete) {
        // Nothing was inserted yet, but the list may have been given rows while the events
        // were processed; the abort leaves it empty in every case.
        list.clear();
        attachImages(list, images);
        if (result.outcome == BuildOutcome::Failed) {
            engine::logFailure(engine::kFileNotFound,
                               QStringLiteral("updateListview: ") + result.lastPath);
            show(kSelectedPanel, QString::fromLatin1(kErrorBuildingListview));
        } else {
            show(kSelectedPanel, QString::fromLatin1(kUserCancelled));
        }
        return result;
    }

    QList<platform::ListRow> rows;
    const qsizetype rowCount = dirRows.size() + fileRows.size();
    appendInNameOrder(rows, dirRows, rowCount);
    appendInNameOrder(rows, fileRows, rowCount);
    list.addRows(std::move(rows));
    attachImages(list, images);
    list.clearSelection();
    result.rows = list.rowCount();
    result.lastPath.clear();
    return result;
}

}  // namespace filelists
