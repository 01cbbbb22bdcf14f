#include <gtest/gtest.h>

#include <vector>

#include "webview2common/message/ipc_message.h"
#include "webview2common/message/ipc_protocol.h"
#include "webview2common/process_id.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Body(const Pickle& p) {
  return Bytes(p.data() + p.header_size(), p.data() + p.size());
}

Bytes Wire(const Pickle& p) { return Bytes(p.data(), p.data() + p.size()); }

TEST(PickleWrite, ValueEncodings) {
  IPC::Message m(2, 0x0101, 2);
  ASSERT_TRUE(m.WriteString16(u"ab"));
  ASSERT_TRUE(m.WriteString16(u"a"));
  ASSERT_TRUE(m.WriteString16(u""));
  ASSERT_TRUE(m.WriteInt64(0x0000000100000002LL));
  ASSERT_TRUE(m.WriteInt(-2));
  ASSERT_TRUE(m.WriteBool(true));
  ASSERT_TRUE(m.WriteBytes("xyz", 3));
  EXPECT_EQ(Body(m), (Bytes{2, 0, 0, 0, 'a', 0, 'b', 0,    //
                            1, 0, 0, 0, 'a', 0, 0, 0,      //
                            0, 0, 0, 0,                    //
                            2, 0, 0, 0, 1, 0, 0, 0,        //
                            0xFE, 0xFF, 0xFF, 0xFF,        //
                            1, 0, 0, 0,                    //
                            'x', 'y', 'z', 0}));
  EXPECT_EQ(m.payload_size(), 40u);
  EXPECT_EQ(m.size(), 56u);
}

TEST(PickleWrite, TextAbcIsTwelveBytesWithPadding) {
  IPC::Message m;
  ASSERT_TRUE(m.WriteString16(u"abc"));
  EXPECT_EQ(Body(m), (Bytes{3, 0, 0, 0, 'a', 0, 'b', 0, 'c', 0, 0, 0}));
  EXPECT_EQ(m.payload_size() % 4, 0u);
}

TEST(PickleWrite, NonAsciiTextIsUtf16LittleEndian) {
  IPC::Message m;
  ASSERT_TRUE(m.WriteString16(u"\u4e2d\U0001F600"));
  EXPECT_EQ(Body(m), (Bytes{3, 0, 0, 0, 0x2d, 0x4e, 0x3d, 0xd8, 0x00, 0xde, 0, 0}));
}

TEST(PickleWrite, CapacityDoublesInMultiplesOf64) {
  IPC::Message m;
  EXPECT_EQ(m.capacity(), 64);
  std::vector<int> capacities;
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(m.WriteInt(i));
    if (capacities.empty() || capacities.back() != m.capacity()) capacities.push_back(m.capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{64, 128, 256}));
  PickleIterator it(m);
  for (int i = 0; i < 40; ++i) {
    int32_t v = -1;
    ASSERT_TRUE(it.ReadInt(&v));
    EXPECT_EQ(v, i);
  }
}

TEST(PickleWrite, LargeWriteGrowsToWhatIsNeeded) {
  IPC::Message m;
  const std::u16string big(1000, u'q');
  ASSERT_TRUE(m.WriteString16(big));
  EXPECT_EQ(m.capacity(), 2048);  // 16 + 4 + 2000 = 2020 is more than double: rounded up to 64
  EXPECT_EQ(m.capacity() % 64, 0);
}

TEST(MessageHeader, NewMessageFields) {
  IPC::Message m(2, 0x0205, 2);
  EXPECT_EQ(m.payload_size(), 0u);
  EXPECT_EQ(m.size(), 16u);
  EXPECT_EQ(m.routing_id(), 2);
  EXPECT_EQ(m.type(), 0x0205u);
  EXPECT_EQ(m.flags() & 0xFF, 2u);
  const uint32_t pid_bits = (CurrentProcessId() & 0x3FF);
  EXPECT_EQ(m.flags() >> 22, pid_bits) << "low 10 bits of the process id";
  IPC::Message next(2, 1, 7);
  EXPECT_EQ(((next.flags() >> 8) & 0x3FFF), (((m.flags() >> 8) + 1) & 0x3FFF))
      << "each message takes the next sequence number";
  EXPECT_EQ(next.flags() & 0xFF, 7u);
  IPC::Message empty;
  EXPECT_EQ(empty.routing_id(), 0);
  EXPECT_EQ(empty.type(), 0u);
  EXPECT_EQ(empty.flags() & 0xFF, 0u);
}

TEST(MessageHeader, CreatedEventBodyCarriesHandleInLowHalf) {
  IPC::Message m = IPC::MakeHostMessage(256, IPC::kEvtCreated);
  ASSERT_TRUE(m.WriteInt64(static_cast<int64_t>(0x000A0B0Cu)));
  EXPECT_EQ(m.type(), 0x0101u);
  EXPECT_EQ(Body(m), (Bytes{0x0C, 0x0B, 0x0A, 0, 0, 0, 0, 0}));
}

TEST(PickleRead, ReadsBackWhatWasWritten) {
  IPC::Message m(1, 7, 2);
  ASSERT_TRUE(m.WriteInt64(-5));
  ASSERT_TRUE(m.WriteString16(u"name"));
  ASSERT_TRUE(m.WriteString16(u""));
  ASSERT_TRUE(m.WriteString16(u"last"));
  IPC::Message view(m.data(), static_cast<int>(m.size()));
  EXPECT_TRUE(view.is_read_only());
  EXPECT_EQ(view.type(), 7u);
  PickleIterator it(view);
  int64_t id = 0;
  std::u16string name, empty, last;
  ASSERT_TRUE(it.ReadInt64(&id));
  ASSERT_TRUE(it.ReadString16(&name));
  ASSERT_TRUE(it.ReadString16(&empty));
  ASSERT_TRUE(it.ReadString16(&last));
  EXPECT_EQ(id, -5);
  EXPECT_EQ(name, u"name");
  EXPECT_EQ(empty, u"");
  EXPECT_EQ(last, u"last");
  EXPECT_EQ(it.remaining(), 0u);
}

TEST(PickleRead, ShortReadFailsWithoutMoving) {
  Bytes wire{6, 0, 0, 0, 1, 0, 0, 0, 5, 0, 0, 0, 2, 0, 0, 0, 9, 0, 0, 0, 7, 7};
  IPC::Message view(wire.data(), static_cast<int>(wire.size()));
  PickleIterator it(view);
  int32_t v = 0;
  ASSERT_TRUE(it.ReadInt(&v));
  EXPECT_EQ(v, 9);
  v = 42;
  EXPECT_FALSE(it.ReadInt(&v));
  EXPECT_EQ(v, 42) << "a failed read leaves the destination untouched";
  EXPECT_EQ(it.remaining(), 2u);
  int64_t w = 1;
  EXPECT_FALSE(it.ReadInt64(&w));
  bool flag = false;
  EXPECT_TRUE(it.ReadBool(&flag)) << "a flag needs one byte";
  EXPECT_TRUE(flag);
  EXPECT_EQ(it.remaining(), 0u);
  EXPECT_FALSE(it.ReadBool(&flag));
}

TEST(PickleRead, FlagLooksOnlyAtFirstByte) {
  IPC::Message m;
  ASSERT_TRUE(m.WriteInt(0x00000001));
  ASSERT_TRUE(m.WriteInt(0x00000100));
  PickleIterator it(m);
  bool a = false, b = true;
  ASSERT_TRUE(it.ReadBool(&a));
  ASSERT_TRUE(it.ReadBool(&b));
  EXPECT_TRUE(a);
  EXPECT_FALSE(b);
}

TEST(PickleRead, HostileTextCountsFail) {
  for (int32_t count : {0x40000000, -1, INT32_MIN, 0x7FFFFFFF, 3}) {
    IPC::Message m;
    ASSERT_TRUE(m.WriteInt(count));
    ASSERT_TRUE(m.WriteInt(0x00620061));  // "ab": only two code units present
    PickleIterator it(m);
    std::u16string text = u"untouched";
    EXPECT_FALSE(it.ReadString16(&text)) << count;
    EXPECT_EQ(text, u"untouched");
    int32_t first = 0;
    ASSERT_TRUE(it.ReadInt(&first)) << "a failed text read does not move the cursor";
    EXPECT_EQ(first, count);
  }
}

TEST(PickleView, MalformedBuffersGiveEmptyViews) {
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const Case cases[] = {
      {"three bytes", {0, 0, 0}},
      {"body longer than buffer", {100, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0, 2, 0, 0, 0}},
      {"body equal to buffer", {16, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0, 2, 0, 0, 0}},
      {"header not multiple of 4", {1, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0, 2, 0, 0, 0, 0, 0}},
      {"header shorter than a message header", {0, 0, 0, 0, 2, 0, 0, 0}},
      {"huge body length", {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 5, 0, 0, 0, 2, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    IPC::Message view(c.bytes.data(), static_cast<int>(c.bytes.size()));
    EXPECT_EQ(view.type(), 0u) << c.what;
    EXPECT_EQ(view.size(), 0u) << c.what;
    PickleIterator it(view);
    int32_t v = 0;
    EXPECT_FALSE(it.ReadInt(&v)) << c.what;
  }
  IPC::Message null_view(nullptr, 16);
  EXPECT_EQ(null_view.size(), 0u);
  IPC::Message negative(cases[1].bytes.data(), -4);
  EXPECT_EQ(negative.size(), 0u);
}

TEST(PickleView, BodyLengthNotMultipleOfFourStaysInside) {
  Bytes wire{5, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 9};
  IPC::Message view(wire.data(), static_cast<int>(wire.size()));
  PickleIterator it(view);
  int32_t v = 0;
  ASSERT_TRUE(it.ReadInt(&v));
  EXPECT_EQ(v, 1);
  bool flag = false;
  ASSERT_TRUE(it.ReadBool(&flag));
  EXPECT_EQ(it.remaining(), 0u);
  EXPECT_FALSE(it.ReadBool(&flag));
}

TEST(PickleCopy, CopyOfViewOwnsItsBytes) {
  IPC::Message original(2, 0x0305, 2);
  ASSERT_TRUE(original.WriteString16(u"payload"));
  Bytes wire = Wire(original);
  IPC::Message view(wire.data(), static_cast<int>(wire.size()));
  IPC::Message copy(view);
  std::fill(wire.begin(), wire.end(), 0);
  EXPECT_FALSE(copy.is_read_only());
  EXPECT_EQ(copy.type(), 0x0305u);
  PickleIterator it(copy);
  std::u16string text;
  ASSERT_TRUE(it.ReadString16(&text));
  EXPECT_EQ(text, u"payload");
  EXPECT_EQ(copy.capacity() % 64, 0);

  IPC::Message assigned(1, 1, 1);
  assigned = copy;
  EXPECT_EQ(Wire(assigned), Wire(copy));
  assigned = assigned;
  EXPECT_EQ(Wire(assigned), Wire(copy));
  EXPECT_TRUE(assigned.WriteInt(5)) << "a copy can grow";
}

TEST(PickleWrite, ReadOnlyViewRefusesWrites) {
  IPC::Message m;
  ASSERT_TRUE(m.WriteInt(1));
  IPC::Message view(m.data(), static_cast<int>(m.size()));
  EXPECT_FALSE(view.WriteInt(2));
  EXPECT_FALSE(view.WriteString16(u"x"));
  EXPECT_EQ(view.payload_size(), 4u);
}

}  // namespace
