#include "platform/widgets/unattended.h"

#include <QGuiApplication>
#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/programfolder.h"

namespace platform {

namespace {

bool isSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

bool hasDisplay() {
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

const char* answerName(MessageResult answer) {
    switch (answer) {
        case MessageResult::Ok:
            return "Ok";
        case MessageResult::Cancel:
            return "Cancel";
        case MessageResult::Yes:
            return "Yes";
        case MessageResult::No:
            return "No";
        case MessageResult::Retry:
            return "Retry";
    }
    return "";
}

}  // namespace

bool chooseOffscreenWithoutDisplay() {
    if (hasDisplay() || isSet("QT_QPA_PLATFORM")) {
        return false;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return true;
}

bool nobodyCanAnswer() {
    // -1: not decided yet (asked before the application object existed).
    static int decided = -1;
    if (decided < 0) {
        const QString name = QGuiApplication::platformName();
        if (name.isEmpty()) {
            return true;
        }
        const bool offscreen = name == QLatin1String("offscreen") ||
                               name == QLatin1String("minimal") ||
                               name == QLatin1String("minimalegl");
        // The desktop platforms show nothing without their display.
        const bool desktop =
            name == QLatin1String("xcb") || name.startsWith(QLatin1String("wayland"));
        decided = offscreen || (desktop && !hasDisplay()) ? 1 : 0;
    }
    return decided == 1;
}

void tellStandardError(const QString& line) {
    // Line breaks only: blanks inside names stay as they are.
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n]+"));
    const QString text = line.split(breaks, Qt::SkipEmptyParts).join(QLatin1Char(' '));
    const std::string bytes = "QuenzaRen: " + nativePath(text) + "\n";
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

MessageResult answerUnattended(const QString& text, const QString& title, MessageButtons buttons) {
    const MessageResult answer = unattendedAnswer(buttons);
    QString line = title + QStringLiteral(": ") + text;
    if (buttons != MessageButtons::Ok) {
        line += QStringLiteral(" (answered %1)").arg(QLatin1String(answerName(answer)));
    }
    tellStandardError(line);
    return answer;
}

}  // namespace platform
