// Steps 2 and 3 of the set-up proposals: edges and window, setpoint, tolerance; and the texts.
#include "setup_proposal.h"

#include <algorithm>
#include <cmath>
#include <sstream>

const char* SetupProblemText(SetupProblem problem) {
    switch (problem) {
        case SetupProblem::None:
            return "Proposals ready";
        case SetupProblem::NoImages:
            return "No line image was taken";
        case SetupProblem::Flat:
            return "The line image is flat: nothing stands out from the background. Check the "
                   "object and Power";
        case SetupProblem::Noisy:
            return "The line image is too noisy to set a threshold: raise Power";
        case SetupProblem::TooWeak:
            return "The signal is too weak to set a threshold: raise Power";
        case SetupProblem::Saturated:
            return "The signal is saturated (a plateau at the top of the scale): lower Power";
        case SetupProblem::LevelsOutOfRange:
            return "No threshold from 50 to 950 lies between background and signal: change Power";
        case SetupProblem::NoEdge:
            return "The line image does not cross the threshold: no edge found";
        case SetupProblem::EdgesReversed:
            return "The object is the other way round from Polarity: check Polarity";
        case SetupProblem::SeveralEdges:
            return "The line image crosses the threshold more than twice: more than one object "
                   "in view";
        case SetupProblem::EdgeMissing:
            return "The edge mode needs both edges, but the object reaches past the end of the "
                   "line";
        case SetupProblem::NoMeasurements:
            return "No measurement found the edges the edge mode needs: check the edge window "
                   "and the threshold";
    }
    return "";
}

namespace {

struct Crossing {
    double at;      // sub-pixels
    bool entering;  // from the background onto the object
};

std::vector<Crossing> Crossings(const SignalProposal& signal, int polarity, int factor) {
    const double t = signal.threshold;
    const auto onObject = [&](double x) { return polarity != 0 ? x < t : x >= t; };
    std::vector<Crossing> found;
    for (std::size_t i = 0; i + 1 < signal.median.size(); ++i) {
        const double a = signal.median[i], b = signal.median[i + 1];
        if (onObject(a) == onObject(b)) continue;
        const double at = (static_cast<double>(i) + (t - a) / (b - a)) * factor;
        found.push_back({at, !onObject(a)});
    }
    return found;
}

SetupProblem PlaceEdges(const std::vector<Crossing>& c, EdgeProposal& p) {
    p.count = static_cast<int>(c.size());
    if (c.empty()) return SetupProblem::NoEdge;
    if (c.size() > 2) return SetupProblem::SeveralEdges;
    if (c.size() == 2 && !(c[0].entering && !c[1].entering)) return SetupProblem::EdgesReversed;
    for (const Crossing& x : c)
        (x.entering ? p.left : p.right) = x.at;
    return SetupProblem::None;
}

int LimitEdge(double wanted, int scale, const char* which, std::vector<std::string>& limited) {
    const int limit = std::clamp(static_cast<int>(std::lround(wanted)), 1, scale);
    if (limit != std::lround(wanted))
        limited.push_back(std::string(which) + " edge limit limited to " + std::to_string(limit) +
                          " (its range is 1 to " + std::to_string(scale) + ")");
    return limit;
}

}  // namespace

EdgeProposal ProposeEdges(const SignalProposal& signal, int polarity, int factor, int subpixelScale,
                          const SetupSettings& settings) {
    EdgeProposal p;
    p.problem = signal.problem;
    if (p.problem != SetupProblem::None) return p;
    p.problem = PlaceEdges(Crossings(signal, polarity, std::max(factor, 1)), p);
    if (p.problem != SetupProblem::None) return p;
    const int scale = std::max(subpixelScale, 1);
    // A side without an edge runs to the line's end: the window stays open there.
    const double from = p.left >= 0 ? p.left : 0, to = p.right >= 0 ? p.right : scale;
    const double margin = settings.edgeMargin * (to - from);
    p.leftLimit =
        p.left >= 0 ? LimitEdge(std::floor(p.left - margin), scale, "left", p.limited) : 1;
    p.rightLimit =
        p.right >= 0 ? LimitEdge(std::ceil(p.right + margin), scale, "right", p.limited) : scale;
    return p;
}

SetpointProposal ProposeSetpoint(const EdgeProposal& edges, int eMode) {
    SetpointProposal p;
    p.problem = edges.problem;
    if (p.problem != SetupProblem::None) return p;
    // The sensor reports whole sub-pixels and works out its measured value from them.
    const long left = std::lround(edges.left), right = std::lround(edges.right);
    if (eMode == 0) {
        p.setpoint = static_cast<int>(edges.left >= 0 ? left : right);
        return p;
    }
    if (edges.count < 2) {
        p.problem = SetupProblem::EdgeMissing;
        return p;
    }
    if (eMode == 1)
        p.setpoint = static_cast<int>(right);
    else if (eMode == 2)
        p.setpoint = static_cast<int>(right - left);
    else
        p.setpoint = static_cast<int>((left + right) / 2);
    return p;
}

bool HasModeEdges(const RunSample& sample, int eMode) {
    return sample.edgeCount >= (eMode == 0 ? 1 : 2);
}

ToleranceProposal ProposeTolerance(const std::vector<RunSample>& samples, int eMode,
                                   const SetupSettings& settings) {
    ToleranceProposal p;
    p.taken = static_cast<long>(samples.size());
    RunningStats stats;
    for (const RunSample& s : samples)
        if (HasModeEdges(s, eMode)) stats.Add(s.value);
    p.spread = stats.Get();
    if (p.spread.count < 2) {
        p.problem = SetupProblem::NoMeasurements;
        return p;
    }
    const double wanted =
        std::ceil(std::max(settings.toleranceSds * p.spread.sd, p.spread.range / 2 + 1));
    p.tolerance = static_cast<int>(std::min(wanted, double{kToleranceMax}));
    if (p.tolerance < wanted)
        p.limited.push_back("tolerance limited to " + std::to_string(kToleranceMax) +
                            " (its range is 1 to 65535)");
    return p;
}

SetupProblem FirstProblem(const SetupProposals& p) {
    for (SetupProblem problem :
         {p.signal.problem, p.edges.problem, p.setpoint.problem, p.tolerance.problem})
        if (problem != SetupProblem::None) return problem;
    return SetupProblem::None;
}

std::vector<std::string> LimitsApplied(const SetupProposals& p) {
    std::vector<std::string> all = p.signal.limited;
    all.insert(all.end(), p.edges.limited.begin(), p.edges.limited.end());
    all.insert(all.end(), p.tolerance.limited.begin(), p.tolerance.limited.end());
    return all;
}

ProposedValues ValuesOf(const SetupProposals& p) {
    return {p.signal.threshold, p.edges.leftLimit, p.edges.rightLimit, p.setpoint.setpoint,
            p.tolerance.tolerance};
}

void PutProposals(const ProposedValues& v, State& s) {
    const auto word = [](int x) { return static_cast<u16>(std::clamp(x, 0, 65535)); };
    s.vThd = word(v.videoThreshold);
    s.eBeg = word(v.leftEdgeLimit);
    s.eEnd = word(v.rightEdgeLimit);
    s.tVal = word(v.setpoint);
    s.tTol = word(v.tolerance);
}

std::string ProposalDetails(const SetupProposals& p, long checkInTolerance, long checkTaken) {
    const ProposedValues v = ValuesOf(p);
    const SeriesFigures& spread = p.tolerance.spread;
    std::ostringstream out;
    out << "{\"setup_assistant\":{\"video_threshold\":" << v.videoThreshold
        << ",\"left_edge_limit\":" << v.leftEdgeLimit
        << ",\"right_edge_limit\":" << v.rightEdgeLimit << ",\"setpoint\":" << v.setpoint
        << ",\"tolerance\":" << v.tolerance
        << ",\"figures\":{\"background\":" << p.signal.background
        << ",\"signal\":" << p.signal.signal << ",\"noise\":" << p.signal.noise
        << ",\"left_edge\":" << p.edges.left << ",\"right_edge\":" << p.edges.right
        << ",\"measurements\":" << p.tolerance.taken << ",\"mean\":" << spread.mean
        << ",\"sd\":" << spread.sd << ",\"min\":" << spread.min << ",\"max\":" << spread.max
        << ",\"check_in_tolerance\":" << checkInTolerance << ",\"check_taken\":" << checkTaken
        << "}}}";
    return out.str();
}
