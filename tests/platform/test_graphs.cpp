// What the graph and the strip chart show, checked on the drawn pixels where it matters.
#include <QImage>
#include <algorithm>

#include "graph_widget.h"
#include "panel_ids.h"
#include "strip_chart.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

class GraphTest : public test::FixturePanel {
  protected:
    QImage drawn(QCustomPlot* plot) const {
        plot->replot(QCustomPlot::rpImmediateRefresh);
        return plot->grab().toImage();
    }
    static QColor at(const QImage& image, QCustomPlot* plot, double x, double y) {
        const QPointF p = plot->xAxis->coordToPixel(x) * QPointF(1, 0) +
                          plot->yAxis->coordToPixel(y) * QPointF(0, 1);
        const qreal ratio = image.devicePixelRatio();
        return image.pixelColor(qRound(p.x() * ratio), qRound(p.y() * ratio));
    }
    // Lines are thin and may be antialiased: look at the pixels around the point.
    template <class Pred>
    static bool near(const QImage& image, QCustomPlot* plot, double x, double y, Pred pred) {
        const qreal ratio = image.devicePixelRatio();
        const QPointF p(plot->xAxis->coordToPixel(x) * ratio, plot->yAxis->coordToPixel(y) * ratio);
        const int reach = qCeil(ratio);
        for (int dx = -reach; dx <= reach; ++dx)
            for (int dy = -reach; dy <= reach; ++dy)
                if (pred(image.pixelColor(qRound(p.x()) + dx, qRound(p.y()) + dy))) return true;
        return false;
    }
    static bool dark(const QColor& c) { return c.lightness() < 60; }
    static bool reddish(const QColor& c) { return c.red() - std::max(c.green(), c.blue()) > 60; }
    static bool greenish(const QColor& c) { return c.green() - std::max(c.red(), c.blue()) > 40; }
};

TEST_F(GraphTest, RectanglesAndCursorsAreDrawnWhereTheyBelong) {
    auto* bar = controlAs<GraphWidget>(ui::GRAPHBar);
    ASSERT_EQ(bar->cursorCount(), 3);
    EXPECT_EQ(bar->bufferDevicePixelRatio(), bar->devicePixelRatioF());  // sharp on high DPI
    EXPECT_EQ(bar->xAxis->label(), "Position");
    EXPECT_GT(engine->PlotRectangle(panel, ui::GRAPHBar, 40, 0.25, 60, 1.0, 0xFF0000, 0xFF0000), 0);
    EXPECT_GT(engine->PlotRectangle(panel, ui::GRAPHBar, 30, 0.35, 10, 0.0, 0x00FF00, 0x00FF00), 0);
    EXPECT_EQ(engine->SetGraphCursor(panel, ui::GRAPHBar, 1, 50, 0.75), 0);
    EXPECT_EQ(engine->SetGraphCursor(panel, ui::GRAPHBar, 4, 50, 0.75), kErrBadValue);

    // Sample points lie off the grid lines.
    QImage image = drawn(bar);
    EXPECT_EQ(at(image, bar, 23.3, 0.17), QColor(0x00FF00));  // band
    EXPECT_EQ(at(image, bar, 43.3, 0.63), QColor(0xFF0000));  // bar
    EXPECT_EQ(at(image, bar, 87.3, 0.63), QColor(Qt::white));
    EXPECT_TRUE(near(image, bar, 50, 0.5, dark));           // cursor line below its y
    EXPECT_EQ(at(image, bar, 50, 0.93), QColor(0xFF0000));  // and nothing above it

    double x = 0, y = 0;
    EXPECT_EQ(engine->GetGraphCursor(panel, ui::GRAPHBar, 1, x, y), 0);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 0.75);

    // Deleting every plot leaves the cursors.
    EXPECT_EQ(engine->DeleteGraphPlot(panel, ui::GRAPHBar, -1, VAL_DELAYED_DRAW), 0);
    image = drawn(bar);
    EXPECT_EQ(at(image, bar, 23.3, 0.17), QColor(Qt::white));
    EXPECT_TRUE(near(image, bar, 50, 0.5, dark));
    EXPECT_EQ(bar->plotCount(), 0);
}

TEST_F(GraphTest, CurvesFollowTheirPointsAndOnePlotCanBeDeleted) {
    auto* graph = controlAs<GraphWidget>(ui::GRAPHBar);
    engine->SetAxisScalingMode(panel, ui::GRAPHBar, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, 1024.0);
    EXPECT_EQ(graph->yAxis->range(), QCPRange(0, 1024));
    const double xs[3] = {0, 50, 100};
    const unsigned short ys[3] = {100, 900, 100};
    const int curve = engine->PlotXY(panel, ui::GRAPHBar, xs, ys, 3, 0xFF0000);
    const double flat[3] = {512, 512, 512};
    const int line = engine->PlotXY(panel, ui::GRAPHBar, xs, flat, 3, 0x008000);
    ASSERT_GT(curve, 0);
    ASSERT_GT(line, curve);
    ASSERT_EQ(graph->graphCount(), 2);
    EXPECT_EQ(graph->graph(0)->data()->at(1)->value, 900);

    const QImage image = drawn(graph);
    EXPECT_TRUE(near(image, graph, 75, 512, greenish));
    EXPECT_FALSE(near(image, graph, 75, 300, greenish));
    EXPECT_EQ(engine->DeleteGraphPlot(panel, ui::GRAPHBar, curve, VAL_IMMEDIATE_DRAW), 0);
    EXPECT_EQ(engine->DeleteGraphPlot(panel, ui::GRAPHBar, curve, VAL_IMMEDIATE_DRAW),
              kErrBadValue);
    EXPECT_EQ(graph->graphCount(), 1);
    EXPECT_EQ(engine->PlotXY(panel, ui::GRAPHBar, xs, flat, 0, 0), kErrBadValue);
    EXPECT_EQ(engine->PlotXY(panel, ui::NUMPower, xs, flat, 3, 0), kErrNotSupported);
    EXPECT_EQ(engine->SetAxisScalingMode(panel, ui::GRAPHBar, VAL_XAXIS, VAL_MANUAL, 5, 5),
              kErrBadValue);
}

// A thousand changes cost a few redraws, and the last state is what gets drawn.
TEST_F(GraphTest, ManyChangesAreDrawnAsFewCoalescedRedraws) {
    auto* graph = controlAs<GraphWidget>(ui::GRAPHBar);
    settle();
    int redraws = 0;
    QObject::connect(graph, &QCustomPlot::afterReplot, graph, [&] { ++redraws; });
    for (int i = 0; i < 1000; ++i) {
        engine->DeleteGraphPlot(panel, ui::GRAPHBar, -1, VAL_IMMEDIATE_DRAW);
        engine->PlotRectangle(panel, ui::GRAPHBar, i % 100, 0, i % 100 + 1, 1, 0xFF0000, 0xFF0000);
        engine->SetGraphCursor(panel, ui::GRAPHBar, 2, i % 100, 0.75);
    }
    EXPECT_EQ(redraws, 0);
    settle(100);
    EXPECT_GE(redraws, 1);
    EXPECT_LE(redraws, 12);
    EXPECT_FALSE(graph->redrawPending());
    double x = 0, y = 0;
    engine->GetGraphCursor(panel, ui::GRAPHBar, 2, x, y);
    EXPECT_EQ(x, 99);
}

TEST_F(GraphTest, StripWindowShowsOldestLeftNewestRight) {
    auto* strip = controlAs<StripChartWidget>(ui::STRIPRaw);
    constexpr int kGroups = 100;
    constexpr int kTraces = 5;
    engine->SetCtrlAttribute(panel, ui::STRIPRaw, ATTR_POINTS_PER_SCREEN, kGroups + 1);
    engine->SetCtrlAttribute(panel, ui::STRIPRaw, ATTR_STRIP_WINDOW_MODE, 1);
    engine->SetAxisScalingMode(panel, ui::STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, 1000.0);
    // Colours come before the trace count, as the program sets them.
    for (int t = 1; t <= kTraces; ++t)
        EXPECT_EQ(engine->SetTraceAttribute(panel, ui::STRIPRaw, t, ATTR_TRACE_COLOR, 0x000000), 0);
    EXPECT_EQ(engine->SetTraceAttribute(panel, ui::STRIPRaw, 4, ATTR_TRACE_COLOR, 0xFF0000), 0);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::STRIPRaw, ATTR_NUM_TRACES, kTraces), 0);

    std::vector<double> window(kGroups * kTraces, 0.0);
    for (int call = 0; call < 3; ++call) {
        for (int g = 0; g < kGroups; ++g)
            for (int t = 0; t < kTraces; ++t)
                window[g * kTraces + t] = 100.0 * t + g + call;
        EXPECT_EQ(
            engine->PlotStripChart(panel, ui::STRIPRaw, window.data(), kGroups * kTraces, 0, 0), 0);
    }
    const std::vector<double> trace4 = strip->traceValues(4);
    ASSERT_EQ(trace4.size(), static_cast<std::size_t>(kGroups));  // replaced, not appended
    EXPECT_EQ(trace4.front(), 302);
    EXPECT_EQ(trace4.back(), 401);
    const auto data = strip->graph(3)->data();
    EXPECT_EQ(data->at(data->size() - 1)->key, strip->xAxis->range().upper);
    EXPECT_EQ(strip->xAxis->range(), QCPRange(0, kGroups));
    EXPECT_EQ(strip->graph(3)->pen().color(), QColor(0xFF0000));

    // Newest at the right: trace 4 rises from 302 at the left to 401 at the right.
    const QImage image = drawn(strip);
    EXPECT_TRUE(near(image, strip, kGroups - 0.5, 400.5, reddish));
    EXPECT_TRUE(near(image, strip, 1.5, 302.5, reddish));
    EXPECT_FALSE(near(image, strip, 1.5, 450.5, reddish));
}

TEST_F(GraphTest, StripScrollModeKeepsTheLatestPointsPerScreen) {
    auto* strip = controlAs<StripChartWidget>(ui::STRIPRaw);
    engine->SetCtrlAttribute(panel, ui::STRIPRaw, ATTR_NUM_TRACES, 2);
    engine->SetCtrlAttribute(panel, ui::STRIPRaw, ATTR_POINTS_PER_SCREEN, 10);
    int mode = -1;
    engine->GetCtrlAttribute(panel, ui::STRIPRaw, ATTR_STRIP_WINDOW_MODE, mode);
    EXPECT_EQ(mode, 0);
    // Values 0..13 for trace 1 and 100.. for trace 2, taken with one value skipped after each.
    std::vector<double> data;
    for (int i = 0; i < 14; ++i)
        data.insert(data.end(), {double(i), -1.0, 100.0 + i, -1.0});
    EXPECT_EQ(engine->PlotStripChart(panel, ui::STRIPRaw, data.data(), 9, 0, 1), 0);  // 4 groups
    EXPECT_EQ(strip->traceValues(1), (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(engine->PlotStripChart(panel, ui::STRIPRaw, data.data(), 12, 16, 1), 0);
    EXPECT_EQ(strip->traceValues(1), (std::vector<double>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(engine->PlotStripChart(panel, ui::STRIPRaw, data.data() + 40, 8, 0, 1), 0);
    EXPECT_EQ(strip->traceValues(1), (std::vector<double>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(strip->traceValues(2).back(), 113);
    EXPECT_EQ(engine->PlotStripChart(panel, ui::STRIPRaw, nullptr, 4, 0, 0), kErrBadValue);
}

}  // namespace
