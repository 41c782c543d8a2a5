#pragma once
// The class library's message layer: the window message numbers, the library's own CM_* and CN_*
// messages, and the message records. Every record has the layout of TMessage (Msg, WParam, LParam,
// Result), so a TMessage& may be viewed as any record with reinterpret_cast; fields packed into a word
// of WParam or LParam sit where that word lies (low word first).

#include <cstddef>

#include "platform/win32/WinUser.h"

class TControl;
class TWinControl;

// ---- The class library's messages (numbers ours) ---------------------------------------------------

#define CM_BASE 0xB000
#define CM_ACTIVATE (CM_BASE + 0)
#define CM_DEACTIVATE (CM_BASE + 1)
#define CM_GOTFOCUS (CM_BASE + 2)
#define CM_LOSTFOCUS (CM_BASE + 3)
#define CM_CANCELMODE (CM_BASE + 4)
#define CM_DIALOGKEY (CM_BASE + 5)
#define CM_DIALOGCHAR (CM_BASE + 6)
#define CM_FOCUSCHANGED (CM_BASE + 7)
#define CM_PARENTFONTCHANGED (CM_BASE + 8)
#define CM_PARENTCOLORCHANGED (CM_BASE + 9)
#define CM_HITTEST (CM_BASE + 10)
#define CM_VISIBLECHANGED (CM_BASE + 11)
#define CM_ENABLEDCHANGED (CM_BASE + 12)
#define CM_COLORCHANGED (CM_BASE + 13)
#define CM_FONTCHANGED (CM_BASE + 14)
#define CM_CURSORCHANGED (CM_BASE + 15)
#define CM_CTL3DCHANGED (CM_BASE + 16)
#define CM_PARENTCTL3DCHANGED (CM_BASE + 17)
#define CM_TEXTCHANGED (CM_BASE + 18)
#define CM_MOUSEENTER (CM_BASE + 19)
#define CM_MOUSELEAVE (CM_BASE + 20)
#define CM_MENUCHANGED (CM_BASE + 21)
#define CM_APPKEYDOWN (CM_BASE + 22)
#define CM_APPSYSCOMMAND (CM_BASE + 23)
#define CM_BUTTONPRESSED (CM_BASE + 24)
#define CM_SHOWINGCHANGED (CM_BASE + 25)
#define CM_ENTER (CM_BASE + 26)
#define CM_EXIT (CM_BASE + 27)
#define CM_DESIGNHITTEST (CM_BASE + 28)
#define CM_ICONCHANGED (CM_BASE + 29)
#define CM_WANTSPECIALKEY (CM_BASE + 30)
#define CM_INVOKEHELP (CM_BASE + 31)
#define CM_WINDOWHOOK (CM_BASE + 32)
#define CM_RELEASE (CM_BASE + 33)
#define CM_SHOWHINTCHANGED (CM_BASE + 34)
#define CM_PARENTSHOWHINTCHANGED (CM_BASE + 35)
#define CM_SYSCOLORCHANGE (CM_BASE + 36)
#define CM_WININICHANGE (CM_BASE + 37)
#define CM_FONTCHANGE (CM_BASE + 38)
#define CM_TIMECHANGE (CM_BASE + 39)
#define CM_TABSTOPCHANGED (CM_BASE + 40)
#define CM_UIACTIVATE (CM_BASE + 41)
#define CM_UIDEACTIVATE (CM_BASE + 42)
#define CM_DOCWINDOWACTIVATE (CM_BASE + 43)
#define CM_CONTROLLISTCHANGE (CM_BASE + 44)
#define CM_GETDATALINK (CM_BASE + 45)
#define CM_CHILDKEY (CM_BASE + 46)
#define CM_DRAG (CM_BASE + 47)
#define CM_HINTSHOW (CM_BASE + 48)
#define CM_DIALOGHANDLE (CM_BASE + 49)
#define CM_ISTOOLCONTROL (CM_BASE + 50)
#define CM_RECREATEWND (CM_BASE + 51)
#define CM_INVALIDATE (CM_BASE + 52)
#define CM_SYSFONTCHANGED (CM_BASE + 53)
#define CM_CONTROLCHANGE (CM_BASE + 54)
#define CM_CHANGED (CM_BASE + 55)
#define CM_DOCKCLIENT (CM_BASE + 56)
#define CM_UNDOCKCLIENT (CM_BASE + 57)
#define CM_FLOAT (CM_BASE + 58)
#define CM_BORDERCHANGED (CM_BASE + 59)
#define CM_BIDIMODECHANGED (CM_BASE + 60)
#define CM_PARENTBIDIMODECHANGED (CM_BASE + 61)
#define CM_ALLCHILDRENFLIPPED (CM_BASE + 62)
#define CM_ACTIONUPDATE (CM_BASE + 63)
#define CM_ACTIONEXECUTE (CM_BASE + 64)
#define CM_HINTSHOWPAUSE (CM_BASE + 65)
#define CM_DOCKNOTIFICATION (CM_BASE + 66)
#define CM_MOUSEWHEEL (CM_BASE + 67)

// Notifications reflected back to the control that caused them: CN_x = CN_BASE + WM_x.
#define CN_BASE 0xBC00
#define CN_CHARTOITEM (CN_BASE + 0x002F)
#define CN_COMMAND (CN_BASE + WM_COMMAND)
#define CN_COMPAREITEM (CN_BASE + 0x0039)
#define CN_CTLCOLORBTN (CN_BASE + WM_CTLCOLORBTN)
#define CN_CTLCOLORDLG (CN_BASE + WM_CTLCOLORDLG)
#define CN_CTLCOLOREDIT (CN_BASE + WM_CTLCOLOREDIT)
#define CN_CTLCOLORLISTBOX (CN_BASE + WM_CTLCOLORLISTBOX)
#define CN_CTLCOLORMSGBOX (CN_BASE + WM_CTLCOLORMSGBOX)
#define CN_CTLCOLORSCROLLBAR (CN_BASE + WM_CTLCOLORSCROLLBAR)
#define CN_CTLCOLORSTATIC (CN_BASE + WM_CTLCOLORSTATIC)
#define CN_DELETEITEM (CN_BASE + 0x002D)
#define CN_DRAWITEM (CN_BASE + WM_DRAWITEM)
#define CN_HSCROLL (CN_BASE + WM_HSCROLL)
#define CN_MEASUREITEM (CN_BASE + WM_MEASUREITEM)
#define CN_PARENTNOTIFY (CN_BASE + WM_PARENTNOTIFY)
#define CN_VKEYTOITEM (CN_BASE + 0x002E)
#define CN_VSCROLL (CN_BASE + WM_VSCROLL)
#define CN_KEYDOWN (CN_BASE + WM_KEYDOWN)
#define CN_KEYUP (CN_BASE + WM_KEYUP)
#define CN_CHAR (CN_BASE + WM_CHAR)
#define CN_SYSKEYDOWN (CN_BASE + WM_SYSKEYDOWN)
#define CN_SYSCHAR (CN_BASE + WM_SYSCHAR)
#define CN_NOTIFY (CN_BASE + WM_NOTIFY)

// ---- Records --------------------------------------------------------------------------------------

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;

  WORD WParamLo() const { return LOWORD(WParam); }
  WORD WParamHi() const { return HIWORD(WParam); }
  WORD LParamLo() const { return LOWORD(LParam); }
  WORD LParamHi() const { return HIWORD(LParam); }
};

// A word pair packed into a pointer-sized parameter, low word first, then padding.
#define XJ_WORDS(a, b)    \
  alignas(WPARAM) WORD a; \
  WORD b;                 \
  BYTE a##_##b##_pad[sizeof(WPARAM) - 4]
#define XJ_SHORTS(a, b)    \
  alignas(LPARAM) SHORT a; \
  SHORT b;                 \
  BYTE a##_##b##_pad[sizeof(LPARAM) - 4]

struct TWMNoParams {
  UINT Msg;
  WPARAM Unused0;
  LPARAM Unused1;
  LRESULT Result;
};

struct TWMKey {
  UINT Msg;
  XJ_WORDS(CharCode, Unused);
  alignas(LPARAM) LONG KeyData;
  BYTE KeyDataPad[sizeof(LPARAM) - 4];
  LRESULT Result;
};
typedef TWMKey TWMChar;
typedef TWMKey TWMKeyDown;
typedef TWMKey TWMKeyUp;
typedef TWMKey TWMSysKeyDown;
typedef TWMKey TWMSysChar;
typedef TWMKey TCMDialogKey;
typedef TWMKey TCMDialogChar;
typedef TWMKey TCMWantSpecialKey;

struct TWMMouse {
  UINT Msg;
  WPARAM Keys;
  XJ_SHORTS(XPos, YPos);
  LRESULT Result;
};
typedef TWMMouse TWMLButtonDown;
typedef TWMMouse TWMLButtonUp;
typedef TWMMouse TWMLButtonDblClk;
typedef TWMMouse TWMRButtonDown;
typedef TWMMouse TWMRButtonUp;
typedef TWMMouse TWMMButtonDown;
typedef TWMMouse TWMMButtonUp;
typedef TWMMouse TWMMouseMove;

// The wheel delta is the high word of WParam: ±120 a notch, positive away from the user.
struct TWMMouseWheel {
  UINT Msg;
  struct alignas(WPARAM) {
    SHORT Keys;
    SHORT WheelDelta;
    BYTE Pad[sizeof(WPARAM) - 4];
  };
  XJ_SHORTS(XPos, YPos);
  LRESULT Result;
};

struct TCMMouseWheel {
  UINT Msg;
  struct alignas(WPARAM) {
    SHORT ShiftState;
    SHORT WheelDelta;
    BYTE Pad[sizeof(WPARAM) - 4];
  };
  XJ_SHORTS(XPos, YPos);
  LRESULT Result;
};

struct TWMNCHitTest {
  UINT Msg;
  WPARAM Unused;
  XJ_SHORTS(XPos, YPos);
  LRESULT Result;
};

struct TWMNCCalcSize {
  UINT Msg;
  WPARAM CalcValidRects;
  NCCALCSIZE_PARAMS* CalcSize_Params;
  LRESULT Result;
};

struct TWMNCActivate {
  UINT Msg;
  WPARAM Active;
  LPARAM Unused;
  LRESULT Result;
};

struct TWMPaint {
  UINT Msg;
  HDC DC;
  LPARAM Unused;
  LRESULT Result;
};

struct TWMEraseBkgnd {
  UINT Msg;
  HDC DC;
  LPARAM Unused;
  LRESULT Result;
};

struct TWMSize {
  UINT Msg;
  WPARAM SizeType;
  XJ_WORDS(Width, Height);
  LRESULT Result;
};

struct TWMMove {
  UINT Msg;
  WPARAM Unused;
  XJ_SHORTS(XPos, YPos);
  LRESULT Result;
};

struct TWMTimer {
  UINT Msg;
  WPARAM TimerID;
  TIMERPROC TimerProc;
  LRESULT Result;
};

struct TWMCommand {
  UINT Msg;
  XJ_WORDS(ItemID, NotifyCode);
  HWND Ctl;
  LRESULT Result;
};

struct TWMNotify {
  UINT Msg;
  WPARAM IDCtrl;
  NMHDR* NMHdr;
  LRESULT Result;
};

struct TWMDrawItem {
  UINT Msg;
  WPARAM Ctl;
  DRAWITEMSTRUCT* DrawItemStruct;
  LRESULT Result;
};

struct TWMMeasureItem {
  UINT Msg;
  WPARAM IDCtl;
  MEASUREITEMSTRUCT* MeasureItemStruct;
  LRESULT Result;
};

struct TWMSetFocus {
  UINT Msg;
  HWND FocusedWnd;
  LPARAM Unused;
  LRESULT Result;
};
typedef TWMSetFocus TWMKillFocus;

struct TWMActivate {
  UINT Msg;
  XJ_WORDS(Active, Minimized);
  HWND ActiveWindow;
  LRESULT Result;
};

struct TWMMouseActivate {
  UINT Msg;
  HWND TopLevel;
  XJ_WORDS(HitTestCode, MouseMsg);
  LRESULT Result;
};

struct TWMSysCommand {
  UINT Msg;
  WPARAM CmdType;
  XJ_SHORTS(XPos, YPos);
  LRESULT Result;
};

struct TWMWindowPosMsg {
  UINT Msg;
  WPARAM Unused;
  WINDOWPOS* WindowPos;
  LRESULT Result;
};
typedef TWMWindowPosMsg TWMWindowPosChanged;
typedef TWMWindowPosMsg TWMWindowPosChanging;

struct TWMGetMinMaxInfo {
  UINT Msg;
  WPARAM Unused;
  MINMAXINFO* MinMaxInfo;
  LRESULT Result;
};

// Pos is 16 bits as the platform sends it; SBX_THUMBPOSITION32 carries the full position in LParam.
struct TWMScroll {
  UINT Msg;
  XJ_WORDS(ScrollCode, Pos);
  HWND ScrollBar;
  LRESULT Result;
};
typedef TWMScroll TWMHScroll;
typedef TWMScroll TWMVScroll;

struct TWMCtlColor {
  UINT Msg;
  HDC ChildDC;
  HWND ChildWnd;
  LRESULT Result;
};

struct TWMContextMenu {
  UINT Msg;
  HWND hWnd;
  XJ_SHORTS(XPos, YPos);
  LRESULT Result;
};

struct TWMSetText {
  UINT Msg;
  WPARAM Unused;
  const char* Text;
  LRESULT Result;
};

struct TWMShowWindow {
  UINT Msg;
  WPARAM Show;
  LPARAM Status;
  LRESULT Result;
};

// Event is the notifying message (WM_CREATE, WM_DESTROY or a button-down); for button-downs LParam
// holds the point, otherwise the child window.
struct TWMParentNotify {
  UINT Msg;
  XJ_WORDS(Event, ChildID);
  union {
    HWND ChildWnd;
    struct {
      SHORT XPos;
      SHORT YPos;
    };
  };
  LRESULT Result;
};

struct TCMFocusChanged {
  UINT Msg;
  WPARAM Unused;
  TWinControl* Sender;
  LRESULT Result;
};

struct TCMCancelMode {
  UINT Msg;
  WPARAM Unused;
  TControl* Sender;
  LRESULT Result;
};

#undef XJ_WORDS
#undef XJ_SHORTS

// Every record must be a TMessage seen differently.
#define XJ_SAME_LAYOUT(T)                                                                       \
  static_assert(sizeof(T) == sizeof(TMessage) && offsetof(T, Msg) == offsetof(TMessage, Msg) && \
                    offsetof(T, Result) == offsetof(TMessage, Result),                          \
                #T " must have the layout of TMessage")
XJ_SAME_LAYOUT(TWMNoParams);
XJ_SAME_LAYOUT(TWMKey);
XJ_SAME_LAYOUT(TWMMouse);
XJ_SAME_LAYOUT(TWMMouseWheel);
XJ_SAME_LAYOUT(TCMMouseWheel);
XJ_SAME_LAYOUT(TWMNCHitTest);
XJ_SAME_LAYOUT(TWMNCCalcSize);
XJ_SAME_LAYOUT(TWMNCActivate);
XJ_SAME_LAYOUT(TWMPaint);
XJ_SAME_LAYOUT(TWMEraseBkgnd);
XJ_SAME_LAYOUT(TWMSize);
XJ_SAME_LAYOUT(TWMMove);
XJ_SAME_LAYOUT(TWMTimer);
XJ_SAME_LAYOUT(TWMCommand);
XJ_SAME_LAYOUT(TWMNotify);
XJ_SAME_LAYOUT(TWMDrawItem);
XJ_SAME_LAYOUT(TWMMeasureItem);
XJ_SAME_LAYOUT(TWMSetFocus);
XJ_SAME_LAYOUT(TWMActivate);
XJ_SAME_LAYOUT(TWMMouseActivate);
XJ_SAME_LAYOUT(TWMSysCommand);
XJ_SAME_LAYOUT(TWMWindowPosMsg);
XJ_SAME_LAYOUT(TWMGetMinMaxInfo);
XJ_SAME_LAYOUT(TWMScroll);
XJ_SAME_LAYOUT(TWMCtlColor);
XJ_SAME_LAYOUT(TWMContextMenu);
XJ_SAME_LAYOUT(TWMSetText);
XJ_SAME_LAYOUT(TWMShowWindow);
XJ_SAME_LAYOUT(TWMParentNotify);
XJ_SAME_LAYOUT(TCMFocusChanged);
XJ_SAME_LAYOUT(TCMCancelMode);
#undef XJ_SAME_LAYOUT

// Fields that split a parameter sit where the parameter does.
static_assert(offsetof(TWMKey, CharCode) == offsetof(TMessage, WParam) &&
              offsetof(TWMKey, KeyData) == offsetof(TMessage, LParam));
static_assert(offsetof(TWMMouse, XPos) == offsetof(TMessage, LParam) &&
              offsetof(TWMMouse, YPos) == offsetof(TMessage, LParam) + 2);
static_assert(offsetof(TWMMouseWheel, WheelDelta) == offsetof(TMessage, WParam) + 2);
static_assert(offsetof(TCMMouseWheel, WheelDelta) == offsetof(TMessage, WParam) + 2);
static_assert(offsetof(TWMCommand, ItemID) == offsetof(TMessage, WParam) &&
              offsetof(TWMCommand, NotifyCode) == offsetof(TMessage, WParam) + 2);
static_assert(offsetof(TWMSize, Width) == offsetof(TMessage, LParam));
static_assert(offsetof(TWMActivate, Minimized) == offsetof(TMessage, WParam) + 2);
static_assert(offsetof(TWMMouseActivate, MouseMsg) == offsetof(TMessage, LParam) + 2);
static_assert(offsetof(TWMScroll, Pos) == offsetof(TMessage, WParam) + 2);
static_assert(offsetof(TWMParentNotify, ChildID) == offsetof(TMessage, WParam) + 2 &&
              offsetof(TWMParentNotify, ChildWnd) == offsetof(TMessage, LParam));
