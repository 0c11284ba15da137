#include "runtime/class_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/class_builder.h"
#include "runtime/primitive.h"

namespace rt::testing_classes {

// A plain value class: two Float fields, made by `construct(width, height)`.
class Size : public Object {
    RT_CLASS(Size)
public:
    double height = 0;
    double width = 0;

    void construct(double w, double h) {
        width = w;
        height = h;
    }
};

const ClassInfo& Size::staticClassInfo() {
    static const ClassInfo& info = ClassBuilder<Size>("test.Size")
                                       .fields(RT_NAMED(Size, height, width))
                                       .constructor(&Size::construct)
                                       .build();
    return info;
}
RT_REGISTER_CLASS(Size);

// Fields declared in one order, created by name from arguments in another.
class KeyInfo : public Object {
    RT_CLASS(KeyInfo)
public:
    bool imeChar = false;
    bool sysChar = false;
    int32_t key = 0;
    int32_t get_code() const { return key + 1000; }
};

const ClassInfo& KeyInfo::staticClassInfo() {
    static const ClassInfo& info =
        ClassBuilder<KeyInfo>("test.KeyInfo")
            .fields(RT_NAMED(KeyInfo, imeChar, sysChar, key))
            .property("code", &KeyInfo::get_code)
            .method("describe",
                    [](KeyInfo& k, std::span<const Value> args) {
                        return Value(std::to_string(k.key) + "/" + std::to_string(args.size()));
                    })
            .creator([](std::span<const Value> args) -> Ref<Object> {
                auto k = create<KeyInfo>();
                k->key = detail::argAt(args, 0).toInt();
                k->sysChar = detail::argAt(args, 1).toBool();
                k->imeChar = detail::argAt(args, 2).toBool();
                return k;
            })
            .build();
    return info;
}
RT_REGISTER_CLASS(KeyInfo);

// No construction steps: created by name with its default constructor.
class Marker : public Object {
    RT_CLASS(Marker)
public:
    int32_t hits = 0;
};

const ClassInfo& Marker::staticClassInfo() {
    static const ClassInfo& info =
        ClassBuilder<Marker>("test.Marker").field("hits", &Marker::hits).constructor().build();
    return info;
}
RT_REGISTER_CLASS(Marker);

// A window base with a property, statics, a bound primitive and construction steps that call a
// virtual operation; the steps also call the host, which calls back by name.
class Window : public Object {
    RT_CLASS(Window)
public:
    static bool isQuit;
    static int32_t created;
    static Primitive window_create;
    static std::string kind() { return "window"; }

    std::string title;
    bool shown = false;
    std::vector<std::string> log;

    void construct(const std::string& t) {
        title = t;
        setShow(true);
        window_create(Ref<Window>(this));
        ++created;
    }
    virtual void setShow(bool on) {
        shown = on;
        log.push_back("Window.setShow");
    }
    virtual void on_create() { log.push_back("Window.on_create"); }

    std::string get_url() const { return url_; }
    std::string set_url(const std::string& u) {
        url_ = u + "#set";
        return u;
    }

protected:
    Value getMissing(std::string_view name) override {
        return name == "magic" ? Value(7) : Object::getMissing(name);
    }

private:
    std::string url_;
};

bool Window::isQuit = false;
int32_t Window::created = 0;
Primitive Window::window_create;

const ClassInfo& Window::staticClassInfo() {
    static const ClassInfo& info =
        ClassBuilder<Window>("test.Window")
            .fields(RT_NAMED(Window, title, shown))
            .methods(RT_NAMED(Window, setShow, on_create))
            .property("url", &Window::get_url, &Window::set_url)
            .staticFields(RT_NAMED(Window, isQuit, created, window_create))
            .staticMethod("kind", &Window::kind)
            .constructor(&Window::construct)
            .build();
    return info;
}
RT_REGISTER_CLASS(Window);

class GameWindow : public Window {
    RT_CLASS(GameWindow)
public:
    int32_t mode = 3;  // set by the C++ constructor, before any construction step runs
    int32_t modeSeenByShow = -1;
    int32_t modeSeenByCreate = -1;

    void construct(const std::string& t, int32_t m) {
        Window::construct(t);
        mode = m;
    }
    void setShow(bool on) override {
        Window::setShow(on);
        log.push_back("GameWindow.setShow");
        modeSeenByShow = mode;
    }
    void on_create() override {
        log.push_back("GameWindow.on_create");
        modeSeenByCreate = mode;
    }
    int32_t twice(int32_t x) { return 2 * x; }
};

const ClassInfo& GameWindow::staticClassInfo() {
    static const ClassInfo& info = ClassBuilder<GameWindow>("test.GameWindow")
                                       .extends<Window>()
                                       .field("mode", &GameWindow::mode)
                                       .method("twice", &GameWindow::twice)
                                       .constructor(&GameWindow::construct)
                                       .build();
    return info;
}
RT_REGISTER_CLASS(GameWindow);

// A class with statics only (an application's static entry): it needs no rt::Object base.
struct App {
    static int32_t level;
    static Primitive app_quit;
    static const ClassInfo& staticClassInfo() {
        static const ClassInfo& info =
            ClassBuilder<App>("test.App").staticFields(RT_NAMED(App, level, app_quit)).build();
        return info;
    }
};

int32_t App::level = 1;
Primitive App::app_quit;

// Every member listed by its C++ name, in an order of the description's own.
class Listed : public Object {
    RT_CLASS(Listed)
public:
    static int32_t count;
    static std::string tag;
    static int32_t twice(int32_t x) { return 2 * x; }
    static int32_t next() { return ++count; }

    int32_t first = 1;
    std::string second = "two";
    bool third = true;
    int32_t sum(int32_t a, int32_t b) const { return a + b + first; }
    std::string both() const { return second + tag; }
};

int32_t Listed::count = 0;
std::string Listed::tag = "!";

const ClassInfo& Listed::staticClassInfo() {
    static const ClassInfo& info = ClassBuilder<Listed>("test.Listed")
                                       .fields(RT_NAMED(Listed, third, first, second))
                                       .methods(RT_NAMED(Listed, sum, both))
                                       .staticFields(RT_NAMED(Listed, tag, count))
                                       .staticMethods(RT_NAMED(Listed, twice, next))
                                       .constructor()
                                       .build();
    return info;
}
RT_REGISTER_CLASS(Listed);

}  // namespace rt::testing_classes

namespace rt {
namespace {

using testing_classes::App;
using testing_classes::GameWindow;
using testing_classes::KeyInfo;
using testing_classes::Listed;
using testing_classes::Marker;
using testing_classes::Size;
using testing_classes::Window;

class ClassInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The host stand-in: calls the new window back by name, as a browser host does.
        Window::window_create.replace(
            Value(Function::of("fake", [this](std::span<const Value> args) {
                hostCalls.push_back(args[0].toString());
                args[0].callMember("on_create", {});
                return Value();
            })));
        Window::created = 0;
    }
    void TearDown() override { Window::window_create.replace(Value()); }

    std::vector<std::string> hostCalls;
};

TEST_F(ClassInfoTest, FieldsByNameInDeclarationOrderWithConversion) {
    auto s = create<Size>(10.0, 20.0);
    EXPECT_EQ(s->width, 10.0);
    EXPECT_EQ(s->height, 20.0);
    EXPECT_EQ(Size::staticClassInfo().fields(), (std::vector<std::string>{"height", "width"}));
    Value v(s);
    EXPECT_EQ(v.get("width"), Value(10.0));
    EXPECT_EQ(v.set("width", 7), Value(7.0));
    EXPECT_TRUE(v.get("width").isFloat());
    v.set("height", Value());
    EXPECT_EQ(s->height, 0.0);
    EXPECT_TRUE(v.get("depth").isNull());
    EXPECT_THROW(v.set("depth", 1), Exception);
}

TEST_F(ClassInfoTest, CreateByNameConvertsArguments) {
    std::vector<Value> args{Value(3), Value()};
    Value v(ClassInfo::createByName("test.Size", args));
    EXPECT_EQ(v.toString(), "test.Size");
    EXPECT_EQ(v.get("width"), Value(3.0));
    EXPECT_EQ(v.get("height"), Value(0.0));
    try {
        ClassInfo::createByName("test.Nothing", {});
        FAIL() << "unknown class must raise";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Class not found: test.Nothing");
    }
}

TEST_F(ClassInfoTest, CreatorOfTheClassesOwnArgumentOrder) {
    std::vector<Value> args{Value(65), Value(true), Value()};
    Value k(ClassInfo::createByName("test.KeyInfo", args));
    EXPECT_EQ(k.get("key"), Value(65));
    EXPECT_EQ(k.get("sysChar"), Value(true));
    EXPECT_EQ(k.get("imeChar"), Value(false));
    EXPECT_EQ(KeyInfo::staticClassInfo().fields(),
              (std::vector<std::string>{"imeChar", "sysChar", "key"}));
    EXPECT_EQ(k.get("code"), Value(1065));
    EXPECT_THROW(k.set("code", 1), Exception);
    EXPECT_EQ(k.callMember("describe", {1, 2}), Value("65/2"));

    Value m(ClassInfo::createByName("test.Marker", args));
    EXPECT_EQ(m.get("hits"), Value(0));
    EXPECT_TRUE(Value::ofClass(Marker::staticClassInfo()).asClass()->canCreate());
}

TEST_F(ClassInfoTest, TwoPhaseConstructionReachesTheOverride) {
    auto w = create<GameWindow>(std::string("game"), 5);
    EXPECT_EQ(w->log, (std::vector<std::string>{"Window.setShow", "GameWindow.setShow",
                                                "GameWindow.on_create"}));
    EXPECT_TRUE(w->shown);
    // The steps ran on the complete object: its C++ field initialisers had run.
    EXPECT_EQ(w->modeSeenByShow, 3);
    EXPECT_EQ(w->modeSeenByCreate, 3);
    EXPECT_EQ(w->mode, 5);
    EXPECT_EQ(hostCalls, (std::vector<std::string>{"test.GameWindow"}));
}

TEST_F(ClassInfoTest, CreateByNameRunsTheSameSteps) {
    std::vector<Value> args{Value("g"), Value(2)};
    Ref<GameWindow> w = Value(ClassInfo::createByName("test.GameWindow", args)).as<GameWindow>();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->title, "g");
    EXPECT_EQ(w->mode, 2);
    EXPECT_EQ(w->log.back(), "GameWindow.on_create");
    EXPECT_EQ(Window::created, 1);
}

TEST_F(ClassInfoTest, SubclassInheritsMembersAndFieldOrder) {
    auto w = create<GameWindow>(std::string("t"), 1);
    Value v(w);
    EXPECT_EQ(GameWindow::staticClassInfo().fields(),
              (std::vector<std::string>{"title", "shown", "mode"}));
    EXPECT_EQ(v.get("title"), Value("t"));
    EXPECT_EQ(v.callMember("twice", {21}), Value(42));
    w->log.clear();
    v.callMember("setShow", {false});
    EXPECT_FALSE(w->shown);
    EXPECT_EQ(w->log, (std::vector<std::string>{"Window.setShow", "GameWindow.setShow"}));
    EXPECT_TRUE(GameWindow::staticClassInfo().is(Window::staticClassInfo()));
    EXPECT_FALSE(Window::staticClassInfo().is(GameWindow::staticClassInfo()));
}

TEST_F(ClassInfoTest, PropertiesGoThroughTheirAccessors) {
    auto w = create<Window>(std::string("p"));
    Value v(w);
    EXPECT_EQ(v.set("url", "http://127.0.0.1/"), Value("http://127.0.0.1/"));
    EXPECT_EQ(v.get("url"), Value("http://127.0.0.1/#set"));
    EXPECT_EQ(v.callMember("get_url", {}), Value("http://127.0.0.1/#set"));
    EXPECT_EQ(v.callMember("set_url", {"a"}), Value("a"));
    EXPECT_EQ(w->get_url(), "a#set");
    EXPECT_TRUE(Window::staticClassInfo().fields() == (std::vector<std::string>{"title", "shown"}));
}

TEST_F(ClassInfoTest, ReadingAnOperationGivesABoundFunction) {
    auto w = create<GameWindow>(std::string("f"), 1);
    Value twice = Value(w).get("twice");
    ASSERT_TRUE(twice.isFunction());
    EXPECT_EQ(twice.call({4}), Value(8));
}

TEST_F(ClassInfoTest, ClassFallbackAndDefaultHandling) {
    auto w = create<Window>(std::string("m"));
    EXPECT_EQ(Value(w).get("magic"), Value(7));
    EXPECT_TRUE(Value(w).get("other").isNull());
    try {
        Value(w).callMember("other", {});
        FAIL() << "calling a missing member must raise";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Class test.Window has no member other to call");
    }
    EXPECT_THROW(Value(w).callMember("title", {}), Exception);
}

TEST_F(ClassInfoTest, StaticsReadableReplaceableAndCallableByName) {
    const ClassInfo& info = Window::staticClassInfo();
    Value cls = Value::ofClass(info);
    EXPECT_EQ(cls.toString(), "test.Window");
    EXPECT_EQ(cls.get("isQuit"), Value(false));
    cls.set("isQuit", 1);
    EXPECT_TRUE(Window::isQuit);
    Window::isQuit = false;
    EXPECT_EQ(info.callStatic("kind", {}), Value("window"));
    EXPECT_EQ(cls.get("kind").call({}), Value("window"));
    EXPECT_TRUE(info.getStatic("none").isNull());
    EXPECT_THROW(info.setStatic("none", 1), Exception);
    EXPECT_THROW(info.setStatic("kind", 1), Exception);
}

TEST_F(ClassInfoTest, PrimitiveStaticIsTheTestSeam) {
    const ClassInfo& info = Window::staticClassInfo();
    std::vector<Value> seen;
    info.setStatic("window_create", Value(Function::of("recorder", [&](std::span<const Value> a) {
                       seen.assign(a.begin(), a.end());
                       return Value();
                   })));
    EXPECT_TRUE(info.getStatic("window_create").isFunction());
    create<Window>(std::string("r"));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].get("title"), Value("r"));
    EXPECT_THROW(info.setStatic("window_create", 3), Exception);
    info.setStatic("window_create", Value());
    try {
        create<Window>(std::string("n"));
        FAIL() << "calling a null primitive must raise";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Null primitive called: a primitive that was never bound");
    }
}

TEST_F(ClassInfoTest, TypedArgumentsRefuseWrongObjects) {
    auto w = create<GameWindow>(std::string("x"), 1);
    EXPECT_EQ(Value(w).callMember("twice", {"3"}), Value(0));
    EXPECT_THROW(fromValue<Ref<Size>>(Value(w)), Exception);
    EXPECT_EQ(fromValue<Ref<Window>>(Value(w)).get(), w.get());
    EXPECT_FALSE(fromValue<Ref<Window>>(Value()));
}

TEST_F(ClassInfoTest, ClassObjectOfAStaticOnlyClass) {
    Value app = Value::ofClass(App::staticClassInfo());
    EXPECT_EQ(ClassInfo::find("test.App"), &App::staticClassInfo());
    app.set("level", 2.9);
    EXPECT_EQ(App::level, 2);
    int quits = 0;
    app.set("app_quit", Value(functionOf("fake_quit", [&quits]() { ++quits; })));
    App::app_quit();
    app.callMember("app_quit", {});
    EXPECT_EQ(quits, 2);
    EXPECT_FALSE(App::staticClassInfo().canCreate());
    EXPECT_THROW(ClassInfo::createByName("test.App", {}), Exception);
    app.set("app_quit", Value());
}

TEST_F(ClassInfoTest, ListedMembersGoByTheirOwnNamesInTheOrderListed) {
    const ClassInfo& info = Listed::staticClassInfo();
    EXPECT_EQ(info.fields(), (std::vector<std::string>{"third", "first", "second"}));
    Value v(create<Listed>());
    EXPECT_EQ(v.get("second"), Value("two"));
    EXPECT_EQ(v.set("first", 5), Value(5));
    EXPECT_EQ(v.callMember("sum", {1, 2}), Value(8));
    EXPECT_EQ(v.callMember("both", {}), Value("two!"));
    info.setStatic("tag", "?");
    EXPECT_EQ(Listed::tag, "?");
    EXPECT_EQ(info.getStatic("count"), Value(0));
    EXPECT_EQ(info.callStatic("twice", {21}), Value(42));
    EXPECT_EQ(info.callStatic("next", {}), Value(1));
    EXPECT_EQ(info.getStatic("count"), Value(1));
    Listed::tag = "!";
    Listed::count = 0;
}

}  // namespace
}  // namespace rt
