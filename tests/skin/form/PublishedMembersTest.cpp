// Every published member of every skinned class is accounted for: either its effect is covered by the
// tests, or it is one of the few members the system keeps inert, with the reason. A member new to a class
// fails here until someone decides which it is, and a name listed here that no class publishes any more
// fails too, so the lists stay true.

#include <set>
#include <sstream>
#include <string>

#include "platform/vcl/TypInfo.h"
#include "skin/controls/bsSkinBoxCtrls.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinTabs.h"
#include "skin/form/bsSkinForm.h"
#include "skin/form/bsSkinHint.h"
#include "skin/form/bsSkinMenus.h"
#include "skin/form/bsTrayIcon.h"
#include "tests/support/ControlsTestUtil.h"

namespace {

// Members whose effect the tests cover, by name: the same member wherever a class publishes it.
const char* const kCovered =
    "Action Active ActivePage Align Alignment AllocBy AllowAllUp AlphaBlend AlphaBlendAnimation "
    "AlphaBlendValue Anchors AnimateTimerInterval AutoDrag AutoEnabledControls AutoExpand AutoMerge AutoPopup "
    "AutoSelect AutoShowHideCaptions AutoSize AutoSnap Beveled BitMapBG BorderIcons BorderStyle BorderWidth "
    "Both BothMarkerWidth BothSkinDataName ButtonDefaultFont ButtonMode ButtonSkinDataName ButtonsMode "
    "CalendarFont CalendarHeight CalendarWidth CanFocused CanScroll Cancel Caption CaptionMode Center "
    "ChangeDelay CharCase Checkboxes Checked CheckedMode Color ColumnClick Columns CompressedStoredSkin "
    "Constraints Ctl3D Cursor CycleIcons Date Decimal DefActiveFontColor DefActiveImage DefCaptionFont "
    "DefDownFontColor DefDownImage DefImage DefInActiveCaptionFont DefItemFont DefMask DefMenuItemFont "
    "DefMenuItemHeight Default DefaultActiveFontColor DefaultAlignment DefaultButtonHeight DefaultCaptionFont "
    "DefaultCaptionHeight DefaultColor DefaultFont DefaultHeight DefaultItemFont DefaultItemHeight "
    "DefaultSectionFont DefaultSize DefaultWidth DesignPreview Device DisabledImages DividerMode Down "
    "DragReorder DropDownCount EdgeSize EditMask EditPasswordChar EditorEnabled Enabled ExStyle "
    "ExtandedSelect FileName FirstDayOfWeek Flat FocusControl Font FontName FullDrag Glyph GridLines "
    "GroupIndex HScrollBar HeaderSkinDataName Height HelpContext HideSelection Highlighted Hint "
    "HorizontalExtent HotImages HotScroll HotTrack HotTrackStyles HoverTime Icon IconIndex IconList "
    "IconOptions IconVisible ImageHRuler ImageHThumb ImageIndex ImageVRuler ImageVThumb Images Increment "
    "IncrementalDisplay Indent IniStrings ItemHeight ItemImages ItemIndex Items ItemsTransparent "
    "JumpWhenClick Kind LargeChange LargeImages Layout Left Lines ListBoxCaption ListBoxCaptionAlignment "
    "ListBoxCaptionMode ListBoxDefaultCaptionFont ListBoxDefaultFont ListBoxDefaultItemHeight ListBoxFont "
    "ListBoxTabOrder ListBoxTabStop ListBoxUseSkinFont Magnetic MagneticSize MainMenu MainMenuBar Margin Max "
    "MaxLength MaxValue MaximizeOnFullScreen MenusAlphaBlend MenusAlphaBlendAnimation MenusAlphaBlendValue "
    "MenusSkinData Min MinHeight MinSize MinValue MinWidth MinimizeToTray MinimizedOnStart ModalResult "
    "MouseSupport MultiLine MultiSelect Name NumGlyphs NumThumbStates OEMConvert OnActivate "
    "OnAdvancedCustomDraw OnAdvancedCustomDrawItem OnAdvancedCustomDrawSubItem OnBandDrag OnBandInfo OnBandMove "
    "OnBandPaint OnButtonClick "
    "OnCanResize OnChange OnChangeRollState OnChangeRollUpState OnChangeSkinData OnChanged OnChanging "
    "OnCheckButtonClick OnChecked OnClick OnClickCheck OnClose OnCloseUp OnCollapsed OnCollapsing "
    "OnColumnClick OnColumnDragged OnColumnRightClick OnComboBoxDrawItem OnCompare OnConstrainedResize "
    "OnContextPopup OnCustomDraw OnCustomDrawItem OnCustomDrawSubItem OnCycle OnData OnDataFind OnDataHint "
    "OnDataStateChange OnDateChange OnDblClick OnDeActivate "
    "OnDeletion OnDownButtonClick OnDrawHeaderSection OnDrawItem OnDrawPoints OnDrawSection OnDrawSkinSection "
    "OnEditEnter OnEditExit OnEditKeyDown OnEditKeyPress OnEditKeyUp OnEdited OnEditing OnEnter OnExit "
    "OnExpanded OnExpanding OnGetImageIndex OnGetSelectedIndex OnGetSubItemImage OnHide OnHideTrackMenu OnInfoTip "
    "OnInsert "
    "OnKeyDown OnKeyPress OnKeyUp OnLastChange OnListBoxClick OnListBoxDblClick OnListBoxDrawItem "
    "OnListBoxKeyDown OnListBoxKeyPress OnListBoxKeyUp OnListBoxMouseDown OnListBoxMouseMove OnListBoxMouseUp "
    "OnMainMenuEnter OnMainMenuExit OnMinimizeToTray OnMouseDown OnMouseEnter OnMouseLeave OnMouseMove "
    "OnMouseUp OnMouseWheel OnMouseWheelDown OnMouseWheelUp OnMoved OnNumberClick OnPageChanged OnPageDown "
    "OnPageUp OnPaint OnPopup OnProtectChange OnResize OnResizeRequest OnRestoreFromTray OnSaveClipboard "
    "OnSectionClick OnSectionDrag OnSectionEndDrag OnSectionResize OnSectionTrack OnSelectItem "
    "OnSelectionChange OnShow OnShowHint OnShowTrackMenu OnSkinMenuClose OnSkinMenuOpen OnSkinSectionClick "
    "OnUpButtonClick Options Orientation OwnerData OwnerDraw PageIndex PageSize Pages ParentColor ParentCtl3D "
    "ParentFont ParentShowHint PasswordChar Picture PlainText PopupByLeftButton PopupMenu PopupToUp Position "
    "ProgressText Proportional Radio RaggedRight ReadOnly RepeatInterval RepeatMode ResizeStyle "
    "RightClickSelect RollKind RollState RollUpMode RollUpState RowCount RowSelect RowSize RowSnap "
    "ScrollOffset ScrollOpposite ScrollTimerInterval ScrollType SectionButtonSkinDataName SectionImages "
    "SectionIndex Sections Selected Shape ShowAccelChar ShowButtons ShowCaption ShowCaptions ShowCloseButton "
    "ShowColumnHeaders ShowHint ShowIcon ShowLines ShowNames ShowObjectHint ShowPercent ShowProgressText "
    "ShowRollButton ShowRoot ShowWorkAreas SkinBevel SkinData SkinDataName SkinForm SkinHint SkinPopupMenu "
    "SkinSupport SmallChange SmallImages SortType Sorted Spacing StateImages StoredSkin Stretch Style "
    "SystemMenu TabHeight TabIndex TabOrder TabPosition TabStop TabVisible TabWidth Tabs Tag Text "
    "TodayDefault ToolTips Top TrackBarSkinDataName TrackButtonMode Transparent TrayIcon TrueTypeOnly URL "
    "UseDefaultSysMenu UseSkinFont UseSkinSize UseSkinThumb VScrollBar Value ValueType Vertical ViewStyle "
    "Visible WantReturns WantTabs Width WidthWithCaption WidthWithCaptions WidthWithoutCaption "
    "WidthWithoutCaptions WordWrap ";

// Members kept inert, and why. A bare name holds for every class; "Class.Member" for that class only.
struct TInert {
  const char* Members;
  const char* Reason;
};
const TInert kInert[] = {
  { "DragCursor DragKind DragMode OnDragDrop OnDragOver OnEndDrag OnStartDrag", "the platform has no drag and drop" },
  { "DockSite OnDockDrop OnDockOver OnEndDock OnStartDock OnUnDock OnGetSiteInfo", "the platform has no docking" },
  { "BiDiMode ParentBiDiMode", "the platform has no right-to-left text" },
  { "ImeMode ImeName", "the platform has no input-method composition; committed text arrives as typed" },
  { "TbsSkinFontComboBox.UseFonts TbsSkinColorComboBox.DefaultColorColor TbsSkinColorComboBox.NoneColorColor",
    "kept for form resources and unread by design" },
};

std::set<std::string> Words(const char* Text) {
  std::istringstream in(Text);
  std::set<std::string> out;
  for (std::string w; in >> w;) out.insert(w);
  return out;
}

bool IsSkinned(TClass c) {
  const std::string n = c->Name;
  return n.rfind("Tbs", 0) == 0 || n == "RurIvozedevUzivEred";
}

TEST(PublishedMembersTest, EveryPublishedMemberOfASkinnedClassIsCoveredOrInertWithAReason) {
  const std::set<std::string> covered = Words(kCovered);
  std::set<std::string> inert;
  for (const TInert& i : kInert) {
    EXPECT_GT(std::string(i.Reason).size(), 10u) << i.Members;
    for (const std::string& w : Words(i.Members)) inert.insert(w);
  }
  std::set<std::string> listedSeen;
  int classes = 0;
  for (TClass c : GetRegisteredClasses()) {
    if (!IsSkinned(c)) continue;
    ++classes;
    for (const TPropInfo* p : GetPropList(c)) {
      const std::string name = p->Name, qualified = std::string(c->Name) + "." + name;
      const bool known = covered.count(name) || inert.count(name) || inert.count(qualified);
      EXPECT_TRUE(known) << qualified << " is published but neither covered by a test nor listed as inert";
      EXPECT_FALSE(covered.count(name) && (inert.count(name) || inert.count(qualified)))
          << qualified << " is in both lists";
      listedSeen.insert(inert.count(qualified) ? qualified : name);
    }
  }
  EXPECT_GT(classes, 60);
  const std::set<std::string>* lists[] = { &covered, &inert };
  for (const std::set<std::string>* list : lists)
    for (const std::string& w : *list)
      EXPECT_TRUE(listedSeen.count(w)) << w << " is listed but no skinned class publishes it";
}

}  // namespace
