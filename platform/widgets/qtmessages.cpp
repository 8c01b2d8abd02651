#include "platform/widgets/qtmessages.h"

#include <QInputDialog>
#include <QMessageBox>

#include "platform/widgets/unattended.h"

namespace platform {

MessageResult QtMessageService::showMessage(const QString& text, const QString& title,
                                            MessageIcon icon, MessageButtons buttons) {
    if (nobodyCanAnswer()) {
        return answerUnattended(text, title, buttons);
    }
    QMessageBox box(parent_.data());
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
        case MessageIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::None:
            break;
    }
    switch (buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MessageButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MessageButtons::RetryCancel:
            box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return MessageResult::Ok;
        case QMessageBox::Yes:
            return MessageResult::Yes;
        case QMessageBox::No:
            return MessageResult::No;
        case QMessageBox::Retry:
            return MessageResult::Retry;
        default:
            return buttons == MessageButtons::Ok ? MessageResult::Ok : MessageResult::Cancel;
    }
}

std::optional<QString> QtMessageService::inputBox(const QString& prompt, const QString& title,
                                                  const QString& initial) {
    if (nobodyCanAnswer()) {
        answerUnattended(prompt, title, MessageButtons::OkCancel);
        return std::nullopt;
    }
    bool accepted = false;
    const QString text =
        QInputDialog::getText(parent_.data(), title, prompt, QLineEdit::Normal, initial, &accepted);
    if (!accepted) {
        return std::nullopt;
    }
    return text;
}

}  // namespace platform
