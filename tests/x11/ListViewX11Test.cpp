// The list view and the header control on a real X server: a form holding both, shown on a private Xvfb
// through the x11 back-end, clicked and dragged with xdotool. The server shows exactly what was drawn;
// a click selects a row, a click on the view's header reports its column, and a divider dragged on the
// header control resizes its section.

#include <string>
#include <vector>

#include "platform/vcl/ComCtrls.h"
#include "platform/win32/CommCtrl.h"
#include "tests/support/x11/X11ControlsTest.h"

using namespace ctltest;

namespace {

class ListViewX11 : public xj::test::X11InputTest {
 protected:
  TForm* form {};
};

TEST_F(ListViewX11, AReportViewAndAHeaderAreShownClickedAndDraggedOnTheServer) {
  form = NewForm(140, 90, 437, 293);
  form->SetCaption("xj-listview");
  auto* header = new THeaderControl(form);
  header->SetParent(form);
  header->SetHeight(21);
  for (int w : { 90, 60 }) header->Sections()->Add()->SetWidth(w);
  header->Sections()->Items(0)->SetText("Channel");
  auto* view = new TListView(form);
  view->SetParent(form);
  view->SetBounds(12, 40, 377, 201);
  view->SetViewStyle(vsReport);
  view->SetCheckboxes(true);
  for (const char* c : { "Line", "Duration" }) {
    TListColumn* col = view->Columns()->Add();
    col->SetCaption(c);
    col->SetWidth(120);
  }
  for (int i = 0; i < 30; ++i) {
    TListItem* it = view->Items()->Add();
    it->SetCaption("line " + std::to_string(i + 1));
    it->SubItems()->Add(std::to_string(i * 13) + " s");
  }
  std::vector<int> columns;
  view->OnColumnClick = On<TLVColumnClickEvent>([&](TObject*, TListColumn* c) { columns.push_back(c->Index()); });
  form->Show();
  xt::PumpUntilIdle();
  ASSERT_TRUE(Eventually([&] { return X().Viewable(X().FindWindow("xj-listview")); }))
      << "the form never showed on the X server";
  ASSERT_TRUE(ServerShows(form));

  RECT row { LVIR_LABEL, 0, 0, 0 };
  view->Perform(LVM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&row));
  ASSERT_TRUE(Xdotool("mousemove " + At(view->Handle(), row.left + 3, row.top + 3) + " click 1"));
  EXPECT_TRUE(Eventually([&] { return view->ItemIndex() == 4; }));

  const HWND viewHeader = reinterpret_cast<HWND>(view->Perform(LVM_GETHEADER, 0, 0));
  ASSERT_TRUE(Xdotool("mousemove " + At(viewHeader, 150, 8) + " click 1"));
  EXPECT_TRUE(Eventually([&] { return columns == std::vector<int> { 1 }; }));

  ASSERT_TRUE(Xdotool("mousemove " + At(header->Handle(), 90, 10) + " mousedown 1 mousemove " +
                      At(header->Handle(), 110, 10) + " mousemove " + At(header->Handle(), 130, 10) + " mouseup 1"));
  EXPECT_TRUE(Eventually([&] { return header->Sections()->Items(0)->Width() == 130; }));

  ASSERT_TRUE(Xdotool("mousemove " + At(form->Handle(), form->ClientWidth() - 5, form->ClientHeight() - 5)));
  ASSERT_TRUE(ServerShows(form));
  const std::string shot = xj::test::ScreenshotPath("x11-listview");
  EXPECT_EQ(xj::test::RunWhilePumping("import -window root '" + shot + "'", [] { xt::PumpUntilIdle(); }), 0);
}

}  // namespace
