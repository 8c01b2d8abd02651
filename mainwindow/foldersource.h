// The Directory source: reading the working folder into its work lists and views, and every
// way of getting there: the path box and its history, the pattern box, the folder button,
// Parent Directory, Refresh, the tree view, the include boxes, the thumbnails and the
// "View as Tree" box.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include "filelists/listbuilder.h"
#include "filelists/scan.h"
#include "filelists/sysicons.h"
#include "filelists/treebuilder.h"

class QEvent;
class QWidget;

namespace runs {
struct RunState;
}
namespace settings {
struct ProgramSettings;
}

namespace mainwindow {

struct Controls;
struct WindowState;
class SourceSwitch;

class FolderSource : public QObject {
    Q_OBJECT
public:
    // `window` is the main window, disabled while a read works; `runState` tells whether a
    // run reads the folder; `images` are the Directory list's image lists; `status` writes
    // the read's texts; `source` switches back to the Directory source and counts the
    // selection of a new list.
    FolderSource(QWidget& window, Controls& ui, WindowState& state, const runs::RunState& runState,
                 const settings::ProgramSettings& settings, filelists::SourceImages& images,
                 filelists::StatusPanels status, SourceSwitch& source);

    // Connects the controls this controller handles; the window calls it once, before the
    // settings are loaded, so the loader's writes run the handlers as a user's changes would.
    void connectHandlers();

    // Reading the working folder. Every read is readDirectoryStructure followed by
    // updateTreeview: the first fills the Directory work lists from the path box's folder (or
    // shows a placeholder row), the second builds the tree, the rows and the counts from them.
    void readDirectoryStructure();
    void updateTreeview();

    // The path box commit (on leaving the box and on Enter): reads the folder in the box when
    // it differs from previousPath and can be listed.
    void txtPathLostFocus();
    void txtPathChange();
    // A folder picked from the history.
    void txtPathClick();
    // The pattern box commit: an emptied pattern becomes "*.*"; a changed one re-reads.
    void txtPatternLostFocus();
    // The folder button, Parent Directory and Refresh Directory.
    void cmdShowDirReqClick();
    void cmdParentDirClick();
    void cmdRefreshClick();
    // Refresh Dir: back to the Directory source and the folder read again.
    void treeviewRefresh();
    // A double click (or Enter) on a tree node: opens a folder node, goes up through "[..]".
    void treeViewDblClick();
    // A tree node was expanded or collapsed.
    void treeNodeToggled();

    void chkFilesClick();
    void chkDirsClick();
    void chkSubClick();
    void chkShowTreeviewClick();
    void chkThumbnailsClick();

    // Focus, keys and mouse of the path box, the pattern box and the tree. True when the
    // event is consumed.
    bool filterEvent(QObject* watched, QEvent* event);

    // The path box's text in red (a folder that cannot be listed, or a hidden system folder),
    // or in the normal text colour.
    void setPathRed(bool red);

    // The path box's text: the working folder.
    QString pathText() const;
    // Why the last read left the work lists empty (a hidden system folder, a failed or
    // cancelled read, too many entries), as one sentence naming the folder; empty after a
    // read that completed or with an empty path box.
    const QString& readProblem() const { return readProblem_; }

signals:
    // A read of the folder ended (completed, failed, cancelled, or a placeholder row shown
    // instead): the work lists hold what it left, and the validation follows them.
    void folderRead();
    // The right button came up over the tree, which has nodes: its menu opens there.
    void treeMenuRequested(QPoint globalPosition);

private:
    bool pathBoxEvent(QObject* watched, QEvent* event);
    void txtPathGotFocus();
    void txtPatternGotFocus();
    void treeViewKeyUp(int key);
    void treeViewRightButtonUp(const QPoint& globalPosition);
    void showIncludedKinds();

    void setPathText(const QString& text);
    void addToPathHistory(const QString& folder);
    void showDirectoryRows();
    // The steps of a folder read.
    void startAfresh(const QString& folder);
    void showHiddenSystemFolder(const QString& folder);
    void showNoFolder();
    filelists::ScanOptions scanOptions(const QString& folder) const;
    filelists::ScanOutcome scan(const QString& folder);
    void showReadFailure(filelists::ScanOutcome outcome);
    filelists::ViewSwitches viewSwitches() const;
    // What the list builders and thumbnail runs take from the settings and the include boxes.
    filelists::IconOptions directoryIconOptions() const;

    QWidget& window_;
    Controls& ui_;
    WindowState& state_;
    const runs::RunState& runState_;
    const settings::ProgramSettings& settings_;
    filelists::SourceImages& images_;
    filelists::StatusPanels status_;
    SourceSwitch& source_;
    // The path box holds the focus (its line edit included).
    bool pathHasFocus_ = false;
    // A read or a build of the views is under way (they yield to the event loop).
    bool inRead_ = false;
    struct ReadGuard {
        explicit ReadGuard(bool& flag) : flag_(flag) { flag_ = true; }
        ~ReadGuard() { flag_ = false; }
        ReadGuard(const ReadGuard&) = delete;
        ReadGuard& operator=(const ReadGuard&) = delete;
        bool& flag_;
    };
    // Why the last read failed as a whole ("Error reading directory structure!"); empty after
    // a read that completed.
    QString readFailure_;
    QString readProblem_;
};

}  // namespace mainwindow
