#include "platform/zorbtools/hardware_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "runtime/primitive.h"
#include "runtime/test_folder.h"

namespace zorbtools {
namespace {

void put(const rt::testing::TestFolder& root, const std::string& name, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(root / name).parent_path());
    std::ofstream(root / name) << text;
}

TEST(HardwareText, NamesMachineProcessorAndBoard) {
    rt::testing::TestFolder root;
    put(root, "etc/machine-id", "0123456789abcdef0123456789abcdef\n");
    put(root, "proc/cpuinfo",
        "processor\t: 0\nvendor_id\t: GenuineTest\ncpu MHz\t\t: 2400.123\n"
        "model name\t: Test CPU @ 2.40GHz\n\nprocessor\t: 1\nvendor_id\t: Other\n"
        "model name\t: Other CPU\n");
    put(root, "sys/class/dmi/id/board_vendor", "Board Maker\n");
    put(root, "sys/class/dmi/id/board_name", "B-1\n");
    EXPECT_EQ(hardwareText(root.path()),
              "machine=0123456789abcdef0123456789abcdef;cpu=GenuineTest Test CPU @ 2.40GHz;"
              "board=Board Maker|B-1||");
}

TEST(HardwareText, FallsBackToTheBusMachineIdAndArmProcessorLines) {
    rt::testing::TestFolder root;
    put(root, "var/lib/dbus/machine-id", "feed\n");
    put(root, "proc/cpuinfo", "processor : 0\nCPU implementer : 0x41\nCPU part : 0xd08\n");
    EXPECT_EQ(hardwareText(root.path()), "machine=feed;cpu=0x41 0xd08;board=|||");
}

TEST(HardwareText, AnEmptySystemStillGivesAText) {
    rt::testing::TestFolder root;
    EXPECT_EQ(hardwareText(root.path()), "machine=;cpu=;board=|||");
}

TEST(TroxGetHardInfo, BoundByNameAnswersTheSameTextEveryTime) {
    rt::Value fn = rt::loadPrimitive("Zorbtools", "trox_gethardinfo", 0);
    ASSERT_TRUE(fn.isFunction());
    rt::Value first = fn.call({});
    EXPECT_TRUE(first.isString());
    EXPECT_EQ(first, rt::Value(hardwareText("")));
    EXPECT_EQ(fn.call({}), first);
    EXPECT_EQ(rt::loadPrimitive("Zorbtools.dll", "trox_gethardinfo", 0).call({}), first);
}

}  // namespace
}  // namespace zorbtools
