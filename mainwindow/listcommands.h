// The mouse and key behaviour the two file lists share (lwDirectory and lwDragDrop): sorting by
// a column header, opening a row, moving rows by dragging them, copying a name, selecting all,
// the keys of each list, the right button's context menu, and the manual rename by editing a
// row's label.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>

class QDropEvent;
class QEvent;
class QKeyEvent;
class QMouseEvent;
class QWidget;

namespace platform {
class ListView;
}

namespace mainwindow {

struct Controls;
struct WindowState;
class FolderSource;
class FreeSelect;
class ModePanels;
class SourceSwitch;

class ListCommands : public QObject {
    Q_OBJECT
public:
    // `window` is the main window, disabled while all rows are selected. The keys hand their
    // commands to the sources (`folders`, `freeSelect`); `source` counts the selection and
    // `modes` validates after the rows changed.
    ListCommands(QWidget& window, Controls& ui, WindowState& state, ModePanels& modes,
                 SourceSwitch& source, FolderSource& folders, FreeSelect& freeSelect);
    ~ListCommands() override;

    // Wires both lists (signals and event filters).
    void connectHandlers();

    // Exchanges the contents of two rows of the current source's list (1-based positions) and
    // deselects both; the work lists keep their order.
    void swapListItems(int first, int second);
    // Opens the selected row: a folder becomes the working folder, a file is opened by the
    // desktop. Also the Open items of the context menus.
    void openRow(platform::ListView* list);
    // Starts editing the selected row's name (F2, the Manual Rename menu items).
    void startManualRename(platform::ListView* list);
    // The column sort of a header click (column counts from 0 for the name).
    void columnClick(platform::ListView* list, int column);

signals:
    // The right button came up over a list that has rows: the list's menu opens there.
    void menuRequested(platform::ListView* list, QPoint globalPosition);

private:
    class EventRelay;
    friend class EventRelay;

    // The event filter of both lists; true when the event was taken.
    bool filterEvent(platform::ListView* list, QObject* watched, QEvent* event);
    void mouseDown();
    void itemClick(platform::ListView* list, int row);
    bool mouseMove(platform::ListView* list, const QMouseEvent* event);
    void mouseUp(platform::ListView* list, const QMouseEvent* event);
    bool keyDown(platform::ListView* list, const QKeyEvent* event);
    void keyUp(platform::ListView* list, const QKeyEvent* event);
    // The drop handlers of a row drag inside the list; false for any other drag.
    bool dragOver(platform::ListView* list, QObject* watched, QDropEvent* event);
    bool dragDrop(platform::ListView* list, QDropEvent* event);

    // Exchanges two rows (0-based) of `list` and deselects both.
    void swapRows(platform::ListView* list, int first, int second);
    void selectAll(platform::ListView* list);
    static void copyName(const platform::ListView* list);

    // The label editor's verdict on a typed name: renames the item on disk and carries the
    // new name into the work lists and the other list; false leaves the old name.
    bool commitLabelEdit(platform::ListView* list, int row, QString& text);
    void showWarningLater(const QString& message);
    // The work lists of both sources and the other list's rows take the new name.
    void followRename(const platform::ListView* list, const QString& oldPath,
                      const QString& newPath, const QString& newName);
    // After a rename by hand the selection moves on to the next row, whose editor then opens.
    void moveToNextRowLater(platform::ListView* list, int row);
    void labelEditStarted(platform::ListView* list, int row, QWidget* editor);

    platform::ListView* otherList(const platform::ListView* list) const;

    QWidget& window_;
    Controls& ui_;
    WindowState& state_;
    ModePanels& modes_;
    SourceSwitch& source_;
    FolderSource& folders_;
    FreeSelect& freeSelect_;
    std::unique_ptr<EventRelay> relay_;
    QPoint pressPosition_;
    bool committing_ = false;
};

}  // namespace mainwindow
