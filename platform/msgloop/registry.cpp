#include "platform/msgloop/registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/msgloop/error.h"
#include "platform/msgloop/msgloop.h"

namespace msgloop {

namespace {

constexpr uint32_t kHandleLimit = 0x7FFFFFFF;
constexpr int kAllocationTries = 4096;

class CounterLock {
public:
    explicit CounterLock(int fd) : fd_(fd) {
        while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~CounterLock() { flock(fd_, LOCK_UN); }

private:
    int fd_;
};

}  // namespace

std::string Owner::text() const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d.%" PRIu64, static_cast<int>(pid), start);
    return buf;
}

bool Owner::parse(const std::string& text, Owner* out) {
    int pid = 0;
    uint64_t start = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%d.%" SCNu64 "%n", &pid, &start, &used) != 2) return false;
    if (static_cast<size_t>(used) != text.size() || pid <= 0) return false;
    out->pid = pid;
    out->start = start;
    return true;
}

bool Owner::of_self(Owner* out) {
    char state = 0;
    out->pid = getpid();
    return read_process_stat(out->pid, &out->start, &state);
}

bool Owner::alive() const {
    uint64_t start_now = 0;
    char state = 0;
    if (!read_process_stat(pid, &start_now, &state)) return false;
    return start_now == start && state != 'Z' && state != 'X' && state != 'x';
}

bool read_process_stat(pid_t pid, uint64_t* start, char* state) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buf[1024];
    ssize_t n = read(fd, buf, sizeof buf - 1);
    close(fd);
    if (n <= 0) return false;
    buf[n] = '\0';
    // The command name may hold anything, so the fields are counted from its closing parenthesis.
    const char* p = std::strrchr(buf, ')');
    if (!p) return false;
    ++p;
    char st = 0;
    if (std::sscanf(p, " %c", &st) != 1) return false;
    // Field 3 is the state; the start time is field 22.
    for (int field = 3; field < 22; ++field) {
        p = std::strchr(p + 1, ' ');
        if (!p) return false;
    }
    char* end = nullptr;
    unsigned long long value = std::strtoull(p + 1, &end, 10);
    if (end == p + 1) return false;
    *start = value;
    *state = st;
    return true;
}

Registry::~Registry() {
    if (counter_fd_ >= 0) close(counter_fd_);
}

std::string Registry::default_dir() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/msgloop";
    return "/tmp/msgloop-" + std::to_string(geteuid());
}

int Registry::open() {
    if (!Owner::of_self(&self_)) {
        return fail(ML_ERR_SYSTEM, "reading /proc/self/stat for the process start time failed");
    }
    dir_ = default_dir();
    if (mkdir(dir_.c_str(), 0700) != 0 && errno != EEXIST) {
        return fail(ML_ERR_SYSTEM, "creating the registry folder %s failed: %s", dir_.c_str(),
                    std::strerror(errno));
    }
    struct stat st {};
    if (lstat(dir_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid() ||
        (st.st_mode & 0777) != 0700) {
        return fail(ML_ERR_SYSTEM,
                    "the registry folder %s is not a directory of user %u with mode 0700",
                    dir_.c_str(), static_cast<unsigned>(geteuid()));
    }
    std::string counter = dir_ + "/counter";
    counter_fd_ = ::open(counter.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (counter_fd_ < 0) {
        return fail(ML_ERR_SYSTEM, "opening the handle counter %s failed: %s", counter.c_str(),
                    std::strerror(errno));
    }
    return ML_OK;
}

std::string Registry::entry_path(uint32_t handle) const {
    return dir_ + "/w" + std::to_string(handle);
}

std::string Registry::listener_path(const Owner& owner) const {
    return dir_ + "/s" + owner.text();
}

int Registry::add_window(uint32_t* handle) {
    CounterLock lock(counter_fd_);
    uint64_t last = 0;
    if (pread(counter_fd_, &last, sizeof last, 0) != static_cast<ssize_t>(sizeof last)) last = 0;
    const std::string owner = self_.text();
    for (int attempt = 0; attempt < kAllocationTries; ++attempt) {
        last = last >= kHandleLimit ? 1 : last + 1;
        uint32_t candidate = static_cast<uint32_t>(last);
        if (symlink(owner.c_str(), entry_path(candidate).c_str()) == 0) {
            if (pwrite(counter_fd_, &last, sizeof last, 0) != static_cast<ssize_t>(sizeof last)) {
                unlink(entry_path(candidate).c_str());
                return fail(ML_ERR_SYSTEM, "writing the handle counter in %s failed: %s",
                            dir_.c_str(), std::strerror(errno));
            }
            *handle = candidate;
            return ML_OK;
        }
        if (errno != EEXIST) {
            return fail(ML_ERR_SYSTEM, "creating the entry of handle %u in %s failed: %s",
                        candidate, dir_.c_str(), std::strerror(errno));
        }
    }
    return fail(ML_ERR_SYSTEM, "no free window handle found in %s", dir_.c_str());
}

void Registry::remove_window(uint32_t handle) {
    unlink(entry_path(handle).c_str());
}

bool Registry::owner_of(uint32_t handle, Owner* out) const {
    char buf[64];
    ssize_t n = readlink(entry_path(handle).c_str(), buf, sizeof buf - 1);
    if (n <= 0) return false;
    return Owner::parse(std::string(buf, static_cast<size_t>(n)), out);
}

void Registry::sweep() const {
    DIR* d = opendir(dir_.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        const char* name = e->d_name;
        Owner owner;
        std::string path = dir_ + "/" + name;
        if (name[0] == 'w') {
            char buf[64];
            ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
            if (n <= 0 || !Owner::parse(std::string(buf, static_cast<size_t>(n)), &owner)) continue;
        } else if (name[0] == 's') {
            if (!Owner::parse(name + 1, &owner)) continue;
        } else {
            continue;
        }
        if (owner != self_ && !owner.alive()) unlink(path.c_str());
    }
    closedir(d);
}

}  // namespace msgloop
