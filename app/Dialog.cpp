#include "app/Dialog.h"

#include <utility>

#include "app/FormResources.h"
#include "app/Pictures.h"
#include "components/CTL_TransBtn.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Jpeg.h"
#include "platform/vcl/StdCtrls.h"

TFormDialog* FormDialog = nullptr;

// The form's text names the transparent button, so its class is known before any dialog is read.
static const bool kFormRegistered = (RegisterClasses({ TTransparentButton::StaticClass() }),
                                     RegisterComponentResource(TFormDialog::StaticClass(), formres::Dialog), true);

// The layout, the properties and the handlers' bindings are in Dialog.dfm. The pictures are drawn when
// the program is built, so they join the form here rather than as data in its text.
TFormDialog::TFormDialog(TComponent* AOwner) : TForm(AOwner) {
  InitForm();
  TJPEGImage jpeg;
  pictures::LoadInto(&jpeg, pictures::DialogJpeg);
  Image->Picture()->Assign(&jpeg);
  const std::pair<TTransparentButton*, const TPictureBytes*> glyphs[] = { { ButtonOk, &pictures::OkGlyph },
                                                                          { ButtonCancel, &pictures::CancelGlyph },
                                                                          { ButtonClose, &pictures::CloseGlyph } };
  for (const auto& [button, bytes] : glyphs) {
    TBitmap glyph;
    pictures::LoadInto(&glyph, *bytes);
    button->SetGlyph(&glyph);
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
