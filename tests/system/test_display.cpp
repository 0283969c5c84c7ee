// What the bar graph, the video graph and the strip chart show for a measurement: colours read
// from the drawn image at data coordinates, rectangle spans, cursors, axis ranges and traces.
#include <qcustomplot.h>

#include "gui.h"
#include "harness.h"
#include "panel_ids.h"

namespace systest {
namespace {

const QColor kRed(0xFF0000), kGreen(0x00FF00), kDarkGreen(0x008000);

class Display : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 0");  // its hardware profile: positions 1..1024, 8192 eight-fold
        StartProgram();
    }

    QCustomPlot* Plot(int id) { return CtrlAs<QCustomPlot>(id); }

    // The plot as drawn now (replotted at once, not at the next frame).
    QImage Drawn(int id) {
        engine_->SetCtrlAttribute(p().pHandle, id, platform::ATTR_VISIBLE, 1);
        Plot(id)->replot(QCustomPlot::rpImmediateRefresh);
        return Plot(id)->grab().toImage();
    }

    // Whether a pixel within `reach` pixels of (x, y) has the colour's hue: strong in the
    // colour's strongest channels, weak in the others. Lines are smoothed, areas are exact.
    bool ColourNear(const QImage& image, int id, double x, double y, QColor colour, int reach = 2) {
        const QPointF at(Plot(id)->xAxis->coordToPixel(x), Plot(id)->yAxis->coordToPixel(y));
        const QPoint centre = (at * image.devicePixelRatio()).toPoint();
        const int want[] = {colour.red(), colour.green(), colour.blue()};
        const int top = std::max({want[0], want[1], want[2]});
        for (int dx = -reach; dx <= reach; ++dx)
            for (int dy = -reach; dy <= reach; ++dy) {
                const QColor c = image.pixelColor(centre + QPoint(dx, dy));
                const int got[] = {c.red(), c.green(), c.blue()};
                bool match = true;
                for (int i = 0; i < 3; ++i)
                    match &= want[i] == top ? got[i] >= top * 3 / 4 : got[i] < 128;
                if (match) return true;
            }
        return false;
    }

    // The x spans of the bar graph's shown rectangles of one fill colour, left to right.
    std::vector<std::pair<double, double>> Spans(const QColor& fill) {
        std::vector<std::pair<double, double>> spans;
        QCustomPlot* bar = Plot(ui::GRAPHBar);
        for (int i = 0; i < bar->itemCount(); ++i)
            if (auto* r = qobject_cast<QCPItemRect*>(bar->item(i));
                r != nullptr && r->visible() && r->brush().color() == fill)
                spans.emplace_back(r->topLeft->coords().x(), r->bottomRight->coords().x());
        std::sort(spans.begin(), spans.end());
        return spans;
    }
};

struct BarScene {
    const char* name;
    u16 eMode, Ledge, Redge, edcnt, mvstart, mvend, tVal, tol;
    std::vector<std::pair<double, double>> red, green;
    double cursor;
    std::vector<double> bare;  // positions where neither bars nor bands are drawn
};

TEST_F(Display, BarGraphDrawsBarsBandsCursorsAndDisplaysOfTheMeasurement) {
    const BarScene scenes[] = {
        {"one edge, rising", 0, 300, 0, 1, 1, 2, 500, 20, {{300, 1024}}, {{480, 520}}, 300, {150}},
        {"one edge, equal", 0, 300, 0, 1, 2, 2, 500, 20, {{1, 300}}, {{480, 520}}, 300, {700}},
        {"no edge", 1, 300, 700, 0, 0, 0, 500, 20, {{1, 300}, {700, 1024}}, {{480, 520}}, 700, {}},
        {"centred bands",
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
        {"centred, no edge",
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
        {"band below 1", 0, 300, 0, 1, 1, 2, 10, 20, {{300, 1024}}, {{1, 30}}, 300, {150}},
        {"band past the end", 0, 300, 0, 1, 1, 2, 1020, 10, {{300, 1024}}, {{1010, 1024}}, 300, {}},
    };
    for (const BarScene& s : scenes) {
        SCOPED_TRACE(s.name);
        p().eMode = s.eMode, p().Ledge = s.Ledge, p().Redge = s.Redge, p().edcnt = s.edcnt;
        p().mvstart = s.mvstart, p().mvend = s.mvend, p().tVal = s.tVal, p().tol = s.tol;
        p().Mvalue = s.Redge + 1;
        PlotVIDEOBarGraph(p());
        EXPECT_EQ(Spans(kRed), s.red);
        EXPECT_EQ(Spans(kGreen), s.green);
        double x = 0, y = 0;
        engine_->GetGraphCursor(p().pHandle, ui::GRAPHBar, 1, x, y);
        EXPECT_EQ(std::pair(x, y), std::pair(s.cursor, 0.75));
        for (int id : {ui::NUMMvalue, ui::NUMMvalue2, ui::NUMLedge, ui::NUMTolerance}) {
            int shown = -1;
            engine_->GetCtrlVal(p().pHandle, id, shown);
            EXPECT_EQ(shown, id == ui::NUMLedge       ? s.Ledge
                             : id == ui::NUMTolerance ? s.tol
                                                      : s.Redge + 1);
        }

        // Red bars span 0.25..1 and bands 0..0.35: probe at 0.6 and 0.2 (above the axis ticks).
        const QImage image = Drawn(ui::GRAPHBar);
        for (const auto& [from, to] : s.red)
            EXPECT_TRUE(ColourNear(image, ui::GRAPHBar, (from + to) / 2, 0.6, kRed, 0)) << from;
        for (const auto& [from, to] : s.green)
            EXPECT_TRUE(ColourNear(image, ui::GRAPHBar, (from + to) / 2, 0.2, kGreen, 0)) << from;
        for (double bare : s.bare) {
            EXPECT_FALSE(ColourNear(image, ui::GRAPHBar, bare, 0.6, kRed, 0)) << bare;
            EXPECT_FALSE(ColourNear(image, ui::GRAPHBar, bare, 0.2, kGreen, 0)) << bare;
        }
    }
}

TEST_F(Display, VideoCurveAndThresholdOverTheLineImage) {
    for (int i = 0; i < 256; ++i)
        p().adcbuf[i] = static_cast<u16>(4 * i);  // crosses the threshold 512 at sample 128
    p().thdArray.fill(512);
    PlotVIDEOCurve(p(), p().adcbuf.data(), p().xArray8.data());
    EXPECT_EQ(Plot(ui::GRAPHVideo)->yAxis->range(), QCPRange(0, p().YAXISMAX));

    const QImage image = Drawn(ui::GRAPHVideo);
    const auto& x = p().xArray8;
    EXPECT_TRUE(ColourNear(image, ui::GRAPHVideo, x[64], 256, kRed));
    EXPECT_TRUE(ColourNear(image, ui::GRAPHVideo, x[200], 800, kRed));
    EXPECT_FALSE(ColourNear(image, ui::GRAPHVideo, x[64], 800, kRed));
    EXPECT_TRUE(ColourNear(image, ui::GRAPHVideo, x[40], 512, kDarkGreen));
    EXPECT_TRUE(ColourNear(image, ui::GRAPHVideo, x[220], 512, kDarkGreen));
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
                  std::pair(100.0, newest[t]));       // at the right edge
        EXPECT_EQ(data.constBegin()->value, 0) << t;  // older history still empty
    }
    EXPECT_EQ(strip->xAxis->range(), QCPRange(0, 100));
    EXPECT_EQ(strip->yAxis->range(), QCPRange(280, 340));  // Mvalue above tVal + 2 x 20
    const QImage image = Drawn(ui::STRIPRaw);
    EXPECT_TRUE(ColourNear(image, ui::STRIPRaw, 95, 330, kRed));
    EXPECT_TRUE(ColourNear(image, ui::STRIPRaw, 95, 305, kDarkGreen));
    EXPECT_FALSE(ColourNear(image, ui::STRIPRaw, 95, 320, kRed));

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
