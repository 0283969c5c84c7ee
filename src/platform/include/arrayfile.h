// Arrays of unsigned 32-bit integers in text files: decimal numbers separated by white space.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Results of the array-file functions (their own family: other codes do not convert to it).
enum FileResult : int {
    kFileOk = 0,
    kFileCannotOpen = -1,    // missing, unreadable, or not writable
    kFileTooFewValues = -2,  // fewer than the requested count of numbers
    kFileBadValue = -3,      // a token among the first `count` is not a 32-bit unsigned number
    kFileWriteFailed = -4,   // writing or committing the file failed
    kFileNotRegular = -5,    // a pipe, a device or a folder: never opened
    kFileTooLarge = -6,      // longer than 64 KiB: not read
};

// Writes count values, right-aligned in fields of fieldWidth characters, one per line. The file is
// replaced atomically: on any failure the previous file (if any) is left as it was. A target that
// is not a regular file is refused (output_target.h).
FileResult ArrayToFile(const std::string& path, const std::uint32_t* values, int count,
                       int fieldWidth);

// Reads the first count numbers of the file in file order; further content is ignored, and so is
// a UTF-8 byte-order mark at the start. A file longer than 64 KiB is refused. On failure `values`
// is left untouched.
FileResult FileToArray(const std::string& path, std::uint32_t* values, int count);

}  // namespace platform
