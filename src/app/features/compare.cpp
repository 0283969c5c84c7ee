// The compare view: reading the sensor into it, the added file, and drawing it.
#include "compare.h"

#include "com232.h"
#include "edit_marks.h"
#include "gui.h"
#include "sensor_events.h"

using namespace platform;

namespace {

void Draw(CompareView& v) {
    const CompareGrid table = BuildCompareTable(
        {v.panelWords, v.ram, v.eeprom, v.file, v.fileName.empty() ? "" : "File " + v.fileName});
    std::vector<std::vector<TableCell>> rows;
    for (const auto& row : table.rows) {
        std::vector<TableCell>& cells = rows.emplace_back();
        for (const CompareCell& cell : row)
            cells.push_back({cell.text, cell.differs});
    }
    v.panel.ShowTable(table.header, rows);
    const bool differ = v.ram && v.eeprom && *v.ram != *v.eeprom;
    v.panel.ShowSummary(v.memoryState, differ);
}

CompareRead Report(Program& p, CompareRead outcome) {
    const char* text = "";
    switch (outcome) {
        case CompareRead::Read:
            text = "RAM and EEPROM read from the sensor";
            break;
        case CompareRead::Refused:
            text = "Stop Run or Video before comparing";
            break;
        case CompareRead::Busy:
            text = "Reading the sensor - please wait";
            break;
        case CompareRead::TimedOut:
            text = "Timeout-RS-232...";
            break;
    }
    p.compare->panel.ShowStatus(text);
    if (outcome == CompareRead::Refused || outcome == CompareRead::TimedOut) ShowText(p, text);
    return outcome;
}

// Reads one memory into the model; the view shows what the model knows.
bool ReadIntoModel(Program& p, Memory memory) {
    RecordWords words{};
    const bool answered = ReadRecordOnly(p, memory == Memory::Ram ? GET_RAM : GET_EEPROM, words);
    SensorRecordRead(p, memory, OutcomeOf(p, answered), words);
    return answered;
}

void TakeModel(Program& p) {
    CompareView& v = *p.compare;
    v.ram = FullyKnown(p.model.Ram());
    v.eeprom = FullyKnown(p.model.Eeprom());
    v.memoryState = p.model.MemoryState();
}

// The file is read for the view alone: file_name, pp and the state stay as they are.
void AddFile(Program& p) {
    CompareView& v = *p.compare;
    std::string path;
    if (p.rt.FileSelectPopup(p.proj_dir, kParaFileName, "*.dat", "Parameter file to compare",
                             VAL_LOAD_BUTTON, false, true, true, false, path) <= 0)
        return;
    RecordWords words{};
    const FileResult result = ReadParaFileWords(path, words);
    if (result != kFileOk) {
        v.panel.ShowStatus(ParaFileErrorText(result, false));
        return;
    }
    v.file = words;
    v.fileName = path.substr(path.find_last_of("/\\") + 1);
    v.panel.ShowStatus("Parameter file added: " + v.fileName);
    Draw(v);
}

void OnAction(void* data, CompareAction action) {
    Program& p = ProgramOf(data);
    if (action == CompareAction::Read) ReadSensorIntoView(p);
    if (action == CompareAction::ChooseFile) AddFile(p);
}

}  // namespace

CompareView::CompareView(Program& p) : panel(p.rt, p.pHandle, OnAction, &p) {}

void CompareViewCloser::operator()(CompareView* v) const {
    delete v;
}

void OpenCompareView(Program& p) {
    if (!p.compare) p.compare.reset(new CompareView(p));
    p.compare->panelWords = PanelRecord(p);
    TakeModel(p);
    Draw(*p.compare);
    p.compare->panel.Show();
    ReadSensorIntoView(p);
}

CompareRead ReadSensorIntoView(Program& p) {
    CompareView& v = *p.compare;
    if (v.reading) return Report(p, CompareRead::Busy);
    if (p.loopRunning) return Report(p, CompareRead::Refused);
    v.reading = true;
    v.panel.ShowStatus("Reading RAM and EEPROM ...");
    // A silent line is asked once only.
    const bool read = ReadIntoModel(p, Memory::Ram) && ReadIntoModel(p, Memory::Eeprom);
    v.reading = false;
    v.panelWords = PanelRecord(p);
    TakeModel(p);
    Draw(v);
    return Report(p, read ? CompareRead::Read : CompareRead::TimedOut);
}

void CompareViewPanelChanged(Program& p, const RecordWords& panel) {
    if (!p.compare) return;
    p.compare->panelWords = panel;
    TakeModel(p);
    Draw(*p.compare);
}
