#include "lobby/app/xor_zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "runtime/trace.h"

namespace lobby {
namespace {

constexpr uint32_t kLocalHeader = 0x04034b50;
constexpr uint32_t kDataDescriptor = 0x08074b50;
constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr size_t kLocalHeaderSize = 30;
constexpr uint16_t kFlagSizesFollow = 0x0008;
constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;

class Reader {
public:
    Reader(std::span<const uint8_t> zip, std::string_view name) : zip_(zip), name_(name) {}

    [[noreturn]] void fail(const std::string& what, size_t offset) const {
        throw std::runtime_error("resource archive " + name_ + ": " + what + " at offset " +
                                 std::to_string(offset));
    }
    bool has(size_t offset, size_t length) const {
        return offset <= zip_.size() && length <= zip_.size() - offset;
    }
    uint16_t u16(size_t offset) const {
        if (!has(offset, 2)) fail("truncated header", offset);
        return static_cast<uint16_t>(zip_[offset] | zip_[offset + 1] << 8);
    }
    uint32_t u32(size_t offset) const {
        if (!has(offset, 4)) fail("truncated header", offset);
        return static_cast<uint32_t>(zip_[offset]) | static_cast<uint32_t>(zip_[offset + 1]) << 8 |
               static_cast<uint32_t>(zip_[offset + 2]) << 16 |
               static_cast<uint32_t>(zip_[offset + 3]) << 24;
    }

    // Inflates raw deflate data from `offset`, reading at most `available` bytes and writing at
    // most `limit`; sets `consumed` to the length of the compressed stream. Empty with `why` set
    // when the data is corrupt or would inflate past the limit.
    std::optional<std::vector<uint8_t>> inflateAt(size_t offset, size_t available, size_t limit,
                                                  size_t& consumed, std::string& why) const {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) fail("cannot start inflating", offset);
        std::vector<uint8_t> out;
        uint8_t chunk[16384];
        z.next_in = const_cast<Bytef*>(zip_.data() + offset);
        int rc = Z_OK;
        size_t left = available;
        while (rc == Z_OK) {
            if (z.avail_in == 0 && left > 0) {
                z.avail_in = static_cast<uInt>(std::min<size_t>(left, 1u << 30));
                left -= z.avail_in;
            }
            z.next_out = chunk;
            z.avail_out = sizeof chunk;
            rc = inflate(&z, Z_NO_FLUSH);
            const size_t produced = sizeof chunk - z.avail_out;
            if (produced > limit - out.size()) {
                inflateEnd(&z);
                why = "inflates to more than " + std::to_string(limit) + " bytes";
                return std::nullopt;
            }
            out.insert(out.end(), chunk, chunk + produced);
            if (rc == Z_BUF_ERROR && z.avail_in == 0 && left == 0) break;
        }
        consumed = z.total_in;
        inflateEnd(&z);
        if (rc != Z_STREAM_END) {
            why = "holds corrupt deflated data";
            return std::nullopt;
        }
        return out;
    }

    std::vector<ZipEntry> readAll() const {
        std::vector<ZipEntry> entries;
        size_t at = 0;
        while (has(at, 4) && u32(at) == kLocalHeader) {
            const size_t headerAt = at;
            if (!has(at, kLocalHeaderSize)) fail("truncated local header", at);
            const uint16_t flags = u16(at + 6);
            const uint16_t method = u16(at + 8);
            const size_t compressed = u32(at + 18);
            const size_t plain = u32(at + 22);
            const size_t nameLength = u16(at + 26);
            const size_t extraLength = u16(at + 28);
            const size_t nameAt = at + kLocalHeaderSize;
            if (!has(nameAt, nameLength + extraLength)) fail("truncated entry name", nameAt);
            ZipEntry entry;
            entry.fileName.assign(reinterpret_cast<const char*>(zip_.data() + nameAt), nameLength);
            const size_t dataAt = nameAt + nameLength + extraLength;
            if ((flags & kFlagSizesFollow) != 0) {
                // The data's end is known only once it has been inflated.
                if (method != kDeflated) {
                    fail("unsupported method " + std::to_string(method) + " of " + entry.fileName,
                         at);
                }
                size_t consumed = 0;
                std::string why;
                std::optional<std::vector<uint8_t>> data =
                    inflateAt(dataAt, zip_.size() - dataAt, kZipEntryCap, consumed, why);
                if (!data) fail(entry.fileName + " " + why, dataAt);
                entry.data = std::move(*data);
                at = dataAt + consumed;
                at += has(at, 4) && u32(at) == kDataDescriptor ? 16 : 12;
                entries.push_back(std::move(entry));
                continue;
            }
            if (!has(dataAt, compressed)) fail("truncated data of " + entry.fileName, dataAt);
            at = dataAt + compressed;
            if (std::optional<std::string> why =
                    readSized(entry, method, dataAt, compressed, plain)) {
                RT_TRACE("resource archive " + name_ + ": entry " + entry.fileName + " at offset " +
                         std::to_string(headerAt) + " skipped: " + *why);
                continue;
            }
            entries.push_back(std::move(entry));
        }
        return entries;
    }

    // Reads the data of an entry whose sizes stand in its header; the reason when the entry is
    // unusable.
    std::optional<std::string> readSized(ZipEntry& entry, uint16_t method, size_t dataAt,
                                         size_t compressed, size_t plain) const {
        if (method == kStored) {
            if (compressed > kZipEntryCap) return "it is larger than the cap";
            entry.data.assign(zip_.begin() + dataAt, zip_.begin() + dataAt + compressed);
            return std::nullopt;
        }
        if (method != kDeflated) return "unsupported method " + std::to_string(method);
        if (plain > kZipEntryCap) {
            return "it declares " + std::to_string(plain) + " bytes, more than the cap";
        }
        size_t consumed = 0;
        std::string why;
        std::optional<std::vector<uint8_t>> data =
            inflateAt(dataAt, compressed, plain, consumed, why);
        if (!data) return "it " + why;
        if (data->size() != plain) {
            return "it inflates to " + std::to_string(data->size()) + " bytes, not the declared " +
                   std::to_string(plain);
        }
        entry.data = std::move(*data);
        return std::nullopt;
    }

private:
    std::span<const uint8_t> zip_;
    std::string name_;
};

}  // namespace

void xorEveryThirdByte(std::span<uint8_t> bytes) {
    for (size_t i = 0; i < bytes.size(); i += 3) bytes[i] ^= kArchiveKey;
}

std::vector<ZipEntry> readZipEntries(std::span<const uint8_t> zip, std::string_view name) {
    Reader reader(zip, name);
    if (zip.size() < 4) reader.fail("not a zip archive", 0);
    const uint32_t signature = reader.u32(0);
    if (signature != kLocalHeader && signature != kEndOfDirectory) {
        reader.fail("not a zip archive", 0);
    }
    return reader.readAll();
}

}  // namespace lobby
