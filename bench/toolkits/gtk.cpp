// The form of 100 controls in GTK 3: a GtkOffscreenWindow holding a GtkFixed, the controls put at their
// places with their sizes asked for, drawn by gtk_widget_draw into a cairo image surface. The two looks
// are two CSS providers, parsed once; a switch takes one off the screen and puts the other on, as an
// application changing its theme does. GTK 3 cannot start without a display (scripts/bench gives it Xvfb);
// nothing is drawn through it: the window is off screen and drawn into this process's own image.

#include <gtk/gtk.h>

#include <string>

#include "bench/PeerRatio.h"
#include "bench/toolkits/Peer.h"

namespace xj::bench {
namespace {

// Each look sets the faces of every kind on the form, as a skin does.
const char* const kLooks[2] = {
  "window, fixed { background-color: #d8e0e8; }"
  "button { background-image: none; background-color: #3a6ea5; color: #ffffff; border: 1px solid #1d3f66;"
  " border-radius: 3px; box-shadow: none; text-shadow: none; }"
  "entry { background-image: none; background-color: #ffffff; color: #102030; border: 1px solid #5a7ea5; }"
  "treeview, textview text { background-color: #f4f8fc; color: #102030; }"
  "checkbutton { color: #102030; } check { border: 1px solid #3a6ea5; }"
  "frame > border { border: 2px solid #8898a8; }"
  "progressbar trough { background-color: #c0c8d0; } progressbar progress { background-color: #3a6ea5; }"
  "scale trough { background-color: #9aaabb; } scale slider { background-image: none; background-color: #3a6ea5; }"
  "scrollbar { background-color: #c0c8d0; } scrollbar slider { background-color: #3a6ea5; }",
  "window, fixed { background-color: #e8e4d0; }"
  "button { background-image: none; background-color: #7a8a2e; color: #fffff0; border: 2px solid #4a5a1e;"
  " border-radius: 1px; box-shadow: none; text-shadow: none; }"
  "entry { background-image: none; background-color: #fffff4; color: #303010; border: 2px solid #8a9a4e; }"
  "treeview, textview text { background-color: #fcfcf0; color: #303010; }"
  "checkbutton { color: #303010; } check { border: 2px solid #7a8a2e; }"
  "frame > border { border: 1px solid #a8a088; }"
  "progressbar trough { background-color: #d0d0b8; } progressbar progress { background-color: #7a8a2e; }"
  "scale trough { background-color: #bbbb99; } scale slider { background-image: none; background-color: #7a8a2e; }"
  "scrollbar { background-color: #d0d0b8; } scrollbar slider { background-color: #7a8a2e; }",
};

std::string Numbered(const char* base, int i) { return base + std::to_string(i); }

// A list of lines in a scrolled window: a tree view of one column over a list store.
GtkWidget* NewList(int lines) {
  GtkListStore* store = gtk_list_store_new(1, G_TYPE_STRING);
  for (int k = 0; k < lines; ++k)
    gtk_list_store_insert_with_values(store, nullptr, -1, 0, Numbered("线路 ", k).c_str(), -1);
  GtkWidget* view = gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  g_object_unref(store);
  gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(view), FALSE);
  gtk_tree_view_append_column(GTK_TREE_VIEW(view), gtk_tree_view_column_new_with_attributes(
                                                       "", gtk_cell_renderer_text_new(), "text", 0, nullptr));
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(scrolled), view);
  return scrolled;
}

GtkWidget* NewMemo(int lines) {
  std::string text;
  for (int k = 0; k < lines; ++k) text += Numbered(k ? "\n线路 " : "线路 ", k);
  GtkWidget* view = gtk_text_view_new();
  gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), text.c_str(), -1);
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(scrolled), view);
  return scrolled;
}

GtkWidget* NewCombo(int lines) {
  GtkWidget* combo = gtk_combo_box_text_new();
  for (int k = 0; k < lines; ++k)
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), Numbered("线路 ", k).c_str());
  gtk_combo_box_set_active(GTK_COMBO_BOX(combo), 1);
  return combo;
}

// A raised panel with its caption in the middle.
GtkWidget* NewPanel(int i) {
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_OUT);
  gtk_container_add(GTK_CONTAINER(frame), gtk_label_new(Numbered("面板", i).c_str()));
  return frame;
}

GtkWidget* NewControl(int k, int i) {
  switch (k) {
    case 0:
      return gtk_button_new_with_label(Numbered("按钮", i).c_str());
    case 1: {
      GtkWidget* entry = gtk_entry_new();
      gtk_entry_set_text(GTK_ENTRY(entry), Numbered("编辑 ", i).c_str());
      return entry;
    }
    case 2:
      return NewList(kListLines);
    case 3:
      return NewCombo(kListLines);
    case 4: {
      GtkWidget* check = gtk_check_button_new_with_label(Numbered("选项", i).c_str());
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(check), i % 2 == 0);
      return check;
    }
    case 5:
      return NewPanel(i);
    case 6: {
      GtkWidget* bar = gtk_progress_bar_new();
      gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar), i / 10.0);
      return bar;
    }
    case 7: {
      GtkWidget* scale = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 10, 1);
      gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
      gtk_range_set_value(GTK_RANGE(scale), i);
      return scale;
    }
    case 8:
      return NewMemo(kMemoLines);
    default:
      return gtk_scrollbar_new(GTK_ORIENTATION_HORIZONTAL, gtk_adjustment_new(0, 0, 100, 1, 10, 10));
  }
}

class GtkPeer : public PeerToolkit {
 public:
  GtkPeer() {
    int argc = 0;
    if (!gtk_init_check(&argc, nullptr)) return;
    FScreen = gdk_screen_get_default();
    // A new look shows at once, as ours does, not eased in by the frame clock over the next 200 ms.
    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
    for (int l = 0; l < 2; ++l) {
      FLooks[l] = gtk_css_provider_new();
      gtk_css_provider_load_from_data(FLooks[l], kLooks[l], -1, nullptr);
    }
    gtk_style_context_add_provider_for_screen(FScreen, GTK_STYLE_PROVIDER(FLooks[0]),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    Open(FWindow, FImage);
  }
  ~GtkPeer() override { Close(FWindow, FImage); }

  std::string Problem() const override {
    return FScreen ? std::string() : "GTK 3 found no display to start on (run it under xvfb-run)";
  }
  double FirstPaint() override {
    GtkWidget* window;
    cairo_surface_t* image;
    const double start = CpuSeconds();
    Open(window, image);
    const double spent = CpuSeconds() - start;
    Close(window, image);
    return spent;
  }
  void Repaint() override { Draw(FWindow, FImage); }
  void SwitchLook() override {
    gtk_style_context_remove_provider_for_screen(FScreen, GTK_STYLE_PROVIDER(FLooks[FLook]));
    FLook = 1 - FLook;
    gtk_style_context_add_provider_for_screen(FScreen, GTK_STYLE_PROVIDER(FLooks[FLook]),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    Draw(FWindow, FImage);
  }
  bool ShowsLook() override {
    cairo_surface_flush(FImage);
    const unsigned char* data = cairo_image_surface_get_data(FImage);
    const int stride = cairo_image_surface_get_stride(FImage);
    const uint32_t pixel = *reinterpret_cast<const uint32_t*>(data + kPeerFaceY * stride + kPeerFaceX * 4);
    return (pixel & 0xFFFFFF) == kPeerButtonFace[FLook];
  }

 private:
  // The window as an application makes it: created, filled, shown (which lays it out), drawn.
  static void Open(GtkWidget*& window, cairo_surface_t*& image) {
    window = gtk_offscreen_window_new();
    gtk_window_set_default_size(GTK_WINDOW(window), kFormWidth, kFormHeight);
    gtk_widget_set_size_request(window, kFormWidth, kFormHeight);
    GtkWidget* fixed = gtk_fixed_new();
    gtk_container_add(GTK_CONTAINER(window), fixed);
    for (int k = 0; k < kFormKinds; ++k)
      for (int i = 0; i < kFormPerKind; ++i) {
        GtkWidget* control = NewControl(k, i);
        const FormPlace at = PlaceOf(k, i);
        gtk_widget_set_size_request(control, at.width, at.height);
        gtk_fixed_put(GTK_FIXED(fixed), control, at.x, at.y);
      }
    gtk_widget_show_all(window);
    image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kFormWidth, kFormHeight);
    Draw(window, image);
  }
  // Laid out first where something asked for it (a new window, a new look), as the window's frame clock
  // would before drawing.
  static void Draw(GtkWidget* window, cairo_surface_t* image) {
    gtk_container_check_resize(GTK_CONTAINER(window));
    cairo_t* cr = cairo_create(image);
    gtk_widget_draw(window, cr);
    cairo_destroy(cr);
  }
  // Closed, with what the window left queued for the display handled, so that no window's leftovers are
  // timed as another's work.
  static void Close(GtkWidget* window, cairo_surface_t* image) {
    if (!window) return;
    gtk_widget_destroy(window);
    cairo_surface_destroy(image);
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  }

  GdkScreen* FScreen {};
  GtkCssProvider* FLooks[2] {};
  int FLook {};
  GtkWidget* FWindow {};
  cairo_surface_t* FImage {};
};

}  // namespace

std::unique_ptr<PeerToolkit> StartPeerToolkit() { return std::make_unique<GtkPeer>(); }
const char* PeerToolkitName() { return "gtk"; }

}  // namespace xj::bench
