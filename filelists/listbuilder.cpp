#include "filelists/listbuilder.h"

#include <QCoreApplication>

#include <utility>

#include "engine/log.h"
#include "filelists/rowtext.h"
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
        for (const QString& path : paths) {
            platform::ListRow row;
            int large = 0;
            row.smallImage = sysIcons(path, isDirectory, images, iconOptions, large);
            row.largeImage = large;
            auto texts = readRowTexts(path, isDirectory, switches.showAllColumns);
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
