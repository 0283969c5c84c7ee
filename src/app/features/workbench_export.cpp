// Export of the graphs and of the latest measurements.
#include "com232.h"
#include "panel_ids.h"
#include "row_file.h"
#include "workbench.h"

using namespace platform;

namespace {

// The graphs the panel shows now: the strip chart or the video curve, then the bar graph.
std::vector<std::pair<int, const char*>> ShownGraphs(Program& p) {
    int strip = 0;
    p.rt.GetCtrlAttribute(p.pHandle, ui::STRIPRaw, ATTR_VISIBLE, strip);
    if (strip != 0) return {{ui::STRIPRaw, "strip"}, {ui::GRAPHBar, "bar"}};
    return {{ui::GRAPHVideo, "video"}, {ui::GRAPHBar, "bar"}};
}

}  // namespace

void SaveLatestCsv(Program& p, const std::string& path) {
    if (!p.workbench) return;
    Workbench& w = *p.workbench;
    RecordingHeader h;
    h.title = "Tavrix-Didor " + p.szSoftVersion + " latest measurements";
    h.firmware = p.szVersion;
    h.utcMs = UtcMilliseconds();
    std::string text = CommentBlock(h) + MeasurementColumns();
    const long count = std::min<long>(w.cycles, Workbench::kLatest);
    for (long k = w.cycles - count; k < w.cycles; ++k)
        text += MeasurementLine(w.latest[static_cast<std::size_t>(k % Workbench::kLatest)]);
    const std::string error = SaveTextFile(path, text);
    SetStatus(
        p, error.empty() ? std::to_string(count) + " measurements saved" : "Not saved: " + error);
}

void SaveGraphs(Program& p, const std::string& path) {
    const std::string::size_type dot = path.rfind('.');
    const std::string stem = path.substr(0, dot);
    const std::string extension = dot == std::string::npos ? ".png" : path.substr(dot);
    const bool pdf = extension == ".pdf" || extension == ".PDF";
    bool ok = true;
    for (const auto& [control, name] : ShownGraphs(p)) {
        const std::string file = stem + "-" + name + extension;
        ok = ok && (pdf ? SaveGraphPdf(p.rt, p.pHandle, control, file)
                        : SaveGraphPng(p.rt, p.pHandle, control, file));
    }
    SetStatus(p, ok ? "Graphs saved" : "Graphs not saved: the files cannot be written");
}

void CopyShownGraphs(Program& p) {
    std::vector<int> controls;
    for (const auto& shown : ShownGraphs(p))
        controls.push_back(shown.first);
    SetStatus(p, CopyGraphs(p.rt, p.pHandle, controls) ? "Graphs copied" : "Graphs not copied");
}
