#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace syslite {

// The registry kept as text files, one per root ("HKEY_CURRENT_USER.reg" and so on) in one
// folder. Key paths and value names are data inside the file, never parts of a file path, so no
// name can reach outside the folder. Keys compare like the system's registry: "\" separates
// levels, surplus separators are ignored and ASCII letters match in either case. Each change
// rewrites its root's file atomically under an exclusive lock, so concurrent writers do not lose
// each other's values and a crash leaves the old or the new file. Failures throw
// std::runtime_error (std::invalid_argument for a root outside 0 to 6) saying what failed.
class RegistryStore {
public:
    explicit RegistryStore(std::string folder);

    // "HKEY_CLASSES_ROOT" for 0 ... "HKEY_DYN_DATA" for 6; throws for any other root.
    static std::string rootName(int root);
    // The canonical form of a key path: separators collapsed, none at either end.
    static std::string normalizeKey(std::string_view key);

    std::optional<std::string> get(int root, std::string_view key, std::string_view name) const;
    void set(int root, std::string_view key, std::string_view name, std::string_view value);
    // Removes the key, its values and every key below it. Answers whether anything was removed.
    // A root itself cannot be removed.
    bool deleteKey(int root, std::string_view key);

    struct Entry {
        std::string key;
        std::string name;
        std::string value;
    };

private:
    std::string filePath(int root) const;
    std::vector<Entry> load(int root) const;
    void save(int root, const std::vector<Entry>& entries) const;

    std::string folder_;
};

}  // namespace syslite
