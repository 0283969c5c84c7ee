// The workbench's life, the loop hooks and the live figures.
#include "workbench.h"

#include <cstdio>

#include "com232.h"
#include "compare.h"
#include "setup_assistant.h"

using platform::WorkbenchAction;

namespace {

std::string Number(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::vector<platform::TableCell> FiguresRow(const std::string& name, const SeriesFigures& f) {
    if (f.count == 0) return {{name}, {"0"}, {"-"}, {"-"}, {"-"}, {"-"}, {"-"}};
    return {{name},
            {std::to_string(f.count)},
            {Number("%.2f", f.mean)},
            {Number("%.2f", f.sd)},
            {Number("%.0f", f.min)},
            {Number("%.0f", f.max)},
            {Number("%.0f", f.range)}};
}

void Show(Workbench& w, double now) {
    w.shownAt = now;
    const LoopFigures f = w.stats.Get();
    w.panel.ShowRate(f.total[kValue].count > 0 ? Number("Rate: %.2f answers/s", f.rate)
                                               : "Rate: -");
    static constexpr const char* kNames[kSeriesCount] = {"Value", "Left", "Right"};
    std::vector<std::vector<platform::TableCell>> rows;
    for (int s = 0; s < kSeriesCount; ++s)
        rows.push_back(FiguresRow(std::string(kNames[s]) + ", last 100", f.window[s]));
    for (int s = 0; s < kSeriesCount; ++s)
        rows.push_back(FiguresRow(std::string(kNames[s]) + ", all", f.total[s]));
    w.panel.ShowTable({"", "n", "mean", "sd", "min", "max", "range"}, rows);
}

void EndRecordingOnFailure(Program& p, RecordResult result) {
    if (result == RecordResult::Ok) return;
    Workbench& w = *p.workbench;
    w.panel.SetRecording(false);
    SetStatus(p, "Recording stopped: " + w.recorder.Error() + " (" +
                     std::to_string(w.recorder.Rows()) + " rows kept)");
}

void OnAction(void* data, WorkbenchAction action, const std::string& file) {
    Program& p = ProgramOf(data);
    Workbench& w = *p.workbench;
    if (!file.empty()) {
        if (action == WorkbenchAction::RecordOn) StartRecording(p, file);
        if (action == WorkbenchAction::SaveCsv) SaveLatestCsv(p, file);
        if (action == WorkbenchAction::SavePng || action == WorkbenchAction::SavePdf)
            SaveGraphs(p, file);
    }
    struct Ask {
        WorkbenchAction action;
        const char *title, *what, *pattern;
    };
    static constexpr Ask kAsks[] = {
        {WorkbenchAction::RecordOn, "Record measurements to", "record", "*.csv"},
        {WorkbenchAction::SaveCsv, "Save the latest 100 measurements", "latest", "*.csv"},
        {WorkbenchAction::SavePng, "Save the graphs as PNG", "graphs", "*.png"},
        {WorkbenchAction::SavePdf, "Save the graphs as PDF", "graphs", "*.pdf"},
    };
    bool asking = false;
    for (const Ask& a : kAsks)
        if (file.empty() && a.action == action) {
            const std::string name = DefaultRecordName(a.what) + std::string(a.pattern).substr(1);
            asking = w.panel.ChooseFile(action, a.title, name, a.pattern);
        }
    if (action == WorkbenchAction::RecordOff) StopRecording(p);
    if (action == WorkbenchAction::PublishOn) w.panel.SetPublishing(StartPlantPublishing(p));
    if (action == WorkbenchAction::PublishOff) StopPlantPublishing(p);
    if (action == WorkbenchAction::CopyGraphs) CopyShownGraphs(p);
    if (action == WorkbenchAction::Compare) OpenCompareView(p);
    if (action == WorkbenchAction::SetupAssistant) OpenSetupAssistant(p);
    // The toggle shows whether a recording runs or its file is being asked for; so it goes off
    // again when that dialog is cancelled or could not open because another one was open.
    w.panel.SetRecording(w.recorder.On() || (action == WorkbenchAction::RecordOn && asking));
}

}  // namespace

Workbench::Workbench(Program& p) : program(p), panel(p.rt, p.pHandle, OnAction, &p) {}

void WorkbenchCloser::operator()(Workbench* w) const {
    w->program.listeners.Remove(w);
    w->recorder.Stop(0);
    delete w;
}

CsvFormat CsvFormatOf(const Workbench& w) {
    return w.panel.SemicolonCsv() ? CsvFormat::Semicolon : CsvFormat::Rfc4180;
}

void OpenWorkbench(Program& p) {
    p.workbench.reset(new Workbench(p));
    p.listeners.Add(p.workbench.get());
    Show(*p.workbench, 0);
    p.workbench->panel.SizeColumns(
        {"Right, last 100", "65535", "65535.00", "65535.00", "65535", "65535", "65535"});
}

void WorkbenchLoopBegins(Program& p) {
    if (!p.workbench) return;
    Workbench& w = *p.workbench;
    w.stats = LoopStats{};
    w.cycles = 0;
    w.loopStart = p.rt.Timer();
    Show(w, w.loopStart);
}

void WorkbenchMeasurement(Program& p) {
    if (!p.workbench) return;
    Workbench& w = *p.workbench;
    const double now = p.rt.Timer();
    MeasurementRow& row = w.latest[static_cast<std::size_t>(w.cycles % Workbench::kLatest)];
    row.cycle = ++w.cycles;
    row.utcMs = platform::UtcMilliseconds();
    row.seconds = now - w.loopStart;
    row.words = RecordOf(kAnswerRecord, p);
    row.setpoint = p.tVal, row.tolerance = p.tTol;
    w.stats.Add({p.Mvalue, p.Ledge, p.Redge}, now);
    if (w.recorder.On()) {
        w.recorded = row;
        w.recorded.cycle = ++w.recordedCycles;
        w.recorded.seconds = now - w.recordStart;
        EndRecordingOnFailure(
            p, w.recorder.AddMeasurement(MeasurementLine(w.recorded, w.recordFormat), now));
    }
    if (now - w.shownAt >= Workbench::kShowSeconds) Show(w, now);
}

void WorkbenchLineImage(Program& p) {
    if (!p.workbench || !p.workbench->recorder.On()) return;
    Workbench& w = *p.workbench;
    // A recording that began between this cycle's measurement and its image has no row for it.
    if (w.recorded.cycle == 0) return;
    const MeasurementRow& r = w.recorded;
    const std::string line = ImageLine(r.cycle, r.utcMs, r.seconds, p.adcbuf.data(),
                                       int(p.adcbuf.size()), w.recordFormat);
    EndRecordingOnFailure(p, w.recorder.AddImage(line, p.rt.Timer()));
}

void WorkbenchLoopEnds(Program& p) {
    if (!p.workbench) return;
    Workbench& w = *p.workbench;
    const double now = p.rt.Timer();
    Show(w, now);
    EndRecordingOnFailure(p, w.recorder.Flush(now));
}
