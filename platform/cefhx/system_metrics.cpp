#include "platform/cefhx/system_metrics.h"

namespace cefhx {
namespace {

constexpr int kCaptionHeight = 23;
constexpr int kFrame = 4;
constexpr int kFixedFrame = 3;

}  // namespace

int systemMetric(int index, int w, int h) {
    switch (index) {
        case 0:   // screen width
        case 16:  // full-screen client width
        case 78:  // virtual screen width
            return w;
        case 1:   // screen height
        case 79:  // virtual screen height
            return h;
        case 17:  // full-screen client height: the screen less a caption (there is no task bar)
            return h - kCaptionHeight;
        case 4:  // caption height
            return kCaptionHeight;
        case 5:  // border width and height
        case 6:
            return 1;
        case 7:  // fixed frame
        case 8:
            return kFixedFrame;
        case 32:  // sizing frame
        case 33:
            return kFrame;
        case 61:  // a maximised window
            return w + 2 * kFrame;
        case 62:
            return h + 2 * kFrame;
        case 80:  // monitors
            return 1;
        default:
            return 0;
    }
}

}  // namespace cefhx
