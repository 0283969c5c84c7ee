// What `tavrix-cli setup` prints and the proposal file it saves and applies. Pure: no port, no
// panel, no toolkit.
#pragma once

#include <string>

#include "cli_format.h"
#include "setup_proposal.h"

// The figures the proposals were worked out from, beside the proposals themselves.
struct SetupFigures {
    int polarity = 0, eMode = 0;
    long lineImages = 0;
};

// The five proposals first, by the names a proposal file holds them under (video_threshold,
// left_edge_limit, right_edge_limit, setpoint, tolerance), then the figures behind them.
Fields ProposalFields(const SetupProposals& p, const SetupFigures& figures);

// A proposal file: the text form of ProposalFields, one "name value" line each. The five values
// are taken from it, every other line is left alone. Empty error when all five are there, each a
// whole number from 0 to 65535.
struct ProposalFile {
    ProposedValues values;
    std::string error;
};
ProposalFile ParseProposalText(const std::string& text);
