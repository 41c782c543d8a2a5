#pragma once
// The form the list view benchmarks measure on: 420 × 330 with a list view of two 150-pixel columns.

#include <cstdlib>
#include <memory>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"

namespace xj::bench {

// A new form (not shown yet) holding a list view in `style`, returned.
inline TListView* NewListViewForm(std::unique_ptr<TForm>& form, TViewStyle style) {
  setenv("XJ_DISPLAY", "headless", 0);
  form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 420, 330);
  auto* view = new TListView(form.get());
  view->SetParent(form.get());
  view->SetBounds(7, 5, 397, 281);
  view->SetViewStyle(style);
  for (const char* caption : { "Name", "Size" }) {
    TListColumn* c = view->Columns()->Add();
    c->SetCaption(caption);
    c->SetWidth(150);
  }
  return view;
}

}  // namespace xj::bench
