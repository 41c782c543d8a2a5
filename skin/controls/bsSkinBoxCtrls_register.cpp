#include "skin/controls/bsSkinBoxCtrls.h"

namespace xj::vcl {

// Form resources create the skinned edits, memos and lists by class name.
bool RegisterbsSkinBoxCtrls() {
  static const bool done = [] {
    RegisterClasses({ TbsSkinUpDown::StaticClass() });
    RegisterClasses({ TbsCustomEdit::StaticClass(), TbsSkinNumEdit::StaticClass(), TbsSkinSpinEdit::StaticClass(),
                      TbsSkinCustomEdit::StaticClass(), TbsSkinEdit::StaticClass(), TbsSkinMaskEdit::StaticClass() });
    RegisterClasses(
        { TbsSkinTimeEdit::StaticClass(), TbsSkinPopupTrackBar::StaticClass(), TbsSkinTrackEdit::StaticClass() });
    RegisterClasses({ TbsSkinMemo::StaticClass(), TbsSkinMemo2::StaticClass() });
    RegisterClasses({ TbsSkinListBox::StaticClass(), TbsSkinCheckListBox::StaticClass() });
    RegisterClasses({ TbsSkinScrollBox::StaticClass() });
    RegisterClasses({ TbsSkinMonthCalendar::StaticClass(), TbsSkinPopupMonthCalendar::StaticClass(),
                      TbsSkinDateEdit::StaticClass() });
    RegisterClasses({ TbsPopupListBox::StaticClass(), TbsSkinComboBox::StaticClass() });
    RegisterClasses({ TbsSkinColorComboBox::StaticClass(), TbsSkinFontComboBox::StaticClass() });
    // One RegisterClasses line per topic, above this comment.
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
