// Resource lookups from a 50 MB resource archive: the archive is made here (pages, scripts and
// style sheets deflated, images and movies stored, names in mixed case), scrambled as installed
// ("every third byte XOR 0x5E"), then loaded the way the program loads it at start (unscramble,
// read every entry through the local headers, keep the entries by lower-cased name in
// lobby::installPaths().resourceFilesData) and looked up as the windows serve a page request (the
// request's local path, then the archive entry with its response status and type).
//
//   lobby_archive_bench [lookups]     (default 1000000)
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "lobby/app/install_paths.h"
#include "lobby/app/resource_response.h"
#include "lobby/app/xor_zip_archive.h"
#include "lobby/bindings/cef/cef_response.h"
#include "runtime/bytes.h"
#include "runtime/create.h"

namespace {

constexpr size_t kArchiveBytes = 50u * 1024 * 1024;

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::vector<uint8_t> deflateRaw(const std::vector<uint8_t>& data) {
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> out(deflateBound(&z, data.size()));
    z.next_in = const_cast<uint8_t*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// One local header and its data; sizes in the header.
void addEntry(std::vector<uint8_t>& zip, const std::string& name, const std::vector<uint8_t>& data,
              bool compress) {
    std::vector<uint8_t> stored = compress ? deflateRaw(data) : data;
    uint32_t crc = static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
    put32(zip, 0x04034b50);
    put16(zip, 20);
    put16(zip, 0);
    put16(zip, compress ? 8 : 0);
    put16(zip, 0);
    put16(zip, 0);
    put32(zip, crc);
    put32(zip, static_cast<uint32_t>(stored.size()));
    put32(zip, static_cast<uint32_t>(data.size()));
    put16(zip, static_cast<uint32_t>(name.size()));
    put16(zip, 0);
    zip.insert(zip.end(), name.begin(), name.end());
    zip.insert(zip.end(), stored.begin(), stored.end());
}

struct Archive {
    std::vector<uint8_t> bytes;
    std::vector<std::string> names;
};

Archive makeArchive() {
    Archive a;
    std::mt19937 random(7);
    const char* kinds[] = {"html", "js", "css", "png", "swf", "jpg"};
    for (int i = 0; a.bytes.size() < kArchiveBytes; ++i) {
        std::string kind = kinds[i % 6];
        bool text = kind == "html" || kind == "js" || kind == "css";
        std::string name =
            "Games/Room" + std::to_string(i % 40) + "/Asset_" + std::to_string(i) + "." +
            (i % 2 ? kind
                   : std::string(1, static_cast<char>(std::toupper(kind[0]))) + kind.substr(1));
        std::vector<uint8_t> data(text ? 48 * 1024 : 96 * 1024);
        if (text) {
            for (size_t j = 0; j < data.size(); ++j) {
                data[j] =
                    static_cast<uint8_t>("function room(seat) { return seat + 1; }\n"[j % 41]);
            }
        } else {
            for (uint8_t& b : data) b = static_cast<uint8_t>(random());
        }
        addEntry(a.bytes, name, data, text);
        a.names.push_back(name);
    }
    return a;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    long lookups = argc > 1 ? std::atol(argv[1]) : 1000000;
    if (lookups < 1) {
        std::fprintf(stderr, "usage: %s [lookups >= 1]\n", argv[0]);
        return 2;
    }
    Archive archive = makeArchive();
    lobby::xorEveryThirdByte(archive.bytes);
    std::printf("archive: %.1f MB, %zu entries\n",
                static_cast<double>(archive.bytes.size()) / (1024.0 * 1024.0),
                archive.names.size());

    // Loading, as at start: unscramble, read every entry, keep them by lower-cased name.
    std::vector<uint8_t> installed = archive.bytes;
    Clock::time_point t = Clock::now();
    lobby::xorEveryThirdByte(installed);
    double unscrambleMs = msSince(t);
    t = Clock::now();
    std::vector<lobby::ZipEntry> entries = lobby::readZipEntries(installed, "resource.pak");
    double readMs = msSince(t);
    t = Clock::now();
    std::map<std::string, rt::Ref<rt::Bytes>> files;
    for (lobby::ZipEntry& e : entries) {
        files[lower(e.fileName)] = rt::make<rt::Bytes>(std::move(e.data));
    }
    lobby::installPaths().resourceFilesData = std::move(files);
    double mapMs = msSince(t);
    std::printf("load: unscramble %.1f ms, read and inflate %.1f ms, keep by name %.1f ms\n",
                unscrambleMs, readMs, mapMs);

    // Lookups as a window serves a page request: the request's local path, then the entry.
    lobby::installPaths().resourcePath = "/opt/morvick/resource/";
    std::mt19937 random(11);
    std::vector<std::optional<std::string>> urls;
    for (int i = 0; i < 4096; ++i) {
        urls.push_back("file:///opt/morvick/resource/" +
                       archive.names[random() % archive.names.size()] + "?r=0.25");
    }
    rt::Ref<cef::CefResponse> response = rt::create<cef::CefResponse>();
    size_t found = 0;
    size_t bytes = 0;
    t = Clock::now();
    for (long i = 0; i < lookups; ++i) {
        std::optional<std::string> path =
            lobby::localRequestPath(urls[static_cast<size_t>(i) & 4095]);
        rt::Value data = path ? lobby::archiveEntry(*path, *response) : rt::Value();
        if (rt::Ref<rt::Bytes> b = data.asBytes()) {
            ++found;
            bytes += b->data().size();
        }
    }
    double lookupMs = msSince(t);
    if (found != static_cast<size_t>(lookups)) {
        std::fprintf(stderr, "%zu of %ld lookups found their entry\n", found, lookups);
        return 1;
    }
    std::printf("lookups: %ld in %.1f ms, %.0f ns each (%zu bytes served)\n", lookups, lookupMs,
                lookupMs * 1e6 / static_cast<double>(lookups), bytes);
    return 0;
}
