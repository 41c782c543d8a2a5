// TCommonDialog and TColorDialog: the colour dialog as a modal form of stock controls.

#include <algorithm>
#include <vector>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win32/Scoped.h"

namespace {

constexpr int kCustomSlots = 16;
constexpr COLORREF kWhite = 0xFFFFFF;

// The basic colours, row by row (eight to a row).
const COLORREF kBasicColours[48] = {
  RGB(255, 128, 128), RGB(255, 255, 128), RGB(128, 255, 128), RGB(0, 255, 128),   RGB(128, 255, 255),
  RGB(0, 128, 255),   RGB(255, 128, 192), RGB(255, 128, 255), RGB(255, 0, 0),     RGB(255, 255, 0),
  RGB(128, 255, 0),   RGB(0, 255, 64),    RGB(0, 255, 255),   RGB(0, 128, 192),   RGB(128, 128, 192),
  RGB(255, 0, 255),   RGB(128, 64, 64),   RGB(255, 128, 64),  RGB(0, 255, 0),     RGB(0, 128, 128),
  RGB(0, 64, 128),    RGB(128, 128, 255), RGB(128, 0, 64),    RGB(255, 0, 128),   RGB(128, 0, 0),
  RGB(255, 128, 0),   RGB(0, 128, 0),     RGB(0, 128, 64),    RGB(0, 0, 255),     RGB(0, 0, 160),
  RGB(128, 0, 128),   RGB(128, 0, 255),   RGB(64, 0, 0),      RGB(128, 64, 0),    RGB(0, 64, 0),
  RGB(0, 64, 64),     RGB(0, 0, 128),     RGB(0, 0, 64),      RGB(64, 0, 64),     RGB(64, 0, 128),
  RGB(0, 0, 0),       RGB(128, 128, 0),   RGB(128, 128, 64),  RGB(128, 128, 128), RGB(64, 128, 128),
  RGB(192, 192, 192), RGB(96, 0, 96),     RGB(255, 255, 255),
};

AnsiString SlotName(int Slot) { return AnsiString("Color") + static_cast<char>('A' + Slot); }

// Up to eight hexadecimal digits whose value has no bits above the 24 of a colour; false otherwise.
bool ParseColour(const AnsiString& Text, COLORREF& Colour) {
  const AnsiString s = Trim(Text);
  if (s.empty() || s.size() > 8) return false;
  uint32_t v = 0;
  for (char c : s) {
    const int d = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
    if (d < 0) return false;
    v = v << 4 | static_cast<uint32_t>(d);
  }
  if (v > 0xFFFFFF) return false;
  Colour = v;
  return true;
}

// A grid of colour cells that can hold the focus: a click or the arrow keys select a cell.
class TColourGrid : public TCustomControl {
  XJ_CLASS(TColourGrid, TCustomControl)
 public:
  static constexpr int kColumns = 8;
  static constexpr int kPitchX = 26;
  static constexpr int kPitchY = 22;

  TColourGrid(TComponent* AOwner, std::vector<COLORREF> Colours)
      : TCustomControl(AOwner), FColours(std::move(Colours)) {
    SetTabStop(true);
    SetBounds(0, 0, kColumns * kPitchX, Rows() * kPitchY);
  }

  int Selected() const { return FSelected; }
  // -1 selects nothing. OnSelect runs only for a cell the user picked.
  void SetSelected(int Index) {
    Index = Index >= 0 && Index < Count() ? Index : -1;
    if (Index == FSelected) return;
    FSelected = Index;
    Invalidate();
  }
  COLORREF Colour(int Index) const { return FColours[static_cast<size_t>(Index)]; }
  void SetColour(int Index, COLORREF Value) {
    FColours[static_cast<size_t>(Index)] = Value;
    Invalidate();
  }
  int IndexOf(COLORREF Value) const {
    auto it = std::find(FColours.begin(), FColours.end(), Value);
    return it == FColours.end() ? -1 : static_cast<int>(it - FColours.begin());
  }
  int Count() const { return static_cast<int>(FColours.size()); }
  TRect CellRect(int Index) const {
    const int x = Index % kColumns * kPitchX, y = Index / kColumns * kPitchY;
    return TRect(x + 3, y + 3, x + kPitchX - 3, y + kPitchY - 3);
  }

  TNotifyEvent OnSelect;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    for (int i = 0; i < Count(); ++i) {
      TRect r = CellRect(i);
      if (i == FSelected) {
        TRect mark(r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 2);
        c->Brush()->SetColor(clBlack);
        c->FrameRect(mark);
        if (Focused()) {
          mark = TRect(mark.Left - 1, mark.Top - 1, mark.Right + 1, mark.Bottom + 1);
          c->DrawFocusRect(mark);
        }
      }
      Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
      c->Brush()->SetColor(static_cast<TColor>(Colour(i)));
      c->FillRect(r);
    }
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    auto life = LifeToken();
    if (CanFocus() && !Focused()) SetFocus();
    if (life.expired()) return;
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (life.expired() || Button != mbLeft || X < 0 || Y < 0) return;
    const int index = Y / kPitchY * kColumns + X / kPitchX;
    if (X < kColumns * kPitchX && index < Count()) Pick(index);
  }
  void KeyDown(WORD& Key, TShiftState Shift) override {
    TCustomControl::KeyDown(Key, Shift);
    const int at = std::max(FSelected, 0);
    int to = -1;
    switch (Key) {
      case VK_LEFT:
        to = at - 1;
        break;
      case VK_RIGHT:
        to = at + 1;
        break;
      case VK_UP:
        to = at - kColumns;
        break;
      case VK_DOWN:
        to = at + kColumns;
        break;
      default:
        return;
    }
    if (FSelected < 0) to = 0;
    if (to >= 0 && to < Count()) Pick(to);
    Key = 0;
  }
  void Dispatch(TMessage& Message) override {
    switch (Message.Msg) {
      case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        Invalidate();
        break;
    }
    TCustomControl::Dispatch(Message);
  }

 private:
  int Rows() const { return (Count() + kColumns - 1) / kColumns; }
  void Pick(int Index) {
    SetSelected(Index);
    if (OnSelect) OnSelect(this);
  }

  std::vector<COLORREF> FColours;
  int FSelected { -1 };
};

// The dialog's form: the grids on the left, the preview, the colour entry and the buttons on the right.
class TColorDialogForm : public TForm {
  XJ_CLASS(TColorDialogForm, TForm)
 public:
  TColorDialogForm(COLORREF Initial, const std::vector<COLORREF>& Custom) : TForm(nullptr) {
    SetCaption("颜色");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    Font()->SetName("宋体");
    Font()->SetHeight(-12);
    SetClientWidth(400);
    SetClientHeight(276);

    FBasic = AddGrid("BasicColors", std::vector<COLORREF>(std::begin(kBasicColours), std::end(kBasicColours)), 8, 24);
    FCustom = AddGrid("CustomColors", Custom, 8, 184);
    AddLabel("基本颜色(&B):", 8, 8, FBasic);
    AddLabel("自定义颜色(&C):", 8, 168, FCustom);
    FBasic->OnSelect = TNotifyEvent(this, &TColorDialogForm::BasicPicked);
    FCustom->OnSelect = TNotifyEvent(this, &TColorDialogForm::CustomPicked);
    FCustom->SetSelected(0);

    FPreview = new TPanel(this);
    FPreview->SetName("Preview");
    FPreview->SetParent(this);
    FPreview->SetBevelOuter(bvLowered);
    FPreview->SetCaption("");
    FPreview->SetBounds(232, 24, 160, 56);

    static const char* const kNames[3] = { "RedEdit", "GreenEdit", "BlueEdit" };
    static const char* const kCaptions[3] = { "红(&R):", "绿(&G):", "蓝(&U):" };
    for (int i = 0; i < 3; ++i) {
      FRgb[i] = new TEdit(this);
      FRgb[i]->SetName(kNames[i]);
      FRgb[i]->SetParent(this);
      FRgb[i]->SetBounds(292, 92 + 28 * i, 60, 21);
      FRgb[i]->SetMaxLength(3);
      FRgb[i]->OnChange = TNotifyEvent(this, &TColorDialogForm::RgbChanged);
      AddLabel(kCaptions[i], 232, 96 + 28 * i, FRgb[i]);
    }

    TButton* add = AddButton("AddButton", "添加到自定义颜色(&A)", 232, 184, 160, mrNone);
    add->OnClick = TNotifyEvent(this, &TColorDialogForm::AddCustom);
    AddButton("OKButton", "确定", 232, 240, 76, mrOk)->SetDefault(true);
    AddButton("CancelButton", "取消", 316, 240, 76, mrCancel)->SetCancel(true);

    SetCurrent(Initial);
    FBasic->SetSelected(FBasic->IndexOf(Initial));
    SetActiveControl(FBasic);
  }

  COLORREF Current() const { return FCurrent; }
  COLORREF Custom(int Slot) const { return FCustom->Colour(Slot); }

 protected:
  bool IsColorDialog() const override { return true; }

 private:
  TColourGrid* AddGrid(const char* Name, std::vector<COLORREF> Colours, int X, int Y) {
    auto* g = new TColourGrid(this, std::move(Colours));
    g->SetName(Name);
    g->SetParent(this);
    g->SetLeft(X);
    g->SetTop(Y);
    return g;
  }
  void AddLabel(const char* Caption, int X, int Y, TWinControl* For) {
    auto* l = new TLabel(this);
    l->SetParent(this);
    l->SetCaption(Caption);
    l->SetLeft(X);
    l->SetTop(Y);
    l->SetFocusControl(For);
  }
  TButton* AddButton(const char* Name, const char* Caption, int X, int Y, int W, TModalResult Result) {
    auto* b = new TButton(this);
    b->SetName(Name);
    b->SetParent(this);
    b->SetCaption(Caption);
    b->SetBounds(X, Y, W, 25);
    b->SetModalResult(Result);
    return b;
  }

  // The colour chosen: preview and entry follow (the entry's own changes are not read back).
  void SetCurrent(COLORREF Colour) {
    FCurrent = Colour & 0xFFFFFF;
    FPreview->SetColor(static_cast<TColor>(FCurrent));
    xj::TemporaryChange updating(FUpdating, true);
    const BYTE parts[3] = { GetRValue(FCurrent), GetGValue(FCurrent), GetBValue(FCurrent) };
    for (int i = 0; i < 3; ++i) FRgb[i]->SetText(IntToStr(parts[i]));
  }
  void BasicPicked(TObject*) { SetCurrent(FBasic->Colour(FBasic->Selected())); }
  void CustomPicked(TObject*) {
    SetCurrent(FCustom->Colour(FCustom->Selected()));
    FBasic->SetSelected(FBasic->IndexOf(FCurrent));
  }
  // An entry that is not a number from 0 to 255 leaves the colour as it was; an empty one counts as 0.
  void RgbChanged(TObject*) {
    if (FUpdating) return;
    int parts[3];
    for (int i = 0; i < 3; ++i) {
      const AnsiString t = Trim(FRgb[i]->Text());
      if (!std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; })) return;
      parts[i] = t.empty() ? 0 : std::stoi(t);  // three digits at most
      if (parts[i] > 255) return;
    }
    FCurrent = RGB(parts[0], parts[1], parts[2]);
    FPreview->SetColor(static_cast<TColor>(FCurrent));
    FBasic->SetSelected(FBasic->IndexOf(FCurrent));
  }
  // Into the selected custom slot; the next slot is selected for the next colour.
  void AddCustom(TObject*) {
    const int slot = std::max(FCustom->Selected(), 0);
    FCustom->SetColour(slot, FCurrent);
    FCustom->SetSelected((slot + 1) % kCustomSlots);
  }

  TColourGrid* FBasic {};
  TColourGrid* FCustom {};
  TPanel* FPreview {};
  TEdit* FRgb[3] {};
  COLORREF FCurrent { 0 };
  bool FUpdating { false };
};

}  // namespace

TCommonDialog::TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
TCommonDialog::~TCommonDialog() = default;

TColorDialog::TColorDialog(TComponent* AOwner)
    : TCommonDialog(AOwner), FCustomColors(std::make_unique<TStringList>()) {}
TColorDialog::~TColorDialog() = default;

void TColorDialog::SetCustomColors(TStrings* Value) { FCustomColors->Assign(Value); }

bool TColorDialog::Execute() {
  std::vector<COLORREF> custom(kCustomSlots, kWhite);
  for (int i = 0; i < kCustomSlots; ++i)
    ParseColour(FCustomColors->Values(SlotName(i)), custom[static_cast<size_t>(i)]);
  std::unique_ptr<TColorDialogForm> form(new TColorDialogForm(static_cast<COLORREF>(ColorToRGB(FColor)), custom));
  if (form->ShowModal() != mrOk) return false;
  FColor = static_cast<TColor>(form->Current());
  FCustomColors->BeginUpdate();
  try {
    for (int i = 0; i < kCustomSlots; ++i)
      FCustomColors->SetValues(SlotName(i), IntToHex(static_cast<int>(form->Custom(i)), 8));
  } catch (...) {
    FCustomColors->EndUpdate();
    throw;
  }
  FCustomColors->EndUpdate();
  return true;
}

XJ_PUBLISHED(TCommonDialog);
XJ_PUBLISHED(TColorDialog,
  XJ_PROP(Color, clBlack)
  XJ_PROP(CustomColors));

namespace xj::vcl {

bool RegisterDialogs() {
  static const bool registered = (RegisterClasses({ TColorDialog::StaticClass() }), true);
  return registered;
}

}  // namespace xj::vcl
