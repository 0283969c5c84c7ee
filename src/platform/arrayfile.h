// Arrays of unsigned 32-bit integers in text files: decimal numbers separated by white space.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

inline constexpr int kFileOk = 0;
inline constexpr int kFileCannotOpen = -1;    // missing, unreadable, or not writable
inline constexpr int kFileTooFewValues = -2;  // fewer than the requested count of numbers
inline constexpr int kFileBadValue = -3;      // a token among the first `count` is not an unsigned
                                              // decimal number that fits 32 bits
inline constexpr int kFileWriteFailed = -4;   // writing or committing the file failed
inline constexpr int kFileNotRegular = -5;    // a pipe, a device or a folder: never opened

// Writes count values, right-aligned in fields of fieldWidth characters, one per line. The file is
// replaced atomically: on any failure the previous file (if any) is left as it was.
int ArrayToFile(const std::string& path, const std::uint32_t* values, int count, int fieldWidth);

// Reads the first count numbers of the file in file order; further content is ignored, and so is
// a UTF-8 byte-order mark at the start. Only the first 64 KiB are read. On failure `values` is
// left untouched.
int FileToArray(const std::string& path, std::uint32_t* values, int count);

}  // namespace platform
