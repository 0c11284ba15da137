#include <algorithm>

#include "lobby/app/config.h"
#include "lobby/app/install_paths.h"
#include "lobby/app/main.h"
#include "lobby/app/position_key.h"
#include "lobby/app/xor_zip_archive.h"
#include "lobby/bindings/cef/cef_app.h"
#include "lobby/bindings/syslite/registry.h"
#include "lobby/bindings/syslite/tools.h"
#include "runtime/env.h"
#include "runtime/file.h"
#include "runtime/file_system.h"
#include "runtime/strings.h"

namespace lobby {
namespace {

// The length of the scrambled head of "lobby.dat".
constexpr size_t kMovieHead = 64;

std::map<std::string, rt::Ref<rt::Bytes>> readArchive(const std::string& path) {
    std::vector<uint8_t> bytes = rt::File::getBytes(path);
    xorEveryThirdByte(bytes);
    std::map<std::string, rt::Ref<rt::Bytes>> files;
    for (ZipEntry& entry : readZipEntries(bytes, path)) {
        files[rt::toLower(entry.fileName)] = rt::make<rt::Bytes>(std::move(entry.data));
    }
    return files;
}

}  // namespace

void Main::loadLocalResources() {
    InstallPaths& paths = installPaths();
    paths.localRes = Config::getConfigValue("localRes").value_or("resource");
    const std::string folder = rt::replaceAll(paths.appPath + paths.localRes + "/", "\\", "/");
    paths.resourcePath = rt::toLower(cef::CefApp::ansi2Unicode(folder).value_or(folder));
    paths.resourceFilesData.reset();
    if (!rt::FileSystem::exists(paths.appPath + paths.localRes)) {
        paths.resourceFilesData = readArchive(paths.appPath + paths.localRes + ".pak");
    }
    paths.mainSwfData = nullptr;
    if (!rt::FileSystem::exists(paths.appPath + "LobbyClientMain.swf")) {
        std::vector<uint8_t> movie = rt::File::getBytes(paths.appPath + "lobby.dat");
        if (movie.size() < kMovieHead) movie.resize(kMovieHead, 0);
        applyPositionKey(std::span<uint8_t>(movie.data(), kMovieHead));
        paths.mainSwfData = rt::make<rt::Bytes>(std::move(movie));
    }
}

void Main::setFlashTrust() {
    InstallPaths& paths = installPaths();
    const std::string root = rt::env("SystemRoot").value_or("");
    const std::string macromed = root + "\\System32\\Macromed";
    const std::string trust = macromed + "\\Flash\\FlashPlayerTrust";
    if (!rt::FileSystem::exists(trust)) {
        for (const std::string& folder : {macromed, macromed + "\\Flash", trust}) {
            if (!rt::FileSystem::exists(folder)) rt::FileSystem::createDirectory(folder);
        }
    }
    const std::string file = trust + "\\Velmoor.cfg";
    if (rt::FileSystem::exists(file)) {
        const std::string text = rt::File::getContent(file);
        if (text.find(paths.appPath) == std::string::npos) {
            rt::File::saveContent(file, text + "\n" + paths.appPath);
        }
    } else {
        rt::File::saveContent(file, paths.appPath);
    }
    paths.appDataPath = rt::env("APPDATA").value_or("");
    paths.programFiles = rt::env("ProgramFiles").value_or("");
}

void Main::checkUnityPlayer(Main& main) {
    const std::optional<std::string> dir = syslite::Registry::getValue(
        syslite::Registry::HKEY_CURRENT_USER, "Software\\Unity\\WebPlayer", "Directory");
    const bool installed =
        dir && std::ranges::all_of(
                   std::initializer_list<const char*>{"\\loader\\npUnity3D32.dll",
                                                      "\\UnityWebPlayerUpdate.exe",
                                                      "\\UnityBugReporter.exe"},
                   [&dir](const char* file) { return rt::FileSystem::exists(*dir + file); });
    if (!installed) main.registerUnity();
}

void Main::registerUnity() {
    syslite::win::Tools::createProcess(installPaths().appPath + "UnityWebPlayer.exe", "/S", "",
                                       true, false);
}

}  // namespace lobby
