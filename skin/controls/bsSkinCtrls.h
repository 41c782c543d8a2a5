#pragma once
// The skinned controls: controls of the class library that draw themselves from a control record of a
// skin data component and fall back to a built-in look without one. One header per topic; this one
// brings them all.

#include "skin/controls/bsSkinCtrls_base.h"

XJ_UNIT_REGISTRATION(RegisterbsSkinCtrls)
