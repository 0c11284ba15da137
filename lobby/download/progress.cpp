#include "lobby/download/progress.h"

#include <cerrno>
#include <cstring>

#include "runtime/file_system.h"
#include "runtime/io_error.h"
#include "runtime/timer.h"

namespace download {

FileOutput::FileOutput(const std::string& path) : path_(path) {
    file_ = std::fopen(rt::FileSystem::diskPath(path).c_str(), "wb");
    if (file_ == nullptr) {
        throw rt::IoError("Could not open " + path + " for writing: " + std::strerror(errno));
    }
    // Bodies come in pieces of a few KB; write them to disk in larger blocks.
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 18);
}

FileOutput::~FileOutput() {
    if (file_ != nullptr) std::fclose(file_);
}

size_t FileOutput::writeBytes(const uint8_t* data, size_t length) {
    if (file_ == nullptr) throw rt::IoError("Could not write " + path_ + ": it is closed");
    size_t written = std::fwrite(data, 1, length, file_);
    if (written < length) {
        throw rt::IoError("Could not write " + path_ + ": " + std::strerror(errno));
    }
    md5_.update(data, written);
    return written;
}

void FileOutput::writeByte(uint8_t byte) {
    writeBytes(&byte, 1);
}

void FileOutput::close() {
    if (file_ == nullptr) return;
    int failed = std::fclose(file_);
    file_ = nullptr;
    if (failed != 0) throw rt::IoError("Could not close " + path_ + ": " + std::strerror(errno));
}

Progress::Progress(FileOutput& output, ProgressRecord& infoObj, ProgressList& list)
    : infoObj_(infoObj), start_(rt::timeStamp()), o_(output), list_(list) {
    infoObj_.progress = 0;
}

void Progress::prepare(int64_t length) {
    prepared_ = true;
    infoObj_.state = 1;
    infoObj_.progress = 0;
    max_ = length;
    if (length == 0) {
        infoObj_.progress = 100;
        infoObj_.state = 2;
        infoObj_.speed = 0;
        snapshot();
    }
}

size_t Progress::writeBytes(const uint8_t* data, size_t length) {
    size_t n = o_.writeBytes(data, length);
    bytes(static_cast<int64_t>(n));
    return n;
}

void Progress::writeByte(uint8_t byte) {
    o_.writeByte(byte);
    bytes(1);
}

void Progress::close() {
    o_.close();
}

void Progress::bytes(int64_t n) {
    cur_ += n;
    infoObj_.progress =
        max_ > 0
            ? static_cast<int32_t>(static_cast<double>(cur_) * 100.0 / static_cast<double>(max_))
            : 0;
    double elapsed = rt::timeStamp() - start_;
    infoObj_.speed = elapsed > 0 ? static_cast<double>(static_cast<int64_t>(
                                       static_cast<double>(cur_) / elapsed / 1024.0 * 10.0)) /
                                       10.0
                                 : 0;
    if (cur_ == max_ || max_ >= 1024) snapshot();
}

void Progress::snapshot() {
    list_.put(infoObj_);
}

}  // namespace download
