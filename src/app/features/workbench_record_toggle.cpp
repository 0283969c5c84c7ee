// Starting and ending a recording from the Record toggle; recording_files writes the files.

#include "com232.h"
#include "workbench.h"

namespace {

std::string FileName(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string HardwareText(const State& s) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "ccd type %u, %u pixels, resolution %u, board %u, sub-pixel scale %u, "
                  "software %u",
                  unsigned{s.ccdtype}, unsigned{s.ccdmaxpixel}, unsigned{s.ccdresolution},
                  unsigned{s.pcbtype}, unsigned{s.ccdsubpixel}, unsigned{s.softversion});
    return text;
}

}  // namespace

std::string DefaultRecordName(const std::string& what) {
    return "tavrix-" + what + "-" + CompactUtc(platform::UtcMilliseconds());
}

bool StartRecording(Program& p, const std::string& path) {
    if (!p.workbench) return false;
    Workbench& w = *p.workbench;
    State at = p;  // the parameter record as it would be sent now; pp itself is the link's
    CopyVarsToPP(at);
    RecordingHeader h;
    h.title = "Tavrix-Didor " + p.szSoftVersion + " measurement recording";
    h.firmware = p.szVersion;
    h.hardware = HardwareText(p);
    h.parameters = at.pp;
    h.utcMs = platform::UtcMilliseconds();
    w.recordStart = p.rt.Timer();
    w.recordedCycles = 0;
    w.recorded = MeasurementRow{};  // no image row before this recording's first measurement
    w.recordFormat = CsvFormatOf(w);
    if (w.recorder.Start(path, CommentBlock(h, w.recordFormat), w.recordStart, w.recordFormat) !=
        RecordResult::Ok) {
        w.panel.SetRecording(false);
        SetStatus(p, "Recording not started: " + w.recorder.Error());
        return false;
    }
    w.panel.SetRecording(true);
    SetStatus(p, "Recording to " + FileName(path));
    return true;
}

void StopRecording(Program& p) {
    if (!p.workbench || !p.workbench->recorder.On()) return;
    Workbench& w = *p.workbench;
    w.panel.SetRecording(false);
    if (w.recorder.Stop(p.rt.Timer()) != RecordResult::Ok) {
        SetStatus(p, "Recording stopped: " + w.recorder.Error() + " (" +
                         std::to_string(w.recorder.Rows()) + " rows kept)");
        return;
    }
    SetStatus(p, "Recording ended: " + std::to_string(w.recorder.Rows()) + " rows in " +
                     FileName(w.recorder.Path()));
}
