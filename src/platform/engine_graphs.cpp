// Graph and strip-chart operations of the engine.
#include <cmath>

#include "engine_impl.h"
#include "graph_widget.h"
#include "strip_chart.h"

namespace platform {

namespace {

template <class Y>
int Plot(GraphWidget* graph, const double* x, const Y* y, int n, int color) {
    if (x == nullptr || y == nullptr || n <= 0) return kErrBadValue;
    QVector<double> xs(x, x + n);
    QVector<double> ys(n);
    for (int i = 0; i < n; ++i)
        ys[i] = static_cast<double>(y[i]);
    return graph->plotXY(xs, ys, ToColor(color));
}

// Finds the control and checks its kind: kErrBadHandle for an unknown one, kErrNotSupported for
// another kind.
template <class W>
int Find(const Engine::Impl& impl, int panel, int control, W*& widget) {
    QWidget* w = impl.widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    widget = qobject_cast<W*>(w);
    return widget == nullptr ? kErrNotSupported : 0;
}

}  // namespace

int Engine::PlotXY(int panel, int control, const double* x, const double* y, int n, int color) {
    GraphWidget* graph = nullptr;
    const int found = Find(*impl_, panel, control, graph);
    return found < 0 ? found : Plot(graph, x, y, n, color);
}

int Engine::PlotXY(int panel, int control, const double* x, const unsigned short* y, int n,
                   int color) {
    GraphWidget* graph = nullptr;
    const int found = Find(*impl_, panel, control, graph);
    return found < 0 ? found : Plot(graph, x, y, n, color);
}

int Engine::PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2,
                          int color, int fillColor) {
    GraphWidget* graph = nullptr;
    const int found = Find(*impl_, panel, control, graph);
    if (found < 0) return found;
    for (double v : {x1, y1, x2, y2})
        if (!std::isfinite(v)) return kErrBadValue;
    return graph->plotRectangle({x1, y1}, {x2, y2}, ToColor(color), ToColor(fillColor));
}

int Engine::DeleteGraphPlot(int panel, int control, int plotHandle, int /*redraw*/) {
    GraphWidget* graph = nullptr;
    const int found = Find(*impl_, panel, control, graph);
    if (found < 0) return found;
    return graph->deletePlot(plotHandle) ? 0 : kErrBadValue;
}

int Engine::SetGraphCursor(int panel, int control, int cursor, double x, double y) {
    GraphWidget* graph = nullptr;
    const int found = Find(*impl_, panel, control, graph);
    if (found < 0) return found;
    return graph->setGraphCursor(cursor, x, y) ? 0 : kErrBadValue;
}

int Engine::GetGraphCursor(int panel, int control, int cursor, double& x, double& y) const {
    GraphWidget* graph = nullptr;
    const int found = Find(*impl_, panel, control, graph);
    if (found < 0) return found;
    return graph->graphCursor(cursor, x, y) ? 0 : kErrBadValue;
}

int Engine::SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max) {
    PlotBase* plot = nullptr;
    const int found = Find(*impl_, panel, control, plot);
    if (found < 0) return found;
    if (mode != VAL_MANUAL && mode != VAL_AUTOSCALE) return kErrBadValue;
    const int plotAxis = axis == VAL_XAXIS ? 0 : axis == VAL_LEFT_YAXIS ? 1 : -1;
    return plot->setAxisScaling(plotAxis, mode == VAL_AUTOSCALE, min, max) ? 0 : kErrBadValue;
}

int Engine::PlotStripChart(int panel, int control, const double* data, int count, int start,
                           int skip) {
    StripChartWidget* strip = nullptr;
    const int found = Find(*impl_, panel, control, strip);
    if (found < 0) return found;
    return strip->plot(data, count, start, skip) ? 0 : kErrBadValue;
}

int Engine::SetTraceAttribute(int panel, int control, int trace, int attr, int value) {
    StripChartWidget* strip = nullptr;
    const int found = Find(*impl_, panel, control, strip);
    if (found < 0) return found;
    if (attr != ATTR_TRACE_COLOR) return kErrNotSupported;
    return strip->setTraceColor(trace, ToColor(value)) ? 0 : kErrBadValue;
}

}  // namespace platform
