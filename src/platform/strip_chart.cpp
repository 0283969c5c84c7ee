#include "strip_chart.h"

#include <array>

namespace platform {

namespace {

constexpr std::array<QRgb, 8> kDefaultColors = {0xFF0000, 0x008000, 0x0000FF, 0x000000,
                                                0xFF00FF, 0x008080, 0x808000, 0x800000};

}  // namespace

StripChartWidget::StripChartWidget(QWidget* parent) : PlotBase(parent) {
    for (int i = 0; i < kMaxTraces; ++i)
        colors_.emplace_back(kDefaultColors[static_cast<std::size_t>(i) % kDefaultColors.size()]);
    setTraceCount(1);
    xAxis->setRange(0.0, pointsPerScreen_ - 1);
}

bool StripChartWidget::setPointsPerScreen(int points) {
    if (points < 2 || points > kMaxPointsPerScreen) return false;
    if (points == pointsPerScreen_) return true;  // set on every plot by the program
    pointsPerScreen_ = points;
    xAxis->setRange(0.0, points - 1);
    trimTraces();
    updateGraphs();
    return true;
}

bool StripChartWidget::setTraceCount(int count) {
    if (count < 1 || count > kMaxTraces) return false;
    if (count == traceCount()) return true;
    while (traceCount() > count) {
        removeGraph(traces_.back().graph);
        traces_.pop_back();
    }
    while (traceCount() < count) {
        Trace trace;
        trace.graph = addGraph();
        trace.graph->setPen(QPen(colors_[traces_.size()]));
        traces_.push_back(std::move(trace));
    }
    updateGraphs();
    return true;
}

void StripChartWidget::setWindowMode(bool on) {
    windowMode_ = on;
}

QColor StripChartWidget::traceColor(int trace) const {
    if (trace < 1 || trace > kMaxTraces) return {};
    return colors_[static_cast<std::size_t>(trace - 1)];
}

bool StripChartWidget::setTraceColor(int trace, const QColor& color) {
    if (trace < 1 || trace > kMaxTraces) return false;
    QColor& c = colors_[static_cast<std::size_t>(trace - 1)];
    if (c == color) return true;
    c = color;
    if (trace <= traceCount()) {
        traces_[static_cast<std::size_t>(trace - 1)].graph->setPen(QPen(color));
        requestRedraw();
    }
    return true;
}

bool StripChartWidget::plot(const double* values, int count, int start, int skip) {
    if (values == nullptr || count < 0 || start < 0 || skip < 0) return false;
    const std::size_t n = traces_.size();
    const std::size_t groups = static_cast<std::size_t>(count) / n;
    const std::size_t stride = static_cast<std::size_t>(skip) + 1;
    if (windowMode_)
        for (Trace& t : traces_)
            t.points.clear();
    for (std::size_t i = 0; i < groups * n; ++i)
        traces_[i % n].points.push_back(values[static_cast<std::size_t>(start) + i * stride]);
    trimTraces();
    updateGraphs();
    return true;
}

std::vector<double> StripChartWidget::traceValues(int trace) const {
    if (trace < 1 || trace > traceCount()) return {};
    const auto& points = traces_[static_cast<std::size_t>(trace - 1)].points;
    return {points.begin(), points.end()};
}

void StripChartWidget::trimTraces() {
    for (Trace& t : traces_)
        while (static_cast<int>(t.points.size()) > pointsPerScreen_)
            t.points.pop_front();
}

void StripChartWidget::updateGraphs() {
    for (Trace& t : traces_) {
        const int shown = static_cast<int>(t.points.size());
        // A window ends at the right edge; a scrolling trace starts at the left.
        const int first = windowMode_ ? pointsPerScreen_ - shown : 0;
        QVector<double> keys(shown);
        QVector<double> values(shown);
        for (int i = 0; i < shown; ++i) {
            keys[i] = first + i;
            values[i] = t.points[static_cast<std::size_t>(i)];
        }
        t.graph->setData(keys, values, true);
    }
    requestRedraw();
}

}  // namespace platform
