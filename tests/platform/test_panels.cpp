// Panel loading, control values by kind, attributes, run-time text messages and pictures.
#include <QApplication>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>
#include <tuple>

#include "binary_switch.h"
#include "panel_ids.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

class PanelTest : public test::FixturePanel {};

TEST(PanelLoad, ReportsMissingFileMissingPanelAndUnknownHandles) {
    test::EnsureToolkit();
    Engine engine;
    EXPECT_EQ(engine.LoadPanel(0, "/nonexistent/absent.ui", "PANEL"), kErrNoFile);
    EXPECT_EQ(engine.LoadPanel(0, TAVRIX_FIXTURE_PANELS, "NOPANEL"), kErrNoPanel);
    EXPECT_EQ(engine.LoadPanel(99, TAVRIX_FIXTURE_PANELS, "PANEL"), kErrBadHandle);

    const int popup = engine.LoadPanel(0, TAVRIX_FIXTURE_PANELS, "POPUP");
    ASSERT_GT(popup, 0);
    EXPECT_FALSE(engine.impl().panel(popup)->window->isVisible());
    EXPECT_EQ(engine.SetCtrlVal(popup, ui::BTNRun, 1), kErrBadHandle);  // not on this panel
    EXPECT_EQ(engine.SetCtrlVal(popup + 1, ui::NUMLedge, 1), kErrBadHandle);
    EXPECT_EQ(engine.SetCtrlVal(popup, ui::NUMLedge, 12), 0);
}

// Values by kind; setting them raises no callback.
TEST_F(PanelTest, ValuesByControlKind) {
    EXPECT_EQ(value(ui::BINSW_OpMode), 1);  // from the file
    for (int id : {ui::NUMPower, ui::NUMCorr, ui::TOGGBTN_ParaII, ui::RBTRam, ui::BINSW_OpMode,
                   ui::TEXTStatus})
        record(id);
    const std::tuple<int, int, int> cases[] = {
        {ui::NUMPower, 1234, 1234}, {ui::NUMPower, 70000, 65535}, {ui::NUMPower, -5, 0},
        {ui::TOGGBTN_ParaII, 1, 1}, {ui::TOGGBTN_ParaII, 0, 0},   {ui::RBTRam, 7, 1},
        {ui::BINSW_OpMode, 0, 0},   {ui::NUMCorr, 3, 3},
    };
    for (auto [id, set, expect] : cases) {
        EXPECT_EQ(engine->SetCtrlVal(panel, id, set), 0) << id;
        EXPECT_EQ(value(id), expect) << ui::kControlNames[id] << " set " << set;
    }

    // Unsigned 16-bit reads wrap; doubles pass through the floating-point control.
    controlAs<QSpinBox>(ui::NUMPower)->setMaximum(70000);
    engine->SetCtrlVal(panel, ui::NUMPower, 70000);
    unsigned short u = 0;
    EXPECT_EQ(engine->GetCtrlVal(panel, ui::NUMPower, u), 0);
    EXPECT_EQ(u, 70000 - 65536);
    double d = 0;
    engine->SetCtrlVal(panel, ui::NUMCorr, 1.2345);
    EXPECT_EQ(engine->GetCtrlVal(panel, ui::NUMCorr, d), 0);
    EXPECT_DOUBLE_EQ(d, 1.2345);

    std::string text;
    EXPECT_EQ(engine->SetCtrlVal(panel, ui::TEXTStatus, "Line Ok!"), 0);
    EXPECT_EQ(engine->GetCtrlVal(panel, ui::TEXTStatus, text), 0);
    EXPECT_EQ(text, "Line Ok!");
    EXPECT_EQ(engine->GetCtrlVal(panel, ui::TEXTStatus, u), kErrBadValue);
    EXPECT_EQ(engine->SetCtrlVal(panel, ui::NUMPower, "12"), kErrBadValue);
    EXPECT_EQ(engine->SetCtrlVal(panel, ui::BTNRun, 1), kErrBadValue);  // a plain button has none
    settle();
    EXPECT_TRUE(events.empty());
}

// Dimming, visibility and position are checked through the program; these attributes are not.
TEST_F(PanelTest, FrameColourFillsTheBoxAndSwitchTextsChange) {
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::DECOLogo, ATTR_FRAME_COLOR, 0x0080FF), 0);
    const QImage box = control(ui::DECOLogo)->grab().toImage();
    EXPECT_EQ(box.pixelColor(box.width() / 2, box.height() / 2), QColor(0x0080FF));

    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::BINSW_OpMode, ATTR_ON_TEXT, "Zoom"), 0);
    EXPECT_EQ(controlAs<BinarySwitch>(ui::BINSW_OpMode)->onText(), "Zoom");
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_ON_TEXT, "x"), kErrNotSupported);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_NUM_TRACES, 5), kErrNotSupported);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_TEXT_FONT, 3), kErrBadValue);
}

// Unmarking gives the look back whole, an inherited palette included.
TEST_F(PanelTest, MarkTintsTheFieldAndGivesItsLookBack) {
    QWidget* power = control(ui::NUMPower);
    const QImage before = power->grab().toImage();
    const bool ownPalette = power->testAttribute(Qt::WA_SetPalette);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_MARKED, 1), 0);
    int marked = 0;
    engine->GetCtrlAttribute(panel, ui::NUMPower, ATTR_MARKED, marked);
    EXPECT_EQ(marked, 1);
    const QImage tinted = power->grab().toImage();
    EXPECT_EQ(tinted.pixelColor(tinted.width() / 3, tinted.height() / 2), ToColor(kMarkColor));
    engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_MARKED, 0);
    EXPECT_EQ(power->testAttribute(Qt::WA_SetPalette), ownPalette);
    EXPECT_EQ(power->grab().toImage(), before);
}

// The logo's text lines: the font name maps to the application font; the label fits its text.
TEST_F(PanelTest, NewTextMessageShowsItsWholeText) {
    const int id = engine->NewCtrl(panel, CTRL_TEXT_MSG, "", 35, 300);
    ASSERT_GE(id, ui::kCtrlCount);
    engine->SetCtrlAttribute(panel, id, ATTR_TEXT_FONT, "NIApp");
    EXPECT_EQ(engine->SetCtrlVal(panel, id, "Tavrix-Didor"), 0);
    auto* label = controlAs<QLabel>(id);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->font().family(), QApplication::font().family());
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance("Tavrix-Didor"));
    EXPECT_NE(engine->NewCtrl(panel, CTRL_TEXT_MSG, "next", 0, 0), id);
}

// A missing file keeps the picture shown before.
TEST_F(PanelTest, PictureIsScaledIntoTheLabelKeepingItsShape) {
    QTemporaryDir dir;
    QImage image(200, 50, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(dir.filePath("logo.bmp")));
    const auto show = [&](const char* name) {
        return engine->DisplayImageFile(panel, ui::PICLogo, dir.filePath(name).toStdString());
    };
    EXPECT_EQ(show("logo.bmp"), 0);
    auto* label = controlAs<QLabel>(ui::PICLogo);
    EXPECT_EQ(label->pixmap().deviceIndependentSize().toSize(), QSize(100, 25));  // 100 x 50 label
    EXPECT_EQ(show("none.bmp"), kErrNoFile);
    EXPECT_EQ(label->pixmap().deviceIndependentSize().toSize(), QSize(100, 25));
}

}  // namespace
