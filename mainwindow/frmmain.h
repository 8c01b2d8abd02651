// The main window: builds itself from the tables of controltable.h, runs the start-up and the
// first activation, takes the settings loader's values (settings::ControlSink), and builds, owns
// and connects the parts that handle its concerns. Each part gets at construction what it works
// on (the controls, the window state, the run state, the settings, the lists, the image lists,
// the status bar) and the parts it calls, each listed above it here; it connects its own
// controls and never includes this header. What a part tells and others follow is a signal
// (in brackets), connected by the window in one place (connectHandlers):
//   SourceSwitch   the switch between Directory and Free Select, the selection count, the
//                  layout of the file-source area, the Free Select thumbnails
//                  (sourceChanged, selectionCounted: the validation follows)
//   FolderSource   the Directory source: folder reading, path and pattern boxes, history,
//                  folder button, Parent Directory, Refresh, tree view, include boxes
//                  (folderRead: the validation follows; treeMenuRequested)
//   ModePanels     the mode tabs, the validation that enables "Rename!", the options
//                  snapshot, the preview timer and the preview pass
//   OptionPanels   the mode panels' couplings, the text boxes' rules and the token pickers
//                  (optionsChanged: the validation follows)
//   FreeSelect     the Free Select source's commands: drops, Add Files, Remove, Clear All
//   RunController  "Rename!", "Undo", F5, the simulation box, the run window, the command
//                  line's run (runFinished: the validation follows)
//   ListCommands   the lists' mouse and keys, dragging rows, F2 and the manual rename
//                  (menuRequested)
//   ContextMenus   the three context menus (opened on treeMenuRequested and menuRequested)
//   WindowKeys     F1, F12, Help, closing and saving (through InputValues)
// The dialogs take the parts they use (SettingsDialogParts, the position picker's controls and
// state), never the window. Every control is reachable by its name (for the settings loader and
// tests) and, in code, through the typed pointers of ui(); the parts are reachable for tests.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <optional>

#include "engine/lists.h"
#include "filelists/imagelist.h"
#include "filelists/thumbnails.h"
#include "mainwindow/controls.h"
#include "mainwindow/widgetvalues.h"
#include "mainwindow/windowstate.h"
#include "orvane/com/interfaces.h"
#include "platform/com/com.h"
#include "runs/runstate.h"
#include "settings/controlsink.h"
#include "settings/programsettings.h"

class QLabel;

namespace runs {
class RunWindow;
}

namespace mainwindow {

class SourceSwitch;
class FolderSource;
class ModePanels;
class RunController;
class WindowKeys;
class InputValues;
class OptionPanels;
class FreeSelect;
class ListCommands;
class ContextMenus;
struct SettingsDialogParts;
struct SettingsInputs;

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

    // Typed access to every control.
    Controls& ui() { return ui_; }
    const Controls& ui() const { return ui_; }

    // A control, menu or menu item by name; null when there is none of that type. For the
    // settings loader and tests, which know controls by their stored names.
    template <class T>
    T* control(const QString& name) const {
        return qobject_cast<T*>(controls_.value(name));
    }
    QObject* controlObject(const QString& name) const { return controls_.value(name); }
    QStringList controlNames() const { return controls_.keys(); }

    FolderSource& folderSource() { return *folderSource_; }
    SourceSwitch& sourceSwitch() { return *sourceSwitch_; }
    ModePanels& modePanels() { return *modePanels_; }
    RunController& runController() { return *runController_; }
    WindowKeys& windowKeys() { return *windowKeys_; }
    OptionPanels& optionPanels() { return *optionPanels_; }
    FreeSelect& freeSelect() { return *freeSelect_; }
    ListCommands& listCommands() { return *listCommands_; }
    ContextMenus& contextMenus() { return *contextMenus_; }
    const OptionPanels& optionPanels() const { return *optionPanels_; }

    WindowState& state() { return state_; }
    const WindowState& state() const { return state_; }
    // The state a run shares with its undo (journal, counters, simulation and running flags).
    runs::RunState& runState() { return runState_; }
    const runs::RunState& runState() const { return runState_; }
    // The run window of the last run or undo while it is open; null otherwise.
    runs::RunWindow* runWindow() const;
    const settings::ProgramSettings& settings() const { return settings_; }
    // The runs and the run window keep their totals and geometry here.
    settings::ProgramSettings& settings() { return settings_; }
    const engine::TextLists& lists() const { return lists_; }
    // The settings dialog and the Replace tab's add button change the editable lists.
    engine::TextLists& lists() { return lists_; }
    bool hasMp3Library() const { return static_cast<bool>(mp3Library_); }
    // The library's cMP3File (created with its own interface), or null.
    orvane::_cMP3File* mp3Library() const {
        return static_cast<orvane::_cMP3File*>(mp3Library_.get());
    }

    // The key of the selected mode tab ("Replace", "Case", ...), and of the file-source tab.
    QString modeTabKey() const { return ui_.TabStrip->currentKey(); }
    QString fileModeTabKey() const { return ui_.TabStripFilemode->currentKey(); }
    // The text of a status bar panel by key: "main", "preview", "selected".
    QString panelText(const QString& key) const;
    void setPanelText(const QString& key, const QString& text);

    // The image lists of a source.
    filelists::SourceImages& sourceImages(Source source) {
        return source == Source::FreeSelect ? freeSelImages_ : dirImages_;
    }

    // Adds the six detail columns to both lists, each with its width as loaded at start-up,
    // or removes them by their keys.
    void showDetailColumns(bool shown);

    // What the settings dialog reads and keeps, with "Ok" applying its inputs.
    SettingsDialogParts settingsDialogParts();
    // The settings dialog's "Ok" (applysettings.cpp): decides whether the working folder is
    // read again, rebuilds the image lists for a new thumbnail size, copies every input into
    // the settings, carries the visible consequences over to the parts of the window, takes
    // both lists, saves everything and re-reads the folder when needed. Returns whether it
    // re-read.
    bool applySettings(const SettingsInputs& inputs);

    // The first activation: runs once, when the window is first shown.
    void formActivate();

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
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the window from the tables (windowbuild.cpp).
    void buildControls();
    void buildMenus();
    void registerControl(QObject* object);
    void placeOnCaptionLine(QWidget* option, const QGroupBox* frame);
    void nameInputsForAssistiveTechnology();

    void connectHandlers();
    void formLoad(const QStringList& arguments);
    void applySavedGeometry();
    // Shrinks the client area by the frame once the frame is known, so that the saved outer
    // size is the window's outer size again.
    void settleOuterSize();
    void applyColumns();
    void fillTokenPickers();
    void fillPathHistory();
    void createMp3Library();
    // Keeps the remembered window position current while the window is only moved (on every
    // tick of the preview timer).
    void rememberPosition();
    // The status bar's panels as the parts read and write them.
    filelists::StatusPanels panelAccess();

    Controls ui_;
    WindowState state_;
    runs::RunState runState_;
    settings::ProgramSettings settings_;
    engine::TextLists lists_;
    com::ComPtr<com::IUnknown> mp3Library_;
    filelists::SourceImages dirImages_;
    filelists::SourceImages freeSelImages_;

    QHash<QString, QObject*> controls_;
    QHash<QString, QLabel*> panels_;
    QHash<QObject*, QRadioButton*> frameOptions_;  // option frame -> the option its clicks choose
    QWidget* client_ = nullptr;
    QObject* keyWatch_ = nullptr;

    std::unique_ptr<FolderSource> folderSource_;
    std::unique_ptr<SourceSwitch> sourceSwitch_;
    std::unique_ptr<ModePanels> modePanels_;
    std::unique_ptr<RunController> runController_;
    std::unique_ptr<InputValues> inputValues_;
    std::unique_ptr<WindowKeys> windowKeys_;
    std::unique_ptr<OptionPanels> optionPanels_;
    std::unique_ptr<FreeSelect> freeSelect_;
    std::unique_ptr<ListCommands> listCommands_;
    std::unique_ptr<ContextMenus> contextMenus_;
    std::optional<QSize> outerSizeToSettle_;
};

}  // namespace mainwindow
