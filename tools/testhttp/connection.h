#pragma once

#include <string>

#include "platform/shared/no_copy.h"
#include "tools/testhttp/content_store.h"
#include "tools/testhttp/fault_table.h"
#include "tools/testhttp/request_log.h"
#include "tools/testhttp/response_plan.h"
#include "tools/testhttp/stop_signal.h"

namespace testhttp {

// What a connection needs from its server; everything in it outlives the connection.
struct ServerParts {
    ContentStore& store;
    FaultTable& faults;
    RequestLog& log;
    const StopSignal& stop;
};

// Serves the requests of one accepted connection, one after the other, until either side
// closes it or the server stops. Owns the socket and closes it when done.
class Connection : private morvick::NoCopy {
public:
    Connection(int fd, int id, ServerParts parts);
    ~Connection();

    void serve();

private:
    enum class Read { Complete, Closed, TooLarge };
    Read readHead(std::string& head);
    bool discardBody(uint64_t length);
    bool answer(const ResponsePlan& plan);
    bool sendBody(const ResponsePlan& plan);
    void waitForPeerToClose();

    int fd_;
    int id_;
    ServerParts parts_;
    std::string buffer_;  // bytes read past the current request
};

}  // namespace testhttp
