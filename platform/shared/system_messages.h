/* System messages that the platform libraries post to the lobby's windows, and how the browser
 * host hands them on. The lobby's windows are message-loop windows (platform/msgloop); a window
 * whose system-message hook is on gets these as onSystemMessage(kind, a, b). */
#ifndef PLATFORM_SHARED_SYSTEM_MESSAGES_H
#define PLATFORM_SHARED_SYSTEM_MESSAGES_H

/* Window handles given to syslite (the owner of a tray icon or a menu) are message-loop window
 * handles (ml_hwnd) passed as an Int. */

/* A mouse event on a tray icon, posted to the icon's owner window:
 *   wparam  the icon's number (1, 2, ...), as the library's log names it
 *   lparam  the mouse message, one of SYSMSG_MOUSE_*
 * The host delivers it as onSystemMessage(SYSMSG_TRAY_KIND, wparam, lparam), both as Int. */
#define SYSMSG_TRAY 9001u
#define SYSMSG_TRAY_KIND "tray"

/* Mouse message numbers carried in the lparam of SYSMSG_TRAY. */
#define SYSMSG_MOUSE_MOVE 512
#define SYSMSG_MOUSE_LBUTTONDOWN 513
#define SYSMSG_MOUSE_LBUTTONUP 514
#define SYSMSG_MOUSE_LBUTTONDBLCLK 515
#define SYSMSG_MOUSE_RBUTTONDOWN 516
#define SYSMSG_MOUSE_RBUTTONUP 517
#define SYSMSG_MOUSE_RBUTTONDBLCLK 518
#define SYSMSG_MOUSE_MBUTTONDOWN 519
#define SYSMSG_MOUSE_MBUTTONUP 520
#define SYSMSG_MOUSE_MBUTTONDBLCLK 521

/* Menus post nothing: win_show_popup_menu answers the chosen item's id, or 0 when nothing was
 * chosen; win_show_menu answers 1 when the menu became the window's menu bar, else 0. */

#endif
