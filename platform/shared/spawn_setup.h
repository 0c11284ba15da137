#pragma once

#include <signal.h>
#include <spawn.h>

#include <initializer_list>

#include "platform/shared/no_copy.h"

namespace morvick {

// What posix_spawn gives a child: no descriptor of ours beyond the standard three, no blocked
// signal, SIGPIPE and `toDefault` at their default action, in our session or one of its own.
// Further file actions may be added before the spawn.
class SpawnSetup : public NoCopy {
public:
    enum class Session { Ours, Own };

    explicit SpawnSetup(Session session, std::initializer_list<int> toDefault = {}) {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attr);
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        for (int signal : toDefault) sigaddset(&defaults, signal);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setsigdefault(&attr, &defaults);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                            (session == Session::Own ? POSIX_SPAWN_SETSID : 0));
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
};

}  // namespace morvick
