#include "cli_format.h"

#include <algorithm>
#include <cstdio>

#include "json_text.h"
#include "record_diff.h"
#include "workbench_csv.h"

namespace {

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

std::string JsonArray(const Record& record) {
    std::string text = "[";
    for (int i = 0; i < PNUM; ++i)
        text += (i > 0 ? "," : "") + std::to_string(record[i]);
    return text + "]";
}

}  // namespace

const char* WordName(int index) {
    return index >= 0 && index < PNUM ? kParameterRecord[static_cast<std::size_t>(index)].name
                                      : "?";
}

std::vector<Difference> CompareRecords(const Record& first, const Record& second) {
    std::vector<Difference> differences;
    const WordMask differ = DifferingWords(first, second);
    for (int i = 0; i < PNUM; ++i)
        if (differ[static_cast<std::size_t>(i)]) differences.push_back({i, first[i], second[i]});
    return differences;
}

std::string DescribeDifferences(const std::vector<Difference>& differences,
                                const std::string& first, const std::string& second) {
    std::string text;
    for (const auto& d : differences) {
        if (!text.empty()) text += "; ";
        text += "word " + std::to_string(d.word) + " (" + WordName(d.word) + "): " + first + " " +
                std::to_string(d.first) + ", " + second + " " + std::to_string(d.second);
    }
    return text;
}

std::string RecordFileText(const Record& record) {
    std::string text;
    for (const u16 word : record) {
        char line[16];
        std::snprintf(line, sizeof line, "%5u\n", static_cast<unsigned>(word));
        text += line;
    }
    return text;
}

Field NumberField(const std::string& name, long value) {
    return {name, std::to_string(value), true};
}

Field TextField(const std::string& name, const std::string& value) {
    return {name, value, false};
}

Field FlagField(const std::string& name, bool value) {
    return {name, value ? "true" : "false", true};
}

Field RecordField(const std::string& name, const Record& record) {
    return {name, JsonArray(record), true};
}

std::string FieldsText(const Fields& fields) {
    std::size_t width = 0;
    for (const auto& f : fields)
        width = std::max(width, f.name.size());
    std::string text;
    for (const auto& f : fields)
        text += f.name + std::string(width + 2 - f.name.size(), ' ') + f.value + "\n";
    return text;
}

std::string FieldsJson(const Fields& fields) {
    std::string text = "{";
    for (const auto& f : fields) {
        if (text.size() > 1) text += ",";
        text += JsonQuote(f.name) + ":" + (f.number ? f.value : JsonQuote(f.value));
    }
    return text + "}\n";
}

std::string CompareTable(const std::vector<Column>& columns) {
    char cell[32];
    std::string text = "word name      ";
    for (const auto& c : columns) {
        std::snprintf(cell, sizeof cell, "%8s", c.name.c_str());
        text += cell;
    }
    text += "\n";
    for (int i = 0; i < PNUM; ++i) {
        std::snprintf(cell, sizeof cell, "%4d %-10s", i, WordName(i));
        text += cell;
        bool differs = false;
        for (const auto& c : columns) {
            std::snprintf(cell, sizeof cell, "%8u", static_cast<unsigned>(c.words[i]));
            text += cell;
            differs = differs || c.words[i] != columns.front().words[i];
        }
        text += differs ? "  *\n" : "\n";
    }
    return text;
}

std::string JsonRow(double seconds, const Record& answer) {
    std::string text = "{\"seconds\":" + Seconds(seconds);
    for (int i = 0; i < PNUM; ++i)
        text += ",\"" + std::string(kAnswerRecord[static_cast<std::size_t>(i)].name) +
                "\":" + std::to_string(answer[i]);
    return text + "}\n";
}
