// tavrix-cli as a script runs it: a child process against the simulated sensor on a
// pseudo-terminal, judged by its exit code, its output and what the sensor received.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <span>
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

struct Case {
    const char* args;
    const char* fault;  // tavrix-sim fault, or ""
    int code;
    const char* expected;  // in standard output (code 0) or error (else)
};

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

    // Runs each case against the sensor with its fault; judges the exit code and the text.
    void ExpectCases(std::span<const Case> cases) {
        for (const auto& c : cases) {
            std::vector<sim::Fault> faults;
            if (*c.fault) faults.push_back(*sim::ParseFault(c.fault, nullptr));
            sensor_->SetFaults(faults);
            std::string args = c.args;
            for (const char* name : {"bad.dat", "old.csv"})
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
    std::ofstream(Path("bad.dat")) << "500 0 512 x\n";
    std::ofstream(Path("old.csv")) << "old rows\n";
    const Case cases[] = {
        {"identify", "", 0, "firmware       TAVRIX-DIDOR SIM V1.52\n"},
        {"teach --json", "", 0, "{\"setpoint\":"},
        {"reset-maxmin", "", 0, "reset  true\n"},
        {"get --to ram", "", 2, "--to does not go with get"},
        {"identify --port /dev/tavrix-no-such-device", "", 3, "cannot open port 1"},
        {"identify", "silent", 3, "no sensor answering on port 1"},
        {"run --count 5", "silent-after=2@8", 3, "stopped answering after 2 measurements"},
        {"identify --port /dev/null", "", 3, "/dev/null is not a serial device"},
        {"run --count 1 --csv old.csv --port /dev/tavrix-no-such-device", "", 3, "cannot open"},
        {"send bad.dat --to ram", "", 5, "bad.dat: Parameter file holds a value that is no number"},
        {"run --count 1 --csv /no-such-dir/m.csv", "", 5, "cannot write"},
        {"setup --apply /dev/zero --to ram", "", 5, "cannot read the proposal: not a regular file"},
    };
    ExpectCases(cases);
    EXPECT_EQ(ReadText(Path("old.csv")), "old rows\n");  // the failed port left it as it was
    const std::string rows = Cli("run --count 3").out;
    EXPECT_EQ(rows.rfind("cycle,utc,seconds,Ledge,Redge,Mvalue,tVal,", 0), 0u) << rows;
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 4) << rows;
}

// identify names the answer that did not come; the other commands only warn of the firmware text.
TEST_F(CliTest, IdentificationSaysWhichAnswerDidNotCome) {
    const Case cases[] = {
        {"identify", "silent@10", 3, "no answer to the hardware profile"},
        {"identify", "silent@7", 3, "no firmware text"},
        {"get --from ram", "silent@7", 0, "  500\n"},
        {"identify", "wrong-sync", 3, "another device answers on this port"},
        {"identify --port 7", "", 3, "cannot open port 7"},
    };
    ExpectCases(cases);
}

// Values outside the panel's limits are refused, one line each, before anything is written: those
// the file alone shows before the port opens, the edges against the sensor's sub-pixel scale
// after its identification. --clamp replaces them as the window's Send does and says so.
TEST_F(CliTest, OutOfRangeValuesAreRefusedOrReplacedWithClamp) {
    const Record before = sensor_->Ram();
    Record wide = before;
    wide[0] = 2000, wide[2] = 20, wide[3] = 9, wide[7] = 65535;  // power, vThd, anaMode, eEnd
    WriteRecord(Path("wide.dat"), wide);
    Record edge = before;
    edge[7] = 65535;
    WriteRecord(Path("edge.dat"), edge);
    const std::string prefix = "tavrix-cli: " + Path("wide.dat") + ": ";
    const Outcome refused = Cli("send " + Path("wide.dat") + " --to ram");
    EXPECT_EQ(refused.code, 5);
    EXPECT_EQ(refused.err, prefix + "power is 2000, allowed 0..1000\n" + prefix +
                               "vThd is 20, allowed 50..950\n" + prefix +
                               "anaMode is 9, allowed 0..7\n");
    const Outcome edgeRefused = Cli("send " + Path("edge.dat") + " --to ram");
    EXPECT_EQ(edgeRefused.code, 5);
    EXPECT_EQ(edgeRefused.err,
              "tavrix-cli: " + Path("edge.dat") + ": eEnd is 65535, allowed 1..1024\n");
    EXPECT_EQ(Record(sensor_->Ram()), before);

    const Outcome clamped = Cli("send " + Path("wide.dat") + " --to ram --clamp --verify");
    EXPECT_EQ(clamped.code, 0) << clamped.err;
    EXPECT_EQ(clamped.out,
              "replaced  power 2000 replaced by 500; vThd 20 replaced by 50; anaMode 9 replaced "
              "by 0; eEnd 65535 replaced by 1024\n");
    Record sent = wide;
    sent[0] = 500, sent[2] = 50, sent[3] = 0, sent[7] = 1024;
    EXPECT_EQ(Record(sensor_->Ram()), sent);
}

// A write that fails ends the run at once, leaves whole rows and says why: the file-size limit
// (set on the child alone) and a full disk (a small tmpfs in a mount namespace of the child's own,
// copied out before it ends).
TEST_F(CliTest, RunCsvStopsAtAFailedWriteWithWholeRows) {
    const std::string csv = Path("limit.csv"), disk = Path("disk");
    std::system(("rm -rf " + disk + " && mkdir -p " + disk).c_str());
    const bool namespaces = std::system("unshare -rm true 2>/dev/null") == 0;
    const std::string cli =
        std::string(TAVRIX_CLI) + " run --seconds 60 --port " + sensor_->slavePath() + " --csv ";
    struct Limit {
        const char* name;
        std::string command, file, why;
    };
    const Limit cases[] = {
        {"file-size limit", "ulimit -f 4; exec " + cli + csv, csv, "file size limit reached"},
        {"full disk",
         "unshare -rm sh -c 'mount -t tmpfs -o size=4k tmpfs " + disk + " || exit 99; " + cli +
             disk + "/m.csv; code=$?; cp " + disk + "/m.csv " + csv + "; exit $code'",
         disk + "/m.csv", "no space left on the device"},
    };
    for (const Limit& c : cases) {
        if (!namespaces && c.why.starts_with("no space")) {
            ADD_FAILURE() << "no mount namespace here: the full-disk row did not run";
            continue;
        }
        std::remove(csv.c_str());
        const long before = sensor_->RequestCount();
        const int status = std::system((c.command + " 2>" + Path("err")).c_str());
        const std::string text = ReadText(csv), err = ReadText(Path("err"));
        ASSERT_TRUE(WIFEXITED(status)) << c.name << ": ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 5) << c.name << ": " << err;
        const long rows = std::count(text.begin(), text.end(), '\n') - 1;
        EXPECT_TRUE(text.ends_with("\r\n")) << c.name;
        EXPECT_GT(rows, 0) << c.name;
        EXPECT_EQ(err, "tavrix-cli: run: " + c.file + ": " + c.why + " (" + std::to_string(rows) +
                           " rows kept)\n")
            << c.name;
        // Stopped at the first failed write: not more requests than half a second's rows beyond.
        EXPECT_LT(sensor_->RequestCount() - before, rows + 40) << c.name;
    }
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
