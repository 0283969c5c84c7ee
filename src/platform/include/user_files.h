// The files the program keeps for the user outside the parameter files: the change log and the
// recovery parameter file, in the user's application data folder; and the user's name for the
// log.
#pragma once

#include <string>

namespace platform {

// The user's application data folder ("tavrix-didor" under the desktop's data folder); made when
// missing. Empty when it cannot be made.
std::string DataFolder();
// The log to append to: `option` (--log) when given, else the variable TAVRIX_LOG, else
// "changes.jsonl" in the data folder.
std::string ChangeLogPath(const std::string& option);
// The user the program runs as; "" when unknown.
std::string UserName();

// A log reaching this size is renamed before the next entry: "changes.jsonl" becomes
// "changes.1.jsonl", replacing the older one, so one old file is kept.
inline constexpr long long kChangeLogRotateBytes = 10LL * 1024 * 1024;
// Appends `line` to the log at `path` in one write to a file opened for appending, so that the
// window and the command line can append to the same log at once. False, with the reason in
// `error`, when it could not be written whole.
bool AppendChangeLine(const std::string& path, const std::string& line, std::string& error);
// "changes.1.jsonl" beside "changes.jsonl".
std::string RotatedLogPath(const std::string& path);

}  // namespace platform
