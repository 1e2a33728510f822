#include "platform/winmsg_wire.h"

#include <gtest/gtest.h>

#include <cstring>

namespace talmi::winmsg {
namespace {

std::vector<uint8_t> Encoded(const WireMessage& m) {
  std::vector<uint8_t> out;
  EXPECT_TRUE(EncodeWireMessage(m, out));
  return out;
}

WireMessage Post(const std::string& name) {
  WireMessage m;
  m.kind = WireKind::kPost;
  m.name = name;
  m.wParam = 0xFFFFFFFFFFFFFFFFull;
  m.lParam = -5;
  return m;
}

TEST(WinmsgWire, MessagesSurviveTheRoundTrip) {
  WireMessage copy;
  copy.kind = WireKind::kCopyData;
  copy.dwData = 5;
  copy.wParam = 77;
  for (int i = 0; i < 1024; ++i) copy.data.push_back(static_cast<uint8_t>(i * 7));
  WireMessage reply;
  reply.kind = WireKind::kReply;
  reply.lParam = -123456789;
  WireMessage empty = copy;
  empty.data.clear();
  const WireMessage cases[] = {Post("TALMI KT-380 Device"), copy, reply, empty};
  for (const WireMessage& m : cases) {
    std::vector<uint8_t> bytes = Encoded(m);
    WireMessage back;
    ASSERT_EQ(DecodeWireMessage(bytes.data(), bytes.size(), back), 1);
    EXPECT_EQ(back.kind, m.kind);
    EXPECT_EQ(back.name, m.name);
    EXPECT_EQ(back.wParam, m.wParam);
    EXPECT_EQ(back.lParam, m.lParam);
    EXPECT_EQ(back.dwData, m.dwData);
    EXPECT_EQ(back.data, m.data);
  }
}

TEST(WinmsgWire, MessagesThatBreakTheRulesAreNotEncoded) {
  std::vector<uint8_t> out;
  WireMessage noName = Post("");
  WireMessage longName = Post(std::string(kMaxMessageNameBytes + 1, 'a'));
  WireMessage ctrlName = Post("a\x01");
  WireMessage postWithData = Post("a");
  postWithData.data = {1};
  WireMessage namedCopy;
  namedCopy.kind = WireKind::kCopyData;
  namedCopy.name = "a";
  WireMessage bigCopy;
  bigCopy.kind = WireKind::kCopyData;
  bigCopy.data.resize(kMaxCopyDataBytes + 1);
  for (const WireMessage* m : {&noName, &longName, &ctrlName, &postWithData, &namedCopy, &bigCopy}) {
    EXPECT_FALSE(EncodeWireMessage(*m, out));
    EXPECT_TRUE(out.empty());
  }
}

TEST(WinmsgWire, MalformedPacketsAreRefused) {
  const std::vector<uint8_t> good = Encoded(Post("abc"));
  WireHeader h;
  std::memcpy(&h, good.data(), sizeof h);
  auto withHeader = [&](auto change) {
    WireHeader c = h;
    change(c);
    std::vector<uint8_t> b = good;
    std::memcpy(b.data(), &c, sizeof c);
    return b;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> shortHeader(good.begin(), good.begin() + 10);
  std::vector<uint8_t> extraByte = good;
  extraByte.push_back(0);
  std::vector<uint8_t> missingByte(good.begin(), good.end() - 1);
  std::vector<uint8_t> ctrlInName = good;
  ctrlInName[sizeof(WireHeader) + 1] = '\n';
  const Case cases[] = {
      {"empty", {}},
      {"short header", shortHeader},
      {"extra byte", extraByte},
      {"missing byte", missingByte},
      {"magic", withHeader([](WireHeader& c) { c.magic ^= 1; })},
      {"reserved", withHeader([](WireHeader& c) { c.reserved = 1; })},
      {"kind 0", withHeader([](WireHeader& c) { c.kind = 0; })},
      {"kind 5", withHeader([](WireHeader& c) { c.kind = 5; })},
      {"reply with name", withHeader([](WireHeader& c) { c.kind = 4; })},
      {"copydata with name", withHeader([](WireHeader& c) { c.kind = 3; })},
      {"name length", withHeader([](WireHeader& c) { c.nameLength = 4; })},
      {"huge name length", withHeader([](WireHeader& c) { c.nameLength = 0xFFFF; })},
      {"data length", withHeader([](WireHeader& c) { c.dataLength = 0xFFFFFFFFu; })},
      {"control byte in name", ctrlInName},
  };
  for (const Case& c : cases) {
    WireMessage out;
    EXPECT_LT(DecodeWireMessage(c.bytes.data(), c.bytes.size(), out), 0) << c.what;
  }
}

}  // namespace
}  // namespace talmi::winmsg
