#include "platform/msgloop/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/msgloop/msgloop.h"

namespace msgloop {
namespace {

TEST(Registry, FolderIsPrivateAndHandlesComeFromOneCounter) {
    Registry a, b;
    ASSERT_EQ(a.open(), ML_OK);
    ASSERT_EQ(b.open(), ML_OK);
    struct stat st {};
    ASSERT_EQ(lstat(a.dir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    uint32_t h1 = 0, h2 = 0;
    ASSERT_EQ(a.add_window(&h1), ML_OK);
    ASSERT_EQ(b.add_window(&h2), ML_OK);
    EXPECT_NE(h1, h2);
    EXPECT_GT(h1, 0u);
    EXPECT_LE(h2, 0x7FFFFFFFu);
    Owner owner;
    ASSERT_TRUE(a.owner_of(h2, &owner));
    EXPECT_EQ(owner, a.self());
    a.remove_window(h1);
    b.remove_window(h2);
    EXPECT_FALSE(a.owner_of(h1, &owner));
}

TEST(Registry, AZombieOrAnotherStartTimeCountsAsDead) {
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char c;
        close(gate[1]);
        _exit(read(gate[0], &c, 1) == 0 ? 0 : 1);
    }
    close(gate[0]);
    Owner owner{child, 0};
    char state = 0;
    ASSERT_TRUE(read_process_stat(child, &owner.start, &state));
    EXPECT_TRUE(owner.alive());
    EXPECT_FALSE((Owner{child, owner.start + 1}).alive());

    close(gate[1]);
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
    EXPECT_FALSE(owner.alive());  // a zombie now
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(owner.alive());
}

TEST(Registry, SweepRemovesEntriesOfDeadOwners) {
    Registry registry;
    ASSERT_EQ(registry.open(), ML_OK);
    uint32_t mine = 0;
    ASSERT_EQ(registry.add_window(&mine), ML_OK);
    std::string stale = registry.dir() + "/w2147480001";
    unlink(stale.c_str());
    ASSERT_EQ(symlink("2147480000.12", stale.c_str()), 0);
    registry.sweep();
    EXPECT_NE(access(stale.c_str(), F_OK), 0);
    Owner owner;
    EXPECT_TRUE(registry.owner_of(mine, &owner));
    registry.remove_window(mine);
}

TEST(Owner, TextRoundTripsAndRejectsJunk) {
    Owner owner{1234, 987654321};
    Owner back;
    ASSERT_TRUE(Owner::parse(owner.text(), &back));
    EXPECT_EQ(back, owner);
    EXPECT_FALSE(Owner::parse("12", &back));
    EXPECT_FALSE(Owner::parse("12.3x", &back));
    EXPECT_FALSE(Owner::parse("-1.3", &back));
}

}  // namespace
}  // namespace msgloop
