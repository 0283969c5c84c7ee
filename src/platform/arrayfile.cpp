// Arrays of unsigned 32-bit integers in text files.
#include "arrayfile.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <limits>
#include <vector>

namespace platform {

namespace {

// Longest decimal token worth reading: 4294967295 has ten digits, leading zeros are allowed.
constexpr int kMaxTokenLength = 32;
constexpr int kMaxFieldWidth = 64;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool ParseUnsigned32(const std::string& token, std::uint32_t& value) {
    std::uint64_t v = 0;
    for (char c : token) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
        if (v > std::numeric_limits<std::uint32_t>::max()) return false;
    }
    value = static_cast<std::uint32_t>(v);
    return !token.empty();
}

// Reads the next white-space separated token; false at the end of the file. A token longer than
// kMaxTokenLength is cut there (and then fails to parse as a number).
bool NextToken(QFile& file, std::string& token) {
    token.clear();
    char c = 0;
    do {
        if (!file.getChar(&c)) return false;
    } while (IsSpace(c));
    token.push_back(c);
    while (static_cast<int>(token.size()) < kMaxTokenLength && file.getChar(&c) && !IsSpace(c))
        token.push_back(c);
    return true;
}

}  // namespace

int ArrayToFile(const std::string& path, const std::uint32_t* values, int count, int fieldWidth) {
    if (count < 0 || (count > 0 && values == nullptr)) return kFileWriteFailed;
    QSaveFile file(QString::fromStdString(path));
    if (path.empty() || !file.open(QIODevice::WriteOnly)) return kFileCannotOpen;
    QByteArray text;
    fieldWidth = std::clamp(fieldWidth, 0, kMaxFieldWidth);
    for (int i = 0; i < count; ++i) {
        text += QByteArray::number(values[i]).rightJustified(fieldWidth, ' ');
        text += '\n';
    }
    // Without commit the temporary file is dropped and the old file stays.
    if (file.write(text) != text.size()) return kFileWriteFailed;
    return file.commit() ? kFileOk : kFileWriteFailed;
}

int FileToArray(const std::string& path, std::uint32_t* values, int count) {
    if (count < 0 || (count > 0 && values == nullptr)) return kFileBadValue;
    QFile file(QString::fromStdString(path));
    if (path.empty() || !file.open(QIODevice::ReadOnly)) return kFileCannotOpen;
    std::vector<std::uint32_t> read;
    read.reserve(static_cast<std::size_t>(std::min(count, 4096)));
    std::string token;
    while (static_cast<int>(read.size()) < count) {
        if (!NextToken(file, token))
            return file.error() == QFileDevice::NoError ? kFileTooFewValues : kFileCannotOpen;
        std::uint32_t v = 0;
        if (!ParseUnsigned32(token, v)) return kFileBadValue;
        read.push_back(v);
    }
    std::copy(read.begin(), read.end(), values);
    return kFileOk;
}

}  // namespace platform
