// TCustomImageList over the GDI image list.

#include "platform/vcl/ImgList.h"

#include "platform/win32/WinGdi_imagelist.h"

XJ_PUBLISHED(TCustomImageList);
XJ_PUBLISHED(TImageList,
  XJ_PROP(AllocBy, 4)
  XJ_PROP(BlendColor, clNone)
  XJ_PROP(BkColor, clNone)
  XJ_PROP(DrawingStyle, dsNormal)
  XJ_PROP(Height, 16)
  XJ_PROP(ImageType, itImage)
  XJ_PROP(Masked, true)
  XJ_PROP(ShareImages, false)
  XJ_PROP(Width, 16)
  XJ_EVENT(OnChange));

namespace {

COLORREF ListColor(TColor Color) {
  if (Color == clNone) return CLR_NONE;
  if (Color == clDefault) return CLR_DEFAULT;
  return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF;
}

const bool registered = (RegisterClass(TImageList::StaticClass()), true);

}  // namespace

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(int AWidth, int AHeight) : TComponent(nullptr), FWidth(AWidth), FHeight(AHeight) {}

TCustomImageList::~TCustomImageList() {
  if (!FShareImages) FreeHandle();
}

void TCustomImageList::FreeHandle() {
  if (FHandle) ImageList_Destroy(FHandle);
  FHandle = nullptr;
}

void TCustomImageList::HandleNeeded() {
  if (FHandle) return;
  FHandle = ImageList_Create(FWidth, FHeight, ILC_COLORDDB | (FMasked ? ILC_MASK : 0), FAllocBy, FAllocBy);
  if (!FHandle) throw EInvalidOperation("Invalid image size");
  ImageList_SetBkColor(FHandle, ListColor(FBkColor));
}

HIMAGELIST TCustomImageList::Handle() {
  HandleNeeded();
  return FHandle;
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
  if (Value == FHandle) return;
  FreeHandle();
  FHandle = Value;
  if (Value) {
    int w = FWidth, h = FHeight;
    ImageList_GetIconSize(Value, &w, &h);
    FWidth = w;
    FHeight = h;
    ImageList_SetBkColor(Value, ListColor(FBkColor));
  }
  Change();
}

void TCustomImageList::Assign(TPersistent* Source) {
  auto* list = dynamic_cast<TCustomImageList*>(Source);
  if (!list) {
    TComponent::Assign(Source);
    return;
  }
  if (list == this) return;
  FMasked = list->FMasked;
  FImageType = list->FImageType;
  FDrawingStyle = list->FDrawingStyle;
  FBkColor = list->FBkColor;
  FBlendColor = list->FBlendColor;
  FAllocBy = list->FAllocBy;
  FWidth = list->FWidth;
  FHeight = list->FHeight;
  SetHandle(list->FHandle ? ImageList_Duplicate(list->FHandle) : nullptr);
}

void TCustomImageList::SetSize(int AWidth, int AHeight) {
  if (AWidth == FWidth && AHeight == FHeight) return;
  if (AWidth <= 0 || AHeight <= 0) throw EInvalidOperation("Invalid image size");
  FWidth = AWidth;
  FHeight = AHeight;
  if (FHandle) ImageList_SetIconSize(FHandle, AWidth, AHeight);
  Change();
}

int TCustomImageList::Count() { return FHandle ? ImageList_GetImageCount(FHandle) : 0; }

void TCustomImageList::SetBkColor(TColor Value) {
  if (Value == FBkColor) return;
  FBkColor = Value;
  if (FHandle) ImageList_SetBkColor(FHandle, ListColor(Value));
  Change();
}

void TCustomImageList::SetMasked(bool Value) {
  if (Value == FMasked) return;
  FMasked = Value;
  FreeHandle();
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
  if (Value == FDrawingStyle) return;
  FDrawingStyle = Value;
  Change();
}

void TCustomImageList::SetImageType(TImageType Value) {
  if (Value == FImageType) return;
  FImageType = Value;
  Change();
}

void TCustomImageList::Change() {
  if (OnChange) OnChange(this);
}

void TCustomImageList::CheckIndex(int Index) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation(Format("Invalid image index %d", Index));
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  HandleNeeded();
  const int index = Image ? ImageList_Add(FHandle, Image->Handle(), Mask ? Mask->Handle() : nullptr) : -1;
  if (index < 0) throw EInvalidOperation("Unable to insert an image");
  Change();
  return index;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  HandleNeeded();
  const COLORREF key = static_cast<COLORREF>(ColorToRGB(MaskColor)) & 0xFFFFFF;
  const int index = Image ? ImageList_AddMasked(FHandle, Image->Handle(), key) : -1;
  if (index < 0) throw EInvalidOperation("Unable to insert an image");
  Change();
  return index;
}

int TCustomImageList::AddIcon(TIcon* Image) {
  HandleNeeded();
  const int index = Image && Image->Handle() ? ImageList_ReplaceIcon(FHandle, -1, Image->Handle()) : -1;
  if (index < 0) throw EInvalidOperation("Unable to insert an image");
  Change();
  return index;
}

void TCustomImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask) {
  CheckIndex(Index);
  if (!Image || !ImageList_Replace(FHandle, Index, Image->Handle(), Mask ? Mask->Handle() : nullptr))
    throw EInvalidOperation("Unable to replace an image");
  Change();
}

void TCustomImageList::Delete(int Index) {
  CheckIndex(Index);
  ImageList_Remove(FHandle, Index);
  Change();
}

void TCustomImageList::Clear() {
  if (FHandle) ImageList_Remove(FHandle, -1);
  Change();
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  if (!Canvas || !FHandle || Index < 0 || Index >= Count()) return;
  HDC dc = Canvas->Handle();
  if (!Enabled) {
    xj::ImageListDrawDisabled(FHandle, Index, dc, X, Y);
    return;
  }
  static constexpr UINT Styles[] = { ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT };
  const UINT style = Styles[FDrawingStyle] | (FImageType == itMask ? ILD_MASK : 0);
  ImageList_DrawEx(FHandle, Index, dc, X, Y, 0, 0, ListColor(FBkColor), ListColor(FBlendColor), style);
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
  if (!Image || !FHandle || Index < 0 || Index >= Count()) return false;
  Image->SetSize(FWidth, FHeight);
  Draw(Image->Canvas(), 0, 0, Index);
  return true;
}

bool TCustomImageList::GetIcon(int Index, TIcon* Image) {
  if (!Image || !FHandle || Index < 0 || Index >= Count()) return false;
  HICON icon = ImageList_GetIcon(FHandle, Index, ILD_NORMAL);
  if (!icon) return false;
  Image->SetHandle(icon);
  return true;
}
