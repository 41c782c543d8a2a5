#pragma once
// The skinned page and tab controls and their sheets.

#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinTabs_tabs.h"

XJ_UNIT_REGISTRATION(RegisterbsSkinTabs)
