// Lists, trees and memos, plain and skinned, holding N = 10,000 and 100,000 items beside the same control
// holding 100, filled one item at a time without BeginUpdate (the way a log grows all day). Each benchmark
// prints, as ratios of the big control's time to the small one's (alternating rounds, median with its
// least and greatest), the cost of:
//   - x_100_insert: inserting an item in the middle (a sorted list places it there itself) and deleting it;
//   - x_100_delfirst: deleting the first item and appending one;
//   - x_100_paint: appending an item, repainting the control, and deleting the first item;
//   - x_100_type (memos): typing a character and a line break at the end, and taking both back;
// and fill_s, the seconds (thread CPU) filling the N items took. Goal: every ratio at most 2 at 100,000,
// and fill_s under 1 at 100,000. The loop itself does nothing worth reading: the figures are the counters.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "bench/PeerRatio.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls_listview.h"
#include "skin/controls/bsSkinCtrls_views.h"

namespace {

const std::string kTestSkin = std::string(XJ_TEST_SKIN_DIR) + "/test/skin.ini";

enum Kind {
  kListBox,
  kSortedListBox,
  kMemo,
  kTreeView,
  kListIcon,
  kListSmallIcon,
  kListList,
  kListReport,
  kSkinListBox,
  kSkinCheckListBox,
  kSkinMemo,
  kSkinTreeView,
  kSkinListView,
  kSortedTreeView,
  kSkinListBoxWide,  // with HorizontalExtent: the sideways bar spans the widest item
};

const char* const kKindNames[] = { "listbox",           "sorted_listbox",  "memo",
                                   "treeview",          "listview_icon",   "listview_small",
                                   "listview_list",     "listview_report", "skin_listbox",
                                   "skin_checklistbox", "skin_memo",       "skin_treeview",
                                   "skin_listview",     "sorted_treeview", "skin_listbox_wide" };

// Increasing keys of one length, so that sorted lists append at the end and pages look alike at any N.
AnsiString Key(int k) {
  char s[32];
  snprintf(s, sizeof s, "item %07d", k);
  return s;
}

// A shown form holding one control of the kind, filled with n items one at a time.
class Scene {
 public:
  Scene(Kind kind, int n) : FMiddleAt(n / 2 + 1) {
    setenv("XJ_DISPLAY", "headless", 0);
    FForm = std::make_unique<TForm>(nullptr);
    FForm->SetBounds(0, 0, 420, 330);
    TbsSkinData* skin = nullptr;
    if ((kind >= kSkinListBox && kind <= kSkinListView) || kind == kSkinListBoxWide) {
      skin = new TbsSkinData(FForm.get());
      skin->LoadFromFile(kTestSkin);
    }
    Make(kind, skin);
    FControl->SetParent(FForm.get());
    FControl->SetBounds(7, 5, 397, 281);
    FForm->Show();
    Application->ProcessMessages();
    const double start = xj::bench::CpuSeconds();
    for (int i = 0; i < n; ++i) Append();
    FFillSeconds = xj::bench::CpuSeconds() - start;
    Application->ProcessMessages();
  }

  double FillSeconds() const { return FFillSeconds; }

  void InsertInTheMiddle() {
    if (FStrings) {
      const int middle = FStrings->Count() / 2;
      // Sorted: a key right after the middle item's, which the list places after it.
      const int at =
          FSorted ? FStrings->Add(FStrings->Strings(middle) + "m") : (FStrings->Insert(middle, "inserted"), middle);
      FStrings->Delete(at);
    } else if (FTree) {
      // Sorted: a text right after the middle node's, which the view moves after it.
      for (; FMiddleBehind > 0; --FMiddleBehind) FMiddleNode = FMiddleNode->GetNextSibling();
      FTree->Items()->Delete(FTree->Items()->Insert(FMiddleNode, FSorted ? FMiddleNode->Text() + "m" : "inserted"));
    } else {
      const int middle = FList->Items()->Count() / 2;
      FList->Items()->Insert(middle)->SetCaption("inserted");
      FList->Items()->Delete(middle);
    }
  }

  void DeleteFirst() {
    DeleteFirstOnly();
    Append();
  }

  void AppendAndPaint() {
    Append();
    RedrawWindow(FControl->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DeleteFirstOnly();
  }

  // Memos: a character and a line break typed at the end, then both taken back.
  void TypeAtTheEnd() {
    HWND h = FMemo->Handle();
    SendMessageA(h, EM_SETSEL, (WPARAM)-1, -1);
    SendMessageA(h, WM_CHAR, 'x', 0);
    SendMessageA(h, WM_CHAR, VK_RETURN, 0);
    SendMessageA(h, WM_CHAR, VK_BACK, 0);
    SendMessageA(h, WM_CHAR, VK_BACK, 0);
  }

  bool IsMemo() const { return FMemo != nullptr; }

 private:
  void Make(Kind kind, TbsSkinData* skin) {
    TForm* f = FForm.get();
    switch (kind) {
      case kListBox:
      case kSortedListBox: {
        auto* c = new TListBox(f);
        c->SetSorted(kind == kSortedListBox);
        FSorted = kind == kSortedListBox;
        FControl = c;
        FStrings = c->Items();
        break;
      }
      case kMemo: {
        auto* c = new TMemo(f);
        FControl = FMemo = c;
        FStrings = c->Lines();
        break;
      }
      case kTreeView:
      case kSortedTreeView:
        FControl = FTree = new TTreeView(f);
        FSorted = kind == kSortedTreeView;
        if (FSorted) FTree->SetSortType(stText);
        break;
      case kListIcon:
      case kListSmallIcon:
      case kListList:
      case kListReport: {
        auto* c = new TListView(f);
        const TViewStyle styles[] = { vsIcon, vsSmallIcon, vsList, vsReport };
        c->SetViewStyle(styles[kind - kListIcon]);
        c->Columns()->Add()->SetWidth(150);
        FControl = FList = c;
        break;
      }
      case kSkinListBox:
      case kSkinListBoxWide: {
        auto* c = new TbsSkinListBox(f);
        c->SetSkinData(skin);
        c->SetHorizontalExtent(kind == kSkinListBoxWide);
        FControl = c;
        FStrings = c->Items();
        break;
      }
      case kSkinCheckListBox: {
        auto* c = new TbsSkinCheckListBox(f);
        c->SetSkinData(skin);
        FControl = c;
        FStrings = c->Items();
        break;
      }
      case kSkinMemo: {
        auto* c = new TbsSkinMemo(f);
        c->SetSkinData(skin);
        FControl = FMemo = c;
        FStrings = c->Lines();
        break;
      }
      case kSkinTreeView: {
        auto* c = new TbsSkinTreeView(f);
        c->SetSkinData(skin);
        FControl = FTree = c;
        break;
      }
      case kSkinListView: {
        auto* c = new TbsSkinListView(f);
        c->SetSkinData(skin);
        c->SetViewStyle(vsReport);
        c->Columns()->Add()->SetWidth(150);
        FControl = FList = c;
        break;
      }
    }
  }

  void Append() {
    const AnsiString key = Key(FNext++);
    if (FStrings) {
      FStrings->Add(key);
    } else if (FTree) {
      TTreeNode* node = FTree->Items()->Add(nullptr, key);
      if (++FTreeCount == FMiddleAt) FMiddleNode = node;
    } else {
      FList->Items()->Add()->SetCaption(key);
    }
  }

  void DeleteFirstOnly() {
    if (FStrings)
      FStrings->Delete(0);
    else if (FTree) {
      ++FMiddleBehind;
      FTree->Items()->Delete(FTree->Items()->GetFirstNode());
    } else
      FList->Items()->Delete(0);
  }

  std::unique_ptr<TForm> FForm;
  TWinControl* FControl {};
  TStrings* FStrings {};
  TCustomMemo* FMemo {};
  TCustomTreeView* FTree {};
  TCustomListView* FList {};
  bool FSorted { false };
  int FNext { 0 };
  int FTreeCount { 0 };
  // The tree's middle node, moving on by one as the first goes and one more is appended. It moves when
  // an insert needs it, so that a delete touches no node but the first (a node in the middle of 100,000
  // is as far from the processor's caches as the first, and would double what a delete is seen to cost).
  int FMiddleAt;
  double FFillSeconds { 0 };
  TTreeNode* FMiddleNode {};
  int FMiddleBehind { 0 };
};

void BM_Scale(benchmark::State& state) {
  const auto kind = static_cast<Kind>(state.range(0));
  const int n = static_cast<int>(state.range(1));
  Scene big(kind, n), small(kind, 100);
  state.SetLabel(kKindNames[kind]);
  for (auto _ : state) big.InsertInTheMiddle();
  state.counters["fill_s"] = big.FillSeconds();
  xj::bench::PeerRatio(
      state, "x_100_insert", [&] { big.InsertInTheMiddle(); }, [&] { small.InsertInTheMiddle(); });
  xj::bench::PeerRatio(
      state, "x_100_delfirst", [&] { big.DeleteFirst(); }, [&] { small.DeleteFirst(); });
  xj::bench::PeerRatio(
      state, "x_100_paint", [&] { big.AppendAndPaint(); }, [&] { small.AppendAndPaint(); });
  if (big.IsMemo())
    xj::bench::PeerRatio(
        state, "x_100_type", [&] { big.TypeAtTheEnd(); }, [&] { small.TypeAtTheEnd(); });
}

void Kinds(benchmark::internal::Benchmark* b) {
  for (int kind = kListBox; kind <= kSkinListBoxWide; ++kind)
    for (int n : { 10000, 100000 }) b->Args({ kind, n });
  b->ArgNames({ "kind", "n" });
}
BENCHMARK(BM_Scale)->Apply(Kinds)->Iterations(1)->Unit(benchmark::kMicrosecond);

}  // namespace
