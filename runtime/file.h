#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

// Whole-file operations. Paths accept "\" and "/" alike; failures throw rt::IoError.
class File {
public:
    static std::vector<uint8_t> getBytes(std::string_view path);
    static std::string getContent(std::string_view path);
    // Creates or truncates the file.
    static void saveBytes(std::string_view path, const std::vector<uint8_t>& bytes);
    static void saveContent(std::string_view path, std::string_view text);
    // Replaces the file's content as one step: the text goes to a new file beside it, which is
    // flushed to disk and renamed over the file; then the folder is flushed. A crash leaves the
    // old or the new content, never a torn file. The folder must exist. A file that exists keeps
    // its permissions; a new one gets `mode` less the umask.
    static void replaceContent(std::string_view path, std::string_view text, unsigned mode = 0666);
    // Copies the file's bytes to a new or truncated destination.
    static void copy(std::string_view from, std::string_view to);
};

}  // namespace rt
