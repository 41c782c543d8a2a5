// Clicks on a skinned form's caption as xdotool gives them, the release right after the press: no drag
// is handed to the window manager for them, so a right click after a left one opens the form's menu and
// a double click maximises it, whatever window manager runs.

#include <string>

#include "skin/form/bsSkinForm.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace ctltest;

namespace {

class SkinnedCaptionX11 : public xj::test::X11InputTest {
 protected:
  void ShowSkinnedForm() {
    form = NewForm(150, 110, 400, 300);
    form->SetBorderStyle(bsSizeable);
    form->SetCaption("xj-skinned-caption");
    sf = new RurIvozedevUzivEred(form);
    auto* skin = new TbsSkinData(form);
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    sf->SetSkinData(skin);
    sf->OnSkinMenuOpen = On<TNotifyEvent>([this](TObject*) { ++menus; });
    form->Show();
    xt::PumpUntilIdle();
    ASSERT_TRUE(Eventually([&] { return X().Viewable(X().FindWindow("xj-skinned-caption")); }));
    ASSERT_TRUE(Eventually([&] { return form->Active(); }));
    const TRect cap = sf->Objects(sf->GetIndex("caption"))->ObjectRect;
    caption = form->Left() + (cap.Left + cap.Right) / 2, captionY = form->Top() + (cap.Top + cap.Bottom) / 2;
  }
  std::string OnCaption() const { return std::to_string(caption) + " " + std::to_string(captionY); }

  TForm* form {};
  RurIvozedevUzivEred* sf {};
  int caption {}, captionY {};
  int menus {};  // the form's menu opened
};

TEST_F(SkinnedCaptionX11, ARightClickAfterALeftClickWithoutPausesOpensTheMenu) {
  ASSERT_NO_FATAL_FAILURE(ShowSkinnedForm());
  ASSERT_TRUE(Xdotool("mousemove " + OnCaption() + " click 1 click 3"));
  EXPECT_TRUE(Eventually([&] { return menus == 1 && sf->SkinMenu()->Visible(); })) << "no menu opened";
  EXPECT_EQ(sf->WindowState(), wsNormal);
}

TEST_F(SkinnedCaptionX11, ADoubleClickWithoutPausesMaximises) {
  ASSERT_NO_FATAL_FAILURE(ShowSkinnedForm());
  ASSERT_TRUE(Xdotool("mousemove " + OnCaption() + " click --repeat 2 --delay 30 1"));
  EXPECT_TRUE(Eventually([&] { return sf->WindowState() == wsMaximized; })) << "not maximised";
  EXPECT_EQ(menus, 0);
}

}  // namespace
