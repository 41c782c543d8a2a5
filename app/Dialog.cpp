#include "app/Dialog.h"

#include "app/Pictures.h"
#include "components/CTL_TransBtn.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Jpeg.h"
#include "platform/vcl/StdCtrls.h"

TFormDialog* FormDialog = nullptr;

TFormDialog::TFormDialog(TComponent* AOwner) : TForm(AOwner) {
  SetName("FormDialog");
  SetCaption("提示信息");
  SetBounds(0, 0, 306, 181);
  SetPosition(poScreenCenter);
  Font()->SetName("MS Sans Serif");
  Font()->SetHeight(-11);

  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetParent(this);
  Panel1->SetBounds(0, 0, 298, 154);
  Panel1->SetAlign(alClient);
  Panel1->SetCaption("");
  Panel1->SetBevelInner(bvRaised);
  Panel1->SetBevelOuter(bvLowered);
  Panel1->SetColor(clMenu);

  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetParent(Panel1);
  Label1->SetAutoSize(false);
  Label1->SetWordWrap(true);
  Label1->SetBounds(124, 16, 161, 97);
  Label1->SetCaption("Label1");
  Label1->Font()->SetName("宋体");
  Label1->Font()->SetHeight(-15);

  Image = new TImage(this);
  Image->SetName("Image");
  Image->SetParent(Panel1);
  Image->SetBounds(12, 12, 100, 75);
  Image->SetAutoSize(true);
  TJPEGImage jpeg;
  pictures::LoadInto(&jpeg, pictures::DialogJpeg);
  Image->Picture()->Assign(&jpeg);

  struct Spec {
    TTransparentButton*& Button;
    const char* Name;
    const char* Caption;
    int Left;
    const TPictureBytes& Glyph;
    void (TFormDialog::*Handler)(TObject*);
  };
  const Spec buttons[] = {
    { ButtonOk, "ButtonOk", "确 认  ", 83, pictures::OkGlyph, &TFormDialog::ButtonOkClick },
    { ButtonCancel, "ButtonCancel", "取 消  ", 203, pictures::CancelGlyph, &TFormDialog::ButtonCancelClick },
    { ButtonClose, "ButtonClose", "关 闭  ", 139, pictures::CloseGlyph, &TFormDialog::ButtonCloseClick },
  };
  for (const Spec& s : buttons) {
    auto* b = new TTransparentButton(this);
    b->SetName(s.Name);
    b->SetParent(Panel1);
    b->SetBounds(s.Left, 114, 78, 29);
    b->SetCursor(crHandPoint);
    b->SetAutoGray(false);
    b->Font()->SetName("宋体");
    b->Font()->SetHeight(-13);
    b->Font()->SetPitch(fpFixed);
    b->SetFrameStyle(fsIndent);
    b->SetTextAlign(ttaRight);
    TBitmap glyph;
    pictures::LoadInto(&glyph, s.Glyph);
    b->SetGlyph(&glyph);
    b->SetNumGlyphs(2);
    b->SetCaption(s.Caption);
    b->OnClick = TNotifyEvent(this, s.Handler);
    s.Button = b;
  }
}

void TFormDialog::ButtonOkClick(TObject*) {
  SetModalResult(mrYes);
  Hide();
}

void TFormDialog::ButtonCancelClick(TObject*) {
  SetModalResult(mrNo);
  Hide();
}

void TFormDialog::ButtonCloseClick(TObject*) {
  SetModalResult(mrNo);
  Hide();
}

XJ_PUBLISHED(TFormDialog,
  XJ_FIELD(Panel1) XJ_FIELD(Label1) XJ_FIELD(Image) XJ_FIELD(ButtonOk) XJ_FIELD(ButtonCancel) XJ_FIELD(ButtonClose)
  XJ_METHOD(ButtonOkClick) XJ_METHOD(ButtonCancelClick) XJ_METHOD(ButtonCloseClick));
