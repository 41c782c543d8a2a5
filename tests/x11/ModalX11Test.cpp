// A modal form and a message box on a real X server belong to the form they came from: the X window is
// the owner's transient (and modal, for a window manager that reads EWMH), so a click on the owner
// leaves the modal window above it and, under such a manager, with the keyboard. A screenshot after the
// click is written under the build tree, one per window manager.

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "platform/vcl/Forms.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace ctltest;

namespace {

struct ModalCase {
  const char* name;
  bool form;  // a form's ShowModal, else a message box
};
void PrintTo(const ModalCase& c, std::ostream* out) { *out << c.name; }

class ModalX11 : public xj::test::X11InputTest, public testing::WithParamInterface<ModalCase> {
 protected:
  static bool Ewmh() { return !X().Longs(X().Root(), "_NET_SUPPORTED").empty(); }
  // Once an EWMH window manager has handled everything sent before now (nothing to wait for otherwise).
  static bool ManagerCaughtUp() {
    if (!Ewmh()) return true;
    const std::vector<long> now = X().Longs(X().Root(), "_NET_NUMBER_OF_DESKTOPS");
    const long wanted = (now.empty() ? 1 : now[0]) + 1;
    X().AskDesktops(wanted);
    return Eventually([&] { return X().Longs(X().Root(), "_NET_NUMBER_OF_DESKTOPS") == std::vector<long> { wanted }; });
  }

  // What the user sees with the modal window up: its X window tied to the owner's, and still on top
  // (and focused, under EWMH) after a click on the owner where the modal window does not cover it.
  void CheckModalWindow(const std::string& title, unsigned long owner, TForm* ownerForm) {
    unsigned long modal = 0;
    ASSERT_TRUE(Eventually([&] { return X().Viewable(modal = X().FindWindow(title)); })) << "it never showed";
    EXPECT_EQ(X().Longs(modal, "WM_TRANSIENT_FOR"), std::vector<long> { long(owner) });
    const std::vector<std::string> state = X().AtomNames(modal, "_NET_WM_STATE");
    EXPECT_NE(std::find(state.begin(), state.end(), "_NET_WM_STATE_MODAL"), state.end());

    RECT box {};
    GetWindowRect(GetActiveWindow(), &box);
    ASSERT_TRUE(ClickOn(ownerForm, TPoint(12, ownerForm->ClientHeight() - 12)));
    ASSERT_TRUE(ManagerCaughtUp());
    const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    EXPECT_TRUE(Eventually([&] { return X().ScreenPixel(cx, cy) != 0xFF0000u; }))
        << "the owner covers the modal window";
    if (Ewmh()) {
      EXPECT_TRUE(Eventually([&] { return X().FocusWindow() == modal; })) << "the owner has the keys";
    }
    const std::string manager = xj::test::WindowManagerWanted();
    const std::string shot =
        xj::test::ScreenshotPath(std::string("x11-modal-") + GetParam().name + (manager.empty() ? "-alone" : ""));
    EXPECT_EQ(xj::test::RunWhilePumping("import -window root '" + shot + "'", [] { xt::PumpUntilIdle(); }), 0);
  }
};

TEST_P(ModalX11, StaysAboveItsOwnerWhenTheOwnerIsClicked) {
  TForm* owner = NewForm(60, 60, 600, 460);
  owner->SetCaption("xj-modal-owner");
  owner->SetColor(clRed);
  owner->Show();
  xt::PumpUntilIdle();
  unsigned long ownerWindow = 0;
  ASSERT_TRUE(Eventually([&] { return X().Viewable(ownerWindow = X().FindWindow("xj-modal-owner")); }));
  ASSERT_TRUE(Eventually([&] { return owner->Active(); }));

  const std::string title = std::string("xj-modal-") + GetParam().name;
  bool checked = false;
  xt::AnswerModal([&](const xt::ModalRecord&) {
    CheckModalWindow(title, ownerWindow, owner);
    checked = true;
    return GetParam().form ? LONG_PTR(mrOk) : LONG_PTR(IDOK);
  });
  if (GetParam().form) {
    TForm* dialog = NewForm(200, 150, 260, 160);
    dialog->SetCaption(title.c_str());
    dialog->SetColor(clLime);
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(GetWindowLongPtrA(dialog->Handle(), GWLP_HWNDPARENT), 0) << "still owned after its loop";
  } else {
    EXPECT_EQ(MessageBoxA(owner->Handle(), "text", title.c_str(), MB_OK), IDOK);
  }
  EXPECT_TRUE(checked);
}

INSTANTIATE_TEST_SUITE_P(Windows, ModalX11, testing::Values(ModalCase { "form", true }, ModalCase { "box", false }),
                         [](const testing::TestParamInfo<ModalCase>& i) { return std::string(i.param.name); });

}  // namespace
