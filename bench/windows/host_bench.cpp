// The host's main jobs under Wine, each beside the baseline a user would compare it with, all in
// one run: channel round trips, one-way throughput, a burst of page calls, page calls through
// the test engine, start-up and the shared log. Prints one table row per figure.
//   host_bench [rounds] [sections]
// sections: letters of the parts to run, "rtbpsl" (round trips, throughput, burst, page calls,
// start-up, log); all when left out.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/text_win.h"
#include "child_process.h"
#include "host_session.h"
#include "log/logger.h"
#include "webview2common/base64.h"
#include "webview2common/message/channel_win.h"
#include "webview2common/message/ipc_message.h"
#include "webview2common/message/ipc_protocol.h"

namespace {

using Clock = std::chrono::steady_clock;
using testwin::ChildProcess;
using testwin::HostSession;

double Micros(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

struct Stats {
  double median = 0, p99 = 0;
};

Stats Of(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  if (samples.empty()) return {};
  return {samples[samples.size() / 2], samples[std::min(samples.size() - 1, samples.size() * 99 / 100)]};
}

void Row(const char* what, const std::string& figure, const std::string& baseline, const std::string& ratio) {
  std::printf("| %s | %s | %s | %s |\n", what, figure.c_str(), baseline.c_str(), ratio.c_str());
  std::fflush(stdout);
}

std::string Us(double us) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f µs", us);
  return text;
}

std::string Ratio(double a, double b) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f×", b > 0 ? a / b : 0.0);
  return text;
}

std::string Fmt(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::wstring Beside(const wchar_t* name) { return ProgramFolder() + L"\\" + name; }

HWND WaitForPeerWindow(DWORD pid) {
  const std::wstring title = L"corvane-bench-peer-" + std::to_wstring(pid);
  for (int i = 0; i < 500; ++i) {
    if (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, title.c_str())) return w;
    Sleep(10);
  }
  return nullptr;
}

HANDLE PeerDoneEvent(DWORD pid) {
  const std::wstring name = L"corvane-bench-done-" + std::to_wstring(pid);
  for (int i = 0; i < 500; ++i) {
    if (HANDLE e = OpenEventW(SYNCHRONIZE, FALSE, name.c_str())) return e;
    Sleep(10);
  }
  return nullptr;
}

// The receiving window of the bare echo: like the parent's end, it copies what arrives and
// handles it once the send has returned.
std::atomic<int> g_echoes{0};
std::vector<char> g_echo;
LRESULT CALLBACK DriverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) {
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    g_echo.assign(static_cast<const char*>(copy->lpData), static_cast<const char*>(copy->lpData) + copy->cbData);
    PostMessageW(window, WM_APP + 2, 0, 0);
    return TRUE;
  }
  if (message == WM_APP + 2) {
    ++g_echoes;
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND DriverWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DriverProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"CorvaneBenchDriver";
  RegisterClassW(&wc);
  return CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

// The bytes of a command-7 message for an unknown window, as the parent library sends it.
size_t PageCallCommandSize() {
  IPC::CallPageFunctionCommand body;
  body.call_id = 1;
  body.function = u"f";
  IPC::Message message = corvane::MakeCommand(512, body.kCode);
  return IPC::WriteBody(message, body) ? message.size() : 64;
}

constexpr int kWarmUp = 200;

// One party of the round-trip comparison: a round it runs and the times it took.
struct RoundTripper {
  std::string name;
  std::function<void(int)> round;
  std::vector<double> us;
};

// A host answering command 7 for a window it does not have with event 11. program names an
// earlier build to compare with, or is empty for the one beside this benchmark.
class RoundTripHost {
 public:
  RoundTripHost(bool log_on, const std::wstring& program) {
    if (!log_on) DeleteFileW((host_.log_path + L".on").c_str());
    corvane::HostWindowSettings main = host_.MainSettings(256);
    main.url = u"https://bench.example/";
    const std::wstring saved = testwin::EnvironmentText(L"CORVANE_TEST_HOST");
    if (!program.empty()) SetEnvironmentVariableW(L"CORVANE_TEST_HOST", program.c_str());
    host_.StartWith(main);
    SetEnvironmentVariableW(L"CORVANE_TEST_HOST", saved.empty() ? nullptr : saved.c_str());
    host_.WaitFor([&] { return host_.events.Count(IPC::kEvtCreated) == 1; });
  }
  ~RoundTripHost() {
    host_.link.Close(256);
    host_.WaitForHostExit();
  }
  void Round(int i) {
    const size_t before = host_.events.events.size();
    host_.link.CallPageFunction(512, i + 1, u"f", {});
    host_.WaitFor([&] { return host_.events.events.size() > before; }, 5000);
  }

 private:
  HostSession host_;
};

void RoundTrips(int rounds) {
  const size_t size = PageCallCommandSize();
  std::vector<char> payload(size, 'x');
  std::vector<RoundTripper> parties;
  // Named pipe, message mode, the same bytes each way.
  const std::wstring pipe_name = L"\\\\.\\pipe\\corvane-bench-" + std::to_wstring(GetCurrentProcessId());
  ChildProcess pipe_peer;
  pipe_peer.Start(Beside(L"bench_peer.exe"), L"pipe " + pipe_name);
  HANDLE pipe = INVALID_HANDLE_VALUE;
  for (int i = 0; i < 500 && pipe == INVALID_HANDLE_VALUE; ++i, Sleep(10)) {
    pipe = CreateFileW(pipe_name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  DWORD mode = PIPE_READMODE_MESSAGE;
  SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
  std::vector<char> answer(size);
  parties.push_back({"pipe", [&](int) {
                       DWORD read = 0;
                       TransactNamedPipe(pipe, payload.data(), static_cast<DWORD>(size), answer.data(),
                                         static_cast<DWORD>(size), &read, nullptr);
                     }, {}});
  // Bare WM_COPYDATA echo: sent to the peer, which sends it back once its send has returned.
  HWND own = DriverWindow();
  ChildProcess echo_peer;
  echo_peer.Start(Beside(L"bench_peer.exe"), L"echo");
  HWND echo_window = WaitForPeerWindow(echo_peer.pid());
  parties.push_back({"echo", [&](int) {
                       const int before = g_echoes;
                       COPYDATASTRUCT copy{0, static_cast<DWORD>(size), payload.data()};
                       SendMessageW(echo_window, WM_COPYDATA, reinterpret_cast<WPARAM>(own),
                                    reinterpret_cast<LPARAM>(&copy));
                       corvane::ParentLink::PumpUntil([&] { return g_echoes > before; }, 5000);
                     }, {}});
  // The host with its log off, as it is unless someone switches it on; beside it one with its
  // log on, as the tests run it; and, when CORVANE_BENCH_BEFORE names an earlier build of the
  // host, that build with its log off, so that a change is measured before and after in one run.
  RoundTripHost host(false, L"");
  RoundTripHost logging(true, L"");
  const std::wstring before_program = testwin::EnvironmentText(L"CORVANE_BENCH_BEFORE");
  std::unique_ptr<RoundTripHost> before;
  if (!before_program.empty()) before = std::make_unique<RoundTripHost>(false, before_program);
  parties.push_back({"host", [&](int i) { host.Round(i); }, {}});
  parties.push_back({"logging", [&](int i) { logging.Round(i); }, {}});
  if (before) parties.push_back({"before", [&](int i) { before->Round(i); }, {}});
  // Round by round, each party in turn and the order turning, so that every party meets the
  // machine in the same state: on a shared machine the speed of a round drifts by a fifth
  // within a minute.
  for (int i = 0; i < rounds + kWarmUp; ++i) {
    for (size_t k = 0; k < parties.size(); ++k) {
      RoundTripper& party = parties[(i + k) % parties.size()];
      const auto start = Clock::now();
      party.round(i);
      if (i >= kWarmUp) party.us.push_back(Micros(start));
    }
  }
  CloseHandle(pipe);
  PostMessageW(echo_window, WM_QUIT, 0, 0);
  DestroyWindow(own);
  const Stats pipe_s = Of(parties[0].us), echo = Of(parties[1].us), host_s = Of(parties[2].us);
  const Stats logging_s = Of(parties[3].us);
  std::printf("\nChannel round trip, %zu-byte message, %d rounds after %d warm-up rounds, the parties taking "
              "turns round by round\n\n",
              size, rounds, kWarmUp);
  std::printf("| figure | measured | baseline | ratio |\n|---|---|---|---|\n");
  Row("named pipe request and reply (message mode), median", Us(pipe_s.median), "", "");
  Row("bare WM_COPYDATA echo, median", Us(echo.median), Us(pipe_s.median) + " (named pipe)",
      Ratio(echo.median, pipe_s.median));
  Row("host: command 7 → event 11, median", Us(host_s.median), Us(echo.median) + " (bare echo)",
      Ratio(host_s.median, echo.median));
  Row("host: command 7 → event 11, 99th percentile", Us(host_s.p99), Us(echo.p99) + " (bare echo)",
      Ratio(host_s.p99, echo.p99));
  Row("host with its log switched on: command 7 → event 11, median", Us(logging_s.median),
      Us(echo.median) + " (bare echo)", Ratio(logging_s.median, echo.median));
  if (before) {
    const Stats b = Of(parties[4].us);
    Row("the earlier host (CORVANE_BENCH_BEFORE): command 7 → event 11, median", Us(b.median),
        Us(echo.median) + " (bare echo)", Ratio(b.median, echo.median));
    Row("the earlier host (CORVANE_BENCH_BEFORE): command 7 → event 11, 99th percentile", Us(b.p99),
        Us(echo.p99) + " (bare echo)", Ratio(b.p99, echo.p99));
  }
}

// A stream message: its sequence number first, its low byte last, the rest filler.
std::vector<char> StreamMessage(size_t size, uint32_t sequence) {
  std::vector<char> bytes(size, 'y');
  std::memcpy(bytes.data(), &sequence, 4);
  bytes[size - 1] = static_cast<char>(sequence);
  return bytes;
}

// The floor: one WM_COPYDATA per message, the receiver copying it and handling it after the
// send returned. Messages per second, or 0 when one was lost or reordered.
double BareStream(size_t size, int count) {
  ChildProcess peer;
  peer.Start(Beside(L"bench_peer.exe"), L"sink " + std::to_wstring(count));
  HWND window = WaitForPeerWindow(peer.pid());
  const ScopedHandle done(PeerDoneEvent(peer.pid()));
  const auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    std::vector<char> bytes = StreamMessage(size, static_cast<uint32_t>(i));
    COPYDATASTRUCT copy{0, static_cast<DWORD>(bytes.size()), bytes.data()};
    SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
  }
  const bool all = WaitForSingleObject(done.Get(), 60000) == WAIT_OBJECT_0;
  const double rate = count / (Micros(start) / 1e6);
  PostMessageW(window, WM_QUIT, 0, 0);
  return all && peer.Wait(10000) == 0 ? rate : 0;
}

// The host's channel sending to the parent's end of a channel in another process. Messages per
// second, or 0 when one was lost or reordered.
double ChannelStream(size_t size, int count, IPC::Delivery delivery) {
  static int streams = 0;
  const std::wstring name = L"bench-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++streams);
  CChannel channel;
  channel.Init(std::u16string(name.begin(), name.end()));
  ChildProcess peer;
  peer.Start(Beside(L"bench_peer.exe"), L"channel-sink " + name + L" " + std::to_wstring(count));
  const ScopedHandle done(PeerDoneEvent(peer.pid()));
  // Wait until the parent's end is there: a direct send fails until then.
  const std::wstring proxy = CChannel::ProxyWindowName(std::u16string(name.begin(), name.end()));
  for (int i = 0; i < 500 && FindWindowW(nullptr, proxy.c_str()) == nullptr; ++i) Sleep(10);
  const auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    // Routed as the host's events are: to the parent's listener alone.
    IPC::Message message(IPC::kHostRouting, 0x7777, 0);
    const std::vector<char> bytes = StreamMessage(size, static_cast<uint32_t>(i));
    if (!message.WriteBytes(bytes.data(), static_cast<int>(bytes.size())) || !channel.Send(message, delivery)) {
      std::printf("send %d failed\n", i);
      break;
    }
  }
  const bool all = WaitForSingleObject(done.Get(), 120000) == WAIT_OBJECT_0;
  const double rate = count / (Micros(start) / 1e6);
  channel.Uninit();
  return all && peer.Wait(10000) == 0 ? rate : 0;
}

void Throughput() {
  constexpr int kRuns = 5;
  std::printf("\nThroughput one way (the host's channel sending to the parent's end in another process), median "
              "of %d runs, the four streams of a size taking turns run by run\n\n",
              kRuns);
  std::printf("| body | delivery | messages/s | MB/s | bare WM_COPYDATA stream, messages/s | ratio |\n"
              "|---|---|---|---|---|---|\n");
  struct Size {
    size_t bytes;
    int count;
  };
  const IPC::Delivery deliveries[] = {IPC::Delivery::kImmediate, IPC::Delivery::kDeferred, IPC::Delivery::kQueued};
  const char* names[] = {"immediate", "deferred", "queued (the host's events)"};
  for (const Size& s : {Size{64, 2000}, Size{4096, 1500}, Size{65536, 400}, Size{1 << 20, 30}}) {
    // Index 0 is the bare stream, 1-3 the channel's deliveries.
    std::vector<double> rates[4];
    bool whole[4] = {true, true, true, true};
    for (int run = 0; run < kRuns; ++run) {
      for (int k = 0; k < 4; ++k) {
        const int which = (run + k) % 4;
        const double rate =
            which == 0 ? BareStream(s.bytes, s.count) : ChannelStream(s.bytes, s.count, deliveries[which - 1]);
        if (rate == 0) whole[which] = false;
        rates[which].push_back(rate);
      }
    }
    const double bare = Of(rates[0]).median;
    for (int which = 1; which < 4; ++which) {
      const double rate = Of(rates[which]).median;
      Row((std::to_string(s.bytes) + " B").c_str(),
          std::string(names[which - 1]) + (whole[which] ? "" : " (LOST OR REORDERED)") + " | " + Fmt("%.0f", rate),
          Fmt("%.1f", rate * s.bytes / 1e6),
          Fmt("%.0f", bare) + (whole[0] ? "" : " (LOST OR REORDERED)") + " | " + Ratio(rate, bare));
    }
  }
}

void PageCallBurst() {
  constexpr int kCalls = 4000;
  HostSession host;
  corvane::HostWindowSettings main = host.MainSettings(256);
  main.url = u"https://bench.example/";
  host.StartWith(main);
  host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; });
  const size_t before = host.events.events.size();
  const auto start = Clock::now();
  for (int i = 0; i < kCalls; ++i) host.link.CallPageFunction(512, i + 1, u"f", {});
  const double sent_s = Micros(start) / 1e6;
  host.WaitFor([&] { return host.events.events.size() >= before + kCalls; }, 120000);
  const double seconds = Micros(start) / 1e6;
  bool in_order = host.events.events.size() == before + kCalls;
  for (int i = 0; in_order && i < kCalls; ++i) in_order = host.events.events[before + i].number == i + 1;
  std::printf("\nBurst of %d page calls to an unknown window (sent in %.2f s, deferred)\n\n", kCalls, sent_s);
  std::printf("| figure | measured |\n|---|---|\n");
  Row("answers per second", Fmt("%.0f", kCalls / seconds) + (in_order ? " (all, in order)" : " (LOST OR REORDERED)"), "",
      "");
  host.link.Close(256);
  host.WaitForHostExit();
}

// A page of bench.example in a window of its own, external given; returns the web view's name.
std::string OpenBenchPage(HostSession& host, const std::optional<std::u16string>& policy) {
  corvane::HostWindowSettings main = host.MainSettings(256);
  main.url = u"https://bench.example/";
  main.external_policy = policy;
  host.StartWith(main);
  host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; });
  const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
  host.WaitFor([&] { return host.Engine("views").find(view) != std::string::npos; });
  host.WaitFor([&] { return testwin::FindLine(host.EngineCalls(), view + " add_NavigationStarting") >= 0; });
  host.Engine("navigation-starting\t" + view + "\thttps://bench.example/");
  host.Engine("navigation-completed\t" + view + "\t1\t0");  // the page is shown: it answers calls
  return view;
}

void PageCalls(int rounds) {
  HostSession host;
  const std::string view = OpenBenchPage(host, std::nullopt);
  std::vector<double> pipe_us, execute_us, builtin_us;
  for (int i = 0; i < rounds + 20; ++i) {
    auto start = Clock::now();
    host.Engine("views");
    if (i >= 20) pipe_us.push_back(Micros(start));
    // Page script calls a parent function; the parent answers; the page's callback runs and its
    // result reaches the parent as event 11.
    const size_t results = host.events.Count(IPC::kEvtPageCallResult);
    const size_t calls = host.events.Count(IPC::kEvtPageCall);
    start = Clock::now();
    host.Engine("script\t" + view + "\tExecute\ts:getUser\tf:onUser\ts:a");
    if (!host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCall) > calls; }, 5000)) {
      std::printf("no page call arrived\n");
      break;
    }
    const testwin::RecordedEvent call = host.events.Of(IPC::kEvtPageCall).back();
    host.link.AnswerPageCall(256, corvane::PageCall{call.number, call.texts[0], call.texts[1], {}}, {u"ok"});
    host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) > results; }, 5000);
    if (i >= 20) execute_us.push_back(Micros(start));
    start = Clock::now();
    host.Engine("script\t" + view + "\tCallBuiltinSync\ts:encry_with_key\ts:{\"data\":\"12345678\",\"key\":\"k\"}");
    if (i >= 20) builtin_us.push_back(Micros(start));
  }
  host.link.Close(256);
  host.WaitForHostExit();
  const Stats pipe = Of(pipe_us), execute = Of(execute_us), builtin = Of(builtin_us);
  std::printf("\nPage calls through the test engine, %d rounds after 20 warm-up rounds (each starts with a "
              "request on the engine's control pipe, served on the host's UI thread)\n\n",
              rounds);
  std::printf("| figure | median | 99th percentile | baseline (control-pipe request alone), median | ratio |\n"
              "|---|---|---|---|---|\n");
  Row("page Execute → parent → answer → page callback → event 11", Us(execute.median) + " | " + Us(execute.p99),
      Us(pipe.median), Ratio(execute.median, pipe.median));
  Row("synchronous built-in (encry_with_key)", Us(builtin.median) + " | " + Us(builtin.p99), Us(pipe.median),
      Ratio(builtin.median, pipe.median));
}

// The same synchronous built-in call in two hosts, one without a policy and one whose policy
// has 20 origins and every scope set, taken in turns.
void PolicyCost(int rounds) {
  std::string json = "{\"origins\":[";
  for (int i = 1; i < 20; ++i) json += "\"https://o" + std::to_string(i) + ".example\",";
  json += "\"https://bench.example\"],\"builtins\":{\"*\":[\"files\",\"cipher\"]},"
          "\"paths\":[\"C:\\\\a\",\"C:\\\\b\\\\c\",\"D:\\\\data\",\"\\\\\\\\srv\\\\share\",\"C:\\\\windows\"],"
          "\"registry\":[\"HKEY_CURRENT_USER\\\\Software\\\\Bench\"],\"programs\":[\"C:\\\\a\\\\tool.exe\"],"
          "\"url_schemes\":[\"bench\"]}";
  const std::string encoded = Base64UrlEncode(json);
  HostSession open_host;
  HostSession policy_host;
  const std::string open_view = OpenBenchPage(open_host, std::nullopt);
  const std::string policy_view = OpenBenchPage(policy_host, std::u16string(encoded.begin(), encoded.end()));
  const std::string call = "\tCallBuiltinSync\ts:file_path_exist\ts:C:\\windows\\win.ini";
  std::vector<double> open_us, policy_us;
  std::string open_answer, policy_answer;
  for (int i = 0; i < rounds + 20; ++i) {
    // Each goes first every other round, so that neither pays for the other's wake-up.
    for (int turn = 0; turn < 2; ++turn) {
      const bool policy_turn = (turn == 0) == (i % 2 == 0);
      const auto start = Clock::now();
      (policy_turn ? policy_answer : open_answer) =
          (policy_turn ? policy_host : open_host).Engine("script\t" + (policy_turn ? policy_view : open_view) + call);
      if (i >= 20) (policy_turn ? policy_us : open_us).push_back(Micros(start));
    }
  }
  const Stats open = Of(open_us), checked = Of(policy_us);
  std::printf("\nA synchronous built-in (file_path_exist) under a policy, %d rounds in turns after 20 warm-up "
              "rounds\n\n| figure | median | 99th percentile | baseline (no policy), median | ratio |\n"
              "|---|---|---|---|---|\n",
              rounds);
  Row("20 origins, every scope set", Us(checked.median) + " | " + Us(checked.p99), Us(open.median),
      Ratio(checked.median, open.median) + (open_answer == policy_answer ? "" : " (ANSWERS DIFFER)"));
  open_host.link.Close(256);
  policy_host.link.Close(256);
  open_host.WaitForHostExit();
  policy_host.WaitForHostExit();
}

// One start of the host (program, or the one beside this benchmark when empty) with its log
// off, as it is unless someone switches it on: how long process start → event 1 took.
double HostStart(const std::wstring& program) {
  HostSession host;
  DeleteFileW((host.log_path + L".on").c_str());
  corvane::HostWindowSettings main = host.MainSettings(256);
  main.url = u"https://bench.example/";
  const std::wstring saved = testwin::EnvironmentText(L"CORVANE_TEST_HOST");
  if (!program.empty()) SetEnvironmentVariableW(L"CORVANE_TEST_HOST", program.c_str());
  const auto start = Clock::now();
  host.StartWith(main);
  host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }, 20000);
  const double ready_at = Micros(start);
  SetEnvironmentVariableW(L"CORVANE_TEST_HOST", saved.empty() ? nullptr : saved.c_str());
  host.link.Close(256);
  host.WaitForHostExit();
  return ready_at;
}

// One start of the baseline that only loads the loader and shows one browser window: how long
// process start → its controller took.
double BaselineStart() {
  const std::wstring event_name = L"corvane-bench-baseline-" + std::to_wstring(GetTickCount64());
  const ScopedHandle ready(CreateEventW(nullptr, TRUE, FALSE, event_name.c_str()));
  const std::wstring data = testwin::MakeTempFolder(L"baseline");
  ChildProcess baseline;
  const auto start = Clock::now();
  baseline.Start(Beside(L"startup_baseline.exe"), event_name + L" " + data);
  const HANDLE both[] = {ready.Get(), baseline.handle()};
  const bool came = WaitForMultipleObjects(2, both, FALSE, 20000) == WAIT_OBJECT_0;
  const double ready_at = Micros(start);
  baseline.PostToMainThread(WM_QUIT, 5000);
  baseline.Wait(10000);
  testwin::RemoveTree(data);
  return came ? ready_at : 0;
}

// A program of our own that does nothing: what starting any process costs here.
double TrivialStart() {
  ChildProcess trivial;
  const auto start = Clock::now();
  trivial.Start(Beside(L"bench_peer.exe"), L"none");
  trivial.Wait(10000);
  return Micros(start);
}

void StartUp(int starts) {
  struct Party {
    std::function<double()> start;
    std::vector<double> us;
  };
  std::vector<Party> parties{{TrivialStart, {}}, {BaselineStart, {}}, {[] { return HostStart(L""); }, {}}};
  const std::wstring before_program = testwin::EnvironmentText(L"CORVANE_BENCH_BEFORE");
  if (!before_program.empty()) parties.push_back({[&] { return HostStart(before_program); }, {}});
  // Start by start, each party in turn and the order turning, as in the round trips.
  for (int i = 0; i < starts + 1; ++i) {
    for (size_t k = 0; k < parties.size(); ++k) {
      Party& party = parties[(i + k) % parties.size()];
      const double us = party.start();
      if (i > 0) party.us.push_back(us);
    }
  }
  const double trivial = Of(parties[0].us).median, baseline = Of(parties[1].us).median;
  const double host = Of(parties[2].us).median;
  std::printf("\nStart-up, median of %d starts after one warm-up start, the parties taking turns\n\n", starts);
  std::printf("| figure | median | baseline: the loader and one browser window, nothing else | ratio |\n"
              "|---|---|---|---|\n");
  Row("a program that does nothing: start → end", Us(trivial), "", "");
  Row("the baseline: start → its browser window's controller", Us(baseline), "",
      Ratio(baseline, trivial) + " of doing nothing");
  Row("host: process start → event 1 of the main window", Us(host), Us(baseline), Ratio(host, baseline));
  if (parties.size() > 3) {
    const double before = Of(parties[3].us).median;
    Row("the earlier host (CORVANE_BENCH_BEFORE): start → event 1", Us(before), Us(baseline),
        Ratio(before, baseline));
  }
}

// Lines of the log file that contain marker.
size_t CountLines(const std::wstring& path, const std::string& marker) {
  const std::string text = testwin::ReadFileBytes(path);
  size_t count = 0;
  for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1)) ++count;
  return count;
}

void Log() {
  const std::wstring folder = testwin::MakeTempFolder(L"log-bench");
  // A file of its own for each run: a closed log keeps its file open until the process ends.
  auto log_path = [&](const std::wstring& name) {
    const std::wstring path = folder + L"\\" + name + L".log";
    testwin::WriteFileBytes(path + L".on", "");
    return path;
  };
  const std::string padding(40, '.');
  constexpr int kLines = 100000;
  std::printf("\nShared log, %d lines of about 100 bytes each run\n\n", kLines);
  std::printf("| figure | lines/s | lines in the file | baseline: WriteFile of each line (write handle at the end), lines/s | ratio |\n"
              "|---|---|---|---|---|\n");
  // The floor of a log that writes every line as it comes: one WriteFile per line, through a
  // write handle at the file's end as the log's own; beside it the same through a handle opened
  // for appending only, which finds the end again on every write.
  auto plain_lines = [&](const wchar_t* name, DWORD access) {
    const std::wstring plain = folder + L"\\" + name;
    const ScopedHandle file(CreateFileW(plain.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    SetFilePointerEx(file.Get(), LARGE_INTEGER{}, nullptr, FILE_END);
    const auto start = Clock::now();
    for (int i = 0; i < kLines; ++i) {
      char line[160];
      const int n = std::snprintf(line, sizeof line, "12-08 22:10:44.123 [  123][  456][I][  42][bench] plain line %d %s\r\n",
                                  i, padding.c_str());
      DWORD written = 0;
      WriteFile(file.Get(), line, static_cast<DWORD>(n), &written, nullptr);
    }
    return kLines / (Micros(start) / 1e6);
  };
  const double plain_rate = plain_lines(L"plain.log", GENERIC_WRITE);
  const double append_only_rate = plain_lines(L"append-only.log", FILE_APPEND_DATA);
  // The process's logger keeps the file it was first opened with; each run marks its lines.
  const std::wstring path = log_path(L"threads");
  LogUtils::InitLog(as_u16cstr(path.c_str()), 0, 0, 0, u"");
  for (int threads : {1, 4}) {
    const std::string marker = "bench" + std::to_string(threads) + " line ";
    const auto start = Clock::now();
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
      writers.emplace_back([&, t] {
        for (int i = 0; i < kLines / threads; ++i) LOG_INFO(marker, t, " ", i, " ", padding);
      });
    }
    for (std::thread& w : writers) w.join();
    // A forced flush: whatever waited in memory is in the file when the clock stops.
    LogUtils::GetLogger()->ProcessCommand(u"--set_log_lev=0");
    const double rate = kLines / (Micros(start) / 1e6);
    Row((std::to_string(threads) + (threads == 1 ? " thread" : " threads")).c_str(),
        Fmt("%.0f", rate) + " | " + std::to_string(CountLines(path, marker)), Fmt("%.0f", plain_rate),
        Ratio(rate, plain_rate));
  }
  LogUtils::UninitLog();
  {
    const std::wstring path = log_path(L"processes");
    const auto start = Clock::now();
    ChildProcess a, b;
    const std::wstring args = L"\"" + path + L"\" " + std::to_wstring(kLines / 2) + L" 0 0";
    a.Start(Beside(L"log_writer.exe"), args);
    b.Start(Beside(L"log_writer.exe"), args);
    a.Wait(300000);
    b.Wait(300000);
    const double rate = kLines / (Micros(start) / 1e6);
    Row("2 processes (including their start)",
        Fmt("%.0f", rate) + " | " + std::to_string(CountLines(path, " line ")), Fmt("%.0f", plain_rate),
        Ratio(rate, plain_rate));
  }
  std::printf("\nThe same WriteFile of each line through a handle opened for appending only: %.0f lines/s.\n",
              append_only_rate);
  testwin::RemoveTree(folder);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? _wtoi(argv[1]) : 2000;
  const std::wstring sections = argc > 2 ? argv[2] : L"rtbposl";
  auto wanted = [&](wchar_t letter) { return sections.find(letter) != std::wstring::npos; };
  if (wanted(L'r')) RoundTrips(rounds);
  if (wanted(L't')) Throughput();
  if (wanted(L'b')) PageCallBurst();
  if (wanted(L'p')) PageCalls(std::max(50, rounds / 10));
  if (wanted(L'o')) PolicyCost(std::max(50, rounds / 10));
  if (wanted(L's')) StartUp(10);
  if (wanted(L'l')) Log();
  return 0;
}
