// Chromium with nothing of ours in between: started with the browser host's own command line
// (the host's start page replaced by the page under test, or no page at all for an empty
// address) and driven straight over its DevTools pipe by blocking calls.
#pragma once

#include <json/json.h>
#include <sys/types.h>

#include <string>

namespace bench {

class BareChromium {
public:
    BareChromium(const std::string& profileDir, const std::string& url);
    ~BareChromium();
    BareChromium(const BareChromium&) = delete;
    BareChromium& operator=(const BareChromium&) = delete;

    pid_t pid() const { return pid_; }

    // Sends one command without waiting for its answer (which a later call skips); answers its
    // id.
    int send(const std::string& method, const Json::Value& params = Json::objectValue,
             const std::string& session = "");
    // Sends one command and waits for its answer, skipping events; throws on an error answer.
    Json::Value call(const std::string& method, const Json::Value& params = Json::objectValue,
                     const std::string& session = "");
    // A session on the first page whose address ends with the text.
    std::string attach(const std::string& urlEnd);
    // Opens another page in a window of its own at that size, and answers a session on it.
    std::string open(const std::string& url, int width, int height);
    // Gives the window of the session's page that size.
    void resize(const std::string& session, int width, int height);
    // Evaluates an expression in the session's page and answers its value.
    Json::Value evaluate(const std::string& session, const std::string& expression);

private:
    Json::Value read();

    pid_t pid_ = -1;
    int commands_ = -1;
    int events_ = -1;
    int nextId_ = 1;
    std::string pending_;
};

}  // namespace bench
