#include "updater/xml_text.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <vector>

namespace haldor {
namespace {

std::string Upper(std::string text) {
    for (auto& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The value of encoding="..." in the "<?xml ... ?>" declaration, upper-cased; nothing when no
// encoding is declared, "" when one is named but cannot be read.
std::optional<std::string> DeclaredEncoding(const std::string& bytes) {
    std::size_t start = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    if (bytes.compare(start, 5, "<?xml") != 0) return std::nullopt;
    auto end = bytes.find("?>", start);
    if (end == std::string::npos) return std::nullopt;
    std::string decl = bytes.substr(start, end - start);
    auto at = decl.find("encoding");
    if (at == std::string::npos) return std::nullopt;
    auto quote = decl.find_first_of("\"'", at);
    if (quote == std::string::npos) return "";
    auto close = decl.find(decl[quote], quote + 1);
    if (close == std::string::npos) return "";
    return Upper(decl.substr(quote + 1, close - quote - 1));
}

std::optional<std::string> Convert(const std::string& bytes, const std::string& from) {
    iconv_t cd = ::iconv_open("UTF-8", from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    std::vector<char> buffer(4096);
    char* in = const_cast<char*>(bytes.data());
    std::size_t in_left = bytes.size();
    bool ok = true;
    while (in_left > 0) {
        char* o = buffer.data();
        std::size_t o_left = buffer.size();
        std::size_t r = ::iconv(cd, &in, &in_left, &o, &o_left);
        out.append(buffer.data(), buffer.size() - o_left);
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    ::iconv_close(cd);
    if (!ok) return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::string> XmlToUtf8(const std::string& bytes) {
    std::optional<std::string> encoding = DeclaredEncoding(bytes);
    if (!encoding || *encoding == "UTF-8") return bytes;
    if (*encoding == "GB2312" || *encoding == "GBK" || *encoding == "GB18030")
        return Convert(bytes, "GB18030");
    return std::nullopt;
}

}  // namespace haldor
