#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/msgloop/msgloop.h"
#include "runtime/array.h"
#include "runtime/class_builder.h"
#include "runtime/function.h"
#include "runtime/primitive.h"
#include "runtime/record.h"
#include "tools/testhttp/server.h"

// The statics of the lobby's Main that the library sets by name.
class Main : public rt::Object {
    RT_CLASS(Main)
public:
    static inline rt::Value versions;
    static inline rt::Value versionFileList;
    static inline rt::Value serverVerPath;
};

const rt::ClassInfo& Main::staticClassInfo() {
    static const rt::ClassInfo& info =
        rt::ClassBuilder<Main>("Main")
            .staticFields(RT_NAMED(Main, versions, versionFileList, serverVerPath))
            .build();
    return info;
}

RT_REGISTER_CLASS(Main);

namespace {

using rt::Value;

Value call(const std::string& name, std::initializer_list<Value> args) {
    return rt::loadPrimitive("DownLoadGame", name, static_cast<int>(args.size())).call(args);
}

// A stand-in for the lobby's download engine: the three members the library reaches by name.
struct Engine {
    rt::Ref<rt::Record> object = rt::make<rt::Record>();
    std::vector<std::string> calls;
    bool failDownload = false;

    Engine() {
        object->set("updateState", Value(0));
        object->set("toDownload", Value(rt::Function::of("toDownload", [this](auto args) {
                        calls.push_back("toDownload(" + std::string(args[0].str()) + ")");
                        if (object->get("updateState").toInt() == 0) {
                            object->set("updateState", Value(1));
                        }
                        return Value();
                    })));
        object->set("downloadGames", Value(rt::Function::of("downloadGames", [this](auto args) {
                        std::string names;
                        for (const Value& n : args[0].asArray()->items()) {
                            names += (names.empty() ? "" : ",") + std::string(n.str());
                        }
                        calls.push_back("downloadGames(" + names + ")");
                        if (failDownload) throw std::runtime_error("engine broke");
                        return Value();
                    })));
        object->set("onDownloadError", Value(rt::Function::of("onDownloadError", [this](auto args) {
                        calls.push_back("onDownloadError(" + args[0].get("name").toString() + "," +
                                        args[0].get("file").toString() + ")");
                        return Value();
                    })));
    }
    Value value() const { return Value(object); }
    size_t toDownloadCalls() const {
        size_t n = 0;
        for (const std::string& c : calls) n += c.starts_with("toDownload(");
        return n;
    }
    void listRead() { object->set("updateState", Value(2)); }
};

class DownloadGameTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ml_init(), ML_OK); }
    void TearDown() override { ml_shutdown(); }

    // Moves the loop's clock past one look at the engine and runs the timers due.
    static void nextLook() {
        ml_clock_advance(250);
        ml_pump(0, nullptr);
    }

    // Runs the loop until `done` holds; the versions are read on a thread of the library's own
    // and handed back through the loop.
    template <class Done>
    static void pumpUntil(Done done) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done()) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the loop got nothing to do";
            ml_pump(1000, nullptr);
        }
    }

    // A request of the page; when `live`, waits until the engine has been asked.
    Value request(const Value& instance, const std::string& games, bool live = true) {
        return requestFrom("http://127.0.0.1/download", "1", instance, games, live);
    }

    // The same, of the download server at `url` with the request's extra text.
    Value requestFrom(const std::string& url, const std::string& extra, const Value& instance,
                      const std::string& games, bool live = true) {
        size_t asked = engine.toDownloadCalls();
        Value answer =
            call("plug_downloadgame", {instance, Value(url), Value(games), Value(extra)});
        if (live) pumpUntil([&] { return engine.toDownloadCalls() > asked; });
        return answer;
    }

    Engine engine;
};

TEST_F(DownloadGameTest, GamesGoToTheEngineOnceItHasReadTheServerList) {
    Value instance = call("plug_create", {engine.value()});
    ASSERT_FALSE(instance.isNull());
    request(instance, " fish , ,poker,");
    EXPECT_EQ(engine.calls, std::vector<std::string>{"toDownload( fish , ,poker,)"});

    nextLook();
    EXPECT_EQ(engine.calls.size(), 1u);
    engine.listRead();
    nextLook();
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"toDownload( fish , ,poker,)",
                                                      "downloadGames(fish,poker)"}));
    nextLook();
    EXPECT_EQ(engine.calls.size(), 2u);
    call("plug_destroy", {instance});
}

TEST_F(DownloadGameTest, AReadListIsUsedAtOnceAndWaitingRequestsKeepTheirOrder) {
    Value instance = call("plug_create", {engine.value()});
    request(instance, "a");
    request(instance, "b,c");
    engine.listRead();
    nextLook();
    request(instance, "d");
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"toDownload(a)", "toDownload(b,c)",
                                                      "downloadGames(a)", "downloadGames(b,c)",
                                                      "toDownload(d)", "downloadGames(d)"}));
    call("plug_destroy", {instance});
}

TEST_F(DownloadGameTest, NoGameNamedOnlyAsksForTheServerList) {
    Value instance = call("plug_create", {engine.value()});
    engine.listRead();
    request(instance, " , ");
    request(instance, "");
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"toDownload( , )", "toDownload()"}));
    call("plug_destroy", {instance});
}

TEST_F(DownloadGameTest, DestroyStopsWatchingAndLaterCallsAreIgnored) {
    Value instance = call("plug_create", {engine.value()});
    request(instance, "a");
    call("plug_destroy", {instance});
    engine.listRead();
    nextLook();
    request(instance, "b", false);
    call("plug_destroy", {instance});
    EXPECT_EQ(engine.calls, std::vector<std::string>{"toDownload(a)"});
}

TEST_F(DownloadGameTest, WaitingEndsWhenTheListNeverArrives) {
    Value instance = call("plug_create", {engine.value()});
    request(instance, "a,b");
    for (int look = 0; look < 599; ++look) nextLook();
    request(instance, "c");
    for (int look = 0; look < 599; ++look) nextLook();
    EXPECT_EQ(engine.calls.size(), 2u) << "a later request gives the waiting ones their time anew";
    nextLook();
    engine.listRead();
    nextLook();
    EXPECT_EQ(engine.calls,
              (std::vector<std::string>{"toDownload(a,b)", "toDownload(c)", "onDownloadError(a,)",
                                        "onDownloadError(b,)", "onDownloadError(c,)"}));
    request(instance, "b");
    EXPECT_EQ(engine.calls.back(), "downloadGames(b)");
    call("plug_destroy", {instance});
}

TEST_F(DownloadGameTest, AFailingEngineDoesNotStopTheLoop) {
    Value instance = call("plug_create", {engine.value()});
    engine.failDownload = true;
    request(instance, "a");
    engine.listRead();
    nextLook();
    request(instance, "b");
    EXPECT_EQ(engine.calls.back(), "downloadGames(b)");
    call("plug_destroy", {instance});
}

TEST_F(DownloadGameTest, TheFirstRequestGivesMainTheServersVersions) {
    testhttp::Server server;
    server.addFile("/dl/versions.txt",
                   "# oldest first\n[1.0.0]\n\n[1.0.1]\n\\fish\\a.dll\n \\fish\\b.dll \n");
    Value instance = call("plug_create", {engine.value()});
    auto ask = [&](const std::string& games) {
        requestFrom(server.url("/dl/"), "", instance, games);
    };
    ask("fish");
    EXPECT_EQ(Main::versions.toString(), "[1.0.0,1.0.1]");
    EXPECT_EQ(Main::versionFileList.toString(), "[[],[\\fish\\a.dll,\\fish\\b.dll]]");
    EXPECT_EQ(Main::serverVerPath.str(), "1_0_1");
    EXPECT_EQ(engine.calls, std::vector<std::string>{"toDownload(fish)"});
    ask("poker");
    EXPECT_EQ(server.log().countFor("/dl/versions.txt"), 1);
    call("plug_destroy", {instance});
}

TEST_F(DownloadGameTest, UnreadableVersionsAreAskedForAgainWithTheNextRequest) {
    testhttp::Server server;
    server.addFile("/dl/versions.txt", "\\fish\\a.dll\n[1.0.0]\n");
    Main::serverVerPath = Value();
    Value instance = call("plug_create", {engine.value()});
    auto ask = [&](const std::string& games) {
        requestFrom(server.url("/dl"), "", instance, games);
    };
    ask("fish");
    EXPECT_TRUE(Main::serverVerPath.isNull());
    EXPECT_EQ(engine.calls, std::vector<std::string>{"toDownload(fish)"});
    server.addFile("/dl/versions.txt", "[2.1]\n");
    ask("fish");
    EXPECT_EQ(Main::serverVerPath.str(), "2_1");
    EXPECT_EQ(server.log().countFor("/dl/versions.txt"), 2);
    call("plug_destroy", {instance});
}

TEST_F(DownloadGameTest, TheVersionsAreReadWhileTheLoopGoesOn) {
    Value instance = call("plug_create", {engine.value()});
    {
        testhttp::Server server;
        server.setFault("/dl/versions.txt", testhttp::Fault::stall());
        call("plug_downloadgame", {instance, Value(server.url("/dl/")), Value("a"), Value("")});
        ASSERT_TRUE(server.log().waitForPath("/dl/versions.txt", 1));
        bool ran = false;
        ml_post_task([](void* flag) { *static_cast<bool*>(flag) = true; }, &ran, 0);
        pumpUntil([&] { return ran; });
        EXPECT_TRUE(engine.calls.empty());
    }
    pumpUntil([&] { return engine.toDownloadCalls() == 1; });
    EXPECT_EQ(engine.calls, std::vector<std::string>{"toDownload(a)"});
    call("plug_destroy", {instance});
}

TEST_F(DownloadGameTest, NoHandlerNoInstance) {
    EXPECT_TRUE(call("plug_create", {Value()}).isNull());
    EXPECT_TRUE(request(Value(), "a", false).isNull());
    EXPECT_TRUE(request(Value(42), "a", false).isNull());
    EXPECT_TRUE(call("plug_destroy", {Value()}).isNull());
}

}  // namespace
