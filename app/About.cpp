#include "app/About.h"

#include "app/Main.h"
#include "app/Pictures.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"

TFormAbout* FormAbout = nullptr;

TFormAbout::TFormAbout(TComponent* AOwner) : TForm(AOwner) {
  SetName("FormAbout");
  SetCaption(AnsiString("关于") + kProgramTitle);
  SetBounds(0, 0, 294, 201);
  SetPosition(poScreenCenter);
  Font()->SetName("MS Sans Serif");
  Font()->SetHeight(-11);

  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetParent(this);
  Panel1->SetBounds(0, 0, 286, 167);
  Panel1->SetAlign(alClient);
  Panel1->SetCaption("");
  Panel1->SetBevelInner(bvLowered);
  Panel1->Font()->SetName("宋体");
  Panel1->Font()->SetHeight(-11);

  Panel2 = new TPanel(this);
  Panel2->SetName("Panel2");
  Panel2->SetParent(Panel1);
  Panel2->SetBounds(16, 16, 261, 105);
  Panel2->SetCaption("");

  Image1 = new TImage(this);
  Image1->SetName("Image1");
  Image1->SetParent(Panel2);
  Image1->SetBounds(12, 8, 97, 77);
  Image1->SetStretch(true);
  TBitmap picture;
  pictures::LoadInto(&picture, pictures::AboutBitmap);
  Image1->Picture()->Assign(&picture);

  auto label = [this](const char* Name, const AnsiString& Caption, int L, int T, bool Bold) {
    auto* l = new TLabel(this);
    l->SetName(Name);
    l->SetParent(Panel2);
    l->SetLeft(L);
    l->SetTop(T);
    l->Font()->SetName("宋体");
    l->Font()->SetHeight(-13);
    if (Bold) l->Font()->SetStyle({ fsBold });
    l->SetCaption(Caption);
    return l;
  };
  Label1 = label("Label1", kProgramTitle, 172, 16, true);
  Label2 = label("Label2", "Version 1.0", 160, 40, false);

  SpeedButton2 = new TSpeedButton(this);
  SpeedButton2->SetName("SpeedButton2");
  SpeedButton2->SetParent(Panel1);
  SpeedButton2->SetBounds(168, 134, 85, 27);
  SpeedButton2->SetCaption("退出");
  SpeedButton2->SetFlat(true);
  SpeedButton2->SetAllowAllUp(true);
  SpeedButton2->SetCursor(crHandPoint);
  SpeedButton2->Font()->SetName("宋体");
  SpeedButton2->Font()->SetHeight(-15);
  SpeedButton2->Font()->SetPitch(fpFixed);
  SpeedButton2->Font()->SetColor(clNavy);
  TBitmap glyph;
  pictures::LoadInto(&glyph, pictures::ExitGlyph);
  SpeedButton2->SetGlyph(&glyph);
  SpeedButton2->SetNumGlyphs(2);
  SpeedButton2->SetShowHint(true);
  SpeedButton2->OnClick = TNotifyEvent(this, &TFormAbout::SpeedButton2Click);
}

void TFormAbout::SpeedButton2Click(TObject*) { Close(); }

XJ_PUBLISHED(TFormAbout,
  XJ_FIELD(Panel1) XJ_FIELD(Panel2) XJ_FIELD(Image1) XJ_FIELD(Label1) XJ_FIELD(Label2) XJ_FIELD(SpeedButton2)
  XJ_METHOD(SpeedButton2Click));
