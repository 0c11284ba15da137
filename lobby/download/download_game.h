#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>

#include "lobby/bindings/value_access.h"
#include "lobby/download/progress_list.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/primitive.h"
#include "runtime/record.h"
#include "runtime/value.h"

namespace lobby {

// The game download engine: the handler object of the download library "DownLoadGame". It
// fetches the server's game file list, queues the games (modules) the lobby page asks for,
// downloads their files into the staging folder, puts a finished module into the installation
// folder, records it in the local file list and the user settings, and tells the lobby page.
// Every member is reachable by name; the library calls `toDownload`, `downloadGames` and
// `downloadFinish` that way.
//
// Results are handled one file at a time per module, modules in turn, as the page expects; the
// downloads themselves run ahead of that on the file pool: besides the file whose result is
// awaited, the next waiting files of the queue (modules in turn from the current one) are
// fetched, up to kFilesInFlight at once. A file whose result comes before its turn reads as
// waiting until its turn takes the result.
//
// Everything but the three worker bodies runs on the UI thread. A worker reads one message from
// its thread queue, touches no field of the engine and hands its result back as a task posted
// through the lobby window. Each message and result carries the tag of the queue it belongs to;
// results of a queue that has been dropped meanwhile are ignored.
class DownloadGame : public rt::Object {
    RT_CLASS(DownloadGame)
public:
    // The states of a file record and of a module record, as the page reads them.
    enum FileState : int32_t {
        kWaiting = 0,
        kDownloading = 1,
        kDownloaded = 2,
        kFailed = 3,
        kInstalled = 4
    };
    enum ModuleState : int32_t { kModuleActive = 0, kModuleFinished = 2, kModuleInstalled = 3 };
    // Files downloaded at once, the awaited one included.
    static constexpr size_t kFilesInFlight = 4;

    rt::Ref<rt::Record> packageFiles;
    int32_t curDownModuleInx = -1;
    rt::Ref<rt::Array> serverGameList;
    // Installed file path to {md5, dep}; null until first read.
    rt::Ref<rt::Record> localList;
    int32_t serverVerEndInx = 0;
    // 0 server list not fetched, 1 being fetched, 2 fetched.
    int32_t updateState = 0;
    rt::Ref<rt::Array> updateFiles;
    rt::Ref<rt::Array> downloadList;
    rt::Value gamePlug;

    // Progress snapshots from the file workers, drained by getDownloadInfos.
    static download::ProgressList progressList;
    static rt::Primitive plug_create;
    static rt::Primitive plug_downloadgame;
    static rt::Primitive plug_destroy;

    // Binds the three primitives of "DownLoadGame"; a missing library throws.
    static void initStatics();

    void construct();

    virtual void onDestroy();
    virtual void onInstallOk(std::optional<std::string> name);
    virtual void onDownloadStart(rt::Value data);
    virtual void onDownloading(rt::Value ignored);
    virtual void onDownloadError(rt::Value error);
    virtual void getServerUpdateIni();
    virtual std::string getFileMd5(std::string path);
    virtual void onCopyResult(rt::Value result);
    virtual void copyFilesThread();
    virtual void onDownItem(rt::Value result);
    virtual void downloadItem();
    virtual void downloadModule();
    virtual void clearDownList();
    virtual void removeDownload(rt::Value name);
    virtual void registerGame(rt::Value module);
    virtual void copyFiles(int32_t module);
    virtual void download(std::string name, bool start);
    virtual void downloadGames(rt::Value names);
    virtual void toDownload(rt::Value ignored);
    virtual void downloadFinish(std::string name);
    virtual void downloadClient(std::string a, std::string b);
    virtual rt::Value getDownloadInfos();

    // Makes the folders of `path` ("\"-separated, from a leading separator) under `base`; the
    // last part, the file name, is never made.
    static void createDir(const std::string& base, const std::string& path);
    static int32_t indexOf(rt::Value array, rt::Value value);

    // The tag of the current queue; messages and results carry it.
    int32_t queueTag() const { return queueTag_; }

private:
    void newQueue();
    // The local game file list; one that does not parse is set aside and counts as empty.
    static rt::Ref<rt::Record> readLocalList();
    rt::Ref<rt::Record> moduleAt(int32_t index) const;
    void failModule(const rt::Ref<rt::Record>& module, const std::string& file,
                    const std::string& message);
    void callPage(const char* function, rt::Value args);
    // Starts a worker thread running the member `body` and sends it `message`.
    void startWorker(const char* body, rt::Ref<rt::Record> message);
    // Starts the download of a module's file on the file pool.
    void startFile(int32_t module, int32_t index, const rt::Ref<rt::Record>& file);
    // Starts the next waiting files of the queue while fewer than kFilesInFlight run.
    void fetchAhead();
    // Whether `file` is the one the current module waits for.
    bool awaited(const rt::Ref<rt::Record>& file) const;
    // Hands a result to onDownItem now, or after the one being handled when called from inside
    // it, so that a run of finished files never nests one call per file.
    void applyResult(rt::Value result);

    int32_t queueTag_ = 0;
    // Where the server list's fetch stands while updateState is 1. The next toDownload starts a
    // failed fetch again, and one that had no versions once they are there.
    enum class ListFetch { Idle, Running, Failed, NoVersions };
    ListFetch listFetch_ = ListFetch::Idle;
    // File records of the current queue being downloaded, and results that came before their
    // turn. A server list may name one path twice: the record, not the path, is the key.
    std::map<const rt::Record*, rt::Ref<rt::Record>> inFlight_;
    std::map<const rt::Record*, rt::Value> early_;
    std::deque<rt::Value> pendingResults_;
    bool applying_ = false;
};

}  // namespace lobby
