#include "skin/controls/bsSkinCtrls.h"

namespace xj::vcl {

// Form resources create the skinned controls by class name.
bool RegisterbsSkinCtrls() {
  static const bool done = [] {
    RegisterClasses({ TbsSkinControl::StaticClass(), TbsSkinCustomControl::StaticClass() });
    RegisterClasses({ TbsSkinButton::StaticClass(), TbsSkinMenuButton::StaticClass() });
    RegisterClasses({ TbsSkinScrollBar::StaticClass() });
    RegisterClasses({ TbsSkinTrackBar::StaticClass() });
    RegisterClasses({ TbsSkinGauge::StaticClass() });
    RegisterClasses({ TbsSkinStdLabel::StaticClass(), TbsSkinLabel::StaticClass(), TbsSkinStatusPanel::StaticClass() });
    RegisterClasses({ TbsSkinPanel::StaticClass(), TbsSkinGroupBox::StaticClass(), TbsSkinCheckRadioBox::StaticClass(),
                      TbsSkinRadioGroup::StaticClass(), TbsSkinCheckGroup::StaticClass() });
    RegisterClasses({ TbsSkinSplitter::StaticClass(), TbsSkinControlBar::StaticClass() });
    RegisterClasses({ TbsGraphicSkinControl::StaticClass(), TbsGraphicSkinCustomControl::StaticClass(),
                      TbsSkinSpeedButton::StaticClass(), TbsSkinMenuSpeedButton::StaticClass() });
    RegisterClasses({ TbsSkinBevel::StaticClass(), TbsSkinXFormButton::StaticClass() });
    RegisterClasses({ TbsSkinTextLabel::StaticClass(), TbsSkinLinkImage::StaticClass(), TbsSkinLinkLabel::StaticClass(),
                      TbsSkinButtonLabel::StaticClass() });
    RegisterClasses({ TbsSkinButtonsBar::StaticClass() });
    RegisterClasses({ TbsSkinTreeView::StaticClass(), TbsSkinRichEdit::StaticClass() });
    RegisterClasses({ TbsSkinHeaderControl::StaticClass() });
    RegisterClasses({ TbsSkinListView::StaticClass() });
    RegisterClasses({ TbsSkinSlider::StaticClass() });
    RegisterClasses({ TbsSkinExPanel::StaticClass() });
    RegisterClasses({ TbsSkinToolBar::StaticClass(), TbsSkinStatusBar::StaticClass() });
    RegisterClasses({ TbsSkinNotebook::StaticClass(), TbsSkinPage::StaticClass(), TbsSkinScrollPanel::StaticClass() });
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
