// Every skinned control class freed from inside each of its own events, set off as a user would (mouse,
// keys, typing, a pick in a drop-down list, a paint): the handler deletes the control and the program goes
// on pumping, clicking and ticking around where it was. Nothing may touch the freed control afterwards;
// the sanitizer build reports any such touch.

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/vcl/ImgList.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinCtrls_textlabel.h"
#include "skin/controls/bsSkinTabs.h"
#include "tests/skin/controls/SkinControlsTestSupport.h"

using namespace skinctl;

namespace {

class FreedByOwnEventTest : public SkinControlsTest {
 public:
  using SkinControlsTest::Press;  // through the application's loop, for accelerators
};

using Kill = std::function<void()>;
using Arm = std::function<void(TControl*, const Kill&)>;
using Fire = std::function<void(TControl*)>;

struct Case {
  std::string Name;
  std::function<TControl*(TForm*, TbsSkinData*)> Make;
  Arm ArmIt;
  Fire FireIt;
};

// A handler of event type E that frees the control. It copies what it needs first: the closure it runs in
// goes with the control. One per event type, not one per class and event: each is costly to compile.
template <class E>
E Freeing(const Kill& kill) {
  return E::FromCallable([kill](auto&&...) {
    const Kill k = kill;
    k();
  });
}

// Assigns that handler to the event field.
template <class T, class E, class Owner>
Arm Handler(E Owner::*Field) {
  return [Field](TControl* c, const Kill& kill) {
    auto* t = dynamic_cast<T*>(c);
    ASSERT_NE(t, nullptr);
    t->*Field = Freeing<E>(kill);
  };
}

template <class T>
TControl* Make(TForm* Form, TbsSkinData* Skin) {
  auto* c = new T(Form);
  c->SetParent(Form);
  c->SetCaption("Caption");
  c->SetBounds(20, 20, 160, 90);
  if constexpr (requires { c->SetSkinData(Skin); }) c->SetSkinData(Skin);
  if constexpr (requires { c->Items()->Add("x"); })
    for (const char* s : { "one", "two", "three", "four" }) c->Items()->Add(s);
  if constexpr (std::is_same_v<T, TbsSkinTextLabel>) {
    TStringList lines;
    lines.Add("Caption");
    c->SetLines(&lines);
  }
  return c;
}

void Centre(TControl* c, int dx = 0, int dy = 0) {
  const TPoint p = c->ClientToScreen(TPoint(c->Width() / 2 + dx, c->Height() / 2 + dy));
  xt::MouseMove(p.X, p.Y);
}

void FocusIt(TControl* c) {
  if (auto* w = dynamic_cast<TWinControl*>(c); w && w->CanFocus()) w->SetFocus();
  xt::PumpUntilIdle();
}

void PressCentre(TControl* c) {
  const TPoint p = c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2));
  xt::MouseMove(p.X, p.Y);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
}

void ClickCentre(TControl* c) {
  const TPoint p = c->ClientToScreen(TPoint(c->Width() / 2, c->Height() / 2));
  xt::MouseMove(p.X, p.Y);
  xt::Click(p.X, p.Y);
}

void KeyTo(TControl* c, UINT Vk) {
  FocusIt(c);
  xt::KeyPress(Vk);
}

void TypeTo(TControl* c) {
  FocusIt(c);
  xt::TypeText("a");
}

// A click on a control that takes the focus from it (turned on where a class leaves it off).
template <class T>
void ClickToFocus(TControl* c) {
  if constexpr (requires(T * t) { t->SetCanFocused(true); }) dynamic_cast<T*>(c)->SetCanFocused(true);
  ClickCentre(c);
}

// Other bounds, as a program or its form's alignment gives them.
void Resized(TControl* c) { c->SetBounds(22, 24, 190, 111); }

// The events every control has, those Which names: mouse Down, Up, Move, Click; keys d(own), p(ress), u(p)
// and e(nter) from a click for a windowed control. A composite control leaves out what its inner controls
// take, and one that a click does not focus leaves out e. R(esize) comes from a new size: left out where the
// skin fixes the size.
template <class T>
void Common(std::vector<Case>& Cases, const std::string& Class, std::string_view Which = "DUMCRdpue") {
  auto add = [&](char letter, const char* ev, Arm arm, Fire fire) {
    if (Which.find(letter) != std::string_view::npos) Cases.push_back({ Class + "." + ev, Make<T>, arm, fire });
  };
  add('D', "OnMouseDown", Handler<T>(&T::OnMouseDown), PressCentre);
  add('U', "OnMouseUp", Handler<T>(&T::OnMouseUp), ClickCentre);
  add('M', "OnMouseMove", Handler<T>(&T::OnMouseMove), [](TControl* c) { Centre(c, 3, 2); });
  add('C', "OnClick", Handler<T>(&T::OnClick), ClickCentre);
  add('R', "OnResize", Handler<T>(&T::OnResize), Resized);
  if constexpr (std::is_base_of_v<TWinControl, T>) {
    add('d', "OnKeyDown", Handler<T>(&T::OnKeyDown), [](TControl* c) { KeyTo(c, VK_DOWN); });
    add('u', "OnKeyUp", Handler<T>(&T::OnKeyUp), [](TControl* c) { KeyTo(c, VK_DOWN); });
    add('p', "OnKeyPress", Handler<T>(&T::OnKeyPress), TypeTo);
    add('e', "OnEnter.click", Handler<T>(&T::OnEnter), ClickToFocus<T>);
  }
}

// One more event of a class, set off by Fire.
template <class T>
void Own(std::vector<Case>& Cases, const std::string& Name, Arm ArmIt, Fire FireIt) {
  Cases.push_back({ Name, Make<T>, std::move(ArmIt), std::move(FireIt) });
}

void ClickPoint(TControl* c, int x, int y) {
  const TPoint p = c->ClientToScreen(TPoint(x, y));
  xt::MouseMove(p.X, p.Y);
  xt::Click(p.X, p.Y);
}

// The first row of a skinned list box, where the inner list is.
void ClickFirstRow(TControl* c) {
  auto* l = dynamic_cast<TbsSkinCustomListBox*>(c)->ListBox();
  const TRect r = l->ItemRect(1);
  ClickPoint(l, r.Left + 5, (r.Top + r.Bottom) / 2);
}

// A press of Button on a list frame's own edge, left of the inner list (on the inner list's first row when
// Row), pressed twice when Twice.
Fire OnFrameEdge(xt::Button Button, bool Twice = false, bool Row = false) {
  return [Button, Twice, Row](TControl* c) {
    auto* l = dynamic_cast<TbsSkinCustomListBox*>(c)->ListBox();
    ASSERT_GT(l->Left(), 0) << "the inner list covers the frame's edge";
    const TRect r = l->ItemRect(1);
    const TPoint p = Row ? l->ClientToScreen(TPoint(r.Left + 5, (r.Top + r.Bottom) / 2))
                         : c->ClientToScreen(TPoint(l->Left() / 2, c->Height() / 2));
    xt::MouseMove(p.X, p.Y);
    if (Twice)
      xt::DoubleClick(p.X, p.Y, Button);
    else
      xt::Click(p.X, p.Y, Button);
  };
}

// The events a list frame fires for a press on its own edge and on its inner list, with every button.
template <class T>
void FrameEdge(std::vector<Case>& Cases, const std::string& Class) {
  const std::pair<const char*, xt::Button> buttons[] = { { "left", xt::mbLeft },
                                                         { "right", xt::mbRight },
                                                         { "middle", xt::mbMiddle } };
  for (const auto& [name, b] : buttons) {
    Own<T>(Cases, Class + ".OnMouseDown.edge." + name, Handler<T>(&T::OnMouseDown), OnFrameEdge(b));
    Own<T>(Cases, Class + ".OnMouseUp.edge." + name, Handler<T>(&T::OnMouseUp), OnFrameEdge(b));
    Own<T>(Cases, Class + ".OnMouseUp.edge.twice." + name, Handler<T>(&T::OnMouseUp), OnFrameEdge(b, true));
    Own<T>(Cases, Class + ".OnListBoxMouseDown." + name, Handler<T>(&T::OnListBoxMouseDown),
           OnFrameEdge(b, false, true));
    Own<T>(Cases, Class + ".OnListBoxMouseUp." + name, Handler<T>(&T::OnListBoxMouseUp), OnFrameEdge(b, false, true));
  }
  Own<T>(Cases, Class + ".OnListBoxDblClick", Handler<T>(&T::OnListBoxDblClick), OnFrameEdge(xt::mbLeft, true, true));
  Own<T>(Cases, Class + ".OnClick.edge", Handler<T>(&T::OnClick), OnFrameEdge(xt::mbLeft));
  Own<T>(Cases, Class + ".OnDblClick.edge", Handler<T>(&T::OnDblClick), OnFrameEdge(xt::mbLeft, true));
}

// Opens a combo's list with its button and picks the second row.
void PickFromList(TControl* c) {
  auto* combo = dynamic_cast<TbsSkinCustomComboBox*>(c);
  FocusIt(combo);
  const TRect b = combo->ButtonRect();
  ClickPoint(combo, (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
  TbsListBox* l = combo->PopupList()->ListBox();
  const TRect r = l->ItemRect(1);
  ClickPoint(l, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

// Asks the control and every window inside it to paint again, as uncovering it does.
void PaintAgain(TControl* c) {
  if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated())
    RedrawWindow(w->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  else
    c->Invalidate();
  xt::PumpUntilIdle();
}

// The middle of a rectangle of c's client area, clicked.
void ClickRect(TControl* c, const TRect& r) { ClickPoint(c, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }

// Clicks caption button I of a list frame (up, down, check), the caption turned on and a row current.
Fire OnCaptionButton(int I) {
  return [I](TControl* c) {
    auto* l = dynamic_cast<TbsSkinCustomListBox*>(c);
    l->SetCaptionMode(true);
    l->SetItemIndex(1);
    PaintAgain(l);
    ASSERT_FALSE(IsNullRect(l->Buttons(I).R));
    ClickRect(l, l->Buttons(I).R);
  };
}

// Holds the left button on a rectangle of c's client area until the press repeats.
void HoldRect(TControl* c, const TRect& r) {
  const TPoint p = c->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  xt::MouseMove(p.X, p.Y);
  xt::MouseDown(xt::mbLeft, p.X, p.Y);
  xt::Advance(TbsArrowPair::kFirstWait + TbsArrowPair::kRepeatInterval);
  xt::PumpUntilIdle();
}

// A key and a character typed into the focused window inside c.
void KeyInto(TWinControl* inner) {
  FocusIt(inner);
  xt::KeyPress(VK_END);
  xt::TypeText("5");
}

// Clicks the first day shown in a month calendar whose number is not Skip, found off its laid-out grid.
void ClickDayBut(TbsSkinMonthCalendar* m, int Skip) {
  for (int y = 0; y < m->ClientHeight(); y += 2)
    for (int x = 0; x < m->ClientWidth(); x += 2)
      if (const int day = m->DayNumFromPoint(x, y); day != 0 && day != Skip) {
        ClickPoint(m, x, y);
        return;
      }
  ADD_FAILURE() << "no day cell in the calendar";
}

void ClickADay(TControl* c) {
  auto* m = dynamic_cast<TbsSkinMonthCalendar*>(c);
  m->SetBounds(10, 10, 260, 200);
  xt::PumpUntilIdle();
  ClickDayBut(m, 0);
}

// Drops a date edit's calendar down and picks a day other than the edit's.
void PickADay(TControl* c) {
  auto* d = dynamic_cast<TbsSkinDateEdit*>(c);
  FocusIt(d);
  d->DropDown();
  xt::PumpUntilIdle();
  WORD year = 0, month = 0, today = 0;
  DecodeDate(d->MonthCalendar()->Date(), year, month, today);
  ClickDayBut(d->MonthCalendar(), today);
}

// Drops a track edit's bar down and drags its thumb along.
void DragTheDroppedBar(TControl* c) {
  auto* t = dynamic_cast<TbsSkinTrackEdit*>(c);
  FocusIt(t);
  t->DropDown();
  xt::PumpUntilIdle();
  TbsSkinPopupTrackBar* bar = t->PopupTrackBar();
  ASSERT_TRUE(bar->Visible());
  const TRect r = bar->ThumbRect();
  const TPoint p = bar->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  xt::Drag(p.X, p.Y, p.X + 30, p.Y);
}

// The skin-change walks over the control's form, as the form engine runs them for a new skin (here the
// same one again): every control forgets its skin, then takes it up anew.
void NewSkin(TControl* c) {
  TbsSkinData* data = dynamic_cast<IbsSkinChangeTarget*>(c)->SkinData();
  BeforeChangeSkinDataWalk(GetParentForm(c), data);
  ChangeSkinDataWalk(GetParentForm(c), data);
}

// An image list of one 8-pixel image, owned by the form.
TImageList* OneImage(TControl* c) {
  auto* images = new TImageList(c->Owner());
  images->SetWidth(8);
  images->SetHeight(8);
  TBitmap b;
  b.SetWidth(8);
  b.SetHeight(8);
  images->Add(&b, nullptr);
  return images;
}

// The views' custom-draw and image events, each fired by painting a row (selected, for the tree's
// selected image; in a report with a small image list, for the list's images).
void AddViewDrawCases(std::vector<Case>& cases) {
  using TV = TbsSkinTreeView;
  const Fire paintTree = [](TControl* c) {
    auto* t = dynamic_cast<TV*>(c);
    t->SetImages(OneImage(c));
    t->Items()->Add(nullptr, "node")->SetSelected(true);
    t->Items()->Add(nullptr, "other");
    PaintAgain(c);
  };
  Own<TV>(cases, "TbsSkinTreeView.OnCustomDraw", Handler<TV>(&TV::OnCustomDraw), paintTree);
  Own<TV>(cases, "TbsSkinTreeView.OnAdvancedCustomDraw", Handler<TV>(&TV::OnAdvancedCustomDraw), paintTree);
  Own<TV>(cases, "TbsSkinTreeView.OnCustomDrawItem", Handler<TV>(&TV::OnCustomDrawItem), paintTree);
  Own<TV>(cases, "TbsSkinTreeView.OnAdvancedCustomDrawItem", Handler<TV>(&TV::OnAdvancedCustomDrawItem), paintTree);
  Own<TV>(cases, "TbsSkinTreeView.OnGetImageIndex", Handler<TV>(&TV::OnGetImageIndex), paintTree);
  Own<TV>(cases, "TbsSkinTreeView.OnGetSelectedIndex", Handler<TV>(&TV::OnGetSelectedIndex), paintTree);
  using LV = TbsSkinListView;
  const Fire paintList = [](TControl* c) {
    auto* v = dynamic_cast<LV*>(c);
    v->Columns()->Add()->SetCaption("first");
    v->Columns()->Add()->SetCaption("second");
    v->SetViewStyle(vsReport);
    v->SetSmallImages(OneImage(c));
    TListItem* item = v->Items()->Add();
    item->SetCaption("item");
    item->SubItems()->Add("sub");
    PaintAgain(c);
  };
  Own<LV>(cases, "TbsSkinListView.OnCustomDraw", Handler<LV>(&LV::OnCustomDraw), paintList);
  Own<LV>(cases, "TbsSkinListView.OnAdvancedCustomDraw", Handler<LV>(&LV::OnAdvancedCustomDraw), paintList);
  Own<LV>(cases, "TbsSkinListView.OnCustomDrawItem", Handler<LV>(&LV::OnCustomDrawItem), paintList);
  Own<LV>(cases, "TbsSkinListView.OnAdvancedCustomDrawItem", Handler<LV>(&LV::OnAdvancedCustomDrawItem), paintList);
  Own<LV>(cases, "TbsSkinListView.OnCustomDrawSubItem", Handler<LV>(&LV::OnCustomDrawSubItem), paintList);
  Own<LV>(cases, "TbsSkinListView.OnAdvancedCustomDrawSubItem", Handler<LV>(&LV::OnAdvancedCustomDrawSubItem),
          paintList);
  Own<LV>(cases, "TbsSkinListView.OnGetImageIndex", Handler<LV>(&LV::OnGetImageIndex), paintList);
  Own<LV>(cases, "TbsSkinListView.OnGetSubItemImage", Handler<LV>(&LV::OnGetSubItemImage), paintList);
}

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  Common<TbsSkinButton>(cases, "TbsSkinButton");
  Common<TbsSkinMenuButton>(cases, "TbsSkinMenuButton");
  Common<TbsSkinXFormButton>(cases, "TbsSkinXFormButton");
  Common<TbsSkinScrollBar>(cases, "TbsSkinScrollBar");
  Common<TbsSkinTrackBar>(cases, "TbsSkinTrackBar");
  Common<TbsSkinGauge>(cases, "TbsSkinGauge", "DUMCRdpu");
  Common<TbsSkinStdLabel>(cases, "TbsSkinStdLabel");
  Common<TbsSkinLabel>(cases, "TbsSkinLabel", "DUMCRdpu");
  Common<TbsSkinStatusPanel>(cases, "TbsSkinStatusPanel", "DUMCRdpu");
  Common<TbsSkinPanel>(cases, "TbsSkinPanel", "DUMCRdpu");
  Common<TbsSkinGroupBox>(cases, "TbsSkinGroupBox", "DUMCRdpu");
  Common<TbsSkinCheckRadioBox>(cases, "TbsSkinCheckRadioBox");
  Common<TbsSkinRadioGroup>(cases, "TbsSkinRadioGroup", "CRdpu");
  Common<TbsSkinCheckGroup>(cases, "TbsSkinCheckGroup", "CRdpu");
  Common<TbsSkinSplitter>(cases, "TbsSkinSplitter");
  Common<TbsSkinControlBar>(cases, "TbsSkinControlBar", "DUMCRdpu");
  Common<TbsSkinSpeedButton>(cases, "TbsSkinSpeedButton");
  Common<TbsSkinMenuSpeedButton>(cases, "TbsSkinMenuSpeedButton");
  Common<TbsSkinBevel>(cases, "TbsSkinBevel");
  Common<TbsSkinLinkImage>(cases, "TbsSkinLinkImage");
  Common<TbsSkinLinkLabel>(cases, "TbsSkinLinkLabel");
  Common<TbsSkinTextLabel>(cases, "TbsSkinTextLabel", "DUMCR");
  Common<TbsSkinButtonLabel>(cases, "TbsSkinButtonLabel");
  Common<TbsSkinButtonsBar>(cases, "TbsSkinButtonsBar", "MRdpu");
  Common<TbsSkinTreeView>(cases, "TbsSkinTreeView");
  Common<TbsSkinRichEdit>(cases, "TbsSkinRichEdit");
  Common<TbsSkinHeaderControl>(cases, "TbsSkinHeaderControl", "DUMRdpu");
  Common<TbsSkinListView>(cases, "TbsSkinListView");
  Common<TbsSkinSlider>(cases, "TbsSkinSlider");
  Common<TbsSkinExPanel>(cases, "TbsSkinExPanel", "DUMCRdpu");
  Common<TbsSkinToolBar>(cases, "TbsSkinToolBar", "DUMCRdpu");
  Common<TbsSkinStatusBar>(cases, "TbsSkinStatusBar", "DUMCRdpu");
  Common<TbsSkinNotebook>(cases, "TbsSkinNotebook", "DUMRdpu");
  Common<TbsSkinScrollPanel>(cases, "TbsSkinScrollPanel");
  Common<TbsSkinUpDown>(cases, "TbsSkinUpDown", "DUMCdpu");
  Common<TbsSkinNumEdit>(cases, "TbsSkinNumEdit", "DUMCRu");
  Common<TbsSkinSpinEdit>(cases, "TbsSkinSpinEdit", "Rdpu");
  Common<TbsSkinEdit>(cases, "TbsSkinEdit");
  Common<TbsSkinMaskEdit>(cases, "TbsSkinMaskEdit");
  Common<TbsSkinTimeEdit>(cases, "TbsSkinTimeEdit");
  Common<TbsSkinTrackEdit>(cases, "TbsSkinTrackEdit");
  Common<TbsSkinMemo>(cases, "TbsSkinMemo");
  Common<TbsSkinListBox>(cases, "TbsSkinListBox", "Rdpu");
  Common<TbsSkinCheckListBox>(cases, "TbsSkinCheckListBox", "Rdpu");
  Common<TbsSkinScrollBox>(cases, "TbsSkinScrollBox", "DUMCRdpu");
  Common<TbsSkinMonthCalendar>(cases, "TbsSkinMonthCalendar", "DUMCRdpu");
  Common<TbsSkinDateEdit>(cases, "TbsSkinDateEdit", "DUMCRdu");
  Common<TbsSkinComboBox>(cases, "TbsSkinComboBox", "DUMRdpu");
  Common<TbsSkinColorComboBox>(cases, "TbsSkinColorComboBox", "DUMRdpu");
  Common<TbsSkinFontComboBox>(cases, "TbsSkinFontComboBox", "DUMRdpu");
  Common<TbsSkinPageControl>(cases, "TbsSkinPageControl", "DUMRdpu");
  Common<TbsSkinTabControl>(cases, "TbsSkinTabControl", "DUMRdpu");
  // What each class adds: changes, picks, draw-item, close-up, its own buttons.
  using LB = TbsSkinListBox;
  Own<LB>(cases, "TbsSkinListBox.OnListBoxClick", Handler<LB>(&LB::OnListBoxClick), ClickFirstRow);
  Own<LB>(cases, "TbsSkinListBox.OnListBoxMouseMove", Handler<LB>(&LB::OnListBoxMouseMove), ClickFirstRow);
  FrameEdge<LB>(cases, "TbsSkinListBox");
  using CLB = TbsSkinCheckListBox;
  FrameEdge<CLB>(cases, "TbsSkinCheckListBox");
  Own<LB>(cases, "TbsSkinListBox.OnUpButtonClick", Handler<LB>(&LB::OnUpButtonClick), OnCaptionButton(0));
  Own<LB>(cases, "TbsSkinListBox.OnDownButtonClick", Handler<LB>(&LB::OnDownButtonClick), OnCaptionButton(1));
  Own<LB>(cases, "TbsSkinListBox.OnCheckButtonClick", Handler<LB>(&LB::OnCheckButtonClick), OnCaptionButton(2));
  Own<LB>(cases, "TbsSkinListBox.OnListBoxClick.check", Handler<LB>(&LB::OnListBoxClick), OnCaptionButton(2));
  Own<CLB>(cases, "TbsSkinCheckListBox.OnClickCheck.check", Handler<CLB>(&CLB::OnClickCheck), OnCaptionButton(2));
  Own<CLB>(cases, "TbsSkinCheckListBox.OnClickCheck", Handler<CLB>(&CLB::OnClickCheck), ClickFirstRow);
  Own<CLB>(cases, "TbsSkinCheckListBox.OnListBoxClick", Handler<CLB>(&CLB::OnListBoxClick), ClickFirstRow);
  using CB = TbsSkinComboBox;
  Own<CB>(cases, "TbsSkinComboBox.OnChange.key", Handler<CB>(&CB::OnChange), [](TControl* c) { KeyTo(c, VK_DOWN); });
  Own<CB>(cases, "TbsSkinComboBox.OnClick.key", Handler<CB>(&CB::OnClick), [](TControl* c) { KeyTo(c, VK_DOWN); });
  Own<CB>(cases, "TbsSkinComboBox.OnChange.list", Handler<CB>(&CB::OnChange), PickFromList);
  Own<CB>(cases, "TbsSkinComboBox.OnClick.list", Handler<CB>(&CB::OnClick), PickFromList);
  Own<CB>(cases, "TbsSkinComboBox.OnCloseUp", Handler<CB>(&CB::OnCloseUp), PickFromList);
  using CCB = TbsSkinColorComboBox;
  Own<CCB>(cases, "TbsSkinColorComboBox.OnChange.list", Handler<CCB>(&CCB::OnChange), PickFromList);
  using FCB = TbsSkinFontComboBox;
  Own<FCB>(cases, "TbsSkinFontComboBox.OnChange.key", Handler<FCB>(&FCB::OnChange),
           [](TControl* c) { KeyTo(c, VK_DOWN); });
  // A font installed or removed, or a new window (a style only a new one can have): the list is filled
  // again and the chosen font picked again.
  const Arm pickedFreesOnClick = [](TControl* c, const Kill& kill) {
    auto* f = dynamic_cast<FCB*>(c);
    f->SetItemIndex(1);
    f->OnClick = Freeing<TNotifyEvent>(kill);
  };
  Own<FCB>(cases, "TbsSkinFontComboBox.OnClick.fontchange", pickedFreesOnClick,
           [](TControl* c) { SendMessageA(dynamic_cast<FCB*>(c)->Handle(), WM_FONTCHANGE, 0, 0); });
  Own<FCB>(cases, "TbsSkinFontComboBox.OnClick.newwindow", pickedFreesOnClick,
           [](TControl* c) { dynamic_cast<FCB*>(c)->RecreateWnd(); });
  Own<TbsSkinEdit>(cases, "TbsSkinEdit.OnChange", Handler<TbsSkinEdit>(&TbsSkinEdit::OnChange), TypeTo);
  Own<TbsSkinMemo>(cases, "TbsSkinMemo.OnChange", Handler<TbsSkinMemo>(&TbsSkinMemo::OnChange), TypeTo);
  Own<TbsSkinRichEdit>(cases, "TbsSkinRichEdit.OnChange", Handler<TbsSkinRichEdit>(&TbsSkinRichEdit::OnChange), TypeTo);
  Own<TbsSkinNumEdit>(cases, "TbsSkinNumEdit.OnChange", Handler<TbsSkinNumEdit>(&TbsSkinNumEdit::OnChange),
                      [](TControl* c) {
                        FocusIt(c);
                        xt::TypeText("7");
                      });
  using SB = TbsSkinScrollBar;
  Own<SB>(cases, "TbsSkinScrollBar.OnChange", Handler<SB>(&SB::OnChange), ClickCentre);
  Own<SB>(cases, "TbsSkinScrollBar.OnPageDown", Handler<SB>(&SB::OnPageDown), ClickCentre);
  Own<SB>(cases, "TbsSkinScrollBar.OnLastChange", Handler<SB>(&SB::OnLastChange), ClickCentre);
  using SL = TbsSkinSlider;
  Own<SL>(cases, "TbsSkinSlider.OnChange", Handler<SL>(&SL::OnChange), [](TControl* c) { KeyTo(c, VK_RIGHT); });
  Own<SL>(cases, "TbsSkinSlider.OnChanged", Handler<SL>(&SL::OnChanged), [](TControl* c) { KeyTo(c, VK_RIGHT); });
  using CR = TbsSkinCheckRadioBox;
  Own<CR>(cases, "TbsSkinCheckRadioBox.OnClick.space", Handler<CR>(&CR::OnClick), [](TControl* c) {
    dynamic_cast<CR*>(c)->SetCanFocused(true);  // only a focusable box hears Space
    KeyTo(c, VK_SPACE);
  });
  Own<CR>(cases, "TbsSkinCheckRadioBox.OnEnter.accelerator", Handler<CR>(&CR::OnEnter), [](TControl* c) {
    auto* b = dynamic_cast<CR*>(c);
    b->SetCaption("&Caption");
    b->SetCanFocused(true);
    FreedByOwnEventTest::Press('C', xt::ssAlt);
  });
  using BT = TbsSkinButton;
  Own<BT>(cases, "TbsSkinButton.OnClick.space", Handler<BT>(&BT::OnClick), [](TControl* c) { KeyTo(c, VK_SPACE); });
  Own<BT>(cases, "TbsSkinButton.OnClick.return", Handler<BT>(&BT::OnClick), [](TControl* c) { KeyTo(c, VK_RETURN); });
  using TC = TbsSkinTabControl;
  Own<TC>(cases, "TbsSkinTabControl.OnChange", Handler<TC>(&TC::OnChange), [](TControl* c) {
    auto* t = dynamic_cast<TC*>(c);
    t->Tabs()->Add("first");
    t->Tabs()->Add("second");
    t->SetTabIndex(0);
    KeyTo(c, VK_RIGHT);
  });
  using PC = TbsSkinPageControl;
  Own<PC>(cases, "TbsSkinPageControl.OnChange", Handler<PC>(&PC::OnChange), [](TControl* c) {
    auto* pc = dynamic_cast<PC*>(c);
    for (const char* caption : { "first", "second" }) {
      auto* s = new TbsSkinTabSheet(pc);
      s->SetCaption(caption);
      s->SetPageControl(pc);
    }
    pc->SetActivePageIndex(0);
    KeyTo(c, VK_RIGHT);
  });
  // A new skin reports the tabs' page again.
  Own<TC>(cases, "TbsSkinTabControl.OnChange.skin", Handler<TC>(&TC::OnChange), NewSkin);
  Own<PC>(cases, "TbsSkinPageControl.OnChange.skin", Handler<PC>(&PC::OnChange), NewSkin);
  using EX = TbsSkinExPanel;
  Own<EX>(cases, "TbsSkinExPanel.OnChangeRollState", Handler<EX>(&EX::OnChangeRollState),
          [](TControl* c) { dynamic_cast<EX*>(c)->SetRollState(true); });
  // The arrow buttons, clicked on the rectangles the controls laid out, and held until they repeat.
  using UD = TbsSkinUpDown;
  auto udButton = [](int i) { return [i](TControl* c) { ClickRect(c, dynamic_cast<UD*>(c)->Button(i).R); }; };
  Own<UD>(cases, "TbsSkinUpDown.OnChange", Handler<UD>(&UD::OnChange), udButton(0));
  Own<UD>(cases, "TbsSkinUpDown.OnChange.repeat", Handler<UD>(&UD::OnChange),
          [](TControl* c) { HoldRect(c, dynamic_cast<UD*>(c)->Button(0).R); });
  Own<UD>(cases, "TbsSkinUpDown.OnUpButtonClick", Handler<UD>(&UD::OnUpButtonClick), udButton(0));
  Own<UD>(cases, "TbsSkinUpDown.OnDownButtonClick", Handler<UD>(&UD::OnDownButtonClick), udButton(1));
  using SE = TbsSkinSpinEdit;
  Own<SE>(cases, "TbsSkinSpinEdit.OnChange.button", Handler<SE>(&SE::OnChange),
          [](TControl* c) { ClickRect(c, dynamic_cast<SE*>(c)->Button(0).R); });
  Own<SE>(cases, "TbsSkinSpinEdit.OnChange.repeat", Handler<SE>(&SE::OnChange),
          [](TControl* c) { HoldRect(c, dynamic_cast<SE*>(c)->Button(1).R); });
  auto seKeys = [](TControl* c) { KeyInto(dynamic_cast<SE*>(c)->Edit()); };
  Own<SE>(cases, "TbsSkinSpinEdit.OnChange.typed", Handler<SE>(&SE::OnChange), [](TControl* c) {
    dynamic_cast<SE*>(c)->SetMaxValue(100);
    dynamic_cast<SE*>(c)->SimpleSetValue(1);
    KeyInto(dynamic_cast<SE*>(c)->Edit());
  });
  Own<SE>(cases, "TbsSkinSpinEdit.OnEditKeyDown", Handler<SE>(&SE::OnEditKeyDown), seKeys);
  Own<SE>(cases, "TbsSkinSpinEdit.OnEditKeyPress", Handler<SE>(&SE::OnEditKeyPress), seKeys);
  Own<SE>(cases, "TbsSkinSpinEdit.OnEditKeyUp", Handler<SE>(&SE::OnEditKeyUp), seKeys);
  auto sbButton = [](SB::TPart part) {
    return [part](TControl* c) { ClickRect(c, dynamic_cast<SB*>(c)->Button(part).R); };
  };
  Own<SB>(cases, "TbsSkinScrollBar.OnUpButtonClick", Handler<SB>(&SB::OnUpButtonClick), sbButton(SB::bpUp));
  Own<SB>(cases, "TbsSkinScrollBar.OnDownButtonClick", Handler<SB>(&SB::OnDownButtonClick), sbButton(SB::bpDown));
  Own<SB>(cases, "TbsSkinScrollBar.OnChange.button", Handler<SB>(&SB::OnChange), sbButton(SB::bpUp));
  using TB = TbsSkinTrackBar;
  Own<TB>(cases, "TbsSkinTrackBar.OnChange.key", Handler<TB>(&TB::OnChange), [](TControl* c) {
    dynamic_cast<TB*>(c)->SetCanFocused(true);
    KeyTo(c, VK_RIGHT);
  });
  Own<TB>(cases, "TbsSkinTrackBar.OnChange.click", Handler<TB>(&TB::OnChange), [](TControl* c) {
    dynamic_cast<TB*>(c)->SetJumpWhenClick(true);
    ClickPoint(c, c->Width() - 4, c->Height() / 2);
  });
  Own<TB>(cases, "TbsSkinTrackBar.OnChange.drag", Handler<TB>(&TB::OnChange), [](TControl* c) {
    const TRect t = dynamic_cast<TB*>(c)->ThumbRect();
    const TPoint p = c->ClientToScreen(TPoint((t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2));
    xt::MouseMove(p.X, p.Y);
    xt::MouseDown(xt::mbLeft, p.X, p.Y);
    xt::MouseMove(p.X + 20, p.Y + 20);
  });
  using ME = TbsSkinMaskEdit;
  Own<ME>(
      cases, "TbsSkinMaskEdit.OnChange.masked",
      [](TControl* c, const Kill& kill) {
        auto* e = dynamic_cast<ME*>(c);
        e->SetEditMask("!90:00;1; ");  // pours the text in: a change of its own, before the handler
        e->OnChange = Freeing<TNotifyEvent>(kill);
      },
      [](TControl* c) {
        FocusIt(c);
        xt::KeyPress(VK_HOME);
        xt::TypeText("7");
      });
  using DE = TbsSkinDateEdit;
  Own<DE>(cases, "TbsSkinDateEdit.OnChange.pick", Handler<DE>(&DE::OnChange), PickADay);
  Own<DE>(cases, "TbsSkinDateEdit.OnDateChange.pick", Handler<DE>(&DE::OnDateChange), PickADay);
  using TE = TbsSkinTrackEdit;
  // Dropping the bar down reports the value as it is: the handler frees the edit on the bar's move.
  Own<TE>(
      cases, "TbsSkinTrackEdit.OnChange.bar",
      [](TControl* c, const Kill& kill) {
        auto* t = dynamic_cast<TE*>(c);
        t->OnChange = TNotifyEvent::FromCallable([kill, t](TObject*) {
          if (t->Value() == 0) return;
          const Kill k = kill;
          k();
        });
      },
      DragTheDroppedBar);
  using MC = TbsSkinMonthCalendar;
  Own<MC>(cases, "TbsSkinMonthCalendar.OnNumberClick", Handler<MC>(&MC::OnNumberClick), ClickADay);
  auto lbKeys = [](TControl* c) { KeyInto(dynamic_cast<TbsSkinCustomListBox*>(c)->ListBox()); };
  Own<LB>(cases, "TbsSkinListBox.OnListBoxKeyDown", Handler<LB>(&LB::OnListBoxKeyDown), lbKeys);
  Own<LB>(cases, "TbsSkinListBox.OnListBoxKeyPress", Handler<LB>(&LB::OnListBoxKeyPress), lbKeys);
  Own<LB>(cases, "TbsSkinListBox.OnListBoxKeyUp", Handler<LB>(&LB::OnListBoxKeyUp), lbKeys);
  // Draw-item handlers, called while the control paints.
  Own<LB>(cases, "TbsSkinListBox.OnDrawItem", Handler<LB>(&LB::OnDrawItem), PaintAgain);
  Own<CLB>(cases, "TbsSkinCheckListBox.OnDrawItem", Handler<CLB>(&CLB::OnDrawItem), PaintAgain);
  auto faceItem = [](TControl* c) {
    dynamic_cast<TbsSkinCustomComboBox*>(c)->SetItemIndex(1);
    PaintAgain(c);
  };
  Own<CB>(cases, "TbsSkinComboBox.OnComboBoxDrawItem", Handler<CB>(&CB::OnComboBoxDrawItem), faceItem);
  Own<CCB>(cases, "TbsSkinColorComboBox.OnComboBoxDrawItem", Handler<CCB>(&CCB::OnComboBoxDrawItem), faceItem);
  Own<CB>(
      cases, "TbsSkinComboBox.OnListBoxDrawItem",
      [](TControl* c, const Kill& kill) {
        dynamic_cast<CB*>(c)->SetListBoxDrawItem(TbsDrawSkinItemEvent::FromCallable([kill](auto&&...) {
          const Kill k = kill;
          k();
        }));
      },
      [](TControl* c) {
        auto* combo = dynamic_cast<CB*>(c);
        FocusIt(combo);
        ClickRect(combo, combo->ButtonRect());
      });
  Own<SL>(cases, "TbsSkinSlider.OnDrawPoints", Handler<SL>(&SL::OnDrawPoints), PaintAgain);
  using HC = TbsSkinHeaderControl;
  Own<HC>(cases, "TbsSkinHeaderControl.OnDrawSkinSection", Handler<HC>(&HC::OnDrawSkinSection), [](TControl* c) {
    dynamic_cast<HC*>(c)->Sections()->Add()->SetText("first");
    PaintAgain(c);
  });
  using LV = TbsSkinListView;
  Own<LV>(cases, "TbsSkinListView.OnDrawHeaderSection", Handler<LV>(&LV::OnDrawHeaderSection), [](TControl* c) {
    auto* v = dynamic_cast<LV*>(c);
    v->Columns()->Add()->SetCaption("first");
    v->SetViewStyle(vsReport);
    PaintAgain(c);
  });
  Own<LV>(cases, "TbsSkinListView.OnDrawItem", Handler<LV>(&LV::OnDrawItem), [](TControl* c) {
    auto* v = dynamic_cast<LV*>(c);
    v->Columns()->Add()->SetCaption("first");
    v->SetViewStyle(vsReport);
    v->SetOwnerDraw(true);
    v->Items()->Add()->SetCaption("item");
    PaintAgain(c);
  });
  // A report view with one item, its caption edited (Enter ends it) or its header right-clicked.
  auto report = [](TControl* c) {
    auto* v = dynamic_cast<LV*>(c);
    v->Columns()->Add()->SetCaption("first");
    v->SetViewStyle(vsReport);
    v->Items()->Add()->SetCaption("item");
    xt::PumpUntilIdle();
    return v;
  };
  Own<LV>(cases, "TbsSkinListView.OnEdited", Handler<LV>(&LV::OnEdited), [report](TControl* c) {
    report(c)->Items()->Item(0)->EditCaption();
    xt::KeyPress(VK_RETURN);
  });
  Own<LV>(cases, "TbsSkinListView.OnChanging", Handler<LV>(&LV::OnChanging),
          [](TControl* c) { dynamic_cast<LV*>(c)->Items()->Add()->SetCaption("item"); });
  Own<LV>(cases, "TbsSkinListView.OnColumnRightClick", Handler<LV>(&LV::OnColumnRightClick), [report](TControl* c) {
    POINT p { 5, 5 };
    ClientToScreen(report(c)->HeaderHandle(), &p);
    xt::Click(p.x, p.y, xt::mbRight);
  });
  AddViewDrawCases(cases);
  return cases;
}

}  // namespace

TEST_F(FreedByOwnEventTest, EveryClassFreedFromEachOfItsEventsTouchesNothingAfterwards) {
  LoadTestSkin();
  ShowUnfocused();
  std::vector<std::string> silent;
  for (const Case& k : AllCases()) {
    SCOPED_TRACE(k.Name);
    TControl* c = k.Make(form, skin);
    xt::PumpUntilIdle();
    bool fired = false;
    const std::weak_ptr<const void> life = c->LifeToken();
    k.ArmIt(c, [&fired, c, life] {
      if (life.expired()) return;
      fired = true;
      delete c;
    });
    k.FireIt(c);
    // The world goes on where the control was: the button comes up, the pointer moves on, time passes.
    xt::MouseUp(xt::mbLeft, form->ClientToScreen(TPoint(100, 60)).X, form->ClientToScreen(TPoint(100, 60)).Y);
    MoveTo(form, 5, 5);
    xt::Advance(1000);
    xt::PumpUntilIdle();
    if (!fired) {
      silent.push_back(k.Name);
      delete c;
    }
    PaintAgain(form);
    FocusHolder()->SetFocus();
  }
  EXPECT_TRUE(silent.empty()) << ::testing::PrintToString(silent);
}

// A draw-item handler that frees the whole form while one of its controls paints: the form and everything
// on it go at once, and the paint under way touches none of it afterwards.
TEST_F(FreedByOwnEventTest, FormFreedFromADrawItemHandlerGoesWithEverythingOnIt) {
  LoadTestSkin();
  ShowUnfocused();
  const std::vector<std::pair<std::string, Case>> cases {
    { "list", { "", Make<TbsSkinListBox>, Handler<TbsSkinListBox>(&TbsSkinListBox::OnDrawItem), PaintAgain } },
    { "combo",
      { "", Make<TbsSkinComboBox>, Handler<TbsSkinComboBox>(&TbsSkinComboBox::OnComboBoxDrawItem),
        [](TControl* c) {
          dynamic_cast<TbsSkinComboBox*>(c)->SetItemIndex(0);
          PaintAgain(c);
        } } },
  };
  for (const auto& [name, k] : cases) {
    SCOPED_TRACE(name);
    TForm* other = NewForm(40, 40, 300, 200);
    other->Show();
    TControl* c = k.Make(other, skin);
    xt::PumpUntilIdle();
    const std::weak_ptr<const void> formLife = other->LifeToken(), life = c->LifeToken();
    int calls = 0;
    k.ArmIt(c, [&calls, other, formLife] {
      ++calls;
      if (!formLife.expired()) delete other;
    });
    k.FireIt(c);
    xt::PumpUntilIdle();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(formLife.expired());
    EXPECT_TRUE(life.expired());
    // The form under test still paints and answers clicks.
    PaintAgain(form);
    ClickAt(FocusHolder(), 3, 3);
    xt::PumpUntilIdle();
    EXPECT_TRUE(FocusHolder()->Focused());
  }
}
