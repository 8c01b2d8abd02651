// Starts where nobody is at the screen: a scheduled job, a script or a file-manager action
// with "/x", or the program under the offscreen platform. A modal box there would wait for
// ever, so the message boxes tell standard error instead and take their default answer.
#pragma once

#include <QString>

#include "platform/messages.h"

namespace platform {

// Before the application object exists: where there is no display to connect to (neither
// DISPLAY nor WAYLAND_DISPLAY is set) and the caller chose no platform (QT_QPA_PLATFORM), the
// program runs on the offscreen platform instead of failing to start. True when it chose it.
bool chooseOffscreenWithoutDisplay();

// Nobody can see the program's windows or answer its boxes: the offscreen or the minimal
// platform, or no display at all. Decided once, at the first call after the application
// object exists.
bool nobodyCanAnswer();

// Writes `line` to standard error with the program's name before it and a line end after it.
// Line breaks inside become blanks, so that one message is one line of a script's log; names
// keep their bytes (the path codec's conversion).
void tellStandardError(const QString& line);

// A box that nobody can answer: its title and text go to standard error, and the answer is
// the one the box takes by default (unattendedAnswer).
MessageResult answerUnattended(const QString& text, const QString& title, MessageButtons buttons);

}  // namespace platform
