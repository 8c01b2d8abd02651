// The settings dialog "Quenza Renamer Settings": the program-wide settings that are no option
// of a mode tab, on six tabs, with the exceptions and batch replace editors. It works on
// copies: "Ok" applies every input at once (applysettings.cpp), every other way of closing
// drops them.
#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

#include "mainwindow/dialogs/applysettings.h"

class QCheckBox;
class QLineEdit;

namespace mainwindow {

class BatchReplaceEditor;
class ExceptionsEditor;
class FrmMain;
class TabStrip;

class FrmSettings : public QDialog {
    Q_OBJECT
public:
    // Builds the dialog over `window` and loads it: the remembered tab, every input from the
    // settings, both lists, and the place on the screen.
    explicit FrmSettings(FrmMain& window);
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

    FrmMain& window_;
    QHash<QString, QWidget*> controls_;
    TabStrip* tabStrip_ = nullptr;
    ExceptionsEditor* exceptions_ = nullptr;
    BatchReplaceEditor* batchReplace_ = nullptr;
    // "Ok" is under way: a second press, Escape and the close box are ignored meanwhile.
    bool applying_ = false;
    // The dialog opens in the middle of the screen.
    bool centred_ = false;
};

// Shows the dialog modally over `window` and returns when it has closed. `tabKey`
// ("exceptions" or "batchreplace") replaces the remembered tab; empty keeps it.
void showSettingsDialog(FrmMain& window, const QString& tabKey = QString());

}  // namespace mainwindow
