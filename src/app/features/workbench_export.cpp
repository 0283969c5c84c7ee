// Export of the graphs and of the latest measurements.
#include "com232.h"
#include "panel_ids.h"
#include "row_file.h"
#include "workbench.h"

using namespace platform;

namespace {

struct ShownGraph {
    int control;
    const char* name;   // the file name's suffix
    const char* what;   // what the graph shows, for its title line
    int width, height;  // of its PNG, in pixels
};

// The graphs the panel shows now: the strip chart or the video curve, then the bar graph.
std::vector<ShownGraph> ShownGraphs(Program& p) {
    int strip = 0;
    p.rt.GetCtrlAttribute(p.pHandle, ui::STRIPRaw, ATTR_VISIBLE, strip);
    const ShownGraph bar{ui::GRAPHBar, "bar", "bar graph of the edges and tolerance band",
                         kExportWidth, kBarExportHeight};
    if (strip != 0)
        return {{ui::STRIPRaw, "strip", "trend of the measured value", kExportWidth, kExportHeight},
                bar};
    return {{ui::GRAPHVideo, "video", "line image", kExportWidth, kExportHeight}, bar};
}

// "Tavrix-Didor 1.4 | <firmware text> | COM1 (/dev/ttyS0) | 2026-12-07 15:20:01 UTC | line image"
std::string TitleLine(Program& p, const char* what) {
    std::string firmware = p.szVersion.empty() ? "no sensor text" : p.szVersion;
    while (!firmware.empty() && (firmware.back() == ' ' || firmware.back() == '\0'))
        firmware.pop_back();
    return "Tavrix-Didor " + p.szSoftVersion + " | " + firmware + " | " +
           PortName(p.portWatch.chosen) + " | " + IsoUtc(UtcMilliseconds()) + " | " + what;
}

}  // namespace

void SaveLatestCsv(Program& p, const std::string& path) {
    if (!p.workbench) return;
    Workbench& w = *p.workbench;
    RecordingHeader h;
    h.title = "Tavrix-Didor " + p.szSoftVersion + " latest measurements";
    h.firmware = p.szVersion;
    h.utcMs = UtcMilliseconds();
    const CsvFormat format = CsvFormatOf(w);
    std::string text = CommentBlock(h, format) + MeasurementColumns(format);
    const long count = std::min<long>(w.cycles, Workbench::kLatest);
    for (long k = w.cycles - count; k < w.cycles; ++k)
        text += MeasurementLine(w.latest[static_cast<std::size_t>(k % Workbench::kLatest)], format);
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
    for (const ShownGraph& g : ShownGraphs(p)) {
        const std::string file = stem + "-" + g.name + extension;
        const std::string title = TitleLine(p, g.what);
        ok = ok && (pdf ? SaveGraphPdf(p.rt, p.pHandle, g.control, file, g.width, g.height, title)
                        : SaveGraphPng(p.rt, p.pHandle, g.control, file, g.width, g.height, title));
    }
    SetStatus(p, ok ? "Graphs saved" : "Graphs not saved: the files cannot be written");
}

void CopyShownGraphs(Program& p) {
    std::vector<int> controls;
    for (const ShownGraph& shown : ShownGraphs(p))
        controls.push_back(shown.control);
    SetStatus(p, CopyGraphs(p.rt, p.pHandle, controls) ? "Graphs copied" : "Graphs not copied");
}
