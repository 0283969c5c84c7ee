// Why a write failed, in the words the program shows after "Recording stopped: " and the like.
#pragma once

#include <QFileDevice>
#include <string>

namespace platform {

// "no space left on the device", "file size limit reached", "read-only file system", "the device
// was removed", or for any other failure the system's own message. A write cut short leaves the
// file without an error of its own: then `errorNumber`, the system's error number taken right
// after the write, tells why.
std::string FailureText(const QFileDevice& file, int errorNumber);

}  // namespace platform
