// Message boxes and input boxes behind one service, so that tests and unattended runs never
// block on a modal box: the program installs the Qt implementation, tests a scripted fake.
#pragma once

#include <QString>

#include <optional>

namespace platform {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageResult { Ok, Cancel, Yes, No, Retry };

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MessageResult showMessage(const QString& text, const QString& title, MessageIcon icon,
                                      MessageButtons buttons) = 0;
    // The text entered, or nothing when cancelled.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& initial) = 0;
};

// What a box answers when nobody chooses: its cancel button, or No for Yes / No, or Ok when
// that is its only button.
MessageResult unattendedAnswer(MessageButtons buttons);

// The installed service. Until one is installed, a service that shows nothing and answers
// every box with unattendedAnswer.
MessageService& messages();
// Installs `service` (not owned); null goes back to the silent default.
void setMessageService(MessageService* service);

}  // namespace platform
