#include "platform/msgloop/process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/msgloop/test_support.h"

namespace msgloop::test {
namespace {

class Processes : public LoopTest {
protected:
    // Starts the command line, waits for the end and answers the exit code.
    int run(const std::string& cmdline) {
        ml_process* process = nullptr;
        int status = ml_process_start(cmdline.c_str(), &process);
        EXPECT_EQ(status, ML_OK) << ml_last_error();
        if (status != ML_OK) return -1000;
        EXPECT_EQ(ml_process_wait(process, 20000), ML_OK);
        int code = -1;
        EXPECT_EQ(ml_process_exit_code(process, &code), ML_OK);
        ml_process_close(process);
        return code;
    }
    const std::string peer_ = MSGLOOP_PEER;
};

TEST_F(Processes, TheExitCodeIsReported) {
    EXPECT_EQ(run(peer_ + " exit 7"), 7);
    EXPECT_EQ(run("\"" + peer_ + "\" exit 0"), 0);
}

TEST_F(Processes, TerminationReportsTheCodeAskedFor) {
    ml_process* process = nullptr;
    ASSERT_EQ(ml_process_start((peer_ + " sleep").c_str(), &process), ML_OK);
    EXPECT_EQ(ml_process_wait(process, 0), ML_ERR_TIMEOUT);
    int code = 0;
    EXPECT_EQ(ml_process_exit_code(process, &code), ML_ERR_RUNNING);
    ASSERT_EQ(ml_process_terminate(process, 42), ML_OK);
    ASSERT_EQ(ml_process_wait(process, 20000), ML_OK);
    ASSERT_EQ(ml_process_exit_code(process, &code), ML_OK);
    EXPECT_EQ(code, 42);
    EXPECT_EQ(ml_process_terminate(process, 1), ML_ERR_ENDED);
    ASSERT_EQ(ml_process_exit_code(process, &code), ML_OK);
    EXPECT_EQ(code, 42);
    ml_process_close(process);
}

TEST_F(Processes, AProgramPathWithSpacesStaysWholeAndExeFallsBack) {
    char pattern[] = "/tmp/msgloop-proc-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    std::string dir = std::string(pattern) + "/my games";
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    std::string program = dir + "/fish game";
    ASSERT_EQ(symlink(peer_.c_str(), program.c_str()), 0);

    EXPECT_EQ(run(program + " exit 3"), 3);
    EXPECT_EQ(run(program + ".exe exit 4"), 4);
    EXPECT_EQ(run("\"" + program + "\" exit \"5\""), 5);

    unlink(program.c_str());
    rmdir(dir.c_str());
    rmdir(pattern);
}

TEST_F(Processes, AMissingProgramFailsToStart) {
    ml_process* process = nullptr;
    EXPECT_EQ(ml_process_start("/nonexistent/game /Transmittal:1", &process), ML_ERR_SYSTEM);
    EXPECT_NE(std::string(ml_last_error()).find("/nonexistent/game"), std::string::npos);
    EXPECT_EQ(ml_process_start("   ", &process), ML_ERR_ARG);
}

TEST_F(Processes, TheChildInheritsEnvironmentButNoDescriptors) {
    int leaky[2];
    ASSERT_EQ(pipe(leaky), 0);  // deliberately inheritable
    EXPECT_EQ(run(peer_ + " fds"), 0);
    close(leaky[0]);
    close(leaky[1]);
    setenv("MSGLOOP_TEST_FLAG", "yes", 1);
    EXPECT_EQ(run(peer_ + " env MSGLOOP_TEST_FLAG"), 0);
    unsetenv("MSGLOOP_TEST_FLAG");
}

TEST_F(Processes, TheLoopReapsAClosedProcess) {
    ml_process* process = nullptr;
    ASSERT_EQ(ml_process_start((peer_ + " exit 0").c_str(), &process), ML_OK);
    std::string stat = "/proc/" + std::to_string(ml_process_id(process)) + "/stat";
    ml_process_close(process);
    EXPECT_TRUE(pump_until([&] { return access(stat.c_str(), F_OK) != 0; }, 200));
}

}  // namespace
}  // namespace msgloop::test
