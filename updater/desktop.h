#pragma once

#include <string>

namespace haldor {

// What the updater asks of the system outside its window.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Starts "MorvickNew.exe" (or the program "MorvickNew" when no such file exists) from
    // `folder`, without arguments, with `folder` as its working folder.
    virtual void StartLobby(const std::string& folder) = 0;
    // Opens an address with the desktop's opener.
    virtual void OpenHomePage(const std::string& url) = 0;
    // Ends the updater at once with exit code 0.
    virtual void EndNow() = 0;
};

// The real system: processes through the message loop, "xdg-open" for addresses.
class SystemDesktop : public Desktop {
public:
    void StartLobby(const std::string& folder) override;
    void OpenHomePage(const std::string& url) override;
    void EndNow() override;
};

}  // namespace haldor
