// tavrix-sim: a simulated line sensor on a pseudo-terminal. Prints the slave path on the first
// line of standard output, then answers there until SIGINT or SIGTERM, until standard input
// reaches its end (when it is not a terminal), or until the line hangs up (hang-up fault).
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "options.h"
#include "pty_server.h"

namespace {

volatile sig_atomic_t gStop = 0;

void OnSignal(int) {
    gStop = 1;
}

void PrintRequest(const sim::LoggedRequest& r) {
    std::fprintf(stderr, "%10.4f  %2u %s\n", r.time, static_cast<unsigned>(r.code),
                 sim::CodeName(r.code).c_str());
}

// True when standard input has reached its end (never for a terminal).
bool StdinClosed(bool watchStdin) {
    if (!watchStdin) return false;
    pollfd in = {STDIN_FILENO, POLLIN, 0};
    if (::poll(&in, 1, 0) <= 0) return false;
    if (in.revents & (POLLHUP | POLLERR | POLLNVAL)) return true;
    char buf[256];
    return ::read(STDIN_FILENO, buf, sizeof buf) == 0;
}

void ServeUntilDone(const sim::PtyServer& server) {
    const bool watchStdin = !::isatty(STDIN_FILENO);
    while (!gStop && server.serving() && !StdinClosed(watchStdin)) {
        pollfd in = {watchStdin ? STDIN_FILENO : -1, POLLIN, 0};
        ::poll(&in, 1, 100);  // wakes for input, a signal, or to look at the server
    }
}

}  // namespace

int main(int argc, char** argv) {
    const sim::ParsedOptions parsed =
        sim::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok) {
        std::fprintf(stderr, "tavrix-sim: %s\n", parsed.error.c_str());
        return 2;
    }
    const sim::SimOptions& o = parsed.options;
    if (o.help) {
        std::printf(
            "Usage: tavrix-sim [options]\n"
            "A simulated Tavrix line sensor on a pseudo-terminal. Prints the device path on\n"
            "the first line, then answers there until SIGINT or SIGTERM, until standard input\n"
            "ends (when it is not a terminal: run it from a terminal or a pipe kept open), or\n"
            "until the line hangs up (hang-up fault).\n\n"
            "%s",
            sim::OptionsHelp().c_str());
        return 0;
    }
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    sim::ServerOptions serverOptions;
    serverOptions.baud = o.baud;
    serverOptions.burst = o.burst;
    serverOptions.faults = o.faults;
    if (o.log) serverOptions.onRequest = PrintRequest;
    sim::PtyServer server(o.sensor, serverOptions);
    if (!server.Start()) {
        std::fprintf(stderr, "tavrix-sim: cannot open a pseudo-terminal: %s\n",
                     server.error().c_str());
        return 1;
    }
    std::printf("%s\n", server.slavePath().c_str());
    std::fflush(stdout);
    ServeUntilDone(server);
    if (!server.serving()) std::fprintf(stderr, "tavrix-sim: the line hung up\n");
    server.Stop();
    return 0;
}
