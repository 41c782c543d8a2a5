#pragma once
// The class library's Dialogs unit: the message dialogs (over the window manager's message box).

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
