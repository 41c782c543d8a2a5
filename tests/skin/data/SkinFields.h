#pragma once
// The rectangle and colour fields of every record class with the INI key each one is read from, listed
// here from the skin file format independently of the skin data's own key tables, so that a field read
// from the wrong key is caught. Together with the colour code of the generated skin (every painted
// rectangle names its record and key in its pixels, every colour value names them in its value).

#include <functional>
#include <optional>
#include <vector>

#include "skin/data/bsSkinData.h"

namespace skintest {

struct RectField {
  const char* key;
  std::function<std::optional<TRect>(TObject*)> get;  // nullopt: the record is of another class
};

struct ColourField {
  const char* key;
  std::function<std::optional<int32_t>(TObject*)> get;
};

#define XJ_RECT_FIELD(T, Field, Key)                      \
  RectField {                                             \
    Key, [](TObject* o) -> std::optional<TRect> {         \
      if (auto* r = dynamic_cast<T*>(o)) return r->Field; \
      return std::nullopt;                                \
    }                                                     \
  }
#define XJ_COLOUR_FIELD(T, Field, Key)                             \
  ColourField {                                                    \
    Key, [](TObject* o) -> std::optional<int32_t> {                \
      if (auto* r = dynamic_cast<T*>(o)) return int32_t(r->Field); \
      return std::nullopt;                                         \
    }                                                              \
  }

inline const std::vector<RectField>& RectFields() {
  static const std::vector<RectField> fields = {
    // skin objects
    XJ_RECT_FIELD(TbsDataSkinObject, SkinRect, "skinrect"),
    XJ_RECT_FIELD(TbsDataSkinObject, ActiveSkinRect, "activeskinrect"),
    XJ_RECT_FIELD(TbsDataSkinButton, DownRect, "downrect"),
    XJ_RECT_FIELD(TbsDataSkinButton, DisableSkinRect, "disableskinrsect"),
    XJ_RECT_FIELD(TbsDataSkinStdButton, RestoreRect, "restorerect"),
    XJ_RECT_FIELD(TbsDataSkinStdButton, RestoreActiveRect, "restoreactiverect"),
    XJ_RECT_FIELD(TbsDataSkinStdButton, RestoreDownRect, "restoredownrect"),
    XJ_RECT_FIELD(TbsDataSkinStdButton, RestoreInActiveRect, "restoreinactiverect"),
    XJ_RECT_FIELD(TbsDataSkinMenuItem, DividerRect, "dividerrect"),
    XJ_RECT_FIELD(TbsDataSkinMenuItem, TextRect, "textrect"),
    XJ_RECT_FIELD(TbsDataSkinMainMenuItem, DownRect, "downrect"),
    XJ_RECT_FIELD(TbsDataSkinMainMenuItem, TextRect, "textrect"),
    XJ_RECT_FIELD(TbsDataSkinCaption, TextRect, "textrect"),
    XJ_RECT_FIELD(TbsDataSkinCaption, FrameRect, "framerect"),
    XJ_RECT_FIELD(TbsDataSkinCaption, ActiveFrameRect, "activeframerect"),
    XJ_RECT_FIELD(TbsDataSkinCaption, FrameTextRect, "frametextrect"),
    // controls
    XJ_RECT_FIELD(TbsDataSkinControl, SkinRect, "skinrect"),
    XJ_RECT_FIELD(TbsDataSkinSlider, HRulerRect, "hrulerrect"),
    XJ_RECT_FIELD(TbsDataSkinSlider, HThumbRect, "hthumbrect"),
    XJ_RECT_FIELD(TbsDataSkinSlider, VRulerRect, "vrulerrect"),
    XJ_RECT_FIELD(TbsDataSkinSlider, VThumbRect, "vthumbrect"),
    XJ_RECT_FIELD(TbsDataSkinMainMenuBar, ItemsRect, "itemsrect"),
    XJ_RECT_FIELD(TbsDataSkinTabControl, TabRect, "tabrect"),
    XJ_RECT_FIELD(TbsDataSkinTabControl, ActiveTabRect, "activetabrect"),
    XJ_RECT_FIELD(TbsDataSkinTabControl, FocusTabRect, "focustabrect"),
    XJ_RECT_FIELD(TbsDataSkinTabControl, MouseInTabRect, "mouseintabrect"),
    XJ_RECT_FIELD(TbsDataSkinTabControl, TabsBGRect, "tabsbgrect"),
    XJ_RECT_FIELD(TbsDataSkinGridControl, FixedCellRect, "fixedcellrect"),
    XJ_RECT_FIELD(TbsDataSkinGridControl, SelectCellRect, "selectcellrect"),
    XJ_RECT_FIELD(TbsDataSkinGridControl, FocusCellRect, "focuscellrect"),
    XJ_RECT_FIELD(TbsDataSkinGridControl, FixedCellTextRect, "fixedcelltextrect"),
    XJ_RECT_FIELD(TbsDataSkinGridControl, CellTextRect, "celltextrect"),
    XJ_RECT_FIELD(TbsDataSkinControlBar, ItemRect, "itemrect"),
    XJ_RECT_FIELD(TbsDataSkinUpDownControl, UpButtonRect, "upbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinUpDownControl, ActiveUpButtonRect, "activeupbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinUpDownControl, DownUpButtonRect, "downupbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinUpDownControl, DownButtonRect, "downbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinUpDownControl, ActiveDownButtonRect, "activedownbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinUpDownControl, DownDownButtonRect, "downdownbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinComboBox, ItemRect, "itemrect"),
    XJ_RECT_FIELD(TbsDataSkinComboBox, FocusItemRect, "focusitemrect"),
    XJ_RECT_FIELD(TbsDataSkinComboBox, ItemTextRect, "itemtextrect"),
    XJ_RECT_FIELD(TbsDataSkinComboBox, ButtonRect, "buttonrect"),
    XJ_RECT_FIELD(TbsDataSkinComboBox, ActiveButtonRect, "activebuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinComboBox, DownButtonRect, "downbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinComboBox, UnenabledButtonRect, "unenabledbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, ItemRect, "itemrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, ActiveItemRect, "activeitemrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, FocusItemRect, "focusitemrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, ItemTextRect, "itemtextrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, CaptionRect, "captionrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, UpButtonRect, "upbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, ActiveUpButtonRect, "activeupbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, DownUpButtonRect, "downupbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, DownButtonRect, "downbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, ActiveDownButtonRect, "activedownbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, DownDownButtonRect, "downdownbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, CheckButtonRect, "checkbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, ActiveCheckButtonRect, "activecheckbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinListBox, DownCheckButtonRect, "downcheckbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinCheckListBox, ItemCheckRect, "itemcheckrect"),
    XJ_RECT_FIELD(TbsDataSkinCheckListBox, CheckImageRect, "checkimagerect"),
    XJ_RECT_FIELD(TbsDataSkinCheckListBox, UncheckImageRect, "uncheckimagerect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, TrackArea, "trackarea"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, UpButtonRect, "upbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, ActiveUpButtonRect, "activeupbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, DownUpButtonRect, "downupbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, DownButtonRect, "downbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, ActiveDownButtonRect, "activedownbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, DownDownButtonRect, "downdownbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, ThumbRect, "thumbrect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, ActiveThumbRect, "activethumbrect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, DownThumbRect, "downthumbrect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, GlyphRect, "glyphrect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, ActiveGlyphRect, "activeglyphrect"),
    XJ_RECT_FIELD(TbsDataSkinScrollBarControl, DownGlyphRect, "downglyphrect"),
    XJ_RECT_FIELD(TbsDataSkinSpinEditControl, UpButtonRect, "upbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinSpinEditControl, ActiveUpButtonRect, "activeupbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinSpinEditControl, DownUpButtonRect, "downupbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinSpinEditControl, DownButtonRect, "downbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinSpinEditControl, ActiveDownButtonRect, "activedownbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinSpinEditControl, DownDownButtonRect, "downdownbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinEditControl, ActiveSkinRect, "activeskinrect"),
    XJ_RECT_FIELD(TbsDataSkinEditControl, ButtonRect, "buttonrect"),
    XJ_RECT_FIELD(TbsDataSkinEditControl, ActiveButtonRect, "activebuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinEditControl, DownButtonRect, "downbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinGaugeControl, ProgressArea, "progressarea"),
    XJ_RECT_FIELD(TbsDataSkinGaugeControl, ProgressRect, "progressrect"),
    XJ_RECT_FIELD(TbsDataSkinTrackBarControl, TrackArea, "trackarea"),
    XJ_RECT_FIELD(TbsDataSkinTrackBarControl, ButtonRect, "buttonrect"),
    XJ_RECT_FIELD(TbsDataSkinTrackBarControl, ActiveButtonRect, "activebuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinButtonControl, ActiveSkinRect, "activeskinrect"),
    XJ_RECT_FIELD(TbsDataSkinButtonControl, DownSkinRect, "downskinrect"),
    XJ_RECT_FIELD(TbsDataSkinButtonControl, DisabledSkinRect, "disabledskinrect"),
    XJ_RECT_FIELD(TbsDataSkinMenuButtonControl, TrackButtonRect, "trackbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinCheckRadioControl, ActiveSkinRect, "activeskinrect"),
    XJ_RECT_FIELD(TbsDataSkinCheckRadioControl, CheckImageArea, "checkimagearea"),
    XJ_RECT_FIELD(TbsDataSkinCheckRadioControl, TextArea, "textarea"),
    XJ_RECT_FIELD(TbsDataSkinCheckRadioControl, CheckImageRect, "checkimagerect"),
    XJ_RECT_FIELD(TbsDataSkinCheckRadioControl, UncheckImageRect, "uncheckimagerect"),
    XJ_RECT_FIELD(TbsDataSkinCheckRadioControl, ActiveCheckImageRect, "activecheckimagerect"),
    XJ_RECT_FIELD(TbsDataSkinCheckRadioControl, ActiveUncheckImageRect, "activeuncheckimagerect"),
    XJ_RECT_FIELD(TbsDataSkinCheckRadioControl, UnenabledCheckImageRect, "unenabledcheckimagerect"),
    XJ_RECT_FIELD(TbsDataSkinCheckRadioControl, UnenabledUncheckImageRect, "unenableduncheckimagerect"),
    XJ_RECT_FIELD(TbsDataSkinPanelControl, CaptionRect, "captionrect"),
    XJ_RECT_FIELD(TbsDataSkinPanelControl, RollUpMarkerRect, "rollupmarkerrect"),
    XJ_RECT_FIELD(TbsDataSkinPanelControl, RestoreMarkerRect, "restoremarkerrect"),
    XJ_RECT_FIELD(TbsDataSkinPanelControl, CheckImageRect, "checkimagerect"),
    XJ_RECT_FIELD(TbsDataSkinPanelControl, UncheckImageRect, "uncheckimagerect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, RollHSkinRect, "rollhskinrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, RollVSkinRect, "rollvskinrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, RollVCaptionRect, "rollvcaptionrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, RollHCaptionRect, "rollhcaptionrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, CloseButtonRect, "closebuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, CloseButtonActiveRect, "closebuttonactiverect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, CloseButtonDownRect, "closebuttondownrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, HRollButtonRect, "hrollbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, HRollButtonActiveRect, "hrollbuttonactiverect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, HRollButtonDownRect, "hrollbuttondownrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, HRestoreButtonRect, "hrestorebuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, HRestoreButtonActiveRect, "hrestorebuttonactiverect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, HRestoreButtonDownRect, "hrestorebuttondownrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, VRollButtonRect, "vrollbuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, VRollButtonActiveRect, "vrollbuttonactiverect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, VRollButtonDownRect, "vrollbuttondownrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, VRestoreButtonRect, "vrestorebuttonrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, VRestoreButtonActiveRect, "vrestorebuttonactiverect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, VRestoreButtonDownRect, "vrestorebuttondownrect"),
    XJ_RECT_FIELD(TbsDataSkinExPanelControl, CaptionRect, "captionrect"),
  };
  return fields;
}

inline const std::vector<ColourField>& ColourFields() {
  static const std::vector<ColourField> fields = {
    XJ_COLOUR_FIELD(TbsDataSkinMenuItem, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinMenuItem, ActiveFontColor, "activefontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinMenuItem, UnenabledFontColor, "unenabledfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinMainMenuItem, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinMainMenuItem, ActiveFontColor, "activefontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinMainMenuItem, DownFontColor, "downfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinMainMenuItem, UnenabledFontColor, "unenabledfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinCaption, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinCaption, ActiveFontColor, "activefontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinCaption, ShadowColor, "shadowcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinCaption, ActiveShadowColor, "activeshadowcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinBevel, LightColor, "lightcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinBevel, DarkColor, "darkcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinTreeView, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinTreeView, BGColor, "bgcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinListView, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinListView, BGColor, "bgcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinRichEdit, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinRichEdit, BGColor, "bgcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinStdLabelControl, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinStdLabelControl, ActiveFontColor, "activefontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinSlider, BGColor, "bgcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinSlider, PointsColor, "pointscolor"),
    XJ_COLOUR_FIELD(TbsDataSkinMainMenuBar, TrackMarkColor, "trackmarkcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinMainMenuBar, TrackMarkActiveColor, "trackmarkactivecolor"),
    XJ_COLOUR_FIELD(TbsDataSkinTabControl, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinTabControl, ActiveFontColor, "activefontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinTabControl, FocusFontColor, "focusfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinTabControl, MouseInFontColor, "mouseinfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinGridControl, LinesColor, "linescolor"),
    XJ_COLOUR_FIELD(TbsDataSkinGridControl, BGColor, "bgcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinGridControl, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinGridControl, SelectFontColor, "selectfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinGridControl, FocusFontColor, "focusfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinGridControl, FixedFontColor, "fixedfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinComboBox, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinComboBox, FocusFontColor, "focusfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinListBox, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinListBox, ActiveFontColor, "activefontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinListBox, FocusFontColor, "focusfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinListBox, CaptionFontColor, "captionfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinSpinEditControl, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinEditControl, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinEditControl, DisabledFontColor, "disabledfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinEditControl, ActiveFontColor, "activefontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinMemoControl, BGColor, "bgcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinMemoControl, ActiveBGColor, "activebgcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinLabelControl, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinGaugeControl, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinButtonControl, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinButtonControl, ActiveFontColor, "activefontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinButtonControl, DownFontColor, "downfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinButtonControl, DisabledFontColor, "disabledfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinCheckRadioControl, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinCheckRadioControl, ActiveFontColor, "activefontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinCheckRadioControl, UnenabledFontColor, "unenabledfontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinCheckRadioControl, FrameFontColor, "framefontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinPanelControl, FontColor, "fontcolor"),
    XJ_COLOUR_FIELD(TbsDataSkinExPanelControl, FontColor, "fontcolor"),
  };
  return fields;
}

#undef XJ_RECT_FIELD
#undef XJ_COLOUR_FIELD

}  // namespace skintest
