/* The process's message loop: message windows, posted and sent messages, timers, copy-data
 * messages between processes, socket readiness as messages, fd watches, delayed tasks and
 * processes. The rules behind every function are in docs/msgloop.md. */
#ifndef PLATFORM_MSGLOOP_MSGLOOP_H
#define PLATFORM_MSGLOOP_MSGLOOP_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ML_API __attribute__((visibility("default")))

/* A window handle: positive, below 2^31, unique on the machine and never reused. 0 is none. */
typedef uint32_t ml_hwnd;

/* Status codes: ML_OK or a negative ML_ERR_*; ml_last_error() tells the details. */
enum {
    ML_OK = 0,
    ML_QUIT = 1,             /* ml_pump consumed a quit */
    ML_ERR_ARG = -1,         /* a bad argument */
    ML_ERR_NOT_STARTED = -2, /* ml_init has not run */
    ML_ERR_THREAD = -3,      /* called off the loop's thread */
    ML_ERR_NO_WINDOW = -4,   /* no such window (any more) */
    ML_ERR_NOT_LOCAL = -5,   /* the window belongs to another process */
    ML_ERR_TOO_LARGE = -6,   /* copy-data block above ML_COPYDATA_MAX */
    ML_ERR_TIMEOUT = -7,     /* the deadline passed */
    ML_ERR_HANGUP = -8,      /* the receiving process went away during the call */
    ML_ERR_DEPTH = -9,       /* the receiver refused: nested calls too deep */
    ML_ERR_PROTOCOL = -10,   /* malformed frame or another protocol version */
    ML_ERR_SYSTEM = -11,     /* a system call failed */
    ML_ERR_RUNNING = -12,    /* the process still runs */
    ML_ERR_DUPLICATE = -13,  /* a second copy of the loop in this process */
    ML_ERR_ENDED = -14       /* the process has already ended */
};

/* Standard message numbers. */
#define ML_WM_NULL 0x0000u
#define ML_WM_DESTROY 0x0002u
#define ML_WM_CLOSE 0x0010u
#define ML_WM_COPYDATA 0x004Au
#define ML_WM_TIMER 0x0113u
#define ML_WM_USER 0x0400u
#define ML_WM_APP 0x8000u

/* Largest copy-data block, in bytes. */
#define ML_COPYDATA_MAX 65536u
/* Deadline of a copy-data send given a negative timeout, in milliseconds. */
#define ML_SEND_TIMEOUT_DEFAULT 10000

/* lParam of ML_WM_COPYDATA points at this; the block lives only during the call. */
typedef struct ml_copydata {
    uint64_t data;
    uint32_t size;
    const void* ptr;
} ml_copydata;

typedef intptr_t (*ml_wndproc)(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam,
                               void* user);
typedef void (*ml_task_fn)(void* arg);
typedef int (*ml_wait_fn)(void* arg);
typedef void (*ml_fd_fn)(int fd, unsigned revents, void* arg);
typedef void (*ml_hook_fn)(void* arg);

/* Loop life. ml_init binds the loop to the calling thread. */
ML_API int ml_init(void);
ML_API int ml_shutdown(void);
ML_API uint64_t ml_instance_id(void);
ML_API int ml_is_loop_thread(void);
ML_API const char* ml_last_error(void);

/* Windows. */
ML_API int ml_create_window(ml_wndproc proc, void* user, ml_hwnd* out);
ML_API int ml_destroy_window(ml_hwnd hwnd);
/* 1 when the handle names a live window of any process, else 0. */
ML_API int ml_is_window(ml_hwnd hwnd);
ML_API intptr_t ml_default_proc(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam);

/* Messages. ml_post is safe from any thread. */
ML_API int ml_post(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam);
ML_API int ml_send(ml_hwnd hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam, intptr_t* result);
/* timeout_ms < 0: ML_SEND_TIMEOUT_DEFAULT. result may be null. */
ML_API int ml_send_copydata(ml_hwnd to, ml_hwnd from, uint64_t data, const void* ptr, uint32_t size,
                            int timeout_ms, intptr_t* result);

/* Timers: ML_WM_TIMER with wparam = id, repeating until killed. */
ML_API int ml_set_timer(ml_hwnd hwnd, uintptr_t id, uint32_t period_ms);
ML_API int ml_kill_timer(ml_hwnd hwnd, uintptr_t id);

/* Running. code may be null. */
ML_API int ml_run(int* code);
ML_API int ml_pump(int timeout_ms, int* code);
ML_API int ml_post_quit(int code);
/* Waits until done(arg) is non-zero (ML_OK) or the timeout passes (ML_ERR_TIMEOUT); negative
 * timeout: no deadline. Dispatches only incoming copy-data calls and ML_WATCH_IN_WAITS watches. */
ML_API int ml_wait(ml_wait_fn done, void* arg, int timeout_ms);
/* Runs fn(arg) on the loop's thread after delay_ms. Safe from any thread. */
ML_API int ml_post_task(ml_task_fn fn, void* arg, uint32_t delay_ms);
ML_API int ml_set_dispatch_hooks(ml_hook_fn before, ml_hook_fn after, void* arg);

/* Descriptor watches (poll(2) event bits in events and revents). */
#define ML_WATCH_IN_WAITS 0x1u
ML_API int ml_watch_fd(int fd, unsigned events, unsigned flags, ml_fd_fn fn, void* arg,
                       uint64_t* id);
ML_API int ml_unwatch_fd(uint64_t id);

/* Socket readiness as messages: wparam = fd, lparam = event | error << 16. */
#define ML_FD_READ 0x01u
#define ML_FD_WRITE 0x02u
#define ML_FD_CONNECT 0x10u
#define ML_FD_CLOSE 0x20u
#define ML_SOCKET_EVENT(lparam) ((unsigned)((uintptr_t)(lparam)&0xFFFFu))
#define ML_SOCKET_ERROR(lparam) ((int)(((uintptr_t)(lparam) >> 16) & 0xFFFFu))
ML_API int ml_socket_select(int fd, ml_hwnd hwnd, uint32_t msg, uint32_t events);
/* 0 when the connect started or finished, -1 with errno otherwise. */
ML_API int ml_socket_connect(int fd, const void* addr, uint32_t addrlen);
/* Bytes sent, or -1 with errno; a would-block arms one ML_FD_WRITE. */
ML_API long ml_socket_send(int fd, const void* data, size_t length);

/* Processes. */
typedef struct ml_process ml_process;
ML_API int ml_process_start(const char* cmdline, ml_process** out);
ML_API int ml_process_id(const ml_process* process);
/* ML_OK when ended, ML_ERR_TIMEOUT otherwise; negative timeout: no limit. */
ML_API int ml_process_wait(ml_process* process, int timeout_ms);
ML_API int ml_process_terminate(ml_process* process, int exit_code);
ML_API int ml_process_exit_code(ml_process* process, int* code);
ML_API void ml_process_close(ml_process* process);

/* The loop's clock, settable forward for tests. */
ML_API uint64_t ml_clock_now_ms(void);
ML_API void ml_clock_advance(uint64_t ms);

#ifdef __cplusplus
}
#endif

#endif
