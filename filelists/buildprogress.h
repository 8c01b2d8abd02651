// The progress of the builders' and the thumbnail runs' loops, shown in the status bar: the
// panels they write and the step that counts the entries done and polls Escape.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace filelists {

// Writes the text of a status bar panel by key: "main" or "selected".
using StatusText = std::function<void(const QString& panel, const QString& text)>;
inline const QString kMainPanel = QStringLiteral("main");
inline const QString kSelectedPanel = QStringLiteral("selected");

// The progress step of the builders' and the thumbnail runs' loops: counts the entries done (in
// 64 bits), rewrites "<label> N%" in panel "main" only when the whole percentage N changes
// (percentDone), and polls Escape through platform::EscapeWatch::pressed, which yields to the
// event loop at most every 50 ms.
class BuildProgress {
public:
    BuildProgress(QString label, qint64 total, StatusText status);
    // One entry done. False when Escape was pressed: the loop stops after this entry.
    bool step();
    qint64 done() const { return done_; }

private:
    QString label_;
    qint64 total_;
    qint64 done_ = 0;
    int shown_ = -1;
    StatusText status_;
    QElapsedTimer sinceYield_;
};

// Panel "selected" while a loop can be stopped.
inline constexpr char kPressEscape[] = "Press escape to cancel...";

// The whole percentage of done of total, halves to the even neighbour (1 of 8 gives 12);
// 0 when total is not positive.
int percentDone(qint64 done, qint64 total);

}  // namespace filelists
