// The measurement workbench beside the main panel: live figures of the Run and Video loops
// (answer rate; count, mean, standard deviation, extremes and range of the measured value and both
// edges, over the strip chart's window and since the loop began), recording every measurement to
// CSV, publishing them to the plant's broker, and export of the graphs and the latest measurements.
//
// It follows the loops as a measurement listener, registered when it opens. The figures are shown every kShowSeconds (readable, and the panel's repaints
// stay cheap) and once more when a loop ends.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "plant_publishing.h"
#include "program.h"
#include "recording_files.h"
#include "workbench_csv.h"
#include "workbench_panel.h"
#include "workbench_stats.h"

// --- What the workbench does as the loops go ----------------------------------------------------
void WorkbenchLoopBegins(Program& p);   // the figures start afresh
void WorkbenchMeasurement(Program& p);  // after the answer was copied into the result variables
void WorkbenchLineImage(Program& p);    // after the Video cycle's line image was read
void WorkbenchLoopEnds(Program& p);     // the final figures stay shown; recorded rows are written

struct Workbench : MeasurementListener {
    static constexpr double kShowSeconds = 0.5;
    static constexpr int kLatest = 100;  // the strip chart's window

    explicit Workbench(Program& p);
    void LoopBegan(const State&, LoopKind) override { WorkbenchLoopBegins(program); }
    void Measured(const State&) override { WorkbenchMeasurement(program); }
    void LineImage(const State&) override { WorkbenchLineImage(program); }
    void LoopEnded(const State&, ExchangeOutcome) override { WorkbenchLoopEnds(program); }

    Program& program;

    platform::WorkbenchPanel panel;
    LoopStats stats;
    std::array<MeasurementRow, kLatest> latest{};  // a ring: the newest at (cycles - 1) % kLatest
    long cycles = 0;                               // measurements since the loop began
    double loopStart = 0, shownAt = -1e9;
    Recorder recorder;
    double recordStart = 0;
    long recordedCycles = 0;
    MeasurementRow recorded{};  // the latest recorded row, whose cycle an image row shares
    CsvFormat recordFormat = CsvFormat::Rfc4180;  // of the running recording
    PlantPublishingPtr plant;                     // while "Publish to plant" is on
};

// The CSV format the user chose (the dock's list or the file dialog's file type).
CsvFormat CsvFormatOf(const Workbench& w);

// Adds the side panel to the main panel and registers it as a measurement listener; once, at
// start-up, after the panel is loaded.
void OpenWorkbench(Program& p);

// --- Recording ----------------------------------------------------------------------------------
// Starts recording to `path` (replacing a regular file of that name; a pipe, a device or a folder
// is refused before it is opened); rows follow while a loop runs. Says so in the status line, or
// why the file could not be made (and then returns false).
bool StartRecording(Program& p, const std::string& path);
// Writes the rows still gathered, closes the files and says how many rows were kept.
void StopRecording(Program& p);
// "tavrix-20261207-001502.csv" for the current time.
std::string DefaultRecordName(const std::string& what);

// --- Export -------------------------------------------------------------------------------------
// The latest kLatest measurements as CSV in the recording's columns (seconds since the loop
// began), replacing `path` atomically. The outcome is in the status line.
void SaveLatestCsv(Program& p, const std::string& path);
// The shown graphs (strip chart or video curve, and the bar graph) as "<stem>-strip", "-video",
// "-bar" plus the extension of `path` (.png or .pdf), each with a title line (program, firmware
// text, port, date and time, what it shows); PNGs of kExportWidth x kExportHeight pixels (the bar
// graph kBarExportHeight high); or on the clipboard as one picture.
inline constexpr int kExportWidth = 1600, kExportHeight = 900, kBarExportHeight = 300;
void SaveGraphs(Program& p, const std::string& path);
void CopyShownGraphs(Program& p);
