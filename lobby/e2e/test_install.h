// A copy of the program folder for one end-to-end run: the program and its libraries from the
// build, the test host as libcefhx.so, and the sample installation's files, in a fresh folder
// that goes away with the object. Beside the program folder it holds the run's home, settings
// and log folders, so a run touches nothing of the user's.
#pragma once

#include <string>

namespace e2e {

struct BuildPaths {
    std::string binDir;      // the build's program folder (MorvickNew and its libraries)
    std::string testHost;    // the test host library
    std::string installDir;  // the sample installation
};

// The paths this build was configured with.
BuildPaths buildPaths();
// The same with the build's real browser host in place of the test host.
BuildPaths realBrowserHostPaths();

class TestInstall {
public:
    explicit TestInstall(const BuildPaths& paths = buildPaths());
    ~TestInstall();
    TestInstall(const TestInstall&) = delete;
    TestInstall& operator=(const TestInstall&) = delete;

    // The folder the run's files live under.
    const std::string& root() const { return root_; }
    // The program folder, ending with "/": the program's working folder.
    std::string programFolder() const { return root_ + "/program/"; }
    // A path under root().
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }

    // Writes a text file under root(), making its folders.
    void writeFile(const std::string& relative, const std::string& text) const;
    // The text of a file under root(); empty when there is none.
    std::string readFile(const std::string& relative) const;

private:
    std::string root_;
};

// A run's configuration: every address on loopback, on a port nobody serves.
struct LoopbackConfig {
    std::string product = "MorvickE2E";
    std::string site = "http://127.0.0.1:9/site/";
    std::string config = "http://127.0.0.1:9/config.xml";
    std::string gateway = "127.0.0.1:9";
    std::string media = "http://127.0.0.1:9/media/";
    std::string debug = "0";
    std::string games = "alpha,beta";
};

// Writes "Client.ini" (plain) and "UserSet.ini" (no boss key registered, no games of the user's)
// of the configuration into the installation's program folder, in place of the sample's.
void writeConfiguration(const TestInstall& install, const LoopbackConfig& config = {});

}  // namespace e2e
