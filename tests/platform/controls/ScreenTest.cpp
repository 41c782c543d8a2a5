// The screen and application objects and the helpers around them: form order, cursors, minimising,
// MDI, canvases outside a paint cycle, synchronous repaint, painting into a foreign DC, object-bound
// windows, the clipboard, window-procedure hooks, re-entrant message handling.

#include "platform/vcl/Clipbrd.h"
#include "platform/win32/WinGdi.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

class ScreenTest : public ControlsTest {};

TEST_F(ScreenTest, FormsAreInCreationOrderWithTheFocusedFormFirst) {
  const int before = Screen->FormCount();
  TForm* a = NewForm(0, 0, 200, 100);
  TForm* b = NewForm(300, 0, 200, 100);
  TForm* c = NewForm(0, 300, 200, 100);
  ASSERT_EQ(Screen->FormCount(), before + 3);
  EXPECT_EQ(Screen->Forms(before), a);
  EXPECT_EQ(Screen->Forms(before + 2), c);
  b->Show();
  EXPECT_EQ(Screen->Forms(0), b);
  EXPECT_EQ(Screen->ActiveForm(), b);
  a->Show();
  EXPECT_EQ(Screen->Forms(0), a);
  EXPECT_EQ(Screen->Forms(1), b);
  delete a;
  EXPECT_EQ(Screen->FormCount(), before + 2);
  EXPECT_NE(Screen->Forms(0), a);
  EXPECT_THROW(Screen->Forms(before + 2), EListError);
  EXPECT_EQ(Screen->Width(), 1024);
  EXPECT_EQ(Screen->WorkAreaRect(), TRect(0, 0, 1024, 738));
}

TEST_F(ScreenTest, CursorsOfControlsAndTheScreen) {
  TForm* form = NewForm(0, 0, 300, 200);
  auto* shape = new TTestShape(form);
  shape->SetParent(form);
  shape->SetBounds(10, 10, 50, 50);
  shape->SetCursor(crHandPoint);
  form->SetCursor(crCross);
  form->Show();
  EXPECT_EQ(Screen->Cursors(crHandPoint), LoadCursorA(nullptr, IDC_HAND));
  MoveTo(shape, 5, 5);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
  MoveTo(form, 200, 100);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_CROSS));
  Screen->SetCursor(crHourGlass);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
  MoveTo(shape, 6, 6);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
}

TEST_F(ScreenTest, MinimisingTheApplicationHidesItsFormsAndRestoringShowsThem) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  TForm* other = NewForm();
  main->Show();
  other->Show();
  xt::MessageTrace trace(Application->Handle(), { WM_SIZE });
  int minimised = 0, restored = 0;
  Application->OnMinimize = On<TNotifyEvent>([&](TObject*) { ++minimised; });
  Application->OnRestore = On<TNotifyEvent>([&](TObject*) { ++restored; });
  SendMessageA(main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);  // the main form's minimise box
  EXPECT_FALSE(IsWindowVisible(main->Handle()));
  EXPECT_FALSE(IsWindowVisible(other->Handle()));
  EXPECT_TRUE(IsIconic(Application->Handle()));
  ASSERT_GE(trace.Messages().size(), 1u);
  EXPECT_EQ(trace.Messages().back().wParam, (WPARAM)SIZE_MINIMIZED);
  EXPECT_TRUE(main->Visible());  // the forms keep their Visible
  Application->Restore();
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  EXPECT_TRUE(IsWindowVisible(other->Handle()));
  EXPECT_FALSE(IsIconic(Application->Handle()));
  EXPECT_EQ(minimised, 1);
  EXPECT_EQ(restored, 1);
}

TEST_F(ScreenTest, MdiChildrenLiveInTheMainFormsClient) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetFormStyle(fsMDIForm);
  main->Show();
  ASSERT_NE(main->ClientHandle(), nullptr);
  TForm* first = NewForm(10, 10, 200, 150);
  first->SetFormStyle(fsMDIChild);
  first->Show();
  TForm* second = NewForm(30, 30, 200, 150);
  second->SetFormStyle(fsMDIChild);
  second->Show();
  EXPECT_EQ(GetParent(first->Handle()), main->ClientHandle());
  EXPECT_EQ(main->MDIChildCount(), 2);
  EXPECT_EQ(main->ActiveMDIChild(), second);
  EXPECT_EQ(main->MDIChildren(0), second);
  EXPECT_EQ(first->Left(), 10);  // in the client's coordinates
  first->Show();                 // an MDI child shown again becomes the active one
  EXPECT_EQ(main->ActiveMDIChild(), first);
  EXPECT_EQ(main->MDIChildren(0), first);
  EXPECT_THROW(first->Hide(), EInvalidOperation);
  delete second;
  EXPECT_EQ(main->MDIChildCount(), 1);
}

TEST_F(ScreenTest, CanvasesDrawOutsidePaintAndRepaintIsSynchronous) {
  TForm* form = NewForm(0, 0, 300, 200);
  auto* panel = new TTestPanel(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 100, 50);
  panel->SetColor(clWhite);
  auto* shape = new TTestShape(form);
  shape->SetParent(form);
  shape->SetBounds(150, 10, 40, 40);
  shape->SetColor(clBlue);
  form->Show();
  xt::PumpUntilIdle();
  panel->Canvas()->Brush()->SetColor(clRed);
  panel->Canvas()->FillRect(TRect(0, 0, 10, 10));
  EXPECT_EQ(xt::ReadPixel(panel->Handle(), 5, 5), (COLORREF)RGB(255, 0, 0));
  shape->Canvas()->Brush()->SetColor(clLime);
  shape->Canvas()->FillRect(TRect(0, 0, 5, 5));  // on the parent's window, at the control
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 152, 12), (COLORREF)RGB(0, 255, 0));
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 148, 12), (COLORREF)GetSysColor(COLOR_BTNFACE));

  const int paints = shape->Paints;
  shape->Repaint();
  EXPECT_EQ(shape->Paints, paints + 1);
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 152, 12), (COLORREF)RGB(0, 0, 255));
  panel->Repaint();
  EXPECT_EQ(xt::ReadPixel(panel->Handle(), 5, 5), (COLORREF)RGB(255, 255, 255));
}

TEST_F(ScreenTest, AFormPaintsIntoAForeignDeviceContext) {
  TForm* form = NewForm(0, 0, 100, 80);
  form->OnPaint = On<TNotifyEvent>([&](TObject*) {
    form->Canvas()->Brush()->SetColor(clYellow);
    form->Canvas()->FillRect(TRect(0, 0, 20, 20));
  });
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 50, 50);
  HGDIOBJ old = SelectObject(mem, bmp);
  SetViewportOrgEx(mem, 10, 10, nullptr);
  form->PaintWindow(mem);
  EXPECT_EQ(GetPixel(mem, 5, 5), (COLORREF)RGB(255, 255, 0));
  SetViewportOrgEx(mem, 0, 0, nullptr);
  EXPECT_NE(GetPixel(mem, 5, 5), (COLORREF)RGB(255, 255, 0));
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

TEST_F(ScreenTest, ObjectBoundWindowsAndHooksThatKnowTheyAreStillInstalled) {
  struct Receiver : TObject {
    std::vector<UINT> got;
    void Proc(TMessage& m) {
      got.push_back(m.Msg);
      m.Result = 42;
    }
  } receiver;
  HWND h = AllocateHWnd(TWndMethod(&receiver, &Receiver::Proc));
  EXPECT_EQ(SendMessageA(h, WM_USER + 5, 0, 0), 42);
  DeallocateHWnd(h);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(receiver.got.front(), (UINT)(WM_USER + 5));

  TForm* form = NewForm();
  struct Hook : TObject {
    TControl* target {};
    TWndMethod old;
    int seen = 0;
    void Proc(TMessage& m) {
      ++seen;
      old(m);
    }
  } hook;
  hook.target = form;
  hook.old = form->WindowProc;
  form->WindowProc = TWndMethod(&hook, &Hook::Proc);
  EXPECT_TRUE(form->WindowProc == TWndMethod(&hook, &Hook::Proc));
  form->Perform(WM_USER, 0, 0);
  form->Show();
  EXPECT_GE(hook.seen, 2);
  form->WindowProc = hook.old;
  EXPECT_FALSE(form->WindowProc == TWndMethod(&hook, &Hook::Proc));
}

TEST_F(ScreenTest, HelpersFindControlsAndForms) {
  TForm* form = NewForm(100, 100, 300, 200);
  auto* panel = new TTestPanel(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 150, 100);
  auto* shape = new TTestShape(form);
  shape->SetParent(panel);
  shape->SetBounds(5, 5, 30, 30);
  form->Show();
  EXPECT_EQ(FindControl(panel->Handle()), panel);
  EXPECT_EQ(FindControl(nullptr), nullptr);
  EXPECT_EQ(GetParentForm(shape), form);
  EXPECT_EQ(FindVCLWindow(At(shape, 1, 1)), panel);
  EXPECT_EQ(FindDragTarget(At(shape, 1, 1), false), shape);
  TTestShape loose(nullptr);
  EXPECT_EQ(GetParentForm(&loose), nullptr);
  EXPECT_THROW(ValidParentForm(&loose), EInvalidOperation);
  TForm* other = NewForm();
  auto* foreign = new TTestButton(other);
  foreign->SetParent(other);
  EXPECT_THROW(form->SetActiveControl(foreign), EInvalidOperation);
  auto* hidden = new TTestButton(form);
  hidden->SetParent(form);
  hidden->SetVisible(false);
  EXPECT_THROW(form->SetActiveControl(hidden), EInvalidOperation);
  EXPECT_THROW(panel->SetParent(static_cast<TWinControl*>(panel)), EInvalidOperation);
  auto* inner = new TTestPanel(form);
  inner->SetParent(panel);
  EXPECT_THROW(panel->SetParent(inner), EInvalidOperation);
  EXPECT_TRUE(IsAccel('S', "&Save"));
  EXPECT_TRUE(IsAccel('s', "&Save"));
  EXPECT_FALSE(IsAccel('A', "Save && &Go"));
  EXPECT_TRUE(IsAccel('G', "Save && &Go"));
  EXPECT_FALSE(IsAccel('X', "No accelerator"));
  EXPECT_EQ(StripHotkey("文件(&F)"), "文件(F)");
  EXPECT_EQ(GetShortHint("short|long"), "short");
  EXPECT_EQ(GetLongHint("short|long"), "long");
  EXPECT_EQ(GetLongHint("only"), "only");
  EXPECT_EQ(KeyDataToShiftState(0x20000000), TShiftState { ssAlt });
  EXPECT_EQ(KeysToShiftState(MK_SHIFT | MK_LBUTTON), (TShiftState { ssShift, ssLeft }));
}

TEST_F(ScreenTest, ProcessMessagesIsReentrant) {
  TForm* form = NewForm();
  form->Show();
  std::vector<int> order;
  TWndMethod old = form->WindowProc;
  form->WindowProc = TWndMethod::FromCallable([&](TMessage& m) {
    if (m.Msg >= WM_USER && m.Msg < WM_USER + 10) {
      const int n = static_cast<int>(m.Msg - WM_USER);
      order.push_back(n);
      if (n < 3) {
        PostMessageA(form->Handle(), WM_USER + n + 1, 0, 0);
        Application->ProcessMessages();  // handles the next one inside this one
      }
      order.push_back(-n);
      return;
    }
    old(m);
  });
  PostMessageA(form->Handle(), WM_USER, 0, 0);
  Application->ProcessMessages();
  form->WindowProc = old;
  EXPECT_EQ(order, (std::vector<int> { 0, 1, 2, 3, -3, -2, -1, 0 }));
}

TEST_F(ScreenTest, TheClipboardHoldsText) {
  Clipboard()->SetAsText("线路 1");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard()->AsText(), "线路 1");
  Clipboard()->Open();
  Clipboard()->Open();  // nested
  Clipboard()->SetAsText("x");
  Clipboard()->Close();
  Clipboard()->Close();
  EXPECT_EQ(Clipboard()->AsText(), "x");
  Clipboard()->Clear();
  EXPECT_EQ(Clipboard()->AsText(), "");
}

}  // namespace
