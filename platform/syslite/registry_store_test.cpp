#include "platform/syslite/registry_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "runtime/test_folder.h"

namespace syslite {
namespace {

constexpr int kUser = 1;
constexpr int kMachine = 2;

TEST(RegistryStore, ValuesSurviveANewStoreAndKeepRootsApart) {
    rt::testing::TestFolder dir;
    RegistryStore(dir.path()).set(kUser, "Software\\Unity\\WebPlayer", "Directory", "C:\\Unity");
    RegistryStore(dir.path()).set(kMachine, "Software\\Unity\\WebPlayer", "Directory", "other");

    RegistryStore store(dir.path());
    EXPECT_EQ(store.get(kUser, "Software\\Unity\\WebPlayer", "Directory"), "C:\\Unity");
    EXPECT_EQ(store.get(kMachine, "Software\\Unity\\WebPlayer", "Directory"), "other");
    EXPECT_EQ(store.get(kUser, "Software\\Unity\\WebPlayer", "Missing"), std::nullopt);
    EXPECT_EQ(store.get(0, "Software\\Unity\\WebPlayer", "Directory"), std::nullopt);
}

TEST(RegistryStore, KeysMatchInAnyCaseAndIgnoreSurplusSeparators) {
    rt::testing::TestFolder dir;
    RegistryStore store(dir.path());
    store.set(kUser, "\\Software\\\\Velto\\", "Path", "one");
    EXPECT_EQ(store.get(kUser, "software\\VELTO", "path"), "one");
    store.set(kUser, "SOFTWARE\\velto", "PATH", "two");
    EXPECT_EQ(store.get(kUser, "Software\\Velto", "Path"), "two");
}

TEST(RegistryStore, OddNamesStayInsideTheStoreAndRoundTrip) {
    rt::testing::TestFolder dir;
    std::string folder = dir / "registry";
    RegistryStore store(folder);
    std::string key = "..\\..\\..\\etc/passwd\\a\tb";
    std::string name = "line\nbreak\\and\ttab";
    std::string value = "C:\\dir\\\\x\r\n\"quoted\"\\t";
    store.set(kUser, key, name, value);
    store.set(kUser, "/tmp/../x", "", "default value");

    EXPECT_EQ(RegistryStore(folder).get(kUser, key, name), value);
    EXPECT_EQ(RegistryStore(folder).get(kUser, "/tmp/../x", ""), "default value");
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path())) {
        files.push_back(std::filesystem::relative(e.path(), dir.path()).string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"registry", "registry/HKEY_CURRENT_USER.lock",
                                               "registry/HKEY_CURRENT_USER.reg"}));
}

TEST(RegistryStore, DeleteKeyRemovesTheKeyAndWhatIsBelowItOnly) {
    rt::testing::TestFolder dir;
    RegistryStore store(dir.path());
    store.set(kUser, "Software\\Unity", "a", "1");
    store.set(kUser, "Software\\Unity\\WebPlayer", "b", "2");
    store.set(kUser, "Software\\UnityX", "c", "3");
    store.set(kUser, "Software", "d", "4");

    EXPECT_TRUE(store.deleteKey(kUser, "software\\unity\\"));
    EXPECT_EQ(store.get(kUser, "Software\\Unity", "a"), std::nullopt);
    EXPECT_EQ(store.get(kUser, "Software\\Unity\\WebPlayer", "b"), std::nullopt);
    EXPECT_EQ(store.get(kUser, "Software\\UnityX", "c"), "3");
    EXPECT_EQ(store.get(kUser, "Software", "d"), "4");
    EXPECT_FALSE(store.deleteKey(kUser, "Software\\Unity"));
}

TEST(RegistryStore, RefusesUnknownRootsAndDeletingARoot) {
    rt::testing::TestFolder dir;
    RegistryStore store(dir.path());
    EXPECT_THROW(store.set(7, "k", "n", "v"), std::invalid_argument);
    EXPECT_THROW(store.get(-1, "k", "n"), std::invalid_argument);
    EXPECT_THROW(store.deleteKey(kUser, "\\"), std::invalid_argument);
    EXPECT_EQ(RegistryStore::rootName(6), "HKEY_DYN_DATA");
}

TEST(RegistryStore, DamagedLinesAndLeftoversOfACrashDoNotLoseTheRest) {
    rt::testing::TestFolder dir;
    RegistryStore store(dir.path());
    store.set(kUser, "K", "good", "kept");
    {
        std::ofstream out(dir / "HKEY_CURRENT_USER.reg", std::ios::app);
        out << "only-one-field\nbad\\qescape\tn\tv\n";
    }
    std::ofstream(dir / "HKEY_CURRENT_USER.reg.Ab12Cd") << "half writ";

    EXPECT_EQ(store.get(kUser, "K", "good"), "kept");
    store.set(kUser, "K", "more", "added");
    EXPECT_EQ(store.get(kUser, "K", "good"), "kept");
    EXPECT_EQ(store.get(kUser, "K", "more"), "added");
}

TEST(RegistryStore, ConcurrentWritersLoseNoValue) {
    rt::testing::TestFolder dir;
    constexpr int kThreads = 4;
    constexpr int kEach = 15;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            RegistryStore store(dir.path());
            for (int i = 0; i < kEach; ++i) {
                store.set(kUser, "K", std::to_string(t) + "-" + std::to_string(i), "v");
            }
        });
    }
    for (auto& w : writers) w.join();
    RegistryStore store(dir.path());
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kEach; ++i) {
            EXPECT_EQ(store.get(kUser, "K", std::to_string(t) + "-" + std::to_string(i)), "v");
        }
    }
}

}  // namespace
}  // namespace syslite
