// A recording: measurement rows in one CSV file and, in Video, the line images of the same cycles
// in a second file beside it ("<name>-image.csv", made at the first image). Both files open with
// the same comment block.
//
// Rows are gathered in memory and written whole, at least every kFlushSeconds and on Flush, so a
// killed program loses at most that much and never leaves a half row. A failed write ends the
// recording: both files are closed holding whole rows only, and the failure is returned.
#pragma once

#include <string>

#include "row_file.h"
#include "workbench_csv.h"

enum class RecordResult { Ok, CannotOpen, WriteFailed };

class Recorder {
  public:
    static constexpr double kFlushSeconds = 0.5;

    // Creates the measurement file with the comment block and the column line (in `format`, as
    // the rows given later must be), written at once.
    RecordResult Start(const std::string& path, const std::string& commentBlock, double now,
                       CsvFormat format = CsvFormat::Rfc4180);
    // One row each (with its line end); `now` is the monotonic time, which decides the flush.
    RecordResult AddMeasurement(const std::string& row, double now);
    RecordResult AddImage(const std::string& row, double now);
    // Writes what is gathered.
    RecordResult Flush(double now);
    // Flushes and closes; the outcome of that last flush.
    RecordResult Stop(double now);

    bool On() const { return on_; }
    // Rows written to the measurement file so far (gathered ones not yet).
    long Rows() const { return rows_file_.written; }
    const std::string& Path() const { return path_; }
    std::string ImagePath() const;
    // The system's words for the latest failure.
    const std::string& Error() const { return error_; }

  private:
    struct Stream {
        platform::RowFile file;
        std::string pending;
        long pendingRows = 0, written = 0;
    };
    RecordResult Write(Stream& s);
    RecordResult Fail(const Stream& s, RecordResult why);
    RecordResult FlushWhenDue(double now);

    Stream rows_file_, images_;
    std::string path_, comment_, error_;
    bool on_ = false;
    CsvFormat format_ = CsvFormat::Rfc4180;
    double flushedAt_ = 0;
};
