// The application frees its forms when the program exits, before the loop thread's thread_local state
// goes (a skinned form repaints its caption while it is hidden and freed then).

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(ExitTest, TheFormsGoWhileTheLoopThreadsStateStillLives) {
  const std::string cmd = "env XJ_DISPLAY=headless XJ_AUDIO=null '" XJ_EXIT_FIXTURE "' >/dev/null 2>&1";
  const int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "3: the forms were freed after the thread's state";
}
