// Meters for the acquisition benchmark: time spent in the program's plot functions, in the plots'
// replots and repaints, and the process's resident memory and open descriptors.
#pragma once

#include <QObject>

class QWidget;

namespace bench {

// Totals since the last Reset. The plot functions are counted through linker wrappers (see
// bench/CMakeLists.txt), so the figures come from the real loops, not from a copy of them.
struct DrawTotals {
    long barGraphs = 0;        // PlotVIDEOBarGraph calls
    long rawGraphs = 0;        // PlotRAWGraphX8 calls: one per Run cycle
    long curves = 0;           // PlotVIDEOCurve calls: one per Video cycle
    double plotSeconds = 0;    // inside the three plot functions
    double replotSeconds = 0;  // plots rebuilding their pixmaps
    double paintSeconds = 0;   // plot widgets painting themselves
    long replots = 0;
    long paints = 0;
    double workbenchSeconds = 0;       // CPU inside the measurement listeners
    double workbenchPaintSeconds = 0;  // the workbench side panel painting itself
    double firstDrawAt = 0;            // steady-clock seconds of the first and latest counted call
    double lastDrawAt = 0;
};

DrawTotals& Totals();
void ResetTotals();

// Times the replots and paint events of every plot widget below `panel`, and the paint events of
// the workbench side panel.
class RepaintMeter : public QObject {
  public:
    explicit RepaintMeter(QWidget* panel);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

double SteadySeconds();
// CPU seconds of the calling thread (the program's user-interface thread).
double ThreadCpuSeconds();
// CPU seconds of the whole process (the simulated sensor's thread included).
double ProcessCpuSeconds();
// Times the calling thread gave up the processor to wait (each wait ends in a wake-up).
long ThreadWaits();
long ResidentKiB();  // VmRSS of /proc/self/status
int OpenDescriptors();

}  // namespace bench
