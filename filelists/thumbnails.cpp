#include "filelists/thumbnails.h"

#include <QCoreApplication>

#include "filelists/buildprogress.h"
#include "filelists/rowtext.h"
#include "platform/filesystem.h"
#include "platform/programfolder.h"
#include "platform/widgets/busy.h"
#include "platform/widgets/listview.h"

namespace filelists {

namespace {

bool g_makingThumbnails = false;

// Whatever ends the run, the flag drops, the panels get their texts back ("main" first) and
// the view shows the entries the run appended.
class RunGuard {
public:
    explicit RunGuard(const ThumbnailRun& run) : run_(run) {
        if (run_.status.text) {
            oldMain_ = run_.status.text(kMainPanel);
            oldSelected_ = run_.status.text(kSelectedPanel);
        }
    }
    ~RunGuard() {
        g_makingThumbnails = false;
        setPanel(kMainPanel, oldMain_);
        setPanel(kSelectedPanel, oldSelected_);
        attachImages(run_.list, run_.images);
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

    void setPanel(const QString& key, const QString& text) const {
        if (run_.status.setText) {
            run_.status.setText(key, text);
        }
    }

private:
    const ThumbnailRun& run_;
    QString oldMain_;
    QString oldSelected_;
};

// A row is a file only when its path names something on disk that is not a folder; a row
// whose entry has gone is handed to the lookup as a folder.
bool isDirectoryRow(const QString& path) {
    const platform::fs::Kind kind = platform::fs::kindOf(platform::nativePath(path));
    return kind == platform::fs::Kind::Missing || kind == platform::fs::Kind::Directory;
}

bool runThumbnails(const ThumbnailRun& run, bool freeSelect) {
    const platform::BusyScope busy(run.window);
    const RunGuard guard(run);
    const QString label = QStringLiteral("Generating Thumbnails...");
    guard.setPanel(kMainPanel, label);
    guard.setPanel(kSelectedPanel, QString::fromLatin1(kPressEscape));

    IconOptions options = run.options;
    options.makeThumbnails = true;
    g_makingThumbnails = true;

    // One yield so the texts show; the loop itself yields only when Escape is polled.
    platform::EscapeWatch::clear();
    QCoreApplication::processEvents();

    const int rowCount = run.list.rowCount();
    BuildProgress progress(label, rowCount, run.status.setText);
    // Rows get their new index directly; the view is refreshed once, by the guard.
    QList<platform::ListRow>& rows = run.list.model()->rows;
    for (int row = 0; row < rowCount; ++row) {
        if (row >= run.list.rowCount()) {
            return false;  // rows taken away while the loop yielded
        }
        const QString path = run.list.text(row, kColumnFolder) + run.list.text(row, kColumnName);
        const bool isDirectory = isDirectoryRow(path);
        int largeIndex = kDefaultFile;
        if (freeSelect) {
            sysIconsFreeSel(path, isDirectory, run.images, options, largeIndex);
        } else {
            sysIcons(path, isDirectory, run.images, options, largeIndex);
        }
        rows[row].largeImage = largeIndex;
        if (!progress.step()) {
            return false;
        }
    }
    run.images.thumbsComplete = true;
    return true;
}

}  // namespace

bool generateThumbnails(const ThumbnailRun& run) {
    return runThumbnails(run, false);
}

bool generateThumbnailsFreeSel(const ThumbnailRun& run) {
    return runThumbnails(run, true);
}

bool makingThumbnails() {
    return g_makingThumbnails;
}

}  // namespace filelists
