// Every primitive the syslite binding classes bind from "syslite": X(name, count, static) for
// each, by class. The classes declare, bind and name their statics from this list.
#pragma once

// clang-format off
#define SYSLITE_BROWSER_PRIMITIVES(X) \
    X(browser_launch, 1, _browser_launch)

#define SYSLITE_CLIPBOARD_PRIMITIVES(X) \
    X(clipboard_set_text, 1, _set_clipboard_data) \
    X(clipboard_get_text, 0, _get_clipboard_data) \
    X(clipboard_clear, 0, _clear_clipboard)

#define SYSLITE_DIALOGS_PRIMITIVES(X) \
    X(dialogs_message_box, 3, _message_box) \
    X(dialogs_dialog_box, 3, _dialog_box) \
    X(dialogs_save_file, 3, _dialog_save_file) \
    X(dialogs_open_file, 3, _dialog_open_file) \
    X(dialogs_folder, 2, _dialog_folder)

#define SYSLITE_DISPLAY_PRIMITIVES(X) \
    X(display_get_screen_size, 0, _get_screen_size) \
    X(display_set_mode, 3, _display_set_mode) \
    X(display_set_default_mode, 0, _display_set_default_mode) \
    X(display_is_mode_supported, 3, _display_is_mode_supported)

#define SYSLITE_MENUS_PRIMITIVES(X) \
    X(win_menu_create, 0, _win_menu_create) \
    X(win_popup_menu_create, 0, _win_popup_menu_create) \
    X(win_destroy_menu, 1, _win_destroy_menu) \
    X(win_add_menu_item, 3, _win_add_menu_item) \
    X(win_add_menu_submenu, 4, _win_add_menu_submenu) \
    X(win_add_menu_divider, 2, _win_add_menu_divider) \
    X(win_show_menu, 2, _win_show_menu) \
    X(win_show_popup_menu, 2, _win_show_popup_menu)

#define SYSLITE_REGISTRY_PRIMITIVES(X) \
    X(registry_get_value, 3, _get_value) \
    X(registry_set_value, 4, _set_value) \
    X(registry_delete_key, 2, _delete_key)

// Bound on first use, on Windows only.
#define SYSLITE_TOOLS_PRIMITIVES(X) \
    X(win_replace_exe_icon, 3, _win_replace_exe_icon) \
    X(win_create_process, 5, _win_create_process)

#define SYSLITE_TRAY_PRIMITIVES(X) \
    X(systray_create_icon, 3, _systray_create_icon) \
    X(systray_destroy_icon, 1, _systray_destroy_icon) \
    X(systray_menu_callback, 0, _systray_menu_callback)
// clang-format on
