// Measures the Run and Video loops of the real program against the simulated sensor, on a
// pseudo-terminal and on the built-in in-process line (port "sim"), with real widgets offscreen:
// cycle rate against the serial line's limit, CPU, drawing time, and resident memory and
// descriptors over a long unpaced run and a Video soak.
//
// Usage: bench_acquisition [--quick] [--paced-only|--clock-only|--unpaced-only|--workbench-only]
//   --quick          short runs (3 s paced, 10,000 unpaced Run and 200 Video cycles): a smoke test
//   --paced-only     only the loops on the line paced at 19200 baud (20 s each)
//   --clock-only     only Run against a sensor whose clock runs 5 % fast, exact and 5 % slow and
//                    that answers at once, on the pseudo-terminal (20 s each)
//   --unpaced-only   only the unpaced loops: 100,000 Run cycles, then a 2,000-cycle Video soak
//   --workbench-only only Run with the workbench closed, with its figures shown, and recording
//                    (paced for 20 s and unpaced for 100,000 cycles each)
// Prints markdown tables. Nothing is asserted: the figures are read against the targets.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "Tavrix-VarizA152.h"
#include "draw_probes.h"
#include "panel_ids.h"
#include "pty_server.h"
#include "workbench.h"

namespace {

using bench::Totals;

// The serial line's limits at 19200 baud (10 bits a byte): bytes per cycle over 1920 bytes/s.
constexpr double kRunLimitHz = 1920.0 / 72;        // 36-byte request, 36-byte answer
constexpr double kVideo64LimitHz = 1920.0 / 728;   // plus four 36-byte requests, 4 x 128 bytes
constexpr double kVideo256LimitHz = 1920.0 / 620;  // plus one 36-byte request, 512 bytes
constexpr long kPaced = 19200;
constexpr long kUnpaced = 0;

// The simulated sensor's two ways to the program.
enum class Line { Pty, InProcess };

// One program with its sensor, started as the tool starts.
class Rig {
  public:
    // The unpaced loops run on the built-in line, as they always have: their figures stay
    // comparable.
    // `requestBaud`: the pace of the program's requests at the sensor, 0 its own (`baud`).
    Rig(int board, long baud, Line line = Line::Pty, long requestBaud = 0) {
        if (line == Line::InProcess || baud == kUnpaced) {
            const std::string options =
                "--board " + std::to_string(board) + " --baud " + std::to_string(baud);
            setenv("TAVRIX_SIM", options.c_str(), 1);
            setenv("TAVRIX_COM1", "sim", 1);
        } else {
            sim::SensorConfig sensor;
            sensor.profile.pcbtype = static_cast<std::uint16_t>(board);
            sim::ServerOptions options;
            options.baud = baud;
            options.requestBaud = requestBaud;
            sensor_ = std::make_unique<sim::PtyServer>(sensor, options);
            if (!sensor_->Start()) Fail("simulated sensor: " + sensor_->error());
            setenv("TAVRIX_COM1", sensor_->slavePath().c_str(), 1);
        }
        engine_ = std::make_unique<platform::Engine>();
        ports_ = std::make_unique<platform::Rs232>(*engine_);
        program_ = std::make_unique<Program>(*engine_, *ports_);
        if (StartProgram(*program_) != 0) Fail("the program did not start");
        panel_ = Control(ui::BTNRun)->window();
        new bench::RepaintMeter(panel_);  // owned by the panel
    }
    ~Rig() {
        EndProgram(*program_);
        program_.reset();
        ports_.reset();
        engine_.reset();
        if (sensor_) sensor_->Stop();
    }
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    Program& program() { return *program_; }

    // Presses `button` (Run or Video) and presses Stop once `cycles` have been drawn or `seconds`
    // have passed. Returns when the loop has ended.
    void Loop(int button, long cycles, double seconds) {
        const double end = bench::SteadySeconds() + seconds;
        QTimer watch;
        bool stopped = false;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const long drawn = button == ui::BTNRun ? Totals().rawGraphs : Totals().curves;
            if (stopped || (drawn < cycles && bench::SteadySeconds() < end)) return;
            stopped = true;
            PressStop();
        });
        watch.start(10);
        qobject_cast<QAbstractButton*>(Control(button))->click();
    }

  private:
    QWidget* Control(int id) const {
        return panel_ != nullptr ? panel_->findChild<QWidget*>(ui::kControlNames[id])
                                 : ControlOnAnyPanel(id);
    }
    static QWidget* ControlOnAnyPanel(int id) {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == ui::kMainPanelName && top->isVisible())
                return top->findChild<QWidget*>(ui::kControlNames[id]);
        Fail("no main panel");
        return nullptr;
    }
    // The left mouse button going down on Stop, then up.
    void PressStop() {
        QWidget* stop = Control(ui::BTNStop);
        const QPointF at(stop->width() / 2.0, stop->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, stop->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(stop, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, stop->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(stop, &release);
    }
    [[noreturn]] static void Fail(const std::string& why) {
        std::fprintf(stderr, "bench_acquisition: %s\n", why.c_str());
        std::exit(1);
    }

    std::unique_ptr<sim::PtyServer> sensor_;
    std::unique_ptr<platform::Engine> engine_;
    std::unique_ptr<platform::Rs232> ports_;
    std::unique_ptr<Program> program_;
    QWidget* panel_ = nullptr;
};

struct Figures {
    std::string name;
    long cycles = 0;
    double rateHz = 0;
    double limitHz = 0;  // 0: unpaced, no line limit
    double cpuPerCycleMs = 0;
    double coreShare = 0;        // program thread
    double processShare = 0;     // with the simulated sensor's thread
    double wakeUpsPerCycle = 0;  // of the program thread
    double plotPerCycleMs = 0;
    double repaintPerCycleMs = 0;
    double workbenchHookPerCycleMs = 0;   // CPU of the workbench's call in the loop
    double workbenchPaintPerCycleMs = 0;  // its side panel's paints
};

// Runs one loop and takes its figures. The rate counts whole cycles between the first and the
// latest drawing, so the start-up request and the cycle cut short by Stop do not count.
Figures Measure(Rig& rig, const std::string& name, int button, long cycles, double seconds,
                double limitHz) {
    bench::ResetTotals();
    const double wall0 = bench::SteadySeconds();
    const double cpu0 = bench::ThreadCpuSeconds(), process0 = bench::ProcessCpuSeconds();
    const long waits0 = bench::ThreadWaits();
    rig.Loop(button, cycles, seconds);
    const double wall = bench::SteadySeconds() - wall0;
    const double cpu = bench::ThreadCpuSeconds() - cpu0;
    const double process = bench::ProcessCpuSeconds() - process0;
    const long waits = bench::ThreadWaits() - waits0;

    const bench::DrawTotals& t = Totals();
    Figures f;
    f.name = name;
    f.cycles = button == ui::BTNRun ? t.rawGraphs : t.curves;
    const double span = t.lastDrawAt - t.firstDrawAt;
    f.rateHz = f.cycles > 1 && span > 0 ? static_cast<double>(f.cycles - 1) / span : 0;
    f.limitHz = limitHz;
    const double n = f.cycles > 0 ? static_cast<double>(f.cycles) : 1.0;
    f.cpuPerCycleMs = cpu / n * 1e3;
    f.coreShare = cpu / wall;
    f.wakeUpsPerCycle = static_cast<double>(waits) / n;
    f.processShare = process / wall;
    f.plotPerCycleMs = t.plotSeconds / n * 1e3;
    f.repaintPerCycleMs = (t.replotSeconds + t.paintSeconds) / n * 1e3;
    f.workbenchHookPerCycleMs = t.workbenchSeconds / n * 1e3;
    f.workbenchPaintPerCycleMs = t.workbenchPaintSeconds / n * 1e3;
    return f;
}

void PrintRates(const std::vector<Figures>& rows) {
    std::printf(
        "| Loop | Cycles | Cycles/s | Wire limit (Hz) | Ratio | CPU ms/cycle | Core share | "
        "Core share with sensor | Wake-ups/cycle | Plot calls ms/cycle | Replot+paint ms/cycle |\n"
        "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Figures& f : rows) {
        char limit[32] = "-", ratio[32] = "-";
        if (f.limitHz > 0) {
            std::snprintf(limit, sizeof limit, "%.3f", f.limitHz);
            std::snprintf(ratio, sizeof ratio, "%.1f %%", 100.0 * f.rateHz / f.limitHz);
        }
        std::printf(
            "| %s | %ld | %.2f | %s | %s | %.3f | %.1f %% | %.1f %% | %.1f | %.3f | %.3f |\n",
            f.name.c_str(), f.cycles, f.rateHz, limit, ratio, f.cpuPerCycleMs, 100.0 * f.coreShare,
            100.0 * f.processShare, f.wakeUpsPerCycle, f.plotPerCycleMs, f.repaintPerCycleMs);
    }
    std::fflush(stdout);
}

struct Footprint {
    std::string when;
    long rssKiB;
    int fds;
};

Footprint TakeFootprint(const std::string& when) {
    return {when, bench::ResidentKiB(), bench::OpenDescriptors()};
}

// What the paced line itself allows here: a bare client that sends the next measurement request
// as soon as the last answer byte is read, without any drawing. The program cannot beat it.
Figures BareLine(double seconds, long baud = kPaced) {
    sim::ServerOptions options;
    options.baud = baud;
    options.requestBaud = kPaced;  // the client's requests go out at 19200 baud
    sim::PtyServer sensor({}, options);
    Figures f;
    f.name = "bare client (reference), " + std::to_string(baud) + " baud";
    f.limitHz = kRunLimitHz;
    if (!sensor.Start()) return f;
    const int fd = ::open(sensor.slavePath().c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    if (fd < 0 || tcgetattr(fd, &raw) != 0) return f;
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);
    const sim::Frame request = sim::MakeFrame(sim::kRequestSync, sim::RUN, {});
    double first = 0, last = 0;
    const double end = bench::SteadySeconds() + seconds;
    while (bench::SteadySeconds() < end) {
        if (::write(fd, request.data(), request.size()) != ssize_t(request.size())) break;
        std::uint8_t answer[64];
        ssize_t got = 0;
        while (got < sim::kFrameBytes) {
            pollfd in{fd, POLLIN, 0};
            if (::poll(&in, 1, 1500) <= 0) break;
            const ssize_t n = ::read(fd, answer + got, sizeof answer - size_t(got));
            if (n <= 0) break;
            got += n;
        }
        if (got < sim::kFrameBytes) break;
        last = bench::SteadySeconds();
        if (first == 0) first = last;
        ++f.cycles;
    }
    ::close(fd);
    f.rateHz = f.cycles > 1 ? static_cast<double>(f.cycles - 1) / (last - first) : 0;
    return f;
}

// The loops on a line paced at 19200 baud, for `seconds` each.
void PacedRates(double seconds) {
    constexpr long kUnbounded = 1L << 40;
    std::vector<Figures> rows{BareLine(seconds)};
    {
        Rig rig(0, kPaced);
        rows.push_back(
            Measure(rig, "Run, 19200 baud", ui::BTNRun, kUnbounded, seconds, kRunLimitHz));
        rows.push_back(Measure(rig, "Video board 0, 19200 baud", ui::BTNVideo, kUnbounded, seconds,
                               kVideo64LimitHz));
    }
    {
        Rig rig(400, kPaced);
        rows.push_back(Measure(rig, "Video board 400, 19200 baud", ui::BTNVideo, kUnbounded,
                               seconds, kVideo256LimitHz));
    }
    {
        Rig rig(0, kPaced, Line::InProcess);
        rows.push_back(Measure(rig, "Run, 19200 baud, in-process line", ui::BTNRun, kUnbounded,
                               seconds, kRunLimitHz));
        rows.push_back(Measure(rig, "Video board 0, 19200 baud, in-process line", ui::BTNVideo,
                               kUnbounded, seconds, kVideo64LimitHz));
    }
    PrintRates(rows);
}

// Run against a sensor whose clock runs 5 % fast, exact and 5 % slow and that answers the moment
// a request has arrived, each against its own limit: a request at 19200 baud and an answer at the
// sensor's pace (the simulated sensor receives the requests at 19200 baud, as a real one does). A
// bare client before each row shows what the line allows on this machine at the moment.
void ClockRates(double seconds) {
    constexpr long kUnbounded = 1L << 40;
    struct Clock {
        const char* name;
        double factor;
    };
    const Clock clocks[] = {{"Run, sensor clock 5 % fast", 1.05},
                            {"Run, sensor clock exact", 1.0},
                            {"Run, sensor clock 5 % slow", 0.95}};
    std::vector<Figures> rows;
    for (const Clock& c : clocks) {
        const double limit = 1.0 / (36.0 / 1920 + 36.0 / (1920 * c.factor));
        const long baud = std::lround(kPaced * c.factor);
        rows.push_back(BareLine(seconds / 4, baud));  // what this machine's line allows now
        rows.back().limitHz = limit;
        Rig rig(0, baud, Line::Pty, kPaced);
        rows.push_back(Measure(rig, c.name, ui::BTNRun, kUnbounded, seconds, limit));
    }
    PrintRates(rows);
}

// The loops as fast as they go, with the footprint before and after a long Run and a Video soak.
void UnpacedFootprint(long runCycles, long videoCycles) {
    constexpr double kNoTimeLimit = 1e9;
    std::vector<Figures> rows;
    std::vector<Footprint> footprints;
    {
        Rig rig(0, kUnpaced);
        // Both loops once first: the video graph's paint buffers, the toolkit's caches and the
        // sensor's bounded request log are in place before the first footprint.
        Measure(rig, "warm-up", ui::BTNRun, 12000, kNoTimeLimit, 0);
        Measure(rig, "warm-up", ui::BTNVideo, 100, kNoTimeLimit, 0);
        footprints.push_back(TakeFootprint("before " + std::to_string(runCycles) + " Run cycles"));
        rows.push_back(Measure(rig, "Run, unpaced", ui::BTNRun, runCycles, kNoTimeLimit, 0));
        footprints.push_back(TakeFootprint("after " + std::to_string(runCycles) + " Run cycles"));
        rows.push_back(
            Measure(rig, "Video board 0, unpaced", ui::BTNVideo, videoCycles, kNoTimeLimit, 0));
        footprints.push_back(
            TakeFootprint("after " + std::to_string(videoCycles) + " more Video cycles"));
    }
    PrintRates(rows);
    std::printf(
        "\n| Moment | Resident memory (KiB) | Growth (KiB) | Open descriptors |\n"
        "|---|---:|---:|---:|\n");
    for (const Footprint& f : footprints)
        std::printf("| %s | %ld | %ld | %d |\n", f.when.c_str(), f.rssKiB,
                    f.rssKiB - footprints.front().rssKiB, f.fds);
}

// What the workbench costs Run: the same loop with the workbench closed, with its figures shown
// (the default), and recording every measurement to a file.
void WorkbenchCost(const char* line, long baud, long cycles, double seconds) {
    QTemporaryDir dir;
    Rig rig(0, baud);
    Measure(rig, "warm-up", ui::BTNRun, std::min(cycles, 2000L), seconds / 4, 0);
    const double limit = baud == kPaced ? kRunLimitHz : 0;
    std::vector<Figures> rows;
    rows.push_back(Measure(rig, std::string("Run with statistics shown, ") + line, ui::BTNRun,
                           cycles, seconds, limit));
    StartRecording(rig.program(), dir.filePath(QStringLiteral("bench.csv")).toStdString());
    const Footprint before = TakeFootprint("recording begins");
    rows.push_back(Measure(rig, std::string("Run with statistics and recording, ") + line,
                           ui::BTNRun, cycles, seconds, limit));
    const Footprint after = TakeFootprint("recording");
    StopRecording(rig.program());
    rig.program().workbench.reset();
    rows.insert(rows.begin(), Measure(rig, std::string("Run, workbench closed, ") + line,
                                      ui::BTNRun, cycles, seconds, limit));
    PrintRates(rows);
    std::printf(
        "\n| Against the closed workbench (%s) | Rate ratio | CPU added per cycle (difference) "
        "| Workbench call per cycle | Workbench panel paint per cycle "
        "|\n|---|---:|---:|---:|---:|\n",
        line);
    for (size_t i = 1; i < rows.size(); ++i)
        std::printf("| %s | %.2f %% | %.3f ms | %.4f ms | %.4f ms |\n", rows[i].name.c_str(),
                    100.0 * rows[i].rateHz / rows[0].rateHz,
                    rows[i].cpuPerCycleMs - rows[0].cpuPerCycleMs, rows[i].workbenchHookPerCycleMs,
                    rows[i].workbenchPaintPerCycleMs);
    std::printf(
        "\nRecording %ld rows: resident memory %ld KiB before, %ld KiB after (%+ld KiB).\n\n",
        rows.back().cycles, before.rssKiB, after.rssKiB, after.rssKiB - before.rssKiB);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    bool quick = false, paced = true, clock = true, unpaced = true, workbench = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            quick = true;
        } else if (arg == "--paced-only") {
            clock = unpaced = workbench = false;
        } else if (arg == "--clock-only") {
            paced = unpaced = workbench = false;
        } else if (arg == "--unpaced-only") {
            paced = clock = workbench = false;
        } else if (arg == "--workbench-only") {
            paced = clock = unpaced = false;
        } else {
            std::fprintf(stderr,
                         "usage: bench_acquisition [--quick] "
                         "[--paced-only|--clock-only|--unpaced-only|--workbench-only]\n");
            return 2;
        }
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    platform::Toolkit toolkit;
    if (!toolkit.ok()) {
        std::fprintf(stderr, "bench_acquisition: no toolkit\n");
        return 1;
    }
    if (paced) PacedRates(quick ? 3.0 : 20.0);
    if (clock) {
        if (paced) std::printf("\n");
        ClockRates(quick ? 3.0 : 20.0);
    }
    if ((paced || clock) && unpaced) std::printf("\n");
    if (unpaced) UnpacedFootprint(quick ? 10000 : 100000, quick ? 200 : 2000);
    if (workbench) {
        constexpr long kUnbounded = 1L << 40;
        std::printf("\n");
        WorkbenchCost("19200 baud", kPaced, kUnbounded, quick ? 3.0 : 20.0);
        WorkbenchCost("unpaced", kUnpaced, quick ? 10000 : 100000, 1e9);
    }
    return 0;
}
