// Local archives served to the page, the parent's referrer, and cookies — through the test
// engine, with archives made by the archive packer.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/text_convert.h"
#include "base/text_win.h"
#include "hex.h"
#include "host_session.h"
#include "webview2common/archive/archive_file.h"
#include "webview2common/archive/zip_writer.h"
#include "webview2common/md5.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/text_cipher.h"

namespace {

using testwin::HostSession;

std::string Narrow(const std::wstring& text) { return text::Utf16ToUtf8(to_u16(text.c_str())); }

// What the registry says for an extension, or empty.
std::string RegistryType(const wchar_t* extension) {
  wchar_t value[MAX_PATH] = {};
  DWORD bytes = sizeof(value);
  if (RegGetValueW(HKEY_CLASSES_ROOT, extension, L"Content Type", RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS) {
    return "";
  }
  return Narrow(value);
}

const std::string kIndex = "<html><head><link rel=\"stylesheet\" href=\"css/site.css\"></head><body>\xE4\xB8\xAD</body></html>";
const std::string kCss = std::string("body { color: red; }\n") + std::string(3000, ' ') + "/* end */";
const std::string kSvg = "<svg xmlns=\"http://www.w3.org/2000/svg\"/>";

class Archives : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = testwin::MakeTempFolder(L"archives");
    const std::wstring app = folder_ + L"\\app";
    CreateDirectoryW(app.c_str(), nullptr);
    CreateDirectoryW((app + L"\\css").c_str(), nullptr);
    CreateDirectoryW((app + L"\\img").c_str(), nullptr);
    testwin::WriteFileBytes(app + L"\\index.html", kIndex);
    testwin::WriteFileBytes(app + L"\\css\\site.css", kCss);
    testwin::WriteFileBytes(app + L"\\img\\logo.svg", kSvg);
    testwin::WriteFileBytes(app + L"\\data.zzq", "?");
    testwin::WriteFileBytes(app + L"\\app.mjs", "export const answer = 42;");
    testwin::WriteFileBytes(app + L"\\code.WASM", std::string("\0asm\1\0\0\0", 8));
    archive_ = folder_ + L"\\app.dat";
    ASSERT_EQ(Pack(app, L"k1", archive_), 0u);
  }
  void TearDown() override { testwin::RemoveTree(folder_); }

  static DWORD Pack(const std::wstring& source, const std::wstring& key, const std::wstring& output) {
    testwin::ChildProcess packer;
    if (!packer.Start(ProgramFolder() + L"\\archive_packer.exe",
                      L"pack \"" + source + L"\" " + key + L" \"" + output + L"\"")) {
      return 1000;
    }
    return packer.Wait(30000);
  }

  // Starts a host whose main window opens url; returns its web view's name.
  std::string Open(HostSession& host, const std::u16string& url) {
    corvane::HostWindowSettings main = host.MainSettings(256);
    main.url = url;
    EXPECT_TRUE(host.StartWith(main));
    EXPECT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
    if (host.events.Count(IPC::kEvtCreated) != 1) return "";
    const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
    EXPECT_TRUE(host.WaitFor([&] { return host.Engine("views").find(view) != std::string::npos; }));
    EXPECT_TRUE(host.WaitFor([&] {
      const auto calls = host.EngineCalls();
      return std::any_of(calls.begin(), calls.end(), [&](const std::string& l) { return l.find(view + " add_NewWindowRequested") == 0; });
    }));
    return view;
  }

  // Writes zip enciphered under "k1" to a file of the folder, opens a host at the archive's
  // index.html and gives the address of its virtual folder; returns the web view's name.
  std::string OpenZip(HostSession& host, const std::string& zip, const wchar_t* name, std::string* base) {
    const std::wstring file = folder_ + L"\\" + name;
    EXPECT_TRUE(testwin::WriteFileBytes(file, EncipherBlocks(zip, "k1")));
    const std::u16string url = Compound(L"k1", file, u"index.html");
    *base = "file:///" + Narrow(folder_) + "/zip_" + Md5::HexDigest(text::Utf16ToUtf8(url)) + "/";
    std::replace(base->begin(), base->end(), '\\', '/');
    return Open(host, url);
  }

  std::u16string Compound(const std::wstring& key, const std::wstring& archive, const char16_t* entry) {
    return u"zip://" + to_u16(key.c_str()) + u"|" + to_u16(archive.c_str()) + u"|/" + entry;
  }

  std::wstring folder_;
  std::wstring archive_;
};

TEST_F(Archives, ServesEntriesWithTheirTypes) {
  HostSession host;
  const std::u16string url = Compound(L"k1", archive_, u"index.html");
  const std::string view = Open(host, url);
  ASSERT_FALSE(view.empty());
  const std::string digest = Md5::HexDigest(text::Utf16ToUtf8(url));
  const std::string rewritten = Narrow(folder_) + "\\zip_" + digest + "\\app.dat|index.html";
  const auto calls = host.EngineCalls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), view + " Navigate " + rewritten), calls.end())
      << "the first load goes to the rewritten address";

  // The browser's file address of the rewritten path, and a relative style sheet.
  std::string base = "file:///" + Narrow(folder_) + "/zip_" + digest + "/";
  std::replace(base.begin(), base.end(), '\\', '/');
  const std::string index = host.Engine("request\t" + view + "\t" + base + "app.dat|index.html");
  // The registry's type where it has one, else the web's standard type of the extension.
  auto type_of = [](const wchar_t* extension, const std::string& standard) {
    return RegistryType(extension).empty() ? standard : RegistryType(extension);
  };
  const std::string html_type = type_of(L".html", "text/html");
  EXPECT_EQ(index, "status=200\nreason=OK\nheaders=Content-Type:" + html_type + "\nbody=" + HexOf(kIndex) +
                       "\nrequest-header=Content-Type: " + html_type);
  const std::string css = host.Engine("request\t" + view + "\t" + base + "css/site.css");
  const std::string css_type = type_of(L".css", "text/css");
  EXPECT_NE(css.find("headers=Content-Type:" + css_type + "\nbody=" + HexOf(kCss) + "\n"), std::string::npos) << css;
  const std::string svg = host.Engine("request\t" + view + "\t" + base + "img/logo.svg");
  EXPECT_NE(svg.find("headers=Content-Type:" + type_of(L".svg", "image/svg+xml") + "\n"), std::string::npos) << svg;
  const std::string module = host.Engine("request\t" + view + "\t" + base + "app.mjs");
  EXPECT_NE(module.find("headers=Content-Type:" + type_of(L".mjs", "text/javascript") + "\n"), std::string::npos) << module;
  const std::string wasm = host.Engine("request\t" + view + "\t" + base + "code.WASM");
  EXPECT_NE(wasm.find("headers=Content-Type:" + type_of(L".wasm", "application/wasm") + "\n"), std::string::npos) << wasm;
  EXPECT_NE(host.Engine("request\t" + view + "\t" + base + "data.zzq").find("headers=Content-Type:application/unknown\n"),
            std::string::npos);
  EXPECT_EQ(host.Engine("request\t" + view + "\t" + base + "missing.html"), "no response");
  EXPECT_EQ(host.Engine("request\t" + view + "\thttps://cdn.example/lib.js"), "no response");
  for (const std::string& line : host.LogLines()) {
    EXPECT_EQ(line.find("://k1|"), std::string::npos) << "the archive key is masked in the log: " << line;
  }
  EXPECT_GE(host.CountLogLinesEndingWith("zip://***(2)|" + Narrow(archive_) + "|/index.html"), 1u);
}

TEST_F(Archives, ReferrerGoesOnRequestsOutsideTheArchive) {
  HostSession host;
  const std::string view = Open(host, Compound(L"k1", archive_, u"index.html"));
  ASSERT_FALSE(view.empty());
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  ASSERT_TRUE(host.link.SetReferrer(256, u"https://parent.example/"));
  EXPECT_EQ(host.Engine("request\t" + view + "\thttps://cdn.example/lib.js"),
            "no response\nrequest-header=Referer: https://parent.example/");
}

TEST_F(Archives, BadArchivesServeNothing) {
  // A wrong key, a missing file, a truncated file, a damaged entry and an "rsa_" key.
  std::string text = testwin::ReadFileBytes(archive_);
  testwin::WriteFileBytes(folder_ + L"\\short.dat", text.substr(0, text.size() / 2));
  const std::wstring rsa = folder_ + L"\\rsa.dat";
  ASSERT_EQ(Pack(folder_ + L"\\app", L"rsa_key", rsa), 0u);
  struct Case {
    std::wstring key;
    std::wstring archive;
  };
  const Case cases[] = {{L"wrong", archive_}, {L"k1", folder_ + L"\\none.dat"},
                        {L"k1", folder_ + L"\\short.dat"}, {L"rsa_key", rsa}};
  for (const Case& c : cases) {
    HostSession host;
    const std::u16string url = Compound(c.key, c.archive, u"index.html");
    const std::string view = Open(host, url);
    ASSERT_FALSE(view.empty());
    std::string base = "file:///" + Narrow(c.archive.substr(0, c.archive.rfind(L'\\'))) + "/zip_" +
                       Md5::HexDigest(text::Utf16ToUtf8(url)) + "/";
    std::replace(base.begin(), base.end(), '\\', '/');
    EXPECT_EQ(host.Engine("request\t" + view + "\t" + base + "x.dat|index.html"), "no response") << Narrow(c.archive);
    EXPECT_EQ(host.Engine("request\t" + view + "\t" + base + "css/site.css"), "no response");
    EXPECT_EQ(WaitForSingleObject(host.link.host_process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  }
}

TEST_F(Archives, DamagedEntriesAreLeftOutOthersServed) {
  // index.html with a wrong CRC, page.html with a size that lies, css/site.css intact.
  ZipWriter writer;
  writer.Add("index.html", kIndex);
  writer.Add("page.html", kCss);
  writer.Add("css/site.css", kCss);
  std::string zip;
  ASSERT_TRUE(writer.Finish(&zip));
  const size_t first = zip.find("PK\x01\x02");
  const size_t second = zip.find("PK\x01\x02", first + 1);
  zip[first + 16] ^= 0x01;                                   // CRC-32 of index.html
  zip[second + 24] = static_cast<char>(zip[second + 24] + 3);  // declared size of page.html
  HostSession host;
  std::string base;
  const std::string view = OpenZip(host, zip, L"damaged.dat", &base);
  ASSERT_FALSE(view.empty());
  EXPECT_EQ(host.Engine("request\t" + view + "\t" + base + "damaged.dat|index.html"), "no response");
  EXPECT_EQ(host.Engine("request\t" + view + "\t" + base + "page.html"), "no response");
  EXPECT_NE(host.Engine("request\t" + view + "\t" + base + "css/site.css").find("status=200"), std::string::npos);
  EXPECT_GE(host.CountLogLinesEndingWith("index.html: CRC-32 mismatch"), 1u);
}

// A few KB whose forty entries declare 200 MiB and more each cost the host no memory, and a page's
// further requests into it fail at once, until the file changes.
TEST_F(Archives, HostileDeclaredSizesCostNothingAndAFailureIsRemembered) {
  ZipWriter writer;
  for (int i = 0; i < 40; ++i) writer.Add("f" + std::to_string(i) + ".js", kCss.substr(0, 200 + i));
  std::string zip;
  ASSERT_TRUE(writer.Finish(&zip));
  for (size_t at = zip.find("PK\x01\x02"), i = 0; at != std::string::npos; at = zip.find("PK\x01\x02", at + 1), ++i) {
    const uint32_t declared = (200u << 20) + static_cast<uint32_t>(i) * (1u << 20);
    for (int b = 0; b < 4; ++b) zip[at + 24 + b] = static_cast<char>(declared >> (8 * b));
  }
  HostSession host;
  std::string base;
  const std::string view = OpenZip(host, zip, L"hostile.dat", &base);
  ASSERT_FALSE(view.empty());
  const SIZE_T before = testwin::ProcessMemory(host.link.host_process()).PeakWorkingSetSize;
  ASSERT_NE(before, 0u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(host.Engine("request\t" + view + "\t" + base + "f1.js"), "no response");
  EXPECT_LT(testwin::ProcessMemory(host.link.host_process()).PeakWorkingSetSize, before + (64 << 20)) << "the declared sizes were allocated";
  EXPECT_EQ(host.CountLogLinesEndingWith("f1.js: declared size 210763776 beyond the limit"), 1u)
      << "the archive was unpacked once";
  EXPECT_EQ(host.CountLogLinesEndingWith("hostile.dat: unchanged since it failed"), 2u);
  // A new version of the file is loaded on the next request.
  ZipWriter fixed;
  fixed.Add("f1.js", kCss);
  ASSERT_TRUE(fixed.Finish(&zip));
  ASSERT_TRUE(testwin::WriteFileBytes(folder_ + L"\\hostile.dat", EncipherBlocks(zip, "k1")));
  EXPECT_NE(host.Engine("request\t" + view + "\t" + base + "f1.js").find("body=" + HexOf(kCss)), std::string::npos);
}

TEST_F(Archives, CompoundNavigationOfALiveWindowServesTheArchive) {
  HostSession host;
  const std::string view = Open(host, u"https://plain.example/");
  ASSERT_FALSE(view.empty());
  const std::u16string url = Compound(L"k1", archive_, u"index.html");
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  ASSERT_TRUE(host.link.Navigate(256, url));
  const std::string digest = Md5::HexDigest(text::Utf16ToUtf8(url));
  const auto calls = host.EngineCalls();
  EXPECT_NE(std::find(calls.begin(), calls.end(),
                      view + " Navigate " + Narrow(folder_) + "\\zip_" + digest + "\\app.dat|index.html"),
            calls.end())
      << "a later compound address navigates to the archive's folder, as the first load does";
  EXPECT_EQ(std::find(calls.begin(), calls.end(), view + " Navigate " + text::Utf16ToUtf8(url)), calls.end());
  std::string base = "file:///" + Narrow(folder_) + "/zip_" + digest + "/";
  std::replace(base.begin(), base.end(), '\\', '/');
  EXPECT_NE(host.Engine("request\t" + view + "\t" + base + "app.dat|index.html").find("body=" + HexOf(kIndex)),
            std::string::npos);
}

TEST(Cookies, CookiesGivenBeforeTheBrowserExistsAreSetBeforeItsFirstNavigation) {
  HostSession host;
  corvane::HostWindowSettings main = host.MainSettings(256);
  main.url = u"about:blank";
  ASSERT_TRUE(host.StartWith(main));
  ASSERT_TRUE(host.WaitFor([&] { return host.Engine("calls").find("GetAvailable") != std::string::npos; }));
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);
  // The navigation starts the browser; the cookie text comes with it, before any cookie manager.
  ASSERT_TRUE(host.link.Navigate(256, u"https://h.example/a/b", u"early=1"));
  ASSERT_TRUE(host.link.SetCookie(256, u"https://h.example/", u"later=2"));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCreated) == 1; }));
  const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
  ASSERT_TRUE(host.WaitFor([&] { return host.Engine("cookies\t" + view).find("later=2") != std::string::npos; }));
  EXPECT_EQ(host.Engine("cookies\t" + view),
            "early=1 domain=h.example path=/a/b secure=0 httponly=0\n"
            "later=2 domain=h.example path=/ secure=0 httponly=0\n");
  const auto calls = host.EngineCalls();
  const auto cookie = std::find_if(calls.begin(), calls.end(), [&](const std::string& l) { return l.find(view + " AddOrUpdateCookie early=1") == 0; });
  const auto navigate = std::find(calls.begin(), calls.end(), view + " Navigate https://h.example/a/b");
  ASSERT_NE(cookie, calls.end());
  ASSERT_NE(navigate, calls.end());
  EXPECT_LT(cookie, navigate);
}

TEST(Cookies, SetListAndDelete) {
  HostSession host;
  ASSERT_TRUE(host.StartAt(256, u"https://h.example/shop/cart"));
  const std::string view = std::to_string(host.events.Of(IPC::kEvtCreated)[0].number);
  ASSERT_TRUE(host.WaitFor([&] { return host.Engine("views").find(view) != std::string::npos; }));
  host.link.set_delivery(corvane::ParentLink::Delivery::kImmediate);

  ASSERT_TRUE(host.link.GetCookies(256, u"https://h.example/", false));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCookieList) == 1; }));
  EXPECT_EQ(host.events.Of(IPC::kEvtCookieList)[0].texts,
            (std::vector<std::u16string>{u"https://h.example/shop/cart", u"No cookies found."}));

  ASSERT_TRUE(host.link.SetCookie(256, u"https://h.example/shop/cart", u" a = 1 ; b=say \"hi\""));
  EXPECT_EQ(host.Engine("cookies\t" + view),
            "a=1 domain=h.example path=/shop/cart secure=0 httponly=0\n"
            "b=say \"hi\" domain=h.example path=/shop/cart secure=0 httponly=0\n");
  ASSERT_EQ(host.Engine("add-cookie\t" + view + "\tsid\tx\th.example\t/\t1\t1\t1700000000"), "ok");

  ASSERT_TRUE(host.link.GetCookies(256, u"https://h.example/", false));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCookieList) == 2; }));
  EXPECT_EQ(host.events.Of(IPC::kEvtCookieList)[1].texts[1],
            u"3 cookie(s) found\n\n["
            u"{\"Name\": \"a\", \"Value\": \"1\", \"Domain\": \"h.example\", \"Path\": \"/shop/cart\", \"HttpOnly\": false, \"Secure\": false, \"SameSite\": \"Lax\", \"Expires\": \"This is a session cookie.\"},\n"
            u"{\"Name\": \"b\", \"Value\": \"say \\\"hi\\\"\", \"Domain\": \"h.example\", \"Path\": \"/shop/cart\", \"HttpOnly\": false, \"Secure\": false, \"SameSite\": \"Lax\", \"Expires\": \"This is a session cookie.\"},\n"
            u"{\"Name\": \"sid\", \"Value\": \"x\", \"Domain\": \"h.example\", \"Path\": \"/\", \"HttpOnly\": true, \"Secure\": true, \"SameSite\": \"Lax\", \"Expires\": \"1700000000.000000\"}]");

  for (const std::string& line : host.LogLines()) {
    EXPECT_EQ(line.find("\"Value\": \"say"), std::string::npos) << "cookie values are masked in the log: " << line;
  }
  EXPECT_GE(host.CountLogLinesEndingWith("\"Value\": \"***(1)\", \"Domain\": \"h.example\", \"Path\": \"/\", \"HttpOnly\": true, "
                                         "\"Secure\": true, \"SameSite\": \"Lax\", \"Expires\": \"1700000000.000000\"}]"),
            1u);
  ASSERT_TRUE(host.link.GetCookies(256, u"https://h.example/", true));
  ASSERT_TRUE(host.WaitFor([&] { return host.events.Count(IPC::kEvtCookieList) == 3; }));
  EXPECT_EQ(host.events.Of(IPC::kEvtCookieList)[2].texts[1],
            u"3 cookie(s) found\n\n["
            u"{\"Name\": \"sid\", \"Value\": \"x\", \"Domain\": \"h.example\", \"Path\": \"/\", \"HttpOnly\": true, \"Secure\": true, \"SameSite\": \"Lax\", \"Expires\": \"1700000000.000000\"}]");

  ASSERT_TRUE(host.link.DeleteCookie(256, u"https://h.example/", u"a"));
  EXPECT_EQ(host.Engine("cookies\t" + view).find("a=1"), std::string::npos);

  // A navigation with a cookie text sets the cookies first.
  ASSERT_TRUE(host.link.Navigate(256, u"https://h.example/next", u"c=3"));
  const auto calls = host.EngineCalls();
  const auto cookie = std::find_if(calls.begin(), calls.end(), [&](const std::string& l) { return l.find(view + " AddOrUpdateCookie c=3 domain=h.example path=/next") == 0; });
  const auto navigate = std::find(calls.begin(), calls.end(), view + " Navigate https://h.example/next");
  ASSERT_NE(cookie, calls.end());
  ASSERT_NE(navigate, calls.end());
  EXPECT_LT(cookie, navigate);
}

}  // namespace
