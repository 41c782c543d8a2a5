#pragma once
// The skinned controls: controls of the class library that draw themselves from a control record of a
// skin data component and fall back to a built-in look without one. One header per topic; this one
// brings them all.

#include "skin/controls/bsSkinCtrls_base.h"
#include "skin/controls/bsSkinCtrls_button.h"
#include "skin/controls/bsSkinCtrls_scrollbar.h"
#include "skin/controls/bsSkinCtrls_trackbar.h"
#include "skin/controls/bsSkinCtrls_gauge.h"
#include "skin/controls/bsSkinCtrls_label.h"
#include "skin/controls/bsSkinCtrls_panel.h"
#include "skin/controls/bsSkinCtrls_checkradio.h"
#include "skin/controls/bsSkinCtrls_groups.h"
#include "skin/controls/bsSkinCtrls_splitter.h"
#include "skin/controls/bsSkinCtrls_speedbutton.h"
#include "skin/controls/bsSkinCtrls_bevel.h"
#include "skin/controls/bsSkinCtrls_textlabel.h"
#include "skin/controls/bsSkinCtrls_buttonsbar.h"
#include "skin/controls/bsSkinCtrls_views.h"
#include "skin/controls/bsSkinCtrls_listview.h"
#include "skin/controls/bsSkinCtrls_slider.h"
#include "skin/controls/bsSkinCtrls_expanel.h"
#include "skin/controls/bsSkinCtrls_toolbar.h"
#include "skin/controls/bsSkinCtrls_notebook.h"
#include "skin/controls/bsSkinCtrls_scrollpanel.h"

XJ_UNIT_REGISTRATION(RegisterbsSkinCtrls)
