// The smallest size a user can drag a window to, counted as the window's outer size (title bar
// and frame included), as the desktop reports it. Qt's minimum size counts the client area
// only, and the frame is known only once the window manager has framed the window, so the
// limit is worked out again whenever the window is shown, moved or resized.
#pragma once

#include <QMargins>
#include <QSize>

class QWidget;

namespace platform {

// The client-area minimum that gives a window with this frame the outer minimum `outer`.
QSize clientMinimumFor(QSize outer, QMargins frame);

// Keeps `window`'s minimum size at `outer` as an outer size from now on.
void keepOuterMinimumSize(QWidget* window, QSize outer);

}  // namespace platform
