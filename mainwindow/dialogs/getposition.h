// The "Visual Assist" picker: a small modal dialog in which the user picks a character position,
// a position with a length, or a piece of text by placing the caret or selecting characters in
// one of the active list's names. Positions and lengths count characters as the user sees them
// (code points), so an emoji is one position.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace mainwindow {

struct Controls;
struct WindowState;

// The four "Open visual assist window..." buttons beside the Replace and AddCrop boxes.
enum class PositionButton { AddGetPosition, CropGetPosition, ReplaceGetPosition, ReplaceGetString };

// The click of one of the four buttons: moves the focus off the box (so its repair runs before
// it is read), refuses silently while the active source shows its placeholder, hands the boxes'
// values to the modal picker, writes the outcome back into the boxes (after a cancel: the values
// handed in) and puts the focus on the panel's option. The picker keeps its last values in
// `state`.
void openPositionPicker(Controls& ui, WindowState& state, PositionButton button);

// What the picker picks. Positions "from the end" count back from the end of the sample.
enum class PickMode {
    Position = 0,
    PositionAndLength = 1,
    Text = 2,
    PositionFromEnd = 3,
    PositionAndLengthFromEnd = 4,
};

// The values handed in and taken out; 16-bit as the boxes hold them.
struct PickValues {
    qint16 position = 0;
    qint16 length = 0;
    QString text;
};

class GetPositionDialog : public QDialog {
    Q_OBJECT
public:
    // `samples` fill the drop-down list in order; `currentSample` is the one whose text the box
    // starts with (-1: an empty text).
    GetPositionDialog(PickMode mode, const QStringList& samples, int currentSample,
                      const PickValues& values, QWidget* parent = nullptr);

    PickMode mode() const { return mode_; }
    // The values of the last tick; after a cancel, those handed in.
    const PickValues& values() const { return values_; }
    // OK was pressed.
    bool wasAccepted() const { return accepted_; }
    // The sample box has the focus; ticks measure only then.
    bool isTracking() const { return tracking_; }

    // One tick of the timer: measures the caret and selection of the sample box.
    void tick();

    // Caret and selection of the sample box in characters.
    int caretCharacters() const;
    int selectionCharacters() const;
    // Places the caret after `caret` characters and selects `length` characters from there.
    void selectCharacters(int caret, int length);

    QComboBox* files() const { return files_; }
    QLabel* info() const { return info_; }
    QLabel* currentPosition() const { return currentPos_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QTimer* timer() const { return timer_; }

    void setVisible(bool visible) override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void firstActivation();

    PickMode mode_;
    PickValues values_;
    PickValues saved_;
    bool accepted_ = false;
    bool firstActivation_ = true;
    bool tracking_ = false;

    QLabel* info_;
    QComboBox* files_;
    QLabel* currentPos_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QTimer* timer_;
};

}  // namespace mainwindow
