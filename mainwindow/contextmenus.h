// The context menus of the three file views (the Directory list, the Free Select list and the
// tree): which items show, their defaults, and the commands that are the menus' own (copying
// names, previews and folders, the selection commands). Opening, renaming, adding, removing and
// navigating are handed to the controllers that own them.
#pragma once

#include <QPoint>

#include <functional>

class QAction;
class QMenu;

namespace platform {
class ListView;
}

namespace mainwindow {

class FrmMain;
struct Controls;

class ContextMenus {
public:
    ContextMenus(FrmMain& window, Controls& ui);

    // Wires every item of the three menus.
    void connectHandlers();

    // Shows a list's menu at a screen position (the right button's mouse-up).
    void popupListview(QPoint globalPosition);
    void popupDragdrop(QPoint globalPosition);
    void popupTreeview(QPoint globalPosition);

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

    FrmMain& window_;
    Controls& ui_;
};

}  // namespace mainwindow
