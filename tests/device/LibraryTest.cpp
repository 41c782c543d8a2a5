// libkaldo.so as the console loads it: dlopen, then every operation found by its ordinal.

#include <dlfcn.h>

#include <cstring>
#include <map>

#include "device/KaldoApi.h"
#include "platform/win32/OrdinalExports.h"
#include "tests/device/BoxTestSupport.h"

namespace kaldo::test {
namespace {

using Fn0 = int32_t (*)();
using Fn1 = int32_t (*)(int32_t);
using FnText = int32_t (*)(int32_t, char*);
using FnRecord = int32_t (*)(int32_t, const char*, int32_t);

class LibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("KALDO_CONTROL", "", 1);
    ::setenv("KALDO_SCENARIO", "", 1);
    handle = ::dlopen(XJ_BINARY_DIR "/lib/libkaldo.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << ::dlerror();
  }
  static void TearDownTestSuite() {
    if (handle) ::dlclose(handle);
    handle = nullptr;
    ::unsetenv("KALDO_CONTROL");
    ::unsetenv("KALDO_SCENARIO");
  }

  void SetUp() override {
    ASSERT_NE(handle, nullptr);
    table = static_cast<const XjOrdinalExport*>(::dlsym(handle, XJ_ORDINAL_TABLE_SYMBOL));
    ASSERT_NE(table, nullptr);
    Sym<void (*)()>("KaldoReset")();
    Sym<void (*)(uint64_t(*)(void*), void*)>("KaldoSetClock")(&ManualClock::Read, &clock);
  }
  void TearDown() override {
    if (!handle) return;
    Sym<void (*)()>("KaldoReset")();
    Sym<void (*)(uint64_t(*)(void*), void*)>("KaldoSetClock")(nullptr, nullptr);
  }

  template <class F>
  F Sym(const char* name) {
    void* p = ::dlsym(handle, name);
    EXPECT_NE(p, nullptr) << name;
    return reinterpret_cast<F>(p);
  }

  // What the platform's GetProcAddress(MAKEINTRESOURCE(n)) does.
  template <class F>
  F ByOrdinal(uint32_t ordinal) {
    for (const XjOrdinalExport* e = table; e->ordinal != 0; ++e)
      if (e->ordinal == ordinal) return reinterpret_cast<F>(e->proc);
    ADD_FAILURE() << "no ordinal " << ordinal;
    return nullptr;
  }

  int32_t Command(const char* line) {
    char error[128];
    int32_t r = Sym<int32_t (*)(const char*, char*, int32_t)>("KaldoCommand")(line, error, sizeof error);
    EXPECT_EQ(r, 0) << line << ": " << error;
    return r;
  }

  static inline void* handle = nullptr;
  const XjOrdinalExport* table = nullptr;
  ManualClock clock;
};

TEST_F(LibraryTest, TheOrdinalTableListsTheThirteenOperations) {
  std::map<uint32_t, std::string> expected = {
    { 1, "DevOpen" },
    { 2, "DevClose" },
    { 3, "DevGetLineCount" },
    { 66, "DevSetDeviceType" },
    { 33, "DevGetSerialNumber" },
    { 37, "DevGetLineState" },
    { 11, "DevGetHookState" },
    { 38, "DevGetRing" },
    { 23, "DevGetCallerId" },
    { 22, "DevGetDtmf" },
    { 24, "DevStartRecord" },
    { 25, "DevStopRecord" },
    { 26, "DevGetRecordState" },
  };
  std::map<uint32_t, std::string> found;
  for (const XjOrdinalExport* e = table; e->ordinal != 0; ++e) {
    ASSERT_NE(e->name, nullptr);
    EXPECT_TRUE(found.emplace(e->ordinal, e->name).second) << "ordinal " << e->ordinal << " twice";
    EXPECT_EQ(e->proc, ::dlsym(handle, e->name)) << e->name << " is exported under its name too";
  }
  EXPECT_EQ(found, expected);
}

TEST_F(LibraryTest, AConsoleSessionThroughTheOrdinals) {
  auto open = ByOrdinal<Fn0>(1);
  auto close = ByOrdinal<Fn0>(2);
  auto lineCount = ByOrdinal<Fn0>(3);
  auto setType = ByOrdinal<Fn1>(66);
  auto serial = ByOrdinal<Fn1>(33);
  auto lineState = ByOrdinal<Fn1>(37);
  auto hook = ByOrdinal<Fn1>(11);
  auto ring = ByOrdinal<Fn1>(38);
  auto callerId = ByOrdinal<FnText>(23);
  auto dtmf = ByOrdinal<FnText>(22);
  auto start = ByOrdinal<FnRecord>(24);
  auto stop = ByOrdinal<Fn1>(25);
  auto recState = ByOrdinal<Fn1>(26);

  EXPECT_EQ(lineCount(), -1) << "before DevOpen";
  Command("lines 2");
  Command("serial -7");
  ASSERT_EQ(open(), 0);
  EXPECT_EQ(setType(1), 0);
  EXPECT_EQ(setType(9), -1);
  EXPECT_EQ(lineCount(), 2);
  EXPECT_EQ(serial(0), -7);

  Command("call 1 13912345678");
  EXPECT_EQ(ring(1), 1);
  clock.Advance(1000);
  char buf[kTextBufferSize];
  ASSERT_EQ(callerId(1, buf), 11);
  EXPECT_EQ(std::string(buf, 11), "13912345678");
  Command("offhook 1");
  EXPECT_EQ(hook(1), 1);
  Command("dtmf 1 0#");
  EXPECT_EQ(dtmf(1, buf), 2);
  Command("disconnect 0");
  EXPECT_EQ(lineState(0), 1);
  EXPECT_EQ(lineState(2), -1) << "line 2 of a two-line box";

  ScratchDir dir;
  std::string wav = dir / "lib.wav";
  ASSERT_EQ(start(1, wav.c_str(), 0x0FFFFFFF), 0);
  clock.Advance(1000);
  EXPECT_EQ(recState(1), 1);
  EXPECT_EQ(stop(1), 0);
  EXPECT_EQ(recState(1), 0);
  EXPECT_EQ(std::filesystem::file_size(wav), 44u + 16000u);
  EXPECT_EQ(close(), 0);
  EXPECT_EQ(lineCount(), -1);
}

TEST_F(LibraryTest, TheHooksReportStatusCallsAndErrors) {
  char error[64];
  auto command = Sym<int32_t (*)(const char*, char*, int32_t)>("KaldoCommand");
  EXPECT_EQ(command("ring 99", error, sizeof error), -1);
  EXPECT_NE(std::strstr(error, "bad line"), nullptr) << error;
  EXPECT_EQ(command("ring 1", nullptr, 0), 0);
  EXPECT_EQ(command(nullptr, error, sizeof error), -1);
  char tiny[4];
  EXPECT_EQ(command("bogus", tiny, sizeof tiny), -1);
  EXPECT_EQ(std::strlen(tiny), 3u) << "the message is cut to the buffer";

  auto logging = Sym<void (*)(int32_t)>("KaldoSetCallLogging");
  auto callLog = Sym<int32_t (*)(KaldoCall*, int32_t)>("KaldoCallLog");
  ByOrdinal<Fn0>(3)();
  EXPECT_EQ(callLog(nullptr, 0), 0) << "no log until one is asked for";
  logging(1);
  Sym<void (*)(const char*)>("KaldoSetScenario")("lines 5\n");
  ASSERT_EQ(ByOrdinal<Fn0>(1)(), 0);
  EXPECT_EQ(ByOrdinal<Fn0>(3)(), 5);
  Command("cid 0 42");
  char cid[kTextBufferSize];
  EXPECT_EQ(ByOrdinal<FnText>(23)(0, cid), 2);
  ByOrdinal<Fn1>(37)(17);

  KaldoCall calls[8];
  ASSERT_EQ(callLog(calls, 8), 4);
  EXPECT_EQ(calls[0].ordinal, 1u);
  EXPECT_EQ(calls[1].ordinal, 3u);
  EXPECT_EQ(calls[1].result, 5);
  EXPECT_EQ(calls[2].ordinal, 23u);
  EXPECT_EQ(std::string(calls[2].text, calls[2].text_length), "42");
  EXPECT_EQ(calls[3].args[0], 17);
  EXPECT_EQ(calls[3].result, -1);
  EXPECT_EQ(calls[3].was_open, 1);
  EXPECT_EQ(callLog(calls, 1), 4) << "the count is the whole log";
  Sym<void (*)()>("KaldoClearCallLog")();
  EXPECT_EQ(callLog(nullptr, 0), 0);
  logging(0);

  auto status = Sym<int32_t (*)(char*, int32_t)>("KaldoStatus");
  char text[2048];
  int32_t n = status(text, sizeof text);
  ASSERT_GT(n, 0);
  ASSERT_LT(n, static_cast<int32_t>(sizeof text));
  EXPECT_NE(std::strstr(text, "lines 5"), nullptr) << text;
  char cut[10];
  EXPECT_EQ(status(cut, sizeof cut), n);
  EXPECT_EQ(std::strlen(cut), 9u);
  Sym<void (*)(const char*)>("KaldoSetScenario")(nullptr);
}

}  // namespace
}  // namespace kaldo::test
