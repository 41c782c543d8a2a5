#pragma once
// The console's message dialog: a picture, a word-wrapped message (Label1) and three transparent
// buttons. A caller fills Label1, shows the dialog modally and reads the result: mrYes (6) for OK,
// mrNo (7) for Cancel or Close. It is made at start and stays hidden between uses.

#include "platform/vcl/Forms.h"

class TImage;
class TLabel;
class TPanel;
class TTransparentButton;

class TFormDialog : public TForm {
  XJ_CLASS(TFormDialog, TForm)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TFormDialog(TComponent* AOwner);

  TPanel* Panel1 {};
  TLabel* Label1 {};
  TImage* Image {};
  TTransparentButton* ButtonOk {};
  TTransparentButton* ButtonCancel {};
  TTransparentButton* ButtonClose {};

  void ButtonOkClick(TObject* Sender);
  void ButtonCancelClick(TObject* Sender);
  void ButtonCloseClick(TObject* Sender);
};

extern TFormDialog* FormDialog;
