// The port selector follows the hardware: devices that come and go, the chosen device kept
// whatever its place in the list, and a chosen device that is unplugged.
#include <unistd.h>
#include <QAbstractItemView>
#include <QComboBox>
#include <cstdlib>

#include "harness.h"
#include "panel_ids.h"

namespace systest {
namespace {

// Devices are named through links in a folder of the test's own: a pseudo-terminal's number is
// soon given to another one, so a link that goes away is the one sure way for a device to vanish.
class PortList : public ProgramTest {
  protected:
    void SetUp() override {
        char name[] = "/tmp/tavrix-ports-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        folder_ = name;
    }
    void TearDown() override {
        ProgramTest::TearDown();
        for (int port : {1, 2, 3}) {
            ::unsetenv(("TAVRIX_COM" + std::to_string(port)).c_str());
            ::unlink(Link(port).c_str());
        }
        ::rmdir(folder_.c_str());
    }

    std::string Link(int port) const { return folder_ + "/tty" + std::to_string(port); }
    // Makes `device` port `port` through a link; returns the link's path.
    std::string Name(int port, const std::string& device) {
        EXPECT_EQ(::symlink(device.c_str(), Link(port).c_str()), 0);
        ::setenv(("TAVRIX_COM" + std::to_string(port)).c_str(), Link(port).c_str(), 1);
        return Link(port);
    }
    void Unplug(int port) { ::unlink(Link(port).c_str()); }
    // A sensor on a pseudo-terminal of its own, named as port `port`.
    std::unique_ptr<sim::PtyServer> Plug(int port) {
        auto device = std::make_unique<sim::PtyServer>();
        EXPECT_TRUE(device->Start()) << device->error();
        Name(port, device->slavePath());
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

    std::string folder_;
};

TEST_F(PortList, DevicesComeAndGoAndTheChoiceStaysWithItsDevice) {
    StartSensor();
    auto third = Plug(3);
    StartProgram();
    Choose(3);
    ASSERT_EQ(List()->currentIndex(), 1);

    // Opening the list looks again: a device plugged in since shows at once, before the chosen.
    auto second = Plug(2);
    const std::string secondPath = Link(2);
    List()->showPopup();
    EXPECT_TRUE(Listed(secondPath));
    EXPECT_EQ(Chosen(), "COM3  " + Link(3));
    const QString longest = List()->itemText(List()->findData(3));
    EXPECT_GT(List()->view()->minimumWidth(), List()->fontMetrics().horizontalAdvance(longest));
    List()->hidePopup();

    // Without opening the list, the watch sees it go.
    Unplug(2);
    second.reset();
    EXPECT_TRUE(PumpUntil([&] { return !Listed(secondPath); }, 5.0));
    EXPECT_EQ(Chosen(), "COM3  " + Link(3));
    EXPECT_EQ(p().com, 3);
}

TEST_F(PortList, UnpluggedChoiceIsToldOnceAndStaysMarked) {
    StartSensor();
    const std::string path = Name(1, sensor().slavePath());
    StartProgram();
    Unplug(1);
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
