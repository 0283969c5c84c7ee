#include "draw_probes.h"

#include <qcustomplot.h>
#include <sys/resource.h>
#include <time.h>

#include <QDir>
#include <QFile>
#include <QWidget>
#include <chrono>

#include "program.h"

namespace bench {

namespace {

DrawTotals totals;

double Seconds(const timespec& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Adds the time of one plot call to the totals.
class PlotCall {
  public:
    explicit PlotCall(long& counter) : start_(SteadySeconds()) { ++counter; }
    ~PlotCall() {
        const double end = SteadySeconds();
        totals.plotSeconds += end - start_;
        if (totals.firstDrawAt == 0) totals.firstDrawAt = end;
        totals.lastDrawAt = end;
    }
    PlotCall(const PlotCall&) = delete;
    PlotCall& operator=(const PlotCall&) = delete;

  private:
    double start_;
};

}  // namespace

DrawTotals& Totals() {
    return totals;
}

void ResetTotals() {
    totals = {};
}

double SteadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return Seconds(t);
}

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return Seconds(t);
}

long ThreadWaits() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

long ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

int OpenDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                                .size());
}

RepaintMeter::RepaintMeter(QWidget* panel) : QObject(panel) {
    for (QCustomPlot* plot : panel->findChildren<QCustomPlot*>()) {
        plot->installEventFilter(this);
        auto started = std::make_shared<double>(0.0);
        connect(plot, &QCustomPlot::beforeReplot, this, [started] { *started = SteadySeconds(); });
        connect(plot, &QCustomPlot::afterReplot, this, [started] {
            totals.replotSeconds += SteadySeconds() - *started;
            ++totals.replots;
        });
    }
    if (auto* side = panel->findChild<QWidget*>(QStringLiteral("Workbench")))
        for (QWidget* w : side->findChildren<QWidget*>())
            w->installEventFilter(this);
}

// Paints the plot itself, so that the time of its paint event can be taken; the event is then
// done with.
bool RepaintMeter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint) return false;
    const double start = SteadySeconds();
    watched->event(event);  // QObject::event is public; it dispatches to the paint handler
    if (qobject_cast<QCustomPlot*>(watched) == nullptr) {
        totals.workbenchPaintSeconds += SteadySeconds() - start;
        return true;
    }
    totals.paintSeconds += SteadySeconds() - start;
    ++totals.paints;
    return true;
}

}  // namespace bench

// Linker wrappers (--wrap) of the program's plot functions: count and time every call, then run
// the real function. The symbol names are the functions' mangled names.
extern "C" {
void __real__Z17PlotVIDEOBarGraphR7Program(Program& p);
void __real__Z14PlotRAWGraphX8R7Program(Program& p);
void __real__Z14PlotVIDEOCurveR7ProgramPKtPKd(Program& p, const u16* video, const double* x);
void __real__ZN20MeasurementListeners8MeasuredERK5State(MeasurementListeners* self, const State& s);

// Every measurement listener's share of a cycle (the workbench, the command line, ...).
void __wrap__ZN20MeasurementListeners8MeasuredERK5State(MeasurementListeners* self,
                                                        const State& s) {
    const double start = bench::ThreadCpuSeconds();
    __real__ZN20MeasurementListeners8MeasuredERK5State(self, s);
    bench::totals.workbenchSeconds += bench::ThreadCpuSeconds() - start;
}

void __wrap__Z17PlotVIDEOBarGraphR7Program(Program& p) {
    bench::PlotCall call(bench::totals.barGraphs);
    __real__Z17PlotVIDEOBarGraphR7Program(p);
}

void __wrap__Z14PlotRAWGraphX8R7Program(Program& p) {
    bench::PlotCall call(bench::totals.rawGraphs);
    __real__Z14PlotRAWGraphX8R7Program(p);
}

void __wrap__Z14PlotVIDEOCurveR7ProgramPKtPKd(Program& p, const u16* video, const double* x) {
    bench::PlotCall call(bench::totals.curves);
    __real__Z14PlotVIDEOCurveR7ProgramPKtPKd(p, video, x);
}
}
