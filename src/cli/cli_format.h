// What tavrix-cli prints: parameter records, word differences, named fields, measurement rows,
// as text, CSV or JSON. Pure: no port, no panel, no toolkit.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "records.h"

using Record = RecordWords;

// The name of a parameter record's word (index 0..15), as the program's state calls it.
const char* WordName(int index);

struct Difference {
    int word;
    u16 first, second;
};
std::vector<Difference> CompareRecords(const Record& first, const Record& second);
// One line naming every differing word, e.g. "word 3 (anaMode): file 5, ram 0".
std::string DescribeDifferences(const std::vector<Difference>& differences,
                                const std::string& first, const std::string& second);

// The parameter-file layout: one number a line, right-aligned in five characters.
std::string RecordFileText(const Record& record);

// Named values for a result: text "name  value" lines or one JSON object.
struct Field {
    std::string name;
    std::string value;
    bool number = false;
};
using Fields = std::vector<Field>;
Field NumberField(const std::string& name, long value);
Field TextField(const std::string& name, const std::string& value);
Field FlagField(const std::string& name, bool value);              // true or false
Field RecordField(const std::string& name, const Record& record);  // a JSON array of 16 numbers
std::string FieldsText(const Fields& fields);
std::string FieldsJson(const Fields& fields);

// Side by side, one row per word; a row where the columns differ is marked with '*'.
struct Column {
    std::string name;
    Record words;
};
std::string CompareTable(const std::vector<Column>& columns);

// A measurement row: the time since the run began and the 16 answer words of one measurement.
std::string JsonRow(double seconds, const Record& answer);
