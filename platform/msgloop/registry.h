// The per-user registry folder: window handle allocation, one entry per live window naming its
// owning process, the process listener addresses, and the owner liveness test.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "platform/shared/no_copy.h"

namespace msgloop {

// A process, told apart from a later one with the same id by its start time.
struct Owner {
    pid_t pid = 0;
    uint64_t start = 0;

    bool operator==(const Owner&) const = default;
    std::string text() const;
    static bool parse(const std::string& text, Owner* out);
    static bool of_self(Owner* out);
    // Alive: /proc shows the same start time and the process is neither zombie nor dead.
    bool alive() const;
};

// Reads the start time and state letter of a process from /proc; false when it does not exist.
bool read_process_stat(pid_t pid, uint64_t* start, char* state);

class Registry : private morvick::NoCopy {
public:
    ~Registry();

    // Creates or checks the folder (a directory of ours, mode 0700) and opens the counter.
    int open();
    const Owner& self() const { return self_; }
    const std::string& dir() const { return dir_; }

    // Takes the next handle from the counter and makes its entry for this process.
    int add_window(uint32_t* handle);
    void remove_window(uint32_t handle);
    bool owner_of(uint32_t handle, Owner* out) const;

    std::string listener_path(const Owner& owner) const;
    // Removes the entries and listener files of dead processes.
    void sweep() const;

    static std::string default_dir();

private:
    std::string entry_path(uint32_t handle) const;

    std::string dir_;
    int counter_fd_ = -1;
    Owner self_;
};

}  // namespace msgloop
