#include "engine/log.h"

#include <time.h>

#include <algorithm>

#include <QDateTime>

#include "platform/localetext.h"
#include "platform/programfolder.h"
#include "platform/textfile.h"

namespace engine {

namespace {

bool errorsLoggedFlag = false;

// The date text changes once a second; a run writes many lines within one.
QString currentDateText() {
    static time_t shownSecond = -1;
    static QString shown;
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec != shownSecond) {
        shown = platform::dateTimeText(QDateTime::currentDateTime());
        shownSecond = now.tv_sec;
    }
    return shown;
}

int g_runLogSessions = 0;
platform::AppendFile g_runLog;
int g_runLogBatches = 0;
QStringList g_batchedLines;

QString logLine(const QString& message) {
    return QLatin1Char('(') + currentDateText() + QLatin1String(") ") + oneLine(message);
}

// A failed write is dropped on purpose: the log is for the user, and the caller's own work must
// go on unaffected. The writer refuses anything but a regular file of that name, so a link or a
// FIFO put in the log's place drops the line too.
void appendLogLine(const QString& fileName, const QString& message) {
    (void)platform::appendLine(platform::programFile(fileName), logLine(message));
}

}  // namespace

// A name may hold line breaks; written as they are, they would end the entry and start another
// that the name's owner wrote. Viewers differ in what ends a line: besides CR and LF, some take
// VT, FF, the separators FS, GS and RS, NEL, LS and PS, and one reading the log as Latin-1 a
// lone byte 0x85. So CR, LF and tab show as \r, \n and \t, the other control characters as
// \xNN, a name's byte 0x85 outside UTF-8 as \x85, and NEL, LS and PS as \uNNNN: one entry is
// always one line. A backslash is doubled only where it would otherwise read as the start of
// an escape (before r, n, t, x, u, a backslash or a shown character): every other line that
// holds one reads as it always has, and each line still tells what the message held.
QLatin1StringView escapeOf(QChar ch) {
    switch (ch.unicode()) {
        case u'\r':
            return QLatin1StringView("\\r");
        case u'\n':
            return QLatin1StringView("\\n");
        case u'\t':
            return QLatin1StringView("\\t");
        case u'\v':
            return QLatin1StringView("\\x0b");
        case u'\f':
            return QLatin1StringView("\\x0c");
        case 0x1C:
            return QLatin1StringView("\\x1c");
        case 0x1D:
            return QLatin1StringView("\\x1d");
        case 0x1E:
            return QLatin1StringView("\\x1e");
        case 0x85:
            return QLatin1StringView("\\u0085");
        case 0x2028:
            return QLatin1StringView("\\u2028");
        case 0x2029:
            return QLatin1StringView("\\u2029");
        case 0xDC85:  // the path codec's stand-in for a name's byte 0x85 outside UTF-8
            return QLatin1StringView("\\x85");
        default:
            return QLatin1StringView();
    }
}

bool startsEscape(QChar ch) {
    switch (ch.unicode()) {
        case u'\\':
        case u'r':
        case u'n':
        case u't':
        case u'x':
        case u'u':
            return true;
        default:
            return !escapeOf(ch).isEmpty();
    }
}

QString oneLine(const QString& message) {
    // Nearly every line needs no escape: it is kept as it is, without a copy.
    const auto mayChange = [](QChar ch) {
        const char16_t code = ch.unicode();
        return code < 0x20 || code == u'\\' || (code >= 0x7F && !escapeOf(ch).isEmpty());
    };
    if (std::none_of(message.cbegin(), message.cend(), mayChange)) {
        return message;
    }
    QString line;
    line.reserve(message.size());
    for (qsizetype i = 0; i < message.size(); ++i) {
        const QChar ch = message[i];
        if (const QLatin1StringView escape = escapeOf(ch); !escape.isEmpty()) {
            line += escape;
            continue;
        }
        line += ch;
        if (ch == u'\\' && i + 1 < message.size() && startsEscape(message[i + 1])) {
            line += u'\\';
        }
    }
    return line;
}

void logError(const QString& message) {
    errorsLoggedFlag = true;
    appendLogLine(QStringLiteral("errors.txt"), message);
}

namespace {

// Appends to the session's open log.txt; false when the lines could not be written.
bool writeToRunLog(const QStringList& lines) {
    if (!g_runLog.isOpen() &&
        !g_runLog.open(platform::programFile(QStringLiteral("log.txt"))).ok()) {
        return false;
    }
    if (!g_runLog.appendLines(lines).ok()) {
        g_runLog.close();  // the next line tries a fresh open
        return false;
    }
    return true;
}

}  // namespace

void logRun(const QString& message) {
    if (g_runLogSessions == 0) {
        appendLogLine(QStringLiteral("log.txt"), message);
        return;
    }
    if (g_runLogBatches > 0) {
        g_batchedLines.append(logLine(message));
        return;
    }
    (void)writeToRunLog({logLine(message)});
}

RunLogBatch::RunLogBatch() {
    ++g_runLogBatches;
}

RunLogBatch::~RunLogBatch() {
    if (--g_runLogBatches == 0 && !g_batchedLines.isEmpty()) {
        (void)writeToRunLog(g_batchedLines);
        g_batchedLines.clear();
    }
}

RunLogSession::RunLogSession() {
    ++g_runLogSessions;
}

RunLogSession::~RunLogSession() {
    if (--g_runLogSessions == 0) {
        g_runLog.close();
    }
}

bool errorsLogged() {
    return errorsLoggedFlag;
}

void setErrorsLogged(bool logged) {
    errorsLoggedFlag = logged;
}

QString errorLine(const ErrorInfo& error, const QString& context) {
    return QStringLiteral("Error %1 (%2) %3").arg(error.number).arg(error.description, context);
}

void logFailure(const ErrorInfo& error, const QString& context) {
    logError(errorLine(error, context));
}

}  // namespace engine
