#include "port_list_watch.h"

#include "engine_impl.h"
#include "serial_port_map.h"

namespace platform {

namespace {
constexpr int kLookMilliseconds = 1000;
}

PortListWatch::PortListWatch(Engine& engine) : engine_(engine) {
    timer_.setInterval(kLookMilliseconds);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
}

void PortListWatch::Start(PortListCallback callback, void* callbackData) {
    callback_ = callback;
    callbackData_ = callbackData;
    if (callback_ == nullptr) return timer_.stop();
    last_ = ListSerialPorts();
    timer_.start();
}

void PortListWatch::Look() {
    Engine::Impl& engine = engine_.impl();
    // A callback on the stack may be an acquisition loop or an exchange waiting for its answer:
    // the list waits for the program to be idle, and the change is still there to be seen then.
    if (engine.callbackDepth > 0 || callback_ == nullptr) return;
    std::vector<PortEntry> now = ListSerialPorts();
    if (now == last_) return;
    last_ = std::move(now);
    CallbackScope scope(engine);
    callback_(callbackData_);
}

}  // namespace platform
