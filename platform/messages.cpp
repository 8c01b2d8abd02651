#include "platform/messages.h"

namespace platform {

namespace {

// Until the program installs real boxes nothing may block: every box takes its way out.
class SilentMessages : public MessageService {
public:
    MessageResult showMessage(const QString&, const QString&, MessageIcon,
                              MessageButtons buttons) override {
        return unattendedAnswer(buttons);
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

SilentMessages g_silent;
MessageService* g_service = &g_silent;

}  // namespace

MessageResult unattendedAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return MessageResult::Ok;
        case MessageButtons::YesNo:
            return MessageResult::No;
        default:
            return MessageResult::Cancel;
    }
}

MessageService& messages() {
    return *g_service;
}

void setMessageService(MessageService* service) {
    g_service = service ? service : &g_silent;
}

}  // namespace platform
