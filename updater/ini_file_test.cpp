#include "updater/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "updater/test_folder.h"

namespace haldor {
namespace {

TEST(IniFile, MissingFileSectionOrKeyGivesTheDefault) {
    TestFolder dir;
    std::string ini = dir / "UpdateTemp.ini";
    EXPECT_EQ(GetProfileString(ini, "Version", "CurrentVersion", "0", 200), "0");
    dir.Write("UpdateTemp.ini", "[HOME]\r\nURL=http://127.0.0.1/\r\n");
    EXPECT_EQ(GetProfileString(ini, "Version", "CurrentVersion", "0", 200), "0");
    EXPECT_EQ(GetProfileString(ini, "HOME", "Other", "", 200), "");
}

TEST(IniFile, NamesIgnoreCaseAndValuesAreTrimmedAndCutToTheBuffer) {
    TestFolder dir;
    dir.Write("a.ini",
              "; comment\n[Temp]\n  temp1 =  127.0.0.1:8080  \n[Version]\nCurrentVersion=\"12\"\n");
    std::string ini = dir / "a.ini";
    EXPECT_EQ(GetProfileString(ini, "TEMP", "Temp1", "", 256), "127.0.0.1:8080");
    EXPECT_EQ(GetProfileString(ini, "Temp", "Temp1", "", 5), "127.");
    EXPECT_EQ(GetProfileString(ini, "version", "currentversion", "0", 200), "12");
    EXPECT_EQ(GetProfileString(ini, "Temp", "Temp1", "", 0), "");
}

TEST(IniFile, BufferCountsCharactersNotBytes) {
    TestFolder dir;
    dir.Write("a.ini", "[HOME]\nURL=\xE4\xB8\xAD\xE6\x96\x87x\n");
    EXPECT_EQ(GetProfileString(dir / "a.ini", "HOME", "URL", "", 3), "\xE4\xB8\xAD\xE6\x96\x87");
}

TEST(IniFile, WriteReplacesAddsAndKeepsOtherLines) {
    TestFolder dir;
    dir.Write("a.ini", "[Version]\r\nCurrentVersion=3\r\n\r\n[HOME]\r\nURL=home\r\n");
    std::string ini = dir / "a.ini";
    ASSERT_TRUE(WriteProfileString(ini, "version", "CURRENTVERSION", "5"));
    ASSERT_TRUE(WriteProfileString(ini, "Temp", "Temp1", "one"));
    ASSERT_TRUE(WriteProfileString(ini, "Version", "Extra", "x"));
    EXPECT_EQ(GetProfileString(ini, "Version", "CurrentVersion", "0", 200), "5");
    EXPECT_EQ(GetProfileString(ini, "Version", "Extra", "", 200), "x");
    EXPECT_EQ(GetProfileString(ini, "HOME", "URL", "", 200), "home");
    EXPECT_EQ(GetProfileString(ini, "Temp", "Temp1", "", 200), "one");
    std::string text = dir.Read("a.ini");
    EXPECT_LT(text.find("Extra=x"), text.find("[HOME]"));
}

TEST(IniFile, WriteCreatesTheFileAndLeavesNoTemporaryBehind) {
    TestFolder dir;
    ASSERT_TRUE(WriteProfileString(dir / "new.ini", "Temp", "Temp2", "b"));
    EXPECT_EQ(GetProfileString(dir / "new.ini", "Temp", "Temp2", "", 256), "b");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
    EXPECT_FALSE(WriteProfileString(dir / "missing/x.ini", "Temp", "Temp2", "b"));
}

TEST(IniFile, WritesThatWouldNotReadBackAreRefusedAndChangeNothing) {
    TestFolder dir;
    const std::string before = "[Version]\r\nCurrentVersion=3\r\n[Temp]\r\nTemp1=a\r\n";
    dir.Write("a.ini", before);
    std::string ini = dir / "a.ini";
    struct Write {
        const char* section;
        const char* key;
        std::string value;
    };
    for (const Write& w :
         {Write{"Version", "CurrentVersion", "5\r\n[HOME]\r\nURL=http://x"},
          Write{"Version", "CurrentVersion", "5\nx"}, Write{"Version", "CurrentVersion", "5\rx"},
          Write{"Version", "CurrentVersion", std::string("5\0x", 3)},
          Write{"Version", "CurrentVersion", " 5"}, Write{"Version", "CurrentVersion", "\"5\""},
          Write{"Temp", "Temp2\r\n[HOME]\r\nURL", "x"}, Write{"Temp", "Temp2=URL", "x"},
          Write{"Temp", "[x]", "x"}, Write{"Temp", "", "x"}, Write{"Te]mp", "Temp2", "x"},
          Write{"HOME\n", "URL", "x"}, Write{"", "URL", "x"}}) {
        EXPECT_FALSE(WriteProfileString(ini, w.section, w.key, w.value)) << w.key << "=" << w.value;
    }
    EXPECT_EQ(dir.Read("a.ini"), before);
    EXPECT_EQ(GetProfileString(ini, "HOME", "URL", "none", 200), "none");
    // Blanks, quotes and brackets inside a value are fine: it reads back as written.
    ASSERT_TRUE(WriteProfileString(ini, "HOME", "URL", "a \"b\" [c]=d"));
    EXPECT_EQ(GetProfileString(ini, "HOME", "URL", "", 200), "a \"b\" [c]=d");
}

}  // namespace
}  // namespace haldor
