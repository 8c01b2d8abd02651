// The option panels' own behaviour: inputs that choose the option they belong to, boxes that
// enable, disable and force each other, the attribute boxes' three states, the text boxes'
// rules (digits only, repair of empty or out-of-range numbers on leaving, select all on
// entering) and the token pickers that insert a token at the caret.
#pragma once

#include <QObject>
#include <QString>

#include <array>

#include "mainwindow/numberbox.h"

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QRadioButton;

namespace mainwindow {

class FrmMain;
struct Controls;

class OptionPanels : public QObject {
public:
    OptionPanels(FrmMain& window, Controls& ui);

    // Wires every panel input; called before the settings are loaded, so the loader's writes
    // run the couplings as a user's changes would.
    void connectHandlers();

    // The repaired text of a numeric box (the box's own text for any other box).
    QString numberText(const QLineEdit* box) const;

    // The value each attribute box's handler stored last (Write Protect, Hidden, System,
    // Archive).
    const std::array<int, 4>& attributeSteps() const { return storedAttributes_; }

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

    FrmMain& window_;
    Controls& ui_;
    std::array<int, 4> storedAttributes_{};
};

}  // namespace mainwindow
