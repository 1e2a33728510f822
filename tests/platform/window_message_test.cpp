#include "platform/window_message.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace talmi {
namespace {

TEST(RegisterWindowMessage, EqualNamesShareOneIdInRangeAndOthersDiffer) {
  const char* names[] = {"TALMI KT-380 Device",
                         "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}",
                         "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}",
                         "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}",
                         "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}",
                         "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}",
                         "{4695579F-999A-41d4-9FAF-EFFCE93EBF19}",
                         "WM_HOOK_KEY_SINGLEKEY_MSG",
                         "UWM_MOUSERBUTTONDOWN_USER_MSG",
                         "Game_Start"};
  std::set<uint32_t> ids;
  for (const char* name : names) {
    uint32_t id = RegisterWindowMessage(name);
    EXPECT_GE(id, kFirstRegisteredMessage) << name;
    EXPECT_LE(id, kLastRegisteredMessage) << name;
    EXPECT_EQ(RegisterWindowMessage(name), id) << name;  // a second variable, same id
    EXPECT_EQ(LookupWindowMessage(name), id);
    EXPECT_EQ(RegisteredMessageName(id), name);
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), std::size(names));
}

TEST(RegisterWindowMessage, NamesCompareWithoutRegardToCase) {
  uint32_t id = RegisterWindowMessage("Case-Test-Message");
  EXPECT_EQ(RegisterWindowMessage("CASE-TEST-MESSAGE"), id);
  EXPECT_EQ(LookupWindowMessage("case-test-message"), id);
  EXPECT_EQ(RegisteredMessageName(id), "Case-Test-Message");  // the first spelling stays
}

TEST(RegisterWindowMessage, InvalidNamesAndUnknownIdsGiveNothing) {
  EXPECT_EQ(RegisterWindowMessage(""), 0u);
  EXPECT_EQ(RegisterWindowMessage(std::string(kMaxMessageNameBytes + 1, 'a')), 0u);
  EXPECT_NE(RegisterWindowMessage(std::string(kMaxMessageNameBytes, 'a')), 0u);
  EXPECT_EQ(RegisterWindowMessage(std::string("a\nb")), 0u);
  EXPECT_EQ(RegisterWindowMessage(std::string("a\0b", 3)), 0u);
  EXPECT_EQ(LookupWindowMessage("never registered here"), 0u);
  EXPECT_EQ(RegisteredMessageName(0x004A), "");
  EXPECT_EQ(RegisteredMessageName(0xFFFF), "");
}

TEST(ChangeWindowMessageFilter, Succeeds) {
  EXPECT_EQ(ChangeWindowMessageFilter(RegisterWindowMessage("TALMI KT-380 Device"), MSGFLT_ADD), 1);
}

}  // namespace
}  // namespace talmi
