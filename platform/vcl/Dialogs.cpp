// Message dialogs over MessageBoxA.

#include "platform/vcl/Dialogs.h"

#include "platform/vcl/Forms.h"

namespace {

UINT BoxType(TMsgDlgButtons b) {
  const bool yes = b.Contains(mbYes) || b.Contains(mbYesToAll) || b.Contains(mbAll);
  const bool no = b.Contains(mbNo) || b.Contains(mbNoToAll);
  if (b.Contains(mbAbort) || (b.Contains(mbIgnore) && b.Contains(mbRetry))) return MB_ABORTRETRYIGNORE;
  if (yes && no) return b.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
  if (b.Contains(mbRetry)) return MB_RETRYCANCEL;
  if (b.Contains(mbCancel)) return MB_OKCANCEL;
  return MB_OK;
}

}  // namespace

void ShowMessage(const AnsiString& Msg) {
  const AnsiString title = Application ? Application->Title() : AnsiString();
  MessageBoxA(GetActiveWindow(), Msg.c_str(), title.c_str(), MB_OK);
}

int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
  static const char* const kCaptions[] = { "警告", "错误", "信息", "确认", "" };
  static const UINT kIcons[] = { MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0 };
  AnsiString caption = kCaptions[DlgType];
  if (DlgType == mtCustom && Application) caption = Application->Title();
  HWND active = GetActiveWindow();
  const int r = MessageBoxA(active, Msg.c_str(), caption.c_str(), BoxType(Buttons) | kIcons[DlgType]);
  if (active && IsWindow(active)) SetActiveWindow(active);
  return r;
}
