// Panel loading, control values by kind, attributes, run-time text messages and pictures.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>

#include "binary_switch.h"
#include "graph_widget.h"
#include "panel_ids.h"
#include "strip_chart.h"
#include "ui_test_support.h"

using namespace platform;

namespace {

class PanelTest : public test::FixturePanel {};

TEST(PanelLoad, ReportsMissingFileMissingPanelAndUnknownHandles) {
    test::EnsureToolkit();
    Engine engine;
    QTemporaryDir dir;
    const QString garbage = dir.filePath("garbage.ui");
    QFile f(garbage);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\x01\x02 not a panel file <<<");
    f.close();

    EXPECT_EQ(engine.LoadPanel(0, dir.filePath("absent.ui").toStdString(), "PANEL"), kErrNoFile);
    EXPECT_EQ(engine.LoadPanel(0, garbage.toStdString(), "PANEL"), kErrNoFile);
    EXPECT_EQ(engine.LoadPanel(0, TAVRIX_FIXTURE_PANELS, "NOPANEL"), kErrNoPanel);
    EXPECT_EQ(engine.LoadPanel(0, TAVRIX_FIXTURE_PANELS, ""), kErrNoPanel);
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

// The program's own panel file: every identifier names a control of the expected kind.
TEST(PanelLoad, RealPanelFileHasEveryControl) {
    test::EnsureToolkit();
    if (!QFile::exists(TAVRIX_PANEL_FILE)) GTEST_SKIP() << "panel file not present";
    Engine engine;
    const int main = engine.LoadPanel(0, TAVRIX_PANEL_FILE, ui::kMainPanelName);
    ASSERT_GT(main, 0);
    EXPECT_GT(engine.LoadPanel(0, TAVRIX_PANEL_FILE, ui::kPopupPanelName), 0);
    for (int id = 1; id < ui::kCtrlCount; ++id)
        EXPECT_NE(engine.impl().widget(main, id), nullptr) << ui::kControlNames[id];
    auto* bar = engine.impl().widgetAs<GraphWidget>(main, ui::GRAPHBar);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->cursorCount(), 3);
    EXPECT_NE(engine.impl().widgetAs<StripChartWidget>(main, ui::STRIPRaw), nullptr);
    EXPECT_NE(engine.impl().widgetAs<BinarySwitch>(main, ui::BINSW_Zoom), nullptr);
}

TEST_F(PanelTest, ValuesByControlKind) {
    struct Case {
        int control;
        int set;
        int expect;
    };
    const Case cases[] = {
        {ui::NUMPower, 1234, 1234}, {ui::NUMPower, 70000, 65535}, {ui::NUMPower, -5, 0},
        {ui::TOGGBTN_ParaII, 1, 1}, {ui::TOGGBTN_ParaII, 0, 0},   {ui::RBTRam, 7, 1},
        {ui::BINSW_OpMode, 0, 0},   {ui::BINSW_OpMode, 1, 1},     {ui::NUMCorr, 3, 3},
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
    EXPECT_EQ(engine->SetCtrlVal(panel, ui::NUMCorr, 1.2345), 0);
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
}

TEST_F(PanelTest, SwitchTakesItsStartPositionAndTextsFromTheFile) {
    auto* sw = controlAs<BinarySwitch>(ui::BINSW_OpMode);
    EXPECT_EQ(sw->value(), 1);
    EXPECT_EQ(sw->offText(), "Mode 0");
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::BINSW_OpMode, ATTR_ON_TEXT, "Zoom"), 0);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::BINSW_OpMode, ATTR_OFF_TEXT, "Full"), 0);
    EXPECT_EQ(sw->onText(), "Zoom");
    EXPECT_EQ(sw->offText(), "Full");
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_ON_TEXT, "x"), kErrNotSupported);
}

TEST_F(PanelTest, DropDownListItemsAndSelection) {
    EXPECT_EQ(engine->InsertListItem(panel, ui::DropDCom, -1, "COM1", 1), 0);
    EXPECT_EQ(engine->InsertListItem(panel, ui::DropDCom, -1, "COM3", 3), 0);
    EXPECT_EQ(engine->InsertListItem(panel, ui::DropDCom, 0, "Simulated", 0), 0);
    auto* combo = controlAs<QComboBox>(ui::DropDCom);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), "Simulated");

    EXPECT_EQ(engine->SetCtrlVal(panel, ui::DropDCom, 3), 0);
    EXPECT_EQ(combo->currentText(), "COM3");
    EXPECT_EQ(engine->SetCtrlVal(panel, ui::DropDCom, 7), kErrBadValue);
    int v = -1;
    EXPECT_EQ(engine->GetCtrlVal(panel, ui::DropDCom, v), 0);
    EXPECT_EQ(v, 3);
    EXPECT_EQ(engine->ClearListCtrl(panel, ui::DropDCom), 0);
    EXPECT_EQ(engine->GetCtrlVal(panel, ui::DropDCom, v), kErrBadValue);
    EXPECT_EQ(engine->ClearListCtrl(panel, ui::NUMPower), kErrNotSupported);
}

TEST_F(PanelTest, SetCtrlValRaisesNoCallback) {
    for (int id : {ui::NUMPower, ui::NUMCorr, ui::TOGGBTN_ParaII, ui::RBTRam, ui::BINSW_OpMode,
                   ui::DropDCom, ui::TEXTStatus})
        record(id);
    engine->InsertListItem(panel, ui::DropDCom, -1, "COM2", 2);
    engine->InsertListItem(panel, ui::DropDCom, -1, "COM4", 4);
    engine->SetCtrlVal(panel, ui::NUMPower, 42);
    engine->SetCtrlVal(panel, ui::NUMCorr, 2.5);
    engine->SetCtrlVal(panel, ui::TOGGBTN_ParaII, 1);
    engine->SetCtrlVal(panel, ui::RBTRam, 1);
    engine->SetCtrlVal(panel, ui::BINSW_OpMode, 0);
    engine->SetCtrlVal(panel, ui::DropDCom, 4);
    engine->SetCtrlVal(panel, ui::TEXTStatus, "quiet");
    settle();
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(PanelTest, AttributesRoundTripAndFrameColourFillsTheBox) {
    struct Case {
        int attr;
        int value;
    };
    for (const Case& c : {Case{ATTR_DIMMED, 1}, Case{ATTR_DIMMED, 0}, Case{ATTR_VISIBLE, 0},
                          Case{ATTR_VISIBLE, 1}, Case{ATTR_TOP, 17}, Case{ATTR_LEFT, 23}}) {
        EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, c.attr, c.value), 0);
        int v = -1;
        EXPECT_EQ(engine->GetCtrlAttribute(panel, ui::NUMPower, c.attr, v), 0);
        EXPECT_EQ(v, c.value) << "attribute " << c.attr;
    }
    engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_DIMMED, 1);
    EXPECT_FALSE(control(ui::NUMPower)->isEnabled());

    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::DECOLogo, ATTR_FRAME_COLOR, 0x0080FF), 0);
    const QImage box = control(ui::DECOLogo)->grab().toImage();
    EXPECT_EQ(box.pixelColor(box.width() / 2, box.height() / 2), QColor(0x0080FF));

    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_NUM_TRACES, 5), kErrNotSupported);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, ui::NUMPower, ATTR_TEXT_FONT, 3), kErrBadValue);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, 999, ATTR_DIMMED, 1), kErrBadHandle);
}

TEST_F(PanelTest, NewTextMessageShowsItsWholeText) {
    const int id = engine->NewCtrl(panel, CTRL_TEXT_MSG, "", 35, 300);
    ASSERT_GE(id, ui::kCtrlCount);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, id, ATTR_TEXT_FONT, "NIApp"), 0);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, id, ATTR_TEXT_BGCOLOR, 0x0080FF), 0);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, id, ATTR_TEXT_COLOR, 0xFFFFFF), 0);
    EXPECT_EQ(engine->SetCtrlAttribute(panel, id, ATTR_TEXT_POINT_SIZE, 18), 0);
    EXPECT_EQ(engine->SetCtrlVal(panel, id, "Tavrix-Didor"), 0);

    auto* label = controlAs<QLabel>(id);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->pos(), QPoint(300, 35));
    EXPECT_EQ(label->font().family(), QApplication::font().family());
    EXPECT_EQ(label->font().pointSize(), 18);
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance("Tavrix-Didor"));
    EXPECT_EQ(label->accessibleName(), "Tavrix-Didor");
    EXPECT_TRUE(label->isVisible());
    int colour = 0;
    engine->GetCtrlAttribute(panel, id, ATTR_TEXT_BGCOLOR, colour);
    EXPECT_EQ(colour, 0x0080FF);
    EXPECT_NE(engine->NewCtrl(panel, CTRL_TEXT_MSG, "next", 0, 0), id);
    EXPECT_EQ(engine->NewCtrl(panel, 77, "x", 0, 0), kErrNotSupported);
}

TEST_F(PanelTest, PictureIsScaledIntoTheLabelKeepingItsShape) {
    QTemporaryDir dir;
    QImage image(200, 50, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const QString file = dir.filePath("logo.bmp");
    ASSERT_TRUE(image.save(file));

    EXPECT_EQ(engine->DisplayImageFile(panel, ui::PICLogo, file.toStdString()), 0);
    auto* label = controlAs<QLabel>(ui::PICLogo);
    const QSize shown = label->pixmap().deviceIndependentSize().toSize();
    EXPECT_EQ(shown, QSize(100, 25));  // the 100 x 50 label, 4:1 kept
    EXPECT_EQ(engine->DisplayImageFile(panel, ui::PICLogo, dir.filePath("none.bmp").toStdString()),
              kErrNoFile);
    EXPECT_EQ(label->pixmap().deviceIndependentSize().toSize(), shown);
}

TEST_F(PanelTest, DiscardedPanelIsUnknownAtOnceAndDestroyedLater) {
    QPointer<QWidget> window = engine->impl().panel(panel)->window.data();
    EXPECT_EQ(engine->DiscardPanel(panel), 0);
    EXPECT_EQ(engine->SetCtrlVal(panel, ui::NUMPower, 1), kErrBadHandle);
    EXPECT_EQ(engine->DiscardPanel(panel), kErrBadHandle);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

}  // namespace
