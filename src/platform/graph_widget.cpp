#include "graph_widget.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr const char* kCursorLayer = "cursors";

}  // namespace

GraphWidget::GraphWidget(QWidget* parent) : PlotBase(parent) {
    addLayer(QLatin1String(kCursorLayer), layer(QStringLiteral("main")), limAbove);
    xAxis->setRange(0.0, 1.0);
    yAxis->setRange(0.0, 1.0);
}

int GraphWidget::plotXY(const QVector<double>& x, const QVector<double>& y, const QColor& color) {
    QCPGraph* graph = addGraph();
    graph->setPen(QPen(color));
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setData(x, y);
    const int handle = nextHandle_++;
    plots_[handle].graph = graph;
    requestRedraw();
    return handle;
}

int GraphWidget::plotRectangle(const QPointF& corner1, const QPointF& corner2,
                               const QColor& outline, const QColor& fill) {
    auto* rect = new QCPItemRect(this);
    rect->topLeft->setCoords(std::min(corner1.x(), corner2.x()),
                             std::max(corner1.y(), corner2.y()));
    rect->bottomRight->setCoords(std::max(corner1.x(), corner2.x()),
                                 std::min(corner1.y(), corner2.y()));
    rect->setPen(QPen(outline));
    rect->setBrush(QBrush(fill));
    const int handle = nextHandle_++;
    plots_[handle].rect = rect;
    requestRedraw();
    return handle;
}

void GraphWidget::removePlot(const Plot& plot) {
    if (plot.graph != nullptr) removeGraph(plot.graph);
    if (plot.rect != nullptr) removeItem(plot.rect);
}

bool GraphWidget::deletePlot(int handle) {
    if (handle == -1) {
        for (const auto& [h, plot] : plots_)
            removePlot(plot);
        plots_.clear();
    } else {
        auto it = plots_.find(handle);
        if (it == plots_.end()) return false;
        removePlot(it->second);
        plots_.erase(it);
    }
    requestRedraw();
    return true;
}

QPen GraphWidget::cursorPen() const {
    QPen pen(cursorColor_);
    pen.setWidthF(2.0);
    return pen;
}

void GraphWidget::setCursorCount(int count) {
    count = std::clamp(count, 0, kMaxCursors);
    while (cursorCount() > count) {
        removeItem(cursors_.back().line);
        cursors_.pop_back();
    }
    while (cursorCount() < count) {
        Cursor cursor;
        cursor.line = new QCPItemLine(this);
        cursor.line->setLayer(QLatin1String(kCursorLayer));
        cursor.line->setPen(cursorPen());
        cursor.line->setHead(QCPLineEnding(QCPLineEnding::esDiamond, 9, 9));
        cursor.line->setAntialiased(false);
        cursor.line->setVisible(false);
        cursors_.push_back(cursor);
    }
    requestRedraw();
}

void GraphWidget::setCursorColor(const QColor& color) {
    cursorColor_ = color;
    for (Cursor& cursor : cursors_)
        cursor.line->setPen(cursorPen());
    requestRedraw();
}

bool GraphWidget::setGraphCursor(int cursor, double x, double y) {
    if (cursor < 1 || cursor > cursorCount() || !std::isfinite(x) || !std::isfinite(y))
        return false;
    Cursor& c = cursors_[static_cast<std::size_t>(cursor - 1)];
    if (c.line->visible() && c.x == x && c.y == y) return true;
    c.x = x;
    c.y = y;
    c.line->start->setCoords(x, 0.0);
    c.line->end->setCoords(x, y);
    c.line->setVisible(true);
    requestRedraw();
    return true;
}

bool GraphWidget::graphCursor(int cursor, double& x, double& y) const {
    if (cursor < 1 || cursor > cursorCount()) return false;
    const Cursor& c = cursors_[static_cast<std::size_t>(cursor - 1)];
    x = c.x;
    y = c.y;
    return true;
}

}  // namespace platform
