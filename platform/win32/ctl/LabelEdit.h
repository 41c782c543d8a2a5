#pragma once
// The editor a view opens over an item's label: an "EDIT" child of the view holding the label's text,
// all of it selected, with the focus. Enter ends it keeping the text, Escape ends it cancelled, and the
// focus going elsewhere ends it keeping the text; the view hears of the end through `ended` and then
// closes the editor itself. The editor asks the view for its colours (WM_CTLCOLOREDIT), so it looks like
// the view it sits on.

#include <string>

#include "platform/win32/WinUser.h"

namespace xj::ctl {

using LabelEditEnded = void (*)(HWND owner, bool cancel);

// The editor, or null when it could not be made.
HWND OpenLabelEdit(HWND owner, const RECT& r, const std::string& text, HFONT font, LabelEditEnded ended);
// Reads the editor's text and destroys it; the owner gets the focus back when the editor had it.
std::string CloseLabelEdit(HWND edit);

}  // namespace xj::ctl
