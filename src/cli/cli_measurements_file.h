// The measurements file of `run --csv`. It is made (or replaced) only when the first row is ready:
// a run that fails before (no port, no sensor) leaves an old file as it was. It is written in
// place, not through a temporary file renamed at the end, so a killed run keeps what was written.
// Rows are gathered and written whole at least every kFlushSeconds; a write that fails cuts the
// file back to its last whole row and ends it (row_file.h).
#pragma once

#include <string>

#include "row_file.h"

class MeasurementsFile {
  public:
    static constexpr double kFlushSeconds = 0.5;

    // `head`: what precedes the first row (the column line, or nothing).
    MeasurementsFile(std::string path, std::string head);
    // Gathers one row (with its line end); `now` in seconds decides the write. False once a write
    // has failed: the file is closed then.
    bool Add(const std::string& row, double now);
    // Writes what is gathered and closes the file.
    bool Finish();
    long Rows() const { return written_; }  // rows in the file
    std::string Error() const { return file_.ErrorText(); }

  private:
    bool Write();

    platform::RowFile file_;
    std::string path_, pending_;
    long pendingRows_ = 0, written_ = 0;
    double writtenAt_ = 0;
    bool made_ = false, failed_ = false;
};
