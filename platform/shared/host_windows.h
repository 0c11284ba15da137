/* Message boxes and popup menus shown as windows of the process's browser host, for the other
 * platform libraries loaded into the same process (syslite). The browser host registers its
 * implementation when it starts on a display and takes it away when it ends; a library that finds
 * none registered answers as it does without a desktop. The registry is one small shared library
 * (libhost_windows.so) that both sides link, so there is one registry per process and no library
 * depends on the other: the browser host and syslite each point down at it.
 *
 * Everything here runs on the message loop's thread. A show call returns when the box or menu has
 * closed; meanwhile the loop goes on dispatching (docs/cefhx.md, "Boxes and menus"). */
#ifndef PLATFORM_SHARED_HOST_WINDOWS_H
#define PLATFORM_SHARED_HOST_WINDOWS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define HOST_WINDOWS_API __attribute__((visibility("default")))

/* What a box asks. */
enum { HOST_BOX_MESSAGE = 0, HOST_BOX_CONFIRM = 1 };

/* Answers of show_box. */
enum {
    HOST_BOX_NOT_SHOWN = -1, /* no box could be shown; the caller answers without one */
    HOST_BOX_NO = 0,         /* cancel, no, or the box's window was closed */
    HOST_BOX_YES = 1         /* OK or yes */
};

/* Texts are UTF-8 and may be anything: the host shows them as text, never as markup. */
typedef struct host_box {
    int kind;          /* HOST_BOX_MESSAGE (one button, OK) or HOST_BOX_CONFIRM (yes, no) */
    int warning;       /* non-zero: shown as an error or a warning */
    const char* title; /* never null */
    const char* text;  /* never null */
} host_box;

/* One entry of a menu, in the order shown. Items of a sub-menu follow their HOST_MENU_GROUP
 * entry with a depth one greater. */
enum { HOST_MENU_ITEM = 0, HOST_MENU_DIVIDER = 1, HOST_MENU_GROUP = 2 };

typedef struct host_menu_entry {
    int kind;
    int depth;         /* 0 for the menu's own entries */
    int id;            /* the program's item id (items only) */
    const char* label; /* never null; empty for dividers */
} host_menu_entry;

/* What show_menu puts in *chosen when the menu was dismissed. */
enum { HOST_MENU_NOTHING = 0 };

typedef struct host_windows {
    /* Shows the box modal to the program window the player is using and waits for the answer. */
    int (*show_box)(const host_box* box);
    /* Shows the menu at the pointer and waits; answers 0 when it could not be shown, else 1 with
     * the chosen item's id in *chosen (HOST_MENU_NOTHING when the menu was dismissed: Escape, a
     * click outside it, its window closed). */
    int (*show_menu)(const host_menu_entry* entries, size_t count, int* chosen);
} host_windows;

/* Registers the host's implementation (it must live until it is taken away); null takes the
 * registered one away. */
HOST_WINDOWS_API void host_windows_register(const host_windows* implementation);
/* The registered implementation, or null. */
HOST_WINDOWS_API const host_windows* host_windows_find(void);

#ifdef __cplusplus
}
#endif

#endif
