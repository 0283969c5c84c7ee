// The set-up assistant: its steps, measurements, Apply and Cancel.
#include "setup_assistant.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "com232.h"
#include "gui.h"
#include "panel_ids.h"
#include "sensor_events.h"
#include "sensor_view.h"
#include "setup_assistant_panel.h"
#include "setup_measure.h"

using namespace platform;

namespace {

// The main window's buttons that start exchanges of their own: dimmed while the assistant measures.
constexpr int kDimmedWhileMeasuring[] = {ui::BTNRun, ui::BTNVideo, ui::BTNSend, ui::BTNGet,
                                         ui::ButtonTeach};
// The controls the proposals go into, in the order of ProposedValues.
constexpr int kProposalControls[] = {ui::NUMVideoThreshold, ui::NEDITEdgeLeft, ui::NEDITEdgeRight,
                                     ui::NUMTVal, ui::NEDITTolerance};
constexpr const char* kProposalNames[] = {"Video threshold", "Left edge limit", "Right edge limit",
                                          "Setpoint", "Tolerance"};

void OnAction(void* data, AssistantAction action);

}  // namespace

// What one pass through the steps found and did; Cancel starts a new one.
struct AssistantPass {
    AssistantStep step = AssistantStep::Signal;
    SetupScale scale;
    AssistantSettings settings;  // as they were when the line images were taken
    std::vector<VideoImage> images;
    std::vector<RunSample> samples, check;
    SetupProposals proposals;
    bool haveSignal = false, haveSpread = false;
    bool measuring = false, cancelAsked = false;
    std::optional<std::array<int, 5>> panelBefore;  // the five controls before the proposals
    std::optional<RecordWords> ramBefore;           // RAM before the Send, for Cancel
    bool sent = false, stored = false;
    std::string status;
};

struct SetupAssistant : AssistantPass {
    explicit SetupAssistant(Program& p) : panel(p.rt, p.pHandle, OnAction, &p) {}
    SetupAssistantPanel panel;
};

void SetupAssistantCloser::operator()(SetupAssistant* a) const {
    delete a;
}

namespace {

std::string Format(const char* format, double a = 0, double b = 0, double c = 0, double d = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

std::array<int, 5> ValuesArray(const ProposedValues& v) {
    return {v.videoThreshold, v.leftEdgeLimit, v.rightEdgeLimit, v.setpoint, v.tolerance};
}

std::array<int, 5> PanelNow(const Program& p) {
    std::array<int, 5> now{};
    for (std::size_t i = 0; i < now.size(); ++i)
        p.rt.GetCtrlVal(p.pHandle, kProposalControls[i], now[i]);
    return now;
}

// The five values as one step of the panel's undo history, named `what`.
void PutIntoPanel(Program& p, const std::array<int, 5>& values, const char* what) {
    for (std::size_t i = 0; i < values.size(); ++i)
        p.rt.SetCtrlVal(p.pHandle, kProposalControls[i], values[i]);
    PanelChanged(p, what);
}

SetupSettings ProposalSettings(const AssistantSettings& s) {
    SetupSettings settings;
    settings.thresholdShare = s.thresholdShare;
    settings.edgeMargin = s.edgeMargin;
    settings.toleranceSds = s.toleranceSds;
    return settings;
}

// --- Drawing ---------------------------------------------------------------------------------

AssistantCurve Vertical(double x, double top, int color, bool dashed, const std::string& name) {
    return {{x, x}, {0, top}, color, dashed, name};
}

AssistantCurve Horizontal(double y, double from, double to, int color, bool dashed,
                          const std::string& name) {
    return {{from, to}, {y, y}, color, dashed, name};
}

AssistantCurve ImageCurve(const SetupAssistant& a, const double* y, int color,
                          const std::string& name) {
    AssistantCurve c{{}, {y, y + 256}, color, false, name};
    for (int i = 0; i < 256; ++i)
        c.x.push_back(static_cast<double>(i * a.scale.factor));
    return c;
}

void DrawSignal(const Program& p, SetupAssistant& a) {
    const double top = a.scale.topOfScale, right = a.scale.subpixelScale;
    const AssistantAxes axes{0, right, 0, top, "Position (sub-pixels)", "Video"};
    if (!a.haveSignal) {
        a.panel.ShowPlot({}, axes);
        a.panel.ShowText(Format("Press Measure: %.0f Video cycles with the sensor's parameters.",
                                a.panel.Settings().videoCycles));
        return;
    }
    std::array<double, 256> last{};
    std::copy(a.images.back().begin(), a.images.back().end(), last.begin());
    const SignalProposal& s = a.proposals.signal;
    std::vector<AssistantCurve> curves = {
        ImageCurve(a, last.data(), 0xFFA0A0, "Line image"),
        ImageCurve(a, s.median.data(), 0xFF0000, "Median"),
        Horizontal(PanelNow(p)[0], 0, right, 0x008000, true, "Threshold now")};
    std::string text =
        Format("Background %.0f, signal %.0f, noise %.1f. ", s.background, s.signal, s.noise);
    if (s.problem == SetupProblem::None) {
        curves.push_back(Horizontal(s.threshold, 0, right, 0x0000FF, false, "Proposed"));
        text += Format("Proposed video threshold %.0f.", s.threshold);
    } else {
        text += SetupProblemText(s.problem);
    }
    for (const auto& limit : s.limited)
        text += " " + limit + ".";
    a.panel.ShowPlot(curves, axes);
    a.panel.ShowText(text);
}

void DrawEdges(const Program& p, SetupAssistant& a) {
    const double top = a.scale.topOfScale, right = a.scale.subpixelScale;
    const EdgeProposal& e = a.proposals.edges;
    const std::array<int, 5> now = PanelNow(p);
    std::vector<AssistantCurve> curves = {
        ImageCurve(a, a.proposals.signal.median.data(), 0xFF0000, "Median"),
        Horizontal(a.proposals.signal.threshold, 0, right, 0x0000FF, false, "Proposed threshold"),
        Vertical(now[1], top, 0x808080, true, "Edge window now"),
        Vertical(now[2], top, 0x808080, true, "")};
    std::string text;
    if (e.problem == SetupProblem::None) {
        for (double edge : {e.left, e.right})
            if (edge >= 0) curves.push_back(Vertical(edge, top, 0x0000FF, false, ""));
        curves.push_back(Vertical(e.leftLimit, top, 0xFF8000, true, "Proposed edge window"));
        curves.push_back(Vertical(e.rightLimit, top, 0xFF8000, true, ""));
        text = e.count == 2 ? Format("Edges at %.1f and %.1f.", e.left, e.right)
                            : Format("One edge, at %.1f: the object reaches past the line's end.",
                                     std::max(e.left, e.right));
        text += Format(" Proposed edge window %.0f to %.0f.", e.leftLimit, e.rightLimit);
        for (const auto& limit : e.limited)
            text += " " + limit + ".";
    }
    const SetupProblem problem = FirstProblem(a.proposals);
    if (problem != SetupProblem::None && problem != SetupProblem::NoMeasurements)
        text += std::string(" ") + SetupProblemText(problem);
    a.panel.ShowPlot(curves, {0, right, 0, top, "Position (sub-pixels)", "Video"});
    a.panel.ShowText(text);
}

void DrawSpread(SetupAssistant& a) {
    const int setpoint = a.proposals.setpoint.setpoint;
    if (!a.haveSpread) {
        a.panel.ShowPlot({}, {});
        a.panel.ShowText(
            Format("Proposed setpoint %.0f. Press Measure: %.0f Run measurements for "
                   "the spread of the measured value.",
                   setpoint, a.panel.Settings().runCycles));
        return;
    }
    AssistantCurve values{{}, {}, 0xFF0000, false, "Measured"};
    for (std::size_t i = 0; i < a.samples.size(); ++i) {
        values.x.push_back(static_cast<double>(i + 1));
        values.y.push_back(a.samples[i].value);
    }
    const ToleranceProposal& t = a.proposals.tolerance;
    const double n = static_cast<double>(a.samples.size());
    const double low = std::min(t.spread.min, double(setpoint - t.tolerance));
    const double high = std::max(t.spread.max, double(setpoint + t.tolerance));
    const double pad = std::max(1.0, (high - low) * 0.1);
    std::vector<AssistantCurve> curves = {values,
                                          Horizontal(setpoint, 1, n, 0x0000FF, false, "Setpoint")};
    if (t.problem == SetupProblem::None) {
        curves.push_back(Horizontal(setpoint - t.tolerance, 1, n, 0x00A000, true, "Tolerance"));
        curves.push_back(Horizontal(setpoint + t.tolerance, 1, n, 0x00A000, true, ""));
    }
    a.panel.ShowPlot(curves, {1, n, low - pad, high + pad, "Measurement", "Measured value"});
    std::string text = Format("Mean %.1f, sd %.2f, min %.0f, max %.0f", t.spread.mean, t.spread.sd,
                              t.spread.min, t.spread.max) +
                       Format(" over %.0f of %.0f measurements. ",
                              static_cast<double>(t.spread.count), static_cast<double>(t.taken));
    text += t.problem == SetupProblem::None
                ? Format("Proposed setpoint %.0f, tolerance %.0f.", setpoint, t.tolerance)
                : SetupProblemText(t.problem);
    for (const auto& limit : t.limited)
        text += " " + limit + ".";
    a.panel.ShowText(text);
}

void DrawApply(SetupAssistant& a) {
    std::vector<std::vector<std::string>> rows = {{"Value", "Before", "Proposed"}};
    const std::array<int, 5> proposed = ValuesArray(ValuesOf(a.proposals));
    for (std::size_t i = 0; i < proposed.size(); ++i)
        rows.push_back({kProposalNames[i],
                        a.panelBefore ? std::to_string((*a.panelBefore)[i]) : "-",
                        std::to_string(proposed[i])});
    a.panel.ShowTable(rows);
    a.panel.ShowPlot({}, {});
    a.panel.ShowText(
        "The proposals are on the panel as unsent edits. Send them to RAM to check "
        "them with a Run; then store them in EEPROM or save a parameter file.");
}

bool StepReady(const SetupAssistant& a) {
    switch (a.step) {
        case AssistantStep::Signal:
            return a.haveSignal && a.proposals.signal.problem == SetupProblem::None;
        case AssistantStep::Edges:
            return a.proposals.setpoint.problem == SetupProblem::None;
        case AssistantStep::Setpoint:
            return a.haveSpread && a.proposals.tolerance.problem == SetupProblem::None;
        case AssistantStep::Apply:
            return false;
    }
    return false;
}

void Draw(Program& p) {
    SetupAssistant& a = *p.assistant;
    static const char* const kTitles[] = {"1 Signal", "2 Edges", "3 Setpoint and tolerance",
                                          "4 Apply"};
    a.panel.ShowStep(kTitles[static_cast<int>(a.step)]);
    if (a.step != AssistantStep::Apply) a.panel.ShowTable({});
    switch (a.step) {
        case AssistantStep::Signal:
            DrawSignal(p, a);
            break;
        case AssistantStep::Edges:
            DrawEdges(p, a);
            break;
        case AssistantStep::Setpoint:
            DrawSpread(a);
            break;
        case AssistantStep::Apply:
            DrawApply(a);
            break;
    }
    const bool idle = !a.measuring;
    const bool apply = a.step == AssistantStep::Apply;
    const bool measures = a.step == AssistantStep::Signal || a.step == AssistantStep::Setpoint;
    const bool usable[kAssistantActions] = {idle && a.step != AssistantStep::Signal,
                                            idle && measures,
                                            idle && StepReady(a),
                                            idle && apply,
                                            idle && apply && a.sent && !a.stored,
                                            idle && apply && a.sent && !a.stored,
                                            idle && apply,
                                            true};
    const bool shown[kAssistantActions] = {true,  measures, !apply, apply,
                                           apply, apply,    apply,  true};
    a.panel.SetButtons(usable, shown);
    a.panel.ShowStatus(a.status);
}

// --- Measuring -------------------------------------------------------------------------------

void DimMainButtons(Program& p, int dimmed) {
    for (int control : kDimmedWhileMeasuring)
        p.rt.SetCtrlAttribute(p.pHandle, control, ATTR_DIMMED, dimmed);
}

std::string OutcomeText(ExchangeOutcome outcome) {
    if (outcome == ExchangeOutcome::TimedOut) return "Timeout RS232-Line! Nothing was sent.";
    if (outcome == ExchangeOutcome::Stopped) return "Measuring stopped. Nothing was sent.";
    return std::string("Measuring ended: ") + OutcomeName(outcome) + ". Nothing was sent.";
}

void FinishCancel(Program& p);

// Runs one measuring step with the main window's exchange buttons dimmed. False when it did not
// complete (the reason is in the status) or Cancel was pressed meanwhile.
template <class Take>
bool Measure(Program& p, Take take) {
    SetupAssistant& a = *p.assistant;
    if (p.loopRunning) {
        a.status = "Run or Video ends after its cycle; then press Measure again.";
        return false;
    }
    a.measuring = true;
    a.status = "Measuring...";
    Draw(p);
    DimMainButtons(p, 1);
    const ExchangeOutcome outcome = take();
    DimMainButtons(p, 0);
    a.measuring = false;
    if (a.cancelAsked) {
        FinishCancel(p);
        return false;
    }
    a.status = outcome == ExchangeOutcome::Answered ? "" : OutcomeText(outcome);
    return outcome == ExchangeOutcome::Answered;
}

void MeasureSignal(Program& p) {
    SetupAssistant& a = *p.assistant;
    a.scale = ReadSetupScale(p);
    a.settings = a.panel.Settings();
    const SetupSettings settings = ProposalSettings(a.settings);
    std::vector<VideoImage> images;
    if (!Measure(p, [&] { return TakeLineImages(p, a.settings.videoCycles, images); })) return;
    a.images = std::move(images);
    a.proposals = {};
    a.proposals.signal = ProposeSignal({a.images, a.scale.polarity, a.scale.topOfScale}, settings);
    a.proposals.edges = ProposeEdges(a.proposals.signal, a.scale.polarity, a.scale.factor,
                                     a.scale.subpixelScale, settings);
    a.proposals.setpoint = ProposeSetpoint(a.proposals.edges, a.scale.eMode);
    a.haveSignal = true;
    a.haveSpread = false;
}

void MeasureSpread(Program& p) {
    SetupAssistant& a = *p.assistant;
    const AssistantSettings chosen = a.panel.Settings();
    std::vector<RunSample> samples;
    if (!Measure(p, [&] { return TakeRunSamples(p, chosen.runCycles, samples); })) return;
    a.samples = std::move(samples);
    a.proposals.tolerance = ProposeTolerance(a.samples, a.scale.eMode, ProposalSettings(chosen));
    a.haveSpread = true;
}

// --- Apply and Cancel ------------------------------------------------------------------------

void EnterApply(Program& p) {
    SetupAssistant& a = *p.assistant;
    a.panelBefore = PanelNow(p);
    PutIntoPanel(p, ValuesArray(ValuesOf(a.proposals)), "Set-up proposals");
    a.status = "Proposals on the panel, not sent";
}

void LeaveApply(Program& p) {
    SetupAssistant& a = *p.assistant;
    if (a.panelBefore) PutIntoPanel(p, *a.panelBefore, "Set-up proposals taken back");
    a.panelBefore.reset();
}

long CheckInTolerance(const SetupAssistant& a) {
    return static_cast<long>(std::count_if(a.check.begin(), a.check.end(), [](const RunSample& s) {
        return s.verdict == ToleranceVerdict::InTolerance;
    }));
}

// The window's own Send of what the panel holds: the marks, the status line and the parameter
// limits are those the user knows. The change log's entry carries the proposals and their figures.
bool SendPanel(Program& p, int target) {
    const SetupAssistant& a = *p.assistant;
    p.changeLog.nextDetails =
        ProposalDetails(a.proposals, CheckInTolerance(a), static_cast<long>(a.check.size()));
    const bool answered = PushSEND(p, target) == ExchangeOutcome::Answered;
    p.changeLog.nextDetails.clear();  // a Send refused before the wire logs nothing
    return answered;
}

// The share of check measurements in tolerance, judged as the window's lamp judges them.
std::string CheckText(const SetupAssistant& a) {
    const long inside = CheckInTolerance(a);
    const double n = static_cast<double>(a.check.size());
    return Format("Sent to RAM. Check Run: %.0f of %.0f in tolerance (%.1f %%).",
                  static_cast<double>(inside), n,
                  n > 0 ? 100.0 * static_cast<double>(inside) / n : 0);
}

void SendToRam(Program& p) {
    SetupAssistant& a = *p.assistant;
    RecordWords ram{};
    if (!ReadRecordOnly(p, GET_RAM, ram)) {
        a.status = "Timeout-RS-232... Nothing was sent.";
        return;
    }
    if (!a.ramBefore) a.ramBefore = ram;
    a.sent = true;  // even unanswered, the record may have arrived: Cancel writes the old back
    if (!SendPanel(p, RAM)) {
        a.status = "Send to RAM: no answer. Cancel writes the old RAM record back.";
        return;
    }
    std::vector<RunSample> check;
    const long count = a.panel.Settings().runCycles;
    if (!Measure(p, [&] { return TakeRunSamples(p, count, check); })) return;
    a.check = std::move(check);
    a.status = CheckText(a);
}

// After the Send: the sensor takes what it measures now as the setpoint, instead of the proposed
// one; the read-back puts it on the panel, so a store keeps it.
void TeachSetpoint(Program& p) {
    SetupAssistant& a = *p.assistant;
    if (PushTEACH(p) != ExchangeOutcome::Answered) {
        a.status = "Teach: no answer. The proposed setpoint stays.";
        return;
    }
    int setpoint = 0;
    p.rt.GetCtrlVal(p.pHandle, ui::NUMTVal, setpoint);
    a.status =
        Format("Setpoint taught: %.0f (proposed %.0f).", setpoint, ValuesOf(a.proposals).setpoint);
}

void StoreInEeprom(Program& p) {
    SetupAssistant& a = *p.assistant;
    if (!a.panel.Confirm("Store in EEPROM",
                         "Store the sent set-up in the sensor's EEPROM, where it stays after "
                         "power-off?"))
        return;
    if (!SendPanel(p, EEPROM)) {
        a.status = "Store in EEPROM: no answer.";
        return;
    }
    a.stored = true;
    a.status = "Stored in EEPROM.";
}

void SaveParameterFile(Program& p) {
    if (ParaFilePopup(p, SAVE_POPUP) > 0) SendParaToFile(p);
}

void WriteOldRamBack(Program& p, const RecordWords& old) {
    const auto kept = p.pp;
    p.pp = old;
    const bool answered = AwaitAnswer(p, WriteRequest(p, SEND_RAM));
    p.pp = kept;
    SensorRecordSent(p, Memory::Ram, OutcomeOf(p, answered), old);  // logged as every write
    ShowText(p, answered ? "Set-up assistant cancelled: the old RAM record was written back"
                         : "Set-up assistant cancelled: Timeout-RS-232... writing the old RAM "
                           "record back");
}

void FinishCancel(Program& p) {
    SetupAssistant& a = *p.assistant;
    if (a.step == AssistantStep::Apply && !a.stored) LeaveApply(p);
    if (a.sent && !a.stored && a.ramBefore) WriteOldRamBack(p, *a.ramBefore);
    a.panel.Hide();
    static_cast<AssistantPass&>(a) = AssistantPass{};  // the window stays, for the next pass
}

void Cancel(Program& p) {
    SetupAssistant& a = *p.assistant;
    if (a.measuring) {  // the loop ends after its cycle; Measure then finishes the Cancel
        a.cancelAsked = true;
        p.stop_flag = 1;
        return;
    }
    FinishCancel(p);
}

void Move(Program& p, int by) {
    SetupAssistant& a = *p.assistant;
    if (a.step == AssistantStep::Apply && by < 0) {
        if (a.sent) return;  // sent: Cancel writes the old record back
        LeaveApply(p);
    }
    a.step = static_cast<AssistantStep>(std::clamp(static_cast<int>(a.step) + by, 0, 3));
    a.status.clear();
    if (a.step == AssistantStep::Apply) EnterApply(p);
}

void OnAction(void* data, AssistantAction action) {
    Program& p = ProgramOf(data);
    if (!p.assistant) return;
    SetupAssistant& a = *p.assistant;
    if (a.measuring && action != AssistantAction::Cancel) return;
    switch (action) {
        case AssistantAction::Back:
            Move(p, -1);
            break;
        case AssistantAction::Next:
            if (StepReady(a)) Move(p, 1);
            break;
        case AssistantAction::Measure:
            a.step == AssistantStep::Signal ? MeasureSignal(p) : MeasureSpread(p);
            break;
        case AssistantAction::SendRam:
            SendToRam(p);
            break;
        case AssistantAction::Teach:
            TeachSetpoint(p);
            break;
        case AssistantAction::StoreEeprom:
            StoreInEeprom(p);
            break;
        case AssistantAction::SaveFile:
            SaveParameterFile(p);
            break;
        case AssistantAction::Cancel:
            Cancel(p);
            return;
    }
    if (p.assistant) Draw(p);
}

}  // namespace

void OpenSetupAssistant(Program& p) {
    if (!p.assistant) {
        p.assistant.reset(new SetupAssistant(p));
        p.assistant->scale = ReadSetupScale(p);
    }
    if (p.loopRunning) {
        p.stop_flag = 1;
        p.assistant->status = "Run or Video ends after its cycle; then press Measure.";
    }
    Draw(p);
    p.assistant->panel.Show();
}

AssistantStep SetupAssistantStep(const Program& p) {
    return p.assistant ? p.assistant->step : AssistantStep::Signal;
}
