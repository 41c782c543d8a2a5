#pragma once
// The skinned edits, memos, lists and combo boxes: one header per topic; this one brings them all.

#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinBoxCtrls_updown.h"
#include "skin/controls/bsSkinBoxCtrls_edits.h"
#include "skin/controls/bsSkinBoxCtrls_timeedit.h"
#include "skin/controls/bsSkinBoxCtrls_calendar.h"
#include "skin/controls/bsSkinBoxCtrls_lists.h"
#include "skin/controls/bsSkinBoxCtrls_memo.h"
#include "skin/controls/bsSkinBoxCtrls_scrollbox.h"
#include "skin/controls/bsSkinBoxCtrls_combo.h"
#include "skin/controls/bsSkinBoxCtrls_fontcolor.h"

XJ_UNIT_REGISTRATION(RegisterbsSkinBoxCtrls)
