#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/testhttp/server.h"
#include "updater/manifest_writer.h"
#include "updater/test_folder.h"
#include "updater/update_file.h"

namespace haldor {

// A temporary installation: a copy of Haldor, a stand-in "MorvickNew" that records its start,
// a stand-in desktop opener, and "UpdateTemp.ini".
class Installation {
public:
    Installation();
    const TestFolder& dir() const { return dir_; }
    std::string Exe() const { return dir_ / "Haldor"; }
    void SetState(const std::string& version, const std::vector<std::string>& servers,
                  const std::string& home = "");
    std::string Ini(const std::string& section, const std::string& key) const;
    // Waits a little for the stand-in lobby to record its start.
    bool LobbyStarted() const;
    // The address the stand-in opener was given, or empty.
    std::string OpenedPage() const;

private:
    TestFolder dir_;
};

// Haldor running in an installation with its standard input and output on pipes.
class HaldorRun {
public:
    explicit HaldorRun(const Installation& place);
    ~HaldorRun();
    // Reads lines until one contains `text`; false when the program ended or a minute passed.
    bool WaitForLine(const std::string& text);
    void Send(const std::string& line);
    void CloseInput();
    // Waits for the program to end and returns its exit status (-1 after a minute).
    int Wait();
    bool Saw(const std::string& text) const;
    std::string Transcript() const;

private:
    std::optional<std::string> NextLine(std::chrono::steady_clock::time_point deadline);

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string pending_;
    std::vector<std::string> lines_;
};

// Publishes versions on an update server, the way the servers lay them out.
class UpdateSite {
public:
    explicit UpdateSite(testhttp::Server& server) : server_(server) {}
    // "127.0.0.1:<port>", short enough to be stored as it is.
    std::string Address() const;
    void VersionFile(const std::string& version, const std::string& max,
                     const std::vector<std::string>& urls);
    // A file of the list of `version`, served below "/update/<version>/".
    CUpdateFile File(const std::string& version, const std::string& name, const std::string& bytes,
                     const std::string& local_path = "");
    void FileList(const std::string& version, const std::string& product_version,
                  const std::vector<CUpdateFile>& files);

private:
    testhttp::Server& server_;
};

std::string Md5Of(const std::string& bytes);

// A loopback port on which nothing listens.
unsigned short UnusedPort();

}  // namespace haldor
