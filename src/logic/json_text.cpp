#include "json_text.h"

#include <cstdio>
#include <cstdlib>

std::string JsonQuote(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            // Firmware text and names are bytes of no declared encoding: each byte is written as
            // the one code point of its value, so every line is plain ASCII and reads back exact.
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

const JsonValue* JsonValue::Field(std::string_view name) const {
    for (std::size_t k = 0; k < fieldNames.size(); ++k)
        if (fieldNames[k] == name) return &fieldValues[k];
    return nullptr;
}

namespace {

constexpr int kMaxDepth = 16;

class Parser {
  public:
    explicit Parser(std::string_view text) : s_(text) {}

    std::optional<JsonValue> Document() {
        JsonValue v;
        if (!Value(v, 0)) return std::nullopt;
        Space();
        if (i_ != s_.size()) return std::nullopt;
        return v;
    }

  private:
    void Space() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n'))
            ++i_;
    }
    bool Eat(char c) {
        Space();
        if (i_ < s_.size() && s_[i_] == c) return ++i_, true;
        return false;
    }
    bool Word(std::string_view w) {
        if (s_.substr(i_, w.size()) != w) return false;
        i_ += w.size();
        return true;
    }

    bool Value(JsonValue& v, int depth) {
        if (depth > kMaxDepth) return false;
        Space();
        if (i_ >= s_.size()) return false;
        const char c = s_[i_];
        if (c == '{') return Object(v, depth);
        if (c == '[') return Array(v, depth);
        if (c == '"') return v.kind = JsonValue::Kind::String, String(v.text);
        if (Word("null")) return v.kind = JsonValue::Kind::Null, true;
        if (Word("true")) return v.kind = JsonValue::Kind::Bool, v.boolean = true, true;
        if (Word("false")) return v.kind = JsonValue::Kind::Bool, v.boolean = false, true;
        return Number(v);
    }

    bool Number(JsonValue& v) {
        const std::size_t start = i_;
        while (i_ < s_.size() &&
               std::string_view("+-0123456789.eE").find(s_[i_]) != std::string_view::npos)
            ++i_;
        if (i_ == start) return false;
        const std::string digits(s_.substr(start, i_ - start));
        char* end = nullptr;
        v.number = std::strtod(digits.c_str(), &end);
        v.kind = JsonValue::Kind::Number;
        return end == digits.c_str() + digits.size();
    }

    bool Hex4(unsigned& code) {
        if (i_ + 4 > s_.size()) return false;
        code = 0;
        for (int k = 0; k < 4; ++k) {
            const char h = s_[i_++];
            const int d = h >= '0' && h <= '9'   ? h - '0'
                          : h >= 'a' && h <= 'f' ? h - 'a' + 10
                          : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                 : -1;
            if (d < 0) return false;
            code = code * 16 + static_cast<unsigned>(d);
        }
        return true;
    }

    // A code point below 256 is the one byte it was written from (JsonQuote); others are UTF-8.
    static void AppendUtf8(std::string& out, unsigned code) {
        if (code < 0x100) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool String(std::string& out) {
        ++i_;  // the opening quote
        while (i_ < s_.size()) {
            const char c = s_[i_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= s_.size()) return false;
            const char e = s_[i_++];
            unsigned code = 0;
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u':
                    if (!Hex4(code)) return false;
                    AppendUtf8(out, code);
                    break;
                default:
                    return false;
            }
        }
        return false;
    }

    bool Array(JsonValue& v, int depth) {
        ++i_;
        v.kind = JsonValue::Kind::Array;
        if (Eat(']')) return true;
        do {
            if (!Value(v.items.emplace_back(), depth + 1)) return false;
        } while (Eat(','));
        return Eat(']');
    }

    bool Object(JsonValue& v, int depth) {
        ++i_;
        v.kind = JsonValue::Kind::Object;
        if (Eat('}')) return true;
        do {
            Space();
            if (i_ >= s_.size() || s_[i_] != '"') return false;
            std::string& name = v.fieldNames.emplace_back();
            if (!String(name) || !Eat(':') || !Value(v.fieldValues.emplace_back(), depth + 1))
                return false;
        } while (Eat(','));
        return Eat('}');
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

}  // namespace

std::optional<JsonValue> ParseJson(std::string_view text) {
    return Parser(text).Document();
}
