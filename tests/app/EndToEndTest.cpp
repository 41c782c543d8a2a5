// The real program, headless, on the simulated box driven by a scenario file: it runs for a while,
// closes its main window as an operator would, and leaves its window tree and a screenshot behind.
// This one runs in real time (a few seconds).

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/AudioTestSupport.h"

namespace {

using xj::audio::test::ScratchDir;

// Dump lines are UTF-8; the literals of this file are compiled as GBK, so the texts are spelled as
// UTF-8 here.
std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The box's times count from its opening, the exit from the program's start: the seconds after the last
// event leave room for a slow start on a busy machine (a cold font cache, the whole suite at once).
TEST(EndToEndTest, TheConsoleListsTheEventsOfAScenarioFile) {
  ScratchDir dir;
  std::ofstream(dir / "scenario.txt") << "lines 4\n"
                                         "serial 20240101\n"
                                         "disconnect 1\n"
                                         "at 1100 connect 1\n"
                                         "at 1500 offhook 2\n"
                                         "at 1900 cid 0 13800138000\n"
                                         "at 2300 dtmf 3 5#\n";
  const std::string cmd = "cd '" + dir.Path() + "' && env KALDO_SCENARIO=scenario.txt KALDO_CONTROL= KALDO_LIBRARY= " +
                          "XJ_DISPLAY=headless XJ_AUDIO=null XJ_EXIT_AFTER=6000 XJ_UI_DUMP=dump.txt " +
                          "XJ_SCREENSHOT=shot.png '" XJ_BINARY_DIR "/bin/xunjian' >out.txt 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << Read(dir / "out.txt");
  const std::string dump = Read(dir / "dump.txt");
  ASSERT_FALSE(dump.empty()) << Read(dir / "out.txt");

  // The event list's items, in order, one level under the list box.
  const std::string list = "TListBox LBMsg";
  const size_t at = dump.find(list);
  ASSERT_NE(at, std::string::npos) << dump;
  std::istringstream rest(dump.substr(at));
  std::string line, items;
  std::getline(rest, line);
  while (std::getline(rest, line) && line.find("- ") != std::string::npos)
    items += line.substr(line.find("- ") + 2) + "\n";
  EXPECT_EQ(items, U8(u8"线1:电话断线!\n"
                      u8"线1:电话线连接!\n"
                      u8"线2:电话摘机!\n"
                      u8"线0:收到来电号码:13800138000\n"
                      u8"线3:DTMF号码:5#\n"));
  EXPECT_NE(dump.find(U8(u8"TLabel Label3 \"共4线\"")), std::string::npos) << dump;
  EXPECT_NE(dump.find(U8(u8"TEdit Edit4 \"20240101\"")), std::string::npos) << dump;
  EXPECT_GT(Read(dir / "shot.png").size(), 1000u);
}

TEST(EndToEndTest, WithoutTheDeviceLibraryTheConsoleStartsAsWithNoBox) {
  ScratchDir dir;
  const std::string cmd = "cd '" + dir.Path() + "' && env KALDO_LIBRARY=/nonexistent/libkaldo.so XJ_DISPLAY=headless " +
                          "XJ_AUDIO=null XJ_EXIT_AFTER=1000 XJ_UI_DUMP=dump.txt '" XJ_BINARY_DIR
                          "/bin/xunjian' >out.txt 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << Read(dir / "out.txt");
  const std::string dump = Read(dir / "dump.txt");
  EXPECT_NE(dump.find(U8(u8"TLabel Label3 \"共-1线\"")), std::string::npos) << dump;
  EXPECT_NE(Read(dir / "out.txt").find("/nonexistent/libkaldo.so"), std::string::npos);
}

}  // namespace
