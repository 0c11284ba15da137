#pragma once
// Test equipment: the fixture of a test of one plug-in library through the host.

#include "plugins/core/testing/game_run.h"
#include "plugins/core/testing/plug_host.h"

#include "platform/msgloop/msgloop.h"
#include "runtime/create.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace plug::testing {

// Open() starts the loop, binds the library by name and makes one handle on a handler that
// records its calls; the game stand-in is ready to be linked. The end destroys the handle (when
// the test left one) and stops the loop. Base is ::testing::Test or a parameterised test.
template <class Base = ::testing::Test>
class LibraryTest : public Base {
protected:
    void Open(const std::string& library) {
        StartLoop();
        lib = std::make_unique<PlugLibrary>(library);
        handler = rt::create<Handler>();
        handle = (*lib)("plug_create", handler);
    }

    void TearDown() override {
        if (lib && !handle.isNull()) (*lib)("plug_destroy", handle);
        lib.reset();
        ml_shutdown();
    }

    // The stand-in's program path with the script, as the library's link primitive is given it.
    std::string Program(const std::string& script, size_t textPrefix) const {
        const std::u16string program = game.Program(script, textPrefix);
        return std::string(program.begin(), program.end());
    }

    GameRun game;
    std::unique_ptr<PlugLibrary> lib;
    rt::Ref<Handler> handler;
    rt::Value handle;
};

}  // namespace plug::testing
