#pragma once
// The skinned 800 x 600 form of 100 controls the repaint, skin switch and toolkit benchmarks draw: ten
// kinds, ten of each in a row (buttons, edits, list boxes, combo boxes, check boxes, panels, gauges, track
// bars, memos and scroll bars), each at its place (bench/FormPlaces.h). The toolkits' copies build the same
// window: the same kinds, places, sizes and texts (bench/toolkits/Peer.h).

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/FormPlaces.h"
#include "bench/SkinSwitch.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/form/bsSkinForm.h"
#include "tools/mkskin/SkinColours.h"

namespace xj::bench {

struct SkinFormKind {
  const char* name;
  std::function<TWinControl*(TForm*, int)> make;  // the i-th control of the kind, its look set
};

inline AnsiString NumberedCaption(const char* base, int i) { return AnsiString(base) + std::to_string(i).c_str(); }

// A control on the form, so that what follows may need its window.
template <class C>
C* NewOnForm(TForm* f) {
  auto* c = new C(f);
  c->SetParent(f);
  return c;
}

inline void FillLines(TStrings* items, int n) {
  for (int k = 0; k < n; ++k) items->Add(NumberedCaption("线路 ", k));
}

inline const std::vector<SkinFormKind>& SkinFormKinds() {
  static const std::vector<SkinFormKind> kinds = {
    { "button",
      [](TForm* f, int i) {
        auto* c = NewOnForm<TbsSkinButton>(f);
        c->SetCaption(NumberedCaption("按钮", i));
        return c;
      } },
    { "edit",
      [](TForm* f, int i) {
        auto* c = NewOnForm<TbsSkinEdit>(f);
        c->SetText(NumberedCaption("编辑 ", i));
        return c;
      } },
    { "listbox",
      [](TForm* f, int) {
        auto* c = NewOnForm<TbsSkinListBox>(f);
        FillLines(c->Items(), kListLines);
        return c;
      } },
    { "combobox",
      [](TForm* f, int) {
        auto* c = NewOnForm<TbsSkinComboBox>(f);
        FillLines(c->Items(), kListLines);
        c->SetItemIndex(1);
        return c;
      } },
    { "checkbox",
      [](TForm* f, int i) {
        auto* c = NewOnForm<TbsSkinCheckRadioBox>(f);
        c->SetCaption(NumberedCaption("选项", i));
        c->SetChecked(i % 2 == 0);
        return c;
      } },
    { "panel",
      [](TForm* f, int i) {
        auto* c = NewOnForm<TbsSkinPanel>(f);
        c->SetCaption(NumberedCaption("面板", i));
        return c;
      } },
    { "gauge",
      [](TForm* f, int i) {
        auto* c = NewOnForm<TbsSkinGauge>(f);
        c->SetMaxValue(100);
        c->SetValue(i * 10);
        return c;
      } },
    { "trackbar",
      [](TForm* f, int i) {
        auto* c = NewOnForm<TbsSkinTrackBar>(f);
        c->SetMaxValue(10);
        c->SetValue(i);
        return c;
      } },
    { "memo",
      [](TForm* f, int) {
        auto* c = NewOnForm<TbsSkinMemo>(f);
        FillLines(c->Lines(), kMemoLines);
        return c;
      } },
    { "scrollbar",
      [](TForm* f, int) {
        auto* c = NewOnForm<TbsSkinScrollBar>(f);
        return c;
      } },
  };
  return kinds;
}

// The form, its skin, and the controls row by row, each at its place (bench/FormPlaces.h). The form loads the test skin
// into a skin data component of its own, or uses one loaded already (`shared`), as forms sharing one skin do.
struct SkinForm {
  static constexpr int kWidth = kFormWidth, kHeight = kFormHeight;

  explicit SkinForm(bool withControls = true, TbsSkinData* shared = nullptr) {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, kWidth, kHeight);
    form->SetBorderStyle(bsSizeable);
    form->SetCaption("线路录音检测系统");
    skin = shared;
    if (!skin) {
      skin = new TbsSkinData(form.get());
      skin->LoadFromFile(kTestSkinIni);
    }
    frame = new RurIvozedevUzivEred(form.get());
    frame->SetSkinData(skin);
    const std::vector<SkinFormKind>& kinds = SkinFormKinds();
    for (size_t k = 0; withControls && k < kinds.size(); ++k) {
      rows.emplace_back();
      for (int i = 0; i < kFormPerKind; ++i) {
        TWinControl* c = kinds[k].make(form.get(), i);
        const FormPlace at = PlaceOf(int(k), i);
        c->SetBounds(at.x, at.y, at.width, at.height);
        SetSkin(c, skin);
        rows.back().push_back(c);
      }
    }
    form->Show();
    Application->ProcessMessages();
  }
  static void SetSkin(TWinControl* c, TbsSkinData* data) {
    if (auto* s = dynamic_cast<TbsSkinControl*>(c))
      s->SetSkinData(data);
    else if (auto* e = dynamic_cast<TbsSkinCustomEdit*>(c))
      e->SetSkinData(data);
    else if (auto* l = dynamic_cast<TbsSkinCustomListBox*>(c))
      l->SetSkinData(data);
    else if (auto* b = dynamic_cast<TbsSkinCustomComboBox*>(c))
      b->SetSkinData(data);
    else if (auto* m = dynamic_cast<TbsSkinCustomMemo*>(c))
      m->SetSkinData(data);
  }
  void Repaint() {
    RedrawWindow(form->Handle(), nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  // The test skin and the second skin by turns, the form and every control repainted in the new one.
  void Switch() {
    second = !second;
    skin->LoadFromFile(second ? kSecondSkinIni : kTestSkinIni);
    Application->ProcessMessages();
  }
  // Whether the first button shows its record's picture.
  bool Skinned() {
    TBitmap probe;
    probe.SetSize(1, 1);
    TWinControl* button = rows[0][0];
    HDC dc = GetWindowDC(button->Handle());
    BitBlt(probe.Canvas()->Handle(), 0, 0, 1, 1, dc, 5, 5, SRCCOPY);
    ReleaseDC(button->Handle(), dc);
    const int index = skin->GetControlIndex("button");
    return index >= 0 && (uint32_t(probe.Canvas()->Pixels(0, 0)) & 0xFF) == mkskin::ControlOwner(index);
  }

  std::unique_ptr<TForm> form;
  TbsSkinData* skin {};
  RurIvozedevUzivEred* frame {};
  std::vector<std::vector<TWinControl*>> rows;
  bool second {};
};

}  // namespace xj::bench
