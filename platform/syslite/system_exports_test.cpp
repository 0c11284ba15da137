#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/syslite/primitives_fixture.h"
#include "runtime/array.h"
#include "runtime/record.h"

namespace syslite {
namespace {

using rt::Value;
using testing::call;

constexpr int kUser = 1;

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeScript(const std::string& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), 0755);
}

// Waits, within a generous bound, for a file another process writes.
std::string awaitFile(const std::string& path) {
    for (int i = 0; i < 400 && !std::filesystem::exists(path); ++i) ::usleep(25000);
    for (int i = 0; i < 400 && readFile(path).empty(); ++i) ::usleep(25000);
    return readFile(path);
}

using SystemTest = testing::PrimitivesTest;

TEST_F(SystemTest, RegistryValuesPersistUnderTheHomeFolder) {
    call("registry_set_value",
         {Value(kUser), Value("Software\\Unity\\WebPlayer"), Value("Directory"), Value("D:\\u")});
    EXPECT_EQ(call("registry_get_value",
                   {Value(kUser), Value("software\\unity\\webplayer"), Value("directory")}),
              Value("D:\\u"));
    EXPECT_TRUE(std::filesystem::exists(dir_ / "home/registry/HKEY_CURRENT_USER.reg"));
    EXPECT_TRUE(
        call("registry_get_value", {Value(kUser), Value("Software\\Nope"), Value("x")}).isNull());

    call("registry_delete_key", {Value(kUser), Value("Software\\Unity")});
    EXPECT_TRUE(call("registry_get_value",
                     {Value(kUser), Value("Software\\Unity\\WebPlayer"), Value("Directory")})
                    .isNull());
}

TEST_F(SystemTest, RegistryFailuresAnswerNullAndSayWhy) {
    EXPECT_TRUE(call("registry_get_value", {Value(9), Value("k"), Value("n")}).isNull());
    call("registry_delete_key", {Value(kUser), Value("")});
    EXPECT_NE(logText().find("registry_get_value failed: unknown registry root 9"),
              std::string::npos);
    EXPECT_NE(logText().find("registry_delete_key failed"), std::string::npos);
}

TEST_F(SystemTest, ScreenSizeAndModesFollowTheSetting) {
    answer("screen = 1024x768\n");
    Value size = call("display_get_screen_size", {});
    EXPECT_EQ(size.get("w"), Value(1024));
    EXPECT_EQ(size.get("h"), Value(768));
    EXPECT_TRUE(call("display_is_mode_supported", {Value(800), Value(600), Value(32)}).toBool());
    EXPECT_FALSE(call("display_is_mode_supported", {Value(1280), Value(1024), Value(32)}).toBool());
    EXPECT_FALSE(call("display_is_mode_supported", {Value(800), Value(600), Value(7)}).toBool());
    EXPECT_FALSE(call("display_set_mode", {Value(800), Value(600), Value(32)}).toBool());
    call("display_set_default_mode", {});
}

TEST_F(SystemTest, ScreenSizeWithoutASettingIsPositive) {
    Value size = call("display_get_screen_size", {});
    EXPECT_GT(size.get("w").toInt(), 0);
    EXPECT_GT(size.get("h").toInt(), 0);
}

TEST_F(SystemTest, DialogsAreLoggedAndAnsweredFromTheSettingOrCancelled) {
    call("dialogs_message_box", {Value("关于"), Value("Morvick 1.0"), Value(false)});
    EXPECT_NE(logText().find("message box \"关于\": \"Morvick 1.0\" answered OK"),
              std::string::npos);
    EXPECT_FALSE(call("dialogs_dialog_box", {Value("t"), Value("sure?"), Value(true)}).toBool());
    EXPECT_EQ(call("dialogs_save_file", {Value("t"), Value(""), Value("")}), Value(""));
    EXPECT_TRUE(call("dialogs_open_file", {Value("t"), Value(""), Value()}).isNull());
    EXPECT_EQ(call("dialogs_folder", {Value("t"), Value("")}), Value(""));

    answer("confirm = yes\nsave_file = /tmp/a.txt\nopen_file = /x/a | /x/b\nfolder = /x\n");
    EXPECT_TRUE(call("dialogs_dialog_box", {Value("t"), Value("sure?"), Value(true)}).toBool());
    EXPECT_EQ(call("dialogs_save_file", {Value("t"), Value(""), Value("")}), Value("/tmp/a.txt"));
    rt::Ref<rt::Array> files =
        call("dialogs_open_file", {Value("t"), Value(""), Value()}).asArray();
    ASSERT_TRUE(files);
    EXPECT_EQ(files->items(), (std::vector<Value>{Value("/x/a"), Value("/x/b")}));
    EXPECT_EQ(call("dialogs_folder", {Value("t"), Value("")}), Value("/x"));
}

TEST_F(SystemTest, ClipboardKeepsTextByteForByte) {
    EXPECT_EQ(call("clipboard_get_text", {}), Value(""));
    std::string text = "line\r\n\xe4\xbd\xa0\xe5\xa5\xbd\t\"x\"";
    call("clipboard_set_text", {Value(text)});
    EXPECT_EQ(call("clipboard_get_text", {}), Value(text));
    call("clipboard_clear", {});
    EXPECT_EQ(call("clipboard_get_text", {}), Value(""));
    call("clipboard_clear", {});
}

TEST_F(SystemTest, CreateProcessSplitsArgumentsAndRunsInTheFolder) {
    std::string work = dir_ / "work";
    std::filesystem::create_directory(work);
    writeScript(dir_ / "game",
                "pwd > \"$1\"; shift; for a in \"$@\"; do echo \"[$a]\"; done >> out\n");
    std::string out = dir_ / "out.txt";
    Value pid = call("win_create_process", {Value(dir_.path() + "\\game.exe"),
                                            Value("\"" + out + "\" /S \"two words\" a\\\"b"),
                                            Value(work), Value(true), Value(true)});
    EXPECT_GT(pid.toInt(), 0);
    EXPECT_EQ(readFile(out), std::filesystem::canonical(work).string() + "\n");
    EXPECT_EQ(readFile(work + "/out"), "[/S]\n[two words]\n[a\"b]\n");
}

TEST_F(SystemTest, CreateProcessWithoutWaitingStartsAndReturns) {
    std::string out = dir_ / "done";
    writeScript(dir_ / "tool", "echo started > \"$1\"\n");
    Value pid = call("win_create_process",
                     {Value(dir_ / "tool"), Value(out), Value(""), Value(false), Value(false)});
    EXPECT_GT(pid.toInt(), 0);
    EXPECT_EQ(awaitFile(out), "started\n");
}

TEST_F(SystemTest, CreateProcessRefusesMissingProgramsAndFolders) {
    writeScript(dir_ / "tool", "exit 0\n");
    EXPECT_EQ(call("win_create_process",
                   {Value(dir_ / "none.exe"), Value(""), Value(""), Value(false), Value(false)}),
              Value(0));
    EXPECT_EQ(call("win_create_process", {Value(dir_ / "tool"), Value(""), Value(dir_ / "nowhere"),
                                          Value(false), Value(false)}),
              Value(0));
    EXPECT_EQ(
        call("win_create_process", {Value(""), Value(""), Value(""), Value(false), Value(false)}),
        Value(0));
    EXPECT_NE(logText().find("no executable program"), std::string::npos);
    EXPECT_NE(logText().find("does not exist"), std::string::npos);
    EXPECT_FALSE(call("win_replace_exe_icon", {Value("a.exe"), Value("b.ico"), Value(1)}).toBool());
}

// A stand-in for the desktop's opener that records the address it was given.
class BrowserTest : public SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        const char* path = std::getenv("PATH");
        savedPath_ = path ? path : "";
        std::filesystem::create_directory(dir_ / "bin");
        ::setenv("PATH", (dir_ / "bin").c_str(), 1);
    }
    void TearDown() override {
        ::setenv("PATH", savedPath_.c_str(), 1);
        SystemTest::TearDown();
    }
    std::string savedPath_;
};

TEST_F(BrowserTest, OpensTheAddressWithTheDesktopOpener) {
    std::string seen = dir_ / "seen";
    writeScript(dir_ / "bin/xdg-open", "printf '%s|%s' \"$#\" \"$1\" > \"" + seen + "\"\n");
    std::string url = "http://127.0.0.1/a b?x=1&y=$(touch pwned)";
    EXPECT_TRUE(call("browser_launch", {Value(url)}).toBool());
    EXPECT_EQ(awaitFile(seen), "1|" + url);
    EXPECT_FALSE(std::filesystem::exists("pwned"));
}

// A bare program name that is no file in the working folder is found on the PATH, as the
// lobby starts the opener for payment pages.
TEST_F(BrowserTest, CreateProcessFindsABareProgramOnThePath) {
    std::string seen = dir_ / "seen";
    writeScript(dir_ / "bin/xdg-open", "printf '%s|%s' \"$#\" \"$1\" > \"" + seen + "\"\n");
    std::string url = "http://127.0.0.1:8080/payment/go?a=1&b=2";
    Value pid = call("win_create_process",
                     {Value("xdg-open"), Value(url), Value(""), Value(false), Value(true)});
    EXPECT_GT(pid.toInt(), 0);
    EXPECT_EQ(readFile(seen), "1|" + url);
    EXPECT_EQ(call("win_create_process",
                   {Value("no-such-opener"), Value(url), Value(""), Value(false), Value(false)}),
              Value(0));
}

TEST_F(BrowserTest, WithoutAnOpenerOrWithAnOptionLikeAddressNothingOpens) {
    EXPECT_FALSE(call("browser_launch", {Value("http://127.0.0.1/")}).toBool());
    EXPECT_NE(logText().find("no xdg-open"), std::string::npos);
    writeScript(dir_ / "bin/xdg-open", "touch \"" + (dir_ / "ran") + "\"\n");
    EXPECT_FALSE(call("browser_launch", {Value("--help")}).toBool());
    EXPECT_FALSE(call("browser_launch", {Value("")}).toBool());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "ran"));
}

}  // namespace
}  // namespace syslite
