// The message service with real Qt dialogs, for the running program.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "platform/messages.h"

namespace platform {

// The button Enter presses: the first of the box's buttons (Ok, Yes or Retry).
QMessageBox::StandardButton defaultButtonOf(MessageButtons buttons);
// Widens `box`, once its buttons are set, so that its whole title shows in the frame.
void fitTitle(QMessageBox& box);

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
