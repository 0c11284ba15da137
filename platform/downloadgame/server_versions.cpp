#include "platform/downloadgame/server_versions.h"

#include "platform/shared/platform_log.h"
#include "runtime/array.h"
#include "runtime/class_info.h"
#include "runtime/http.h"
#include "runtime/strings.h"

namespace downloadgame {

std::string ServerVersions::serverVerPath() const {
    return versions.empty() ? std::string() : rt::replaceAll(versions.back(), ".", "_");
}

morvick::Expected<ServerVersions> ServerVersions::parse(std::string_view text) {
    ServerVersions result;
    int number = 0;
    for (const std::string& raw : rt::split(text, "\n")) {
        ++number;
        std::string line = rt::trim(raw);
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            std::string version = rt::trim(line.substr(1, line.size() - 2));
            if (version.empty()) {
                return morvick::fail("versions.txt line " + std::to_string(number) +
                                     ": empty version");
            }
            result.versions.push_back(version);
            result.files.emplace_back();
            continue;
        }
        if (result.versions.empty()) {
            return morvick::fail("versions.txt line " + std::to_string(number) + ": file " + line +
                                 " before the first version");
        }
        result.files.back().push_back(line);
    }
    if (result.versions.empty()) return morvick::fail("versions.txt names no version");
    return result;
}

morvick::Expected<ServerVersions> ServerVersions::fetch(const std::string& base) {
    std::string url = base + (rt::endsWith(base, "/") ? "" : "/") + "versions.txt";
    rt::Http http(url);
    http.setConnectionTimeout(5);
    std::string body;
    std::string error;
    http.onData = [&](const std::string& data) { body = data; };
    http.onError = [&](const std::string& message) { error = message; };
    http.request();
    if (!error.empty()) return morvick::fail(url + ": " + error);
    morvick::Expected<ServerVersions> versions = parse(body);
    if (!versions) return morvick::fail(url + ": " + versions.error());
    return versions;
}

bool ServerVersions::publish() const {
    const rt::ClassInfo* main = rt::ClassInfo::find("Main");
    if (main == nullptr) {
        platform::log("DownLoadGame", "no class Main to give the server's versions to");
        return false;
    }
    auto versionArray = rt::make<rt::Array>();
    auto fileLists = rt::make<rt::Array>();
    for (size_t i = 0; i < versions.size(); ++i) {
        versionArray->push(rt::Value(versions[i]));
        auto list = rt::make<rt::Array>();
        for (const std::string& file : files[i]) list->push(rt::Value(file));
        fileLists->push(rt::Value(list));
    }
    main->setStatic("versions", rt::Value(versionArray));
    main->setStatic("versionFileList", rt::Value(fileLists));
    main->setStatic("serverVerPath", rt::Value(serverVerPath()));
    return true;
}

}  // namespace downloadgame
