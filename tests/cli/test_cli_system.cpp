// tavrix-cli as a script runs it: a child process against the simulated sensor on a
// pseudo-terminal, judged by its exit code, its output and what the sensor received.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli_format.h"
#include "options.h"
#include "pty_server.h"

namespace {

struct Outcome {
    int code;
    std::string out, err;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteRecord(const std::string& path, Record record) {
    std::ofstream(path) << RecordFileText(record);
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::ServerOptions options;
        options.baud = 19200;
        sensor_ = std::make_unique<sim::PtyServer>(sim::SensorConfig{}, options);
        ASSERT_TRUE(sensor_->Start()) << sensor_->error();
    }

    std::string Path(const std::string& name) const {
        return ::testing::TempDir() + "tavrix_cli_" + name;
    }

    // Runs tavrix-cli on the simulated sensor's line unless the arguments name a port.
    Outcome Cli(const std::string& args) const {
        const std::string port =
            args.find("--port") == std::string::npos ? " --port " + sensor_->slavePath() : "";
        const std::string command =
            std::string(TAVRIX_CLI) + " " + args + port + " >" + Path("out") + " 2>" + Path("err");
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(Path("out")),
                ReadText(Path("err"))};
    }

    std::unique_ptr<sim::PtyServer> sensor_;
};

TEST_F(CliTest, BackupThenRestoreIsExactAndCompareShowsDifferences) {
    const std::string backup = Path("backup.dat"), changed = Path("changed.dat");
    Record ram = sensor_->Ram();
    ram[12] = 4321;  // a word the panel does not show travels all the same
    sensor_->SetRecords(ram, sensor_->Eeprom());

    ASSERT_EQ(Cli("get --from ram -o " + backup).code, 0);
    EXPECT_EQ(ReadText(backup), RecordFileText(ram));
    EXPECT_EQ(Cli("get --from ram").out, RecordFileText(ram));
    const Outcome restored = Cli("send " + backup + " --to eeprom --verify");
    EXPECT_EQ(restored.code, 0) << restored.err;
    EXPECT_EQ(Record(sensor_->Eeprom()), ram);

    Record edited = ram;
    edited[3] = 5;
    WriteRecord(changed, edited);
    ASSERT_EQ(Cli("send " + changed + " --to ram --verify").code, 0);
    const Outcome compared = Cli("compare " + changed);
    EXPECT_EQ(compared.code, 4);
    EXPECT_NE(compared.out.find("   3 anaMode          5       0       5  *"), std::string::npos)
        << compared.out;
    EXPECT_EQ(compared.err,
              "tavrix-cli: compare: eeprom differs from ram in word 3 (anaMode): "
              "ram 5, eeprom 0\n");
}

TEST_F(CliTest, CommandsAndFailuresExitWithTheirCodes) {
    Record limited = sensor_->Ram();
    limited[2] = 10;  // below the threshold's lower limit of 50: the panel sends 50
    WriteRecord(Path("limited.dat"), limited);
    std::ofstream(Path("bad.dat")) << "500 0 512 x\n";
    struct Case {
        const char* args;
        const char* fault;  // tavrix-sim fault, or ""
        int code;
        const char* expected;  // in standard output (code 0) or error (else)
    };
    const Case cases[] = {
        {"identify", "", 0, "firmware       TAVRIX-DIDOR SIM V1.52\n"},
        {"teach --json", "", 0, "{\"setpoint\":"},
        {"reset-maxmin", "", 0, "reset  true\n"},
        {"get --to ram", "", 2, "--to does not go with get"},
        {"identify --port /dev/tavrix-no-such-device", "", 3, "cannot open port 1"},
        {"identify", "silent", 3, "no sensor answering on port 1"},
        {"run --count 5", "silent-after=2@8", 3, "stopped answering after 2 measurements"},
        {"send limited.dat --to ram --verify", "", 4, "word 2 (vThd): file 10, ram 50"},
        {"send bad.dat --to ram", "", 5, "bad.dat: Parameter file holds a value that is no number"},
        {"run --count 1 --csv /no-such-dir/m.csv", "", 5, "cannot write"},
    };
    for (const auto& c : cases) {
        std::vector<sim::Fault> faults;
        if (*c.fault) faults.push_back(*sim::ParseFault(c.fault, nullptr));
        sensor_->SetFaults(faults);
        std::string args = c.args;
        for (const char* name : {"limited.dat", "bad.dat"})
            if (const auto at = args.find(name); at != std::string::npos)
                args.replace(at, std::string(name).size(), Path(name));
        const long before = sensor_->RequestCount();
        const Outcome o = Cli(args);
        EXPECT_EQ(o.code, c.code) << c.args << "\n" << o.err;
        const std::string& text = c.code == 0 ? o.out : o.err;
        EXPECT_NE(text.find(c.expected), std::string::npos) << c.args << "\n" << text;
        if (c.code != 0) {
            EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << c.args << ": one line";
        }
        if (c.code == 5 || c.code == 2) {
            EXPECT_EQ(sensor_->RequestCount(), before) << c.args << ": nothing sent";
        }
    }
    const std::string rows = Cli("run --count 3").out;
    EXPECT_EQ(rows.rfind("cycle,utc,seconds,Ledge,Redge,Mvalue,tVal,", 0), 0u) << rows;
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 4) << rows;
}

// A number of a one-line JSON object, or -1 when the field is not there.
int JsonNumber(const std::string& json, const std::string& name) {
    const auto at = json.find("\"" + name + "\":");
    return at == std::string::npos ? -1 : std::stoi(json.substr(at + name.size() + 3));
}

// Against a still bright object on a dark background whose edges and levels are known: the
// proposals lie within bounds of them and nothing is written until the proposal is applied.
TEST_F(CliTest, SetupProposesFromTheSceneAndAppliesOnlyWhenAsked) {
    sim::SensorConfig still;
    still.scene = sim::SceneKind::StillBright;
    sensor_ = std::make_unique<sim::PtyServer>(still, sim::ServerOptions{});
    ASSERT_TRUE(sensor_->Start()) << sensor_->error();
    const Record before = sensor_->Ram();  // polarity 1: a dark object is expected
    const Outcome reversed = Cli("setup --propose --video-cycles 3");
    EXPECT_EQ(reversed.code, 6);
    EXPECT_EQ(reversed.err,
              "tavrix-cli: setup: The object is the other way round from Polarity: check "
              "Polarity\n");

    Record bright = before;
    bright[4] = 0;  // polarity: a bright object
    bright[5] = 2;  // edge mode: the distance between the edges
    sensor_->SetRecords(bright, sensor_->Eeprom());
    sensor_->ClearLog();
    const std::string saved = Path("proposal.txt");
    const Outcome o = Cli("setup --propose --json --run-cycles 50 -o " + saved);
    ASSERT_EQ(o.code, 0) << o.err;
    const double left = 4 * sim::Scene::kStillLeft, right = 4 * sim::Scene::kStillRight;
    const double span = right - left;
    EXPECT_NEAR(JsonNumber(o.out, "video_threshold"), (sim::Scene::kDark + sim::Scene::kBright) / 2,
                10)
        << o.out;
    EXPECT_NEAR(JsonNumber(o.out, "left_edge_limit"), left - 0.1 * span, 3) << o.out;
    EXPECT_NEAR(JsonNumber(o.out, "right_edge_limit"), right + 0.1 * span, 3) << o.out;
    EXPECT_NEAR(JsonNumber(o.out, "setpoint"), span, 2) << o.out;
    EXPECT_GE(JsonNumber(o.out, "tolerance"), 1) << o.out;
    EXPECT_LE(JsonNumber(o.out, "tolerance"), 10) << o.out;
    EXPECT_EQ(JsonNumber(o.out, "measurements"), 50) << o.out;
    for (const auto& request : sensor_->Log())
        EXPECT_TRUE(request.code != 1 && request.code != 3 && request.code != 6 &&
                    request.code != 11)
            << "code " << request.code << " went out before Apply";
    EXPECT_EQ(Record(sensor_->Ram()), bright);

    ASSERT_EQ(Cli("setup --apply " + saved + " --to ram --verify").code, 0);
    const Record applied = sensor_->Ram();
    for (const auto& [word, name] : {std::pair{2, "video_threshold"},
                                     {6, "left_edge_limit"},
                                     {7, "right_edge_limit"},
                                     {8, "setpoint"},
                                     {9, "tolerance"}})
        EXPECT_EQ(applied[word], JsonNumber(o.out, name)) << name;
}

}  // namespace
