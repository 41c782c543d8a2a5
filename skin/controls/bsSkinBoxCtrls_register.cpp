#include "skin/controls/bsSkinBoxCtrls.h"

namespace xj::vcl {

// Form resources create the skinned edits, memos and lists by class name.
bool RegisterbsSkinBoxCtrls() {
  static const bool done = [] {
    RegisterPublishedClasses<TbsSkinUpDown>();
    RegisterPublishedClasses<TbsCustomEdit, TbsSkinNumEdit, TbsSkinSpinEdit, TbsSkinCustomEdit, TbsSkinEdit,
                             TbsSkinMaskEdit>();
    RegisterPublishedClasses<TbsSkinTimeEdit, TbsSkinPopupTrackBar, TbsSkinTrackEdit>();
    RegisterPublishedClasses<TbsSkinMemo, TbsSkinMemo2>();
    RegisterPublishedClasses<TbsSkinListBox, TbsSkinCheckListBox>();
    RegisterPublishedClasses<TbsSkinScrollBox>();
    RegisterPublishedClasses<TbsSkinMonthCalendar, TbsSkinPopupMonthCalendar, TbsSkinDateEdit>();
    RegisterPublishedClasses<TbsPopupListBox, TbsSkinComboBox>();
    RegisterPublishedClasses<TbsSkinColorComboBox, TbsSkinFontComboBox>();
    // One RegisterPublishedClasses line per topic, above this comment.
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
