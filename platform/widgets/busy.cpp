#include "platform/widgets/busy.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>

#include <time.h>

namespace platform {

namespace {

int g_busyDepth = 0;

class EscapeFilter : public QObject {
public:
    explicit EscapeFilter(QWidget* window) : window_(window) {}

    bool latched = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && window_ &&
            window_->isActiveWindow()) {
            latched = true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> window_;
};

EscapeFilter* g_filter = nullptr;

constexpr qint64 kYieldMs = 50;

// The loops poll on every row, and reading the precise clock cost as much as the rest of a
// quick row. The coarse monotonic clock (the time of the last tick, a few nanoseconds to read)
// lags the precise one by about its resolution, so while it shows less than the time between
// yields minus twice that, no yield is due yet and the precise clock need not be read.
qint64 coarseResolutionMs() {
    static const qint64 resolution = [] {
        timespec step{};
        if (QElapsedTimer::clockType() != QElapsedTimer::MonotonicClock ||
            clock_getres(CLOCK_MONOTONIC_COARSE, &step) != 0) {
            return qint64{-1};
        }
        return static_cast<qint64>(step.tv_sec) * 1000 + step.tv_nsec / 1000000 + 1;
    }();
    return resolution;
}

bool yieldMayBeDue(const QElapsedTimer& since) {
    const qint64 resolution = coarseResolutionMs();
    timespec now{};
    if (resolution < 0 || 2 * resolution >= kYieldMs ||
        clock_gettime(CLOCK_MONOTONIC_COARSE, &now) != 0) {
        return true;
    }
    const qint64 coarse = static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    return coarse - since.msecsSinceReference() >= kYieldMs - 2 * resolution;
}

}  // namespace

BusyScope::BusyScope(QWidget* disable) : disabled_(disable) {
    if (g_busyDepth++ == 0 && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    if (disabled_) {
        wasEnabled_ = disabled_->isEnabled();
        disabled_->setEnabled(false);
    }
}

BusyScope::~BusyScope() {
    if (disabled_) {
        disabled_->setEnabled(wasEnabled_);
    }
    if (--g_busyDepth == 0 && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::restoreOverrideCursor();
    }
}

bool isBusy() {
    return g_busyDepth > 0;
}

void EscapeWatch::install(QWidget* window) {
    uninstall();
    g_filter = new EscapeFilter(window);
    QCoreApplication::instance()->installEventFilter(g_filter);
}

void EscapeWatch::uninstall() {
    if (g_filter) {
        QCoreApplication::instance()->removeEventFilter(g_filter);
        delete g_filter;
        g_filter = nullptr;
    }
}

void EscapeWatch::clear() {
    if (g_filter) {
        g_filter->latched = false;
    }
}

bool EscapeWatch::pressed(QElapsedTimer& since) {
    if (!since.isValid() || (yieldMayBeDue(since) && since.elapsed() >= kYieldMs)) {
        QCoreApplication::processEvents();
        since.restart();
    }
    return take();
}

bool EscapeWatch::take() {
    if (!g_filter || !g_filter->latched) {
        return false;
    }
    g_filter->latched = false;
    return true;
}

}  // namespace platform
