// The colour dialog driven as a user would inside its modal loop: a basic colour clicked, a colour
// typed in, a custom colour added, cancelling, custom colour lines that are not colours, and a
// gallery picture.

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/support/ControlsTestUtil.h"
#include "tests/support/GalleryPng.h"

using namespace ctltest;

namespace {

class ColorDialogTest : public ControlsTest {
 protected:
  // The dialog's form and one of its controls by name, from inside the loop.
  static TCustomForm* Dialog(const xt::ModalRecord& r) { return dynamic_cast<TCustomForm*>(FindControl(r.hwnd)); }
  template <class T>
  static T* Part(const xt::ModalRecord& r, const char* name) {
    TCustomForm* f = Dialog(r);
    return f ? dynamic_cast<T*>(f->FindComponent(name)) : nullptr;
  }
  // The middle of basic colour cell `index` (eight to a row, 26 by 22 pixels apart, 3 pixels in).
  static void ClickCell(TControl* grid, int index) { ClickAt(grid, index % 8 * 26 + 13, index / 8 * 22 + 11); }
  // Keys queued for the dialog's own loop, which hands them to the focused control or the form's
  // dialog keys as the application's loop does.
  static void Keys(std::initializer_list<UINT> keys) {
    for (UINT vk : keys) {
      xt::KeyDown(vk, xt::ssNone, false);
      xt::KeyUp(vk, xt::ssNone, false);
    }
  }
  static void TypeInto(TEdit* edit, const char* text) {
    ClickAt(edit, 5, 5);
    edit->SelectAll();
    xt::TypeText(text);
  }
};

TEST_F(ColorDialogTest, ABasicColourClickedAndConfirmed) {
  TColorDialog dialog(nullptr);
  dialog.SetColor(clRed);
  dialog.CustomColors()->SetText("ColorA=00FF8000\r\nOther=kept\r\n");
  bool seen = false;
  xt::AnswerModal([&](const xt::ModalRecord& r) -> LONG_PTR {
    seen = true;
    EXPECT_EQ(r.kind, xt::ModalRecord::ColourDialog);
    EXPECT_EQ(r.caption, "颜色");
    auto* basic = Part<TControl>(r, "BasicColors");
    auto* custom = Part<TControl>(r, "CustomColors");
    auto* preview = Part<TPanel>(r, "Preview");
    auto* ok = Part<TButton>(r, "OKButton");
    if (!basic || !custom || !preview || !ok) return mrCancel;
    // It opens on the given colour: entry, preview and the basic cell that has it.
    EXPECT_EQ(Part<TEdit>(r, "RedEdit")->Text(), "255");
    EXPECT_EQ(Part<TEdit>(r, "GreenEdit")->Text(), "0");
    EXPECT_EQ(xt::ReadPixel(preview->Handle(), 80, 28), RGB(255, 0, 0));
    // Custom slot A holds the given colour, slot B is white.
    EXPECT_EQ(xt::ReadPixel(dynamic_cast<TWinControl*>(custom)->Handle(), 13, 11), RGB(0, 128, 255));
    EXPECT_EQ(xt::ReadPixel(dynamic_cast<TWinControl*>(custom)->Handle(), 26 + 13, 11), RGB(255, 255, 255));
    ClickCell(basic, 28);  // pure blue
    EXPECT_EQ(Part<TEdit>(r, "BlueEdit")->Text(), "255");
    EXPECT_EQ(xt::ReadPixel(preview->Handle(), 80, 28), RGB(0, 0, 255));
    xt::GalleryPng(Dialog(r)->Handle(), "platform-colordialog-blue", true);
    ClickAt(ok, 10, 10);
    return xt::kKeepOpen;
  });
  EXPECT_TRUE(dialog.Execute());
  EXPECT_TRUE(seen);
  EXPECT_EQ(dialog.Color(), static_cast<TColor>(RGB(0, 0, 255)));
  EXPECT_EQ(dialog.CustomColors()->Values("ColorA"), "00FF8000");
  EXPECT_EQ(dialog.CustomColors()->Values("ColorB"), "00FFFFFF");
  EXPECT_EQ(dialog.CustomColors()->Values("ColorP"), "00FFFFFF");
  EXPECT_EQ(dialog.CustomColors()->Values("Other"), "kept");
  EXPECT_EQ(xt::UnscriptedModals(), 0);
}

TEST_F(ColorDialogTest, AColourTypedInAndAddedToTheCustomColours) {
  TColorDialog dialog(nullptr);
  dialog.SetColor(clBtnFace);  // a system colour opens as its RGB value
  xt::AnswerModal([&](const xt::ModalRecord& r) -> LONG_PTR {
    auto* red = Part<TEdit>(r, "RedEdit");
    auto* green = Part<TEdit>(r, "GreenEdit");
    auto* blue = Part<TEdit>(r, "BlueEdit");
    if (!red || !green || !blue) return mrCancel;
    EXPECT_EQ(red->Text() + "," + green->Text() + "," + blue->Text(), "192,192,192");
    TypeInto(red, "12");
    TypeInto(green, "34");
    TypeInto(blue, "56");
    TypeInto(blue, "300");  // not a component value: the colour keeps the last one typed, 30
    TypeInto(blue, "x");
    EXPECT_EQ(xt::ReadPixel(Part<TPanel>(r, "Preview")->Handle(), 10, 10), RGB(12, 34, 30));
    TypeInto(blue, "56");
    ClickAt(Part<TButton>(r, "AddButton"), 10, 10);  // into slot A, the selected one
    TypeInto(red, "0");
    ClickAt(Part<TButton>(r, "AddButton"), 10, 10);  // then slot B
    ClickAt(blue, 5, 5);
    Keys({ VK_RETURN });  // the default button
    return xt::kKeepOpen;
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Color(), static_cast<TColor>(RGB(0, 34, 56)));
  EXPECT_EQ(dialog.CustomColors()->Values("ColorA"), "0038220C");
  EXPECT_EQ(dialog.CustomColors()->Values("ColorB"), "00382200");
  EXPECT_EQ(dialog.CustomColors()->Count(), 16);
}

TEST_F(ColorDialogTest, CancellingChangesNothingAndBadCustomLinesStartWhite) {
  TColorDialog dialog(nullptr);
  dialog.SetColor(static_cast<TColor>(RGB(1, 2, 3)));
  const char* lines = "ColorA=notacolour\r\nColorB=FF000000\r\nColorC=123456789\r\nColorD=\r\nColorE=0000FF00\r\n";
  dialog.CustomColors()->SetText(lines);
  int opened = 0;
  auto check = [&](const xt::ModalRecord& r) {
    ++opened;
    auto* custom = Part<TWinControl>(r, "CustomColors");
    ASSERT_NE(custom, nullptr);
    for (int slot = 0; slot < 4; ++slot)
      EXPECT_EQ(xt::ReadPixel(custom->Handle(), slot * 26 + 13, 11), RGB(255, 255, 255)) << slot;
    EXPECT_EQ(xt::ReadPixel(custom->Handle(), 4 * 26 + 13, 11), RGB(0, 255, 0));
  };
  xt::AnswerModal([&](const xt::ModalRecord& r) -> LONG_PTR {
    check(r);
    ClickCell(Part<TControl>(r, "BasicColors"), 0);
    return mrCancel;
  });
  xt::AnswerModal([&](const xt::ModalRecord& r) -> LONG_PTR {
    check(r);
    ClickCell(Part<TControl>(r, "BasicColors"), 0);
    Keys({ VK_ESCAPE });
    return xt::kKeepOpen;
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(dialog.Color(), static_cast<TColor>(RGB(1, 2, 3)));
  EXPECT_EQ(dialog.CustomColors()->Text(), lines);
  // Unscripted, the loop is closed as cancelled.
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(xt::UnscriptedModals(), 1);
}

TEST_F(ColorDialogTest, TheArrowKeysWalkTheBasicColours) {
  TColorDialog dialog(nullptr);
  dialog.SetColor(clBlack);  // cell 40
  xt::AnswerModal([&](const xt::ModalRecord&) -> LONG_PTR {
    Keys({ VK_UP, VK_RIGHT, VK_RIGHT, VK_RETURN });  // cells 32, 33, 34, then the default button
    return xt::kKeepOpen;
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Color(), static_cast<TColor>(RGB(0, 64, 0)));
}

}  // namespace
