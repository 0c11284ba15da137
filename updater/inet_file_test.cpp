#include "updater/inet_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "tools/testhttp/server.h"
#include "updater/inet_files.h"
#include "updater/loop_fixture.h"
#include "updater/md5_digest.h"
#include "updater/test_folder.h"

namespace haldor {
namespace {

using testhttp::Fault;

class InetFileTest : public LoopTest {
protected:
    // An update file "<name>" of version 7 served below "/update/7/".
    std::unique_ptr<CInetFile> UpdateFile(const std::string& name, const std::string& bytes,
                                          const std::string& local_path = "") {
        std::string served = "/update/7/" + (local_path.empty() ? "" : local_path + "/") + name;
        server.addFile(served, bytes);
        CUpdateFile entry;
        entry.file_name = name;
        entry.local_path = local_path;
        entry.length = bytes.size();
        auto file = std::make_unique<CInetFile>(server.url(), &entry, "7");
        file->kind = kUpdateFile;
        file->file_name = name;
        file->target_path = dir / (local_path.empty() ? name : local_path + "/" + name);
        file->expected_length = bytes.size();
        file->receiver = receiver().hwnd();
        return file;
    }
    // A whole-file transfer of the served path into `target` in the folder.
    std::unique_ptr<CInetFile> WholeFile(const std::string& path, TransferKind kind,
                                         const std::string& target) {
        auto file = std::make_unique<CInetFile>(server.url(path), nullptr, "3");
        file->kind = kind;
        file->target_path = dir / target;
        file->receiver = receiver().hwnd();
        return file;
    }
    bool Run(CInetFile& file, bool ranged) {
        file.Start(ranged);
        bool ended = PumpUntil([this] { return receiver().DoneCount() > 0; });
        PumpFor(50);
        return ended;
    }
    // The first bytes of the ranges asked for `path`, in order of asking.
    std::vector<std::uint64_t> RangeStarts(const std::string& path) {
        std::vector<std::uint64_t> starts;
        for (const auto& r : server.log().forPath(path))
            if (r.request.range && r.request.range->first)
                starts.push_back(*r.request.range->first);
        return starts;
    }

    void SetUp() override {
        LoopTest::SetUp();
        receiver_ = std::make_unique<Receiver>();
    }
    void TearDown() override {
        receiver_.reset();
        LoopTest::TearDown();
    }

    testhttp::Server server;
    TestFolder dir;
    std::unique_ptr<Receiver> receiver_;
    Receiver& receiver() { return *receiver_; }
};

TEST_F(InetFileTest, WholeTransferWritesTheTargetAndReportsProgress) {
    std::string bytes = Pattern(70000);
    server.addFile("/update/VerAndUrl.xml", bytes);
    auto file = WholeFile("/update/VerAndUrl.xml", kVersionFile, "Xml1");
    ASSERT_TRUE(Run(*file, false));
    EXPECT_EQ(receiver().Result(), kTransferDone);
    EXPECT_EQ(receiver().DoneCount(), 1);
    EXPECT_EQ(dir.Read("Xml1"), bytes);
    EXPECT_EQ(receiver().ProgressBytes(), bytes.size());
    EXPECT_EQ(file->bytes_so_far, bytes.size());
    for (const auto& m : receiver().messages()) {
        EXPECT_EQ(m.kind, kVersionFile);
        EXPECT_EQ(m.id, file->id());
    }
}

// Reads are large and progress is coalesced, yet every message carries 1..0xFFFF bytes, they
// add up to the file, and the result comes after the last of them.
TEST_F(InetFileTest, ProgressInPiecesThatFitTheirWordBeforeTheResult) {
    for (bool ranged : {false, true}) {
        SCOPED_TRACE(ranged ? "ranged" : "whole");
        receiver_ = std::make_unique<Receiver>();
        const std::string bytes = Pattern(3 * 65536 + 7);
        auto file = UpdateFile(ranged ? "r.pak" : "w.pak", bytes);
        ASSERT_TRUE(Run(*file, ranged));
        EXPECT_EQ(receiver().Result(), kTransferDone);
        EXPECT_EQ(receiver().ProgressBytes(), bytes.size());
        const auto& messages = receiver().messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back().msg, WM_TRANSFER_DONE);
        for (std::size_t i = 0; i + 1 < messages.size(); ++i) {
            EXPECT_EQ(messages[i].msg, WM_TRANSFER_PROGRESS);
            EXPECT_GT(messages[i].value, 0u);
        }
    }
}

// A response header that comes in many small reads is put together before it is read.
TEST_F(InetFileTest, HeaderArrivingInPiecesIsReadWhole) {
    const std::string bytes = Pattern(3000);
    server.addFile("/update/VerAndUrl.xml", bytes);
    server.setFault("/update/VerAndUrl.xml", Fault::splitHeader(3, std::chrono::milliseconds(2)));
    auto whole = WholeFile("/update/VerAndUrl.xml", kVersionFile, "Xml1");
    ASSERT_TRUE(Run(*whole, false));
    EXPECT_EQ(receiver().Result(), kTransferDone);
    EXPECT_EQ(dir.Read("Xml1"), bytes);

    Receiver other;
    auto ranged = UpdateFile("game.dat", bytes);
    server.setFault("/update/7/game.dat", Fault::splitHeader(1, std::chrono::milliseconds(1)));
    ranged->receiver = other.hwnd();
    ranged->Start(true);
    ASSERT_TRUE(PumpUntil([&] { return other.DoneCount() > 0; }));
    EXPECT_EQ(other.Result(), kTransferDone);
    EXPECT_EQ(dir.Read("game.dat.update.7"), bytes);
}

TEST_F(InetFileTest, WholeTransferFailures) {
    server.addFile("/missing", "");
    server.setFault("/missing", Fault::answerStatus(404));
    auto file = WholeFile("/missing", kFileList, "Xml2");
    ASSERT_TRUE(Run(*file, false));
    EXPECT_EQ(receiver().Result(), kTransferFailed);

    Receiver other;
    CInetFile unstartable("nonsense", nullptr, "3");
    unstartable.receiver = other.hwnd();
    EXPECT_FALSE(unstartable.Start(false));
    PumpUntil([&] { return other.DoneCount() > 0; });
    PumpFor(50);
    EXPECT_EQ(other.DoneCount(), 1) << "the end is reported once";
    EXPECT_EQ(other.Result(), kTransferNotStarted);
}

TEST_F(InetFileTest, TenBytesComeInFiveRangesIntoTheDownloadName) {
    std::string bytes = "0123456789";
    auto file = UpdateFile("a.dll", bytes);
    ASSERT_TRUE(Run(*file, true));
    EXPECT_EQ(receiver().Result(), kTransferDone);
    EXPECT_EQ(dir.Read("a.dll.update.7"), bytes);
    EXPECT_EQ(dir.Read("a.dll"), "") << "the target itself is never written here";
    auto starts = RangeStarts("/update/7/a.dll");
    std::sort(starts.begin(), starts.end());
    EXPECT_EQ(starts, (std::vector<std::uint64_t>{0, 2, 4, 6, 8}));
    auto logged = server.log().forPath("/update/7/a.dll");
    ASSERT_EQ(logged.size(), 6u);
    EXPECT_FALSE(logged[0].request.range) << "the first GET only learns the length";
    EXPECT_EQ(logged[1].request.headers.get("User-Agent"), "AutoUpdate_Quarn");
    EXPECT_EQ(receiver().ProgressBytes(), bytes.size());
}

TEST_F(InetFileTest, LargerFileIntoANewFolder) {
    std::string bytes = Pattern(1000001);
    auto file = UpdateFile("big.pak", bytes, "data/sub");
    ASSERT_TRUE(Run(*file, true));
    EXPECT_EQ(receiver().Result(), kTransferDone);
    EXPECT_EQ(dir.Read("data/sub/big.pak.update.7"), bytes);
    EXPECT_EQ(file->bytes_so_far, bytes.size());
}

TEST_F(InetFileTest, ShortAndEmptyFilesNeverAskForEmptyRanges) {
    auto three = UpdateFile("three", "abc");
    ASSERT_TRUE(Run(*three, true));
    EXPECT_EQ(receiver().Result(), kTransferDone);
    EXPECT_EQ(dir.Read("three.update.7"), "abc");
    EXPECT_EQ(server.log().countFor("/update/7/three"), 4);

    Receiver other;
    auto empty = UpdateFile("empty", "");
    empty->receiver = other.hwnd();
    empty->Start(true);
    ASSERT_TRUE(PumpUntil([&] { return other.DoneCount() > 0; }));
    EXPECT_EQ(other.Result(), kTransferDone);
    EXPECT_TRUE(FileExists(dir / "empty.update.7"));
    EXPECT_EQ(server.log().countFor("/update/7/empty"), 1);
}

TEST_F(InetFileTest, DroppedRangeResumesAfterItsLastWrittenByte) {
    std::string bytes = Pattern(50000);
    auto file = UpdateFile("r.bin", bytes);
    server.setFault("/update/7/r.bin", Fault::dropAfter(300).forRangeStart(20000));
    ASSERT_TRUE(Run(*file, true));
    EXPECT_EQ(receiver().Result(), kTransferDone);
    EXPECT_EQ(dir.Read("r.bin.update.7"), bytes);
    auto starts = RangeStarts("/update/7/r.bin");
    EXPECT_NE(std::find(starts.begin(), starts.end(), 20300u), starts.end());
}

// A ranged transfer hashes its file as the ranges arrive, also across resumed ranges (the first
// one, hashed from the network, and a later one, hashed from the file) and one-byte ranges; a
// whole transfer leaves the check to a reading of the file.
TEST_F(InetFileTest, RangedTransferHashesTheFileWhileItArrives) {
    struct Case {
        const char* name;
        std::size_t length;
        std::uint64_t drop_start;  // the range whose first attempt breaks off; 1 for none
    };
    for (const Case& c : {Case{"plain.bin", 1000001, 1}, Case{"first.bin", 1000001, 0},
                          Case{"later.bin", 1000001, 400000}, Case{"tiny.bin", 3, 1}}) {
        SCOPED_TRACE(c.name);
        receiver_ = std::make_unique<Receiver>();
        const std::string bytes = Pattern(c.length);
        auto file = UpdateFile(c.name, bytes);
        if (c.drop_start != 1) {
            server.setFault(std::string("/update/7/") + c.name,
                            Fault::dropAfter(70000).forRangeStart(c.drop_start));
        }
        ASSERT_TRUE(Run(*file, true));
        ASSERT_EQ(receiver().Result(), kTransferDone);
        const auto on_disk = MD5_CTX::FileDigest(dir / (std::string(c.name) + ".update.7"));
        ASSERT_TRUE(on_disk);
        EXPECT_EQ(file->digest(), on_disk);
    }
    receiver_ = std::make_unique<Receiver>();
    auto whole = UpdateFile("whole.bin", Pattern(5000));
    ASSERT_TRUE(Run(*whole, false));
    EXPECT_FALSE(whole->digest());
}

TEST_F(InetFileTest, RangeThatFailsThreeTimesFailsTheTransferOnce) {
    std::string bytes = Pattern(50000);
    auto file = UpdateFile("f.bin", bytes);
    server.setFault("/update/7/f.bin", Fault::answerStatus(500).forRangeStart(10000));
    ASSERT_TRUE(Run(*file, true));
    PumpFor(200);
    EXPECT_EQ(receiver().Result(), kTransferFailed);
    EXPECT_EQ(receiver().DoneCount(), 1);
    auto starts = RangeStarts("/update/7/f.bin");
    EXPECT_EQ(std::count(starts.begin(), starts.end(), 10000u), 3);
}

TEST_F(InetFileTest, WholeAnswersAndWrongRangesAreNeverWritten) {
    for (Fault fault :
         {Fault::ignoreRange(), Fault::wrongContentRange(1), Fault::wrongContentLength(5)}) {
        Receiver local;
        std::string bytes = Pattern(4000);
        auto file = UpdateFile("w.bin", bytes);
        file->receiver = local.hwnd();
        server.clearAllFaults();
        server.setFault("/update/7/w.bin", fault.forRangeStart(0));
        file->Start(true);
        ASSERT_TRUE(PumpUntil([&] { return local.DoneCount() > 0; })) << fault.describe();
        EXPECT_EQ(local.Result(), kTransferFailed) << fault.describe();
        // Nothing of a failed transfer stays, not even the sized download file.
        EXPECT_FALSE(std::filesystem::exists(dir / "w.bin.update.7")) << fault.describe();
    }
}

TEST_F(InetFileTest, ALengthOtherThanTheManifestsFailsBeforeAnythingIsWritten) {
    for (std::int64_t delta : {std::int64_t{1} << 40, std::int64_t{1}, std::int64_t{-1}}) {
        Receiver local;
        auto file = UpdateFile("l.bin", Pattern(4000));
        file->receiver = local.hwnd();
        server.log().clear();
        server.setFault("/update/7/l.bin", Fault::wrongContentLength(delta).onRequest(1));
        file->Start(true);
        ASSERT_TRUE(PumpUntil([&] { return local.DoneCount() > 0; })) << delta;
        EXPECT_EQ(local.Result(), kTransferFailed) << delta;
        EXPECT_FALSE(std::filesystem::exists(dir / "l.bin.update.7")) << delta;
        EXPECT_EQ(server.log().countFor("/update/7/l.bin"), 1) << "no range was asked for";
    }
}

TEST_F(InetFileTest, AManifestLargerThan16MiBIsRefused) {
    server.addFile("/update/huge.xml", std::string(16 * 1024 * 1024 + 1, 'x'));
    for (Fault fault : {Fault::noContentLength(), Fault::wrongContentLength(2)}) {
        Receiver local;
        CInetFile file(server.url("/update/huge.xml"), nullptr, "7");
        file.kind = kVersionFile;
        file.target_path = dir / "Xml1";
        file.receiver = local.hwnd();
        server.setFault("/update/huge.xml", fault);
        file.Start(false);
        ASSERT_TRUE(PumpUntil([&] { return local.DoneCount() > 0; })) << fault.describe();
        EXPECT_EQ(local.Result(), kTransferFailed) << fault.describe();
        EXPECT_FALSE(std::filesystem::exists(dir / "Xml1")) << fault.describe();
    }
}

TEST_F(InetFileTest, TheDownloadFileIsMadeAnewNeverThroughALink) {
    dir.Write("outside/victim", "keep");
    std::filesystem::create_symlink(dir / "outside/victim", dir / "s.bin.update.7");
    std::string bytes = Pattern(3000);
    auto file = UpdateFile("s.bin", bytes);
    ASSERT_TRUE(Run(*file, true));
    EXPECT_EQ(receiver().Result(), kTransferDone);
    EXPECT_EQ(dir.Read("outside/victim"), "keep");
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "s.bin.update.7"));
    EXPECT_EQ(dir.Read("s.bin.update.7"), bytes);
}

TEST_F(InetFileTest, AnAbandonedTransferLeavesNoFile) {
    auto file = UpdateFile("a.bin", Pattern(4000));
    server.setFault("/update/7/a.bin", Fault::stall().forRangeStart(800));
    file->Start(true);
    ASSERT_TRUE(PumpUntil([&] { return server.log().countFor("/update/7/a.bin") == 6; }));
    ASSERT_TRUE(std::filesystem::exists(dir / "a.bin.update.7"));
    file.reset();
    EXPECT_FALSE(std::filesystem::exists(dir / "a.bin.update.7"));
}

TEST_F(InetFileTest, UnsafeEntryFailsWithoutARequest) {
    auto file = UpdateFile("x.bin", "x");
    file->safe = false;
    EXPECT_FALSE(file->Start(true));
    ASSERT_TRUE(PumpUntil([this] { return receiver().DoneCount() > 0; }));
    EXPECT_EQ(receiver().Result(), kTargetNotCreated);
    EXPECT_EQ(server.log().size(), 0u);
}

TEST_F(InetFileTest, QueueOwnsItsTransfersAndFindsThemById) {
    CInetFiles queue;
    auto a = UpdateFile("a", "a");
    auto b = UpdateFile("b", "b");
    std::uint64_t a_id = a->id();
    CInetFile* b_raw = b.get();
    queue.Push(std::move(a));
    queue.Push(std::move(b));
    EXPECT_EQ(queue.Count(), 2u);
    EXPECT_EQ(queue.Head()->id(), a_id);
    EXPECT_EQ(queue.Tail(), b_raw);
    EXPECT_EQ(queue.Find(b_raw->id()), b_raw);
    queue.Remove(queue.Find(a_id));
    EXPECT_EQ(queue.Find(a_id), nullptr);
    EXPECT_EQ(queue.Pop().get(), b_raw);
    EXPECT_EQ(queue.Count(), 0u);
    EXPECT_EQ(queue.Pop(), nullptr);
}

}  // namespace
}  // namespace haldor
