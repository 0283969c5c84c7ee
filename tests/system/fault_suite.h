// The fault table shared by the test_faults_*.cpp programs and the fault benchmark. Each row
// switches a fault of the simulated sensor on (or takes port 1 away), runs one exchange against it
// and checks the status, the time taken, the state left behind and the user's parameters; then
// that the program still processes events and can talk to a healthy sensor.
#pragma once

#include <ostream>
#include <string>

#include "exchange_outcome.h"
#include "harness.h"

namespace systest::faults {

// Walk: Get, Send, Teach, Reset, then Run and Video for a while each, on a sensor started up anew.
enum class Exchange { StartUp, Get, Teach, Reset, Run, Video, Send, Walk };
// Get, Teach, Reset, Send and Compare: pressed inside the running exchange; a loop is stopped a
// second later.
enum class During {
    Nothing,
    Stop,
    HangUp,
    ClosePanel,
    ChoosePort2,
    Get,
    Teach,
    Reset,
    Send,
    Compare
};

struct Row {
    const char* name;
    const char* sensor;  // port 1's sensor options, or "missing" / "busy" / "forbidden"
    const char* fault;   // switched on right before the exchange ("" none)
    Exchange exchange;
    const char* status;  // alternatives separated by '|'; of the nested exchange, if there is one
    double minSeconds, maxSeconds;
    During during = During::Nothing;  // done `at` seconds into the exchange
    double at = 0;
    const char* outer = nullptr;  // with a nested exchange: the status the outer one ends with
};

inline constexpr const char* kSpareFirmware = "SPARE-SENSOR-COM2";
inline constexpr const char* kRecordRead = "Parameter-frame received! - Line Ok!";
inline constexpr const char* kTimeout = "Timeout-RS-232...";
inline constexpr const char* kNotInSync = "read error - not sync byte 0xAA!";
inline constexpr const char* kLoopTimeout = "Timeout RS232-Line!";
inline constexpr const char* kLineOk = "Line Ok!";
inline constexpr const char* kResetOk = "Reset of analog-output Max/Min OK!";
inline constexpr const char* kPlain = "--baud 19200";
inline constexpr const char* kPaced = "--baud 19200";
inline constexpr const char* kBoard400 = "--baud 19200 --board 400";
inline constexpr const char* kTwice = "Sensor answered twice - repeated answer dropped!";
inline constexpr const char* kLate = "Late answer dropped!";
inline constexpr const char* kWalked = "walked";
inline constexpr const char* kCompared = "both records read";

struct Outcome {
    std::string status;
    ExchangeOutcome exchange = ExchangeOutcome::NotOpen;  // what the exchange function returned
    double seconds = 0, longestGap = 0;
    bool acted = false;
    std::vector<sim::Words> measurements;  // every measurement the loops took, in order
    std::vector<sim::Image> images;        // the line image before the loop, then each one drawn
};

// Watches every row from outside the checks: the fault benchmark measures CPU time and memory
// with it. Called on the test thread.
class RowObserver {
  public:
    virtual ~RowObserver() = default;
    virtual void ExchangeStarts() = 0;
    virtual void ActionStarts() = 0;  // the row's action, if it has one
    virtual void ExchangeEnded() = 0;
    virtual void RowDone(const Row& row, const Outcome& outcome, bool passed) = 0;
};
// Null removes it; the observer must outlive the rows it sees.
void SetRowObserver(RowObserver* observer);

class FaultTest : public ProgramTest, public ::testing::WithParamInterface<Row> {
  protected:
    void SetUp() override;
    void TearDown() override;
    void RunRow(const Row& row);

  private:
    void Prepare(const Row& row);
    Outcome Perform(const Row& row);
    void Verify(const Row& row, const Outcome& o);
    void Recover(const Row& row);
    void ExpectParameters(const Row& row);
    void ExpectRunRequestsCarryTheParameters();
    void ExpectEachMeasurementOnceInOrder(const Row& row, const Outcome& o);
    void ExpectImagesFromTheirOwnBlocks(const Row& row, const Outcome& o);
    void ExpectDroppedAnswers(const Row& row);
    std::string Walk(const Row& row);
    void Loop(int button, double seconds);
    void Act(During what);
    void ChoosePort(int port);
    int EventLoopResult();
    void StartSpare();
    void HoldPort1();
    void ForbidPort1();
    sim::Words StateWords();
    sim::Words PanelWords();
    long RunRequests();
    int GroupsDrawn();

    std::string nestedStatus_;
    long runsBeforeNested_ = 0;
    std::unique_ptr<sim::PtyServer> spare_;
    std::unique_ptr<platform::Engine> holderEngine_;
    std::unique_ptr<platform::Rs232> holder_;
};

void PrintTo(const Row& row, std::ostream* out);
std::string RowName(const ::testing::TestParamInfo<Row>& info);

}  // namespace systest::faults
