// Skins the frame cannot fully use and odd sizes: missing records and pictures, looks outside their
// pictures, empty tiles and middles, a zero-height frame, user objects drawn into the frame, and a form
// freed from its own system menu.
#include <filesystem>

#include "platform/vcl/IniFiles.h"
#include "skin/data/bsUtils.h"
#include "tests/support/Scratch.h"
#include "tests/skin/form/FormTestSupport.h"

using namespace skinform;

namespace {

class FormBadInputTest : public FormTest {
 protected:
  // The test skin loaded but not yet given to the component, so a test can spoil it first.
  TbsSkinData* RawSkin() {
    skin = new TbsSkinData(form);
    skin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    return skin;
  }
  template <class R>
  R* Record(const char* Name) {
    return static_cast<R*>(skin->ObjectList->Items(skin->GetIndex(Name)));
  }
  // Hover, press, release outside, disable, repaint: everything an object draws.
  void Exercise(const AnsiString& Name) {
    const TPoint c = CentreOf(Name), s = Screen(c.X, c.Y);
    xt::MouseMove(s.X, s.Y);
    xt::Advance(300);
    xt::MouseDown(xt::mbLeft, s.X, s.Y);
    xt::MouseMove(600, 600);
    xt::Advance(60);
    xt::MouseUp(xt::mbLeft, 600, 600);
    sf->SetEnabled(Name, false);
    SendMessageA(form->Handle(), WM_NCPAINT, 0, 0);
    xt::PumpUntilIdle();
  }
};

TEST_F(FormBadInputTest, LooksWithoutTheirPictureAreSkippedNotRead) {
  RawSkin();
  for (int i = 0; i < skin->ObjectList->Count(); ++i)
    static_cast<TbsDataSkinObject*>(skin->ObjectList->Items(i))->ActivePictureIndex = 99;
  sf->SetSkinData(skin);
  Show();
  for (const char* name : { "close", "max", "sys", "caption" }) {
    TbsActiveSkinObject* o = sf->Objects(sf->GetIndex(name));
    EXPECT_EQ(o->ActivePicture, nullptr) << name;
    EXPECT_FALSE(o->Morphing) << name;
    Exercise(name);
  }
  // The frame picture's own looks are still there.
  const TPoint c = CentreOf("close");
  EXPECT_EQ(Code(c.X, c.Y).owner, ObjectOwner("close"));
  // The skin's records are as loaded.
  EXPECT_EQ(Record<TbsDataSkinObject>("close")->ActivePictureIndex, 99);
  EXPECT_FALSE(IsNullRect(Record<TbsDataSkinObject>("close")->ActiveSkinRect));
}

TEST_F(FormBadInputTest, LooksReachingOutsideThePictureAndAnEmptyCaptionMiddle) {
  RawSkin();
  Record<TbsDataSkinStdButton>("max")->SkinRect = TRect(230, 6, 300, 40);
  Record<TbsDataSkinStdButton>("max")->DownRect = TRect(-20, -20, 500, 500);
  // Caps of 40 and 100 pixels around a 118-pixel active look leave no middle to tile.
  Record<TbsDataSkinCaption>("caption")->SkinRect = TRect(0, 4, 240, 24);
  sf->SetSkinData(skin);
  Show();
  Exercise("max");
  TbsActiveSkinObject* caption = sf->Objects(sf->GetIndex("caption"));
  ASSERT_TRUE(caption->Active);
  SendMessageA(form->Handle(), WM_NCPAINT, 0, 0);
  caption->Active = false;
  caption->SetMorphKf(0.5);
  SendMessageA(form->Handle(), WM_NCPAINT, 0, 0);
}

TEST_F(FormBadInputTest, EmptyClientTileAndMissingBackgroundPictureFillPlainFace) {
  RawSkin();
  skin->BGPictureIndex = -1;
  skin->ClRect = TRect(6, 28, 6, 98);
  sf->SetSkinData(skin);
  Show();
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 10, 10), ColorToRGB(clBtnFace));
  skin->ClRect = TRect(6, 28, 234, 98);
  skin->BGPictureIndex = 99;
  sf->ChangeSkinData();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  xt::PumpUntilIdle();
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 10, 10), ColorToRGB(clBtnFace));
}

TEST_F(FormBadInputTest, AFrameWithoutHeightStillFindsMinimisedSlots) {
  RawSkin();
  skin->ClRect = TRect(6, 0, 234, 120);  // the "frame" has no height left
  sf->SetSkinData(skin);
  Show();
  RurIvozedevUzivEred* other = nullptr;
  TForm* f = NewSkinnedForm(300, 300, 300, 200, &other);
  other->SetSkinData(skin);
  f->Show();
  sf->SetWindowState(wsMinimized);
  other->SetWindowState(wsMinimized);
  EXPECT_EQ(sf->GetMinHeight(), 0);
  EXPECT_NE(f->BoundsRect().TopLeft(), form->BoundsRect().TopLeft());
}

TEST_F(FormBadInputTest, ASkinWithoutCaptionOrButtonsIsAPlainFrame) {
  RawSkin();
  TList* list = skin->ObjectList.get();
  for (int i = list->Count() - 1; i >= 0; --i) {
    auto* rec = static_cast<TbsDataSkinObject*>(list->Items(i));
    if (dynamic_cast<TbsDataSkinCaption*>(rec) || dynamic_cast<TbsDataSkinButton*>(rec)) {
      list->Delete(i);
      delete rec;
    }
  }
  sf->SetSkinData(skin);
  Show();
  EXPECT_EQ(sf->GetIndex("caption"), -1);
  EXPECT_EQ(HitAt(100, 14), HTOBJECT);  // nothing drags the window
  EXPECT_EQ(HitAt(200, 150), HTCLIENT);
  EXPECT_EQ(Code(30, 26).owner, mkskin::kOwnerFrame);
}

TEST_F(FormBadInputTest, UserObjectsDrawIntoTheFrameNotTheClient) {
  LoadTestSkin();
  Show();
  int painted = 0;
  sf->OnPaintEvent = TbsPaintEvent::FromCallable([&](const AnsiString& id, TCanvas* c, const TRect& r) {
    ++painted;
    EXPECT_EQ(id, "logo");
    c->Brush()->SetColor(clRed);
    c->FillRect(r);
  });
  sf->UserObjectDraw("logo");
  EXPECT_EQ(painted, 1);
  const TRect r = sf->Objects(sf->GetIndex("logo"))->ObjectRect;
  EXPECT_EQ(r, TRect(8, 281, 24, 297));
  EXPECT_EQ(Frame(r.Left + 2, r.Top + 2), COLORREF(RGB(255, 0, 0)));
  // The client area below the same coordinates is untouched.
  EXPECT_NE(xt::ReadPixel(form->Handle(), r.Left + 2, r.Top - 28 + 2), COLORREF(RGB(255, 0, 0)));
  sf->UserObjectDraw("nothing");
  EXPECT_EQ(painted, 1);
  sf->OnPaintEvent = nullptr;  // the handler's counter lives on this stack
}

TEST_F(FormBadInputTest, AFormFreedFromItsOwnSystemMenu) {
  LoadTestSkin();
  Show();
  form->OnClose = On<TCloseEvent>([](TObject*, TCloseAction& a) { a = caFree; });
  const std::weak_ptr<const void> life = form->LifeToken();
  sf->TrackSystemMenu(200, 200);
  // Up from the first item reaches "close", the last.
  xt::KeyDown(VK_UP, xt::ssNone, false);
  Application->ProcessMessages();
  xt::KeyDown(VK_RETURN, xt::ssNone, false);
  Application->ProcessMessages();
  xt::PumpUntilIdle();
  Application->ProcessMessages();
  EXPECT_TRUE(life.expired());
  form = nullptr;
  xt::Advance(200);
}

TEST_F(FormBadInputTest, ZeroSizedClientAndTinyForms) {
  LoadTestSkin();
  Show();
  form->SetBounds(form->Left(), form->Top(), 240, 50);
  xt::PumpUntilIdle();
  EXPECT_EQ(form->ClientHeight(), 0);
  SendMessageA(form->Handle(), WM_NCPAINT, 0, 0);
  // Below the skin's size nothing is painted and nothing breaks.
  SetWindowPos(form->Handle(), nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageA(form->Handle(), WM_NCPAINT, 0, 0);
  sf->SetSkinData(nullptr);
  form->SetBounds(form->Left(), form->Top(), 5, 5);
  SendMessageA(form->Handle(), WM_NCPAINT, 0, 0);
  xt::PumpUntilIdle();
}

// Collects what reaches the application's exception handler.
class TExceptionLog : public TObject {
 public:
  void Handle(TObject*, Exception* E) { Messages.push_back(E->Message()); }
  std::vector<AnsiString> Messages;
};

TEST_F(FormBadInputTest, AFrameTooLargeForABitmapIsReportedNotFatal) {
  // Set behind the loader's back, as a program may: the caption and border strips this client rectangle
  // leaves cannot be made into bitmaps, so every non-client paint fails.
  RawSkin();
  skin->ClRect = TRect(65536, 2, 65535, 2417);
  TExceptionLog log;
  Application->OnException = TExceptionEvent(&log, &TExceptionLog::Handle);
  sf->SetSkinData(skin);
  Show();
  // Shown once: the frame fails the same way on every paint of the same size.
  EXPECT_EQ(log.Messages.size(), 1u);
  SendMessageA(form->Handle(), WM_NCPAINT, 0, 0);
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
  xt::PumpUntilIdle();
  EXPECT_EQ(log.Messages.size(), 1u);
  // A new size fails anew, and is told.
  form->SetBounds(form->Left(), form->Top(), form->Width() + 7, form->Height());
  xt::PumpUntilIdle();
  EXPECT_EQ(log.Messages.size(), 2u);
  for (const AnsiString& m : log.Messages) EXPECT_NE(m.find("bitmap"), AnsiString::npos) << m;
  // Freeing the form tears its frame down while the skin still stands: nothing escapes.
  delete form;
  form = nullptr;
  xt::PumpUntilIdle();
  Application->OnException = nullptr;
}

}  // namespace

TEST_F(FormBadInputTest, AFrameOutsideItsPictureIsRefusedAtLoadForTheBuiltInFrame) {
  xj::test::ScratchDir dir("frame-outside");
  std::filesystem::copy(std::string(XJ_TEST_SKIN_DIR) + "/test", dir.Path(), std::filesystem::copy_options::recursive);
  {
    TMemIniFile ini(dir / "skin.ini");
    ini.WriteString("FORMINFO", "clientrect", "65536,2,65535,2417");
    ini.UpdateFile();
  }
  skin = new TbsSkinData(form);
  skin->LoadFromFile(dir / "skin.ini");
  EXPECT_FALSE(skin->Empty);
  EXPECT_TRUE(skin->Picture->Empty());
  sf->SetSkinData(skin);
  Show();
  RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
  xt::PumpUntilIdle();
  EXPECT_NE(Code(30, 26).owner, mkskin::kOwnerFrame);
  EXPECT_EQ(HitAt(200, 150), HTCLIENT);
  delete form;
  form = nullptr;
}

TEST_F(FormBadInputTest, ARecordListedAgainGivesNoSecondObject) {
  // Listed 100,000 times, a record would otherwise be laid out, hit-tested and drawn as often at every
  // paint.
  sf->SetSkinData(RawSkin());
  Show();
  const int built = sf->ObjectCount();
  ASSERT_GT(built, 0);
  TbsSkinData* again = RawSkin();
  for (int i = 0; i < 3; ++i) again->ObjectList->Add(new TbsDataSkinCaption("caption"));
  sf->SetSkinData(again);
  xt::PumpUntilIdle();
  EXPECT_EQ(sf->ObjectCount(), built);
}

// A frame picture larger than the desktop's work area (1500 x 1200 against 1024 x 738): the form the
// picture sizes is no larger than the work area, shows and paints.
TEST_F(FormBadInputTest, AFramePictureLargerThanTheWorkAreaGivesAFormNoLargerThanIt) {
  xj::test::ScratchDir dir { "frame-large" };
  std::filesystem::copy(std::string(XJ_TEST_SKIN_DIR) + "/test", dir.Path(), std::filesystem::copy_options::recursive);
  {
    TBitmap frame;
    frame.SetSize(1500, 1200);
    frame.Canvas()->Brush()->SetColor(static_cast<int32_t>(RGB(0x33, 0x66, 0x99)));
    frame.Canvas()->FillRect(TRect(0, 0, 1500, 1200));
    frame.SaveToFile(dir / "frame.bmp");
  }
  skin = new TbsSkinData(form);
  skin->LoadFromFile(dir / "skin.ini");
  ASSERT_EQ((std::array { skin->Picture->Width(), skin->Picture->Height() }), (std::array { 1500, 1200 }));
  sf->SetSkinData(skin);
  Show();
  RECT area {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  const std::array<LONG, 2> size { area.right - area.left, area.bottom - area.top };
  EXPECT_EQ((std::array<LONG, 2> { form->Width(), form->Height() }), size);
  // The smallest size a drag is held to says the same.
  MINMAXINFO mmi {};
  SendMessageA(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  EXPECT_EQ((std::array { mmi.ptMinTrackSize.x, mmi.ptMinTrackSize.y }), size);
  EXPECT_EQ(Frame(2, 2), RGB(0x33, 0x66, 0x99)) << "the frame is painted from the picture";
}
