#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "lobby/bindings/cef/cef_response.h"
#include "runtime/value.h"

// Serving local page resources to a window's browser.
namespace lobby {

// The request path of a local address: the part before the first "?", URL-decoded and
// lower-cased; null for an address that does not start with "file".
std::optional<std::string> localRequestPath(const std::optional<std::string>& url);

// The MIME type served for a resource name's extension; null leaves it unset.
std::optional<std::string> mimeTypeOf(std::string_view name);

// The archive entry that a request path names (the part after the page folder's path), with the
// response's status 200 and MIME type set; null, and the response untouched, when the pages come
// from the folder or the archive has no such entry.
rt::Value archiveEntry(const std::string& path, cef::CefResponse& response);

}  // namespace lobby
