#include "cli_commands.h"

#include <filesystem>
#include <optional>

#include "Tavrix-VarizA152.h"
#include "arrayfile.h"
#include "cli_format.h"
#include "cli_log.h"
#include "cli_measurements_file.h"
#include "cli_monitor.h"
#include "cli_session.h"
#include "cli_setup_format.h"
#include "com232.h"
#include "gui.h"
#include "output_target.h"
#include "panel_ids.h"
#include "records.h"
#include "row_file.h"
#include "setup_measure.h"
#include "workbench_csv.h"

namespace {

struct Context {
    const Request& request;
    Session& session;
    Program& p;
    std::ostream& out;
    std::ostream& err;
};

ExitCode Fail(Context& c, ExitCode code, const std::string& message) {
    c.err << "tavrix-cli: " << message << "\n";
    return code;
}

ExitCode NoAnswer(Context& c, const std::string& what) {
    return Fail(c, ExitCode::NoSensor,
                what + ": no answer from the sensor on " + c.session.Device() + " (" +
                    c.session.StatusLine() + ")");
}

int TargetOf(Memory memory) {
    return memory == Memory::Eeprom ? EEPROM : RAM;
}

void Print(Context& c, const Fields& fields) {
    c.out << (c.request.json ? FieldsJson(fields) : FieldsText(fields));
}

// The record of a parameter file, read as the window reads one but into the command's own
// record: the program's state stays as it is until the record is sent.
std::optional<Record> LoadFile(Context& c, const std::string& path) {
    Record words{};
    const platform::FileResult result = ReadParaFileWords(path, words);
    if (result == platform::kFileOk) return words;
    Fail(c, ExitCode::FileError, path + ": " + ParaFileErrorText(result, false));
    return std::nullopt;
}

// Refuses a record with values the panel would replace, one line each, unless --clamp asks for
// the replacement. The edges are judged against the sensor's sub-pixel scale once it is known
// (ccdsubpixel above 0): so this runs once before the port opens and once after identification.
bool InRange(Context& c, const Record& words, u16 ccdsubpixel) {
    if (c.request.clamp) return true;
    bool ok = true;
    for (std::size_t i = 0; i < kParameterRecord.size(); ++i) {
        const RecordWord& w = kParameterRecord[i];
        if (Limited(w.limit, words[i], ccdsubpixel) == words[i]) continue;
        Fail(c, ExitCode::FileError,
             c.request.file + ": " + w.name + " is " + std::to_string(words[i]) + ", allowed " +
                 RangeText(w.limit, ccdsubpixel));
        ok = false;
    }
    return ok;
}

// "power 2000 replaced by 500; vThd 20 replaced by 50", or empty.
std::string Replacements(const Record& file, const Record& sent) {
    std::string text;
    for (const Difference& d : CompareRecords(file, sent))
        text += (text.empty() ? "" : "; ") + std::string(WordName(d.word)) + " " +
                std::to_string(d.first) + " replaced by " + std::to_string(d.second);
    return text;
}

// The record as the sensor holds it in `memory`, read by the window's Get.
std::optional<Record> ReadRecord(Context& c, Memory memory) {
    if (PushGET(c.p, TargetOf(memory)) != ExchangeOutcome::Answered) return std::nullopt;
    return c.p.pp;
}

// What the sensor model learned from the identification.
ExitCode Identify(Context& c) {
    const Program& p = c.p;
    const SensorIdentity& id = p.model.Identity();
    Print(c, {TextField("port", c.session.Device()), TextField("line", "ok"),
              NumberField("ccdtype", id.sensorType), NumberField("ccdmaxpixel", id.pixels),
              NumberField("ccdresolution", p.ccdresolution), NumberField("pcbtype", id.board),
              NumberField("ccdsubpixel", id.subPixels),
              NumberField("softversion", id.softwareVersion), NumberField("pixB", p.pixB),
              NumberField("pixE", p.pixE), TextField("firmware", id.firmware)});
    return ExitCode::Ok;
}

ExitCode Get(Context& c) {
    const Memory memory = c.request.memory;
    const auto record = ReadRecord(c, memory);
    if (!record) return NoAnswer(c, "get");
    const std::string& path = c.request.file;
    if (!path.empty()) {
        c.p.pp = *record;
        c.p.file_name = path;
        const platform::FileResult result = WriteParaFile(c.p);
        if (result != platform::kFileOk)
            return Fail(c, ExitCode::FileError, path + ": " + ParaFileErrorText(result, true));
    }
    if (c.request.json)
        Print(c, {TextField("memory", MemoryName(memory)), RecordField("words", *record)});
    else if (path.empty())
        c.out << RecordFileText(*record);
    return ExitCode::Ok;
}

ExitCode Send(Context& c, const Record& words) {
    Program& p = c.p;
    const Memory memory = c.request.memory;
    if (!InRange(c, words, p.ccdsubpixel)) return ExitCode::FileError;
    // As in the window: the file's record goes onto the panel (within its limits) and Send sends
    // what the panel holds.
    p.pp = words;
    CopyPPtoVars(p);
    PushGET(p, DATFILE);
    const ExchangeOutcome outcome = PushSEND(p, TargetOf(memory));
    const Record sent = p.pp;
    if (outcome != ExchangeOutcome::Answered) return NoAnswer(c, "send");
    Fields fields = {TextField("memory", MemoryName(memory)), RecordField("sent", sent)};
    const std::string replaced = Replacements(words, sent);
    if (!replaced.empty()) fields.push_back(TextField("replaced", replaced));
    if (c.request.verify) {
        const auto read = ReadRecord(c, memory);
        if (!read) return NoAnswer(c, "verify");
        const auto differences = CompareRecords(sent, *read);
        if (!differences.empty())
            return Fail(c, ExitCode::Mismatch,
                        std::string("verify: ") + MemoryName(memory) +
                            " differs from what was sent in " +
                            DescribeDifferences(differences, "sent", MemoryName(memory)));
        fields.push_back(FlagField("verified", true));
    }
    if (c.request.json)
        Print(c, fields);
    else if (!replaced.empty())
        c.out << "replaced  " << replaced << "\n";
    return ExitCode::Ok;
}

ExitCode Teach(Context& c) {
    if (PushTEACH(c.p) != ExchangeOutcome::Answered) return NoAnswer(c, "teach");
    Print(c, {NumberField("setpoint", c.p.tVal)});
    return ExitCode::Ok;
}

ExitCode ResetMaxMin(Context& c) {
    if (PushRESET(c.p) != ExchangeOutcome::Answered) return NoAnswer(c, "reset-maxmin");
    Print(c, {FlagField("reset", true)});
    return ExitCode::Ok;
}

// Writes each measurement of the window's Run loop as a row, to standard output or to the
// measurements file, and ends the loop once enough are written or at the first write that fails.
class RowWriter : public MeasurementListener {
  public:
    RowWriter(Context& c, MeasurementsFile& file) : c_(c), file_(file), start_(c.p.rt.Timer()) {}
    void Measured(const State& s) override {
        const Request& r = c_.request;
        const double seconds = c_.p.rt.Timer() - start_;
        const Record answer = RecordOf(kAnswerRecord, s);
        // The recording's columns: a file from here reads like one the window recorded.
        const MeasurementRow row{taken + 1, platform::UtcMilliseconds(), seconds, answer, s.tVal,
                                 s.tTol};
        const std::string line =
            r.json ? JsonRow(seconds, answer) : MeasurementLine(row, r.csvFormat);
        if (r.csv.empty())
            written = static_cast<bool>(c_.out << line << std::flush);
        else
            written = file_.Add(line, seconds);
        ++taken;
        done = r.count > 0 ? taken >= r.count : seconds >= r.seconds;
        if (done || !written) c_.p.stop_flag = 1;
    }
    long taken = 0;
    bool done = false, written = true;

  private:
    Context& c_;
    MeasurementsFile& file_;
    const double start_;
};

ExitCode Run(Context& c) {
    Program& p = c.p;
    const Request& r = c.request;
    const std::string head = r.json ? "" : MeasurementColumns(r.csvFormat);
    MeasurementsFile file(r.csv, head);
    if (r.csv.empty()) c.out << head;
    RowWriter writer(c, file);
    p.listeners.Add(&writer);
    PushRUN(p);
    p.listeners.Remove(&writer);
    if (r.csv.empty() && !writer.written)
        return Fail(c, ExitCode::FileError, "run: cannot write the measurements");
    if (!r.csv.empty() && !(writer.written && file.Finish()))
        return Fail(c, ExitCode::FileError,
                    "run: " + r.csv + ": " + file.Error() + " (" + std::to_string(file.Rows()) +
                        " rows kept)");
    if (!writer.done)
        return Fail(c, ExitCode::NoSensor,
                    "run: the sensor stopped answering after " + std::to_string(writer.taken) +
                        " measurements (" + c.session.StatusLine() + ")");
    return ExitCode::Ok;
}

ExitCode Compare(Context& c, const std::optional<Record>& file) {
    const auto ram = ReadRecord(c, Memory::Ram);
    const auto eeprom = ram ? ReadRecord(c, Memory::Eeprom) : std::nullopt;
    if (!eeprom) return NoAnswer(c, "compare");
    std::vector<Column> columns = {{"ram", *ram}, {"eeprom", *eeprom}};
    if (file) columns.push_back({"file", *file});
    std::string described;
    for (std::size_t i = 1; i < columns.size(); ++i) {
        const auto differences = CompareRecords(columns[0].words, columns[i].words);
        if (differences.empty()) continue;
        described += (described.empty() ? "" : "; ") + columns[i].name + " differs from ram in " +
                     DescribeDifferences(differences, "ram", columns[i].name);
    }
    if (c.request.json) {
        Fields fields;
        for (const auto& column : columns)
            fields.push_back(RecordField(column.name, column.words));
        fields.push_back(FlagField("equal", described.empty()));
        Print(c, fields);
    } else {
        c.out << CompareTable(columns);
    }
    if (!described.empty()) return Fail(c, ExitCode::Mismatch, "compare: " + described);
    return ExitCode::Ok;
}

// The output file's checks that need no sensor: a target the program may write (output_target.h)
// in a folder that exists. The file itself is made only when there is something to write.
bool OutputPossible(Context& c, const std::string& path) {
    if (!platform::MayWriteTo(path)) {
        Fail(c, ExitCode::FileError,
             path + ": " + platform::kNotRegularText + " - nothing written");
        return false;
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
    if (error || !std::filesystem::is_directory(folder, error)) {
        Fail(c, ExitCode::FileError, path + ": cannot write the file: no such folder");
        return false;
    }
    return true;
}

ExitCode StoppedAnswering(Context& c, std::size_t taken, long wanted, const char* what) {
    return Fail(c, ExitCode::NoSensor,
                "setup: the sensor stopped answering after " + std::to_string(taken) + " of " +
                    std::to_string(wanted) + " " + what + " (" + c.session.StatusLine() +
                    "); nothing was sent");
}

ExitCode NoProposal(Context& c, SetupProblem problem) {
    return Fail(c, ExitCode::NoProposal, std::string("setup: ") + SetupProblemText(problem));
}

// Measures with the sensor's current parameters and proposes; nothing is written to the sensor.
// The Run measurements are taken only when the line image gave a threshold and edges.
ExitCode SetupPropose(Context& c) {
    Program& p = c.p;
    const Request& r = c.request;
    const SetupScale scale = ReadSetupScale(p);
    std::vector<VideoImage> images;
    if (TakeLineImages(p, r.videoCycles, images) != ExchangeOutcome::Answered)
        return StoppedAnswering(c, images.size(), r.videoCycles, "line images");
    SetupProposals proposals;
    proposals.signal = ProposeSignal({images, scale.polarity, scale.topOfScale});
    proposals.edges =
        ProposeEdges(proposals.signal, scale.polarity, scale.factor, scale.subpixelScale);
    proposals.setpoint = ProposeSetpoint(proposals.edges, scale.eMode);
    if (FirstProblem(proposals) != SetupProblem::None)
        return NoProposal(c, FirstProblem(proposals));
    std::vector<RunSample> samples;
    if (TakeRunSamples(p, r.runCycles, samples) != ExchangeOutcome::Answered)
        return StoppedAnswering(c, samples.size(), r.runCycles, "measurements");
    proposals.tolerance = ProposeTolerance(samples, scale.eMode);
    if (FirstProblem(proposals) != SetupProblem::None)
        return NoProposal(c, FirstProblem(proposals));

    const Fields fields =
        ProposalFields(proposals, {scale.polarity, scale.eMode, static_cast<long>(images.size())});
    if (!r.file.empty()) {
        const std::string why = platform::SaveTextFile(r.file, FieldsText(fields));
        if (!why.empty())
            return Fail(c, ExitCode::FileError, r.file + ": cannot write the proposal: " + why);
    }
    Print(c, fields);
    return ExitCode::Ok;
}

// The sensor's RAM record with the saved proposal in place, sent as `send` sends a file.
ExitCode SetupApply(Context& c, const ProposedValues& values) {
    Program& p = c.p;
    if (!ReadRecord(c, Memory::Ram)) return NoAnswer(c, "setup");
    CopyPPtoVars(p);
    PutProposals(values, p);
    CopyVarsToPP(p);
    return Send(c, p.pp);
}

// What a command needs before the sensor is touched: its input file read and checked, its output
// file checked. Checks that need the sensor's profile follow its identification.
struct Inputs {
    std::optional<Record> file;
    ProposedValues proposal;
};

bool LoadProposal(Context& c, Inputs& in) {
    constexpr long long kMaxProposalBytes = 64 * 1024;
    std::string text;
    if (const std::string why = platform::LoadTextFile(c.request.file, text, kMaxProposalBytes);
        !why.empty()) {
        Fail(c, ExitCode::FileError, c.request.file + ": cannot read the proposal: " + why);
        return false;
    }
    const ProposalFile read = ParseProposalText(text);
    if (!read.error.empty()) {
        Fail(c, ExitCode::FileError, c.request.file + ": " + read.error);
        return false;
    }
    in.proposal = read.values;
    return true;
}

bool PrepareInputs(Context& c, Inputs& in) {
    const Request& r = c.request;
    if ((r.command == Command::Send || r.command == Command::Compare) && !r.file.empty()) {
        in.file = LoadFile(c, r.file);
        if (!in.file) return false;
    }
    if (r.command == Command::Send && !InRange(c, *in.file, 0)) return false;
    if (r.command == Command::Get && !r.file.empty()) return OutputPossible(c, r.file);
    if (r.command == Command::Run && !r.csv.empty()) return OutputPossible(c, r.csv);
    if (r.command == Command::Setup && r.setup == SetupAction::Propose && !r.file.empty())
        return OutputPossible(c, r.file);
    if (r.command == Command::Setup && r.setup == SetupAction::Apply) return LoadProposal(c, in);
    return true;
}

ExitCode Dispatch(Context& c, Inputs& in) {
    switch (c.request.command) {
        case Command::Identify:
            return Identify(c);
        case Command::Get:
            return Get(c);
        case Command::Send:
            return Send(c, *in.file);
        case Command::Teach:
            return Teach(c);
        case Command::ResetMaxMin:
            return ResetMaxMin(c);
        case Command::Run:
            return Run(c);
        case Command::Compare:
            return Compare(c, in.file);
        case Command::Setup:
            return c.request.setup == SetupAction::Apply ? SetupApply(c, in.proposal)
                                                         : SetupPropose(c);
        case Command::Monitor:
        case Command::Log:
        case Command::None:
            break;
    }
    return ExitCode::Usage;
}

}  // namespace

ExitCode RunCommand(const Request& request, std::ostream& out, std::ostream& err) {
    if (request.command == Command::Log) return ListLog(request, out, err);
    Session session;
    session.program().changeLog.path = request.log;
    session.program().changeLog.program = "tavrix-cli";
    Context c{request, session, session.program(), out, err};
    if (!session.ready())
        return Fail(c, ExitCode::FileError, "cannot load the panel file beside the program");
    Inputs inputs;
    if (!PrepareInputs(c, inputs)) return ExitCode::FileError;
    if (request.command == Command::Monitor) return Monitor(request, session, err);
    std::string why, warning;
    const bool identify = request.command == Command::Identify;
    if (!session.Connect(request.port, identify, why, warning))
        return Fail(c, ExitCode::NoSensor, why);
    if (!warning.empty()) err << "tavrix-cli: warning: " << warning << "\n";
    const ExitCode code = Dispatch(c, inputs);
    session.program().rs.CloseCom(session.program().com);
    // The write itself went on; the log's failure is told once.
    if (!session.program().changeLog.failure.empty())
        err << "tavrix-cli: " << session.program().changeLog.failure << "\n";
    return code;
}
