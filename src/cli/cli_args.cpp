#include "cli_args.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <optional>

#include "change_log.h"
#include "plant_publisher.h"

namespace {

constexpr long kMaxCount = 1000000000;
constexpr double kMaxSeconds = 1e6;
constexpr int kMaxPortNumber = 255;

struct CommandName {
    Command command;
    const char* name;
};
constexpr CommandName kCommands[] = {
    {Command::Identify, "identify"},
    {Command::Get, "get"},
    {Command::Send, "send"},
    {Command::Teach, "teach"},
    {Command::ResetMaxMin, "reset-maxmin"},
    {Command::Run, "run"},
    {Command::Compare, "compare"},
    {Command::Log, "log"},
    {Command::Setup, "setup"},
    {Command::Monitor, "monitor"},
};

// The monitor's options that take a value.
constexpr const char* kMonitorOptions[] = {"--mqtt", "--sensor-id",  "--topic-root", "--batch",
                                           "--qos",  "--queue",      "--cafile",     "--cert",
                                           "--key",  "--credentials"};

bool IsMonitorOption(const std::string& name) {
    for (const char* o : kMonitorOptions)
        if (name == o) return true;
    return false;
}

std::optional<long> ParseWhole(const std::string& text, long low, long high) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return std::nullopt;
    return v;
}

const char* CommandNameOf(Command command) {
    for (const auto& c : kCommands)
        if (c.command == command) return c.name;
    return "";
}

std::optional<Command> FindCommand(const std::string& name) {
    for (const auto& c : kCommands)
        if (name == c.name) return c.command;
    return std::nullopt;
}

// Digits with at most one decimal point: no hexadecimal, no exponent.
bool DecimalNumber(const std::string& text) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
    int points = 0;
    for (const char c : text)
        if (c == '.' ? ++points > 1 : !std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

std::optional<double> ParseSeconds(const std::string& text) {
    if (!DecimalNumber(text)) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v <= 0 || v > kMaxSeconds)
        return std::nullopt;
    return v;
}

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// "sim", a port number from 1 (also written COMn), or a device path, which holds a slash. Anything
// else is a typing slip, not a port: 0, a leading zero, a sign or a bare word.
std::optional<PortChoice> ParsePort(const std::string& text) {
    if (text == "sim") return PortChoice{0, ""};
    const bool com = text.size() > 3 && (text.rfind("COM", 0) == 0 || text.rfind("com", 0) == 0);
    const std::string digits = com ? text.substr(3) : text;
    if (AllDigits(digits)) {
        if (digits[0] == '0' || digits.size() > 3 || std::stoi(digits) > kMaxPortNumber)
            return std::nullopt;
        return PortChoice{std::stoi(digits), ""};
    }
    if (text.find('/') == std::string::npos && text.find('\\') == std::string::npos)
        return std::nullopt;
    return PortChoice{1, text};
}

std::optional<Memory> ParseMemory(const std::string& text) {
    if (text == "ram") return Memory::Ram;
    if (text == "eeprom") return Memory::Eeprom;
    return std::nullopt;
}

class Parser {
  public:
    explicit Parser(const std::vector<std::string>& args) : args_(args) {}

    Parsed Run() {
        while (next_ < args_.size() && result_.error.empty())
            Take(args_[next_++]);
        if (result_.error.empty() && !r().help && !r().version) Check();
        return result_;
    }

  private:
    Request& r() { return result_.request; }
    void Fail(const std::string& message) {
        if (result_.error.empty()) result_.error = message;
    }

    void Take(const std::string& arg) {
        if (arg == "-h" || arg == "--help") {
            r().help = true;
        } else if (arg == "--version") {
            r().version = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            Option(arg);
        } else if (r().command == Command::None) {
            const auto command = FindCommand(arg);
            if (!command) return Fail("unknown command '" + arg + "'");
            r().command = *command;
        } else {
            positionals_.push_back(arg);
        }
    }

    std::optional<std::string> Value(const std::string& name, std::optional<std::string> inlined) {
        if (inlined) return inlined;
        if (next_ >= args_.size()) {
            Fail(name + " needs a value");
            return std::nullopt;
        }
        return args_[next_++];
    }

    void Option(const std::string& arg) {
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        std::optional<std::string> inlined;
        if (eq != std::string::npos) inlined = arg.substr(eq + 1);
        if (name == "--json" || name == "--verify" || name == "--clamp" || name == "--propose") {
            if (inlined) return Fail(name + " takes no value");
            if (!Mark(name)) return;
            if (name == "--propose")
                r().setup = SetupAction::Propose;
            else
                (name == "--json" ? r().json : name == "--verify" ? r().verify : r().clamp) = true;
            return;
        }
        static const char* const kValued[] = {
            "--port",  "--from",    "--to",           "--output",     "-o",
            "--count", "--seconds", "--csv",          "--csv-format", "--since",
            "--log",   "--apply",   "--video-cycles", "--run-cycles"};
        if (std::find(std::begin(kValued), std::end(kValued), name) == std::end(kValued) &&
            !IsMonitorOption(name))
            return Fail("unknown option " + name);
        const auto value = Value(name, inlined);
        if (!value || !Mark(name == "--output" ? "-o" : name)) return;
        Assign(name, *value);
    }

    // An option counts once: given again, it is refused rather than the last one winning.
    bool Mark(const std::string& name) {
        if (Seen(name)) {
            Fail(name + " given twice");
            return false;
        }
        seen_.push_back(name);
        return true;
    }

    void Assign(const std::string& name, const std::string& value) {
        const std::string bad = "bad value '" + value + "' for " + name;
        if (name == "--port") {
            const auto port = ParsePort(value);
            if (!port) return Fail(bad + " (a number, a device path or sim)");
            r().port = *port;
        } else if (name == "--from" || name == "--to") {
            const auto memory = ParseMemory(value);
            if (!memory) return Fail(bad + " (ram or eeprom)");
            r().memory = *memory;
        } else if (name == "--count" || name == "--video-cycles" || name == "--run-cycles") {
            const auto count = ParseWhole(value, 1, kMaxCount);
            if (!count) return Fail(bad + " (a whole number from 1)");
            (name == "--count"          ? r().count
             : name == "--video-cycles" ? r().videoCycles
                                        : r().runCycles) = *count;
        } else if (name == "--seconds") {
            const auto seconds = ParseSeconds(value);
            if (!seconds) return Fail(bad + " (decimal seconds above 0)");
            r().seconds = *seconds;
        } else if (name == "--csv") {
            r().csv = value;
        } else if (name == "--csv-format") {
            if (!ParseCsvFormat(value, r().csvFormat)) return Fail(bad + " (rfc4180 or semicolon)");
        } else if (name == "--since") {
            r().since = ParseIsoTime(value);
            if (!r().since) return Fail(bad + " (an ISO 8601 date or date-time)");
        } else if (name == "--log") {
            r().log = value;
        } else if (name == "--apply") {
            r().setup = SetupAction::Apply;
            r().file = value;
        } else if (IsMonitorOption(name)) {
            AssignMonitor(name, value, bad);
        } else {
            r().file = value;
        }
    }

    void AssignMonitor(const std::string& name, const std::string& value, const std::string& bad) {
        MqttChoice& m = r().mqtt;
        if (name == "--mqtt") {
            if (!ParseMqttUrl(value, m)) return Fail(bad + " (mqtt://HOST[:PORT] or mqtts://...)");
        } else if (name == "--batch" || name == "--qos" || name == "--queue") {
            const long high = name == "--qos" ? 1 : name == "--batch" ? 3600000 : 10000000;
            const auto v = ParseWhole(value, name == "--queue" ? 1 : 0, high);
            if (!v)
                return Fail(bad + " (a whole number from " + (name == "--queue" ? "1" : "0") +
                            " to " + std::to_string(high) + ")");
            if (name == "--batch") m.batchMs = static_cast<int>(*v);
            if (name == "--qos") m.qos = static_cast<int>(*v);
            if (name == "--queue") m.queue = *v;
        } else if (value.empty() || ((name == "--sensor-id" || name == "--topic-root") &&
                                     value.find_first_of("+#") != std::string::npos)) {
            return Fail(bad + " (no empty text; no '+' or '#' in a topic)");
        } else {
            std::string& field = name == "--sensor-id"    ? m.sensorId
                                 : name == "--topic-root" ? m.topicRoot
                                 : name == "--cafile"     ? m.caFile
                                 : name == "--cert"       ? m.certFile
                                 : name == "--key"        ? m.keyFile
                                                          : m.credentials;
            field = value;
        }
    }

    bool Seen(const std::string& name) const {
        for (const auto& s : seen_)
            if (s == name) return true;
        return false;
    }

    // Options that only some commands take, and what each command needs.
    void Check() {
        const Command c = r().command;
        if (c == Command::None) return Fail("no command given (tavrix-cli --help lists them)");
        const std::string command = CommandNameOf(c);
        struct Allowed {
            const char* option;
            Command command;
        };
        const Allowed allowed[] = {
            {"--from", Command::Get},        {"-o", Command::Get},
            {"-o", Command::Setup},          {"--to", Command::Send},
            {"--to", Command::Setup},        {"--verify", Command::Send},
            {"--verify", Command::Setup},    {"--clamp", Command::Send},
            {"--count", Command::Run},       {"--seconds", Command::Run},
            {"--csv", Command::Run},         {"--csv-format", Command::Run},
            {"--since", Command::Log},       {"--propose", Command::Setup},
            {"--apply", Command::Setup},     {"--video-cycles", Command::Setup},
            {"--run-cycles", Command::Setup}};
        for (const auto& a : allowed) {
            if (!Seen(a.option)) continue;
            const auto goes = [&](const Allowed& b) {
                return std::string(b.option) == a.option && b.command == c;
            };
            if (std::none_of(std::begin(allowed), std::end(allowed), goes))
                return Fail(std::string(a.option) + " does not go with " + command);
        }
        for (const char* o : kMonitorOptions)
            if (Seen(o) && c != Command::Monitor)
                return Fail(std::string(o) + " does not go with " + command);
        const std::size_t maxPositionals = c == Command::Send || c == Command::Compare ? 1 : 0;
        if (positionals_.size() > maxPositionals)
            return Fail("unexpected argument '" + positionals_[maxPositionals] + "'");
        if (!positionals_.empty()) r().file = positionals_[0];
        if (c == Command::Get && !Seen("--from")) return Fail("get needs --from ram|eeprom");
        if (c == Command::Send && r().file.empty()) return Fail("send needs a parameter file");
        if (c == Command::Send && !Seen("--to")) return Fail("send needs --to ram|eeprom");
        if (c == Command::Run && Seen("--count") == Seen("--seconds"))
            return Fail("run needs either --count N or --seconds S");
        if (c == Command::Monitor && !Seen("--mqtt")) return Fail("monitor needs --mqtt URL");
        if (c == Command::Monitor && Seen("--cert") != Seen("--key"))
            return Fail("--cert and --key go together");
        if (c == Command::Setup) CheckSetup();
    }

    void CheckSetup() {
        if (Seen("--propose") == Seen("--apply"))
            return Fail("setup needs either --propose or --apply FILE");
        const bool apply = Seen("--apply");
        const char* const onlyPropose[] = {"-o", "--video-cycles", "--run-cycles"};
        const char* const onlyApply[] = {"--to", "--verify"};
        for (const char* option : onlyPropose)
            if (apply && Seen(option))
                return Fail(std::string(option) + " does not go with setup --apply");
        for (const char* option : onlyApply)
            if (!apply && Seen(option))
                return Fail(std::string(option) + " does not go with setup --propose");
        if (apply && !Seen("--to")) return Fail("setup --apply needs --to ram|eeprom");
    }

    const std::vector<std::string>& args_;
    std::size_t next_ = 0;
    Parsed result_;
    std::vector<std::string> positionals_;
    std::vector<std::string> seen_;
};

}  // namespace

Parsed ParseArguments(const std::vector<std::string>& args) {
    return Parser(args).Run();
}

bool ParseMqttUrl(const std::string& url, MqttChoice& into) {
    const auto address = ParseBrokerUrl(url);
    if (!address) return false;
    into.host = address->host, into.port = address->port, into.tls = address->tls;
    return true;
}

const char* MemoryName(Memory memory) {
    return memory == Memory::Eeprom ? "eeprom" : "ram";
}
