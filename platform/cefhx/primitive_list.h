// Every primitive a browser host exports, with the number of arguments the program binds it
// with and the static of the binding class that keeps it: X(name, count, static) for each, in
// groups by the binding class that binds them. The browser host and the test host export this
// one list, each as `name__count`, and the binding classes bind it, so none can drift apart.
#pragma once

// clang-format off
// The primitives of the application (cef::CefApp).
#define CEFHX_APP_PRIMITIVES(X) \
    X(cef_app_main, 2, cef_app_main) \
    X(cef_app_quit, 0, cef_app_quit) \
    X(cef_app_setglobalapp, 1, cef_app_setglobalapp) \
    X(cef_getsystemmetrics, 1, cef_getsystemmetrics) \
    X(cef_unicode2ansi, 1, cef_unicode2ansi) \
    X(cef_ansi2unicode, 1, cef_ansi2unicode) \
    X(cef_setosmodalloop, 1, cef_setosmodalloop) \
    X(cef_app_registerhotkey, 4, cef_app_registerhotkey) \
    X(cef_app_unregisterhotkey, 2, cef_app_unregisterhotkey) \
    X(cef_app_registeinstance, 1, cef_app_registeinstance) \
    X(cef_app_closeprocess, 1, cef_app_closeprocess) \
    X(cef_app_closeprocessbyid, 1, cef_app_closeprocessbyid) \
    X(cef_app_sendmessage, 3, cef_app_sendmessage) \
    X(cef_app_gethwndstr, 1, cef_app_gethwndstr) \
    X(cef_app_currentlyon, 1, cef_app_currentlyon) \
    X(cef_app_setfilterpath, 1, cef_app_setfilterpath)

// The primitives of a window (cef::CefWindow; its statics are named as the program reads them).
#define CEFHX_WINDOW_PRIMITIVES(X) \
    X(cef_window_create, 5, _window_create) \
    X(cef_window_close, 1, _window_close) \
    X(cef_window_show, 5, _window_show) \
    X(window_set_prop, 3, _window_set_prop) \
    X(window_get_prop, 2, _window_get_prop) \
    X(window_set_title, 2, _window_set_title) \
    X(window_drag, 1, _window_drag) \
    X(window_resize, 2, _window_resize) \
    X(window_setround, 3, _window_setround) \
    X(window_onresloaded, 2, _window_onresloaded) \
    X(window_set_message_hook, 2, _window_set_message_hook) \
    X(cef_app_posttask, 2, cef_app_posttask)

// The primitives of a browser (cef::CefBrowser).
#define CEFHX_BROWSER_PRIMITIVES(X) \
    X(browser_sendfocusevent, 2, browser_sendfocusevent) \
    X(browser_sendcapturelostevent, 1, browser_sendcapturelostevent) \
    X(browser_sendmousewheelevent, 5, browser_sendmousewheelevent) \
    X(browser_sendmousemoveevent, 4, browser_sendmousemoveevent) \
    X(browser_sendmouseclickevent, 5, browser_sendmouseclickevent) \
    X(browser_sendkeyevent, 4, browser_sendkeyevent) \
    X(browser_invalidate, 5, browser_invalidate) \
    X(browser_setsize, 4, browser_setsize) \
    X(browser_getsize, 2, browser_getsize) \
    X(browser_closedevtools, 1, browser_closedevtools) \
    X(browser_showdevtools, 1, browser_showdevtools) \
    X(browser_clearhistory, 1, browser_clearhistory) \
    X(browser_stopfind, 1, browser_stopfind) \
    X(browser_find, 5, browser_find) \
    X(browser_stopload, 1, browser_stopload) \
    X(browser_reload, 2, browser_reload) \
    X(browser_hidepopup, 1, browser_hidepopup) \
    X(browser_goforward, 1, browser_goforward) \
    X(browser_goback, 1, browser_goback) \
    X(browser_getmainframeid, 1, browser_getmainframeid) \
    X(browser_getframenames, 1, browser_getframenames) \
    X(browser_getframeobj, 2, browser_getframeobj) \
    X(browser_getfocusedframeobj, 1, browser_getfocusedframeobj) \
    X(browser_setfocus, 2, browser_setfocus) \
    X(browser_getcangoforward, 1, browser_getcangoforward) \
    X(browser_getcangoback, 1, browser_getcangoback) \
    X(browser_getispopupvisible, 1, browser_getispopupvisible) \
    X(browser_iswindowrenderingdisabled, 1, browser_iswindowrenderingdisabled) \
    X(browser_setzoomlevel, 2, browser_setzoomlevel) \
    X(browser_getzoomlevel, 1, browser_getzoomlevel) \
    X(browser_hasdocument, 1, browser_hasdocument) \
    X(browser_ispopup, 1, browser_ispopup) \
    X(browser_seteventhandle, 3, browser_seteventhandle)

// The primitives of a frame (cef::CefFrame).
#define CEFHX_FRAME_PRIMITIVES(X) \
    X(frame_geturl, 3, frame_geturl) \
    X(frame_getparentid, 3, frame_getparentid) \
    X(frame_getparentobj, 3, frame_getparentobj) \
    X(frame_getidentifier, 3, frame_getidentifier) \
    X(frame_isfocused, 3, frame_isfocused) \
    X(frame_invokejsfunc, 5, frame_invokejsfunc) \
    X(frame_evaljavascript, 4, frame_evaljavascript) \
    X(frame_executejavascript, 5, frame_executejavascript) \
    X(frame_loadstring, 5, frame_loadstring) \
    X(frame_loadurl, 4, frame_loadurl) \
    X(frame_gettext, 3, frame_gettext) \
    X(frame_getsource, 3, frame_getsource) \
    X(frame_viewsource, 3, frame_viewsource) \
    X(frame_print, 3, frame_print) \
    X(frame_selectall, 3, frame_selectall) \
    X(frame_delete, 3, frame_delete) \
    X(frame_paste, 3, frame_paste) \
    X(frame_copy, 3, frame_copy) \
    X(frame_cut, 3, frame_cut) \
    X(frame_redo, 3, frame_redo) \
    X(frame_undo, 3, frame_undo)

// The primitives of a request (cef::CefRequest).
#define CEFHX_REQUEST_PRIMITIVES(X) \
    X(request_getfirstcookie, 1, request_getfirstcookie) \
    X(request_setheader, 3, request_setheader) \
    X(request_getheader, 2, request_getheader) \
    X(request_setmethod, 2, request_setmethod) \
    X(request_getmethod, 1, request_getmethod) \
    X(request_seturl, 2, request_seturl) \
    X(request_geturl, 1, request_geturl)

#define CEFHX_PRIMITIVES(X) \
    CEFHX_APP_PRIMITIVES(X) \
    CEFHX_WINDOW_PRIMITIVES(X) \
    CEFHX_BROWSER_PRIMITIVES(X) \
    CEFHX_FRAME_PRIMITIVES(X) \
    CEFHX_REQUEST_PRIMITIVES(X)
// clang-format on
