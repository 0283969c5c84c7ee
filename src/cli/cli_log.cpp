#include "cli_log.h"

#include <filesystem>
#include <fstream>

#include "change_log.h"
#include "headless.h"
#include "user_files.h"

ExitCode ListLog(const Request& request, std::ostream& out, std::ostream& err) {
    platform::HeadlessToolkit toolkit;  // the data folder is the toolkit's to name
    const std::string path = platform::ChangeLogPath(request.log);
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) return ExitCode::Ok;
    std::ifstream log(path, std::ios::binary);
    if (!log) {
        err << "tavrix-cli: " << path << ": cannot read the change log\n";
        return ExitCode::FileError;
    }
    const ChangeListing listing = ListChanges(log, request.since, request.json);
    for (const std::string& line : listing.lines)
        out << line << "\n";
    if (listing.skipped > 0)
        err << "tavrix-cli: log: " << listing.skipped << " damaged line"
            << (listing.skipped == 1 ? "" : "s") << " skipped\n";
    return ExitCode::Ok;
}
