// Record comparison and its texts.
#include "record_diff.h"

WordMask DifferingWords(const RecordWords& a, const RecordWords& b) {
    WordMask differ;
    for (int i = 0; i < PNUM; ++i)
        differ[static_cast<std::size_t>(i)] = a[i] != b[i];
    return differ;
}

namespace {

std::string Values(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " value" : " values");
}

}  // namespace

std::string UnsentText(int count) {
    return count <= 0 ? "No unsent edits" : Values(static_cast<std::size_t>(count)) + " not sent";
}

std::string MemoryStateText(const std::optional<RecordWords>& ram,
                            const std::optional<RecordWords>& eeprom, bool ramWrittenNotStored) {
    if (!ram || !eeprom) {
        if (ramWrittenNotStored) return "RAM written, not stored in EEPROM";
        return eeprom ? "RAM not read" : "EEPROM not read";
    }
    const std::size_t differ = DifferingWords(*ram, *eeprom).count();
    return differ == 0 ? "RAM and EEPROM match" : "RAM differs from EEPROM in " + Values(differ);
}

namespace {

CompareCell Cell(const std::optional<RecordWords>& column, int word, bool differs) {
    if (!column) return {"-", false};
    return {std::to_string((*column)[word]), differs};
}

}  // namespace

CompareGrid BuildCompareTable(const CompareInput& in) {
    CompareGrid table;
    table.header = {"Word", "Panel", "Sensor RAM", "Sensor EEPROM"};
    const bool withFile = !in.fileTitle.empty();
    if (withFile) table.header.push_back(in.fileTitle);
    const std::optional<RecordWords> panel = in.panel;
    for (int i = 0; i < PNUM; ++i) {
        const auto fromPanel = [&](const std::optional<RecordWords>& c) {
            return c && (*c)[i] != in.panel[i];
        };
        const bool eepromFromRam = in.ram && in.eeprom && (*in.ram)[i] != (*in.eeprom)[i];
        std::vector<CompareCell> row = {
            {kParameterRecord[static_cast<std::size_t>(i)].label, false},
            Cell(panel, i, false),
            Cell(in.ram, i, fromPanel(in.ram)),
            Cell(in.eeprom, i, fromPanel(in.eeprom) || eepromFromRam),
        };
        if (withFile) row.push_back(Cell(in.file, i, fromPanel(in.file)));
        table.rows.push_back(std::move(row));
    }
    return table;
}
