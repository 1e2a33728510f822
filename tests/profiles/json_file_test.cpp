#include "profiles/json_file.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "profile_test_support.h"

namespace talmi {
namespace {

using test::ReadText;
using test::TempDataFolder;
using test::WriteText;

std::string Nested(int depth) {
  return std::string(static_cast<size_t>(depth), '[') + std::string(static_cast<size_t>(depth), ']');
}

struct ReadCase {
  const char* name;
  std::string text;
  bool parses;
};

TEST(ReadJsonFile, ReadsGoodTextAndTurnsEveryBrokenFileIntoNull) {
  TempDataFolder dir;
  const ReadCase cases[] = {
      {"plain object", R"({"a": 1})", true},
      {"line and block comments", "// head\n{ /* x */ \"a\": 1 }\n", true},
      {"CR LF line ends", "{\r\n   \"a\" : 1\r\n}\r\n", true},
      {"empty file", "", false},
      {"only spaces", "   \n", false},
      {"truncated", R"({"a": [1, 2)", false},
      {"binary junk", std::string("\x00\xff\xfe{", 4), false},
      {"nesting within the limit", Nested(kMaxJsonDepth - 8), true},
      {"nesting beyond the limit", Nested(kMaxJsonDepth * 4), false},
      {"very deep nesting", Nested(100000), false},
  };
  for (const ReadCase& c : cases) {
    std::string path = dir.Root() + "/case.json";
    WriteText(path, c.text);
    Json::Value v = ReadJsonFile(path);
    EXPECT_EQ(!v.isNull(), c.parses) << c.name;
  }
  EXPECT_TRUE(ReadJsonFile(dir.Root() + "/missing.json").isNull());
  EXPECT_TRUE(ReadJsonFile(dir.Root()).isNull()) << "a folder is not a document";
}

TEST(ReadJsonFile, RefusesAFileLargerThanTheBound) {
  TempDataFolder dir;
  std::string big = "[" + std::string(kMaxJsonFileBytes, ' ') + "1]";
  WriteText(dir.Root() + "/big.json", big);
  EXPECT_TRUE(ReadJsonFile(dir.Root() + "/big.json").isNull());
}

TEST(ReadJsonFile, AcceptsBackslashSeparators) {
  TempDataFolder dir;
  WriteText(dir.Root() + "/sub/x.json", R"({"k": 7})");
  EXPECT_EQ(ReadJsonFile(dir.Root() + "\\sub\\x.json")["k"].asInt(), 7);
}

TEST(WriteJsonFile, WritesStyledTextWithThreeSpacesAndOneLineEnd) {
  TempDataFolder dir;
  Json::Value v;
  v["b"]["c"] = 2;
  v["a"] = "x";
  std::string path = dir.Root() + "/out.json";
  ASSERT_EQ(WriteJsonFile(path, v), 1);
  // The library's styled layout: a nested object opens on its own line.
  EXPECT_EQ(ReadText(path), "{\n   \"a\" : \"x\",\n   \"b\" : \n   {\n      \"c\" : 2\n   }\n}\n");
  EXPECT_EQ(ReadJsonFile(path), v);
}

TEST(WriteJsonFile, ReportsAFailedWriteAndLeavesNoTemporaryFiles) {
  TempDataFolder dir;
  Json::Value v(1);
  EXPECT_EQ(WriteJsonFile(dir.Root() + "/no/such/folder/x.json", v), 0);
  EXPECT_EQ(WriteJsonFile("", v), 0);
  // Replacing an existing file keeps no stray temporary beside it.
  std::string path = dir.Root() + "/keep.json";
  ASSERT_EQ(WriteJsonFile(path, v), 1);
  ASSERT_EQ(WriteJsonFile(path, Json::Value(2)), 1);
  int files = 0;
  for (const auto& e : test::fs::directory_iterator(dir.Root())) {
    if (e.is_regular_file()) ++files;
  }
  EXPECT_EQ(files, 1);
  EXPECT_EQ(ReadJsonFile(path).asInt(), 2);
}

TEST(WriteJsonFile, KeepsNonAsciiTextAsUtf8) {
  TempDataFolder dir;
  const std::string name = "配置 Ünïcødé ไทย 🎮";
  Json::Value v;
  v["profilename"] = name;
  std::string path = dir.Root() + "/u.json";
  ASSERT_EQ(WriteJsonFile(path, v), 1);
  EXPECT_NE(ReadText(path).find(name), std::string::npos) << "stored unescaped";
  EXPECT_EQ(JsonString(ReadJsonFile(path), "profilename"), name);
}

TEST(MakeTimestampId, HasTheSevenFieldShape) {
  const std::regex shape(R"(^\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3}$)");
  std::string id = MakeTimestampId();
  EXPECT_TRUE(std::regex_match(id, shape)) << id;
}

struct Utf8Case {
  const char* name;
  std::string in;
  std::string out;
};

TEST(Utf8, RepairsEveryInvalidSequenceToOneReplacementCharacter) {
  const std::string R = "\xEF\xBF\xBD";
  const Utf8Case cases[] = {
      {"ascii", "abc", "abc"},
      {"valid multi-byte", "中文ä🎮", "中文ä🎮"},
      {"stray continuation", "a\x80z", "a" + R + "z"},
      {"overlong slash", "\xC0\xAF", R},
      {"overlong three-byte", "\xE0\x80\xAF", R},
      {"surrogate half", "\xED\xA0\x80", R},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", R},
      {"invalid lead", "\xFF", R},
      {"truncated tail", "ok\xE4\xB8", "ok" + R},
      {"two broken in a row", "\xC0\xAF\xC0\xAF", R + R},
      {"lead then ascii", "\xE4" "A", R + "A"},
  };
  for (const Utf8Case& c : cases) {
    EXPECT_EQ(FromUtf8(c.in), c.out) << c.name;
    EXPECT_EQ(ToUtf8(c.in), c.out) << c.name;
    EXPECT_TRUE(IsValidUtf8(FromUtf8(c.in))) << c.name;
    EXPECT_EQ(IsValidUtf8(c.in), c.in == c.out) << c.name;
  }
}

struct IntCase {
  const char* json;
  int32_t value;  // expected with fallback -7
};

TEST(LenientReaders, IntegersOfOtherTypesReadAsMissing) {
  const IntCase cases[] = {
      {R"({"v": 3})", 3},
      {R"({"v": -3})", -3},
      {R"({"v": 4294967295})", -1},  // low 32 bits
      {R"({"v": 3.0})", 3},
      {R"({"v": 1.5})", -7},
      {R"({"v": 1e300})", -7},
      {R"({"v": "5"})", -7},
      {R"({"v": true})", -7},
      {R"({"v": null})", -7},
      {R"({"v": [1]})", -7},
      {R"({"v": {"v": 1}})", -7},
      {R"({})", -7},
      {R"([1, 2])", -7},
      {R"("text")", -7},
  };
  for (const IntCase& c : cases) {
    Json::Value v = ParseJsonText(c.json);
    EXPECT_EQ(JsonInt(v, "v", -7), c.value) << c.json;
  }
}

TEST(LenientReaders, BytesKeepLowBitsAndFlagsAcceptIntegersOrBooleans) {
  Json::Value v = ParseJsonText(
      R"({"b": 300, "n": -1, "t": true, "f": false, "one": 1, "two": 2, "zero": 0,
          "s": "1", "nul": null, "arr": [1], "str": "名字", "num": 5})");
  EXPECT_EQ(JsonByte(v, "b"), 44);
  EXPECT_EQ(JsonByte(v, "n"), 255);
  EXPECT_EQ(JsonU16(v, "n"), 0xFFFF);
  EXPECT_TRUE(JsonBool(v, "t"));
  EXPECT_FALSE(JsonBool(v, "f", true));
  EXPECT_TRUE(JsonBool(v, "one"));
  EXPECT_TRUE(JsonBool(v, "two"));
  EXPECT_FALSE(JsonBool(v, "zero", true));
  EXPECT_FALSE(JsonBool(v, "s"));
  EXPECT_TRUE(JsonBool(v, "nul", true)) << "null reads as missing";
  EXPECT_FALSE(JsonBool(v, "arr"));
  EXPECT_EQ(JsonString(v, "str"), "名字");
  EXPECT_EQ(JsonString(v, "num", "fb"), "fb");
  EXPECT_EQ(JsonString(v, "nul", "fb"), "fb");
  EXPECT_EQ(JsonObjectMember(v, "arr"), nullptr);
  EXPECT_NE(JsonArrayMember(v, "arr"), nullptr);
  EXPECT_EQ(JsonElement(v["arr"], 1), nullptr);
}

TEST(LenientReaders, ShapingReplacesValuesOfTheWrongType) {
  Json::Value v = ParseJsonText(R"({"o": 5, "a": {"x": 1}})");
  JsonEnsureObject(v, "o")["k"] = 1;
  JsonEnsureArray(v, "a").append(2);
  EXPECT_EQ(v["o"]["k"].asInt(), 1);
  ASSERT_TRUE(v["a"].isArray());
  EXPECT_EQ(v["a"][0].asInt(), 2);
  Json::Value scalar("text");
  JsonEnsureElement(scalar, 2) = 9;
  ASSERT_TRUE(scalar.isArray());
  EXPECT_EQ(scalar.size(), 3u);
  Json::Value number(3);
  JsonSet(number, "k", 4);
  EXPECT_EQ(number["k"].asInt(), 4);
}

}  // namespace
}  // namespace talmi
