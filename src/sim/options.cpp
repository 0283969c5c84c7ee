#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>

namespace sim {

namespace {

constexpr double kMaxSeconds = 3600;

std::optional<long> ParseNumber(const std::string& text, long max) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || v < 0 || v > max) return std::nullopt;
    return v;
}

std::optional<double> ParseSeconds(const std::string& text) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v < 0 || v > kMaxSeconds)
        return std::nullopt;
    return v;
}

struct FaultName {
    FaultKind kind;
    enum { None, Count, OptionalCount, Seconds } value;
};

const std::map<std::string, FaultName>& FaultNames() {
    static const std::map<std::string, FaultName> names = {
        {"silent", {FaultKind::Silent, FaultName::None}},
        {"silent-after", {FaultKind::SilentAfter, FaultName::Count}},
        {"delay", {FaultKind::Delay, FaultName::Seconds}},
        {"delay-first", {FaultKind::DelayFirst, FaultName::Seconds}},
        {"short-frame", {FaultKind::ShortFrame, FaultName::Count}},
        {"trailing", {FaultKind::Trailing, FaultName::Count}},
        {"garbage", {FaultKind::Garbage, FaultName::Count}},
        {"wrong-sync", {FaultKind::WrongSync, FaultName::None}},
        {"wrong-echo", {FaultKind::WrongEcho, FaultName::Count}},
        {"short-block", {FaultKind::ShortBlock, FaultName::Count}},
        {"hang-up", {FaultKind::HangUp, FaultName::OptionalCount}},
        {"flood", {FaultKind::Flood, FaultName::Seconds}},
        {"twice", {FaultKind::Twice, FaultName::OptionalCount}},
    };
    return names;
}

// Optional profile words: those not given follow from the others.
struct ProfileWords {
    std::optional<long> maxpixelX8, pixEnd;
};

class Parser {
  public:
    explicit Parser(const std::vector<std::string>& args) : args_(args) {}
    ParsedOptions Run();

  private:
    bool Option(const std::string& name, const std::optional<std::string>& inlineValue);
    std::optional<std::string> Value(const std::string& name,
                                     const std::optional<std::string>& inlineValue);
    bool Word(const std::string& name, const std::optional<std::string>& inlineValue, long max,
              long& out);
    bool BlockStarts(const std::string& name, const std::string& text);
    bool Fail(std::string message) {
        result_.error = std::move(message);
        return false;
    }

    const std::vector<std::string>& args_;
    std::size_t next_ = 0;
    ParsedOptions result_;
    ProfileWords derived_;
};

ParsedOptions Parser::Run() {
    while (next_ < args_.size()) {
        const std::string& arg = args_[next_++];
        if (arg.rfind("--", 0) != 0) {
            result_.error = "unexpected argument '" + arg + "' (options begin with --)";
            return result_;
        }
        const auto eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        std::optional<std::string> inlineValue;
        if (eq != std::string::npos) inlineValue = arg.substr(eq + 1);
        if (!Option(name, inlineValue)) return result_;
    }
    HardwareProfile& p = result_.options.sensor.profile;
    p.ccdmaxpixelX8 = static_cast<std::uint16_t>(
        derived_.maxpixelX8.value_or(std::min<long>(8L * p.ccdmaxpixel, 65535)));
    p.ccdpixE = static_cast<std::uint16_t>(derived_.pixEnd.value_or(p.ccdsubpixel));
    result_.ok = true;
    return result_;
}

std::optional<std::string> Parser::Value(const std::string& name,
                                         const std::optional<std::string>& inlineValue) {
    if (inlineValue) return inlineValue;
    if (next_ >= args_.size()) {
        Fail(name + " needs a value");
        return std::nullopt;
    }
    return args_[next_++];
}

bool Parser::Word(const std::string& name, const std::optional<std::string>& inlineValue, long max,
                  long& out) {
    const auto text = Value(name, inlineValue);
    if (!text) return false;
    const auto v = ParseNumber(*text, max);
    if (!v)
        return Fail(name + ": '" + *text + "' is not a number from 0 to " + std::to_string(max));
    out = *v;
    return true;
}

// Samples separated by commas, e.g. 170,8.
bool Parser::BlockStarts(const std::string& name, const std::string& text) {
    std::vector<std::uint16_t>& samples = result_.options.sensor.blockStarts;
    samples.clear();
    for (std::size_t from = 0; from <= text.size();) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const auto v = ParseNumber(text.substr(from, comma - from), 1023);
        if (!v || samples.size() == kBlockWords)
            return Fail(name + ": '" + text + "' is not a list of samples from 0 to 1023");
        samples.push_back(static_cast<std::uint16_t>(*v));
        from = comma + 1;
    }
    return true;
}

bool Parser::Option(const std::string& name, const std::optional<std::string>& inlineValue) {
    SimOptions& o = result_.options;
    HardwareProfile& p = o.sensor.profile;
    const std::map<std::string, std::uint16_t*> words = {
        {"--board", &p.pcbtype},
        {"--sensor", &p.ccdtype},
        {"--maxpixel", &p.ccdmaxpixel},
        {"--subpixel", &p.ccdsubpixel},
        {"--resolution", &p.ccdresolution},
        {"--softversion", &p.softversion},
    };
    long v = 0;
    if (auto it = words.find(name); it != words.end()) {
        if (!Word(name, inlineValue, 65535, v)) return false;
        *it->second = static_cast<std::uint16_t>(v);
        return true;
    }
    if (name == "--maxpixel-x8" || name == "--pix-end") {
        if (!Word(name, inlineValue, 65535, v)) return false;
        (name == "--pix-end" ? derived_.pixEnd : derived_.maxpixelX8) = v;
        return true;
    }
    if (name == "--baud") {
        if (!Word(name, inlineValue, 4000000, v)) return false;
        o.baud = v;
        return true;
    }
    if (name == "--burst") {
        if (!Word(name, inlineValue, 1000, v)) return false;
        o.burst = static_cast<double>(v) / 1000.0;
        return true;
    }
    if (name == "--seed" || name == "--noise") {
        if (!Word(name, inlineValue, name == "--seed" ? 0xFFFFFFFFL : 1023, v)) return false;
        if (name == "--seed")
            o.sensor.seed = static_cast<std::uint32_t>(v);
        else
            o.sensor.noise = static_cast<int>(v);
        return true;
    }
    if (name == "--block-start") {
        const auto text = Value(name, inlineValue);
        if (!text) return false;
        return BlockStarts(name, *text);
    }
    if (name == "--scene") {
        const auto text = Value(name, inlineValue);
        if (!text) return false;
        if (*text != "moving" && *text != "still-bright")
            return Fail("--scene: '" + *text + "' is not moving or still-bright");
        o.sensor.scene = *text == "moving" ? SceneKind::Moving : SceneKind::StillBright;
        return true;
    }
    if (name == "--firmware") {
        const auto text = Value(name, inlineValue);
        if (!text) return false;
        o.sensor.firmware = *text;
        return true;
    }
    if (name == "--fault") {
        const auto text = Value(name, inlineValue);
        if (!text) return false;
        std::string error;
        const auto fault = ParseFault(*text, &error);
        if (!fault) return Fail("--fault " + *text + ": " + error);
        o.faults.push_back(*fault);
        return true;
    }
    if ((name == "--log" || name == "--help") && inlineValue) return Fail(name + " takes no value");
    if (name == "--log") return o.log = true;
    if (name == "--help") return o.help = true;
    return Fail("unknown option '" + name + "' (see --help)");
}

}  // namespace

std::optional<Fault> ParseFault(const std::string& text, std::string* error) {
    auto fail = [&](std::string message) -> std::optional<Fault> {
        if (error) *error = std::move(message);
        return std::nullopt;
    };
    Fault fault;
    std::string body = text;
    if (const auto at = text.rfind('@'); at != std::string::npos) {
        const auto code = ParseNumber(text.substr(at + 1), 65535);
        if (!code) return fail("the command code after @ must be a number from 0 to 65535");
        fault.code = static_cast<int>(*code);
        body = text.substr(0, at);
    }
    const auto eq = body.find('=');
    const std::string name = body.substr(0, eq);
    const auto it = FaultNames().find(name);
    if (it == FaultNames().end()) return fail("unknown fault '" + name + "'");
    fault.kind = it->second.kind;
    const bool hasValue = eq != std::string::npos;
    const std::string value = hasValue ? body.substr(eq + 1) : "";
    switch (it->second.value) {
        case FaultName::None:
            if (hasValue) return fail(name + " takes no value");
            return fault;
        case FaultName::OptionalCount:
            if (!hasValue) return fault;
            [[fallthrough]];
        case FaultName::Count: {
            const auto n = ParseNumber(value, 1000000);
            if (!n) return fail(name + " needs a whole number, e.g. " + name + "=3");
            fault.value = static_cast<double>(*n);
            return fault;
        }
        case FaultName::Seconds: {
            const auto s = ParseSeconds(value);
            if (!s) return fail(name + " needs seconds from 0 to 3600, e.g. " + name + "=1.6");
            fault.value = *s;
            return fault;
        }
    }
    return fail("unknown fault '" + name + "'");
}

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
    return Parser(args).Run();
}

ParsedOptions ParseOptionString(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (char c : text) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                word += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote) {
        ParsedOptions r;
        r.error = std::string("unbalanced quote ") + quote + " in the options";
        return r;
    }
    if (inWord) words.push_back(word);
    return ParseOptions(words);
}

std::string OptionsHelp() {
    return R"(Options (a value follows as the next word or after '='):
  --board N          board type, default 0 (0 and 100: four 64-word image blocks,
                     word-coded version text on 0; other boards: one 256-word block)
  --sensor N         sensor type, default 1 (1, 2, 3, 4, 101, 102, 103, 104)
  --maxpixel N       pixel count, default 1024
  --maxpixel-x8 N    eight-fold pixel count, default 8 x maxpixel
  --subpixel N       sub-pixel full scale of edge positions, default 1024
                     (512, 768, 1024, 1180, 1280, 1536, 2048, 2360, 2560, 8192)
  --resolution N     resolution code, default 750
  --pix-end N        last valid position, default the sub-pixel full scale
  --softversion N    firmware version number, default 152
  --firmware TEXT    firmware version text
  --block-start A,B  every 64-sample block of the image starts with these samples
  --baud N           pace the line at N baud, 10 bits a byte (0: answer at once),
                     default 19200
  --burst MS         hand the answer bytes over every MS milliseconds (a USB adapter);
                     default: the pseudo-terminal byte by byte, the built-in line every 4 ms
  --seed N           seed of the image noise, default 1
  --noise N          amplitude of the image noise, default 6
  --scene NAME       moving (default), or still-bright: a bright object standing
                     still on a dark background, whatever the polarity
  --fault FAULT      a fault, repeatable. FAULT is NAME[=VALUE][@CODE]; @CODE limits it
                     to requests with that command code. "After N" counts those requests.
                       silent            no answer
                       silent-after=N    answer N requests, then none
                       delay=SECONDS     start each answer this late
                       delay-first=SECONDS  start the first answer this late
                       short-frame=K     answer frames: only the first K bytes
                       trailing=K        answer frames: K extra bytes after the frame
                       garbage=K         answer frames: K junk bytes before the frame
                       wrong-sync        answer frames begin 0xAA 0x00
                       wrong-echo=CODE   answer frames echo CODE
                       short-block=K     raw answers (version, image): only K bytes
                       hang-up[=N]       answer N requests (default 0), then close the
                                         line when the next one arrives
                       flood=SECONDS     at the first request: 0x55 bytes for SECONDS
                       twice[=N]         answer N requests (default 0) once, then send
                                         every answer frame twice, back to back
  --log              print every request (time, code) to standard error
  --help             print this summary
Numbers are decimal, or hexadecimal with 0x.
)";
}

}  // namespace sim
