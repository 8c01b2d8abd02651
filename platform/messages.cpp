#include "platform/messages.h"

namespace platform {

namespace {

// Until the program installs real boxes nothing may block: every box takes its way out.
class SilentMessages : public MessageService {
public:
    MessageResult showMessage(const QString&, const QString&, MessageIcon,
                              MessageButtons buttons) override {
        switch (buttons) {
            case MessageButtons::Ok:
                return MessageResult::Ok;
            case MessageButtons::YesNo:
                return MessageResult::No;
            default:
                return MessageResult::Cancel;
        }
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

SilentMessages g_silent;
MessageService* g_service = &g_silent;

}  // namespace

MessageService& messages() {
    return *g_service;
}

void setMessageService(MessageService* service) {
    g_service = service ? service : &g_silent;
}

}  // namespace platform
