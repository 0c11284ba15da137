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
                                       .field("height", &Size::height)
                                       .field("width", &Size::width)
                                       .constructor(&Size::construct)
                                       .build();
    return info;
}
RT_REGISTER_CLASS(Size);

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
    static const ClassInfo& info = ClassBuilder<Window>("test.Window")
                                       .field("title", &Window::title)
                                       .field("shown", &Window::shown)
                                       .method("setShow", &Window::setShow)
                                       .method("on_create", &Window::on_create)
                                       .property("url", &Window::get_url, &Window::set_url)
                                       .staticField("isQuit", &Window::isQuit)
                                       .staticField("created", &Window::created)
                                       .staticField("window_create", &Window::window_create)
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

}  // namespace rt::testing_classes

namespace rt {
namespace {

using testing_classes::GameWindow;
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

}  // namespace
}  // namespace rt
