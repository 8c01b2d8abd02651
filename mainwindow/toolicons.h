// The pictures of the file sources' tool buttons, drawn by the program: the desktop's icon
// themes draw some of them pale grey, as if disabled, or with another meaning.
#pragma once

#include <QIcon>
#include <QString>

namespace mainwindow {

// The picture of the tool button `control` (Refresh, Parent Directory, Add Files, Remove
// Selected, Remove All); a null icon for any other control.
QIcon drawnToolIcon(const QString& control);

}  // namespace mainwindow
