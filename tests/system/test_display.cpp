// What the bar graph, the video graph and the strip chart draw, read from the grabbed image at
// data coordinates; the arithmetic behind them is covered by the logic tests.
#include <qcustomplot.h>

#include "gui.h"
#include "harness.h"
#include "panel_ids.h"
#include "plot_probe.h"

namespace systest {
namespace {

const QColor kRed(0xFF0000), kGreen(0x00FF00), kDarkGreen(0x008000);

class Display : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 19200");  // positions 1..1024, 8192 eight-fold
        StartProgram();
    }

    QCustomPlot* Plot(int id) { return CtrlAs<QCustomPlot>(id); }

    QImage Drawn(int id) {
        engine_->SetCtrlAttribute(p().pHandle, id, platform::ATTR_VISIBLE, 1);
        return testsupport::DrawnPlot(Plot(id));
    }

    bool ColourNear(const QImage& image, int id, double x, double y, QColor want, int reach = 2) {
        return testsupport::ColourNear(image, Plot(id), x, y, testsupport::HueOf(want), reach);
    }
};

struct BarScene {
    u16 eMode, Ledge, Redge, edcnt, mvstart, mvend, tVal, tol;
    std::vector<double> red, green, bare;  // x positions to probe
};

// Red bars span 0.25..1 and bands 0..0.35: probe at 0.6 and 0.2, above the axis ticks.
TEST_F(Display, BarGraphDrawsRedBarsAndToleranceBands) {
    const BarScene scenes[] = {
        {0, 300, 0, 1, 1, 2, 500, 20, {600}, {500}, {150}},                  // rising edge
        {2, 400, 600, 2, 400, 600, 200, 11, {200, 800}, {400, 600}, {500}},  // 395..405, 595..605
    };
    for (const BarScene& s : scenes) {
        SCOPED_TRACE(s.tVal);
        p().eMode = s.eMode, p().Ledge = s.Ledge, p().Redge = s.Redge, p().edcnt = s.edcnt;
        p().mvstart = s.mvstart, p().mvend = s.mvend, p().tVal = s.tVal, p().tol = s.tol;
        p().Mvalue = s.Redge + 1;
        PlotVIDEOBarGraph(p());
        const QImage image = Drawn(ui::GRAPHBar);
        auto at = [&](double x, double y, QColor c) {
            return ColourNear(image, ui::GRAPHBar, x, y, c, 0);
        };
        for (double x : s.red)
            EXPECT_TRUE(at(x, 0.6, kRed)) << x;
        for (double x : s.green)
            EXPECT_TRUE(at(x, 0.2, kGreen)) << x;
        for (double x : s.bare)
            EXPECT_FALSE(at(x, 0.6, kRed) || at(x, 0.2, kGreen)) << x;
    }
}

TEST_F(Display, StripChartShowsFiveTracesNewestRightAndZoomsOnTheSetpoint) {
    auto* strip = Plot(ui::STRIPRaw);
    p().tVal = 300, p().tol = 5, p().Mvalue = 330, p().anaMax = 444, p().anaMode = 2;
    engine_->SetCtrlVal(p().pHandle, ui::BINSW_Zoom, 1);
    for (int group = 0; group < 10; ++group)
        PlotRAWGraphX8(p());

    ASSERT_EQ(strip->graphCount(), 5);
    const QColor colours[] = {kDarkGreen, kDarkGreen, QColor(Qt::black), kRed, kRed};
    const double newest[] = {305, 295, 300, 330, 444};  // limits, setpoint, measured, anaMax
    for (int t = 0; t < 5; ++t) {
        const auto& data = *strip->graph(t)->data();
        EXPECT_EQ(strip->graph(t)->pen().color(), colours[t]) << t;
        ASSERT_EQ(data.size(), 100) << t;
        EXPECT_EQ(std::pair((data.constEnd() - 1)->key, (data.constEnd() - 1)->value),
                  std::pair(100.0, newest[t]));
    }
    EXPECT_EQ(strip->yAxis->range(), QCPRange(280, 340));  // Mvalue above tVal + 2 x 20
    const QImage image = Drawn(ui::STRIPRaw);
    EXPECT_TRUE(ColourNear(image, ui::STRIPRaw, 95, 330, kRed));
    EXPECT_FALSE(ColourNear(image, ui::STRIPRaw, 95, 320, kRed));

    engine_->SetCtrlVal(p().pHandle, ui::BINSW_Zoom, 0);
    PlotRAWGraphX8(p());
    EXPECT_EQ(strip->yAxis->range(), QCPRange(0, 8192));
}

}  // namespace
}  // namespace systest
