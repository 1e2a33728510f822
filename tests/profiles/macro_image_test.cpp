#include "profiles/macro_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile_test_support.h"
#include "profiles/json_file.h"
#include "profiles/macro_event.h"
#include "profiles/macro_upload.h"
#include "profiles/shoot_pattern_image.h"

namespace talmi {
namespace {

using test::TempDataFolder;
using test::WriteText;

Json::Value EventFromText(const std::string& text) { return test::Parse(text); }

struct EncodeCase {
  const char* event;
  EncodedMacroEvent bytes;
};

TEST(MacroEvent, EncodesDelayTypeActionAndButton) {
  const EncodeCase cases[] = {
      {R"({"Type":10,"Button":4,"Action":"down","Delay":"120"})", {0x78, 0x00, 0x8A, 0x04}},
      {R"({"Type":10,"Button":4,"Action":"up","Delay":"120"})", {0x78, 0x00, 0x0A, 0x04}},
      {R"({"Type":4,"Button":12,"Action":"down","Delay":5})", {0x05, 0x00, 0x84, 0x0C}},
      // an integer delay of a fresh recording reads like its text
      {R"({"Type":1,"Button":1,"Action":"down","Delay":0})", {0x00, 0x00, 0x81, 0x01}},
      {R"({"Type":9,"Button":128,"Action":"up","Delay":"65535"})", {0xFF, 0xFF, 0x09, 0x80}},
      // only the low 16 bits of the delay, low byte of type and button
      {R"({"Type":266,"Button":260,"Action":"down","Delay":"65656"})", {0x78, 0x00, 0x8A, 0x04}},
      // anything but "down" is a release
      {R"({"Type":10,"Button":4,"Action":"DOWN","Delay":"1"})", {0x01, 0x00, 0x0A, 0x04}},
      {R"({"Type":10,"Button":4,"Action":1,"Delay":"1"})", {0x01, 0x00, 0x0A, 0x04}},
      // leading digits of the text count, like the original reader
      {R"({"Type":10,"Button":4,"Action":"up","Delay":" 300ms"})", {0x2C, 0x01, 0x0A, 0x04}},
      {R"({"Type":10,"Button":4,"Action":"up","Delay":"abc"})", {0x00, 0x00, 0x0A, 0x04}},
      {R"({"Type":10,"Button":4,"Action":"up","Delay":"99999999999999"})",
       {0xFF, 0xFF, 0x0A, 0x04}},
      // values of the wrong type read as missing
      {R"({"Type":"10","Button":[4],"Action":"down","Delay":{"x":1}})", {0x00, 0x00, 0x80, 0x00}},
      {R"([1,2,3])", {0, 0, 0, 0}},
  };
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(EncodeMacroEvent(EventFromText(c.event)), c.bytes) << c.event;
  }
}

TEST(MacroEvent, EventsOfADocumentInOrderAndNoneForAnOddShape) {
  EXPECT_TRUE(EncodeMacroEvents(Json::Value()).empty());
  EXPECT_TRUE(EncodeMacroEvents(EventFromText(R"({"Events":{"0":{}}})")).empty());
  const auto events = EncodeMacroEvents(EventFromText(
      R"({"Events":[{"Type":10,"Button":4,"Action":"down","Delay":"1"}, null,
                    {"Type":10,"Button":4,"Action":"up","Delay":"2"}]})"));
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0], (EncodedMacroEvent{1, 0, 0x8A, 4}));
  EXPECT_EQ(events[1], (EncodedMacroEvent{0, 0, 0, 0}));
  EXPECT_EQ(events[2], (EncodedMacroEvent{2, 0, 0x0A, 4}));
}

TEST(MacroImage, OneMacroWithTwoEventsIsThirtyBytes) {
  const std::vector<MacroBlock> blocks = {{{0x78, 0x00, 0x8A, 0x04}, {0x10, 0x00, 0x0A, 0x04}}};
  const std::vector<uint8_t> expected = {
      0xAA, 0x55, 0x1E, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0x12, 0x00,                                 // block 0 at 18
      0x02, 0x00, 0x00, 0x00,                     // two events, reserved
      0x78, 0x00, 0x8A, 0x04, 0x10, 0x00, 0x0A, 0x04};
  EXPECT_EQ(BuildMacroImage(blocks), expected);
  EXPECT_EQ(MacroImageLength(blocks), 30u);
}

TEST(MacroImage, OffsetsFollowTheBlocksIncludingEmptyOnes) {
  const std::vector<MacroBlock> blocks = {{}, {{1, 2, 3, 4}}, {}};
  const auto image = BuildMacroImage(blocks);
  ASSERT_EQ(image.size(), 16u + 3 * 6 + 4);
  auto u16 = [&](size_t at) { return image[at] | (image[at + 1] << 8); };
  EXPECT_EQ(u16(2), static_cast<int>(image.size()));
  EXPECT_EQ(u16(4), 3);
  EXPECT_EQ(u16(16), 22);  // after the three offsets
  EXPECT_EQ(u16(18), 26);
  EXPECT_EQ(u16(20), 34);
  EXPECT_EQ(u16(22), 0);
  EXPECT_EQ(u16(26), 1);
  EXPECT_EQ(u16(34), 0);
  EXPECT_EQ(image[33], 4);  // the one event, last byte
}

TEST(MacroImage, RefusesWhatTheSixteenBitLengthCannotHold) {
  // 16 + 6 + 4 e <= 65535 holds for e = 16378, not for 16379.
  std::vector<MacroBlock> fits = {MacroBlock(16378)};
  EXPECT_EQ(BuildMacroImage(fits).size(), 65534u);
  std::vector<MacroBlock> beyond = {MacroBlock(16379)};
  EXPECT_TRUE(BuildMacroImage(beyond).empty());
}

struct OversizeCase {
  size_t total;
  size_t memory;
  int result;
};

TEST(MacroImage, OversizeResultIsTheExcessInEventsPlusOne) {
  const OversizeCase cases[] = {
      {1000, 1000, 0}, {999, 1000, 0}, {1001, 1000, 1}, {1003, 1000, 1},
      {1004, 1000, 2}, {1010, 1000, 3}, {30, 0, 8},
  };
  for (const OversizeCase& c : cases) {
    EXPECT_EQ(MacroOversizeResult(c.total, c.memory), c.result) << c.total << " " << c.memory;
  }
  EXPECT_EQ(MacroMemoryBytes(2), 256u);
}

// A macro library of small files in a temporary data folder.
class MacroUploadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = dir_.Root() + "/data/";
    library_ = std::make_unique<CMacroLibrary>(folder_);
  }
  void WriteLibrary(const std::vector<int>& eventCounts) {
    Json::Value config;
    for (size_t i = 0; i < eventCounts.size(); ++i) {
      const std::string guid = "g" + std::to_string(i);
      Json::Value row;
      row["MacroName"] = "m" + std::to_string(i);
      row["Guid"] = guid;
      config["MacroInfo"].append(row);
      Json::Value mac;
      mac["Events"] = Json::Value(Json::arrayValue);
      for (int e = 0; e < eventCounts[i]; ++e) {
        // the delay tells the macro apart in the image
        mac["Events"].append(MakeMacroEvent(kMacroEventKey, 4, e % 2 == 0, static_cast<int>(i)));
      }
      ASSERT_EQ(WriteJsonFile(folder_ + guid + ".mac", mac), 1);
    }
    ASSERT_EQ(WriteJsonFile(folder_ + "macro.config", config), 1);
  }

  TempDataFolder dir_;
  std::string folder_;
  std::unique_ptr<CMacroLibrary> library_;
};

TEST_F(MacroUploadTest, LaysOutTheListedMacrosInListOrder) {
  WriteLibrary({1, 0, 0, 2});
  const std::vector<uint8_t> list = {3, 0};
  const MacroUpload up = BuildMacroUpload(*library_, list, 1024);
  ASSERT_EQ(up.result, kMacroUploadReady);
  ASSERT_EQ(up.image.size(), 16u + 12 + 4 * 3);
  EXPECT_EQ(up.image[4], 2);
  // device number 0 is macro 3 (delay 3, two events), 1 is macro 0
  EXPECT_EQ(up.image[16], 20);
  EXPECT_EQ(up.image[20], 2);
  EXPECT_EQ(up.image[24], 3);
  EXPECT_EQ(up.image[18], 32);
  EXPECT_EQ(up.image[32], 1);
  EXPECT_EQ(up.image[36], 0);
}

TEST_F(MacroUploadTest, NothingToSendAndTooLarge) {
  EXPECT_EQ(BuildMacroUpload(*library_, std::vector<uint8_t>{0}, 1024).result,
            kMacroUploadNothing);  // no library
  WriteLibrary({3});
  EXPECT_EQ(BuildMacroUpload(*library_, std::vector<uint8_t>{}, 1024).result,
            kMacroUploadNothing);
  // 16 + 6 + 12 = 34 bytes against 24 bytes of memory: 10 bytes too many
  const MacroUpload up = BuildMacroUpload(*library_, std::vector<uint8_t>{0}, 24);
  EXPECT_EQ(up.result, kMacroUploadTooLarge);
  EXPECT_EQ(up.tooManyPlusOne, 3);
  EXPECT_TRUE(up.image.empty());
}

TEST_F(MacroUploadTest, AMissingOrBrokenMacroFileIsAMacroWithoutEvents) {
  WriteLibrary({2, 2});
  std::filesystem::remove(folder_ + "g0.mac");
  WriteText(folder_ + "g1.mac", "{\"Events\": [");
  const MacroUpload up = BuildMacroUpload(*library_, std::vector<uint8_t>{0, 1}, 1024);
  ASSERT_EQ(up.result, kMacroUploadReady);
  EXPECT_EQ(up.image.size(), 16u + 12);
}

TEST(ShootPatternImage, FourCompletePatternsMake2920Bytes) {
  TempDataFolder dir;
  const std::string folder = dir.Root() + "/data/";
  for (int gun = 0; gun < kShootGunCount; ++gun) {
    Json::Value doc;
    for (int b = 0; b < kShootBulletCount; ++b) {
      doc["Events"].append(MakeMacroEvent(kMacroEventMouseButton, 1, true, 10));
      doc["Events"].append(MakeMacroEvent(kMacroEventMouseButton, 1, false, 0));
      doc["Events"].append(MakeMacroEvent(kMacroEventMoveX, 12, true, 5));
      doc["Events"].append(MakeMacroEvent(kMacroEventMoveY, 30 + gun, false, 95));
      doc["Events"].append(MakeMacroEvent(kMacroEventMoveX, 0, true, 0));
      doc["Events"].append(MakeMacroEvent(kMacroEventMoveY, 0, false, 0));
    }
    ASSERT_EQ(WriteJsonFile(ShootPatternFilePath(folder, gun), doc), 1);
  }
  const auto image = BuildShootPatternImage(folder);
  ASSERT_EQ(image.size(), 2920u);
  EXPECT_EQ(image[0], 0xAA);
  EXPECT_EQ(image[2] | (image[3] << 8), 2920);
  EXPECT_EQ(image[4], 4);
  for (int gun = 0; gun < 4; ++gun) {
    const size_t block = 24 + static_cast<size_t>(gun) * 724;
    EXPECT_EQ(image[16 + 2 * gun] | (image[17 + 2 * gun] << 8), static_cast<int>(block));
    EXPECT_EQ(image[block] | (image[block + 1] << 8), 180);
    // third event of the first bullet: move left 12 after 5 ms
    EXPECT_EQ(image[block + 4 + 8], 0x05);
    EXPECT_EQ(image[block + 4 + 10], 0x84);
    EXPECT_EQ(image[block + 4 + 11], 12);
    EXPECT_EQ(image[block + 4 + 15], 30 + gun);
  }
}

TEST(ShootPatternImage, MissingGunsAreEmptyBlocksAndGunNamesAreBounded) {
  TempDataFolder dir;
  const std::string folder = dir.Root() + "/data";
  WriteText(folder + "/ShootData_2.Shoot",
            R"({"Events":[{"Type":1,"Button":1,"Action":"down","Delay":10}]})");
  const auto image = BuildShootPatternImage(folder);
  ASSERT_EQ(image.size(), 16u + 24 + 4);
  EXPECT_EQ(image[32], 1);   // the third block holds the one event
  EXPECT_EQ(image[36], 10);
  EXPECT_EQ(ShootPatternFileName(0), "ShootData_0.Shoot");
  EXPECT_EQ(ShootPatternFileName(4), "");
  EXPECT_EQ(ShootPatternFilePath(folder, -1), "");
}

}  // namespace
}  // namespace talmi
