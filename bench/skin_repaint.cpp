// A skinned 800 x 600 form holding 100 skinned controls of ten kinds, ten of each in a row: buttons,
// edits, list boxes, combo boxes, check boxes, panels, gauges, track bars, memos and scroll bars.
//   - BM_RepaintFormWith100Controls: the whole form repainted (frame, every control, every caption)
//     against BitBlt of the same 800 x 600 area onto its window: x_peer, goal 8x. Per kind, the ten
//     controls of that kind repainted against blitting their areas: x_<kind>.
//   - BM_SkinSwitchFormWith100KindsOfControls: the form's skin switched (loaded; every control re-reads its
//     record and repaints) against loading the same skin into a skin data component nobody uses: x_peer,
//     goal 3x. Both sides alternate between the test skin and the second skin.
//   - BM_SkinSwitchFormAlone: the same for the skinned form with no controls: x_peer, goal 1.5x.
// Every control has a size of its own (no two of the hundred alike), as on a real form, so that no face
// drawn for one control serves another.
// Each ratio is taken in alternating rounds and printed with its least and greatest.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/PeerRatio.h"
#include "bench/SkinSwitch.h"
#include "platform/vcl/Forms.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/form/bsSkinForm.h"
#include "tools/mkskin/SkinColours.h"

namespace {

using xj::bench::kSecondSkinIni;
using xj::bench::kTestSkinIni;

struct Kind {
  const char* name;
  std::function<TWinControl*(TForm*, int)> make;  // the i-th control of the kind, its look set
};

AnsiString Caption(const char* base, int i) { return AnsiString(base) + std::to_string(i).c_str(); }

// A control on the form, so that what follows may need its window.
template <class C>
C* New(TForm* f) {
  auto* c = new C(f);
  c->SetParent(f);
  return c;
}

void Fill(TStrings* items, int n) {
  for (int k = 0; k < n; ++k) items->Add(Caption("线路 ", k));
}

const std::vector<Kind>& Kinds() {
  static const std::vector<Kind> kinds = {
    { "button",
      [](TForm* f, int i) {
        auto* c = New<TbsSkinButton>(f);
        c->SetCaption(Caption("按钮", i));
        return c;
      } },
    { "edit",
      [](TForm* f, int i) {
        auto* c = New<TbsSkinEdit>(f);
        c->SetText(Caption("编辑 ", i));
        return c;
      } },
    { "listbox",
      [](TForm* f, int) {
        auto* c = New<TbsSkinListBox>(f);
        Fill(c->Items(), 8);
        return c;
      } },
    { "combobox",
      [](TForm* f, int) {
        auto* c = New<TbsSkinComboBox>(f);
        Fill(c->Items(), 8);
        c->SetItemIndex(1);
        return c;
      } },
    { "checkbox",
      [](TForm* f, int i) {
        auto* c = New<TbsSkinCheckRadioBox>(f);
        c->SetCaption(Caption("选项", i));
        c->SetChecked(i % 2 == 0);
        return c;
      } },
    { "panel",
      [](TForm* f, int i) {
        auto* c = New<TbsSkinPanel>(f);
        c->SetCaption(Caption("面板", i));
        return c;
      } },
    { "gauge",
      [](TForm* f, int i) {
        auto* c = New<TbsSkinGauge>(f);
        c->SetMaxValue(100);
        c->SetValue(i * 10);
        return c;
      } },
    { "trackbar",
      [](TForm* f, int i) {
        auto* c = New<TbsSkinTrackBar>(f);
        c->SetMaxValue(10);
        c->SetValue(i);
        return c;
      } },
    { "memo",
      [](TForm* f, int) {
        auto* c = New<TbsSkinMemo>(f);
        Fill(c->Lines(), 6);
        return c;
      } },
    { "scrollbar",
      [](TForm* f, int) {
        auto* c = New<TbsSkinScrollBar>(f);
        return c;
      } },
  };
  return kinds;
}

// The form, its skin, and the controls row by row.
struct Scene {
  explicit Scene(bool withControls = true) {
    setenv("XJ_DISPLAY", "headless", 0);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, kWidth, kHeight);
    form->SetBorderStyle(bsSizeable);
    form->SetCaption("线路录音检测系统");
    skin = new TbsSkinData(form.get());
    skin->LoadFromFile(kTestSkinIni);
    frame = new RurIvozedevUzivEred(form.get());
    frame->SetSkinData(skin);
    const std::vector<Kind>& kinds = Kinds();
    for (size_t k = 0; withControls && k < kinds.size(); ++k) {
      rows.emplace_back();
      for (int i = 0; i < 10; ++i) {
        TWinControl* c = kinds[k].make(form.get(), i);
        c->SetBounds(i * 78 + 2, int(k) * 54 + 2, 74 - i, 50 - (int(k) + i) % 10);
        SetSkin(c, skin);
        rows.back().push_back(c);
      }
    }
    form->Show();
    Application->ProcessMessages();
    whole.SetSize(kWidth, kHeight);
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
  void Blit(HWND to, int x, int y, int w, int h) {
    HDC dc = GetWindowDC(to);
    BitBlt(dc, 0, 0, w, h, whole.Canvas()->Handle(), x, y, SRCCOPY);
    ReleaseDC(to, dc);
  }
  void BlitWhole() { Blit(form->Handle(), 0, 0, kWidth, kHeight); }
  void RepaintRow(size_t k) {
    for (TWinControl* c : rows[k])
      RedrawWindow(c->Handle(), nullptr, nullptr,
                   RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  void BlitRow(size_t k) {
    for (TWinControl* c : rows[k]) Blit(c->Handle(), 0, 0, c->Width(), c->Height());
  }
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

  static constexpr int kWidth = 800, kHeight = 600;
  std::unique_ptr<TForm> form;
  TbsSkinData* skin {};
  RurIvozedevUzivEred* frame {};
  std::vector<std::vector<TWinControl*>> rows;
  TBitmap whole;
  bool second {};
};

void BM_RepaintFormWith100Controls(benchmark::State& state) {
  Scene scene;
  scene.Repaint();
  if (!scene.Skinned()) state.SkipWithError("the controls do not show the test skin");
  for (auto _ : state) scene.Repaint();
  state.SetItemsProcessed(state.iterations() * Scene::kWidth * Scene::kHeight);
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Repaint(); }, [&] { scene.BlitWhole(); });
  for (size_t k = 0; k < scene.rows.size(); ++k)
    state.counters[std::string("x_") + Kinds()[k].name] =
        xj::bench::PeerRatio([&] { scene.RepaintRow(k); }, [&] { scene.BlitRow(k); }, 3).median;
}
BENCHMARK(BM_RepaintFormWith100Controls)->Unit(benchmark::kMicrosecond);

void BM_SkinSwitchFormWith100KindsOfControls(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) scene.Switch();
  xj::bench::LoadAlone alone;
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Switch(); }, [&] { alone(); });
}
BENCHMARK(BM_SkinSwitchFormWith100KindsOfControls)->Unit(benchmark::kMillisecond);

void BM_SkinSwitchFormAlone(benchmark::State& state) {
  Scene scene(false);
  for (auto _ : state) scene.Switch();
  xj::bench::LoadAlone alone;
  xj::bench::PeerRatio(
      state, "x_peer", [&] { scene.Switch(); }, [&] { alone(); });
}
BENCHMARK(BM_SkinSwitchFormAlone)->Unit(benchmark::kMillisecond);

}  // namespace
