#include "engine/log.h"

#include <time.h>

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
// that the name's owner wrote. So CR, LF and tab are shown as \r, \n and \t, and one entry is
// always one line. A backslash is doubled only where it would otherwise read as the start of
// one of those (before r, n, t, a backslash or a shown line break): every other line that holds
// one reads as it always has, and each line still tells what the message held.
QString oneLine(const QString& message) {
    const auto escapeOf = [](QChar ch) -> QChar {
        switch (ch.unicode()) {
            case u'\r':
                return u'r';
            case u'\n':
                return u'n';
            case u'\t':
                return u't';
            default:
                return QChar();
        }
    };
    QString line;
    line.reserve(message.size());
    for (qsizetype i = 0; i < message.size(); ++i) {
        const QChar ch = message[i];
        if (const QChar escape = escapeOf(ch); !escape.isNull()) {
            line += u'\\';
            line += escape;
            continue;
        }
        line += ch;
        if (ch == u'\\' && i + 1 < message.size()) {
            const QChar next = message[i + 1];
            if (next == u'\\' || next == u'r' || next == u'n' || next == u't' ||
                !escapeOf(next).isNull()) {
                line += u'\\';
            }
        }
    }
    return line;
}

void logError(const QString& message) {
    errorsLoggedFlag = true;
    appendLogLine(QStringLiteral("errors.txt"), message);
}

void logRun(const QString& message) {
    if (g_runLogSessions == 0) {
        appendLogLine(QStringLiteral("log.txt"), message);
        return;
    }
    if (!g_runLog.isOpen() &&
        !g_runLog.open(platform::programFile(QStringLiteral("log.txt"))).ok()) {
        return;
    }
    if (!g_runLog.append(logLine(message)).ok()) {
        g_runLog.close();  // the next line tries a fresh open
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
