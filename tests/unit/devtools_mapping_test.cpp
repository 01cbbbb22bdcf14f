// The browser engine's portable half: addresses, filters, errors, headers, and the values that
// cross between page script and the host.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

#include <json/reader.h>

#include "devtools_mapping.h"

namespace {

using devtools::ScriptValue;

Json::Value Parse(const std::string& text) {
  Json::Value value;
  Json::CharReaderBuilder builder;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors)) << text;
  return value;
}

TEST(DevToolsMapping, NetworkErrorsBecomeWebErrorStatuses) {
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_CONNECTION_REFUSED", false), 12);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_NAME_NOT_RESOLVED", false), 13);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_CONNECTION_TIMED_OUT", false), 7);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_CONNECTION_RESET", false), 10);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_INTERNET_DISCONNECTED", false), 11);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_TOO_MANY_REDIRECTS", false), 15);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_EMPTY_RESPONSE", false), 8);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_RESPONSE_HEADERS_TOO_BIG", false), 8);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_CERT_COMMON_NAME_INVALID", false), 1);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_CERT_DATE_INVALID", false), 2);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_CERT_AUTHORITY_INVALID", false), 5) << "any other certificate error";
  EXPECT_EQ(devtools::WebErrorStatusOf("ERR_CONNECTION_REFUSED", false), 12) << "without the prefix";
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_ABORTED", false), 14);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_NAME_NOT_RESOLVED", true), 14) << "canceled wins";
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_BLOCKED_BY_CLIENT", false), 0);
  EXPECT_EQ(devtools::WebErrorStatusOf("", false), 0);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_CERT_", false), 5);
  EXPECT_EQ(devtools::WebErrorStatusOf("net::ERR_CER", false), 0) << "a prefix of a prefix is not one";
}

TEST(DevToolsMapping, WindowsPathsBecomeFileUrls) {
  // The host's rewritten archive address, as the archive tests know it.
  EXPECT_EQ(devtools::NavigableUrl("D:\\apps\\zip_0a\\pack.dat|index.html"), "file:///D:/apps/zip_0a/pack.dat%7Cindex.html");
  EXPECT_EQ(devtools::NavigableUrl("c:/my apps/a#b?c%.html"), "file:///c:/my%20apps/a%23b%3Fc%25.html");
  EXPECT_EQ(devtools::NavigableUrl("C:\\\xE4\xB8\xAD.html"), "file:///C:/%E4%B8%AD.html") << "UTF-8 bytes escaped";
  EXPECT_EQ(devtools::NavigableUrl("\\\\server\\share\\a.html"), "file://server/share/a.html");
  for (const char* kept : {"https://app.example/a b", "about:blank", "C:", "C:x", "1:\\x", "", "file:///C:/a"}) {
    EXPECT_EQ(devtools::NavigableUrl(kept), kept);
  }
}

TEST(DevToolsMapping, AddressesLoadedWithoutARequest) {
  for (const char* url : {"https://a/", "HTTP://a/", "file:///C:/a.html", "ftp://x/"}) {
    EXPECT_TRUE(devtools::LoadsWithARequest(url)) << url;
  }
  for (const char* url : {"data:text/html,x", "DATA:,", "about:blank", "blob:https://a/1", "javascript:void(0)", ":x", "no-scheme"}) {
    EXPECT_FALSE(devtools::LoadsWithARequest(url)) << url;
  }
}

TEST(DevToolsMapping, WildcardFilters) {
  EXPECT_TRUE(devtools::WildcardMatch("*", ""));
  EXPECT_TRUE(devtools::WildcardMatch("*", "file:///C:/a%7Cb"));
  EXPECT_TRUE(devtools::WildcardMatch("https://app.example/*", "https://app.example/"));
  EXPECT_FALSE(devtools::WildcardMatch("https://app.example/*", "https://app.example"));
  EXPECT_TRUE(devtools::WildcardMatch("*.css", "https://a/site.css"));
  EXPECT_FALSE(devtools::WildcardMatch("*.css", "https://a/site.css?v=1"));
  EXPECT_TRUE(devtools::WildcardMatch("a*b*c", "aXbYc"));
  EXPECT_TRUE(devtools::WildcardMatch("a*b*c", "abbbc"));
  EXPECT_FALSE(devtools::WildcardMatch("a*b*c", "acb"));
  EXPECT_FALSE(devtools::WildcardMatch("HTTPS://*", "https://a/")) << "case counts";
  EXPECT_TRUE(devtools::WildcardMatch("**a**", "xay"));
  EXPECT_FALSE(devtools::WildcardMatch("", "x"));
  // Many stars over a long text that fails at the end: no exponential backtracking.
  const std::string text(20000, 'a');
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(devtools::WildcardMatch("*a*a*a*a*a*a*a*a*b", text));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(DevToolsMapping, ResourceContexts) {
  EXPECT_EQ(devtools::ResourceTypeOfContext(0), "");
  EXPECT_EQ(devtools::ResourceTypeOfContext(1), "Document");
  EXPECT_EQ(devtools::ResourceTypeOfContext(3), "Image");
  EXPECT_EQ(devtools::ResourceTypeOfContext(99), "");
  EXPECT_TRUE(devtools::ContextIncludes(0, "Stylesheet"));
  EXPECT_TRUE(devtools::ContextIncludes(2, "Stylesheet"));
  EXPECT_FALSE(devtools::ContextIncludes(2, "Image"));
}

TEST(DevToolsMapping, HeaderLines) {
  using Headers = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(devtools::HeaderLines("Content-Type:text/html"), (Headers{{"Content-Type", "text/html"}}));
  EXPECT_EQ(devtools::HeaderLines("A: 1\r\n\r\nno colon\nLocation:  http://x/y \r\n : nameless\nB:"),
            (Headers{{"A", "1"}, {"Location", "http://x/y"}, {"B", ""}}));
  EXPECT_TRUE(devtools::HeaderLines("").empty());
}

TEST(DevToolsMapping, HostCallsFromThePage) {
  std::string error;
  const auto call = devtools::ParseHostCall(
      R"({"o":"external","m":"Execute","k":"m","a":[{"t":"s","v":"getUser"},{"t":"o","v":"d1:1"},)"
      R"({"t":"n","v":5},{"t":"n","v":null},{"t":"b","v":true},{"t":"l"},{"t":"u"},{"t":"s","v":"\u4e2d"}]})",
      &error);
  ASSERT_TRUE(call) << error;
  EXPECT_EQ(call->object, "external");
  EXPECT_EQ(call->member, "Execute");
  EXPECT_TRUE(call->method);
  ASSERT_EQ(call->arguments.size(), 8u);
  EXPECT_EQ(call->arguments[0], ScriptValue::String("getUser"));
  EXPECT_EQ(call->arguments[1], ScriptValue::PageObject("d1:1"));
  EXPECT_EQ(call->arguments[2], ScriptValue::Number(5));
  EXPECT_TRUE(std::isnan(call->arguments[3].number)) << "NaN travels as null";
  EXPECT_EQ(call->arguments[4], ScriptValue::Bool(true));
  EXPECT_EQ(call->arguments[5], ScriptValue::Null());
  EXPECT_EQ(call->arguments[6], ScriptValue{});
  EXPECT_EQ(call->arguments[7], ScriptValue::String("\xE4\xB8\xAD"));

  const auto read = devtools::ParseHostCall(R"({"o":"x","m":"p","k":"g","a":[]})", &error);
  ASSERT_TRUE(read);
  EXPECT_FALSE(read->method);

  for (const std::string& bad : std::vector<std::string>{"", "not json", "[]", R"({"o":"x","m":"p","k":"m"})", R"({"o":1,"m":"p","k":"m","a":[]})",
                                R"({"o":"x","m":"p","k":"m","a":[{"t":"s","v":3}]})",
                                R"({"o":"x","m":"p","k":"m","a":[{"t":"z"}]})", R"({"o":"x","m":"p","k":"m","a":[7]})",
                                std::string(5000, '[') + std::string(5000, ']')}) {
    error.clear();
    EXPECT_FALSE(devtools::ParseHostCall(bad, &error)) << bad.substr(0, 60);
    EXPECT_FALSE(error.empty());
  }
}

TEST(DevToolsMapping, AnswersToThePage) {
  Json::Value answer = Parse(devtools::HostCallAnswer(ScriptValue::String("a\"b\xE4\xB8\xAD")));
  EXPECT_TRUE(answer["ok"].asBool());
  EXPECT_EQ(answer["v"]["t"].asString(), "s");
  EXPECT_EQ(answer["v"]["v"].asString(), "a\"b\xE4\xB8\xAD");
  answer = Parse(devtools::HostCallAnswer(ScriptValue::Number(std::numeric_limits<double>::infinity())));
  EXPECT_EQ(answer["v"]["t"].asString(), "n");
  EXPECT_TRUE(answer["v"]["v"].isNull()) << "JSON has no infinities";
  answer = Parse(devtools::HostCallAnswer(ScriptValue::PageObject("d:2")));
  EXPECT_EQ(answer["v"]["v"].asString(), "d:2");
  answer = Parse(devtools::HostCallFailure("no host object named x"));
  EXPECT_FALSE(answer["ok"].asBool());
  EXPECT_EQ(answer["error"].asString(), "no host object named x");
}

TEST(DevToolsMapping, PageObjectExpressionsEscapeTheirIds) {
  // An id is the page's own text: it must stay a string literal, whatever it holds.
  EXPECT_EQ(devtools::PageObjectCall("x\"); alert(1); (\"", {ScriptValue::String("a\nb"), ScriptValue::Number(2),
                                                            ScriptValue::PageObject("d:1"), ScriptValue{}}),
            "window.chrome.webview.__corvane.invoke(\"x\\\"); alert(1); (\\\"\", "
            "[{\"t\":\"s\",\"v\":\"a\\nb\"},{\"t\":\"n\",\"v\":2.0},{\"t\":\"o\",\"v\":\"d:1\"},{\"t\":\"u\"}])");
  EXPECT_EQ(devtools::PageObjectRelease("</script>"),
            "window.chrome && window.chrome.webview && window.chrome.webview.__corvane.release(\"</script>\")");
}

TEST(DevToolsMapping, ValuesFromPageScript) {
  EXPECT_EQ(devtools::FromRemoteObject(Parse(R"({"type":"string","value":"1+2"})")), ScriptValue::String("1+2"));
  EXPECT_EQ(devtools::FromRemoteObject(Parse(R"({"type":"number","value":3.5})")), ScriptValue::Number(3.5));
  EXPECT_TRUE(std::isnan(devtools::FromRemoteObject(Parse(R"({"type":"number","unserializableValue":"NaN"})")).number));
  EXPECT_TRUE(std::signbit(devtools::FromRemoteObject(Parse(R"({"type":"number","unserializableValue":"-0"})")).number));
  EXPECT_EQ(devtools::FromRemoteObject(Parse(R"({"type":"number","unserializableValue":"-Infinity"})")),
            ScriptValue::Number(-std::numeric_limits<double>::infinity()));
  EXPECT_EQ(devtools::FromRemoteObject(Parse(R"({"type":"boolean","value":false})")), ScriptValue::Bool(false));
  EXPECT_EQ(devtools::FromRemoteObject(Parse(R"({"type":"object","subtype":"null","value":null})")), ScriptValue::Null());
  EXPECT_EQ(devtools::FromRemoteObject(Parse(R"({"type":"undefined"})")), ScriptValue{});
  EXPECT_EQ(devtools::FromRemoteObject(Parse(R"({"type":"object","value":{"a":[1,"x"]}})")),
            ScriptValue::String("{\"a\":[1,\"x\"]}"));
  EXPECT_EQ(devtools::FromRemoteObject(Parse(R"({"type":"bigint","unserializableValue":"12n"})")), ScriptValue::String("12n"));
  EXPECT_EQ(devtools::FromRemoteObject(Parse(R"({"type":"string","value":5})")), ScriptValue{}) << "a mismatched value";
}

TEST(DevToolsMapping, Cookies) {
  const devtools::CookieFields session = devtools::CookieFromBrowser(Parse(
      R"({"name":"a","value":"1","domain":"127.0.0.1","path":"/","expires":-1,"httpOnly":false,"secure":false,"session":true,"sameSite":"Strict"})"));
  EXPECT_EQ(session.name, "a");
  EXPECT_EQ(session.expires, -1);
  EXPECT_EQ(session.same_site, 2);
  const devtools::CookieFields lasting = devtools::CookieFromBrowser(Parse(
      R"({"name":"b","value":"2","domain":".h.example","path":"/x","expires":1700000000.5,"httpOnly":true,"secure":true,"session":false})"));
  EXPECT_EQ(lasting.expires, 1700000000.5);
  EXPECT_TRUE(lasting.http_only);
  EXPECT_TRUE(lasting.secure);
  EXPECT_EQ(lasting.same_site, 1) << "no SameSite reads as Lax";

  Json::Value params = devtools::CookieParams(session);
  EXPECT_FALSE(params.isMember("expires")) << "a session cookie has none";
  EXPECT_EQ(params["sameSite"].asString(), "Strict");
  devtools::CookieFields pathless = lasting;
  pathless.path.clear();
  pathless.same_site = 0;
  params = devtools::CookieParams(pathless);
  EXPECT_EQ(params["path"].asString(), "/");
  EXPECT_EQ(params["sameSite"].asString(), "None");
  EXPECT_EQ(params["expires"].asDouble(), 1700000000.5);
}

}  // namespace
