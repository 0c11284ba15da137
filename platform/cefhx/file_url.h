// Addresses of local pages: paths to "file:" addresses and back, filter paths, content types.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cefhx {

// The address a window opens: an address with a scheme ("http:", "file:", "about:") stays as it
// is; a path (either separator, "C:\..." too) becomes a "file:///" address with every byte
// outside the unreserved set and "/", ":" percent-encoded. What follows the first "?" is the
// page's query: kept, with only spaces, control and non-ASCII bytes and '"', "<", ">", "`"
// percent-encoded.
std::string pageAddress(std::string_view urlOrPath);

// The local path of a "file:" address: query and fragment dropped, percent escapes decoded
// ("+" stays). Empty for any other scheme or a file address naming another host.
std::optional<std::string> localPathOf(std::string_view url);

// A local file a page may be served from disk: `path` lies inside `folder`, both normalised.
struct ServedPath {
    std::string folder;
    std::string path;
};

// Where a "file:" address under one of the filter paths may be read from disk. The path is
// decoded first, then normalised ("." and empty segments dropped); it is refused when it holds a
// NUL, a backslash or a ".." segment. A filter path ending in "/" names a folder: the served
// folder is the path up to the filter's first match, and the file lies below it. Any other
// filter path names a file: it must end the path, and the folder is the file's own. Empty when
// the address is not a local file or matches no filter path that way.
std::optional<ServedPath> servedPathOf(std::string_view url,
                                       const std::vector<std::string>& filterPaths);

// True when the address's path (before "?" and "#") contains one of the filter paths, compared
// without regard to ASCII case as the file system of the installation does.
bool matchesFilterPath(std::string_view url, const std::vector<std::string>& filterPaths);

// The content type served for a local file, from its extension; "application/octet-stream" for
// an unknown one.
std::string contentTypeOf(std::string_view path);

}  // namespace cefhx
