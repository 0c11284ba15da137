#include "lobby/download/download_game.h"

#include <exception>

#include "lobby/bindings/cef/cef_browser.h"
#include "lobby/bindings/cef/cef_frame.h"
#include "lobby/bindings/cef/cef_window.h"
#include "lobby/download/file_pool.h"
#include "lobby/download/game_file_lists.h"
#include "lobby/download/lobby_values.h"
#include "lobby/download/safe_path.h"
#include "runtime/class_builder.h"
#include "runtime/file.h"
#include "runtime/file_system.h"
#include "runtime/strings.h"
#include "runtime/thread.h"
#include "runtime/trace.h"

namespace {

std::string text(const rt::Value& v) {
    return rt::fromValue<std::string>(v);
}

rt::Ref<rt::Array> arrayOf(const std::vector<std::string>& items) {
    auto array = rt::make<rt::Array>();
    for (const std::string& item : items) array->push(rt::Value(item));
    return array;
}

std::vector<std::string> textsOf(const rt::Value& array) {
    std::vector<std::string> texts;
    if (rt::Ref<rt::Array> a = array.asArray()) {
        for (const rt::Value& v : a->items()) texts.push_back(text(v));
    }
    return texts;
}

bool holds(const rt::Value& array, const std::string& value) {
    for (const std::string& item : textsOf(array)) {
        if (item == value) return true;
    }
    return false;
}

// The installation folder without its closing separator, the prefix of every game file path.
std::string installRoot() {
    std::string app = download::LobbyValues::appPath();
    return app.empty() ? app : app.substr(0, app.size() - 1);
}

rt::Ref<rt::Record> fileAt(const rt::Ref<rt::Record>& module, int32_t index) {
    rt::Ref<rt::Array> files = module ? module->get("downloads").asArray() : nullptr;
    return files ? files->get(index).asRecord() : nullptr;
}

}  // namespace

namespace lobby {

download::ProgressList DownloadGame::progressList;
rt::Primitive DownloadGame::plug_create;
rt::Primitive DownloadGame::plug_downloadgame;
rt::Primitive DownloadGame::plug_destroy;

void DownloadGame::initStatics() {
    plug_create = rt::Primitive::load("DownLoadGame", "plug_create", 1);
    plug_downloadgame = rt::Primitive::load("DownLoadGame", "plug_downloadgame", 4);
    plug_destroy = rt::Primitive::load("DownLoadGame", "plug_destroy", 1);
}

void DownloadGame::construct() {
    packageFiles = rt::make<rt::Record>();
    curDownModuleInx = -1;
    serverGameList = rt::make<rt::Array>();
    localList = nullptr;
    serverVerEndInx = 0;
    updateState = 0;
    updateFiles = rt::make<rt::Array>();
    downloadList = nullptr;
    gamePlug = plug_create(rt::Ref<DownloadGame>(this));
    if (gamePlug.isNull()) RT_TRACE("plug create error!");
}

void DownloadGame::onDestroy() {
    RT_TRACE("destroy download");
    if (!gamePlug.isNull()) plug_destroy(gamePlug);
    gamePlug = rt::Value();
}

void DownloadGame::onInstallOk(std::optional<std::string> name) {
    callPage("onInstallOk", rt::Array::of({rt::Value(name.value_or(""))}));
}

void DownloadGame::onDownloadStart(rt::Value data) {
    if (!progressList.exists()) progressList.create();
    if (data.isNull() && updateState == 2) {
        callPage("onDownloadStart", rt::Value());
        return;
    }
    std::vector<download::ServerEntry> entries;
    try {
        entries = download::parseServerList(text(data));
    } catch (const std::exception& e) {
        onDownloadError(rt::Record::of({{"name", "@ini"},
                                        {"file", ""},
                                        {"msg", std::string("bad server list: ") + e.what()}}));
        return;
    }
    listFetch_ = ListFetch::Idle;
    std::string root = installRoot();
    rt::Ref<rt::Array> versions = download::LobbyValues::versions();
    rt::Ref<rt::Array> fileLists = download::LobbyValues::versionFileList();
    for (const download::ServerEntry& entry : entries) {
        for (const std::string& name : entry.modules) {
            if (!holds(serverGameList, name)) serverGameList->push(rt::Value(name));
        }
        std::string recorded = getFileMd5(entry.file);
        bool missing = !rt::FileSystem::exists(root + entry.file);
        if (!missing && recorded == entry.md5) continue;
        updateFiles->push(rt::Record::of(
            {{"file", entry.file},
             {"state", kWaiting},
             {"modules", arrayOf(entry.modules)},
             {"md5", entry.md5},
             {"vers", download::candidateVersions(entry.file, versions.get(), fileLists.get())}}));
    }
    std::string staging = download::LobbyValues::updateLocalRoot();
    if (updateFiles->size() > 0 && !rt::FileSystem::exists(staging)) {
        rt::FileSystem::createDirectory(staging);
    }
    updateState = 2;
    callPage("onDownloadStart", rt::Value());
}

void DownloadGame::onDownloading(rt::Value) {
    if (!downloadList) return;
    int32_t count = downloadList->size();
    ++curDownModuleInx;
    if (curDownModuleInx >= count || curDownModuleInx < 0) curDownModuleInx = 0;
    for (int32_t step = 0; step < count; ++step) {
        int32_t i = (curDownModuleInx + step) % count;
        rt::Ref<rt::Record> module = moduleAt(i);
        if (module && module->get("state").toInt() < kModuleFinished &&
            module->get("index").toInt() < module->get("count").toInt()) {
            curDownModuleInx = i;
            downloadModule();
            return;
        }
    }
}

void DownloadGame::onDownloadError(rt::Value error) {
    RT_TRACE(error);
    if (listFetch_ == ListFetch::Running && text(error.get("name")) == "@ini") {
        listFetch_ = ListFetch::Failed;
    }
    callPage("onDownloadError",
             rt::Array::of({error.get("name"), error.get("file"), error.get("msg")}));
}

std::string DownloadGame::getFileMd5(std::string path) {
    if (!localList) localList = readLocalList();
    rt::Ref<rt::Record> entry = localList->get(path).asRecord();
    return entry ? text(entry->get("md5")) : std::string();
}

rt::Ref<rt::Record> DownloadGame::readLocalList() {
    const std::string listPath = download::LobbyValues::appPath() + "update.ini";
    if (!rt::FileSystem::exists(listPath)) return rt::make<rt::Record>();
    try {
        return download::parseLocalList(rt::File::getContent(listPath));
    } catch (const std::exception& e) {
        // Kept for the user to look at; the files it named are checked against the server again.
        const std::string aside = listPath + ".unreadable";
        rt::FileSystem::rename(listPath, aside);
        RT_TRACE(std::string("the local game file list is unreadable (") + e.what() +
                 "); kept as " + aside + ", starting from an empty list");
        return rt::make<rt::Record>();
    }
}

void DownloadGame::onCopyResult(rt::Value result) {
    if (!downloadList || result.get("queue").toInt() != queueTag_) return;
    rt::Ref<rt::Record> module = moduleAt(result.get("module").toInt());
    if (!module) return;
    if (!result.get("error").isNull()) {
        failModule(module, "", text(result.get("error")));
        return;
    }
    registerGame(module);
}

void DownloadGame::onDownItem(rt::Value result) {
    if (!downloadList || result.get("queue").toInt() != queueTag_) return;
    int32_t moduleInx = result.get("module").toInt();
    rt::Ref<rt::Record> module = moduleAt(moduleInx);
    int32_t fileInx = result.get("fileInx").toInt();
    rt::Ref<rt::Record> file = fileAt(module, fileInx);
    if (!file) return;
    if (inFlight_.erase(file.get()) > 0 && file->get("state").toInt() == kDownloading) {
        if (!awaited(file)) {
            early_[file.get()] = result;
            file->set("state", kWaiting);
            fetchAhead();
            return;
        }
        // The file may have been fetched for another module that needs it too.
        moduleInx = curDownModuleInx;
        module = moduleAt(moduleInx);
        fileInx = module->get("index").toInt();
    }
    int32_t state = result.get("state").toInt();
    std::string error = text(result.get("error"));
    file->set("state", state);
    if (state == kWaiting || state == kDownloading) {
        // Every server failed (an error text came back), or the request returned before the
        // last byte: the file failed all the same, so the rotation goes on.
        if (error.empty()) {
            error = state == kWaiting
                        ? "download of " + text(file->get("file")) + " failed"
                        : "download of " + text(file->get("file")) + " ended before its last byte";
        }
        state = kFailed;
    }
    if (state == kFailed) {
        module->set("state", kModuleFinished);
        file->set("state", kWaiting);
        onDownloadError(rt::Record::of(
            {{"name", module->get("name")}, {"file", file->get("file")}, {"msg", error}}));
    } else if (state == kDownloaded || state == kInstalled) {
        int32_t next = module->get("index").toInt() + 1;
        if (next == module->get("count").toInt()) copyFiles(moduleInx);
        module->set("index", next);
    }
    onDownloading(rt::Value());
}

void DownloadGame::downloadModule() {
    rt::Ref<rt::Record> module = moduleAt(curDownModuleInx);
    if (!module) return;
    try {
        int32_t index = module->get("index").toInt();
        rt::Ref<rt::Record> file = fileAt(module, index);
        if (!file)
            throw rt::Exception("module " + text(module->get("name")) + " has no file " +
                                std::to_string(index));
        int32_t state = file->get("state").toInt();
        if (state == kFailed) {
            state = kWaiting;
            file->set("state", state);
        }
        auto early = early_.find(file.get());
        if (state == kWaiting && early != early_.end()) {
            rt::Value result = early->second;
            early_.erase(early);
            applyResult(rt::Record::of({{"module", curDownModuleInx},
                                        {"state", result.get("state")},
                                        {"error", result.get("error")},
                                        {"fileInx", index},
                                        {"queue", queueTag_}}));
        } else if (state == kWaiting) {
            startFile(curDownModuleInx, index, file);
        } else if (state == kDownloaded || state == kInstalled) {
            applyResult(rt::Record::of({{"module", curDownModuleInx},
                                        {"state", state},
                                        {"error", ""},
                                        {"fileInx", index},
                                        {"queue", queueTag_}}));
        }
        // Inside a run of results the files of those still to come are not taken yet.
        if (!applying_) fetchAhead();
    } catch (const std::exception& e) {
        failModule(module, "", e.what());
    }
}

void DownloadGame::clearDownList() {
    if (!downloadList) return;
    for (const rt::Value& m : downloadList->items()) {
        if (m.get("state").toInt() < kModuleFinished) return;
    }
    std::string staging = download::LobbyValues::updateLocalRoot();
    for (const rt::Value& f : updateFiles->items()) {
        std::string file = text(f.get("file"));
        if (f.get("state").toInt() <= kDownloaded || !download::isSafeGamePath(file)) continue;
        try {
            if (rt::FileSystem::exists(staging + file)) rt::FileSystem::deleteFile(staging + file);
        } catch (const std::exception& e) {
            RT_TRACE(e.what());
        }
    }
    downloadList = nullptr;
    if (updateState == 1) updateState = 0;
    curDownModuleInx = -1;
    progressList.drop();
}

void DownloadGame::removeDownload(rt::Value) {
    if (!downloadList) return;
    for (const rt::Value& m : downloadList->items()) m.set("state", kModuleFinished);
}

void DownloadGame::registerGame(rt::Value moduleValue) {
    rt::Ref<rt::Record> module = moduleValue.asRecord();
    if (!module) return;
    std::string name = text(module->get("name"));
    try {
        rt::Ref<rt::Array> files = module->get("downloads").asArray();
        if (files && files->size() > 0) {
            getFileMd5("");
            for (const rt::Value& f : files->items()) {
                if (f.get("state").toInt() != kDownloaded) continue;
                localList->set(text(f.get("file")),
                               rt::Record::of({{"md5", f.get("md5")},
                                               {"dep", rt::join(textsOf(f.get("modules")), ",")}}));
            }
            rt::File::replaceContent(download::LobbyValues::appPath() + "update.ini",
                                     download::localListText(*localList));
            download::LobbyValues::addGameToUserSet(name);
            for (const rt::Value& f : files->items()) {
                if (f.get("state").toInt() == kDownloaded) f.set("state", kInstalled);
            }
            module->set("state", kModuleInstalled);
        } else {
            module->set("state", kModuleFinished);
            download::LobbyValues::addGameToUserSet(name);
        }
        onInstallOk(name);
    } catch (const std::exception& e) {
        RT_TRACE(e.what());
        failModule(module, "", "reg error");
    }
}

void DownloadGame::copyFiles(int32_t index) {
    rt::Ref<rt::Record> module = moduleAt(index);
    if (!module) return;
    try {
        auto files = rt::make<rt::Array>();
        if (rt::Ref<rt::Array> downloads = module->get("downloads").asArray()) {
            for (const rt::Value& f : downloads->items()) {
                if (f.get("state").toInt() == kDownloaded) files->push(f.get("file"));
            }
        }
        startWorker("copyFilesThread",
                    rt::Record::of({{"files", files},
                                    {"module", index},
                                    {"srcPath", download::LobbyValues::updateLocalRoot()},
                                    {"dstPath", installRoot()},
                                    {"queue", queueTag_}}));
    } catch (const std::exception& e) {
        failModule(module, "", e.what());
    }
}

void DownloadGame::download(std::string name, bool start) {
    if (!downloadList) newQueue();
    for (const rt::Value& m : downloadList->items()) {
        if (text(m.get("name")) == name && m.get("state").toInt() < kModuleFinished) return;
    }
    auto files = rt::make<rt::Array>();
    for (const rt::Value& f : updateFiles->items()) {
        if (holds(f.get("modules"), "@gameall") || holds(f.get("modules"), name)) files->push(f);
    }
    if (files->size() == 0) {
        if (!holds(serverGameList, name)) {
            onDownloadError(rt::Record::of({{"name", name}, {"file", ""}, {"msg", "reg error"}}));
        } else {
            registerGame(rt::Record::of({{"name", name},
                                         {"downloads", rt::make<rt::Array>()},
                                         {"index", 0},
                                         {"state", kModuleActive},
                                         {"count", 0}}));
        }
    } else {
        downloadList->push(rt::Record::of({{"name", name},
                                           {"downloads", files},
                                           {"index", 0},
                                           {"state", kModuleActive},
                                           {"count", files->size()}}));
    }
    if (start) {
        curDownModuleInx = -1;
        onDownloading(rt::Value());
    }
}

void DownloadGame::downloadGames(rt::Value names) {
    std::vector<std::string> list = textsOf(names);
    if (list.empty()) return;
    if (!downloadList) newQueue();
    bool active = false;
    for (const rt::Value& m : downloadList->items()) {
        if (m.get("state").toInt() < kModuleFinished) active = true;
    }
    if (!active && downloadList->size() > 0) {
        clearDownList();
        newQueue();
    }
    for (size_t i = 0; i < list.size(); ++i) download(list[i], !active && i + 1 == list.size());
}

void DownloadGame::toDownload(rt::Value) {
    if (!downloadList) newQueue();
    rt::Ref<rt::Array> versions = download::LobbyValues::versions();
    bool haveVersions = versions && versions->size() > 0;
    bool again = updateState == 1 && (listFetch_ == ListFetch::Failed ||
                                      (listFetch_ == ListFetch::NoVersions && haveVersions));
    if (updateState == 0 || again) {
        updateState = 1;
        if (haveVersions) {
            serverVerEndInx = versions->size() - 1;
            listFetch_ = ListFetch::Running;
            try {
                startWorker("getServerUpdateIni",
                            rt::Record::of({{"server", download::LobbyValues::updateServerUrl()},
                                            {"path", "/" + download::LobbyValues::serverVerPath() +
                                                         "/update.ini"}}));
            } catch (...) {
                listFetch_ = ListFetch::Failed;
                throw;
            }
        } else {
            listFetch_ = ListFetch::NoVersions;
            onDownloadError(rt::Record::of({{"name", "@ini"}, {"file", ""}, {"msg", "no init"}}));
        }
    } else if (updateState == 2) {
        onDownloadStart(rt::Value());
    }
}

void DownloadGame::downloadFinish(std::string name) {
    download::LobbyValues::addGameToUserSet(name);
    onInstallOk(name);
    RT_TRACE(name);
}

void DownloadGame::downloadClient(std::string a, std::string b) {
    std::string url = download::LobbyValues::configValue("download_url");
    if (gamePlug.isNull()) return;
    plug_downloadgame(gamePlug, url, a, b);
}

rt::Value DownloadGame::getDownloadInfos() {
    if (!progressList.exists()) return rt::Value();
    auto answer = rt::make<rt::Array>();
    while (std::optional<download::ProgressSnapshot> s = progressList.take()) {
        if (s->queue != queueTag_ || !downloadList) continue;
        rt::Ref<rt::Record> module = moduleAt(s->module);
        if (!module) continue;
        int32_t count = module->get("count").toInt();
        double done = s->progress * 0.01 + s->index;
        double overall = done > 0 && count > 0 ? done / count * 100 : 0;
        rt::Ref<rt::Record> record;
        for (const rt::Value& r : answer->items()) {
            if (r.get("module").toInt() == s->module) record = r.asRecord();
        }
        if (!record) {
            answer->push(rt::Record::of({{"module", s->module},
                                         {"name", module->get("name")},
                                         {"progress", overall},
                                         {"speed", s->speed},
                                         {"cur", static_cast<double>(s->index)},
                                         {"end", count}}));
        } else {
            record->set("progress", overall);
            record->set("speed", s->speed);
            record->set("cur", static_cast<double>(s->index));
        }
    }
    return answer->size() > 0 ? rt::Value(answer) : rt::Value();
}

int32_t DownloadGame::indexOf(rt::Value array, rt::Value value) {
    if (rt::Ref<rt::Array> a = array.asArray()) {
        for (int32_t i = 0; i < a->size(); ++i) {
            if (a->get(i) == value) return i;
        }
    }
    return -1;
}

void DownloadGame::newQueue() {
    static std::atomic<int32_t> lastTag{0};
    // Downloads still running belong to the old queue: their files wait again in the new one.
    for (const auto& [key, file] : inFlight_) {
        if (file->get("state").toInt() == kDownloading) file->set("state", kWaiting);
    }
    inFlight_.clear();
    early_.clear();
    downloadList = rt::make<rt::Array>();
    queueTag_ = ++lastTag;
    if (!progressList.exists()) progressList.create();
}

rt::Ref<rt::Record> DownloadGame::moduleAt(int32_t index) const {
    return downloadList ? downloadList->get(index).asRecord() : nullptr;
}

void DownloadGame::failModule(const rt::Ref<rt::Record>& module, const std::string& file,
                              const std::string& message) {
    module->set("state", kModuleFinished);
    onDownloadError(
        rt::Record::of({{"name", module->get("name")}, {"file", file}, {"msg", message}}));
}

void DownloadGame::callPage(const char* function, rt::Value args) {
    rt::Ref<cef::CefWindow> window = download::LobbyValues::lobbyWindow();
    rt::Ref<cef::CefBrowser> browser = window ? window->get_cefBrowser() : nullptr;
    rt::Ref<cef::CefFrame> frame = browser ? browser->getMainFrame() : nullptr;
    if (frame) frame->invokeJsFunc(std::string(function), std::move(args));
}

void DownloadGame::startFile(int32_t module, int32_t index, const rt::Ref<rt::Record>& file) {
    rt::Ref<rt::Array> vers = file->get("vers").asArray();
    rt::Value job(rt::Record::of({{"module", module},
                                  {"file", file->get("file")},
                                  {"ver", (vers ? vers->size() : 0) - 1},
                                  {"state", kWaiting},
                                  {"vers", file->get("vers")},
                                  {"server", download::LobbyValues::updateServerUrl()},
                                  {"fileInx", index},
                                  {"upPath", download::LobbyValues::updateLocalRoot()},
                                  {"md5", file->get("md5")},
                                  {"queue", queueTag_}}));
    rt::Ref<DownloadGame> self(this);
    download::FilePool::shared().run([self, job] {
        rt::Thread::current()->sendMessage(job);
        rt::Value(self).callMember("downloadItem", {});
    });
    file->set("state", kDownloading);
    inFlight_[file.get()] = file;
}

void DownloadGame::fetchAhead() {
    if (!downloadList || downloadList->size() == 0) return;
    int32_t count = downloadList->size();
    int32_t first = curDownModuleInx >= 0 && curDownModuleInx < count ? curDownModuleInx : 0;
    for (int32_t step = 0; step < count && inFlight_.size() < kFilesInFlight; ++step) {
        int32_t m = (first + step) % count;
        rt::Ref<rt::Record> module = moduleAt(m);
        if (!module || module->get("state").toInt() >= kModuleFinished) continue;
        int32_t files = module->get("count").toInt();
        for (int32_t i = module->get("index").toInt();
             i < files && inFlight_.size() < kFilesInFlight; ++i) {
            rt::Ref<rt::Record> file = fileAt(module, i);
            if (!file || file->get("state").toInt() != kWaiting) continue;
            if (early_.count(file.get()) == 0 &&
                download::isSafeGamePath(text(file->get("file")))) {
                startFile(m, i, file);
            }
        }
    }
}

bool DownloadGame::awaited(const rt::Ref<rt::Record>& file) const {
    rt::Ref<rt::Record> module = moduleAt(curDownModuleInx);
    return module && module->get("state").toInt() < kModuleFinished &&
           fileAt(module, module->get("index").toInt()).get() == file.get();
}

void DownloadGame::applyResult(rt::Value result) {
    pendingResults_.push_back(std::move(result));
    if (applying_) return;
    applying_ = true;
    try {
        while (!pendingResults_.empty()) {
            rt::Value next = std::move(pendingResults_.front());
            pendingResults_.pop_front();
            onDownItem(std::move(next));
        }
    } catch (...) {
        applying_ = false;
        pendingResults_.clear();
        throw;
    }
    applying_ = false;
    fetchAhead();
}

void DownloadGame::startWorker(const char* body, rt::Ref<rt::Record> message) {
    rt::Ref<DownloadGame> self(this);
    std::string member(body);
    rt::Ref<rt::Thread> thread =
        rt::Thread::create([self, member] { rt::Value(self).callMember(member, {}); });
    thread->sendMessage(rt::Value(message));
}

const rt::ClassInfo& DownloadGame::staticClassInfo() {
    using D = DownloadGame;
    static const rt::ClassInfo& info =
        rt::ClassBuilder<D>("DownloadGame")
            .field("package_files", &D::packageFiles)
            .fields(RT_NAMED(D, curDownModuleInx, serverGameList, localList, serverVerEndInx,
                             updateState, updateFiles, downloadList, gamePlug))
            .method("OnDestroy", &D::onDestroy)
            .methods(RT_NAMED(D, onInstallOk, onDownloadStart, onDownloading, onDownloadError,
                              getServerUpdateIni, getFileMd5, onCopyResult, copyFilesThread,
                              onDownItem, downloadItem, downloadModule, clearDownList,
                              removeDownload, registerGame, copyFiles, download, downloadGames,
                              toDownload))
            .method("DownLoadFinish", &D::downloadFinish)
            .method("DownloadClient", &D::downloadClient)
            .method("getDownloadInfos", &D::getDownloadInfos)
            .staticFields(RT_NAMED(D, plug_create, plug_downloadgame, plug_destroy))
            .staticMethods(RT_NAMED(D, initStatics, createDir, indexOf))
            .constructor(&D::construct)
            .build();
    return info;
}

RT_REGISTER_CLASS(DownloadGame);

}  // namespace lobby
