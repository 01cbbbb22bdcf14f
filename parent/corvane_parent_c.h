/*
 * The parent application's end of the link to the browser host (Corvane.exe), as a C interface
 * of corvane_parent.dll: usable from C, from any C++ compiler and from any language that calls
 * C functions (C#, Delphi, Python's ctypes). Self-contained: it includes only C headers.
 *
 * Conventions
 * - Every function and every callback uses the cdecl convention on x86 (CORVANE_CALL), the C
 *   compilers' own, exported under its plain name (C#: CallingConvention.Cdecl; Python: CDLL;
 *   Delphi: cdecl); x64 has one convention. No C++ type and no exception crosses the boundary.
 * - Texts are UTF-16 (wchar_t, zero-terminated). Texts handed to a callback are valid until it
 *   returns; copy what you keep.
 * - Every function that can fail returns a corvane_error; corvane_error_text names each code,
 *   and corvane_link_last_error_text tells the details of a link's last failed call.
 * - Threads: a link belongs to the thread that created it. Every call on it must come from that
 *   thread (others get CORVANE_E_WRONG_THREAD), and its events arrive on that thread while it
 *   handles window messages: a GUI thread's own message loop, or corvane_pump.
 * - Nothing blocks for long: a command returns once the host has received it (from a host
 *   that hangs, after a time-out), without waiting for its answer, which comes as an event;
 *   only corvane_pump waits, for as long as it is told.
 * - Calls from inside an event callback are allowed, except corvane_link_destroy.
 *
 * A session:
 *
 *   static void CORVANE_CALL ready(void* user, int32_t window_id, uint32_t handle) { ... }
 *   corvane_events events = {sizeof events};
 *   events.window_ready = ready;
 *   corvane_link* link;
 *   corvane_link_create(&events, my_state, &link);
 *   corvane_link_open(link, L"7");
 *   corvane_window_settings main = {sizeof main};
 *   main.window_id = 256;
 *   main.parent_window = (uint32_t)(uintptr_t)my_window;
 *   main.url = L"https://example.com/";
 *   if (corvane_link_start_host(link, L"C:\\app\\Corvane.exe", &main, NULL) != CORVANE_OK)
 *     puts(corvane_link_last_error_text(link));
 *   ... events arrive; corvane_navigate(link, 256, L"https://example.com/other", NULL); ...
 *   corvane_close(link, 256);  then, after host_exited: corvane_link_destroy(link);
 */
#ifndef CORVANE_PARENT_C_H
#define CORVANE_PARENT_C_H

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(CORVANE_PARENT_BUILD)
#define CORVANE_API __declspec(dllexport)
#else
#define CORVANE_API __declspec(dllimport)
#endif
#define CORVANE_CALL __cdecl

typedef enum corvane_error {
  CORVANE_OK = 0,
  CORVANE_E_INVALID_ARGUMENT = 1,      /* a null pointer, a bad window id, a struct size unknown */
  CORVANE_E_INVALID_SETTINGS = 2,      /* a window setting the host would not read as written */
  CORVANE_E_WRONG_STATE = 3,           /* not now: opened twice, a command before the host runs */
  CORVANE_E_WRONG_THREAD = 4,          /* a call from a thread other than the link's */
  CORVANE_E_CHANNEL_IN_USE = 5,        /* another window has this channel name */
  CORVANE_E_HOST_NOT_FOUND = 6,        /* no program at the host path */
  CORVANE_E_WRONG_ARCHITECTURE = 7,    /* the host file is no program this system can start */
  CORVANE_E_SYSTEM = 8,                /* the system refused: the last error text says why */
  CORVANE_E_HOST_GONE = 9,             /* the host has ended: nothing reaches it any more */
  CORVANE_E_SEND_FAILED = 10,          /* the host did not take the command */
  CORVANE_E_RUNTIME_MISSING = 11,      /* no browser runtime is installed */
  CORVANE_E_OUT_OF_MEMORY = 12
} corvane_error;

/* Why a window closed. */
typedef enum corvane_close_reason {
  CORVANE_CLOSED = 0,                  /* closed by the parent, the user or the page */
  CORVANE_CLOSED_RUNTIME_MISSING = 1   /* closed before it was ready: no browser runtime */
} corvane_close_reason;

typedef struct corvane_link corvane_link;

/* A page's call of a parent function. When key is not empty the page awaits an answer:
 * corvane_answer_page_call with call_id and key. */
typedef struct corvane_page_call {
  int64_t call_id;
  const wchar_t* function;
  const wchar_t* key;
  size_t argument_count;
  const wchar_t* const* arguments;
} corvane_page_call;

/* The event callbacks; any may be null. size must be sizeof(corvane_events). user is the value
 * given to corvane_link_create. */
typedef struct corvane_events {
  uint32_t size;
  void(CORVANE_CALL* window_ready)(void* user, int32_t window_id, uint32_t window_handle);
  void(CORVANE_CALL* window_closed)(void* user, int32_t window_id, corvane_close_reason reason);
  void(CORVANE_CALL* load_failed)(void* user, int32_t window_id, const wchar_t* url, const wchar_t* reason);
  void(CORVANE_CALL* page_loaded)(void* user, int32_t window_id, const wchar_t* url);
  void(CORVANE_CALL* source_changed)(void* user, int32_t window_id, const wchar_t* url);
  void(CORVANE_CALL* title_changed)(void* user, int32_t window_id, const wchar_t* title);
  void(CORVANE_CALL* new_window_requested)(void* user, int32_t window_id, const wchar_t* url);
  void(CORVANE_CALL* page_call)(void* user, int32_t window_id, const corvane_page_call* call);
  void(CORVANE_CALL* page_call_result)(void* user, int32_t window_id, int64_t call_id, int32_t status,
                                       const wchar_t* result);
  void(CORVANE_CALL* cookies)(void* user, int32_t window_id, const wchar_t* url, const wchar_t* listing);
  void(CORVANE_CALL* frame_loaded)(void* user, int32_t window_id, const wchar_t* url);
  /* The host process ended: its exit code (0xFFFFFFFF for a normal end). */
  void(CORVANE_CALL* host_exited)(void* user, uint32_t exit_code);
} corvane_events;

/* A browser window's settings; size must be sizeof(corvane_window_settings). Null texts and
 * zero values are left out. */
typedef struct corvane_window_settings {
  uint32_t size;
  int32_t window_id;               /* a multiple of 256 from 256 to 65280 */
  const wchar_t* url;              /* the first page; without one (or about:blank) the browser
                                    * is made, and window_ready comes, at the first navigate */
  uint32_t parent_window;          /* the hosting window's handle, 32 bits in either bitness */
  int32_t has_rect;                /* non-zero: x, y, width and height place the window */
  int32_t x, y, width, height;
  const wchar_t* title;
  int32_t start_hidden;
  const wchar_t* referrer;
  int32_t follow_display_scale;
  const wchar_t* cache_path;       /* the browser's user-data folder; best outside %TEMP% */
  const wchar_t* browser_arguments;
  /* What the window's pages may do through external: the policy's JSON text (the library checks
   * and encodes it), or null for everything. */
  const wchar_t* policy_json;
} corvane_window_settings;

/* The library's version, (major << 24) | (minor << 16) | (patch << 8) | build, and the revision
 * of the message set it speaks with the host. Any thread, any time. */
CORVANE_API uint32_t CORVANE_CALL corvane_version(void);
CORVANE_API uint32_t CORVANE_CALL corvane_protocol_version(void);

/* The name of an error code ("invalid settings"); never null. Any thread, any time. */
CORVANE_API const wchar_t* CORVANE_CALL corvane_error_text(corvane_error error);

/* The browser runtime's version as the host's loader library would find it, asked of the
 * WebView2Loader.dll in host_folder (the host program's folder), so that a parent can tell
 * "runtime missing" before it starts the host. CORVANE_E_RUNTIME_MISSING when none is
 * installed; CORVANE_E_HOST_NOT_FOUND when the folder has no loader; the version is cut to
 * fit capacity characters (with its terminating zero). Any thread. The loader library stays
 * loaded in the process once asked. */
CORVANE_API corvane_error CORVANE_CALL corvane_runtime_version(const wchar_t* host_folder, wchar_t* version,
                                                               size_t capacity);

/* A link with its event callbacks (copied) and their user value. The calling thread becomes the
 * link's thread. */
CORVANE_API corvane_error CORVANE_CALL corvane_link_create(const corvane_events* events, void* user,
                                                           corvane_link** link);
/* Ends the link and frees it; no event comes after. Close the host's windows first and wait for
 * host_exited: a host still running is left to itself. Not from inside one of the link's
 * callbacks (CORVANE_E_WRONG_STATE). A null link is ignored. */
CORVANE_API corvane_error CORVANE_CALL corvane_link_destroy(corvane_link* link);

/* Opens this side of the named channel; once, before corvane_link_start_host. */
CORVANE_API corvane_error CORVANE_CALL corvane_link_open(corvane_link* link, const wchar_t* channel_name);
/* Starts the host with the main window's settings (after corvane_link_open, once). The channel
 * name is filled in. extra_switches (or null) are added to the command line as they are. */
CORVANE_API corvane_error CORVANE_CALL corvane_link_start_host(corvane_link* link, const wchar_t* host_path,
                                                               const corvane_window_settings* main,
                                                               const wchar_t* extra_switches);
/* The host's process id, or 0 before it started. */
CORVANE_API uint32_t CORVANE_CALL corvane_link_host_process_id(const corvane_link* link);
/* What went wrong in the link's last failed call, or an empty text; valid until the next call
 * on the link. */
CORVANE_API const wchar_t* CORVANE_CALL corvane_link_last_error_text(const corvane_link* link);

/* Handles the calling thread's window messages (and so the links' events) for timeout_ms,
 * returning early once quit(user) (if given) answers non-zero; answers whether it did. For
 * threads without a message loop of their own. */
CORVANE_API int32_t CORVANE_CALL corvane_pump(uint32_t timeout_ms, int32_t(CORVANE_CALL* quit)(void* user),
                                              void* user);

/* Commands, once the host is started; each returns once the host has received it.
 * CORVANE_E_SEND_FAILED while the host's channel window does not exist (before it is up). */
CORVANE_API corvane_error CORVANE_CALL corvane_navigate(corvane_link* link, int32_t window_id, const wchar_t* url,
                                                        const wchar_t* cookie);
CORVANE_API corvane_error CORVANE_CALL corvane_create_window(corvane_link* link,
                                                             const corvane_window_settings* settings);
CORVANE_API corvane_error CORVANE_CALL corvane_set_bounds(corvane_link* link, int32_t window_id, int32_t x,
                                                          int32_t y, int32_t width, int32_t height);
CORVANE_API corvane_error CORVANE_CALL corvane_show(corvane_link* link, int32_t window_id, int32_t visible);
CORVANE_API corvane_error CORVANE_CALL corvane_close(corvane_link* link, int32_t window_id);
CORVANE_API corvane_error CORVANE_CALL corvane_mute(corvane_link* link, int32_t window_id, int32_t muted);
CORVANE_API corvane_error CORVANE_CALL corvane_go_back(corvane_link* link, int32_t window_id);
CORVANE_API corvane_error CORVANE_CALL corvane_go_forward(corvane_link* link, int32_t window_id);
CORVANE_API corvane_error CORVANE_CALL corvane_reload(corvane_link* link, int32_t window_id);
CORVANE_API corvane_error CORVANE_CALL corvane_stop(corvane_link* link, int32_t window_id);
CORVANE_API corvane_error CORVANE_CALL corvane_set_referrer(corvane_link* link, int32_t window_id,
                                                            const wchar_t* referrer);
CORVANE_API corvane_error CORVANE_CALL corvane_set_cookie(corvane_link* link, int32_t window_id, const wchar_t* url,
                                                          const wchar_t* cookie);
CORVANE_API corvane_error CORVANE_CALL corvane_delete_cookie(corvane_link* link, int32_t window_id,
                                                             const wchar_t* url, const wchar_t* name);
/* The cookies for url arrive as the cookies event. */
CORVANE_API corvane_error CORVANE_CALL corvane_get_cookies(corvane_link* link, int32_t window_id, const wchar_t* url,
                                                           int32_t http_only_only);
CORVANE_API corvane_error CORVANE_CALL corvane_register_parent_function(corvane_link* link, int32_t window_id,
                                                                        const wchar_t* function);
/* Calls a function the page registered; its value arrives as page_call_result with call_id. */
CORVANE_API corvane_error CORVANE_CALL corvane_call_page_function(corvane_link* link, int32_t window_id,
                                                                  int64_t call_id, const wchar_t* function,
                                                                  size_t argument_count,
                                                                  const wchar_t* const* arguments);
/* Answers a page's call (call_id and key of its corvane_page_call): its callback receives the
 * arguments. */
CORVANE_API corvane_error CORVANE_CALL corvane_answer_page_call(corvane_link* link, int32_t window_id,
                                                                int64_t call_id, const wchar_t* key,
                                                                size_t argument_count,
                                                                const wchar_t* const* arguments);

#ifdef __cplusplus
}
#endif

#endif /* CORVANE_PARENT_C_H */
