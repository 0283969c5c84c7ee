// What the graph and the strip chart show, checked on the drawn pixels where it matters.
#include <QImage>
#include <algorithm>

#include "graph_widget.h"
#include "panel_ids.h"
#include "plot_probe.h"
#include "strip_chart.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

using Colour = bool (*)(const QColor&);
bool Dark(const QColor& c) {
    return c.lightness() < 60;
}
bool Reddish(const QColor& c) {
    return c.red() - std::max(c.green(), c.blue()) > 60;
}
bool Greenish(const QColor& c) {
    return c.green() - std::max(c.red(), c.blue()) > 40;
}
bool Red(const QColor& c) {
    return c == QColor(0xFF0000);
}
bool Green(const QColor& c) {
    return c == QColor(0x00FF00);
}
bool White(const QColor& c) {
    return c == QColor(0xFFFFFF);
}

QImage Drawn(QCustomPlot* plot) {
    return testsupport::DrawnPlot(plot);
}

bool Near(const QImage& image, QCustomPlot* plot, double x, double y, Colour colour,
          int reach = 1) {
    return testsupport::ColourNear(image, plot, x, y, colour, reach);
}

class GraphTest : public test::FixturePanel {};

// Sample points lie off the grid lines.
TEST_F(GraphTest, RectanglesAndCursorsAreDrawnWhereTheyBelong) {
    auto* bar = controlAs<GraphWidget>(ui::GRAPHBar);
    ASSERT_EQ(bar->cursorCount(), 3);
    EXPECT_EQ(bar->bufferDevicePixelRatio(), bar->devicePixelRatioF());  // sharp on high DPI
    EXPECT_GT(engine->PlotRectangle(panel, ui::GRAPHBar, 40, 0.25, 60, 1.0, 0xFF0000, 0xFF0000), 0);
    EXPECT_GT(engine->PlotRectangle(panel, ui::GRAPHBar, 30, 0.35, 10, 0.0, 0x00FF00, 0x00FF00), 0);
    EXPECT_EQ(engine->SetGraphCursor(panel, ui::GRAPHBar, 1, 50, 0.75), 0);
    EXPECT_EQ(engine->SetGraphCursor(panel, ui::GRAPHBar, 4, 50, 0.75), kErrBadValue);
    double x = 0, y = 0;
    EXPECT_EQ(engine->GetGraphCursor(panel, ui::GRAPHBar, 1, x, y), 0);
    EXPECT_EQ(QPointF(x, y), QPointF(50, 0.75));

    QImage image = Drawn(bar);
    EXPECT_TRUE(Near(image, bar, 23.3, 0.17, Green, 0));  // band
    EXPECT_TRUE(Near(image, bar, 43.3, 0.63, Red, 0));    // bar
    EXPECT_TRUE(Near(image, bar, 87.3, 0.63, White, 0));
    EXPECT_TRUE(Near(image, bar, 50, 0.5, Dark));     // cursor line below its y
    EXPECT_TRUE(Near(image, bar, 50, 0.93, Red, 0));  // and nothing above it

    // Deleting every plot leaves the cursors.
    EXPECT_EQ(engine->DeleteGraphPlot(panel, ui::GRAPHBar, -1, VAL_DELAYED_DRAW), 0);
    image = Drawn(bar);
    EXPECT_TRUE(Near(image, bar, 23.3, 0.17, White, 0));
    EXPECT_TRUE(Near(image, bar, 50, 0.5, Dark));
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
    EXPECT_TRUE(redraws >= 1 && redraws <= 12) << redraws;
    EXPECT_EQ(graph->graphCount(), 1);
    const QImage image = graph->grab().toImage();  // what the last redraw left
    EXPECT_TRUE(Near(image, graph, 75, 999, Greenish));
    EXPECT_FALSE(Near(image, graph, 75, 500, Greenish));
    EXPECT_EQ(engine->PlotXY(panel, ui::NUMPower, xs, xs, 3, 0), kErrNotSupported);
}

TEST_F(GraphTest, StripWindowShowsOldestLeftNewestRight) {
    auto* strip = controlAs<StripChartWidget>(ui::STRIPRaw);
    constexpr int kGroups = 100, kTraces = 5;
    engine->SetCtrlAttribute(panel, ui::STRIPRaw, ATTR_POINTS_PER_SCREEN, kGroups + 1);
    engine->SetCtrlAttribute(panel, ui::STRIPRaw, ATTR_STRIP_WINDOW_MODE, 1);
    engine->SetAxisScalingMode(panel, ui::STRIPRaw, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, 1000.0);
    // Colours come before the trace count, as the program sets them.
    for (int t = 1; t <= kTraces; ++t)
        EXPECT_EQ(engine->SetTraceAttribute(panel, ui::STRIPRaw, t, ATTR_TRACE_COLOR,
                                            t == 4 ? 0xFF0000 : 0x000000),
                  0);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::STRIPRaw, ATTR_NUM_TRACES, kTraces), 0);

    std::vector<double> window(kGroups * kTraces);
    for (int call = 0; call < 3; ++call) {
        for (int i = 0; i < kGroups * kTraces; ++i)
            window[i] = 100.0 * (i % kTraces) + i / kTraces + call;
        EXPECT_EQ(
            engine->PlotStripChart(panel, ui::STRIPRaw, window.data(), kGroups * kTraces, 0, 0), 0);
    }
    const std::vector<double> trace4 = strip->traceValues(4);
    ASSERT_EQ(trace4.size(), static_cast<std::size_t>(kGroups));  // replaced, not appended
    EXPECT_EQ(std::pair(trace4.front(), trace4.back()), std::pair(302.0, 401.0));
    EXPECT_EQ(strip->xAxis->range(), QCPRange(0, kGroups));

    // Trace 4 rises from 302 at the left to 401 at the right.
    const QImage image = Drawn(strip);
    EXPECT_TRUE(Near(image, strip, kGroups - 0.5, 400.5, Reddish));
    EXPECT_TRUE(Near(image, strip, 1.5, 302.5, Reddish));
    EXPECT_FALSE(Near(image, strip, 1.5, 450.5, Reddish));
}

}  // namespace
