// testhttpd: serves a folder on 127.0.0.1 with the test server's faults, for end-to-end tests
// with real programs and for demos. Prints the port it listens on as the first line of its
// standard output, logs one line per request on standard error, re-reads its rules file on
// SIGHUP (printing "reloaded N rules"), and stops on SIGINT or SIGTERM.

#include <signal.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/testhttp/fault_rule.h"
#include "tools/testhttp/server.h"

namespace {

constexpr const char* kUsage =
    "usage: testhttpd --root DIR [--prefix PATH] [--port N] [--fault RULE]... [--rules FILE]\n"
    "  RULE: <path> <fault> [arguments] [nth=N] [range-start=S], for instance\n"
    "        \"/update/VerAndUrl.xml status 502 nth=1\" or \"/big.bin drop-after 300\"\n"
    "  faults: status CODE | redirect CODE LOCATION | drop-after BYTES | stall |\n"
    "          pause-headers MS | pause-body BYTES MS | content-length +N/-N |\n"
    "          no-content-length | ignore-range | content-range +N/-N |\n"
    "          slow BYTES_PER_SECOND | error-page | big-header BYTES\n";

struct Options {
    std::string root;
    std::string prefix = "/";
    uint16_t port = 0;
    std::vector<std::string> faults;
    std::string rulesFile;
};

[[noreturn]] void usageError(const std::string& message) {
    std::fprintf(stderr, "testhttpd: %s\n%s", message.c_str(), kUsage);
    std::exit(2);
}

Options parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) usageError("option '" + arg + "' needs a value");
        std::string value = argv[++i];
        if (arg == "--root") {
            o.root = value;
        } else if (arg == "--prefix") {
            o.prefix = value;
        } else if (arg == "--port") {
            char* end = nullptr;
            unsigned long port = std::strtoul(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || port > 65535)
                usageError("port '" + value + "' is not a port number");
            o.port = static_cast<uint16_t>(port);
        } else if (arg == "--fault") {
            o.faults.push_back(value);
        } else if (arg == "--rules") {
            o.rulesFile = value;
        } else {
            usageError("unknown option '" + arg + "'");
        }
    }
    if (o.root.empty()) usageError("--root is required");
    if (!o.prefix.starts_with('/')) usageError("prefix '" + o.prefix + "' must start with '/'");
    return o;
}

// Every rule of the rules file, then those of the command line.
morvick::Expected<std::vector<testhttp::FaultRule>> loadRules(const Options& o) {
    std::vector<testhttp::FaultRule> rules;
    if (!o.rulesFile.empty()) {
        std::ifstream in(o.rulesFile);
        if (!in) return morvick::fail("cannot read rules file " + o.rulesFile);
        std::stringstream text;
        text << in.rdbuf();
        auto fromFile = testhttp::parseFaultRules(text.str());
        if (!fromFile) return morvick::fail(o.rulesFile + ": " + fromFile.error());
        rules = std::move(*fromFile);
    }
    for (const std::string& f : o.faults) {
        auto rule = testhttp::parseFaultRule(f);
        if (!rule) return morvick::fail(rule.error());
        rules.push_back(std::move(*rule));
    }
    return rules;
}

void applyRules(testhttp::Server& server, const std::vector<testhttp::FaultRule>& rules) {
    server.clearAllFaults();
    for (const testhttp::FaultRule& r : rules) server.addFault(r.path, r.fault);
}

void printRequests(const testhttp::Server& server, size_t& printed) {
    std::vector<testhttp::LoggedRequest> log = server.log().all();
    for (; printed < log.size(); ++printed) {
        const testhttp::LoggedRequest& e = log[printed];
        std::string range = e.request.range ? " " + e.request.range->toString() : "";
        std::string fault = e.fault.empty() ? "" : " [" + e.fault + "]";
        std::fprintf(stderr, "testhttpd: #%d %s %s -> %d%s%s\n", e.connection,
                     e.request.method.c_str(), e.request.target.c_str(), e.status, range.c_str(),
                     fault.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options = parseOptions(argc, argv);
    auto loaded = loadRules(options);
    if (!loaded) usageError(loaded.error());
    std::vector<testhttp::FaultRule> rules = std::move(*loaded);

    // Signals are taken synchronously below; the server's threads inherit the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    try {
        testhttp::Server server(options.port);
        server.serveFolder(options.prefix, options.root);
        applyRules(server, rules);
        std::printf("%u\n", server.port());
        std::fflush(stdout);

        size_t printed = 0;
        for (;;) {
            timespec tick{0, 200 * 1000 * 1000};
            int sig = sigtimedwait(&signals, nullptr, &tick);
            printRequests(server, printed);
            if (sig == SIGINT || sig == SIGTERM) break;
            if (sig != SIGHUP) continue;
            if (auto reloaded = loadRules(options)) {
                rules = std::move(*reloaded);
                applyRules(server, rules);
                std::printf("reloaded %zu rules\n", rules.size());
            } else {
                std::fprintf(stderr, "testhttpd: keeping the old rules: %s\n",
                             reloaded.error().c_str());
                std::printf("reload failed\n");
            }
            std::fflush(stdout);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "testhttpd: %s\n", e.what());
        return 1;
    }
    return 0;
}
