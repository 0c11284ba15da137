#include "updater/flow_fixture.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <thread>

#include <fmt/format.h>

#include "updater/ini_file.h"
#include "updater/local_file.h"

extern char** environ;

namespace haldor {
namespace {

void WriteExecutable(const TestFolder& dir, const std::string& name, const std::string& text) {
    dir.Write(name, text);
    ::chmod((dir / name).c_str(), 0755);
}

}  // namespace

std::string Md5Of(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_md5(), nullptr);
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) hex += fmt::format("{:02x}", digest[i]);
    return hex;
}

unsigned short UnusedPort() {
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(probe);
    return ntohs(address.sin_port);
}

Installation::Installation() {
    std::filesystem::copy_file(HALDOR_PATH, Exe());
    WriteExecutable(dir_, "MorvickNew", "#!/bin/sh\npwd > lobby-started\n");
    WriteExecutable(dir_, "bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.opened\"\n");
}

void Installation::SetState(const std::string& version, const std::vector<std::string>& servers,
                            const std::string& home) {
    std::string ini = dir_ / "UpdateTemp.ini";
    WriteProfileString(ini, "Version", "CurrentVersion", version);
    for (std::size_t i = 0; i < servers.size(); ++i)
        WriteProfileString(ini, "Temp", fmt::format("Temp{}", i + 1), servers[i]);
    WriteProfileString(ini, "HOME", "URL", home);
}

std::string Installation::Ini(const std::string& section, const std::string& key) const {
    return GetProfileString(dir_ / "UpdateTemp.ini", section, key, "", 256);
}

bool Installation::LobbyStarted() const {
    for (int i = 0; i < 40; ++i) {
        if (FileExists(dir_ / "lobby-started")) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string Installation::OpenedPage() const {
    for (int i = 0; i < 100 && !FileExists(dir_ / "bin/xdg-open.opened"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return dir_.Read("bin/xdg-open.opened");
}

HaldorRun::HaldorRun(const Installation& place) {
    int in_pipe[2];
    int out_pipe[2];
    if (::pipe2(in_pipe, O_CLOEXEC) != 0 || ::pipe2(out_pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_addchdir_np(&actions, place.dir().path().c_str());
    std::vector<std::string> env_text = {
        "PATH=" + (place.dir() / "bin") + ":/usr/bin:/bin",
        "SystemRoot=" + (place.dir() / "win"),
        "HOME=" + place.dir().path(),
        "TMPDIR=" + place.dir().path(),
    };
    for (char** e = environ; *e; ++e) {
        std::string var = *e;
        if (var.starts_with("ASAN_") || var.starts_with("UBSAN_") || var.starts_with("TSAN_") ||
            var.starts_with("XDG_RUNTIME_DIR="))
            env_text.push_back(var);
    }
    std::vector<char*> env;
    for (auto& v : env_text) env.push_back(v.data());
    env.push_back(nullptr);
    std::string exe = place.Exe();
    char* argv[] = {exe.data(), nullptr};
    if (posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv, env.data()) != 0)
        throw std::runtime_error("cannot start " + exe);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    in_ = in_pipe[1];
    out_ = out_pipe[0];
}

HaldorRun::~HaldorRun() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (in_ >= 0) ::close(in_);
    if (out_ >= 0) ::close(out_);
}

std::optional<std::string> HaldorRun::NextLine(std::chrono::steady_clock::time_point deadline) {
    while (true) {
        auto end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            lines_.push_back(line);
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (out_ < 0 || left.count() <= 0) return std::nullopt;
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[4096];
        ssize_t n = ::read(out_, buffer, sizeof buffer);
        if (n <= 0) {
            ::close(out_);
            out_ = -1;
            if (!pending_.empty()) pending_ += '\n';
            continue;
        }
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

bool HaldorRun::WaitForLine(const std::string& text) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    if (Saw(text)) return true;
    while (auto line = NextLine(deadline))
        if (line->find(text) != std::string::npos) return true;
    return false;
}

void HaldorRun::Send(const std::string& line) {
    std::string text = line + "\n";
    if (::write(in_, text.data(), text.size()) < 0) return;
}

void HaldorRun::CloseInput() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
}

int HaldorRun::Wait() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (NextLine(deadline)) {
    }
    for (int i = 0; i < 600; ++i) {
        int status = 0;
        pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return -1;
}

bool HaldorRun::Saw(const std::string& text) const {
    for (const auto& line : lines_)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

std::string HaldorRun::Transcript() const {
    std::string all;
    for (const auto& line : lines_) all += line + "\n";
    return all;
}

std::string UpdateSite::Address() const {
    return fmt::format("127.0.0.1:{}", server_.port());
}

void UpdateSite::VersionFile(const std::string& version, const std::string& max,
                             const std::vector<std::string>& urls) {
    server_.addFile("/update/VerAndUrl.xml", ManifestText({version, max, urls}, {}));
}

CUpdateFile UpdateSite::File(const std::string& version, const std::string& name,
                             const std::string& bytes, const std::string& local_path) {
    CUpdateFile f;
    f.file_name = name;
    f.local_path = local_path;
    f.file_version = "1.0.0." + version;
    f.product_version = f.file_version;
    f.length = bytes.size();
    f.md5 = Md5Of(bytes);
    // 2020-01-01 00:00:00 UTC plus a second per version.
    std::uint64_t ticks = 132223104000000000ull + std::stoull(version) * 10000000ull;
    f.file_time = {static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    server_.addFile(
        "/update/" + version + "/" + (local_path.empty() ? "" : local_path + "/") + name, bytes);
    return f;
}

void UpdateSite::FileList(const std::string& version, const std::string& product_version,
                          const std::vector<CUpdateFile>& files) {
    server_.addFile("/update/" + version + "/FileConfig.xml",
                    ManifestText({product_version, "", {}}, files));
}

}  // namespace haldor
