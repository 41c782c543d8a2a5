// The screen and application objects and the helpers around them: form order, cursors, minimising,
// MDI, canvases outside a paint cycle, synchronous repaint, painting into a foreign DC, object-bound
// windows, the clipboard, window-procedure hooks, re-entrant message handling.

#include "platform/display/headless/HeadlessDisplay.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/win32/WinGdi.h"
#include "platform/win32/WmBackend.h"
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

// The metrics, the monitor and the work area are the display's, read when it comes and again when the
// desktop says the screen changed; a centred form and a maximised one go by them.
TEST_F(ScreenTest, TheScreenIsTheDisplaysAndFollowsItsChanges) {
  auto owned = std::make_unique<xj::display::HeadlessBackend>();
  xj::display::HeadlessBackend* display = owned.get();
  display->SetScreen({ 800, 600 }, { 0, 24, 800, 571 });
  xj::wm::SetDisplay(std::move(owned));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  EXPECT_EQ(Screen->Height(), 600);
  EXPECT_EQ(Screen->WorkAreaRect(), TRect(0, 24, 800, 571));
  TForm* form = NewForm(0, 0, 300, 201);
  form->SetPosition(poScreenCenter);
  form->Show();
  EXPECT_EQ(form->BoundsRect(), TRect(250, 199, 550, 400));

  display->SetScreen({ 1366, 700 }, { 0, 0, 1300, 700 });
  xt::PumpUntilIdle();
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1366);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 700);
  MONITORINFO info { sizeof info, {}, {}, 0 };
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(form->Handle(), MONITOR_DEFAULTTONEAREST), &info));
  EXPECT_EQ(TRect(info.rcMonitor), TRect(0, 0, 1366, 700));
  EXPECT_EQ(TRect(info.rcWork), TRect(0, 0, 1300, 700));
  EXPECT_NE(MonitorFromPoint(POINT { 1365, 699 }, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromPoint(POINT { 1366, 300 }, MONITOR_DEFAULTTONULL), nullptr);
  form->SetWindowState(wsMaximized);
  EXPECT_EQ(GetSystemMetrics(SM_CXMAXIMIZED), 1308);
  EXPECT_EQ(form->BoundsRect(), TRect(0, 0, 1300, 700));
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

// A windowless control paints when the update region reaches it, and a repaint of one control paints the
// controls above it that it overlaps, never those below it or apart from it.
TEST_F(ScreenTest, WindowlessControlsPaintOnlyWhereTheUpdateRegionReachesThem) {
  TForm* form = NewForm(0, 0, 300, 200);
  auto shape = [&](int l, int t, int w, int h, TColor c) {
    auto* s = new TTestShape(form);
    s->SetParent(form);
    s->SetBounds(l, t, w, h);
    s->SetColor(c);
    return s;
  };
  TTestShape* a = shape(10, 10, 40, 30, clRed);
  TTestShape* b = shape(60, 10, 40, 30, clBlue);
  TTestShape* c = shape(10, 60, 40, 30, clLime);
  TTestShape* below = shape(55, 55, 10, 10, clNavy);
  TTestShape* d = shape(60, 60, 40, 30, clYellow);
  TTestShape* above = shape(90, 80, 30, 30, clFuchsia);
  const std::vector<TTestShape*> all { a, b, c, below, d, above };
  form->Show();
  xt::PumpUntilIdle();
  // Paints of each control since the last call.
  std::vector<int> last(all.size());
  auto painted = [&] {
    std::vector<int> got;
    for (size_t i = 0; i < all.size(); ++i) got.push_back(all[i]->Paints - std::exchange(last[i], all[i]->Paints));
    return got;
  };
  painted();

  // Two corners of an L: b and c lie inside its bounding box but outside the region.
  HRGN rgn = CreateRectRgn(10, 10, 50, 40);
  HRGN other = CreateRectRgn(66, 66, 100, 90);
  CombineRgn(rgn, rgn, other, RGN_OR);
  InvalidateRgn(form->Handle(), rgn, TRUE);
  DeleteObject(other);
  DeleteObject(rgn);
  UpdateWindow(form->Handle());
  EXPECT_EQ(painted(), (std::vector<int> { 1, 0, 0, 0, 1, 1 }));
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 99, 79), (COLORREF)RGB(255, 255, 0));
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 90, 80), (COLORREF)RGB(255, 0, 255));

  // An opaque control repaints over what is below it at once; a see-through one repaints its parent's
  // area, so what is below it paints too.
  d->SetControlStyle(d->ControlStyle() << csOpaque);
  d->Repaint();
  EXPECT_EQ(painted(), (std::vector<int> { 0, 0, 0, 0, 1, 1 }));
  d->SetControlStyle(d->ControlStyle() >> csOpaque);
  d->Repaint();
  EXPECT_EQ(painted(), (std::vector<int> { 0, 0, 0, 1, 1, 1 }));
  a->Repaint();
  EXPECT_EQ(painted(), (std::vector<int> { 1, 0, 0, 0, 0, 0 }));
  // A control moved away by the paint of one below it is not painted at its old place.
  struct TMover : TGraphicControl {
    using TGraphicControl::TGraphicControl;
    TControl* Target = nullptr;
    void Paint() override {
      if (Target) Target->SetBounds(1000, 1000, 40, 30);
    }
  };
  auto* mover = new TMover(form);
  mover->SetParent(form);
  mover->SetBounds(0, 0, 5, 5);
  mover->SendToBack();
  mover->Target = b;
  a->SetVisible(false);
  InvalidateRect(form->Handle(), nullptr, TRUE);
  UpdateWindow(form->Handle());
  EXPECT_EQ(painted(), (std::vector<int> { 0, 0, 1, 1, 1, 1 }));
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 12, 12), (COLORREF)GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(xt::ReadPixel(form->Handle(), 70, 20), (COLORREF)GetSysColor(COLOR_BTNFACE));
}

// Opaque windowless controls are cut out of what the window itself paints, also in a DC whose origin is
// moved; a window covered by them does not paint itself at all.
TEST_F(ScreenTest, AWindowPaintsAroundItsOpaqueWindowlessControls) {
  struct TMark : TGraphicControl {
    explicit TMark(TComponent* AOwner) : TGraphicControl(AOwner) { SetControlStyle(ControlStyle() << csOpaque); }
    int Paints = 0;
    void Paint() override { ++Paints; }  // draws nothing: what shows is what the window left there
  };
  TForm* form = NewForm(0, 0, 200, 150);
  int formPaints = 0;
  form->OnPaint = On<TNotifyEvent>([&](TObject*) {
    ++formPaints;
    form->Canvas()->Brush()->SetColor(clYellow);
    form->Canvas()->FillRect(form->ClientRect());
  });
  auto* mark = new TMark(form);
  mark->SetParent(form);
  mark->SetBounds(20, 30, 40, 25);
  form->Show();
  xt::PumpUntilIdle();

  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 120, 100);
  HGDIOBJ old = SelectObject(mem, bmp);
  RECT all { 0, 0, 120, 100 };
  FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetViewportOrgEx(mem, 7, 11, nullptr);
  SendMessageA(form->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  SetViewportOrgEx(mem, 0, 0, nullptr);
  const COLORREF white = RGB(255, 255, 255), yellow = RGB(255, 255, 0);
  EXPECT_EQ(GetPixel(mem, 7 + 20, 11 + 30), white);   // the mark's top-left pixel
  EXPECT_EQ(GetPixel(mem, 7 + 59, 11 + 54), white);   // and its bottom-right one
  EXPECT_EQ(GetPixel(mem, 7 + 19, 11 + 30), yellow);  // just left of it
  EXPECT_EQ(GetPixel(mem, 7 + 60, 11 + 54), yellow);  // just right of it
  EXPECT_EQ(GetPixel(mem, 7 + 20, 11 + 55), yellow);  // just below it
  EXPECT_EQ(GetPixel(mem, 6, 10), white);             // outside the moved origin
  EXPECT_EQ(mark->Paints, 2);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);

  const int before = formPaints;
  RECT r { 25, 35, 55, 50 };
  InvalidateRect(form->Handle(), &r, TRUE);
  UpdateWindow(form->Handle());
  EXPECT_EQ(formPaints, before);
  EXPECT_EQ(mark->Paints, 3);
  r.right = 61;  // one column past the mark
  InvalidateRect(form->Handle(), &r, TRUE);
  UpdateWindow(form->Handle());
  EXPECT_EQ(formPaints, before + 1);
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

TEST_F(ScreenTest, ApplicationWindowHooksChainLatestFirstAndUnhookAlone) {
  std::vector<std::string> seen;
  auto hook = [&](const char* name, bool handles) {
    return TWindowHook::FromCallable([&seen, name, handles](TMessage& m) {
      if (m.Msg != WM_USER + 7) return false;
      seen.push_back(name);
      if (handles) m.Result = 9;
      return handles;
    });
  };
  TWindowHook first = hook("first", false), second = hook("second", false), stop = hook("stop", true);
  Application->HookMainWindow(first);
  Application->HookMainWindow(second);
  Application->HookMainWindow(second);  // kept once
  EXPECT_EQ(SendMessageA(Application->Handle(), WM_USER + 7, 0, 0), 0);
  EXPECT_EQ(seen, (std::vector<std::string> { "second", "first" }));
  // The first one going leaves the second in place; a handling hook ends the walk with its result.
  Application->UnhookMainWindow(first);
  Application->HookMainWindow(stop);
  seen.clear();
  EXPECT_EQ(SendMessageA(Application->Handle(), WM_USER + 7, 0, 0), 9);
  EXPECT_EQ(seen, (std::vector<std::string> { "stop" }));
  // A hook removing another while it runs: the removed one is not called.
  Application->UnhookMainWindow(stop);
  TWindowHook remover = TWindowHook::FromCallable([&](TMessage& m) {
    if (m.Msg == WM_USER + 7) Application->UnhookMainWindow(second);
    return false;
  });
  Application->HookMainWindow(remover);
  seen.clear();
  SendMessageA(Application->Handle(), WM_USER + 7, 0, 0);
  EXPECT_TRUE(seen.empty());
  Application->UnhookMainWindow(remover);
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
