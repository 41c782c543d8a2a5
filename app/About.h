#pragma once
// The console's about box: the program's picture, title and version, and a button that closes it.

#include "platform/vcl/Forms.h"

class TImage;
class TLabel;
class TPanel;
class TSpeedButton;

class TFormAbout : public TForm {
  XJ_CLASS(TFormAbout, TForm)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TFormAbout(TComponent* AOwner);

  TPanel* Panel1 {};
  TPanel* Panel2 {};
  TImage* Image1 {};
  TLabel* Label1 {};
  TLabel* Label2 {};
  TSpeedButton* SpeedButton2 {};

  void SpeedButton2Click(TObject* Sender);
};

extern TFormAbout* FormAbout;
