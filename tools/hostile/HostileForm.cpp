#include "tools/hostile/HostileForm.h"

#include <exception>
#include <memory>
#include <stdexcept>

#include "platform/testing/TestHooks.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/TypInfo.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinTabs.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinHint.h"
#include "skin/form/bsSkinMenus.h"
#include "tools/hostile/HostileFormTexts.h"

namespace hostile {

namespace xt = xj::test;

namespace {

using Maker = TControl* (*)(TComponent*);

template <class C>
TControl* Make(TComponent* Owner) {
  return new C(Owner);
}

// Every skinned control class a form can hold (the pop-up lists, calendars and track bars that the
// edits and combo boxes open are reached through them).
const std::vector<Maker>& Makers() {
  static const std::vector<Maker> makers {
    Make<TbsSkinButton>,          Make<TbsSkinMenuButton>,    Make<TbsSkinScrollBar>,     Make<TbsSkinTrackBar>,
    Make<TbsSkinGauge>,           Make<TbsSkinStdLabel>,      Make<TbsSkinLabel>,         Make<TbsSkinStatusPanel>,
    Make<TbsSkinPanel>,           Make<TbsSkinGroupBox>,      Make<TbsSkinCheckRadioBox>, Make<TbsSkinRadioGroup>,
    Make<TbsSkinCheckGroup>,      Make<TbsSkinSplitter>,      Make<TbsSkinControlBar>,    Make<TbsSkinSpeedButton>,
    Make<TbsSkinMenuSpeedButton>, Make<TbsSkinBevel>,         Make<TbsSkinXFormButton>,   Make<TbsSkinTextLabel>,
    Make<TbsSkinLinkImage>,       Make<TbsSkinLinkLabel>,     Make<TbsSkinButtonLabel>,   Make<TbsSkinButtonsBar>,
    Make<TbsSkinTreeView>,        Make<TbsSkinRichEdit>,      Make<TbsSkinHeaderControl>, Make<TbsSkinListView>,
    Make<TbsSkinSlider>,          Make<TbsSkinExPanel>,       Make<TbsSkinToolBar>,       Make<TbsSkinStatusBar>,
    Make<TbsSkinNotebook>,        Make<TbsSkinScrollPanel>,   Make<TbsSkinUpDown>,        Make<TbsSkinNumEdit>,
    Make<TbsSkinSpinEdit>,        Make<TbsSkinEdit>,          Make<TbsSkinMaskEdit>,      Make<TbsSkinTimeEdit>,
    Make<TbsSkinTrackEdit>,       Make<TbsSkinMemo>,          Make<TbsSkinMemo2>,         Make<TbsSkinListBox>,
    Make<TbsSkinCheckListBox>,    Make<TbsSkinScrollBox>,     Make<TbsSkinMonthCalendar>, Make<TbsSkinDateEdit>,
    Make<TbsSkinComboBox>,        Make<TbsSkinColorComboBox>, Make<TbsSkinFontComboBox>,  Make<TbsSkinPageControl>,
    Make<TbsSkinTabControl>,      Make<TbsSkinMainMenuBar>,
  };
  return makers;
}

constexpr int kCols = 8, kCellW = 78, kCellH = 50, kTop = 24;

// Lines of text in whatever string list the control publishes.
void Fill(TControl* c) {
  for (const char* name : { "Items", "Lines", "Tabs", "Pages" }) {
    const TPropInfo* p = GetPropInfo(c, name);
    if (!p) continue;
    try {
      if (auto* s = dynamic_cast<TStrings*>(GetObjectProp(c, p)))
        for (int i = 0; i < 40; ++i) s->Add("行 " + std::to_string(i));
    } catch (const EInvalidCast&) {
    }
  }
  if (auto* tree = dynamic_cast<TCustomTreeView*>(c)) {
    for (int i = 0; i < 20; ++i) {
      TTreeNode* n = tree->Items()->Add(nullptr, "节点 " + std::to_string(i));
      tree->Items()->AddChild(n, "子");
    }
  }
  if (auto* list = dynamic_cast<TCustomListView*>(c)) {
    for (int i = 0; i < 2; ++i) list->Columns()->Add()->SetCaption("列 " + std::to_string(i));
    for (int i = 0; i < 30; ++i) list->Items()->Add()->SetCaption("项 " + std::to_string(i));
  }
  if (auto* pages = dynamic_cast<TbsSkinPageControl*>(c)) {
    for (int i = 0; i < 3; ++i) {
      auto* sheet = new TbsSkinTabSheet(c->Owner());
      sheet->SetPageControl(pages);
      sheet->SetCaption("页 " + std::to_string(i));
    }
  }
  if (auto* header = dynamic_cast<THeaderControl*>(c))
    for (int i = 0; i < 3; ++i) header->Sections()->Add()->SetText("节 " + std::to_string(i));
}

void Bind(TComponent* c, TbsSkinData* skin) {
  if (const TPropInfo* p = GetPropInfo(c, "SkinData")) SetObjectProp(c, p, skin);
}

struct Scene {
  TForm* form {};
  RurIvozedevUzivEred* sf {};
  TbsSkinMainMenuBar* bar {};
  TbsSkinPopupMenu* popup {};
  TbsSkinHint* hint {};
  std::vector<std::pair<TControl*, std::weak_ptr<const void>>> controls;
};

void Build(Scene& s, TbsSkinData* skin) {
  s.form->SetBorderStyle(bsSizeable);
  s.form->SetBounds(20, 20, 660, 520);
  s.form->SetCaption("巡检");
  s.sf = new RurIvozedevUzivEred(s.form);
  auto* menu = new TbsSkinMainMenu(s.form);
  for (const char* top : { "文件", "编辑", "帮助" }) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(top);
    menu->Items()->Add(item);
    for (int i = 0; i < 4; ++i) {
      auto* sub = new TMenuItem(menu);
      sub->SetCaption("项目 " + std::to_string(i));
      item->Add(sub);
    }
  }
  s.popup = new TbsSkinPopupMenu(s.form);
  for (int i = 0; i < 6; ++i) {
    auto* item = new TMenuItem(s.popup);
    item->SetCaption("弹出 " + std::to_string(i));
    s.popup->Items()->Add(item);
  }
  s.hint = new TbsSkinHint(s.form);
  s.hint->SetSkinData(skin);
  Bind(s.popup, skin);
  Bind(menu, skin);
  s.sf->SetSkinData(skin);
  int i = 0;
  for (const Maker make : Makers()) {
    TControl* c = make(s.form);
    c->SetParent(s.form);
    if (auto* b = dynamic_cast<TbsSkinMainMenuBar*>(c)) {
      s.bar = b;
      b->SetAlign(alTop);
      b->SetMainMenu(menu);
      s.sf->SetMainMenuBar(b);
    } else {
      c->SetAlign(alNone);  // some align themselves (header, status bar, splitter): each keeps its own cell
      c->SetBounds(i % kCols * kCellW + 2, kTop + i / kCols * kCellH + 2, kCellW - 6, kCellH - 8);
      ++i;
    }
    c->SetCaption("控件");
    Fill(c);
    Bind(c, skin);
    if (auto* button = dynamic_cast<TbsSkinMenuButton*>(c)) button->SetSkinPopupMenu(s.popup);
    s.controls.emplace_back(c, c->LifeToken());
  }
}

void Repaint(TForm* form) {
  RedrawWindow(form->Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  xt::PumpUntilIdle();
}

// A click, clicks at the right end (where drop-down and spin buttons sit, at the middle and near the top
// of a control taller than its face) with Escape after them, a combo box's list dropped by its button and
// an item clicked in it, a drag across the control, the wheel, and keys typed at it: F4, Down and Return
// (which open, move in and commit a drop-down), Alt+Down, characters, End and Escape.
void Handle(Scene& s, TControl* c, const std::weak_ptr<const void>& life) {
  const int w = std::max(1, c->Width()), h = std::max(1, c->Height());
  const TPoint centre = c->ClientToScreen(TPoint(w / 2, h / 2));
  const TPoint right = c->ClientToScreen(TPoint(w - 4, h / 2));
  const TPoint top = c->ClientToScreen(TPoint(w - 4, std::min(h / 2, 8)));
  const HWND form = s.form->Handle();
  for (const TPoint& p : { centre, right, top }) {
    if (life.expired()) return;
    xt::Click(p.X, p.Y);
    xt::KeyPress(VK_ESCAPE);
  }
  if (auto* combo = dynamic_cast<TbsSkinCustomComboBox*>(c); combo && !life.expired()) {
    const TRect b = combo->ButtonRect();
    const TPoint p = c->ClientToScreen(TPoint((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2));
    xt::Click(p.X, p.Y);
    if (!life.expired() && combo->IsPopupVisible()) {
      TbsListBox* list = combo->PopupList()->ListBox();
      const TRect r = list->ItemRect(1);
      const TPoint q = list->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
      xt::Click(q.X, q.Y);
    }
  }
  if (life.expired()) return;
  xt::Drag(centre.X, centre.Y, centre.X + 30, centre.Y + 12);
  xt::MouseMove(centre.X, centre.Y);
  xt::Wheel(-120);
  if (auto* win = dynamic_cast<TWinControl*>(c); win && !life.expired() && win->CanFocus()) {
    win->SetFocus();
    for (const UINT key : { VK_F4, VK_DOWN, VK_RETURN, VK_RIGHT }) xt::KeyPress(key);
    xt::KeyPress(VK_DOWN, xt::ssAlt);
    xt::TypeText("a9 ");
    xt::KeyPress(VK_END);
    xt::KeyPress(VK_ESCAPE);
  }
  if (IsWindow(form) && !s.form->Visible()) s.form->Show();  // a caption button may have hidden it
}

// The harness for the length of a run, a fresh application whose loop raises are written down, and the
// steps: whatever a step raises is written down with its name and the next step goes on.
class Session {
 public:
  Session() {
    delete Application;
    Application = new TApplication(nullptr);
    Application->OnException = TExceptionEvent::FromCallable([this](TObject*, Exception* e) {
      run.raised.push_back(FStep + " (in the loop): " + std::string(e->Message()));
    });
  }
  ~Session() { Application->OnException = nullptr; }

  void Act(const char* name, const std::function<void()>& f) {
    FStep = name;
    try {
      f();
    } catch (const Exception& e) {
      run.raised.push_back(FStep + ": " + std::string(e.Message()));
    } catch (const std::exception& e) {
      run.raised.push_back(FStep + ": " + e.what());
    }
  }

  // Why f refused what it was given, or "".
  static std::string Refusal(const std::function<void()>& f) {
    try {
      f();
    } catch (const Exception& e) {
      return e.Message();
    } catch (const std::exception& e) {
      return e.what();
    }
    return "";
  }

  Run run;

 private:
  xt::Harness FHarness;  // before the application and anything it shows
  std::string FStep;
};

// A second skinned form shown modally over the first, a combo box's list dropped on it and the popup
// menu opened over both (the skinned menus are windows of their own, not modal loops): the skin is
// switched while all three are open, then each is closed.
void SwitchUnderMenus(Scene& s, TbsSkinData* skin, const std::function<void(TbsSkinData*)>& Second) {
  TForm modal(nullptr);
  modal.SetBounds(80, 80, 400, 300);
  (new RurIvozedevUzivEred(&modal))->SetSkinData(skin);
  auto* combo = new TbsSkinComboBox(&modal);
  combo->SetParent(&modal);
  combo->SetBounds(20, 40, 160, 24);
  Fill(combo);
  Bind(combo, skin);
  std::exception_ptr error;
  bool answered = false;
  xt::AnswerModal([&](const xt::ModalRecord&) {
    answered = true;
    const TRect b = combo->ButtonRect();
    const TPoint p = combo->ClientToScreen(TPoint((b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2));
    xt::Click(p.X, p.Y);
    try {
      s.popup->Popup(modal.Left() + 40, modal.Top() + 80);
      xt::PumpUntilIdle();
      Second(skin);
      xt::PumpUntilIdle();
    } catch (...) {
      error = std::current_exception();
    }
    xt::KeyPress(VK_ESCAPE);
    xt::KeyPress(VK_ESCAPE);
    return LONG_PTR { mrCancel };
  });
  modal.ShowModal();
  if (error) std::rethrow_exception(error);
  if (!answered) throw std::runtime_error("the modal form did not open");
}

// Loads the skin under test again after another; a skin refused the first time is nothing new.
void LoadBack(const std::function<void(TbsSkinData*)>& Load, TbsSkinData* skin, const Run& run) {
  try {
    Load(skin);
  } catch (...) {
    if (run.load.empty()) throw;
  }
}

void Paint(Session& x, TForm* form, const std::string& Picture) {
  x.Act("show", [&] {
    form->Show();
    xt::PumpUntilIdle();
  });
  x.Act("paint", [&] {
    Repaint(form);
    if (!Picture.empty() && !xt::Screenshot(Picture)) throw std::runtime_error("cannot write " + Picture);
  });
}

void Resize(Session& x, TForm* form) {
  x.Act("resize 1x1", [&] {
    form->SetBounds(20, 20, 1, 1);
    Repaint(form);
  });
  x.Act("resize 8000x8000", [&] {
    form->SetBounds(0, 0, 8000, 8000);
    Repaint(form);
  });
  x.Act("resize back", [&] {
    form->SetBounds(20, 20, 660, 520);
    Repaint(form);
  });
}

void OpenMenus(Session& x, Scene& s, TForm* form) {
  x.Act("roll up", [&] {
    s.sf->SetRollUpState(true);
    Repaint(form);
    s.sf->SetRollUpState(false);
    Repaint(form);
  });
  x.Act("main menu", [&] {
    if (!s.bar || !s.bar->Visible()) return;
    // The skinned menus are windows of their own, not modal loops: keys go to them as they stand open.
    const TPoint p = s.bar->ClientToScreen(TPoint(12, s.bar->Height() / 2));
    xt::Click(p.X, p.Y);
    for (const UINT key : { VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE }) xt::KeyPress(key);
  });
  x.Act("hint", [&] {
    s.hint->HintWindow()->ActivateHint(TRect(300, 300, 300, 300), "提示：线路 0 振铃");
    xt::PumpUntilIdle();
  });
  x.Act("popup menu", [&] {
    s.popup->Popup(form->Left() + 60, form->Top() + 60);
    xt::PumpUntilIdle();
    for (const UINT key : { VK_DOWN, VK_ESCAPE }) xt::KeyPress(key);
  });
}

void Switch(Session& x, Scene& s, TbsSkinData* skin, const std::function<void(TbsSkinData*)>& Load,
            const std::function<void(TbsSkinData*)>& Second) {
  x.Act("second skin", [&] {
    Second(skin);
    Repaint(s.form);
  });
  x.Act("back", [&] {
    LoadBack(Load, skin, x.run);
    Repaint(s.form);
  });
  x.Act("second skin under a modal form, a drop-down and a popup menu", [&] {
    SwitchUnderMenus(s, skin, Second);
    Repaint(s.form);
  });
  x.Act("back again", [&] {
    LoadBack(Load, skin, x.run);
    Repaint(s.form);
  });
}

}  // namespace

Run Exercise(const std::function<void(TbsSkinData*)>& Load, const std::function<void(TbsSkinData*)>& Second,
             Depth depth, const std::string& Picture) {
  Session x;
  auto form = std::make_unique<TForm>(nullptr);
  auto* skin = new TbsSkinData(form.get());
  Scene s;
  s.form = form.get();
  x.run.load = Session::Refusal([&] { Load(skin); });
  x.Act("build", [&] { Build(s, skin); });
  Paint(x, form.get(), Picture);
  Resize(x, form.get());
  if (depth == Depth::Full) {
    OpenMenus(x, s, form.get());
    for (auto& [c, life] : s.controls) {
      if (life.expired()) continue;
      TControl* const control = c;
      const std::weak_ptr<const void> alive = life;
      x.Act(control->ClassName().c_str(), [&] { Handle(s, control, alive); });
    }
    if (Second) Switch(x, s, skin, Load, Second);
  }
  x.Act("free", [&] {
    form.reset();
    xt::PumpUntilIdle();
  });
  return x.run;
}

Run ExerciseForm(const std::string& Text, const std::function<void(TbsSkinData*)>& Load, const std::string& Picture) {
  Session x;
  auto form = std::make_unique<TForm>(nullptr);
  auto* skin = new TbsSkinData(form.get());
  skin->SetName(FormSkinDataName);
  x.Act("skin", [&] { Load(skin); });
  x.run.load = Session::Refusal([&] { ReadComponentResource(form.get(), Text); });
  x.Act("place", [&] { form->SetBounds(20, 20, 660, 520); });
  Paint(x, form.get(), Picture);
  x.Act("free", [&] {
    form.reset();
    xt::PumpUntilIdle();
  });
  return x.run;
}

}  // namespace hostile
