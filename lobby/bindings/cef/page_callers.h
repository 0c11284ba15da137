// Which documents may use a window's page bridge: those from the local page folder and those of
// the configured site's origin, in any frame. The host names the calling document's address
// with every page call.
#pragma once

#include <string>
#include <string_view>

namespace cef {

// True when the document at `url` may call: a "file:" address whose decoded path lies under
// `localFolder` (compared without letter case, as `localFolder` is given lower-cased; no ".."
// segment, no NUL), or an "http:"/"https:" address of the same origin (scheme, host, port) as
// `siteUrl`. An empty folder or site trusts nothing of its kind.
bool isTrustedCaller(std::string_view url, std::string_view localFolder, std::string_view siteUrl);

class PageCallers {
public:
    // Set once at start; until then no named document may call.
    static void trust(std::string localFolder, std::string siteUrl);
    static bool mayCall(std::string_view url);

private:
    static inline std::string folder_;
    static inline std::string site_;
};

}  // namespace cef
