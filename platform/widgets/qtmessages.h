// The message service with real Qt dialogs, for the running program.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/messages.h"

namespace platform {

class QtMessageService : public MessageService {
public:
    // Boxes are owned by `parent` when it still exists (may be null).
    explicit QtMessageService(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    MessageResult showMessage(const QString& text, const QString& title, MessageIcon icon,
                              MessageButtons buttons) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& initial) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace platform
