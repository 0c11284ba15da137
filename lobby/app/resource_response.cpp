#include "lobby/app/resource_response.h"

#include "lobby/app/install_paths.h"
#include "runtime/strings.h"
#include "runtime/url_codec.h"

namespace lobby {

std::optional<std::string> localRequestPath(const std::optional<std::string>& url) {
    if (!url || !rt::startsWith(*url, "file")) return std::nullopt;
    return rt::toLower(rt::urlDecode(url->substr(0, url->find('?'))));
}

std::optional<std::string> mimeTypeOf(std::string_view name) {
    size_t dot = name.rfind('.');
    std::string ext(dot == std::string_view::npos ? name : name.substr(dot + 1));
    if (ext == "html" || ext == "htm") return "text/html";
    if (ext == "js") return "text/javascript";
    if (ext == "css") return "text/css";
    if (ext == "swf") return "application/x-shockwave-flash";
    if (ext == "png" || ext == "jpg" || ext == "jpeg" || ext == "gif" || ext == "bmp") {
        return "image/" + ext;
    }
    return std::nullopt;
}

rt::Value archiveEntry(const std::string& path, cef::CefResponse& response) {
    if (!installPaths().resourceFilesData || installPaths().resourcePath.empty()) return {};
    size_t at = path.find(installPaths().resourcePath);
    if (at == std::string::npos) return {};
    std::string key = path.substr(at + installPaths().resourcePath.size());
    auto entry = installPaths().resourceFilesData->find(key);
    if (entry == installPaths().resourceFilesData->end()) return {};
    response.mimeType = mimeTypeOf(key);
    response.status = 200;
    return entry->second;
}

}  // namespace lobby
