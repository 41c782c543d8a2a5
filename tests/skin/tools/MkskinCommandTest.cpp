// The skin maker as a user runs it: options are options, never folder names.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int code;
  std::string out;
};

// Runs the skin maker in a fresh folder with the given arguments; what it prints on both streams.
Outcome Mkskin(const fs::path& dir, const std::string& args) {
  const std::string cmd = "cd '" + dir.string() + "' && '" XJ_MKSKIN "' " + args + " 2>&1";
  Outcome r { -1, "" };
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[512];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return r;
}

class MkskinCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("mkskin-cmd-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  bool Empty() const { return fs::is_empty(dir); }
  fs::path dir;
};

TEST_F(MkskinCommand, HelpPrintsTheUsageUnderTheProgramsOwnNameAndMakesNothing) {
  const Outcome r = Mkskin(dir, "--help");
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("usage: mkskin [--look] <output directory>"), std::string::npos) << r.out;
  EXPECT_TRUE(Empty());
  EXPECT_EQ(Mkskin(dir, "out --help").code, 0);
  EXPECT_TRUE(Empty());
}

TEST_F(MkskinCommand, AnUnknownOptionOrASecondFolderIsAnErrorAndMakesNothing) {
  for (const char* args : { "--hlep", "-x out", "one two", "--look", "" }) {
    const Outcome r = Mkskin(dir, args);
    EXPECT_EQ(r.code, 2) << args << ": " << r.out;
    EXPECT_NE(r.out.find("usage:"), std::string::npos) << args << ": " << r.out;
    EXPECT_TRUE(Empty()) << args;
  }
}

TEST_F(MkskinCommand, TheLookOptionBeforeOrAfterTheFolderDrawsTheRealLookSkins) {
  EXPECT_EQ(Mkskin(dir, "--look a").code, 0);
  EXPECT_EQ(Mkskin(dir, "b --look").code, 0);
  for (const char* f : { "a/azure/skin.ini", "a/olive/skin.ini", "b/azure/skin.ini" })
    EXPECT_TRUE(fs::exists(dir / f)) << f;
  EXPECT_FALSE(fs::exists(dir / "a/test"));
}

}  // namespace
