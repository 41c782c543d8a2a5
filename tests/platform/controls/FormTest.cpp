// Forms and the application: showing (OnShow first, position), closing, ShowModal results, Release, the
// start order of Application->Run, the exception box.

#include <stdexcept>

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "tests/support/ControlsTestUtil.h"

using namespace ctltest;

namespace {

class FormTest : public ControlsTest {};

TEST_F(FormTest, ShowRunsOnShowBeforeTheWindowAppearsAndCentresOnTheScreen) {
  TForm* form = NewForm(0, 0, 200, 100);
  form->SetPosition(poScreenCenter);
  bool visibleInOnShow = true;
  form->OnShow = On<TNotifyEvent>([&](TObject*) { visibleInOnShow = IsWindowVisible(form->Handle()); });
  form->Show();
  EXPECT_FALSE(visibleInOnShow);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(form->Left(), (1024 - 200) / 2);
  EXPECT_EQ(form->Top(), (768 - 100) / 2);
  EXPECT_EQ(form->Position(), poDesigned);
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  EXPECT_TRUE(form->Active());
}

TEST_F(FormTest, ClosingActions) {
  struct Case {
    TCloseAction action;
    bool visibleAfter;
    bool freed;
  } cases[] = {
    { caHide, false, false }, { caNone, true, false }, { caMinimize, true, false }, { caFree, false, true }
  };
  for (const Case& c : cases) {
    TForm* form = NewForm();
    form->Show();
    auto life = form->LifeToken();
    TCloseAction action = c.action;
    form->OnClose = On<TCloseEvent>([&](TObject*, TCloseAction& a) { a = action; });
    form->Close();
    xt::PumpUntilIdle();
    EXPECT_EQ(life.expired(), c.freed) << int(c.action);
    if (!c.freed) {
      EXPECT_EQ(form->Visible(), c.visibleAfter) << int(c.action);
      if (c.action == caMinimize) {
        EXPECT_EQ(form->WindowState(), wsMinimized);
      }
    }
  }
}

TEST_F(FormTest, CloseQueryCanRefuse) {
  TForm* form = NewForm();
  form->Show();
  int closes = 0;
  form->OnCloseQuery = On<TCloseQueryEvent>([](TObject*, bool& can) { can = false; });
  form->OnClose = On<TCloseEvent>([&](TObject*, TCloseAction&) { ++closes; });
  form->Close();
  EXPECT_TRUE(form->Visible());
  EXPECT_EQ(closes, 0);
}

TEST_F(FormTest, ClosedInsideOnShowNeverAppears) {
  TForm* form = NewForm();
  int hides = 0;
  form->OnShow = On<TNotifyEvent>([&](TObject*) { form->Close(); });
  form->OnHide = On<TNotifyEvent>([&](TObject*) { ++hides; });
  form->Show();
  xt::PumpUntilIdle();
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(hides, 1);
}

TEST_F(FormTest, ReleaseFreesAfterQueuedMessagesAndCloseOfTheMainFormEndsTheLoop) {
  TForm* form = NewForm();
  form->Show();
  auto life = form->LifeToken();
  form->Release();
  EXPECT_FALSE(life.expired());
  xt::PumpUntilIdle();
  EXPECT_TRUE(life.expired());

  TForm* main = nullptr;
  Application->CreateForm(main);
  EXPECT_EQ(Application->MainForm(), main);
  main->Show();
  main->Close();
  EXPECT_TRUE(main->Visible());  // the main form stays until the program ends
  Application->ProcessMessages();
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(FormTest, ShowModalEndsWithTheResultOfTheButtonPressedAndKeepsTimersRunning) {
  TForm* owner = NewForm(0, 0, 400, 300);
  owner->Show();
  TForm* dialog = NewForm(50, 50, 200, 120);
  auto* ok = new TTestButton(dialog);
  ok->SetParent(dialog);
  ok->SetBounds(10, 10, 75, 25);
  ok->ModalResult = mrOk;
  auto* timer = new TTimer(dialog);
  int ticks = 0;
  timer->SetInterval(100);
  timer->SetOnTimer(On<TNotifyEvent>([&](TObject*) { ++ticks; }));
  auto* shape = new TTestShape(owner);
  shape->SetParent(owner);
  bool ownerEnabledInside = true;
  int paintsInside = 0;
  xt::AnswerModal([&](const xt::ModalRecord& r) -> LONG_PTR {
    EXPECT_EQ(r.kind, xt::ModalRecord::Form);
    EXPECT_EQ(r.hwnd, dialog->Handle());
    ownerEnabledInside = IsWindowEnabled(owner->Handle());
    const int before = shape->Paints;
    shape->Invalidate();  // the disabled owner still paints
    xt::Advance(500);
    paintsInside = shape->Paints - before;
    ClickAt(ok, 5, 5);
    return xt::kKeepOpen;
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(ticks, 5);
  EXPECT_EQ(ok->Clicks, 1);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_GE(paintsInside, 1);
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
  EXPECT_FALSE(dialog->Visible());
  EXPECT_EQ(xt::UnscriptedModals(), 0);
}

// The screen's cursor is the default one while a modal form runs, and what it was afterwards, whether the
// form ends with a result or is closed.
TEST_F(FormTest, ShowModalPutsTheScreensCursorBack) {
  Screen->SetCursor(crHourGlass);
  for (const bool closed : { false, true }) {
    TForm* dialog = NewForm();
    TCursor inside = crNone;
    xt::AnswerModal([&](const xt::ModalRecord&) -> LONG_PTR {
      inside = Screen->Cursor();
      if (!closed) return mrOk;
      dialog->Close();
      return xt::kKeepOpen;
    });
    EXPECT_EQ(dialog->ShowModal(), closed ? mrCancel : mrOk);
    EXPECT_EQ(inside, crDefault) << closed;
    EXPECT_EQ(Screen->Cursor(), crHourGlass) << closed;
  }
  Screen->SetCursor(crDefault);
}

TEST_F(FormTest, ShowModalResultsFromScriptsHidingAndClosing) {
  struct Case {
    const char* name;
    std::function<void(TForm*)> act;
    int expected;
  } cases[] = {
    { "scripted", nullptr, mrYes },
    { "hidden with no result", [](TForm* f) { f->Hide(); }, mrCancel },
    { "result then hidden",
      [](TForm* f) {
        f->SetModalResult(mrRetry);
        f->Hide();
      },
      mrRetry },
    { "closed", [](TForm* f) { f->Close(); }, mrCancel },
  };
  for (Case& c : cases) {
    TForm* dialog = NewForm();
    xt::AnswerModal([&](const xt::ModalRecord&) -> LONG_PTR {
      if (!c.act) return mrYes;
      c.act(dialog);
      return xt::kKeepOpen;
    });
    EXPECT_EQ(dialog->ShowModal(), c.expected) << c.name;
    EXPECT_FALSE(dialog->Visible()) << c.name;
  }
}

// However a modal form or a message dialog ends, the window that was active before gets the activation
// (its caption drawn active) and the keyboard focus back: the next key reaches the control that had it.
TEST_F(FormTest, EveryWayOfClosingAModalWindowGivesActivationAndFocusBack) {
  TForm* owner = NewForm(30, 20, 400, 300);
  auto* first = new TTestButton(owner);  // what a form that forgot its focus would focus
  first->SetParent(owner);
  auto* typed = new TTestButton(owner);
  typed->SetParent(owner);
  typed->SetBounds(10, 60, 75, 25);
  int keys = 0;
  typed->OnKeyDown = On<TKeyEvent>([&](TObject*, WORD& key, TShiftState) {
    if (key == 'K') ++keys;
  });
  owner->Show();
  typed->SetFocus();
  const HWND h = owner->Handle();
  const COLORREF activeCaption = xt::ReadPixel(h, 40, 8, true);

  auto modalForm = [&](int expected, std::function<void(TForm*, TTestButton*, TTestButton*)> close) {
    return [this, expected, close] {
      TForm* dialog = NewForm(150, 120, 220, 110);
      auto* ok = new TTestButton(dialog);
      ok->SetParent(dialog);
      ok->ModalResult = mrOk;
      auto* cancel = new TTestButton(dialog);
      cancel->SetParent(dialog);
      cancel->SetBounds(100, 10, 75, 25);
      cancel->ModalResult = mrCancel;
      cancel->Cancel = true;
      xt::AnswerModal([&](const xt::ModalRecord&) -> LONG_PTR {
        close(dialog, ok, cancel);
        return xt::kKeepOpen;
      });
      EXPECT_EQ(dialog->ShowModal(), expected);
    };
  };
  auto clickBoxButton = [](int id) {
    return [id](const xt::ModalRecord& r) -> LONG_PTR {
      HWND button = GetWindow(r.hwnd, GW_CHILD);
      while (button && GetWindowLongPtrA(button, GWL_ID) != id) button = GetWindow(button, GW_HWNDNEXT);
      RECT b {};
      GetWindowRect(button, &b);
      xt::Click((b.left + b.right) / 2, (b.top + b.bottom) / 2);
      return xt::kKeepOpen;
    };
  };
  struct Case {
    const char* name;
    std::function<void()> run;
  } cases[] = {
    { "a button's ModalResult", modalForm(mrOk, [](TForm*, TTestButton* ok, TTestButton*) { ClickAt(ok, 5, 5); }) },
    { "ModalResult set", modalForm(mrAbort, [](TForm* f, TTestButton*, TTestButton*) { f->SetModalResult(mrAbort); }) },
    { "ModalResult set and hidden by a button", modalForm(mrOk,
                                                          [](TForm* f, TTestButton* ok, TTestButton*) {
                                                            ok->OnClick =
                                                                On<TNotifyEvent>([f](TObject*) { f->Hide(); });
                                                            ClickAt(ok, 5, 5);
                                                          }) },
    { "Close", modalForm(mrCancel, [](TForm* f, TTestButton*, TTestButton*) { f->Close(); }) },
    { "the caption's close box",
      modalForm(mrCancel,
                [](TForm* f, TTestButton*, TTestButton*) { PostMessageA(f->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }) },
    { "Escape on the cancel button", modalForm(mrCancel,
                                               [](TForm*, TTestButton*, TTestButton*) {
                                                 xt::KeyDown(VK_ESCAPE, xt::ssNone, false);
                                                 xt::KeyUp(VK_ESCAPE, xt::ssNone, false);
                                               }) },
    { "a message dialog's button",
      [&] {
        xt::AnswerModal(clickBoxButton(IDYES));
        EXPECT_EQ(MessageDlg("question", mtConfirmation, TMsgDlgButtons { mbYes, mbNo }), mrYes);
      } },
    { "ShowMessage's button",
      [&] {
        xt::AnswerModal(clickBoxButton(IDOK));
        ShowMessage("note");
      } },
  };
  for (Case& c : cases) {
    keys = 0;
    c.run();
    xt::PumpUntilIdle();
    EXPECT_EQ(GetActiveWindow(), h) << c.name;
    EXPECT_TRUE(owner->Active()) << c.name;
    EXPECT_EQ(Screen->ActiveForm(), owner) << c.name;
    EXPECT_EQ(GetFocus(), typed->Handle()) << c.name;
    EXPECT_EQ(xt::ReadPixel(h, 40, 8, true), activeCaption) << c.name;
    xt::KeyPress('K');
    EXPECT_EQ(keys, 1) << c.name;
  }
  EXPECT_EQ(xt::UnscriptedModals(), 0);
}

TEST_F(FormTest, ShowModalRefusesVisibleFormsAndIsReentrant) {
  TForm* visible = NewForm();
  visible->Show();
  EXPECT_THROW(visible->ShowModal(), EInvalidOperation);

  TForm* outer = NewForm(10, 10, 300, 200);
  TForm* inner = NewForm(40, 40, 200, 100);
  int innerResult = 0;
  xt::AnswerModal([&](const xt::ModalRecord&) -> LONG_PTR {
    xt::AnswerModal([&](const xt::ModalRecord&) -> LONG_PTR {
      EXPECT_FALSE(IsWindowEnabled(outer->Handle()));
      return mrNo;
    });
    innerResult = inner->ShowModal();
    EXPECT_TRUE(IsWindowEnabled(outer->Handle()));
    return mrOk;
  });
  EXPECT_EQ(outer->ShowModal(), mrOk);
  EXPECT_EQ(innerResult, mrNo);
  EXPECT_EQ(xt::ModalRecords().size(), 2u);
}

TEST_F(FormTest, ReleasedWhileModalIsFreedAfterShowModalReturns) {
  TForm* dialog = NewForm();
  auto life = dialog->LifeToken();
  xt::AnswerModal([&](const xt::ModalRecord&) -> LONG_PTR {
    dialog->Release();
    xt::PumpUntilIdle();
    EXPECT_FALSE(life.expired());
    return mrOk;
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_FALSE(life.expired());
  xt::PumpUntilIdle();
  EXPECT_TRUE(life.expired());
}

TEST_F(FormTest, RunShowsTheMainFormBeforeAnyTimerTicksAndEndsWhenItCloses) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  std::vector<std::string> events;
  auto* timer = new TTimer(main);
  timer->SetInterval(10);
  timer->SetOnTimer(On<TNotifyEvent>([&](TObject*) {
    events.push_back("tick");
    if (events.size() == 4) main->Close();
  }));
  main->OnShow =
      On<TNotifyEvent>([&](TObject*) { events.push_back(IsWindowVisible(main->Handle()) ? "shown" : "show"); });
  xt::Jump(50);  // the timer is overdue before the loop starts
  Application->Run();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front(), "show");
  EXPECT_EQ(std::count(events.begin(), events.end(), "tick"), 3);
  EXPECT_TRUE(Application->Terminated());
}

// Runs the application with a main form and a 10 ms timer whose n-th tick does steps[n - 1]; the tick
// after the last step closes the main form.
void RunWithSteps(TForm*& main, std::vector<std::function<void()>> steps) {
  auto* timer = new TTimer(main);
  timer->SetInterval(10);
  size_t next = 0;
  timer->SetOnTimer(TNotifyEvent::FromCallable([&, steps](TObject*) {
    if (next < steps.size())
      steps[next++]();
    else
      main->Close();
  }));
  Application->Run();
}

TEST_F(FormTest, AnExceptionEscapingAHandlerIsShownAndTheLoopGoesOn) {
  Application->SetTitle("巡检");
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetBounds(0, 0, 300, 200);
  auto* button = new TTestButton(main);
  button->SetParent(main);
  int clicks = 0;
  button->OnClick = On<TNotifyEvent>([&](TObject*) {
    ++clicks;
    throw EConvertError("'x' is not a valid integer value");
  });
  int x = 0;
  auto click = [&] {
    x += 20;  // apart, so two presses are not a double click
    const TPoint p = At(button, x, 5);
    xt::MouseMove(p.X, p.Y, false);
    xt::MouseDown(xt::mbLeft, p.X, p.Y, false);
    xt::MouseUp(xt::mbLeft, p.X, p.Y, false);
  };
  RunWithSteps(main, { click, click });
  EXPECT_EQ(clicks, 2);
  ASSERT_EQ(xt::ModalRecords().size(), 2u);
  const xt::ModalRecord& box = xt::ModalRecords()[0];
  EXPECT_EQ(box.kind, xt::ModalRecord::MessageBox);
  EXPECT_EQ(box.caption, "巡检");
  EXPECT_EQ(box.text, "'x' is not a valid integer value.");
  EXPECT_EQ(box.type & MB_ICONMASK, (UINT)MB_ICONSTOP);
}

TEST_F(FormTest, AnExceptionInsideAMessageBoxLoopIsShownThereAndAbortIsSilent) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  const UINT kThrow = WM_USER + 1, kAsk = WM_USER + 2, kAbort = WM_USER + 3;
  TWndMethod old = main->WindowProc;
  main->WindowProc = TWndMethod::FromCallable([&](TMessage& m) {
    if (m.Msg == kThrow) throw Exception("from inside");
    if (m.Msg == kAbort) Abort();
    if (m.Msg == kAsk) {
      PostMessageA(main->Handle(), kThrow, 0, 0);
      MessageBoxA(main->Handle(), "question", "caption", MB_OK);
      return;
    }
    old(m);
  });
  RunWithSteps(main, { [&] {
                 PostMessageA(main->Handle(), kAbort, 0, 0);
                 PostMessageA(main->Handle(), kAsk, 0, 0);
               } });
  main->WindowProc = old;
  ASSERT_EQ(xt::ModalRecords().size(), 2u);
  EXPECT_EQ(xt::ModalRecords()[0].text, "from inside.");
  EXPECT_EQ(xt::ModalRecords()[1].text, "question");
}

TEST_F(FormTest, FreedFromItsOwnEventHandler) {
  TForm* form = NewForm();
  auto* button = new TTestButton(form);
  button->SetParent(form);
  auto life = button->LifeToken();
  button->OnClick = On<TNotifyEvent>([&](TObject* sender) { delete static_cast<TTestButton*>(sender); });
  form->Show();
  ClickAt(button, 5, 5);
  EXPECT_TRUE(life.expired());
  EXPECT_EQ(form->ControlCount(), 0);

  // A parent freed before its children takes them with it.
  TForm* other = NewForm();
  auto* panel = new TTestPanel(other);
  panel->SetParent(other);
  auto* inner = new TTestButton(other);
  inner->SetParent(panel);
  auto innerLife = inner->LifeToken();
  other->Show();
  delete panel;
  EXPECT_TRUE(innerLife.expired());
  EXPECT_EQ(other->ComponentCount(), 0);
}

TEST_F(FormTest, AFormFreedInsideItsOwnHandlers) {
  struct Case {
    const char* name;
    std::function<void(TForm*, std::function<void()>)> arm;
    std::function<void(TForm*)> trigger;
  } cases[] = {
    { "OnShow",
      [](TForm* f, std::function<void()> kill) {
        f->OnShow = TNotifyEvent::FromCallable([kill](TObject*) { kill(); });
      },
      [](TForm* f) { f->Show(); } },
    { "OnHide",
      [](TForm* f, std::function<void()> kill) {
        f->OnHide = TNotifyEvent::FromCallable([kill](TObject*) { kill(); });
      },
      [](TForm* f) {
        f->Show();
        f->Hide();
      } },
    { "OnClose",
      [](TForm* f, std::function<void()> kill) {
        f->OnClose = TCloseEvent::FromCallable([kill](TObject*, TCloseAction&) { kill(); });
      },
      [](TForm* f) {
        f->Show();
        f->Close();
      } },
    { "OnCloseQuery",
      [](TForm* f, std::function<void()> kill) {
        f->OnCloseQuery = TCloseQueryEvent::FromCallable([kill](TObject*, bool&) { kill(); });
      },
      [](TForm* f) {
        f->Show();
        f->Close();
      } },
  };
  for (Case& c : cases) {
    TForm* form = NewForm();
    auto life = form->LifeToken();
    c.arm(form, [form] { delete form; });
    auto trigger = c.trigger;
    trigger(form);
    xt::PumpUntilIdle();
    EXPECT_TRUE(life.expired()) << c.name;
  }
}

TEST_F(FormTest, ExceptionsTravelBackThroughPerformAndSendMessageToTheCaller) {
  TForm* form = NewForm();
  form->Show();
  TWndMethod old = form->WindowProc;
  form->WindowProc = TWndMethod::FromCallable([&](TMessage& m) {
    if (m.Msg == WM_USER + 9) throw EConvertError("thrown in a handler");
    old(m);
  });
  EXPECT_THROW(form->Perform(WM_USER + 9, 0, 0), EConvertError);
  EXPECT_THROW(SendMessageA(form->Handle(), WM_USER + 9, 0, 0), EConvertError);
  form->WindowProc = old;
  EXPECT_TRUE(xt::ModalRecords().empty());  // nobody showed it: the caller has it
}

}  // namespace
