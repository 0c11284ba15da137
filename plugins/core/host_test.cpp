// The binding's two failure roads, in programs that offer no host value interface
// (PLUG_TEST_NO_CFFI) or one that knows no function.

#include "plugins/core/testing/game_run.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#ifndef PLUG_TEST_NO_CFFI
extern "C" __attribute__((visibility("default"))) void* hx_cffi(const char*) {
    return nullptr;
}
#endif

namespace plug {
namespace {

using Primitive = void* (*)(void*);

Primitive BindCreate() {
    const std::string path = testing::ProgramFolder() + "/libSondrel.so";
    void* library = dlopen(path.c_str(), RTLD_NOW);
    if (library == nullptr) return nullptr;
    auto exported = reinterpret_cast<void* (*)()>(dlsym(library, "plug_create__1"));
    return exported == nullptr ? nullptr : reinterpret_cast<Primitive>(exported());
}

TEST(HostBinding, FailsOnTheFirstCallWithItsMessageAndExitCode1) {
    const Primitive create = BindCreate();
    ASSERT_NE(create, nullptr) << dlerror();
#ifdef PLUG_TEST_NO_CFFI
    EXPECT_EXIT(create(nullptr), ::testing::ExitedWithCode(1),
                "^Could not link plugin to process \\(hxCFFILoader 613\\)\n$");
#else
    EXPECT_EXIT(create(nullptr), ::testing::ExitedWithCode(1),
                "^Could find function alloc_abstract \n$");
#endif
}

}  // namespace
}  // namespace plug
