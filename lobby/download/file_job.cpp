#include "lobby/download/file_job.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>

#include "lobby/bindings/cef/cef_app.h"
#include "runtime/file_system.h"
#include "runtime/http.h"
#include "runtime/io_error.h"
#include "runtime/strings.h"
#include "runtime/trace.h"

namespace download {

namespace {

std::string partName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + ".part" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

}  // namespace

FileJob::FileJob(Settings settings, ProgressRecord& record, ProgressList& list)
    : s_(std::move(settings)),
      record_(record),
      list_(list),
      version_(s_.ver),
      part_(partName(s_.target)) {}

FileJob::~FileJob() {
    ::unlink(rt::FileSystem::diskPath(part_).c_str());
}

std::string FileJob::address(const std::string& server, const std::string& version,
                             const std::string& file, const std::string& etag) {
    std::string path = cef::CefApp::ansi2Unicode(rt::replaceAll(file, "\\", "/")).value_or("");
    return server + "/" + rt::replaceAll(version, ".", "_") + path + etag;
}

void FileJob::run() {
    if (s_.servers.empty() || s_.vers.empty()) {
        record_.state = 3;
        error_ = "no server or version to download " + s_.file + " from";
        return;
    }
    bool first = true;
    for (;;) {
        if (!first) {
            record_.state = 0;
            record_.progress = 0;
        }
        first = false;
        if (attempt() != Next::Again) return;
    }
}

FileJob::Next FileJob::attempt() {
    std::string url =
        address(s_.servers[server_], s_.vers[static_cast<size_t>(version_)], s_.file, s_.etag);
    requested_.push_back(url);
    FileOutput output(part_);
    Progress progress(output, record_, list_);
    std::optional<std::string> failure;
    rt::Http http(url);
    http.setConnectionTimeout(0);
    http.setConnections(s_.connections);
    // A game file may be large and arrive slowly: it streams to disk, bounded by the stall limit.
    http.setDeadline(0);
    http.setBodyCap(0);
    http.onError = [&](const std::string& message) { failure = message; };
    http.request(progress);
    progress.close();
    if (failure) return afterError(*failure);
    if (!progress.prepared()) {
        // No length was announced and the body ended cleanly: it is complete.
        record_.state = 2;
        record_.progress = 100;
        list_.put({record_.queue, record_.module, record_.index, 100, record_.speed});
    } else if (record_.progress == 100 && record_.state == 1) {
        record_.state = 2;
    }
    if (record_.state != 2) return Next::Done;
    std::string actual = output.digest();
    std::string expected = rt::toLower(s_.md5);
    if (actual != expected) {
        record_.state = 3;
        record_.progress = 0;
        error_ = "MD5 of " + s_.file + " is " + actual + ", the server list gives " + expected;
        return Next::Done;
    }
    rt::FileSystem::rename(part_, s_.target);
    return Next::Done;
}

FileJob::Next FileJob::afterError(const std::string& message) {
    RT_TRACE(message + " " + s_.file);
    error_ = message;
    if (rt::startsWith(message, "Failed to connect on")) {
        if (retry_ <= 2) {
            ++retry_;
            return Next::Again;
        }
        return failOver();
    }
    if (message == "Http Error #404" || message == "Http Error #504" ||
        message == "Http Error #502") {
        if (version_ == 0 && retry_ <= 2) {
            ++retry_;
            return Next::Again;
        }
        --version_;
        if (version_ >= 0) return Next::Again;
        record_.state = 3;
        record_.progress = 0;
        retry_ = 3;
        return failOver();
    }
    if (retry_ <= 2) {
        ++retry_;
        return Next::Again;
    }
    return failOver();
}

FileJob::Next FileJob::failOver() {
    if (retry_ != 3 || server_ + 1 >= s_.servers.size()) {
        if (version_ < 0) version_ = 0;
        return Next::Stop;
    }
    version_ = s_.ver;
    ++server_;
    retry_ = 0;
    error_.clear();
    record_.state = 0;
    record_.progress = 0;
    record_.speed = 0;
    return Next::Again;
}

}  // namespace download
