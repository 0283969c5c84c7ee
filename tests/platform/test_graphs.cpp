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
    static QImage drawn(QCustomPlot* plot) {
        plot->replot(QCustomPlot::rpImmediateRefresh);
        return plot->grab().toImage();
    }
    // Lines are thin and may be antialiased: accept a match among the pixels around the point.
    template <class Pred>
    static bool near(const QImage& image, QCustomPlot* plot, double x, double y, Pred pred,
                     int reach = 1) {
        const qreal ratio = image.devicePixelRatio();
        const int px = qRound(plot->xAxis->coordToPixel(x) * ratio);
        const int py = qRound(plot->yAxis->coordToPixel(y) * ratio);
        reach *= qCeil(ratio);
        for (int dx = -reach; dx <= reach; ++dx)
            for (int dy = -reach; dy <= reach; ++dy)
                if (pred(image.pixelColor(px + dx, py + dy))) return true;
        return false;
    }
    static auto is(QRgb rgb) {
        return [rgb](const QColor& c) { return c == QColor(rgb); };
    }
    static bool dark(const QColor& c) { return c.lightness() < 60; }
    static bool reddish(const QColor& c) { return c.red() - std::max(c.green(), c.blue()) > 60; }
    static bool greenish(const QColor& c) { return c.green() - std::max(c.red(), c.blue()) > 40; }
};

// Sample points lie off the grid lines.
TEST_F(GraphTest, RectanglesAndCursorsAreDrawnWhereTheyBelong) {
    auto* bar = controlAs<GraphWidget>(ui::GRAPHBar);
    ASSERT_EQ(bar->cursorCount(), 3);
    EXPECT_EQ(bar->bufferDevicePixelRatio(), bar->devicePixelRatioF());  // sharp on high DPI
    EXPECT_EQ(bar->xAxis->label(), "Position");
    EXPECT_GT(engine->PlotRectangle(panel, ui::GRAPHBar, 40, 0.25, 60, 1.0, 0xFF0000, 0xFF0000), 0);
    EXPECT_GT(engine->PlotRectangle(panel, ui::GRAPHBar, 30, 0.35, 10, 0.0, 0x00FF00, 0x00FF00), 0);
    EXPECT_EQ(engine->SetGraphCursor(panel, ui::GRAPHBar, 1, 50, 0.75), 0);
    EXPECT_EQ(engine->SetGraphCursor(panel, ui::GRAPHBar, 4, 50, 0.75), kErrBadValue);

    QImage image = drawn(bar);
    EXPECT_TRUE(near(image, bar, 23.3, 0.17, is(0x00FF00), 0));  // band
    EXPECT_TRUE(near(image, bar, 43.3, 0.63, is(0xFF0000), 0));  // bar
    EXPECT_TRUE(near(image, bar, 87.3, 0.63, is(0xFFFFFF), 0));
    EXPECT_TRUE(near(image, bar, 50, 0.5, dark));              // cursor line below its y
    EXPECT_TRUE(near(image, bar, 50, 0.93, is(0xFF0000), 0));  // and nothing above it
    double x = 0, y = 0;
    EXPECT_EQ(engine->GetGraphCursor(panel, ui::GRAPHBar, 1, x, y), 0);
    EXPECT_EQ(QPointF(x, y), QPointF(50, 0.75));

    // Deleting every plot leaves the cursors.
    EXPECT_EQ(engine->DeleteGraphPlot(panel, ui::GRAPHBar, -1, VAL_DELAYED_DRAW), 0);
    image = drawn(bar);
    EXPECT_TRUE(near(image, bar, 23.3, 0.17, is(0xFFFFFF), 0));
    EXPECT_TRUE(near(image, bar, 50, 0.5, dark));
}

// A thousand changes cost a few redraws, and the last state is what gets drawn.
TEST_F(GraphTest, ManyChangesAreDrawnAsFewCoalescedRedraws) {
    auto* graph = controlAs<GraphWidget>(ui::GRAPHBar);
    engine->SetAxisScalingMode(panel, ui::GRAPHBar, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, 1024.0);
    settle();
    int redraws = 0;
    QObject::connect(graph, &QCustomPlot::afterReplot, graph, [&] { ++redraws; });
    const double xs[3] = {0, 50, 100};
    for (unsigned short i = 0; i < 1000; ++i) {
        const unsigned short ys[3] = {i, i, i};
        engine->DeleteGraphPlot(panel, ui::GRAPHBar, -1, VAL_IMMEDIATE_DRAW);
        engine->PlotXY(panel, ui::GRAPHBar, xs, ys, 3, 0x008000);
    }
    EXPECT_EQ(redraws, 0);
    settle(100);
    EXPECT_GE(redraws, 1);
    EXPECT_LE(redraws, 12);
    EXPECT_EQ(graph->graphCount(), 1);
    const QImage image = graph->grab().toImage();  // what the last redraw left
    EXPECT_TRUE(near(image, graph, 75, 999, greenish));
    EXPECT_FALSE(near(image, graph, 75, 500, greenish));
    EXPECT_EQ(engine->PlotXY(panel, ui::GRAPHBar, xs, xs, 0, 0), kErrBadValue);
    EXPECT_EQ(engine->PlotXY(panel, ui::NUMPower, xs, xs, 3, 0), kErrNotSupported);
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
    EXPECT_EQ(strip->xAxis->range(), QCPRange(0, kGroups));

    // Newest at the right: trace 4 rises from 302 at the left to 401 at the right.
    const QImage image = drawn(strip);
    EXPECT_TRUE(near(image, strip, kGroups - 0.5, 400.5, reddish));
    EXPECT_TRUE(near(image, strip, 1.5, 302.5, reddish));
    EXPECT_FALSE(near(image, strip, 1.5, 450.5, reddish));
}

TEST_F(GraphTest, StripScrollModeKeepsTheLatestPointsPerScreen) {
    auto* strip = controlAs<StripChartWidget>(ui::STRIPRaw);
    engine->SetCtrlAttribute(panel, ui::STRIPRaw, ATTR_NUM_TRACES, 2);
    engine->SetCtrlAttribute(panel, ui::STRIPRaw, ATTR_POINTS_PER_SCREEN, 4);
    // Trace 1 gets 0..5 and trace 2 gets 10..15, each value followed by one that is skipped.
    const double data[] = {0, -1, 10, -1, 1, -1, 11, -1, 2, -1, 12, -1,
                           3, -1, 13, -1, 4, -1, 14, -1, 5, -1, 15};
    EXPECT_EQ(engine->PlotStripChart(panel, ui::STRIPRaw, data, 5, 0, 1), 0);  // 2 groups + 1
    EXPECT_EQ(strip->traceValues(1), (std::vector<double>{0, 1}));
    EXPECT_EQ(engine->PlotStripChart(panel, ui::STRIPRaw, data, 8, 8, 1), 0);
    EXPECT_EQ(strip->traceValues(1), (std::vector<double>{2, 3, 4, 5}));
    EXPECT_EQ(strip->traceValues(2), (std::vector<double>{12, 13, 14, 15}));
}

}  // namespace
