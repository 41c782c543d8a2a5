// The screen object: size and work area, the forms in their order, the active form and control, cursors
// and fonts.

#include <algorithm>

#include "platform/vcl/Forms.h"
#include "platform/win32/WinGdi.h"

namespace {

template <class T>
void EraseAll(std::vector<T*>& list, const void* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

template <class T>
void ToFront(std::vector<T*>& list, T* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return;
  list.erase(it);
  list.insert(list.begin(), item);
}

LPCSTR StandardCursor(int Cursor) {
  switch (Cursor) {
    case -3:
      return IDC_CROSS;
    case -4:
      return IDC_IBEAM;
    case -6:
      return IDC_SIZENESW;
    case -7:
      return IDC_SIZENS;
    case -8:
      return IDC_SIZENWSE;
    case -9:
      return IDC_SIZEWE;
    case -10:
      return IDC_UPARROW;
    case -11:
      return IDC_WAIT;
    case -13:
      return IDC_NO;
    case -14:
      return IDC_SIZEWE;
    case -15:
      return IDC_SIZENS;
    case -17:
      return IDC_WAIT;
    case -18:
      return IDC_NO;
    case -19:
      return IDC_WAIT;
    case -21:
      return IDC_HAND;
    case -22:
      return IDC_SIZEALL;
    default:
      return IDC_ARROW;
  }
}

int CALLBACK AddFontFamily(const LOGFONTA* lf, const TEXTMETRICA*, DWORD, LPARAM param) {
  auto* list = reinterpret_cast<TStringList*>(param);
  if (list->IndexOf(lf->lfFaceName) < 0) list->Add(lf->lfFaceName);
  return 1;
}

}  // namespace

TScreen::TScreen(TComponent* AOwner)
    : TComponent(AOwner),
      FHintFont(std::make_unique<TFont>()),
      FMenuFont(std::make_unique<TFont>()),
      FIconFont(std::make_unique<TFont>()) {
  FHintFont->SetColor(clInfoText);
  FMenuFont->SetColor(clMenuText);
}

TScreen::~TScreen() = default;

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }

int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

TRect TScreen::WorkAreaRect() const {
  RECT r {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

// A form registers itself while it is being constructed, before it is a TForm: which entries are TForms is
// asked when the list is read.
int TScreen::FormCount() const {
  return static_cast<int>(std::count_if(FCustomForms.begin(), FCustomForms.end(),
                                        [](TCustomForm* f) { return dynamic_cast<TForm*>(f) != nullptr; }));
}

TForm* TScreen::Forms(int Index) const {
  int i = Index;
  if (i >= 0)
    for (TCustomForm* f : FCustomForms)
      if (auto* form = dynamic_cast<TForm*>(f); form && i-- == 0) return form;
  throw EListError(Format("List index out of bounds (%d)", Index));
}

TCustomForm* TScreen::CustomForms(int Index) const {
  if (Index < 0 || Index >= CustomFormCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FCustomForms[Index];
}

void TScreen::AddForm(TCustomForm* AForm) { FCustomForms.push_back(AForm); }

void TScreen::FormGone(TCustomForm* AForm) {
  EraseAll(FSaveFocusedList, AForm);
  if (FFocusedForm == AForm) FFocusedForm = nullptr;
  if (FActiveCustomForm == AForm) FActiveCustomForm = nullptr;
  if (FActiveForm == AForm) FActiveForm = nullptr;
  if (FActiveControl && GetParentForm(FActiveControl) == AForm) FActiveControl = nullptr;
}

void TScreen::RemoveForm(TCustomForm* AForm) {
  FormGone(AForm);
  EraseAll(FCustomForms, AForm);
}

void TScreen::MoveToFront(TCustomForm* AForm) { ToFront(FCustomForms, AForm); }

// The form that got the focus comes first in the lists.
void TScreen::SetFocusedState(TCustomForm* Form, TWinControl* Control) {
  const bool formChanged = FActiveCustomForm != Form;
  const bool controlChanged = FActiveControl != Control;
  FActiveControl = Control;
  FActiveCustomForm = Form;
  FActiveForm = dynamic_cast<TForm*>(Form);
  MoveToFront(Form);
  if (controlChanged && OnActiveControlChange) OnActiveControlChange(this);
  if (formChanged && OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  if (Value == crDefault) {
    // The window under the pointer chooses its own cursor again.
    POINT p {};
    GetCursorPos(&p);
    if (HWND h = WindowFromPoint(p)) {
      const LRESULT hit = SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
      SendMessageA(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(hit, WM_MOUSEMOVE));
    }
    return;
  }
  ::SetCursor(Cursors(Value));
}

HCURSOR TScreen::Cursors(int Index) {
  for (const auto& c : FCursors)
    if (c.first == Index) return c.second;
  if (Index == crNone) return nullptr;
  return LoadCursorA(nullptr, StandardCursor(Index));
}

void TScreen::SetCursors(int Index, HCURSOR Handle) {
  for (auto& c : FCursors)
    if (c.first == Index) {
      c.second = Handle;
      return;
    }
  FCursors.emplace_back(Index, Handle);
}

TStrings* TScreen::Fonts() {
  if (!FFonts) {
    FFonts = std::make_unique<TStringList>();
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesA(dc, nullptr, AddFontFamily, reinterpret_cast<LPARAM>(FFonts.get()));
    ReleaseDC(nullptr, dc);
    FFonts->SetSorted(true);
  }
  return FFonts.get();
}
