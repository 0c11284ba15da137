#include "platform/cefhx/x11_pointer_drag.h"

#include <algorithm>

#include "platform/msgloop/msgloop.h"

namespace cefhx {

XRect draggedRect(const XRect& start, MoveResize what, int dx, int dy, int minWidth,
                  int minHeight) {
    if (what == MoveResize::Move) return {start.x + dx, start.y + dy, start.width, start.height};
    const bool left =
        what == MoveResize::Left || what == MoveResize::TopLeft || what == MoveResize::BottomLeft;
    const bool right = what == MoveResize::Right || what == MoveResize::TopRight ||
                       what == MoveResize::BottomRight;
    const bool top =
        what == MoveResize::Top || what == MoveResize::TopLeft || what == MoveResize::TopRight;
    const bool bottom = what == MoveResize::Bottom || what == MoveResize::BottomLeft ||
                        what == MoveResize::BottomRight;
    XRect r = start;
    if (right) r.width = std::max(minWidth, start.width + dx);
    if (bottom) r.height = std::max(minHeight, start.height + dy);
    if (left) {
        r.width = std::max(minWidth, start.width - dx);
        r.x = start.x + start.width - r.width;
    }
    if (top) {
        r.height = std::max(minHeight, start.height - dy);
        r.y = start.y + start.height - r.height;
    }
    return r;
}

PointerDrag::PointerDrag(X11Desktop& desktop, XWindowId window, MoveResize what, Done done)
    : desktop_(desktop), window_(window), what_(what), done_(std::move(done)) {}

std::shared_ptr<PointerDrag> PointerDrag::start(X11Desktop& desktop, XWindowId window,
                                                MoveResize what, Done done) {
    std::shared_ptr<PointerDrag> drag(new PointerDrag(desktop, window, what, std::move(done)));
    if (!desktop.pointerWithButton1(&drag->pointerX_, &drag->pointerY_)) return nullptr;
    drag->start_ = drag->last_ = desktop.geometry(window);
    drag->schedule();
    return drag;
}

void PointerDrag::schedule() {
    // Each pending step holds the drag alive until it has run.
    auto* self = new std::shared_ptr<PointerDrag>(shared_from_this());
    if (ml_post_task(&PointerDrag::onStep, self, kStepMs) != ML_OK) {
        delete self;
        stop();
    }
}

void PointerDrag::onStep(void* arg) {
    std::unique_ptr<std::shared_ptr<PointerDrag>> self(
        static_cast<std::shared_ptr<PointerDrag>*>(arg));
    (*self)->step();
}

void PointerDrag::step() {
    if (!active_) return;
    int x = 0, y = 0;
    const bool held = desktop_.pointerWithButton1(&x, &y);
    const XRect next =
        draggedRect(start_, what_, x - pointerX_, y - pointerY_, kMinWidth, kMinHeight);
    if (!(next == last_)) {
        desktop_.moveResize(window_, next);
        last_ = next;
    }
    if (!held) {
        stop();
        return;
    }
    schedule();
}

void PointerDrag::stop() {
    if (!active_) return;
    active_ = false;
    if (done_) done_(last_);
}

}  // namespace cefhx
