#include "platform/widgets/outerminimum.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace platform {

namespace {

class OuterMinimum : public QObject {
public:
    OuterMinimum(QWidget* window, QSize outer) : QObject(window), window_(window), outer_(outer) {
        window->installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ &&
            (event->type() == QEvent::Show || event->type() == QEvent::Move ||
             event->type() == QEvent::Resize || event->type() == QEvent::WinIdChange)) {
            apply();
        }
        return false;
    }

private:
    void apply() {
        const QWindow* handle = window_->windowHandle();
        const QSize minimum =
            clientMinimumFor(outer_, handle ? handle->frameMargins() : QMargins());
        if (window_->minimumSize() != minimum) {
            window_->setMinimumSize(minimum);
        }
    }

    QWidget* window_;
    QSize outer_;
};

}  // namespace

QSize clientMinimumFor(QSize outer, QMargins frame) {
    return QSize(std::max(0, outer.width() - frame.left() - frame.right()),
                 std::max(0, outer.height() - frame.top() - frame.bottom()));
}

void keepOuterMinimumSize(QWidget* window, QSize outer) {
    new OuterMinimum(window, outer);
}

}  // namespace platform
