// The host's start against a browser that ends before it answers, on a private X server: the
// start fails and leaves nothing of its own open.
#include <dirent.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/cefhx/browser_host.h"
#include "platform/shared/x11_test_server.h"
#include "runtime/test_folder.h"

namespace cefhx {
namespace {

int openDescriptors() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return -1;
    int count = 0;
    while (readdir(dir)) ++count;
    closedir(dir);
    return count;
}

TEST(BrowserHostStart, ABrowserThatEndsAtOnceFailsTheStartAndLeavesNoConnectionOpen) {
    platform::test::sharedXvfb().exportDisplay();
    rt::testing::TestFolder profile;
    BrowserHost& host = BrowserHost::instance();
    ASSERT_TRUE(host.ensureLoop());
    const int before = openDescriptors();

    ChromiumOptions options;
    options.binary = "/bin/true";
    options.headless = false;
    options.profileDir = profile.path();
    const morvick::Expected<void> started = host.start(options);

    ASSERT_FALSE(started);
    EXPECT_NE(started.error().find("did not start"), std::string::npos) << started.error();
    EXPECT_FALSE(host.started());
    EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace cefhx
