// One run of the real program in a test installation, on the test host. The run gets its own
// record file, script, answers file for syslite, and environment (home, settings and system
// folders under the installation's root; a recording xdg-open first on PATH).
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "lobby/e2e/test_install.h"

namespace e2e {

// Every wait of a run has this guard: a run that hangs fails its test instead of hanging it.
inline constexpr int kGuardMs = 60000;

class ProgramRun {
public:
    // `name` tells this run's files apart from other runs in the same installation
    // (record-<name>.log, script-<name>.txt, output-<name>.log). Runs that share `instanceTag`
    // see each other as copies of one program.
    ProgramRun(const TestInstall& install, std::string name, std::string instanceTag);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // The steps the test host plays (see tools/testhost/script.h).
    void setScript(const std::string& script);
    // The program of the installation's program folder the run starts (default "MorvickNew").
    void setProgram(std::string name) { program_ = std::move(name); }
    void setEnv(const std::string& name, const std::string& value) { env_[name] = value; }
    // Has the real browser host play the tour headless: a profile in <root>/browser-profile,
    // screenshots in <root>/shots, the tour's log in <root>/tour.log, the sample game programs
    // run from the build and logging to <root>/games.
    void playTour(const std::string& tourFile);

    void start();
    // Waits for the end and answers the exit code (128 + the signal for a killed run); a run
    // still alive after the guard is killed and answers -1.
    int wait(int guardMs = kGuardMs);
    // After wait(): waits for the program `name` of the program folder that the run started and
    // left running (the updater starts the lobby program and ends), and answers its exit code as
    // wait() does, or -2 when no such program runs. Needs adoptOrphans() before start().
    int waitForLeftProgram(const std::string& name, int guardMs = kGuardMs);
    bool running() const { return pid_ > 0; }

    // The record's lines with their times taken off.
    std::vector<std::string> record() const;
    // Lines with their times, as written.
    std::vector<std::string> timedRecord() const;
    // Waits until a record line contains `text`; false when the run ended or the guard ran out.
    bool waitForRecord(const std::string& text, int guardMs = kGuardMs);
    // What the program wrote on standard output and error.
    std::string output() const;

    std::string recordPath() const;

private:
    // True once the process has ended (its exit code kept).
    bool reaped();

    const TestInstall& install_;
    std::string name_;
    std::string program_ = "MorvickNew";
    std::map<std::string, std::string> env_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
};

// Makes this process the parent of every process its children leave behind when they end, so
// that a test can wait for them and read their exit codes.
void adoptOrphans();

// True when a line contains the text.
bool hasLine(const std::vector<std::string>& lines, const std::string& text);
// The index of the first line at or after `from` that contains the text, or -1.
int lineIndex(const std::vector<std::string>& lines, const std::string& text, int from = 0);

}  // namespace e2e
