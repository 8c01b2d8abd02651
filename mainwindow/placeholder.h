// The placeholder row a list shows instead of its rows: "Drop files here..." in an empty Free
// Select list, or why the Directory list shows nothing.
#pragma once

#include <QString>

namespace platform {
class ListView;
}

namespace mainwindow {

inline constexpr char kDragDropPlaceholder[] = "Drop files here...";

// Shows `text` as the list's only row. The bold font is the program-wide sign that a list
// shows its placeholder row.
void showPlaceholder(platform::ListView* list, const QString& text);
bool showsPlaceholder(const platform::ListView* list);

}  // namespace mainwindow
