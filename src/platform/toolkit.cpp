// The application object: made here unless the process already has one (a test, for example).
#include <QApplication>
#include <csignal>
#include <cstdlib>

#include "toolkit.h"

namespace platform {

namespace {

// Without a platform choice the toolkit connects to a display server and aborts the process when
// there is none; seeing that in advance lets the program end with an error code instead.
bool DisplayReachable() {
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v != nullptr && *v != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

}  // namespace

struct Toolkit::State {
    int argc = 1;
    char name[16] = "tavrix-didor";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> owned;
};

Toolkit::Toolkit() : state_(std::make_unique<State>()) {
#ifdef SIGXFSZ
    // A write past the file-size limit then fails like one onto a full disk, and the writers keep
    // whole rows and say why, instead of the signal ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (QApplication::instance() != nullptr || !DisplayReachable()) return;
    state_->owned = std::make_unique<QApplication>(state_->argc, state_->argv);
    // Panels ignore their close box and dialogs come and go: only QuitUserInterface ends the loop.
    QApplication::setQuitOnLastWindowClosed(false);
}

Toolkit::~Toolkit() = default;

bool Toolkit::ok() const {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

}  // namespace platform
