#include "updater/update_files.h"

#include <strings.h>
#include <pugixml.hpp>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "updater/local_file.h"
#include "updater/owned_queue.h"
#include "updater/version_number.h"
#include "updater/xml_text.h"

namespace haldor {
namespace {

std::optional<std::string> ReadBytes(const std::string& path) {
    std::ifstream in(DiskPath(path), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool ParseDocument(const std::string& bytes, pugi::xml_document* doc) {
    auto text = XmlToUtf8(bytes);
    if (!text) return false;
    return doc->load_buffer(text->data(), text->size(), pugi::parse_default, pugi::encoding_utf8) &&
           doc->document_element();
}

pugi::xml_node FirstBelow(const pugi::xml_node& root, const char* name) {
    return root.find_node([name](const pugi::xml_node& n) {
        return n.type() == pugi::node_element && std::string(n.name()) == name;
    });
}

// A length or file-time half: the decimal number the text starts with; 0 for a negative or
// overflowing one, or none.
std::uint64_t ParseLength(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (end == text.c_str() || errno == ERANGE || text.find('-') != std::string::npos) return 0;
    return v;
}

std::uint32_t ParseHalf(const std::string& text) {
    std::uint64_t v = ParseLength(text);
    return v > 0xFFFFFFFFull ? 0 : static_cast<std::uint32_t>(v);
}

CUpdateFile ReadEntry(const pugi::xml_node& node) {
    CUpdateFile file;
    for (auto child : node.children()) {
        if (child.type() != pugi::node_element) continue;
        std::string value = child.text().get();
        const char* n = child.name();
        if (strcasecmp(n, "FileName") == 0)
            file.file_name = value;
        else if (strcasecmp(n, "FileVersion") == 0)
            file.file_version = value;
        else if (strcasecmp(n, "ProductVersion") == 0)
            file.product_version = value;
        else if (strcasecmp(n, "Length") == 0)
            file.length = ParseLength(value);
        else if (strcasecmp(n, "FileDateLow") == 0)
            file.file_time.low = ParseHalf(value);
        else if (strcasecmp(n, "FileDateHigh") == 0)
            file.file_time.high = ParseHalf(value);
        else if (strcasecmp(n, "InstallDir") == 0)
            file.install_dir = value;
        else if (strcasecmp(n, "LocalPath") == 0)
            file.local_path = value;
        else if (strcasecmp(n, "Md5") == 0)
            file.md5 = value;
    }
    return file;
}

}  // namespace

CUpdateFiles::CUpdateFiles(InstallFolders folders) : folders_(std::move(folders)) {}

void CUpdateFiles::Clear() {
    std::lock_guard lock(mutex_);
    files_.clear();
}

bool CUpdateFiles::Load(const std::string& path, bool version_file) {
    auto bytes = ReadBytes(path);
    if (!bytes) {
        Clear();
        return false;
    }
    return LoadBytes(*bytes, version_file);
}

bool CUpdateFiles::LoadBytes(const std::string& bytes, bool version_file) {
    Clear();
    std::lock_guard lock(mutex_);
    pugi::xml_document doc;
    if (!ParseDocument(bytes, &doc)) return false;
    pugi::xml_node root = doc.document_element();
    if (version_file) {
        pugi::xml_node product = FirstBelow(root, "Product");
        if (!product) return false;
        pugi::xml_attribute first = product.first_attribute();
        if (first) list_version_ = first.value();
        if (max_version_unread_) {
            pugi::xml_attribute second = first ? first.next_attribute() : pugi::xml_attribute();
            // A maximum version that is not a number counts as none.
            auto max = second ? ParseVersion(second.value()) : std::nullopt;
            if (max) max_version_ = std::to_string(*max);
            max_version_unread_ = false;
        }
        return false;
    }
    for (auto hit : root.select_nodes(".//File")) {
        auto file = std::make_unique<CUpdateFile>(ReadEntry(hit.node()));
        file->ComputeTargetPath(folders_);
        files_.push_back(std::move(file));
    }
    return true;
}

void CUpdateFiles::ReadProduct(const std::string& path) {
    if (auto bytes = ReadBytes(path)) ReadProductBytes(*bytes);
}

void CUpdateFiles::ReadProductBytes(const std::string& bytes) {
    std::lock_guard lock(mutex_);
    pugi::xml_document doc;
    if (!ParseDocument(bytes, &doc)) return;
    pugi::xml_node product = FirstBelow(doc.document_element(), "Product");
    if (!product) return;
    pugi::xml_attribute a = product.first_attribute();
    for (int skip = 0; skip < 2 && a; ++skip) a = a.next_attribute();
    for (auto& server : servers_) {
        server = a ? a.value() : "";
        if (a) a = a.next_attribute();
    }
}

std::size_t CUpdateFiles::CountToUpdate(bool newer_or_equal) {
    std::lock_guard lock(mutex_);
    std::deque<std::unique_ptr<CUpdateFile>> kept;
    for (auto& file : files_) {
        file->needs_update = !file->IsSafe() || file->DecideNeedsUpdate(newer_or_equal);
        if (file->needs_update) kept.push_back(std::move(file));
    }
    files_ = std::move(kept);
    return files_.size();
}

std::uint64_t CUpdateFiles::TotalLength() {
    std::lock_guard lock(mutex_);
    std::uint64_t total = 0;
    for (const auto& file : files_)
        if (file->needs_update) total += file->length;
    return total;
}

std::unique_ptr<CUpdateFile> CUpdateFiles::PopFront() {
    std::lock_guard lock(mutex_);
    return TakeFront(files_);
}

}  // namespace haldor
