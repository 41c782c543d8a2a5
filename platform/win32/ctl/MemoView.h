#pragma once
// The multi-line view over MemoText, shared by the multi-line "EDIT" and the "RICHEDIT" class. The
// edit keeps its vertical scroll state in rows (position = first visible row) and its horizontal one
// in pixels; the rich edit keeps both in pixels. Either state is kept when the window shows no bars.

#include "platform/win32/CommCtrl.h"

namespace xj::ctl {

// WM_NCCREATE of either class.
LRESULT MemoCreate(HWND hwnd, const CREATESTRUCTA* cs, bool rich);
// Every later message; false when the window is not a multi-line view.
bool MemoHandles(HWND hwnd);
LRESULT MemoWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// What only the rich edit asks of the view.
void MemoSetWrap(HWND hwnd, bool wrap);  // wrap at the window's width, or never
DWORD MemoEventMask(HWND hwnd);
void MemoSetEventMask(HWND hwnd, DWORD mask);
void MemoRequestResize(HWND hwnd);  // EN_REQUESTRESIZE now, whatever height was asked before
// EM_SETCHARFORMAT and EM_GETCHARFORMAT: the protected attribute of the selection or the whole text.
LRESULT MemoSetCharFormat(HWND hwnd, WPARAM which, const CHARFORMATA* format);
LRESULT MemoGetCharFormat(HWND hwnd, WPARAM which, CHARFORMATA* format);

}  // namespace xj::ctl
