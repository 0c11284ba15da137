#include "lobby/bindings/syslite/events.h"

#include <gtest/gtest.h>

#include "lobby/bindings/fake_host.h"
#include "runtime/class_info.h"

namespace syslite::win {
namespace {

TEST(EventsTest, MessageNumbersAreReadAndWrittenByName) {
    bindings::FakeHost host;
    const rt::ClassInfo* events = rt::ClassInfo::find("syslite.win.Events");
    ASSERT_NE(events, nullptr);
    EXPECT_EQ(events->getStatic("RBUTTONUP"), rt::Value(517));
    EXPECT_EQ(events->getStatic("RBUTTONDOWN"), rt::Value(516));
    EXPECT_EQ(events->getStatic("LBUTTONUP"), rt::Value(514));
    EXPECT_EQ(events->getStatic("LBUTTONDBLCLK"), rt::Value(515));
    EXPECT_EQ(events->getStatic("TRAYEVENT"), rt::Value(9001));
    EXPECT_EQ(events->getStatic("MOUSEFIRST"), events->getStatic("MOUSEMOVE"));
    EXPECT_EQ(events->getStatic("HOTKEY"), rt::Value(786));
    EXPECT_EQ(events->getStatic("COMMAND"), rt::Value(273));
    EXPECT_TRUE(events->getStatic("WM_PAINT").isNull());

    events->setStatic("TRAYEVENT", 9100);
    EXPECT_EQ(events->getStatic("TRAYEVENT"), rt::Value(9100));
    Events::initStatics();
    EXPECT_EQ(events->getStatic("TRAYEVENT"), rt::Value(9001));
}

}  // namespace
}  // namespace syslite::win
