// LoadLibraryA / GetProcAddress against a small library the test build makes, and the built-in USER32.

#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/WinBase.h"

namespace {
typedef int32_t (*AddProc)(int32_t, int32_t);
typedef int32_t (*NoArgProc)();

int32_t FakeLayered() { return 1; }
}  // namespace

TEST(Modules, ProcsByNameByOrdinalAndThroughTheOrdinalTable) {
  HMODULE lib = LoadLibraryA(XJ_ORDINAL_FIXTURE);
  ASSERT_NE(lib, nullptr);
  auto add = reinterpret_cast<AddProc>(GetProcAddress(lib, "FixtureAdd"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(3, 4), 7);
  EXPECT_EQ(reinterpret_cast<AddProc>(GetProcAddress(lib, MAKEINTRESOURCE(1))), add);
  auto answer = reinterpret_cast<NoArgProc>(GetProcAddress(lib, MAKEINTRESOURCE(66)));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  auto hidden = reinterpret_cast<NoArgProc>(GetProcAddress(lib, MAKEINTRESOURCE(33)));
  ASSERT_NE(hidden, nullptr);
  EXPECT_EQ(hidden(), 7);
  EXPECT_EQ(reinterpret_cast<NoArgProc>(GetProcAddress(lib, "FixtureHidden")), hidden);  // name from the table

  SetLastError(0);
  EXPECT_EQ(GetProcAddress(lib, "NoSuchProc"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(GetProcAddress(lib, MAKEINTRESOURCE(99)), nullptr);
  EXPECT_EQ(GetProcAddress(lib, MAKEINTRESOURCE(0)), nullptr);
  EXPECT_EQ(GetProcAddress(lib, nullptr), nullptr);
  EXPECT_TRUE(FreeLibrary(lib));
}

TEST(Modules, LoadCountsAndStaleHandles) {
  HMODULE a = LoadLibraryA(XJ_ORDINAL_FIXTURE);
  HMODULE b = LoadLibraryA(XJ_ORDINAL_FIXTURE);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(GetModuleHandleA(XJ_ORDINAL_FIXTURE), a);
  EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(a)));  // modules go through FreeLibrary
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_NE(GetProcAddress(a, "FixtureAdd"), nullptr);  // still loaded once
  EXPECT_TRUE(FreeLibrary(b));
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(a, "FixtureAdd"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(FreeLibrary(a));
  EXPECT_EQ(GetModuleHandleA(XJ_ORDINAL_FIXTURE), nullptr);
  EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(Modules, MissingLibrariesFailWithAnError) {
  for (const char* name : { "/nonexistent/KALDO.DLL", "不存在.dll", "./user32.dll", "/etc/hostname" }) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(name), nullptr) << name;
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND) << name;
  }
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(GetModuleHandleA("never_loaded.so"), nullptr);
}

TEST(Modules, User32IsBuiltInWithRegisteredExports) {
  HMODULE user32 = LoadLibraryA("USER32");
  ASSERT_NE(user32, nullptr);
  EXPECT_EQ(LoadLibraryA("user32.dll"), user32);
  EXPECT_EQ(LoadLibraryA("User32.DLL"), user32);
  EXPECT_EQ(GetModuleHandleA("user32"), user32);
  EXPECT_EQ(GetProcAddress(user32, "XjNeverRegistered"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

  xj::RegisterBuiltinExport("user32.dll", "XjTestOnlyExport", reinterpret_cast<void*>(&FakeLayered));
  auto proc = reinterpret_cast<NoArgProc>(GetProcAddress(user32, "XjTestOnlyExport"));
  ASSERT_NE(proc, nullptr);
  EXPECT_EQ(proc(), 1);
  EXPECT_EQ(GetProcAddress(user32, "xjtestonlyexport"), nullptr);  // export names keep their case
  EXPECT_EQ(GetProcAddress(user32, MAKEINTRESOURCE(1)), nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(FreeLibrary(user32));
  EXPECT_NE(GetProcAddress(user32, "XjTestOnlyExport"), nullptr);  // built-in modules stay
}

TEST(Modules, ModuleFileNames) {
  char path[4096];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(std::strlen(path), n);
  EXPECT_NE(std::strstr(path, "test_core"), nullptr);
  char small[5];
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::strlen(small), 4u);

  HMODULE lib = LoadLibraryA(XJ_ORDINAL_FIXTURE);
  ASSERT_GT(GetModuleFileNameA(lib, path, sizeof path), 0u);
  EXPECT_NE(std::strstr(path, "xj_ordinal_fixture"), nullptr);
  FreeLibrary(lib);
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
}
