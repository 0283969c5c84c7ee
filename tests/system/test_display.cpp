// What the bar graph, the video graph and the strip chart show for a measurement: colours read
// from the drawn image at data coordinates, rectangle spans, cursors, axis ranges and traces.
#include <qcustomplot.h>

#include <array>

#include "gui.h"
#include "harness.h"
#include "panel_ids.h"

namespace systest {
namespace {

const QColor kRed(0xFF0000), kGreen(0x00FF00), kDarkGreen(0x008000);
constexpr double kRedBarY = 0.6;  // inside the red bars (0.25..1), above the bands (0..0.35)
constexpr double kBandY = 0.2;    // inside the bands, below the red bars, above the axis ticks

class Display : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 0");  // its hardware profile: positions 1..1024, 8192 eight-fold
        StartProgram();
    }

    QCustomPlot* Plot(int id) { return CtrlAs<QCustomPlot>(id); }

    // The plot as it is drawn now (replotted at once, not at the next frame).
    QImage Drawn(int id) {
        Plot(id)->replot(QCustomPlot::rpImmediateRefresh);
        return Plot(id)->grab().toImage();
    }

    QColor ColourAt(const QImage& image, int id, double x, double y) {
        QCustomPlot* plot = Plot(id);
        const double ratio = image.devicePixelRatio();
        const QPointF at(plot->xAxis->coordToPixel(x), plot->yAxis->coordToPixel(y));
        return image.pixelColor((at * ratio).toPoint());
    }

    // Whether a line of `colour` passes within two pixels of (x, y): curves are drawn one pixel
    // wide and smoothed, so their pixels carry the colour's hue rather than the exact colour.
    bool LineNear(const QImage& image, int id, double x, double y, const QColor& colour) {
        const auto hue = [](const QColor& c) {
            return std::array<int, 3>{c.red(), c.green(), c.blue()};
        };
        const auto want = hue(colour);
        const int strongest = *std::max_element(want.begin(), want.end());
        for (int dx = -2; dx <= 2; ++dx)
            for (int dy = -2; dy <= 2; ++dy) {
                const QPointF shift(dx / image.devicePixelRatio(), dy / image.devicePixelRatio());
                QCustomPlot* plot = Plot(id);
                const QPointF at =
                    QPointF(plot->xAxis->coordToPixel(x), plot->yAxis->coordToPixel(y)) + shift;
                const auto got = hue(image.pixelColor((at * image.devicePixelRatio()).toPoint()));
                bool match = true;
                for (int c = 0; c < 3; ++c)  // strong where the colour is strong, weak elsewhere
                    match &= want[c] == strongest ? got[c] >= strongest * 3 / 4 : got[c] < 128;
                if (match) return true;
            }
        return false;
    }

    // The x spans of the bar graph's shown rectangles of one fill colour, left to right.
    std::vector<std::pair<double, double>> Spans(const QColor& fill) {
        std::vector<std::pair<double, double>> spans;
        QCustomPlot* bar = Plot(ui::GRAPHBar);
        for (int i = 0; i < bar->itemCount(); ++i) {
            auto* r = qobject_cast<QCPItemRect*>(bar->item(i));
            if (r != nullptr && r->visible() && r->brush().color() == fill)
                spans.emplace_back(r->topLeft->coords().x(), r->bottomRight->coords().x());
        }
        std::sort(spans.begin(), spans.end());
        return spans;
    }

    int Shown(int id) {
        int v = -1;
        engine_->GetCtrlVal(p().pHandle, id, v);
        return v;
    }
};

struct BarScene {
    const char* name;
    u16 eMode, Ledge, Redge, edcnt, mvstart, mvend, tVal, tol;
    std::vector<std::pair<double, double>> red, green;
    double cursor;
    std::vector<double> bare;  // x positions where neither bars nor bands are drawn
};

const BarScene kBarScenes[] = {
    {"one edge, rising", 0, 300, 0, 1, 1, 2, 500, 20, {{300, 1024}}, {{480, 520}}, 300, {150}},
    {"one edge, falling", 0, 300, 0, 1, 2, 2, 500, 20, {{1, 300}}, {{480, 520}}, 300, {700}},
    {"no edge", 1, 300, 700, 0, 0, 0, 500, 20, {{1, 300}, {700, 1024}}, {{480, 520}}, 700, {}},
    {"two edges, centred bands",
     2,
     400,
     600,
     2,
     400,
     600,
     200,
     11,
     {{1, 400}, {600, 1024}},
     {{395, 405}, {595, 605}},
     500,
     {500}},
    {"centred, no edge: no band",
     2,
     400,
     600,
     0,
     0,
     0,
     200,
     11,
     {{1, 400}, {600, 1024}},
     {},
     500,
     {500}},
    {"band below the start", 0, 300, 0, 1, 1, 2, 10, 20, {{300, 1024}}, {{1, 30}}, 300, {150}},
    {"band past the end", 0, 300, 0, 1, 1, 2, 1020, 10, {{300, 1024}}, {{1010, 1024}}, 300, {}},
};

TEST_F(Display, BarGraphDrawsBarsBandsAndCursorsOfTheMeasurement) {
    for (const BarScene& s : kBarScenes) {
        SCOPED_TRACE(s.name);
        p().eMode = s.eMode, p().Ledge = s.Ledge, p().Redge = s.Redge, p().edcnt = s.edcnt;
        p().mvstart = s.mvstart, p().mvend = s.mvend, p().tVal = s.tVal, p().tol = s.tol;
        PlotVIDEOBarGraph(p());
        EXPECT_EQ(Spans(kRed), s.red);
        EXPECT_EQ(Spans(kGreen), s.green);
        double x = 0, y = 0;
        engine_->GetGraphCursor(p().pHandle, ui::GRAPHBar, 1, x, y);
        EXPECT_EQ(x, s.cursor);
        EXPECT_EQ(y, 0.75);

        const QImage image = Drawn(ui::GRAPHBar);
        for (const auto& [from, to] : s.red)
            EXPECT_EQ(ColourAt(image, ui::GRAPHBar, (from + to) / 2, kRedBarY), kRed) << from;
        for (const auto& [from, to] : s.green)
            EXPECT_EQ(ColourAt(image, ui::GRAPHBar, (from + to) / 2, kBandY), kGreen) << from;
        for (double bare : s.bare) {
            EXPECT_NE(ColourAt(image, ui::GRAPHBar, bare, kRedBarY), kRed) << bare;
            EXPECT_NE(ColourAt(image, ui::GRAPHBar, bare, kBandY), kGreen) << bare;
        }
    }
}

TEST_F(Display, BarGraphWritesTheMeasurementDisplays) {
    p().Ledge = 11, p().Redge = 12, p().Mvalue = 13, p().peakD = 14, p().tol = 15;
    p().anaMax = 16, p().anaMin = 17, p().leftMax = 18, p().rightMax = 19, p().rightMaxX = 20;
    PlotVIDEOBarGraph(p());
    const std::pair<int, int> shown[] = {
        {ui::NUMLedge, 11},   {ui::NUMRedge, 12},     {ui::NUMMvalue, 13},    {ui::NUMMvalue2, 13},
        {ui::NUMPeakD, 14},   {ui::NUMTolerance, 15}, {ui::NUMAnaMax, 16},    {ui::NUMAnaMin, 17},
        {ui::NUMLeftMax, 18}, {ui::NUMRightMax, 19},  {ui::NUMRightMaxX, 20},
    };
    for (const auto& [id, value] : shown)
        EXPECT_EQ(Shown(id), value) << ui::kControlNames[id];
}

TEST_F(Display, VideoCurveAndThresholdOverTheLineImage) {
    engine_->SetCtrlAttribute(p().pHandle, ui::GRAPHVideo, platform::ATTR_VISIBLE, 1);
    for (int i = 0; i < 256; ++i)
        p().adcbuf[i] = static_cast<u16>(4 * i);  // crosses the threshold 512 at sample 128
    p().thdArray.fill(512);
    PlotVIDEOCurve(p(), p().adcbuf.data(), p().xArray8.data());
    const QCPRange y = Plot(ui::GRAPHVideo)->yAxis->range();
    EXPECT_EQ(y.lower, 0.0);
    EXPECT_EQ(y.upper, p().YAXISMAX);

    const QImage image = Drawn(ui::GRAPHVideo);
    const auto& x = p().xArray8;
    EXPECT_TRUE(LineNear(image, ui::GRAPHVideo, x[64], 256, kRed));
    EXPECT_TRUE(LineNear(image, ui::GRAPHVideo, x[200], 800, kRed));
    EXPECT_TRUE(LineNear(image, ui::GRAPHVideo, x[40], 512, kDarkGreen));
    EXPECT_TRUE(LineNear(image, ui::GRAPHVideo, x[220], 512, kDarkGreen));
    EXPECT_FALSE(LineNear(image, ui::GRAPHVideo, x[64], 800, kRed));
}

TEST_F(Display, StripChartShowsFiveTracesNewestRightAndZoomsOnTheSetpoint) {
    auto* strip = Plot(ui::STRIPRaw);
    engine_->SetCtrlAttribute(p().pHandle, ui::STRIPRaw, platform::ATTR_VISIBLE, 1);
    p().tVal = 300, p().tol = 5, p().Mvalue = 330, p().anaMax = 444, p().anaMode = 2;
    engine_->SetCtrlVal(p().pHandle, ui::BINSW_Zoom, 1);
    for (int group = 0; group < 10; ++group)
        PlotRAWGraphX8(p());

    ASSERT_EQ(strip->graphCount(), 5);
    const QColor colours[] = {kDarkGreen, kDarkGreen, QColor(Qt::black), kRed, kRed};
    const double newest[] = {305, 295, 300, 330, 444};  // limits, setpoint, measured, anaMax
    for (int t = 0; t < 5; ++t) {
        const QCPGraph* trace = strip->graph(t);
        EXPECT_EQ(trace->pen().color(), colours[t]) << t;
        ASSERT_EQ(trace->data()->size(), 100) << t;
        EXPECT_EQ((trace->data()->constEnd() - 1)->key, 100) << t;  // at the right edge
        EXPECT_EQ((trace->data()->constEnd() - 1)->value, newest[t]) << t;
        EXPECT_EQ(trace->data()->constBegin()->value, 0) << t;  // history still empty
    }
    EXPECT_EQ(strip->xAxis->range(), QCPRange(0, 100));
    EXPECT_EQ(strip->yAxis->range(), QCPRange(280, 340));  // Mvalue above tVal + 2 x 20

    const QImage image = Drawn(ui::STRIPRaw);
    EXPECT_TRUE(LineNear(image, ui::STRIPRaw, 95, 330, kRed));
    EXPECT_TRUE(LineNear(image, ui::STRIPRaw, 95, 305, kDarkGreen));
    EXPECT_FALSE(LineNear(image, ui::STRIPRaw, 95, 320, kRed));

    p().tVal = 10, p().tol = 30, p().Mvalue = 10, p().anaMode = 3, p().anaMin = 8191;
    PlotRAWGraphX8(p());
    EXPECT_EQ(strip->yAxis->range(), QCPRange(1, 70));
    EXPECT_EQ((strip->graph(1)->data()->constEnd() - 1)->value, 0);    // lower limit below 1
    EXPECT_EQ((strip->graph(4)->data()->constEnd() - 1)->value, 1);    // anaMin at full scale
    EXPECT_EQ((strip->graph(3)->data()->constEnd() - 2)->value, 330);  // a group older now

    engine_->SetCtrlVal(p().pHandle, ui::BINSW_Zoom, 0);
    PlotRAWGraphX8(p());
    EXPECT_EQ(strip->yAxis->range(), QCPRange(0, 8192));
}

}  // namespace
}  // namespace systest
