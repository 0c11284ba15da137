#include "tools/testhttp/nginx_fixture.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace testhttp {

namespace {

using std::chrono::milliseconds;

constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kStopLimit = std::chrono::seconds(5);
constexpr auto kPollStep = milliseconds(20);

// A port that was free a moment ago on 127.0.0.1.
uint16_t freePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        int err = errno;
        ::close(fd);
        throw std::runtime_error(std::string("cannot find a free port: ") + std::strerror(err));
    }
    ::close(fd);
    return ntohs(addr.sin_port);
}

bool accepts(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

// A path as a quoted nginx configuration string.
std::string quoted(const std::filesystem::path& p) {
    std::string s = p.string();
    if (s.find_first_of("\"\\$\n") != std::string::npos)
        throw std::invalid_argument("nginx fixture: path '" + s +
                                    "' holds a character nginx would read differently");
    return "\"" + s + "\"";
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::optional<std::string> NginxFixture::unavailable() {
    if (::access(kBinary, X_OK) != 0)
        return std::string(kBinary) + " is not installed (Debian package nginx-light)";
    return std::nullopt;
}

NginxFixture::NginxFixture(NginxOptions options) : options_(std::move(options)) {
    if (auto why = unavailable()) throw std::runtime_error("nginx fixture: " + *why);
    options_.root = std::filesystem::absolute(options_.root);
    std::string tmpl = (std::filesystem::temp_directory_path() / "testhttp-nginx-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr)
        throw std::runtime_error("nginx fixture: cannot create a folder from " + tmpl + ": " +
                                 std::strerror(errno));
    dir_ = tmpl;
    try {
        std::filesystem::create_directories(dir_ / "logs");
        std::filesystem::create_directories(dir_ / "temp");
        for (int attempt = 0;; ++attempt) {
            port_ = freePort();
            std::ofstream(dir_ / "nginx.conf") << config();
            if (tryStart()) break;
            if (attempt == 4)
                throw std::runtime_error("nginx fixture: no free port after 5 attempts");
        }
    } catch (...) {
        stop();
        std::filesystem::remove_all(dir_);
        throw;
    }
}

NginxFixture::~NginxFixture() {
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string NginxFixture::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::string NginxFixture::errorLog() const {
    return readFile(dir_ / "logs" / "error.log");
}

std::string NginxFixture::config() const {
    std::filesystem::path temp = dir_ / "temp";
    std::ostringstream c;
    c << "# Written by the test fixture; one foreground process, everything in this folder.\n"
      << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
      << "pid " << quoted(dir_ / "nginx.pid") << ";\n"
      << "error_log " << quoted(dir_ / "logs" / "error.log") << " notice;\n"
      << "events { worker_connections 256; }\n"
      << "http {\n"
      << "    access_log " << quoted(dir_ / "logs" / "access.log") << ";\n"
      << "    client_body_temp_path " << quoted(temp / "body") << ";\n"
      << "    proxy_temp_path " << quoted(temp / "proxy") << ";\n"
      << "    fastcgi_temp_path " << quoted(temp / "fastcgi") << ";\n"
      << "    uwsgi_temp_path " << quoted(temp / "uwsgi") << ";\n"
      << "    scgi_temp_path " << quoted(temp / "scgi") << ";\n"
      << "    default_type application/octet-stream;\n"
      << "    server {\n"
      << "        listen 127.0.0.1:" << port_ << ";\n"
      << "        server_name localhost;\n"
      << "        root " << quoted(options_.root) << ";\n";
    if (options_.limitRate) c << "        limit_rate " << *options_.limitRate << ";\n";
    c << "    }\n}\n";
    return c.str();
}

bool NginxFixture::tryStart() {
    std::string prefix = dir_.string() + "/";
    std::string conf = (dir_ / "nginx.conf").string();
    std::string errorLog = (dir_ / "logs" / "error.log").string();
    std::string output = (dir_ / "logs" / "output.log").string();
    std::vector<std::string> args = {kBinary, "-p", prefix, "-c", conf, "-e", errorLog};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // nginx must see the stop signal even when the caller blocked it for itself.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGTERM, SIGQUIT, SIGINT, SIGHUP, SIGPIPE}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    int rc = posix_spawn(&pid_, kBinary, &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        pid_ = -1;
        throw std::runtime_error(std::string("nginx fixture: cannot start ") + kBinary + ": " +
                                 std::strerror(rc));
    }

    auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            std::string log = readFile(errorLog) + readFile(output);
            if (log.find("Address already in use") != std::string::npos) return false;
            throw std::runtime_error("nginx fixture: nginx exited at start:\n" + log);
        }
        if (accepts(port_)) return true;
        std::this_thread::sleep_for(kPollStep);
    }
    throw std::runtime_error("nginx fixture: nginx did not accept connections on port " +
                             std::to_string(port_) + " in time:\n" + readFile(errorLog));
}

void NginxFixture::stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + kStopLimit;
    while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    pid_ = -1;
}

}  // namespace testhttp
