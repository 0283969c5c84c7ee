// A strip chart: N traces of the latest values, pointsPerScreen points per trace.
//
// Values arrive in trace order (trace 1..N, then again); a trailing incomplete group is ignored.
// In scroll mode each delivery is appended: the traces fill from the left and, once the screen is
// full, scroll left. In window mode each delivery replaces the shown points: the delivered window
// is drawn oldest left, newest at the right end of the screen (the last pointsPerScreen points of
// a longer window). The x axis runs over 0..pointsPerScreen-1; the y axis is set by the program.
//
// Panel file properties: pointsPerScreen, traceCount, windowMode, and those of PlotBase.
#pragma once

#include <QColor>
#include <deque>
#include <vector>

#include "plot_base.h"

namespace platform {

class StripChartWidget : public PlotBase {
    Q_OBJECT
    Q_PROPERTY(int pointsPerScreen READ pointsPerScreen WRITE setPointsPerScreen)
    Q_PROPERTY(int traceCount READ traceCount WRITE setTraceCount)
    Q_PROPERTY(bool windowMode READ windowMode WRITE setWindowMode)

  public:
    static constexpr int kMaxTraces = 64;
    static constexpr int kMaxPointsPerScreen = 100000;

    explicit StripChartWidget(QWidget* parent = nullptr);

    int pointsPerScreen() const { return pointsPerScreen_; }
    bool setPointsPerScreen(int points);  // 2..kMaxPointsPerScreen
    int traceCount() const { return static_cast<int>(traces_.size()); }
    bool setTraceCount(int count);  // 1..kMaxTraces; existing traces keep their points
    bool windowMode() const { return windowMode_; }
    void setWindowMode(bool on);
    // Trace from 1 to kMaxTraces: a colour may be given before the trace count includes it.
    QColor traceColor(int trace) const;
    bool setTraceColor(int trace, const QColor& color);

    // Takes `count` values data[start], data[start + 1 + skip], ... False for bad arguments.
    bool plot(const double* values, int count, int start, int skip);
    // The points of a trace (from 1) now shown, oldest first.
    std::vector<double> traceValues(int trace) const;

  private:
    struct Trace {
        std::deque<double> points;  // oldest first, at most pointsPerScreen_
        QCPGraph* graph = nullptr;
    };

    void trimTraces();
    void updateGraphs();

    int pointsPerScreen_ = 100;
    bool windowMode_ = false;
    std::vector<Trace> traces_;
    std::vector<QColor> colors_;  // kMaxTraces entries
};

}  // namespace platform
