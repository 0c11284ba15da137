#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/msgloop/msgloop.h"
#include "platform/shared/no_copy.h"
#include "updater/desktop.h"
#include "updater/dialog_msg.h"
#include "updater/inet_files.h"
#include "updater/install_place.h"
#include "updater/servers.h"
#include "updater/update_files.h"
#include "updater/update_view.h"

namespace haldor {

// The updater's main window and the whole update flow: per server the version file, then the
// file list of the installed version, then its files, one version step at a time up to the
// server's maximum version; then the state file is written and the lobby is started.
class CAutoUpdateClientDlg : public DialogActions, private morvick::NoCopy {
public:
    static constexpr uintptr_t TIMER_NEXT_TRANSFER = 1000;
    static constexpr uintptr_t TIMER_WATCHDOG = 1001;
    static constexpr int kWatchdogTicks = 15;

    CAutoUpdateClientDlg(InstallPlace place, UpdateView* view, Desktop* desktop);
    ~CAutoUpdateClientDlg();

    // Creates the window and starts the flow; false when the window cannot be made.
    bool OnInitDialog();
    // True once the window has closed: the message loop may end.
    bool ended() const { return ended_; }

    void StartLobby();
    void SwitchServer(bool restart);
    void PostClose();

    void OnCloseButton() override;
    void OnSkipButton() override;
    void OnSwitchButton() override;
    void OnExitSpot() override;
    void OnSystemClose() override;
    void OnFailureSkip() override { failure_.OnSkip(); }
    void OnFailureRetry() override { failure_.OnRetry(); }
    void OnFailureExit() override { failure_.OnExit(); }

    const std::string& status() const { return status_; }
    const std::string& current_version() const { return current_version_; }

private:
    static intptr_t Procedure(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                              void* user);
    void ReadServerUrl(int n, bool with_version);
    void StartUpdate(bool first);
    void FetchXml(bool first);
    void FinishVersion();
    bool VerifyMd5(const CInetFile& file);
    bool InstallFile(const CInetFile& file);
    void SetStatus(const std::string& text, bool log);
    void OnTimer(uintptr_t id);
    void OnTransferProgress(uintptr_t wparam, std::uint64_t id);
    void OnTransferDone(uintptr_t wparam, std::uint64_t id);
    // Returns true when the caller must return at once (the road ended with a server switch).
    bool OnVersionFileDone(TransferResult result, const CInetFile& file);
    bool OnFileListDone(TransferResult result, const CInetFile& file);
    bool OnUpdateFileDone(TransferResult result, const CInetFile& file);
    void OnClose();
    // A new temporary file for a version file or file list.
    std::string TempXmlFile();
    // Ends every transfer and removes the temporary files, before the updater ends.
    void DropTransfers();
    void SetTimer(uintptr_t id, uint32_t ms);
    void KillTimer(uintptr_t id);
    void Repaint();
    // Shows the button pressed while the question is asked, and runs on_yes after a yes.
    void AskForButton(ButtonState& button, const std::string& question,
                      std::function<void()> on_yes);

    InstallPlace place_;
    UpdateView* view_;
    Desktop* desktop_;
    ml_hwnd window_ = 0;
    bool ending_ = false;
    bool ended_ = false;

    std::string status_;
    std::string current_version_;
    std::string server_address_;
    std::string home_address_;
    int counter_ = 1;
    std::uint32_t installed_count_ = 0;
    std::uint32_t files_to_update_ = 0;
    std::uint64_t total_length_ = 0;
    std::uint64_t bytes_so_far_ = 0;
    int file_percent_ = 0;
    int overall_percent_ = 0;
    std::uint64_t watchdog_last_ = 0;
    std::uint64_t watchdog_current_ = 0;
    int watchdog_ticks_ = 0;
    bool continue_ = false;
    bool tray_ = false;
    unsigned spinner_ = 0;
    ButtonState close_state_ = kButtonNormal;
    ButtonState skip_state_ = kButtonNormal;
    ButtonState switch_state_ = kButtonNormal;
    std::string temp_folder_;
    std::string temp_file_;

    CServers servers_;
    CUpdateFiles manifest_;
    CInetFiles queue_;
    CDialogMsg failure_;
};

}  // namespace haldor
