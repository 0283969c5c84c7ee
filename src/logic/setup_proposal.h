// The set-up assistant's proposals, worked out from what the sensor saw with its current
// parameters: a video threshold from line images, an edge window and a setpoint from the edges the
// threshold finds, a tolerance from the spread of measurements. Pure: no sensor, no panel.
//
// Each step gives its figures, its proposal and, when it cannot propose, the reason; a proposal
// beyond its control's range is limited and says so in `limited`.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "state.h"
#include "tolerance_verdict.h"
#include "workbench_stats.h"

using VideoImage = std::array<u16, 256>;

// Why a step cannot propose. One family: the command line and the assistant say the same.
enum class SetupProblem {
    None,
    NoImages,          // no line image was taken
    Flat,              // nothing stands out from the background
    Noisy,             // the sample noise is too large for the contrast
    TooWeak,           // background and signal closer than the set margin
    Saturated,         // a plateau at the top of the scale
    LevelsOutOfRange,  // no threshold within the control's range lies between the levels
    NoEdge,            // the median image does not cross the threshold
    EdgesReversed,     // the object is the other way round from Polarity
    SeveralEdges,      // more than two crossings: more than one object in view
    EdgeMissing,       // the edge mode needs both edges; the object reaches past the line's end
    NoMeasurements,    // no measurement found the edges the edge mode needs
};
// One plain sentence, with the advice (a change of Power, Polarity, the window).
const char* SetupProblemText(SetupProblem problem);

struct SetupSettings {
    double thresholdShare = 0.5;  // where the threshold lies from background to signal
    int minContrast = 100;        // levels closer than this are too weak
    int flatContrast = 20;        // levels closer than this: a flat image
    double noiseRatio = 8;        // the contrast must be this many times the sample noise
    double edgeMargin = 0.10;     // the edge window's margin, a share of the span between edges
    double toleranceSds = 5;      // the tolerance in standard deviations of the measured values
};

// The controls' ranges the proposals are limited to.
inline constexpr int kThresholdMin = 50;
inline constexpr int kThresholdMax = 950;
inline constexpr int kToleranceMax = 65535;

// --- Step 1: signal -----------------------------------------------------------------------------
struct SignalInput {
    std::vector<VideoImage> images;
    int polarity = 0;       // 0: a bright object on a dark background, 1: a dark one on bright
    int topOfScale = 1024;  // the video graph's y axis top (YAXISMAX)
};
struct SignalProposal {
    SetupProblem problem = SetupProblem::None;
    std::array<double, 256> median{};  // per sample, over the images
    double background = 0, signal = 0;
    double noise = 0;  // the samples' typical deviation from their median (0 below three images)
    int threshold = 0;
    std::vector<std::string> limited;
};
SignalProposal ProposeSignal(const SignalInput& in, const SetupSettings& settings = {});

// --- Step 2: edges ------------------------------------------------------------------------------
struct EdgeProposal {
    SetupProblem problem = SetupProblem::None;
    int count = 0;  // edges found, 0 to 2
    // In sub-pixels; a side without an edge holds -1 (the object reaches past that end).
    double left = -1, right = -1;
    int leftLimit = 0, rightLimit = 0;
    std::vector<std::string> limited;
};
// Where the median image crosses the threshold; sample i lies at i * factor sub-pixels, and the
// window is limited to 1..subpixelScale.
EdgeProposal ProposeEdges(const SignalProposal& signal, int polarity, int factor, int subpixelScale,
                          const SetupSettings& settings = {});

// --- Step 3: setpoint and tolerance -------------------------------------------------------------
struct SetpointProposal {
    SetupProblem problem = SetupProblem::None;
    int setpoint = 0;
};
// The measured value the sensor gives for these edges in edge mode eMode: 0 the left edge (or
// the only one), 1 the right edge, 2 the distance between them, 3 and 4 their centre.
SetpointProposal ProposeSetpoint(const EdgeProposal& edges, int eMode);

// One Run answer's measured value and the edges it found.
struct RunSample {
    u16 value = 0;
    u16 edgeCount = 0;
    ToleranceVerdict verdict = ToleranceVerdict::NoEdge;  // by the window's pass/fail rule
};
// Whether a measurement found the edges edge mode eMode measures from.
bool HasModeEdges(const RunSample& sample, int eMode);

struct ToleranceProposal {
    SetupProblem problem = SetupProblem::None;
    SeriesFigures spread;  // over the measurements that found their edges
    long taken = 0;        // all measurements
    int tolerance = 0;
    std::vector<std::string> limited;
};
// k * sd, and no less than half the observed range plus 1, within 1..kToleranceMax.
ToleranceProposal ProposeTolerance(const std::vector<RunSample>& samples, int eMode,
                                   const SetupSettings& settings = {});

// --- All steps ----------------------------------------------------------------------------------
struct SetupProposals {
    SignalProposal signal;
    EdgeProposal edges;
    SetpointProposal setpoint;
    ToleranceProposal tolerance;
};
// The first step's problem, or None when every value is proposed.
SetupProblem FirstProblem(const SetupProposals& p);
// Every limit applied, in the steps' order.
std::vector<std::string> LimitsApplied(const SetupProposals& p);

// The values that go to the sensor, by their plain names.
struct ProposedValues {
    int videoThreshold = 0, leftEdgeLimit = 0, rightEdgeLimit = 0, setpoint = 0, tolerance = 0;
};
ProposedValues ValuesOf(const SetupProposals& p);
// The parameters with the proposed values in place (vThd, eBeg, eEnd, tVal, tTol).
void PutProposals(const ProposedValues& v, State& s);

// The proposals and the figures behind them as a JSON object, for the change log's entry of the
// write that stores them: {"setup_assistant": {"video_threshold": ..., "figures": {...}}}.
// `checkInTolerance` and `checkTaken` are the check Run's counts (0 and 0: no check ran).
std::string ProposalDetails(const SetupProposals& p, long checkInTolerance, long checkTaken);
