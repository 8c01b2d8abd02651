// The main window: the program's inputs (which are also the store of the mode options), its
// start-up and first activation, the mode tabs, the file-source tabs, the folder reading and
// navigation, and the validation that enables "Rename!". Built from the tables of controltable.h;
// every control is reachable by its name, for the settings loader and for tests.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include "engine/lists.h"
#include "engine/options.h"
#include "filelists/imagelist.h"
#include "filelists/treebuilder.h"
#include "mainwindow/windowstate.h"
#include "platform/com/com.h"
#include "runs/driver.h"
#include "runs/runstate.h"
#include "settings/controlsink.h"
#include "settings/programsettings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QTimer;
class QTreeWidget;

namespace platform {
class ListView;
}

namespace mainwindow {

class TabStrip;

// Check box values as the settings and the rules count them: 0 clear, 1 ticked, 2 grayed.
int vbValue(const QCheckBox* box);
// Sets the value; refuses anything but 0, 1 and 2. Setting 2 lets the box show grayed.
bool setVbValue(QCheckBox* box, int value);

// A stored caption as a label shows it: "&&" is one ampersand, a single "&" marks the
// access key and is not shown.
QString labelCaption(const QString& stored);

// The tag-library class and the interface asked of it.
extern const com::CLSID kMp3LibraryClass;
extern const com::IID kMp3LibraryInterface;

class FrmMain : public QMainWindow, public settings::ControlSink {
    Q_OBJECT
public:
    // Builds the window and runs the start-up: the settings, the caption, the geometry, the
    // columns, the token pickers, the placeholders and the tag-library object. `arguments`
    // are the program's arguments without its own path.
    explicit FrmMain(const QStringList& arguments, QWidget* parent = nullptr);
    ~FrmMain() override;

    // A control, menu or menu item by name; null when there is none of that type.
    template <class T>
    T* control(const QString& name) const {
        return qobject_cast<T*>(controls_.value(name));
    }
    QObject* controlObject(const QString& name) const { return controls_.value(name); }
    QStringList controlNames() const { return controls_.keys(); }

    WindowState& state() { return state_; }
    const WindowState& state() const { return state_; }
    // The state a run shares with its undo (journal, counters, simulation and running flags).
    runs::RunState& runState() { return runState_; }
    const runs::RunState& runState() const { return runState_; }
    // The run window of the last run or undo while it is open; null otherwise.
    runs::RunWindow* runWindow() const {
        return runWindow_ && runWindow_->isVisible() ? runWindow_.data() : nullptr;
    }
    const settings::ProgramSettings& settings() const { return settings_; }
    const engine::TextLists& lists() const { return lists_; }
    bool hasMp3Library() const { return static_cast<bool>(mp3Library_); }

    // The key of the selected mode tab ("Replace", "Case", ...), and of the file-source tab.
    QString modeTabKey() const;
    QString fileModeTabKey() const;
    // The text of a status bar panel by key: "main", "preview", "selected".
    QString panelText(const QString& key) const;
    void setPanelText(const QString& key, const QString& text);

    // Operations of the window, also run directly by other parts of the program.
    // The first activation: runs once, when the window is first shown.
    void formActivate();
    // The mode tab handler: shows the option frame of the selected tab and derives its flags.
    void tabStripClick();
    // The file-source tab handler: shows the controls of the chosen source.
    void tabStripFilemodeClick();
    // Decides whether a rename can start with the current inputs (enables "Rename!").
    void optionsChanged();
    // The options the transforms read, taken from the inputs now (scope and replace).
    engine::Options optionsSnapshot() const;
    // One tick of the preview timer: a pending label edit, the selection recount once the
    // mouse button is up, a pending preview, and the remembered window position.
    void tmrPreviewTimer();
    // One preview pass over the current source's rows (the timer's tick starts it).
    void generatePreview();
    // Counts the selection of the active list; force -1 counts even while busy.
    void updateSelectedCount(int force);

    // "Rename!": validates and, when it stays enabled, runs the selected tab's executor with
    // the run window (runs/driver.h). Returns with the run window open.
    void cmdExecuteClick();
    // "Undo": asks, then puts the last run back (runs/undo.h).
    void cmdUndoClick();
    // F5: the focused input gives up the focus first, then "Rename!" runs when it is enabled.
    void formKeyF5();

    // Reading the working folder. Every read is readDirectoryStructure followed by
    // updateTreeview: the first fills the Directory work lists from the path box's folder (or
    // shows a placeholder row), the second builds the tree, the rows and the counts from them.
    void readDirectoryStructure();
    void updateTreeview();
    // The path box commit (on leaving the box and on Enter): reads the folder in the box when
    // it differs from previousPath and can be listed.
    void txtPathLostFocus();
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

    // The image lists of a source: 0 Directory, 1 Free Select.
    filelists::SourceImages& sourceImages(int source) {
        return source == 1 ? freeSelImages_ : dirImages_;
    }
    // The list shows its placeholder row (its font is bold).
    static bool showsPlaceholder(const platform::ListView* list);

    // settings::ControlSink
    bool setCheck(const QString& name, int value) override;
    bool setText(const QString& name, const QString& text) override;
    bool selectOption(const QString& name) override;
    bool selectModeTab(int position) override;
    bool setDate(const QString& name, const QDate& date) override;
    bool setTime(const QString& name, const QTime& time) override;
    void setEnabled(const QString& name, bool enabled) override;
    void setCaption(const QString& name, const QString& caption) override;
    using QWidget::setEnabled;

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void connectHandlers();
    void registerControl(QObject* object);
    void placeOnCaptionLine(QWidget* option, const QGroupBox* frame);

    void formLoad(const QStringList& arguments);
    void applySavedGeometry();
    void applyColumns();
    void fillTokenPickers();
    void showPlaceholder(platform::ListView* list, const QString& text);
    void fillPathHistory();
    void createMp3Library();

    // The runs: the context the driver and the undo work in, and what it reads of the window.
    runs::DriverContext driverContext();
    runs::DriverInputs driverInputs() const;
    // The selected mode tab and the options that choose between its executors: what the
    // preview and the run both pick their naming mode by.
    runs::ModeSelection modeSelection() const;
    runs::AttribOptions attribOptions() const;
    runs::RunWindow* openRunWindow();
    void runWindowClosed();
    void refillFreeSelect(const QStringList& files, const QStringList& dirs);
    // The command line's "/e" mode word and "/x", at the first activation.
    void runCommandLineMode();

    // The option frame that the mode tab with this key shows; null for an unknown key.
    QWidget* modeFrame(const QString& key) const;
    void chkSimulationClick();
    void chkPreviewClick();
    void chkOnlyRenameSelectedClick();
    void chkFilesClick();
    void chkDirsClick();
    void chkSubClick();
    void showIncludedKinds();
    void chkShowTreeviewClick();
    void chkThumbnailsClick();
    void chkThumbnailsFreeSelectClick();
    void txtPathChange();
    void txtPathClick();
    void txtPathGotFocus();
    void txtPatternGotFocus();
    void treeViewKeyUp(int key);
    void treeViewRightButtonUp(const QPoint& globalPosition);
    bool pathBoxEvent(QObject* watched, QEvent* event);

    QString pathText() const;
    void setPathText(const QString& text);
    void setPathRed(bool red);
    void addToPathHistory(const QString& folder);
    void showDirectoryRows();
    void selectFileSourceTab(const QString& key);
    void stopPreview();
    filelists::ViewSwitches viewSwitches() const;
    filelists::IconOptions directoryIconOptions() const;
    filelists::StatusPanels statusAccess();
    platform::ListView* directoryList() const;
    QTreeWidget* treeView() const;
    void layoutFileSource();
    void paintInput(QWidget* input, bool enabled);

    QCheckBox* check(const char* name) const;
    void setShown(const char* name, bool shown);

    WindowState state_;
    runs::RunState runState_;
    QPointer<runs::RunWindow> runWindow_;
    QObject* keyWatch_ = nullptr;
    settings::ProgramSettings settings_;
    engine::TextLists lists_;
    com::ComPtr<com::IUnknown> mp3Library_;

    QHash<QString, QObject*> controls_;
    QHash<QString, QLabel*> panels_;
    QHash<QObject*, QString> frameOptions_;  // option frame -> the option its clicks choose
    QWidget* client_ = nullptr;
    TabStrip* tabStrip_ = nullptr;
    TabStrip* tabStripFilemode_ = nullptr;
    QTimer* tmrPreview_ = nullptr;
    filelists::SourceImages dirImages_;
    filelists::SourceImages freeSelImages_;
    // The path box holds the focus (its line edit included).
    bool pathHasFocus_ = false;
};

}  // namespace mainwindow
