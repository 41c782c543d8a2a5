#pragma once
// The class library's Dialogs unit: the message dialogs (over the window manager's message box) and
// the colour dialog.

#include <memory>

#include "platform/vcl/Controls.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
XJ_ENUM_IDENTS(TMsgDlgType, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom);

enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
XJ_ENUM_IDENTS(TMsgDlgBtn, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll,
               mbHelp);
typedef Set<TMsgDlgBtn> TMsgDlgButtons;

const TMsgDlgButtons mbYesNoCancel { mbYes, mbNo, mbCancel };
const TMsgDlgButtons mbOKCancel { mbOK, mbCancel };
const TMsgDlgButtons mbAbortRetryIgnore { mbAbort, mbRetry, mbIgnore };

// A modal message box captioned with the application's title, with an OK button.
void ShowMessage(const AnsiString& Msg);
// A modal message box with the type's caption and icon and the buttons asked for; returns the ModalResult of
// the button pressed (mrOk, mrYes, ...). The buttons are those of the message box closest to the set
// (all, no-to-all and yes-to-all become the plain answers; help is not offered).
int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);

// ---- Common dialogs ----------------------------------------------------------------------------------------

class TCommonDialog : public TComponent {
  XJ_CLASS(TCommonDialog, TComponent)
 public:
  explicit TCommonDialog(TComponent* AOwner);
  ~TCommonDialog() override;
  // Runs the dialog modally; true when the user confirmed.
  virtual bool Execute() = 0;
};

// A modal form of stock controls: the 48 basic colours, sixteen custom colours, red/green/blue entry,
// a preview, and "add to custom colours". The test harness sees its loop as the colour dialog's.
class TColorDialog : public TCommonDialog {
  XJ_CLASS(TColorDialog, TCommonDialog)
  XJ_PUBLISHED_ACCESS;

 public:
  explicit TColorDialog(TComponent* AOwner);
  ~TColorDialog() override;

  // The colour shown first (a system colour is resolved), and the one chosen once Execute returned true.
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  // Lines "ColorA=XXXXXXXX" to "ColorP=XXXXXXXX", hexadecimal 0x00BBGGRR; a slot without a line, or
  // whose value is not a colour, starts white. On confirmation the sixteen slots are written back.
  TStrings* CustomColors() const { return FCustomColors.get(); }
  void SetCustomColors(TStrings* Value);

  bool Execute() override;

 private:
  TColor FColor { clBlack };
  std::unique_ptr<TStringList> FCustomColors;
};

XJ_UNIT_REGISTRATION(RegisterDialogs)
