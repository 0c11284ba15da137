#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/shared/expected.h"

namespace downloadgame {

// The versions a download server offers, read from its "versions.txt":
//
//   # comment
//   [1.0.0]
//   [1.0.1]
//   \fish\fish.dll
//   \fish\data\level1.dat
//
// Each "[version]" line opens a version, oldest first; the path lines after it are the files
// that version changed ("\"-separated, from a leading separator). A version without path lines
// has an empty file list. Blank lines and lines starting with "#" are ignored.
struct ServerVersions {
    std::vector<std::string> versions;
    std::vector<std::vector<std::string>> files;  // one list per version

    // The server list's folder: the newest version with its dots as underscores.
    std::string serverVerPath() const;

    // Reads the text; a path line before the first version, an empty version or no version at
    // all fails, saying which line.
    static morvick::Expected<ServerVersions> parse(std::string_view text);

    // Fetches `base` + "versions.txt" and reads it; a failure names the address.
    static morvick::Expected<ServerVersions> fetch(const std::string& base);

    // Sets Main's versions, versionFileList and serverVerPath by name; false (and a log line)
    // when the program has no class Main.
    bool publish() const;
};

}  // namespace downloadgame
