#include "updater/update_dialog.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <fmt/format.h>
#include <strings.h>

#include "updater/atomic_file.h"
#include "updater/control_chars.h"
#include "updater/ini_file.h"
#include "updater/local_file.h"
#include "updater/md5_digest.h"
#include "updater/server_address.h"
#include "updater/update_log.h"
#include "updater/version_number.h"

namespace haldor {
namespace {

// Status texts carry names the server chose; they reach the terminal and the log without
// control characters.
std::string Printable(const std::string& text) {
    std::string out = text;
    for (auto& c : out)
        if (IsControlCharacter(c)) c = '?';
    return out;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

CAutoUpdateClientDlg::CAutoUpdateClientDlg(InstallPlace place, UpdateView* view, Desktop* desktop)
    : place_(std::move(place)),
      view_(view),
      desktop_(desktop),
      manifest_(place_.folders),
      failure_(this, view) {}

CAutoUpdateClientDlg::~CAutoUpdateClientDlg() {
    DropTransfers();
    if (window_) ml_destroy_window(window_);
}

std::string CAutoUpdateClientDlg::TempXmlFile() {
    // A folder of this updater's own (mode 0700), so nobody else can take or link the names.
    if (temp_folder_.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "HaldorXXXXXX").string();
        if (!::mkdtemp(pattern.data())) return "";
        temp_folder_ = pattern;
    }
    std::string pattern = temp_folder_ + "/XmlXXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) return "";
    ::close(fd);
    return pattern;
}

void CAutoUpdateClientDlg::DropTransfers() {
    queue_.Clear();
    if (!temp_file_.empty()) ::unlink(temp_file_.c_str());
    temp_file_.clear();
    if (!temp_folder_.empty()) ::rmdir(temp_folder_.c_str());
    temp_folder_.clear();
}

intptr_t CAutoUpdateClientDlg::Procedure(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam,
                                         intptr_t lparam, void* user) {
    auto* self = static_cast<CAutoUpdateClientDlg*>(user);
    switch (msg) {
        case ML_WM_TIMER:
            self->OnTimer(wparam);
            return 0;
        case WM_TRANSFER_PROGRESS:
            self->OnTransferProgress(wparam, static_cast<std::uint64_t>(lparam));
            return 0;
        case WM_TRANSFER_DONE:
            self->OnTransferDone(wparam, static_cast<std::uint64_t>(lparam));
            return 0;
        case ML_WM_CLOSE:
            self->OnClose();
            return 0;
        default:
            return ml_default_proc(hwnd, msg, wparam, lparam);
    }
}

bool CAutoUpdateClientDlg::OnInitDialog() {
    if (ml_create_window(&CAutoUpdateClientDlg::Procedure, this, &window_) != ML_OK) return false;
    view_->Attach(this);
    ReadServerUrl(1, true);
    StartUpdate(true);
    tray_ = true;
    file_percent_ = 0;
    overall_percent_ = 0;
    if (!ending_) {
        SetTimer(TIMER_NEXT_TRANSFER, 100);
        SetTimer(TIMER_WATCHDOG, 2000);
    }
    Repaint();
    return true;
}

void CAutoUpdateClientDlg::SetTimer(uintptr_t id, uint32_t ms) {
    if (!ending_) ml_set_timer(window_, id, ms);
}

void CAutoUpdateClientDlg::KillTimer(uintptr_t id) {
    ml_kill_timer(window_, id);
}

void CAutoUpdateClientDlg::ReadServerUrl(int n, bool with_version) {
    server_address_ = DecodeStoredAddress(
        GetProfileString(place_.StateFile(), "Temp", fmt::format("Temp{}", n), "", 256));
    if (with_version)
        current_version_ = CanonicalVersion(
            GetProfileString(place_.StateFile(), "Version", "CurrentVersion", "0", 200));
}

void CAutoUpdateClientDlg::StartUpdate(bool first) {
    installed_count_ = 0;
    servers_.Clear();
    ReadServerUrl(counter_, first);
    home_address_ = GetProfileString(place_.StateFile(), "HOME", "URL", "", 200);
    if (server_address_.empty()) {
        StartLobby();
        return;
    }
    server_address_ = WithHttpScheme(server_address_);
    std::string address =
        first ? fmt::format("{}/update/VerAndUrl.xml", server_address_)
              : fmt::format("{}/update/{}/FileConfig.xml", server_address_, current_version_);
    servers_.Add(fmt::format("Temp{}", counter_), address);
    FetchXml(first);
}

void CAutoUpdateClientDlg::FetchXml(bool first) {
    auto server = servers_.GetFirst();
    if (!server) return;
    if (!temp_file_.empty()) ::unlink(temp_file_.c_str());
    temp_file_ = TempXmlFile();
    manifest_.Clear();
    SetStatus(fmt::format("正在连接 {} 号游戏服务器 ", server->key.substr(server->key.size() - 1)),
              false);
    bytes_so_far_ = 0;
    auto file = std::make_unique<CInetFile>(server->address, nullptr, current_version_);
    file->kind = first ? kVersionFile : kFileList;
    file->target_path = temp_file_;
    file->server_key = server->key;
    file->expected_length = 0;
    file->receiver = window_;
    queue_.Push(std::move(file));
}

void CAutoUpdateClientDlg::OnTimer(uintptr_t id) {
    if (id == TIMER_NEXT_TRANSFER) {
        watchdog_last_ = watchdog_current_ = 0;
        watchdog_ticks_ = 0;
        continue_ = true;
        Repaint();
        CInetFile* head = queue_.Head();
        if (!head || ending_) return;
        if (head->kind == kUpdateFile)
            SetStatus(
                fmt::format("正在更新版本号为 {}中的文件：{}", current_version_, head->file_name),
                false);
        KillTimer(TIMER_NEXT_TRANSFER);
        head->Start(head->kind == kUpdateFile);
        return;
    }
    if (id == TIMER_WATCHDOG) {
        if (watchdog_current_ == watchdog_last_) {
            if (++watchdog_ticks_ == kWatchdogTicks) SwitchServer(false);
        } else {
            watchdog_last_ = watchdog_current_;
            watchdog_ticks_ = 0;
        }
        Repaint();
    }
}

void CAutoUpdateClientDlg::OnTransferProgress(uintptr_t wparam, std::uint64_t id) {
    CInetFile* file = queue_.Find(id);
    if (!file || ending_) return;
    if (file->expected_length != 0) {
        watchdog_current_ = file->bytes_so_far;
        file_percent_ = static_cast<int>(file->bytes_so_far * 100 / file->expected_length);
    }
    if ((wparam >> 16) == kUpdateFile) {
        bytes_so_far_ += wparam & 0xFFFF;
        if (total_length_ != 0)
            overall_percent_ = static_cast<int>(bytes_so_far_ * 100 / total_length_);
    }
    if (tray_) ++spinner_;
    Repaint();
}

void CAutoUpdateClientDlg::OnTransferDone(uintptr_t wparam, std::uint64_t id) {
    CInetFile* file = queue_.Find(id);
    if (!file || ending_) return;
    auto result = static_cast<TransferResult>(wparam & 0xFFFF);
    auto kind = static_cast<TransferKind>(wparam >> 16);
    bool stop = false;
    switch (kind) {
        case kVersionFile:
            stop = OnVersionFileDone(result, *file);
            break;
        case kFileList:
            stop = OnFileListDone(result, *file);
            break;
        case kUpdateFile:
            stop = OnUpdateFileDone(result, *file);
            break;
    }
    if (stop) return;
    queue_.Remove(file);
    if (queue_.Count() == 0 && kind == kUpdateFile) {
        if (installed_count_ == files_to_update_) {
            SetStatus("更新完毕", false);
            FinishVersion();
        } else {
            KillTimer(TIMER_WATCHDOG);
            failure_.Show();
            continue_ = false;
        }
    }
    if (continue_) SetTimer(TIMER_NEXT_TRANSFER, 100);
    Repaint();
}

bool CAutoUpdateClientDlg::OnVersionFileDone(TransferResult result, const CInetFile&) {
    if (result == kTransferDone) {
        manifest_.Load(temp_file_, true);
        if (!manifest_.max_version().empty()) {
            manifest_.ReadProduct(temp_file_);
            StartUpdate(false);
            return false;
        }
    }
    SwitchServer(false);
    return true;
}

bool CAutoUpdateClientDlg::OnFileListDone(TransferResult result, const CInetFile&) {
    long long max = LeadingVersion(manifest_.max_version());
    long long current = LeadingVersion(current_version_);
    if (result != kTransferDone) {
        if (max > current) {
            view_->MessageBox("很抱歉，您的游戏当前版本太旧了，请到游戏官网重新下载安装！");
            desktop_->OpenHomePage(home_address_);
            PostClose();
        } else if (max == current) {
            SwitchServer(false);
            return true;
        } else {
            StartLobby();
        }
        return false;
    }
    std::string stored =
        GetProfileString(place_.StateFile(), "Version", "CurrentVersion", "0", 200);
    manifest_.clear_list_version();
    manifest_.Load(temp_file_, true);
    if (manifest_.list_version().empty()) {
        SwitchServer(false);
        return true;
    }
    bool newer_or_equal = LeadingVersion(stored) >= LeadingVersion(manifest_.list_version());
    if (max < current) StartLobby();
    if (!manifest_.Load(temp_file_, false)) {
        ::unlink(temp_file_.c_str());
        return false;
    }
    files_to_update_ = static_cast<std::uint32_t>(manifest_.CountToUpdate(newer_or_equal));
    total_length_ = manifest_.TotalLength();
    if (files_to_update_ > 0)
        SetStatus(fmt::format("需更新文件总数: {},文件总长度: {} KB", files_to_update_,
                              total_length_ / 1024),
                  false);
    else
        FinishVersion();
    while (auto entry = manifest_.PopFront()) {
        auto file = std::make_unique<CInetFile>(server_address_, entry.get(), current_version_);
        file->kind = kUpdateFile;
        file->receiver = window_;
        file->target_path = entry->target_path;
        file->server_key = fmt::format("Temp{}", counter_);
        file->file_name = entry->file_name;
        file->expected_length = entry->length;
        file->expected_md5 = entry->md5;
        file->file_time = entry->file_time;
        file->safe = entry->IsSafe();
        queue_.Push(std::move(file));
    }
    ::unlink(temp_file_.c_str());
    return false;
}

bool CAutoUpdateClientDlg::OnUpdateFileDone(TransferResult result, const CInetFile& file) {
    if (result != kTransferDone) {
        if (file.file_name.empty()) {
            SwitchServer(false);
            return true;
        }
        SetStatus(fmt::format("下载文件失败[{}], 错误代码 [{}]", file.file_name,
                              static_cast<unsigned>(result)),
                  true);
        failure_.SetText(fmt::format("可能由于网络原因，{} ", status_));
        failure_.Show();
        KillTimer(TIMER_WATCHDOG);
        continue_ = false;
        return false;
    }
    // Every download is checked before it is installed, also when nothing is at the target yet.
    if (!VerifyMd5(file)) return false;
    bool own = SameNameIgnoringCase(file.file_name, place_.name) &&
               DiskPath(file.target_path) == place_.executable;
    bool installed = false;
    if (own) {
        // The running executable cannot be deleted; the new copy takes its place and the old
        // one stays as "<exe>.old" until the next start.
        SetStatus(fmt::format("删除文件失败 [{}]", file.file_name), true);
        SetFileTimes(file.MakeTargetName(), file.file_time);
        installed = ReplaceOwnExecutable(place_, file.MakeTargetName());
    } else {
        installed = InstallFile(file);
    }
    if (installed) {
        ++installed_count_;
        SetFileTimes(file.target_path, file.file_time);
    }
    return false;
}

void CAutoUpdateClientDlg::FinishVersion() {
    long long d = LeadingVersion(manifest_.max_version()) - LeadingVersion(current_version_);
    if (d >= 1) {
        current_version_ = fmt::format("{}", LeadingVersion(current_version_) + 1);
        SetStatus(fmt::format("升级下一个版本 {}", current_version_), false);
        StartUpdate(false);
        return;
    }
    if (d == 0) {
        WriteProfileString(place_.StateFile(), "Version", "CurrentVersion",
                           CanonicalVersion(manifest_.max_version()));
        for (int n = 1; n <= 8; ++n) {
            std::string server = manifest_.server(n);
            if (!server.empty() && IsStorableServerAddress(server))
                WriteProfileString(place_.StateFile(), "Temp", fmt::format("Temp{}", n), server);
        }
        StartLobby();
    }
}

void CAutoUpdateClientDlg::SwitchServer(bool restart) {
    if (ending_) return;
    if (restart) {
        queue_.Clear();
        counter_ = 1;
        StartUpdate(true);
        SetTimer(TIMER_WATCHDOG, 2000);
        SetTimer(TIMER_NEXT_TRANSFER, 100);
    } else {
        if (queue_.Count() > 0) queue_.Clear();
        ++counter_;
        StartUpdate(true);
        SetTimer(TIMER_NEXT_TRANSFER, 1000);
    }
    watchdog_last_ = watchdog_current_ = 0;
    watchdog_ticks_ = 0;
    files_to_update_ = 0;
    total_length_ = 0;
    file_percent_ = 0;
    overall_percent_ = 0;
    Repaint();
}

bool CAutoUpdateClientDlg::VerifyMd5(const CInetFile& file) {
    std::string download = file.MakeTargetName();
    // A ranged transfer hashed the file while it arrived; anything else is read again.
    std::optional<std::string> digest = file.digest();
    if (!digest) digest = MD5_CTX::FileDigest(DiskPath(download));
    std::string computed = digest.value_or("");
    if (!computed.empty() && SameNameIgnoringCase(computed, file.expected_md5)) return true;
    ::unlink(DiskPath(download).c_str());
    SetStatus(fmt::format("MD5检验失败，正在更新的版本号[{}],XML配置文件名[{}],MD5=[{}]",
                          current_version_, file.file_name, file.expected_md5),
              true);
    SetStatus(fmt::format("MD5检验失败，正在更新的版本号[{}],下载到本地的的文件名[{}],MD5=[{}]",
                          current_version_, download, computed),
              true);
    failure_.SetText(status_);
    return false;
}

bool CAutoUpdateClientDlg::InstallFile(const CInetFile& file) {
    std::string download = DiskPath(file.MakeTargetName());
    std::string target = DiskPath(file.target_path);
    TakePermissions(download, target);
    if (!ReplaceFileAtomically(download, target) && !ReplaceFileAtomically(download, target)) {
        ::unlink(download.c_str());
        SetStatus(fmt::format("重命名文件失败 [{}]", file.file_name), true);
        failure_.SetText(status_);
        return false;
    }
    SetStatus(fmt::format("下载文件成功 [{}]", file.file_name), false);
    return true;
}

void CAutoUpdateClientDlg::StartLobby() {
    if (ending_) return;
    PostClose();
    KillTimer(TIMER_NEXT_TRANSFER);
    KillTimer(TIMER_WATCHDOG);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    desktop_->StartLobby(place_.folder);
}

void CAutoUpdateClientDlg::PostClose() {
    ending_ = true;
    ml_post(window_, ML_WM_CLOSE, 0, 0);
}

void CAutoUpdateClientDlg::OnClose() {
    ending_ = true;
    ended_ = true;
    KillTimer(TIMER_NEXT_TRANSFER);
    KillTimer(TIMER_WATCHDOG);
    queue_.Clear();
    ml_post_quit(0);
}

void CAutoUpdateClientDlg::SetStatus(const std::string& text, bool log) {
    status_ = Printable(text);
    if (log) AppendLogLine(place_.LogFile(), status_);
    Repaint();
}

void CAutoUpdateClientDlg::Repaint() {
    DialogPicture picture;
    picture.title = "自动升级";
    picture.status = status_;
    picture.overall_percent = std::clamp(overall_percent_, 0, 100);
    std::size_t queued = queue_.Count();
    if (files_to_update_ >= queued) {
        picture.show_progress_text = true;
        picture.progress_text = fmt::format("{}{} ({}/{})", file_percent_, '%',
                                            files_to_update_ - queued, files_to_update_);
    }
    picture.tray = tray_;
    picture.spinner_frame = static_cast<int>(spinner_ % 3);
    picture.close = close_state_;
    picture.skip = skip_state_;
    picture.switch_server = switch_state_;
    view_->Show(picture);
}

void CAutoUpdateClientDlg::AskForButton(ButtonState& button, const std::string& question,
                                        std::function<void()> on_yes) {
    button = kButtonPressed;
    Repaint();
    view_->Ask(question, [this, &button, on_yes = std::move(on_yes)](bool yes) {
        button = kButtonNormal;
        Repaint();
        if (yes) on_yes();
    });
}

void CAutoUpdateClientDlg::OnCloseButton() {
    // Ends this updater only; another process of the same name is never touched. Running
    // transfers are dropped first, so that no partial download stays behind.
    AskForButton(close_state_, "程序正在更新中,确定要退出升级吗？", [this] {
        DropTransfers();
        desktop_->EndNow();
    });
}

void CAutoUpdateClientDlg::OnSkipButton() {
    AskForButton(skip_state_, "确定不准备更新最新的版本，直接进入游戏大厅吗？",
                 [this] { StartLobby(); });
}

void CAutoUpdateClientDlg::OnSwitchButton() {
    AskForButton(switch_state_, "确定要切换服务器，重新下载吗？", [this] { SwitchServer(false); });
}

void CAutoUpdateClientDlg::OnExitSpot() {
    DropTransfers();
    desktop_->EndNow();
}

void CAutoUpdateClientDlg::OnSystemClose() {
    PostClose();
}

}  // namespace haldor
