// Reads arbitrary bytes as a tree view's node data from a form resource. Hostile counts, lengths and
// nesting must raise a class-library exception and leave the view empty and usable; data that reads
// must write back and read again to the same resource.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"

namespace {

std::string Resource(const uint8_t* data, size_t size) {
  std::string text = "object Tree: TTreeView\n  Items.Data = {\n    ";
  char hex[3];
  for (size_t i = 0; i < size; ++i) {
    snprintf(hex, sizeof hex, "%02X", data[i]);
    text += hex;
  }
  return text + "}\nend\n";
}

TTreeView* NewView() {
  setenv("XJ_DISPLAY", "headless", 0);
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 200, 200);
  auto* view = new TTreeView(form);
  view->SetParent(form);
  return view;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Each view alone on a form of its own, so that both take the resource's name and tab order.
  static auto* tree = NewView();
  static auto* again = NewView();
  std::string written;
  try {
    ReadComponentResource(tree, Resource(data, size));
  } catch (const Exception&) {
    if (tree->Items()->Count() != 0) std::abort();  // a refused read leaves nothing half-built
    return 0;
  }
  written = WriteComponentResource(tree);
  ReadComponentResource(again, written);
  if (WriteComponentResource(again) != written) std::abort();
  tree->Items()->Clear();
  again->Items()->Clear();
  return 0;
}
