#include "platform/widgets/qtmessages.h"

#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>

#include "platform/widgets/unattended.h"

namespace platform {

QMessageBox::StandardButton defaultButtonOf(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
        case MessageButtons::OkCancel:
            return QMessageBox::Ok;
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes;
        case MessageButtons::RetryCancel:
            return QMessageBox::Retry;
    }
    return QMessageBox::NoButton;
}

void fitTitle(QMessageBox& box) {
    // A short question in a long-titled box would otherwise have its title cut by the frame.
    // Room for the title bar's own buttons beside the text.
    const int titleBarButtons =
        3 * box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + titleBarButtons + 48;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

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
    box.setDefaultButton(defaultButtonOf(buttons));
    fitTitle(box);
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
