#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>

#include "runtime/primitive.h"
#include "runtime/test_folder.h"
#include "runtime/value.h"

namespace syslite::testing {

// Calls a primitive of libsyslite.so as the lobby does, bound by library name.
inline rt::Value call(const std::string& name, std::initializer_list<rt::Value> args) {
    static std::map<std::string, rt::Value> bound;
    rt::Value& fn = bound[name + "/" + std::to_string(args.size())];
    if (fn.isNull()) fn = rt::loadPrimitive("syslite", name, static_cast<int>(args.size()));
    return fn.call(args);
}

// The library's home folder, answers file and log in a fresh folder.
class PrimitivesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SYSLITE_HOME", (dir_ / "home").c_str(), 1);
        ::setenv("SYSLITE_ANSWERS", (dir_ / "answers.ini").c_str(), 1);
        ::setenv("MORVICK_PLATFORM_LOG", (dir_ / "log").c_str(), 1);
        // The library's headless behaviour: never the session's display or bus.
        ::unsetenv("DISPLAY");
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    void TearDown() override {
        ::unsetenv("SYSLITE_HOME");
        ::unsetenv("SYSLITE_ANSWERS");
        ::unsetenv("MORVICK_PLATFORM_LOG");
    }

    void answer(const std::string& text) const { std::ofstream(dir_ / "answers.ini") << text; }

    std::string logText() const {
        std::ifstream in(dir_ / "log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    rt::testing::TestFolder dir_;
};

}  // namespace syslite::testing
