#include "platform/cefhx/single_instance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/msgloop/msgloop.h"
#include "runtime/test_folder.h"

namespace cefhx {
namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ml_is_loop_thread()) {
            ASSERT_EQ(ml_init(), ML_OK);
        }
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old) saved_ = old;
        hadOld_ = old != nullptr;
        setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    }
    void TearDown() override {
        for (int fd : fds_) close(fd);
        hadOld_ ? setenv("XDG_RUNTIME_DIR", saved_.c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");
    }
    std::string socketPath(std::string_view name) const {
        return runtime_ / ("morvick/" + SingleInstance::socketName(name));
    }
    // A client socket connected to the path, sending nothing.
    int connectTo(const std::string& path) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        fds_.push_back(fd);
        return fd;
    }
    // Runs the loop until the first copy hears "newapp".
    static void runUntilQuit() { ml_run(nullptr); }

    rt::testing::TestFolder runtime_;
    std::string saved_;
    bool hadOld_ = false;
    std::vector<int> fds_;
};

TEST_F(SingleInstanceTest, ALaterCopyIsToldItIsSecondAndTheFirstHearsOfIt) {
    SingleInstance first;
    int heard = 0;
    ASSERT_TRUE(first.claim("Lobby", [&] {
        ++heard;
        ml_post_quit(0);
    }));
    struct stat st {};
    ASSERT_EQ(stat((runtime_ / "morvick").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    SingleInstance second;
    EXPECT_FALSE(second.claim("Lobby", [] {}));
    runUntilQuit();
    EXPECT_EQ(heard, 1);
    // Another name is another program; once the first copy ends, the name is free again.
    SingleInstance other;
    EXPECT_TRUE(other.claim("Other", [] {}));
    first.release();
    SingleInstance next;
    EXPECT_TRUE(next.claim("Lobby", [] {}));
}

TEST_F(SingleInstanceTest, ANameSquattedElsewhereOrAStaleSocketDoesNotStopTheFirstCopy) {
    // Somebody listens on the abstract name the copies once met under.
    const int squatter = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    fds_.push_back(squatter);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : std::string_view("Lobby")) hash = (hash ^ c) * 1099511628211ull;
    char abstract[80];
    const int length = std::snprintf(abstract, sizeof abstract, "morvick-cefhx-%u-%016llx",
                                     getuid(), static_cast<unsigned long long>(hash));
    std::memcpy(addr.sun_path + 1, abstract, static_cast<size_t>(length));
    ASSERT_EQ(bind(squatter, reinterpret_cast<sockaddr*>(&addr),
                   offsetof(sockaddr_un, sun_path) + 1 + static_cast<size_t>(length)),
              0);
    ASSERT_EQ(listen(squatter, 8), 0);
    // A socket file left behind by a copy that crashed.
    std::filesystem::create_directories(runtime_ / "morvick");
    chmod((runtime_ / "morvick").c_str(), 0700);
    const int stale = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    fds_.push_back(stale);
    sockaddr_un file{};
    file.sun_family = AF_UNIX;
    std::strncpy(file.sun_path, socketPath("Lobby").c_str(), sizeof file.sun_path - 1);
    ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&file), sizeof file), 0);

    SingleInstance first;
    EXPECT_TRUE(first.claim("Lobby", [] {}));
}

TEST_F(SingleInstanceTest, AFolderOthersCouldWriteIsNotUsed) {
    ASSERT_EQ(mkdir((runtime_ / "morvick").c_str(), 0777), 0);
    chmod((runtime_ / "morvick").c_str(), 0777);
    SingleInstance first;
    SingleInstance second;
    EXPECT_TRUE(first.claim("Lobby", [] {}));
    EXPECT_TRUE(second.claim("Lobby", [] {}));
    EXPECT_FALSE(std::filesystem::exists(socketPath("Lobby")));
}

TEST_F(SingleInstanceTest, PeersThatSendNothingNeitherBlockNorPileUp) {
    SingleInstance first;
    int heard = 0;
    ASSERT_TRUE(first.claim("Lobby", [&] {
        ++heard;
        ml_post_quit(0);
    }));
    for (size_t i = 0; i < SingleInstance::kMaxPending + 3; ++i) connectTo(socketPath("Lobby"));
    // One that sends something else is not an announcement.
    const int wrong = connectTo(socketPath("Lobby"));
    ASSERT_EQ(send(wrong, "newapps", 7, MSG_NOSIGNAL), 7);
    SingleInstance second;
    EXPECT_FALSE(second.claim("Lobby", [] {}));
    runUntilQuit();
    EXPECT_EQ(heard, 1);
    EXPECT_LE(first.pendingPeers(), SingleInstance::kMaxPending);
}

}  // namespace
}  // namespace cefhx
