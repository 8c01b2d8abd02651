// A scripted message service for tests: answers boxes from a queue and records every box, so
// no test ever blocks on a modal dialog.
#pragma once

#include <QList>
#include <QString>

#include <deque>

#include "platform/messages.h"

namespace testsupport {

struct ShownMessage {
    QString text;
    QString title;
    platform::MessageIcon icon = platform::MessageIcon::None;
    platform::MessageButtons buttons = platform::MessageButtons::Ok;
};

class FakeMessages : public platform::MessageService {
public:
    // Installs itself for its lifetime.
    FakeMessages();
    ~FakeMessages() override;

    // Answers for the next boxes, in order; when the queue is empty a box gets the answer
    // platform::unattendedAnswer gives and an input box is cancelled.
    std::deque<platform::MessageResult> answers;
    std::deque<std::optional<QString>> inputs;

    QList<ShownMessage> shown;
    QList<QString> prompts;

    platform::MessageResult showMessage(const QString& text, const QString& title,
                                        platform::MessageIcon icon,
                                        platform::MessageButtons buttons) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& initial) override;
};

}  // namespace testsupport
