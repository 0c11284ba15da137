#pragma once

#include <memory>

namespace rt {

// Connections kept alive between requests: every rt::Http given the same HttpConnections reuses
// an open connection to the same host and port instead of opening a new one, and looks host names
// up once. Not for use by two threads at a time; give each thread its own.
class HttpConnections {
public:
    HttpConnections();
    ~HttpConnections();

    // The transfer library's share handle.
    void* handle() const;

private:
    struct Share;
    std::unique_ptr<Share> share_;
};

}  // namespace rt
