#include "lobby/app/xor_zip_archive.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace lobby {
namespace {

// Builds zip archives the way archivers lay them out: local header, name, data, and for
// streamed entries a data descriptor after the data.
class ZipWriter {
public:
    enum class Mode { Stored, Deflated, DeflatedStreamed };

    void add(const std::string& name, const std::string& content, Mode mode) {
        std::vector<uint8_t> data(content.begin(), content.end());
        if (mode != Mode::Stored) data = deflateRaw(data);
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(content.data()), content.size()));
        const bool streamed = mode == Mode::DeflatedStreamed;
        u32(0x04034b50);
        u16(20);
        u16(streamed ? 0x0008 : 0);
        u16(mode == Mode::Stored ? 0 : 8);
        u16(0);
        u16(0);
        u32(streamed ? 0 : crc);
        u32(streamed ? 0 : static_cast<uint32_t>(data.size()));
        u32(streamed ? 0 : static_cast<uint32_t>(content.size()));
        u16(static_cast<uint16_t>(name.size()));
        u16(0);
        bytes.insert(bytes.end(), name.begin(), name.end());
        bytes.insert(bytes.end(), data.begin(), data.end());
        if (streamed) {
            u32(0x08074b50);
            u32(crc);
            u32(static_cast<uint32_t>(data.size()));
            u32(static_cast<uint32_t>(content.size()));
        }
    }
    // A central directory stand-in: the reader stops at the first non-local header.
    void finish() { u32(0x02014b50); }

    std::vector<uint8_t> bytes;

private:
    static std::vector<uint8_t> deflateRaw(const std::vector<uint8_t>& in) {
        z_stream z{};
        EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
        std::vector<uint8_t> out(deflateBound(&z, in.size()));
        z.next_in = const_cast<Bytef*>(in.data());
        z.avail_in = static_cast<uInt>(in.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
        out.resize(z.total_out);
        deflateEnd(&z);
        return out;
    }
    void u16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
};

std::string text(const std::vector<uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

TEST(XorZipArchive, ReadsStoredDeflatedAndStreamedEntriesInOrder) {
    const std::string page(5000, 'x');
    const std::string script = "function init() { return '<b>&amp;</b>'; }\n";
    ZipWriter zip;
    zip.add("Lobby.HTML", page, ZipWriter::Mode::Deflated);
    zip.add("js/app.js", script, ZipWriter::Mode::DeflatedStreamed);
    zip.add("img/a.png", std::string("\x89PNG\0\1", 6), ZipWriter::Mode::Stored);
    zip.add("empty.txt", "", ZipWriter::Mode::DeflatedStreamed);
    zip.finish();

    const std::vector<ZipEntry> entries = readZipEntries(zip.bytes, "resource.pak");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].fileName, "Lobby.HTML");
    EXPECT_EQ(text(entries[0].data), page);
    EXPECT_EQ(entries[1].fileName, "js/app.js");
    EXPECT_EQ(text(entries[1].data), script);
    EXPECT_EQ(text(entries[2].data), std::string("\x89PNG\0\1", 6));
    EXPECT_TRUE(entries[3].data.empty());
}

TEST(XorZipArchive, EveryThirdByteXorIsItsOwnInverseAndLeavesTheOthers) {
    ZipWriter zip;
    zip.add("a.html", "<html>hello</html>", ZipWriter::Mode::Deflated);
    zip.finish();
    std::vector<uint8_t> scrambled = zip.bytes;
    xorEveryThirdByte(scrambled);
    for (size_t i = 0; i < scrambled.size(); ++i) {
        EXPECT_EQ(scrambled[i], i % 3 == 0 ? zip.bytes[i] ^ kArchiveKey : zip.bytes[i]) << i;
    }
    EXPECT_THROW(readZipEntries(scrambled, "resource.pak"), std::runtime_error);
    xorEveryThirdByte(scrambled);
    EXPECT_EQ(text(readZipEntries(scrambled, "resource.pak")[0].data), "<html>hello</html>");
}

// Patches a 32-bit little-endian field of the archive.
void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(XorZipArchive, UnusableEntriesAreLeftOutAndTheRestRead) {
    const std::string big(100000, 'z');
    // Header fields of the first entry: method at 8, compressed size at 18, plain size at 22.
    const auto archiveWith = [&](const std::function<void(std::vector<uint8_t>&)>& damage) {
        ZipWriter zip;
        zip.add("bad.html", big, ZipWriter::Mode::Deflated);
        zip.add("good.html", "<p>ok</p>", ZipWriter::Mode::Deflated);
        zip.finish();
        damage(zip.bytes);
        return zip.bytes;
    };
    const std::vector<std::function<void(std::vector<uint8_t>&)>> damages = {
        // Claims 4 GB: never allocated.
        [](std::vector<uint8_t>& b) { put32(b, 22, 0xFFFFFFFFu); },
        // Inflates far past what it declares.
        [](std::vector<uint8_t>& b) { put32(b, 22, 10); },
        // Inflates to less than it declares.
        [&](std::vector<uint8_t>& b) { put32(b, 22, static_cast<uint32_t>(big.size() + 1)); },
        // An unknown method.
        [](std::vector<uint8_t>& b) { b[8] = 99; },
        // Corrupt deflated data.
        [](std::vector<uint8_t>& b) { b[30 + 8] = 0xFF; },
    };
    for (size_t i = 0; i < damages.size(); ++i) {
        testing::internal::CaptureStdout();
        const std::vector<ZipEntry> entries = readZipEntries(archiveWith(damages[i]), "x.pak");
        const std::string trace = testing::internal::GetCapturedStdout();
        ASSERT_EQ(entries.size(), 1u) << i;
        EXPECT_EQ(entries[0].fileName, "good.html") << i;
        EXPECT_EQ(text(entries[0].data), "<p>ok</p>") << i;
        EXPECT_NE(trace.find("x.pak: entry bad.html at offset 0 skipped"), std::string::npos)
            << i << ": " << trace;
    }
}

TEST(XorZipArchive, AStreamedEntryIsReadNoFurtherThanItsArchive) {
    ZipWriter zip;
    zip.add("a.html", std::string(5000, 'a'), ZipWriter::Mode::DeflatedStreamed);
    // The stream's end and the descriptor are cut off: the data runs out first.
    std::vector<uint8_t> cut(zip.bytes.begin(), zip.bytes.end() - 20);
    EXPECT_THROW(readZipEntries(cut, "cut.pak"), std::runtime_error);
}

TEST(XorZipArchive, DamagedArchivesFailNamingTheArchive) {
    ZipWriter zip;
    zip.add("a.html", std::string(300, 'a'), ZipWriter::Mode::DeflatedStreamed);
    std::vector<uint8_t> truncated(zip.bytes.begin(), zip.bytes.begin() + 40);
    try {
        readZipEntries(truncated, "broken.pak");
        FAIL() << "a truncated archive was read";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("broken.pak"), std::string::npos) << e.what();
    }
    const std::string notZip = "<html></html>";
    EXPECT_THROW(readZipEntries({reinterpret_cast<const uint8_t*>(notZip.data()), notZip.size()},
                                "page.pak"),
                 std::runtime_error);
}

}  // namespace
}  // namespace lobby
