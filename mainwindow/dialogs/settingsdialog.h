// The settings dialog "Quenza Renamer Settings": the program-wide settings that are no option
// of a mode tab, on six tabs, with the exceptions and batch replace editors. It works on
// copies: "Ok" applies every input at once (applysettings.cpp), every other way of closing
// drops them.
#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

#include <functional>

#include "engine/lists.h"
#include "settings/programsettings.h"

class QCheckBox;
class QLineEdit;

namespace mainwindow {

class BatchReplaceEditor;
class ExceptionsEditor;
class TabStrip;

// The thumbnail size boxes' bounds in pixels.
inline constexpr int kThumbMinimum = 16;
inline constexpr int kThumbMaximum = 256;

// The dialog's inputs as "Ok" reads them; check boxes hold 0 or 1, each named after its box.
struct SettingsInputs {
    int chkHidden = 0;
    int chkSystem = 0;
    int chkWriteProtected = 0;
    int chkPatternFile = 0;
    int chkPatternDir = 0;
    int chkStartupInLastDir = 0;
    int chkShellShowQuenza = 0;
    int chkShowPath = 0;
    int chkUncheckSubsdirsAtStartup = 0;
    int chkHideSystemFolders = 0;
    int chkUseSysIcons = 0;
    int chkEnableTreeview = 0;
    int chkAlwaysShowDirs = 0;
    int chkShowAllColumns = 0;
    int chkLwFullRowSelect = 0;
    int chkLwShowGuidelines = 0;
    int chkRenameAllIfNoneSelected = 0;
    int chkThumbAspect = 0;
    int chkThumbBorder = 0;
    int chkCache = 0;
    // The thumbnail size in pixels, 16 to 256.
    int thumbWidth = 64;
    int thumbHeight = 64;
    // The exceptions editor's items and the batch editor's rows, in display order.
    QStringList exceptions;
    QList<engine::BatchReplaceItem> batchReplace;
};

// A size box's text as its repair on leaving makes it: empty gives "64", a number below 16
// gives "16", one above 256 gives "256"; anything else stays as typed.
QString repairedThumbSize(const QString& text);
// The size in pixels that a size box's text stands for, repaired as above: 16 to 256 always.
int thumbSize(const QString& text);

// What the dialog reads and keeps outside itself; the main window hands it over.
struct SettingsDialogParts {
    // The owner: the dialog takes its font and opens on its screen.
    QWidget& owner;
    // Read on opening; the dialog's place is kept here on closing.
    settings::ProgramSettings& settings;
    // The tab shown last, counted from 1 (0: none yet).
    int& rememberedTab;
    // The exceptions and batch replace lists the editors start from.
    const engine::TextLists& lists;
    // "Ok": applies the inputs (the main window's applySettings).
    std::function<void(const SettingsInputs&)> apply;
};

class FrmSettings : public QDialog {
    Q_OBJECT
public:
    // Builds the dialog over `parts.owner` and loads it: the remembered tab, every input from
    // the settings, both lists, and the place on the screen.
    explicit FrmSettings(SettingsDialogParts parts);
    ~FrmSettings() override;

    // Selects the tab with this key ("general", "interface", "interface2", "listing",
    // "exceptions", "batchreplace"); a key no tab has leaves the tab as it is.
    void selectTab(const QString& key);

    // A control by its name, for tests; null when there is none of that type.
    template <class T>
    T* control(const QString& name) const {
        return qobject_cast<T*>(controls_.value(name));
    }
    TabStrip* tabStrip() const { return tabStrip_; }
    ExceptionsEditor& exceptionsEditor() const { return *exceptions_; }
    BatchReplaceEditor& batchReplaceEditor() const { return *batchReplace_; }

    // What "Ok" would apply now: every input, both size boxes repaired.
    SettingsInputs inputs() const;

    // The handlers.
    void tabStripClick();
    void chkUseSysIconsClick();
    void cmdOKClick();

protected:
    // Every way of closing ends here: the place and the tab are remembered.
    void done(int result) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void load();
    void place();
    void centre();
    void setFocusOrder();
    int check(const char* name) const;
    QCheckBox* box(const char* name) const;
    QLineEdit* sizeBox(const char* name) const;

    SettingsDialogParts parts_;
    QHash<QString, QWidget*> controls_;
    TabStrip* tabStrip_ = nullptr;
    ExceptionsEditor* exceptions_ = nullptr;
    BatchReplaceEditor* batchReplace_ = nullptr;
    // "Ok" is under way: a second press, Escape and the close box are ignored meanwhile.
    bool applying_ = false;
    // The dialog opens in the middle of the screen.
    bool centred_ = false;
};

// Shows the dialog modally over `parts.owner` and returns when it has closed. `tabKey`
// ("exceptions" or "batchreplace") replaces the remembered tab; empty keeps it.
void showSettingsDialog(SettingsDialogParts parts, const QString& tabKey = QString());

}  // namespace mainwindow
