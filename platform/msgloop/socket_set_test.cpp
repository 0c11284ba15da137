#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/msgloop/test_support.h"

namespace msgloop::test {
namespace {

constexpr uint32_t kSocketMsg = ML_WM_USER + 0x64;
constexpr uint32_t kAll = ML_FD_READ | ML_FD_WRITE | ML_FD_CONNECT | ML_FD_CLOSE;

class Sockets : public LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        window_.create();
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        addr_.sin_family = AF_INET;
        addr_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&addr_), sizeof addr_), 0);
        socklen_t len = sizeof addr_;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr_), &len);
    }
    void TearDown() override {
        for (int fd : {client_, server_, listener_}) {
            if (fd >= 0) close(fd);
        }
        LoopTest::TearDown();
    }

    int new_client() {
        int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        EXPECT_EQ(ml_socket_select(fd, window_.hwnd, kSocketMsg, kAll), ML_OK);
        return fd;
    }
    // Connects a registered client and accepts it on the server side.
    void connect_pair() {
        ASSERT_EQ(listen(listener_, 4), 0);
        client_ = new_client();
        ASSERT_EQ(ml_socket_connect(client_, &addr_, sizeof addr_), 0);
        ASSERT_TRUE(pump_until([&] { return events(ML_FD_CONNECT) == 1; }));
        server_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        ASSERT_GE(server_, 0);
    }
    size_t events(unsigned event, int fd = -1) const {
        size_t n = 0;
        for (const auto& m : window_.messages) {
            n += m.msg == kSocketMsg && ML_SOCKET_EVENT(m.lparam) == event &&
                 (fd < 0 || static_cast<int>(m.wparam) == fd);
        }
        return n;
    }
    const Received* first(unsigned event) const {
        for (const auto& m : window_.messages) {
            if (m.msg == kSocketMsg && ML_SOCKET_EVENT(m.lparam) == event) return &m;
        }
        return nullptr;
    }

    Recorder window_;
    sockaddr_in addr_{};
    int listener_ = -1;
    int client_ = -1;
    int server_ = -1;
};

TEST_F(Sockets, ConnectThenOneWriteThenReadsThenClose) {
    connect_pair();
    EXPECT_EQ(ML_SOCKET_ERROR(first(ML_FD_CONNECT)->lparam), 0);
    EXPECT_EQ(static_cast<int>(first(ML_FD_CONNECT)->wparam), client_);
    ASSERT_TRUE(pump_until([&] { return events(ML_FD_WRITE) == 1; }));
    // Writable all along, yet no further write event while nothing waits to be written.
    for (int i = 0; i < 3; ++i) ml_pump(10, nullptr);
    EXPECT_EQ(events(ML_FD_WRITE), 1u);

    window_.on_message = [&](const Received& r) -> intptr_t {
        if (r.msg == kSocketMsg && ML_SOCKET_EVENT(r.lparam) == ML_FD_READ) {
            char buf[64];
            EXPECT_GT(recv(client_, buf, sizeof buf, 0), 0);
        }
        return 0;
    };
    ASSERT_EQ(send(server_, "hello", 5, 0), 5);
    ASSERT_TRUE(pump_until([&] { return events(ML_FD_READ) == 1; }));
    ASSERT_EQ(send(server_, "again", 5, 0), 5);
    ASSERT_TRUE(pump_until([&] { return events(ML_FD_READ) == 2; }));
    close(server_);
    server_ = -1;
    ASSERT_TRUE(pump_until([&] { return events(ML_FD_CLOSE) == 1; }));
    EXPECT_EQ(ML_SOCKET_ERROR(first(ML_FD_CLOSE)->lparam), 0);
    for (int i = 0; i < 3; ++i) ml_pump(10, nullptr);
    EXPECT_EQ(events(ML_FD_CLOSE), 1u);
    EXPECT_EQ(events(ML_FD_READ), 2u);
}

TEST_F(Sockets, AnUnreadSocketGetsOneReadEventPerDispatch) {
    connect_pair();
    ASSERT_EQ(send(server_, "x", 1, 0), 1);
    ASSERT_TRUE(pump_until([&] { return events(ML_FD_READ) == 1; }));
    // The byte stays unread: each dispatch re-arms exactly one more event.
    ml_pump(0, nullptr);
    ml_pump(0, nullptr);
    EXPECT_EQ(events(ML_FD_READ), 3u);
}

TEST_F(Sockets, AWouldBlockArmsTheNextWriteEvent) {
    connect_pair();
    ASSERT_TRUE(pump_until([&] { return events(ML_FD_WRITE) == 1; }));
    char chunk[65536] = {};
    long sent = 0;
    while ((sent = ml_socket_send(client_, chunk, sizeof chunk)) > 0) {
    }
    ASSERT_EQ(errno, EAGAIN);
    for (int i = 0; i < 2; ++i) ml_pump(10, nullptr);
    EXPECT_EQ(events(ML_FD_WRITE), 1u);
    char sink[65536];
    auto drain = [&] {
        while (recv(server_, sink, sizeof sink, MSG_DONTWAIT) > 0) {
        }
        return events(ML_FD_WRITE) == 2;
    };
    EXPECT_TRUE(pump_until(drain));
}

TEST_F(Sockets, ARefusedConnectReportsItsError) {
    client_ = new_client();  // the listener never listens: nothing accepts on its port
    ASSERT_EQ(ml_socket_connect(client_, &addr_, sizeof addr_), 0);
    ASSERT_TRUE(pump_until([&] { return events(ML_FD_CONNECT) == 1; }));
    EXPECT_EQ(ML_SOCKET_ERROR(first(ML_FD_CONNECT)->lparam), ECONNREFUSED);
    for (int i = 0; i < 3; ++i) ml_pump(10, nullptr);
    EXPECT_EQ(window_.messages.size(), 1u);
}

TEST_F(Sockets, UnregisteringPurgesEventsAlreadyQueued) {
    ASSERT_EQ(listen(listener_, 4), 0);
    int a = new_client();
    int b = new_client();
    ASSERT_EQ(ml_socket_connect(a, &addr_, sizeof addr_), 0);
    ASSERT_EQ(ml_socket_connect(b, &addr_, sizeof addr_), 0);
    int sa = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    int sb = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    ASSERT_TRUE(pump_until([&] { return events(ML_FD_CONNECT) == 2; }));
    ASSERT_TRUE(pump_until([&] { return events(ML_FD_WRITE) == 2; }));
    // Both become readable in one turn; the first read event drops the other socket.
    window_.on_message = [&](const Received& r) -> intptr_t {
        if (ML_SOCKET_EVENT(r.lparam) == ML_FD_READ) {
            ml_socket_select(static_cast<int>(r.wparam) == a ? b : a, 0, 0, 0);
        }
        return 0;
    };
    ASSERT_EQ(send(sa, "1", 1, 0), 1);
    ASSERT_EQ(send(sb, "2", 1, 0), 1);
    pollfd both[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    for (int i = 0; i < 100 && !((both[0].revents & POLLIN) && (both[1].revents & POLLIN)); ++i) {
        poll(both, 2, 50);
    }
    ml_pump(0, nullptr);
    for (int i = 0; i < 3; ++i) ml_pump(10, nullptr);
    size_t on_a = events(ML_FD_READ, a);
    size_t on_b = events(ML_FD_READ, b);
    EXPECT_TRUE((on_a > 0 && on_b == 0) || (on_a == 0 && on_b > 0)) << on_a << " " << on_b;
    for (int fd : {a, b, sa, sb}) close(fd);
}

TEST_F(Sockets, DestroyingTheWindowDropsItsSockets) {
    connect_pair();
    ml_hwnd hwnd = window_.hwnd;
    size_t before = window_.messages.size();
    ASSERT_EQ(send(server_, "x", 1, 0), 1);
    ASSERT_EQ(ml_destroy_window(hwnd), ML_OK);
    for (int i = 0; i < 3; ++i) ml_pump(10, nullptr);
    ASSERT_EQ(window_.messages.size(), before + 1);
    EXPECT_EQ(window_.messages.back().msg, ML_WM_DESTROY);
}

}  // namespace
}  // namespace msgloop::test
