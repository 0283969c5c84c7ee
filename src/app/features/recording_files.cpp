#include "recording_files.h"

#include "workbench_csv.h"

using platform::RowFileResult;

namespace {

constexpr int kImageSamples = 256;

}  // namespace

std::string Recorder::ImagePath() const {
    const std::string::size_type dot = path_.rfind('.');
    const std::string::size_type slash = path_.find_last_of("/\\");
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return hasExtension ? path_.substr(0, dot) + "-image" + path_.substr(dot)
                        : path_ + "-image.csv";
}

RecordResult Recorder::Start(const std::string& path, const std::string& commentBlock, double now,
                             CsvFormat format) {
    format_ = format;
    Stop(now);
    path_ = path, comment_ = commentBlock, error_.clear();
    flushedAt_ = now;
    rows_file_.written = images_.written = 0;
    if (rows_file_.file.Open(path) != RowFileResult::Ok)
        return Fail(rows_file_, RecordResult::CannotOpen);
    rows_file_.pending = comment_ + MeasurementColumns(format_);
    on_ = true;
    return Write(rows_file_);
}

RecordResult Recorder::AddMeasurement(const std::string& row, double now) {
    if (!on_) return RecordResult::Ok;
    rows_file_.pending += row;
    ++rows_file_.pendingRows;
    return FlushWhenDue(now);
}

RecordResult Recorder::AddImage(const std::string& row, double now) {
    if (!on_) return RecordResult::Ok;
    if (!images_.file.IsOpen()) {
        if (images_.file.Open(ImagePath()) != RowFileResult::Ok)
            return Fail(images_, RecordResult::CannotOpen);
        images_.pending = comment_ + ImageColumns(kImageSamples, format_);
    }
    images_.pending += row;
    ++images_.pendingRows;
    return FlushWhenDue(now);
}

RecordResult Recorder::FlushWhenDue(double now) {
    return now - flushedAt_ >= kFlushSeconds ? Flush(now) : RecordResult::Ok;
}

RecordResult Recorder::Flush(double now) {
    if (!on_) return RecordResult::Ok;
    flushedAt_ = now;
    const RecordResult result = Write(rows_file_);
    return result == RecordResult::Ok ? Write(images_) : result;
}

RecordResult Recorder::Stop(double now) {
    const RecordResult result = Flush(now);
    rows_file_.file.Close();
    images_.file.Close();
    on_ = false;
    return result;
}

RecordResult Recorder::Write(Stream& s) {
    if (s.pending.empty() || !s.file.IsOpen()) return RecordResult::Ok;
    if (s.file.Append(s.pending) != RowFileResult::Ok) return Fail(s, RecordResult::WriteFailed);
    s.written += s.pendingRows;
    s.pendingRows = 0;
    s.pending.clear();  // keeps its capacity: the buffer stays the size of one flush period
    return RecordResult::Ok;
}

RecordResult Recorder::Fail(const Stream& s, RecordResult why) {
    error_ = s.file.ErrorText();
    rows_file_.file.Close();
    images_.file.Close();
    for (Stream* stream : {&rows_file_, &images_})
        stream->pending.clear(), stream->pendingRows = 0;
    on_ = false;
    return why;
}
