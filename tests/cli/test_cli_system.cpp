// tavrix-cli as a script runs it: a child process against the simulated sensor on a
// pseudo-terminal, judged by its exit code, its output and what the sensor received.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
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
        std::remove(Path("changes.jsonl").c_str());
        setenv("TAVRIX_LOG", Path("changes.jsonl").c_str(), 1);
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

// Every write is logged; `log` prints it. A log that cannot be written does not stop the write.
TEST_F(CliTest, SendIsLoggedAndLogPrintsIt) {
    Outcome listed = Cli("log");
    EXPECT_EQ(listed.code, 0);
    EXPECT_EQ(listed.out, "");  // no log yet
    Record edited = sensor_->Ram();
    edited[8] = 612;
    WriteRecord(Path("edited.dat"), edited);
    ASSERT_EQ(Cli("send " + Path("edited.dat") + " --to eeprom").code, 0);
    std::ofstream(Path("changes.jsonl"), std::ios::app) << "{\"time\": damaged\n";

    listed = Cli("log --since 2020-01-01");
    EXPECT_EQ(listed.code, 0);
    EXPECT_NE(listed.out.find("send-eeprom  answered  COM1 (" + sensor_->slavePath() + ")"),
              std::string::npos)
        << listed.out;
    EXPECT_NE(listed.out.find("Setpoint value ?->612"), std::string::npos) << listed.out;
    EXPECT_EQ(listed.err, "tavrix-cli: log: 1 damaged line skipped\n");
    EXPECT_EQ(Cli("log --since 2999-01-01T00:00+01:00").out, "");

    const std::string unwritable = Path("edited.dat") + "/changes.jsonl";  // under a file
    const Outcome unlogged = Cli("teach --log " + unwritable);
    EXPECT_EQ(unlogged.code, 0);
    EXPECT_EQ(unlogged.err.find("tavrix-cli: Change log not written: " + unwritable), 0u)
        << unlogged.err;
}

}  // namespace
