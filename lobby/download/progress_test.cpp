#include "lobby/download/progress.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/file.h"
#include "runtime/md5.h"
#include "runtime/test_folder.h"

namespace download {
namespace {

std::vector<ProgressSnapshot> drain(ProgressList& list) {
    std::vector<ProgressSnapshot> taken;
    while (auto s = list.take()) taken.push_back(*s);
    return taken;
}

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override { list.create(); }

    rt::testing::TestFolder folder;
    ProgressList list;
    ProgressRecord record{{7, 2, 1, 0, 0}, 0};
};

TEST_F(ProgressTest, AZeroLengthBodyIsCompleteAtOnceWithOneSnapshot) {
    FileOutput out((folder / "a.bin"));
    Progress p(out, record, list);
    p.prepare(0);
    EXPECT_EQ(record.state, 2);
    EXPECT_EQ(record.progress, 100);
    auto taken = drain(list);
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].progress, 100);
    EXPECT_EQ(taken[0].queue, 7);
    EXPECT_EQ(taken[0].module, 2);
    EXPECT_EQ(taken[0].index, 1);
}

TEST_F(ProgressTest, ASmallBodyGivesOneSnapshotAtItsLastByte) {
    FileOutput out((folder / "a.bin"));
    Progress p(out, record, list);
    p.prepare(1000);
    EXPECT_EQ(record.state, 1);
    std::vector<uint8_t> piece(250, 'x');
    for (int i = 0; i < 4; ++i) {
        p.writeBytes(piece.data(), piece.size());
        if (i < 3) {
            EXPECT_FALSE(list.take().has_value());
        }
    }
    p.close();
    auto taken = drain(list);
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].progress, 100);
    EXPECT_EQ(rt::File::getContent((folder / "a.bin")), std::string(1000, 'x'));
}

TEST_F(ProgressTest, ALargerBodyGivesASnapshotPerWriteNewestFirst) {
    FileOutput out((folder / "a.bin"));
    Progress p(out, record, list);
    p.prepare(10000);
    std::vector<uint8_t> piece(1000, 'y');
    for (int i = 0; i < 10; ++i) p.writeBytes(piece.data(), piece.size());
    auto taken = drain(list);
    ASSERT_EQ(taken.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(taken[static_cast<size_t>(i)].progress, 100 - 10 * i);
    EXPECT_EQ(p.cur(), 10000);
}

TEST_F(ProgressTest, SnapshotsPutWhileTheListIsAbsentAreDropped) {
    list.drop();
    FileOutput out((folder / "a.bin"));
    Progress p(out, record, list);
    p.prepare(0);
    list.create();
    EXPECT_FALSE(list.take().has_value());
}

TEST_F(ProgressTest, AListNobodyDrainsKeepsOnlyItsNewestSnapshots) {
    for (int i = 0; i < static_cast<int>(ProgressList::kLimit) + 10; ++i) {
        list.put({1, 0, i, 0, 0});
    }
    auto taken = drain(list);
    ASSERT_EQ(taken.size(), ProgressList::kLimit);
    EXPECT_EQ(taken.front().index, static_cast<int>(ProgressList::kLimit) + 9);
    EXPECT_EQ(taken.back().index, 10);
}

TEST(FileOutputTest, TheDigestIsThatOfEveryByteWritten) {
    rt::testing::TestFolder folder;
    FileOutput out((folder / "a.bin"));
    std::string text = "game data";
    out.writeBytes(reinterpret_cast<const uint8_t*>(text.data()), 4);
    for (size_t i = 4; i < text.size(); ++i) out.writeByte(static_cast<uint8_t>(text[i]));
    out.close();
    EXPECT_EQ(out.digest(), rt::md5Hex(text));
}

TEST(FileOutputTest, AFolderThatDoesNotExistNamesThePath) {
    rt::testing::TestFolder folder;
    std::string path = (folder / "missing/a.bin");
    try {
        FileOutput out(path);
        FAIL() << "opened " << path;
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace download
