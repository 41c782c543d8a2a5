#include "app/About.h"

#include "app/FormResources.h"
#include "app/Pictures.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"

TFormAbout* FormAbout = nullptr;

static const bool kFormRegistered = (RegisterComponentResource(TFormAbout::StaticClass(), formres::About), true);

// The layout, the properties and the handler's binding are in About.dfm. The pictures are drawn when
// the program is built, so they join the form here rather than as data in its text.
TFormAbout::TFormAbout(TComponent* AOwner) : TForm(AOwner) {
  InitForm();
  TBitmap picture;
  pictures::LoadInto(&picture, pictures::AboutBitmap);
  Image1->Picture()->Assign(&picture);
  TBitmap glyph;
  pictures::LoadInto(&glyph, pictures::ExitGlyph);
  SpeedButton2->SetGlyph(&glyph);
}

void TFormAbout::SpeedButton2Click(TObject*) { Close(); }

XJ_PUBLISHED(TFormAbout,
  XJ_FIELD(Panel1) XJ_FIELD(Panel2) XJ_FIELD(Image1) XJ_FIELD(Label1) XJ_FIELD(Label2) XJ_FIELD(SpeedButton2)
  XJ_METHOD(SpeedButton2Click));
