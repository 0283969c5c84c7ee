// Text files of whole rows: a recording that grows while a loop runs, and a file written at once.
//
// A recording never holds a partial row: each Append writes its rows with one write, and when that
// write fails or stops short (disk full, file-size limit, medium removed) the file is cut back to
// the end of the previous Append and closed. What it holds then is still a valid file. Appended
// rows reach the operating system at once (no buffer in the process), so a killed program loses
// nothing that was appended.
#pragma once

#include <memory>
#include <string>

namespace platform {

enum class RowFileResult {
    Ok,
    CannotOpen,   // the file could not be created or replaced
    WriteFailed,  // a write failed or stopped short; the file is cut back and closed
    NotOpen,
};

class RowFile {
  public:
    RowFile();
    ~RowFile();  // closes the file
    RowFile(const RowFile&) = delete;
    RowFile& operator=(const RowFile&) = delete;

    // Creates the file, replacing a regular file of that name; any other target is refused
    // (output_target.h).
    RowFileResult Open(const std::string& path);
    RowFileResult Append(const std::string& rows);
    void Close();
    bool IsOpen() const;
    // The words for the latest failure: "no space left on the device", "file size limit
    // reached", "read-only file system", "the device was removed", "not a regular file", or the
    // system's own message.
    std::string ErrorText() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Writes `text` as the whole file, replacing it atomically: after a failure any previous file of
// that name is left as it was. A target that is not a regular file is refused. Empty on success,
// else the system's words for the failure.
std::string SaveTextFile(const std::string& path, const std::string& text);
// Reads a small text file whole into `text`: a pipe, a device or a folder is never opened (it could
// block or never end), and a file longer than `maxBytes` is refused. Empty on success, else why.
std::string LoadTextFile(const std::string& path, std::string& text, long long maxBytes);

// Milliseconds since 1970-01-01 UTC on the wall clock (for time stamps, not for measuring time).
long long UtcMilliseconds();

}  // namespace platform
