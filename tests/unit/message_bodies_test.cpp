// The command and event bodies that the host and the parent library share: each one's bytes on
// the wire, its round trip, and what its reader says of truncated and malformed bodies.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "webview2common/message/ipc_message.h"
#include "webview2common/message/ipc_protocol.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace IPC;

template <typename Body>
Message WithBody(const Body& body) {
  Message message(kDispatcherRouting, 0x0100 | Body::kCode, kPriority);
  EXPECT_TRUE(WriteBody(message, body));
  return message;
}

Bytes BodyBytes(const Message& m) { return Bytes(m.data() + Message::kHeaderSize, m.data() + m.size()); }

// The first `length` body bytes of message, as received: the header says the shorter length.
Bytes Truncated(const Message& message, size_t length) {
  Bytes wire(message.data(), message.data() + Message::kHeaderSize + length);
  const uint32_t body_length = static_cast<uint32_t>(length);
  std::memcpy(wire.data(), &body_length, 4);  // little-endian on every machine we build for
  return wire;
}

template <typename Body>
bool ReadsWhole(const Bytes& wire, Body* body) {
  const Message view(wire.data(), static_cast<int>(wire.size()));
  return ReadBody(view, body);
}

// Every shorter body (whole 4-byte values: a cut inside the padding after a value leaves the
// value whole) of a body without an open tail is reported as incomplete.
template <typename Body>
void EveryPrefixIsIncomplete(const Body& body) {
  const Message whole = WithBody(body);
  const size_t length = whole.size() - Message::kHeaderSize;
  for (size_t cut = 0; cut < length; cut += 4) {
    Body read;
    EXPECT_FALSE(ReadsWhole(Truncated(whole, cut), &read)) << Body::kCode << " cut at " << cut;
  }
}

const Bytes kTextAb{2, 0, 0, 0, 'a', 0, 'b', 0};
const Bytes kTextC{1, 0, 0, 0, 'c', 0, 0, 0};
const Bytes kEmptyText{0, 0, 0, 0};

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(CommandBodies, BytesOnTheWire) {
  EXPECT_EQ(BodyBytes(WithBody(NavigateCommand{u"ab", u"c"})), Join({kTextAb, kTextC}));
  EXPECT_EQ(BodyBytes(WithBody(SetCookieCommand{u"ab", u""})), Join({kTextAb, kEmptyText}));
  EXPECT_EQ(BodyBytes(WithBody(SetBoundsCommand{10, 20, 300, -1})),
            (Bytes{10, 0, 0, 0, 20, 0, 0, 0, 0x2C, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(BodyBytes(WithBody(ShowCommand{1})), (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(BodyBytes(WithBody(MuteCommand{true})), (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(BodyBytes(WithBody(CallPageFunctionCommand{-2, u"ab", {u"c", u""}})),
            Join({{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, kTextAb, kTextC, kEmptyText}));
  EXPECT_EQ(BodyBytes(WithBody(GetCookiesCommand{u"ab", 1})), Join({kTextAb, {1, 0, 0, 0}}));
  EXPECT_EQ(BodyBytes(WithBody(RegisterParentFunctionCommand{u"c"})), kTextC);
  EXPECT_EQ(BodyBytes(WithBody(CreateBrowserCommand{u"ab"})), kTextAb);
  EXPECT_EQ(BodyBytes(WithBody(DeleteCookieCommand{u"ab", u"c"})), Join({kTextAb, kTextC}));
  EXPECT_EQ(BodyBytes(WithBody(SetReferrerCommand{u"c"})), kTextC);
}

TEST(EventBodies, BytesOnTheWire) {
  EXPECT_EQ(BodyBytes(WithBody(CreatedEvent{0x000A0B0C})), (Bytes{0x0C, 0x0B, 0x0A, 0, 0, 0, 0, 0}));
  EXPECT_EQ(BodyBytes(WithBody(LoadFailedEvent{u"ab", u"c"})), Join({kTextAb, kTextC}));
  EXPECT_EQ(BodyBytes(WithBody(LoadFailedEvent{u"ab", std::nullopt})), kTextAb)
      << "a later window without a runtime reports the address alone";
  EXPECT_EQ(BodyBytes(WithBody(PageLoadedEvent{u"ab"})), kTextAb);
  EXPECT_EQ(BodyBytes(WithBody(PageLoadedEvent{std::nullopt})), Bytes{});
  EXPECT_EQ(BodyBytes(WithBody(SourceChangedEvent{u"c"})), kTextC);
  EXPECT_EQ(BodyBytes(WithBody(TitleChangedEvent{u"c"})), kTextC);
  EXPECT_EQ(BodyBytes(WithBody(NewWindowEvent{u"c"})), kTextC);
  EXPECT_EQ(BodyBytes(WithBody(FrameLoadedEvent{u"c"})), kTextC);
  EXPECT_EQ(BodyBytes(WithBody(PageCallEvent{7, u"ab", u"", {u"c"}})),
            Join({{7, 0, 0, 0, 0, 0, 0, 0}, kTextAb, kEmptyText, kTextC}));
  EXPECT_EQ(BodyBytes(WithBody(PageCallResultEvent{9, kCallNoWindow, u"c"})),
            Join({{9, 0, 0, 0, 0, 0, 0, 0}, {5, 0, 0, 0}, kTextC}));
  EXPECT_EQ(BodyBytes(WithBody(CookieListEvent{u"ab", u"c"})), Join({kTextAb, kTextC}));
}

TEST(MessageBodies, ReadBackWhatWasWritten) {
  const Message navigate = WithBody(NavigateCommand{u"https://a/", u"k=v"});
  NavigateCommand n;
  ASSERT_TRUE(ReadBody(navigate, &n));
  EXPECT_EQ(n.url, u"https://a/");
  EXPECT_EQ(n.cookie, u"k=v");

  CallPageFunctionCommand call;
  ASSERT_TRUE(ReadBody(WithBody(CallPageFunctionCommand{5, u"f", {u"x", u"", u"\u4E2D"}}), &call));
  EXPECT_EQ(call.call_id, 5);
  EXPECT_EQ(call.function, u"f");
  EXPECT_EQ(call.arguments, (std::vector<std::u16string>{u"x", u"", u"\u4E2D"}));

  CallPageFunctionCommand bare;
  ASSERT_TRUE(ReadBody(WithBody(CallPageFunctionCommand{5, u"f", {}}), &bare));
  EXPECT_TRUE(bare.arguments.empty()) << "a call with no argument texts passes an empty list";

  LoadFailedEvent failed;
  ASSERT_TRUE(ReadBody(WithBody(LoadFailedEvent{u"u", std::nullopt}), &failed));
  EXPECT_EQ(failed.url, u"u");
  EXPECT_FALSE(failed.reason.has_value());
  ASSERT_TRUE(ReadBody(WithBody(LoadFailedEvent{u"u", u"why"}), &failed));
  EXPECT_EQ(failed.reason, std::optional<std::u16string>(u"why"));

  SetBoundsCommand bounds;
  ASSERT_TRUE(ReadBody(WithBody(SetBoundsCommand{1, 2, 3, 4}), &bounds));
  EXPECT_EQ(bounds.x + bounds.y * 10 + bounds.width * 100 + bounds.height * 1000, 4321);

  PageCallResultEvent result;
  ASSERT_TRUE(ReadBody(WithBody(PageCallResultEvent{-1, kCallNotCalled, u"r"}), &result));
  EXPECT_EQ(result.call_id, -1);
  EXPECT_EQ(result.status, kCallNotCalled);
  EXPECT_EQ(result.result, u"r");
}

TEST(MessageBodies, TruncatedBodiesAreReportedIncomplete) {
  EveryPrefixIsIncomplete(NavigateCommand{u"https://a/", u"k=v"});
  EveryPrefixIsIncomplete(SetCookieCommand{u"u", u"c"});
  EveryPrefixIsIncomplete(SetBoundsCommand{1, 2, 3, 4});
  EveryPrefixIsIncomplete(ShowCommand{1});
  EveryPrefixIsIncomplete(MuteCommand{true});
  EveryPrefixIsIncomplete(GetCookiesCommand{u"u", 1});
  EveryPrefixIsIncomplete(RegisterParentFunctionCommand{u"f"});
  EveryPrefixIsIncomplete(CreateBrowserCommand{u"--web_view_id=512"});
  EveryPrefixIsIncomplete(DeleteCookieCommand{u"u", u"n"});
  EveryPrefixIsIncomplete(SetReferrerCommand{u"r"});
  EveryPrefixIsIncomplete(CreatedEvent{0x10040});
  EveryPrefixIsIncomplete(PageCallResultEvent{1, 0, u"r"});
  EveryPrefixIsIncomplete(CookieListEvent{u"u", u"l"});
  EveryPrefixIsIncomplete(TitleChangedEvent{u"t"});
}

TEST(MessageBodies, ValuesBeforeTheCutAreKeptTheRestStayEmpty) {
  const Message whole = WithBody(NavigateCommand{u"ab", u"cookie"});
  NavigateCommand read;
  EXPECT_FALSE(ReadsWhole(Truncated(whole, kTextAb.size() + 4), &read));
  EXPECT_EQ(read.url, u"ab");
  EXPECT_EQ(read.cookie, u"") << "what could not be read stays empty";

  SetBoundsCommand bounds;
  EXPECT_FALSE(ReadsWhole(Truncated(WithBody(SetBoundsCommand{10, 20, 30, 40}), 8), &bounds));
  EXPECT_EQ(bounds.x, 10);
  EXPECT_EQ(bounds.y, 20);
  EXPECT_EQ(bounds.width, 0);
  EXPECT_EQ(bounds.height, 0);

  // A call whose head is cut has no arguments either: they would not be where they belong.
  CallPageFunctionCommand call;
  EXPECT_FALSE(ReadsWhole(Truncated(WithBody(CallPageFunctionCommand{3, u"f", {u"x"}}), 6), &call));
  EXPECT_EQ(call.call_id, 0);
  EXPECT_TRUE(call.arguments.empty());
}

TEST(MessageBodies, MalformedTextsAreReportedIncomplete) {
  for (int32_t count : {-1, 0x7FFFFFFF, 0x40000000, 5}) {
    Message message(kDispatcherRouting, 0x0100 | kCmdNavigate, kPriority);
    ASSERT_TRUE(message.WriteInt(count));
    ASSERT_TRUE(message.WriteInt(0x00620061));
    NavigateCommand read;
    EXPECT_FALSE(ReadBody(message, &read)) << count;
    EXPECT_EQ(read.url, u"");
  }
  // A message whose header lies about its body is an empty view: nothing reads.
  Message page(kHostRouting, 0x0100 | kEvtPageCall, kPriority);
  ASSERT_TRUE(WriteBody(page, PageCallEvent{1, u"f", u"&k", {u"a"}}));
  Bytes wire(page.data(), page.data() + page.size());
  wire[0] = 0xF0;
  PageCallEvent call;
  EXPECT_FALSE(ReadsWhole(wire, &call));
  EXPECT_TRUE(call.function.empty());
}

}  // namespace
