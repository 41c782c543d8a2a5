#pragma once
// The multi-line view over MemoText, shared by the multi-line "EDIT" and the "RICHEDIT" class. The
// edit keeps its vertical scroll state in rows (position = first visible row) and its horizontal one
// in pixels; the rich edit keeps both in pixels. Either state is kept when the window shows no bars.

#include <cstdint>
#include <functional>

#include "platform/win32/CommCtrl.h"
#include "platform/win32/ctl/MemoText.h"
#include "platform/win32/ctl/RichText.h"

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
// The rich edit's text and formats (null for anything else), for its own messages.
MemoText* MemoTextOf(HWND hwnd);
RichText* MemoFormatsOf(HWND hwnd);
// The formats of [from, to] changed (all of them by default): those rows are laid out again and the
// view repainted.
void MemoRestyled(HWND hwnd, size_t from = 0, size_t to = SIZE_MAX);
// A message as the rich edit's parent hears of it when asked about protected text.
struct MemoMessage {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
// The formats of [from, to) change through `restyle` as `why` asks, as a step of the undo history, laid
// out again and repainted. With `ask`, protected text there is first asked about as edits ask
// (EN_PROTECTED): false when the parent refused or edited meanwhile, and nothing changes.
bool MemoRestyle(HWND hwnd, const MemoMessage& why, bool ask, size_t from, size_t to,
                 const std::function<void()>& restyle);
// The whole text and its formats replaced, as WM_SETTEXT replaces the text.
void MemoSetDocument(HWND hwnd, RichDocument&& doc);
// The selection replaced by a document, as a paste replaces it: false when the edit refused it or its
// limit cut it (a cut document goes in without its formats).
bool MemoInsertDocument(HWND hwnd, const RichDocument& doc);

}  // namespace xj::ctl
