#include "tests/support/fakemessages.h"

namespace testsupport {

FakeMessages::FakeMessages() {
    platform::setMessageService(this);
}

FakeMessages::~FakeMessages() {
    platform::setMessageService(nullptr);
}

platform::MessageResult FakeMessages::showMessage(const QString& text, const QString& title,
                                                  platform::MessageIcon icon,
                                                  platform::MessageButtons buttons) {
    shown.append({text, title, icon, buttons});
    if (!answers.empty()) {
        const platform::MessageResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return platform::unattendedAnswer(buttons);
}

std::optional<QString> FakeMessages::inputBox(const QString& prompt, const QString&,
                                              const QString&) {
    prompts.append(prompt);
    if (inputs.empty()) {
        return std::nullopt;
    }
    const bool entered = inputs.front().has_value();
    const QString text = inputs.front().value_or(QString());
    inputs.pop_front();
    return entered ? std::optional<QString>(text) : std::nullopt;
}

}  // namespace testsupport
