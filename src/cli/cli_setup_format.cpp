#include "cli_setup_format.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

struct Named {
    const char* name;
    int ProposedValues::*value;
};
constexpr Named kProposalNames[] = {
    {"video_threshold", &ProposedValues::videoThreshold},
    {"left_edge_limit", &ProposedValues::leftEdgeLimit},
    {"right_edge_limit", &ProposedValues::rightEdgeLimit},
    {"setpoint", &ProposedValues::setpoint},
    {"tolerance", &ProposedValues::tolerance},
};

Field DecimalField(const std::string& name, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return {name, text, true};
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const auto& t : texts)
        all += (all.empty() ? "" : "; ") + t;
    return all.empty() ? "none" : all;
}

}  // namespace

Fields ProposalFields(const SetupProposals& p, const SetupFigures& figures) {
    const ProposedValues values = ValuesOf(p);
    Fields fields;
    for (const Named& n : kProposalNames)
        fields.push_back(NumberField(n.name, values.*n.value));
    fields.push_back(NumberField("polarity", figures.polarity));
    fields.push_back(NumberField("edge_mode", figures.eMode));
    fields.push_back(NumberField("line_images", figures.lineImages));
    fields.push_back(DecimalField("background_level", p.signal.background));
    fields.push_back(DecimalField("signal_level", p.signal.signal));
    fields.push_back(DecimalField("noise", p.signal.noise));
    if (p.edges.left >= 0) fields.push_back(DecimalField("left_edge", p.edges.left));
    if (p.edges.right >= 0) fields.push_back(DecimalField("right_edge", p.edges.right));
    const SeriesFigures& spread = p.tolerance.spread;
    fields.push_back(NumberField("measurements", p.tolerance.taken));
    fields.push_back(NumberField("measurements_with_edges", spread.count));
    fields.push_back(DecimalField("mean", spread.mean));
    fields.push_back(DecimalField("sd", spread.sd));
    fields.push_back(NumberField("min", std::lround(spread.min)));
    fields.push_back(NumberField("max", std::lround(spread.max)));
    fields.push_back(TextField("limited", Joined(LimitsApplied(p))));
    return fields;
}

ProposalFile ParseProposalText(const std::string& text) {
    ProposalFile file;
    std::istringstream lines(text);
    std::string line;
    bool found[std::size(kProposalNames)] = {};
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string name, value, extra;
        words >> name >> value;
        for (std::size_t i = 0; i < std::size(kProposalNames); ++i) {
            if (name != kProposalNames[i].name) continue;
            const bool whole = !value.empty() && value.size() <= 5 && !(words >> extra) &&
                               value.find_first_not_of("0123456789") == std::string::npos &&
                               std::stol(value) <= 65535;
            if (!whole) {
                file.error = "not a set-up proposal: '" + line + "'";
                return file;
            }
            file.values.*kProposalNames[i].value = static_cast<int>(std::stol(value));
            found[i] = true;
        }
    }
    for (std::size_t i = 0; i < std::size(kProposalNames); ++i)
        if (!found[i]) {
            file.error = std::string("not a set-up proposal: no ") + kProposalNames[i].name;
            break;
        }
    return file;
}
