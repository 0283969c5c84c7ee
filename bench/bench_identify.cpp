// Measures tavrix-cli's sensor identification against the simulated sensor paced at 19200 baud:
// the identification alone (line check, hardware profile, parameters, firmware text with 0.1 s
// pauses, run in this process on the headless session), the whole `tavrix-cli identify` process,
// and the whole process against a silent sensor.
//
// Usage: bench_identify [--quick]   (--quick: 2 runs each instead of 7)
// Prints a markdown table. Nothing is asserted: the figures are read against the targets.
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "cli_session.h"
#include "pty_server.h"

namespace {

// Wire time of the identification at 19200 baud (10 bits a byte, 1920 bytes/s): line check,
// hardware profile and parameter read are a 36-byte request and a 36-byte answer each, the
// firmware text a 36-byte request and a 72-byte answer; plus three 0.1 s pauses.
constexpr double kWireSeconds = (3 * 72 + 108) / 1920.0;
constexpr double kPauses = 0.3;
constexpr double kTarget = kWireSeconds + kPauses + 0.1;

double Now() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

struct Figures {
    double min, median, max;
};

Figures Measure(int runs, const std::function<void()>& once) {
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        once();
        seconds.push_back(Now() - start);
    }
    std::sort(seconds.begin(), seconds.end());
    return {seconds.front(), seconds[seconds.size() / 2], seconds.back()};
}

std::unique_ptr<sim::PtyServer> StartSensor(const std::vector<sim::Fault>& faults) {
    sim::ServerOptions options;
    options.baud = 19200;
    options.faults = faults;
    auto sensor = std::make_unique<sim::PtyServer>(sim::SensorConfig{}, options);
    if (!sensor->Start()) {
        std::fprintf(stderr, "simulated sensor: %s\n", sensor->error().c_str());
        std::exit(1);
    }
    return sensor;
}

// Runs tavrix-cli from beside this program; returns its exit code.
int RunCli(const std::string& programDir, const std::string& device) {
    const std::string command =
        programDir + "/tavrix-cli identify --port " + device + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Row(const char* what, const Figures& f, const std::string& note) {
    std::printf("| %s | %.3f s | %.3f s | %.3f s | %s |\n", what, f.min, f.median, f.max,
                note.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 && std::strcmp(argv[1], "--quick") == 0 ? 2 : 7;
    std::string programDir = argv[0];
    programDir = programDir.substr(0, programDir.find_last_of('/') + 1);
    if (programDir.empty()) programDir = ".";

    const auto sensor = StartSensor({});
    Session session;
    if (!session.ready()) {
        std::fprintf(stderr, "the panel file cannot be loaded\n");
        return 1;
    }
    const PortChoice port{1, sensor->slavePath()};
    bool identified = true;
    const Figures inProcess = Measure(runs, [&] {
        std::string why, warning;
        identified = session.Connect(port, true, why, warning) && identified;
    });
    session.program().rs.CloseCom(port.number);  // the device is free for the processes
    int code = 0;
    const Figures process = Measure(runs, [&] { code = RunCli(programDir, sensor->slavePath()); });
    const auto silent = StartSensor({sim::Fault{sim::FaultKind::Silent, 0, -1}});
    int silentCode = 0;
    const Figures silentProcess =
        Measure(runs, [&] { silentCode = RunCli(programDir, silent->slavePath()); });

    char note[96];
    std::printf(
        "| Identification, 19200 baud | min | median | max | |\n|---|---:|---:|---:|---|\n");
    std::snprintf(note, sizeof note, "target %.3f s (wire %.3f s + pauses %.1f s + 0.1 s)%s",
                  kTarget, kWireSeconds, kPauses, identified ? "" : ", NOT IDENTIFIED");
    Row("identification in the session", inProcess, note);
    Row("`tavrix-cli identify` process", process, "exit code " + std::to_string(code));
    Row("`tavrix-cli identify`, silent sensor", silentProcess,
        "exit code " + std::to_string(silentCode) + ", limit 2.0 s");
    return 0;
}
