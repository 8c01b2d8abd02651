// The option panels' own behaviour: inputs that choose the option they belong to, boxes that
// enable, disable and force each other, the attribute boxes' three states, the text boxes'
// rules (digits only, repair of empty or out-of-range numbers on leaving, select all on
// entering) and the token pickers that insert a token at the caret.
#pragma once

#include <QObject>
#include <QString>
#include <QValidator>

#include <array>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QRadioButton;

namespace mainwindow {

class FrmMain;
struct Controls;

// The repair a numeric box gets when it is left: its text when empty, its lower bound (for
// the crop count: the value 0 alone is repaired) and its upper bound (0: none).
struct NumberBoxRule {
    QLineEdit* Controls::*box;
    const char* empty;
    double minimum;
    bool onlyZeroIsLow;
    double maximum;
};

// Only the digits of whatever reaches a numeric box, typed, pasted or dropped alike: a "-1"
// pasted into a position becomes "1" as it would had it been typed.
class DigitsOnly : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

// The text a numeric box holds after its repair: what the transforms read, so that a value
// typed but not yet repaired (the box still has the focus) never reaches a name.
QString repairedText(const QString& text, const NumberBoxRule& rule);

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
