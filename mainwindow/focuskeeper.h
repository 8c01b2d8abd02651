// Disabling the window while it works takes the focus from whichever input held it; a
// FocusKeeper puts it back when it goes out of scope, so that the user goes on typing where
// they were.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace mainwindow {

class FocusKeeper {
public:
    explicit FocusKeeper(const QWidget* window) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->window() == window) {
            widget_ = focus;
        }
    }
    ~FocusKeeper() {
        if (widget_ && widget_->isVisible() && widget_->isEnabled() &&
            QApplication::focusWidget() == nullptr) {
            widget_->setFocus(Qt::OtherFocusReason);
        }
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    QPointer<QWidget> widget_;
};

}  // namespace mainwindow
