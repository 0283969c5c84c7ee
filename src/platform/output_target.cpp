#include <QFileInfo>
#include <cerrno>

#include "file_failure.h"
#include "output_target.h"

namespace platform {

bool MayWriteTo(const std::string& path) {
    const QFileInfo target(QString::fromStdString(path));  // follows symbolic links
    return !target.exists() || target.isFile();
}

// The file keeps the system's message for the error number it failed with; that message tells
// the number back.
std::string FailureText(const QFileDevice& file, int errorNumber) {
    const struct {
        int number;
        const char* text;
    } kKnown[] = {
        {ENOSPC, "no space left on the device"}, {EFBIG, "file size limit reached"},
        {EROFS, "read-only file system"},        {EIO, "the device was removed"},
        {ENODEV, "the device was removed"},      {ENXIO, "the device was removed"},
    };
    const QString system =
        file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(errorNumber);
    for (const auto& known : kKnown)
        if (system == qt_error_string(known.number)) return known.text;
    return system.toStdString();
}

}  // namespace platform
