#include <gtest/gtest.h>

#include <cinttypes>
#include <string>

#include "platform/winmsg.h"
#include "tests/platform/child_process.h"
#include "tests/platform/temp_env.h"

namespace talmi::winmsg {
namespace {

using test::ChildProcess;
using test::RunTool;
using test::WinmsgTool;

class TalmiWinmsgTool : public test::TempUserFolders {};

TEST_F(TalmiWinmsgTool, BadCommandLinesAreUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"post", "--class"},
      {"post", "--class", "C"},                          // no message name
      {"send", "--title", "T", "name", "-1"},            // wParam is unsigned
      {"send", "--title", "T", "name", "1", "x"},        // lParam not a number
      {"send", "--title", "T", "name", "1", "2", "3"},  // too many
      {"copydata", "--title", "T", "5", "abc"},          // odd hex
      {"copydata", "--title", "T", "5", "zz"},
      {"listen", "--class", "C"},                        // no title
      {"find", "--bogus"},
      {"send", "--timeout", "-5", "--title", "T", "n"},
  };
  for (const auto& args : cases) {
    std::vector<std::string> argv = {WinmsgTool()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_EQ(RunTool(argv), 2) << joined;
  }
}

TEST_F(TalmiWinmsgTool, MissingWindowsAreFailures) {
  EXPECT_EQ(RunTool({WinmsgTool(), "find", "--title", "DovaVire"}), 1);
  EXPECT_EQ(RunTool({WinmsgTool(), "post", "--title", "DovaVire", "name"}), 1);
  EXPECT_EQ(RunTool({WinmsgTool(), "copydata", "--title", "DovaVire", "5", "00"}), 1);
  std::string line;
  EXPECT_EQ(RunTool({WinmsgTool(), "broadcast", "name"}, &line), 0);
  EXPECT_EQ(line, "reached 0");
}

TEST_F(TalmiWinmsgTool, ListenerAnswersSendsAndPrintsWhatArrives) {
  ChildProcess listener;
  ASSERT_TRUE(listener.Start({WinmsgTool(), "listen", "--class", "TALMI KT-380 DeviceAudioRecord",
                              "--title", "TALMI KT-380 DeviceAUDIORECORD", "--count", "2",
                              "--reply", "-3"}));
  std::string line;
  ASSERT_TRUE(listener.ReadLine(line));
  char expectedReady[64];
  WindowHandle h = FindWindow("TALMI KT-380 DeviceAudioRecord", "TALMI KT-380 DeviceAUDIORECORD");
  ASSERT_NE(h, 0u);
  std::snprintf(expectedReady, sizeof expectedReady, "ready 0x%" PRIx64, h);
  EXPECT_EQ(line, expectedReady);

  std::string listed;
  ASSERT_EQ(RunTool({WinmsgTool(), "list"}, &listed), 0);
  EXPECT_EQ(listed, std::string(expectedReady + 6) +
                        "\tTALMI KT-380 DeviceAudioRecord\tTALMI KT-380 DeviceAUDIORECORD");

  std::string answer;
  ASSERT_EQ(RunTool({WinmsgTool(), "send", "--class", "TALMI KT-380 DeviceAudioRecord",
                     "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}", "6", "0x80"}, &answer), 0);
  EXPECT_EQ(answer, "result -3");
  ASSERT_TRUE(listener.ReadLine(line));
  EXPECT_EQ(line, "message {4695579F-999A-41d4-9FAF-EFFCE93EBE19} 6 128");

  ASSERT_EQ(RunTool({WinmsgTool(), "copydata", "--handle", expectedReady + 6, "10", "--size", "40"},
                    &answer), 0);
  EXPECT_EQ(answer, "result -3");
  ASSERT_TRUE(listener.ReadLine(line));
  std::string hex;
  for (int i = 0; i < 40; ++i) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", i);
    hex += two;
  }
  EXPECT_EQ(line, "copydata 10 40 " + hex);
  EXPECT_EQ(listener.Wait(), 0);
  EXPECT_EQ(FindWindow("TALMI KT-380 DeviceAudioRecord", nullptr), 0u);  // it unregistered
}

}  // namespace
}  // namespace talmi::winmsg
