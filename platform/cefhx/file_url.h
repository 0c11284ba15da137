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

// True when the address's path (before "?" and "#") contains one of the filter paths, compared
// without regard to ASCII case as the file system of the installation does.
bool matchesFilterPath(std::string_view url, const std::vector<std::string>& filterPaths);

// The content type served for a local file, from its extension; "application/octet-stream" for
// an unknown one.
std::string contentTypeOf(std::string_view path);

}  // namespace cefhx
