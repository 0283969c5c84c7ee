// The command line and output formats of tavrix-cli.
#include <gtest/gtest.h>

#include <tuple>

#include "cli_args.h"
#include "cli_format.h"
#include "cli_setup_format.h"

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : line + " ") {
        if (c != ' ') {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

TEST(CliArguments, AcceptedCommandLines) {
    struct Case {
        const char* line;
        Command command;
        int port;
        const char* device;
        Memory memory;
        const char* file;
        long count;
        double seconds;
    };
    const Case cases[] = {
        {"identify", Command::Identify, 1, "", Memory::Ram, "", 0, 0},
        {"--port sim identify --json", Command::Identify, 0, "", Memory::Ram, "", 0, 0},
        {"get --from eeprom -o a.dat --port 3", Command::Get, 3, "", Memory::Eeprom, "a.dat", 0, 0},
        {"get --from=ram --output=b --port=COM7", Command::Get, 7, "", Memory::Ram, "b", 0, 0},
        {"send p.dat --to eeprom --verify --port /dev/pts/4", Command::Send, 1, "/dev/pts/4",
         Memory::Eeprom, "p.dat", 0, 0},
        {"run --seconds 2.5 --csv m.csv", Command::Run, 1, "", Memory::Ram, "", 0, 2.5},
        {"run --count 100", Command::Run, 1, "", Memory::Ram, "", 100, 0},
        {"compare f.dat", Command::Compare, 1, "", Memory::Ram, "f.dat", 0, 0},
        {"reset-maxmin --port 255", Command::ResetMaxMin, 255, "", Memory::Ram, "", 0, 0},
        {"log --since 2026-12-07 --log c.jsonl", Command::Log, 1, "", Memory::Ram, "", 0, 0},
        {"setup --apply p.txt --to eeprom --verify", Command::Setup, 1, "", Memory::Eeprom, "p.txt",
         0, 0},
    };
    for (const auto& c : cases) {
        const Parsed parsed = ParseArguments(Words(c.line));
        EXPECT_EQ(parsed.error, "") << c.line;
        const Request& r = parsed.request;
        EXPECT_EQ(r.command, c.command) << c.line;
        EXPECT_EQ(r.port.number, c.port) << c.line;
        EXPECT_EQ(r.port.device, c.device) << c.line;
        EXPECT_EQ(r.memory, c.memory) << c.line;
        EXPECT_EQ(r.file, c.file) << c.line;
        EXPECT_EQ(r.count, c.count) << c.line;
        EXPECT_EQ(r.seconds, c.seconds) << c.line;
    }
    const Request propose =
        ParseArguments(Words("setup --propose --video-cycles 5 --run-cycles=7 -o p")).request;
    EXPECT_EQ(std::tuple(propose.setup, propose.videoCycles, propose.runCycles, propose.file),
              std::tuple(SetupAction::Propose, 5L, 7L, "p"));
}

TEST(CliArguments, MonitorTakesTheBrokerAndItsOptions) {
    const Parsed plain = ParseArguments(Words("monitor --mqtt mqtt://broker.plant --port sim"));
    ASSERT_EQ(plain.error, "");
    const MqttChoice& p = plain.request.mqtt;
    EXPECT_EQ(std::tie(p.host, p.port, p.tls, p.topicRoot, p.qos, p.queue, p.batchMs),
              std::make_tuple(std::string("broker.plant"), 1883, false, std::string("tavrix"), 0,
                              10000L, 0));
    const Parsed full = ParseArguments(
        Words("monitor --mqtt mqtts://127.0.0.1:9000 --sensor-id line1 --topic-root plant/a "
              "--batch 500 --qos 1 --queue 50 --cafile ca.crt --cert c.crt --key c.key "
              "--credentials cred"));
    ASSERT_EQ(full.error, "");
    const MqttChoice& f = full.request.mqtt;
    EXPECT_EQ(std::tie(f.host, f.port, f.tls, f.sensorId, f.topicRoot, f.batchMs, f.qos, f.queue),
              std::make_tuple(std::string("127.0.0.1"), 9000, true, std::string("line1"),
                              std::string("plant/a"), 500, 1, 50L));
    EXPECT_EQ(std::tie(f.caFile, f.certFile, f.keyFile, f.credentials),
              std::make_tuple(std::string("ca.crt"), std::string("c.crt"), std::string("c.key"),
                              std::string("cred")));
    EXPECT_EQ(ParseArguments(Words("monitor --mqtt mqtts://h")).request.mqtt.port, 8883);
}

TEST(CliArguments, RefusedCommandLinesNameTheirFault) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "no command"},
        {"backup", "unknown command 'backup'"},
        {"identify --colour", "unknown option --colour"},
        {"get", "get needs --from"},
        {"get --from flash", "(ram or eeprom)"},
        {"get --from", "--from needs a value"},
        {"send --to ram", "send needs a parameter file"},
        {"send f.dat", "send needs --to"},
        {"send f.dat --to ram --from ram", "--from does not go with send"},
        {"identify extra", "unexpected argument 'extra'"},
        {"run", "either --count N or --seconds S"},
        {"run --count 5 --seconds 1", "either --count N or --seconds S"},
        {"run --count 0", "bad value '0' for --count"},
        {"run --seconds -1", "bad value '-1' for --seconds"},
        {"identify --port 256", "bad value '256' for --port"},
        {"identify --port COMx", "bad value 'COMx' for --port"},
        {"identify --port 0", "bad value '0' for --port"},
        {"identify --port 00", "bad value '00' for --port"},
        {"identify --port COM0", "bad value 'COM0' for --port"},
        {"identify --port -1", "bad value '-1' for --port"},
        {"identify --port x", "bad value 'x' for --port"},
        {"identify --json=1", "--json takes no value"},
        {"send f.dat --to ram --to eeprom", "--to given twice"},  // never the last one wins
        {"get --from ram -o a --output b", "-o given twice"},
        {"run --seconds 0x10", "bad value '0x10' for --seconds"},  // decimal only
        {"get --from ram --clamp", "--clamp does not go with get"},
        {"log --since 7.12.2026", "(an ISO 8601 date or date-time)"},
        {"get --from ram --since 2026-12-07", "--since does not go with get"},
        {"setup", "either --propose or --apply FILE"},
        {"setup --apply p", "setup --apply needs --to"},
        {"setup --apply p --to ram --run-cycles 5", "--run-cycles does not go with setup --apply"},
        {"setup --propose --video-cycles 0", "bad value '0' for --video-cycles"},
        {"monitor", "monitor needs --mqtt URL"},
        {"monitor --mqtt tcp://h", "bad value 'tcp://h' for --mqtt"},
        {"monitor --mqtt mqtt://h:0", "bad value 'mqtt://h:0' for --mqtt"},
        {"monitor --mqtt mqtt://u@h", "bad value 'mqtt://u@h' for --mqtt"},
        {"monitor --mqtt mqtt://h --qos 2", "bad value '2' for --qos"},
        {"monitor --mqtt mqtt://h --queue 0", "bad value '0' for --queue"},
        {"monitor --mqtt mqtt://h --sensor-id a+b", "no '+' or '#'"},
        {"monitor --mqtt mqtt://h --cert c.pem", "--cert and --key go together"},
        {"monitor --mqtt mqtt://h --password x", "unknown option --password"},
        {"run --count 1 --mqtt mqtt://h", "--mqtt does not go with run"},
    };
    for (const auto& [line, message] : cases) {
        const Parsed parsed = ParseArguments(Words(line));
        EXPECT_NE(parsed.error.find(message), std::string::npos) << line << ": " << parsed.error;
    }
    // Help needs nothing else, and names the command's own options.
    const Parsed help = ParseArguments(Words("send --help"));
    EXPECT_TRUE(help.error.empty() && help.request.help);
    EXPECT_NE(HelpText(help.request.command).find("--verify"), std::string::npos);
}

TEST(CliFormat, RecordsDifferencesAndJson) {
    Record a{}, b{};
    a[0] = 500, b[0] = 500, a[3] = 5, a[15] = 1024, b[15] = 1000;
    EXPECT_EQ(RecordFileText(a).substr(0, 18), "  500\n    0\n    0\n");
    EXPECT_EQ(DescribeDifferences(CompareRecords(a, b), "file", "ram"),
              "word 3 (anaMode): file 5, ram 0; word 15 (corrX1024): file 1024, ram 1000");
    const std::string table = CompareTable({{"ram", a}, {"eeprom", b}});
    EXPECT_NE(table.find("   3 anaMode          5       0  *\n"), std::string::npos) << table;
    EXPECT_NE(table.find("   0 power          500     500\n"), std::string::npos) << table;

    const std::string json = FieldsJson({TextField("firmware", "V\"1\\\x01\xE9"),
                                         FlagField("equal", false), RecordField("ram", a)});
    EXPECT_EQ(json.rfind(R"({"firmware":"V\"1\\\u0001\u00e9","equal":false,"ram":[500,0,0,5,)", 0),
              0u)
        << json;
}

TEST(CliFormat, ProposalFileReadsWhatSetupWrites) {
    SetupProposals p;
    p.signal.threshold = 475, p.edges.leftLimit = 328, p.edges.rightLimit = 713;
    p.setpoint.setpoint = 320, p.tolerance.tolerance = 65535;
    const ProposalFile read = ParseProposalText(FieldsText(ProposalFields(p, {})));
    EXPECT_EQ(read.error, "");
    const ProposedValues& v = read.values;
    EXPECT_EQ(
        std::tuple(v.videoThreshold, v.leftEdgeLimit, v.rightEdgeLimit, v.setpoint, v.tolerance),
        std::tuple(475, 328, 713, 320, 65535));
    const std::string whole = "video_threshold 1\nleft_edge_limit 2\nright_edge_limit 3\n";
    for (const auto& [text, error] :
         {std::pair{whole + "setpoint 4\n", "no tolerance"},
          {whole + "setpoint 4\ntolerance 65536\n", "'tolerance 65536'"},
          {whole + "setpoint -4\ntolerance 5\n", "'setpoint -4'"},
          {whole + "setpoint 4 5\ntolerance 5\n", "'setpoint 4 5'"}})
        EXPECT_NE(ParseProposalText(text).error.find(error), std::string::npos) << text;
}

}  // namespace
