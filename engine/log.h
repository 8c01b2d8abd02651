// The error log (errors.txt) and the run log (log.txt) in the program folder. Each call appends
// one line "(date time) message" and closes the file again, so every line is on disk when the
// call returns. Every character some viewer ends a line at (CR, LF, VT, FF, FS, GS, RS, NEL,
// LS, PS and a name's lone byte 0x85) and tab are shown as escapes (\r, \n, \t, \x0b, \x1c,
// \u0085, \u2028, \x85 ...), so that one entry is one line whatever the names in it hold. A line
// that cannot be written (the log is a link, a FIFO, a folder, or the disk is full) is dropped
// silently: logging never disturbs the caller.
#pragma once

#include <QString>

#include <stdexcept>

namespace engine {

// Sets errorsLogged() first, then appends the message to errors.txt.
void logError(const QString& message);
// Appends the message to log.txt; leaves errorsLogged() alone.
void logRun(const QString& message);

// While a session lives, log.txt stays open between lines: a run writes a line per item, and
// opening and closing the file for each would cost more than the renames themselves. Every
// line is still written as it happens, with one write. Sessions nest; the outermost closes.
class RunLogSession {
public:
    RunLogSession();
    ~RunLogSession();
    RunLogSession(const RunLogSession&) = delete;
    RunLogSession& operator=(const RunLogSession&) = delete;
};

// While a batch lives inside a session, the lines for log.txt wait and are written together,
// with one write, when it ends: a run that changes its items in blocks writes each block's
// lines right after the block's changes. Batches nest; the outermost writes.
class RunLogBatch {
public:
    RunLogBatch();
    ~RunLogBatch();
    RunLogBatch(const RunLogBatch&) = delete;
    RunLogBatch& operator=(const RunLogBatch&) = delete;
};

// Whether an error line was written since the current run started: true even when the line
// itself could not be written. The run driver clears it at the start of a run and reports it at
// the end. One flag for the program.
bool errorsLogged();
void setErrorsLogged(bool logged);

// Error numbers and texts of the failures the engine traps, in the numbering that the error
// log has always used, so that old and new lines read alike.
struct ErrorInfo {
    int number = 0;
    QString description;
};
inline const ErrorInfo kInvalidArgument{5, QStringLiteral("Invalid procedure call or argument")};
inline const ErrorInfo kOverflow{6, QStringLiteral("Overflow")};
inline const ErrorInfo kOutOfMemory{7, QStringLiteral("Out of memory")};
inline const ErrorInfo kSubscriptOutOfRange{9, QStringLiteral("Subscript out of range")};
inline const ErrorInfo kTypeMismatch{13, QStringLiteral("Type mismatch")};
inline const ErrorInfo kFileNotFound{53, QStringLiteral("File not found")};
inline const ErrorInfo kPermissionDenied{70, QStringLiteral("Permission denied")};
inline const ErrorInfo kPathFileAccessError{75, QStringLiteral("Path/File access error")};
inline const ErrorInfo kInvalidPropertyValue{380, QStringLiteral("Invalid property value")};
inline const ErrorInfo kObjectNotSet{
    91, QStringLiteral("Object variable or With block variable not set")};
inline const ErrorInfo kCannotCreateObject{429,
                                           QStringLiteral("ActiveX component can't create object")};

// A failure that a transform does not absorb: the tag library's object is missing or one of
// its calls failed. The run or preview pass that meets it logs it and ends.
class TransformFailure : public std::runtime_error {
public:
    explicit TransformFailure(ErrorInfo error)
        : std::runtime_error(error.description.toStdString()), error_(std::move(error)) {}
    const ErrorInfo& error() const { return error_; }

private:
    ErrorInfo error_;
};

// "Error <number> (<description>) <context>": the form of every trapped failure's line.
QString errorLine(const ErrorInfo& error, const QString& context);
// A text on one line as the logs write it: CR, LF and tab shown as \r, \n and \t.
QString oneLine(const QString& message);
// logError(errorLine(error, context)).
void logFailure(const ErrorInfo& error, const QString& context);

}  // namespace engine
