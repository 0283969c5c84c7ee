#include "cli_commands.h"

#include <fstream>
#include <optional>

#include "Tavrix-VarizA152.h"
#include "arrayfile.h"
#include "cli_format.h"
#include "cli_monitor.h"
#include "cli_session.h"
#include "com232.h"
#include "gui.h"
#include "panel_ids.h"
#include "row_file.h"
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

// The record of a parameter file, read as the window reads one; a refused file ends the command
// before the port is opened.
std::optional<Record> LoadFile(Context& c, const std::string& path) {
    c.p.file_name = path;
    const platform::FileResult result = LoadParaFile(c.p);
    if (result == platform::kFileOk) return c.p.pp;
    Fail(c, ExitCode::FileError, path + ": " + ParaFileErrorText(result, false));
    return std::nullopt;
}

// The record as the sensor holds it in `memory`, read by the window's Get.
std::optional<Record> ReadRecord(Context& c, Memory memory) {
    if (PushGET(c.p, TargetOf(memory)) != ExchangeOutcome::Answered) return std::nullopt;
    return c.p.pp;
}

ExitCode Identify(Context& c) {
    const Program& p = c.p;
    // The firmware text's bytes are still in the read buffer: nothing was read after them.
    const std::string firmware = DecodeVersionText(p.szReadBuf.data(), VERSION_BYTES, p.pcbtype);
    Print(c, {TextField("port", c.session.Device()), TextField("line", "ok"),
              NumberField("ccdtype", p.ccdtype), NumberField("ccdmaxpixel", p.ccdmaxpixel),
              NumberField("ccdresolution", p.ccdresolution), NumberField("pcbtype", p.pcbtype),
              NumberField("ccdsubpixel", p.ccdsubpixel), NumberField("softversion", p.softversion),
              NumberField("pixB", p.pixB), NumberField("pixE", p.pixE),
              TextField("firmware", firmware)});
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
    // As in the window: the file's record goes onto the panel (within its limits) and Send sends
    // what the panel holds.
    p.pp = words;
    CopyPPtoVars(p);
    PushGET(p, DATFILE);
    const ExchangeOutcome outcome = PushSEND(p, TargetOf(memory));
    const Record sent = p.pp;
    if (outcome != ExchangeOutcome::Answered) return NoAnswer(c, "send");
    Fields fields = {TextField("memory", MemoryName(memory)), RecordField("sent", sent)};
    if (c.request.verify) {
        const auto read = ReadRecord(c, memory);
        if (!read) return NoAnswer(c, "verify");
        const auto differences = CompareRecords(words, *read);
        if (!differences.empty())
            return Fail(c, ExitCode::Mismatch,
                        std::string("verify: ") + MemoryName(memory) + " differs from " +
                            c.request.file + " in " +
                            DescribeDifferences(differences, "file", MemoryName(memory)));
        fields.push_back(FlagField("verified", true));
    }
    if (c.request.json) Print(c, fields);
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

// Writes each measurement of the window's Run loop as a row, and ends the loop once enough are
// written.
class RowWriter : public MeasurementListener {
  public:
    RowWriter(Context& c, std::ostream& rows) : c_(c), rows_(rows), start_(c.p.rt.Timer()) {}
    void Measured(const State& s) override {
        const Request& r = c_.request;
        const double seconds = c_.p.rt.Timer() - start_;
        const Record answer = RecordOf(kAnswerRecord, s);
        // The recording's columns: a file from here reads like one the window recorded.
        const MeasurementRow row{taken + 1, platform::UtcMilliseconds(), seconds, answer, s.tVal,
                                 s.tTol};
        rows_ << (r.json ? JsonRow(seconds, answer) : MeasurementLine(row)) << std::flush;
        ++taken;
        done = r.count > 0 ? taken >= r.count : seconds >= r.seconds;
        if (done) c_.p.stop_flag = 1;
    }
    long taken = 0;
    bool done = false;

  private:
    Context& c_;
    std::ostream& rows_;
    const double start_;
};

ExitCode Run(Context& c, std::ostream& rows) {
    Program& p = c.p;
    if (!c.request.json) rows << MeasurementColumns();
    RowWriter writer(c, rows);
    p.listeners.Add(&writer);
    PushRUN(p);
    p.listeners.Remove(&writer);
    rows.flush();
    if (!rows) return Fail(c, ExitCode::FileError, "run: cannot write the measurements");
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

// What a command needs before the sensor is touched: its input file read, its output file open.
struct Inputs {
    std::optional<Record> file;
    std::ofstream csv;
};

bool PrepareInputs(Context& c, Inputs& in) {
    const Request& r = c.request;
    if ((r.command == Command::Send || r.command == Command::Compare) && !r.file.empty()) {
        in.file = LoadFile(c, r.file);
        if (!in.file) return false;
    }
    if (r.command == Command::Run && !r.csv.empty()) {
        in.csv.open(r.csv, std::ios::out | std::ios::trunc);
        if (!in.csv) {
            Fail(c, ExitCode::FileError, r.csv + ": cannot write the measurements file");
            return false;
        }
    }
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
            return Run(c, c.request.csv.empty() ? c.out : in.csv);
        case Command::Compare:
            return Compare(c, in.file);
        case Command::Monitor:
        case Command::None:
            break;
    }
    return ExitCode::Usage;
}

}  // namespace

ExitCode RunCommand(const Request& request, std::ostream& out, std::ostream& err) {
    Session session;
    Context c{request, session, session.program(), out, err};
    if (!session.ready())
        return Fail(c, ExitCode::FileError, "cannot load the panel file beside the program");
    Inputs inputs;
    if (!PrepareInputs(c, inputs)) return ExitCode::FileError;
    if (request.command == Command::Monitor) return Monitor(request, session, err);
    std::string why;
    if (!session.Connect(request.port, why)) return Fail(c, ExitCode::NoSensor, why);
    const ExitCode code = Dispatch(c, inputs);
    session.program().rs.CloseCom(session.program().com);
    return code;
}
