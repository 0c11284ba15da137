#include "updater/line_view.h"

#include <poll.h>
#include <unistd.h>

#include "platform/msgloop/msgloop.h"
#include "updater/choice_keys.h"
#include "updater/write_all.h"

namespace haldor {
namespace {

const ChoiceKeys kWords{"yes", "no", "skip", "retry", "exit", "close", "skip", "switch"};

}  // namespace

LineView::LineView(int in_fd, int out_fd) : in_fd_(in_fd), out_fd_(out_fd) {}

LineView::~LineView() {
    if (watch_) ml_unwatch_fd(watch_);
}

void LineView::Attach(DialogActions* actions) {
    actions_ = actions;
    if (ml_watch_fd(in_fd_, POLLIN, 0, &LineView::OnReadable, this, &watch_) != ML_OK) {
        watch_ = 0;
        input_ended_ = true;
    }
}

void LineView::OnReadable(int, unsigned, void* arg) {
    static_cast<LineView*>(arg)->ReadInput();
}

void LineView::ReadInput() {
    char buffer[1024];
    ssize_t n = ::read(in_fd_, buffer, sizeof buffer);
    if (n < 0) return;
    if (n == 0) {
        ml_unwatch_fd(watch_);
        watch_ = 0;
        input_ended_ = true;
        CloseIfAwaiting();
        return;
    }
    pending_.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        OnLine(line);
    }
}

void LineView::OnLine(const std::string& line) {
    if (question_) {
        const std::optional<bool> yes = QuestionAnswer(line, kWords);
        if (!yes) return;
        auto answer = std::move(question_);
        question_ = nullptr;
        answer(*yes);
        return;
    }
    RunChoice(line, kWords, failure_box_, *actions_);
}

void LineView::CloseIfAwaiting() {
    if (input_ended_ && (question_ || failure_box_)) {
        question_ = nullptr;
        failure_box_ = false;
        actions_->OnSystemClose();
    }
}

void LineView::Print(const std::string& line) {
    WriteAll(out_fd_, line + "\n");
}

void LineView::Show(const DialogPicture& picture) {
    if (picture.status == last_status_) return;
    last_status_ = picture.status;
    Print(picture.status);
}

void LineView::MessageBox(const std::string& text) {
    Print("[提示] " + text);
}

void LineView::Ask(const std::string& question, std::function<void(bool)> answer) {
    question_ = std::move(answer);
    Print("[提示] " + question + " (yes/no)");
    CloseIfAwaiting();
}

void LineView::ShowFailureBox(const std::string& text) {
    failure_box_ = true;
    Print("[提示] " + text + " (skip=跳过 retry=重试 exit=退出)");
    CloseIfAwaiting();
}

void LineView::HideFailureBox() {
    failure_box_ = false;
}

}  // namespace haldor
