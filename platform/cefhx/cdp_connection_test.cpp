// The pipe to the browser when the browser has gone.
#include "platform/cefhx/cdp_connection.h"

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/msgloop/msgloop.h"

namespace cefhx {
namespace {

TEST(CdpConnectionTest, ACommandToABrowserThatHasGoneFailsWithoutEndingTheProcess) {
    if (!ml_is_loop_thread()) {
        ASSERT_EQ(ml_init(), ML_OK) << ml_last_error();
    }
    int commands[2];
    int events[2];
    ASSERT_EQ(pipe(commands), 0);
    ASSERT_EQ(pipe(events), 0);
    ::close(commands[0]);  // the browser's end: nobody reads the commands any more
    {
        CdpConnection connection;
        connection.open(commands[1], events[0]);
        EXPECT_FALSE(connection.send("Browser.getVersion", Json::Value(), ""));
        EXPECT_FALSE(connection.send("Browser.getVersion", Json::Value(), ""));
        connection.close();
    }
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
    for (int fd : {commands[1], events[0], events[1]}) ::close(fd);
}

}  // namespace
}  // namespace cefhx
