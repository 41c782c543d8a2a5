// ShellExecuteA: the opener gets the target as one untouched UTF-8 argument, no shell ever sees it,
// it runs detached in a session of its own, and no child of ours is left behind.
//
// These tests start real processes: they wait (up to 20 s) for the opener script to leave its file.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/win32/ShellApi.h"
#include "tests/support/Scratch.h"
#include "tests/support/Wait.h"

namespace {

using xj::test::ScopedEnv;
using xj::test::u8s;

INT_PTR Result(HINSTANCE h) { return reinterpret_cast<INT_PTR>(h); }

// True when this process has no child at all, live or zombie.
bool NoChildren() {
  int status;
  return ::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

class ShellExecuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "xj-shell-XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(tmpl.data()));
    dir = tmpl;
    // The opener: writes each argument NUL-terminated, and its session id, then shows the result.
    opener = dir + "/opener";
    WriteScript(opener);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  void WriteScript(const std::string& path) {
    std::ofstream(path) << "#!/bin/sh\n"
                        << "out='" << dir << "/args'\n"
                        << "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$out.tmp\"\n"
                        << "awk '{print $6}' /proc/$$/stat > \"$out.sid\"\n"
                        << "pwd > \"$out.cwd\"\n"
                        << "mv \"$out.tmp\" \"$out\"\n";
    ::chmod(path.c_str(), 0755);
  }

  // The arguments the opener received, once it has run; nullopt if it never did.
  std::optional<std::vector<std::string>> OpenerArgs() {
    const std::string path = dir + "/args";
    if (!xj::test::WaitUntil([&] { return std::filesystem::exists(path); })) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> args;
    for (std::string a; std::getline(in, a, '\0');) args.push_back(a);
    std::filesystem::remove(path);
    return args;
  }

  std::string Recorded(const char* what) {
    std::ifstream in(dir + "/args." + what);
    std::string s;
    std::getline(in, s);
    return s;
  }

  std::string dir;
  std::string opener;
};

// Targets that a shell would split, expand or run arrive as one argument, byte for byte, in UTF-8.
TEST_F(ShellExecuteTest, TheTargetArrivesAsOneUntouchedArgument) {
  ScopedEnv env("XDG_OPEN_PROGRAM", opener);
  const std::string pwned = dir + "/pwned";
  struct Case {
    std::string gbk;   // as the caller passes it
    std::string utf8;  // as the opener must see it
  };
  const Case cases[] = {
    { "http://example.com/a b?q=\"x\"&y='z'", "http://example.com/a b?q=\"x\"&y='z'" },
    { "mailto:a@b.c; touch " + pwned, "mailto:a@b.c; touch " + pwned },
    { "http://x/$(touch " + pwned + ")`touch " + pwned + "`", "http://x/$(touch " + pwned + ")`touch " + pwned + "`" },
    { "http://x/线路 录音\\a", u8s(u8"http://x/线路 录音\\a") },
    { "file:" + dir + "/*", "file:" + dir + "/*" },
    { "HTTP://x/-n --help", "HTTP://x/-n --help" },
  };
  for (const Case& c : cases) {
    const INT_PTR r = Result(ShellExecuteA(nullptr, "open", c.gbk.c_str(), nullptr, nullptr, 1));
    EXPECT_GT(r, 32) << c.utf8;
    const auto args = OpenerArgs();
    ASSERT_TRUE(args) << "the opener never ran for " << c.utf8;
    ASSERT_EQ(args->size(), 1u) << c.utf8;
    EXPECT_EQ((*args)[0], c.utf8);
  }
  EXPECT_FALSE(std::filesystem::exists(pwned));
  EXPECT_TRUE(NoChildren());
}

// A local path: GBK converted, '\' made '/', a relative one taken from the directory given.
TEST_F(ShellExecuteTest, LocalFilesAreOpenedByTheirHostPath) {
  ScopedEnv env("XDG_OPEN_PROGRAM", opener);
  const std::string name = u8s(u8"报告 'a';$(b).txt");
  std::filesystem::create_directory(dir + "/" + u8s(u8"文档"));
  std::ofstream(dir + "/" + u8s(u8"文档") + "/" + name) << "x";

  const std::string absolute = dir + "\\文档\\报告 'a';$(b).txt";
  EXPECT_GT(Result(ShellExecuteA(nullptr, "open", absolute.c_str(), nullptr, nullptr, 1)), 32);
  auto args = OpenerArgs();
  ASSERT_TRUE(args);
  EXPECT_EQ(*args, std::vector<std::string> { dir + "/" + u8s(u8"文档") + "/" + name });

  EXPECT_GT(Result(ShellExecuteA(nullptr, "open", "报告 'a';$(b).txt", nullptr, (dir + "\\文档").c_str(), 1)), 32);
  args = OpenerArgs();
  ASSERT_TRUE(args);
  EXPECT_EQ(*args, std::vector<std::string> { name });
  EXPECT_EQ(Recorded("cwd"), dir + "/" + u8s(u8"文档"));  // the opener runs there, so the name resolves

  std::ofstream(dir + "/--help") << "x";  // a file name that looks like an option stays a file name
  EXPECT_GT(Result(ShellExecuteA(nullptr, "open", "--help", nullptr, dir.c_str(), 1)), 32);
  args = OpenerArgs();
  ASSERT_TRUE(args);
  EXPECT_EQ(*args, std::vector<std::string> { "./--help" });
  EXPECT_TRUE(NoChildren());
}

TEST_F(ShellExecuteTest, TheOpenerRunsDetachedInASessionOfItsOwn) {
  ScopedEnv env("XDG_OPEN_PROGRAM", opener);
  ASSERT_GT(Result(ShellExecuteA(nullptr, nullptr, "http://x/", "", "", 1)), 32);  // null verb = open
  ASSERT_TRUE(OpenerArgs());
  EXPECT_NE(Recorded("sid"), std::to_string(::getsid(0)));
  EXPECT_FALSE(Recorded("sid").empty());
  EXPECT_TRUE(NoChildren());  // the go-between is reaped, the opener belongs to someone else
}

TEST_F(ShellExecuteTest, WithoutXdgOpenProgramXdgOpenIsFoundInPath) {
  WriteScript(dir + "/xdg-open");
  ScopedEnv program("XDG_OPEN_PROGRAM", std::nullopt);
  const char* system = ::getenv("PATH");
  ScopedEnv path("PATH", "/nonexistent::" + dir + ":" + (system ? system : "/usr/bin:/bin"));
  ASSERT_GT(Result(ShellExecuteA(nullptr, "Open", "https://x/", nullptr, nullptr, 1)), 32);
  const auto args = OpenerArgs();
  ASSERT_TRUE(args);
  EXPECT_EQ(*args, std::vector<std::string> { "https://x/" });
}

TEST_F(ShellExecuteTest, AnOpenerThatCannotStartGivesNoAssociation) {
  std::ofstream(dir + "/plain") << "#!/bin/sh\n";  // not executable
  std::ofstream(dir + "/broken") << "no interpreter line, not a program";
  ::chmod((dir + "/broken").c_str(), 0755);
  for (const std::string& program : { std::string("/nonexistent/xdg-open"), dir + "/plain", dir, dir + "/broken",
                                      std::string("no-such-opener-anywhere") }) {
    ScopedEnv env("XDG_OPEN_PROGRAM", program);
    EXPECT_EQ(Result(ShellExecuteA(nullptr, "open", "http://x/", nullptr, nullptr, 1)), SE_ERR_NOASSOC) << program;
  }
  EXPECT_TRUE(NoChildren());
}

TEST_F(ShellExecuteTest, WhatCannotBeOpenedIsRefusedBeforeAnythingStarts) {
  ScopedEnv env("XDG_OPEN_PROGRAM", opener);
  struct Case {
    const char* verb;
    std::optional<std::string> file;
    std::optional<std::string> directory;
    INT_PTR result;
  };
  const Case cases[] = {
    { "print", "http://x/", std::nullopt, SE_ERR_NOASSOC },
    { "explore", dir, std::nullopt, SE_ERR_NOASSOC },
    { "open", std::nullopt, std::nullopt, ERROR_FILE_NOT_FOUND },
    { "open", "", std::nullopt, ERROR_FILE_NOT_FOUND },
    { "open", dir + "/missing.txt", std::nullopt, ERROR_FILE_NOT_FOUND },
    { "open", "missing.txt", dir, ERROR_FILE_NOT_FOUND },
    { "open", "C:\\missing.txt", std::nullopt, ERROR_FILE_NOT_FOUND },  // a drive letter is no scheme
    { "open", "http://x/", dir + "/no-such-dir", ERROR_PATH_NOT_FOUND },
  };
  for (const Case& c : cases) {
    const INT_PTR r = Result(ShellExecuteA(nullptr, c.verb, c.file ? c.file->c_str() : nullptr, nullptr,
                                           c.directory ? c.directory->c_str() : nullptr, 1));
    EXPECT_EQ(r, c.result) << c.verb << " " << c.file.value_or("(null)");
  }
  EXPECT_TRUE(NoChildren());  // nothing was started
  EXPECT_FALSE(std::filesystem::exists(dir + "/args.sid"));
}

TEST_F(ShellExecuteTest, AHookSeesEveryCallAndNothingStarts) {
  ScopedEnv env("XDG_OPEN_PROGRAM", opener);
  std::vector<xj::ShellExecuteCall> calls;
  xj::SetShellExecuteHook([&](const xj::ShellExecuteCall& c) { calls.push_back(c); });
  const INT_PTR started = Result(ShellExecuteA(nullptr, "open", "http://x/线", "-p", nullptr, 1));
  const INT_PTR refused = Result(ShellExecuteA(nullptr, "print", "http://y/", nullptr, nullptr, 0));
  EXPECT_TRUE(xj::SetShellExecuteHook(nullptr));  // hands back the hook that was in place
  EXPECT_FALSE(xj::SetShellExecuteHook(nullptr));
  EXPECT_GT(started, 32);
  EXPECT_EQ(refused, SE_ERR_NOASSOC);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].Operation, "open");
  EXPECT_EQ(calls[0].File, "http://x/线");
  EXPECT_EQ(calls[0].Parameters, "-p");
  EXPECT_EQ(calls[0].ShowCmd, 1);
  EXPECT_EQ(calls[0].Program, opener);
  EXPECT_EQ(calls[0].Target, u8s(u8"http://x/线"));
  EXPECT_EQ(calls[0].Result, started);
  EXPECT_EQ(calls[1].Operation, "print");
  EXPECT_EQ(calls[1].Result, SE_ERR_NOASSOC);
  EXPECT_TRUE(calls[1].Target.empty());
  EXPECT_TRUE(NoChildren());
}

}  // namespace
