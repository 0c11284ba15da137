#include "updater/terminal_view.h"

#include <poll.h>
#include <unistd.h>

#include <fmt/format.h>

#include "platform/msgloop/msgloop.h"
#include "updater/choice_keys.h"
#include "updater/write_all.h"

namespace haldor {
namespace {

constexpr int kBarWidth = 40;
constexpr const char* kSpinner[3] = {"◐", "◓", "◑"};
constexpr char kCtrlC = 0x03;
constexpr char kCtrlX = 0x18;  // the hidden exit spot
const ChoiceKeys kKeys{"y", "n", "s", "r", "e", "c", "k", "w"};

std::string Button(const std::string& label, char key, ButtonState state) {
    std::string text = fmt::format("[{} {}]", label, key);
    if (state == kButtonPressed) return "\x1b[7m" + text + "\x1b[0m";
    return text;
}

}  // namespace

TerminalView::TerminalView(int in_fd, int out_fd) : in_fd_(in_fd), out_fd_(out_fd) {
    if (::tcgetattr(in_fd_, &saved_) == 0) {
        termios raw = saved_;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG));
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        raw_ = ::tcsetattr(in_fd_, TCSANOW, &raw) == 0;
    }
    Write("\x1b[?25l");
}

TerminalView::~TerminalView() {
    if (watch_) ml_unwatch_fd(watch_);
    Restore();
}

void TerminalView::Restore() {
    if (raw_) ::tcsetattr(in_fd_, TCSANOW, &saved_);
    raw_ = false;
    Write("\x1b[?25h\n");
}

void TerminalView::Attach(DialogActions* actions) {
    actions_ = actions;
    if (ml_watch_fd(in_fd_, POLLIN, 0, &TerminalView::OnReadable, this, &watch_) != ML_OK)
        watch_ = 0;
}

void TerminalView::OnReadable(int fd, unsigned, void* arg) {
    auto* self = static_cast<TerminalView*>(arg);
    char key = 0;
    ssize_t n = ::read(fd, &key, 1);
    if (n == 0) {
        ml_unwatch_fd(self->watch_);
        self->watch_ = 0;
        return;
    }
    if (n == 1) self->OnKey(key);
}

void TerminalView::OnKey(char key) {
    if (key == kCtrlC) {
        actions_->OnSystemClose();
        return;
    }
    if (key == kCtrlX) {
        actions_->OnExitSpot();
        return;
    }
    const std::string input(1, key);
    if (question_) {
        const std::optional<bool> yes = QuestionAnswer(input, kKeys);
        if (!yes) return;
        auto answer = std::move(question_);
        question_ = nullptr;
        question_text_.clear();
        answer(*yes);
        Draw();
        return;
    }
    RunChoice(input, kKeys, failure_box_, *actions_);
}

void TerminalView::Write(const std::string& text) {
    WriteAll(out_fd_, text);
}

void TerminalView::Draw() {
    const DialogPicture& p = picture_;
    int filled = p.overall_percent * kBarWidth / 100;
    std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                      std::string(static_cast<std::size_t>(kBarWidth - filled), '.');
    std::string screen = "\x1b[H\x1b[2J";
    screen += fmt::format(" {} {}    {}\r\n\r\n", p.tray ? kSpinner[p.spinner_frame % 3] : " ",
                          p.title, Button("关闭", 'c', p.close));
    screen += fmt::format("  [{}]\r\n", bar);
    screen +=
        fmt::format("  {}  {}\r\n\r\n", p.show_progress_text ? p.progress_text : "", p.status);
    screen += fmt::format("      {}    {}\r\n", Button("跳过", 'k', p.skip),
                          Button("切换服务器", 'w', p.switch_server));
    if (failure_box_)
        screen +=
            fmt::format("\r\n  提示: {}\r\n      [跳过 s]  [重试 r]  [退出 e]\r\n", failure_text_);
    if (question_)
        screen += fmt::format("\r\n  提示: {}\r\n      [是 y]  [否 n]\r\n", question_text_);
    Write(screen);
}

void TerminalView::Show(const DialogPicture& picture) {
    picture_ = picture;
    Draw();
}

void TerminalView::MessageBox(const std::string& text) {
    Write(fmt::format("\r\n  提示: {}\r\n      [确定 Enter]\r\n", text));
    char key = 0;
    while (::read(in_fd_, &key, 1) == 1 && key != '\r' && key != '\n') {
    }
}

void TerminalView::Ask(const std::string& question, std::function<void(bool)> answer) {
    question_text_ = question;
    question_ = std::move(answer);
    Draw();
}

void TerminalView::ShowFailureBox(const std::string& text) {
    failure_text_ = text;
    failure_box_ = true;
    Draw();
}

void TerminalView::HideFailureBox() {
    failure_box_ = false;
    Draw();
}

}  // namespace haldor
