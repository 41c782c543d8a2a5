#include "skin/controls/bsSkinCtrls.h"

namespace xj::vcl {

// Form resources create the skinned controls by class name.
bool RegisterbsSkinCtrls() {
  static const bool done = [] {
    RegisterPublishedClasses<TbsSkinControl, TbsSkinCustomControl>();
    RegisterPublishedClasses<TbsSkinButton, TbsSkinMenuButton>();
    RegisterPublishedClasses<TbsSkinScrollBar>();
    RegisterPublishedClasses<TbsSkinTrackBar>();
    RegisterPublishedClasses<TbsSkinGauge>();
    RegisterPublishedClasses<TbsSkinStdLabel, TbsSkinLabel, TbsSkinStatusPanel>();
    RegisterPublishedClasses<TbsSkinPanel, TbsSkinGroupBox, TbsSkinCheckRadioBox, TbsSkinRadioGroup,
                             TbsSkinCheckGroup>();
    RegisterPublishedClasses<TbsSkinSplitter, TbsSkinControlBar>();
    RegisterPublishedClasses<TbsGraphicSkinControl, TbsGraphicSkinCustomControl, TbsSkinSpeedButton,
                             TbsSkinMenuSpeedButton>();
    RegisterPublishedClasses<TbsSkinBevel, TbsSkinXFormButton>();
    RegisterPublishedClasses<TbsSkinTextLabel, TbsSkinLinkImage, TbsSkinLinkLabel, TbsSkinButtonLabel>();
    RegisterPublishedClasses<TbsSkinButtonsBar>();
    RegisterPublishedClasses<TbsSkinTreeView, TbsSkinRichEdit>();
    RegisterPublishedClasses<TbsSkinHeaderControl>();
    RegisterPublishedClasses<TbsSkinListView>();
    RegisterPublishedClasses<TbsSkinSlider>();
    RegisterPublishedClasses<TbsSkinExPanel>();
    RegisterPublishedClasses<TbsSkinToolBar, TbsSkinStatusBar>();
    RegisterPublishedClasses<TbsSkinNotebook, TbsSkinPage, TbsSkinScrollPanel>();
    return true;
  }();
  return done;
}

}  // namespace xj::vcl
