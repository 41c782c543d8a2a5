// MDI main forms and children with the form component: tiling and cascading, the window list in the
// main form's window menu, maximised children, the skinned client window and its hand-back.
#include "skin/data/bsUtils.h"
#include "tests/skin/form/FormTestSupport.h"

using namespace skinform;

namespace {

class FormMdiTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    Application->CreateForm(main);
    main->SetFormStyle(fsMDIForm);
    main->SetBorderStyle(bsSizeable);
    main->SetBounds(0, 0, 1000, 700);
    main->SetCaption("主窗口");
    mainSkin = new TbsSkinData(main);
    mainSkin->LoadFromFile(std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini");
    mc = new RurIvozedevUzivEred(main);
    mc->SetSkinData(mainSkin);
    auto* menu = new TMainMenu(main);
    windows = new TMenuItem(main);
    windows->SetCaption("窗口(&W)");
    menu->Items()->Add(windows);
    main->SetMenu(menu);
    main->SetWindowMenu(windows);
    main->Show();
    xt::PumpUntilIdle();
  }
  TForm* Child(const char* Name, const char* Caption) {
    auto* f = new TForm(main);
    f->SetName(Name);
    f->SetFormStyle(fsMDIChild);
    f->SetBounds(10, 10, 300, 200);
    f->SetCaption(Caption);
    auto* c = new RurIvozedevUzivEred(f);
    c->SetSkinData(mainSkin);
    f->Show();
    xt::PumpUntilIdle();
    return f;
  }
  std::vector<AnsiString> Names() const {
    std::vector<AnsiString> out;
    for (int i = 0; i < windows->Count(); ++i) out.push_back(windows->Items(i)->Name());
    return out;
  }
  TForm* main {};
  TbsSkinData* mainSkin {};
  RurIvozedevUzivEred* mc {};
  TMenuItem* windows {};
};

TEST_F(FormMdiTest, TileFillsColumnsFromTheRightAndCascadeSteps) {
  std::vector<TForm*> kids;
  for (const char* n : { "A", "B", "C", "D", "E" }) kids.push_back(Child(n, n));
  const TRect a = mc->GetMDIWorkArea();
  const int w = a.Width(), h = a.Height();
  ASSERT_EQ(w, main->ClientWidth());
  mc->Tile();
  // Two columns: the right one holds three children (H div 3), the left one two (H div 2).
  auto at = [&](int i) { return main->MDIChildren(i)->BoundsRect(); };
  EXPECT_EQ(at(4), TRect(w - w / 2, h - h / 3, w, h));
  EXPECT_EQ(at(3), TRect(w - w / 2, h - 2 * (h / 3), w, h - h / 3));
  EXPECT_EQ(at(2).Left, w - w / 2);
  EXPECT_EQ(at(1), TRect(w - 2 * (w / 2), h - h / 2, w - w / 2, h));
  EXPECT_EQ(at(0).Height(), h / 2);
  // Cascade: the step is the skinned frame's top (28); each child offset by it from the last one.
  mc->Cascade();
  const int k = (w - static_cast<int>(std::lround(w * 0.8))) / 28;
  const int cw = 5 >= k ? w - k * 28 : w - 28 * 4;
  EXPECT_EQ(at(4), TRect(0, 0, cw, at(4).Height()));
  EXPECT_EQ(at(3).TopLeft(), TPoint(28, 28));
  EXPECT_EQ(at(0).TopLeft(), TPoint(4 * 28, 4 * 28));
  // A frame whose client starts at the very top gives no step: cascading still ends.
  mainSkin->ClRect.Top = 0;
  mc->CreateNewForm();
  mc->Cascade();
  EXPECT_EQ(at(0).TopLeft(), TPoint(4, 4));
  for (TForm* f : kids) delete f;
}

TEST_F(FormMdiTest, ACascadeThatWouldPassTheBottomStartsAgainAtTheTop) {
  // Wide and low: the children (no lower than the frame, 50) reach the bottom long before the right.
  main->SetBounds(0, 0, 1000, 200);
  xt::PumpUntilIdle();
  std::vector<TForm*> kids;
  for (const char* n : { "A", "B", "C", "D", "E" }) kids.push_back(Child(n, n));
  const TRect a = mc->GetMDIWorkArea();
  ASSERT_LT(a.Height(), 4 * 28 + 50);
  mc->Cascade();
  int o = 0, restarts = 0;
  for (int i = 4; i >= 0; --i) {
    const TRect r = main->MDIChildren(i)->BoundsRect();
    if (r.Top != o) {
      EXPECT_EQ(r.TopLeft(), TPoint(0, 0)) << i;
      ++restarts;
    }
    EXPECT_EQ(r.Left, r.Top) << i;
    EXPECT_LE(r.Bottom, a.Height()) << i;
    EXPECT_LE(r.Right, a.Width()) << i;
    o = r.Top + 28;
  }
  EXPECT_GE(restarts, 1);
  for (TForm* f : kids) delete f;
}

TEST_F(FormMdiTest, TheActiveChildShowsTheActiveFrameAndTheOthersTheInactiveOne) {
  TForm* a = Child("ChildA", "通道一");
  TForm* b = Child("ChildB", "通道二");
  a->SetBounds(0, 0, 300, 200);
  b->SetBounds(320, 0, 300, 200);
  xt::PumpUntilIdle();
  auto owner = [](TForm* f) { return Decode(xt::ReadPixel(f->Handle(), 30, 26, true)).owner; };
  ASSERT_EQ(main->ActiveMDIChild(), b);
  EXPECT_EQ(owner(b), mkskin::kOwnerFrame);
  EXPECT_EQ(owner(a), mkskin::kOwnerInactiveFrame);
  windows->Items(1)->Click();  // the window list brings A forward
  xt::PumpUntilIdle();
  ASSERT_EQ(main->ActiveMDIChild(), a);
  EXPECT_EQ(owner(a), mkskin::kOwnerFrame);
  EXPECT_EQ(owner(b), mkskin::kOwnerInactiveFrame);
  delete a;
  delete b;
}

TEST_F(FormMdiTest, OneChildTilesToTheWholeWorkArea) {
  TForm* only = Child("Only", "唯一");
  mc->Tile();
  EXPECT_EQ(only->BoundsRect(), mc->GetMDIWorkArea());
}

TEST_F(FormMdiTest, TheWindowListFollowsChildrenShownClosedAndFreed) {
  TForm* a = Child("ChildA", "通道一");
  EXPECT_EQ(Names(), (std::vector<AnsiString> { "DIVIDER_BSFCHILDITEM", "ChildA_BSFCHILDITEM" }));
  TForm* b = Child("ChildB", "通道一");  // same caption, separate item
  EXPECT_EQ(Names().size(), 3u);
  EXPECT_EQ(windows->Items(2)->Caption(), "通道一");
  // The active child is checked; a caption change reaches its item.
  EXPECT_TRUE(windows->Items(2)->Checked());
  EXPECT_FALSE(windows->Items(1)->Checked());
  a->SetCaption("通道甲");
  EXPECT_EQ(windows->Items(1)->Caption(), "通道甲");
  // Clicking an item brings its child to the front.
  windows->Items(1)->Click();
  xt::PumpUntilIdle();
  EXPECT_EQ(main->ActiveMDIChild(), a);
  // A child freed while shown takes its item with it; the last one the divider too.
  delete b;
  xt::PumpUntilIdle();
  EXPECT_EQ(Names(), (std::vector<AnsiString> { "DIVIDER_BSFCHILDITEM", "ChildA_BSFCHILDITEM" }));
  delete a;
  xt::PumpUntilIdle();
  EXPECT_TRUE(Names().empty());
}

TEST_F(FormMdiTest, AMaximisedChildFillsTheWorkAreaLosesItsFrameAndNamesItselfInTheMainCaption) {
  TForm* a = Child("ChildA", "通道一");
  RurIvozedevUzivEred* ac = GetSkinFormComponent(a);
  ac->SetWindowState(wsMaximized);
  xt::PumpUntilIdle();
  const TRect area = mc->GetMDIWorkArea();
  EXPECT_EQ(a->BoundsRect(), TRect(0, 0, area.Width(), area.Height()));
  EXPECT_EQ(a->ClientWidth(), a->Width());  // no frame of its own
  EXPECT_TRUE(mc->IsMDIChildMaximized());
  EXPECT_EQ(mc->GetMaximizeMDIChild(), a);
  EXPECT_EQ(mc->CaptionText(), AnsiString("主窗口 - [通道一]"));
  // The main form growing refits the maximised child.
  main->SetBounds(0, 0, 900, 650);
  xt::PumpUntilIdle();
  EXPECT_EQ(a->Width(), mc->GetMDIWorkArea().Width());
  ac->SetWindowState(wsNormal);
  xt::PumpUntilIdle();
  EXPECT_FALSE(mc->IsMDIChildMaximized());
  EXPECT_EQ(mc->CaptionText(), AnsiString("主窗口"));
  EXPECT_EQ(a->Width(), 300);
  EXPECT_LT(a->ClientWidth(), a->Width());
  delete a;
}

TEST_F(FormMdiTest, FreeingTheMainComponentGivesTheClientWindowItsProcedureBack) {
  HWND client = main->ClientHandle();
  const LONG_PTR ours = GetWindowLongPtrA(client, GWL_WNDPROC);
  delete mc;
  mc = nullptr;
  EXPECT_NE(GetWindowLongPtrA(client, GWL_WNDPROC), ours);
  TForm* a = Child("ChildA", "通道一");
  SendMessageA(client, WM_SIZE, 0, MAKELPARAM(400, 300));
  RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  xt::PumpUntilIdle();
  delete a;
}

TEST_F(FormMdiTest, WithoutAMainFormThereIsNoWorkAreaAndNothingIsArranged) {
  delete main;
  main = nullptr;
  ASSERT_EQ(Application->MainForm(), nullptr);
  EXPECT_TRUE(IsNullRect(sf->GetMDIWorkArea()));
  EXPECT_EQ(sf->GetMaximizeMDIChild(), nullptr);
  const TRect before = form->BoundsRect();
  sf->Tile();
  sf->Cascade();
  EXPECT_EQ(form->BoundsRect(), before);
}

}  // namespace
