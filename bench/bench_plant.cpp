// The plant link's cost: tavrix-cli run against tavrix-cli monitor publishing to a local
// mosquitto, each on a simulated sensor paced at 19200 baud (measurement rate and CPU per
// measurement), then eight monitors on eight simulated sensors (their total CPU and the broker's
// message rate). The simulated sensors run in this process; the programs measured are children.
//
// Usage: bench_plant [--seconds S]   (each measuring window, default 20 s, after a 3 s start;
//                                    run and monitor twice each, alternated)
// Prints markdown tables. Nothing is asserted: the figures are read against the targets (rate
// ratio at least 99.5 %).
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "pty_server.h"

namespace {

using namespace testsupport;

constexpr double kWarmUp = 3.0;  // identification done, the loop running
constexpr int kSensors = 8;
constexpr int kRounds = 2;  // of run and monitor, one after the other

struct Window {
    double seconds = 0;
    long requests = 0;
    double cpu = 0;  // the measured programs together
    double brokerCpu = 0;
    long messages = 0;  // received by a subscriber to everything
};

std::string Dir() {
    const std::string dir = "/tmp/bench_plant_" + std::to_string(getpid()) + "/";
    std::system(("mkdir -p " + dir).c_str());
    return dir;
}

class Rig {
  public:
    Rig() : dir_(Dir()), broker_(dir_) {
        if (!broker_.Start()) {
            std::fprintf(stderr, "bench_plant: the broker did not start\n");
            std::exit(1);
        }
        subscriber_ = std::make_unique<Child>(
            std::vector<std::string>{"mosquitto_sub", "-h", "127.0.0.1", "-p",
                                     std::to_string(broker_.port()), "-t", "tavrix/#"},
            dir_ + "sub");
    }
    ~Rig() { std::system(("rm -rf " + dir_).c_str()); }

    std::vector<std::unique_ptr<sim::PtyServer>> Sensors(int count) {
        std::vector<std::unique_ptr<sim::PtyServer>> sensors;
        for (int i = 0; i < count; ++i) {
            sensors.push_back(std::make_unique<sim::PtyServer>());
            sensors.back()->Start();
        }
        return sensors;
    }

    // `tavrix-cli ARGS --port P` on each sensor, measured over `seconds` after the warm-up.
    Window Measure(const std::vector<std::unique_ptr<sim::PtyServer>>& sensors,
                   const std::vector<std::string>& args, double seconds) {
        std::vector<std::unique_ptr<Child>> programs;
        for (std::size_t i = 0; i < sensors.size(); ++i) {
            std::vector<std::string> a = {TAVRIX_CLI};
            a.insert(a.end(), args.begin(), args.end());
            a.insert(a.end(), {"--port", sensors[i]->slavePath()});
            if (args[0] == "monitor") a.insert(a.end(), {"--sensor-id", "s" + std::to_string(i)});
            programs.push_back(std::make_unique<Child>(a, dir_ + "out" + std::to_string(i)));
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(kWarmUp));
        const auto sample = [&] {
            Window w;
            w.seconds = Now();
            for (const auto& s : sensors)
                w.requests += s->RequestCount();
            for (const auto& p : programs)
                w.cpu += p->CpuSeconds();
            w.brokerCpu = broker_.CpuSeconds();
            w.messages = static_cast<long>(Lines(dir_ + "sub", "{").size());
            return w;
        };
        const Window begin = sample();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        const Window end = sample();
        for (const auto& p : programs) {
            p->Signal(SIGTERM);
            p->Wait(10);
        }
        return {end.seconds - begin.seconds, end.requests - begin.requests, end.cpu - begin.cpu,
                end.brokerCpu - begin.brokerCpu, end.messages - begin.messages};
    }

    std::string Url() const { return broker_.url(); }

  private:
    std::string dir_;
    TestBroker broker_;
    std::unique_ptr<Child> subscriber_;
};

void OneSensor(Rig& rig, double seconds) {
    const auto sensor = rig.Sensors(1);
    const std::string runFor = std::to_string(static_cast<int>(seconds + kWarmUp + 5));
    const Window plain =
        rig.Measure(sensor, {"run", "--seconds", runFor}, seconds);  // rows to its output file
    const Window published = rig.Measure(sensor, {"monitor", "--mqtt", rig.Url()}, seconds);
    const double plainHz = double(plain.requests) / plain.seconds;
    const double publishedHz = double(published.requests) / published.seconds;
    const double plainCpu = plain.cpu / double(plain.requests);
    const double publishedCpu = published.cpu / double(published.requests);
    std::printf("## One sensor at 19200 baud, %d x %.0f s each\n\n", kRounds, seconds);
    std::printf("| | measurements/s | CPU per measurement | CPU share |\n|---|---:|---:|---:|\n");
    std::printf("| run, CSV rows to a file | %.2f | %.0f us | %.1f %% |\n", plainHz, plainCpu * 1e6,
                100 * plain.cpu / plain.seconds);
    std::printf("| monitor, publishing | %.2f | %.0f us | %.1f %% |\n", publishedHz,
                publishedCpu * 1e6, 100 * published.cpu / published.seconds);
    std::printf(
        "\nRate ratio %.2f %% (target at least 99.5 %%); CPU added per measurement %.0f us"
        " (the broker: %.0f us more)\n\n",
        100 * publishedHz / plainHz, (publishedCpu - plainCpu) * 1e6,
        published.brokerCpu / double(published.requests) * 1e6);
}

void EightSensors(Rig& rig, double seconds) {
    const auto sensors = rig.Sensors(kSensors);
    const Window w = rig.Measure(sensors, {"monitor", "--mqtt", rig.Url()}, seconds);
    std::printf("## Eight monitors on eight simulated sensors, %.0f s\n\n", seconds);
    std::printf(
        "| measurements/s per sensor | monitors' CPU (of one core) | broker's CPU | "
        "broker messages/s out to one subscriber |\n|---:|---:|---:|---:|\n");
    std::printf("| %.2f | %.1f %% | %.1f %% | %.0f |\n\n",
                double(w.requests) / w.seconds / kSensors, 100 * w.cpu / w.seconds,
                100 * w.brokerCpu / w.seconds, double(w.messages) / w.seconds);
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 20;
    if (argc == 3 && std::string(argv[1]) == "--seconds") seconds = std::atof(argv[2]);
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: bench_plant [--seconds S]\n");
        return 2;
    }
    Rig rig;
    OneSensor(rig, seconds);
    EightSensors(rig, seconds);
    return 0;
}
