#pragma once
// Common controls: class names, messages, notifications and the structures that carry them. The
// controls themselves are the class library's stock controls; nothing outside depends on these
// numbers, which follow the usual blocks.

#include "platform/win32/WinUser.h"

// Class names (GetClassNameA reads these back for the child windows that skinned controls look for).
#define WC_HEADERA "SysHeader32"
#define WC_LISTVIEWA "SysListView32"
#define WC_TREEVIEWA "SysTreeView32"
#define WC_TABCONTROLA "SysTabControl32"
#define UPDOWN_CLASSA "msctls_updown32"
#define PROGRESS_CLASSA "msctls_progress32"
#define TRACKBAR_CLASSA "msctls_trackbar32"
#define STATUSCLASSNAMEA "msctls_statusbar32"
#define TOOLTIPS_CLASSA "tooltips_class32"

// Message blocks.
#define LVM_FIRST 0x1000
#define TV_FIRST 0x1100
#define HDM_FIRST 0x1200
#define TCM_FIRST 0x1300
#define CCM_FIRST 0x2000

// Notification code blocks (NMHDR.code), negative as unsigned values.
#define NM_FIRST (0U - 0U)
#define NM_CLICK (NM_FIRST - 2)
#define NM_DBLCLK (NM_FIRST - 3)
#define NM_RETURN (NM_FIRST - 4)
#define NM_RCLICK (NM_FIRST - 5)
#define NM_SETFOCUS (NM_FIRST - 7)
#define NM_KILLFOCUS (NM_FIRST - 8)
#define NM_CUSTOMDRAW (NM_FIRST - 12)
#define LVN_FIRST (0U - 100U)
#define HDN_FIRST (0U - 300U)
#define TVN_FIRST (0U - 400U)
#define TCN_FIRST (0U - 550U)
#define UDN_FIRST (0U - 721U)

// Header.
#define HDM_GETITEMCOUNT (HDM_FIRST + 0)
#define HDM_INSERTITEMA (HDM_FIRST + 1)
#define HDM_DELETEITEM (HDM_FIRST + 2)
#define HDM_GETITEMA (HDM_FIRST + 3)
#define HDM_SETITEMA (HDM_FIRST + 4)
#define HDM_LAYOUT (HDM_FIRST + 5)
#define HDM_HITTEST (HDM_FIRST + 6)
#define HDM_GETITEMRECT (HDM_FIRST + 7)
#define HDM_ORDERTOINDEX (HDM_FIRST + 15)
#define HDM_SETORDERARRAY (HDM_FIRST + 18)
#define HDM_GETORDERARRAY (HDM_FIRST + 17)
#define HDN_ITEMCHANGINGA (HDN_FIRST - 0)
#define HDN_ITEMCHANGEDA (HDN_FIRST - 1)
#define HDN_ITEMCLICKA (HDN_FIRST - 2)
#define HDN_BEGINTRACKA (HDN_FIRST - 6)
#define HDN_ENDTRACKA (HDN_FIRST - 7)
#define HDN_TRACKA (HDN_FIRST - 8)
#define HHT_NOWHERE 0x0001
#define HHT_ONHEADER 0x0002
#define HHT_ONDIVIDER 0x0004

typedef struct _HD_HITTESTINFO {
  POINT pt;
  UINT flags;
  int iItem;
} HDHITTESTINFO, *LPHDHITTESTINFO;

// List view.
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_SCROLL (LVM_FIRST + 20)
#define LVM_GETHEADER (LVM_FIRST + 31)
#define LVM_GETTOPINDEX (LVM_FIRST + 39)
#define LVM_GETCOUNTPERPAGE (LVM_FIRST + 40)
#define LVIR_BOUNDS 0
#define LVIR_ICON 1
#define LVIR_LABEL 2
#define LVIR_SELECTBOUNDS 3
#define LVN_ITEMCHANGED (LVN_FIRST - 1)
#define LVN_COLUMNCLICK (LVN_FIRST - 8)

// Tree view.
#define TVM_GETCOUNT (TV_FIRST + 5)
#define TVM_GETITEMRECT (TV_FIRST + 4)
#define TVM_GETVISIBLECOUNT (TV_FIRST + 16)
#define TVM_ENSUREVISIBLE (TV_FIRST + 20)
#define TVN_SELCHANGEDA (TVN_FIRST - 2)
#define TVN_ITEMEXPANDEDA (TVN_FIRST - 6)

// Tab control.
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_HITTEST (TCM_FIRST + 13)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)
#define TCM_SETITEMSIZE (TCM_FIRST + 41)
#define TCM_GETROWCOUNT (TCM_FIRST + 44)
#define TCN_SELCHANGE (TCN_FIRST - 1)
#define TCN_SELCHANGING (TCN_FIRST - 2)

// Up-down control.
#define UDM_SETRANGE (WM_USER + 101)
#define UDM_GETRANGE (WM_USER + 102)
#define UDM_SETPOS (WM_USER + 103)
#define UDM_GETPOS (WM_USER + 104)
#define UDN_DELTAPOS (UDN_FIRST - 1)

typedef struct _NM_UPDOWN {
  NMHDR hdr;
  int iPos;
  int iDelta;
} NMUPDOWN, *LPNMUPDOWN;

// Progress bar and track bar.
#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#define PBM_DELTAPOS (WM_USER + 3)
#define PBM_SETSTEP (WM_USER + 4)
#define PBM_STEPIT (WM_USER + 5)
#define PBM_SETRANGE32 (WM_USER + 6)
#define PBM_GETPOS (WM_USER + 8)
#define TBM_GETPOS (WM_USER)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)

// Status bar.
#define SB_SETTEXTA (WM_USER + 1)
#define SB_GETTEXTA (WM_USER + 2)
#define SB_SETPARTS (WM_USER + 4)
#define SB_GETPARTS (WM_USER + 6)
#define SB_GETRECT (WM_USER + 10)
#define SB_SIMPLE (WM_USER + 9)

// Custom draw.
#define CDDS_PREPAINT 0x00000001
#define CDDS_POSTPAINT 0x00000002
#define CDDS_ITEM 0x00010000
#define CDDS_ITEMPREPAINT (CDDS_ITEM | CDDS_PREPAINT)
#define CDRF_DODEFAULT 0x00000000
#define CDRF_SKIPDEFAULT 0x00000004
#define CDRF_NOTIFYITEMDRAW 0x00000020

// Rich edit ("RICHEDIT"): the multi-line edit with pixel scroll state, an event mask and wrapping by request.
#define RICHEDIT_CLASSA "RICHEDIT"
#define EM_EXGETSEL (WM_USER + 52)
#define EM_EXLIMITTEXT (WM_USER + 53)
#define EM_EXSETSEL (WM_USER + 55)
#define EM_GETEVENTMASK (WM_USER + 59)
#define EM_SETEVENTMASK (WM_USER + 69)
#define EM_SETTARGETDEVICE (WM_USER + 72)
#define ENM_CHANGE 0x00000001
#define ENM_SELCHANGE 0x00080000
#define EN_SELCHANGE 0x0702
#define SEL_EMPTY 0x0000
#define SEL_TEXT 0x0001
typedef struct _charrange {
  LONG cpMin;
  LONG cpMax;
} CHARRANGE;
typedef struct _selchange {
  NMHDR nmhdr;
  CHARRANGE chrg;
  WORD seltyp;
} SELCHANGE;
