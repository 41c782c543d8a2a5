#pragma once
// A media player on a shown form, playing into the null sink under the harness's manual clock, with
// sound files made by sox in a scratch directory.

#include <unistd.h>

#include <functional>
#include <string>

#include "platform/vcl/MPlayer.h"
#include "tests/support/AudioTestSupport.h"
#include "tests/support/ControlsTestUtil.h"
#include "tests/support/Wait.h"

namespace mptest {

using namespace ctltest;
using xj::audio::test::HaveSox;
using xj::audio::test::ScopedEnv;
using xj::audio::test::ScratchDir;
using xj::audio::test::WriteBytes;
using xj::audio::test::WriteToneWav;

class MediaPlayerTest : public ControlsTest {
 protected:
  void SetUp() override {
    if (!HaveSox()) GTEST_SKIP() << "sox is not installed";
    ControlsTest::SetUp();
    form = NewForm(100, 100, 400, 200);
    player = new TMediaPlayer(form);
    player->SetParent(form);
    player->SetBounds(10, 10, 253, 30);
    player->OnNotify = On<TNotifyEvent>([this](TObject*) { ++notices; });
    form->Show();
  }

  // A mono 16-bit 8000 Hz tone of `ms` milliseconds.
  std::string Tone(const std::string& name, int ms) {
    const std::string path = dir / name;
    EXPECT_TRUE(WriteToneWav(path, 8000, 16, 1, int64_t { ms } * 8));
    return path;
  }
  void OpenTone(int ms, const std::string& name = "tone.wav") {
    player->SetFileName(Tone(name, ms));
    player->Open();
  }

  // The audio thread sees a clock move a few real milliseconds later; its notice then waits in the
  // queue. Pumps (and waits, generously) until `done` holds.
  static bool PumpUntil(const std::function<bool()>& done) {
    return xj::test::WaitUntil(done, [] { xt::PumpUntilIdle(); });
  }
  // Gives a notice that should not come time to come.
  static void PumpAWhile() {
    for (int i = 0; i < 100; ++i) {
      xt::PumpUntilIdle();
      ::usleep(1000);
    }
  }
  bool WaitForNotices(int n) {
    return PumpUntil([&] { return notices >= n; });
  }

  // The centre of a button, in screen coordinates.
  TPoint ButtonCentre(TMPBtnType b) {
    const TRect r = player->ButtonRect(b);
    return At(player, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  // A click on a button, handled by the application's loop, which shows what a handler raises.
  void ClickButton(TMPBtnType b) {
    const TPoint p = ButtonCentre(b);
    xt::MouseMove(p.X, p.Y, false);
    xt::MouseDown(xt::mbLeft, p.X, p.Y, false);
    xt::MouseUp(xt::mbLeft, p.X, p.Y, false);
    Application->ProcessMessages();
  }
  // A key pressed and released, handled by the application's loop (the only way to the key pipeline).
  static void Press(UINT vk) {
    xt::KeyDown(vk, xt::ssNone, false);
    xt::KeyUp(vk, xt::ssNone, false);
    Application->ProcessMessages();
  }
  // A pixel of a button's glyph, at (gx, gy) of its 11×9 box (unpressed).
  COLORREF GlyphPixel(TMPBtnType b, int gx, int gy) {
    const TRect r = player->ButtonRect(b);
    return xt::ReadPixel(player->Handle(), r.Left + (r.Width() - 11) / 2 + gx, r.Top + (r.Height() - 9) / 2 + gy);
  }

  ScopedEnv audio { "XJ_AUDIO", "null" };
  ScratchDir dir;
  TForm* form {};
  TMediaPlayer* player {};
  int notices { 0 };
};

}  // namespace mptest
