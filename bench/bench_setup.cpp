// Measures the set-up assistant's time from opening to proposals ready at the default cycles (20
// line images, 200 measurements) against the simulated sensor paced at 19200 baud, with a still
// bright object on a dark background: the Video step, the Run step and the proposal maths, run on
// the headless session the command line uses. The check Run after Apply is not part of it.
//
// Usage: bench_setup [--runs N]   (default 1; each run takes about 15 s of line time)
// Prints a markdown table. Nothing is asserted: the figures are read against the line's bound.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "cli_session.h"
#include "pty_server.h"
#include "setup_measure.h"

namespace {

constexpr long kVideoCycles = 20, kRunCycles = 200;
// The line's bound at 19200 baud (1920 bytes/s): a Video cycle with four 64-word blocks moves
// 728 bytes, a Run measurement 72.
constexpr double kVideoBound = kVideoCycles * 728 / 1920.0;
constexpr double kRunBound = kRunCycles * 72 / 1920.0;

double Now() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

struct Phases {
    double video = 0, maths = 0, run = 0, total = 0;
    bool complete = true;
};

Phases OpenToProposals(Program& p) {
    Phases t;
    const double start = Now();
    const SetupScale scale = ReadSetupScale(p);
    std::vector<VideoImage> images;
    t.complete = TakeLineImages(p, kVideoCycles, images) == ExchangeOutcome::Answered;
    const double afterVideo = Now();
    SetupProposals proposals;
    proposals.signal = ProposeSignal({images, scale.polarity, scale.topOfScale});
    proposals.edges =
        ProposeEdges(proposals.signal, scale.polarity, scale.factor, scale.subpixelScale);
    proposals.setpoint = ProposeSetpoint(proposals.edges, scale.eMode);
    const double afterMaths = Now();
    std::vector<RunSample> samples;
    t.complete = TakeRunSamples(p, kRunCycles, samples) == ExchangeOutcome::Answered && t.complete;
    const double beforeTolerance = Now();
    proposals.tolerance = ProposeTolerance(samples, scale.eMode);
    const double end = Now();
    t.complete = t.complete && FirstProblem(proposals) == SetupProblem::None;
    t.video = afterVideo - start;
    t.maths = (afterMaths - afterVideo) + (end - beforeTolerance);
    t.run = beforeTolerance - afterMaths;
    t.total = end - start;
    return t;
}

void Row(const char* what, std::vector<double> seconds, const char* unit, double scale,
         const std::string& note) {
    std::sort(seconds.begin(), seconds.end());
    std::printf("| %s | %.3f %s | %.3f %s | %.3f %s | %s |\n", what, seconds.front() * scale, unit,
                seconds[seconds.size() / 2] * scale, unit, seconds.back() * scale, unit,
                note.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const int runs =
        argc > 2 && std::strcmp(argv[1], "--runs") == 0 ? std::max(1, std::atoi(argv[2])) : 1;
    sim::SensorConfig still;
    still.scene = sim::SceneKind::StillBright;
    still.ram[sim::kPolarity] = 0;  // the scene's object is bright
    still.ram[sim::kEMode] = 2;
    sim::ServerOptions options;
    options.baud = 19200;
    sim::PtyServer sensor(still, options);
    if (!sensor.Start()) {
        std::fprintf(stderr, "simulated sensor: %s\n", sensor.error().c_str());
        return 1;
    }
    Session session;
    std::string why, warning;
    if (!session.ready() || !session.Connect({1, sensor.slavePath()}, false, why, warning)) {
        std::fprintf(stderr, "no session: %s\n", why.c_str());
        return 1;
    }
    std::vector<double> video, maths, run, total;
    bool complete = true;
    for (int i = 0; i < runs; ++i) {
        const Phases t = OpenToProposals(session.program());
        video.push_back(t.video), maths.push_back(t.maths), run.push_back(t.run);
        total.push_back(t.total);
        complete = complete && t.complete;
    }
    char note[96];
    std::printf(
        "| Set-up assistant, 19200 baud | min | median | max | |\n"
        "|---|---:|---:|---:|---|\n");
    std::snprintf(note, sizeof note, "line bound %.2f s", kVideoBound);
    Row("20 Video cycles", video, "s", 1, note);
    std::snprintf(note, sizeof note, "line bound %.2f s", kRunBound);
    Row("200 Run measurements", run, "s", 1, note);
    Row("proposal maths", maths, "ms", 1000, "");
    std::snprintf(note, sizeof note, "line bound %.2f s%s", kVideoBound + kRunBound,
                  complete ? "" : ", NOT COMPLETE");
    Row("opening to proposals ready", total, "s", 1, note);
    return 0;
}
