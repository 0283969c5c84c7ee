// The main window on small and large screens: it opens within the screen, every control can be
// scrolled into view unclipped, the plots take the extra space, and its geometry is remembered
// in the test's own settings. Run again at 200 % (test_window_hidpi).
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>

#include "harness.h"
#include "panel_ids.h"

namespace systest {
namespace {

class Window : public ProgramTest {
  protected:
    void SetUp() override {
        StartSensor("--baud 19200");
        StartProgram();
    }
    static QWidget* Main() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == ui::kMainPanelName && w->isVisible()) return w;
        return nullptr;
    }
    // A control of the shown main panel (an ended program's panel may linger until deleted).
    static QWidget* At(int id) { return Main()->findChild<QWidget*>(ui::kControlNames[id]); }
    void ResizeTo(QSize size) {
        Main()->resize(size);
        Pump(0.05);
    }
    // Scrolled into view, the control lies inside the window and inside each of its frames.
    ::testing::AssertionResult Reachable(QWidget* control) {
        auto* scroll = Main()->findChild<QScrollArea*>();
        if (scroll->widget()->isAncestorOf(control)) {
            const QPoint centre = control->mapTo(scroll->widget(), control->rect().center());
            scroll->ensureVisible(centre.x(), centre.y(), control->width() / 2 + 1,
                                  control->height() / 2 + 1);
        }
        const auto rectIn = [](const QWidget* w) {
            return QRect(w->mapTo(Main(), QPoint()), w->size());
        };
        const QRect r = rectIn(control);
        for (QWidget* a = control->parentWidget(); a != nullptr; a = a->parentWidget())
            if (!rectIn(a).contains(r))
                return ::testing::AssertionFailure()
                       << "clipped by " << a->objectName().toStdString();
        return ::testing::AssertionSuccess();
    }
};

TEST_F(Window, OpensWithinTheScreenAndScrollsEveryControlIntoViewOnSmallScreens) {
    const QRect screen = Main()->screen()->availableGeometry();
    EXPECT_LE(Main()->width(), screen.width());
    EXPECT_LE(Main()->height(), screen.height());
    for (QSize size : {QSize(1366, 768), QSize(1024, 600)}) {
        SCOPED_TRACE(size.width());
        ResizeTo(size);
        for (int id = 1; id < ui::kCtrlCount; ++id) {
            if (At(id)->isVisibleTo(Main())) {
                EXPECT_TRUE(Reachable(At(id))) << ui::kControlNames[id];
            }
        }
        // The status line stays in view wherever the panel is scrolled to.
        EXPECT_TRUE(Reachable(At(ui::BTNRun)));
        EXPECT_TRUE(Reachable(At(ui::TEXTStatus)));
    }
    auto* late = new QLabel(QStringLiteral("mark"), Main());  // added after start-up
    late->move(500, 400);
    Pump(0.05);
    EXPECT_EQ(late->parentWidget(), Main()->findChild<QScrollArea*>()->widget());
    EXPECT_EQ(late->pos(), QPoint(500, 400));
}

TEST_F(Window, PlotsTakeTheExtraSpaceAndTheRestKeepsItsPlace) {
    auto* content = Main()->findChild<QScrollArea*>()->widget();
    const QSize design = content->minimumSize();
    std::vector<QRect> before;
    for (int id = 1; id < ui::kCtrlCount; ++id)
        before.emplace_back(At(id)->mapTo(Main(), QPoint()), At(id)->size());
    ResizeTo(design + QSize(400, 400));  // no scroll bars: the window's margin around the content
    ResizeTo(design + (Main()->size() - content->size()) + QSize(300, 150));
    ASSERT_EQ(content->size(), design + QSize(300, 150));
    const auto now = [&](int id) { return QRect(At(id)->mapTo(Main(), QPoint()), At(id)->size()); };
    const auto was = [&](int id) { return before[static_cast<size_t>(id - 1)]; };
    EXPECT_EQ(now(ui::GRAPHVideo).size(), was(ui::GRAPHVideo).size() + QSize(300, 100));
    EXPECT_EQ(now(ui::GRAPHBar).size(), was(ui::GRAPHBar).size() + QSize(300, 50));
    EXPECT_EQ(now(ui::GRAPHBar).topLeft(), was(ui::GRAPHBar).topLeft() + QPoint(0, 100));
    EXPECT_EQ(now(ui::NUMMvalue).topLeft(), was(ui::NUMMvalue).topLeft() + QPoint(300, 0));
    for (int id : {ui::BTNRun, ui::NUMPower, ui::NEDITTolerance, ui::DECOLogo})
        EXPECT_EQ(now(id), was(id)) << ui::kControlNames[id];
}

TEST_F(Window, GeometryIsRememberedInTheTestsOwnSettings) {
    ResizeTo(QSize(1100, 650));
    EndProgram(p());
    started_ = false;
    Pump(0.05);
    EXPECT_TRUE(QSettings(QStringLiteral("Tavrix"), QStringLiteral("Tavrix-Didor"))
                    .fileName()
                    .startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    StartProgram();
    EXPECT_EQ(Main()->size(), QSize(1100, 650));
}

}  // namespace
}  // namespace systest
