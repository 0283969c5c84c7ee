// Just enough JSON for the change log: quoting text when writing, and reading one line back into
// values to check it and pick its fields.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// `text` as a JSON string, quotes included; control characters and every byte from 0x7F escaped
// as the code point of its value (\u00e9), so that ParseJson gives the same bytes back.
std::string JsonQuote(std::string_view text);

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // a string's value (unescaped)
    std::vector<JsonValue> items;
    // An object's members, names and values at the same index (a pair of a type not yet complete
    // is not allowed in a vector).
    std::vector<std::string> fieldNames;
    std::vector<JsonValue> fieldValues;

    // The member named `name` of an object; null when absent or not an object.
    const JsonValue* Field(std::string_view name) const;
};

// The one JSON value that `text` holds (white space around it allowed); nullopt when it is not
// well-formed JSON or nests deeper than a log entry can.
std::optional<JsonValue> ParseJson(std::string_view text);
