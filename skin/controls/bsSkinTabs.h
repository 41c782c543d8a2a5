#pragma once
// The skinned page and tab controls and their sheets.

#include "skin/controls/bsSkinCtrls.h"

XJ_UNIT_REGISTRATION(RegisterbsSkinTabs)
