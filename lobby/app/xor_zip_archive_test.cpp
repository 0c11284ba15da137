#include "lobby/app/xor_zip_archive.h"

#include <gtest/gtest.h>
#include <zlib.h>

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
