// The one rule for every file the program writes (parameter files, recordings, exports, the
// command line's outputs): a target that exists must be a regular file. A pipe, a device or a
// folder is refused before anything opens it, so nothing blocks on it and nothing replaces it. A
// symbolic link counts as what it points to: a link to a regular file stays a link and its target
// is written.
#pragma once

#include <string>

namespace platform {

// True when `path` names nothing yet (a dangling link included) or a regular file.
bool MayWriteTo(const std::string& path);

// The words for a refused target.
inline constexpr const char* kNotRegularText = "not a regular file";

}  // namespace platform
