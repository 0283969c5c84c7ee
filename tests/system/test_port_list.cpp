// The port selector follows the hardware: devices that come and go, the chosen device kept
// whatever its place in the list, and a chosen device that is unplugged.
#include <QAbstractItemView>
#include <QComboBox>
#include <cstdlib>

#include "harness.h"
#include "panel_ids.h"

namespace systest {
namespace {

class PortList : public ProgramTest {
  protected:
    void TearDown() override {
        ProgramTest::TearDown();
        for (int port : {2, 3})
            ::unsetenv(("TAVRIX_COM" + std::to_string(port)).c_str());
    }

    // A sensor on a pseudo-terminal of its own, named by TAVRIX_COM<port>.
    std::unique_ptr<sim::PtyServer> Plug(int port) {
        auto device = std::make_unique<sim::PtyServer>();
        EXPECT_TRUE(device->Start()) << device->error();
        ::setenv(("TAVRIX_COM" + std::to_string(port)).c_str(), device->slavePath().c_str(), 1);
        return device;
    }
    // As the user picks it: the list reports the pick.
    void Choose(int port) {
        const int index = List()->findData(port);
        ASSERT_GE(index, 0) << "port " << port << " is not listed";
        List()->setCurrentIndex(index);
        emit List()->activated(index);
    }
    QComboBox* List() const { return CtrlAs<QComboBox>(ui::DropDCom); }
    bool Listed(const std::string& device) const {
        return List()->findText(QString::fromStdString(device), Qt::MatchContains) >= 0;
    }
    std::string Chosen() const { return List()->currentText().toStdString(); }
};

TEST_F(PortList, DevicesComeAndGoAndTheChoiceStaysWithItsDevice) {
    StartSensor();
    auto third = Plug(3);
    StartProgram();
    Choose(3);
    ASSERT_EQ(List()->currentIndex(), 1);

    // Opening the list looks again: a device plugged in since shows at once, before the chosen.
    auto second = Plug(2);
    const std::string secondPath = second->slavePath();
    List()->showPopup();
    EXPECT_TRUE(Listed(secondPath));
    EXPECT_EQ(Chosen(), "COM3  " + third->slavePath());
    const QString longest = List()->itemText(List()->findData(3));
    EXPECT_GT(List()->view()->minimumWidth(), List()->fontMetrics().horizontalAdvance(longest));
    List()->hidePopup();

    // Without opening the list, the watch sees it go.
    second.reset();
    EXPECT_TRUE(PumpUntil([&] { return !Listed(secondPath); }, 5.0));
    EXPECT_EQ(Chosen(), "COM3  " + third->slavePath());
    EXPECT_EQ(p().com, 3);
}

TEST_F(PortList, UnpluggedChoiceIsToldOnceAndStaysMarked) {
    StartSensor();
    StartProgram();
    const std::string path = sensor().slavePath();
    sensor().Stop();
    const std::string told =
        "COM1 (" + path + ") was unplugged - plug it in again or choose another port";
    ASSERT_TRUE(PumpUntil([&] { return Status() == told; }, 5.0)) << Status();
    EXPECT_EQ(Chosen(), "COM1  " + path + "  (not present)");

    // No further word while it stays away.
    p().rt.SetCtrlVal(p().pHandle, ui::TEXTStatus, "-");
    Pump(1.5);
    EXPECT_EQ(Status(), "-");
}

}  // namespace
}  // namespace systest
