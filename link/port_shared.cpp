#include "port_shared.h"

#include <unistd.h>

void PortNotifier::set(TCommNotifyEvent Handler) {
    std::shared_ptr<const TCommNotifyEvent> fresh;
    if (Handler)
        fresh = std::make_shared<const TCommNotifyEvent>(std::move(Handler));
    {
        std::lock_guard lock(swapMutex_);
        handler_.swap(fresh);
    }
    // The old handler dies here, outside the lock, or after a call still running it returns.
}

TCommNotifyEvent PortNotifier::get() const {
    std::lock_guard lock(swapMutex_);
    return handler_ ? *handler_ : TCommNotifyEvent{};
}

void PortNotifier::call(void* Sender, std::uint32_t Bits) {
    std::lock_guard serial(callMutex_);
    std::shared_ptr<const TCommNotifyEvent> handler;
    {
        std::lock_guard lock(swapMutex_);
        handler = handler_;
    }
    if (!handler)
        return;
    try {
        (*handler)(Sender, Bits);
    } catch (...) {
        // The handler's failure is its own; the port's thread must go on.
    }
}

PortSession::~PortSession() {
    for (const int fd : {fd, receiveWake, sendWake})
        if (fd >= 0)
            close(fd);
}
