// Panel loading, control values by kind, attributes, run-time text messages and pictures.
#include <QApplication>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>

#include "binary_switch.h"
#include "panel_ids.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

class PanelTest : public test::FixturePanel {};

TEST(PanelLoad, ReportsMissingFileMissingPanelAndUnknownHandles) {
    test::EnsureToolkit();
    Engine engine;
    QTemporaryDir dir;

    EXPECT_EQ(engine.LoadPanel(0, dir.filePath("absent.ui").toStdString(), "PANEL"), kErrNoFile);
    EXPECT_EQ(engine.LoadPanel(0, TAVRIX_FIXTURE_PANELS, "NOPANEL"), kErrNoPanel);
    EXPECT_EQ(engine.LoadPanel(99, TAVRIX_FIXTURE_PANELS, "PANEL"), kErrBadHandle);

    const int popup = engine.LoadPanel(0, TAVRIX_FIXTURE_PANELS, "POPUP");
    ASSERT_GT(popup, 0);
    QWidget* window = engine.impl().panel(popup)->window;
    EXPECT_TRUE(window->isWindow());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Fixture popup");
    EXPECT_EQ(engine.SetCtrlVal(popup, ui::BTNRun, 1), kErrBadHandle);  // not on this panel
    EXPECT_EQ(engine.SetCtrlVal(popup + 1, ui::NUMLedge, 1), kErrBadHandle);
    EXPECT_EQ(engine.SetCtrlVal(popup, ui::NUMLedge, 12), 0);
}

// Values by kind; setting them raises no callback.
TEST_F(PanelTest, ValuesByControlKind) {
    EXPECT_EQ(controlAs<BinarySwitch>(ui::BINSW_OpMode)->value(), 1);  // from the file
    for (int id : {ui::NUMPower, ui::NUMCorr, ui::TOGGBTN_ParaII, ui::RBTRam, ui::BINSW_OpMode,
                   ui::TEXTStatus})
        record(id);
    struct Case {
        int control, set, expect;
    };
    const Case cases[] = {
        {ui::NUMPower, 1234, 1234}, {ui::NUMPower, 70000, 65535}, {ui::NUMPower, -5, 0},
        {ui::TOGGBTN_ParaII, 1, 1}, {ui::TOGGBTN_ParaII, 0, 0},   {ui::RBTRam, 7, 1},
        {ui::BINSW_OpMode, 0, 0},   {ui::NUMCorr, 3, 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(engine->SetCtrlVal(panel, c.control, c.set), 0) << c.control;
        int v = -1;
        EXPECT_EQ(engine->GetCtrlVal(panel, c.control, v), 0);
        EXPECT_EQ(v, c.expect) << ui::kControlNames[c.control] << " set " << c.set;
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
    int v = 0;
    EXPECT_EQ(engine->GetCtrlVal(panel, ui::TEXTStatus, v), kErrBadValue);
    EXPECT_EQ(engine->SetCtrlVal(panel, ui::NUMPower, "12"), kErrBadValue);
    EXPECT_EQ(engine->SetCtrlVal(panel, ui::BTNRun, 1), kErrBadValue);  // a plain button has none
    settle();
    EXPECT_TRUE(events.empty());
}

TEST_F(PanelTest, AttributesRoundTripAndFrameColourFillsTheBox) {
    for (auto [attr, value] : {std::pair{ATTR_DIMMED, 1},
                               {ATTR_DIMMED, 0},
                               {ATTR_VISIBLE, 0},
                               {ATTR_VISIBLE, 1},
                               {ATTR_TOP, 17},
                               {ATTR_LEFT, 23}}) {
        EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, attr, value), 0);
        int v = -1;
        EXPECT_EQ(engine->GetCtrlAttribute(panel, ui::NUMPower, attr, v), 0);
        EXPECT_EQ(v, value) << "attribute " << attr;
    }
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::DECOLogo, ATTR_FRAME_COLOR, 0x0080FF), 0);
    const QImage box = control(ui::DECOLogo)->grab().toImage();
    EXPECT_EQ(box.pixelColor(box.width() / 2, box.height() / 2), QColor(0x0080FF));

    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::BINSW_OpMode, ATTR_ON_TEXT, "Zoom"), 0);
    EXPECT_EQ(controlAs<BinarySwitch>(ui::BINSW_OpMode)->onText(), "Zoom");
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_ON_TEXT, "x"), kErrNotSupported);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_NUM_TRACES, 5), kErrNotSupported);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_TEXT_FONT, 3), kErrBadValue);
}

TEST_F(PanelTest, NewTextMessageShowsItsWholeText) {
    const int id = engine->NewCtrl(panel, CTRL_TEXT_MSG, "", 35, 300);
    ASSERT_GE(id, ui::kCtrlCount);
    engine->SetCtrlAttribute(panel, id, ATTR_TEXT_FONT, "NIApp");
    engine->SetCtrlAttribute(panel, id, ATTR_TEXT_BGCOLOR, 0x0080FF);
    engine->SetCtrlAttribute(panel, id, ATTR_TEXT_POINT_SIZE, 18);
    EXPECT_EQ(engine->SetCtrlVal(panel, id, "Tavrix-Didor"), 0);

    auto* label = controlAs<QLabel>(id);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->pos(), QPoint(300, 35));
    EXPECT_EQ(label->font().family(), QApplication::font().family());
    EXPECT_EQ(label->font().pointSize(), 18);
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance("Tavrix-Didor"));
    EXPECT_EQ(label->accessibleName(), "Tavrix-Didor");
    EXPECT_TRUE(label->isVisible());
    EXPECT_NE(engine->NewCtrl(panel, CTRL_TEXT_MSG, "next", 0, 0), id);
}

TEST_F(PanelTest, PictureIsScaledIntoTheLabelKeepingItsShape) {
    QTemporaryDir dir;
    QImage image(200, 50, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(dir.filePath("logo.bmp")));

    EXPECT_EQ(engine->DisplayImageFile(panel, ui::PICLogo, dir.filePath("logo.bmp").toStdString()),
              0);
    auto* label = controlAs<QLabel>(ui::PICLogo);
    EXPECT_EQ(label->pixmap().deviceIndependentSize().toSize(), QSize(100, 25));  // 100 x 50 label
    EXPECT_EQ(engine->DisplayImageFile(panel, ui::PICLogo, dir.filePath("none.bmp").toStdString()),
              kErrNoFile);
    EXPECT_EQ(label->pixmap().deviceIndependentSize().toSize(), QSize(100, 25));
}

}  // namespace
