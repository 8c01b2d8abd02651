#include "platform/widgets/busy.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>

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

bool isBusy() { return g_busyDepth > 0; }

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
    if (!since.isValid() || since.elapsed() >= 50) {
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
