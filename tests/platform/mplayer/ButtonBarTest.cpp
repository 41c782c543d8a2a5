// The media player's button bar: layout of the visible buttons, their enabled states by mode, clicks
// and keys that run the operations, OnClick, what the buttons look like, and the published properties.

#include "platform/vcl/ExtCtrls.h"
#include "tests/platform/mplayer/MPlayerTestSupport.h"

namespace mptest {
namespace {

using ButtonBarTest = MediaPlayerTest;

const TButtonSet kConsoleButtons { btPlay, btPrev, btBack, btEject };

TEST_F(ButtonBarTest, VisibleButtonsShareTheWidthLeftToRightInTheirFixedOrder) {
  player->SetBounds(384, 120, 113, 33);
  player->SetVisibleButtons(kConsoleButtons);
  const TMPBtnType order[] = { btPlay, btPrev, btBack, btEject };  // the bar's order, not the set's
  int left = 0;
  for (TMPBtnType b : order) {
    const TRect r = player->ButtonRect(b);
    EXPECT_EQ(r.Left, left) << b;
    EXPECT_GE(r.Width(), 28) << b;
    EXPECT_LE(r.Width(), 29) << b;
    EXPECT_EQ(r.Top, 0);
    EXPECT_EQ(r.Bottom, 33);
    left = r.Right;
  }
  EXPECT_EQ(left, 113);
  for (TMPBtnType b : { btPause, btStop, btNext, btStep, btRecord }) EXPECT_EQ(player->ButtonRect(b), TRect()) << b;

  player->SetVisibleButtons(AllMPButtons);
  EXPECT_EQ(player->ButtonRect(btPlay), TRect(0, 0, 12, 33));
  EXPECT_EQ(player->ButtonRect(btEject), TRect(100, 0, 113, 33));
  player->SetVisibleButtons({});
  EXPECT_EQ(player->ButtonRect(btPlay), TRect());
  player->SetVisibleButtons({ btStop });
  EXPECT_EQ(player->ButtonRect(btStop), TRect(0, 0, 113, 33));
}

TEST_F(ButtonBarTest, AutoEnableFollowsTheModeAndOtherwiseEnabledButtonsDecide) {
  const TButtonSet moving { btNext, btPrev, btStep, btBack, btEject };
  EXPECT_EQ(player->ShownEnabledButtons(), TButtonSet {});  // nothing open
  OpenTone(5000);
  struct Case {
    const char* state;
    std::function<void()> go;
    TButtonSet enabled;
  };
  const Case cases[] = {
    { "stopped", [] {}, moving + TButtonSet { btPlay, btRecord } },
    { "playing", [&] { player->Play(); }, moving + TButtonSet { btPause, btStop } },
    { "paused", [&] { player->Pause(); }, moving + TButtonSet { btPlay, btPause, btStop, btRecord } },
    { "stopped again", [&] { player->Stop(); }, moving + TButtonSet { btPlay, btRecord } },
    { "closed", [&] { player->Close(); }, {} },
  };
  for (const Case& c : cases) {
    c.go();
    EXPECT_EQ(player->ShownEnabledButtons(), c.enabled) << c.state;
  }

  player->SetAutoEnable(false);
  EXPECT_EQ(player->ShownEnabledButtons(), AllMPButtons);  // EnabledButtons, even with nothing open
  player->SetEnabledButtons({ btStop, btEject });
  EXPECT_EQ(player->ShownEnabledButtons(), (TButtonSet { btStop, btEject }));
  player->SetVisibleButtons(kConsoleButtons);
  EXPECT_EQ(player->ShownEnabledButtons(), TButtonSet { btEject });  // hidden buttons are not shown enabled
  player->SetEnabled(false);
  EXPECT_EQ(player->ShownEnabledButtons(), TButtonSet {});
}

TEST_F(ButtonBarTest, ClicksRunTheOperationsAndDisabledButtonsIgnoreThem) {
  player->SetVisibleButtons(AllMPButtons);
  ClickButton(btPlay);  // nothing open: every button is disabled
  EXPECT_EQ(player->Mode(), mpNotReady);
  EXPECT_EQ(xt::ModalRecords().size(), 0u);

  OpenTone(6000);
  ClickButton(btPlay);
  EXPECT_EQ(player->Mode(), mpPlaying);
  xt::Advance(2500);
  ClickButton(btBack);
  EXPECT_EQ(player->Position(), 1500);
  ClickButton(btStep);
  ClickButton(btStep);
  EXPECT_EQ(player->Position(), 3500);
  EXPECT_EQ(player->Mode(), mpPlaying);
  ClickButton(btPause);
  EXPECT_EQ(player->Mode(), mpPaused);
  ClickButton(btPause);
  EXPECT_EQ(player->Mode(), mpPlaying);
  ClickButton(btStop);
  EXPECT_EQ(player->Mode(), mpStopped);
  EXPECT_EQ(player->Position(), 3500);
  ClickButton(btStop);  // disabled while stopped: nothing
  ClickButton(btPrev);
  EXPECT_EQ(player->Position(), 0);
  ClickButton(btNext);
  EXPECT_EQ(player->Position(), 6000);
  ClickButton(btPlay);  // at the end: rewinds and plays
  EXPECT_EQ(player->Mode(), mpPlaying);
  xt::Advance(100);
  EXPECT_EQ(player->Position(), 100);
  EXPECT_EQ(xt::ModalRecords().size(), 0u);
}

// Raised by a click inside the application's loop, the device error lands in its exception box and the
// loop goes on.
TEST_F(ButtonBarTest, EjectAndRecordRaiseTheDeviceErrorIntoTheApplicationsBox) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetBounds(50, 50, 300, 100);
  auto* bar = new TMediaPlayer(main);
  bar->SetParent(main);
  bar->SetFileName(Tone("a.wav", 2000));
  bar->Open();
  auto click = [&](TMPBtnType b) {
    return [=] {
      const TRect r = bar->ButtonRect(b);
      const TPoint p = At(bar, (r.Left + r.Right) / 2, r.Bottom / 2);
      xt::MouseMove(p.X, p.Y, false);
      xt::MouseDown(xt::mbLeft, p.X, p.Y, false);
      xt::MouseUp(xt::mbLeft, p.X, p.Y, false);
    };
  };
  const std::function<void()> steps[] = { click(btEject), click(btRecord), click(btPlay) };
  size_t next = 0;
  auto* timer = new TTimer(main);
  timer->SetInterval(10);
  timer->SetOnTimer(On<TNotifyEvent>([&](TObject*) {
    if (next < std::size(steps))
      steps[next++]();
    else
      main->Close();
  }));
  Application->Run();
  ASSERT_EQ(xt::ModalRecords().size(), 2u);
  for (const xt::ModalRecord& r : xt::ModalRecords()) {
    EXPECT_EQ(r.kind, xt::ModalRecord::MessageBox);
    EXPECT_EQ(r.type & MB_ICONMASK, UINT(MB_ICONSTOP));
  }
  EXPECT_NE(xt::ModalRecords()[0].text.find("eject"), std::string::npos) << xt::ModalRecords()[0].text;
  EXPECT_NE(xt::ModalRecords()[1].text.find("record"), std::string::npos) << xt::ModalRecords()[1].text;
  EXPECT_EQ(bar->Mode(), mpPlaying);  // the file stayed open and the last click played it
}

TEST_F(ButtonBarTest, AClickCountsOnlyWhenReleasedOverTheSameButton) {
  OpenTone(2000);
  const TPoint play = ButtonCentre(btPlay), next = ButtonCentre(btNext);
  xt::Drag(play.X, play.Y, next.X, next.Y);
  EXPECT_EQ(player->Mode(), mpStopped);
  EXPECT_EQ(player->Position(), 0);
  xt::Drag(next.X, next.Y, play.X, play.Y);  // pressed on Next (enabled), released over Play
  EXPECT_EQ(player->Mode(), mpStopped);
  EXPECT_EQ(player->Position(), 0);
  xt::Drag(play.X, play.Y, play.X + 3, play.Y + 2);
  EXPECT_EQ(player->Mode(), mpPlaying);
}

// A press on the bar focuses it first, and OnEnter frees it: the press goes no further (the sanitizer build
// reports a touch of the freed player).
TEST_F(ButtonBarTest, APlayerFreedByTheFocusAPressGivesItIsLeftAlone) {
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetBounds(10, 60, 100, 20);
  other->SetFocus();
  xt::PumpUntilIdle();
  const auto life = player->LifeToken();
  int entered = 0;
  player->OnEnter = On<TNotifyEvent>([&entered, p = player](TObject*) {
    ++entered;
    delete p;
  });
  ClickButton(btPlay);
  EXPECT_EQ(entered, 1);
  EXPECT_TRUE(life.expired());
}

TEST_F(ButtonBarTest, OnClickNamesTheButtonAndCanSkipItsOperation) {
  OpenTone(4000);
  std::vector<TMPBtnType> clicked;
  bool allow = false;
  player->OnClick = On<EMPNotify>([&](TObject* sender, TMPBtnType b, bool& doDefault) {
    EXPECT_EQ(sender, player);
    EXPECT_TRUE(doDefault);
    clicked.push_back(b);
    doDefault = allow;
  });
  ClickButton(btPlay);
  EXPECT_EQ(player->Mode(), mpStopped);
  ClickButton(btEject);
  EXPECT_EQ(xt::ModalRecords().size(), 0u);  // not ejected, so nothing to complain about
  allow = true;
  ClickButton(btPlay);
  EXPECT_EQ(player->Mode(), mpPlaying);
  const std::vector<TMPBtnType> expected { btPlay, btEject, btPlay };
  EXPECT_EQ(clicked, expected);
}

TEST_F(ButtonBarTest, TheKeyboardMovesBetweenButtonsAndSpaceClicks) {
  OpenTone(4000);
  auto* before = new TTestButton(form);
  before->SetParent(form);
  before->SetBounds(10, 100, 75, 25);
  before->SetTabOrder(0);
  player->SetTabOrder(1);
  before->SetFocus();
  Press(VK_TAB);
  EXPECT_TRUE(player->Focused());  // a tab stop
  Press(VK_SPACE);                 // the first button has the focus
  EXPECT_EQ(player->Mode(), mpPlaying);
  Press(VK_RIGHT);
  Press(VK_SPACE);
  EXPECT_EQ(player->Mode(), mpPaused);
  Press(VK_RIGHT);
  Press(VK_RIGHT);
  Press(VK_RIGHT);  // Play, Pause, Stop, Next, Prev
  Press(VK_SPACE);
  EXPECT_EQ(player->Position(), 0);
  Press(VK_LEFT);
  Press(VK_SPACE);
  EXPECT_EQ(player->Position(), 4000);
  EXPECT_TRUE(player->Focused());  // the arrows stayed with the player
}

TEST_F(ButtonBarTest, EnabledGlyphsAreColouredDisabledOnesGreyAndAPressedButtonSinks) {
  const COLORREF shadow = ColorToRGB(clBtnShadow), face = ColorToRGB(clBtnFace), highlight = ColorToRGB(clBtnHighlight);
  xt::PumpUntilIdle();
  EXPECT_EQ(GlyphPixel(btPlay, 5, 4), shadow);  // nothing open
  OpenTone(3000);
  xt::PumpUntilIdle();
  struct Probe {
    TMPBtnType button;
    int gx, gy;
    TColor colour;
  };
  const Probe stopped[] = {
    { btPlay, 5, 4, clGreen }, { btPause, 3, 4, clBtnShadow }, { btStop, 5, 4, clBtnShadow },
    { btNext, 10, 4, clNavy }, { btRecord, 5, 4, clRed },      { btEject, 5, 8, clBlack },
  };
  for (const Probe& p : stopped) EXPECT_EQ(GlyphPixel(p.button, p.gx, p.gy), ColorToRGB(p.colour)) << p.button;
  EXPECT_EQ(GlyphPixel(btPause, 5, 4), highlight);  // disabled glyphs are embossed
  player->Play();
  xt::PumpUntilIdle();
  EXPECT_EQ(GlyphPixel(btPause, 5, 4), face);  // between the bars
  EXPECT_EQ(GlyphPixel(btPlay, 5, 4), shadow);
  EXPECT_EQ(GlyphPixel(btPause, 3, 4), ColorToRGB(clOlive));
  EXPECT_EQ(GlyphPixel(btStop, 5, 4), ColorToRGB(clMaroon));

  // Raised while up, sunk while the mouse holds it down (the glyph moves a pixel with it).
  const TRect r = player->ButtonRect(btStop);
  const HWND h = player->Handle();
  EXPECT_EQ(xt::ReadPixel(h, r.Left + 1, r.Top + 5), highlight);
  const TPoint c = ButtonCentre(btStop);
  xt::MouseDown(xt::mbLeft, c.X, c.Y);
  EXPECT_EQ(xt::ReadPixel(h, r.Left + 1, r.Top + 5), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(GlyphPixel(btStop, 10, 8), ColorToRGB(clMaroon));
  xt::MouseUp(xt::mbLeft, c.X, c.Y);
  EXPECT_EQ(player->Mode(), mpStopped);

  // Only visible buttons are drawn: one button fills the bar.
  player->SetVisibleButtons({ btRecord });
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ReadPixel(h, 253 / 2, 30 / 2), ColorToRGB(clRed));
}

TEST_F(ButtonBarTest, TheNaturalEndBringsTheButtonsBackToStopped) {
  OpenTone(1000);
  player->Play();
  xt::PumpUntilIdle();
  EXPECT_EQ(GlyphPixel(btPlay, 5, 4), ColorToRGB(clBtnShadow));
  xt::Advance(1000);
  ASSERT_TRUE(WaitForNotices(1));
  EXPECT_EQ(GlyphPixel(btPlay, 5, 4), ColorToRGB(clGreen));
  EXPECT_EQ(GlyphPixel(btStop, 5, 4), ColorToRGB(clBtnShadow));
}

TEST_F(ButtonBarTest, PublishedPropertiesStreamAndAutoOpenOpensOnLoading) {
  player->SetName("MediaPlayer1");
  player->SetVisibleButtons(kConsoleButtons);
  player->SetEnabledButtons({ btPlay, btStop });
  player->SetAutoEnable(false);
  player->SetAutoRewind(false);
  player->SetDeviceType(dtWaveAudio);
  player->SetFileName("a.wav");
  form->SetName("Form1");
  const AnsiString text = WriteComponentResource(form);
  EXPECT_NE(text.find("VisibleButtons = [btPlay, btPrev, btBack, btEject]"), std::string::npos) << text;
  EXPECT_NE(text.find("EnabledButtons = [btPlay, btStop]"), std::string::npos) << text;
  EXPECT_NE(text.find("DeviceType = dtWaveAudio"), std::string::npos) << text;
  EXPECT_EQ(text.find("AutoOpen"), std::string::npos) << text;  // default

  auto* copy = new TForm(nullptr);
  Keep(copy);
  ReadComponentResource(copy, text);
  auto* read = dynamic_cast<TMediaPlayer*>(copy->FindComponent("MediaPlayer1"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->VisibleButtons(), kConsoleButtons);
  EXPECT_EQ(read->EnabledButtons(), (TButtonSet { btPlay, btStop }));
  EXPECT_FALSE(read->AutoEnable());
  EXPECT_FALSE(read->AutoRewind());
  EXPECT_EQ(read->DeviceType(), dtWaveAudio);
  EXPECT_EQ(read->FileName(), "a.wav");
  EXPECT_EQ(read->Mode(), mpNotReady);

  const std::string path = Tone("auto.wav", 700);
  auto* opened = new TForm(nullptr);
  Keep(opened);
  ReadComponentResource(opened,
                        "object Form2: TForm\n  object MediaPlayer2: TMediaPlayer\n    AutoOpen = True\n"
                        "    FileName = '" +
                            path + "'\n  end\nend\n");
  auto* autoPlayer = dynamic_cast<TMediaPlayer*>(opened->FindComponent("MediaPlayer2"));
  ASSERT_NE(autoPlayer, nullptr);
  EXPECT_EQ(autoPlayer->Mode(), mpStopped);
  EXPECT_EQ(autoPlayer->Length(), 700);
}

}  // namespace
}  // namespace mptest
