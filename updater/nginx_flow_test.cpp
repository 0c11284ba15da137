#include <gtest/gtest.h>

#include <fmt/format.h>

#include "tools/testhttp/nginx_fixture.h"
#include "updater/flow_fixture.h"
#include "updater/local_file.h"
#include "updater/manifest_writer.h"
#include "updater/test_folder.h"

namespace haldor {
namespace {

CUpdateFile Published(const TestFolder& root, const std::string& version, const std::string& name,
                      const std::string& bytes, const std::string& local_path) {
    root.Write("update/" + version + "/" + local_path + "/" + name, bytes);
    CUpdateFile f;
    f.file_name = name;
    f.local_path = local_path;
    f.length = bytes.size();
    f.md5 = Md5Of(bytes);
    f.file_time = {0x5A5A0000u, 0x01D5C000u};
    return f;
}

TEST(NginxFlowTest, UpdatesFromARealServer) {
    if (auto why = testhttp::NginxFixture::unavailable()) GTEST_SKIP() << *why;
    TestFolder root;
    std::string big(3 * 1024 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
    auto pak = Published(root, "1", "data.pak", big, "res");
    auto dll = Published(root, "1", "small.dll", "abc", "res");
    testhttp::NginxFixture nginx({root.path(), std::nullopt});
    std::string address = fmt::format("127.0.0.1:{}", nginx.port());
    root.Write("update/VerAndUrl.xml", ManifestText({"2", "2", {address}}, {}));
    root.Write("update/1/FileConfig.xml", ManifestText({"2", "", {}}, {pak, dll}));
    root.Write("update/2/FileConfig.xml", ManifestText({"2", "", {}}, {}));

    Installation place;
    place.SetState("1", {address});
    HaldorRun run(place);
    EXPECT_EQ(run.Wait(), 0);
    EXPECT_TRUE(run.Saw("下载文件成功 [data.pak]")) << run.Transcript() << nginx.errorLog();
    EXPECT_EQ(place.dir().Read("res/data.pak"), big);
    EXPECT_EQ(place.dir().Read("res/small.dll"), "abc");
    EXPECT_EQ(ReadLocalFile(place.dir() / "res/data.pak")->write_time, pak.file_time);
    EXPECT_EQ(place.Ini("Version", "CurrentVersion"), "2");
    EXPECT_TRUE(place.LobbyStarted());
}

}  // namespace
}  // namespace haldor
