#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/testhttp/raw_client.h"

extern char** environ;

namespace testhttp {
namespace {

// testhttpd run as a child process, with its standard output read line by line.
class Daemon {
public:
    explicit Daemon(std::vector<std::string> args) {
        args.insert(args.begin(), TESTHTTPD_PATH);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int fds[2];
        if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (rc != 0) {
            ::close(fds[0]);
            throw std::runtime_error(std::string("cannot start ") + TESTHTTPD_PATH);
        }
        out_ = ::fdopen(fds[0], "r");
    }
    ~Daemon() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        std::fclose(out_);
    }
    // The next line of output without its newline; empty at the end.
    std::string line() {
        char buf[256];
        if (!std::fgets(buf, sizeof buf, out_)) return "";
        std::string s = buf;
        if (!s.empty() && s.back() == '\n') s.pop_back();
        return s;
    }
    void signal(int sig) { ::kill(pid_, sig); }
    // The exit status, or -1 when it did not exit normally.
    int wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
};

class TesthttpdTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/testhttpd-test-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
        std::filesystem::create_directories(dir / "site");
        std::ofstream(dir / "site" / "a.txt") << "alpha";
        std::ofstream(dir / "site" / "b.txt") << "bravo";
        rules = dir / "rules.txt";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    RawResponse get(uint16_t port, const std::string& path) {
        RawClient c(port);
        c.sendGet(path);
        return c.readResponse();
    }
    std::filesystem::path dir;
    std::filesystem::path rules;
};

TEST_F(TesthttpdTest, ServesAFolderWithFaultsAndReloadsItsRules) {
    std::ofstream(rules) << "# first answer fails\n/u/a.txt status 503 nth=1\n";
    Daemon d({"--root", (dir / "site").string(), "--prefix", "/u", "--rules", rules.string(),
              "--fault", "/u/b.txt drop-after 2"});
    int port = std::stoi(d.line());
    ASSERT_GT(port, 0);
    EXPECT_EQ(get(port, "/u/a.txt").status, 503);
    EXPECT_EQ(get(port, "/u/a.txt").body, "alpha");
    RawResponse dropped = get(port, "/u/b.txt");
    EXPECT_EQ(dropped.body, "br");
    EXPECT_FALSE(dropped.complete);

    std::ofstream(rules) << "/u/a.txt error-page\n";
    d.signal(SIGHUP);
    EXPECT_EQ(d.line(), "reloaded 2 rules");
    RawResponse page = get(port, "/u/a.txt");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("<html>"), std::string::npos);
    EXPECT_EQ(get(port, "/u/b.txt").body, "br");

    std::ofstream(rules) << "/u/a.txt explode\n";
    d.signal(SIGHUP);
    EXPECT_EQ(d.line(), "reload failed");
    EXPECT_EQ(get(port, "/u/a.txt").status, 200);

    d.signal(SIGTERM);
    EXPECT_EQ(d.wait(), 0);
}

TEST_F(TesthttpdTest, RefusesBadArgumentsBeforeListening) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"--root", dir.string(), "--fault", "/a explode"},
          std::vector<std::string>{"--fault", "/a stall"},
          std::vector<std::string>{"--root", dir.string(), "--port", "70000"},
          std::vector<std::string>{"--root", dir.string(), "--rules", (dir / "none").string()}}) {
        Daemon d(args);
        EXPECT_EQ(d.line(), "") << args.back();
        EXPECT_EQ(d.wait(), 2) << args.back();
    }
}

}  // namespace
}  // namespace testhttp
