#include "runtime/curl_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace rt {
namespace {

bool curlMapped() {
    void* handle = dlopen("libcurl.so.4", RTLD_LAZY | RTLD_NOLOAD);
    if (handle != nullptr) dlclose(handle);
    return handle != nullptr;
}

// First in this file: nothing before it has asked for the library.
TEST(CurlLibraryTest, OpensOnFirstUseOnceForEveryThread) {
    EXPECT_FALSE(curlMapped()) << "libcurl is loaded with the runtime, not on its first request";
    std::vector<const CurlLibrary*> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = curlLibrary() ? curlLibrary()->get() : nullptr; });
    }
    for (std::thread& t : threads) t.join();
    ASSERT_NE(seen[0], nullptr) << curlLibrary().error();
    for (const CurlLibrary* library : seen) EXPECT_EQ(library, seen[0]);
    EXPECT_TRUE(curlMapped());
    EXPECT_NE(seen[0]->easy_setopt, nullptr);
    EXPECT_NE(seen[0]->share_cleanup, nullptr);
}

TEST(CurlLibraryTest, AMissingFileOrFunctionIsNamed) {
    const CurlOpening missing = openCurlLibrary("libmorvick-no-such-curl.so.9");
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.error().find("cannot open libmorvick-no-such-curl.so.9"), std::string::npos)
        << missing.error();
    const CurlOpening notCurl = openCurlLibrary("libc.so.6");
    EXPECT_FALSE(notCurl);
    EXPECT_EQ(notCurl.error(), "libc.so.6: curl_global_init is missing from the library");
}

}  // namespace
}  // namespace rt
