// The real host driving a real browser: pages from archives, `external`, titles, failed loads,
// new windows, cookies and screenshots, through the browser engine and a headless Chromium
// that the test command starts (CORVANE_CHROMIUM names it; without it these tests are skipped).
#include <gtest/gtest.h>

#include <oaidl.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>

#include "base/text_convert.h"
#include "base/text_win.h"
#include "chromium_client.h"
#include "host_session.h"
#include "loopback_server.h"
#include "webview2/webview2_abi.h"
#include "webview2common/base64.h"
#include "webview2common/com_ptr_win.h"
#include "webview2common/message/ipc_protocol.h"

namespace {

using testwin::HostSession;

std::string Narrow(const std::u16string& text) { return text::Utf16ToUtf8(text); }

// An uncompressed 24-bit BMP of width x height pixels, all of one colour.
std::string Bitmap(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t pixels = static_cast<uint32_t>(stride * height);
  std::string bmp(54 + pixels, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, static_cast<uint32_t>(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bmp[26] = 1;
  bmp[28] = 24;
  put32(34, pixels);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t at = 54 + static_cast<size_t>(y * stride + x * 3);
      bmp[at] = static_cast<char>(b);
      bmp[at + 1] = static_cast<char>(g);
      bmp[at + 2] = static_cast<char>(r);
    }
  }
  return bmp;
}

// The pixels of an 8-bit RGB or RGBA PNG that is not interlaced; false for anything else.
struct Image {
  uint32_t width = 0, height = 0, channels = 0;
  std::string pixels;  // rows, top first
  bool Has(uint8_t r, uint8_t g, uint8_t b) const {
    for (size_t at = 0; at + 2 < pixels.size(); at += channels) {
      if (static_cast<uint8_t>(pixels[at]) == r && static_cast<uint8_t>(pixels[at + 1]) == g &&
          static_cast<uint8_t>(pixels[at + 2]) == b) {
        return true;
      }
    }
    return false;
  }
};

bool DecodePng(const std::string& png, Image* image) {
  auto be32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(png[at]) << 24 | static_cast<uint8_t>(png[at + 1]) << 16 |
                                 static_cast<uint8_t>(png[at + 2]) << 8 | static_cast<uint8_t>(png[at + 3]));
  };
  if (png.size() < 8 || png.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) != 0) return false;
  std::string compressed;
  int depth = 0, type = 0, interlace = 0;
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t length = be32(at);
    if (length > png.size() - at - 12) return false;
    const std::string kind = png.substr(at + 4, 4);
    const size_t data = at + 8;
    if (kind == "IHDR" && length >= 13) {
      image->width = be32(data);
      image->height = be32(data + 4);
      depth = static_cast<uint8_t>(png[data + 8]);
      type = static_cast<uint8_t>(png[data + 9]);
      interlace = static_cast<uint8_t>(png[data + 12]);
    } else if (kind == "IDAT") {
      compressed.append(png, data, length);
    } else if (kind == "IEND") {
      break;
    }
    at += 12 + length;
  }
  if (depth != 8 || (type != 2 && type != 6) || interlace != 0 || image->width == 0 || image->width > 10000 ||
      image->height == 0 || image->height > 10000) {
    return false;
  }
  image->channels = type == 6 ? 4 : 3;
  const size_t stride = image->width * image->channels;
  std::string raw((stride + 1) * image->height, '\0');
  uLongf size = static_cast<uLongf>(raw.size());
  if (uncompress(reinterpret_cast<Bytef*>(raw.data()), &size, reinterpret_cast<const Bytef*>(compressed.data()),
                 static_cast<uLong>(compressed.size())) != Z_OK ||
      size != raw.size()) {
    return false;
  }
  image->pixels.assign(stride * image->height, '\0');
  auto* out = reinterpret_cast<uint8_t*>(image->pixels.data());
  const auto* in = reinterpret_cast<const uint8_t*>(raw.data());
  for (size_t y = 0; y < image->height; ++y) {
    const uint8_t filter = in[y * (stride + 1)];
    const uint8_t* line = in + y * (stride + 1) + 1;
    uint8_t* row = out + y * stride;
    const uint8_t* up = y > 0 ? row - stride : nullptr;
    for (size_t x = 0; x < stride; ++x) {
      const int a = x >= image->channels ? row[x - image->channels] : 0;
      const int b = up != nullptr ? up[x] : 0;
      const int c = up != nullptr && x >= image->channels ? up[x - image->channels] : 0;
      int predicted = 0;
      switch (filter) {
        case 0: predicted = 0; break;
        case 1: predicted = a; break;
        case 2: predicted = b; break;
        case 3: predicted = (a + b) / 2; break;
        case 4: {
          const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
          predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
          break;
        }
        default: return false;
      }
      row[x] = static_cast<uint8_t>(line[x] + predicted);
    }
  }
  return true;
}

// The page of the archive: its style sheet and image are relative, its script reports what it
// sees to the parent through `external` and shows the parent's answer.
const std::string kIndex = R"(<!doctype html>
<html><head><title>Archive page</title><link rel="stylesheet" href="css/site.css"></head>
<body><div id="box">Corvane</div><img id="logo" src="img/logo.bmp"><p id="answer">waiting</p>
<script>
external.RegisterFunction(function (a, b) { return a + '+' + b; }, 'add');
window.addEventListener('load', function () {
  var color = getComputedStyle(document.getElementById('box')).backgroundColor;
  var width = String(document.getElementById('logo').naturalWidth);
  var sealed = external.CallBuiltinSync('encry_with_key', JSON.stringify({data: '12345678', key: 'k'}));
  var opened = external.CallBuiltinSync('decry_with_key', JSON.stringify({data: sealed, key: 'k'}));
  external.Execute('pageReady', function (answer) {
    document.getElementById('answer').textContent = answer;
    document.title = 'Answered: ' + answer;
    return 'shown ' + answer;
  }, color, width, opened);
});
</script></body></html>)";
const std::string kCss =
    "body { margin: 0; background: #ffffff; }\n"
    "#box { background-color: #1a7f3c; color: #ffffff; width: 240px; height: 90px; }\n";

class Chromium : public testing::Test {
 protected:
  void SetUp() override {
    if (testwin::EnvironmentText(L"CORVANE_CHROMIUM").empty()) {
      GTEST_SKIP() << "no browser to drive: CORVANE_CHROMIUM is not set (the test command starts Chromium "
                      "and sets it where Chromium can be installed)";
    }
    const std::wstring host = ProgramFolder() + L"\\..\\chromium-engine\\Corvane.exe";
    ASSERT_NE(GetFileAttributesW(host.c_str()), INVALID_FILE_ATTRIBUTES) << "the browser engine's folder is not built";
    saved_host_ = testwin::EnvironmentText(L"CORVANE_TEST_HOST");
    SetEnvironmentVariableW(L"CORVANE_TEST_HOST", host.c_str());
    folder_ = testwin::MakeTempFolder(L"chromium");
  }
  void TearDown() override {
    if (folder_.empty()) return;
    SetEnvironmentVariableW(L"CORVANE_TEST_HOST", saved_host_.empty() ? nullptr : saved_host_.c_str());
    testwin::RemoveTree(folder_);
  }

  // Starts the host with its main window (256) at url, under a policy if one is given; false
  // unless event 1 came.
  bool Open(HostSession& host, const std::u16string& url, std::optional<std::u16string> policy = std::nullopt) {
    corvane::HostWindowSettings main = host.MainSettings(256);
    main.url = url;
    main.external_policy = std::move(policy);
    if (!host.StartWith(main)) return false;
    if (!host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }, 20000)) return false;
    view_ = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
    return true;
  }

  static bool HasTitle(const HostSession& host, const std::u16string& text) {
    for (const auto& title : host.events.Of(IPC::kEvtTitleChanged)) {
      if (title.texts[0] == text) return true;
    }
    return false;
  }

  std::string Browser(const HostSession& host, const std::string& request) const {
    return ChromiumEngineRequest(host.link.host_process_id(), request);
  }

  // The packed archive of the page above (or of another index page, with extra style sheets
  // css/s<n>.css it links, and further files), and its compound address.
  std::u16string PackedPage(const std::string& index = kIndex, int extra_sheets = 0,
                            const std::vector<std::pair<std::wstring, std::string>>& files = {}) {
    const std::wstring app = folder_ + L"\\app";
    CreateDirectoryW(app.c_str(), nullptr);
    CreateDirectoryW((app + L"\\css").c_str(), nullptr);
    CreateDirectoryW((app + L"\\img").c_str(), nullptr);
    std::string links;
    for (int i = 0; i < extra_sheets; ++i) {
      const std::string name = "css/s" + std::to_string(i) + ".css";
      testwin::WriteFileBytes(app + L"\\" + std::wstring(name.begin(), name.end()), ".s" + std::to_string(i) + " { color: red; }\n");
      links += "<link rel='stylesheet' href='" + name + "'>";
    }
    testwin::WriteFileBytes(app + L"\\index.html", links + index);
    testwin::WriteFileBytes(app + L"\\css\\site.css", kCss);
    testwin::WriteFileBytes(app + L"\\img\\logo.bmp", Bitmap(7, 5, 0xd0, 0x20, 0x20));
    for (const auto& [name, bytes] : files) testwin::WriteFileBytes(app + L"\\" + name, bytes);
    const std::wstring archive = folder_ + L"\\app.dat";
    testwin::ChildProcess packer;
    if (!packer.Start(ProgramFolder() + L"\\archive_packer.exe", L"pack \"" + app + L"\" pagekey \"" + archive + L"\"") ||
        packer.Wait(30000) != 0) {
      return u"";
    }
    return u"zip://pagekey|" + to_u16(archive.c_str()) + u"|/index.html";
  }

  std::wstring folder_;
  std::wstring saved_host_;
  std::string view_;
};

TEST_F(Chromium, ArchivePageRunsWithItsStyleImageAndExternal) {
  HostSession host;
  const std::u16string page = PackedPage();
  ASSERT_FALSE(page.empty());
  ASSERT_TRUE(Open(host, page));

  // Script saw the style sheet applied and the image decoded, and a built-in answered it.
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCall) == 1; }, 20000))
      << "loads failed: " << host.events.Count(IPC::kEvtLoadFailed);
  const testwin::RecordedEvent call = host.events.Of(IPC::kEvtPageCall)[0];
  ASSERT_EQ(call.texts.size(), 5u);
  EXPECT_EQ(call.texts[0], u"pageReady");
  EXPECT_EQ(call.texts[2], u"rgb(26, 127, 60)") << "the computed style of #box";
  EXPECT_EQ(call.texts[3], u"7") << "the image's natural width";
  EXPECT_EQ(call.texts[4], u"12345678") << "encrypted and decrypted by the built-ins";
  EXPECT_EQ(host.events.Count(IPC::kEvtLoadFailed), 0u);

  // The parent's answer reaches the page's callback, whose value comes back as event 11,
  // and the title the callback sets comes as event 7.
  corvane::PageCall answer{call.number, call.texts[0], call.texts[1], {}};
  ASSERT_TRUE(host.link.AnswerPageCall(256, answer, {u"hello"}));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) == 1; }));
  EXPECT_EQ(host.events.Of(IPC::kEvtPageCallResult)[0].number, call.number);
  EXPECT_EQ(host.events.Of(IPC::kEvtPageCallResult)[0].texts, std::vector<std::u16string>{u"shown hello"});
  ASSERT_TRUE(host.WaitFor([&] { return HasTitle(host, u"Answered: hello"); })) << "no event 7 with the title set by script";

  // The parent calls the function the page registered.
  ASSERT_TRUE(host.link.CallPageFunction(256, 77, u"add", {u"1", u"2"}));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCallResult) == 2; }));
  const testwin::RecordedEvent added = host.events.Of(IPC::kEvtPageCallResult)[1];
  EXPECT_EQ(added.number, 77);
  EXPECT_EQ(added.status, IPC::kCallDone);
  EXPECT_EQ(added.texts, std::vector<std::u16string>{u"1+2"});

  // What the page shows: its box in the style sheet's colour.
  EXPECT_EQ(Browser(host, "evaluate\t" + view_ + "\tdocument.getElementById('answer').textContent"), "\"hello\"");
  const std::wstring shot = folder_ + L"\\page.png";
  ASSERT_EQ(Browser(host, "screenshot\t" + view_ + "\t" + Narrow(to_u16(shot.c_str()))), "ok");
  const std::string png = testwin::ReadFileBytes(shot);
  Image image;
  ASSERT_TRUE(DecodePng(png, &image)) << png.size() << " bytes";
  EXPECT_TRUE(image.Has(0x1a, 0x7f, 0x3c)) << "the box's colour is not in the screenshot";
  EXPECT_TRUE(image.Has(0xd0, 0x20, 0x20)) << "the image's colour is not in the screenshot";

  // Hidden by the parent, the page is hidden to its own script; shown again, visible.
  const std::string state = "evaluate\t" + view_ + "\tdocument.visibilityState";
  ASSERT_TRUE(host.link.Show(256, false));
  EXPECT_TRUE(host.WaitFor([&] { return Browser(host, state) == "\"hidden\""; }, 5000)) << Browser(host, state);
  ASSERT_TRUE(host.link.Show(256, true));
  EXPECT_TRUE(host.WaitFor([&] { return Browser(host, state) == "\"visible\""; }, 5000)) << Browser(host, state);
}

// A module script importing another, and a WebAssembly module compiled as it streams in: the
// browser runs them only when they come with their web types, which a fresh system's registry
// does not have.
TEST_F(Chromium, ModuleScriptsAndWebAssemblyFromAnArchiveRun) {
  // (module (func (export "answer") (result i32) i32.const 42))
  const std::string wasm("\0asm\1\0\0\0\1\5\1\x60\0\1\x7f\3\2\1\0\7\x0a\1\6answer\0\0\x0a\6\1\4\0\x41\x2a\x0b", 39);
  const std::string app =
      "import { name } from './lib.mjs';\n"
      "WebAssembly.instantiateStreaming(fetch('answer.wasm')).then(\n"
      "  (m) => { document.title = name + ' ' + m.instance.exports.answer(); },\n"
      "  (e) => { document.title = 'failed: ' + e; });\n";
  HostSession host;
  const std::u16string page = PackedPage("<!doctype html><title>waiting</title><script type='module' src='app.mjs'></script>", 0,
                                         {{L"app.mjs", app}, {L"lib.mjs", "export const name = 'module';\n"}, {L"answer.wasm", wasm}});
  ASSERT_FALSE(page.empty());
  ASSERT_TRUE(Open(host, page));
  EXPECT_TRUE(host.WaitFor([&] { return HasTitle(host, u"module 42"); }, 20000))
      << "title: " << Browser(host, "evaluate\t" + view_ + "\tdocument.title");
}

TEST_F(Chromium, TitleFailedLoadAndNewWindow) {
  testwin::LoopbackServer server([](const testwin::HttpRequest& request) {
    testwin::HttpAnswer answer;
    answer.content_type = "text/html; charset=utf-8";
    if (request.target == "/opener") {
      answer.body = "<title>Opener</title><script>document.title = 'Set by script';"
                    "window.open('https://popup.invalid/child?x=1');</script>";
    } else if (request.target == "/slow") {
      answer.delay_ms = 2000;
    } else {
      answer.status = 404;
    }
    return answer;
  });
  HostSession host;
  ASSERT_TRUE(Open(host, server.Url("/opener")));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtNewWindow) == 1; }, 20000));
  EXPECT_EQ(host.events.Of(IPC::kEvtNewWindow)[0].texts[0], u"https://popup.invalid/child?x=1");
  ASSERT_TRUE(host.WaitFor([&] { return HasTitle(host, u"Set by script"); }));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageLoaded) >= 1; }));
  EXPECT_EQ(host.events.Count(IPC::kEvtLoadFailed), 0u);

  // A port nothing listens on: the connection is refused.
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(probe);
  const std::string closed = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
  ASSERT_TRUE(host.link.Navigate(256, std::u16string(closed.begin(), closed.end())));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtLoadFailed) == 1; }, 20000));
  const testwin::RecordedEvent failed = host.events.Of(IPC::kEvtLoadFailed)[0];
  EXPECT_EQ(Narrow(failed.texts[0]), closed);
  EXPECT_EQ(failed.texts[1], u"@StatusCode=12") << "COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT";

  // A load the parent stops ends as canceled.
  ASSERT_TRUE(host.link.Navigate(256, server.Url("/slow")));
  host.WaitFor([] { return false; }, 500);
  ASSERT_TRUE(host.link.Stop(256));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtLoadFailed) == 2; }, 5000));
  EXPECT_EQ(host.events.Of(IPC::kEvtLoadFailed)[1].texts[1], u"@StatusCode=14") << "OPERATION_CANCELED";
}

// A page the browser loads without a request still starts as a navigation, so the host gives it
// `external` even as the window's first page.
TEST_F(Chromium, APageWithoutARequestGetsExternal) {
  HostSession host;
  ASSERT_TRUE(Open(host, u"data:text/html,<script>external.Execute('fromData', function () {}, 'x')</script>"));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCall) == 1; }, 20000));
  EXPECT_EQ(host.events.Of(IPC::kEvtPageCall)[0].texts[0], u"fromData");
}

// A renderer that crashes under a real browser: the parent hears of it and the host's reload
// brings the page back.
TEST_F(Chromium, ACrashedRendererIsReportedAndThePageLoadsAgain) {
  HostSession host;
  ASSERT_TRUE(Open(host, u"data:text/html,<title>before</title>"));
  ASSERT_TRUE(host.WaitFor([&] { return HasTitle(host, u"before"); }, 20000));
  EXPECT_EQ(Browser(host, "crash\t" + view_ + "\trenderer"), "ok");
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtLoadFailed) == 1; }, 20000));
  EXPECT_EQ(host.events.Of(IPC::kEvtLoadFailed)[0].texts[1], u"process failed: render process exited");
  const std::string reloaded = "\"reload\"";
  ASSERT_TRUE(host.WaitFor([&] {
    return Browser(host, "evaluate\t" + view_ + "\tperformance.getEntriesByType('navigation')[0].type") == reloaded;
  }, 20000)) << "the page runs again, loaded by the host's reload";
}

// A session that leaves requests pending (an archive page, a failed load, a page whose image
// never comes) and then the close of the main window: the host ends, and the parent hears
// event 2, within a few seconds.
TEST_F(Chromium, ClosingWithRequestsPendingEndsTheHost) {
  testwin::LoopbackServer server([](const testwin::HttpRequest& request) {
    testwin::HttpAnswer answer;
    answer.content_type = "text/html; charset=utf-8";
    if (request.target == "/page") {
      answer.body = "<title>Pending</title><img src='/hang'>";
    } else if (request.target == "/hang") {
      answer.delay_ms = 6000;  // still pending when the window closes
    } else {
      answer.status = 404;
    }
    return answer;
  });
  HostSession host;
  ASSERT_TRUE(Open(host, PackedPage("<title>Many</title>", 300)));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageLoaded) >= 1; }, 20000));
  ASSERT_TRUE(host.link.Navigate(256, u"http://127.0.0.1:1/"));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtLoadFailed) >= 1; }, 20000));
  ASSERT_TRUE(host.link.Navigate(256, server.Url("/page")));
  ASSERT_TRUE(host.WaitFor([&] { return HasTitle(host, u"Pending"); }, 20000));
  ASSERT_TRUE(host.WaitFor([&] {
    for (const auto& request : server.Requests()) {
      if (request.target == "/hang") return true;
    }
    return false;
  }, 20000));
  ASSERT_TRUE(host.link.Close(256));
  EXPECT_EQ(host.WaitForHostExit(20000), 0xFFFFFFFFu);
  host.WaitFor([&] { return host.events.Count(IPC::kEvtClosed) == 1; }, 2000);
  EXPECT_EQ(host.events.Count(IPC::kEvtClosed), 1u);
  EXPECT_EQ(host.CountLogLinesEndingWith("the main window did not close in time, the host ends"), 0u)
      << "the close finished by itself";
}

// A window's policy over a real browser, with pages of two loopback origins (two ports) and of
// an archive: the allowed origin calls what its entry allows and a parent function; the other
// origin has no `external` in its script at all, and the allowed page loses it when it leaves.
TEST_F(Chromium, ThePolicyDecidesWhichPagesHaveExternal) {
  // Each page's own script calls the host and reports what it saw (the engine cannot serve a
  // page's call to the host while it waits for a script of the test's).
  const std::string denied = "'{\"error\":\"permission_denied\"}'";
  const std::string encrypt = "external.CallBuiltinSync('encry_with_key', '{\"data\":\"12345678\",\"key\":\"k\"}')";
  testwin::LoopbackServer other([](const testwin::HttpRequest&) {
    testwin::HttpAnswer answer;
    answer.content_type = "text/html; charset=utf-8";
    answer.body = "<script>var r; try { r = chrome.webview.hostObjects.sync.external.CallBuiltinSync('get_scale', '{}'); }"
                  " catch (e) { r = 'threw'; } document.title = 'other ' + typeof external + ' ' + r;</script>";
    return answer;
  });
  const std::string other_page = Narrow(other.Url("/page"));
  // What the allowed built-ins may touch: paths outside "paths" however spelled, a program not
  // listed, a Run key; each is refused.
  const std::string refusals = R"(['file_path_exist', 'C:\\allowed\\..\\windows'],
      ['file_path_exist', 'c:/ALLOWED/../Windows/win.ini'], ['file_path_exist', '\\\\?\\C:\\other'],
      ['run_exe', '{"path":"C:\\\\windows\\\\system32\\\\cmd.exe"}'],
      ['write_regedit', '{"value_type":3,"hkey":"HKEY_CURRENT_USER",)"
      R"("sub_key":"Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run","key_name":"x","value":"y"}'])";
  testwin::LoopbackServer allowed([&](const testwin::HttpRequest&) {
    testwin::HttpAnswer answer;
    answer.content_type = "text/html; charset=utf-8";
    answer.body = "<script>var refused = [" + refusals + "].filter(function (c) {"
                  " return external.CallBuiltinSync(c[0], c[1]) === " + denied + "; }).length;"
                  "external.Execute('seen', function () {}, typeof external, " + encrypt +
                  ", external.CallBuiltinSync('copy_clip', '{\"content\":\"x\"}'), String(refused));"
                  "location.href = '" + other_page + "';</script>";
    return answer;
  });
  const std::string origin = Narrow(allowed.Url(""));
  const std::string policy = "{\"origins\":[\"" + origin + "\",\"archive\"],\"builtins\":{\"" + origin +
                             "\":[\"cipher\",\"files\",\"registry\",\"shell\"],\"archive\":[\"window\"]},"
                             "\"parent_functions\":[\"seen\"],\"paths\":[\"C:\\\\allowed\"],"
                             "\"programs\":[\"C:\\\\allowed\\\\tool.exe\"]}";
  const std::string encoded = Base64UrlEncode(policy);
  HostSession host;
  ASSERT_TRUE(Open(host, allowed.Url("/page"), std::u16string(encoded.begin(), encoded.end())));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCall) == 1; }, 20000));
  const testwin::RecordedEvent seen = host.events.Of(IPC::kEvtPageCall)[0];
  ASSERT_EQ(seen.texts.size(), 6u);
  EXPECT_EQ(seen.texts[0], u"seen");
  EXPECT_NE(seen.texts[2], u"undefined");
  EXPECT_NE("'" + Narrow(seen.texts[3]) + "'", denied) << "the origin's entry allows the cipher";
  EXPECT_EQ("'" + Narrow(seen.texts[4]) + "'", denied) << "the clipboard is not in its entry";
  EXPECT_EQ(seen.texts[5], u"5") << "refused of the five calls outside the scopes";

  // The page went on to the other origin: there it has no external, not even through the bridge.
  EXPECT_TRUE(host.WaitFor([&] { return HasTitle(host, u"other undefined threw"); }, 20000));

  // The archive's pages are the "archive" origin, with its own entry.
  ASSERT_TRUE(host.link.Navigate(256, PackedPage("<script>document.title = 'archived ' + typeof external + ' ' +"
                                                 " (external.CallBuiltinSync('get_scale', '{}') !== " + denied + ") + ' ' + " +
                                                 encrypt + ";</script>")));
  EXPECT_TRUE(host.WaitFor([&] { return HasTitle(host, u"archived function true {\"error\":\"permission_denied\"}"); }, 20000));
  EXPECT_EQ(host.events.Count(IPC::kEvtPageCall), 1u);

  // A policy that cannot be read: no browser window, and event 4 says why.
  HostSession refused;
  corvane::HostWindowSettings main = refused.MainSettings(256);
  main.url = other.Url("/page");
  main.external_policy = u"{not base64}";
  const int asked = static_cast<int>(other.Requests().size());
  ASSERT_TRUE(refused.StartWith(main));
  ASSERT_TRUE(refused.WaitFor([&] { return refused.events.Count(IPC::kEvtLoadFailed) == 1; }, 20000));
  EXPECT_EQ(refused.events.Of(IPC::kEvtLoadFailed)[0].texts[1].rfind(u"external_policy: ", 0), 0u);
  EXPECT_EQ(refused.events.Count(IPC::kEvtCreated), 0u);
  EXPECT_EQ(static_cast<int>(other.Requests().size()), asked) << "no page was asked for under the bad policy";
}

TEST_F(Chromium, CookiesOfTheParentAndOfThePage) {
  testwin::LoopbackServer server([](const testwin::HttpRequest& request) {
    testwin::HttpAnswer answer;
    answer.content_type = "text/html; charset=utf-8";
    if (request.target == "/page") {
      answer.body = "<script>document.cookie = 'fromPage=yes; path=/';"
                    "external.Execute('cookies', function () {}, document.cookie);</script>";
    } else {
      answer.body = "<title>blank</title>";
    }
    return answer;
  });
  HostSession host;
  ASSERT_TRUE(Open(host, server.Url("/blank")));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageLoaded) >= 1; }, 20000));

  ASSERT_TRUE(host.link.SetCookie(256, server.Url("/"), u"fromParent=1"));
  ASSERT_TRUE(host.link.Navigate(256, server.Url("/page")));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCall) == 1; }, 20000));
  const std::string seen = Narrow(host.events.Of(IPC::kEvtPageCall)[0].texts.back());
  EXPECT_NE(seen.find("fromParent=1"), std::string::npos) << seen;
  EXPECT_NE(seen.find("fromPage=yes"), std::string::npos) << seen;

  ASSERT_TRUE(host.link.GetCookies(256, server.Url("/"), false));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCookieList) == 1; }));
  const std::string listing = Narrow(host.events.Of(IPC::kEvtCookieList)[0].texts[1]);
  EXPECT_NE(listing.find("\"Name\": \"fromPage\", \"Value\": \"yes\""), std::string::npos) << listing;
  EXPECT_NE(listing.find("\"Name\": \"fromParent\", \"Value\": \"1\""), std::string::npos) << listing;

  // A second window of the same host shares the profile: it sees both cookies.
  corvane::HostWindowSettings second = host.MainSettings(512);
  second.url = server.Url("/page");
  ASSERT_TRUE(host.link.CreateBrowser(second));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtPageCall) == 2; }, 20000));
  const testwin::RecordedEvent other = host.events.Of(IPC::kEvtPageCall)[1];
  EXPECT_EQ(other.window_id, 512);
  EXPECT_NE(Narrow(other.texts.back()).find("fromParent=1"), std::string::npos) << Narrow(other.texts.back());

  // Deleted by the parent, a cookie is gone from the listing.
  ASSERT_TRUE(host.link.DeleteCookie(256, server.Url("/"), u"fromParent"));
  ASSERT_TRUE(host.link.GetCookies(256, server.Url("/"), false));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCookieList) == 2; }));
  const std::string after = Narrow(host.events.Of(IPC::kEvtCookieList)[1].texts[1]);
  EXPECT_EQ(after.find("fromParent"), std::string::npos) << after;
  EXPECT_NE(after.find("fromPage"), std::string::npos) << after;
}

}  // namespace

namespace {

// A host object of the test's own, for the engine loaded into the test without the host.
// callBack(f) calls the page function f at once, while the page still waits for callBack's
// answer; keep(f) keeps f for later; echo(x) answers "echo:" + x.
class ProbeObject : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the test's stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
    const std::wstring name = names[0];
    *ids = name == L"callBack" ? 1 : name == L"keep" ? 2 : name == L"echo" ? 3 : DISPID_UNKNOWN;
    return *ids == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT& argument = params->rgvarg[0];
    if (id == 3 && argument.vt == VT_BSTR) {
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocString((L"echo:" + std::wstring(argument.bstrVal)).c_str());
      return S_OK;
    }
    if (argument.vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    if (id == 2) {
      kept = ComPtr<IDispatch>(argument.pdispVal);
      return S_OK;
    }
    DISPPARAMS none{};
    VARIANT inner;
    VariantInit(&inner);
    EXCEPINFO exception{};
    const ULONGLONG start = GetTickCount64();
    callback_result = argument.pdispVal->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD, &none, &inner, &exception, nullptr);
    callback_ms = GetTickCount64() - start;
    callback_error = exception.bstrDescription != nullptr ? Narrow(to_u16(exception.bstrDescription)) : "";
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    VariantClear(&inner);
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocString(L"answered");
    return S_OK;
  }

  HRESULT callback_result = S_OK;
  ULONGLONG callback_ms = 0;
  std::string callback_error;
  ComPtr<IDispatch> kept;

 private:
  ULONG refs_ = 1;
};

using CreateEnvironment = HRESULT(STDMETHODCALLTYPE*)(PCWSTR, PCWSTR, ICoreWebView2EnvironmentOptions*,
                                                      ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*);

// A page function called back while its page waits for the host must fail at once (the page
// cannot run it until it has the host's answer); one called later may itself call the host.
TEST_F(Chromium, CallsBackIntoAWaitingPageFailAndNestedCallsWork) {
  HMODULE engine = LoadLibraryW((ProgramFolder() + L"\\..\\chromium-engine\\WebView2Loader.dll").c_str());
  ASSERT_NE(engine, nullptr);
  auto create = reinterpret_cast<CreateEnvironment>(
      reinterpret_cast<void*>(GetProcAddress(engine, "CreateCoreWebView2EnvironmentWithOptions")));
  ASSERT_NE(create, nullptr);
  HWND window = CreateWindowExW(0, L"STATIC", L"page", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);

  ComPtr<ICoreWebView2Environment> environment;
  ASSERT_EQ(create(nullptr, nullptr, nullptr,
                   MakeCallback<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, HRESULT, ICoreWebView2Environment*>(
                       [&](HRESULT, ICoreWebView2Environment* made) {
                         environment = ComPtr<ICoreWebView2Environment>(made);
                         return S_OK;
                       }).get()),
            S_OK);
  ASSERT_TRUE(corvane::ParentLink::PumpUntil([&] { return environment.get() != nullptr; }, 10000));
  ComPtr<ICoreWebView2Controller> controller;
  ASSERT_EQ(environment->CreateCoreWebView2Controller(
                window, MakeCallback<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, HRESULT, ICoreWebView2Controller*>(
                            [&](HRESULT, ICoreWebView2Controller* made) {
                              controller = ComPtr<ICoreWebView2Controller>(made);
                              return S_OK;
                            }).get()),
            S_OK);
  ASSERT_TRUE(corvane::ParentLink::PumpUntil([&] { return controller.get() != nullptr; }, 10000));
  ComPtr<ICoreWebView2> webview;
  ASSERT_EQ(controller->get_CoreWebView2(webview.Put()), S_OK);

  ProbeObject probe;
  VARIANT object;
  object.vt = VT_DISPATCH;
  object.pdispVal = &probe;
  ASSERT_EQ(webview->AddHostObjectToScript(L"probe", &object), S_OK);
  bool loaded = false;
  EventRegistrationToken token{};
  webview->add_NavigationCompleted(
      MakeCallback<ICoreWebView2NavigationCompletedEventHandler, ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs*>(
          [&](ICoreWebView2*, ICoreWebView2NavigationCompletedEventArgs*) {
            loaded = true;
            return S_OK;
          }).get(),
      &token);
  ASSERT_EQ(webview->Navigate(L"data:text/html,<script>var probe = chrome.webview.hostObjects.sync.probe;"
                              L"document.title = probe.callBack(function () { return 'ran'; });"
                              L"probe.keep(function (x) { return probe.echo(x) + '!'; });</script>"),
            S_OK);
  ASSERT_TRUE(corvane::ParentLink::PumpUntil([&] { return loaded && probe.kept.get() != nullptr; }, 15000));
  EXPECT_EQ(probe.callback_result, DISP_E_EXCEPTION);
  EXPECT_LT(probe.callback_ms, 2000u) << "failed at once, not after a timeout";
  EXPECT_NE(probe.callback_error.find("waiting for the host"), std::string::npos) << probe.callback_error;

  // Later, the kept function runs and calls the host from inside: the engine serves that call
  // while it waits for the function's value.
  VARIANT argument;
  argument.vt = VT_BSTR;
  argument.bstrVal = SysAllocString(L"x");
  DISPPARAMS params{&argument, nullptr, 1, 0};
  VARIANT value;
  VariantInit(&value);
  ASSERT_EQ(probe.kept->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD, &params, &value, nullptr, nullptr), S_OK);
  ASSERT_EQ(value.vt, VT_BSTR);
  EXPECT_EQ(std::wstring(value.bstrVal), L"echo:x!");
  VariantClear(&value);
  VariantClear(&argument);

  probe.kept.Reset();
  controller->Close();
  webview.Reset();
  controller.Reset();
  environment.Reset();
  DestroyWindow(window);
}

}  // namespace
