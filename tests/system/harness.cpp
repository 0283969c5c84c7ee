#include "harness.h"

#include <QApplication>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>

#include "options.h"
#include "panel_ids.h"

namespace systest {

namespace {

platform::Toolkit* toolkit = nullptr;

void SetPortDevice(int port, const std::string& device) {
    setenv(("TAVRIX_COM" + std::to_string(port)).c_str(), device.c_str(), 1);
}

}  // namespace

std::vector<sim::Answer> ReplayedAnswers(const sim::PtyServer& sensor, const std::string& options) {
    sim::Responder fresh(sim::ParseOptionString(options).options.sensor);
    std::vector<sim::Answer> answers;
    for (const auto& r : sensor.Log())
        answers.push_back(fresh.Respond(r.bytes));
    return answers;
}

void ProgramTest::SetUpTestSuite() {
    if (toolkit != nullptr) return;
    // What the program remembers goes to this process's own folder, not the user's settings.
    static QTemporaryDir settings, data;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    // The change log and the recovery file too.
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    toolkit = new platform::Toolkit();  // lives for the whole process
}

void ProgramTest::TearDown() {
    if (started_) EndProgram(*program_);
    program_.reset();
    ports_.reset();
    engine_.reset();
    if (sensor_) sensor_->Stop();
    sensor_.reset();
}

sim::PtyServer& ProgramTest::StartSensor(const std::string& options, int port) {
    const sim::ParsedOptions parsed = sim::ParseOptionString(options);
    EXPECT_TRUE(parsed.ok) << parsed.error;
    sim::ServerOptions server;
    server.baud = parsed.options.baud;
    server.burst = parsed.options.burst;
    server.faults = parsed.options.faults;
    sensor_ = std::make_unique<sim::PtyServer>(parsed.options.sensor, server);
    EXPECT_TRUE(sensor_->Start()) << sensor_->error();
    SetPortDevice(port, sensor_->slavePath());
    return *sensor_;
}

void ProgramTest::NoSensor(int port) {
    SetPortDevice(port, "/dev/tavrix-no-such-device");
}

void ProgramTest::StartProgram() {
    engine_ = std::make_unique<platform::Engine>();
    ports_ = std::make_unique<platform::Rs232>(*engine_);
    program_ = std::make_unique<Program>(*engine_, *ports_);
    ASSERT_EQ(::StartProgram(*program_), 0);
    started_ = true;
}

QWidget* ProgramTest::Ctrl(int id) const {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() != ui::kMainPanelName) continue;
        if (auto* w = top->findChild<QWidget*>(ui::kControlNames[id])) return w;
    }
    ADD_FAILURE() << "no control " << ui::kControlNames[id];
    return nullptr;
}

std::string ProgramTest::Status() const {
    return CtrlAs<QLineEdit>(ui::TEXTStatus)->text().toStdString();
}

void ProgramTest::Click(int id) {
    QTest::mouseClick(Ctrl(id), Qt::LeftButton);
}

void ProgramTest::EnterValue(int id, int value) {
    auto* box = CtrlAs<QAbstractSpinBox>(id);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QString::number(value));
    QTest::keyClick(box, Qt::Key_Return);
}

void ProgramTest::After(double seconds, std::function<void()> action) {
    QTimer::singleShot(static_cast<int>(seconds * 1000), qApp, std::move(action));
}

void ProgramTest::Pump(double seconds) {
    const double end = Now() + seconds;
    while (Now() < end)
        engine_->ProcessSystemEvents();
}

bool ProgramTest::PumpUntil(const std::function<bool()>& done, double seconds) {
    const double end = Now() + seconds;
    while (!done() && Now() < end)
        engine_->ProcessSystemEvents();
    return done();
}

std::vector<int> ProgramTest::RequestCodes() const {
    std::vector<int> codes;
    for (const auto& r : sensor_->Log())
        codes.push_back(r.code);
    return codes;
}

}  // namespace systest
