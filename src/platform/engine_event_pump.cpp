// The event loop, event dispatch on demand, and the clock.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <cmath>
#include <thread>

#include "engine_impl.h"

namespace platform {

namespace {

// Serial input, clicks and timers end the wait at once; only a poll of the clock (a time-out)
// waits up to this long, which keeps such a wait within a few milliseconds of its length.
constexpr int kIdleWaitMs = 5;

}  // namespace

int Engine::RunUserInterface() {
    RunLoop run;
    if (impl_->pendingQuit) {
        impl_->pendingQuit = false;
        return impl_->pendingQuitCode;
    }
    QEventLoop loop;
    run.loop = &loop;
    impl_->runLoops.push_back(&run);
    const int toolkitCode = loop.exec();
    impl_->runLoops.pop_back();
    // The toolkit may end its loops itself (the desktop session ends): that ends this one too.
    return run.quit ? run.code : toolkitCode;
}

// From a callback nested in waits inside the loop, the loop ends once control is back in it.
int Engine::QuitUserInterface(int code) {
    if (impl_->runLoops.empty()) {
        impl_->pendingQuit = true;
        impl_->pendingQuitCode = code;
        return 0;
    }
    RunLoop* run = impl_->runLoops.back();
    run->quit = true;
    run->code = code;
    run->loop->exit(code);
    return 0;
}

// One non-blocking pass first. When it found nothing to do and neither did the call before (the
// caller polls), sleep in the dispatcher until the next event, but at most kIdleWaitMs (the wake
// timer is itself an event): a polling loop then costs a few percent of a core and still sees
// serial input as soon as it arrives. A single call between two steps of work (a loop's check of
// its stop flag) returns at once. Every wake-up costs a context switch, which is what a loop
// waiting on a slow line mostly spends its time on.
void Engine::ProcessSystemEvents() {
    if (impl_->callbackDepth > 0) ++impl_->pumpCount;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr) return;
    QCoreApplication::sendPostedEvents();
    const bool dispatched = dispatcher->processEvents(QEventLoop::AllEvents);
    const bool polling = impl_->pumpFoundNothing;
    impl_->pumpFoundNothing = !dispatched;
    if (dispatched || !polling) return;
    impl_->wakeTimer.start(kIdleWaitMs);
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    impl_->wakeTimer.stop();
}

double Engine::Timer() const {
    using Seconds = std::chrono::duration<double>;
    return std::chrono::duration_cast<Seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Engine::Delay(double seconds) const {
    if (!(seconds > 0.0) || !std::isfinite(seconds)) return;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace platform

namespace platform {

namespace {

// A deferred call looks again this often while callbacks are still running.
constexpr int kDeferredRetryMs = 10;

void RunWhenIdle(Engine::Impl& impl, void (*call)(void*), void* data, int delayMs) {
    QTimer::singleShot(delayMs, &impl.wakeTimer, [&impl, call, data] {
        if (impl.callbackDepth > 0) return RunWhenIdle(impl, call, data, kDeferredRetryMs);
        CallbackScope scope(impl);
        call(data);
    });
}

}  // namespace

void Engine::PostDeferredCall(void (*call)(void* data), void* data) {
    RunWhenIdle(*impl_, call, data, 0);
}

}  // namespace platform
