#include "platform/syslite/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "platform/shared/platform_log.h"
#include "platform/syslite/atomic_file.h"
#include "runtime/strings.h"

namespace syslite {
namespace {

constexpr std::array<const char*, 7> kRootNames = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

constexpr std::string_view kHeader = "morvick-registry 1";

std::string escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        switch (text[i]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

bool sameName(std::string_view a, std::string_view b) {
    return rt::toLower(a) == rt::toLower(b);
}

// The key itself or a key below it.
bool isAtOrBelow(std::string_view key, std::string_view top) {
    if (key.size() < top.size() || !sameName(key.substr(0, top.size()), top)) return false;
    return key.size() == top.size() || key[top.size()] == '\\';
}

// An exclusive lock on "<root>.lock" for one read-modify-write.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            throw std::runtime_error("opening the lock " + path +
                                     " failed: " + std::strerror(errno));
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                int error = errno;
                ::close(fd_);
                throw std::runtime_error("locking " + path + " failed: " + std::strerror(error));
            }
        }
    }
    ~FileLock() { ::close(fd_); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_;
};

}  // namespace

RegistryStore::RegistryStore(std::string folder) : folder_(std::move(folder)) {}

std::string RegistryStore::rootName(int root) {
    if (root < 0 || root >= static_cast<int>(kRootNames.size())) {
        throw std::invalid_argument("unknown registry root " + std::to_string(root));
    }
    return kRootNames[static_cast<size_t>(root)];
}

std::string RegistryStore::normalizeKey(std::string_view key) {
    std::string out;
    for (const std::string& part : rt::split(key, "\\")) {
        if (part.empty()) continue;
        if (!out.empty()) out += '\\';
        out += part;
    }
    return out;
}

std::string RegistryStore::filePath(int root) const {
    return folder_ + "/" + rootName(root) + ".reg";
}

std::vector<RegistryStore::Entry> RegistryStore::load(int root) const {
    std::string path = filePath(root);
    std::optional<std::string> text = readFileIfPresent(path);
    std::vector<Entry> entries;
    if (!text) return entries;
    std::vector<std::string> lines = rt::split(*text, "\n");
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty() || (i == 0 && line == kHeader)) continue;
        std::vector<std::string> fields = rt::split(line, "\t");
        std::optional<std::string> key, name, value;
        if (fields.size() == 3) {
            key = unescape(fields[0]);
            name = unescape(fields[1]);
            value = unescape(fields[2]);
        }
        if (!key || !name || !value) {
            platform::log("syslite", "registry file " + path + ": line " + std::to_string(i + 1) +
                                         " is damaged and was skipped");
            continue;
        }
        entries.push_back({std::move(*key), std::move(*name), std::move(*value)});
    }
    return entries;
}

void RegistryStore::save(int root, const std::vector<Entry>& entries) const {
    std::string text(kHeader);
    text += '\n';
    for (const Entry& e : entries) {
        text += escape(e.key) + '\t' + escape(e.name) + '\t' + escape(e.value) + '\n';
    }
    writeFileAtomically(filePath(root), text);
}

std::optional<std::string> RegistryStore::get(int root, std::string_view key,
                                              std::string_view name) const {
    std::string k = normalizeKey(key);
    for (const Entry& e : load(root)) {
        if (sameName(e.key, k) && sameName(e.name, name)) return e.value;
    }
    return std::nullopt;
}

void RegistryStore::set(int root, std::string_view key, std::string_view name,
                        std::string_view value) {
    std::string k = normalizeKey(key);
    std::filesystem::create_directories(folder_);
    FileLock lock(folder_ + "/" + rootName(root) + ".lock");
    std::vector<Entry> entries = load(root);
    bool found = false;
    for (Entry& e : entries) {
        if (sameName(e.key, k) && sameName(e.name, name)) {
            e.value = value;
            found = true;
        }
    }
    if (!found) entries.push_back({k, std::string(name), std::string(value)});
    save(root, entries);
}

bool RegistryStore::deleteKey(int root, std::string_view key) {
    std::string k = normalizeKey(key);
    if (k.empty()) {
        throw std::invalid_argument("the root " + rootName(root) + " itself cannot be deleted");
    }
    std::filesystem::create_directories(folder_);
    FileLock lock(folder_ + "/" + rootName(root) + ".lock");
    std::vector<Entry> entries = load(root);
    size_t removed = std::erase_if(entries, [&](const Entry& e) { return isAtOrBelow(e.key, k); });
    if (removed > 0) save(root, entries);
    return removed > 0;
}

}  // namespace syslite
