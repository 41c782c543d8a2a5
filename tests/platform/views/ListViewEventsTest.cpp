// TListView's handlers doing what an application may do from them: freeing the view, clearing or
// deleting items, while the view is in the middle of selecting, painting, editing, showing a tip or
// sorting; OnDeletion at the view's end; a hot row once HotTrack is off.

#include <algorithm>
#include <memory>
#include <set>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ImgList.h"
#include "platform/win32/CommCtrl.h"
#include "tests/platform/views/HeaderListTestUtil.h"

using namespace viewtest;

namespace {

class ListViewEventsTest : public StockTest {
 protected:
  void SetUp() override {
    StockTest::SetUp();
    Fresh();
  }
  // A new form and view of five items; the last ones go.
  void Fresh() {
    delete form;
    form = NewForm(100, 100, 400, 300);
    lv = NewReportView<TListView>(form);
    for (const char* caption : { "Name", "Size" }) lv->Columns()->Add()->SetCaption(caption);
    for (const char* caption : { "alpha", "beta", "gamma", "delta", "epsilon" }) {
      TListItem* item = lv->Items()->Add();
      item->SetCaption(caption);
      item->SubItems()->Add(caption);
    }
    life = lv->LifeToken();
    form->Show();
    xt::PumpUntilIdle();
  }
  std::vector<AnsiString> Captions() {
    std::vector<AnsiString> out;
    for (int i = 0; i < lv->Items()->Count(); ++i) out.push_back(lv->Items()->Item(i)->Caption());
    return out;
  }
  RECT Label(int i) {
    RECT r { LVIR_LABEL, 0, 0, 0 };
    lv->Perform(LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  TListView* lv {};
  std::weak_ptr<const void> life;
};

enum Action { Clear, DeleteFirst, Free };

// What a handler does once: the view's items or the view go.
void Act(TListView* v, Action a) {
  if (a == Clear) v->Items()->Clear();
  if (a == DeleteFirst) v->Items()->Delete(0);
  if (a == Free) delete v;
}

TEST_F(ListViewEventsTest, SelectingFromCodeSurvivesStateHandlersThatClearDeleteOrFreeTheView) {
  for (const char* event : { "OnChange", "OnSelectItem", "OnChanging" })
    for (Action action : { Clear, DeleteFirst, Free })
      for (bool byIndex : { true, false }) {
        SCOPED_TRACE(std::string(event) + " " + std::to_string(action) + (byIndex ? " ItemIndex" : " Selected"));
        Fresh();
        lv->Items()->Item(1)->SetSelected(true);
        int told = 0;
        auto once = [&, action] {
          if (told++ == 0) Act(lv, action);
        };
        if (std::string(event) == "OnChange")
          lv->OnChange = On<TLVChangeEvent>([&](TObject*, TListItem*, TItemChange) { once(); });
        else if (std::string(event) == "OnSelectItem")
          lv->OnSelectItem = On<TLVSelectItemEvent>([&](TObject*, TListItem*, bool) { once(); });
        else
          lv->OnChanging = On<TLVChangingEvent>([&](TObject*, TListItem*, TItemChange, bool&) { once(); });
        if (byIndex)
          lv->SetItemIndex(3);
        else
          lv->SetSelected(lv->Items()->Item(3));
        EXPECT_GE(told, 1);
        EXPECT_EQ(life.expired(), action == Free);
        if (action == Free) continue;
        EXPECT_EQ(lv->Items()->Count(), action == Clear ? 0 : 4);
        // The row that was asked for holds another item now: it is not selected in its place.
        EXPECT_EQ(lv->ItemIndex(), -1);
      }
}

TEST_F(ListViewEventsTest, OwnerDataViewFreedFromOnDataOrOnGetSubItemImageWhileItPaints) {
  auto images = std::make_unique<TImageList>(nullptr);
  for (bool fromImage : { false, true }) {
    SCOPED_TRACE(fromImage ? "OnGetSubItemImage" : "OnData");
    Fresh();
    lv->SetSmallImages(images.get());  // sub-items' images are asked for only with small images
    lv->SetOwnerData(true);
    lv->Items()->SetCount(50);
    int rows = 0, asked = 0;
    lv->OnData = On<TLVOwnerDataEvent>([&](TObject*, TListItem* item) {
      item->SetCaption("row " + std::to_string(item->Index()));
      item->SubItems()->Add("sub");
      if (!fromImage && ++rows == 3) delete lv;
    });
    lv->OnGetSubItemImage = On<TLVSubItemImageEvent>([&](TObject*, TListItem*, int, int&) {
      if (fromImage && ++asked == 2) delete lv;
    });
    lv->Invalidate();
    xt::PumpUntilIdle();
    EXPECT_TRUE(life.expired());
    EXPECT_EQ(fromImage ? asked : rows, fromImage ? 2 : 3);  // nothing more was asked of a freed view
    form->Invalidate();
    xt::PumpUntilIdle();
  }
}

TEST_F(ListViewEventsTest, OnEditedAndOnInfoTipMayDeleteTheItemOrClearTheItems) {
  for (Action action : { DeleteFirst, Clear, Free }) {
    SCOPED_TRACE(action);
    Fresh();
    lv->OnEdited = On<TLVEditedEvent>([&](TObject*, TListItem*, AnsiString& s) {
      Act(lv, action);
      s = "kept?";
    });
    lv->SetFocus();
    ASSERT_TRUE(lv->Items()->Item(0)->EditCaption());
    xt::TypeText("x");
    Press(VK_RETURN);
    EXPECT_EQ(life.expired(), action == Free);
    const std::vector<AnsiString> left { "beta", "gamma", "delta", "epsilon" };
    if (action != Free) {
      EXPECT_EQ(Captions(), action == Clear ? std::vector<AnsiString> {} : left);
    }
  }
  for (Action action : { DeleteFirst, Clear, Free }) {
    SCOPED_TRACE(action);
    Fresh();
    lv->SetShowHint(true);
    lv->SetHoverTime(100);
    int asked = 0;
    lv->OnInfoTip = On<TLVInfoTipEvent>([&](TObject*, TListItem*, AnsiString& tip) {
      ++asked;
      Act(lv, action);
      tip = "gone";
    });
    const RECT r = Label(0);
    MoveTo(lv, r.left + 3, r.top + 3);
    xt::Advance(100);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(life.expired(), action == Free);
    THintWindow* w = Application->HintWindow();
    EXPECT_FALSE(w && w->HandleAllocated() && IsWindowVisible(w->Handle()) && w->Caption() == "gone");
    Application->CancelHint();
  }
}

TEST_F(ListViewEventsTest, AlphaSortRefusesItemChangesFromOnCompareAndSurvivesAnyAnswers) {
  const std::vector<AnsiString> before = Captions();
  for (Action action : { Clear, DeleteFirst }) {
    lv->OnCompare = On<TLVCompareEvent>([&](TObject*, TListItem*, TListItem*, int, int&) { Act(lv, action); });
    EXPECT_THROW(lv->AlphaSort(), EListError);
    EXPECT_EQ(Captions(), before);  // nothing changed, nothing lost
  }
  // Answers that contradict one another: some order of the same items.
  int n = 0;
  lv->OnCompare = On<TLVCompareEvent>([&](TObject*, TListItem*, TListItem*, int, int& c) { c = (n++ % 3) - 1; });
  for (int k = 0; k < 20; ++k) lv->Items()->Add()->SetCaption("more");
  EXPECT_TRUE(lv->AlphaSort());
  std::vector<AnsiString> after = Captions(), all = before;
  all.insert(all.end(), 20, "more");
  std::sort(after.begin(), after.end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(after, all);
  // Freed while sorting: an error, and the freed view left alone.
  lv->OnCompare = On<TLVCompareEvent>([&](TObject*, TListItem*, TListItem*, int, int&) { delete lv; });
  EXPECT_THROW(lv->AlphaSort(), EListError);
  EXPECT_TRUE(life.expired());
}

TEST_F(ListViewEventsTest, OnDeletionHearsOfEveryItemWhenTheViewIsDestroyed) {
  std::vector<AnsiString> told;
  int counted = -1;
  for (int i = 0; i < lv->Items()->Count(); ++i) lv->Items()->Item(i)->SetData(new int(i));
  lv->OnDeletion = On<TLVDeletedEvent>([&](TObject* sender, TListItem* item) {
    told.push_back(item->Caption() + "/" + item->SubItems()->Strings(0));
    delete static_cast<int*>(item->Data());  // an application's data behind the item
    counted = static_cast<TCustomListView*>(sender)->Items()->Count();
    static_cast<TCustomListView*>(sender)->Items()->Clear();  // refused, reported, and the next still told
  });
  delete lv;
  EXPECT_EQ(told,
            (std::vector<AnsiString> { "alpha/alpha", "beta/beta", "gamma/gamma", "delta/delta", "epsilon/epsilon" }));
  EXPECT_EQ(counted, 0);
}

TEST_F(ListViewEventsTest, NoRowIsHotOnceHotTrackIsOff) {
  std::vector<int> hot;
  lv->OnCustomDrawItem = On<TLVCustomDrawItemEvent>([&](TCustomListView*, TListItem* item, TCustomDrawState s, bool&) {
    if (s.Contains(cdsHot)) hot.push_back(item->Index());
  });
  lv->SetHotTrack(true);
  const RECT r = Label(2);
  MoveTo(lv, r.left + 3, r.top + 3);
  xt::PumpUntilIdle();
  lv->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(std::set<int>(hot.begin(), hot.end()), std::set<int> { 2 });
  hot.clear();
  lv->SetHotTrack(false);
  lv->Invalidate();
  xt::PumpUntilIdle();
  EXPECT_EQ(hot, std::vector<int> {});
}

}  // namespace
