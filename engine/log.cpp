#include "engine/log.h"

#include <QDateTime>

#include "platform/localetext.h"
#include "platform/programfolder.h"
#include "platform/textfile.h"

namespace engine {

namespace {

bool errorsLoggedFlag = false;

void appendLogLine(const QString& fileName, const QString& message) {
    const QString line = QLatin1Char('(') + platform::dateTimeText(QDateTime::currentDateTime()) +
                         QLatin1String(") ") + message;
    // A failed write is dropped on purpose: the log is for the user, and the caller's own
    // work must go on unaffected.
    (void)platform::appendLine(platform::programFile(fileName), line);
}

}  // namespace

void logError(const QString& message) {
    errorsLoggedFlag = true;
    appendLogLine(QStringLiteral("errors.txt"), message);
}

void logRun(const QString& message) {
    appendLogLine(QStringLiteral("log.txt"), message);
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
