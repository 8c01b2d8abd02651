// The option panels' own behaviour: inputs that choose the option they belong to, boxes that
// enable, disable and force each other, the attribute boxes' three states, the text boxes'
// rules (digits only, repair of empty or out-of-range numbers on leaving, select all on
// entering) and the token pickers that insert a token at the caret.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <array>

#include "engine/lists.h"
#include "mainwindow/numberbox.h"

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QRadioButton;

namespace mainwindow {

struct Controls;
struct WindowState;

class OptionPanels : public QObject {
    Q_OBJECT
public:
    // `controls` finds the token pickers and their boxes by name; `lists` takes the Replace
    // tab's additions to the batch list.
    OptionPanels(Controls& ui, const QHash<QString, QObject*>& controls, WindowState& state,
                 engine::TextLists& lists);

    // Wires every panel input; called before the settings are loaded, so the loader's writes
    // run the couplings as a user's changes would.
    void connectHandlers();

    // The value each attribute box's handler stored last (Write Protect, Hidden, System,
    // Archive).
    const std::array<int, 4>& attributeSteps() const { return storedAttributes_; }

signals:
    // A coupling changed an option the validation reads.
    void optionsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(QRadioButton* option);
    // Appends the single replacement of the Replace tab to the batch replace list.
    void cmdReplaceAddClick();
    void attributeBoxClick(int index);
    void dateBoxClick(QCheckBox* box, QCheckBox* partner, QWidget* picker);
    void processBoxClick(QCheckBox* box, QCheckBox* partner);
    void autoZerosClick();
    void resetBetweenDirsClick();
    void attribOptionChosen(bool dates);
    void formatOptionChosen(bool detect);
    void enumOptionChosen(bool numbering);
    void pickToken(QComboBox* picker, QLineEdit* box);
    // Focus rules of the text boxes and of the inputs that choose an option on entering.
    void focusGained(QObject* watched);
    // The Enter rule of the Mp3 pattern; true when the key is taken.
    bool mp3FormatKey(int key);
    void repairOnLeaving(QLineEdit* box);
    // Typing over a picker's selection; true when the key is spent.
    bool typeOverPicker(QObject* watched, const QKeyEvent* key);
    // Leaves a panel (the option frame of its tab) unless its tab is chosen: "Rename!" takes
    // the focus, or "About" while it is off.
    void focusAwayFromHiddenPanel(QWidget* Controls::*frame);

    Controls& ui_;
    const QHash<QString, QObject*>& controls_;
    WindowState& state_;
    engine::TextLists& lists_;
    std::array<int, 4> storedAttributes_{};
};

}  // namespace mainwindow
