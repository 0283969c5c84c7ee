// tavrix-cli: backs up, restores, verifies and monitors Tavrix line sensors from scripts.
// Copyright (C) 2026 The Tavrix-Didor developers. Licensed under the GPL-3.0-or-later.
#include <iostream>

#include "cli_args.h"
#include "cli_commands.h"

int main(int argc, char** argv) {
    const Parsed parsed = ParseArguments({argv + 1, argv + argc});
    if (!parsed.error.empty()) {
        std::cerr << "tavrix-cli: " << parsed.error << "\n";
        return static_cast<int>(ExitCode::Usage);
    }
    if (parsed.request.version) {
        std::cout << VersionText();
        return static_cast<int>(ExitCode::Ok);
    }
    if (parsed.request.help) {
        std::cout << HelpText(parsed.request.command);
        return static_cast<int>(ExitCode::Ok);
    }
    return static_cast<int>(RunCommand(parsed.request, std::cout, std::cerr));
}
