#include "bench/support/bare_chromium.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

#include "platform/cefhx/chromium_process.h"

namespace bench {

BareChromium::BareChromium(const std::string& profileDir, const std::string& url) {
    cefhx::ChromiumOptions options;
    options.profileDir = profileDir;
    std::vector<std::string> args = cefhx::chromiumArguments(options);
    if (!url.empty()) args.back() = url;
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int commands[2];
    int events[2];
    if (pipe2(commands, O_CLOEXEC) != 0 || pipe2(events, O_CLOEXEC) != 0) {
        throw std::runtime_error("bare Chromium: no pipes");
    }
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("bare Chromium: cannot fork");
    if (pid_ == 0) {
        setpgid(0, 0);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        signal(SIGPIPE, SIG_DFL);
        const int in = fcntl(commands[0], F_DUPFD, 10);
        const int out = fcntl(events[1], F_DUPFD, 10);
        if (in < 0 || out < 0 || dup2(in, 3) < 0 || dup2(out, 4) < 0) _exit(127);
        const int devnull = ::open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, 0);
            dup2(devnull, 2);
        }
        for (int fd = 5; fd < 4096; ++fd) close(fd);
        execv(argv[0], argv.data());
        _exit(127);
    }
    setpgid(pid_, pid_);
    close(commands[0]);
    close(events[1]);
    commands_ = commands[1];
    events_ = events[0];
}

BareChromium::~BareChromium() {
    try {
        call("Browser.close");
    } catch (const std::exception&) {
        // Ended already; the group's kill below clears what is left.
    }
    close(commands_);
    close(events_);
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

Json::Value BareChromium::read() {
    for (;;) {
        const size_t end = pending_.find('\0');
        if (end != std::string::npos) {
            Json::Value message;
            Json::CharReaderBuilder builder;
            std::string errors;
            std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
            const bool ok =
                reader->parse(pending_.data(), pending_.data() + end, &message, &errors);
            pending_.erase(0, end + 1);
            if (!ok) throw std::runtime_error("bare Chromium: bad message: " + errors);
            return message;
        }
        char buffer[65536];
        const ssize_t n = ::read(events_, buffer, sizeof buffer);
        if (n <= 0) throw std::runtime_error("bare Chromium: the pipe closed");
        pending_.append(buffer, static_cast<size_t>(n));
    }
}

int BareChromium::send(const std::string& method, const Json::Value& params,
                       const std::string& session) {
    Json::Value command;
    const int id = nextId_++;
    command["id"] = id;
    command["method"] = method;
    command["params"] = params;
    if (!session.empty()) command["sessionId"] = session;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    const std::string text = Json::writeString(writer, command) + '\0';
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(commands_, text.data() + done, text.size() - done);
        if (n <= 0) throw std::runtime_error("bare Chromium: cannot write " + method);
        done += static_cast<size_t>(n);
    }
    return id;
}

Json::Value BareChromium::call(const std::string& method, const Json::Value& params,
                               const std::string& session) {
    const int id = send(method, params, session);
    for (;;) {
        Json::Value message = read();
        if (!message.isMember("id") || message["id"].asInt() != id) continue;
        if (message.isMember("error")) {
            throw std::runtime_error("bare Chromium: " + method + ": " +
                                     message["error"]["message"].asString());
        }
        return message["result"];
    }
}

std::string BareChromium::attach(const std::string& urlEnd) {
    const Json::Value targets = call("Target.getTargets");
    for (const Json::Value& target : targets["targetInfos"]) {
        const std::string url = target["url"].asString();
        if (target["type"].asString() != "page" || url.size() < urlEnd.size() ||
            url.compare(url.size() - urlEnd.size(), urlEnd.size(), urlEnd) != 0) {
            continue;
        }
        Json::Value params;
        params["targetId"] = target["targetId"];
        params["flatten"] = true;
        return call("Target.attachToTarget", params)["sessionId"].asString();
    }
    throw std::runtime_error("bare Chromium: no page at " + urlEnd);
}

std::string BareChromium::open(const std::string& url, int width, int height) {
    Json::Value params;
    params["url"] = url;
    params["newWindow"] = true;
    params["width"] = width;
    params["height"] = height;
    Json::Value attach;
    attach["targetId"] = call("Target.createTarget", params)["targetId"];
    attach["flatten"] = true;
    return call("Target.attachToTarget", attach)["sessionId"].asString();
}

void BareChromium::resize(const std::string& session, int width, int height) {
    const Json::Value window = call("Browser.getWindowForTarget", Json::objectValue, session);
    Json::Value params;
    params["windowId"] = window["windowId"];
    params["bounds"]["width"] = width;
    params["bounds"]["height"] = height;
    call("Browser.setWindowBounds", params);
}

Json::Value BareChromium::evaluate(const std::string& session, const std::string& expression) {
    Json::Value params;
    params["expression"] = expression;
    params["returnByValue"] = true;
    return call("Runtime.evaluate", params, session)["result"]["value"];
}

}  // namespace bench
