// The application shell: missing panel file, start-up band and cursors, brand logos, the second
// parameter panel and the operating-mode switch.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <qcustomplot.h>
#include "harness.h"
#include "logo.h"
#include "panel_ids.h"

namespace systest {
namespace {

using Shell = ProgramTest;

TEST_F(Shell, MissingPanelFileEndsWithMinusOneBeforeShowingAnything) {
    QTemporaryDir dir;
    const QString copy = dir.filePath("tavrix-didor");
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + "/tavrix-didor", copy));
    QProcess program;
    program.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    program.start(copy, {});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 255);  // -1
}

TEST_F(Shell, StartValuesBandAndCursorsComeFromThePanel) {
    NoSensor();
    StartProgram();
    EXPECT_EQ(p().power, 500);
    EXPECT_EQ(p().corrX1024, 1024);
    EXPECT_EQ(p().stop_flag, 1);
    EXPECT_EQ(p().thdArray[255], 512);
    double x = 0, y = 0;
    engine_->GetGraphCursor(p().pHandle, ui::GRAPHBar, 1, x, y);
    EXPECT_EQ(x, 512);
    EXPECT_EQ(y, 1.0);
    engine_->GetGraphCursor(p().pHandle, ui::GRAPHBar, 3, x, y);
    EXPECT_EQ(x, 1024);

    auto* bar = CtrlAs<QCustomPlot>(ui::GRAPHBar);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->itemCount() > 0, true);
    bool foundBand = false;
    for (int i = 0; i < bar->itemCount(); ++i) {
        auto* rect = qobject_cast<QCPItemRect*>(bar->item(i));
        if (rect == nullptr) continue;
        const double left = std::min(rect->topLeft->coords().x(), rect->bottomRight->coords().x());
        const double right = std::max(rect->topLeft->coords().x(), rect->bottomRight->coords().x());
        foundBand |= left == 412 && right == 612 && rect->brush().color() == QColor(0x00FF00);
    }
    EXPECT_TRUE(foundBand) << "green band 412..612 from tVal 512 and tTol 100";
    // Without a sensor the axes span the start-up range, so band and cursors are in view.
    for (int id : {ui::GRAPHBar, ui::GRAPHVideo}) {
        const QCPRange axis = CtrlAs<QCustomPlot>(id)->xAxis->range();
        EXPECT_TRUE(axis.lower <= 1 && axis.upper >= 1024) << ui::kControlNames[id];
    }
}

struct Label {
    QString text;
    QPoint pos;
    QColor color;
};

std::vector<Label> TextLines(QWidget* panel) {
    std::vector<Label> lines;
    for (QLabel* l : panel->findChildren<QLabel*>()) {
        if (!l->property("tavrixTextMessage").toBool()) continue;  // made by the logo at run time
        lines.push_back({l->text(), l->pos(), l->palette().color(QPalette::WindowText)});
    }
    return lines;
}

TEST_F(Shell, BrandLogos) {
    NoSensor();
    StartProgram();
    QWidget* panel = Ctrl(ui::DECOLogo)->window();
    auto boxColour = [&] {
        int c = 0;
        engine_->GetCtrlAttribute(p().pHandle, ui::DECOLogo, platform::ATTR_FRAME_COLOR, c);
        return c;
    };
    EXPECT_EQ(boxColour(), 0x0080FF);  // brand 2 at start-up
    const size_t brand2Lines = TextLines(panel).size();
    ASSERT_EQ(brand2Lines, 5u);
    EXPECT_EQ(TextLines(panel)[0].text, "Merrow Optics");
    EXPECT_EQ(TextLines(panel)[3].pos, QPoint(300, 35));
    EXPECT_EQ(TextLines(panel)[4].text, "V.1.52");
    EXPECT_EQ(Ctrl(ui::PICLogo)->pos(), QPoint(300, 10));

    for (int brand : {5, -1, 7}) {
        ShowLogo(p(), brand);
        EXPECT_EQ(TextLines(panel).size(), brand2Lines) << brand;
        EXPECT_EQ(boxColour(), 0x0080FF) << brand;
    }

    ShowLogo(p(), 0);
    EXPECT_EQ(boxColour(), 0xFFFFFF);
    EXPECT_FALSE(Ctrl(ui::PICLogo)->isVisible());
    auto lines = TextLines(panel);
    ASSERT_EQ(lines.size(), brand2Lines + 2);  // name and version only
    EXPECT_EQ(lines[lines.size() - 2].pos, QPoint(20, 20));
    EXPECT_EQ(lines.back().pos, QPoint(170, 26));
    EXPECT_EQ(lines.back().color, QColor(0x808080));

    ShowLogo(p(), 1);
    EXPECT_EQ(boxColour(), 0x0080FF);
    EXPECT_EQ(TextLines(panel).back().color, QColor(0xFFFFFF));

    ShowLogo(p(), 3);  // bitmap, but no caption, telephone or web line
    EXPECT_EQ(Ctrl(ui::PICLogo)->pos(), QPoint(470, 8));
    EXPECT_EQ(TextLines(panel).size(), brand2Lines + 6);
}

TEST_F(Shell, SecondPanelFollowsItsToggleAndCloseBox) {
    NoSensor();
    StartProgram();
    QWidget* popup = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == ui::kPopupPanelName) popup = w;
    ASSERT_NE(popup, nullptr);
    EXPECT_FALSE(popup->isVisible());

    Click(ui::TOGGBTN_ParaII);
    EXPECT_TRUE(popup->isVisible());
    popup->close();  // the close box: the panel callback hides it and turns the toggle off
    EXPECT_FALSE(popup->isVisible());
    int toggle = 1;
    engine_->GetCtrlVal(p().pHandle, ui::TOGGBTN_ParaII, toggle);
    EXPECT_EQ(toggle, 0);
    Click(ui::TOGGBTN_ParaII);
    EXPECT_TRUE(popup->isVisible());
}

TEST_F(Shell, OperatingModeSwitchDimsItsDisplayWithoutChangingTheMode) {
    NoSensor();
    StartProgram();
    EXPECT_EQ(p().opMode, 0);
    Click(ui::BINSW_OpMode);
    EXPECT_FALSE(Dimmed(ui::NUMRightMaxX));
    EXPECT_EQ(p().opMode, 0);
    Click(ui::BINSW_OpMode);
    EXPECT_TRUE(Dimmed(ui::NUMRightMaxX));
}

}  // namespace
}  // namespace systest
