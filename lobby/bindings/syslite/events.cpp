#include "lobby/bindings/syslite/events.h"

#include "runtime/class_builder.h"

namespace syslite::win {
namespace {

struct Message {
    const char* name;
    int32_t number;
};

const Message kMessages[Events::kCount] = {
    {"TRAYEVENT", 9001},
    {"HOTKEY", 0x0312},
    {"COMMAND", 0x0111},
    {"RBUTTONUP", 0x0205},
    {"LBUTTONUP", 0x0202},
    {"CREATE", 0x0001},
    {"DESTROY", 0x0002},
    {"MOVE", 0x0003},
    {"SIZE", 0x0005},
    {"ACTIVATE", 0x0006},
    {"SETFOCUS", 0x0007},
    {"KILLFOCUS", 0x0008},
    {"ENABLE", 0x000A},
    {"PAINT", 0x000F},
    {"CLOSE", 0x0010},
    {"QUIT", 0x0012},
    {"SHOWWINDOW", 0x0018},
    {"MOUSEACTIVATE", 0x0021},
    {"WINDOWPOSCHANGING", 0x0046},
    {"WINDOWPOSCHANGED", 0x0047},
    {"CONTEXTMENU", 0x007B},
    {"DISPLAYCHANGE", 0x007E},
    {"NCCREATE", 0x0081},
    {"NCDESTROY", 0x0082},
    {"NCCALCSIZE", 0x0083},
    {"NCHITTEST", 0x0084},
    {"NCPAINT", 0x0085},
    {"NCACTIVATE", 0x0086},
    {"NCMOUSEMOVE", 0x00A0},
    {"NCLBUTTONDOWN", 0x00A1},
    {"NCLBUTTONUP", 0x00A2},
    {"NCLBUTTONDBLCLK", 0x00A3},
    {"NCRBUTTONDOWN", 0x00A4},
    {"NCRBUTTONUP", 0x00A5},
    {"NCRBUTTONDBLCLK", 0x00A6},
    {"NCMBUTTONDOWN", 0x00A7},
    {"NCMBUTTONUP", 0x00A8},
    {"NCMBUTTONDBLCLK", 0x00A9},
    {"NCXBUTTONDOWN", 0x00AB},
    {"NCXBUTTONUP", 0x00AC},
    {"NCXBUTTONDBLCLK", 0x00AD},
    {"KEYDOWN", 0x0100},
    {"KEYUP", 0x0101},
    {"SYSKEYDOWN", 0x0104},
    {"SYSKEYUP", 0x0105},
    {"INITDIALOG", 0x0110},
    {"INITMENU", 0x0116},
    {"INITMENUPOPUP", 0x0117},
    {"MENUSELECT", 0x011F},
    {"MENUCHAR", 0x0120},
    {"ENTERIDLE", 0x0121},
    {"MENURBUTTONUP", 0x0122},
    {"MENUDRAG", 0x0123},
    {"MENUGETOBJECT", 0x0124},
    {"UNINITMENUPOPUP", 0x0125},
    {"MENUCOMMAND", 0x0126},
    {"MOUSEFIRST", 0x0200},
    {"MOUSEMOVE", 0x0200},
    {"LBUTTONDOWN", 0x0201},
    {"LBUTTONDBLCLK", 0x0203},
    {"RBUTTONDOWN", 0x0204},
    {"RBUTTONDBLCLK", 0x0206},
    {"MBUTTONDOWN", 0x0207},
    {"MBUTTONUP", 0x0208},
    {"MBUTTONDBLCLK", 0x0209},
    {"XBUTTONDOWN", 0x020B},
    {"XBUTTONUP", 0x020C},
    {"XBUTTONDBLCLK", 0x020D},
    {"ENTERMENULOOP", 0x0211},
    {"EXITMENULOOP", 0x0212},
    {"SIZING", 0x0214},
    {"CAPTURECHANGED", 0x0215},
    {"MOVING", 0x0216},
    {"ENTERSIZEMOVE", 0x0231},
    {"EXITSIZEMOVE", 0x0232},
    {"DROPFILES", 0x0233},
    {"NCMOUSEHOVER", 0x02A0},
    {"MOUSEHOVER", 0x02A1},
    {"NCMOUSELEAVE", 0x02A2},
    {"MOUSELEAVE", 0x02A3},
    {"CUT", 0x0300},
    {"COPY", 0x0301},
    {"PASTE", 0x0302},
    {"CLEAR", 0x0303},
    {"UNDO", 0x0304},
};

}  // namespace

void Events::initStatics() {
    for (int i = 0; i < kCount; ++i) numbers_[i] = kMessages[i].number;
}

const rt::ClassInfo& Events::staticClassInfo() {
    static const rt::ClassInfo& info = []() -> const rt::ClassInfo& {
        rt::ClassBuilder<Events> builder("syslite.win.Events");
        for (int i = 0; i < kCount; ++i) builder.staticField(kMessages[i].name, &numbers_[i]);
        return builder.build();
    }();
    return info;
}

RT_REGISTER_CLASS(Events);

}  // namespace syslite::win
