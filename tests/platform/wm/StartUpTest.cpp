// What a program loads when it starts: a headless program that shows a window has not loaded Xlib,
// which is loaded when an X display is first asked for; the loader of such libraries; and the memory of
// large window surfaces.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/base/SharedLibrary.h"
#include "platform/display/factory/CreateBackend.h"
#include "platform/win32/WinUser.h"
#include "platform/win32/WmBackend.h"
#include "tests/support/Loaded.h"

namespace {

using xj::test::LibraryLoaded;

// What is wrong, as bits: Xlib loaded before a display asked for it (1), or not loaded once one did (2).
int XlibLoadedWhenFirstNeeded() {
  setenv("XJ_DISPLAY", "headless", 1);
  WNDCLASSA wc {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "StartUpWnd";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "StartUpWnd", "shown", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, nullptr, nullptr, nullptr,
                           nullptr);
  UpdateWindow(w);
  int wrong = !w || LibraryLoaded("libX11.so") ? 1 : 0;
  setenv("XJ_DISPLAY", "x11", 1);
  setenv("DISPLAY", ":9876", 1);  // no server: the back-end cannot open, but has had to load Xlib to try
  std::string error;
  if (xj::display::CreateBackend(error) || error.empty() || !LibraryLoaded("libX11.so")) wrong |= 2;
  DestroyWindow(w);
  return wrong;
}

// In a fresh process, as a program starts.
TEST(StartUp, XlibIsLoadedWhenAnXDisplayIsFirstAskedFor) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(XlibLoadedWhenFirstNeeded()), ::testing::ExitedWithCode(0), "");
}

// A library or a function that cannot be found is an error that names it, and leaves nothing to call.
TEST(StartUp, ALibraryLoadedWhenNeededSaysWhatIsMissing) {
  xj::SharedLibrary none("libxj-no-such-library.so.0");
  double (*cosine)(double) = nullptr;
  none.Bind(cosine, "cos");
  EXPECT_FALSE(none.Ok());
  EXPECT_EQ(cosine, nullptr);
  EXPECT_NE(none.Error().find("cannot load libxj-no-such-library.so.0"), std::string::npos) << none.Error();

  xj::SharedLibrary math("libm.so.6");
  math.Bind(cosine, "cos");
  ASSERT_TRUE(math.Ok()) << math.Error();
  ASSERT_NE(cosine, nullptr);
  EXPECT_EQ(cosine(0.0), 1.0);
  void (*missing)() = nullptr;
  math.Bind(missing, "xj_no_such_function");
  EXPECT_EQ(missing, nullptr);
  EXPECT_FALSE(math.Ok());
  EXPECT_EQ(math.Error(), "libm.so.6 has no xj_no_such_function");
}

// A surface of a megabyte or more lies on a 2 MB boundary, whole and writable; smaller ones come from
// the heap. Freed, each goes back where it came from (a mismatch would crash or leak here).
TEST(StartUp, LargeSurfacesLieOnHugePageBoundaries) {
  constexpr size_t kMb = size_t(1) << 20;
  for (size_t bytes : { size_t(64), kMb - 4, kMb, 3 * kMb / 2, 2 * kMb, 5 * kMb + 12 }) {
    SCOPED_TRACE(bytes);
    auto* p = static_cast<unsigned char*>(xj::wm::SurfaceMemory::Allocate(bytes));
    ASSERT_NE(p, nullptr);
    if (bytes >= kMb) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % (2 * kMb), 0u);
    }
    std::memset(p, 0xAB, bytes);
    EXPECT_EQ(p[0], 0xAB);
    EXPECT_EQ(p[bytes - 1], 0xAB);
    xj::wm::SurfaceMemory::Free(p, bytes);
  }
}

}  // namespace
