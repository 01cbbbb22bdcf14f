/* A parent written in C, linked only against corvane_parent.dll: it drives a whole session with
 * the host and the test engine and checks every answer of the C interface on the way, the
 * errors included. Prints one line for each failed check and exits with their count.
 *
 *   c_parent_driver session <host path>
 *   c_parent_driver runtime-missing <host path>   (the test engine told to have no runtime)
 */
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "corvane_parent_c.h"

static int failures = 0;

#define CHECK(condition)                                                      \
  do {                                                                        \
    if (!(condition)) {                                                       \
      printf("line %d: check failed: %s\n", __LINE__, #condition);           \
      ++failures;                                                             \
    }                                                                         \
  } while (0)
#define CHECK_ERROR(call, expected)                                                                   \
  do {                                                                                                \
    corvane_error got_ = (call);                                                                      \
    if (got_ != (expected)) {                                                                         \
      printf("line %d: %s gave %d (%ls), not %d\n", __LINE__, #call, (int)got_, corvane_error_text(got_), \
             (int)(expected));                                                                        \
      ++failures;                                                                                     \
    }                                                                                                 \
  } while (0)

typedef struct session {
  corvane_link* link;
  uint32_t view;             /* the main window's browser window, as the engine names it */
  int ready, closed, exited, page_calls, results, cookies;
  corvane_close_reason close_reason;
  corvane_error destroy_in_callback;
  int64_t call_id;
  wchar_t key[64];
  wchar_t function[64];
  int32_t result_status;
} session;

static void CORVANE_CALL on_ready(void* user, int32_t window_id, uint32_t handle) {
  session* s = (session*)user;
  s->ready = window_id == 256;
  s->view = handle;
  s->destroy_in_callback = corvane_link_destroy(s->link);
}
static void CORVANE_CALL on_closed(void* user, int32_t window_id, corvane_close_reason reason) {
  session* s = (session*)user;
  s->closed = window_id == 256;
  s->close_reason = reason;
}
static void CORVANE_CALL on_page_call(void* user, int32_t window_id, const corvane_page_call* call) {
  session* s = (session*)user;
  (void)window_id;
  s->page_calls++;
  s->call_id = call->call_id;
  wcsncpy(s->key, call->key, 63);
  wcsncpy(s->function, call->function, 63);
}
static void CORVANE_CALL on_result(void* user, int32_t window_id, int64_t call_id, int32_t status, const wchar_t* result) {
  session* s = (session*)user;
  (void)window_id;
  (void)call_id;
  (void)result;
  s->results++;
  s->result_status = status;
}
static void CORVANE_CALL on_cookies(void* user, int32_t window_id, const wchar_t* url, const wchar_t* listing) {
  (void)window_id;
  (void)url;
  (void)listing;
  ((session*)user)->cookies++;
}
static void CORVANE_CALL on_exit(void* user, uint32_t code) {
  (void)code;
  ((session*)user)->exited = 1;
}

static int32_t CORVANE_CALL flag_set(void* user) { return *(int*)user != 0; }
static int wait_for(int* flag) { return corvane_pump(20000, flag_set, flag); }

/* One request on the test engine's control pipe inside the host, made on a thread of its own
 * while this one handles the link's events: the host may send to the parent before it answers. */
typedef struct engine_request {
  wchar_t pipe[64];
  const char* request;
  char* answer;
  DWORD capacity;
  volatile LONG done;
  int ok;
} engine_request;

static DWORD WINAPI engine_thread(void* data) {
  engine_request* r = (engine_request*)data;
  DWORD read = 0;
  int attempt;
  for (attempt = 0; attempt < 100 && !r->ok; ++attempt) {
    if (CallNamedPipeW(r->pipe, (void*)r->request, (DWORD)strlen(r->request), r->answer, r->capacity - 1, &read, 5000)) {
      r->answer[read] = 0;
      r->ok = 1;
    } else {
      Sleep(20);
    }
  }
  InterlockedExchange(&r->done, 1);
  return 0;
}

static int32_t CORVANE_CALL request_done(void* user) { return ((engine_request*)user)->done != 0; }

static int engine(uint32_t host_pid, const char* request, char* answer, DWORD capacity) {
  engine_request r;
  HANDLE thread;
  memset(&r, 0, sizeof r);
  _snwprintf(r.pipe, 64, L"\\\\.\\pipe\\corvane-test-engine-%lu", (unsigned long)host_pid);
  r.request = request;
  r.answer = answer;
  r.capacity = capacity;
  thread = CreateThread(NULL, 0, engine_thread, &r, 0, NULL);
  corvane_pump(60000, request_done, &r);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return r.ok;
}

static corvane_link* other_thread_link;
static corvane_error other_thread_result;
static DWORD WINAPI other_thread(void* unused) {
  (void)unused;
  other_thread_result = corvane_navigate(other_thread_link, 256, L"https://a.example/", NULL);
  return 0;
}

static void folder_of(const wchar_t* path, wchar_t* folder, size_t capacity) {
  const wchar_t* slash = wcsrchr(path, L'\\');
  size_t n = slash != NULL ? (size_t)(slash - path) : 0;
  if (n >= capacity) n = capacity - 1;
  wmemcpy(folder, path, n);
  folder[n] = 0;
}

static void versions_and_texts(const wchar_t* folder) {
  wchar_t version[64];
  int code;
  CHECK(corvane_version() >> 24 == 1);
  CHECK(corvane_protocol_version() == 1);
  for (code = 0; code <= CORVANE_E_OUT_OF_MEMORY; ++code) CHECK(wcscmp(corvane_error_text((corvane_error)code), L"unknown error") != 0);
  CHECK(wcscmp(corvane_error_text((corvane_error)99), L"unknown error") == 0);
  CHECK_ERROR(corvane_runtime_version(folder, version, 64), CORVANE_OK);
  CHECK(wcscmp(version, L"131.0.2903.40") == 0);
  CHECK_ERROR(corvane_runtime_version(L"C:\\no such folder", version, 64), CORVANE_E_HOST_NOT_FOUND);
  CHECK_ERROR(corvane_runtime_version(NULL, version, 64), CORVANE_E_INVALID_ARGUMENT);
}

/* Every way starting can fail, each leaving the link as it was. */
static void failed_starts(corvane_link* link, const wchar_t* folder) {
  corvane_window_settings main = {sizeof main};
  wchar_t path[MAX_PATH];
  HANDLE file;
  DWORD written;
  main.window_id = 256;
  CHECK_ERROR(corvane_link_start_host(link, L"C:\\no such folder\\Corvane.exe", &main, NULL), CORVANE_E_HOST_NOT_FOUND);
  CHECK(wcsstr(corvane_link_last_error_text(link), L"no program at") != NULL);
  /* A file that is no program. */
  _snwprintf(path, MAX_PATH, L"%ls\\not-a-program-%lu.exe", folder, (unsigned long)GetCurrentProcessId());
  file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  WriteFile(file, "just text, no program", 21, &written, NULL);
  CloseHandle(file);
  CHECK_ERROR(corvane_link_start_host(link, path, &main, NULL), CORVANE_E_WRONG_ARCHITECTURE);
  DeleteFileW(path);
  CHECK_ERROR(corvane_link_start_host(link, folder, &main, NULL), CORVANE_E_SYSTEM);  /* a folder */
  main.window_id = 300;
  CHECK_ERROR(corvane_link_start_host(link, L"C:\\x.exe", &main, NULL), CORVANE_E_INVALID_SETTINGS);
  main.window_id = 256;
  main.title = L"one \" quote";
  CHECK_ERROR(corvane_link_start_host(link, L"C:\\x.exe", &main, NULL), CORVANE_E_INVALID_SETTINGS);
  main.title = NULL;
  main.policy_json = L"{\"origins\":\"not an array\"}";
  CHECK_ERROR(corvane_link_start_host(link, L"C:\\x.exe", &main, NULL), CORVANE_E_INVALID_SETTINGS);
  CHECK(wcsstr(corvane_link_last_error_text(link), L"origins") != NULL);
  main.size = 4;
  CHECK_ERROR(corvane_link_start_host(link, L"C:\\x.exe", &main, NULL), CORVANE_E_INVALID_ARGUMENT);
}

/* A program that never opens the host's channel takes no command: this driver itself, which
 * ends at once on a host's command line. Nothing is pumped before the command, so the link
 * cannot have heard of its end yet. */
static void silent_host(void) {
  corvane_events events = {sizeof events};
  session s;
  corvane_window_settings main = {sizeof main};
  wchar_t channel[32], self[MAX_PATH];
  memset(&s, 0, sizeof s);
  events.host_exited = on_exit;
  GetModuleFileNameW(NULL, self, MAX_PATH);
  CHECK_ERROR(corvane_link_create(&events, &s, &s.link), CORVANE_OK);
  _snwprintf(channel, 32, L"c-silent-%lu", (unsigned long)GetCurrentProcessId());
  CHECK_ERROR(corvane_link_open(s.link, channel), CORVANE_OK);
  main.window_id = 256;
  CHECK_ERROR(corvane_link_start_host(s.link, self, &main, NULL), CORVANE_OK);
  CHECK_ERROR(corvane_navigate(s.link, 256, L"https://app.example/", NULL), CORVANE_E_SEND_FAILED);
  CHECK(wcsstr(corvane_link_last_error_text(s.link), L"did not take") != NULL);
  CHECK(wait_for(&s.exited));
  CHECK_ERROR(corvane_navigate(s.link, 256, L"https://app.example/", NULL), CORVANE_E_HOST_GONE);
  CHECK_ERROR(corvane_link_destroy(s.link), CORVANE_OK);
}

static int run_session(const wchar_t* host) {
  corvane_events events = {sizeof events};
  session s;
  corvane_window_settings main = {sizeof main};
  corvane_link* squatter = NULL;
  wchar_t channel[32], folder[MAX_PATH];
  char request[256], answer[4096];
  const wchar_t* name = L"alice";
  HANDLE thread;

  memset(&s, 0, sizeof s);
  folder_of(host, folder, MAX_PATH);
  versions_and_texts(folder);
  events.window_ready = on_ready;
  events.window_closed = on_closed;
  events.page_call = on_page_call;
  events.page_call_result = on_result;
  events.cookies = on_cookies;
  events.host_exited = on_exit;
  CHECK_ERROR(corvane_link_create(NULL, &s, &s.link), CORVANE_E_INVALID_ARGUMENT);
  CHECK_ERROR(corvane_link_create(&events, &s, &s.link), CORVANE_OK);

  /* Out of order. */
  CHECK_ERROR(corvane_navigate(s.link, 256, L"https://a.example/", NULL), CORVANE_E_WRONG_STATE);
  CHECK_ERROR(corvane_link_start_host(s.link, host, &main, NULL), CORVANE_E_WRONG_STATE);
  CHECK_ERROR(corvane_link_open(s.link, NULL), CORVANE_E_INVALID_ARGUMENT);
  _snwprintf(channel, 32, L"c-parent-%lu", (unsigned long)GetCurrentProcessId());
  CHECK_ERROR(corvane_link_open(s.link, channel), CORVANE_OK);
  CHECK_ERROR(corvane_link_open(s.link, channel), CORVANE_E_WRONG_STATE);
  CHECK_ERROR(corvane_link_create(&events, NULL, &squatter), CORVANE_OK);
  CHECK_ERROR(corvane_link_open(squatter, channel), CORVANE_E_CHANNEL_IN_USE);
  CHECK_ERROR(corvane_link_destroy(squatter), CORVANE_OK);
  failed_starts(s.link, folder);
  silent_host();

  main.window_id = 256;
  main.url = L"https://app.example/";
  main.has_rect = 1;
  main.width = 640;
  main.height = 480;
  CHECK_ERROR(corvane_link_start_host(s.link, host, &main, NULL), CORVANE_OK);
  CHECK_ERROR(corvane_link_start_host(s.link, host, &main, NULL), CORVANE_E_WRONG_STATE);
  CHECK(corvane_link_host_process_id(s.link) != 0);
  CHECK(wait_for(&s.ready));
  CHECK_ERROR(s.destroy_in_callback, CORVANE_E_WRONG_STATE);

  /* Only the link's thread may use it. */
  other_thread_link = s.link;
  thread = CreateThread(NULL, 0, other_thread, NULL, 0, NULL);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CHECK_ERROR(other_thread_result, CORVANE_E_WRONG_THREAD);

  CHECK_ERROR(corvane_navigate(s.link, 256, L"https://app.example/next", NULL), CORVANE_OK);
  CHECK_ERROR(corvane_navigate(s.link, 255, L"https://app.example/next", NULL), CORVANE_E_INVALID_ARGUMENT);
  CHECK_ERROR(corvane_navigate(s.link, 256, NULL, NULL), CORVANE_E_INVALID_ARGUMENT);
  CHECK_ERROR(corvane_register_parent_function(s.link, 256, L"getUser"), CORVANE_OK);

  /* The page calls getUser; the parent answers; the page's callback's value comes back. */
  snprintf(request, sizeof request, "navigation-starting\t%lu\thttps://app.example/next", (unsigned long)s.view);
  CHECK(engine(corvane_link_host_process_id(s.link), request, answer, sizeof answer) && strcmp(answer, "ok") == 0);
  snprintf(request, sizeof request, "script\t%lu\tExecute\ts:getUser\tf:onUser\ts:a", (unsigned long)s.view);
  CHECK(engine(corvane_link_host_process_id(s.link), request, answer, sizeof answer));
  CHECK(wait_for(&s.page_calls));
  CHECK(wcscmp(s.function, L"getUser") == 0);
  CHECK(s.key[0] != 0);
  CHECK_ERROR(corvane_answer_page_call(s.link, 256, s.call_id, s.key, 1, &name), CORVANE_OK);
  CHECK(wait_for(&s.results));
  CHECK(s.result_status == 0);

  CHECK_ERROR(corvane_set_cookie(s.link, 256, L"https://app.example/", L"a=1"), CORVANE_OK);
  CHECK_ERROR(corvane_get_cookies(s.link, 256, L"https://app.example/", 0), CORVANE_OK);
  CHECK(wait_for(&s.cookies));

  CHECK_ERROR(corvane_close(s.link, 256), CORVANE_OK);
  CHECK(wait_for(&s.closed));
  CHECK(s.close_reason == CORVANE_CLOSED);
  CHECK(wait_for(&s.exited));
  CHECK_ERROR(corvane_navigate(s.link, 256, L"https://app.example/", NULL), CORVANE_E_HOST_GONE);
  CHECK_ERROR(corvane_link_destroy(s.link), CORVANE_OK);
  return failures;
}

/* Without a browser runtime: the parent can tell before it starts, and the main window's close
 * says so. */
static int run_runtime_missing(const wchar_t* host) {
  corvane_events events = {sizeof events};
  session s;
  corvane_window_settings main = {sizeof main};
  wchar_t channel[32], folder[MAX_PATH], version[64];
  memset(&s, 0, sizeof s);
  folder_of(host, folder, MAX_PATH);
  CHECK_ERROR(corvane_runtime_version(folder, version, 64), CORVANE_E_RUNTIME_MISSING);
  events.window_closed = on_closed;
  events.host_exited = on_exit;
  CHECK_ERROR(corvane_link_create(&events, &s, &s.link), CORVANE_OK);
  _snwprintf(channel, 32, L"c-parent-%lu", (unsigned long)GetCurrentProcessId());
  CHECK_ERROR(corvane_link_open(s.link, channel), CORVANE_OK);
  main.window_id = 256;
  main.url = L"https://app.example/";
  CHECK_ERROR(corvane_link_start_host(s.link, host, &main, NULL), CORVANE_OK);
  CHECK(wait_for(&s.closed));
  CHECK(s.close_reason == CORVANE_CLOSED_RUNTIME_MISSING);
  CHECK(wait_for(&s.exited));
  CHECK_ERROR(corvane_link_destroy(s.link), CORVANE_OK);
  return failures;
}

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && wcsncmp(argv[1], L"--", 2) == 0) return 64; /* started as a host: silent_host */
  if (argc == 3 && wcscmp(argv[1], L"session") == 0) return run_session(argv[2]);
  if (argc == 3 && wcscmp(argv[1], L"runtime-missing") == 0) return run_runtime_missing(argv[2]);
  printf("usage: c_parent_driver session|runtime-missing <host path>\n");
  return 100;
}
