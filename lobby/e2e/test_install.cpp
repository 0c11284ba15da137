#include "lobby/e2e/test_install.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace e2e {
namespace {

// The build's files a run needs: the program and every shared library beside it. The browser
// host of the build is left out; the test host takes its name.
bool belongsToProgram(const fs::directory_entry& e) {
    std::string name = e.path().filename().string();
    if (name == "MorvickNew") return true;
    if (name == "libcefhx.so") return false;
    return name.starts_with("lib") && name.find(".so") != std::string::npos;
}

}  // namespace

BuildPaths buildPaths() {
    return {MORVICK_BIN_DIR, TESTHOST_LIBRARY, MORVICK_INSTALL_SAMPLE};
}

BuildPaths realBrowserHostPaths() {
    BuildPaths paths = buildPaths();
    paths.testHost = paths.binDir + "/libcefhx.so";
    return paths;
}

TestInstall::TestInstall(const BuildPaths& paths) {
    std::string pattern = (fs::temp_directory_path() / "morvick-e2e-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp " + pattern);
    root_ = pattern;
    fs::path program = programFolder();
    fs::create_directories(program);
    for (const auto& e : fs::directory_iterator(paths.binDir)) {
        if (!belongsToProgram(e)) continue;
        fs::copy(e.path(), program / e.path().filename(), fs::copy_options::copy_symlinks);
    }
    fs::copy_file(paths.testHost, program / "libcefhx.so");
    fs::copy(paths.installDir, program,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    for (const char* folder : {"home", "appdata", "system", "programs", "syslite", "bin"}) {
        fs::create_directories(path(folder));
    }
}

TestInstall::~TestInstall() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void TestInstall::writeFile(const std::string& relative, const std::string& text) const {
    fs::path p = path(relative);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string TestInstall::readFile(const std::string& relative) const {
    std::ifstream in(path(relative), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeConfiguration(const TestInstall& install, const LoopbackConfig& c) {
    auto element = [](const std::string& name, const std::string& text) {
        return "<" + name + ">" + text + "</" + name + ">";
    };
    install.writeFile("program/Client.ini",
                      "<data>" + element("product", c.product) +
                          element("ver_url", "http://127.0.0.1:9/version/") +
                          element("localRes", "resource") + element("site", c.site) +
                          element("config", c.config) + element("geteway_url", c.gateway) +
                          element("media_url", c.media) + element("debug", c.debug) +
                          element("games", c.games) +
                          element("download_url", "http://127.0.0.1:9/download/") + "</data>");
    install.writeFile("program/UserSet.ini",
                      "<data><ver>1.0.7</ver><hotkey>Z,90,0</hotkey><username></username>"
                      "<password></password><games></games></data>");
}

}  // namespace e2e
