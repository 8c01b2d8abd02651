// The context menus of the three file views (the Directory list, the Free Select list and the
// tree): which items show, their defaults, and the commands that are the menus' own (copying
// names, previews and folders, the selection commands). Opening, renaming, adding, removing and
// navigating are handed to the controllers that own them.
#pragma once

#include <QHash>
#include <QPoint>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QObject;
class QWidget;

namespace platform {
class ListView;
}

namespace mainwindow {

struct Controls;
class FolderSource;
class FreeSelect;
class ListCommands;
class ModePanels;
class SourceSwitch;

class ContextMenus {
public:
    // `window` is the main window, disabled while a command walks every row; `controls` finds
    // the menu items by name. The items hand their commands to the parts that own them.
    ContextMenus(QWidget& window, Controls& ui, const QHash<QString, QObject*>& controls,
                 ModePanels& modes, SourceSwitch& source, FolderSource& folders,
                 FreeSelect& freeSelect, ListCommands& listCommands);

    // Wires every item of the three menus.
    void connectHandlers();

    // Shows a list's menu at a screen position (the right button's mouse-up).
    void popupListview(QPoint globalPosition);
    void popupDragdrop(QPoint globalPosition);
    void popupTreeview(QPoint globalPosition);
    // The menu of `list` (the Directory list's or the Free Select list's).
    void popupFor(const platform::ListView* list, QPoint globalPosition);

private:
    enum class SelectRule { All, None, Invert, WithPreview, WithoutPreview };

    QAction* item(const char* name) const;
    void onItem(const char* name, std::function<void()> handler);
    void popupList(QMenu* menu, const platform::ListView* list, QAction* open,
                   QPoint globalPosition);
    // The five selection commands, on the list of the menu.
    void selectRows(platform::ListView* list, SelectRule rule);
    // Every row's text of a column, each followed by CR LF; `skipEmpty` leaves out empty cells.
    void copyAll(const platform::ListView* list, int column, bool skipEmpty);
    // One cell of the row the menu acts on, without a line end.
    static void copyCell(const platform::ListView* list, int column);
    void copyTreeNode();

    QWidget& window_;
    Controls& ui_;
    const QHash<QString, QObject*>& controls_;
    ModePanels& modes_;
    SourceSwitch& source_;
    FolderSource& folders_;
    FreeSelect& freeSelect_;
    ListCommands& listCommands_;
};

}  // namespace mainwindow
