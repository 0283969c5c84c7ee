#include "cli_measurements_file.h"

#include <utility>

MeasurementsFile::MeasurementsFile(std::string path, std::string head)
    : path_(std::move(path)), pending_(std::move(head)) {}

bool MeasurementsFile::Add(const std::string& row, double now) {
    if (failed_) return false;
    pending_ += row;
    ++pendingRows_;
    // The first row makes the file at once; later ones wait for their turn.
    if (made_ && now - writtenAt_ < kFlushSeconds) return true;
    writtenAt_ = now;
    return Write();
}

bool MeasurementsFile::Finish() {
    const bool ok = !failed_ && (pendingRows_ == 0 || Write());
    file_.Close();
    return ok;
}

bool MeasurementsFile::Write() {
    if (!made_) {
        made_ = true;
        failed_ = file_.Open(path_) != platform::RowFileResult::Ok;
    }
    failed_ = failed_ || file_.Append(pending_) != platform::RowFileResult::Ok;
    if (failed_) return false;
    written_ += pendingRows_;
    pendingRows_ = 0;
    pending_.clear();
    return true;
}
